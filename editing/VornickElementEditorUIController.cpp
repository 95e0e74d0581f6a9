#include "editing/VornickElementEditorUIController.h"

#include "editing/VornickContentEditingView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/Popover.h"
#include "platform/views/View.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickElementEditorUIController::VornickElementEditorUIController()
    : m_view(std::make_shared<View>(Rect(0, 0, 360, 240)))
    , m_popover(std::make_shared<Popover>())
{
    m_popover->setContentView(m_view);
}

VornickElementEditorUIController::~VornickElementEditorUIController() = default;

void VornickElementEditorUIController::showForTargetObject(const VornickExactSelection& target,
                                                           const std::optional<std::u16string>& focusAttribute,
                                                           VornickContentEditingView& view)
{
    if (m_targetObject && !(*m_targetObject == target))
        acceptPendingEdits();
    m_pendingEdits.clear();
    m_targetObject = target;
    m_focusedAttribute = focusAttribute;
    m_contentEditingView = &view;
    loadTargetObject();
    repositionToTrackTargetElement();
    view.elementEditorDidShowWindow();
}

void VornickElementEditorUIController::repositionToTrackTargetElement()
{
    if (!m_contentEditingView || !m_targetObject || !m_targetObject->element())
        return;
    auto& webView = m_contentEditingView->embeddedWebView();
    if (!webView)
        return;
    auto range = m_targetObject->outerRange();
    Rect bounds = range ? m_contentEditingView->vornick_bestGuessBoundsOfRange(*range) : Rect();
    m_popover->showRelativeToRect(bounds, std::static_pointer_cast<View>(m_contentEditingView->shared_from_this()), RectEdge::MaxY);
}

void VornickElementEditorUIController::closePopover()
{
    if (!m_popover->isShown() || m_heldOpen)
        return;
    acceptPendingEdits();
    m_popover->performClose();
    if (m_contentEditingView)
        m_contentEditingView->elementEditorDidHideWindow();
}

void VornickElementEditorUIController::detachFromContentEditingView()
{
    m_pendingEdits.clear();
    if (m_popover->isShown())
        m_popover->performClose();
    m_contentEditingView = nullptr;
    m_targetObject.reset();
}

void VornickElementEditorUIController::acceptPendingEdits()
{
    if (!m_targetObject || !m_targetObject->element() || m_pendingEdits.empty())
        return;
    auto element = m_targetObject->element();
    for (const auto& [name, value] : m_pendingEdits)
        element->setAttribute(name, value);
    m_pendingEdits.clear();
    if (!m_contentEditingView)
        return;
    auto document = element->ownerDocument();
    auto mainFrame = m_contentEditingView->mainFrame();
    auto frame = document && mainFrame ? mainFrame->frameForDocument(*document) : nullptr;
    m_contentEditingView->postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
}

} // namespace brevanton
