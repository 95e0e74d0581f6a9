#include "html/VornickNamedCharacterReferenceMap.h"

#include "toolkit/VornickLog.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace brevanton {
namespace {

std::shared_ptr<VornickNamedCharacterReferenceMap> html5() { return VornickNamedCharacterReferenceMap::html5NamedCharacterReferenceMap(); }
std::shared_ptr<VornickNamedCharacterReferenceMap> html4() { return VornickNamedCharacterReferenceMap::html4NamedCharacterReferenceMap(); }

TEST(VornickNamedCharacterReferenceMap, TablesOfBothFamiliesLoad)
{
    ASSERT_TRUE(html5());
    ASSERT_TRUE(html4());
    EXPECT_EQ(html4()->entityNameCount(), 252u);
    EXPECT_EQ(html5()->entityNameCount(), 2125u); // legacy forms without ";" share their names
    EXPECT_EQ(html5()->charactersForEntityName(u"amp"), u"&");
    EXPECT_EQ(html5()->charactersForEntityName(u"apos"), u"'");
    EXPECT_FALSE(html4()->charactersForEntityName(u"apos"));
    // HTML 4's angle brackets are not HTML 5's.
    EXPECT_EQ(html4()->charactersForEntityName(u"lang"), u"\u2329");
    EXPECT_EQ(html5()->charactersForEntityName(u"lang"), u"\u27E8");
    EXPECT_EQ(html5()->charactersForEntityName(u"Afr"), u"\U0001D504");
    EXPECT_FALSE(html5()->charactersForEntityName(u"&amp;"));
    // The shortest name with the fewest capitals is preferred.
    EXPECT_EQ(html5()->entityNameForCharacters(u"&"), u"amp");
    EXPECT_EQ(html5()->entityNameForCharacters(u"<"), u"lt");
    EXPECT_EQ(html5()->entityNameForCharacters(u"\u00E9"), u"eacute");
    EXPECT_EQ(VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(VornickHTMLDocumentType::XHTML11), html4());
    EXPECT_EQ(VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(VornickHTMLDocumentType::Unknown), html5());
    EXPECT_EQ(VornickNamedCharacterReferenceMap::namedCharacterReferenceMapForDocumentType(VornickHTMLDocumentType::HTML5), html5());
}

TEST(VornickNamedCharacterReferenceMap, EscapingFollowsTheOptions)
{
    auto map = html5();
    ASSERT_TRUE(map);
    auto escape = [&](std::u16string_view text, unsigned options) { return map->stringByEscapingSpecialCharactersInString(text, u"", options); };
    EXPECT_EQ(escape(u"", 0), u"");
    EXPECT_EQ(escape(u"a<b & c>d \"q\"", 0), u"a&lt;b &amp; c&gt;d \"q\"");
    EXPECT_EQ(escape(u"caf\u00E9", 0), u"caf&#x00E9;");
    EXPECT_EQ(escape(u"caf\u00E9\u00A0", 2), u"caf&eacute;&nbsp;");
    EXPECT_EQ(escape(u"caf\u00E9\u00A0", 3), u"caf\u00E9&nbsp;");
    EXPECT_EQ(escape(u"\u00A0\u2014", 4), u"&#160;&#8212;");
    EXPECT_EQ(escape(u"\u00A0", 0), u"&#xA0;");
    EXPECT_EQ(escape(u"a>b&<", 8), u"a>b&amp;&lt;");
    EXPECT_EQ(escape(u"\"'\t\n", 2), u"\"'\t\n");
    // A letter and a combining mark with one name together are one reference.
    EXPECT_EQ(escape(u"\u2282\u20D2x", 2), u"&vnsub;x");
    // Characters beyond the basic plane are one reference of their code point.
    EXPECT_EQ(escape(u"\U0001F600", 0), u"&#x1F600;");
    EXPECT_EQ(escape(u"\U0001F600", 4), u"&#128512;");
    EXPECT_EQ(escape(u"\U0001D504", 2), u"&Afr;");
    // A lone surrogate cannot be written: it becomes the replacement character.
    EXPECT_EQ(escape(std::u16string(u"a") + char16_t(0xD800) + u"b", 0), u"a&#xFFFD;b");
    EXPECT_EQ(escape(std::u16string(1, char16_t(0xDC00)), 1), u"&#xFFFD;");
    // Unassigned code points and noncharacters are always numeric.
    EXPECT_EQ(escape(u"\uFFFF", 1), u"&#xFFFF;");
}

TEST(VornickNamedCharacterReferenceMap, NativeCharactersTheEncodingCannotHoldBecomeReferences)
{
    auto map = html5();
    ASSERT_TRUE(map);
    std::u16string text = u"\u00E9\u20AC\U0001F600";
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(text, u"UTF-8", 1), text);
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(text, u"", 1), text);
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(text, u"ISO-8859-1", 1), u"\u00E9&#x20AC;&#x1F600;");
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(text, u"windows-1252", 5), u"\u00E9\u20AC&#128512;");
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(u"\u00E9<", u"US-ASCII", 1), u"&#x00E9;&lt;");
}

