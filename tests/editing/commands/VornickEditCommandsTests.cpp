// Commands on an editing context of their own, with no editing view: what a
// command does to the document, the undo steps it registers and the calls
// it makes on its context must come from the command and its context alone.
#include "../StructuralEditTestSupport.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
#include "editing/commands/VornickUndoableTypedTextInsertion.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UndoManager.h"

#include <gtest/gtest.h>

namespace brevanton::testing {
namespace {

// A context that keeps a target range and an undo manager of its own, and
// counts what commands ask of it.
class RecordingEditingContext final : public VornickEditingContext {
public:
    RecordingEditingContext() { m_undoManager.setGroupsByEvent(false); }

    std::shared_ptr<WebFrame> mainFrame() const override { return nullptr; }
    std::shared_ptr<WebFrame> focusedWebFrame() const override { return nullptr; }

    std::shared_ptr<DOMRange> effectiveOperationRange() const override { return targetRange; }
    void setTargetRange(const std::shared_ptr<DOMRange>& range) override { targetRange = range; }
    void setTargetRangeUndoably(const std::shared_ptr<DOMRange>& range) override
    {
        registerTargetRangeUndo();
        targetRange = range;
    }
    // As the view does: the range frozen relative to the body.
    void registerTargetRangeUndo() override
    {
        auto document = targetRange ? vornick_ownerDocument(*targetRange) : nullptr;
        std::shared_ptr<DOMNode> body = document ? document->body() : nullptr;
        auto frozen = body ? VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*targetRange, body, false) : std::nullopt;
        if (!frozen)
            return;
        registerUndo([frozen = std::move(*frozen), body](VornickEditingContext& context) {
            context.registerTargetRangeUndo();
            context.setTargetRange(frozen.thawRangeRelativeToNewAncestor(body));
        });
    }

    UndoManager* undoManager() const override { return &m_undoManager; }
    void registerUndo(std::function<void(VornickEditingContext&)> inverse) override
    {
        m_undoManager.registerUndo(this, [this, inverse = std::move(inverse)] {
            endTypingRun();
            endBackspaceRun();
            inverse(*this);
        });
    }

    void editWillBegin() override { ++editsBegun; }
    void contentDidChangeInWebFrame(const std::shared_ptr<WebFrame>&) override { ++contentChanges; }
    void scheduleHTMLUpdateForFocusedWebFrameIfNeeded() override { }
    void redisplayWebViewOnNextTurn() override { }
    void endTypingRun() override { ++typingRunsEnded; }
    void endBackspaceRun() override { ++backspaceRunsEnded; }
    void addReplacementToTypingRun(const std::shared_ptr<DOMCharacterData>&, int32_t, int32_t, int32_t) override { ++typingRunReplacements; }
    void addDeletionToBackspaceRun(const std::shared_ptr<DOMCharacterData>&, int32_t, int32_t) override { ++backspaceRunDeletions; }
    bool insertingTextOrBackspacing() const override { return m_insertingTextOrBackspacing; }
    void setInsertingTextOrBackspacing(bool inserting) override { m_insertingTextOrBackspacing = inserting; }

    VornickBlockModeHelper* blockModeHelper() const override { return nullptr; }
    VornickBlockModeEditingContext* blockModeEditingContext() override { return nullptr; }
    bool sectionHandlesShown() const override { return false; }
    bool isEditable() const override { return true; }

