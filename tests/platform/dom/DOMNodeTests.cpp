#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/HTMLTreeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace brevanton;

namespace {

std::shared_ptr<DOMDocument> parse(std::u16string_view html)
{
    return DOMDocument::parseHTML(html);
}

bool isDOMError(const Error& error, DOMExceptionCode code)
{
    return error.is(DOMErrorDomain, static_cast<int64_t>(code));
}

} // namespace

TEST(DOMNode, TreeLinksAndLiveChildList)
{
    auto document = parse(u"<body><p id=a>one</p><p id=b>two</p></body>");
    auto body = document->body();
    auto children = body->childNodes();
    ASSERT_EQ(children->length(), 2u);
    EXPECT_EQ(children->item(2), nullptr);
    auto a = document->getElementById(u"a");
    auto b = document->getElementById(u"b");
    EXPECT_EQ(children->item(0), a);
    EXPECT_EQ(a->nextSibling(), b);
    EXPECT_EQ(b->previousSibling(), a);
    EXPECT_EQ(a->parentElement(), body);
    EXPECT_EQ(a->ownerDocument(), document);

    // The list follows mutations.
    body->removeChild(a);
    EXPECT_EQ(children->length(), 1u);
    EXPECT_EQ(children->item(0), b);
    EXPECT_EQ(a->parentNode(), nullptr);
    EXPECT_EQ(b->previousSibling(), nullptr);
    body->insertBefore(a, nullptr);
    EXPECT_EQ(body->lastChild(), a);
    EXPECT_EQ(children->item(1), a);
    body->insertBefore(a, b);
    EXPECT_EQ(body->firstChild(), a);
    EXPECT_EQ(body->textContent(), u"onetwo");
}

TEST(DOMNode, HierarchyErrorsLeaveTheTreeUnchanged)
{
    auto document = parse(u"<body><div id=outer><span id=inner>x</span></div></body>");
    auto outer = document->getElementById(u"outer");
    auto inner = document->getElementById(u"inner");
    auto text = inner->firstChild();

    Error error;
    EXPECT_EQ(inner->appendChild(outer, &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::HierarchyRequestError));
    EXPECT_EQ(outer->appendChild(outer, &error), nullptr);
    EXPECT_EQ(text->appendChild(document->createTextNode(u"y"), &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::HierarchyRequestError));
    EXPECT_EQ(outer->insertBefore(document->createTextNode(u"y"), text, &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::NotFoundError));
    EXPECT_EQ(outer->removeChild(text, &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::NotFoundError));
    EXPECT_EQ(document->appendChild(document->createElement(u"p"), &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::HierarchyRequestError));
    EXPECT_EQ(document->appendChild(document->createTextNode(u"t"), &error), nullptr);
    EXPECT_EQ(outer->appendChild(document->createDocumentType(u"html", {}, {}), &error), nullptr);
    EXPECT_EQ(outer->appendChild(document->createAttribute(u"x"), &error), nullptr);
    EXPECT_EQ(outer->innerHTML(), u"<span id=\"inner\">x</span>");
}

TEST(DOMNode, FragmentsInsertTheirChildrenAndEmpty)
{
    auto document = parse(u"<body><p id=p>a<b>b</b></p></body>");
    auto p = document->getElementById(u"p");
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(u"1"));
    fragment->appendChild(document->createElement(u"i"));
    p->insertBefore(fragment, p->lastChild());
    EXPECT_FALSE(fragment->hasChildNodes());
    EXPECT_EQ(p->innerHTML(), u"a1<i></i><b>b</b>");

    // A document accepts a fragment with one element only when it has none.
    auto empty = DOMDocument::create(DOMDocument::Kind::XML);
    auto two = empty->createDocumentFragment();
    two->appendChild(empty->createElement(u"a"));
    two->appendChild(empty->createElement(u"b"));
    Error error;
    EXPECT_EQ(empty->appendChild(two, &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::HierarchyRequestError));
    EXPECT_EQ(two->childCount(), 2u);
}

