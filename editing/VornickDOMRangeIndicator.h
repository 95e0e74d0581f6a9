// Range indicators: a DOM range of the edited page drawn as a highlight in
// some view. The base indicator outlines each node the range spans with a
// rounded rectangle, through a node-bounds getter its owner supplies; the
// overlay indicator draws the operation range and the drop target over the
// web view, and shows a caret between blocks as a bar with handles; the tree
// indicator marks the same range in the DOM tree visualizer. An indicator
// tells its owner when its bounds change (the bounds-did-change notification
// with the indicator as object), so that the owner can redraw and show or
// hide its window.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/BezierPath.h"
#include "platform/views/Geometry.h"

#include <functional>
#include <memory>
#include <optional>

namespace brevanton {

class DOMNode;
class DOMRange;
class GraphicsContext;
class VornickContentEditingView;
class View;

inline constexpr const char* VornickDOMRangeIndicatorBoundsDidChangeNotification = "VornickDOMRangeIndicatorBoundsDidChangeNotification";

class VornickDOMRangeIndicator {
public:
    // A node's rectangle in the indicator's view; empty for a node that shows nothing.
    using NodeBoundsGetter = std::function<Rect(const DOMNode&)>;

    VornickDOMRangeIndicator();
    virtual ~VornickDOMRangeIndicator();
    VornickDOMRangeIndicator(const VornickDOMRangeIndicator&) = delete;
    VornickDOMRangeIndicator& operator=(const VornickDOMRangeIndicator&) = delete;

    void setDOMNodeBoundsGetter(NodeBoundsGetter getter) { m_nodeBoundsGetter = std::move(getter); }
    const NodeBoundsGetter& nodeBoundsGetter() const { return m_nodeBoundsGetter; }
    // Recomputes the path for the range (none for a null range or without a
    // getter) and tells observers when there is a range or the bounds changed.
    void setDOMRange(const std::shared_ptr<DOMRange>&);
    // The path's bounds grown by 2 points on every side; zero without a path.
    Rect bounds() const;
    void draw(const Rect& dirtyRect, GraphicsContext&) const;
    void postBoundsDidChangeNotification();

    // The view the indicator draws in (not owned).
    std::shared_ptr<View> view() const { return m_view.lock(); }
    void setView(const std::shared_ptr<View>& view) { m_view = view; }
    // Asked whether the page has input focus (not owned).
    std::shared_ptr<VornickContentEditingView> contentEditingView() const { return m_contentEditingView.lock(); }
    void setContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    // No colour: no fill (no stroke).
    const std::optional<Color>& strokeColor() const { return m_strokeColor; }
    void setStrokeColor(std::optional<Color> color) { m_strokeColor = std::move(color); }
    const std::optional<Color>& fillColor() const { return m_fillColor; }
    void setFillColor(std::optional<Color> color) { m_fillColor = std::move(color); }
    bool useDisabledAppearance() const { return m_useDisabledAppearance; }
    void setUseDisabledAppearance(bool disabled) { m_useDisabledAppearance = disabled; }
    const std::optional<BezierPath>& cachedPath() const { return m_cachedPath; }

    // A rounded rectangle (radii 2) around each child the range spans of its
    // one element container; none for a null or collapsed range or a range
    // over two containers. Asserts a getter.
    virtual std::optional<BezierPath> computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>&);

private:
    std::weak_ptr<View> m_view;
    NodeBoundsGetter m_nodeBoundsGetter;
    std::optional<Color> m_strokeColor;
    std::optional<Color> m_fillColor;
    bool m_useDisabledAppearance { false };
    std::weak_ptr<VornickContentEditingView> m_contentEditingView;
    std::optional<BezierPath> m_cachedPath;
};

// Over the web view: nothing for a range the web view shows itself (an
// endpoint at character level) or a caret between two BR elements; a caret
// between blocks, while section handles are shown, is a bar with handles
// across the gap the caret stands in.
class VornickContentOverlayViewDOMRangeIndicator : public VornickDOMRangeIndicator {
public:
    std::optional<BezierPath> computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>&) override;
};

// In a VornickDOMTreeView (asserted): a caret is a rounded rectangle in the
// gap between the subtrees around it.
class VornickDOMTreeViewDOMRangeIndicator : public VornickDOMRangeIndicator {
public:
    std::optional<BezierPath> computeIndicatorPathForDOMRange(const std::shared_ptr<DOMRange>&) override;
};

} // namespace brevanton
