#include "dom/VornickCascadeComputedStyle.h"
#include "dom/VornickStyleQueries.h"
#include "platform/css/CSSValue.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class CascadeProvider : public ::testing::Test {
protected:
    void SetUp() override { VornickInstallCascadeComputedStyleProvider(); }
    void TearDown() override { VornickSetComputedStyleProvider(nullptr); }
};

} // namespace

TEST_F(CascadeProvider, EditorQueriesReadTheCascade)
{
    auto document = DOMDocument::parseHTML(
        u"<style>.post p { color: #336699; margin: 2px 4px } .lead { font: italic 700 20px Georgia, serif }"
        u".card { display: inline-block } ol li { list-style-type: upper-roman }</style>"
        u"<div class=post><p id=p>t <b id=b>b</b></p><p id=lead class=lead>l</p></div>"
        u"<div id=card class=card></div><ol><li id=li>x</li></ol><span id=s style='display: block'></span>");
    auto element = [&](std::u16string_view id) { return document->getElementById(id); };

    EXPECT_EQ(vornick_computedDisplay(*element(u"p")), u"block");
    EXPECT_EQ(vornick_computedDisplay(*element(u"b")), u"inline");
    EXPECT_EQ(vornick_computedDisplay(*element(u"card")), u"inline-block");
    EXPECT_EQ(vornick_computedDisplay(*element(u"li")), u"list-item");
    EXPECT_EQ(vornick_computedDisplay(*element(u"s")), u"block");

    auto paragraph = vornick_computedStyle(*element(u"p"));
    ASSERT_TRUE(paragraph);
    auto color = vornick_color(*paragraph);
    ASSERT_TRUE(color);
    EXPECT_DOUBLE_EQ(color->red, 0x33 / 255.0);
    EXPECT_DOUBLE_EQ(color->blue, 0x99 / 255.0);
    EXPECT_DOUBLE_EQ(color->alpha, 1);
    auto margin = vornick_margin(*paragraph);
    EXPECT_EQ(margin, (std::array<double, 4> { 2, 4, 2, 4 }));
    EXPECT_EQ(vornick_fontWeight(*vornick_computedStyle(*element(u"b"))), 0.6);
    EXPECT_EQ(vornick_fontWeight(*paragraph), 0.0);

    auto lead = vornick_computedStyle(*element(u"lead"));
    EXPECT_EQ(vornick_fontFamilyArray(*lead), (std::vector<std::u16string> { u"Georgia", u"serif" }));
    EXPECT_EQ(vornick_fontSizeInPoints(*lead), 20);
    EXPECT_EQ(vornick_fontStyle(*lead), u"italic");
    EXPECT_EQ(vornick_fontWeight(*lead), 0.6); // a numeric weight of 700

    EXPECT_EQ(vornick_listStyleType(*vornick_computedStyle(*element(u"li"))), u"upper-roman");
    EXPECT_FALSE(paragraph->getPropertyCSSValue(u"no-such-property"));
    EXPECT_EQ(paragraph->getPropertyValue(u"margin"), u"2px 4px");
}

TEST(VornickCascadeComputedStyle, ValueConversionKeepsTypes)
{
    auto list = std::make_shared<CSSValueList>(
        std::vector<std::shared_ptr<const CSSValue>> { CSSPrimitiveValue::createString(u"A B"),
                                                       CSSPrimitiveValue::createIdentifier(u"serif") },
        true);
    auto converted = VornickCSSValueFromCascadeValue(*list);
    EXPECT_EQ(converted.cssValueType, VornickCSSValue::ValueList);
    ASSERT_EQ(converted.items.size(), 2u);
    EXPECT_EQ(converted.items[0].primitiveType, VornickCSSValue::String);
    EXPECT_EQ(converted.items[1].stringValue, u"serif");

    auto percentage = VornickCSSValueFromCascadeValue(*CSSPrimitiveValue::create(50, CSSPrimitiveValue::CSS_PERCENTAGE));
    EXPECT_EQ(percentage.primitiveType, VornickCSSValue::Percentage);
    EXPECT_EQ(percentage.floatValue, 50);
    auto uri = VornickCSSValueFromCascadeValue(*CSSPrimitiveValue::createURI(u"file:///a.png"));
    EXPECT_EQ(uri.primitiveType, VornickCSSValue::URI);
    EXPECT_EQ(uri.stringValue, u"file:///a.png");
}
