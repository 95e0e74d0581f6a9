// The view's head and style sheets: the head elements controller and the host
// it works through, the view's operations that forward to it, and the note to
// the delegate that the focused document's style sheets changed.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickHeadElementsController.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

std::unique_ptr<VornickHeadElementsController> VornickContentEditingView::Internals::makeHeadElementsController(
    VornickContentEditingView& view)
{
    class Host final : public VornickHeadElementsController::Host {
    public:
        explicit Host(VornickContentEditingView& view)
            : m_view(view)
        {
        }
        VornickEditingContext& editingContext() override { return m_view.editingContext(); }
        bool allowsHeadDisplayAndEditing() const override { return of(m_view).allowsHeadDisplayAndEditing; }
        bool headElementsShown() const override { return Internals::headElementsShown(m_view); }
        void setHeadElementsShown(bool shown) override { Internals::setHeadElementsShown(m_view, shown); }
        bool titleTextFieldHasFocus() const override
        {
            auto& pane = of(m_view).headMetadataEditingUIController;
            return !pane || pane->titleTextFieldHasFocus();
        }
        void focusTitleTextField() override
        {
            if (auto& pane = of(m_view).headMetadataEditingUIController)
                pane->focusTitleTextField();
        }
        std::shared_ptr<Responder> menuTarget() override { return m_view.shared_from_this(); }
        std::shared_ptr<Window> window() const override { return m_view.window(); }
        bool replaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& range, const std::u16string& text) override
        {
            return m_view.undoableReplaceRangeWithText(undoable, range, text, false);
        }
        bool replaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>& range,
                                      const std::shared_ptr<DOMDocumentFragment>& fragment, std::shared_ptr<DOMRange>* outResultRange) override
        {
            return m_view.undoableReplaceRangeWithFragment(undoable, range, fragment, std::nullopt, outResultRange);
        }
        void updateEffectiveOperationRangeIndicator() override
        {
            if (auto& overlay = of(m_view).overlayWindow)
                overlay->updateEffectiveOperationRangeIndicator();
        }

    private:
        VornickContentEditingView& m_view;
    };
    return std::make_unique<VornickHeadElementsController>(std::make_unique<Host>(view));
}

void VornickContentEditingView::Internals::installHeadElementActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("toggleHeadElementsShown:",
                              [](VornickContentEditingView& view, ActionSender*) { of(view).headElements->toggleHeadElementsShown(); });
    view.installActionHandler("addNewHeadElement:",
                              [](VornickContentEditingView& view, ActionSender* sender) { of(view).headElements->addNewHeadElement(sender); });
    view.installActionHandler("addNewStylesheetLinkHeadElement:",
                              [](VornickContentEditingView& view, ActionSender*) { of(view).headElements->addNewStylesheetLinkHeadElement(); });
}

const std::shared_ptr<Menu>& VornickContentEditingView::addHeadElementMenu()
{
    return m_internals->headElements->addHeadElementMenu();
}

void VornickContentEditingView::undoableDeleteHeadElementAtIndex(bool undoable, unsigned index,
                                                                 const std::shared_ptr<DOMDocument>& document)
{
    m_internals->headElements->deleteHeadElementAtIndex(undoable, index, document);
}

bool VornickContentEditingView::undoableInsertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                                                     const std::vector<VornickElementAttributeValue>& attributeValues,
                                                                     const std::vector<std::shared_ptr<DOMNode>>& childNodes,
                                                                     unsigned index, const std::shared_ptr<DOMDocument>& document)
{
    return m_internals->headElements->insertHeadElementWithTagName(undoable, tagName, attributeValues, childNodes, index, document);
}

bool VornickContentEditingView::undoableSetFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>& fragmentSet,
                                                       const std::shared_ptr<WebFrame>& frame)
{
    return m_internals->headElements->setFragmentSet(undoable, fragmentSet, frame);
}

bool VornickContentEditingView::undoableAddNewStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>& styleSheet,
                                                         bool asAlternate, bool embedCopy, const std::shared_ptr<DOMDocument>& document)
{
    return m_internals->headElements->addNewStylesheet(undoable, styleSheet, asAlternate, embedCopy, document);
}

bool VornickContentEditingView::undoableAddNewStylesheetWithURL(bool undoable, const URL& stylesheetURL,
                                                                const std::optional<std::u16string>& bundledStyleSheetName,
                                                                bool asAlternate, bool embedCopy,
                                                                const std::shared_ptr<DOMDocument>& document)
{
    return m_internals->headElements->addNewStylesheetWithURL(undoable, stylesheetURL, bundledStyleSheetName, asAlternate, embedCopy,
                                                              document);
}

bool VornickContentEditingView::undoableSetPrimaryStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>& styleSheet,
                                                             bool embedCopy, const std::shared_ptr<WebFrame>& webFrame)
{
    return m_internals->headElements->setPrimaryStylesheet(undoable, styleSheet, embedCopy, webFrame);
}

void VornickContentEditingView::noteStyleSheetSetChangeInDocument(const DOMDocument& document)
{
    auto focusedDocument = m_internals->focusedWebFrame ? m_internals->focusedWebFrame->domDocument() : nullptr;
    if (m_internals->delegate && focusedDocument.get() == &document)
        m_internals->delegate->vornickContentEditingViewDidChangeStyleSheetSetInFocusedWebFrame(*this);
}

} // namespace brevanton
