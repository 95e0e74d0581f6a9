// Selection interception, mouse handling and the cursor. Clicks reach the
// view through its window's send-event hook before the web view sees them:
// a click on an element selects the element or its block, a section handle
// selects its brick, a waypoint places the caret between bricks, and a
// shift-click extends from a remembered anchor. Ordinary clicks in text and
// arrow keys are left to the web view, whose proposal the selection filter
// hands back here to be overridden where the document's structure calls for
// another place. The view also starts drags of its selected content and
// sets the cursor itself.
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "platform/views/Menu.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/views/Cursor.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/web/WebArchive.h"
#include "toolkit/VornickCharacterSets.h"

#include <cmath>
#include <set>

namespace brevanton {

namespace {

constexpr unsigned clickHitTestOptions = VornickRangeForPointHitTestWaypoints | VornickRangeForPointHitTestSectionHandles
    | VornickRangeForPointWithinAttachmentPoints | VornickRangeForPointProbeWithClick;

const std::set<std::u16string>& paragraphLikeKinds()
{
    static const std::set<std::u16string> kinds { u"P", u"LI", u"BLOCKQUOTE", u"CAPTION", u"FIGCAPTION", u"H1",
                                                  u"H2", u"H3", u"H4", u"H5", u"H6" };
    return kinds;
}

bool isElementWithChildren(const std::shared_ptr<DOMNode>& node)
{
    return node && node->isElementNode() && node->hasChildNodes();
}

std::shared_ptr<DOMElement> nearestBrick(const DOMNode& node)
{
    if (node.isElementNode() && vornick_isBrickElement(downcast<DOMElement>(node)))
        return downcast<DOMElement>(const_cast<DOMNode&>(node).shared_from_this());
    return vornick_nearestAncestorElementPassingTest(node, [](const DOMElement& element) { return vornick_isBrickElement(element); });
}

std::shared_ptr<DOMElement> nearestLabel(const DOMNode& node)
{
    auto isLabel = [](const DOMElement& element) { return equalsIgnoringASCIICase(element.tagName(), u"label"); };
    if (node.isElementNode() && isLabel(downcast<DOMElement>(node)))
        return downcast<DOMElement>(const_cast<DOMNode&>(node).shared_from_this());
    return vornick_nearestAncestorElementPassingTest(node, isLabel);
}

bool sameEvent(const Event& a, const Event& b)
{
    return a.type() == b.type() && a.timestamp() == b.timestamp() && a.locationInWindow() == b.locationInWindow()
        && a.modifierFlags() == b.modifierFlags();
}

// The view as the source of a drag of its own content.
class ContentDraggingSource : public DraggingSource {
public:
    explicit ContentDraggingSource(std::weak_ptr<VornickContentEditingView> view) : m_view(std::move(view)) {}
    DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext context) override
    {
        if (context == DraggingContext::WithinApplication)
            return DragOperations::Copy | DragOperations::Move | DragOperations::Generic;
        return DragOperations::Copy;
    }
    void draggingSessionEndedAtPoint(DraggingSession&, Point screenPoint, DragOperation operation) override
    {
        auto view = m_view.lock();
        if (!view)
            return;
        bool inView = false;
        if (view->window())
            inView = view->convertRectToScreen(view->bounds()).containsPoint(screenPoint);
        view->concludeDragOfOwnContent(operation, inView);
    }

private:
    std::weak_ptr<VornickContentEditingView> m_view;
};

} // namespace

// --- Interception

void VornickContentEditingView::Internals::beginInterceptingSelectionChangingEvent(VornickContentEditingView& view, const Event& event)
{
    if (view.m_internals->selectionChangingEventBeingHandled && sameEvent(*view.m_internals->selectionChangingEventBeingHandled, event))
        return;
    view.m_internals->selectionChangingEventBeingHandled = event;
}

void VornickContentEditingView::Internals::endInterceptingSelectionChangingEvent(VornickContentEditingView& view, const Event& event)
{
    if (!view.m_internals->selectionChangingEventBeingHandled)
        return;
    BREVANTON_ASSERT(sameEvent(*view.m_internals->selectionChangingEventBeingHandled, event), "endInterceptingSelectionChangingEvent: invoked with different event");
    view.m_internals->selectionChangingEventBeingHandled.reset();
}

