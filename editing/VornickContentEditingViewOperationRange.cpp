// The range commands act on (the view's own target range, else the web
// view's selection), the drop target, selecting and navigating between
// elements with their sounds and messages, and scrolling a range into view.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickTableExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Popover.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "ui/VornickBezel.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

constexpr unsigned skipWhitespaceAndComments = VornickWaypointSkipWhitespaceOnlyText | VornickWaypointSkipComments;

bool isTextOrCDATA(const DOMNode* node)
{
    return node && (node->nodeType() == DOMNode::TEXT_NODE || node->nodeType() == DOMNode::CDATA_SECTION_NODE);
}

bool hasTag(const DOMNode& node, std::u16string_view tag)
{
    return node.nodeType() == DOMNode::ELEMENT_NODE && equalsIgnoringASCIICase(downcast<DOMElement>(node).tagName(), tag);
}

std::shared_ptr<DOMElement> parentElementOf(const DOMNode& node)
{
    auto parent = node.parentNode();
    if (!parent || parent->nodeType() != DOMNode::ELEMENT_NODE)
        return nullptr;
    return downcast<DOMElement>(parent);
}

std::u16string lowerTagName(const DOMElement& element)
{
    return asciiLowercase(element.tagName());
}

std::shared_ptr<DOMRange> collapsedRange(const std::shared_ptr<DOMNode>& node, unsigned offset)
{
    auto document = node->nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(node) : node->ownerDocument();
    auto range = document->createRange();
    range->setStart(node, offset);
    range->setEnd(node, offset);
    return range;
}

unsigned lengthOf(const DOMNode& node)
{
    if (isTextOrCDATA(&node) || node.nodeType() == DOMNode::COMMENT_NODE)
        return static_cast<unsigned>(downcast<DOMCharacterData>(node).length());
    unsigned count = 0;
    for (DOMNode* child = node.first(); child; child = child->next())
        ++count;
    return count;
}

// No element and no text but whitespace.
bool holdsOnlyHTMLWhitespace(const DOMElement& element, char16_t substitute)
{
    for (DOMNode* child = element.first(); child; child = child->next()) {
        if (child->nodeType() == DOMNode::ELEMENT_NODE)
            return false;
        if (isTextOrCDATA(child)
            && !vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(downcast<DOMCharacterData>(child)->data(),
                                                                                       substitute))
            return false;
    }
    return true;
}

} // namespace

// --- Operation ranges

std::shared_ptr<DOMRange> VornickContentEditingView::effectiveOperationRange() const
{
    if (m_internals->targetRange)
        return m_internals->targetRange;
    if (!m_internals->webView)
        return nullptr;
    if (auto selection = m_internals->webView->selectedDOMRange())
        return selection;
    return m_internals->webView->vornick_stashedSelectedDOMRange();
}

std::shared_ptr<DOMRange> VornickContentEditingView::effectiveOperationRangeForWrapOrReplace() const
{
    auto range = effectiveOperationRange();
    if (!range || range->collapsed())
        return nullptr;
    if (range->startContainer() == range->endContainer())
        return range;
    auto limit = vornick_enclosingAttachmentPointElement(*range);
    if (!limit)
        return nullptr;
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*range->startContainer());
    auto raised = vornick_rangeByRaisingToCommonContainerWithin(*range, *limit, true, substitute);
    if (!raised)
        return nullptr;
    if (m_internals->blockModeHelper)
        m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*raised);
    return raised;
}

std::optional<VornickFreezeDriedDOMRange> VornickContentEditingView::Internals::freezeDriedBodyRelativeEffectiveOperationRangeForMainFrame(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    auto document = view.mainFrameDocument();
    if (!range || !document || vornick_ownerDocument(*range) != document)
        return std::nullopt;
    auto body = document->body();
    if (!body)
        return std::nullopt;
    return vornick_freezeDriedRangeRelativeToAncestor(*range, body, true);
}

void VornickContentEditingView::setTargetRange(const std::shared_ptr<DOMRange>& range)
{
    m_internals->settingTargetRange = true;
    bool same = (!range && !m_internals->targetRange) || (range && m_internals->targetRange && vornick_isSameAsRange(*range,
            *m_internals->targetRange));
    if (!same) {
        if (m_internals->targetRange)
            m_internals->targetRange->detach();
        m_internals->targetRange = range ? range->cloneRange() : nullptr;
        Internals::clearToggledInlineStyleElementsForCaretMove(*this);
    }
    updateWebViewSelectedDOMRangeForTargetRange();
    postVornickContentEditingViewDidChangeEffectiveOperationRange();
    m_internals->settingTargetRange = false;
}

