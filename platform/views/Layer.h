// Layer: a rectangle of content in a tree of layers that a LayerHostingView
// shows. A layer has bounds (its own coordinates), a position (where the
// centre of its bounds lies in its superlayer's coordinates), a scale
// transform about that centre and a z position; sublayers are drawn by
// increasing z position (equal ones in order), deeper ones first. TextLayer
// draws a string in a font at the top left of its bounds.
//
// Animation: changes of a layer's position made inside a LayerTransaction
// with a positive duration animate from the position shown now to the new
// one; the layer's position() is the new one at once, presentationPosition()
// what is shown. Animations are stepped by the main run loop's clock (tests
// advance the manual clock). A transaction's completion action runs once,
// when the last animation started in it ended, finished or not; removing a
// layer from its superlayer stops its animations. Outside a transaction, or
// with a zero duration, changes take effect at once.
//
// Layers are made with std::make_shared; a layer owns its sublayers, the
// superlayer is a weak reference. Main thread only.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/Font.h"
#include "platform/views/Geometry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class GraphicsContext;
class View;

// A scale about a layer's centre (other transforms are not used here).
struct LayerScaleTransform {
    double sx { 1 };
    double sy { 1 };
    static LayerScaleTransform identity() { return {}; }
    static LayerScaleTransform scale(double sx, double sy) { return { sx, sy }; }
    friend bool operator==(const LayerScaleTransform&, const LayerScaleTransform&) = default;
};

enum class LayerTimingFunction { Linear, EaseInEaseOut };

class Layer : public std::enable_shared_from_this<Layer> {
public:
    Layer();
    virtual ~Layer();

    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    Rect bounds() const { return m_bounds; }
    void setBounds(const Rect&);
    Point position() const { return m_position; }
    void setPosition(Point);
    // Where the layer is shown: the position, or the point its running
    // animation has reached.
    Point presentationPosition() const;
    bool isAnimatingPosition() const;
    LayerScaleTransform transform() const { return m_transform; }
    void setTransform(LayerScaleTransform);
    double zPosition() const { return m_zPosition; }
    void setZPosition(double);
    // The bounds placed in the superlayer, scaled about the position.
    Rect frame() const;
    Rect presentationFrame() const;

    std::shared_ptr<Layer> superlayer() const { return m_superlayer.lock(); }
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return m_sublayers; }
    // Adds (or moves) the layer to the end of the sublayers.
    void addSublayer(const std::shared_ptr<Layer>&);
    // Stops the layer's animations.
    void removeFromSuperlayer();

    // A view showing this layer as its own (see LayerHostingView); the tree
    // below it asks that view to redisplay when it changes.
    void setHostingView(const std::weak_ptr<View>& view) { m_hostingView = view; }
    std::shared_ptr<View> hostingView() const { return m_hostingView.lock(); }

    // Draws the layer and its sublayers as shown now; `toView` maps a point of
    // the layer's coordinates into the drawing view's.
    struct Placement {
        double sx { 1 };
        double sy { 1 };
        double tx { 0 };
        double ty { 0 };
        Point map(Point point) const { return { point.x * sx + tx, point.y * sy + ty }; }
        Rect map(const Rect&) const;
    };
    void drawTree(GraphicsContext&, const Placement& toView) const;

protected:
    // Draws the layer's own content within its bounds.
    virtual void drawContent(GraphicsContext&, const Placement&) const { }
    void setNeedsDisplay() const;

private:
    friend class LayerTransaction;
    Placement placementInSuperlayer(bool presentation) const;
    void animatePosition(Point from, Point to);

    Rect m_bounds;
    Point m_position;
    LayerScaleTransform m_transform;
    double m_zPosition { 0 };
    std::weak_ptr<Layer> m_superlayer;
    std::vector<std::shared_ptr<Layer>> m_sublayers;
    std::weak_ptr<View> m_hostingView;
    // The running animation of the position.
    struct PositionAnimation;
    std::shared_ptr<PositionAnimation> m_positionAnimation;
};

class TextLayer : public Layer {
public:
    const std::u16string& string() const { return m_string; }
    void setString(std::u16string);
    const FontDescriptor& font() const { return m_font; }
    void setFont(FontDescriptor);
    const Color& foregroundColor() const { return m_foregroundColor; }
    void setForegroundColor(const Color&);

protected:
    void drawContent(GraphicsContext&, const Placement&) const override;

private:
    std::u16string m_string;
    FontDescriptor m_font { u"Helvetica", 36 };
    Color m_foregroundColor { Color::white() };
};

// The implicit animation settings of the changes made while it is open.
// Transactions nest; the innermost open one's settings apply.
class LayerTransaction {
public:
    static void begin();
    // The completion action runs when the transaction's animations end (at
    // once when it started none). Animations start as the changes are made.
    static void commit();
    static void setAnimationDuration(double seconds);
    static double animationDuration();
    static void setAnimationTimingFunction(LayerTimingFunction);
    static void setCompletionBlock(std::function<void()>);
    static bool isOpen();
};

} // namespace brevanton
