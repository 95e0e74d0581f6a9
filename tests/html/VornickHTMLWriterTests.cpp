#include "html/VornickHTMLWriter.h"

#include "toolkit/VornickCollections.h"
#include "dom/VornickCascadeComputedStyle.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/dom/DOMCollections.h"
#include "toolkit/VornickErrors.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

VornickHTMLFormattingPreferences preferences(std::u16string_view compact = u"4,4")
{
    auto result = VornickHTMLFormattingPreferences::createWithStringRepresentation(compact);
    EXPECT_TRUE(result) << toUTF8(compact);
    return result.value_or(VornickHTMLFormattingPreferences());
}

std::shared_ptr<DOMDocument> html(std::string_view markup)
{
    return DOMDocument::parseHTML(toUTF16(markup));
}

std::string write(DOMDocument& document, std::u16string_view compact = u"4,4", char16_t substitute = 0)
{
    VornickHTMLWriter writer(preferences(compact), substitute, VornickNewlineConvention::LF);
    return toUTF8(writer.htmlStringFromDocument(document));
}

std::string write(std::string_view markup, std::u16string_view compact = u"4,4")
{
    auto document = html(markup);
    return write(*document, compact);
}

std::string writeBody(std::string_view markup, std::u16string_view compact = u"4,4",
                      VornickCommentToFragmentDescriptionLookupBlock lookup = nullptr)
{
    auto document = html(std::string("<!DOCTYPE html><html><head></head><body>") + std::string(markup) + "</body></html>");
    VornickHTMLWriter writer(preferences(compact), 0, VornickNewlineConvention::LF);
    writer.setCommentToFragmentDescriptionLookupBlock(std::move(lookup));
    return toUTF8(writer.htmlStringFromChildrenOfNode(*document->body()));
}

size_t occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t i = text.find(part); i != std::string::npos; i = text.find(part, i + 1))
        ++count;
    return count;
}

} // namespace

TEST(VornickHTMLWriter, WhitespaceBetweenInlineContentIsNeverLost)
{
    // With or without the line rules, inside and outside WordPress blocks.
    for (auto compact : { u"4,4", u"4,4-b", u"4,4-bir", u"1,1-tixbeshqrracnd" }) {
        EXPECT_NE(writeBody("<p><b>a</b> <i>b</i></p>", compact).find("<b>a</b> <i>b</i>"), std::string::npos);
        auto block = writeBody("<!-- wp:paragraph -->\n<p><strong>Hello</strong> <em>world</em></p>\n<!-- /wp:paragraph -->",
                               compact);
        EXPECT_NE(block.find("<strong>Hello</strong> <em>world</em>"), std::string::npos) << block;
        // Whitespace at the end of an inline parent renders too.
        EXPECT_NE(writeBody("<p><span><b>a</b> </span>b</p>", compact).find("</b> </span>b"), std::string::npos);
        // Inside an inline element a leading space is content.
        EXPECT_NE(writeBody("<p>Hello<b> world</b></p>", compact).find("Hello<b> world</b>"), std::string::npos);
    }
    // Whitespace between blocks is layout only.
    EXPECT_EQ(writeBody("<div><p>a</p> <p>b</p></div>", u"4,4-b"), "<div><p>a</p><p>b</p></div>\n");
}

TEST(VornickHTMLWriter, PreformattedContentIsWrittenExactly)
{
    auto document = html("<!DOCTYPE html><body><div><pre>  a\n    <b>b</b>  <i>c</i>\n</pre></div>"
                         "<textarea>\n\nfirst line empty</textarea><script>if (a < b) x = \"&amp;\";</script></body>");
    for (auto compact : { u"4,4", u"2,8-t", u"4,4-b" }) {
        auto output = write(*document, compact);
        EXPECT_NE(output.find("<pre>  a\n    <b>b</b>  <i>c</i>\n</pre>"), std::string::npos) << output;
        // The parser drops the line break right after the start tag: a second one keeps the first.
        EXPECT_NE(output.find("<textarea>\n\nfirst line empty</textarea>"), std::string::npos) << output;
        EXPECT_NE(output.find("<script>if (a < b) x = \"&amp;\";</script>"), std::string::npos) << output;
    }
    auto code = writeBody("<p><code><b>x</b>   <i>y</i>\n</code></p>", u"4,4-b");
    EXPECT_NE(code.find("<code><b>x</b>   <i>y</i>\n</code>"), std::string::npos) << code;
    // XHTML adds nothing before the end of a pre either.
    auto xhtml = html("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><body><pre>x\n  y</pre></body>");
    EXPECT_NE(write(*xhtml).find("<pre>x\n  y</pre>"), std::string::npos);
    // Script text made in the DOM cannot end its element early.
    auto script = html("<!DOCTYPE html><body><script></script></body>");
    script->body()->firstChild()->appendChild(script->createTextNode(u"var s = '</script><b>';"));
    EXPECT_NE(write(*script).find("var s = '<\\/script><b>';</script>"), std::string::npos);
}

