#include "ui/VornickRolloverBox.h"

#include "platform/views/PropertyAnimator.h"
#include "platform/views/TrackingArea.h"
#include "views/VornickViewExtensions.h"

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

void VornickRolloverBox::updateDimming()
{
    bool dimmed = !m_mouseInside && !m_descendantFocused && !m_heldOpen;
    double alpha = dimmed ? DimmedAlpha : 1.0;
    // Animations are keyed by the responder the box is shared as.
    const void* owner = static_cast<const Responder*>(this);
    if (dimmed == m_dimmed && (alphaValue() == alpha || PropertyAnimator::isAnimating(owner, "alphaValue")))
        return;
    m_dimmed = dimmed;
    auto self = weak_from_this().lock();
    if (!wantsLayer() || !self) {
        PropertyAnimator::stopAnimation(owner, "alphaValue");
        setAlphaValue(alpha);
        setNeedsDisplay(true);
        return;
    }
    std::weak_ptr<View> weakThis = std::static_pointer_cast<View>(self);
    PropertyAnimator::animate(self, "alphaValue", alphaValue(), alpha, PropertyAnimator::DefaultDuration,
        [weakThis](double value) {
            if (auto view = weakThis.lock()) {
                view->setAlphaValue(value);
                view->setNeedsDisplay(true);
            }
        });
}

void VornickRolloverBox::updateTrackingAreas()
{
    vornick_trackMouseEnteringVisibleRect(*this, m_trackingArea);
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
