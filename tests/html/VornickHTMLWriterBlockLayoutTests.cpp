// The writer keeping the layout of WordPress blocks: the whitespace between
// a block's parts as the post holds it, the block editor's layout where
// there is none, whatever the formatting preferences.
#include "html/VornickHTMLWriter.h"

#include "html/VornickGeneralFragmentDescription.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::string writeBlocks(std::string_view body, std::u16string_view compact = u"4,4",
                        VornickNewlineConvention convention = VornickNewlineConvention::LF,
                        VornickCommentToFragmentDescriptionLookupBlock lookup = nullptr)
{
    auto document = DOMDocument::parseHTML(u"<!DOCTYPE html><html><head></head><body>" + toUTF16(body) + u"</body></html>");
    auto preferences = VornickHTMLFormattingPreferences::createWithStringRepresentation(compact);
    EXPECT_TRUE(preferences);
    VornickHTMLWriter writer(*preferences, 0, convention);
    writer.setKeepsWordPressBlockLayout(true);
    writer.setCommentToFragmentDescriptionLookupBlock(std::move(lookup));
    return toUTF8(writer.htmlStringFromChildrenOfNode(*document->body()));
}

} // namespace

TEST(VornickHTMLWriterBlockLayout, ThePostsOwnWhitespaceIsWrittenAsItIs)
{
    // Odd but the post's own: three line breaks between blocks, an indented
    // element, a space before a closing comment, none between a container
    // and its blocks.
    std::string post = "<!-- wp:heading -->\n<h2>Title</h2>\n<!-- /wp:heading -->\n\n\n"
                       "<!-- wp:paragraph -->\n    <p>Text <b>bold</b> text.</p> \n<!-- /wp:paragraph -->\n"
                       "<!-- wp:list -->\n<ul><!-- wp:list-item -->\n<li>One</li>\n<!-- /wp:list-item -->\n\n"
                       "<!-- wp:list-item -->\n<li>Two</li>\n<!-- /wp:list-item --></ul>\n<!-- /wp:list -->\n\n"
                       "<!-- wp:spacer {\"height\":\"20px\"} /-->\n\n<!-- wp:more -->\n<!--more-->\n<!-- /wp:more -->";
    for (auto compact : { u"4,4", u"2,8-t", u"1,1-tixbeshqrracnd" }) {
        SCOPED_TRACE(toUTF8(compact));
        EXPECT_EQ(writeBlocks(post, compact), post + "\n");
    }
    // In the output's line break convention.
    EXPECT_EQ(writeBlocks("<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->", u"4,4", VornickNewlineConvention::CRLF),
              "<!-- wp:paragraph -->\r\n<p>a</p>\r\n<!-- /wp:paragraph -->\r\n");
}

TEST(VornickHTMLWriterBlockLayout, BlocksWithoutWhitespaceGetTheBlockEditorsLayout)
{
    auto written = writeBlocks("<!-- wp:group --><div class=\"g\"><!-- wp:paragraph --><p>a</p><!-- /wp:paragraph -->"
                               "<!-- wp:paragraph --><p>b</p><!-- /wp:paragraph --></div><!-- /wp:group -->"
                               "<!-- wp:separator /--><!-- wp:more --><!--more--><!-- /wp:more -->");
    EXPECT_EQ(written, "<!-- wp:group -->\n<div class=\"g\"><!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n"
                       "<!-- wp:paragraph -->\n<p>b</p>\n<!-- /wp:paragraph --></div>\n<!-- /wp:group -->\n\n"
                       "<!-- wp:separator /-->\n\n<!-- wp:more -->\n<!--more-->\n<!-- /wp:more -->\n");
    // A new block among stored ones: its own layout, theirs kept.
    EXPECT_EQ(writeBlocks("<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph --><!-- wp:paragraph --><p>new</p>"
                          "<!-- /wp:paragraph -->\n\n<!-- wp:paragraph -->\n<p>b</p>\n<!-- /wp:paragraph -->"),
              "<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:paragraph -->\n<p>new</p>\n"
              "<!-- /wp:paragraph -->\n\n<!-- wp:paragraph -->\n<p>b</p>\n<!-- /wp:paragraph -->\n");
}

TEST(VornickHTMLWriterBlockLayout, ABlockWrittenAsItsSourceKeepsTheWhitespaceAfterIt)
{
    auto lookup = [](const DOMComment& comment) -> std::shared_ptr<const VornickGeneralFragmentDescription> {
        if (comment.data().find(u"wp:custom") == std::u16string::npos)
            return nullptr;
        return std::make_shared<VornickGeneralFragmentDescription>(u"wp:custom", u"Custom", u"", u"", u"<p>{content}</p>",
                                                                   u"  <!-- wp:custom -->SOURCE<!-- /wp:custom -->  ");
    };
    EXPECT_EQ(writeBlocks("<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:custom -->\n<p>shown</p>\n"
                          "<!-- /wp:custom -->\n\n<!-- wp:paragraph -->\n<p>b</p>\n<!-- /wp:paragraph --><!-- wp:custom --><p>x</p>"
                          "<!-- /wp:custom --><p>loose</p>",
                          u"4,4", VornickNewlineConvention::LF, lookup),
              "<!-- wp:paragraph -->\n<p>a</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:custom -->SOURCE<!-- /wp:custom -->\n\n"
              "<!-- wp:paragraph -->\n<p>b</p>\n<!-- /wp:paragraph -->\n\n<!-- wp:custom -->SOURCE<!-- /wp:custom -->\n<p>loose</p>\n");
}
