#include "toolkit/VornickFileExtendedAttributes.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

using namespace brevanton;
namespace fs = std::filesystem;

namespace {

class VornickFileExtendedAttributes : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("vornick-xattr-tests");
        ASSERT_TRUE(folder.has_value());
        m_folder = *folder;
        std::ofstream(m_folder + "/file.txt") << "text";
        m_file = URL::fileURLWithPath(m_folder + "/file.txt", false);

        // Some file systems (and some tmpfs) refuse user attributes.
        Error error;
        if (!setExtendedAttributeValue(m_file, Value(u"probe"), u"probe", &error)) {
            if (error.is(POSIXErrorDomain, ENOTSUP) || error.is(POSIXErrorDomain, EPERM))
                m_unsupported = true;
        } else
            EXPECT_TRUE(removeExtendedAttributeWithName(m_file, u"probe", nullptr));
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string m_folder;
    URL m_file = URL::create("file:///").value();
    bool m_unsupported { false };
};

} // namespace

TEST_F(VornickFileExtendedAttributes, ValuesRoundTripAsPropertyLists)
{
    if (m_unsupported)
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    Dictionary dictionary { { u"count", Value(3) }, { u"when", Value(Date(1700000000)) } };
    Error error;
    ASSERT_TRUE(setExtendedAttributeValue(m_file, Value(dictionary), u"com.Orbendalworks.state", &error)) << error;
    ASSERT_TRUE(setExtendedAttributeValue(m_file, Value(u"caf\u00e9"), u"name", &error)) << error;
    EXPECT_EQ(valueOfExtendedAttributeWithName(m_file, u"com.Orbendalworks.state", &error), Value(dictionary));
    EXPECT_TRUE(hasExtendedAttributeWithName(m_file, u"name"));
    EXPECT_FALSE(hasExtendedAttributeWithName(m_file, u"other"));

    auto names = namesOfExtendedAttributes(m_file, &error);
    ASSERT_TRUE(names.has_value());
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::u16string> { u"com.Orbendalworks.state", u"name" }));

    auto all = extendedAttributes(m_file, &error);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(all->size(), 2u);
    EXPECT_EQ(all->at(u"name"), Value(u"caf\u00e9"));

    EXPECT_TRUE(removeExtendedAttributeWithName(m_file, u"name", &error));
    EXPECT_TRUE(removeExtendedAttributeWithName(m_file, u"name", &error)); // already gone: still fine
    EXPECT_FALSE(hasExtendedAttributeWithName(m_file, u"name"));
    EXPECT_FALSE(valueOfExtendedAttributeWithName(m_file, u"name", &error).has_value());
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENODATA));
}

TEST_F(VornickFileExtendedAttributes, PartialFailuresAreReportedWithWhatSucceeded)
{
    if (m_unsupported)
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    Error error;
    EXPECT_FALSE(setExtendedAttributeValue(m_file, Value(), u"nothing", &error));
    EXPECT_TRUE(error.is(FileExtendedAttributesErrorDomain, 1968));
    EXPECT_EQ(error.localizedDescription(), u"Value of class Null cannot be serialized into a plist");

    Dictionary pairs { { u"good", Value(1) }, { u"bad", Value(Array { Value(), Value(2) }) } };
    EXPECT_FALSE(setExtendedAttributes(m_file, pairs, &error));
    EXPECT_TRUE(error.is(FileExtendedAttributesErrorDomain, 1969));
    ASSERT_NE(error.underlyingError(), nullptr);
    EXPECT_TRUE(error.underlyingError()->is(FileExtendedAttributesErrorDomain, 1968));
    EXPECT_EQ(valueOfExtendedAttributeWithName(m_file, u"good", nullptr), Value(1));

    // Bytes that are no property list: the rest still reads.
    ASSERT_TRUE(setExtendedAttribute(*m_file.fileSystemPath(), "garbage", "not a plist", nullptr));
    Error readError;
    auto all = extendedAttributes(m_file, &readError);
    ASSERT_TRUE(all.has_value());
    EXPECT_TRUE(readError.is(FileExtendedAttributesErrorDomain, 1970));
    EXPECT_EQ(readError.userInfo().at(FileExtendedAttributesErrorsKey).count(), 1u);
    EXPECT_EQ(*all, (Dictionary { { u"good", Value(1) } }));
}

TEST_F(VornickFileExtendedAttributes, SymbolicLinksAreNotFollowed)
{
    if (m_unsupported)
        GTEST_SKIP() << "the file system keeps no user extended attributes";
    fs::create_symlink(m_folder + "/file.txt", m_folder + "/link.txt");
    URL link = URL::fileURLWithPath(m_folder + "/link.txt", false);
    ASSERT_TRUE(setExtendedAttributeValue(m_file, Value(7), u"target", nullptr));
    EXPECT_FALSE(hasExtendedAttributeWithName(link, u"target"));
}

TEST_F(VornickFileExtendedAttributes, MisuseThrowsAndMissingFilesFail)
{
    URL web = URL::create("http://h/file.txt").value();
    EXPECT_THROW((void)namesOfExtendedAttributes(web, nullptr), InternalInconsistencyException);
    EXPECT_THROW((void)setExtendedAttributeValue(web, Value(1), u"a", nullptr), InternalInconsistencyException);
    EXPECT_THROW((void)valueOfExtendedAttributeWithName(m_file, u"", nullptr), std::invalid_argument);

    URL missing = URL::fileURLWithPath(m_folder + "/missing", false);
    Error error;
    EXPECT_FALSE(namesOfExtendedAttributes(missing, &error).has_value());
    EXPECT_TRUE(error.is(POSIXErrorDomain, ENOENT));
    EXPECT_EQ(error.userInfo().at(Error::URLKey), Value(missing.absoluteString()));
    EXPECT_FALSE(hasExtendedAttributeWithName(missing, u"a"));
}
