#include "platform/views/Pasteboard.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

Data bytes(std::string_view text) { return Data(text.begin(), text.end()); }

class PasteboardTest : public ::testing::Test {
protected:
    void SetUp() override { pasteboard->clearContents(); }
    std::shared_ptr<Pasteboard> pasteboard = Pasteboard::pasteboardWithName(u"PasteboardTest");
};

TEST_F(PasteboardTest, NamedPasteboardsAreOnePerNameAndCountTheirClears)
{
    EXPECT_EQ(Pasteboard::generalPasteboard(), Pasteboard::pasteboardWithName(PasteboardNameGeneral));
    EXPECT_EQ(Pasteboard::pasteboardWithName(PasteboardNameFind), Pasteboard::pasteboardWithName(u"find"));
    EXPECT_NE(Pasteboard::pasteboardWithName(PasteboardNameFind), Pasteboard::pasteboardWithName(PasteboardNameDrag));
    EXPECT_EQ(Pasteboard::pasteboardWithName(PasteboardNameDrag)->name(), u"drag");

    int64_t before = pasteboard->changeCount();
    ASSERT_TRUE(pasteboard->setString(u"one", PasteboardTypeString));
    EXPECT_EQ(pasteboard->changeCount(), before) << "writing adds to what the last clear started";
    EXPECT_EQ(pasteboard->clearContents(), before + 1);
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    EXPECT_TRUE(pasteboard->pasteboardItems().empty());
    EXPECT_TRUE(pasteboard->types().empty());
    EXPECT_FALSE(pasteboard->stringForType(PasteboardTypeString));

    // A clear of one pasteboard leaves the others alone.
    auto find = Pasteboard::pasteboardWithName(PasteboardNameFind);
    find->clearContents();
    ASSERT_TRUE(find->setString(u"needle", PasteboardTypeString));
    int64_t findCount = find->changeCount();
    pasteboard->clearContents();
    EXPECT_EQ(find->changeCount(), findCount);
    EXPECT_EQ(find->stringForType(PasteboardTypeString), u"needle");
}

TEST_F(PasteboardTest, WritesGoToTheFirstItemAndReplaceTheirType)
{
    ASSERT_TRUE(pasteboard->setData(bytes("archive"), u"com.Orbendalworks.Brevanton.webarchive"));
    ASSERT_TRUE(pasteboard->setString(u"caf\u00e9 \U0001F600", PasteboardTypeString));
    ASSERT_TRUE(pasteboard->setString(u"again", PasteboardTypeString));
    EXPECT_FALSE(pasteboard->setString(u"x", u"")) << "a type needs a name";

    ASSERT_EQ(pasteboard->pasteboardItems().size(), 1u);
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { u"com.Orbendalworks.Brevanton.webarchive", PasteboardTypeString }));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"again");
    EXPECT_EQ(pasteboard->dataForType(u"com.Orbendalworks.Brevanton.webarchive"), bytes("archive"));

    // Strings are stored as UTF-8, and read back only when the data is UTF-8.
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"caf\u00e9 \U0001F600", PasteboardTypeString));
    EXPECT_EQ(pasteboard->dataForType(PasteboardTypeString), bytes("caf\xc3\xa9 \xf0\x9f\x98\x80"));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"caf\u00e9 \U0001F600");
    ASSERT_TRUE(pasteboard->setData(bytes("\xEF\xBB\xBF<p>x</p>"), PasteboardTypeHTML));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeHTML), u"<p>x</p>") << "a byte order mark is not text";
    ASSERT_TRUE(pasteboard->setData(bytes("caf\xe9"), u"application/x-latin"));
    EXPECT_FALSE(pasteboard->stringForType(u"application/x-latin"));
    EXPECT_EQ(pasteboard->dataForType(u"application/x-latin"), bytes("caf\xe9"));
}

TEST_F(PasteboardTest, ReadersGetTheFirstTypeTheyPreferFromAnyItem)
{
    ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithString(u"first"), PasteboardItem::itemWithString(u"second") }));
    PasteboardItem archive;
    ASSERT_TRUE(archive.setData(bytes("a"), u"com.Orbendalworks.Brevanton.webarchive"));
    ASSERT_TRUE(pasteboard->writeObjects({ archive }));
    EXPECT_FALSE(pasteboard->writeObjects({ PasteboardItem() })) << "an empty item";
    EXPECT_FALSE(pasteboard->writeObjects(std::vector<PasteboardItem> {}));
    ASSERT_EQ(pasteboard->pasteboardItems().size(), 3u);

    EXPECT_EQ(pasteboard->availableTypeFromArray({ u"com.Orbendalworks.Brevanton.webarchive", PasteboardTypeString }),
              u"com.Orbendalworks.Brevanton.webarchive")
        << "the caller's order decides, not the items'";
    EXPECT_EQ(pasteboard->availableTypeFromArray({ PasteboardTypeHTML, PasteboardTypeString }), PasteboardTypeString);
    EXPECT_FALSE(pasteboard->availableTypeFromArray({ PasteboardTypeHTML }));
    EXPECT_TRUE(pasteboard->canReadItemWithDataConformingToTypes({ PasteboardTypeString }));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"first");
    EXPECT_EQ(pasteboard->types(), (std::vector<std::u16string> { PasteboardTypeString, u"com.Orbendalworks.Brevanton.webarchive" }));
}