TEST(VornickNamedCharacterReferenceMap, AppendingEscapesAsTheStringDoesAfterWhatIsThere)
{
    auto map = html5();
    ASSERT_TRUE(map);
    auto append = [&](std::u16string_view text, std::u16string_view encoding, unsigned options) {
        std::u16string out = u"<kept>";
        map->appendByEscapingSpecialCharacters(out, text, encoding, options);
        EXPECT_EQ(out.substr(6), map->stringByEscapingSpecialCharactersInString(text, encoding, options)) << toUTF8(text);
        return out;
    };
    EXPECT_EQ(append(u"", u"", 0), u"<kept>");
    // NUL becomes U+FFFD as a reference unless written natively into an
    // encoding that holds everything; other controls are references always.
    std::u16string controls = std::u16string(u"a") + char16_t(0) + u"\x01\x7F\tb";
    EXPECT_EQ(append(controls, u"", 0), u"<kept>a&#xFFFD;&#x0001;&#x007F;\tb");
    EXPECT_EQ(append(controls, u"UTF-8", 1), std::u16string(u"<kept>a") + char16_t(0) + u"&#x0001;&#x007F;\tb");
    EXPECT_EQ(append(controls, u"ISO-8859-1", 1), u"<kept>a&#xFFFD;&#x0001;&#x007F;\tb");
    // Unicode encodings are known whatever the case of their names.
    EXPECT_EQ(append(u"\u20AC", u"Utf-16LE", 1), u"<kept>\u20AC");
    EXPECT_EQ(append(u"\u20AC", u"GB18030", 1), u"<kept>\u20AC");
    // ASCII characters with a name of their own stay themselves.
    EXPECT_EQ(append(u"a,b(c)", u"", 2), u"<kept>a,b(c)");
}

TEST(VornickNamedCharacterReferenceMap, LoadingSkipsBadEntriesAndRefusesBadRoots)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("brevanton-entities-" + std::to_string(getpid()));
    fs::create_directories(folder);
    auto write = [&](const std::string& contents) {
        std::ofstream(folder / "table.json") << contents;
        return URL::fileURLWithPath((folder / "table.json").string(), false);
    };
    auto map = VornickNamedCharacterReferenceMap::createWithContentsOfURL(write(R"({
        "&amp;": {"characters": "&"}, "&AMP;": {"characters": "&"}, "&amp": {"characters": "&"},
        "&": {"characters": "x"}, "nope": {"characters": "y"}, "&bad;": 3, "&long;": {"characters": "abc"},
        "&none;": {}, "&ok;": {"characters": "\u00e9"}})"), nullptr);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->entityNameCount(), 3u);
    EXPECT_EQ(map->entityNameForCharacters(u"&"), u"amp");
    EXPECT_EQ(map->charactersForEntityName(u"AMP"), u"&");
    EXPECT_EQ(map->stringByEscapingSpecialCharactersInString(u"\u00E9", u"", 2), u"&ok;");

    EXPECT_FALSE(VornickNamedCharacterReferenceMap::createWithContentsOfURL(write("[1, 2]"), nullptr));
    EXPECT_NE(VornickLog::generalLog().text().find(u"Bad root object (want dictionary) in named character reference map"),
              std::u16string::npos);
    Error error;
    EXPECT_FALSE(VornickNamedCharacterReferenceMap::createWithContentsOfURL(URL::fileURLWithPath((folder / "missing.json").string(), false), &error));
    EXPECT_FALSE(error.isEmpty());
    fs::remove_all(folder);
}

} // namespace
} // namespace brevanton