TEST(VornickHTMLWriter, NoBreakSpacesAreContent)
{
    auto output = writeBody("<p>&nbsp;</p><p>&nbsp;&nbsp;indented&nbsp;</p><p>a <b>x</b>&nbsp;<i>y</i></p>");
    EXPECT_NE(output.find("<p>&nbsp;</p>"), std::string::npos) << output;
    EXPECT_NE(output.find("<p>&nbsp;&nbsp;indented&nbsp;</p>"), std::string::npos) << output;
    EXPECT_NE(output.find("</b>&nbsp;<i>"), std::string::npos) << output;

    // With a substitute character the editor's no-break spaces become spaces
    // and the substitute becomes the user's no-break space.
    auto document = html("<!DOCTYPE html><body><p>a\xC2\xA0" "b\xE2\x80\x87</p></body>");
    auto substituted = write(*document, u"4,4", 0x2007);
    EXPECT_NE(substituted.find("<p>a b&nbsp;</p>"), std::string::npos) << substituted;
}

TEST(VornickHTMLWriter, ElementsKeepTheirEndTagsUnlessVoid)
{
    auto output = writeBody("<template></template><div></div><p></p><span></span><br><img src=a.png><hr>");
    EXPECT_NE(output.find("<template></template>"), std::string::npos) << output;
    EXPECT_NE(output.find("<div>\n</div>"), std::string::npos);
    EXPECT_NE(output.find("<p></p>"), std::string::npos);
    EXPECT_NE(output.find("<span></span>"), std::string::npos);
    EXPECT_NE(output.find("<br />"), std::string::npos);
    EXPECT_NE(output.find("<img src=\"a.png\" />"), std::string::npos);
    EXPECT_EQ(output.find("</br>"), std::string::npos);
    EXPECT_EQ(output.find("</img>"), std::string::npos);

    auto noSlash = writeBody("<br><img src=a.png>", u"4,4-e");
    EXPECT_NE(noSlash.find("<br>"), std::string::npos);
    EXPECT_NE(noSlash.find("<img src=\"a.png\">"), std::string::npos);
    EXPECT_NE(writeBody("<br>", u"4,4-s").find("<br/>"), std::string::npos);
}

TEST(VornickHTMLWriter, NamesCaseBooleanAttributesAndQuotes)
{
    auto upper = write("<!DOCTYPE html><body><p class=x>a</p><input disabled></body>", u"4,4-o");
    EXPECT_NE(upper.find("<P CLASS=\"x\">a</P>"), std::string::npos) << upper;
    EXPECT_NE(upper.find("<INPUT DISABLED />"), std::string::npos) << upper;

    auto xhtml = write("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><body><p>a</p><input disabled=disabled></body>",
                       u"4,4-o");
    EXPECT_NE(xhtml.find("<p>a"), std::string::npos) << xhtml;
    EXPECT_NE(xhtml.find("<input disabled=\"disabled\" />"), std::string::npos) << xhtml;

    auto quotes = writeBody("<p title='say \"hi\" &amp; it&apos;s'>x</p>");
    EXPECT_NE(quotes.find("title=\"say &quot;hi&quot; &amp; it's\""), std::string::npos) << quotes;
    auto apostrophes = writeBody("<p title='say \"hi\" &amp; it&apos;s'>x</p>", u"4,4-q");
    EXPECT_NE(apostrophes.find("title='say \"hi\" &amp; it&apos;s'"), std::string::npos) << apostrophes;

    auto classes = writeBody("<p class='brevanton-brick'>a</p><p class='  one brevanton-x   two '>b</p>");
    EXPECT_NE(classes.find("<p>a</p>"), std::string::npos) << classes;
    EXPECT_NE(classes.find("<p class=\"one two\">b</p>"), std::string::npos) << classes;
    // Only a list the cleaning leaves as it is is written as it stands.
    EXPECT_EQ(writeBody("<p class='one two'>a</p>"), "\n<p class=\"one two\">a</p>\n");
    EXPECT_EQ(writeBody("<p class='one\ttwo'>a</p>"), "\n<p class=\"one two\">a</p>\n");
    EXPECT_EQ(writeBody("<p class='one  two'>a</p>"), "\n<p class=\"one two\">a</p>\n");
    EXPECT_EQ(writeBody("<p class='one '>a</p>"), "\n<p class=\"one\">a</p>\n");
    EXPECT_EQ(writeBody("<p class='one brevanton-x'>a</p>"), "\n<p class=\"one\">a</p>\n");
    EXPECT_EQ(writeBody("<p class='one xbrevanton-x'>a</p>"), "\n<p class=\"one xbrevanton-x\">a</p>\n");
    EXPECT_EQ(writeBody("<p class=''>a</p>"), "\n<p class=\"\">a</p>\n");
}

