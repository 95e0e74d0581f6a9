#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<DOMNode> child(const std::shared_ptr<DOMNode>& node, unsigned index)
{
    auto* c = node->childAt(index);
    return c ? c->shared_from_this() : nullptr;
}

} // namespace

TEST(DOMRangeAdoption, RangeInAdoptedTreeFollowsItsNewDocument)
{
    auto first = DOMDocument::parseHTML(u"<body></body>");
    auto second = DOMDocument::parseHTML(u"<body><p>x</p></body>");
    auto element = first->createElement(u"div");
    element->appendChild(first->createTextNode(u"hello"));
    auto range = first->createRange();
    ASSERT_TRUE(range->setStart(child(element, 0), 2));
    ASSERT_TRUE(range->setEnd(child(element, 0), 4));
    second->body()->appendChild(element);
    downcast<DOMText>(element->firstChild().get())->setData(u"a");
    EXPECT_LE(range->endOffset(), 1u);
    EXPECT_LE(range->startOffset(), 1u);
    EXPECT_EQ(range->toString(), u"");

    // adoptNode moves the range along as well.
    auto third = DOMDocument::parseHTML(u"<body></body>");
    auto detached = second->createElement(u"i");
    detached->appendChild(second->createTextNode(u"abc"));
    auto inner = second->createRange();
    ASSERT_TRUE(inner->setEnd(child(detached, 0), 3));
    ASSERT_TRUE(third->adoptNode(detached));
    third->body()->appendChild(detached);
    detached->removeChild(detached->firstChild().get());
    EXPECT_EQ(inner->endContainer(), detached);
    EXPECT_EQ(inner->endOffset(), 0u);
}

TEST(DOMRangeExamples, ExtractAcrossElementEnds)
{
    auto document = DOMDocument::parseHTML(u"<body><p id=a>one<b>two</b></p><p id=b><i>three</i>four</p></body>");
    auto a = document->getElementById(u"a");
    auto b = document->getElementById(u"b");
    auto range = document->createRange();
    range->setStart(child(child(a, 1), 0), 1);
    range->setEnd(child(child(b, 0), 0), 2);
    auto fragment = range->extractContents();
    ASSERT_TRUE(fragment);
    EXPECT_EQ(fragment->innerHTML(), u"<p id=\"a\"><b>wo</b></p><p id=\"b\"><i>th</i></p>");
    EXPECT_EQ(document->body()->innerHTML(), u"<p id=\"a\">one<b>t</b></p><p id=\"b\"><i>ree</i>four</p>");
    EXPECT_EQ(range->startContainer(), document->body());
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_TRUE(range->collapsed());
}

TEST(DOMSerializationExamples, EscapingRawTextVoidNamespacedAndAttributeOrder)
{
    auto document = DOMDocument::parseHTML(u"<body></body>");
    auto div = document->createElement(u"div");
    div->setAttribute(u"title", u"a\"b&c<d>\u00A0");
    auto script = document->createElement(u"script");
    script->appendChild(document->createTextNode(u"a<b && c</x>"));
    div->appendChild(script);
    auto br = document->createElement(u"br");
    div->appendChild(br);
    auto svg = document->createElementNS(u"http://www.w3.org/2000/svg", u"svg:svg");
    div->appendChild(svg);
    auto templ = document->createElement(u"template");
    templ->appendChild(document->createTextNode(u"<x>"));
    div->appendChild(templ);
    EXPECT_EQ(div->outerHTML(), u"<div title=\"a&quot;b&amp;c&lt;d&gt;&nbsp;\"><script>a<b && c</x></script><br><svg></svg><template>&lt;x&gt;</template></div>");
    div->removeAttribute(u"title");
    div->setAttribute(u"a", u"1");
    div->setAttribute(u"b", u"2");
    div->setAttribute(u"a", u"3");
    EXPECT_EQ(div->attributes()->item(0)->name(), u"a");
    div->removeAttribute(u"a");
    div->setAttribute(u"a", u"4");
    EXPECT_EQ(div->attributes()->item(1)->name(), u"a");
}

TEST(DOMXMLParsingSafety, EntitiesAreBoundedLocalAndNested)
{
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                       "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
                       "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]><r>&h;</r>";
    // Refused whole rather than loaded cut short.
    Error error;
    EXPECT_FALSE(DOMDocument::parseXML(bomb, {}, &error));
    EXPECT_EQ(error.domain(), DOMErrorDomain);
    std::string external = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>";
    auto ext = DOMDocument::parseXML(external);
    if (ext) {
        EXPECT_EQ(ext->documentElement()->textContent().find(u"root"), std::u16string::npos);
    }
    std::string nested = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;\">]><r>&b;</r>";
    auto n = DOMDocument::parseXML(nested);
    ASSERT_TRUE(n);
    EXPECT_EQ(n->documentElement()->textContent(), u"xx");
}

