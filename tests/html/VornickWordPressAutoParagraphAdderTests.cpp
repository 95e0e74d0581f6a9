#include "html/VornickWordPressAutoParagraphAdder.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::string autop(std::u16string_view body, bool useBlocks = false)
{
    return toUTF8(VornickWordPressAutoParagraphAdder::addImplicitParagraphsAndLineBreaksToPostBody(body, useBlocks));
}

TEST(WordPressAutoParagraphAdder, BlankLinesMakeParagraphsAndSingleNewlinesLineBreaks)
{
    EXPECT_EQ(autop(u"a\n\nb"), "<p>a</p>\n\n<p>b</p>");
    EXPECT_EQ(autop(u"a\nb"), "<p>a<br />b</p>");
    EXPECT_EQ(autop(u"a\n\n\n\nb\nc\n"), "<p>a</p>\n\n\n\n<p>b<br />c<br /></p>");
    EXPECT_EQ(autop(u"\n\n  \n\t"), "\n\n  \n\t");
    EXPECT_EQ(autop(u""), "");
    // Offsets count UTF-16 units: a character outside the BMP must not shift
    // the inserted tags.
    EXPECT_EQ(autop(u"\U0001F600 é\n\nß"), "<p>\U0001F600 é</p>\n\n<p>ß</p>");
    EXPECT_EQ(autop(u"one <b>two</b>\nthree"), "<p>one <b>two</b><br />three</p>");
}

TEST(WordPressAutoParagraphAdder, BlockElementsBoundParagraphs)
{
    EXPECT_EQ(autop(u"<p>a\nb\n\nc</p>"), "<p>a<br />b\n\nc</p>");
    EXPECT_EQ(autop(u"<pre>a\nb\n\nc</pre>"), "<pre>a\nb\n\nc</pre>");
    EXPECT_EQ(autop(u"<div>a\n\nb</div>c"), "<div><p>a</p>\n\n<p>b</p></div><p>c</p>");
    EXPECT_EQ(autop(u"x<div>y</div>"), "<p>x</p><div><p>y</p></div>");
    // A void block element ends the paragraph before it; the next begins after it.
    EXPECT_EQ(autop(u"a<hr>b"), "<p>a</p><hr><p>b</p>");
    EXPECT_EQ(autop(u"a\n<hr />\nb"), "<p>a<br /></p><hr /><p>\nb</p>");
    // A list item's end tag may be left out.
    EXPECT_EQ(autop(u"<ul><li>a<li>b</ul>\n\nc"), "<ul><li>a<li>b</ul><p>\n\nc</p>");
    // Paragraphs never nest: a link that holds a blank line sits in one
    // paragraph as a whole.
    EXPECT_EQ(autop(u"a <a href=\"x\">b\n\nc</a>"), "<p>a <a href=\"x\">b\n\nc</a></p>");
    EXPECT_EQ(autop(u"<a href=\"x\">b\n\nc</a>\n\nd"), "<p><a href=\"x\">b\n\nc</a></p>\n\n<p>d</p>");
    // Attributes and DOCTYPE interiors are not text.
    EXPECT_EQ(autop(u"<img\n\nsrc=\"x\"\nalt=\"y\">"), "<p><img\n\nsrc=\"x\"\nalt=\"y\"></p>");
}

TEST(WordPressAutoParagraphAdder, ProgramTextAndStyleSheetsKeepTheirNewlines)
{
    EXPECT_EQ(autop(u"<script>var a = 1;\nvar b = 2;\n\nf();</script>"), "<p><script>var a = 1;\nvar b = 2;\n\nf();</script></p>");
    EXPECT_EQ(autop(u"<style>p {\n color: red;\n}</style>\n\ntext"), "<style>p {\n color: red;\n}</style><p>\n\ntext</p>");
    EXPECT_EQ(autop(u"<textarea>a\nb</textarea>"), "<p><textarea>a\nb</textarea></p>");
}

TEST(WordPressAutoParagraphAdder, BlockCommentsSuppressParagraphs)
{
    EXPECT_EQ(autop(u"<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:html -->\nx\n\ny\n<!-- /wp:html -->"),
              "<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:html -->\nx\n\ny<br /><!-- /wp:html -->");
    // Blocks get no paragraphs, but single newlines after content still
    // become line breaks inside them.
    EXPECT_EQ(autop(u"<!--wp:verse--><pre>a\nb</pre><!--/wp:verse--><!-- wp:html -->a\nb<!-- /wp:html -->"),
              "<!--wp:verse--><pre>a\nb</pre><!--/wp:verse--><!-- wp:html -->a<br />b<!-- /wp:html -->");
    // A self-closing block comment opens and closes its block at once.
    EXPECT_EQ(autop(u"<!-- wp:more /-->\n\na\n\nb"), "<!-- wp:more /--><p>\n\na</p>\n\n<p>b</p>");
    // Nested blocks: text after an inner block is still inside the outer one.
    EXPECT_EQ(autop(u"<!-- wp:group --><div><!-- wp:html -->x<!-- /wp:html -->y\n\nz</div><!-- /wp:group -->\n\nw"),
              "<!-- wp:group --><div><!-- wp:html -->x<!-- /wp:html -->y\n\nz</div><!-- /wp:group --><p>\n\nw</p>");
    // Other comments change nothing.
    EXPECT_EQ(autop(u"<!-- note -->a\n\nb"), "<p><!-- note -->a</p>\n\n<p>b</p>");
}

TEST(WordPressAutoParagraphAdder, WrapsParagraphsInBlockCommentsOnRequest)
{
    EXPECT_EQ(autop(u"a\n\nb\nc", true),
              "<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:paragraph -->\n<p>b<br />c</p>\n<!-- /wp:paragraph -->");
}

TEST(WordPressAutoParagraphAdder, BadlyNestedMarkupStopsTheScanButKeepsWhatCameBefore)
{
    EXPECT_EQ(autop(u"a\n\nb</span>\n\nc\nd"), "<p>a</p>\n\n<p>b</span></p>\n\nc\nd");
    // Unterminated tags and comments neither crash nor lose text.
    EXPECT_EQ(autop(u"a\n\n<div class=\"x"), "<p>a</p>\n\n<div class=\"x");
    EXPECT_EQ(autop(u"a\n\n<!-- wp:x"), "<p>a</p>\n\n<!-- wp:x");
}

TEST(WordPressAutoParagraphAdder, AnAdderCanBeReused)
{
    VornickWordPressAutoParagraphAdder adder;
    EXPECT_EQ(toUTF8(adder.addImplicitParagraphsAndLineBreaksToPostBodyOnce(u"<!-- wp:html -->\n\n<div>", false)),
              "<!-- wp:html -->\n\n<div>");
    EXPECT_EQ(toUTF8(adder.addImplicitParagraphsAndLineBreaksToPostBodyOnce(u"a\n\nb", false)), "<p>a</p>\n\n<p>b</p>");
    EXPECT_EQ(adder.topOfElementStack(), nullptr);
}

} // namespace
