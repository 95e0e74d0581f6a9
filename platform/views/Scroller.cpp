#include "platform/views/Scroller.h"

#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/ScrollView.h"

#include <algorithm>

namespace brevanton {

Scroller::Scroller(Rect frame, ScrollerOrientation orientation)
    : View(frame)
    , m_orientation(orientation)
{
}

void Scroller::setDoubleValue(double value)
{
    value = std::clamp(value, 0.0, 1.0);
    if (value == m_value)
        return;
    m_value = value;
    setNeedsDisplay(true);
}

void Scroller::setKnobProportion(double proportion)
{
    proportion = std::clamp(proportion, 0.0, 1.0);
    if (proportion == m_knobProportion)
        return;
    m_knobProportion = proportion;
    setNeedsDisplay(true);
}

double Scroller::trackLength() const
{
    return m_orientation == ScrollerOrientation::Horizontal ? bounds().width() : bounds().height();
}

double Scroller::along(Point point) const
{
    return m_orientation == ScrollerOrientation::Horizontal ? point.x - bounds().minX() : point.y - bounds().minY();
}

Rect Scroller::knobRect() const
{
    double track = trackLength();
    double length = std::min(track, std::max(MinimumKnobLength, track * m_knobProportion));
    double start = (track - length) * m_value;
    Rect box = bounds();
    if (m_orientation == ScrollerOrientation::Horizontal)
        return Rect(box.minX() + start, box.minY() + 3, length, box.height() - 6);
    return Rect(box.minX() + 3, box.minY() + start, box.width() - 6, length);
}

void Scroller::draw(const Rect&, GraphicsContext& context)
{
    context.fillRect(bounds(), Color::genericGamma22White(0.5, 0.25));
    if (m_knobProportion < 1) {
        Rect knob = knobRect();
        double thickness = m_orientation == ScrollerOrientation::Horizontal ? knob.height() : knob.width();
        context.fillRoundedRect(knob, thickness / 2, Color::genericGamma22White(0.6, 0.85));
    }
}

void Scroller::mouseDown(const Event& event)
{
    m_grabOffset = -1;
    if (m_knobProportion >= 1)
        return;
    double at = along(convertPointFromView(event.locationInWindow(), nullptr));
    Rect knob = knobRect();
    double knobStart = m_orientation == ScrollerOrientation::Horizontal ? knob.minX() - bounds().minX() : knob.minY() - bounds().minY();
    double knobLength = m_orientation == ScrollerOrientation::Horizontal ? knob.width() : knob.height();
    if (at >= knobStart && at <= knobStart + knobLength) {
        m_grabOffset = at - knobStart;
        return;
    }
    // A page towards the click: the knob moves by its own length.
    double room = trackLength() - knobLength;
    if (room <= 0)
        return;
    double page = knobLength / room;
    moveTo(at < knobStart ? m_value - page : m_value + page);
}

void Scroller::mouseDragged(const Event& event)
{
    if (m_grabOffset < 0)
        return;
    Rect knob = knobRect();
    double knobLength = m_orientation == ScrollerOrientation::Horizontal ? knob.width() : knob.height();
    double room = trackLength() - knobLength;
    if (room <= 0)
        return;
    double at = along(convertPointFromView(event.locationInWindow(), nullptr));
    moveTo((at - m_grabOffset) / room);
}

void Scroller::moveTo(double value)
{
    setDoubleValue(value);
    if (auto scrollView = std::dynamic_pointer_cast<ScrollView>(superview()))
        scrollView->scrollerDidMove(*this);
}

} // namespace brevanton