TEST(DOMHierarchyExamples, RejectedInsertionsLeaveTheTreeUnchanged)
{
    auto document = DOMDocument::parseHTML(u"<!DOCTYPE html><body><div id=d><p></p></div></body>");
    auto div = document->getElementById(u"d");
    auto p = child(div, 0);
    Error error;
    EXPECT_FALSE(p->appendChild(div, &error));
    EXPECT_EQ(div->parentNode(), document->body());
    EXPECT_FALSE(document->appendChild(document->createElement(u"x"), &error));
    EXPECT_FALSE(document->appendChild(document->createDocumentType(u"html", u"", u""), &error));
    EXPECT_EQ(document->childNodes()->length(), 2u);
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createElement(u"a"));
    fragment->appendChild(document->createElement(u"b"));
    EXPECT_FALSE(document->replaceChild(fragment, document->documentElement().get(), &error));
    EXPECT_EQ(fragment->childNodes()->length(), 2u);
}

TEST(DOMRangeExamples, RangeRootedInFragment)
{
    auto document = DOMDocument::parseHTML(u"<body></body>");
    auto fragment = document->createDocumentFragment();
    auto text = document->createTextNode(u"abcdef");
    fragment->appendChild(text);
    auto range = document->createRange();
    range->setStart(text, 1);
    range->setEnd(text, 4);
    auto span = document->createElement(u"span");
    ASSERT_TRUE(range->surroundContents(span));
    EXPECT_EQ(fragment->innerHTML(), u"a<span>bcd</span>ef");
    EXPECT_EQ(range->startContainer(), fragment);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 2u);
    auto other = document->createRange();
    other->selectNodeContents(fragment);
    EXPECT_EQ(other->compareBoundaryPoints(DOMRange::START_TO_END, *range), 1);
    EXPECT_EQ(other->compareBoundaryPoints(DOMRange::END_TO_START, *range), -1);
    EXPECT_EQ(range->compareBoundaryPoints(DOMRange::START_TO_END, *other), 1);
    EXPECT_EQ(range->compareBoundaryPoints(DOMRange::END_TO_START, *other), -1);
    EXPECT_EQ(other->compareBoundaryPoints(DOMRange::START_TO_START, *range), -1);
    EXPECT_EQ(other->compareBoundaryPoints(DOMRange::END_TO_END, *range), 1);
    auto body = document->createRange();
    Error error;
    body->compareBoundaryPoints(DOMRange::START_TO_START, *range, &error);
    EXPECT_TRUE(error.is(DOMErrorDomain, static_cast<int64_t>(DOMExceptionCode::WrongDocumentError)));
}

