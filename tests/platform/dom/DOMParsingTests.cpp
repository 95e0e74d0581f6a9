#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <libxml/parser.h>

#include <random>

using namespace brevanton;

TEST(DOMHTMLParsing, BuildsTheStandardTree)
{
    auto document = DOMDocument::parseHTML(
        std::string_view("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">"
                         "<title>T</title><p class=x id=first>one<p>two &amp; &lt;three&gt;&nbsp;<unknown-tag Data-X=1>u</unknown-tag>"
                         "<svg viewBox='0 0 1 1'><foreignObject/></svg><!-- note -->"),
        {}, u"file:///tmp/page.html");
    auto doctype = document->doctype();
    ASSERT_TRUE(doctype);
    EXPECT_EQ(doctype->name(), u"html");
    EXPECT_EQ(doctype->publicId(), u"-//W3C//DTD XHTML 1.0 Strict//EN");
    EXPECT_EQ(doctype->systemId(), u"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd");
    EXPECT_EQ(document->URL(), u"file:///tmp/page.html");
    EXPECT_EQ(document->characterSet(), u"UTF-8");
    auto body = document->body();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->tagName(), u"BODY");
    EXPECT_EQ(body->childElementCount(), 2u);
    auto first = document->getElementById(u"first");
    EXPECT_EQ(first->tagName(), u"P");
    EXPECT_EQ(first->className(), u"x");
    auto second = first->nextElementSibling();
    EXPECT_EQ(toElement(second->childAt(0)) , nullptr);
    EXPECT_EQ(downcast<DOMText>(second->childAt(0))->data(), u"two & <three>\u00A0");
    auto unknown = toElement(second->childAt(1));
    EXPECT_EQ(unknown->tagName(), u"UNKNOWN-TAG");
    EXPECT_EQ(unknown->getAttribute(u"data-x"), u"1");
    auto svg = toElement(second->childAt(2));
    EXPECT_EQ(svg->namespaceURI(), SVGNamespace);
    EXPECT_EQ(svg->tagName(), u"svg");
    EXPECT_EQ(svg->getAttribute(u"viewBox"), u"0 0 1 1");
    EXPECT_EQ(toElement(svg->firstChild())->localName(), u"foreignObject");
    EXPECT_EQ(second->lastChild()->nodeType(), DOMNode::COMMENT_NODE);
    EXPECT_EQ(second->innerHTML(),
              u"two &amp; &lt;three&gt;&nbsp;<unknown-tag data-x=\"1\">u</unknown-tag>"
              u"<svg viewBox=\"0 0 1 1\"><foreignObject></foreignObject></svg><!-- note -->");
}

TEST(DOMHTMLParsing, DecodesDeclaredAndDetectedEncodings)
{
    // windows-1252 declared in a meta element.
    std::string latin = "<meta charset=\"windows-1252\"><p>caf\xE9 \x80</p>";
    auto document = DOMDocument::parseHTML(latin);
    EXPECT_EQ(document->body()->textContent(), u"caf\u00E9 \u20AC");
    EXPECT_EQ(document->characterSet(), u"windows-1252");
    // Undeclared and not UTF-8: windows-1252.
    EXPECT_EQ(DOMDocument::parseHTML(std::string_view("<p>\xE9t\xE9</p>"))->body()->textContent(), u"\u00E9t\u00E9");
    // A byte order mark wins.
    EXPECT_EQ(DOMDocument::parseHTML(std::string_view("\xEF\xBB\xBF<p>\xC3\xA9</p>"))->body()->textContent(), u"\u00E9");
    std::string utf16("\xFF\xFE<\0p\0>\0\xE9\0", 10);
    EXPECT_EQ(DOMDocument::parseHTML(utf16)->body()->textContent(), u"\u00E9");
    // An explicit encoding is used as given.
    EXPECT_EQ(DOMDocument::parseHTML(std::string_view("<p>\xE9</p>"), "ISO-8859-1")->body()->textContent(), u"\u00E9");
}

TEST(DOMHTMLParsing, DecodedTextParsesAsItsUTF8Would)
{
    auto serialized = [](const DOMDocument& document) {
        std::u16string markup;
        serializeChildrenAsHTML(document, markup);
        return markup;
    };
    std::u16string cases[] = {
        u"<p title=\"a\u00E9\">caf\u00E9 \U0001F600 &amp; x</p>",
        // A byte-order mark, a meta declaration the text was already decoded past.
        u"\uFEFF<meta charset=windows-1252><p>\u20AC</p>",
        // Unpaired surrogates, in text and in an attribute, beside a pair.
        std::u16string(u"<p a=\"") + char16_t(0xDC00) + u"\">x" + char16_t(0xD800) + u"y\U0001F600" + char16_t(0xD800),
        u"",
    };
    for (auto& markup : cases) {
        SCOPED_TRACE(toUTF8(markup));
        auto decoded = DOMDocument::parseHTML(std::u16string_view(markup), u"file:///tmp/a.html");
        auto bytes = DOMDocument::parseHTML(toUTF8(markup), "UTF-8", u"file:///tmp/a.html");
        EXPECT_EQ(serialized(*decoded), serialized(*bytes));
        EXPECT_EQ(decoded->characterSet(), u"UTF-8");
        EXPECT_EQ(decoded->hasByteOrderMark(), bytes->hasByteOrderMark());
        EXPECT_EQ(decoded->hasByteOrderMark(), !markup.empty() && markup[0] == 0xFEFF);
        EXPECT_FALSE(decoded->hasReplacedUndecodableBytes());
        EXPECT_EQ(decoded->URL(), u"file:///tmp/a.html");
    }
}