void VornickContentEditingView::Internals::setTargetRangeWithoutUpdatingWebViewSelectedDOMRange(VornickContentEditingView& view,
                                                                                                const std::shared_ptr<DOMRange>& range)
{
    view.m_internals->settingTargetRange = true;
    bool same = (!range && !view.m_internals->targetRange) || (range && view.m_internals->targetRange && vornick_isSameAsRange(*range,
            *view.m_internals->targetRange));
    if (!same) {
        if (view.m_internals->targetRange)
            view.m_internals->targetRange->detach();
        view.m_internals->targetRange = range ? range->cloneRange() : nullptr;
        Internals::clearToggledInlineStyleElementsForCaretMove(view);
    }
    view.postVornickContentEditingViewDidChangeEffectiveOperationRange();
    view.m_internals->settingTargetRange = false;
}

void VornickContentEditingView::updateWebViewSelectedDOMRangeForTargetRange()
{
    if (!m_internals->targetRange || !m_internals->webView)
        return;
    bool wasSetting = m_internals->settingTargetRange;
    m_internals->settingTargetRange = true;
    // The web view shows character-level selections only; the overlay draws
    // a range between elements.
    m_internals->webView->setSelectedDOMRange(vornick_eitherEndpointIsCharacterLevel(*m_internals->targetRange) ? m_internals->targetRange : nullptr,
                                   WebSelectionAffinityDownstream);
    m_internals->settingTargetRange = wasSetting;
}

void VornickContentEditingView::Internals::updateSelectionIndicator(VornickContentEditingView& view)
{
    if (view.m_internals->webView)
        view.m_internals->webView->setNeedsDisplay(true);
}

void VornickContentEditingView::setDropTargetRange(const std::shared_ptr<DOMRange>& range, VornickHitPartKind kind, Point viewPoint)
{
    bool same = (!range && !m_internals->dropTargetRange) || (range && m_internals->dropTargetRange && vornick_isSameAsRange(*range,
            *m_internals->dropTargetRange));
    if (same)
        return;
    if (m_internals->dropTargetRange)
        m_internals->dropTargetRange->detach();
    m_internals->dropTargetRange = range ? range->cloneRange() : nullptr;
    m_internals->droppingReplacementImage = false;
    m_internals->droppingReplacementMovie = false;
    if (kind == VornickHitPartKind::Content && range) {
        if (auto node = vornick_exactlySelectedNode(*range); node && node->nodeType() == DOMNode::ELEMENT_NODE) {
            auto tag = asciiUppercase(downcast<DOMElement>(*node).tagName());
            if (tag == u"IMG" && !m_internals->imageFileURLsForDrop.empty())
                m_internals->droppingReplacementImage = true;
            else if (tag == u"VIDEO" && !m_internals->movieFileURLsForDrop.empty())
                m_internals->droppingReplacementMovie = true;
        }
    }
    if (kind == VornickHitPartKind::Waypoint || m_internals->droppingReplacementImage || m_internals->droppingReplacementMovie) {
        m_internals->webView->removeDragCaret();
    } else {
        m_internals->webView->moveDragCaretToPoint(m_internals->webView->convertPointFromView(viewPoint, this));
    }
    if (m_internals->overlayWindow)
        m_internals->overlayWindow->setDropTargetRange(m_internals->dropTargetRange);
    Internals::updateSelectionIndicator(*this);
}

// --- Selecting

std::shared_ptr<DOMRange> VornickContentEditingView::Internals::collapsedRangePushedIntoText(const VornickContentEditingView&,
                                                                                             const DOMRange& range, bool toStart)
{
    auto copy = range.cloneRange();
    copy->collapse(toStart);
    vornick_pushRangeEndpointsDownToTextNodes(*copy);
    return copy;
}