TEST(DOMRangeExamples, MutationsAndContentOperations)
{
    auto document = DOMDocument::parseHTML(u"<body><p id=p>abc<b>def</b>ghi</p></body>");
    auto p = document->getElementById(u"p");
    auto text = downcast<DOMText>(child(p, 0));
    auto range = document->createRange();
    range->setStart(text, 1);
    range->setEnd(child(child(p, 1), 0), 2);
    // insertNode splitting the start text
    auto em = document->createElement(u"em");
    ASSERT_TRUE(range->insertNode(em));
    EXPECT_EQ(p->innerHTML(), u"a<em></em>bc<b>def</b>ghi");
    EXPECT_EQ(range->startContainer(), text);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->toString(), u"bcde");
    // surroundContents with partially selected element
    Error error;
    EXPECT_FALSE(range->surroundContents(document->createElement(u"span"), &error));
    EXPECT_TRUE(error.is(DOMErrorDomain, static_cast<int64_t>(DOMExceptionCode::InvalidStateError)));
    EXPECT_EQ(p->innerHTML(), u"a<em></em>bc<b>def</b>ghi");
    // deleteContents
    ASSERT_TRUE(range->deleteContents());
    EXPECT_EQ(p->innerHTML(), u"a<b>f</b>ghi");
    EXPECT_EQ(range->startContainer(), p);
    EXPECT_EQ(range->startOffset(), 1u);
    // cloneContents leaving tree
    auto r2 = document->createRange();
    r2->setStart(child(child(p, 1), 0), 0);
    r2->setEnd(child(p, 2), 2);
    auto clone = r2->cloneContents();
    EXPECT_EQ(clone->innerHTML(), u"<b>f</b>gh");
    EXPECT_EQ(p->innerHTML(), u"a<b>f</b>ghi");
    // moving within same parent
    auto r3 = document->createRange();
    r3->setStart(p, 1);
    r3->setEnd(p, 3);
    p->appendChild(child(p, 0));
    EXPECT_EQ(r3->startOffset(), 0u);
    EXPECT_EQ(r3->endOffset(), 2u);
    // fragment insertion
    auto fragment = document->createDocumentFragment();
    fragment->appendChild(document->createTextNode(u"1"));
    fragment->appendChild(document->createTextNode(u"2"));
    p->insertBefore(fragment, p->firstChild().get());
    EXPECT_EQ(r3->startOffset(), 0u);
    EXPECT_EQ(r3->endOffset(), 4u);
    // normalize
    auto r4 = document->createRange();
    r4->setStart(p, 1);
    r4->setEnd(child(p, 1), 1);
    p->normalize();
    EXPECT_EQ(r4->startContainer(), child(p, 0));
    EXPECT_EQ(r4->startOffset(), 1u);
    EXPECT_EQ(r4->endOffset(), 2u);
    // tagName
    EXPECT_EQ(p->tagName(), u"P");
    auto xml = DOMDocument::parseXML(std::string_view("<root><Foo a='x&amp;&quot;'>t&lt;</Foo></root>"));
    ASSERT_TRUE(xml);
    auto foo = downcast<DOMElement>(child(xml->documentElement(), 0));
    EXPECT_EQ(foo->tagName(), u"Foo");
    EXPECT_EQ(foo->outerHTML(), u"<Foo a=\"x&amp;&quot;\">t&lt;</Foo>");
    // comparePoint, intersects
    auto doc2 = DOMDocument::parseHTML(u"<body><div id=a>x</div><div id=b>y</div></body>");
    auto r5 = doc2->createRange();
    r5->selectNodeContents(doc2->getElementById(u"a"));
    EXPECT_TRUE(r5->intersectsNode(*doc2->getElementById(u"a")));
    EXPECT_FALSE(r5->intersectsNode(*doc2->getElementById(u"b")));
    EXPECT_TRUE(r5->intersectsNode(*doc2->body()));
    // setStart after end collapses
    r5->setStart(doc2->getElementById(u"b"), 0);
    EXPECT_TRUE(r5->collapsed());
    // replaceData / setData
    auto t = doc2->createTextNode(u"hello");
    doc2->getElementById(u"b")->appendChild(t);
    auto r6 = doc2->createRange();
    r6->setStart(t, 2);
    r6->setEnd(t, 5);
    t->setData(u"HELLO!");
    EXPECT_EQ(r6->startOffset(), 0u);
    EXPECT_EQ(r6->endOffset(), 0u);
    r6->setEnd(t, 6);
    t->splitText(3);
    EXPECT_EQ(r6->endContainer(), child(doc2->getElementById(u"b"), 2));
    EXPECT_EQ(r6->endOffset(), 3u);
    // attr ordering through attribute nodes
    auto el = doc2->createElement(u"x");
    el->setAttribute(u"Class", u"q");
    EXPECT_EQ(el->getAttribute(u"class"), u"q");
    EXPECT_EQ(el->outerHTML(), u"<x class=\"q\"></x>");
    // fragment parsing hostile
    auto f = doc2->createDocumentFragmentWithMarkupString(u"<table><td>x</table><script>a</script></p></b><svg><foreignObject><p>q</svg><!-- c");
    ASSERT_TRUE(f);
    // text in style serialized raw, but only in HTML namespace
    auto svgstyle = doc2->createElementNS(u"http://www.w3.org/2000/svg", u"style");
    svgstyle->appendChild(doc2->createTextNode(u"a<b"));
    EXPECT_EQ(svgstyle->outerHTML(), u"<style>a&lt;b</style>");
    auto noscript = doc2->createElement(u"noscript");
    noscript->appendChild(doc2->createTextNode(u"a<b"));
    EXPECT_EQ(noscript->outerHTML(), u"<noscript>a&lt;b</noscript>");
}

