#include "html/VornickWordPressBlockModeHelper.h"

#include "html/VornickFragmentDescription.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLSpec.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace vornick_wordpress_block_mode_helper_tests {
namespace {

std::shared_ptr<DOMDocument> page(std::u16string_view body)
{
    return DOMDocument::parseHTML(u"<html><body>" + std::u16string(body) + u"</body></html>");
}

std::unique_ptr<VornickWordPressBlockModeHelper> blockHelper()
{
    auto helper = std::make_unique<VornickWordPressBlockModeHelper>();
    helper->setHtmlSpec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
    helper->setOperatingInBlockMode(true);
    return helper;
}

std::vector<std::optional<int64_t>> errorCodes(const VornickBlockModeHelper& helper, const DOMNode& node,
                                               std::vector<VornickBlockError>* errors = nullptr)
{
    std::vector<std::optional<int64_t>> codes;
    helper.enumerateChildBlocksOfNode(node, 0, [&](const VornickExactSelection& selection, const std::optional<Error>& error, bool&) {
        codes.push_back(error ? std::optional<int64_t>(error->code()) : std::nullopt);
        if (error && errors)
            errors->push_back(VornickBlockError(*error, selection));
    });
    return codes;
}

} // namespace

TEST(VornickWordPressBlockModeHelper, NewElementsGetTheirBlockCommentsByKind)
{
    auto helper = blockHelper();
    EXPECT_EQ(helper->blockStartCommentTextForElementKind(u"H3"), u" wp:heading {\"level\":3} ");
    EXPECT_EQ(helper->blockStartCommentTextForElementKind(u"h2"), u" wp:heading ");
    EXPECT_EQ(helper->blockEndCommentTextForElementKind(u"h1"), u" /wp:heading ");
    EXPECT_EQ(helper->blockStartCommentTextForElementKind(u"ol"), u" wp:list {\"ordered\":true} ");
    EXPECT_EQ(helper->blockStartCommentTextForElementKind(u"blockquote"), u" wp:quote ");
    EXPECT_EQ(helper->blockStartCommentTextForElementKind(u"div"), u" wp:html ");
    EXPECT_EQ(helper->blockEndCommentTextForElementKind(u"div"), u" /wp:html ");
    EXPECT_FALSE(helper->blockStartCommentTextForElementKind(u"em"));
    EXPECT_FALSE(helper->tablesCanHaveCaptions());
    EXPECT_FALSE(helper->useExplicitEmphasis());

    // Blockifying pasted content: paragraphs are fenced, tables become table blocks without captions.
    auto document = page(u"");
    auto fragment = document->createDocumentFragmentWithMarkupString(u"<p>a</p><table><caption>c</caption><tr><td>x</td></tr></table>");
    ASSERT_TRUE(fragment);
    helper->blockifyFragment(*fragment);
    auto body = document->body();
    body->appendChild(fragment);
    EXPECT_EQ(body->innerHTML(), u"<!-- wp:paragraph --><p>a</p><!-- /wp:paragraph --><!-- wp:table --><figure class=\"wp-block-table\">"
                                 u"<table><tbody><tr><td>x</td></tr></tbody></table></figure><!-- /wp:table -->");
    EXPECT_EQ(errorCodes(*helper, *body), (std::vector<std::optional<int64_t>> { std::nullopt, std::nullopt }));
}

