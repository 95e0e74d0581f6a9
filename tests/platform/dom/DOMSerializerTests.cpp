#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMSerializer.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

using namespace brevanton;

TEST(DOMSerializer, EscapesTextAndAttributesByContext)
{
    auto document = DOMDocument::createHTMLDocument();
    auto body = document->body();
    auto a = document->createElement(u"a");
    a->setAttribute(u"title", u"say \"hi\" & <bye>\u00A0'");
    a->appendChild(document->createTextNode(u"1 < 2 & \"3\" > 0\u00A0"));
    body->appendChild(a);
    EXPECT_EQ(a->outerHTML(), u"<a title=\"say &quot;hi&quot; &amp; &lt;bye&gt;&nbsp;'\">1 &lt; 2 &amp; \"3\" &gt; 0&nbsp;</a>");

    // Raw text elements keep their text.
    auto script = document->createElement(u"script");
    script->appendChild(document->createTextNode(u"if (a < b && c) {}"));
    body->appendChild(script);
    auto style = document->createElement(u"style");
    style->appendChild(document->createTextNode(u"p > a { }"));
    body->appendChild(style);
    EXPECT_EQ(script->outerHTML(), u"<script>if (a < b && c) {}</script>");
    EXPECT_EQ(style->outerHTML(), u"<style>p > a { }</style>");
}

TEST(DOMSerializer, EscapingModesDifferInQuotesAndNoBreakSpaces)
{
    const std::u16string_view text = u"<a href=\"x\">'Fish' & Chips\u00A0</a>";
    std::u16string into = u"kept ";
    appendEscapedHTML(into, text, HTMLEscaping::Text);
    EXPECT_EQ(into, u"kept &lt;a href=\"x\"&gt;'Fish' &amp; Chips&nbsp;&lt;/a&gt;");
    into.clear();
    appendEscapedHTML(into, text, HTMLEscaping::AttributeValue);
    EXPECT_EQ(into, u"&lt;a href=&quot;x&quot;&gt;'Fish' &amp; Chips&nbsp;&lt;/a&gt;");
    into.clear();
    appendEscapedHTML(into, text, HTMLEscaping::TextOrQuotedValue);
    EXPECT_EQ(into, u"&lt;a href=&quot;x&quot;&gt;&#39;Fish&#39; &amp; Chips\u00A0&lt;/a&gt;");
    into.clear();
    appendEscapedHTML(into, u"", HTMLEscaping::Text);
    appendEscapedHTML(into, u"&&", HTMLEscaping::TextOrQuotedValue);
    EXPECT_EQ(into, u"&amp;&amp;");
}

TEST(DOMSerializer, VoidElementsCommentsAndDoctype)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<!DOCTYPE html><html><head></head><body>a<br>b<img src=x.png alt=''><hr><!--c--><p></p></body></html>"));
    EXPECT_EQ(document->body()->innerHTML(), u"a<br>b<img src=\"x.png\" alt=\"\"><hr><!--c--><p></p>");
    EXPECT_EQ(document->innerHTML(),
              u"<!DOCTYPE html><html><head></head><body>a<br>b<img src=\"x.png\" alt=\"\"><hr><!--c--><p></p></body></html>");
    // Children given to a void element are not serialized.
    auto br = document->createElement(u"br");
    br->appendChild(document->createTextNode(u"lost"));
    EXPECT_EQ(br->outerHTML(), u"<br>");
    EXPECT_EQ(br->innerHTML(), u"");
    auto pi = document->createProcessingInstruction(u"php", u"echo 1;");
    EXPECT_EQ(pi->nodeName(), u"php");
    document->body()->appendChild(pi);
    EXPECT_NE(document->body()->innerHTML().find(u"<?php echo 1;>"), std::u16string::npos);
}

TEST(DOMSerializer, XMLTreesKeepNamesAndCDATA)
{
    auto document = DOMDocument::parseXML("<root><Item a=\"1&#160;&amp;\"><![CDATA[x<y]]></Item><br/>&#160;&lt;</root>");
    ASSERT_TRUE(document);
    // A no-break space stays a character: XML knows no "&nbsp;".
    EXPECT_EQ(document->documentElement()->innerHTML(),
              u"<Item a=\"1\u00A0&amp;\"><![CDATA[x<y]]></Item><br></br>\u00A0&lt;");
}

namespace {

// Every range between two boundary points of the subtree, start before end.
void forEachRange(DOMDocument& document, DOMNode& root, const std::function<void(DOMRange&)>& body)
{
    std::vector<std::pair<std::shared_ptr<DOMNode>, unsigned>> points;
    for (DOMNode* node = &root; node; node = node->traverseNext(&root)) {
        for (unsigned offset = 0; offset <= node->length(); ++offset)
            points.emplace_back(node->shared_from_this(), offset);
    }
    for (auto& [startNode, startOffset] : points) {
        for (auto& [endNode, endOffset] : points) {
            auto range = document.createRange();
            range->setStart(startNode, startOffset);
            range->setEnd(endNode, endOffset);
            if (range->startContainer() == startNode && range->startOffset() == startOffset)
                body(*range);
        }
    }
}

std::u16string serializedClone(const DOMRange& range)
{
    std::u16string markup;
    serializeChildrenAsHTML(*range.cloneContents(), markup);
    return markup;
}

std::string describe(const DOMRange& range)
{
    return toUTF8(range.startContainer()->nodeName()) + " " + std::to_string(range.startOffset()) + " - "
        + toUTF8(range.endContainer()->nodeName()) + " " + std::to_string(range.endOffset());
}

} // namespace