TEST(VornickHTMLWriter, LayoutRules)
{
    EXPECT_EQ(writeBody("<div><p>a<br>  b</p></div>"), "\n<div>\n\t<p>a<br />\n\tb</p>\n</div>\n");
    EXPECT_EQ(writeBody("<div><p>a<br>  b</p></div>", u"2,4-t"), "\n<div>\n  <p>a<br />\n  b</p>\n</div>\n");
    EXPECT_EQ(writeBody("<h2>T</h2><p>x</p>"), "\n\n<h2>T</h2>\n\n<p>x</p>\n");
    EXPECT_EQ(writeBody("<h2>T</h2><p>x</p>", u"4,4-h"), "\n<h2>T</h2>\n<p>x</p>\n");
    EXPECT_EQ(writeBody("<p>a<br>b</p>", u"4,4-r"), "\n<p>a<br />b</p>\n");

    VornickHTMLWriter writer(preferences(u"3,4"), 0, VornickNewlineConvention::CRLF);
    EXPECT_EQ(writer.whitespaceStringForIndentLevel(3), u"\t\t ");
    EXPECT_EQ(writer.whitespaceStringForIndentLevel(0), u"");
    auto document = html("<!DOCTYPE html><body><div><p>x</p></div></body>");
    EXPECT_EQ(writer.htmlStringFromElement(*toElement(document->body()->firstChild())), u"\r\n<div>\r\n   <p>x</p>\r\n</div>\r\n");
}

// Deep pages indent no further than a bound, so that their text grows with
// their depth and not with its square; shallower levels indent as ever.
TEST(VornickHTMLWriter, IndentationStopsGrowingPastItsBound)
{
    constexpr unsigned depth = 300;
    std::string nested;
    for (unsigned i = 0; i < depth; ++i)
        nested += "<div>x";
    std::string written = writeBody(nested, u"2,4-t");
    size_t widest = 0;
    for (size_t start = 0; start < written.size();) {
        size_t end = std::min(written.find('\n', start), written.size());
        widest = std::max(widest, written.find_first_not_of(' ', start) - start);
        start = end + 1;
    }
    EXPECT_EQ(widest, 2u * VornickHTMLWriter::maximumIndentLevel);
    EXPECT_LT(written.size(), depth * (2 * (2 * VornickHTMLWriter::maximumIndentLevel + 1) + 16));
    EXPECT_EQ(occurrences(written, "<div>"), depth);

    VornickHTMLWriter writer(preferences(u"2,4-t"), 0, VornickNewlineConvention::LF);
    EXPECT_EQ(writer.whitespaceStringForIndentLevel(VornickHTMLWriter::maximumIndentLevel - 1).size(),
              2u * (VornickHTMLWriter::maximumIndentLevel - 1));
    EXPECT_EQ(writer.whitespaceStringForIndentLevel(100000), writer.whitespaceStringForIndentLevel(VornickHTMLWriter::maximumIndentLevel));
}

