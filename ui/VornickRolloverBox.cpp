#include "ui/VornickRolloverBox.h"

#include "platform/views/TrackingArea.h"

namespace brevanton {

VornickRolloverBox::VornickRolloverBox(Rect frame)
    : View(frame)
{
    updateDimming();
}

void VornickRolloverBox::setMouseInside(bool inside)
{
    if (inside == m_mouseInside)
        return;
    m_mouseInside = inside;
    updateDimming();
}

void VornickRolloverBox::setDescendantFocused(bool focused)
{
    if (focused == m_descendantFocused)
        return;
    m_descendantFocused = focused;
    updateDimming();
}

void VornickRolloverBox::setHeldOpen(bool held)
{
    if (held == m_heldOpen)
        return;
    m_heldOpen = held;
    updateDimming();
}

// The box is not layer-backed, so the alpha changes at once rather than fading.
void VornickRolloverBox::updateDimming()
{
    bool dimmed = !m_mouseInside && !m_descendantFocused && !m_heldOpen;
    if (dimmed == m_dimmed && alphaValue() == (dimmed ? DimmedAlpha : 1.0))
        return;
    m_dimmed = dimmed;
    setAlphaValue(dimmed ? DimmedAlpha : 1.0);
    setNeedsDisplay(true);
}

void VornickRolloverBox::updateTrackingAreas()
{
    if (m_trackingArea)
        removeTrackingArea(m_trackingArea.get());
    m_trackingArea = std::make_shared<TrackingArea>(Rect(),
        TrackingAreaOption::MouseEnteredAndExited | TrackingAreaOption::ActiveInActiveApp | TrackingAreaOption::InVisibleRect,
        sharedAs<Responder>());
    addTrackingArea(m_trackingArea);
}

void VornickRolloverBox::mouseEntered(const Event& event)
{
    if (event.trackingArea() == m_trackingArea)
        setMouseInside(true);
}

void VornickRolloverBox::mouseExited(const Event& event)
{
    if (event.trackingArea() == m_trackingArea)
        setMouseInside(false);
}

} // namespace brevanton
