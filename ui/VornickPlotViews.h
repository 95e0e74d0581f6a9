// The two views of the image compression plot: an opaque black graph
// backdrop, and an XY plot view that keeps its value pairs and works out
// the area its graph is drawn in.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/Value.h"
#include "platform/views/Font.h"
#include "platform/views/View.h"

#include <array>
#include <vector>

namespace brevanton {

class VornickImageCompressionGraphView : public View {
public:
    using View::View;
    bool isOpaque() const override { return true; }
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
};

class VornickXYPlotView : public View {
public:
    explicit VornickXYPlotView(Rect frame = {});

    const std::vector<std::array<double, 2>>& valuePairs() const { return m_valuePairs; }
    // An array of arrays of at least two numbers; the first two of each are
    // kept. The same pairs again change nothing; null clears them; anything
    // else that is not such an array is ignored and the pairs stay.
    void setValuePairs(const Value&);

    double dataMinX() const { return m_dataMinX; }
    double dataMaxX() const { return m_dataMaxX; }
    double dataMinY() const { return m_dataMinY; }
    double dataMaxY() const { return m_dataMaxY; }
    void setDataRange(double minX, double maxX, double minY, double maxY);
    double axisLineWidth() const { return m_axisLineWidth; }
    const Color& axisLineColor() const { return m_axisLineColor; }
    const std::shared_ptr<const Font>& tickMarkValueLabelFont() const { return m_tickMarkValueLabelFont; }

    bool needsGraphLayout() const { return m_needsGraphLayout; }
    // Marks the graph layout as needed and asks for a redraw.
    void setNeedsGraphLayout();
    // The graph area becomes the bounds inset by half the axis line width.
    void updateGraphLayout();
    Rect graphAreaRect() const { return m_graphAreaRect; }

    // Lays the graph out when needed; nothing else is drawn yet.
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::vector<std::array<double, 2>> m_valuePairs;
    double m_dataMinX { 0 };
    double m_dataMaxX { 0 };
    double m_dataMinY { 0 };
    double m_dataMaxY { 0 };
    double m_axisLineWidth { 2.0 };
    Color m_axisLineColor { Color::black() };
    std::shared_ptr<const Font> m_tickMarkValueLabelFont;
    bool m_needsGraphLayout { true };
    Rect m_graphAreaRect;
};

} // namespace brevanton
