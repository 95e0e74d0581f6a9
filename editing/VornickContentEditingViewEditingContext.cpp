// The view as the editing context of its commands: each member forwards to
// the view, whose state the commands never see.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableTypingRun.h"
#include "platform/foundation/UndoManager.h"
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

    void contentDidChangeInWebFrame(const std::shared_ptr<WebFrame>& frame) override
    {
        m_view.postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
    }
    void scheduleHTMLUpdateForFocusedWebFrameIfNeeded() override { m_view.scheduleHTMLUpdateForFocusedWebFrameIfNeeded(); }
    void redisplayWebViewOnNextTurn() override
    {
        m_view.performAfterDelay(0, [](VornickContentEditingView& view) {
            if (view.m_webView)
                vornick_setNeedsDisplay(*view.m_webView);
        });
    }
    void endTypingRun() override { m_view.endTypingRun(); }
    void endBackspaceRun() override { m_view.endBackspaceRun(); }
    void addReplacementToTypingRun(const std::shared_ptr<DOMCharacterData>& node, int32_t start, int32_t end, int32_t length) override
    {
        if (m_view.m_activeTypingRun && m_view.m_activeTypingRun->addReplacementInTextNode(*node, start, end, length))
            return;
        m_view.endTypingRun();
        auto run = std::make_shared<VornickUndoableTypingRun>(*this, node, start, end, length);
        m_view.m_activeTypingRun = run;
        run->registerUndo(*this);
        if (auto undo = m_view.undoManager())
            undo->setActionName(u"Typing");
    }
    void addDeletionToBackspaceRun(const std::shared_ptr<DOMCharacterData>& node, int32_t start, int32_t end) override
    {
        if (m_view.m_activeBackspaceRun && m_view.m_activeBackspaceRun->consumeCharactersInTextNode(*node, start, end))
            return;
        m_view.endBackspaceRun();
        auto run = std::make_shared<VornickUndoableBackspaceRun>(*this, node, start, end);
        m_view.m_activeBackspaceRun = run;
        run->registerUndo(*this);
        if (auto undo = m_view.undoManager())
            undo->setActionName(u"Backspacing");
    }
    bool insertingTextOrBackspacing() const override { return m_view.m_insertingTextOrBackspacing; }
    void setInsertingTextOrBackspacing(bool inserting) override { m_view.m_insertingTextOrBackspacing = inserting; }

    VornickBlockModeHelper* blockModeHelper() const override { return m_view.m_blockModeHelper.get(); }
    VornickBlockModeEditingContext* blockModeEditingContext() override { return &m_view; }
    bool sectionHandlesShown() const override { return m_view.m_sectionHandlesShown; }

    bool isEditable() const override { return m_view.isEditable(); }

    // Document settings.
    void noteStyleSheetSetChangeInDocument(const DOMDocument& document) override { m_view.noteStyleSheetSetChangeInDocument(document); }
    void scheduleHTMLUpdateForFocusedWebFrame() override { m_view.scheduleHTMLUpdateForFocusedWebFrame(); }
    void showTitleInHeadPane() override
    {
        if (m_view.m_headMetadataEditingUIController) {
            m_view.m_headMetadataEditingUIController->updateTitleTextField();
            m_view.m_headMetadataEditingUIController->focusTitleTextField();
        }
    }

    // Formatting.
    void togglePendingInlineStyle(const std::u16string& tagName, const VornickDOMPosition& caret) override
    {
        auto& toggled = m_view.m_toggledInlineStyleElementsForTyping;
        auto found = std::find(toggled.begin(), toggled.end(), tagName);
        if (found != toggled.end())
            toggled.erase(found);
        else
            toggled.push_back(tagName);
        m_view.m_toggledInlineStyleElementsCaret = toggled.empty() ? VornickDOMPosition() : caret;
    }
    bool removeApplicationsOfElementKind(bool undoable, const std::u16string& tagName, const std::shared_ptr<DOMRange>& range) override
    {
        return m_view.undoableRemoveApplicationsOfElementKind(undoable, tagName, range);
    }
    bool applyDescribedElement(bool undoable, const VornickHTMLElementSpec& spec, const std::shared_ptr<DOMRange>& range) override
    {
        return m_view.undoableApplyDescribedElement(undoable, spec, range);
    }

    // --- The edits and paragraph rules the list and element structure commands are made of

    bool replaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>& range, const std::shared_ptr<DOMDocumentFragment>& fragment,
                                  const std::optional<std::u16string>& actionNameOverride, std::shared_ptr<DOMRange>* outResultRange) override
    {
        return m_view.undoableReplaceRangeWithFragment(undoable, range, fragment, actionNameOverride, outResultRange);
    }
    std::shared_ptr<DOMDocumentFragment> deleteFragmentInRange(const std::shared_ptr<DOMRange>& range, bool undoable,
                                                               const std::optional<std::u16string>& actionNameOverride,
                                                               bool backspacing) override
    {
        return m_view.deleteFragmentInRange(range, undoable, actionNameOverride, backspacing);
    }
    bool replaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& range, const std::u16string& text, bool addToTypingRun,
                              std::shared_ptr<DOMRange>* outResultRange) override
    {
        return m_view.undoableReplaceRangeWithText(undoable, range, text, addToTypingRun, outResultRange);
    }
    void deleteSelection() override { m_view.deleteSelection(); }
    std::u16string placeholderSpaceStringForDocumentContainingRange(const DOMRange& range) const override
    {
        return m_view.placeholderSpaceStringForDocumentContainingRange(range);
    }
    bool automaticallyAddsParagraphs() const override { return m_view.automaticallyAddsParagraphs(); }
    bool shouldAddParagraphWrapperForInsertionInRange(const DOMRange& range) const override
    {
        return m_view.vornick_shouldAddParagraphWrapperForInsertionInRange(range);
    }
    void autoWrapSelectedRangeEnvironsInParagraphIfAppropriate() override
    {
        m_view.vornick_autoWrapSelectedRangeEnvironsInParagraphIfApprorpriate();
    }

    // The table commands' primitives.
    bool deleteFragment(const std::shared_ptr<DOMRange>& range, bool undoable, const std::optional<std::u16string>& actionName) override
    {
        return m_view.deleteFragment(range, undoable, actionName, false, nullptr);
    }
    void setAttributeValue(bool undoable, const std::shared_ptr<DOMElement>& element, const std::u16string& attribute,
                           const std::u16string& value) override
    {
        (void)m_view.undoableSetValue(undoable, value, attribute, element);
    }
    void scrollRangeToVisible(const std::shared_ptr<DOMRange>& range) override { m_view.scrollRangeToVisible(range); }

    // The open runs.
    const VornickUndoableTypingRun* activeTypingRun() const override { return m_view.m_activeTypingRun.get(); }
    const VornickUndoableBackspaceRun* activeBackspaceRun() const override { return m_view.m_activeBackspaceRun.get(); }

    // Applying an element or a snippet: the user interface it asks for.
    void showAttributeEditorForElement(const std::shared_ptr<DOMElement>& element, const std::optional<std::u16string>& attribute) override
    {
        m_view.showAttributeEditorForElement(element, attribute);
    }
    void reassessNonBreakingSpaceSubstituteForTextToInsert(const std::u16string& text, const std::shared_ptr<WebFrame>& frame) override
    {
        m_view.reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(text, frame);
    }

private:
    VornickContentEditingView& m_view;
};

VornickEditingContext& VornickContentEditingView::editingContext()
{
    if (!m_editingContext)
        m_editingContext = std::make_unique<EditingContext>(*this);
    return *m_editingContext;
}

} // namespace brevanton