TEST(DOMHTMLParsing, MalformedAndHostileInputNeverCrashes)
{
    EXPECT_TRUE(DOMDocument::parseHTML(std::string_view(""))->body());
    static const char brokenMarkup[] = "<table><tr><td>a</b></i><p><li>x</table></div>\0<\xFF\xFE";
    auto broken = DOMDocument::parseHTML(std::string_view(brokenMarkup, sizeof brokenMarkup - 1));
    EXPECT_TRUE(broken->body());

    // Nesting is kept however deep.
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<div>";
    deep += "bottom";
    auto nested = DOMDocument::parseHTML(deep);
    unsigned depth = 0;
    DOMNode* node = nested->body().get();
    while (node->first() && node->first()->isElementNode()) {
        node = node->first();
        ++depth;
    }
    EXPECT_EQ(depth, 5000u);
    EXPECT_EQ(nested->body()->textContent(), u"bottom");

    std::mt19937 random(7);
    const char* pieces[] = { "<", ">", "</", "a", "b", "table", "td", "tr", "=", "\"", "'", "&", "#x", ";", "<!--",
                             "-->", "<![CDATA[", "]]>", "<svg>", "<math>", "<template>", "\xC3", "\xA9", " ", "/" };
    for (int round = 0; round < 200; ++round) {
        std::string input;
        for (int i = 0; i < 200; ++i)
            input += pieces[random() % std::size(pieces)];
        auto document = DOMDocument::parseHTML(input);
        ASSERT_TRUE(document->documentElement());
        document->documentElement()->outerHTML();
    }
}

TEST(DOMHTMLParsing, FragmentsParseInContext)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<table><tbody id=t></tbody></table>"));
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<p>a</p>b<td>c");
    EXPECT_EQ(fragment->innerHTML(), u"<p>a</p>bc");
    EXPECT_EQ(fragment->firstChild()->ownerDocument(), document);

    auto rows = document->createDocumentFragmentWithMarkupString(u"<tr><td>1</td></tr>", {}, document->getElementById(u"t").get());
    EXPECT_EQ(rows->innerHTML(), u"<tr><td>1</td></tr>");
    EXPECT_EQ(toElement(rows->firstChild())->tagName(), u"TR");
    EXPECT_TRUE(document->createDocumentFragmentWithMarkupString(u"")->firstChild() == nullptr);
}

