// The web view's editing delegate: typed text is refused and performed by the
// view itself on a later turn, every selection change the web view proposes
// is filtered, and the web view's change notices become the view's own.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickCharacterSets.h"

namespace brevanton {

namespace {

bool liesInPre(const DOMNode& node)
{
    auto isPre = [](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), u"PRE"); };
    if (node.isElementNode() && isPre(downcast<DOMElement>(node)))
        return true;
    return vornick_nearestAncestorElementPassingTest(node, isPre) != nullptr;
}

} // namespace

// --- Insertions

bool VornickContentEditingView::shouldInsertText(WebView&, const std::u16string& text, DOMRange* range, WebViewInsertAction action)
{
    // The range is the one the web view proposed; the insertion itself works
    // on the effective operation range of its own turn.
    auto proposed = range ? range->cloneRange() : nullptr;
    auto weak = weakSelf();
    RunLoop::main().perform([weak, text, proposed, action] {
        if (auto self = weak.lock())
            Internals::deferredInsertProposedText(*self, text, proposed, action);
    });
    return false;
}

bool VornickContentEditingView::doCommandBySelector(WebView&, std::string_view selector)
{
    // Forward Delete deletes as the view's Delete does, in the other direction.
    if (selector == "deleteForward:") {
        deleteForward();
        return true;
    }
    // Caret moves are the web view's (from inside a whole selected table
    // cell, at the side the move goes to); its editing commands edit nothing.
    if (selector.starts_with("moveToBeginningOf") || selector.starts_with("moveToEndOf") || selector.starts_with("page"))
        (void)Internals::collapseSelectedTableCell(*this, selector.starts_with("moveToEnd") || selector.starts_with("pageDown"));
    return false;
}

void VornickContentEditingView::webViewDidChange(WebView&)
{
    auto frame = mainFrame();
    if (frame && !frame->childFrames().empty() && m_internals->focusedWebFrame)
        frame = m_internals->focusedWebFrame;
    postVornickContentEditingViewDidChangeContentInWebFrame(frame, nullptr);
}

// --- Selection

void VornickContentEditingView::Internals::setProbingForDOMRange(VornickContentEditingView& view, bool probing)
{
    view.m_internals->probingForDOMRange = probing;
    if (probing) {
        view.m_internals->probeResultRange.reset();
        view.m_internals->selectedDOMRangeChangedWhileProbingForDOMRange = false;
    }
}

bool VornickContentEditingView::shouldChangeSelectedDOMRange(WebView&, DOMRange*, DOMRange* proposed, WebSelectionAffinity, bool)
{
    m_internals->servicedProposedSelectionChange = true;
    if (m_internals->probingForDOMRange) {
        m_internals->probeResultRange = proposed ? proposed->cloneRange() : nullptr;
        return false;
    }
    // Any other selection change ends a running completion.
    if (m_internals->fragmentCompletionUIController)
        m_internals->fragmentCompletionUIController->cancelCompletionWithSpecialExitString();

    // A caret that the user moves away from between two whitespace
    // characters condenses the run it stood in (the view's own moves while
    // it types or backspaces leave the run alone).
    auto current = effectiveOperationRange();
    bool leaving = current && !m_internals->settingTargetRange && !insertingTextOrBackspacing()
        && !(proposed && vornick_isSameAsRange(*proposed, *current));
    if (leaving && current->collapsed() && current->startNode()->isTextNode() && !liesInPre(*current->startNode())) {
        auto node = current->startContainer();
        const auto& data = downcast<DOMCharacterData>(*node).data();
        unsigned offset = current->startOffset();
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*node);
        auto isSpace = [&](char16_t c) {
            return (substitute && c == substitute) || vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet().contains(c);
        };
        if (offset >= 1 && offset < data.size() && isSpace(data[offset - 1]) && isSpace(data[offset])) {
            auto weak = weakSelf();
            RunLoop::main().perform([weak, node, offset] {
                if (auto self = weak.lock())
                    Internals::condenseWhitespaceAtOffset(*self, static_cast<int32_t>(offset), node);
            });
        }
    }

    if (m_internals->growingSelectionState != 0)
        return m_internals->settingTargetRange;

    // A click or key whose proposal the view services by its own rules.
    if (m_internals->selectionChangingEventBeingHandled && !m_internals->settingTargetRange) {
        Event event = *m_internals->selectionChangingEventBeingHandled;
        bool commandClickCollapsing = proposed && proposed->collapsed() && event.type() == EventType::LeftMouseDown
            && event.hasModifier(ModifierFlag::Command);
        bool overridden = commandClickCollapsing || overrideWebViewProposedSelectionChangeTo(proposed ? proposed->cloneRange() : nullptr,
                                                                                             event);
        Internals::endInterceptingSelectionChangingEvent(*this, event);
        return !overridden;
    }

    // A Command-click that would collapse the selection leaves it alone.
    if (proposed && proposed->collapsed() && m_internals->selectionChangingEventBeingHandled
        && m_internals->selectionChangingEventBeingHandled->type() == EventType::LeftMouseDown
        && m_internals->selectionChangingEventBeingHandled->hasModifier(ModifierFlag::Command))
        return false;

    // In a page with attachment points only their content may be selected.
    if (proposed && m_internals->blockModeHelper) {
        auto document = vornick_ownerDocument(*proposed);
        auto frame = mainFrame() && document ? mainFrame()->frameForDocument(*document) : nullptr;
        if (frame && !vornick_attachmentPoints(*frame).empty()) {
            auto enclosing = vornick_enclosingAttachmentPoint(*proposed);
            auto* attachmentPoint = dynamic_cast<VornickAttachmentPoint*>(enclosing.get());
            if (enclosing && !(attachmentPoint && attachmentPoint->cloaked()))
                return m_internals->blockModeHelper->proposedSelectionRangeIsInEditableContent(*proposed);
            if (isEditable() && m_internals->overlayWindow)
                m_internals->overlayWindow->showAttachmentPointsMask();
            return false;
        }
    }
    return true;
}

void VornickContentEditingView::webViewDidChangeSelection(WebView&)
{
    if (m_internals->probingForDOMRange)
        m_internals->selectedDOMRangeChangedWhileProbingForDOMRange = true;
    if (m_internals->windowIsBecomingKey) {
        if (m_internals->targetRange)
            performAfterDelay(0, [](VornickContentEditingView& view) { view.updateWebViewSelectedDOMRangeForTargetRange(); });
        return;
    }
    if (m_internals->settingTargetRange)
        return;
    if (!insertingTextOrBackspacing()) {
        endTypingRun();
        endBackspaceRun();
        m_internals->toggledInlineStyleElementsForTyping.clear();
    }
    auto selection = m_internals->webView->selectedDOMRange();
    if (!selection)
        return;
    if (!selection->startNode()->isTextNode() && !selection->endNode()->isTextNode()) {
        // Between elements: the view keeps the range as its own, pushed
        // down into text where it can be.
        auto copy = selection->cloneRange();
        vornick_pushRangeEndpointsDownToTextNodes(*copy);
        Internals::setTargetRangeWithoutUpdatingWebViewSelectedDOMRange(*this, copy);
    } else if (m_internals->targetRange) {
        setTargetRange(nullptr);
        return;
    }
    performAfterDelay(0, [](VornickContentEditingView& view) { view.postVornickContentEditingViewDidChangeEffectiveOperationRange(); });
}

} // namespace brevanton