bool VornickContentEditingView::Internals::letWebViewProposeSelectionChangeForKeyEvent(VornickContentEditingView& view, const Event& event, bool* handled)
{
    view.m_internals->servicedProposedSelectionChange = false;
    Internals::beginInterceptingSelectionChangingEvent(view, event);
    bool taken = view.View::performKeyEquivalent(event);
    Internals::endInterceptingSelectionChangingEvent(view, event);
    if (handled)
        *handled = taken;
    return view.m_internals->servicedProposedSelectionChange;
}

bool VornickContentEditingView::overrideWebViewProposedSelectionChangeTo(const std::shared_ptr<DOMRange>& proposed, const Event& event)
{
    switch (event.type()) {
    case EventType::LeftMouseDown:
    case EventType::RightMouseDown:
        return overrideWebViewProposedSelectionChangeToForInterceptedMouseDownEvent(proposed, event);
    case EventType::KeyDown:
        return overrideWebViewProposedSelectionChangeToForInterceptedKeyDownEvent(proposed, event);
    default:
        return false;
    }
}

void VornickContentEditingView::embeddedWebViewWillSetSelectedDOMRange(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity)
{
    if (!range || range == m_internals->targetRange || m_internals->settingTargetRange || !m_internals->targetRange)
        return;
    m_internals->targetRange->detach();
    m_internals->targetRange.reset();
}

bool VornickContentEditingView::overrideWebViewProposedSelectionChangeToForInterceptedKeyDownEvent(const std::shared_ptr<DOMRange>& proposed,
                                                                                                   const Event& event)
{
    if (!proposed)
        return false;
    auto current = effectiveOperationRange();
    bool attachmentPoints = hasAttachmentPoints();
    auto defaultRule = [&] { return attachmentPoints && !vornick_enclosingAttachmentPointElement(*proposed); };
    if (event.characters().size() != 1 || !current)
        return defaultRule();
    auto inEditableContent = [&] { return !m_internals->blockModeHelper || m_internals->blockModeHelper->proposedSelectionRangeIsInEditableContent(*proposed); };
    auto differentAttachmentPoints = [&] {
        return attachmentPoints && vornick_enclosingAttachmentPointElement(*current) != vornick_enclosingAttachmentPointElement(*proposed);
    };

    char16_t key = event.characters()[0];
    if (key == FunctionKey::UpArrow || key == FunctionKey::DownArrow) {
        if (!inEditableContent())
            return true;
        auto currentBrick = nearestBrick(*current->endContainer());
        auto proposedBrick = nearestBrick(*proposed->startContainer());
        if (currentBrick == proposedBrick)
            return false;
        if (differentAttachmentPoints())
            return true;
        if (!m_internals->sectionHandlesShown || !currentBrick || !currentBrick->parentNode())
            return defaultRule();
        auto caret = proposed->cloneRange();
        unsigned index = currentBrick->index() + (key == FunctionKey::DownArrow ? 1 : 0);
        caret->setStart(currentBrick->parentNode(), index);
        caret->collapse(true);
        setTargetRange(caret);
        return true;
    }
    if (key == FunctionKey::LeftArrow) {
        if (differentAttachmentPoints())
            return true;
        if (current->collapsed() && current->startNode()->isTextNode()) {
            auto node = current->startContainer();
            if (current->startOffset() == 1) {
                auto caret = current->cloneRange();
                caret->setStart(node, 0);
                caret->collapse(true);
                setTargetRange(caret);
                return true;
            }
            if (current->startOffset() == 0 && m_internals->sectionHandlesShown) {
                auto previous = node->previousSibling();
                if (isElementWithChildren(previous)) {
                    Internals::enterNode(*this, previous, -1);
                    return true;
                }
                if (!previous && node->parentElement()) {
                    Internals::exitNode(*this, node->parentElement(), -1);
                    return true;
                }
            }
        }
        return inEditableContent() ? defaultRule() : true;
    }
    if (key == FunctionKey::RightArrow) {
        if (differentAttachmentPoints())
            return true;
        if (current->collapsed() && m_internals->sectionHandlesShown && current->startNode()->isTextNode()
            && current->startOffset() == current->startNode()->length()) {
            auto node = current->startContainer();
            auto next = node->nextSibling();
            if (isElementWithChildren(next)) {
                Internals::enterNode(*this, next, 1);
                return true;
            }
            if (!next && node->parentElement()) {
                Internals::exitNode(*this, node->parentElement(), 1);
                return true;
            }
        }
        return inEditableContent() ? defaultRule() : true;
    }
    return defaultRule();
}