TEST(DOMXMLParsing, KeepsNamesAsWrittenWithCDATAAndEntities)
{
    auto document = DOMDocument::parseXML(
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE html [<!ENTITY me \"Brev\">]>\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:x=\"urn:x\"><body><p Class=\"a\">&me; &amp; &#160;</p>"
        "<x:Item x:Attr=\"1\"/><![CDATA[<raw>]]><?target data?></body></html>",
        u"file:///tmp/a.xhtml");
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->isHTMLDocument());
    EXPECT_EQ(document->doctype()->name(), u"html");
    auto root = document->documentElement();
    EXPECT_EQ(root->tagName(), u"html");
    EXPECT_EQ(root->getAttribute(u"xmlns:x"), u"urn:x");
    auto body = document->body();
    ASSERT_TRUE(body);
    auto p = toElement(body->firstChild());
    EXPECT_EQ(p->getAttribute(u"Class"), u"a");
    EXPECT_FALSE(p->hasAttribute(u"class"));
    EXPECT_EQ(p->textContent(), u"Brev & \u00A0");
    auto item = toElement(p->next());
    EXPECT_EQ(item->tagName(), u"x:Item");
    EXPECT_EQ(item->localName(), u"Item");
    EXPECT_EQ(item->namespaceURI(), u"urn:x");
    EXPECT_EQ(item->getAttribute(u"x:Attr"), u"1");
    auto cdata = item->next();
    EXPECT_EQ(cdata->nodeType(), DOMNode::CDATA_SECTION_NODE);
    EXPECT_TRUE(cdata->isTextNode());
    EXPECT_EQ(cdata->textContent(), u"<raw>");
    EXPECT_EQ(cdata->next()->nodeType(), DOMNode::PROCESSING_INSTRUCTION_NODE);
    EXPECT_EQ(body->textContent(), u"Brev & \u00A0<raw>");

    // HTML named characters in an XHTML document whose DTD is not loaded.
    auto xhtml = DOMDocument::parseXML(
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>a&nbsp;&eacute;</p></body></html>");
    ASSERT_TRUE(xhtml);
    EXPECT_EQ(xhtml->doctype()->publicId(), u"-//W3C//DTD XHTML 1.0 Strict//EN");
    EXPECT_EQ(xhtml->body()->textContent(), u"a\u00A0\u00E9");
    // Element creation in an XHTML document answers XHTML elements, names as given.
    auto created = document->createElement(u"Span");
    EXPECT_EQ(created->tagName(), u"Span");
    EXPECT_TRUE(created->isHTMLElement());
}

TEST(DOMXMLParsing, RefusesExternalEntitiesAndInputThatIsNotXML)
{
    auto external = DOMDocument::parseXML(
        "<!DOCTYPE r [<!ENTITY ext SYSTEM \"file:///etc/passwd\">]><r>&ext;</r>");
    ASSERT_TRUE(external);
    EXPECT_EQ(external->documentElement()->textContent(), u"");

    Error error;
    EXPECT_EQ(DOMDocument::parseXML("not xml at all", {}, &error), nullptr);
    EXPECT_EQ(error.domain(), DOMErrorDomain);
    EXPECT_EQ(DOMDocument::parseXML("", {}, &error), nullptr);

    EXPECT_TRUE(DOMDocument::isXMLPath(u"/a/b.XHTML"));
    EXPECT_TRUE(DOMDocument::isXMLPath(u"file:///a/b.xht?x=1"));
    EXPECT_FALSE(DOMDocument::isXMLPath(u"/a.xml/b.html"));
    EXPECT_FALSE(DOMDocument::isXMLPath(u"/a/b"));
}

TEST(DOMXMLParsing, FragmentsInXMLDocuments)
{
    auto document = DOMDocument::parseXML("<html xmlns=\"http://www.w3.org/1999/xhtml\"><body/></html>");
    ASSERT_TRUE(document);
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<Em>x</Em>tail", {}, document->body().get());
    ASSERT_EQ(fragment->childCount(), 2u);
    EXPECT_EQ(toElement(fragment->firstChild())->tagName(), u"Em");
    EXPECT_EQ(toElement(fragment->firstChild())->namespaceURI(), XHTMLNamespace);
}

TEST(DOMHTMLParsing, FosterParentedTextMergesAndSpecialContainers)
{
    // Text foster-parented out of a table joins into one node before it.
    auto document = DOMDocument::parseHTML(std::u16string_view(u"<body><table>a<tr><td>x</td></tr>b</table></body>"));
    auto body = document->body();
    ASSERT_TRUE(body->first()->isTextNode());
    EXPECT_EQ(downcast<DOMText>(body->first())->data(), u"ab");
    EXPECT_EQ(toElement(body->childAt(1))->tagName(), u"TABLE");

    auto frames = DOMDocument::parseHTML(std::u16string_view(u"<html><frameset><frame src=a.html></frameset></html>"));
    ASSERT_TRUE(frames->body());
    EXPECT_EQ(frames->body()->tagName(), u"FRAMESET");

    auto withTemplate = DOMDocument::parseHTML(std::u16string_view(u"<body><template id=t><p>in</p></template></body>"));
    EXPECT_EQ(withTemplate->getElementById(u"t")->innerHTML(), u"<p>in</p>");

    // Comments before the root element stay document children, in order.
    auto commented = DOMDocument::parseHTML(std::u16string_view(u"<!DOCTYPE html><!--first--><html><body></body></html>"));
    EXPECT_EQ(commented->first()->nodeType(), DOMNode::DOCUMENT_TYPE_NODE);
    EXPECT_EQ(commented->childAt(1)->nodeType(), DOMNode::COMMENT_NODE);
    EXPECT_TRUE(commented->childAt(2)->isElementNode());
}

TEST(DOMXMLParsing, NamesMatchCaseSensitivelyInXMLDocuments)
{
    auto document = DOMDocument::parseXML("<root><Item/><item/><ITEM/></root>");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->getElementsByTagName(u"Item")->length(), 1u);
    EXPECT_EQ(document->getElementsByTagName(u"*")->length(), 4u);
    auto element = document->createElement(u"Mixed");
    element->setAttribute(u"Attr", u"1");
    EXPECT_TRUE(element->hasAttribute(u"Attr"));
    EXPECT_FALSE(element->hasAttribute(u"attr"));
    EXPECT_EQ(element->tagName(), u"Mixed");
    EXPECT_EQ(element->namespaceURI(), u"");
}

// Recovery mode dropped a stray "&" or "<" with the text around it, an
// unclosed element's following content, and everything nested deeper than
// 256 levels: such documents are refused with the place of the fault, or
// loaded whole.
TEST(DOMXMLParsing, NeverLoadsADocumentCutShort)
{
    struct Case {
        const char* markup;
        int line;
        int column;
    };
    const Case refused[] = {
        { "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>\n<p>Fish & Chips</p></body></html>", 2, 10 },
        { "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>\n\n<p>1 < 2</p></body></html>", 3, 7 },
        { "<r><a>unclosed<b></r>", 1, 22 },
        // With an external subset the parser takes an undeclared entity for valid and drops it.
        { "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
          "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>\n<p title=\"a\">Caf&eacute; &house-special; menu</p></body></html>", 3, 26 },
    };
    for (auto& testCase : refused) {
        Error error;
        EXPECT_FALSE(DOMDocument::parseXML(testCase.markup, {}, &error)) << testCase.markup;
        EXPECT_EQ(error.domain(), DOMErrorDomain);
        EXPECT_EQ(error.userInfo().at(DOMErrorLineNumberKey).integerValue(), testCase.line) << testCase.markup;
        EXPECT_EQ(error.userInfo().at(DOMErrorColumnNumberKey).integerValue(), testCase.column) << testCase.markup;
        auto description = toUTF8(error.localizedDescription());
        EXPECT_NE(description.find("line " + std::to_string(testCase.line) + ", column "), std::string::npos) << description;
    }

    std::string deep = "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body>";
    for (int i = 0; i < 300; ++i)
        deep += "<div>";
    deep += "<p>bottom</p>";
    for (int i = 0; i < 300; ++i)
        deep += "</div>";
    deep += "<p>after</p></body></html>";
    Error error;
    auto document = DOMDocument::parseXML(deep, {}, &error);
    ASSERT_TRUE(document) << toUTF8(error.localizedDescription());
    EXPECT_EQ(document->body()->textContent(), u"bottomafter");
}

