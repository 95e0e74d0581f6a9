// Blocks between comments (as a block editor's post keeps them): a block
// taken out with its comments and the white space around them, and its
// edited copy put in its place, is laid out alone, with the boxes a layout
// from scratch gives; comments in running text change no box.
#include "tests/platform/web/WebPageTestSupport.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"

namespace brevanton {
namespace {

class WebLayoutCommentedBlocksTest : public WebPageTest {
protected:
    void loadPost(int count)
    {
        std::u16string markup = u"<div id='content'>\n";
        for (int i = 0; i < count; ++i) {
            markup += u"<!-- wp:paragraph -->\n<p id='p" + toUTF16(std::to_string(i)) + u"'>Paragraph " + toUTF16(std::to_string(i))
                + u" with <em>a few</em> words<!-- a note --> in it</p>\n<!-- /wp:paragraph -->\n\n";
        }
        loadBody(markup + u"</div>\n<p id='after'>After</p>\n");
    }
    // The block's comments, the white space around them and the paragraph.
    std::shared_ptr<DOMRange> blockRange(const char16_t* id)
    {
        auto paragraph = element(id);
        auto range = webView->mainFrameDocument()->createRange();
        // Comment before, comment after; the white space between them goes too.
        EXPECT_TRUE(range->setStartBefore(*paragraph->previousSibling()->previousSibling()));
        EXPECT_TRUE(range->setEndAfter(*paragraph->nextSibling()->nextSibling()));
        return range;
    }
    void expectSameAsFromScratch()
    {
        auto& document = *webView->mainFrameDocument();
        WebLayout full;
        full.layoutIfNeeded(document, webView->bounds().width(), 1);
        auto content = element(u"content");
        size_t index = 0;
        for (auto item = content->firstElementChild(); item; item = item->nextElementSibling(), ++index) {
            ASSERT_EQ(layout().boundingBox(*item), full.boundingBox(*item)) << "block " << index;
            ASSERT_EQ(layout().boundingBox(*item->firstChild()), full.boundingBox(*item->firstChild())) << "block " << index;
        }
        EXPECT_EQ(layout().boundingBox(*content), full.boundingBox(*content));
        EXPECT_EQ(layout().boundingBox(*element(u"after")), full.boundingBox(*element(u"after")));
        EXPECT_EQ(layout().documentSize(), full.documentSize());
    }
};

TEST_F(WebLayoutCommentedBlocksTest, ABlockReplacedWithItsCommentsIsLaidOutAlone)
{
    loadPost(40);
    uint64_t full = layout().fullLayoutCount();
    uint64_t blocks = layout().blockLayoutCount();

    // Taken out, laid out (as the selection shows between the two halves of the edit)...
    auto range = blockRange(u"p10");
    auto copy = range->cloneContents();
    std::shared_ptr<DOMElement> copiedParagraph;
    for (auto* child = copy->first(); child && !copiedParagraph; child = child->next()) {
        if (child->isElementNode())
            copiedParagraph = downcast<DOMElement>(child->shared_from_this());
    }
    ASSERT_TRUE(copiedParagraph);
    copiedParagraph->setAttribute(u"class", u"wide");
    downcast<DOMCharacterData>(*copiedParagraph->firstChild()).appendData(u" that now runs on long enough to take a second line of the page, "
                                                                 u"and more words again to be sure of it");
    range->deleteContents();
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();

    // ...and the copy put in its place, with the white space at its seams merged.
    range->insertNode(copy);
    auto content = element(u"content");
    for (auto* child = content->first(); child && child->next();) {
        if (child->isTextNode() && child->next()->isTextNode()) {
            downcast<DOMCharacterData>(*child).appendData(downcast<DOMCharacterData>(*child->next()).data());
            content->removeChild(child->next());
        } else
            child = child->next();
    }
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    EXPECT_LE(layout().blockLayoutCount() - blocks, 2u) << "the copy alone";
    expectSameAsFromScratch();
}

TEST_F(WebLayoutCommentedBlocksTest, ABlockPutInAndTakenOutAgainBeforeALayoutLeavesNothingToDo)
{
    loadPost(20);
    uint64_t full = layout().fullLayoutCount();
    // Replaced, and replaced again before anything was laid out; what was
    // taken out is kept (as an undo step keeps it).
    std::vector<std::shared_ptr<DOMDocumentFragment>> taken;
    auto replace = [&] {
        auto range = blockRange(u"p4");
        auto copy = range->cloneContents();
        taken.push_back(range->extractContents());
        range->insertNode(copy);
    };
    replace();
    webView->layoutIfNeeded();
    replace();
    replace();
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    expectSameAsFromScratch();
}

TEST_F(WebLayoutCommentedBlocksTest, CommentsInRunningTextChangeNoBox)
{
    loadPost(5);
    uint64_t full = layout().fullLayoutCount();
    auto paragraph = element(u"p2");
    auto lines = layout().boundingBox(*paragraph);
    paragraph->appendChild(webView->mainFrameDocument()->createComment(u" later "));
    paragraph->removeChild(paragraph->childAt(3));
    webView->layoutIfNeeded();
    EXPECT_EQ(layout().fullLayoutCount(), full);
    EXPECT_EQ(layout().boundingBox(*paragraph), lines);
    expectSameAsFromScratch();
}

} // namespace
} // namespace brevanton
