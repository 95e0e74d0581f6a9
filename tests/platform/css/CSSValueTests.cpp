#include "platform/css/CSSColor.h"
#include "platform/css/CSSValue.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(CSSValue, WrongTypeGettersAnswerNeutralValues)
{
    auto length = CSSPrimitiveValue::create(12, CSSPrimitiveValue::CSS_PX);
    auto name = CSSPrimitiveValue::createIdentifier(u"bold");
    auto color = CSSPrimitiveValue::createColor({ 255, 0, 0, 1 });
    auto percentage = CSSPrimitiveValue::create(50, CSSPrimitiveValue::CSS_PERCENTAGE);

    EXPECT_EQ(length->getStringValue(), u"");
    EXPECT_EQ(length->getRGBColorValue(), CSSRGBColor());
    EXPECT_EQ(name->getFloatValue(CSSPrimitiveValue::CSS_PX), 0);
    EXPECT_EQ(color->getFloatValue(CSSPrimitiveValue::CSS_PX), 0);
    EXPECT_EQ(color->getStringValue(), u"");
    // Percentages and ems do not convert to pixels without a context.
    EXPECT_EQ(percentage->getFloatValue(CSSPrimitiveValue::CSS_PX), 0);
    EXPECT_EQ(percentage->getFloatValue(CSSPrimitiveValue::CSS_PERCENTAGE), 50);

    auto points = CSSPrimitiveValue::create(12, CSSPrimitiveValue::CSS_PT);
    EXPECT_DOUBLE_EQ(points->getFloatValue(CSSPrimitiveValue::CSS_PX), 16);
    EXPECT_DOUBLE_EQ(CSSPrimitiveValue::create(1, CSSPrimitiveValue::CSS_IN)->getFloatValue(CSSPrimitiveValue::CSS_PT),
                     72);
    EXPECT_EQ(name->cssValueType(), CSSValue::CSS_PRIMITIVE_VALUE);

    CSSValueList list({ name, length }, false);
    EXPECT_EQ(list.cssValueType(), CSSValue::CSS_VALUE_LIST);
    EXPECT_EQ(list.item(2), nullptr);
    EXPECT_EQ(list.cssText(), u"bold 12px");
}

TEST(CSSValue, CSSTextOfPrimitives)
{
    EXPECT_EQ(CSSPrimitiveValue::create(1.5, CSSPrimitiveValue::CSS_EMS)->cssText(), u"1.5em");
    EXPECT_EQ(CSSPrimitiveValue::create(-0.25, CSSPrimitiveValue::CSS_PX)->cssText(), u"-0.25px");
    EXPECT_EQ(CSSPrimitiveValue::createColor({ 1, 2, 3, 1 })->cssText(), u"rgb(1, 2, 3)");
    EXPECT_EQ(CSSPrimitiveValue::createColor({ 1, 2, 3, 0.5 })->cssText(), u"rgba(1, 2, 3, 0.5)");
    EXPECT_EQ(CSSPrimitiveValue::createString(u"a\"b")->cssText(), u"\"a\\\"b\"");
    EXPECT_EQ(CSSPrimitiveValue::createURI(u"file:///a.png")->cssText(), u"url(\"file:///a.png\")");
}

TEST(CSSColor, NamedHexAndFunctionalNotations)
{
    EXPECT_EQ(parseCSSColor(u"Red"), (CSSRGBColor { 255, 0, 0, 1 }));
    EXPECT_EQ(parseCSSColor(u"rebeccapurple"), (CSSRGBColor { 102, 51, 153, 1 }));
    EXPECT_EQ(parseCSSColor(u"transparent"), (CSSRGBColor { 0, 0, 0, 0 }));
    EXPECT_EQ(parseCSSColor(u"#0f8"), (CSSRGBColor { 0, 255, 136, 1 }));
    EXPECT_EQ(parseCSSColor(u"#00FF8880")->alpha, 128 / 255.0);
    EXPECT_EQ(parseCSSColor(u"#f008")->alpha, 136 / 255.0);
    EXPECT_EQ(parseCSSColor(u"rgb(10, 20, 30)"), (CSSRGBColor { 10, 20, 30, 1 }));
    EXPECT_EQ(parseCSSColor(u"rgb(100%, 0%, 50%)"), (CSSRGBColor { 255, 0, 128, 1 }));
    EXPECT_EQ(parseCSSColor(u"rgba(300, -5, 0, 0.5)"), (CSSRGBColor { 255, 0, 0, 0.5 }));
    EXPECT_EQ(parseCSSColor(u"rgb(1 2 3 / 50%)"), (CSSRGBColor { 1, 2, 3, 0.5 }));
    EXPECT_EQ(parseCSSColor(u"hsl(120, 100%, 50%)"), (CSSRGBColor { 0, 255, 0, 1 }));
    EXPECT_EQ(parseCSSColor(u"hsla(0, 100%, 50%, 0.25)"), (CSSRGBColor { 255, 0, 0, 0.25 }));

    for (std::u16string_view invalid : { u"#12", u"#12345", u"#ggg", u"notacolor", u"rgb(1, 2)", u"rgb(1, 2, 3",
                                         u"red blue", u"currentcolor", u"rgb(1px, 2, 3)", u"" })
        EXPECT_FALSE(parseCSSColor(invalid).has_value()) << std::string(invalid.begin(), invalid.end());
}