TEST(DOMParsingSafety, MalformedInputAndUndeclaredNamedCharacters)
{
    std::string bytes("<p>a\xff\xfe\xc3(\0b</p><meta charset=\"x-bogus\"><table><tr><td><svg><desc><table></svg>", 70);
    auto document = DOMDocument::parseHTML(std::string_view(bytes));
    ASSERT_TRUE(document);
    std::u16string lone = u"<p title='\xD800'>\xDC00<b>";
    auto d2 = DOMDocument::parseHTML(lone);
    ASSERT_TRUE(d2);
    auto f = d2->createDocumentFragmentWithMarkupString(u"<td>x</td>", {}, d2->body().get());
    ASSERT_TRUE(f);
    auto x = DOMDocument::parseXML(std::string_view("<a><b></a>"));
    auto x2 = DOMDocument::parseXML(std::string_view("<?xml version='1.0' encoding='UTF-16'?><a/>"));
    auto x3 = DOMDocument::parseXML(std::string_view(""));
    auto x4 = DOMDocument::parseXML(std::string_view("<!DOCTYPE a SYSTEM 'http://127.0.0.1:1/x.dtd'><a>&ent;</a>"));
    if (x4) {
        EXPECT_EQ(x4->documentElement()->textContent(), u"");
    }
    auto xhtml = DOMDocument::parseXML(std::string_view("<html xmlns='http://www.w3.org/1999/xhtml'><body><p>&nbsp;&amp;</p><br/></body></html>"));
    ASSERT_TRUE(xhtml);
    EXPECT_EQ(xhtml->documentElement()->innerHTML(), u"<body><p>\u00A0&amp;</p><br /></body>");
    // Named characters stay literal in comments and CDATA, and a declared entity wins.
    auto kept = DOMDocument::parseXML(std::string_view(
        "<!DOCTYPE r [<!ENTITY copy \"(c)\">]><r t='a&eacute;'><!--&nbsp;--><![CDATA[&nbsp;]]>&copy;&hellip;</r>"));
    ASSERT_TRUE(kept);
    auto root = kept->documentElement();
    EXPECT_EQ(root->getAttribute(u"t"), u"a\u00E9");
    EXPECT_EQ(downcast<DOMCharacterData>(root->childAt(0))->data(), u"&nbsp;");
    EXPECT_EQ(downcast<DOMCharacterData>(root->childAt(1))->data(), u"&nbsp;");
    EXPECT_EQ(root->textContent(), u"&nbsp;(c)\u2026");
    auto frag = xhtml->createDocumentFragmentWithMarkupString(u"<p>a&nbsp;b</p><p>unclosed");
    ASSERT_TRUE(frag);
    EXPECT_EQ(frag->textContent().substr(0, 3), u"a\u00A0b");
}

TEST(DOMRangeExamples, SurroundAcrossTextEndsAndCharacterDataEdits)
{
    auto document = DOMDocument::parseHTML(u"<body><p id=p>abc<b>d</b>ef</p><template id=t><i>x</i></template></body>");
    auto p = document->getElementById(u"p");
    auto range = document->createRange();
    range->setStart(child(p, 0), 1);
    range->setEnd(child(p, 2), 1);
    ASSERT_TRUE(range->surroundContents(document->createElement(u"span")));
    EXPECT_EQ(p->innerHTML(), u"a<span>bc<b>d</b>e</span>f");
    EXPECT_EQ(range->startContainer(), p);
    EXPECT_EQ(range->startOffset(), 1u);
    EXPECT_EQ(range->endOffset(), 2u);
    EXPECT_EQ(document->getElementById(u"t")->outerHTML(), u"<template id=\"t\"><i>x</i></template>");
    auto clone = p->cloneNode(true);
    EXPECT_EQ(downcast<DOMElement>(clone.get())->outerHTML(), p->outerHTML());
    // range collapsed at text end then appendData
    auto text = downcast<DOMText>(child(p, 2));
    auto r = document->createRange();
    r->setStart(text, 1);
    text->appendData(u"gh");
    EXPECT_EQ(r->startOffset(), 1u);
    text->insertData(0, u"zz");
    EXPECT_EQ(r->startOffset(), 3u);
    text->deleteData(0, 10);
    EXPECT_EQ(r->startOffset(), 0u);
    Error error;
    EXPECT_FALSE(text->insertData(5, u"x", &error));
    EXPECT_EQ(text->substringData(0, 100), u"");
    auto x = document->createElement(u"x");
    x->setAttribute(u"a", u"1");
    auto attr = x->getAttributeNode(u"a");
    x->removeAttribute(u"a");
    EXPECT_EQ(attr->value(), u"1");
    EXPECT_EQ(attr->ownerElement(), nullptr);
}