TEST(VornickHTMLWriter, CharactersTheEncodingCannotHoldBecomeReferences)
{
    auto document = html("<!DOCTYPE html><html><head></head><body><p title=\"\xE2\x82\xAC and \xC3\xA9\">caf\xC3\xA9 "
                         "\xE2\x82\xAC \xE6\x97\xA5 \xF0\x9F\x98\x80</p></body></html>");
    document->setCharacterSet(u"ISO-8859-2");
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    Error error;
    auto data = writer.htmlDataFromDocument(*document, &error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(writer.outputEncodingName(), u"ISO-8859-2");
    EXPECT_NE(data->find("title=\"&#8364; and \xE9\""), std::string::npos) << *data;
    EXPECT_NE(data->find("caf\xE9 &#8364; &#26085; &#128512;</p>"), std::string::npos) << *data;

    // A label is written in the encoding it means on the web: ISO-8859-1 is windows-1252, which holds the euro sign.
    document->setCharacterSet(u"ISO-8859-1");
    data = writer.htmlDataFromDocument(*document, &error);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(writer.outputEncodingName(), u"windows-1252");
    EXPECT_NE(data->find("caf\xE9 \x80 &#26085; &#128512;</p>"), std::string::npos) << *data;

    document->setCharacterSet(u"Shift_JIS");
    data = writer.htmlDataFromDocument(*document, &error);
    ASSERT_TRUE(data) << error;
    EXPECT_NE(data->find("\x93\xFA &#128512;"), std::string::npos) << *data;

    // Text that is not escaped (a comment) still cannot be converted.
    auto comment = html("<!DOCTYPE html><body><!-- \xE2\x82\xAC --></body>");
    comment->setCharacterSet(u"ISO-8859-2");
    EXPECT_FALSE(writer.htmlDataFromDocument(*comment, &error));

    // Without a write no encoding is known.
    VornickHTMLWriter fresh(preferences(), 0, VornickNewlineConvention::LF);
    EXPECT_FALSE(fresh.dataUsingDocumentEncodingFromString(u"x"));
    // An unknown encoding name writes UTF-8; the frame's override wins.
    document->setCharacterSet(u"no-such-encoding");
    EXPECT_EQ(fresh.detectOutputStringEncodingForDocument(*document), u"UTF-8");
    fresh.setStringEncodingOverride(u"windows-1252");
    EXPECT_EQ(fresh.detectOutputStringEncodingForDocument(*document), u"windows-1252");
}

// U+FFFD that stands for bytes the document's encoding could not decode is
// never written, whatever encoding holds it; one read from the file is.
TEST(VornickHTMLWriter, ReplacementCharactersOfUndecodableBytesAreNotWritten)
{
    auto document = html("<!DOCTYPE html><html><head></head><body><p>Cr\xEF\xBF\xBDme</p></body></html>");
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    Error error;
    EXPECT_TRUE(writer.htmlDataFromDocument(*document, &error)) << "a U+FFFD the file held";
    document->setHasReplacedUndecodableBytes(true);
    for (const char* encoding : { "UTF-8", "windows-1252", "Shift_JIS" }) {
        SCOPED_TRACE(encoding);
        document->setCharacterSet(toUTF16(encoding));
        error = Error();
        EXPECT_FALSE(writer.htmlDataFromDocument(*document, &error));
        EXPECT_EQ(error.code(), VornickDocumentUndecodableBytesError);
    }
    downcast<DOMCharacterData>(*document->getElementsByTagName(u"p")->item(0)->firstChild()).setData(u"Creme");
    EXPECT_TRUE(writer.htmlDataFromDocument(*document, &error));
}

TEST(VornickHTMLWriter, WordPressBlocksNestAndReplaceOnlyTheirOwnContent)
{
    auto lookup = [](const DOMComment& comment) -> std::shared_ptr<const VornickGeneralFragmentDescription> {
        if (comment.data().find(u"wp:custom") == std::u16string::npos)
            return nullptr;
        return std::make_shared<VornickGeneralFragmentDescription>(u"wp:custom", u"Custom", u"", u"", u"<p>{content}</p>",
                                                                   u"  <!-- wp:custom -->SOURCE<!-- /wp:custom -->  ");
    };
    auto nested = writeBody("<!-- wp:group --><div class=\"g\"><!-- wp:custom --><p>inner</p><!-- /wp:custom -->"
                            "<p>after</p></div><!-- /wp:group --><p>outside</p>",
                            u"4,4", lookup);
    EXPECT_EQ(occurrences(nested, "after"), 1u) << nested;
    EXPECT_EQ(occurrences(nested, "SOURCE"), 1u) << nested;
    EXPECT_EQ(nested.find("inner"), std::string::npos) << nested;
    EXPECT_NE(nested.find("<!-- /wp:group -->"), std::string::npos) << nested;
    EXPECT_NE(nested.find("<p>outside</p>"), std::string::npos) << nested;

    // A nested block's end does not end the outer block's replacement.
    auto outer = writeBody("<!-- wp:custom --><div><!-- wp:paragraph --><p>in</p><!-- /wp:paragraph --><p>tail</p></div>"
                           "<!-- /wp:custom --><p>next</p>",
                           u"4,4", lookup);
    EXPECT_EQ(outer.find("tail"), std::string::npos) << outer;
    EXPECT_EQ(occurrences(outer, "SOURCE"), 1u) << outer;
    EXPECT_NE(outer.find("<p>next</p>"), std::string::npos) << outer;

    // A replaced block that never closes is written from its DOM instead.
    auto unclosed = writeBody("<!-- wp:custom --><p>kept</p><p>rest of the post</p>", u"4,4", lookup);
    EXPECT_EQ(unclosed.find("SOURCE"), std::string::npos) << unclosed;
    EXPECT_NE(unclosed.find("<p>kept</p>"), std::string::npos) << unclosed;
    EXPECT_NE(unclosed.find("<p>rest of the post</p>"), std::string::npos) << unclosed;
}

TEST(VornickHTMLWriter, WordPressEmptyBlocksSelfClosingBlocksAndEmbeds)
{
    auto empty = writeBody("<!-- wp:paragraph --> <p class=\"brevanton-empty-block-interior\">x</p> <!-- /wp:paragraph --><p>b</p>");
    EXPECT_NE(empty.find("<!-- wp:paragraph /-->"), std::string::npos) << empty;
    EXPECT_EQ(empty.find("/wp:paragraph"), std::string::npos) << empty;
    EXPECT_EQ(empty.find(">x<"), std::string::npos) << empty;

    // A self-closing block is no open block: what follows is laid out as outside blocks.
    auto spacer = writeBody("<!-- wp:spacer {\"height\":\"20px\"} /--><div><p>x</p></div>");
    EXPECT_NE(spacer.find("<!-- wp:spacer {\"height\":\"20px\"} /-->\n<div>\n\t<p>x</p>\n</div>"), std::string::npos) << spacer;

    auto embed = writeBody("<!-- wp:embed {\"url\":\"https://v.example/?a=1&b=\\\"><script>alert(1)</script>\"} -->"
                           "<figure class=\"wp-block-embed\"><div class=\"wp-block-embed__wrapper\"><iframe></iframe></div></figure>"
                           "<!-- /wp:embed -->");
    EXPECT_NE(embed.find("<div class=\"wp-block-embed__wrapper\">\nhttps://v.example/?a=1&amp;b=\"&gt;&lt;script&gt;alert(1)&lt;/script&gt;\n</div>"),
              std::string::npos)
        << embed;
    EXPECT_EQ(embed.find("<iframe"), std::string::npos);

    // Block state never leaks from one write into the next.
    auto document = html("<!DOCTYPE html><body><!-- wp:group --><div><p>x</p></div></body>");
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    writer.htmlStringFromDocument(*document);
    auto plain = html("<!DOCTYPE html><body><div><p>y</p></div></body>");
    EXPECT_NE(toUTF8(writer.htmlStringFromDocument(*plain)).find("<div>\n\t\t<p>y</p>\n\t</div>"), std::string::npos);
}

TEST(VornickHTMLWriter, XHTMLParsedAsXMLStaysWellFormed)
{
    std::string source = "<?xml version=\"1.0\"?>\n<?xml-stylesheet href=\"a.css\"?>\n"
                         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title>"
                         "<script><![CDATA[ if (a < b && c) {} ]]></script></head>"
                         "<body><p title=\"a &lt; b\" data-x=\"l1&#10;l2\">x &amp; y</p><br/></body></html>";
    auto document = DOMDocument::parseXML(source);
    ASSERT_TRUE(document);
    auto output = write(*document);
    EXPECT_NE(output.find("<?xml-stylesheet href=\"a.css\"?>"), std::string::npos) << output;
    EXPECT_NE(output.find("<![CDATA[ if (a < b && c) {} ]]>"), std::string::npos) << output;
    EXPECT_NE(output.find("title=\"a &lt; b\""), std::string::npos) << output;
    EXPECT_NE(output.find("data-x=\"l1&#10;l2\""), std::string::npos) << output;
    EXPECT_NE(output.find("<br />"), std::string::npos) << output;
    Error error;
    auto reparsed = DOMDocument::parseXML(output, {}, &error);
    ASSERT_TRUE(reparsed) << error;
    EXPECT_EQ(write(*reparsed), output);
}

TEST(VornickHTMLWriter, ColouredOutputAndSearchText)
{
    auto document = html("<!DOCTYPE html><html><head><title>T</title></head><body><p>Hello <b>world</b></p> <p>Two</p></body></html>");
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    auto plain = writer.htmlStringFromDocument(*document);

    std::shared_ptr<const AttributedString> coloured;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
        coloured = string;
        map = rangeMap;
    });
    ASSERT_TRUE(coloured && map);
    EXPECT_EQ(coloured->string(), plain);
    // Every node's output is where the map says.
    auto paragraph = document->body()->firstChild();
    auto range = document->createRange();
    range->selectNode(*paragraph);
    auto mapped = map->rangeForDOMRange(*range, &coloured->string());
    EXPECT_EQ(toUTF8(coloured->string().substr(mapped.location, mapped.length)), "<p>Hello <b>world</b></p>");
    auto* contiguous = coloured->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, 5);
    ASSERT_TRUE(contiguous);
    EXPECT_EQ(*contiguous, VornickMakeRange(0, plain.size()));

    std::shared_ptr<const AttributedString> search;
    writer.writeAttributedStringFromDocument(*document, true, [&](auto string, auto) { search = string; });
    ASSERT_TRUE(search);
    EXPECT_EQ(toUTF8(search->string()), "Hello worldTwo\n");
    auto* first = search->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, 0);
    auto* second = search->attributeAtIndex<VornickRange>(VornickContiguousTextRangeAttributeName, 11);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, VornickMakeRange(0, 11));
    EXPECT_EQ(*second, VornickMakeRange(11, 3));
    // A plain write after an attributed one is plain again.
    EXPECT_EQ(writer.htmlStringFromDocument(*document), plain);
}

