#include "views/VornickAttributedStringExtensions.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TextAttributes tagged(const char* tag)
{
    auto attributes = std::make_shared<TextAttributeDictionary>();
    (*attributes)["Tag"] = std::string(tag);
    return attributes;
}

// "text|tag" for each run, so a test sees where every run lies.
std::string describe(const AttributedString& text)
{
    std::string result;
    for (auto& run : text.runs()) {
        auto found = run.attributes ? run.attributes->find("Tag") : TextAttributeDictionary::const_iterator();
        std::string tag = run.attributes && found != run.attributes->end() ? std::any_cast<std::string>(found->second) : "-";
        result += "[" + toUTF8(text.string().substr(run.location, run.length)) + "|" + tag + "]";
    }
    return result;
}

// A text built from (characters, tag) pieces.
AttributedString build(std::initializer_list<std::pair<const char*, const char*>> pieces)
{
    AttributedString text;
    for (auto& [characters, tag] : pieces)
        text.appendString(toUTF16(characters), tagged(tag));
    return text;
}

TEST(VornickAttributedStringExtensions, CollapsingKeepsTheAttributesOfEachRunsPlace)
{
    auto text = build({ { "a \n\t", "x" }, { "  b", "y" }, { " ", "z" }, { "c\n", "x" } });
    auto exceptNewlines = text;
    vornick_collapseHTMLWhitespaceRuns(text);
    EXPECT_EQ(describe(text), "[a |x][b|y][ |z][c |x]");

    // Newlines stay; each space-and-tab run on either side of one collapses alone.
    vornick_collapseHTMLWhitespaceRunsExceptNewlines(exceptNewlines);
    EXPECT_EQ(describe(exceptNewlines), "[a \n |x][b|y][ |z][c\n|x]");

    // A run of one is replaced too; an empty replacement deletes the runs.
    auto digits = build({ { "a1b22c", "x" } });
    vornick_collapseRunsOfCharactersFromSet(digits, CharacterSet::fromCharacters(u"0123456789"), u"#");
    EXPECT_EQ(describe(digits), "[a#b#c|x]");
    vornick_collapseRunsOfCharactersFromSet(digits, CharacterSet::fromCharacters(u"#"), u"");
    EXPECT_EQ(describe(digits), "[abc|x]");
}

TEST(VornickAttributedStringExtensions, CollapsingNeverTouchesTheFirstCharacter)
{
    auto leading = build({ { "   a", "x" } });
    vornick_collapseHTMLWhitespaceRuns(leading);
    EXPECT_EQ(describe(leading), "[  a|x]");

    auto single = build({ { " a", "x" } });
    vornick_collapseHTMLWhitespaceRuns(single);
    EXPECT_EQ(describe(single), "[ a|x]");

    auto tooShort = build({ { "\n", "x" } });
    vornick_collapseHTMLWhitespaceRuns(tooShort);
    EXPECT_EQ(describe(tooShort), "[\n|x]");

    // The first character is a whole code point, not half of a pair.
    auto astral = build({ { "\xF0\x9F\x98\x80  ", "x" } });
    vornick_collapseHTMLWhitespaceRuns(astral);
    EXPECT_EQ(astral.string(), u"\U0001F600 ");
}

TEST(VornickAttributedStringExtensions, TrimmingTrailingCharacters)
{
    const CharacterSet& spaces = CharacterSet::whitespaceAndNewlines();
    auto text = build({ { "ab ", "x" }, { " \n", "y" } });
    vornick_trimTrailingCharactersInSet(text, spaces);
    EXPECT_EQ(describe(text), "[ab|x]");
    vornick_trimTrailingCharactersInSet(text, spaces);
    EXPECT_EQ(describe(text), "[ab|x]");

    // A text of nothing but members keeps its first character.
    auto blank = build({ { " ", "x" }, { "\t\n", "y" } });
    vornick_trimTrailingCharactersInSet(blank, spaces);
    EXPECT_EQ(describe(blank), "[ |x]");
    AttributedString empty;
    vornick_trimTrailingCharactersInSet(empty, spaces);
    EXPECT_EQ(empty.length(), 0u);
}

