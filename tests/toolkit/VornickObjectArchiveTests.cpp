#include "toolkit/VornickObjectArchive.h"

#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickKeyValueCoding.h"
#include "toolkit/VornickLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <map>

using namespace brevanton;

namespace {

// The general log goes to a temporary cache folder, not the user's; the
// folder goes when the test process ends.
const struct GeneralLogInTemporaryFolder {
    GeneralLogInTemporaryFolder()
    {
        if (auto created = createTemporaryDirectory("cache")) {
            folder = *created;
            setenv("XDG_CACHE_HOME", folder.c_str(), 1);
        }
    }
    ~GeneralLogInTemporaryFolder()
    {
        if (!folder.empty()) {
            EXPECT_TRUE(removeItem(folder));
        }
    }
    std::string folder;
} generalLogInTemporaryFolder;

class Post : public VornickKeyValueCoding {
public:
    std::string className() const override { return "Post"; }
    bool respondsToKey(std::u16string_view key) const override
    {
        return key == u"title" || key == u"summary" || key == u"identifierUsedByBlogService";
    }
    Value valueForKey(std::u16string_view key) const override
    {
        auto it = values.find(std::u16string(key));
        return it == values.end() ? Value() : it->second;
    }
    void setValueForKey(const Value& value, std::u16string_view key) override
    {
        if (value.isNull())
            values.erase(std::u16string(key));
        else
            values[std::u16string(key)] = value;
    }
    std::map<std::u16string, Value> values;
};

class VornickObjectArchiveFiles : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("archive").value(); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }
    URL write(const std::string& name, std::string_view contents)
    {
        std::string path = m_folder + "/" + name;
        EXPECT_TRUE(writeFileAtomically(path, contents));
        return URL::fileURLWithPath(path);
    }
    std::string m_folder;
};

} // namespace

TEST_F(VornickObjectArchiveFiles, ReadsXMLPropertyListsAndJSON)
{
    Dictionary attributes { { u"title", Value(u"Hello") }, { u"count", Value(3) } };
    auto xml = writePropertyList(Value(attributes), PropertyListFormat::XML, nullptr);
    ASSERT_TRUE(xml);
    std::string xmlText(xml->begin(), xml->end());
    // A byte order mark or leading whitespace must not send the file to the JSON reader.
    for (std::string prefix : { "", "\xEF\xBB\xBF", "\n  ", "\xEF\xBB\xBF\n" }) {
        Error error;
        auto archive = VornickObjectArchive::createWithContentsOfURL(write("a.plist", prefix + xmlText), &error);
        ASSERT_TRUE(archive) << error;
        EXPECT_EQ(Value(archive->propertyList()), Value(attributes));
    }
    Error error;
    std::string jsonText = "{\"title\": \"Hello\", \"count\": 3}";
    auto json = VornickObjectArchive::createWithContentsOfURL(write("a.json", jsonText), &error);
    ASSERT_TRUE(json) << error;
    EXPECT_EQ(*json->objectForKey(u"title"), Value(u"Hello"));
    EXPECT_EQ(json->objectForKey(u"none"), nullptr);
    ASSERT_TRUE(json->fileSnapshot());
    EXPECT_EQ(json->fileSnapshot()->size(), jsonText.size());
    EXPECT_FALSE(VornickObjectArchive().fileSnapshot());
}

