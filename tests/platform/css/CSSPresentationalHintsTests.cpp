#include "platform/css/CSSPresentationalHints.h"
#include "platform/css/CSSStyleResolver.h"
#include "platform/css/CSSValue.h"
#include "platform/css/CSSValueParser.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include "tests/platform/css/CSSTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;
using namespace brevanton::csstest;

namespace css_presentational_hints_tests {
namespace {

// The cascaded value, before layout makes sizes used ones.
std::string computed(const std::shared_ptr<DOMDocument>& document, std::u16string_view id, CSSPropertyID property)
{
    auto element = document->getElementById(id);
    return element ? toUTF8(CSSStyleResolver::computedValuesFor(*element)->value(property)->cssText()) : "";
}

} // namespace

TEST(CSSPresentationalHints, OlderPagesColoursAndFontsApplyAsBrowsersMapThem)
{
    auto document = parse("<body id=body bgcolor=ffffcc text=#333333 link=navy>"
                          "<a id=link href=x>link</a><a id=anchor name=n>anchor</a>"
                          "<font id=font color=red size=5 face='Verdana, Arial'>big</font>"
                          "<font id=smaller size=-1>small</font><font id=largest size=+9>largest</font>"
                          "<table id=table bgcolor=#00ff00 border=2 cellspacing=4 cellpadding=6 width=80% align=center>"
                          "<tr id=row bgcolor=blue valign=top><td id=cell nowrap align=right height=30>c</td></tr></table>"
                          "<p id=p align=center>p</p><div id=div align=justify>d</div></body>");
    EXPECT_EQ(value(document, u"body", u"background-color"), "rgb(255, 255, 204)") << "a colour without its #";
    EXPECT_EQ(value(document, u"body", u"color"), "rgb(51, 51, 51)");
    EXPECT_EQ(value(document, u"link", u"color"), "rgb(0, 0, 128)");
    EXPECT_EQ(value(document, u"anchor", u"color"), "rgb(51, 51, 51)") << "only links take the link colour";
    EXPECT_EQ(value(document, u"font", u"color"), "rgb(255, 0, 0)");
    EXPECT_EQ(value(document, u"font", u"font-size"), "24px");
    EXPECT_EQ(value(document, u"font", u"font-family"), "\"Verdana\", \"Arial\"");
    EXPECT_EQ(value(document, u"smaller", u"font-size"), "13px");
    EXPECT_EQ(value(document, u"largest", u"font-size"), "48px");

    EXPECT_EQ(value(document, u"table", u"background-color"), "rgb(0, 255, 0)");
    EXPECT_EQ(value(document, u"table", u"border-top-width"), "2px");
    EXPECT_EQ(value(document, u"table", u"border-top-style"), "outset");
    EXPECT_EQ(value(document, u"table", u"border-spacing"), "4px");
    EXPECT_EQ(computed(document, u"table", CSSPropertyID::Width), "80%");
    EXPECT_EQ(value(document, u"table", u"margin-left"), "auto");
    EXPECT_EQ(value(document, u"row", u"background-color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"row", u"vertical-align"), "top");
    EXPECT_EQ(value(document, u"cell", u"padding-left"), "6px") << "the table's cellpadding";
    EXPECT_EQ(value(document, u"cell", u"white-space"), "nowrap");
    EXPECT_EQ(value(document, u"cell", u"text-align"), "right");
    EXPECT_EQ(computed(document, u"cell", CSSPropertyID::Height), "30px");
    EXPECT_EQ(value(document, u"p", u"text-align"), "center");
    EXPECT_EQ(value(document, u"div", u"text-align"), "justify");
}

TEST(CSSPresentationalHints, ListsImagesAndTheirSpacing)
{
    auto document = parse("<ol id=lower type=a><li id=roman type=I>x</li></ol><ol id=upper type=A></ol><ol id=i type=i></ol>"
                          "<ul id=square type=square></ul><ul id=bad type=zigzag></ul>"
                          "<img id=image src=x.png width=40 height=20 hspace=5 vspace=7 align=left border=1>");
    EXPECT_EQ(value(document, u"lower", u"list-style-type"), "lower-alpha");
    EXPECT_EQ(value(document, u"upper", u"list-style-type"), "upper-alpha") << "the type's case counts";
    EXPECT_EQ(value(document, u"i", u"list-style-type"), "lower-roman");
    EXPECT_EQ(value(document, u"roman", u"list-style-type"), "upper-roman");
    EXPECT_EQ(value(document, u"square", u"list-style-type"), "square");
    EXPECT_EQ(value(document, u"bad", u"list-style-type"), "disc");
    EXPECT_EQ(value(document, u"image", u"margin-left"), "5px");
    EXPECT_EQ(value(document, u"image", u"margin-bottom"), "7px");
    EXPECT_EQ(computed(document, u"image", CSSPropertyID::Width), "40px");
    EXPECT_EQ(value(document, u"image", u"border-top-width"), "1px");
}

TEST(CSSPresentationalHints, ThePagesStyleWinsAndNoValueCanAddADeclaration)
{
    auto document = parse("<style>#styled { background-color: red } * { color: teal }</style>"
                          "<table id=styled bgcolor=green><tr><td id=inline bgcolor=green style='background-color: blue'>x</td>"
                          "<td id=hostile bgcolor='red; display: none' background='a\"); display: none; x: url(\"b'>y</td>"
                          "<td id=nonsense width=wide height=-3 bgcolor='#12345z'>z</td></tr></table>"
                          "<font id=font color=red>f</font>");
    EXPECT_EQ(value(document, u"styled", u"background-color"), "rgb(255, 0, 0)") << "a rule of the page";
    EXPECT_EQ(value(document, u"inline", u"background-color"), "rgb(0, 0, 255)") << "the style attribute";
    EXPECT_EQ(value(document, u"font", u"color"), "rgb(0, 128, 128)") << "even the least specific rule";
    EXPECT_EQ(value(document, u"hostile", u"display"), "table-cell");
    EXPECT_EQ(value(document, u"hostile", u"background-color"), "rgba(0, 0, 0, 0)");
    EXPECT_EQ(computed(document, u"nonsense", CSSPropertyID::Width), "auto");
    EXPECT_EQ(computed(document, u"nonsense", CSSPropertyID::Height), "auto");
    EXPECT_EQ(value(document, u"nonsense", u"background-color"), "rgba(0, 0, 0, 0)");
    // The background's text stays inside its URL.
    auto declarations = parseCSSDeclarationList(cssPresentationalHints(*document->getElementById(u"hostile")));
    ASSERT_EQ(declarations.size(), 1u);
    EXPECT_EQ(declarations[0].property, CSSPropertyID::BackgroundImage);

    // Changing such an attribute restyles the element.
    CSSStyleResolver resolver(*document);
    EXPECT_TRUE(resolver.attributeAffectsStyles(u"bgcolor"));
    EXPECT_TRUE(resolver.attributeAffectsStyles(u"CELLPADDING"));
}

} // namespace css_presentational_hints_tests
