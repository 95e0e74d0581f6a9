#include "editing/VornickDOMRangeIndicator.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/GraphicsContext.h"
#include "ui/VornickBezierPathExtensions.h"
#include "ui/VornickDOMTreeView.h"
#include "views/VornickGeometry.h"

namespace brevanton {

namespace {

VornickRect toVornickRect(const Rect& rect) { return { rect.minX(), rect.minY(), rect.width(), rect.height() }; }
Rect toRect(const VornickRect& rect) { return Rect(rect.x, rect.y, rect.width, rect.height); }

BezierPath roundedRectAroundBox(const Rect& box)
{
    BezierPath path;
    path.moveToPoint(Point { box.midX(), box.midY() });
    path.appendBezierPathWithRoundedRect(box, 2, 2);
    return path;
}

} // namespace

VornickDOMRangeIndicator::VornickDOMRangeIndicator()
    : m_strokeColor(Color::sRGB(0, 0.5, 1, 1))
    , m_fillColor(Color::sRGB(0, 0.5, 1, 0.1))
{
}

VornickDOMRangeIndicator::~VornickDOMRangeIndicator() = default;

void VornickDOMRangeIndicator::setContentEditingView(const std::shared_ptr<VornickContentEditingView>& view)
{
    m_contentEditingView = view;
}

void VornickDOMRangeIndicator::setDOMRange(const std::shared_ptr<DOMRange>& range)
{
    Rect oldBounds = bounds();
    m_cachedPath.reset();
    if (range && m_nodeBoundsGetter)
        m_cachedPath = computeIndicatorPathForDOMRange(range);
    // A range cleared (or a path that went away) changes the bounds too: the
    // owner must hear of it to hide what it showed.
    if ((range && m_nodeBoundsGetter) || bounds() != oldBounds)
        postBoundsDidChangeNotification();
}

Rect VornickDOMRangeIndicator::bounds() const
{
    if (!m_cachedPath || m_cachedPath->isEmpty())
        return Rect();
    return m_cachedPath->bounds().insetBy(-2, -2);
}

void VornickDOMRangeIndicator::postBoundsDidChangeNotification()
{
    NotificationCenter::defaultCenter().post(VornickDOMRangeIndicatorBoundsDidChangeNotification, this);
}

std::optional<BezierPath> VornickDOMRangeIndicator::computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>& range)
{
    BREVANTON_ASSERT(static_cast<bool>(m_nodeBoundsGetter), "Need a nodeBoundsGetter");
    if (!range || range->collapsed() || range->startContainer() != range->endContainer())
        return std::nullopt;
    DOMNode* container = range->startNode();
    if (!container->isElementNode())
        return std::nullopt;
    BezierPath path;
    unsigned count = range->endOffset() > range->startOffset() ? range->endOffset() - range->startOffset() : 0;
    DOMNode* child = container->childAt(range->startOffset());
    for (unsigned index = 0; child && index < count; ++index, child = child->next()) {
        Rect box = m_nodeBoundsGetter(*child);
        path.moveToPoint(Point { box.midX(), box.midY() });
        path.appendBezierPathWithRoundedRect(box, 2, 2);
    }
    return path;
}

void VornickDOMRangeIndicator::draw(const Rect& dirtyRect, GraphicsContext& context) const
{
    if (!m_cachedPath || m_cachedPath->isEmpty() || !m_cachedPath->bounds().insetBy(-2, -2).intersects(dirtyRect))
        return;
    const Color inactiveFill = Color::genericGamma22White(0, 0.1);
    if (m_useDisabledAppearance) {
        if (m_fillColor)
            context.fillPath(*m_cachedPath, inactiveFill);
        if (m_strokeColor)
            context.strokePath(*m_cachedPath, Color::gray());
        return;
    }
    auto editingView = contentEditingView();
    bool focused = editingView && editingView->hasInputFocus();
    if (m_fillColor)
        context.fillPath(*m_cachedPath, focused ? *m_fillColor : inactiveFill);
    if (m_strokeColor)
        context.strokePath(*m_cachedPath, focused ? *m_strokeColor : Color::gray());
}

// --- Over the web view

std::optional<BezierPath> VornickContentOverlayViewDOMRangeIndicator::computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>& range)
{
    if (!range || vornick_eitherEndpointIsCharacterLevel(*range) || vornick_isBetweenTwoBRElements(*range))
        return std::nullopt;
    auto editingView = contentEditingView();
    if (range->collapsed() && editingView && editingView->sectionHandlesShown()) {
        BREVANTON_ASSERT(static_cast<bool>(nodeBoundsGetter()), "Need a nodeBoundsGetter");
        const auto& getter = nodeBoundsGetter();
        auto boundsGetter = [&getter](const DOMNode& node) { return toVornickRect(getter(node)); };
        auto edgeFinder = [&getter](const VornickRect& proposed, const DOMNode& container, VornickRectEdge edge) -> VornickRect {
            Rect r = toRect(proposed);
            Rect c = getter(container);
            double y = 0;
            if (edge == VornickRectEdge::MinY)
                y = c.minY() + 1 > r.minY() ? r.minY() - 1 : c.minY();
            else if (edge == VornickRectEdge::MaxY)
                y = std::max(c.maxY() - 1, r.maxY());
            else
                return proposed;
            return toVornickRect(VornickVerticalGapRectBetweenRects(Rect(c.minX(), y, c.width(), 1), r));
        };
        Rect box = toRect(vornick_boundingBoxBestGuess(*range, boundsGetter, edgeFinder, false));
        return vornick_bezierPathWithHandlesFromPoint(Point { box.minX() + 4, box.midY() }, Point { box.maxX() - 4, box.midY() }, 4, 2);
    }
    return VornickDOMRangeIndicator::computeIndicatorPathForDOMRange(range);
}

// --- In the DOM tree visualizer

std::optional<BezierPath> VornickDOMTreeViewDOMRangeIndicator::computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>& range)
{
    if (!range || vornick_eitherEndpointIsCharacterLevel(*range))
        return std::nullopt;
    if (range->collapsed()) {
        BREVANTON_ASSERT(static_cast<bool>(nodeBoundsGetter()), "Need a nodeBoundsGetter");
        auto treeView = std::dynamic_pointer_cast<VornickDOMTreeView>(view());
        BREVANTON_ASSERT(treeView != nullptr, "VornickDOMTreeViewDOMRangeIndicator must reside in a VornickDOMTreeView");
        const auto& getter = nodeBoundsGetter();
        auto boundsGetter = [&getter](const DOMNode& node) { return toVornickRect(getter(node)); };
        auto edgeFinder = [&treeView](const VornickRect& proposed, const DOMNode& container, VornickRectEdge edge) -> VornickRect {
            auto subtree = treeView->subtreeViewForModelNode(container);
            if (!subtree)
                return VornickRect {};
            Rect t = treeView->convertRectFromView(subtree->bounds(), subtree.get());
            Rect r = toRect(proposed);
            double y = edge == VornickRectEdge::MinY ? t.maxY() + 5 : edge == VornickRectEdge::MaxY ? t.minY() - 5 : t.minY();
            return toVornickRect(VornickVerticalGapRectBetweenRects(Rect(r.minX(), y, r.width(), 1), r));
        };
        Rect box = toRect(vornick_boundingBoxBestGuess(*range, boundsGetter, edgeFinder, true));
        return roundedRectAroundBox(box);
    }
    return VornickDOMRangeIndicator::computeIndicatorPathForDOMRange(range);
}

} // namespace brevanton