TEST(VornickHTMLWriter, ContentWhoseStyleKeepsWhiteSpaceIsWrittenExactly)
{
    VornickInstallCascadeComputedStyleProvider();
    struct Case {
        const char* body;
        const char* written;
    };
    const Case cases[] {
        { "<div style=\"white-space:pre\">  x   y\n  z</div>", ">  x   y\n  z</div>" },
        { "<div style=\"white-space: pre-wrap\"><p>  a\n <b> b </b></p></div>", "><p>  a\n <b> b </b></p></div>" },
        { "<p class=\"verse\">  one\n    two</p>", ">  one\n    two</p>" },
        { "<p style=\"WHITE-SPACE: pre-line\">a\n b</p>", ">a\n b</p>" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto document = html(std::string("<!DOCTYPE html><html><head><style>.verse { white-space: pre }</style></head><body>") + c.body
                             + "</body></html>");
        for (auto compact : { u"4,4", u"4,4-b", u"1,1-tixbeshqrracnd" }) {
            auto output = write(*document, compact);
            EXPECT_NE(output.find(c.written), std::string::npos) << output;
        }
    }
    // White space the style collapses is the writer's to lay out.
    auto collapsed = writeBody("<div style=\"white-space: nowrap\">  x</div>", u"4,4-b");
    EXPECT_NE(collapsed.find(">x</div>"), std::string::npos) << collapsed;
}

TEST(VornickHTMLWriter, BodyStyleChangesAndURLResolution)
{
    auto document = html("<!DOCTYPE html><body style=\"color: red\"><a href=\"sub/b.html\">x</a><img src=\"http://o.example/i.png\"></body>");
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    Dictionary additions;
    additions[u"margin"] = Value(u"0");
    Dictionary deletions;
    deletions[u"color"] = Value(u"red");
    Dictionary changes;
    changes[VornickChangeDictionaryAdditionsAndChangesKey] = Value(additions);
    changes[VornickChangeDictionaryDeletionsKey] = Value(deletions);
    writer.setBodyElementStyleChangesToApply(changes);
    writer.setDocumentURLForAbsoluteURLResolution(URL::fileURLWithPath(std::string_view("/site/a/index.html")));
    writer.setRootFileURLWithinWhichReferencesShouldBeRelative(URL::fileURLWithPath(std::string_view("/site/"), true));
    auto output = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_NE(output.find("href=\"sub/b.html\""), std::string::npos) << output;
    EXPECT_NE(output.find("src=\"http://o.example/i.png\""), std::string::npos) << output;
    EXPECT_EQ(output.find("color"), std::string::npos) << output;

    // The same writer under another root, then another document: references
    // are resolved again, not as the last write had them.
    writer.setRootFileURLWithinWhichReferencesShouldBeRelative(URL::fileURLWithPath(std::string_view("/elsewhere/"), true));
    output = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_NE(output.find("href=\"file:///site/a/sub/b.html\""), std::string::npos) << output;
    writer.setRootFileURLWithinWhichReferencesShouldBeRelative(URL::fileURLWithPath(std::string_view("/site/"), true));
    writer.setDocumentURLForAbsoluteURLResolution(URL::fileURLWithPath(std::string_view("/other/index.html")));
    output = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_NE(output.find("href=\"file:///other/sub/b.html\""), std::string::npos) << output;
    writer.setDocumentURLForAbsoluteURLResolution(URL::fileURLWithPath(std::string_view("/site/a/index.html")));
    output = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_NE(output.find("href=\"sub/b.html\""), std::string::npos) << output;

    Dictionary removeAll;
    removeAll[VornickChangeDictionaryAdditionsAndChangesKey] = Value(Dictionary());
    removeAll[VornickChangeDictionaryDeletionsKey] = Value(deletions);
    writer.setBodyElementStyleChangesToApply(removeAll);
    EXPECT_NE(toUTF8(writer.htmlStringFromDocument(*document)).find("<body>"), std::string::npos);

    // Changes that change nothing leave the style as written.
    Dictionary none;
    none[VornickChangeDictionaryAdditionsAndChangesKey] = Value(Dictionary());
    none[VornickChangeDictionaryDeletionsKey] = Value(Dictionary());
    writer.setBodyElementStyleChangesToApply(none);
    auto styled = html("<!DOCTYPE html><body style=\"color:red\"><p style=\"color:blue\">x</p></body>");
    output = toUTF8(writer.htmlStringFromDocument(*styled));
    EXPECT_NE(output.find("<body style=\"color:red\">"), std::string::npos) << output;
}

TEST(VornickHTMLWriter, ProgrammingErrorsAreAssertions)
{
    EXPECT_THROW(VornickHTMLWriter(preferences(), 0, VornickNewlineConvention::Unknown), InternalInconsistencyException);
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    EXPECT_THROW(writer.htmlStringFromRange(nullptr), InternalInconsistencyException);

    auto document = html("<!DOCTYPE html><body><p>one <b>two</b> three</p></body>");
    auto range = document->createRange();
    auto text = document->body()->firstChild()->firstChild();
    range->setStart(text, 4);
    range->setEnd(document->body()->firstChild(), 2);
    EXPECT_EQ(toUTF8(writer.htmlStringFromRange(range.get())), "<b>two</b>\n");
}

TEST(VornickHTMLWriter, FormattingNeverSplitsInlineContent)
{
    // A comment on its own line only where a line break does not render.
    auto comments = preferences(u"4,4");
    comments.setPutCommentsOnNewLine(true);
    auto document = html("<!DOCTYPE html><body><p>Hello<!-- c -->world</p><p>a <!-- d -->b</p><div>x</div><!-- e --><div>y</div></body>");
    VornickHTMLWriter writer(comments, 0, VornickNewlineConvention::LF);
    auto output = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_NE(output.find("Hello<!-- c -->world"), std::string::npos) << output;
    EXPECT_NE(output.find("a \n<!-- d -->b"), std::string::npos) << output;
    EXPECT_NE(output.find("</div>\n<!-- e -->"), std::string::npos) << output;

    // A script or style amid text is no block: no line break beside it.
    auto scripts = writeBody("<p>Posted <b>x</b><style>p{}</style><script>f()</script><style>q{}</style>ago</p><div>a</div><style>r{}</style><div>b</div>");
    EXPECT_NE(scripts.find("<b>x</b><style>p{}</style><script>f()</script><style>q{}</style>ago"), std::string::npos) << scripts;
    EXPECT_NE(scripts.find("\n<style>r{}</style>"), std::string::npos) << scripts;
}

TEST(VornickHTMLWriter, SavingTwiceChangesNothing)
{
    // Text after a block, in every line-break convention, with comments on their own lines.
    auto rules = preferences(u"1,6-tercnd");
    rules.setPutCommentsOnNewLine(true);
    for (VornickNewlineConvention convention : { VornickNewlineConvention::LF, VornickNewlineConvention::CR, VornickNewlineConvention::CRLF }) {
        auto document = html("<!DOCTYPE html><body><h2>T</h2>after<!-- c -->more <!-- d -->end<pre>a\nb</pre></body>");
        VornickHTMLWriter writer(rules, 0, convention);
        auto first = writer.htmlStringFromDocument(*document);
        auto second = writer.htmlStringFromDocument(*DOMDocument::parseHTML(std::string_view(toUTF8(first)), "UTF-8"));
        EXPECT_EQ(toUTF8(second), toUTF8(first)) << static_cast<int>(convention);
        // One convention throughout the file, content line breaks included.
        if (convention != VornickNewlineConvention::LF) {
            auto lineFeeds = std::count(first.begin(), first.end(), u'\n');
            auto returns = std::count(first.begin(), first.end(), u'\r');
            EXPECT_EQ(lineFeeds, convention == VornickNewlineConvention::CRLF ? returns : 0) << toUTF8(first);
        }
    }
}

TEST(VornickHTMLWriter, BooleanAttributesKeepValuesThatSayMore)
{
    auto output = writeBody("<input disabled=\"\" checked=\"checked\" hidden=\"until-found\"><option selected=\"SELECTED\">x</option>");
    EXPECT_NE(output.find("<input disabled checked hidden=\"until-found\""), std::string::npos) << output;
    EXPECT_NE(output.find("<option selected>"), std::string::npos) << output;
}

TEST(VornickHTMLWriter, XMLOutputIsWellFormedWhateverTheContent)
{
    std::string source = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title></head>"
                         "<body><p>caf\xE9 ]]&gt; x</p></body></html>";
    auto document = DOMDocument::parseXML(source);
    ASSERT_TRUE(document);
    auto paragraph = document->body()->firstChild();
    paragraph->appendChild(document->createComment(u"a--b-"));
    auto rules = preferences(u"4,4");
    rules.setDontEscapeGreaterThanCharacter(true);
    VornickHTMLWriter writer(rules, 0, VornickNewlineConvention::LF);
    Error error;
    auto bytes = writer.htmlDataFromDocument(*document, &error);
    ASSERT_TRUE(bytes) << error;
    // The encoding is declared, "]]>" is escaped, the comment holds no "--".
    EXPECT_TRUE(bytes->starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>")) << *bytes;
    EXPECT_NE(bytes->find("]]&gt;"), std::string::npos) << *bytes;
    EXPECT_EQ(bytes->find("--b"), std::string::npos) << *bytes;
    auto reparsed = DOMDocument::parseXML(*bytes, {}, &error);
    ASSERT_TRUE(reparsed) << error << "\n" << *bytes;
    EXPECT_NE(toUTF8(reparsed->body()->textContent()).find("caf\xC3\xA9 ]]> x"), std::string::npos);
}

TEST(VornickHTMLWriter, RangeMapCountsACRLFLineBreakAsOneCharacter)
{
    auto document = html("<!DOCTYPE html><body><pre>ab\ncd\nef</pre></body>");
    VornickHTMLWriter writer(preferences(u"4,4"), 0, VornickNewlineConvention::CRLF);
    std::shared_ptr<const AttributedString> coloured;
    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
        coloured = string;
        map = rangeMap;
    });
    ASSERT_TRUE(coloured && map);
    const auto& source = coloured->string();
    ASSERT_NE(source.find(u"ab\r\ncd\r\nef"), std::u16string::npos) << toUTF8(source);
    auto text = document->body()->firstChild()->firstChild();
    auto range = document->createRange();
    range->setStart(text, 6); // before "ef"
    range->setEnd(text, 8);
    auto mapped = map->rangeForDOMRange(*range, &source);
    ASSERT_NE(mapped.location, VornickNotFound);
    EXPECT_EQ(toUTF8(source.substr(mapped.location, mapped.length)), "ef");
    auto back = map->domRangeForRange(mapped, &source, *document);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->startOffset(), 6u);
    EXPECT_EQ(back->endOffset(), 8u);
}