    // What the commands under test never ask for.
    void noteStyleSheetSetChangeInDocument(const DOMDocument&) override { }
    void scheduleHTMLUpdateForFocusedWebFrame() override { }
    void showTitleInHeadPane() override { }
    void togglePendingInlineStyle(const std::u16string&, const VornickDOMPosition&) override { }
    const std::vector<std::u16string>& pendingInlineStyles() const override { return m_noPendingInlineStyles; }
    void clearPendingInlineStyles() override { }
    void dropPendingInlineStylesIfCaretMoved() override { }
    bool insertingTypedText() const override { return false; }
    void setInsertingTypedText(bool) override { }
    int32_t whitespacePolicy() const override { return 0; }
    void scheduleTextFixupIfNeededForEditedRange(const std::shared_ptr<DOMRange>&) override { }
    void deleteSelection() override { }
    std::u16string placeholderSpaceStringForDocumentContainingRange(const DOMRange&) const override { return u" "; }
    bool automaticallyAddsParagraphs() const override { return false; }
    bool shouldAddParagraphWrapperForInsertionInRange(const DOMRange&) const override { return false; }
    void autoWrapSelectedRangeEnvironsInParagraphIfAppropriate() override { }
    void scrollRangeToVisible(const std::shared_ptr<DOMRange>&) override { }
    const VornickUndoableTypingRun* activeTypingRun() const override { return nullptr; }
    const VornickUndoableBackspaceRun* activeBackspaceRun() const override { return nullptr; }
    void showAttributeEditorForElement(const std::shared_ptr<DOMElement>&, const std::optional<std::u16string>&) override { }
    void reassessNonBreakingSpaceSubstituteForTextToInsert(const std::u16string&, const std::shared_ptr<WebFrame>&) override { }
    void chooseMediaFileAndReplaceSelection(const std::u16string&) override { }
    void beep() override { }

    // Applies the edit as one undo step.
    template<typename Edit> void step(Edit&& edit)
    {
        m_undoManager.beginUndoGrouping();
        edit();
        m_undoManager.endUndoGrouping();
    }

    std::shared_ptr<DOMRange> targetRange;
    int contentChanges { 0 };
    int editsBegun { 0 };
    int typingRunsEnded { 0 };
    int backspaceRunsEnded { 0 };
    int typingRunReplacements { 0 };
    int backspaceRunDeletions { 0 };

private:
    mutable UndoManager m_undoManager;
    bool m_insertingTextOrBackspacing { false };
    std::vector<std::u16string> m_noPendingInlineStyles;
};

class EditCommandsTest : public ::testing::Test {
protected:
    void load(std::u16string_view body)
    {
        document = DOMDocument::parseHTML(u"<html><body>" + std::u16string(body) + u"</body></html>");
        ASSERT_TRUE(document && document->body());
    }
    std::u16string outline() const { return outlineOfChildren(*document->body(), OutlineText::Bracketed); }
    std::shared_ptr<DOMRange> range(const std::shared_ptr<DOMNode>& start, unsigned startOffset, const std::shared_ptr<DOMNode>& end,
                                    unsigned endOffset) const
    {
        auto range = document->createRange();
        range->setStart(start, startOffset);
        range->setEnd(end, endOffset);
        return range;
    }
    std::shared_ptr<DOMNode> child(const DOMNode& parent, unsigned index) const { return parent.childAt(index)->shared_from_this(); }
    std::shared_ptr<DOMDocumentFragment> fragmentOf(std::u16string_view text) const
    {
        auto fragment = document->createDocumentFragment();
        fragment->appendChild(document->createTextNode(std::u16string(text)));
        return fragment;
    }
    // Undoes and redoes the last step, checking the document each way.
    void checkUndoAndRedo(const std::u16string& before, const std::u16string& after)
    {
        auto* undo = context.undoManager();
        ASSERT_TRUE(undo->canUndo());
        undo->undo();
        EXPECT_EQ(toUTF8(outline()), toUTF8(before));
        ASSERT_TRUE(undo->canRedo());
        undo->redo();
        EXPECT_EQ(toUTF8(outline()), toUTF8(after));
        undo->undo();
        EXPECT_EQ(toUTF8(outline()), toUTF8(before));
    }

