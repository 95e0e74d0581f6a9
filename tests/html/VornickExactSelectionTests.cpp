#include "html/VornickExactSelection.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace brevanton;

namespace {

struct Page {
    std::shared_ptr<DOMDocument> document = DOMDocument::parseHTML(
        u"<body><!-- wp:paragraph --><p id=a>A</p><!-- /wp:paragraph --><!-- wp:spacer /--><p id=b>B</p></body>");
    std::shared_ptr<DOMElement> body = document->body();

    std::shared_ptr<DOMComment> comment(unsigned index) const
    {
        return downcast<DOMComment>(body->childAt(index)->shared_from_this());
    }
    std::shared_ptr<DOMElement> element(std::u16string_view id) const { return document->getElementById(id); }
};

} // namespace

TEST(ExactSelection, EqualityAndHashFollowTheElementOnly)
{
    Page page;
    VornickExactSelection plain(page.element(u"a"));
    VornickExactSelection block(page.element(u"a"), page.comment(0), nullptr, page.comment(2));
    VornickExactSelection other(page.element(u"b"));
    EXPECT_EQ(plain, block);
    EXPECT_EQ(std::hash<VornickExactSelection>()(plain), std::hash<VornickExactSelection>()(block));
    EXPECT_NE(plain, other);

    // Selections without an element equal each other, whatever their comments.
    VornickExactSelection spacer(nullptr, page.comment(3), nullptr, nullptr);
    VornickExactSelection empty(nullptr, page.comment(0), page.comment(2), nullptr);
    EXPECT_EQ(spacer, empty);
    EXPECT_NE(spacer, plain);

    std::unordered_set<VornickExactSelection> set { plain, block, other, spacer, empty };
    EXPECT_EQ(set.size(), 3u);
}

TEST(ExactSelection, FirstAndLastNodesAndTheOuterRange)
{
    Page page;
    VornickExactSelection block(page.element(u"a"), page.comment(0), nullptr, page.comment(2));
    EXPECT_EQ(block.firstNode(), page.comment(0));
    EXPECT_EQ(block.lastNode(), page.comment(2));
    auto range = block.outerRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->startContainer(), page.body);
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endOffset(), 3u);
    EXPECT_EQ(block.blockType(), u"wp:paragraph");

    // An unclosed block without an element covers its opening comment alone.
    VornickExactSelection unclosed(nullptr, page.comment(3), nullptr, nullptr);
    EXPECT_EQ(unclosed.firstNode(), unclosed.lastNode());
    range = unclosed.outerRange();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->startOffset(), 3u);
    EXPECT_EQ(range->endOffset(), 4u);
    EXPECT_EQ(unclosed.blockType(), u"wp:spacer");

    VornickExactSelection plain(page.element(u"b"));
    EXPECT_FALSE(plain.blockType());
    EXPECT_FALSE(VornickExactSelection(nullptr).outerRange());
    // A detached element has no range around it.
    EXPECT_FALSE(VornickExactSelection(page.document->createElement(u"p")).outerRange());
}

TEST(ExactSelection, Description)
{
    Page page;
    VornickExactSelection block(page.element(u"a"), page.comment(0), nullptr, page.comment(2));
    EXPECT_EQ(block.description(), u"{ExactSelection: <!-- wp:paragraph --><P ID='a'><!-- /wp:paragraph -->}");
    EXPECT_EQ(VornickExactSelection(nullptr).description(), u"{ExactSelection: }");
}
