#include "ui/VornickPlotViews.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemFonts.h"

namespace brevanton {

void VornickImageCompressionGraphView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    context.fillRect(dirtyRect, Color::black());
}

VornickXYPlotView::VornickXYPlotView(Rect frame)
    : View(frame)
    , m_tickMarkValueLabelFont(systemFontOfSize(SystemFontSize))
{
}

void VornickXYPlotView::setValuePairs(const Value& value)
{
    if (value.isNull()) {
        if (!m_valuePairs.empty()) {
            m_valuePairs.clear();
            setNeedsGraphLayout();
        }
        return;
    }
    if (!value.isArray())
        return;
    std::vector<std::array<double, 2>> pairs;
    for (auto& element : value.array()) {
        if (!element.isArray() || element.array().size() < 2)
            return;
        auto& numbers = element.array();
        if (!numbers[0].isNumber() || !numbers[1].isNumber())
            return;
        pairs.push_back({ numbers[0].doubleValue(), numbers[1].doubleValue() });
    }
    if (pairs == m_valuePairs)
        return;
    m_valuePairs = std::move(pairs);
    setNeedsGraphLayout();
}

void VornickXYPlotView::setDataRange(double minX, double maxX, double minY, double maxY)
{
    m_dataMinX = minX;
    m_dataMaxX = maxX;
    m_dataMinY = minY;
    m_dataMaxY = maxY;
    setNeedsGraphLayout();
}

void VornickXYPlotView::setNeedsGraphLayout()
{
    m_needsGraphLayout = true;
    setNeedsDisplay(true);
}

void VornickXYPlotView::updateGraphLayout()
{
    m_graphAreaRect = bounds().insetBy(m_axisLineWidth / 2, m_axisLineWidth / 2);
    m_needsGraphLayout = false;
}

void VornickXYPlotView::draw(const Rect&, GraphicsContext&)
{
    if (m_needsGraphLayout)
        updateGraphLayout();
}

} // namespace brevanton
