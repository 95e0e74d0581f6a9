#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMCSSComputedStyle, TypedValuesNamesAndShorthands)
{
    auto document = DOMDocument::parseHTML(
        u"<p id=p style='margin: 1px 2px 3px; -webkit-border-top-left-radius: 2pt; font-family: Georgia, \"A B\";"
        u"background: url(a.png) #00ff0080; border-color: red'>t</p>",
        u"file:///site/page.html");
    auto style = getComputedStyle(*document->getElementById(u"p"));

    auto margin = toPrimitiveValue(style->getPropertyCSSValue(u"MARGIN-TOP").get());
    ASSERT_TRUE(margin);
    EXPECT_EQ(margin->primitiveType(), CSSPrimitiveValue::CSS_PX);
    EXPECT_EQ(margin->getFloatValue(CSSPrimitiveValue::CSS_PX), 1);
    EXPECT_EQ(style->getPropertyValue(u"margin"), u"1px 2px 3px");
    EXPECT_EQ(style->getPropertyValue(u"-webkit-border-top-left-radius"), u"2.666667px");
    EXPECT_EQ(style->getPropertyValue(u"border-radius"), u"2.666667px 0px 0px");
    EXPECT_EQ(style->getPropertyValue(u"border-color"), u"rgb(255, 0, 0)");
    // Shorthands have no single typed value; unknown names have none at all.
    EXPECT_EQ(style->getPropertyCSSValue(u"margin"), nullptr);
    EXPECT_EQ(style->getPropertyCSSValue(u"no-such-thing"), nullptr);
    EXPECT_EQ(style->getPropertyValue(u"no-such-thing"), u"");

    auto families = toValueList(style->getPropertyCSSValue(u"font-family").get());
    ASSERT_TRUE(families);
    ASSERT_EQ(families->length(), 2u);
    EXPECT_EQ(toPrimitiveValue(families->item(0).get())->primitiveType(), CSSPrimitiveValue::CSS_IDENT);
    EXPECT_EQ(toPrimitiveValue(families->item(1).get())->getStringValue(), u"A B");

    auto image = toPrimitiveValue(style->getPropertyCSSValue(u"background-image").get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->primitiveType(), CSSPrimitiveValue::CSS_URI);
    EXPECT_EQ(image->getStringValue(), u"file:///site/a.png");
    auto background = toPrimitiveValue(style->getPropertyCSSValue(u"background-color").get());
    EXPECT_EQ(background->getRGBColorValue(), (CSSRGBColor { 0, 255, 0, 128 / 255.0 }));

    EXPECT_EQ(style->length(), CSSPropertyCount);
    EXPECT_EQ(style->item(0), u"background-attachment");
    EXPECT_EQ(style->item(style->length()), u"");
    for (unsigned i = 1; i < style->length(); ++i)
        EXPECT_LT(style->item(i - 1), style->item(i));
    EXPECT_NE(style->cssText().find(u"display: block;"), std::u16string::npos);
}

TEST(DOMCSSComputedStyle, ValuesOutliveTheirSheets)
{
    auto document = DOMDocument::parseHTML(u"<style id=s>p { color: rgb(1, 2, 3); font-family: Courier }</style><p id=p>t</p>");
    auto style = getComputedStyle(*document->getElementById(u"p"));
    auto color = style->getPropertyCSSValue(u"color");
    auto family = style->getPropertyCSSValue(u"font-family");
    // Removing the sheet replaces the rules the values came from.
    document->getElementById(u"s")->remove();
    EXPECT_EQ(style->getPropertyValue(u"color"), u"rgb(0, 0, 0)");
    EXPECT_EQ(color->cssText(), u"rgb(1, 2, 3)");
    EXPECT_EQ(family->cssText(), u"Courier");
    document.reset();
    EXPECT_EQ(color->cssText(), u"rgb(1, 2, 3)");
}
