#include "platform/css/CSSSelector.h"
#include "platform/css/CSSStyleResolver.h"
#include "platform/css/CSSStyleSheet.h"
#include "platform/css/CSSTokenizer.h"
#include "platform/css/CSSValueParser.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include "tests/platform/css/CSSTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace brevanton;
using namespace brevanton::csstest;

namespace {

// Feeds one text to every entry point that takes style sheet text.
void feed(std::u16string_view text)
{
    auto tokens = tokenizeCSS(text);
    serializeCSSTokens(tokens.data(), tokens.data() + tokens.size());
    auto sheet = CSSStyleSheet::parse(text, u"file:///tmp/fuzz.css");
    ASSERT_TRUE(sheet);
    parseCSSDeclarationList(text, u"file:///tmp/");
    CSSSelector::parseList(text);
    cssMediaListMatchesScreen(text);
}

} // namespace

TEST(CSSHostileInput, SeededRandomInputNeverCrashesOrHangs)
{
    std::mt19937 random(20261207);
    // Byte soup, biased toward the characters the syntax cares about, plus
    // NUL, lone surrogates and characters outside the BMP.
    const std::u16string interesting = u"{}()[];:,.#@!*>+~|=^$\"'\\/-_ \n\t%0123456789eE<>azAZ";
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        size_t length = random() % 200;
        for (size_t i = 0; i < length; ++i) {
            switch (random() % 6) {
            case 0:
                text += static_cast<char16_t>(random() % 0x10000);
                break;
            case 1:
                text += static_cast<char16_t>(random() % 2 ? 0 : 0xD800 + random() % 0x800);
                break;
            default:
                text += interesting[random() % interesting.size()];
            }
        }
        feed(text);
    }
    // Sequences of whole tokens, which reach deeper into the parsers.
    const char16_t* pieces[] = { u"p", u"div", u" ", u"{", u"}", u"(", u")", u"[", u"]", u";", u":", u",", u".x",
                                 u"#id", u"@media", u"@import", u"url(", u"url(a.css)", u"'s", u"\"s\"", u"/*",
                                 u"*/", u"!important", u"1e999", u"-1e-999", u"99999999999999999999px", u"50%",
                                 u"rgb(", u"color", u"margin", u"font", u"\\", u"\\0", u"\\D800 ", u"\\110000",
                                 u"<!--", u"-->", u"\n", u"*", u">", u"+", u"~", u"|", u"=", u"first-child", u"i]",
                                 u"calc(", u"em", u"--x", u"\U0001F600" };
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        size_t count = random() % 60;
        for (size_t i = 0; i < count; ++i)
            text += pieces[random() % std::size(pieces)];
        feed(text);
    }
}

TEST(CSSHostileInput, UnterminatedAndDeeplyNestedInput)
{
    const size_t depth = 100000;
    feed(std::u16string(depth, u'{'));
    feed(std::u16string(depth, u'('));
    feed(std::u16string(depth, u'['));
    std::u16string functions;
    for (size_t i = 0; i < depth / 4; ++i)
        functions += u"f(";
    feed(u"p { color: " + functions);
    std::u16string media;
    for (size_t i = 0; i < 1000; ++i)
        media += u"@media screen {";
    feed(media + u"p { color: red }");
    feed(u"p { content: \"unterminated");
    feed(u"p { background: url(unterminated");
    feed(u"/* unterminated comment");
    feed(u"p { color: red } \\");

    auto tokens = tokenizeCSS(u"\\0 \\D800 \\110000 \\1F600 x");
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens[0].type, CSSToken::Ident);
    EXPECT_EQ(tokens[0].value, u"\uFFFD\uFFFD\uFFFD\U0001F600x");
}

TEST(CSSHostileInput, LongDescendantSelectorsOnDeepTreesMatchInLinearTime)
{
    // Backtracking over every choice of ancestors would take C(60, 30) steps.
    std::string html = "<style>";
    for (int i = 0; i < 30; ++i)
        html += "div ";
    html += "span { color: red }</style>";
    for (int i = 0; i < 60; ++i)
        html += "<div>";
    html += "<p><span id=s>x</span></p>";
    auto document = parse(html);
    EXPECT_EQ(value(document, u"s", u"color"), "rgb(255, 0, 0)");

    std::string miss = "<style>section ";
    for (int i = 0; i < 30; ++i)
        miss += "div ";
    miss += "span { color: red }</style>";
    for (int i = 0; i < 60; ++i)
        miss += "<div>";
    miss += "<span id=s>x</span>";
    EXPECT_EQ(value(parse(miss), u"s", u"color"), "rgb(0, 0, 0)");
}

TEST(CSSHostileInput, ChildAndDescendantCombinatorsStillBacktrack)
{
    // The nearest "div" ancestor is not the one with a "section" parent.
    auto document = parse("<style>section > div span { color: red }</style>"
                          "<section><div><div><p><span id=s>x</span></p></div></div></section>");
    EXPECT_EQ(value(document, u"s", u"color"), "rgb(255, 0, 0)");
}