bool VornickContentEditingView::overrideWebViewProposedSelectionChangeToForInterceptedMouseDownEvent(
    const std::shared_ptr<DOMRange>& proposed, const Event& event)
{
    if (!proposed)
        return false;
    int clickCount = event.clickCount();
    if (proposed->collapsed()) {
        auto startNode = proposed->startContainer();
        // An empty block's interior is selected whole.
        if (vornick_enclosingAttachmentPointElement(*proposed)) {
            std::shared_ptr<DOMElement> element = startNode->isElementNode() ? downcast<DOMElement>(startNode)
                                                                               : startNode->parentElement();
            if (element && vornick_hasClass(*element, u"brevanton-empty-block-interior")) {
                setTargetRangeUndoably(vornick_outerRange(*element));
                return true;
            }
        }
        // At the end of a text node followed by an element: into that element's text.
        if (startNode->isTextNode() && proposed->startOffset() == startNode->length()) {
            auto next = startNode->nextSibling();
            if (isElementWithChildren(next)) {
                auto caret = proposed->cloneRange();
                caret->setStart(next, 0);
                caret->collapse(true);
                vornick_pushRangeEndpointsDownToTextNodes(*caret);
                if (caret->startNode()->isTextNode()) {
                    setTargetRangeUndoably(caret);
                    return true;
                }
                return false;
            }
        }
        // Shift-click: extend from the end that stays put.
        if (event.hasModifier(ModifierFlag::Shift)) {
            auto current = effectiveOperationRange();
            if (!current)
                return false;
            auto extended = current->cloneRange();
            int order = current->compareBoundaryPoints(DOMRange::START_TO_START, *proposed);
            if (current->collapsed()) {
                if (order == 0)
                    return true;
                if (order < 0) {
                    m_internals->anchorEndpoint = 1;
                    extended->setEnd(proposed->startContainer(), proposed->startOffset());
                } else {
                    m_internals->anchorEndpoint = 2;
                    extended->setStart(proposed->startContainer(), proposed->startOffset());
                }
            } else {
                bool moveStart = m_internals->anchorEndpoint == 2 || (m_internals->anchorEndpoint == 0 && order > 0);
                if (moveStart)
                    extended->setStart(proposed->startContainer(), proposed->startOffset());
                else
                    extended->setEnd(proposed->startContainer(), proposed->startOffset());
            }
            setTargetRangeUndoably(extended);
            return true;
        }
        return false;
    }

    // A multiple click that reaches out of an attachment point stays inside it.
    if (hasAttachmentPoints() && !vornick_enclosingAttachmentPointElement(*proposed)) {
        if (clickCount >= 2) {
            auto atStart = VornickAttachmentPointForNode(*proposed->startContainer());
            auto singleElement = [](const std::shared_ptr<VornickAttachmentPointReference>& point) -> std::shared_ptr<DOMElement> {
                auto* attachment = dynamic_cast<VornickAttachmentPoint*>(point.get());
                if (!attachment || attachment->siblingRun())
                    return nullptr;
                return attachment->findElement();
            };
            if (atStart) {
                if (auto element = singleElement(atStart)) {
                    auto copy = proposed->cloneRange();
                    copy->setEnd(element, element->childCount());
                    setTargetRangeUndoably(copy);
                }
            } else if (auto atEnd = VornickAttachmentPointForNode(*proposed->endContainer())) {
                if (auto element = singleElement(atEnd)) {
                    auto copy = proposed->cloneRange();
                    copy->setStart(element, 0);
                    setTargetRangeUndoably(copy);
                }
            }
        }
        return true;
    }

    // A word double click leaves out the space after the word.
    if (clickCount == 2 && proposed->endNode()->isTextNode() && proposed->endOffset() > 0) {
        const auto& data = downcast<DOMCharacterData>(*proposed->endNode()).data();
        char16_t last = data[proposed->endOffset() - 1];
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*proposed->endNode());
        if (vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet().contains(last) || (substitute && last == substitute)) {
            auto trimmed = proposed->cloneRange();
            trimmed->setEnd(proposed->endContainer(), proposed->endOffset() - 1);
            setTargetRangeUndoably(trimmed);
            return true;
        }
    }
    return false;
}

