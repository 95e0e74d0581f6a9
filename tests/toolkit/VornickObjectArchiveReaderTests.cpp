#include "toolkit/VornickObjectArchiveReader.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <vector>

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

// Files read ahead on workers give what reading them here gives, errors
// included, whatever the window and the number of workers; files asked for
// out of turn are read here.
TEST(VornickObjectArchiveReader, FilesReadAheadOnAWorkerAnswerAsThoughReadHere)
{
    std::string folder = createTemporaryDirectory("archive-read-ahead").value();
    ASSERT_TRUE(createDirectory(folder + "/posts"));
    ASSERT_TRUE(createDirectory(folder + "/posts/folder.json"));
    std::vector<URL> urls;
    for (int i = 0; i < 40; ++i) {
        std::string name = folder + "/posts/" + std::to_string(i) + ".json";
        urls.push_back(URL::fileURLWithPath(name, false));
        std::string contents = "{\"title\": \"Post " + std::to_string(i) + "\"}";
        if (i % 10 == 3)
            contents = "{\"title\": }";
        else if (i % 10 == 5)
            contents = "[1, 2]";
        else if (i % 10 == 7)
            continue; // missing
        ASSERT_TRUE(writeFileAtomically(name, contents));
    }
    urls.insert(urls.begin() + 20, URL::fileURLWithPath(folder + "/posts/folder.json", false));
    urls.insert(urls.begin() + 30, URL::fileURLWithPath(folder + "/gone/x.json", false));

    for (auto [window, workers] : { std::pair<size_t, size_t>(1, 1), { 3, 1 }, { 1, 2 }, { 2, 3 }, { 5, 3 },
                                     { VornickObjectArchiveReader::DefaultReadAheadWindow, 0 } }) {
        SCOPED_TRACE(testing::Message() << "window " << window << ", workers " << workers);
        VornickObjectArchiveReader reader;
        reader.readAhead(urls, window, workers);
        for (const URL& url : urls) {
            SCOPED_TRACE(toUTF8(url.absoluteString()));
            Error error, expectedError;
            auto archive = reader.archiveAtURL(url, &error);
            auto expected = VornickObjectArchive::createWithContentsOfURL(url, &expectedError);
            ASSERT_EQ(static_cast<bool>(archive), static_cast<bool>(expected)) << error;
            EXPECT_EQ(error.domain(), expectedError.domain());
            EXPECT_EQ(error.code(), expectedError.code());
            EXPECT_EQ(error.localizedDescription(), expectedError.localizedDescription());
            EXPECT_EQ(error.userInfo(), expectedError.userInfo());
            if (!archive)
                continue;
            EXPECT_EQ(Value(archive->propertyList()), Value(expected->propertyList()));
            ASSERT_TRUE(archive->fileSnapshot());
            EXPECT_EQ(archive->fileSnapshot()->fileURL(), url);
            EXPECT_TRUE(archive->fileSnapshot()->isEqualToSnapshot(*expected->fileSnapshot()));
        }
        // Past the list, files are read here.
        EXPECT_EQ(reader.archiveAtURL(urls[0], nullptr)->objectForKey(u"title")->string(), u"Post 0");
    }

    // Out of turn: a file read here leaves the one read ahead for its turn.
    VornickObjectArchiveReader reader;
    reader.readAhead(urls, 2, 2);
    EXPECT_EQ(reader.archiveAtURL(urls[2], nullptr)->objectForKey(u"title")->string(), u"Post 2");
    EXPECT_EQ(reader.archiveAtURL(urls[0], nullptr)->objectForKey(u"title")->string(), u"Post 0");
    EXPECT_EQ(reader.archiveAtURL(urls[1], nullptr)->objectForKey(u"title")->string(), u"Post 1");
    // A new list replaces the old; closing drops the files not taken.
    reader.readAhead({ urls[4], urls[6] });
    EXPECT_EQ(reader.archiveAtURL(urls[4], nullptr)->objectForKey(u"title")->string(), u"Post 4");
    reader.close();
    EXPECT_EQ(reader.archiveAtURL(urls[6], nullptr)->objectForKey(u"title")->string(), u"Post 6");
    // A reader let go while its worker is ahead stops it.
    {
        VornickObjectArchiveReader ahead;
        ahead.readAhead(urls, 1);
        EXPECT_TRUE(ahead.archiveAtURL(urls[0], nullptr));
    }
    EXPECT_TRUE(removeItem(folder));
}