TEST(VornickWordPressBlockModeHelper, AnUnclosedBlockIsClosedSoTheServerCanReadIt)
{
    auto helper = blockHelper();
    auto document = page(u"<!-- wp:media-text {\"id\":3} --><div>m</div>\n<!-- wp:paragraph --><p>a</p>");
    std::vector<VornickBlockError> errors;
    auto codes = errorCodes(*helper, *document->body(), &errors);
    ASSERT_EQ(errors.size(), 2u);
    for (const auto& error : errors)
        EXPECT_TRUE(helper->fixBlockError(error));
    EXPECT_EQ(document->body()->innerHTML(), u"<!-- wp:media-text {\"id\":3} --><div>m</div><!-- /wp:media-text -->\n"
                                             u"<!-- wp:paragraph --><p>a</p><!-- /wp:paragraph -->");
    EXPECT_EQ(errorCodes(*helper, *document->body()), (std::vector<std::optional<int64_t>> { std::nullopt, std::nullopt }));

    // Other faults are not repaired here.
    auto mismatched = page(u"<!-- wp:quote --><p>a</p><!-- /wp:list -->");
    errors.clear();
    (void)errorCodes(*helper, *mismatched->body(), &errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_FALSE(helper->fixBlockError(errors[0]));
}

TEST(VornickWordPressBlockModeHelper, BlockTypesDecideWhatMayBeEditedAndTransformed)
{
    auto helper = blockHelper();
    auto document = page(u"<!-- wp:verse --><pre>v</pre><!-- /wp:verse --><!-- wp:embed {\"url\":\"https://v.example/1\","
                         u"\"providerNameSlug\":\"vimeo\"} --><figure>e</figure><!-- /wp:embed -->"
                         u"<!-- wp:list {\"ordered\":false} --><ul><li>x</li></ul><!-- /wp:list --><img src=a.png alt=x title=t>");
    auto verse = helper->blockOrElement(downcast<DOMElement>(document->body()->childAt(1)->shared_from_this()));
    auto embedElement = downcast<DOMElement>(document->body()->childAt(4)->shared_from_this());
    auto embed = helper->blockOrElement(embedElement);
    EXPECT_TRUE(helper->canEditContentOfBlockOrElement(verse));
    EXPECT_FALSE(helper->canEditContentOfBlockOrElement(embed));

    EXPECT_EQ(helper->transformFromBlockType(u"wp:verse", u"wp:quote")->fromBlockContainerElementKind(), u"pre");
    EXPECT_EQ(helper->transformFromBlockType(u"wp:quote", u"")->fromBlockContainerElementKind(), u"blockquote");
    EXPECT_FALSE(helper->transformFromBlockType(u"wp:list", u"wp:quote"));

    EXPECT_EQ(VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(u"wp:heading", {}), u"wp:heading2");
    EXPECT_EQ(VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(u"WP:Heading", { { u"level", u"4" } }), u"wp:heading4");
    EXPECT_EQ(VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(u"wp:post-terms", { { u"term", u"category" } }),
              u"wp:post-terms-categories");
    EXPECT_EQ(VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(u"wp:post-terms", {}), u"wp:post-terms-tags");
    EXPECT_EQ(VornickWordPressBlockModeHelper::fragmentIdentifierForBlockType(u"wp:embed", { { u"providerNameSlug", u"vimeo" } }),
              u"wp:embed-vimeo");

    // Path labels: the snippet's name and the secondary label of lists and embeds.
    std::vector<std::u16string> labels;
    auto collect = [&](const std::u16string& first, const std::u16string& second) { labels = { first, second }; };
    helper->getPathSegmentLabelsForElement(*embedElement, collect);
    EXPECT_EQ(labels[1], u"https://v.example/1");
    auto list = downcast<DOMElement>(document->body()->childAt(7)->shared_from_this());
    helper->getPathSegmentLabelsForElement(*list, collect);
    EXPECT_EQ(labels, (std::vector<std::u16string> { u"List Block", u"Unordered" }));
    EXPECT_EQ(helper->elementEditorClassForElement(*list), VornickElementEditorKind::WordPressBlockElement);

    auto image = downcast<DOMElement>(document->body()->childAt(9)->shared_from_this());
    EXPECT_EQ(image->localName(), u"img");
    EXPECT_EQ(helper->insertionIndexForAttribute(u"alt", *image), 1u);
    EXPECT_EQ(helper->elementEditorClassForElement(*image), VornickElementEditorKind::ElementAttributes);
}

TEST(VornickWordPressBlockModeHelper, CompletionOffersInlineElementsAndBlocksWhereTheyFit)
{
    auto helper = blockHelper();
    auto document = page(u"<!-- wp:paragraph --><p>abc</p><!-- /wp:paragraph -->");
    auto paragraph = document->body()->childAt(1);
    auto text = paragraph->firstChild()->shared_from_this();
    auto inside = document->createRange();
    ASSERT_TRUE(inside->setStart(text, 1));
    ASSERT_TRUE(inside->setEnd(text, 1));
    EXPECT_TRUE(helper->mayOfferElementInCompletionList(u"strong", inside.get()));
    EXPECT_FALSE(helper->mayOfferElementInCompletionList(u"div", inside.get()));

    auto columns = VornickFragmentSet::fragmentSetNamed(u"WordPress-blocks");
    ASSERT_TRUE(columns);
    auto paragraphSnippet = columns->fragmentDescriptionWithIdentifier(u"wp:paragraph");
    ASSERT_TRUE(paragraphSnippet);
    // In the middle of a block no block is offered; at its end one is.
    EXPECT_FALSE(helper->mayOfferFragmentInCompletionList(*paragraphSnippet, inside.get(), 0));
    auto atEnd = document->createRange();
    ASSERT_TRUE(atEnd->setStart(text, 3));
    ASSERT_TRUE(atEnd->setEnd(text, 3));
    EXPECT_TRUE(helper->mayOfferFragmentInCompletionList(*paragraphSnippet, atEnd.get(), 0));

    helper->setOperatingInBlockMode(false);
    EXPECT_TRUE(helper->mayOfferElementInCompletionList(u"div", inside.get()));
}

} // namespace vornick_wordpress_block_mode_helper_tests