// --- Clicks

bool VornickContentEditingView::Internals::changeSelectionForLeftOrRightMouseDown(VornickContentEditingView& thisView, const Event& event)
{
    Point viewPoint = thisView.convertPointFromView(event.locationInWindow(), nullptr);
    bool left = event.type() == EventType::LeftMouseDown;
    if (left) {
        thisView.m_internals->lastLeftMouseDownInView = viewPoint;
        thisView.m_internals->leftClickSelectedSomething = false;
    }
    auto window = thisView.window();
    if (window && !window->isKeyWindow() && window->canBecomeKeyWindow())
        return true;

    // The probe's synthetic click is stamped with this event's time.
    auto previousEvent = thisView.m_internals->selectionChangingEventBeingHandled;
    thisView.m_internals->selectionChangingEventBeingHandled = event;
    VornickHitPartKind kind = VornickHitPartKind::Content;
    auto range = Internals::rangeForPoint(thisView, viewPoint, clickHitTestOptions, &kind);
    thisView.m_internals->selectionChangingEventBeingHandled = previousEvent;
    // Nothing the view knows of: the web view's click (outside the
    // attachment points its proposal is refused and the mask shown).
    if (!range)
        return true;
    // A point with an action runs it; a cloaked point, like the page
    // outside the points, only shows where editing may happen.
    auto attachmentPoint = std::dynamic_pointer_cast<VornickAttachmentPoint>(vornick_enclosingAttachmentPoint(*range));
    if (attachmentPoint && attachmentPoint->actionHandler()) {
        auto handler = attachmentPoint->actionHandler();
        handler(*attachmentPoint);
        return false;
    }
    if ((attachmentPoint && attachmentPoint->cloaked())
        || (thisView.hasAttachmentPoints() && !vornick_enclosingAttachmentPointElement(*range))) {
        if (thisView.m_internals->overlayWindow)
            thisView.m_internals->overlayWindow->showAttachmentPointsMask();
        return false;
    }

    if (kind == VornickHitPartKind::Waypoint) {
        thisView.setTargetRangeUndoably(range);
        thisView.focus();
        return false;
    }
    if (kind == VornickHitPartKind::SectionHandle)
        return Internals::handleSectionHandleHit(thisView, event, range);
    return Internals::handleContentHit(thisView, event, range, viewPoint);
}

bool VornickContentEditingView::Internals::handleSectionHandleHit(VornickContentEditingView& view, const Event& event,
                                                                  const std::shared_ptr<DOMRange>& range)
{
    bool left = event.type() == EventType::LeftMouseDown;
    auto exact = view.m_internals->blockModeHelper->exactSelectionFromRange(*range, true);
    auto element = exact ? exact->element() : nullptr;
    if (left && event.clickCount() >= 2 && element && vornick_brickElementCanBeCollapsed(*element)) {
        if (!Internals::toggleCollapseOfBrickElement(view, element))
            return true;
        if (view.m_internals->overlayWindow)
            view.m_internals->overlayWindow->overlayView()->setNeedsDisplay(true);
        view.focus();
        return false;
    }
    auto result = range;
    if (event.hasModifier(ModifierFlag::Shift) && element) {
        auto current = view.effectiveOperationRange();
        if (!current || current->startContainer() != current->endContainer() || element->parentNode() != current->startContainer()) {
            view.focus();
            return false;
        }
        unsigned index = element->index();
        if (index >= current->startOffset() && index < current->endOffset()) {
            view.focus();
            return false;
        }
        auto outer = exact->outerRange();
        result = current->cloneRange();
        if (index < current->startOffset())
            result->setStart(outer->startContainer(), outer->startOffset());
        else
            result->setEnd(outer->endContainer(), outer->endOffset());
    }
    view.setTargetRangeUndoably(result);
    if (left)
        view.m_internals->leftClickSelectedSomething = true;
    view.focus();
    // Double-clicking a block that does not fold opens its element editor.
    if (left && event.clickCount() >= 2 && element && !event.hasModifier(ModifierFlag::Shift))
        Internals::vornick_editElementAttributes(view, nullptr);
    return false;
}

