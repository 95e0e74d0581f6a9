// A page nested as deep as browsers build them, edited as a user would:
// typed into at its deepest point, the typing undone and redone, searched,
// spell checked, laid out and hit tested, saved and closed. Every level
// stays in the document and in the saved file.
#include "UndoableEditChecks.h"

#include "editing/VornickFindAndReplaceController.h"
#include "platform/views/SpellChecker.h"
#include "platform/views/TextFinder.h"
#include "platform/views/WordListSpellChecker.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class DeepPageTest : public UndoableEditTest, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override
    {
        UndoableEditTest::SetUp();
        SpellChecker::setSharedSpellChecker(std::make_shared<WordListSpellChecker>(std::vector<std::u16string> { u"deepest" }));
    }
    void TearDown() override
    {
        SpellChecker::setSharedSpellChecker(nullptr);
        UndoableEditTest::TearDown();
    }
    std::string selectedText() const
    {
        auto range = view->effectiveOperationRange();
        return range ? toUTF8(range->toString()) : "(none)";
    }
    static size_t count(std::string_view text, std::string_view part)
    {
        size_t found = 0;
        for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size()))
            ++found;
        return found;
    }
};

TEST_P(DeepPageTest, OpensEditsUndoesSavesAndClosesKeepingEveryLevel)
{
    const unsigned depth = GetParam();
    std::string nested;
    for (unsigned level = 0; level < depth; ++level)
        nested += "<div>";
    nested += "deepest wrold";
    for (unsigned level = 0; level < depth; ++level)
        nested += "</div>";
    loadBody(nested);
    ASSERT_EQ(document()->getElementsByTagName(u"div")->length(), depth);

    // The deepest text is laid out (as its ancestor's text past the display
    // depth) and found at its place.
    auto text = textNode(u"deepest");
    ASSERT_TRUE(text);
    auto frame = view->mainFrame();
    frame->layout().layoutIfNeeded(*document(), 800, 1);
    Rect box = frame->layout().boundingBox(*text);
    ASSERT_GT(box.width(), 0);
    EXPECT_EQ(frame->layout().nodeAtPoint(*document(), Point { box.minX() + 1, box.midY() }), text.get());

    // Typing at the deepest point, undone and redone.
    select(rangeIn(text, 7, 7));
    endEvent();
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 7, 7), u"!", true));
    endEvent();
    EXPECT_EQ(toUTF8(text->data()), "deepest! wrold");
    view->undoManager()->undo();
    EXPECT_EQ(toUTF8(text->data()), "deepest wrold");
    endEvent();
    view->undoManager()->redo();
    EXPECT_EQ(toUTF8(text->data()), "deepest! wrold");
    endEvent();
    EXPECT_TRUE(waitForSource(*frame));
    frame->layout().layoutIfNeeded(*document(), 800, 1);
    EXPECT_GT(frame->layout().boundingBox(*text).width(), box.width());

    // Find and the spelling check reach it.
    auto& finder = view->findAndReplaceController();
    finder.textFinder().setFindString(u"deepest!");
    ASSERT_TRUE(finder.performAction(static_cast<long>(TextFinderAction::NextMatch)));
    EXPECT_EQ(selectedText(), "deepest!");
    select(rangeIn(text, 0, 0));
    ASSERT_TRUE(view->tryToPerform("checkSpelling:", nullptr));
    EXPECT_EQ(selectedText(), "wrold");

    // Saved whole, and the same when saved again.
    std::vector<Error> errors;
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("edit.html"), std::nullopt, false, &errors));
    std::string saved = contents("edit.html");
    EXPECT_EQ(count(saved, "<div>"), depth);
    EXPECT_EQ(count(saved, "</div>"), depth);
    EXPECT_EQ(count(saved, "deepest! wrold"), 1u);
    ASSERT_TRUE(view->writeHTMLDocumentToURL(url("edit.html"), std::nullopt, false, &errors));
    EXPECT_EQ(contents("edit.html"), saved);

    // As deep a fragment pasted at the start, and taken out again by undo.
    select(rangeIn(body(), 0, 0));
    endEvent();
    ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentUndoably(*view, fragmentFromMarkup(toUTF16(nested))));
    endEvent();
    EXPECT_EQ(document()->getElementsByTagName(u"div")->length(), 2 * depth);
    view->undoManager()->undo();
    endEvent();
    EXPECT_EQ(document()->getElementsByTagName(u"div")->length(), depth);
}

INSTANTIATE_TEST_SUITE_P(Depths, DeepPageTest, ::testing::Values(1'000u, 20'000u, 100'000u));

} // namespace
} // namespace brevanton::testing