TEST(DOMNode, ReplaceChildAndMovingWithinTheSameParent)
{
    auto document = parse(u"<body><i>1</i><i>2</i><i>3</i></body>");
    auto body = document->body();
    auto first = body->firstChild();
    auto last = body->lastChild();
    body->insertBefore(last, first);
    EXPECT_EQ(body->innerHTML(), u"<i>3</i><i>1</i><i>2</i>");
    auto replaced = body->replaceChild(document->createTextNode(u"x"), first);
    EXPECT_EQ(replaced, first);
    EXPECT_EQ(body->innerHTML(), u"<i>3</i>x<i>2</i>");
    // Replacing a node with its own next sibling.
    body->replaceChild(body->lastChild(), body->childAt(1));
    EXPECT_EQ(body->innerHTML(), u"<i>3</i><i>2</i>");
    EXPECT_EQ(body->replaceChild(body->firstChild(), body->firstChild()), body->firstChild());
    EXPECT_EQ(body->innerHTML(), u"<i>3</i><i>2</i>");
}

TEST(DOMNode, CharacterDataEditingAndErrors)
{
    auto document = DOMDocument::createHTMLDocument();
    auto text = document->createTextNode(u"hello");
    text->appendData(u" world");
    EXPECT_EQ(text->data(), u"hello world");
    text->insertData(5, u",");
    text->deleteData(0, 1);
    text->replaceData(0, 4, u"J");
    EXPECT_EQ(text->data(), u"J, world");
    EXPECT_EQ(text->substringData(3, 100), u"world");
    Error error;
    EXPECT_FALSE(text->insertData(99, u"x", &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::IndexSizeError));
    EXPECT_EQ(text->splitText(99, &error), nullptr);
    // Offsets count UTF-16 units.
    auto emoji = document->createTextNode(u"a\U0001F600b");
    EXPECT_EQ(emoji->length(), 4u);
    EXPECT_EQ(emoji->substringData(3, 1), u"b");
}

TEST(DOMNode, SplitTextAndNormalize)
{
    auto document = parse(u"<body><p id=p>abcdef</p></body>");
    auto p = document->getElementById(u"p");
    auto text = downcast<DOMText>(p->firstChild());
    auto rest = text->splitText(2);
    EXPECT_EQ(text->data(), u"ab");
    EXPECT_EQ(rest->data(), u"cdef");
    EXPECT_EQ(text->nextSibling(), rest);
    EXPECT_EQ(rest->wholeText(), u"abcdef");
    p->appendChild(document->createTextNode(u""));
    p->appendChild(document->createTextNode(u"gh"));
    auto b = document->createElement(u"b");
    b->appendChild(document->createTextNode(u"x"));
    b->appendChild(document->createTextNode(u"y"));
    p->appendChild(b);
    p->normalize();
    ASSERT_EQ(p->childCount(), 2u);
    EXPECT_EQ(p->firstChild(), text);
    EXPECT_EQ(text->data(), u"abcdefgh");
    EXPECT_EQ(b->childCount(), 1u);
    EXPECT_EQ(b->textContent(), u"xy");
}

TEST(DOMNode, AttributesKeepTheirOrder)
{
    auto document = DOMDocument::createHTMLDocument();
    auto element = document->createElement(u"DIV");
    EXPECT_EQ(element->tagName(), u"DIV");
    EXPECT_EQ(element->localName(), u"div");
    element->setAttribute(u"b", u"1");
    element->setAttribute(u"a", u"2");
    element->setAttribute(u"B", u"3"); // same attribute in an HTML document
    ASSERT_EQ(element->attributeCount(), 2u);
    EXPECT_EQ(element->attributeList()[0].name, u"b");
    EXPECT_EQ(element->getAttribute(u"b"), u"3");
    element->removeAttribute(u"b");
    element->setAttribute(u"b", u"4");
    EXPECT_EQ(element->attributeList()[1].name, u"b");
    EXPECT_EQ(element->getAttribute(u"missing"), u"");
    EXPECT_FALSE(element->hasAttribute(u"missing"));
    element->setAttribute(u"empty", u"");
    EXPECT_TRUE(element->hasAttribute(u"empty"));
    Error error;
    EXPECT_FALSE(element->setAttribute(u"a b", u"x", &error));
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::InvalidCharacterError));

    // Attr nodes keep identity and follow the element.
    auto attributes = element->attributes();
    auto attr = attributes->getNamedItem(u"a");
    EXPECT_EQ(attr, attributes->item(0));
    EXPECT_EQ(attr->ownerElement(), element);
    attr->setValue(u"changed");
    EXPECT_EQ(element->getAttribute(u"a"), u"changed");
    element->removeAttribute(u"a");
    EXPECT_EQ(attr->ownerElement(), nullptr);
    EXPECT_EQ(attr->value(), u"changed");
    EXPECT_EQ(attributes->length(), 2u);
}