namespace {

// The place of the first fatal error libxml2 itself reports for the text.
std::pair<int, int> firstFatalErrorOfLibxml2(const std::string& markup)
{
    static std::pair<int, int> first;
    first = { 0, 0 };
    xmlParserCtxt* context = xmlNewParserCtxt();
    context->sax->serror = [](void*, xmlErrorPtr error) {
        if (error->level == XML_ERR_FATAL && first.first == 0)
            first = { error->line, error->int2 };
    };
    xmlDoc* document = xmlCtxtReadMemory(context, markup.data(), static_cast<int>(markup.size()), nullptr, "UTF-8",
                                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(document);
    xmlFreeParserCtxt(context);
    return first;
}

} // namespace

// The parser goes on after the first fault and reports what follows from it
// (an element left open is also "premature end of data" at the end); the
// refusal names the first, where the file must be corrected, even where
// HTML's named characters were read before it on its line.
TEST(DOMXMLParsing, ARefusalNamesTheFirstFaultTheParserFinds)
{
    const std::string xhtml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
                              "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head><title>t</title></head>\n<body>\n";
    const char* bodies[] = {
        // An unclosed paragraph, found at the body's end tag, then the end of the file.
        "<p>One\n<p>Two</p>\n</body>\n</html>\n",
        "<p>Fish &amp; chips</p>\n<ul><li>a</li><li>b</ul>\n<p>more</p>\n<p>and more</p>\n</body>\n</html>\n",
        "<p>caf\xC3\xA9 &eacute;&hellip;&nbsp; <b>bold</i> after</p>\n</body>\n</html>\n",
        "<p title=\"a\" title=\"b\">twice</p>\n</body>\n</html>\n",
        "<p>1 < 2</p>\n</body>\n</html>\n",
        "<p>ok</p>\n</body>\n</html>\n<p>after the end</p>\n",
    };
    for (const char* body : bodies) {
        std::string markup = xhtml + body;
        auto expected = firstFatalErrorOfLibxml2(markup);
        ASSERT_GT(expected.first, 0) << body;
        Error error;
        EXPECT_FALSE(DOMDocument::parseXML(markup, {}, &error)) << body;
        EXPECT_EQ(error.userInfo().at(DOMErrorLineNumberKey).integerValue(), expected.first) << body;
        EXPECT_EQ(error.userInfo().at(DOMErrorColumnNumberKey).integerValue(), expected.second) << body;
        auto description = toUTF8(error.localizedDescription());
        EXPECT_NE(description.find("line " + std::to_string(expected.first) + ", column " + std::to_string(expected.second) + ": "),
                  std::string::npos)
            << description;
    }
}

TEST(DOMXMLParsing, PredefinedAndCharacterReferencesInsideInternalEntities)
{
    auto document = DOMDocument::parseXML(
        "<!DOCTYPE html [<!ENTITY company \"Acme &amp; Co &lt;Ltd&gt;\"><!ENTITY twice \"&#38;#38;\">"
        "<!ENTITY sign \"&company; &#8212; &quot;Q&apos;\">]>"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>&company;|&twice;|&sign;</p></body></html>");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->body()->textContent(), u"Acme & Co <Ltd>|&|Acme & Co <Ltd> \u2014 \"Q'");
}

TEST(DOMXMLParsing, FragmentsThatAreNotWellFormedAreReadAsHTML)
{
    auto document = DOMDocument::parseXML("<html xmlns=\"http://www.w3.org/1999/xhtml\"><body/></html>");
    ASSERT_TRUE(document);
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<p>Fish & Chips</p><p>1 < 2<br>3", {},
                                                                     document->body().get());
    EXPECT_EQ(fragment->textContent(), u"Fish & Chips1 < 23");
    auto p = toElement(fragment->firstChild());
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->isHTMLElement());
    EXPECT_EQ(fragment->childCount(), 2u);
    auto undeclared = document->createDocumentFragmentWithMarkupString(u"<p>Today&rsquo;s &special; soup</p>", {},
                                                                       document->body().get());
    EXPECT_EQ(undeclared->textContent(), u"Today\u2019s &special; soup");
}