void VornickContentEditingView::selectAll()
{
    endTypingRun();
    auto range = effectiveOperationRange();
    std::shared_ptr<DOMElement> element;
    if (range)
        element = vornick_enclosingAttachmentPointElement(*range);
    else if (auto document = mainFrameDocument())
        element = Internals::mainFrameAttachmentPointElement(*this);
    if (!element)
        return;
    std::shared_ptr<DOMRange> selection;
    if (holdsOnlyHTMLWhitespace(*element, vornick_nonBreakingSpaceSubstituteCharacter(*element))) {
        selection = collapsedRange(element, 0);
        if (!m_internals->sectionHandlesShown)
            vornick_pushRangeEndpointsDownToTextNodes(*selection);
    } else {
        selection = vornick_innerRange(element);
    }
    setTargetRange(selection);
}

void VornickContentEditingView::Internals::selectNone(VornickContentEditingView& view)
{
    view.endTypingRun();
    auto range = view.effectiveOperationRange();
    if (!range || range->collapsed())
        return;
    auto caret = Internals::collapsedRangePushedIntoText(view, *range, true);
    view.setTargetRange(caret);
    view.scrollRangeToVisible(view.m_internals->targetRange);
}

void VornickContentEditingView::growSelectionToEnclosingNode()
{
    endTypingRun();
    auto range = effectiveOperationRange();
    if (!range)
        return;
    auto limit = vornick_enclosingAttachmentPointElement(*range);
    auto grown = range->cloneRange();
    if (limit && vornick_expandOneLevelButNotBeyond(*grown, limit.get()) && vornick_isContainedByElement(*grown, *limit)) {
        if (auto node = vornick_exactlySelectedNode(*grown); node && node->nodeType() == DOMNode::ELEMENT_NODE)
            Internals::showExitIndicationForElement(*this, downcast<DOMElement>(*node));
        setTargetRange(grown);
        scrollRangeToVisible(m_internals->targetRange);
        return;
    }
    selectAll();
}

void VornickContentEditingView::Internals::showNavigationMessage(VornickContentEditingView& view, const std::u16string& message)
{
    VornickBezel::sharedContentEditingViewBezel()->showMessage(message, view);
}

void VornickContentEditingView::Internals::selectNextSiblingNode(VornickContentEditingView& view)
{
    view.endTypingRun();
    auto range = view.effectiveOperationRange();
    if (!range)
        return;
    auto position = vornick_endPosition(*range);
    if (!position.node)
        return;
    auto atEnd = [&view](const DOMNode& node) {
        if (auto parent = node.nodeType() == DOMNode::ELEMENT_NODE ? downcast<DOMElement>(
                              std::const_pointer_cast<DOMNode>(node.shared_from_this()))
                                                                   : parentElementOf(node))
            Internals::showNavigationMessage(view, toUTF16(fmt::format("At end of <{}>", toUTF8(lowerTagName(*parent)))));
    };
    if (position.node->nodeType() == DOMNode::ELEMENT_NODE) {
        VornickPushPositionInElementForwardWithOptions(position, skipWhitespaceAndComments);
        auto next = VornickNodeAfterPositionInElementOrFragment(position);
        if (!next) {
            atEnd(*position.node);
            return;
        }
        view.setTargetRange(vornick_outerRange(*next));
        view.scrollRangeToVisible(view.m_internals->targetRange);
    } else if (isTextOrCDATA(position.node.get())) {
        auto next = vornick_nextSiblingSkippingWhitespaceOnlyNodes(*position.node);
        if (!next) {
            if (auto parent = parentElementOf(*position.node))
                atEnd(*parent);
            return;
        }
        view.setTargetRange(vornick_outerRange(*next));
        view.scrollRangeToVisible(view.m_internals->targetRange);
    } else if (auto parent = parentElementOf(*position.node)) {
        atEnd(*parent);
    }
}

void VornickContentEditingView::selectPreviousSiblingNode()
{
    endTypingRun();
    auto range = effectiveOperationRange();
    if (!range)
        return;
    auto position = vornick_startPosition(*range);
    if (!position.node)
        return;
    auto atStart = [this](const DOMElement& element) {
        Internals::showNavigationMessage(*this, toUTF16(fmt::format("At start of <{}>", toUTF8(lowerTagName(element)))));
    };
    if (position.node->nodeType() == DOMNode::ELEMENT_NODE) {
        VornickPullPositionInElementBackwardWithOptions(position, skipWhitespaceAndComments);
        auto previous = VornickNodeBeforePositionInElementOrFragment(position);
        if (!previous) {
            atStart(downcast<DOMElement>(*position.node));
            return;
        }
        setTargetRange(vornick_outerRange(*previous));
        scrollRangeToVisible(m_internals->targetRange);
    } else if (isTextOrCDATA(position.node.get())) {
        auto previous = vornick_previousSiblingSkippingWhitespaceOnlyNodes(*position.node, true, true);
        if (!previous) {
            if (auto parent = parentElementOf(*position.node))
                atStart(*parent);
            return;
        }
        setTargetRange(vornick_outerRange(*previous));
        scrollRangeToVisible(m_internals->targetRange);
    } else if (auto parent = parentElementOf(*position.node)) {
        atStart(*parent);
    }
}

