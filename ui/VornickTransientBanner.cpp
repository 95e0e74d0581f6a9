#include "ui/VornickTransientBanner.h"

#include "platform/views/PropertyAnimator.h"
#include "platform/views/Window.h"

namespace brevanton {

VornickTransientBanner::~VornickTransientBanner()
{
    PropertyAnimator::stopAnimation(this, FadeAnimationKey);
}

std::shared_ptr<Window> VornickTransientBanner::window()
{
    if (!m_window)
        m_window = loadWindow();
    return m_window;
}

bool VornickTransientBanner::isVisible() const
{
    return m_window && m_window->isVisible();
}

void VornickTransientBanner::scheduleFadeOut()
{
    cancelFadeOut();
    m_orderOutTimer = Timer::scheduledTimer(FadeOutDelay, false,
        Timer::weakBlock<VornickTransientBanner>(weak_from_this(), [](VornickTransientBanner& banner, Timer&) {
            banner.bannerOrderOutTimerFired();
        }));
}

void VornickTransientBanner::cancelFadeOut()
{
    m_orderOutTimer.invalidate();
}

void VornickTransientBanner::bannerOrderOutTimerFired()
{
    fadeOut();
}

bool VornickTransientBanner::isFading() const
{
    return PropertyAnimator::isAnimating(this, FadeAnimationKey);
}

void VornickTransientBanner::fadeOut()
{
    cancelFadeOut();
    if (isFading() || !m_window)
        return;
    // The window's alpha steps down with the run loop's clock; the banner
    // orders out only when the fade ran to its end (a new showing stops it).
    std::weak_ptr<Window> weakWindow = m_window;
    std::weak_ptr<VornickTransientBanner> weakBanner = weak_from_this();
    PropertyAnimator::animate(shared_from_this(), FadeAnimationKey, m_window->alphaValue(), 0.0, FadeOutDuration,
        [weakWindow](double alpha) {
            if (auto window = weakWindow.lock())
                window->setAlphaValue(alpha);
        },
        [weakBanner](bool finished) {
            if (auto banner = weakBanner.lock(); banner && finished)
                banner->orderOutImmediately();
        });
}

void VornickTransientBanner::stopFadeAnimation()
{
    PropertyAnimator::stopAnimation(this, FadeAnimationKey);
    if (auto window = this->window())
        window->setAlphaValue(1.0);
}

void VornickTransientBanner::orderOutImmediately()
{
    PropertyAnimator::stopAnimation(this, FadeAnimationKey);
    if (!m_window)
        return;
    m_window->orderOut();
    m_window->setAlphaValue(1.0);
}

} // namespace brevanton