bool VornickContentEditingView::Internals::handleContentHit(VornickContentEditingView& view, const Event& event,
                                                            const std::shared_ptr<DOMRange>& range, Point)
{
    bool left = event.type() == EventType::LeftMouseDown;
    auto startNode = range->startContainer();
    auto attachmentElement = vornick_enclosingAttachmentPointElement(*range);

    // A triple click in block mode selects the paragraph-like element's contents.
    if (left && event.clickCount() >= 3 && view.m_internals->blockModeHelper->operatingInBlockMode()) {
        if (startNode->isTextNode() && startNode == range->endContainer() && attachmentElement) {
            for (auto element = startNode->parentElement(); element; element = element->parentElement()) {
                if (view.m_internals->blockModeHelper->blockOrElement(element).blockStartComment())
                    break;
                if (paragraphLikeKinds().count(asciiUppercase(element->tagName()))) {
                    auto contents = DOMRange::create(*element->document());
                    contents->selectNodeContents(element);
                    view.setTargetRangeUndoably(contents);
                    break;
                }
            }
        }
        return false;
    }

    // Inside a label, the caret goes to the click.
    auto startLabel = nearestLabel(*startNode);
    if (startLabel && startLabel == nearestLabel(*range->endContainer())) {
        auto caret = range->cloneRange();
        vornick_pushRangeEndpointsDownToTextNodes(*caret);
        caret->collapse(false);
        view.setTargetRangeUndoably(caret);
        return false;
    }

    if (left) {
        auto selected = vornick_exactlySelectedNode(*range);
        if (selected && selected->isElementNode()) {
            auto element = downcast<DOMElement>(selected);
            auto result = range;
            if (!view.m_internals->sectionHandlesShown) {
                auto block = view.m_internals->blockModeHelper->blockEnclosingNode(element, {}, true, false, attachmentElement.get());
                if (block && block->outerRange()) {
                    result = block->outerRange();
                } else {
                    auto tag = asciiUppercase(element->tagName());
                    if (tag != u"IMG" && tag != u"VIDEO" && tag != u"AUDIO")
                        return true;
                }
            }
            view.setTargetRangeUndoably(result);
            view.m_internals->leftClickSelectedSomething = true;
            if (event.clickCount() >= 2)
                Internals::vornick_editElementAttributes(view, nullptr);
            else
                Internals::cancelPendingEditsAndCloseAttributeEditor(view);
            return false;
        }
        Internals::beginInterceptingSelectionChangingEvent(view, event);
        return true;
    }

    // A right click inside the selection keeps it for the context menu.
    auto current = view.effectiveOperationRange();
    if (current && !current->collapsed() && vornick_isContainedByRange(*range, *current)) {
        view.focus();
        return false;
    }
    view.setTargetRangeUndoably(range);
    view.focus();
    return false;
}

bool VornickContentEditingView::handleLeftMouseDownInEmbeddedWebView(const Event& event)
{
    if (m_internals->elementEditorUIController && m_internals->elementEditorUIController->popover() && m_internals->elementEditorUIController->popover()->isShown())
        m_internals->elementEditorUIController->closePopover();
    return Internals::changeSelectionForLeftOrRightMouseDown(*this, event);
}

void VornickContentEditingView::handleLeftMouseUpInEmbeddedWebView(const Event&)
{
    m_internals->selectionChangingEventBeingHandled.reset();
    m_internals->draggingAFragmentAsSource = false;
}