TEST(CSSHostileInput, ImportFanOutIsBounded)
{
    auto document = parse("<style>@import 'http://example.com/s0.css';</style><p id=p class=p>p</p>");
    size_t asked = 0;
    CSSStyleResolver::forDocument(*document).setLinkedStyleSheetProvider(
        [&](const std::u16string& url) -> std::optional<std::u16string> {
            ++asked;
            // Every sheet imports four new ones: without a bound, 4^16 loads.
            std::u16string text;
            for (int i = 0; i < 4; ++i)
                text += u"@import '" + url + u"-" + toUTF16(std::to_string(i)) + u"';";
            return text + u".p { color: green }";
        });
    EXPECT_EQ(value(document, u"p", u"color"), "rgb(0, 128, 0)");
    EXPECT_LT(asked, 5000u);
}

TEST(CSSUserAgentDisplay, HiddenTableParts)
{
    // Hidden table parts keep their table display (they collapse instead);
    // hidden cells and others vanish.
    auto document = parse("<table><colgroup id=cg hidden><col id=col hidden></colgroup>"
                          "<thead id=th hidden><tr><td>h</td></tr></thead>"
                          "<tbody id=tb hidden><tr id=tr hidden><td id=td hidden>x</td></tr></tbody>"
                          "<tfoot id=tf hidden></tfoot></table><p id=p hidden>p</p>"
                          "<embed id=e hidden>");
    EXPECT_EQ(value(document, u"cg", u"display"), "table-column-group");
    EXPECT_EQ(value(document, u"col", u"display"), "table-column");
    EXPECT_EQ(value(document, u"th", u"display"), "table-header-group");
    EXPECT_EQ(value(document, u"tb", u"display"), "table-row-group");
    EXPECT_EQ(value(document, u"tf", u"display"), "table-footer-group");
    EXPECT_EQ(value(document, u"tr", u"display"), "table-row");
    EXPECT_EQ(value(document, u"td", u"display"), "none");
    EXPECT_EQ(value(document, u"p", u"display"), "none");
    EXPECT_EQ(value(document, u"e", u"display"), "inline");
}

TEST(CSSUserAgentDisplay, HiddenInputsStayHiddenWhateverTheAuthorSays)
{
    auto document = parse("<style>input { display: block }</style>"
                          "<input id=h type=HIDDEN><input id=t type=text>");
    EXPECT_EQ(value(document, u"h", u"display"), "none");
    EXPECT_EQ(value(document, u"t", u"display"), "block");
}

TEST(CSSUserAgentDisplay, SummaryInDetailsAndAudioWithControls)
{
    auto document = parse("<details><summary id=in>s</summary></details><div><summary id=out>s</summary></div>"
                          "<audio id=a src=a.mp3></audio><audio id=c controls src=a.mp3></audio>");
    EXPECT_EQ(value(document, u"a", u"display"), "none");
    EXPECT_EQ(value(document, u"c", u"display"), "inline");
    EXPECT_EQ(value(document, u"in", u"display"), "list-item");
    EXPECT_EQ(value(document, u"in", u"list-style-type"), "disclosure-closed");
    EXPECT_EQ(value(document, u"out", u"display"), "block");
}

TEST(CSSCascadeDetails, RemOnTheRootUsesTheRootFontSize)
{
    auto document = parse("<html id=h style='font-size: 2rem; margin-top: 1rem'><body id=b style='margin-top: 1rem'>"
                          "</body></html>");
    EXPECT_EQ(value(document, u"h", u"font-size"), "32px") << "the root's own font size refers to the initial size";
    EXPECT_EQ(value(document, u"h", u"margin-top"), "32px");
    EXPECT_EQ(value(document, u"b", u"margin-top"), "32px");
}

TEST(CSSCascadeDetails, AttributeNamesOutsideHTMLKeepTheirCase)
{
    auto document = parse("<style>[viewBox] { color: green } [VIEWBOX] { margin-top: 3px } [ID=x] { margin-left: 2px }"
                          "</style><svg><rect id=r viewBox='0 0 1 1'/></svg><p id=x>p</p>");
    EXPECT_EQ(value(document, u"r", u"color"), "rgb(0, 128, 0)");
    EXPECT_EQ(value(document, u"r", u"margin-top"), "0px");
    EXPECT_EQ(value(document, u"x", u"margin-left"), "2px") << "HTML attribute names match in any case";
}

TEST(CSSUserAgentDisplay, AttributeRulesOfTheDefaultsSkipOtherNamespaces)
{
    auto document = parse("<svg><g id=g hidden dir=rtl></g></svg><span id=s hidden></span>");
    EXPECT_EQ(value(document, u"g", u"display"), "inline");
    EXPECT_EQ(value(document, u"g", u"direction"), "ltr");
    EXPECT_EQ(value(document, u"s", u"display"), "none");
}

TEST(CSSHostileInput, CarriageReturnsFormFeedsAndNULAreNormalized)
{
    auto continued = tokenizeCSS(u"'a\\\r\nb' 'c\\\rd'");
    ASSERT_EQ(continued.size(), 3u);
    EXPECT_EQ(continued[0].type, CSSToken::String);
    EXPECT_EQ(continued[0].value, u"ab") << "an escaped CR LF continues the string";
    EXPECT_EQ(continued[2].type, CSSToken::String);
    EXPECT_EQ(continued[2].value, u"cd");

    auto broken = tokenizeCSS(u"'a\rb");
    ASSERT_FALSE(broken.empty());
    EXPECT_EQ(broken[0].type, CSSToken::BadString);

    auto name = tokenizeCSS(std::u16string(u"a\0b", 3));
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].type, CSSToken::Ident);
    EXPECT_EQ(name[0].value, u"a\uFFFDb");
}