TEST(DOMSerializer, RangesWriteWhatTheirClonedContentsWould)
{
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<!DOCTYPE html><html><head></head><body>a&amp;b<p class=x>cd<b>e<i>f</i></b><!--note-->g</p>"
        u"<script>if (a < b) {}</script><ul><li>h</li><li></li></ul><template><b>t</b></template><img src=i.png>j"
        u"</body></html>"));
    // Children given to a void element, which cloning keeps and writing leaves
    // out, and to a template, whose contents are written in their place: both
    // are text of the range all the same.
    auto image = document->body()->lastChild()->previousSibling();
    image->appendChild(document->createTextNode(u"hidden"));
    image->previousSibling()->appendChild(document->createTextNode(u"beside"));
    size_t ranges = 0;
    forEachRange(*document, *document->body(), [&](DOMRange& range) {
        std::u16string markup = u"kept:";
        std::u16string text = u"kept:";
        ASSERT_TRUE(serializeRangeContentsAsHTML(range, markup, nullptr, &text));
        EXPECT_EQ(markup, u"kept:" + serializedClone(range)) << describe(range);
        EXPECT_EQ(text, u"kept:" + range.toString()) << describe(range);
        ++ranges;
    });
    EXPECT_GT(ranges, 2000u);

    // A range holding the doctype cannot be cloned, nor written.
    auto whole = document->createRange();
    whole->selectNodeContents(document);
    std::u16string markup = u"kept";
    std::u16string text = u"kept";
    EXPECT_FALSE(serializeRangeContentsAsHTML(*whole, markup, nullptr, &text));
    EXPECT_EQ(markup, u"kept");
    EXPECT_EQ(text, u"kept");
}

TEST(DOMSerializer, XMLRangesWriteWhatTheirClonedContentsWould)
{
    auto document = DOMDocument::parseXML("<root><Item a=\"1\"><![CDATA[x<y]]>z</Item><?pi data?><br/>&#160;</root>");
    ASSERT_TRUE(document);
    forEachRange(*document, *document->documentElement(), [&](DOMRange& range) {
        std::u16string markup;
        std::u16string text;
        ASSERT_TRUE(serializeRangeContentsAsHTML(range, markup, nullptr, &text));
        EXPECT_EQ(markup, serializedClone(range)) << describe(range);
        EXPECT_EQ(text, range.toString()) << describe(range);
    });
}

TEST(DOMSerializer, FiltersChangeTextAndAttributesAsWritten)
{
    class Filter final : public HTMLSerializationFilter {
    public:
        void willWriteElement(const DOMElement& element) override { written.push_back(element.localName()); }
        std::optional<std::u16string> filteredText(std::u16string_view text) override
        {
            if (text.find(u'e') == std::u16string_view::npos)
                return std::nullopt;
            std::u16string changed(text);
            std::replace(changed.begin(), changed.end(), u'e', u'E');
            return changed;
        }
        AttributeAction filterAttribute(const DOMElement&, std::u16string_view name, std::u16string_view,
                                        std::u16string& replacement) override
        {
            if (name == u"class")
                return AttributeAction::Omit;
            if (name != u"title")
                return AttributeAction::Keep;
            replacement = u"<new>";
            return AttributeAction::Replace;
        }
        std::vector<std::u16string> written;
    };
    auto document = DOMDocument::parseHTML(std::u16string_view(
        u"<body><p class=x id=p title=old>one <b class=y>here</b></p><script>see</script><!--e--></body>"));
    auto body = document->body();
    Filter filter;
    std::u16string markup;
    serializeChildrenAsHTML(*body, markup, &filter);
    EXPECT_EQ(markup, u"<p id=\"p\" title=\"&lt;new&gt;\">onE <b>hErE</b></p><script>sEE</script><!--e-->");
    EXPECT_EQ(filter.written, (std::vector<std::u16string> { u"p", u"b", u"script" }));
    EXPECT_EQ(body->innerHTML(),
              u"<p class=\"x\" id=\"p\" title=\"old\">one <b class=\"y\">here</b></p><script>see</script><!--e-->")
        << "the tree is unchanged";

    // In a range the filter sees the selected part of a text.
    auto range = document->createRange();
    range->setStart(body->firstChild()->firstChild(), 2);
    range->setEnd(body->firstChild()->lastChild()->firstChild(), 2);
    markup.clear();
    ASSERT_TRUE(serializeRangeContentsAsHTML(*range, markup, &filter));
    EXPECT_EQ(markup, u"E <b>hE</b>");
}
