#include "platform/css/CSSSelector.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

bool matches(std::u16string_view selectorText, const DOMElement& element)
{
    auto list = CSSSelector::parseList(selectorText);
    for (auto& selector : list) {
        if (selector.matches(element))
            return true;
    }
    return false;
}

uint32_t specificity(std::u16string_view selectorText)
{
    auto list = CSSSelector::parseList(selectorText);
    EXPECT_EQ(list.size(), 1u) << toUTF8(selectorText);
    return list.empty() ? 0 : list[0].specificity();
}

} // namespace

TEST(CSSSelector, SpecificityCountsIdsClassesAndTypes)
{
    EXPECT_EQ(specificity(u"*"), 0u);
    EXPECT_EQ(specificity(u"p"), 1u);
    EXPECT_EQ(specificity(u"div p"), 2u);
    EXPECT_EQ(specificity(u".a.b"), 0x200u);
    EXPECT_EQ(specificity(u"p[title]:first-child"), 0x201u);
    EXPECT_EQ(specificity(u"#x > ul li.y"), 0x10102u);
}

TEST(CSSSelector, UnsupportedSelectorsAreDroppedFromTheirList)
{
    auto list = CSSSelector::parseList(u"a:hover, p, b + i, ul ~ ol, ::selection, svg|rect, p.x, #1a, .");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].subject().tagName, u"p");
    EXPECT_EQ(list[1].subject().classes.front(), u"x");
    EXPECT_TRUE(CSSSelector::parseList(u"").empty());
    EXPECT_TRUE(CSSSelector::parseList(u"p >").empty());
    EXPECT_TRUE(CSSSelector::parseList(u"[a=]").empty());
}

TEST(CSSSelector, MatchingCombinatorsAndSimpleSelectors)
{
    auto document = DOMDocument::parseHTML(
        u"<div id=outer class='Box wide'><section><p id=p1 title='en-US x' lang=en-US>one</p>"
        u"text<p id=p2 class='box'>two <b id=b>b</b></p></section></div>");
    auto p1 = document->getElementById(u"p1");
    auto p2 = document->getElementById(u"p2");
    auto b = document->getElementById(u"b");

    EXPECT_TRUE(matches(u"P", *p1)); // type selectors ignore case for HTML elements
    EXPECT_TRUE(matches(u"div p", *p1));
    EXPECT_TRUE(matches(u"section > p", *p1));
    EXPECT_FALSE(matches(u"div > p", *p1));
    // The descendant combinator retries farther ancestors after a failed child step.
    EXPECT_TRUE(matches(u"div > section b", *b));
    EXPECT_TRUE(matches(u"div section > p > b", *b));
    EXPECT_FALSE(matches(u"section > b", *b));

    EXPECT_TRUE(matches(u".Box p", *p1));
    EXPECT_FALSE(matches(u".box p", *p1)); // class names are case-sensitive
    EXPECT_TRUE(matches(u".box", *p2));
    EXPECT_FALSE(matches(u".bo", *p2)); // whole tokens only
    EXPECT_TRUE(matches(u"#outer.wide.Box p", *p1));

    EXPECT_TRUE(matches(u"p:first-child", *p1));
    EXPECT_FALSE(matches(u"p:first-child", *p2)); // text before it does not count, but p1 does
    EXPECT_TRUE(matches(u"b:first-child", *b));

    EXPECT_TRUE(matches(u"[title]", *p1));
    EXPECT_TRUE(matches(u"[TITLE~=x]", *p1));
    EXPECT_TRUE(matches(u"[lang|=en]", *p1));
    EXPECT_FALSE(matches(u"[lang|=e]", *p1));
    EXPECT_TRUE(matches(u"[title^='en-']", *p1));
    EXPECT_TRUE(matches(u"[title$=\" x\"]", *p1));
    EXPECT_TRUE(matches(u"[title*=US]", *p1));
    EXPECT_FALSE(matches(u"[title*=us]", *p1));
    EXPECT_TRUE(matches(u"[title*=us i]", *p1));
    EXPECT_FALSE(matches(u"[title^='']", *p1));
    EXPECT_FALSE(matches(u"[title]", *p2));
}

TEST(CSSSelector, ElementsOutsideHTMLMatchTypesWithCase)
{
    Error error;
    auto document = DOMDocument::parseXML("<Root><Item id='i'/><item id='j'/></Root>", u"file:///t.xml", &error);
    ASSERT_TRUE(document);
    auto* root = document->documentElement().get();
    auto* upper = toElement(root->first());
    auto* lower = toElement(root->last());
    ASSERT_TRUE(upper && lower);
    EXPECT_TRUE(CSSSelector::parseList(u"Item")[0].matches(*upper));
    EXPECT_FALSE(CSSSelector::parseList(u"Item")[0].matches(*lower));
    EXPECT_FALSE(CSSSelector::parseList(u"item")[0].matches(*upper));
    // The user-agent sheet's type selectors are for HTML elements only.
    EXPECT_FALSE(CSSSelector::parseList(u"item")[0].matches(*lower, true));
}
