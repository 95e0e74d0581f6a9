// Hit testing: which DOM range lies under a point of the view, in the
// editor's own terms (an element that may not be edited inside, a waypoint
// between bricks, a brick's section handle, or the caret the web view would
// place), and where between a brick's children a point falls.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeGeometry.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickEmbeddedWebView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/Event.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "views/VornickPopoverExtensions.h"

namespace brevanton {

namespace {

// The strip along a brick's right edge that grabs its block, in points.
constexpr double sectionHandleStripWidth = 13;

Rect toRect(const VornickRect& rect) { return Rect(rect.x, rect.y, rect.width, rect.height); }

std::shared_ptr<DOMElement> enclosingBrick(const std::shared_ptr<DOMNode>& node)
{
    if (node->isElementNode() && vornick_isBrickElement(downcast<DOMElement>(*node)))
        return downcast<DOMElement>(node);
    return vornick_nearestAncestorElementPassingTest(*node, [](const DOMElement& element) { return vornick_isBrickElement(element); });
}

// The element of the main frame that shows the node's (sub)frame document.
std::shared_ptr<DOMNode> frameElementInMainDocument(const WebFrame& main, const DOMNode& node)
{
    auto* document = node.document();
    auto frame = document ? const_cast<WebFrame&>(main).frameForDocument(*document) : nullptr;
    std::shared_ptr<DOMNode> element;
    while (frame && frame.get() != &main) {
        element = frame->frameElement();
        frame = frame->parentFrame();
    }
    return element;
}

// The part of the page a click reaches, in the web view's coordinates: the
// main frame's visible area less the vertical scroller standing over its
// right edge (the scroller takes the clicks there).
Rect clickableAreaInWebView(const WebFrame& main, const View& webView)
{
    auto& frameView = main.frameView();
    if (!frameView)
        return webView.bounds();
    auto clip = frameView->contentView();
    Rect area = clip->convertRectToView(clip->bounds(), &webView);
    if (auto& scroller = frameView->verticalScroller(); scroller && !scroller->isHidden()) {
        Rect bar = scroller->convertRectToView(scroller->bounds(), &webView);
        if (bar.minX() < area.maxX())
            area = Rect(area.minX(), area.minY(), std::max(0.0, bar.minX() - area.minX()), area.height());
    }
    return area;
}

// The strip along the brick's right edge that takes a click on its handle:
// a brick reaching under the scroller or past the visible area has it at the
// right edge of what can be clicked.
Rect sectionHandleStrip(const Rect& box, const Rect& clickable)
{
    double right = std::min(box.maxX(), clickable.maxX());
    double left = std::max(box.minX(), right - sectionHandleStripWidth);
    return Rect(left, box.minY(), std::max(0.0, right - left), box.height());
}

} // namespace

std::shared_ptr<DOMRange> VornickContentEditingView::Internals::rangeForPoint(VornickContentEditingView& view, Point viewPoint, unsigned options, VornickHitPartKind* outHitPartKind)
{
    if (!view.m_internals->webView)
        return nullptr;
    Point inWebView = view.m_internals->webView->convertPointFromView(viewPoint, (&view));
    if (!view.m_internals->webView->bounds().containsPoint(inWebView))
        return nullptr;
    auto hit = view.m_internals->webView->elementAtPoint(inWebView);
    if (!hit || !hit->domNode)
        return nullptr;
    std::shared_ptr<DOMNode> node = hit->domNode;
    auto answer = [outHitPartKind](std::shared_ptr<DOMRange> range, VornickHitPartKind kind) {
        if (range && outHitPartKind)
            *outHitPartKind = kind;
        return range;
    };

    // Content that may not be edited is taken whole, by its block's element.
    if (view.m_internals->blockModeHelper && !view.m_internals->blockModeHelper->mayEditContentOfNode(*node)) {
        auto within = VornickAttachmentPointElementForNode(*node);
        auto block = view.m_internals->blockModeHelper->blockEnclosingNode(node, {}, true, false, within.get());
        if (block && block->element()
            && (!view.m_internals->blockModeHelper->canEditContentOfBlockOrElement(*block)
                || (view.m_internals->sectionHandlesShown && !(options & VornickRangeForPointProbeWithClick))))
            return answer(vornick_outerRange(*block->element()), VornickHitPartKind::Content);
    }

    // A node of a subframe stands for the frame element that shows it.
    auto main = view.mainFrame();
    if (!(options & VornickRangeForPointKeepSubframeNodes) && main && main->domDocument() && node->document() != main->domDocument().get()) {
        if (auto frameElement = frameElementInMainDocument(*main, *node))
            node = frameElement;
    }
    if (options == 0)
        return node->parent() ? vornick_outerRange(*node) : nullptr;

    if (view.m_internals->sectionHandlesShown) {
        if (auto brick = enclosingBrick(node)) {
            bool within = options & VornickRangeForPointWithinAttachmentPoints;
            if ((options & VornickRangeForPointHitTestSectionHandles) && !(within && !vornick_isContainedByAttachmentPoint(*brick))) {
                Rect box = toRect(vornick_boundingBoxInView(*brick, *view.m_internals->webView));
                Rect strip = main ? sectionHandleStrip(box, clickableAreaInWebView(*main, *view.m_internals->webView)) : box;
                if (!box.isEmpty() && strip.containsPoint(inWebView)) {
                    auto range = vornick_outerRange(*brick);
                    view.m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
                    return answer(range, VornickHitPartKind::SectionHandle);
                }
            }
            bool skipWaypoints = ((options & VornickRangeForPointProbeWithClick) && node->isTextNode())
                || (within && !VornickAttachmentPointForNode(*brick));
            if ((options & VornickRangeForPointHitTestWaypoints) && !skipWaypoints && vornick_firstDescendantBrickElement(*brick)) {
                int32_t offset = Internals::hitTestWaypointsInElement(view, brick, viewPoint);
                if (offset >= 0) {
                    auto range = DOMRange::create(*brick->document());
                    range->setStart(brick, static_cast<unsigned>(offset));
                    range->collapse(true);
                    view.m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*range);
                    return answer(range, VornickHitPartKind::Waypoint);
                }
            }
        }
    }