TEST(VornickAttributedStringExtensions, MappingCharactersKeepsRuns)
{
    const std::pair<char16_t, char16_t> table[] = { { u'a', u'1' }, { u'a', u'2' }, { u'b', u'3' } };
    auto text = build({ { "abc", "x" }, { "cab", "y" }, { "zz", "z" } });
    vornick_mapCharactersUsingReplacements(text, table);
    EXPECT_EQ(describe(text), "[13c|x][c13|y][zz|z]");
}

TEST(VornickAttributedStringExtensions, ColouredStringsAndLinks)
{
    auto font = Font::fontWithName(u"Menlo", 11);
    auto plain = vornick_attributedString(u"text", std::nullopt, nullptr);
    ASSERT_EQ(plain.runs().size(), 1u);
    EXPECT_TRUE(plain.runs()[0].attributes->empty());

    auto coloured = vornick_attributedString(u"text", Color::purple(), font);
    EXPECT_EQ(*coloured.attributeAtIndex<Color>(ForegroundColorAttributeName, 3), Color::purple());
    EXPECT_EQ(*coloured.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 0), font);

    auto link = vornick_attributedString(u"home", *URL::create("https://example.com/"), Color::orange(), nullptr);
    ASSERT_EQ(link.runs().size(), 1u);
    EXPECT_EQ(link.runs()[0].length, 4u);
    EXPECT_EQ(link.attributeAtIndex<URL>(LinkAttributeName, 0)->absoluteString(), u"https://example.com/");
    EXPECT_EQ(*link.attributeAtIndex<int>(UnderlineStyleAttributeName, 3), UnderlineStyleSingle);
    EXPECT_EQ(*link.attributeAtIndex<Color>(ForegroundColorAttributeName, 0), Color::orange());
    EXPECT_EQ(link.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 0), nullptr);
}

// "text|M" for markup runs, "text|P" for plain ones.
std::string styledRuns(const AttributedString& text, const Color& markupColor)
{
    std::string result;
    for (auto& run : text.runs()) {
        bool isMarkup = std::any_cast<Color>(run.attributes->at(ForegroundColorAttributeName)) == markupColor;
        result += "[" + toUTF8(text.string().substr(run.location, run.length)) + (isMarkup ? "|M]" : "|P]");
    }
    return result;
}

TEST(VornickAttributedStringExtensions, StylingHTMLSource)
{
    Color blue = Color::sRGB(0, 0, 1);
    auto styled = vornick_attributedStringByStylingHTMLInString(u"a<b class=\"x\">&amp; \"q\" 1/2<i", blue, 12);
    EXPECT_EQ(styledRuns(styled, blue), "[a|P][<b class=\"x\">&amp;|M][ |P][\"|M][q|P][\"|M][ 1|P][/|M][2|P][<i|M]");

    auto plainFont = *styled.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 0);
    auto markupFont = *styled.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 1);
    EXPECT_EQ(plainFont->pointSize(), 12);
    EXPECT_FALSE(plainFont->isFixedPitch());
    EXPECT_EQ(markupFont->familyName(), u"Monaco");
    EXPECT_EQ(markupFont->pointSize(), 11);

    // An unclosed reference runs to the end; a ">" or ";" alone is plain text.
    EXPECT_EQ(styledRuns(vornick_attributedStringByStylingHTMLInString(u"x > y; &copy", blue, 12), blue),
              "[x > y; |P][&copy|M]");
    EXPECT_EQ(vornick_attributedStringByStylingHTMLInString(u"", blue, 12).length(), 0u);
    // A tiny size never turns into the default size.
    auto tiny = vornick_attributedStringByStylingHTMLInString(u"<", blue, 1);
    EXPECT_EQ((*tiny.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, 0))->pointSize(), 1);
}

} // namespace
} // namespace brevanton
