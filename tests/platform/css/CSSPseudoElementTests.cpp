#include "platform/css/CSSRuleSet.h"
#include "platform/css/CSSSelector.h"
#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include "tests/platform/css/CSSTestSupport.h"

#include <gtest/gtest.h>

using namespace brevanton;
using namespace brevanton::csstest;

namespace css_pseudo_element_tests {
namespace {

class CSSPseudoElement_ : public ::testing::Test {
protected:
    void TearDown() override { CSSStyleResolver::setUserStyleSheet({}); }

    static std::shared_ptr<const CSSComputedValues> before(const std::shared_ptr<DOMDocument>& document, const char16_t* id)
    {
        return CSSStyleResolver::pseudoElementValuesFor(*document->getElementById(id), CSSPseudoElement::Before);
    }
    static std::shared_ptr<const CSSComputedValues> after(const std::shared_ptr<DOMDocument>& document, const char16_t* id)
    {
        return CSSStyleResolver::pseudoElementValuesFor(*document->getElementById(id), CSSPseudoElement::After);
    }
    static std::string text(const std::shared_ptr<const CSSComputedValues>& values, CSSPropertyID id)
    {
        return values ? toUTF8(values->value(id)->cssText()) : "(none)";
    }
};

} // namespace

TEST(CSSSelectorPseudoElements, ParsedOnlyAtTheEndOfASelector)
{
    auto list = CSSSelector::parseList(u"p::before, .a .b::AFTER, li:before, ::after, div:first-child::before");
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].pseudoElement(), CSSPseudoElement::Before);
    EXPECT_EQ(list[1].pseudoElement(), CSSPseudoElement::After);
    EXPECT_EQ(list[2].pseudoElement(), CSSPseudoElement::Before) << "the one-colon spelling";
    EXPECT_EQ(list[3].pseudoElement(), CSSPseudoElement::After);
    EXPECT_TRUE(list[4].subject().firstChild);
    // The pseudo-element counts as a type.
    EXPECT_EQ(list[0].specificity(), 2u);
    EXPECT_EQ(list[1].specificity(), 0x201u);
    EXPECT_EQ(list[3].specificity(), 1u);

    // Nothing may follow it; other pseudo-elements and the two-colon first-child are unknown.
    for (auto invalid : { u"p::before.x", u"p::before span", u"p::before > b", u"p::before::after", u"p::first-line",
                          u"p::selection", u"p::first-child", u"p::", u"p::\"x\"" })
        EXPECT_TRUE(CSSSelector::parseList(invalid).empty()) << toUTF8(invalid);
}

TEST(CSSSelectorPseudoElements, StyleTheGeneratedContentNeverTheElement)
{
    auto document = parse("<div class=brick><p id=p class=brick>x</p></div>");
    auto& p = *document->getElementById(u"p");
    auto selector = CSSSelector::parseList(u"div .brick::before").front();
    EXPECT_FALSE(selector.matches(p));
    EXPECT_TRUE(selector.matchesPseudoElement(p, CSSPseudoElement::Before));
    EXPECT_FALSE(selector.matchesPseudoElement(p, CSSPseudoElement::After));
    EXPECT_FALSE(selector.matchesPseudoElement(*document->getElementById(u"p")->parentElement(), CSSPseudoElement::Before))
        << "the compounds must still match";

    CSSRuleSet rules;
    rules.addStyleSheet(CSSStyleSheet::parse(u".brick::before { color: red } .brick { color: blue } *::after { color: green }"));
    std::vector<CSSRuleData> own, beforeRules, afterRules;
    rules.collectMatchingRules(p, own);
    rules.collectMatchingRules(p, beforeRules, CSSPseudoElement::Before);
    rules.collectMatchingRules(p, afterRules, CSSPseudoElement::After);
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].selector->pseudoElement(), CSSPseudoElement::None);
    ASSERT_EQ(beforeRules.size(), 1u);
    EXPECT_EQ(beforeRules[0].selector->pseudoElement(), CSSPseudoElement::Before);
    EXPECT_EQ(afterRules.size(), 1u);
    EXPECT_TRUE(rules.hasRulesFor(CSSPseudoElement::After));
    CSSRuleSet plain;
    plain.addStyleSheet(CSSStyleSheet::parse(u"p { color: red }"));
    EXPECT_FALSE(plain.hasRulesFor(CSSPseudoElement::Before));
}

