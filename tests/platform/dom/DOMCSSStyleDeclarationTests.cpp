#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMCSSStyleDeclaration, KeepsOrderAndPriority)
{
    auto document = DOMDocument::createHTMLDocument();
    auto element = document->createElement(u"p");
    element->setAttribute(u"style", u"color: red; MARGIN-left:1px !important;font-family: \"a;b\", serif; bogus; ;");
    auto style = element->style();
    ASSERT_EQ(style->length(), 3u);
    EXPECT_EQ(style->item(0), u"color");
    EXPECT_EQ(style->item(1), u"margin-left");
    EXPECT_EQ(style->item(3), u"");
    EXPECT_EQ(style->getPropertyPriority(u"margin-left"), u"important");
    EXPECT_EQ(style->getPropertyValue(u"font-family"), u"\"a;b\", serif");

    // Setting an existing property keeps its place; a new one appends.
    style->setProperty(u"color", u"blue");
    style->setProperty(u"width", u"3em", u"important");
    EXPECT_EQ(element->getAttribute(u"style"),
              u"color: blue; margin-left: 1px !important; font-family: \"a;b\", serif; width: 3em !important;");
    EXPECT_EQ(style->removeProperty(u"margin-left"), u"1px");
    style->setProperty(u"width", u"");
    EXPECT_EQ(style->cssText(), u"color: blue; font-family: \"a;b\", serif;");

    // The declaration follows the attribute.
    element->setAttribute(u"style", u"top: 0 /* comment */; left: url(a;b.png)");
    EXPECT_EQ(style->length(), 2u);
    EXPECT_EQ(style->getPropertyValue(u"left"), u"url(a;b.png)");
    element->removeAttribute(u"style");
    EXPECT_EQ(style->length(), 0u);
    style->setCssText(u"--Custom: x; b: y");
    EXPECT_EQ(element->getAttribute(u"style"), u"--Custom: x; b: y;");
}

TEST(DOMCSSStyleDeclaration, DuplicatesAndImportance)
{
    auto declarations = DOMCSSStyleDeclaration::parseDeclarations(u"a: 1 !important; b: 2; a: 3; b: 4 ! IMPORTANT");
    ASSERT_EQ(declarations.size(), 2u);
    EXPECT_EQ(declarations[0].value, u"1");
    EXPECT_TRUE(declarations[0].important);
    EXPECT_EQ(declarations[1].value, u"4");
    EXPECT_TRUE(declarations[1].important);
}

TEST(DOMCSSStyleDeclaration, RejectsMalformedValuesAndPriorities)
{
    auto document = DOMDocument::createHTMLDocument();
    auto element = document->createElement(u"p");
    auto style = element->style();
    style->setProperty(u"color", u"red", u"urgent");
    EXPECT_EQ(style->length(), 0u);
    style->setProperty(u"color", u"red; background: blue");
    EXPECT_EQ(style->length(), 0u);
    style->setProperty(u"color", u"red !important");
    EXPECT_EQ(style->length(), 0u);
    EXPECT_FALSE(element->hasAttribute(u"style"));
    style->setProperty(u"Color", u"  red  ", u"IMPORTANT");
    EXPECT_EQ(element->getAttribute(u"style"), u"color: red !important;");
    // A style outliving its element keeps working on its own.
    element.reset();
    style->setProperty(u"margin", u"0");
    EXPECT_EQ(style->cssText(), u"color: red !important; margin: 0;");
}
