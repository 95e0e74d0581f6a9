// The view as the editing context of its commands: each member forwards to
// the view, whose state the commands never see.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/VornickSpellingController.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableTypingRun.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Sound.h"
#include "views/VornickViewExtensions.h"

#include <algorithm>

namespace brevanton {

class VornickContentEditingView::EditingContext final : public VornickEditingContext {
public:
    explicit EditingContext(VornickContentEditingView& view)
        : m_view(view)
    {
    }

    std::shared_ptr<WebFrame> mainFrame() const override { return m_view.mainFrame(); }
    std::shared_ptr<WebFrame> focusedWebFrame() const override { return m_view.focusedWebFrame(); }

    std::shared_ptr<DOMRange> effectiveOperationRange() const override { return m_view.effectiveOperationRange(); }
    void setTargetRange(const std::shared_ptr<DOMRange>& range) override { m_view.setTargetRange(range); }
    void setTargetRangeUndoably(const std::shared_ptr<DOMRange>& range) override { m_view.setTargetRangeUndoably(range); }
    void registerTargetRangeUndo() override { m_view.registerTargetRangeUndo(); }

    UndoManager* undoManager() const override { return m_view.undoManager(); }
    void registerUndo(std::function<void(VornickEditingContext&)> inverse) override
    {
        m_view.registerUndo([inverse = std::move(inverse)](VornickContentEditingView& view) { inverse(view.editingContext()); });
    }
    void editWillBegin() override { m_view.contentWillBeEdited(); }

    void contentDidChangeInWebFrame(const std::shared_ptr<WebFrame>& frame) override
    {
        m_view.postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
    }
    void scheduleHTMLUpdateForFocusedWebFrameIfNeeded() override { m_view.scheduleHTMLUpdateForFocusedWebFrameIfNeeded(); }
    void redisplayWebViewOnNextTurn() override
    {
        m_view.performAfterDelay(0, [](VornickContentEditingView& view) {
            if (view.m_internals->webView)
                vornick_setNeedsDisplay(*view.m_internals->webView);
        });
    }
    void endTypingRun() override { m_view.endTypingRun(); }
    void endBackspaceRun() override { m_view.endBackspaceRun(); }
    void addReplacementToTypingRun(const std::shared_ptr<DOMCharacterData>& node, int32_t start, int32_t end, int32_t length) override
    {
        if (m_view.m_internals->activeTypingRun && m_view.m_internals->activeTypingRun->addReplacementInTextNode(*node, start, end, length))
            return;
        m_view.endTypingRun();
        auto run = std::make_shared<VornickUndoableTypingRun>(*this, node, start, end, length);
        m_view.m_internals->activeTypingRun = run;
        run->registerUndo(*this);
        if (auto undo = m_view.undoManager())
            undo->setActionName(u"Typing");
    }
    void addDeletionToBackspaceRun(const std::shared_ptr<DOMCharacterData>& node, int32_t start, int32_t end) override
    {
        if (m_view.m_internals->activeBackspaceRun && m_view.m_internals->activeBackspaceRun->consumeCharactersInTextNode(*node, start,
                end))
            return;
        m_view.endBackspaceRun();
        auto run = std::make_shared<VornickUndoableBackspaceRun>(*this, node, start, end);
        m_view.m_internals->activeBackspaceRun = run;
        run->registerUndo(*this);
        if (auto undo = m_view.undoManager())
            undo->setActionName(u"Backspacing");
    }
    bool insertingTextOrBackspacing() const override { return m_view.m_internals->insertingTextOrBackspacing; }
    void setInsertingTextOrBackspacing(bool inserting) override { m_view.m_internals->insertingTextOrBackspacing = inserting; }

    VornickBlockModeHelper* blockModeHelper() const override { return m_view.m_internals->blockModeHelper.get(); }
    VornickBlockModeEditingContext* blockModeEditingContext() override { return &m_view; }
    bool sectionHandlesShown() const override { return m_view.m_internals->sectionHandlesShown; }

    bool isEditable() const override { return m_view.isEditable(); }

    // Document settings.
    void noteStyleSheetSetChangeInDocument(const DOMDocument& document) override { m_view.noteStyleSheetSetChangeInDocument(document); }
    void scheduleHTMLUpdateForFocusedWebFrame() override { m_view.scheduleHTMLUpdateForFocusedWebFrame(); }
    void showTitleInHeadPane() override
    {
        if (m_view.m_internals->headMetadataEditingUIController) {
            m_view.m_internals->headMetadataEditingUIController->updateTitleTextField();
            m_view.m_internals->headMetadataEditingUIController->focusTitleTextField();
        }
    }