TEST(DOMNode, CloneImportAndEquality)
{
    auto document = parse(u"<body><div id=d class=c>a<b>b</b><!--c--></div></body>");
    auto div = document->getElementById(u"d");
    auto shallow = div->cloneNode(false);
    EXPECT_FALSE(shallow->hasChildNodes());
    EXPECT_EQ(toElement(shallow)->getAttribute(u"class"), u"c");
    auto deep = div->cloneNode(true);
    EXPECT_TRUE(deep->isEqualNode(div.get()));
    EXPECT_FALSE(deep->isSameNode(div.get()));
    EXPECT_EQ(deep->parentNode(), nullptr);
    EXPECT_EQ(toElement(deep)->outerHTML(), div->outerHTML());

    auto other = DOMDocument::createHTMLDocument();
    auto imported = other->importNode(*div, true);
    EXPECT_EQ(imported->ownerDocument(), other);
    EXPECT_EQ(imported->firstChild()->ownerDocument(), other);
    other->body()->appendChild(imported);
    EXPECT_EQ(other->getElementById(u"d"), imported);

    // Appending a node of another document adopts it.
    auto moved = document->createElement(u"em");
    other->body()->appendChild(moved);
    EXPECT_EQ(moved->ownerDocument(), other);

    auto documentCopy = downcast<DOMDocument>(document->cloneNode(true));
    EXPECT_EQ(documentCopy->getElementById(u"d")->ownerDocument(), documentCopy);
    EXPECT_EQ(documentCopy->body()->innerHTML(), document->body()->innerHTML());
}

TEST(DOMNode, NodesOutliveTheirDocumentSafely)
{
    std::shared_ptr<DOMElement> kept;
    {
        auto document = parse(u"<body><div><p>x</p></div></body>");
        kept = toElement(document->body()->firstChild());
    }
    EXPECT_EQ(kept->ownerDocument(), nullptr);
    EXPECT_EQ(kept->parentNode(), nullptr);
    EXPECT_EQ(kept->textContent(), u"x");
    EXPECT_EQ(kept->outerHTML(), u"<div><p>x</p></div>");
}

TEST(DOMNode, LongAndDeepTreesAreDestroyedWithoutRecursion)
{
    auto document = DOMDocument::createHTMLDocument();
    auto body = document->body();
    for (int i = 0; i < 200000; ++i)
        body->appendChild(document->createTextNode(u"x"));
    // A chain 200,000 elements deep, built from the bottom up.
    std::shared_ptr<DOMNode> chain = document->createElement(u"div");
    for (int i = 0; i < 200000; ++i) {
        auto parent = document->createElement(u"div");
        parent->appendChild(chain);
        chain = parent;
    }
    body->appendChild(chain);
    chain.reset();
    body.reset();
    document.reset();
    SUCCEED();
}