// Attributes keep the namespace, prefix and local name the parser gave them:
// only foreign elements get namespaced attributes in HTML.
TEST(DOMAttributeNamespaces, AsTheParserGivesThem)
{
    auto document = DOMDocument::parseHTML(
        u"<body><p id=p xlink:href=a xml:lang=en xmlns:xlink=u></p>"
        u"<svg id=s xlink:href=b xml:lang=fr xmlns:xlink='http://www.w3.org/1999/xlink' viewbox='0 0 1 1'><a xml:base=c /></svg>");
    struct Expected {
        std::u16string qualifiedName, namespaceURI, prefix, localName;
    };
    auto check = [](DOMElement& element, const std::vector<Expected>& expected) {
        ASSERT_EQ(element.attributeCount(), expected.size() + 1);
        for (unsigned i = 0; i < expected.size(); ++i) {
            auto attribute = element.attributeNodeAt(i + 1);
            EXPECT_EQ(attribute->name(), expected[i].qualifiedName);
            EXPECT_EQ(attribute->namespaceURI(), expected[i].namespaceURI) << toUTF8(expected[i].qualifiedName);
            EXPECT_EQ(attribute->prefix(), expected[i].prefix) << toUTF8(expected[i].qualifiedName);
            EXPECT_EQ(attribute->localName(), expected[i].localName) << toUTF8(expected[i].qualifiedName);
            EXPECT_TRUE(element.hasAttribute(expected[i].qualifiedName));
        }
    };
    check(*document->getElementById(u"p"), { { u"xlink:href", u"", u"", u"xlink:href" },
                                               { u"xml:lang", u"", u"", u"xml:lang" },
                                               { u"xmlns:xlink", u"", u"", u"xmlns:xlink" } });
    auto svg = document->getElementById(u"s");
    check(*svg, { { u"xlink:href", XLinkNamespace, u"xlink", u"href" },
                  { u"xml:lang", XMLNamespace, u"xml", u"lang" },
                  { u"xmlns:xlink", XMLNSNamespace, u"xmlns", u"xlink" },
                  { u"viewBox", u"", u"", u"viewBox" } });
    // The standard no longer adjusts xml:base.
    auto base = toElement(svg->firstChild())->attributeNodeAt(0);
    EXPECT_EQ(base->localName(), u"xml:base");
    EXPECT_EQ(base->namespaceURI(), u"");

    // Copies keep them; an attribute set by name alone has no namespace.
    auto copy = toElement(svg->cloneNode(true));
    EXPECT_EQ(copy->attributeNodeAt(1)->namespaceURI(), XLinkNamespace);
    EXPECT_TRUE(copy->isEqualNode(svg.get()));
    auto plain = document->createElementNS(SVGNamespace, u"svg");
    for (unsigned i = 0; i < svg->attributeCount(); ++i)
        plain->setAttribute(svg->attributeList()[i].name, svg->attributeList()[i].value);
    EXPECT_EQ(plain->attributeNodeAt(1)->namespaceURI(), u"");
    EXPECT_FALSE(plain->isEqualNode(svg.get()));
    EXPECT_FALSE(plain->attributeNodeAt(1)->isEqualNode(svg->attributeNodeAt(1).get()));
    EXPECT_TRUE(copy->attributeNodeAt(1)->isEqualNode(svg->attributeNodeAt(1).get()));

    auto xml = DOMDocument::parseXML("<r xmlns='urn:d' xmlns:x='urn:x'><e a='1' x:b='2' xml:space='preserve'/></r>");
    ASSERT_TRUE(xml);
    auto root = xml->documentElement();
    EXPECT_EQ(root->attributeNodeAt(0)->namespaceURI(), XMLNSNamespace);
    EXPECT_EQ(root->attributeNodeAt(0)->localName(), u"xmlns");
    EXPECT_EQ(root->attributeNodeAt(1)->prefix(), u"xmlns");
    EXPECT_EQ(root->attributeNodeAt(1)->localName(), u"x");
    auto e = toElement(root->firstChild());
    EXPECT_EQ(e->attributeNodeAt(0)->namespaceURI(), u"");
    EXPECT_EQ(e->attributeNodeAt(1)->namespaceURI(), u"urn:x");
    EXPECT_EQ(e->attributeNodeAt(1)->name(), u"x:b");
    EXPECT_EQ(e->attributeNodeAt(2)->namespaceURI(), XMLNamespace);
    EXPECT_EQ(e->getAttribute(u"x:b"), u"2");
}

TEST(DOMHTMLParsing, FragmentsParseInTheirRealContext)
{
    auto document = DOMDocument::parseHTML(u"<body>");
    auto html = document->createElement(u"html");
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<title>t</title><p>x", {}, html.get());
    EXPECT_EQ(fragment->innerHTML(), u"<head><title>t</title></head><body><p>x</p></body>");
    auto text = document->createDocumentFragmentWithMarkupString(u"words", {}, html.get());
    EXPECT_EQ(text->innerHTML(), u"<head></head><body>words</body>");
}