TEST_F(PasteboardTest, PropertyListsRoundTripAndStringsStayText)
{
    Dictionary dictionary;
    dictionary[u"URL"] = Value(u"https://example.com/");
    dictionary[u"count"] = Value(3);
    ASSERT_TRUE(pasteboard->setPropertyList(Value(dictionary), u"com.Orbendalworks.Brevanton.Snippet"));
    ASSERT_TRUE(pasteboard->setPropertyList(Value(u"plain"), PasteboardTypeString));
    EXPECT_FALSE(pasteboard->setPropertyList(Value(), u"x-null")) << "a null is no property list";
    EXPECT_FALSE(pasteboard->availableTypeFromArray({ u"x-null" }));

    EXPECT_EQ(pasteboard->propertyListForType(u"com.Orbendalworks.Brevanton.Snippet"), Value(dictionary));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"plain");
    EXPECT_EQ(pasteboard->propertyListForType(PasteboardTypeString), Value(u"plain"));
    // Text that only looks like a property list stays text.
    ASSERT_TRUE(pasteboard->setString(u"<?xml version=\"1.0\"?><broken", PasteboardTypeHTML));
    EXPECT_EQ(pasteboard->propertyListForType(PasteboardTypeHTML), Value(u"<?xml version=\"1.0\"?><broken"));
}

class TitledLink final : public PasteboardWriting {
public:
    explicit TitledLink(std::optional<std::u16string> title)
        : m_title(std::move(title))
    {
    }
    std::vector<std::u16string> writableTypesForPasteboard(const Pasteboard&) const override
    {
        if (m_title)
            return { PasteboardTypeURL, PasteboardTypeURLName, PasteboardTypeString };
        return { PasteboardTypeURL, PasteboardTypeString };
    }
    std::optional<Value> pasteboardPropertyListForType(std::u16string_view type) const override
    {
        if (type == PasteboardTypeURLName)
            return Value(*m_title);
        if (type == PasteboardTypeURL || type == PasteboardTypeString)
            return Value(u"https://example.com/a");
        return std::nullopt;
    }

private:
    std::optional<std::u16string> m_title;
};

class Unwritable final : public PasteboardWriting {
public:
    std::vector<std::u16string> writableTypesForPasteboard(const Pasteboard&) const override { return { u"x-type" }; }
    std::optional<Value> pasteboardPropertyListForType(std::u16string_view) const override { return std::nullopt; }
};

TEST_F(PasteboardTest, ObjectsWriteTheirTypesAndReadBackByClass)
{
    std::vector<std::shared_ptr<const PasteboardWriting>> links {
        std::make_shared<TitledLink>(u"Example"), std::make_shared<TitledLink>(std::nullopt)
    };
    ASSERT_TRUE(pasteboard->writeObjects(links));
    ASSERT_EQ(pasteboard->pasteboardItems().size(), 2u);
    EXPECT_EQ(pasteboard->pasteboardItems()[0].types(),
              (std::vector<std::u16string> { PasteboardTypeURL, PasteboardTypeURLName, PasteboardTypeString }));
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeURLName), u"Example");

    // A failing object writes nothing at all.
    EXPECT_FALSE(pasteboard->writeObjects({ std::make_shared<TitledLink>(u"More"), std::make_shared<Unwritable>() }));
    EXPECT_EQ(pasteboard->pasteboardItems().size(), 2u);

    // Each item is read by the first class (in the caller's order) that can read it.
    ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithString(u"just text") }));
    auto urlsFirst = pasteboard->readObjectsForClasses({ PasteboardReadingClass::URL, PasteboardReadingClass::String });
    ASSERT_EQ(urlsFirst.size(), 3u);
    EXPECT_EQ(std::get<URL>(urlsFirst[0]).absoluteString(), u"https://example.com/a");
    EXPECT_EQ(std::get<URL>(urlsFirst[1]).absoluteString(), u"https://example.com/a");
    EXPECT_EQ(std::get<std::u16string>(urlsFirst[2]), u"just text");
    auto strings = pasteboard->readObjectsForClasses({ PasteboardReadingClass::String });
    ASSERT_EQ(strings.size(), 3u);
    EXPECT_EQ(std::get<std::u16string>(strings[0]), u"https://example.com/a");
    EXPECT_EQ(pasteboard->readObjectsForClasses({ PasteboardReadingClass::URL }).size(), 2u) << "text is no URL object";
}

TEST(PasteboardURIListTest, ListsHoldAbsoluteURLsOnly)
{
    auto urls = URLsFromURIList(u"# a comment\r\nhttps://example.com/x\r\n\r\n  file:///tmp/a%20b.png  \nrelative/path\r\nnot a url\r\n");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0].absoluteString(), u"https://example.com/x");
    EXPECT_TRUE(urls[1].isFileURL());
    EXPECT_EQ(URIListFromURLs(urls), u"https://example.com/x\r\nfile:///tmp/a%20b.png\r\n");
    EXPECT_TRUE(URLsFromURIList(u"").empty());

    auto item = PasteboardItem::itemWithURL(*URL::create(u"https://example.com/y"), u"Why");
    EXPECT_EQ(item.stringForType(PasteboardTypeURL), u"https://example.com/y\r\n");
    EXPECT_EQ(item.stringForType(PasteboardTypeURLName), u"Why");
    EXPECT_FALSE(PasteboardItem::itemWithURL(*URL::create(u"https://example.com/y")).hasType(PasteboardTypeURLName));
}

} // namespace
