#include "dom/VornickElementAttributeValue.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(ElementAttributeValue, CachesTheValueWhenMade)
{
    auto document = DOMDocument::parseHTML(u"<body><img id=i src='pics/a b.png' alt=''></body>");
    auto image = document->getElementById(u"i");
    auto source = VornickElementAttributeValue::element(image, u"src");
    auto missing = VornickElementAttributeValue::element(image, u"title");
    (void)image->setAttribute(u"src", u"other.png");

    EXPECT_EQ(source.element(), image);
    EXPECT_EQ(source.cachedAttributeValueString(), u"pics/a b.png");
    EXPECT_FALSE(missing.cachedAttributeValueString());
    EXPECT_EQ(VornickElementAttributeValue::element(image, u"alt").cachedAttributeValueString(), u"");
    EXPECT_THROW(VornickElementAttributeValue::element(image, u""), InternalInconsistencyException);

    auto given = VornickElementAttributeValue::element(nullptr, u"charset", u"utf-8");
    EXPECT_FALSE(given.element());
    EXPECT_EQ(given.cachedAttributeValueString(), u"utf-8");
}

TEST(ElementAttributeValue, ResolvesAgainstTheDocumentURL)
{
    auto documentURL = URL::fileURLWithPath(std::string_view("/site/posts/page.html"));
    auto value = [](std::u16string text) { return VornickElementAttributeValue::element(nullptr, u"href", std::move(text)); };
    EXPECT_EQ(value(u"../img/./a.png").URLByResolvingReativeToDocumentURL(documentURL)->absoluteString(), u"file:///site/img/a.png");
    EXPECT_EQ(value(u"https://example.org/x").URLByResolvingReativeToDocumentURL(documentURL)->absoluteString(), u"https://example.org/x");
    EXPECT_FALSE(value(u"%zz").URLByResolvingReativeToDocumentURL(documentURL));
    EXPECT_FALSE(VornickElementAttributeValue::element(nullptr, u"href", std::nullopt).URLByResolvingReativeToDocumentURL(documentURL));
}

TEST(ElementAttributeValue, AttributeValuesComeInAttributeOrder)
{
    auto document = DOMDocument::parseHTML(u"<body><a id=x href=h title=t class=c></a><b></b></body>");
    auto values = vornick_attributeValues(document->getElementById(u"x"));
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].attributeName(), u"id");
    EXPECT_EQ(values[1].attributeName(), u"href");
    EXPECT_EQ(values[3].cachedAttributeValueString(), u"c");
    auto bold = document->body()->lastElementChild();
    EXPECT_TRUE(vornick_attributeValues(bold).empty());
    EXPECT_TRUE(vornick_attributeValues(nullptr).empty());
}
