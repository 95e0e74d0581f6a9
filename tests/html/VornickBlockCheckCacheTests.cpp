#include "html/VornickBlockCheckCache.h"

#include "html/VornickHTMLSpec.h"
#include "html/VornickWordPressBlockModeHelper.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickBlockCheckCacheTests : public testing::Test {
protected:
    void SetUp() override
    {
        helper.setHtmlSpec(VornickHTMLSpec::htmlSpecForDocumentType(VornickHTMLDocumentType::HTML5));
        helper.setOperatingInBlockMode(true);
    }

    std::shared_ptr<DOMElement> load(std::u16string_view body)
    {
        document = DOMDocument::parseHTML(u"<html><body>" + std::u16string(body) + u"</body></html>");
        return document->body();
    }

    static std::vector<int64_t> codes(const std::vector<VornickBlockError>& errors)
    {
        std::vector<int64_t> result;
        for (const auto& error : errors)
            result.push_back(error.error().code());
        return result;
    }

    // What a walk made now finds.
    std::vector<int64_t> freshCodes(const DOMElement& root) const
    {
        std::vector<int64_t> result;
        helper.enumerateChildBlocksOfNode(root, 0, [&](const VornickExactSelection&, const std::optional<Error>& error, bool&) {
            if (error)
                result.push_back(error->code());
        });
        return result;
    }

    // The opening comments of the sound blocks without an element a walk made now finds.
    std::vector<DOMComment*> freshBlocksWithoutElement(const DOMElement& root) const
    {
        std::vector<DOMComment*> result;
        helper.enumerateChildBlocksOfNode(root, 0, [&](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
            if (!error && block.blockStartComment() && !block.element())
                result.push_back(block.blockStartComment().get());
        });
        return result;
    }

    std::vector<DOMComment*> blocksWithoutElement(DOMElement& root)
    {
        std::vector<DOMComment*> result;
        for (const auto& block : cache.blocksWithoutElementAmongChildrenOfElement(helper, root))
            result.push_back(block.blockStartComment().get());
        return result;
    }

    // The cache's answers, which must be the fresh walk's, whichever question
    // the walk was made for.
    std::vector<int64_t> checked(DOMElement& root)
    {
        auto blocks = blocksWithoutElement(root);
        EXPECT_EQ(blocks, freshBlocksWithoutElement(root));
        auto answer = codes(cache.errorsOfChildBlocksOfElement(helper, root));
        EXPECT_EQ(answer, freshCodes(root));
        EXPECT_EQ(blocksWithoutElement(root), blocks);
        return answer;
    }

    VornickWordPressBlockModeHelper helper;
    VornickBlockCheckCache cache;
    std::shared_ptr<DOMDocument> document;
};

constexpr std::u16string_view soundPost = u"<!-- wp:paragraph --><p>One <em>two</em></p><!-- /wp:paragraph -->"
                                          u"<!-- wp:more --><!--more--><!-- /wp:more -->"
                                          u"<!-- wp:paragraph --><p>Three</p><!-- /wp:paragraph -->";

std::shared_ptr<DOMNode> lastCommentChild(DOMElement& root)
{
    std::shared_ptr<DOMNode> found;
    for (auto child = root.firstChild(); child; child = child->nextSibling()) {
        if (child->nodeType() == DOMNode::COMMENT_NODE)
            found = child;
    }
    return found;
}

} // namespace

TEST_F(VornickBlockCheckCacheTests, FollowsChangesToTheBlocksButNotInsideThem)
{
    auto body = load(soundPost);
    ASSERT_TRUE(checked(*body).empty());

    // Typing inside a block, an attribute of a nested element: the same answer.
    auto paragraph = downcast<DOMElement>(body->firstChild()->nextSibling());
    downcast<DOMCharacterData>(*paragraph->firstChild()).appendData(u"typed ");
    paragraph->firstElementChild()->setAttribute(u"class", u"marked");
    EXPECT_TRUE(checked(*body).empty());

    // A closing comment is edited into another type, and back.
    auto closing = lastCommentChild(*body);
    downcast<DOMCharacterData>(*closing).setData(u" /wp:heading ");
    EXPECT_FALSE(checked(*body).empty());
    downcast<DOMCharacterData>(*closing).setData(u" /wp:paragraph ");
    EXPECT_TRUE(checked(*body).empty());

    // A second element in a block; then a closing comment removed and put back.
    auto second = document->createElement(u"p");
    body->insertBefore(second, closing);
    EXPECT_FALSE(checked(*body).empty());
    body->removeChild(second);
    body->removeChild(closing);
    EXPECT_FALSE(checked(*body).empty());
    body->appendChild(closing);
    EXPECT_TRUE(checked(*body).empty());
}