bool VornickContentEditingView::handleRightMouseDownInEmbeddedWebView(const Event& event)
{
    return handleContextClickInEmbeddedWebView(event);
}

bool VornickContentEditingView::handleContextClickInEmbeddedWebView(const Event& event)
{
    Internals::changeSelectionForLeftOrRightMouseDown(*this, event);
    if (auto menu = menuForEvent(event))
        Menu::popUpContextMenu(menu, event, *this);
    return false;
}

void VornickContentEditingView::handleFlagsChanged(const Event& event)
{
    m_internals->lastKnownModifierFlags = event.modifierFlags();
    Internals::updateContentEditingCursor(*this);
}

// --- Dragging the selection

bool VornickContentEditingView::handleLeftMouseDraggedInEmbeddedWebView(const Event& event)
{
    Point viewPoint = convertPointFromView(event.locationInWindow(), nullptr);
    auto range = effectiveOperationRange();
    if (!m_internals->leftClickSelectedSomething || m_internals->draggingAFragmentAsSource || !dragHasPassedThreshold(m_internals->lastLeftMouseDownInView, viewPoint)
        || !range || range->collapsed())
        return true;

    auto archive = Internals::cleanedUpWebArchiveDataForRange(*this, *range);
    if (!archive)
        return true;
    DraggingItem item(pasteboardItemWithWebArchiveData(*archive));

    Rect bounds = m_internals->webView->vornick_bestGuessBoundsOfRange(*range);
    if (bounds.isEmpty())
        return true;
    Rect visible = bounds.intersection(m_internals->webView->visibleRect());

    // The image: the range's bounds, scaled down to fit the screen.
    double w = bounds.width();
    double h = bounds.height();
    Size screen = window() ? window()->screen().frame().size : Size { 1920, 1080 };
    double scale = 1;
    Size imageSize { w, h };
    if (h > screen.height) {
        if (w > screen.width) {
            scale = std::min(screen.width / w, screen.height / h);
            imageSize = Size { std::floor(w * scale), std::floor(h * scale) };
        } else {
            scale = screen.height / h;
            imageSize = Size { std::floor(w * scale), screen.height };
        }
    } else if (w > screen.width) {
        scale = screen.width / w;
        imageSize = Size { screen.width, std::floor(h * scale) };
    }
    auto bitmap = visible.isEmpty() ? nullptr : m_internals->webView->cacheDisplayInRect(visible);
    bool partlyHidden = visible.width() < bounds.width() || visible.height() < bounds.height();
    // The image's coordinates go up from its bottom; in a flipped web view
    // the visible part's place in the range is measured from the range's bottom.
    double visibleAboveBottom = m_internals->webView->isFlipped() ? bounds.maxY() - visible.maxY() : visible.minY() - bounds.minY();
    auto image = Image::imageWithSize(imageSize, [&](GraphicsContext& context) {
        Rect whole(0, 0, imageSize.width, imageSize.height);
        if (partlyHidden) {
            context.fillRect(whole, Color::genericGamma22White(0.15, 1));
            BezierPath frame = BezierPath::bezierPathWithRect(whole.insetBy(1.5, 1.5));
            frame.setLineWidth(3);
            frame.setLineDash({ 8, 8 });
            context.strokePath(frame, Color::lightGray());
        }
        if (bitmap)
            context.drawImage(bitmap,
                              Rect((visible.minX() - bounds.minX()) * scale, visibleAboveBottom * scale,
                                   visible.width() * scale, visible.height() * scale),
                              CompositingOperation::Copy);
    });
    Rect frame = convertRectFromView(Rect(bounds.origin, imageSize), m_internals->webView.get());
    if (scale < 1) {
        frame.origin.x = viewPoint.x + scale * (frame.origin.x - viewPoint.x);
        frame.origin.y = viewPoint.y + scale * (frame.origin.y - viewPoint.y);
    }
    item.setDraggingFrame(frame, image);

    // The content stays in the document until a drop inside the view moves
    // it: a refused or cancelled drop, or a save while dragging, loses nothing.
    bool copying = event.hasModifier(ModifierFlag::Option);
    m_internals->draggedRange = range->cloneRange();
    m_internals->fragmentForDrop = copying ? nullptr : range->cloneContents();

    if (m_internals->overlayWindow)
        m_internals->overlayWindow->setUseDisabledEffectiveOperationRangeAppearance(true);
    if (!m_internals->draggingSource)
        m_internals->draggingSource = std::make_shared<ContentDraggingSource>(weakSelf());
    auto session = beginDraggingSession({ std::move(item) }, event, m_internals->draggingSource);
    if (session) {
        session->setAnimatesToStartingPositionsOnCancelOrFail(true);
        session->setDraggingFormation(DraggingFormation::None);
    }
    m_internals->draggingAFragmentAsSource = true;
    return false;
}