// The parsers build a tree without recording each node: the build counts as one
// change that readers of the change record must start over from, and what
// follows is recorded as usual.
TEST(DOMHTMLParsing, ABuiltTreeIsOneChangeAndLaterEditsAreRecorded)
{
    auto document = DOMDocument::parseHTML(std::string_view("<p>a<b>b</b></p><template><i>t</i>x</template>"));
    EXPECT_GT(document->connectedStructureVersion(), 0u);
    EXPECT_FALSE(document->structureChangesSince(0));
    auto paragraphs = document->getElementsByTagName(u"p");
    EXPECT_EQ(paragraphs->length(), 1u);

    auto version = document->connectedStructureVersion();
    auto treeVersion = document->domTreeVersion();
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<p>c</p><p>d</p>");
    EXPECT_GT(document->domTreeVersion(), treeVersion);
    EXPECT_EQ(document->connectedStructureVersion(), version); // a fragment is not the document
    document->body()->appendChild(fragment);
    EXPECT_EQ(paragraphs->length(), 3u);
    auto recorded = document->structureChangesSince(version);
    ASSERT_TRUE(recorded);
    std::vector<DOMStructureChange> changes(recorded->begin(), recorded->end());
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].target.lock(), document->body());
    EXPECT_EQ(toElement(changes[1].inserted.lock())->textContent(), u"d");

    // A template's parsed contents belong to the inert document, in order.
    auto templ = toElement(document->body()->childAt(1));
    ASSERT_TRUE(templ && templ->hasTagName(u"template"));
    auto content = templ->content();
    EXPECT_EQ(content->innerHTML(), u"<i>t</i>x");
    for (auto* node = content->first(); node; node = node->traverseNext(content.get()))
        EXPECT_EQ(node->document(), &document->templateContentsOwnerDocument());
}

// The record keeps the latest changes, read in order; older versions are refused,
// and style sheets brought by any insertion are flagged.
TEST(DOMHTMLParsing, TheChangeRecordReachesBackOnlySoFar)
{
    auto document = DOMDocument::parseHTML(std::string_view("<p>a</p>"));
    auto start = document->connectedStructureVersion();
    for (int i = 0; i < 300; ++i)
        document->body()->appendChild(document->createElement(u"p"));
    EXPECT_FALSE(document->structureChangesSince(start));
    EXPECT_FALSE(document->structureChangesSince(document->connectedStructureVersion() + 1));
    auto now = document->connectedStructureVersion();
    auto none = document->structureChangesSince(now);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());

    auto wrapper = document->createElement(u"div");
    wrapper->appendChild(document->createElement(u"span"))->appendChild(document->createElement(u"style"));
    document->body()->appendChild(wrapper);
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<div><link rel=stylesheet href=a.css></div><p>x</p>");
    document->body()->appendChild(fragment);
    auto recorded = document->structureChangesSince(now);
    ASSERT_TRUE(recorded);
    std::vector<bool> touches;
    for (auto& change : *recorded)
        touches.push_back(change.touchesStyleSheets);
    EXPECT_EQ(touches, (std::vector<bool> { true, true, false }));
    EXPECT_EQ(recorded->back().inserted.lock(), document->body()->last()->shared_from_this());
}

// The elements that may load something are named by the parse in document
// order, as long as the tree and its attributes stay as built.
TEST(DOMHTMLParsing, TheParseNamesTheElementsThatMayLoadUntilTheTreeChanges)
{
    auto document = DOMDocument::parseHTML(std::string_view(
        "<!DOCTYPE html><link rel=stylesheet href=a.css><style>p{}</style><p><img src=1.png><IMG SRC=2.png></p>"
        "<template><img src=t.png></template><svg><style>x</style></svg><iframe src=f.html></iframe>"
        "<frameset><frame src=g.html></frameset><a href=x>link</a><imgx src=no.png>"));
    auto names = [](const std::vector<DOMElement*>& elements) {
        std::vector<std::u16string> result;
        for (auto* element : elements)
            result.push_back(element->localName() + u":" + element->getAttribute(element->hasTagName(u"link") ? u"href" : u"src"));
        return result;
    };
    auto* parsed = document->parsedLoadingElements();
    ASSERT_TRUE(parsed);
    std::vector<std::u16string> expected { u"link:a.css", u"style:", u"img:1.png", u"img:2.png", u"iframe:f.html" };
    EXPECT_EQ(names(*parsed), expected);
    // Text may change: the elements are the same.
    toElement(document->head()->childAt(1))->firstChild()->setNodeValue(u"@import url(b.css);");
    EXPECT_EQ(document->parsedLoadingElements(), parsed);
    // An attribute change or a change of the tree ends the list.
    toElement(document->body()->firstChild()->firstChild())->setAttribute(u"src", u"3.png");
    EXPECT_FALSE(document->parsedLoadingElements());
    auto other = DOMDocument::parseHTML(std::string_view("<p><img src=1.png></p>"));
    ASSERT_TRUE(other->parsedLoadingElements());
    other->body()->appendChild(other->createElement(u"img"));
    EXPECT_FALSE(other->parsedLoadingElements());
    // Nor is any given for fragments or documents the HTML parser did not build.
    EXPECT_FALSE(DOMDocument::createHTMLDocument(u"t")->parsedLoadingElements());
    auto xml = DOMDocument::parseXML(std::string_view("<html xmlns='http://www.w3.org/1999/xhtml'><body><img src='1.png'/></body></html>"));
    ASSERT_TRUE(xml);
    EXPECT_FALSE(xml->parsedLoadingElements());
}