TEST_F(VornickBlockCheckCacheTests, WalksAgainWhenTheRecordOfChangesRunsOutOrTheRootChanges)
{
    auto body = load(soundPost);
    ASSERT_TRUE(checked(*body).empty());

    // A relevant change among more than the document remembers.
    auto closing = lastCommentChild(*body);
    body->removeChild(closing);
    auto paragraph = downcast<DOMElement>(body->firstChild()->nextSibling());
    for (int i = 0; i < 200; ++i) {
        downcast<DOMCharacterData>(*paragraph->firstChild()).appendData(u"x");
        paragraph->setAttribute(u"title", u"t");
        paragraph->removeAttribute(u"title");
    }
    EXPECT_FALSE(checked(*body).empty());

    // Another root, another document.
    auto other = load(soundPost);
    EXPECT_TRUE(checked(*other).empty());
    auto wrapper = document->createElement(u"div");
    other->appendChild(wrapper);
    wrapper->appendChild(document->createComment(u" wp:paragraph "));
    EXPECT_FALSE(checked(*wrapper).empty());
    auto afterwards = checked(*other);

    // A forgotten walk is made again.
    cache.invalidate();
    EXPECT_EQ(checked(*other), afterwards);
}

TEST_F(VornickBlockCheckCacheTests, WalksAgainWhenTheRootComesBackIntoThePage)
{
    // Content is built while its element is out of the page: nothing records
    // the root's children changing, only the root (or what holds it) put back.
    document = DOMDocument::parseHTML(u"<html><body><main><div>" + std::u16string(soundPost) + u"</div></main></body></html>");
    auto main = document->body()->firstElementChild();
    auto root = main->firstElementChild();
    ASSERT_TRUE(checked(*root).empty());

    main->removeChild(root);
    root->removeChild(lastCommentChild(*root));
    main->appendChild(root);
    EXPECT_FALSE(checked(*root).empty());

    document->body()->removeChild(main);
    root->appendChild(document->createComment(u" /wp:paragraph "));
    document->body()->appendChild(main);
    EXPECT_TRUE(checked(*root).empty());
}

TEST_F(VornickBlockCheckCacheTests, BlocksWithoutAnElementFollowTheirComments)
{
    auto body = load(u"<!-- wp:spacer /--><!-- wp:paragraph --><p>One</p><!-- /wp:paragraph -->"
                     u"<!-- wp:more --><!--more--><!-- /wp:more --><!-- wp:separator --><hr><!-- /wp:separator -->");
    auto blocks = blocksWithoutElement(*body);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0]->data(), u" wp:spacer /");
    EXPECT_EQ(blocks[1]->data(), u" wp:more ");
    EXPECT_TRUE(checked(*body).empty());

    // The spacer's comment edited into an unclosed block: it is an error, not a block.
    downcast<DOMCharacterData>(*body->firstChild()).setData(u" wp:spacer ");
    EXPECT_FALSE(checked(*body).empty());
    EXPECT_EQ(blocksWithoutElement(*body).size(), 1u);
    // An element put into the "more" block: it holds one now.
    downcast<DOMCharacterData>(*body->firstChild()).setData(u" wp:spacer /");
    std::shared_ptr<DOMNode> more;
    for (auto child = body->firstChild(); child && !more; child = child->nextSibling()) {
        if (child->nodeType() == DOMNode::COMMENT_NODE && downcast<DOMComment>(*child).data() == u"more")
            more = child;
    }
    ASSERT_TRUE(more);
    body->replaceChild(document->createElement(u"p"), more);
    EXPECT_TRUE(checked(*body).empty());
    EXPECT_EQ(blocksWithoutElement(*body).size(), 1u);

    // A forgotten walk forgets its blocks too.
    cache.invalidate();
    EXPECT_EQ(blocksWithoutElement(*body).size(), 1u);
}
