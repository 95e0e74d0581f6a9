#include "platform/css/CSSStyleSheet.h"
#include "platform/css/CSSValueParser.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <map>

using namespace brevanton;

namespace {

// Property name to "value" (or "value !important", "inherit", "initial"); the last declaration wins.
std::map<std::string, std::string> declarations(std::u16string_view text, const std::u16string& baseURL = {})
{
    std::map<std::string, std::string> result;
    for (auto& declaration : parseCSSDeclarationList(text, baseURL)) {
        std::string value;
        if (declaration.keyword == CSSDeclaration::Keyword::Inherit)
            value = "inherit";
        else if (declaration.keyword == CSSDeclaration::Keyword::Initial)
            value = "initial";
        else
            value = toUTF8(declaration.value->cssText());
        if (declaration.important)
            value += " !important";
        result[toUTF8(cssPropertyInfo(declaration.property).name)] = value;
    }
    return result;
}

} // namespace

TEST(CSSValueParser, InvalidDeclarationsAreDroppedAndEarlierOnesStand)
{
    auto result = declarations(u"color: red; color: nonsense; margin-top: 5; padding-left: -2px; display: blok;"
                               u"bogus-property: 1px; width 3px; : x; font-weight: 1200; opacity: 2;"
                               u"z-index: 1.5; display: BLOCK !IMPORTANT ; color:blue ! important");
    EXPECT_EQ(result["color"], "rgb(0, 0, 255) !important");
    EXPECT_EQ(result.count("margin-top"), 0u);   // a unitless non-zero length
    EXPECT_EQ(result.count("padding-left"), 0u); // padding is never negative
    EXPECT_EQ(result.count("font-weight"), 0u);
    EXPECT_EQ(result.count("z-index"), 0u);
    EXPECT_EQ(result["opacity"], "1");
    EXPECT_EQ(result["display"], "block !important");
    EXPECT_EQ(result.size(), 3u);
}

TEST(CSSValueParser, BoxShorthandsExpandToFourSides)
{
    auto one = declarations(u"margin: 2em");
    EXPECT_EQ(one["margin-top"], "2em");
    EXPECT_EQ(one["margin-left"], "2em");
    auto three = declarations(u"padding: 1px 2% 3px");
    EXPECT_EQ(three["padding-top"], "1px");
    EXPECT_EQ(three["padding-right"], "2%");
    EXPECT_EQ(three["padding-bottom"], "3px");
    EXPECT_EQ(three["padding-left"], "2%");
    auto four = declarations(u"margin: 0 auto -1px 4pt !important");
    EXPECT_EQ(four["margin-top"], "0px !important");
    EXPECT_EQ(four["margin-right"], "auto !important");
    EXPECT_EQ(four["margin-bottom"], "-1px !important");
    EXPECT_EQ(four["margin-left"], "4pt !important");
    EXPECT_TRUE(declarations(u"margin: 1px 2px 3px 4px 5px").empty());
    EXPECT_TRUE(declarations(u"margin: 1px red").empty());
    auto radius = declarations(u"-webkit-border-radius: 4px 8px / 2px");
    EXPECT_EQ(radius["border-top-left-radius"], "4px");
    EXPECT_EQ(radius["border-top-right-radius"], "8px");
}

TEST(CSSValueParser, BorderOutlineListStyleAndBackgroundInAnyOrder)
{
    auto border = declarations(u"border: rgb(1, 2, 3) dashed thin");
    EXPECT_EQ(border["border-left-color"], "rgb(1, 2, 3)");
    EXPECT_EQ(border["border-right-style"], "dashed");
    EXPECT_EQ(border["border-bottom-width"], "thin");
    auto side = declarations(u"border-top: solid");
    EXPECT_EQ(side["border-top-style"], "solid");
    EXPECT_EQ(side["border-top-width"], "medium"); // omitted parts reset
    EXPECT_EQ(side["border-top-color"], "currentcolor");
    EXPECT_TRUE(declarations(u"border: solid dashed").empty());

    auto list = declarations(u"list-style: none inside");
    EXPECT_EQ(list["list-style-type"], "none");
    EXPECT_EQ(list["list-style-position"], "inside");
    EXPECT_EQ(list["list-style-image"], "none");
    auto listImage = declarations(u"list-style: url(dot.png) square", u"file:///site/css/a.css");
    EXPECT_EQ(listImage["list-style-image"], "url(\"file:///site/css/dot.png\")");
    EXPECT_EQ(listImage["list-style-type"], "square");

    auto background = declarations(u"background: url('../i.png') no-repeat center top #fff");
    EXPECT_EQ(background["background-color"], "rgb(255, 255, 255)");
    EXPECT_EQ(background["background-image"], "url(\"../i.png\")");
    EXPECT_EQ(background["background-repeat"], "no-repeat");
    EXPECT_EQ(declarations(u"background: none")["background-color"], "rgba(0, 0, 0, 0)");
}

