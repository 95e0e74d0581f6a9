#include "platform/views/SegmentedControl.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/GraphicsContext.h"

#include <cmath>

namespace brevanton {

SegmentedControl::SegmentedControl(Rect frame)
    : Control(frame)
{
}

void SegmentedControl::setSegmentCount(long count)
{
    BREVANTON_ASSERT(count >= 0, "segment count must not be negative");
    m_segments.resize(static_cast<size_t>(count));
    if (m_selectedSegment >= count)
        m_selectedSegment = -1;
    setNeedsDisplay(true);
}

const SegmentedControl::Segment& SegmentedControl::segmentAt(long segment) const
{
    BREVANTON_ASSERT(segment >= 0 && segment < segmentCount(), "segment index out of range");
    return m_segments[static_cast<size_t>(segment)];
}

std::u16string SegmentedControl::labelForSegment(long segment) const
{
    return segmentAt(segment).label;
}

void SegmentedControl::setLabel(std::u16string label, long segment)
{
    segmentAt(segment);
    m_segments[static_cast<size_t>(segment)].label = std::move(label);
    setNeedsDisplay(true);
}

long SegmentedControl::tagForSegment(long segment) const
{
    return segmentAt(segment).tag;
}

void SegmentedControl::setTag(long tag, long segment)
{
    segmentAt(segment);
    m_segments[static_cast<size_t>(segment)].tag = tag;
}

void SegmentedControl::setSelectedSegment(long segment)
{
    BREVANTON_ASSERT(segment >= -1 && segment < segmentCount(), "segment index out of range");
    m_selectedSegment = segment;
    setNeedsDisplay(true);
}

long SegmentedControl::segmentAtPoint(Point point) const
{
    if (m_segments.empty() || !mouseInRect(point, bounds()))
        return -1;
    double width = bounds().width() / segmentCount();
    long segment = static_cast<long>(std::floor((point.x - bounds().minX()) / width));
    return segment >= 0 && segment < segmentCount() ? segment : -1;
}

void SegmentedControl::controlWasClicked(Point point)
{
    long segment = segmentAtPoint(point);
    if (segment >= 0)
        setSelectedSegment(segment);
}

void SegmentedControl::draw(const Rect&, GraphicsContext& context)
{
    if (m_segments.empty())
        return;
    ControlDrawing drawing;
    drawing.kind = ControlKind::SegmentedControl;
    drawing.enabled = isEnabled();
    drawing.pressed = isHighlighted();
    drawing.selectedSegment = m_selectedSegment;
    for (const auto& segment : m_segments)
        drawing.segmentLabels.push_back(segment.label);
    context.drawControl(std::move(drawing), {}, bounds(), [&] {
        double width = bounds().width() / segmentCount();
        for (long segment = 0; segment < segmentCount(); ++segment) {
            Rect rect(bounds().minX() + segment * width, bounds().minY(), width, bounds().height());
            if (segment == m_selectedSegment)
                context.fillRect(rect, Color::darkGray());
            context.strokeRect(rect, Color::black());
            context.drawText(m_segments[static_cast<size_t>(segment)].label, rect, Color::black());
        }
    });
}

} // namespace brevanton