// A dying tree frees what nobody holds; a node held from inside it keeps its
// own subtree, and templates nested in one another's contents go without
// recursion too.
TEST(DOMNode, DyingTreesKeepHeldSubtreesAndFreeNestedContents)
{
    std::shared_ptr<DOMNode> held;
    std::weak_ptr<DOMNode> sibling;
    std::weak_ptr<DOMNode> outer;
    {
        auto document = parse(u"<body><div><section><p id=held><b>x</b>y</p><i>z</i></section></div></body>");
        held = document->getElementById(u"held");
        sibling = held->nextSibling();
        outer = document->body()->firstChild();
    }
    EXPECT_TRUE(sibling.expired());
    EXPECT_TRUE(outer.expired());
    EXPECT_EQ(held->parentNode(), nullptr);
    EXPECT_EQ(held->nextSibling(), nullptr);
    EXPECT_EQ(toElement(held.get())->outerHTML(), u"<p id=\"held\"><b>x</b>y</p>");

    // Siblings after dying containers, at every depth, die with them; one
    // held among them, after the others, lives on with its own child alone.
    std::vector<std::weak_ptr<DOMNode>> nodes;
    std::shared_ptr<DOMNode> late;
    {
        auto document = parse(u"<body><div><p><b>1</b>2</p>3<ul><li>4<li>5</ul></div><span>6</span>7<em id=late>8</em>9</body>");
        auto* body = document->body().get();
        for (auto* node = body->first(); node; node = node->traverseNext(body))
            nodes.push_back(node->shared_from_this());
        late = document->getElementById(u"late");
    }
    EXPECT_EQ(nodes.size(), 17u);
    EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(), [](auto& node) { return !node.expired(); }), 2);
    EXPECT_EQ(toElement(late.get())->outerHTML(), u"<em id=\"late\">8</em>");

    std::u16string nested;
    for (int i = 0; i < 50000; ++i)
        nested += u"<template><p>a</p>";
    auto document = buildHTMLDocument(nested);
    document.reset();
    SUCCEED();
}

// Nodes held out of a subtree that dies while its document lives keep
// reaching their document, as roots of it: below a removed element, and in
// a template's contents that die while a removed ancestor's release drains.
TEST(DOMNode, NodesHeldFromDyingSubtreesKeepTheirDocument)
{
    auto document = parse(u"<body><div><section><p id=held>x</p><i>y</i></section></div>"
                          u"<div><template><div><p>z</p></div></template></div></body>");
    auto held = document->getElementById(u"held");
    auto* templateElement = toElement(document->body()->last()->first());
    auto contentParagraph = templateElement->content()->first()->first()->shared_from_this();
    auto* contentDocument = contentParagraph->document();
    ASSERT_NE(contentDocument, nullptr);
    ASSERT_NE(contentDocument, document.get());

    document->body()->first()->remove();
    EXPECT_EQ(held->parentNode(), nullptr);
    EXPECT_EQ(held->ownerDocument(), document);
    EXPECT_EQ(held->textContent(), u"x");

    document->body()->last()->remove();
    EXPECT_EQ(contentParagraph->parentNode(), nullptr);
    EXPECT_EQ(contentParagraph->document(), contentDocument);
    EXPECT_EQ(document->body()->innerHTML(), u"");
}

TEST(DOMNode, TreeOrderAndDocumentPosition)
{
    auto document = parse(u"<body><div id=a><p id=b></p></div><p id=c></p></body>");
    auto a = document->getElementById(u"a");
    auto b = document->getElementById(u"b");
    auto c = document->getElementById(u"c");
    EXPECT_EQ(DOMNode::compareTreeOrder(a.get(), b.get()), -1);
    EXPECT_EQ(DOMNode::compareTreeOrder(c.get(), b.get()), 1);
    EXPECT_EQ(a->compareDocumentPosition(b.get()), DOMNode::DOCUMENT_POSITION_CONTAINED_BY | DOMNode::DOCUMENT_POSITION_FOLLOWING);
    EXPECT_EQ(c->compareDocumentPosition(a.get()), DOMNode::DOCUMENT_POSITION_PRECEDING);
    EXPECT_TRUE(a->contains(b.get()));
    EXPECT_FALSE(b->contains(a.get()));
}