    // Formatting.
    void togglePendingInlineStyle(const std::u16string& tagName, const VornickDOMPosition& caret) override
    {
        auto& toggled = m_view.m_internals->toggledInlineStyleElementsForTyping;
        auto found = std::find(toggled.begin(), toggled.end(), tagName);
        if (found != toggled.end())
            toggled.erase(found);
        else
            toggled.push_back(tagName);
        m_view.m_internals->toggledInlineStyleElementsCaret = toggled.empty() ? VornickDOMPosition() : caret;
    }
    const std::vector<std::u16string>& pendingInlineStyles() const override { return m_view.m_internals->toggledInlineStyleElementsForTyping; }
    void clearPendingInlineStyles() override { m_view.m_internals->toggledInlineStyleElementsForTyping.clear(); }
    void dropPendingInlineStylesIfCaretMoved() override { Internals::dropToggledInlineStyleElementsIfCaretMoved(m_view); }

    // Typing.
    bool insertingTypedText() const override { return m_view.m_internals->insertingTypedText; }
    void setInsertingTypedText(bool inserting) override { m_view.m_internals->insertingTypedText = inserting; }
    int32_t whitespacePolicy() const override { return m_view.m_internals->whitespacePolicy; }
    void scheduleTextFixupIfNeededForEditedRange(const std::shared_ptr<DOMRange>& range) override
    {
        m_view.m_internals->spelling->scheduleTextFixupIfNeededForEditedRange(range);
    }

    // The paragraph rules and the deletion of the selection.

    void deleteSelection() override { m_view.deleteSelection(); }
    std::u16string placeholderSpaceStringForDocumentContainingRange(const DOMRange& range) const override
    {
        return m_view.placeholderSpaceStringForDocumentContainingRange(range);
    }
    bool automaticallyAddsParagraphs() const override { return m_view.automaticallyAddsParagraphs(); }
    bool shouldAddParagraphWrapperForInsertionInRange(const DOMRange& range) const override
    {
        return Internals::vornick_shouldAddParagraphWrapperForInsertionInRange(m_view, range);
    }
    void autoWrapSelectedRangeEnvironsInParagraphIfAppropriate() override
    {
        Internals::vornick_autoWrapSelectedRangeEnvironsInParagraphIfApprorpriate(m_view);
    }

    // Scrolling.
    void scrollRangeToVisible(const std::shared_ptr<DOMRange>& range) override { m_view.scrollRangeToVisible(range); }

    // The open runs.
    const VornickUndoableTypingRun* activeTypingRun() const override { return m_view.m_internals->activeTypingRun.get(); }
    const VornickUndoableBackspaceRun* activeBackspaceRun() const override { return m_view.m_internals->activeBackspaceRun.get(); }

    // Applying an element or a snippet: the user interface it asks for.
    void showAttributeEditorForElement(const std::shared_ptr<DOMElement>& element, const std::optional<std::u16string>& attribute) override
    {
        m_view.showAttributeEditorForElement(element, attribute);
    }
    void reassessNonBreakingSpaceSubstituteForTextToInsert(const std::u16string& text, const std::shared_ptr<WebFrame>& frame) override
    {
        Internals::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(m_view, text, frame);
    }
    void chooseMediaFileAndReplaceSelection(const std::u16string& tagName) override
    {
        if (tagName == u"IMG")
            Internals::chooseImageAndReplaceSelection(m_view, nullptr);
        else if (tagName == u"FIGURE")
            Internals::chooseImageAndReplaceSelectionWithFigure(m_view, nullptr);
        else if (tagName == u"PICTURE")
            Internals::chooseImageAndReplaceSelectionWithPicture(m_view, nullptr);
        else if (tagName == u"VIDEO")
            Internals::chooseVideoAndReplaceSelectionUsingElementKind(m_view, tagName);
        else if (tagName == u"AUDIO")
            Internals::chooseAudioFileAndReplaceSelectionUsingElementKind(m_view, tagName);
    }
    void beep() override { Sound::beep(); }

private:
    VornickContentEditingView& m_view;
};

VornickEditingContext& VornickContentEditingView::editingContext()
{
    if (!m_internals->editingContext)
        m_internals->editingContext = std::make_unique<EditingContext>(*this);
    return *m_internals->editingContext;
}

} // namespace brevanton
