// VornickRolloverBox: a box that dims itself (alpha 0.25) unless the user is
// working in it: the mouse is inside, a view inside it has focus, or its
// owner holds it open. A layer-backed box fades to its alpha; another
// changes at once.
#pragma once

#include "platform/views/View.h"

namespace brevanton {

class VornickRolloverBox : public View {
public:
    static constexpr double DimmedAlpha = 0.25;

    // Dimming is evaluated as the box is made (a new box is dimmed).
    explicit VornickRolloverBox(Rect frame = {});

    bool mouseInside() const { return m_mouseInside; }
    void setMouseInside(bool);
    bool descendantFocused() const { return m_descendantFocused; }
    void setDescendantFocused(bool);
    bool heldOpen() const { return m_heldOpen; }
    void setHeldOpen(bool);
    bool isDimmed() const { return m_dimmed; }

    // The mouse is tracked over the visible rectangle.
    void updateTrackingAreas() override;
    void mouseEntered(const Event&) override;
    void mouseExited(const Event&) override;

private:
    void updateDimming();

    bool m_mouseInside { false };
    bool m_descendantFocused { false };
    bool m_heldOpen { false };
    bool m_dimmed { false };
    std::shared_ptr<TrackingArea> m_trackingArea;
};

} // namespace brevanton