TEST_F(VornickObjectArchiveFiles, UnreadableFilesGiveNoArchive)
{
    Error error;
    EXPECT_FALSE(VornickObjectArchive::createWithContentsOfURL(write("bad.plist", "<?xml version=\"1.0\"?><plist><dict>"), &error));
    EXPECT_FALSE(error.isEmpty());

    error = Error();
    EXPECT_FALSE(VornickObjectArchive::createWithContentsOfURL(write("bad.json", "{\"a\": }"), &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, JSONReadingError));

    // A top level that is not a dictionary: no archive and no error.
    error = Error();
    EXPECT_FALSE(VornickObjectArchive::createWithContentsOfURL(write("array.json", "[1, 2]"), &error));
    EXPECT_TRUE(error.isEmpty());

    // Binary property lists are not archives.
    auto binary = writePropertyList(Value(Dictionary { { u"a", Value(1) } }), PropertyListFormat::Binary, nullptr);
    ASSERT_TRUE(binary);
    EXPECT_FALSE(VornickObjectArchive::createWithContentsOfURL(write("b.plist", std::string(binary->begin(), binary->end())), &error));

    error = Error();
    EXPECT_FALSE(VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(m_folder + "/missing.json"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(VornickObjectArchiveFiles, WrittenFormsReadBack)
{
    VornickObjectArchive archive;
    archive.setObject(Value(u"Caf\u00e9 \"quoted\"\n"), u"title");
    archive.setObject(Value(Array { Value(u"a"), Value(Array {}), Value(Dictionary {}) }), u"tags");
    archive.setObject(Value(Dictionary { { u"Beta", Value(2) }, { u"alpha", Value(1) } }), u"nested");
    archive.setObject(Value(Dictionary { { u"locators", Value(Array {}) },
                                         { u"groups", Value(Array { Value(Dictionary { { u"items", Value(Dictionary {}) } }) }) } }),
                      u"emptyInside");
    archive.setObject(Value(42), u"number");
    archive.setObject(Value(u"gone"), u"removed");
    archive.removeObjectForKey(u"removed");

    Error error;
    auto json = archive.jsonDataReturningErrorIn(&error);
    ASSERT_TRUE(json) << error;
    // Pretty printed, numbers as strings.
    EXPECT_NE(json->find("\"number\" : \"42\""), std::string::npos) << *json;
    auto fromJSON = VornickObjectArchive::createWithContentsOfURL(write("w.json", *json), &error);
    ASSERT_TRUE(fromJSON) << error << *json;
    EXPECT_EQ(*fromJSON->objectForKey(u"title"), *archive.objectForKey(u"title"));
    EXPECT_EQ(*fromJSON->objectForKey(u"tags"), *archive.objectForKey(u"tags"));
    ASSERT_TRUE(fromJSON->objectForKey(u"emptyInside")) << *json;
    EXPECT_EQ(*fromJSON->objectForKey(u"emptyInside"), *archive.objectForKey(u"emptyInside")) << *json;
    EXPECT_EQ(fromJSON->objectForKey(u"number")->integerValue(), 42);
    EXPECT_FALSE(fromJSON->objectForKey(u"removed"));

    auto xml = archive.dataInFormat(VornickObjectArchiveFormat::XML, &error);
    ASSERT_TRUE(xml) << error;
    auto fromXML = VornickObjectArchive::createWithContentsOfURL(write("w.plist", *xml), &error);
    ASSERT_TRUE(fromXML) << error;
    EXPECT_EQ(Value(fromXML->propertyList()), Value(archive.propertyList()));

    archive.setObject(Value(), u"null");
    EXPECT_FALSE(archive.xmlDataReturningErrorIn(&error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, PropertyListWriteInvalidError));
}

TEST(VornickObjectArchive, MovesAttributesBetweenArchivesAndObjects)
{
    Post post;
    post.values[u"title"] = Value(u"T");
    auto archive = VornickObjectArchive::archiveWithAttributes({ u"title", u"summary" }, post);
    EXPECT_EQ(Value(archive->propertyList()), Value(Dictionary { { u"title", Value(u"T") } }));

    VornickObjectArchive incoming(Dictionary { { u"title", Value(u"New") }, { u"bloggerUniqueIdentifier", Value(u"42") },
                                               { u"identifierUsedByBlogService", Value(u"7") } });
    Post target;
    target.values[u"summary"] = Value(u"old");
    incoming.applyAttributes({ u"unknownKey", u"title", u"summary", u"identifierUsedByBlogService" }, target);
    EXPECT_EQ(target.values[u"title"], Value(u"New"));
    // The current key wins; the older "bloggerUniqueIdentifier" only stands in when it is missing.
    EXPECT_EQ(target.values[u"identifierUsedByBlogService"], Value(u"7"));
    Post legacy;
    VornickObjectArchive(Dictionary { { u"bloggerUniqueIdentifier", Value(u"42") } }).applyAttributes({ u"identifierUsedByBlogService" }, legacy);
    EXPECT_EQ(legacy.values[u"identifierUsedByBlogService"], Value(u"42"));
    // A missing archive value clears the property; an unknown name is skipped.
    EXPECT_FALSE(target.values.contains(u"summary"));
    EXPECT_FALSE(target.values.contains(u"unknownKey"));
    EXPECT_NE(VornickLog::generalLog().text().find(u") doesn't respond to selector -unknownKey\n"), std::u16string::npos);
}