TEST(DOMNode, DocumentAccessorsAndCollections)
{
    auto document = parse(u"<!DOCTYPE html><title> My  page </title><body><p>1</p><div><p>2</p></div>");
    EXPECT_EQ(document->doctype()->name(), u"html");
    EXPECT_EQ(document->documentElement()->tagName(), u"HTML");
    EXPECT_EQ(document->head()->tagName(), u"HEAD");
    EXPECT_EQ(document->title(), u"My page");
    auto paragraphs = document->getElementsByTagName(u"P");
    EXPECT_EQ(paragraphs->length(), 2u);
    document->body()->appendChild(document->createElement(u"p"));
    EXPECT_EQ(paragraphs->length(), 3u);
    EXPECT_EQ(document->body()->children()->length(), 3u);
    EXPECT_EQ(document->getElementById(u""), nullptr);

    Error error;
    EXPECT_EQ(document->createCDATASection(u"x", &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::NotSupportedError));
    EXPECT_EQ(document->createElement(u"1a", &error), nullptr);
    EXPECT_TRUE(isDOMError(error, DOMExceptionCode::InvalidCharacterError));
}

TEST(DOMNode, TextContentSetterReplacesChildren)
{
    auto document = parse(u"<body><div id=d><b>x</b>y</div></body>");
    auto div = document->getElementById(u"d");
    div->setTextContent(u"<new>");
    ASSERT_EQ(div->childCount(), 1u);
    EXPECT_EQ(div->innerHTML(), u"&lt;new&gt;");
    div->setTextContent(u"");
    EXPECT_FALSE(div->hasChildNodes());
    EXPECT_EQ(document->doctype(), nullptr);
    EXPECT_EQ(document->textContent(), u"");
}

TEST(DOMNode, AttributePositionsAndEqualityDetails)
{
    auto document = parse(u"<body><p id=p a=1 b=2>x</p><p a=1 b=2 id=p>x</p></body>");
    auto first = toElement(document->body()->firstChild());
    auto second = toElement(document->body()->lastChild());
    // Attribute order does not matter for equality; values do.
    EXPECT_TRUE(first->isEqualNode(second.get()));
    second->setAttribute(u"b", u"3");
    EXPECT_FALSE(first->isEqualNode(second.get()));

    // Trees compared in step however deep, each difference of shape found.
    std::u16string nested;
    for (int level = 0; level < 100'000; ++level)
        nested += u"<div>";
    auto deepDocument = parse(u"<body><section>" + nested + u"x<i></i></section><section>" + nested + u"x<i></i></section>");
    auto deepOne = deepDocument->body()->firstChild();
    auto deepOther = deepDocument->body()->lastChild();
    EXPECT_TRUE(deepOne->isEqualNode(deepOther.get()));
    DOMNode* deepest = deepOther.get();
    while (deepest->first() && deepest->first()->isElementNode())
        deepest = deepest->first();
    deepest->lastChild()->remove();
    EXPECT_FALSE(deepOne->isEqualNode(deepOther.get())) << "a child fewer";
    EXPECT_FALSE(deepOther->isEqualNode(deepOne.get())) << "a child more";
    deepest->appendChild(deepDocument->createElement(u"b"));
    EXPECT_FALSE(deepOne->isEqualNode(deepOther.get())) << "another name";

    auto a = first->getAttributeNode(u"a");
    auto b = first->getAttributeNode(u"b");
    EXPECT_EQ(a->compareDocumentPosition(b.get()),
              DOMNode::DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC | DOMNode::DOCUMENT_POSITION_FOLLOWING);
    EXPECT_EQ(first->compareDocumentPosition(a.get()),
              DOMNode::DOCUMENT_POSITION_CONTAINED_BY | DOMNode::DOCUMENT_POSITION_FOLLOWING);
    EXPECT_EQ(a->nodeName(), u"a");
    EXPECT_EQ(a->nodeValue(), u"1");
    // Moving an element to another document carries its attribute nodes along.
    auto other = DOMDocument::createHTMLDocument();
    other->body()->appendChild(first);
    EXPECT_EQ(a->ownerDocument(), other);
}
