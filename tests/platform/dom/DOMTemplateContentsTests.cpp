#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<DOMElement> templateIn(DOMDocument& document)
{
    return toElement(document.getElementsByTagName(u"template")->item(0));
}

} // namespace

TEST(DOMTemplateContents, ParsedChildrenFormContentsOwnedByAnInertDocument)
{
    auto document = DOMDocument::parseHTML(u"<body><template id=t><p id=inner>a</p><template><i>b</i></template></template>");
    auto templ = templateIn(*document);
    ASSERT_TRUE(templ);
    EXPECT_FALSE(templ->hasChildNodes());
    auto content = templ->content();
    ASSERT_TRUE(content);
    EXPECT_EQ(content->nodeType(), DOMNode::DOCUMENT_FRAGMENT_NODE);
    EXPECT_EQ(content, templ->content());
    EXPECT_EQ(content->childCount(), 2u);
    // Not part of the document: no id lookup, no connection.
    EXPECT_FALSE(document->getElementById(u"inner"));
    EXPECT_FALSE(content->firstChild()->isConnected());
    auto inert = content->ownerDocument();
    ASSERT_TRUE(inert);
    EXPECT_NE(inert.get(), document.get());
    EXPECT_TRUE(inert->isHTMLDocument());
    // One inert document serves every template of the document, nested ones included.
    auto nested = toElement(content->childAt(1));
    ASSERT_TRUE(nested && nested->hasTagName(u"template"));
    EXPECT_EQ(nested->content()->ownerDocument(), inert);
    EXPECT_EQ(nested->content()->textContent(), u"b");
    EXPECT_EQ(&inert->templateContentsOwnerDocument(), inert.get());
    // Control characters the tokenizer would replace come back in contents too.
    auto controls = DOMDocument::parseHTML(u"<template>a\u0081b<i title='\u009D'></i></template>");
    auto controlContent = templateIn(*controls)->content();
    EXPECT_EQ(controlContent->textContent(), u"a\u0081b");
    EXPECT_EQ(toElement(controlContent->lastChild())->getAttribute(u"title"), u"\u009D");
    // Other elements have no contents.
    EXPECT_FALSE(document->body()->content());
    // XHTML templates too.
    auto xhtml = DOMDocument::parseXML("<html xmlns='http://www.w3.org/1999/xhtml'><body><template><p>x</p></template></body></html>");
    ASSERT_TRUE(xhtml);
    auto xmlTemplate = templateIn(*xhtml);
    EXPECT_FALSE(xmlTemplate->hasChildNodes());
    EXPECT_EQ(xmlTemplate->content()->textContent(), u"x");
    EXPECT_FALSE(xmlTemplate->content()->ownerDocument()->isHTMLDocument());
}

TEST(DOMTemplateContents, SerializationCloningImportAndAdoptionFollowTheContents)
{
    auto document = DOMDocument::parseHTML(u"<body><div id=d><template id=t><tr><td>1</td></tr><template>x</template></template></div>");
    auto div = document->getElementById(u"d");
    auto templ = document->getElementById(u"t");
    const std::u16string markup = u"<template id=\"t\"><tr><td>1</td></tr><template>x</template></template>";
    EXPECT_EQ(div->innerHTML(), markup);
    EXPECT_EQ(templ->innerHTML(), u"<tr><td>1</td></tr><template>x</template>");
    EXPECT_EQ(templ->outerHTML(), markup);

    auto deep = toElement(templ->cloneNode(true));
    EXPECT_EQ(deep->outerHTML(), markup);
    EXPECT_NE(deep->content(), templ->content());
    EXPECT_EQ(deep->content()->ownerDocument(), templ->content()->ownerDocument());
    // The copy is independent.
    deep->content()->firstChild()->remove();
    EXPECT_EQ(templ->outerHTML(), markup);
    auto shallow = toElement(templ->cloneNode(false));
    EXPECT_EQ(shallow->outerHTML(), u"<template id=\"t\"></template>");

    auto other = DOMDocument::parseHTML(u"<body>");
    auto imported = toElement(other->importNode(*div, true));
    EXPECT_EQ(imported->innerHTML(), markup);
    auto importedTemplate = toElement(imported->firstChild());
    EXPECT_EQ(importedTemplate->content()->ownerDocument().get(), &other->templateContentsOwnerDocument());
    auto importedNested = toElement(importedTemplate->content()->childAt(1));
    EXPECT_EQ(importedNested->content()->ownerDocument().get(), &other->templateContentsOwnerDocument());

    // Adoption moves the contents to the new document's inert document.
    other->body()->appendChild(templ);
    EXPECT_EQ(templ->ownerDocument(), other);
    EXPECT_EQ(templ->content()->ownerDocument().get(), &other->templateContentsOwnerDocument());
    EXPECT_EQ(templ->content()->firstChild()->ownerDocument().get(), &other->templateContentsOwnerDocument());
    EXPECT_EQ(other->body()->innerHTML(), markup);

    // Contents of a created template start empty and take nodes.
    auto created = other->createElement(u"template");
    created->content()->appendChild(other->createTextNode(u"t"));
    EXPECT_EQ(created->outerHTML(), u"<template>t</template>");
    EXPECT_FALSE(created->isEqualNode(other->createElement(u"div").get()));
}