TEST(CSSValueParser, FontShorthandAndFamilies)
{
    auto font = declarations(u"font: italic bold 12px/1.5 \"Helvetica Neue\", Open  Sans, serif");
    EXPECT_EQ(font["font-style"], "italic");
    EXPECT_EQ(font["font-weight"], "bold");
    EXPECT_EQ(font["font-variant"], "normal");
    EXPECT_EQ(font["font-size"], "12px");
    EXPECT_EQ(font["line-height"], "1.5");
    EXPECT_EQ(font["font-family"], "\"Helvetica Neue\", Open Sans, serif");
    auto small = declarations(u"font: 80% Georgia");
    EXPECT_EQ(small["line-height"], "normal");
    EXPECT_EQ(small["font-weight"], "normal");
    EXPECT_TRUE(declarations(u"font: bold Georgia").empty()); // no size
    EXPECT_TRUE(declarations(u"font-family: a,, b").empty());
    EXPECT_TRUE(declarations(u"font-family: \"a\" b").empty());
}

TEST(CSSValueParser, GlobalKeywordsApplyToEveryLonghand)
{
    auto result = declarations(u"margin: inherit; color: unset; display: unset; border-style: initial");
    EXPECT_EQ(result["margin-top"], "inherit");
    EXPECT_EQ(result["margin-left"], "inherit");
    EXPECT_EQ(result["color"], "inherit"); // unset inherits an inherited property
    EXPECT_EQ(result["display"], "initial");
    EXPECT_EQ(result["border-left-style"], "initial");
    auto textDecoration = declarations(u"text-decoration: underline line-through; -webkit-user-select: none");
    EXPECT_EQ(textDecoration["text-decoration"], "underline line-through");
    EXPECT_EQ(textDecoration.size(), 1u);
}

TEST(CSSStyleSheet, RulesAtRulesAndMedia)
{
    auto sheet = CSSStyleSheet::parse(u"@charset \"utf-8\"; @import url(x.css);\n"
                                      u"<!-- p { color: red } -->\n"
                                      u"@font-face { font-family: x; src: url(a) }\n"
                                      u"@media print { p { color: green } }\n"
                                      u"@media screen, print { i { color: green } }\n"
                                      u"@media (max-width: 600px) { u { color: blue } }\n"
                                      u"a:hover { color: red } h1 { } h2 { color: }\n"
                                      u"div { color: red; { nested } ; margin: 0 } em { color: blue");
    std::vector<std::u16string> subjects;
    for (auto& rule : sheet->rules())
        subjects.push_back(rule.selectors.front().subject().tagName);
    EXPECT_EQ(subjects, (std::vector<std::u16string> { u"p", u"i", u"div", u"em" }));
    EXPECT_EQ(sheet->rules()[2].declarations.size(), 5u); // color and the four margins
    EXPECT_TRUE(cssMediaListMatchesScreen(u""));
    EXPECT_TRUE(cssMediaListMatchesScreen(u"ALL"));
    EXPECT_TRUE(cssMediaListMatchesScreen(u"only screen"));
    EXPECT_TRUE(cssMediaListMatchesScreen(u"not print"));
    EXPECT_FALSE(cssMediaListMatchesScreen(u"print"));
    EXPECT_FALSE(cssMediaListMatchesScreen(u"not screen"));
}

TEST(CSSStyleSheet, ArbitraryInputParsesWithoutFailing)
{
    const std::u16string alphabet = u"{}()[];:,.#*>+~!@'\"\\/ \n-_%0123456789pxemabcdimportantrgburl\u00E9\uFFFF\U0001F600";
    uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245 + 12345;
        return (state >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        int length = next() % 120;
        for (int i = 0; i < length; ++i)
            text += alphabet[next() % alphabet.size()];
        auto sheet = CSSStyleSheet::parse(text, u"file:///a/b.css");
        ASSERT_TRUE(sheet);
        parseCSSDeclarationList(text);
        CSSSelector::parseList(text);
    }
}