    if (options & VornickRangeForPointProbeWithClick) {
        auto window = (&view)->window();
        if (!(window && vornick_popoverAppearsToHaveFocus(*window))) {
            if (node->isElementNode() && !node->hasChildNodes()) {
                auto range = vornick_outerRange(*node);
                if (range)
                    view.m_internals->blockModeHelper->growRangeToIncludeBlockStartAndEndComments(*range);
                return range;
            }
            if (auto probed = Internals::probeForDOMRange(view, *node, viewPoint, options)) {
                if ((options & VornickRangeForPointWithinAttachmentPoints) && view.hasAttachmentPoints()
                    && !vornick_enclosingAttachmentPointElement(*probed))
                    return nullptr;
                return answer(probed, VornickHitPartKind::Content);
            }
        }
    }

    if (!node->parent())
        return nullptr;
    if ((options & VornickRangeForPointWithinAttachmentPoints) && view.hasAttachmentPoints() && !VornickAttachmentPointElementForNode(*node))
        return nullptr;
    return answer(vornick_outerRange(*node), VornickHitPartKind::Content);
}

// A synthetic click goes straight to the view under the point (past the
// window's send-event hooks); the selection filter records what the web view
// proposes instead of applying it, and the selection is put back if anything
// changed it anyway.
std::shared_ptr<DOMRange> VornickContentEditingView::Internals::probeForDOMRange(VornickContentEditingView& view, const DOMNode&,
                                                                                 Point viewPoint, unsigned)
{
    auto window = view.window();
    auto superview = view.m_internals->webView->superview();
    Point inSuperview = superview && superview.get() != &view ? superview->convertPointFromView(viewPoint, &view) : viewPoint;
    if (!superview)
        return nullptr;
    auto hitView = view.m_internals->webView->hitTest(inSuperview);
    if (!hitView)
        return nullptr;

    auto operationRange = view.effectiveOperationRange();
    auto saved = operationRange ? operationRange->cloneRange() : nullptr;
    Point inWindow = view.convertPointToView(viewPoint, nullptr);
    double timestamp = view.m_internals->selectionChangingEventBeingHandled ? view.m_internals->selectionChangingEventBeingHandled->timestamp() : 0;
    auto down = Event::mouseEvent(EventType::LeftMouseDown, inWindow, 0, timestamp, window, 1);
    auto up = Event::mouseEvent(EventType::LeftMouseUp, inWindow, 0, timestamp, window, 1);

    Internals::setProbingForDOMRange(view, true);
    view.m_internals->probeResultRange = saved ? saved->cloneRange() : nullptr;
    hitView->mouseDown(down);
    hitView->mouseUp(up);
    if (view.m_internals->selectedDOMRangeChangedWhileProbingForDOMRange) {
        bool wasSetting = view.m_internals->settingTargetRange;
        view.m_internals->settingTargetRange = true;
        if (!view.m_internals->targetRange)
            view.m_internals->webView->setSelectedDOMRange(saved, WebSelectionAffinityDownstream);
        else
            view.updateWebViewSelectedDOMRangeForTargetRange();
        view.m_internals->settingTargetRange = wasSetting;
    }
    if (saved)
        saved->detach();
    view.m_internals->probingForDOMRange = false;
    auto result = std::move(view.m_internals->probeResultRange);
    view.m_internals->probeResultRange.reset();
    return result;
}

int32_t VornickContentEditingView::Internals::hitTestWaypointsInElement(VornickContentEditingView& view, const std::shared_ptr<DOMElement>& element, Point viewPoint)
{
    if (!element)
        return -1;
    bool flipped = view.isFlipped();
    // Whether the box lies wholly above the point on screen, and the point above the box.
    auto boxIsAbovePoint = [&](const Rect& box) { return flipped ? box.maxY() <= viewPoint.y : box.minY() >= viewPoint.y; };
    auto pointIsAboveBox = [&](const Rect& box) { return flipped ? viewPoint.y < box.minY() : viewPoint.y > box.maxY(); };
    std::optional<Rect> topmost;
    for (DOMNode* child = element->last(); child; child = child->previous()) {
        Rect box = toRect(vornick_boundingBoxInView(*child, view));
        if (box.isEmpty())
            continue;
        if (boxIsAbovePoint(box))
            return static_cast<int32_t>(child->index() + 1);
        topmost = box;
    }
    if (topmost && pointIsAboveBox(*topmost))
        return 0;
    return -1;
}

} // namespace brevanton