void VornickContentEditingView::Internals::selectFirstChildNode(VornickContentEditingView& view)
{
    view.endTypingRun();
    auto range = view.effectiveOperationRange();
    if (!range || !view.m_internals->blockModeHelper)
        return;
    auto selection = view.m_internals->blockModeHelper->exactSelectionFromRange(*range, false);
    if (!selection || !selection->element())
        return;
    auto element = selection->element();
    if (!element->firstChild()) {
        Internals::showNavigationMessage(view, u"No child nodes");
        return;
    }
    auto position = VornickMakeDOMPosition(element, 0);
    VornickPushPositionInElementForwardWithOptions(position, skipWhitespaceAndComments);
    auto child = position.node == element ? VornickNodeAfterPositionInElementOrFragment(position) : nullptr;
    if (!child) {
        Internals::showNavigationMessage(view, u"No child nodes (except whitespace)");
        return;
    }
    view.setTargetRange(vornick_outerRange(*child));
    view.scrollRangeToVisible(view.m_internals->targetRange);
    Internals::showEnterIndicationForElement(view, *element);
}

// --- Entering and leaving elements

bool VornickContentEditingView::Internals::enterNode(VornickContentEditingView& view, const std::shared_ptr<DOMNode>& node, int direction)
{
    if (!node)
        return false;
    std::shared_ptr<DOMRange> caret;
    if (isTextOrCDATA(node.get())) {
        caret = collapsedRange(node, direction < 0 ? lengthOf(*node) : 0);
    } else if (node->nodeType() == DOMNode::ELEMENT_NODE) {
        if (!node->firstChild())
            return false;
        if (direction < 0) {
            auto last = node->lastChild();
            caret = isTextOrCDATA(last.get()) ? collapsedRange(last, lengthOf(*last)) : collapsedRange(node, lengthOf(*node));
        } else {
            auto first = node->firstChild();
            caret = isTextOrCDATA(first.get()) ? collapsedRange(first, 0) : collapsedRange(node, 0);
        }
    } else {
        return false;
    }
    // A text node's indication names the element it is in.
    if (node->nodeType() == DOMNode::ELEMENT_NODE)
        Internals::showEnterIndicationForElement(view, downcast<DOMElement>(*node));
    else if (auto parent = parentElementOf(*node))
        Internals::showEnterIndicationForElement(view, *parent);
    view.setTargetRange(caret);
    return true;
}

void VornickContentEditingView::Internals::exitNode(VornickContentEditingView& view, const std::shared_ptr<DOMNode>& node, int direction)
{
    if (!node || node->nodeType() != DOMNode::ELEMENT_NODE)
        return;
    auto& element = downcast<DOMElement>(*node);
    if (vornick_isAttachmentPoint(element))
        return;
    bool backward = direction < 0;
    bool isCell = hasTag(element, u"TD") || hasTag(element, u"TH");
    if (isCell || hasTag(element, u"CAPTION")) {
        if (isCell) {
            auto cell = backward ? vornick_previousTableCellAllowingWrapToPreviousRow(element, true)
                                 : vornick_nextTableCellAllowingWrapToNextRow(element, true);
            if (cell) {
                view.setTargetRange(vornick_outerRange(*cell));
                return;
            }
        }
        auto table = vornick_enclosingTable(element);
        if (!table || !hasTag(*table, u"TABLE"))
            return;
        std::shared_ptr<DOMElement> caption;
        for (auto child = table->firstChild(); child; child = child->nextSibling()) {
            if (hasTag(*child, u"CAPTION")) {
                caption = downcast<DOMElement>(child);
                break;
            }
        }
        if (isCell && caption) {
            auto contents = vornick_innerRange(caption);
            vornick_pushRangeEndpointsDownToTextNodes(*contents);
            view.setTargetRange(contents);
            return;
        }
        auto row = backward ? vornick_lastTableRow(*table) : vornick_firstTableRow(*table);
        auto cell = row ? (backward ? vornick_lastTableRowCell(*row) : vornick_firstTableRowCell(*row)) : nullptr;
        if (cell)
            view.setTargetRange(vornick_outerRange(*cell));
        return;
    }

    auto parent = node->parentNode();
    if (!parent)
        return;
    std::shared_ptr<DOMRange> caret;
    if (backward) {
        auto previous = node->previousSibling();
        caret = isTextOrCDATA(previous.get()) ? collapsedRange(previous, lengthOf(*previous))
                                              : collapsedRange(parent, static_cast<unsigned>(node->index()));
    } else {
        auto next = node->nextSibling();
        caret = isTextOrCDATA(next.get()) ? collapsedRange(next, 0) : collapsedRange(parent, static_cast<unsigned>(node->index()) + 1);
    }
    if (!view.m_internals->sectionHandlesShown && !VornickPositionIsInATextNode(vornick_startPosition(*caret)))
        return;
    Internals::showExitIndicationForElement(view, element);
    view.setTargetRange(caret);
}