TEST(DOMHTMLParsing, TheParseRecordsTheCharactersOfTheTextUntilAnythingChanges)
{
    // Every place in a run of ASCII, in texts of every length around the
    // four units looked at together.
    for (size_t length = 1; length <= 9; ++length) {
        for (size_t at = 0; at < length; ++at) {
            std::u16string text(length, u'a');
            text[at] = u'\u0100' + static_cast<char16_t>(length * 10 + at);
            auto document = DOMDocument::parseHTML(u"<p>" + text + u"</p>");
            auto* units = document->parsedTextUnits();
            ASSERT_TRUE(units);
            EXPECT_EQ(units->count(), 1u) << length << " " << at;
            EXPECT_TRUE(units->test(text[at])) << length << " " << at;
        }
    }
    auto document = DOMDocument::parseHTML(std::string_view(
        "<title>caf\xC3\xA9</title><!-- \xE2\x80\x94 --><template>\xE2\x80\x93</template><p title='\xC2\xB0'>x &amp; &nbsp;&#x1F600;</p>"));
    auto* units = document->parsedTextUnits();
    ASSERT_TRUE(units);
    EXPECT_TRUE(units->test(0xE9));
    EXPECT_TRUE(units->test(0xA0));
    EXPECT_TRUE(units->test(0xD83D) && units->test(0xDE00));
    EXPECT_FALSE(units->test(0x2014)); // in a comment
    EXPECT_FALSE(units->test(0x2013)); // in a template's contents
    EXPECT_FALSE(units->test(0xB0));   // in an attribute
    EXPECT_EQ(units->count(), 4u);
    toElement(document->body()->firstChild())->setAttribute(u"title", u"x");
    EXPECT_FALSE(document->parsedTextUnits());
    auto texts = DOMDocument::parseHTML(std::string_view("<p>a</p>"));
    texts->body()->firstChild()->firstChild()->setNodeValue(u"\u00E9");
    EXPECT_FALSE(texts->parsedTextUnits());
    EXPECT_FALSE(DOMDocument::createHTMLDocument(u"t")->parsedTextUnits());
}

// A large page: long texts, an element with hundreds of attributes and
// template contents all come out whole and in order.
TEST(DOMHTMLParsing, LargePagesComeOutWhole)
{
    std::string markup = "<!DOCTYPE html><title>big</title><body>";
    constexpr int paragraphs = 20000;
    for (int i = 0; i < paragraphs; ++i)
        markup += "<p class=c id=p" + std::to_string(i) + ">text " + std::to_string(i) + " <b>bold</b> &amp; more</p>\n";
    std::string longText(40000, 'x');
    markup += "<pre id=long>" + longText + "</pre><div id=many";
    for (int i = 0; i < 600; ++i)
        markup += " a" + std::to_string(i) + "=v" + std::to_string(i);
    markup += ">m</div><template id=t><i>in</i> template</template><p id=last>end";
    auto document = DOMDocument::parseHTML(std::string_view(markup));

    auto paragraphsFound = document->getElementsByTagName(u"p");
    ASSERT_EQ(paragraphsFound->length(), static_cast<unsigned>(paragraphs + 1));
    for (int i : { 0, 1, 9999, paragraphs - 1 }) {
        auto paragraph = paragraphsFound->item(static_cast<unsigned>(i));
        ASSERT_TRUE(paragraph);
        EXPECT_EQ(paragraph->id(), u"p" + toUTF16(std::to_string(i)));
        EXPECT_EQ(paragraph->textContent(), u"text " + toUTF16(std::to_string(i)) + u" bold & more");
    }
    EXPECT_EQ(document->getElementById(u"long")->textContent(), toUTF16(longText));
    auto many = document->getElementById(u"many");
    ASSERT_EQ(many->attributeCount(), 601u);
    EXPECT_EQ(many->getAttribute(u"a0"), u"v0");
    EXPECT_EQ(many->getAttribute(u"a599"), u"v599");
    EXPECT_EQ(many->textContent(), u"m");
    EXPECT_EQ(document->getElementById(u"t")->content()->innerHTML(), u"<i>in</i> template");
    EXPECT_EQ(document->getElementById(u"last")->textContent(), u"end");
}

// A page whose text passes 32 MiB has the pages of that text given back as
// the parse passes them: the tree is the one its text, kept whole, gives.
TEST(DOMHTMLParsing, PagesOfTensOfMegabytesComeOutAsTheirTextKeptWholeGives)
{
    std::string markup = "<!DOCTYPE html><title>big &amp; long</title><body>";
    std::string piece = "<p class=c title=\"a &lt; b\">text &amp; more &notit; &#x1F600;<!-- note --><b>bold</b>"
                        "<script>if (a < b) x = '</p>';</script><textarea>a </b> b</textarea>\r\n";
    piece += std::string(700, 'x') + "</p>\n";
    // A run of text longer than the steps the parse gives pages back in.
    std::string longRun(3 << 20, 'y');
    while (markup.size() < (17 << 20)) {
        markup += piece;
        if (markup.size() % 9 < 2)
            markup += "<pre>" + longRun + "</pre>";
    }
    markup += "<pre>" + longRun + "</pre><p id=last>end";
    auto fromBytes = DOMDocument::parseHTML(std::string_view(markup));
    auto text = toUTF16(markup);
    auto fromText = DOMDocument::parseHTML(std::u16string_view(text));
    std::u16string expected;
    std::u16string serialized;
    serializeChildrenAsHTML(*fromText, expected);
    serializeChildrenAsHTML(*fromBytes, serialized);
    EXPECT_TRUE(serialized == expected);
    EXPECT_EQ(fromBytes->getElementById(u"last")->textContent(), u"end");
}

