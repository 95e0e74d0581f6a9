#include "toolkit/VornickObjectArchiveReader.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickObjectArchiveReader, ReadsFileAfterFileAsOneArchiveAtATimeWouldWithTheStatusAsRead)
{
    std::string folder = createTemporaryDirectory("archive-reader").value();
    ASSERT_TRUE(createDirectory(folder + "/posts"));
    ASSERT_TRUE(createDirectory(folder + "/pages"));
    const std::pair<std::string, std::string> files[] = {
        { "posts/a.json", "{\"title\": \"A longer title than the next one has\"}" },
        { "posts/b.json", "{\"title\": \"B\"}" },
        { "pages/c.plist", "<?xml version=\"1.0\"?><plist><dict><key>title</key><string>C</string></dict></plist>" },
        { "posts/d.json", "{\"title\": \"D\"}" },
    };
    VornickObjectArchiveReader reader;
    for (const auto& [name, contents] : files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(writeFileAtomically(folder + "/" + name, contents));
        URL url = URL::fileURLWithPath(folder + "/" + name, false);
        Error error;
        auto archive = reader.archiveAtURL(url, &error);
        ASSERT_TRUE(archive) << error;
        auto alone = VornickObjectArchive::createWithContentsOfURL(url, &error);
        ASSERT_TRUE(alone) << error;
        EXPECT_EQ(Value(archive->propertyList()), Value(alone->propertyList()));
        ASSERT_TRUE(archive->fileSnapshot());
        EXPECT_EQ(archive->fileSnapshot()->fileURL(), url);
        EXPECT_TRUE(archive->fileSnapshot()->isEqualToSnapshot(*VornickFileSnapshot::createAsStandaloneSnapshotOfURL(url)));
    }

    // Failures are those of one file at a time, and the next file reads.
    Error error;
    EXPECT_FALSE(reader.archiveAtURL(URL::fileURLWithPath(folder + "/posts/missing.json", false), &error));
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENOENT)) << error;
    error = Error();
    EXPECT_FALSE(reader.archiveAtURL(URL::fileURLWithPath(folder + "/gone/x.json", false), &error));
    EXPECT_EQ(error.userInfo().at(Error::FilePathKey), Value(toUTF16(folder + "/gone/x.json")));
    ASSERT_TRUE(writeFileAtomically(folder + "/posts/bad.json", "{\"title\": }"));
    EXPECT_FALSE(reader.archiveAtURL(URL::fileURLWithPath(folder + "/posts/bad.json", false), &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, JSONReadingError)) << error;
    error = Error();
    EXPECT_FALSE(reader.archiveAtURL(URL::fileURLWithPath(folder + "/posts", true), &error));
    EXPECT_TRUE(error.is(POSIXErrorDomain, EISDIR)) << error;
    EXPECT_EQ(reader.archiveAtURL(URL::fileURLWithPath(folder + "/posts/b.json", false), nullptr)->objectForKey(u"title")->string(), u"B");

    reader.close();
    EXPECT_TRUE(reader.archiveAtURL(URL::fileURLWithPath(folder + "/posts/d.json", false), nullptr));
    EXPECT_TRUE(removeItem(folder));
}