TEST_F(CSSPseudoElement_, CascadeGivesPseudoElementsTheirOwnValuesInheritingFromTheElement)
{
    auto document = parse("<style>"
                          "p::before { content: 'x'; color: red; top: 0.5em }"
                          "p.q::before { content: none }"
                          "p { color: blue; font-size: 20px }"
                          "#b::after { content: \"\" }"
                          "</style><p id=a>a</p><p id=b class=q>b</p><div id=c>c</div>");
    // The rule for the generated content leaves the element alone.
    EXPECT_EQ(value(document, u"a", u"color"), "rgb(0, 0, 255)");
    EXPECT_EQ(value(document, u"a", u"top"), "auto");

    auto aBefore = before(document, u"a");
    ASSERT_TRUE(aBefore);
    EXPECT_EQ(text(aBefore, CSSPropertyID::Content), "\"x\"");
    EXPECT_EQ(text(aBefore, CSSPropertyID::Color), "rgb(255, 0, 0)");
    EXPECT_EQ(text(aBefore, CSSPropertyID::Top), "10px") << "em of the element's font size";
    EXPECT_EQ(aBefore->fontSize, 20);
    EXPECT_FALSE(after(document, u"a")) << "no rule styles it";
    EXPECT_FALSE(before(document, u"c"));

    // The more specific rule wins; an empty string is content.
    EXPECT_EQ(text(before(document, u"b"), CSSPropertyID::Content), "none");
    EXPECT_EQ(text(after(document, u"b"), CSSPropertyID::Content), "\"\"");
    // Inherited values come from the element.
    EXPECT_EQ(text(after(document, u"b"), CSSPropertyID::Color), "rgb(0, 0, 255)");
    // Elements get "normal" content.
    EXPECT_EQ(value(document, u"a", u"content"), "normal");
}

TEST_F(CSSPseudoElement_, ContentValues)
{
    auto document = parse("<style>"
                          "#a::before { content: \"one \" 'two' }"
                          "#b::before { content: 'kept'; content: attr(title) }"
                          "#c::before { content: 'kept'; content: 'a' 3 }"
                          "#d::before { content: NORMAL }"
                          "</style><p id=a>a</p><p id=b title=t>b</p><p id=c>c</p><p id=d>d</p>");
    EXPECT_EQ(text(before(document, u"a"), CSSPropertyID::Content), "\"one two\"");
    EXPECT_EQ(text(before(document, u"b"), CSSPropertyID::Content), "\"kept\"") << "unsupported content is dropped";
    EXPECT_EQ(text(before(document, u"c"), CSSPropertyID::Content), "\"kept\"");
    EXPECT_EQ(text(before(document, u"d"), CSSPropertyID::Content), "normal");
}

TEST_F(CSSPseudoElement_, UserSheetRulesFollowClassChanges)
{
    CSSStyleResolver::setUserStyleSheet(u".on .brick::before { content: ''; position: absolute; width: 12px }");
    auto document = parse("<body><p id=a class=brick>a</p></body>");
    EXPECT_FALSE(before(document, u"a"));
    // A class given to an ancestor later reaches the cached generated content.
    (void)document->body()->setAttribute(u"class", u"on");
    auto values = before(document, u"a");
    ASSERT_TRUE(values);
    EXPECT_EQ(text(values, CSSPropertyID::Position), "absolute");
    EXPECT_EQ(text(values, CSSPropertyID::Width), "12px");
    (void)document->body()->setAttribute(u"class", u"");
    EXPECT_FALSE(before(document, u"a"));
    // A change of the user sheet drops them too.
    (void)document->body()->setAttribute(u"class", u"on");
    ASSERT_TRUE(before(document, u"a"));
    CSSStyleResolver::setUserStyleSheet(u"p { color: red }");
    EXPECT_FALSE(before(document, u"a"));
}

TEST_F(CSSPseudoElement_, DetachedElementsGetTheirGeneratedContentStyled)
{
    CSSStyleResolver::setUserStyleSheet(u"p::after { content: 'z' }");
    auto document = parse("<p id=a>a</p>");
    auto detached = document->createElement(u"p");
    EXPECT_EQ(text(CSSStyleResolver::pseudoElementValuesFor(*detached, CSSPseudoElement::After), CSSPropertyID::Content),
              "\"z\"");
}

} // namespace css_pseudo_element_tests