// Deep pages keep every level and their content, whatever makes them deep.
TEST(DOMHTMLParsing, DeepPagesKeepEveryLevel)
{
    auto repeated = [](std::string_view piece, int count) {
        std::string result;
        for (int i = 0; i < count; ++i)
            result += piece;
        return result;
    };
    for (auto piece : { "<div>x", "<b>x", "<span><div>x", "<li><ul>x", "<table><tr><td>x", "<svg><g>x", "<i>x</p>" }) {
        SCOPED_TRACE(piece);
        auto document = DOMDocument::parseHTML(repeated(piece, 3000));
        auto body = document->body();
        unsigned depth = 0;
        for (DOMNode* node = body.get(); node->last(); node = node->last())
            depth += node->isElementNode();
        EXPECT_GE(depth, 3000u);
        EXPECT_EQ(body->textContent(), std::u16string(3000, u'x'));
    }
}

// No cap on attributes: every one is kept, the first of a repeated name wins,
// and foreign elements get their adjusted names.
TEST(DOMHTMLParsing, TagsWithThousandsOfAttributesKeepThemAll)
{
    std::string page = "<p id=first";
    for (int i = 0; i < 1000; ++i)
        page += " a" + std::to_string(i) + "='" + std::to_string(i) + "&amp;'";
    page += " id=repeated a5=again><svg";
    for (int i = 0; i < 600; ++i)
        page += " viewbox=" + std::to_string(i) + " xlink:href=x" + std::to_string(i);
    page += "/></p>";
    auto document = DOMDocument::parseHTML(page);
    auto paragraph = document->getElementById(u"first");
    ASSERT_TRUE(paragraph);
    EXPECT_EQ(paragraph->attributeCount(), 1001u);
    EXPECT_EQ(paragraph->getAttribute(u"a999"), u"999&");
    EXPECT_EQ(paragraph->getAttribute(u"a5"), u"5&");
    auto svg = toElement(paragraph->firstChild());
    ASSERT_TRUE(svg);
    EXPECT_EQ(svg->attributeCount(), 2u);
    EXPECT_EQ(svg->getAttribute(u"viewBox"), u"0");
    EXPECT_EQ(svg->getAttribute(u"xlink:href"), u"x0");
    EXPECT_EQ(document->body()->last(), paragraph.get());
}

// End tags in foreign content end what the parsing algorithm ends, and a CDATA
// section is text only where foreign content is open (an HTML element inside
// an integration point makes it a comment).
TEST(DOMHTMLParsing, ForeignEndTagsAndCDATASections)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(u""));
    auto tfoot = document->createElement(u"tfoot");
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<math><mi></mi/><![CDATA[y]]>x", {}, tfoot.get());
    ASSERT_TRUE(fragment);
    EXPECT_EQ(fragment->innerHTML(), u"<math><mi></mi>yx</math>");
    fragment = document->createDocumentFragmentWithMarkupString(u"<svg><title><e><svg></x><![CDATA[a<b]]> ", {}, tfoot.get());
    EXPECT_EQ(fragment->innerHTML(), u"<svg><title><e><svg>a&lt;b </svg></e></title></svg>");

    auto page = DOMDocument::parseHTML(std::string_view("<e><svg></t><![CDATA[x]]>y"));
    EXPECT_EQ(page->body()->innerHTML(), u"<e><svg>xy</svg></e>");
    page = DOMDocument::parseHTML(std::string_view("<table><td><svg><desc><b></desc><![CDATA[a]]>x</table>"));
    EXPECT_EQ(page->body()->textContent(), u"x");
    page = DOMDocument::parseHTML(std::string_view("<table><td><math><mi><b></mi/><![CDATA[a]]>x</table>"));
    EXPECT_EQ(page->body()->textContent(), u"x");
    page = DOMDocument::parseHTML(std::string_view("<div><svg><desc><b></desc><![CDATA[a]]>x"));
    EXPECT_EQ(page->body()->innerHTML(), u"<div><svg><desc><b><!--[CDATA[a]]-->x</b></desc></svg></div>");
}

TEST(DOMHTMLParsing, RawControlCharactersAreKeptAsTheStandardKeepsThem)
{
    auto document = DOMDocument::parseHTML(std::string_view("<p title='a\x01\xC2\x81'>x\x05\xC2\x9D\x7Fy<!--\x02-->\tz</p>"), "UTF-8");
    auto paragraph = downcast<DOMElement>(document->body()->firstChild());
    EXPECT_EQ(paragraph->getAttribute(u"title"), u"a\u0001\u0081");
    EXPECT_EQ(paragraph->firstChild()->textContent(), u"x\u0005\u009D\u007Fy");
    EXPECT_EQ(downcast<DOMCharacterData>(paragraph->firstChild()->nextSibling())->data(), u"\u0002");
    EXPECT_EQ(paragraph->lastChild()->textContent(), u"\tz");
    auto privateUse = DOMDocument::parseHTML(std::string_view("<p>\xF4\x8F\xBC\x85\x05</p>"), "UTF-8");
    EXPECT_EQ(privateUse->body()->textContent(), u"\U0010FF05\u0005");
}