void VornickContentEditingView::Internals::showEnterIndicationForElement(VornickContentEditingView& view, const DOMElement& element)
{
    if (UserDefaults::standard().boolForKey(u"PlayEnterAndExitElementSounds")) {
        if (auto sound = Sound::soundNamed(u"EnterElement"))
            sound->play();
    }
    auto tag = vornick_openTagHTML(element, VornickTagHTMLLowercase | VornickTagHTMLDoubleQuotes | VornickTagHTMLOmitVornickClasses
                                               | VornickTagHTMLOnlyClassAndId);
    Internals::showNavigationMessage(view, u"Enter " + tag);
}

void VornickContentEditingView::Internals::showExitIndicationForElement(VornickContentEditingView& view, const DOMElement& element)
{
    if (UserDefaults::standard().boolForKey(u"PlayEnterAndExitElementSounds")) {
        if (auto sound = Sound::soundNamed(u"ExitElement"))
            sound->play();
    }
    auto tag = vornick_openTagHTML(element, VornickTagHTMLLowercase | VornickTagHTMLDoubleQuotes | VornickTagHTMLOmitVornickClasses
                                               | VornickTagHTMLOnlyClassAndId);
    Internals::showNavigationMessage(view, u"Exit " + tag);
}

// --- Scrolling

void VornickContentEditingView::scrollRangeToVisible(const std::shared_ptr<DOMRange>& range)
{
    if (range && m_internals->webView)
        m_internals->webView->vornick_scrollRangeToVisible(*range);
}

void VornickContentEditingView::scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>& range)
{
    if (range && m_internals->webView)
        m_internals->webView->vornick_scrollRangeToVerticallyCentered(*range);
}

Rect VornickContentEditingView::vornick_bestGuessBoundsOfRange(const DOMRange& range) const
{
    if (!m_internals->webView)
        return Rect();
    Rect inWebView = m_internals->webView->vornick_bestGuessBoundsOfRange(range);
    return convertRectFromView(inWebView, m_internals->webView.get());
}

Rect VornickContentEditingView::vornick_bestGuessBoundsOfSiblings(const DOMNode& first, const DOMNode& last) const
{
    if (!m_internals->webView)
        return Rect();
    return convertRectFromView(m_internals->webView->vornick_bestGuessBoundsOfSiblings(first, last), m_internals->webView.get());
}

void VornickContentEditingView::embeddedWebViewScrolled()
{
    if (m_internals->elementEditorUIController && m_internals->elementEditorUIController->popover()->isShown())
        m_internals->elementEditorUIController->repositionToTrackTargetElement();
    if (m_internals->overlayWindow && m_internals->webView)
        m_internals->overlayWindow->trackScrollOfEmbeddedWebView(*m_internals->webView);
    Internals::updateContentEditingCursor(*this);
    Internals::updateSelectionIndicator(*this);
    if (m_internals->sourceLoupe && m_internals->sourceLoupe->activeContentEditingView() == this && m_internals->sourceLoupe->isShown())
        m_internals->sourceLoupe->updateForScroll(*this);
}

} // namespace brevanton
