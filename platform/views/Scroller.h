// Scroller: the bar along an edge of a scroll view. Its knob shows which part
// of the document the clip view shows (the knob's proportion of the track is
// the part shown; its value, from 0 to 1, where that part stands); dragging
// the knob moves it, a click in the track moves it by a page towards the
// click, and either way the scroll view scrolls to the new value.
#pragma once

#include "platform/views/View.h"

namespace brevanton {

enum class ScrollerOrientation { Horizontal, Vertical };

class Scroller : public View {
public:
    // The thickness of a scroller.
    static constexpr double Width = 14;
    // The knob never gets shorter than this.
    static constexpr double MinimumKnobLength = 20;

    Scroller(Rect frame, ScrollerOrientation);

    bool isFlipped() const override { return true; }
    ScrollerOrientation orientation() const { return m_orientation; }
    double doubleValue() const { return m_value; }
    void setDoubleValue(double);
    double knobProportion() const { return m_knobProportion; }
    void setKnobProportion(double);
    // In the scroller's coordinates.
    Rect knobRect() const;

    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void mouseDown(const Event&) override;
    void mouseDragged(const Event&) override;

private:
    double along(Point) const;
    double trackLength() const;
    // Sets the value as the user chose it and tells the scroll view.
    void moveTo(double value);

    ScrollerOrientation m_orientation;
    double m_value { 0 };
    double m_knobProportion { 1 };
    // While the knob is dragged: where in the knob it was taken.
    double m_grabOffset { -1 };
};

} // namespace brevanton