void VornickContentEditingView::concludeDragOfOwnContent(DragOperation operation, bool droppedInThisView)
{
    auto dragged = std::move(m_internals->draggedRange);
    bool moving = m_internals->fragmentForDrop != nullptr;
    m_internals->fragmentForDrop.reset();
    m_internals->draggingAFragmentAsSource = false;
    if (m_internals->overlayWindow)
        m_internals->overlayWindow->setUseDisabledEffectiveOperationRangeAppearance(false);
    // The view's drop destination answers the generic operation for a drag
    // it accepts, which inside the view is a move.
    auto target = m_internals->dropTargetRange;
    if (moving && dragged && target && target->collapsed() && droppedInThisView
        && (operation & (DragOperations::Move | DragOperations::Generic))) {
        std::shared_ptr<DOMRange> result;
        if (undoableMoveRange(true, dragged, target, std::nullopt, &result) && result)
            setTargetRange(result);
    }
    setDropTargetRange(nullptr, VornickHitPartKind::Content, Point {});
}

// --- The cursor

void VornickContentEditingView::Internals::vornick_setCursor(VornickContentEditingView&, const Cursor& cursor)
{
    cursor.setAsClaimant();
}

void VornickContentEditingView::Internals::updateContentEditingCursor(VornickContentEditingView& view)
{
    auto window = view.window();
    if (!window || !view.m_internals->webView)
        return;
    Point inWebView = view.m_internals->webView->convertPointFromView(window->mouseLocationOutsideOfEventStream(), nullptr);
    if (!view.m_internals->webView->bounds().containsPoint(inWebView))
        return;
    auto hit = view.m_internals->webView->elementAtPoint(inWebView);
    if (hit && hit->domNode) {
        bool command = (view.m_internals->lastKnownModifierFlags & ModifierFlag::Command) != 0;
        if (hit->linkURL && (command || !view.isEditable())) {
            Internals::vornick_setCursor(view, Cursor::pointingHandCursor());
            return;
        }
        if (hit->domNode->isTextNode()) {
            Internals::vornick_setCursor(view, Cursor::IBeamCursor());
            return;
        }
    }
    Internals::vornick_setCursor(view, Cursor::arrowCursor());
}

void VornickContentEditingView::mouseMoved(const Event& event)
{
    if (event.timestamp() == m_internals->lastMouseMovedTimestamp)
        return;
    m_internals->lastKnownModifierFlags = event.modifierFlags();
    Internals::updateContentEditingCursor(*this);
    if (m_internals->sourceLoupe && m_internals->sourceLoupe->isShown() && window() && window()->isMainWindow()) {
        if (auto loupeView = m_internals->sourceLoupe->view())
            loupeView->mouseMoved(event);
    }
    m_internals->lastMouseMovedTimestamp = event.timestamp();
}

void VornickContentEditingView::updateTrackingAreas()
{
    if (m_internals->trackingArea)
        removeTrackingArea(m_internals->trackingArea.get());
    m_internals->trackingArea = std::make_shared<TrackingArea>(visibleRect(),
                                                                           TrackingAreaOption::MouseMoved | TrackingAreaOption::ActiveInActiveApp,
                                                    shared_from_this());
    addTrackingArea(m_internals->trackingArea);
}

} // namespace brevanton
