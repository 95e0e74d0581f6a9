#include "dom/VornickStyleQueries.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickDefaultDisplayValues.h"
#include "dom/VornickElementExtensions.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/views/Font.h"
#include "platform/web/WebStyleSheets.h"

#include <gtest/gtest.h>

#include <map>

namespace brevanton {
namespace {

using namespace testing;

class FixedStyle final : public VornickComputedStyle {
public:
    std::optional<VornickCSSValue> getPropertyCSSValue(std::u16string_view name) const override
    {
        auto found = values.find(std::u16string(name));
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }
    std::map<std::u16string, VornickCSSValue> values;
};

TEST(VornickStyleQueries, FontWeightsAreBoldFromSixHundred)
{
    FixedStyle style;
    EXPECT_EQ(vornick_fontWeight(style), 0);
    style.values[u"font-weight"] = VornickCSSValue::identifier(u"bold");
    EXPECT_EQ(vornick_fontWeight(style), 0.6);
    style.values[u"font-weight"] = VornickCSSValue::number(700);
    EXPECT_EQ(vornick_fontWeight(style), 0.6);
    style.values[u"font-weight"] = VornickCSSValue::number(600);
    EXPECT_EQ(vornick_fontWeight(style), 0.6);
    style.values[u"font-weight"] = VornickCSSValue::number(500);
    EXPECT_EQ(vornick_fontWeight(style), 0);
    style.values[u"font-weight"] = VornickCSSValue::identifier(u"800");
    EXPECT_EQ(vornick_fontWeight(style), 0.6);
    style.values[u"font-weight"] = VornickCSSValue::identifier(u"normal");
    EXPECT_EQ(vornick_fontWeight(style), 0);
    // Digits beyond any integer type come from hand-written style sheets too.
    style.values[u"font-weight"] = VornickCSSValue::identifier(u"99999999999999999999");
    EXPECT_EQ(vornick_fontWeight(style), 0.6);
    style.values[u"font-weight"] = VornickCSSValue::identifier(u"0000000000000000000400");
    EXPECT_EQ(vornick_fontWeight(style), 0);
}

TEST(VornickStyleQueries, FontDescriptorsNameFamilyWeightAndStyle)
{
    FixedStyle style;
    style.values[u"font-size"] = VornickCSSValue::pixels(14);
    EXPECT_EQ(vornick_fontDescriptor(style), (VornickFontDescriptor { u"Times New Roman", 14 }));
    style.values[u"font-family"] = VornickCSSValue::list(
        { VornickCSSValue::identifier(u"serif"), VornickCSSValue::pixels(3), VornickCSSValue::string(u"Georgia") });
    EXPECT_EQ(vornick_fontFamilyArray(style), (std::vector<std::u16string> { u"serif", u"Georgia" }));
    style.values[u"font-family"] = VornickCSSValue::string(u"Georgia");
    style.values[u"font-style"] = VornickCSSValue::identifier(u"italic");
    EXPECT_EQ(vornick_fontDescriptor(style).fontName, u"Georgia-Italic");
    style.values[u"font-weight"] = VornickCSSValue::number(700);
    EXPECT_EQ(vornick_fontDescriptor(style).fontName, u"Georgia-BoldItalic");
    auto font = vornick_font(style);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->familyName(), u"Georgia-BoldItalic");
    EXPECT_EQ(font->pointSize(), 14);
}

TEST(VornickStyleQueries, RuleListsAreWalkedInOrderUntilStopped)
{
    std::vector<std::shared_ptr<DOMCSSRule>> rules { std::make_shared<DOMCSSRule>(DOMCSSRule::STYLE_RULE, u"p { color: red }"),
                                                     std::make_shared<DOMCSSRule>(DOMCSSRule::MEDIA_RULE, u"@media print {}"),
                                                     std::make_shared<DOMCSSRule>(DOMCSSRule::STYLE_RULE, u"a {}") };
    std::vector<std::u16string> seen;
    EXPECT_TRUE(vornick_enumerateRulesUsingBlock(rules, [&](const std::shared_ptr<DOMCSSRule>& rule, bool&) { seen.push_back(rule->cssText()); }));
    EXPECT_EQ(seen, (std::vector<std::u16string> { u"p { color: red }", u"@media print {}", u"a {}" }));
    seen.clear();
    EXPECT_FALSE(vornick_enumerateRulesUsingBlock(rules, [&](const std::shared_ptr<DOMCSSRule>& rule, bool& stop) {
        seen.push_back(rule->cssText());
        stop = rule->type() == DOMCSSRule::MEDIA_RULE;
    }));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(vornick_enumerateRulesUsingBlock({}, [](const std::shared_ptr<DOMCSSRule>&, bool&) {}));
}

TEST(VornickStyleQueries, TypedGettersFallBackOnOtherTypes)
{
    FixedStyle style;
    style.values[u"color"] = VornickCSSValue::rgbColor({ 1, 0, 0, 1 });
    style.values[u"background-color"] = VornickCSSValue::identifier(u"transparent");
    style.values[u"background-image"] = VornickCSSValue::uri(u"https://example.com/a.png");
    style.values[u"margin-top"] = VornickCSSValue::pixels(8);
    style.values[u"margin-left"] = VornickCSSValue::identifier(u"auto");
    style.values[u"line-height"] = VornickCSSValue::identifier(u"normal");
    style.values[u"list-style-type"] = VornickCSSValue::list({ VornickCSSValue::identifier(u"disc") });
    style.values[u"text-decoration"] = VornickCSSValue::identifier(u"line-through");
    EXPECT_EQ(vornick_color(style), (VornickRGBColor { 1, 0, 0, 1 }));
    EXPECT_EQ(vornick_backgroundColor(style), std::nullopt);
    EXPECT_EQ(vornick_backgroundImageURL(style), u"https://example.com/a.png");
    EXPECT_EQ(vornick_margin(style), (std::array<double, 4> { 8, 0, 0, 0 }));
    EXPECT_EQ(vornick_lineHeight(style), 0);
    EXPECT_EQ(vornick_listStyleType(style), std::nullopt) << "a list is not an identifier";
    EXPECT_EQ(vornick_getPrimitiveIdentifierValue(style, u"list-style-type", std::nullopt), u"disc");
    EXPECT_FALSE(vornick_listStylePosition(style));
    EXPECT_EQ(vornick_textDecoration(style), VornickTextDecoration::LineThrough);
    EXPECT_EQ(style.getPropertyValue(u"color"), u"rgb(255, 0, 0)");
    style.values[u"width"] = VornickCSSValue::pixels(1e20);
    EXPECT_EQ(style.getPropertyValue(u"width"), u"100000000000000000000px") << "no trailing point";
    style.values[u"width"] = VornickCSSValue::pixels(2.25);
    EXPECT_EQ(style.getPropertyValue(u"width"), u"2.25px");
    style.values[u"color"] = VornickCSSValue::rgbColor({ 0, 0, 1, 0.5 });
    EXPECT_EQ(style.getPropertyValue(u"color"), u"rgba(0, 0, 255, 0.5)");
    EXPECT_TRUE(vornick_enumerateValues(VornickCSSValue::list({}), [](const VornickCSSValue&, bool&) {}));
}

TEST(VornickStyleQueries, InlineStylePropertiesKeepOrderAndPriority)
{
    DOMCSSStyleDeclaration declaration;
    declaration.setCssText(u"z-index: 3; color: red !important; margin: 0");
    auto properties = vornick_propertiesDictionary(declaration);
    ASSERT_EQ(properties.size(), 3u);
    EXPECT_EQ(properties[0].first, u"z-index");
    EXPECT_EQ(properties[1].second, u"red !important");
    std::vector<std::u16string> names;
    EXPECT_FALSE(vornick_enumeratePropertyNames(declaration, [&](const std::u16string& name, bool& stop) {
        names.push_back(name);
        stop = names.size() == 2;
    }));
    EXPECT_EQ(names.size(), 2u);
}

TEST(VornickDefaultDisplayValues, HTMLElementsGetTheirDefaultDisplay)
{
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"DIV"), u"block");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"li"), u"list-item");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"td"), u"table-cell");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"tbody"), u"table-row-group");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"head"), u"none");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"span"), u"inline");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"xmp"), u"block");
    EXPECT_EQ(vornick_defaultDisplayValueForTagName(u"a-very-long-custom-element-name"), u"inline");

    auto document = documentWithBody(u"<p id=p hidden>x</p><span id=s style=\"display: block; display: flex\">y</span>");
    VornickDefaultDisplayStyleProvider provider;
    EXPECT_EQ(provider.computedDisplay(*byId(document, u"p")), u"none");
    EXPECT_EQ(provider.computedDisplay(*byId(document, u"s")), u"flex") << "the last declaration wins";
    EXPECT_EQ(provider.computedStyle(*byId(document, u"s"))->getPropertyValue(u"display"), u"flex");
    EXPECT_EQ(provider.computedStyle(*byId(document, u"s"))->getPropertyCSSValue(u"color"), std::nullopt);
}

TEST(VornickDefaultDisplayValues, AnInstalledProviderDecidesWhatIsABrick)
{
    class EverythingInline final : public VornickComputedStyleProvider {
    public:
        std::shared_ptr<VornickComputedStyle> computedStyle(const DOMElement&) const override
        {
            auto style = std::make_shared<FixedStyle>();
            style->values[u"display"] = VornickCSSValue::identifier(u"INLINE");
            return style;
        }
    };
    auto document = documentWithBody(u"<div id=d></div><table><tbody><tr id=tr></tr></tbody></table>");
    VornickSetComputedStyleProvider(std::make_shared<EverythingInline>());
    EXPECT_FALSE(vornick_isBrickElement(*byId(document, u"d")));
    EXPECT_TRUE(vornick_isBrickElement(*byId(document, u"tr"))) << "TR is a brick whatever its display";
    VornickSetComputedStyleProvider(nullptr);
    EXPECT_TRUE(vornick_isBrickElement(*byId(document, u"d")));
}

} // namespace
} // namespace brevanton