    RecordingEditingContext context;
    std::shared_ptr<DOMDocument> document;
};

TEST_F(EditCommandsTest, InsertionSplitsTextAndItsUndoAndRedoGoThroughTheContext)
{
    load(u"<p>ab</p>");
    auto paragraph = child(*document->body(), 0);
    auto text = child(*paragraph, 0);
    context.targetRange = range(text, 1, text, 1);
    auto before = outline();

    context.step([&] {
        VornickUndoableFragmentInsertion insertion(context, true, fragmentOf(u"X"), { text, 1 });
        ASSERT_TRUE(insertion.apply());
    });
    auto after = outline();
    EXPECT_EQ(toUTF8(after), "<p>[aXb]</p>");
    EXPECT_EQ(toUTF8(context.undoManager()->undoActionName()), "Insert");
    ASSERT_TRUE(context.targetRange);
    EXPECT_EQ(toUTF8(context.targetRange->toString()), "X");
    EXPECT_EQ(context.contentChanges, 1);
    // Told before the change, so that an editor can keep what the page held.
    EXPECT_EQ(context.editsBegun, 1);
    EXPECT_EQ(context.typingRunsEnded, 1);
    EXPECT_EQ(context.backspaceRunsEnded, 1);

    checkUndoAndRedo(before, after);
    // Undo gives back the one text node and the caret it had.
    EXPECT_EQ(paragraph->childCount(), 1u);
    EXPECT_TRUE(context.targetRange && context.targetRange->collapsed());
}

TEST_F(EditCommandsTest, RefusedCommandsLeaveDocumentUndoAndRunsAlone)
{
    load(u"<p>ab</p><!--note-->");
    auto comment = child(*document->body(), 1);
    auto before = outline();

    VornickUndoableFragmentInsertion intoComment(context, true, fragmentOf(u"X"), { comment, 1 });
    EXPECT_FALSE(intoComment.apply());
    VornickUndoableFragmentInsertion withoutPlace(context, true, fragmentOf(u"X"), {});
    EXPECT_FALSE(withoutPlace.apply());
    VornickUndoableFragmentDeletion withoutRange(context, true, nullptr);
    EXPECT_FALSE(withoutRange.apply());

    EXPECT_EQ(toUTF8(outline()), toUTF8(before));
    EXPECT_FALSE(context.undoManager()->canUndo());
    EXPECT_EQ(context.contentChanges, 0);
    EXPECT_EQ(context.typingRunsEnded, 0);
    EXPECT_EQ(context.backspaceRunsEnded, 0);
}

TEST_F(EditCommandsTest, DeletionAcrossElementsIsRestoredExactlyAndRedone)
{
    load(u"<p>one</p><p>two</p><p>three</p>");
    auto first = child(*child(*document->body(), 0), 0);
    auto last = child(*child(*document->body(), 2), 0);
    context.targetRange = range(first, 1, last, 2);
    auto before = outline();

    std::shared_ptr<DOMDocumentFragment> deleted;
    context.step([&] {
        VornickUndoableFragmentDeletion deletion(context, true, nullptr);
        ASSERT_TRUE(deletion.apply(&deleted));
    });
    auto after = outline();
    EXPECT_EQ(toUTF8(after), "<p>[o]</p><p>[ree]</p>");
    EXPECT_EQ(toUTF8(context.undoManager()->undoActionName()), "Delete selection");
    ASSERT_TRUE(deleted);
    EXPECT_EQ(toUTF8(outlineOfChildren(*deleted, OutlineText::Bracketed)), "<p>[ne]</p><p>[two]</p><p>[th]</p>");

    checkUndoAndRedo(before, after);
    ASSERT_TRUE(context.targetRange);
    EXPECT_EQ(toUTF8(context.targetRange->toString()), "netwoth");
}

TEST_F(EditCommandsTest, TextReplacementGrowsTheTypingRunOrRegistersItsOwnInverse)
{
    load(u"<p>abc</p>");
    auto text = child(*child(*document->body(), 0), 0);

    // Typing: the context's run takes the change; the run stays open.
    context.step([&] { ASSERT_TRUE(VornickUndoableTextReplacement(context, true, range(text, 3, text, 3), u"d", true).apply()); });
    EXPECT_EQ(toUTF8(outline()), "<p>[abcd]</p>");
    EXPECT_EQ(context.typingRunReplacements, 1);
    EXPECT_EQ(context.typingRunsEnded, 0);

    // A replacement of its own ends the run and is undone by itself.
    auto before = outline();
    context.step([&] { ASSERT_TRUE(VornickUndoableTextReplacement(context, true, range(text, 1, text, 3), u"XY", false).apply()); });
    EXPECT_EQ(context.typingRunsEnded, 1);
    EXPECT_EQ(context.typingRunReplacements, 1);
    checkUndoAndRedo(before, u"<p>[aXYd]</p>");
}

TEST_F(EditCommandsTest, AttributeValueUndoRemovesAnAttributeThatWasAbsent)
{
    load(u"<p id=\"a\">x</p>");
    auto paragraph = downcast<DOMElement>(child(*document->body(), 0));

    context.step([&] { VornickUndoableAttributeValue(context, true, paragraph, u"hidden", u"").apply(); });
    context.step([&] { VornickUndoableAttributeValue(context, true, paragraph, u"id", u"b").apply(); });
    EXPECT_EQ(toUTF8(outline()), "<p id=\"b\" hidden=\"\">[x]</p>");
    EXPECT_EQ(toUTF8(context.undoManager()->undoActionName()), "Set Value of \"id\" Attribute");

    context.undoManager()->undo();
    context.undoManager()->undo();
    EXPECT_EQ(toUTF8(outline()), "<p id=\"a\">[x]</p>");
    EXPECT_FALSE(paragraph->hasAttribute(u"hidden"));
    context.undoManager()->redo();
    EXPECT_EQ(toUTF8(outline()), "<p id=\"a\" hidden=\"\">[x]</p>");
}

TEST_F(EditCommandsTest, TypedTextGrowsTheTypingRunAndFollowsTheWhiteSpaceRules)
{
    load(u"<p>ab</p><p>a b</p><p>abc</p>");
    auto first = child(*child(*document->body(), 0), 0);
    auto second = child(*child(*document->body(), 1), 0);
    auto third = child(*child(*document->body(), 2), 0);

    // A character typed at the caret goes into the text node as typing, and the caret follows it.
    context.targetRange = range(first, 1, first, 1);
    context.step([&] { VornickUndoableTypedTextInsertion(context, u"x", false).apply(); });
    EXPECT_EQ(toUTF8(outline()), "<p>[axb]</p><p>[a b]</p><p>[abc]</p>");
    EXPECT_EQ(context.typingRunReplacements, 1);
    EXPECT_EQ(context.typingRunsEnded, 0);
    EXPECT_EQ(context.contentChanges, 1);
    ASSERT_TRUE(context.targetRange && context.targetRange->collapsed());
    EXPECT_EQ(context.targetRange->startContainer(), first);
    EXPECT_EQ(context.targetRange->startOffset(), 2u);

    // A space after a space would collapse into it: nothing is typed, nothing announced.
    context.targetRange = range(second, 2, second, 2);
    context.step([&] { VornickUndoableTypedTextInsertion(context, u" ", false).apply(); });
    EXPECT_EQ(toUTF8(outline()), "<p>[axb]</p><p>[a b]</p><p>[abc]</p>");
    EXPECT_EQ(context.typingRunReplacements, 1);
    EXPECT_EQ(context.contentChanges, 1);

    // A replacement by nothing deletes the selection as an edit of its own, undone and redone whole.
    context.targetRange = range(third, 1, third, 2);
    auto before = outline();
    context.step([&] { VornickUndoableTypedTextInsertion(context, u"", true).apply(); });
    auto after = outline();
    EXPECT_EQ(toUTF8(after), "<p>[axb]</p><p>[a b]</p><p>[ac]</p>");
    EXPECT_EQ(context.typingRunReplacements, 1);
    EXPECT_GE(context.typingRunsEnded, 1);
    checkUndoAndRedo(before, after);
}

} // namespace
} // namespace brevanton::testing