TEST(VornickHTMLWriter, QuotesInsideQuotedValuesReadBack)
{
    // HTML 4 knows no "&apos;"; a DOCTYPE identifier may hold the other quote.
    auto document = html("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" 'http://x/\"strict\".dtd'><body>"
                         "<p title=\"it's\">x</p></body>");
    auto output = write(*document, u"4,4-q");
    EXPECT_NE(output.find("title='it&#39;s'"), std::string::npos) << output;
    EXPECT_NE(output.find("'http://x/\"strict\".dtd'>"), std::string::npos) << output;
    auto reparsed = html(output);
    ASSERT_TRUE(reparsed->doctype());
    EXPECT_EQ(toUTF8(reparsed->doctype()->systemId()), "http://x/\"strict\".dtd");
    EXPECT_EQ(write(*reparsed, u"4,4-q"), output);
}

// A template's parsed children live in its contents: the writer writes them,
// and the written page reads back to the same contents.
TEST(VornickHTMLWriter, TemplateContentsAreWrittenAndReadBack)
{
    const std::string page = "<!DOCTYPE html><html><head><template id=h><meta name=a content=b></template></head>"
                             "<body><template id=row><tr><td class=name>Name</td><td>&amp; more</td></tr></template>"
                             "<template id=outer><p>Outer <template><i>inner</i></template></p></template></body></html>";
    auto document = html(page);
    auto first = write(*document);
    for (auto part : { "<meta name=\"a\" content=\"b\"", "<td class=\"name\">Name</td>", "&amp; more", "<i>inner</i>" })
        EXPECT_NE(first.find(part), std::string::npos) << part << " missing from\n" << first;
    auto reread = html(first);
    for (auto id : { u"h", u"row", u"outer" }) {
        auto original = document->getElementById(id);
        auto again = reread->getElementById(id);
        ASSERT_TRUE(again) << toUTF8(id);
        EXPECT_FALSE(again->hasChildNodes());
        auto words = [](std::u16string text) {
            std::erase_if(text, [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\t'; });
            return text;
        };
        EXPECT_EQ(words(again->content()->textContent()), words(original->content()->textContent()));
        auto elements = [](const DOMNode& root) {
            unsigned count = 0;
            for (auto* node = root.first(); node; node = node->traverseNext(&root))
                count += node->isElementNode();
            return count;
        };
        EXPECT_EQ(elements(*again->content()), elements(*original->content()));
    }
    EXPECT_EQ(write(*reread), first);

    // A template given children of its own by DOM calls keeps them too.
    auto own = document->createElement(u"template");
    own->appendChild(document->createTextNode(u"own"));
    own->content()->appendChild(document->createElement(u"hr"));
    document->body()->appendChild(own);
    auto withOwn = write(*document);
    EXPECT_NE(withOwn.find("<template><hr />own</template>"), std::string::npos) << withOwn;
}
namespace {

TEST(VornickHTMLWriter, OmittedNodesLeaveNoTextAndKeepTheirSiblingsPlacesInTheMap)
{
    auto document = html("<!DOCTYPE html><html><head><base href=\"file:///x/\"><title>T</title></head>"
                         "<body><p>one</p>*<p>two</p></body></html>");
    std::shared_ptr<const DOMNode> base = document->head()->firstChild();
    std::shared_ptr<const DOMNode> star = document->body()->childAt(1)->shared_from_this();
    auto second = document->body()->childAt(2)->shared_from_this();
    VornickHTMLWriter writer(preferences(), 0, VornickNewlineConvention::LF);
    auto unomitted = toUTF8(writer.htmlStringFromDocument(*document));
    writer.setNodesToOmit({ base, star });
    auto omitted = toUTF8(writer.htmlStringFromDocument(*document));
    EXPECT_EQ(omitted.find("<base"), std::string::npos) << omitted;
    EXPECT_EQ(omitted.find('*'), std::string::npos) << omitted;
    EXPECT_NE(unomitted.find("<base"), std::string::npos);

    std::shared_ptr<const VornickDOMToNSRangeMap> map;
    std::u16string coloured;
    writer.writeAttributedStringFromDocument(*document, false, [&](auto string, auto rangeMap) {
        coloured = string->string();
        map = std::move(rangeMap);
    });
    auto range = document->createRange();
    range->selectNodeContents(second->firstChild());
    auto mapped = map->rangeForDOMRange(*range, &coloured);
    EXPECT_EQ(coloured.substr(mapped.location, mapped.length), u"two");
}

TEST(VornickHTMLWriter, SubstitutesAreMappedInTheBodyOnly)
{
    auto document = html("<!DOCTYPE html><html><head><title>A\xC2\xA0title</title></head><body><p>a\xE2\x8F\x98" "b\xC2\xA0" "c</p></body></html>");
    auto written = write(*document, u"4,4", u'\u23D8');
    EXPECT_NE(written.find("<title>A&nbsp;title</title>"), std::string::npos) << written;
    EXPECT_NE(written.find("<p>a&nbsp;b c</p>"), std::string::npos) << written;
}

} // namespace

TEST(VornickHTMLWriter, DeepNestingIsWrittenWholeAndTheSameTwice)
{
    // As deep as browsers build pages: every level keeps its element, and a
    // second write gives the same text.
    for (unsigned depth : { 1'000u, 50'000u }) {
        auto document = html("<!DOCTYPE html><body></body>");
        // Built from the innermost element out, so no append walks the whole chain.
        std::shared_ptr<DOMNode> inner = document->createTextNode(u"x");
        for (unsigned level = 0; level < depth; ++level) {
            auto div = document->createElement(u"div");
            div->appendChild(inner);
            inner = div;
        }
        document->body()->appendChild(inner);
        // Unindented: indentation alone would grow with the square of the depth.
        auto rules = preferences();
        rules.setIndentBlockElements(false);
        VornickHTMLWriter writer(rules, 0, VornickNewlineConvention::LF);
        auto first = toUTF8(writer.htmlStringFromDocument(*document));
        EXPECT_EQ(first, toUTF8(writer.htmlStringFromDocument(*document))) << depth;
        size_t starts = 0;
        size_t ends = 0;
        for (size_t at = first.find("<div"); at != std::string::npos; at = first.find("<div", at + 1))
            ++starts;
        for (size_t at = first.find("</div>"); at != std::string::npos; at = first.find("</div>", at + 1))
            ++ends;
        EXPECT_EQ(starts, depth);
        EXPECT_EQ(ends, depth);
        auto innermost = first.rfind("<div>") + 5;
        auto text = first.substr(innermost, first.find("</div>") - innermost);
        std::erase(text, '\n');
        EXPECT_EQ(text, "x") << depth;
    }
}
