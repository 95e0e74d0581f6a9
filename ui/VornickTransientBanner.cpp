#include "ui/VornickTransientBanner.h"

#include "platform/views/Window.h"

namespace brevanton {

VornickTransientBanner::~VornickTransientBanner() = default;

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

void VornickTransientBanner::fadeOut()
{
    cancelFadeOut();
    if (m_fadeTimer)
        return;
    m_fadeTimer = Timer::scheduledTimer(FadeOutDuration, false,
        Timer::weakBlock<VornickTransientBanner>(weak_from_this(), [](VornickTransientBanner& banner, Timer&) {
            banner.fadeAnimationDidEnd();
        }));
}

void VornickTransientBanner::fadeAnimationDidEnd()
{
    m_fadeTimer.invalidate();
    if (m_window)
        m_window->setAlphaValue(0.0);
    orderOutImmediately();
}

void VornickTransientBanner::stopFadeAnimation()
{
    m_fadeTimer.invalidate();
    if (auto window = this->window())
        window->setAlphaValue(1.0);
}

void VornickTransientBanner::orderOutImmediately()
{
    m_fadeTimer.invalidate();
    if (!m_window)
        return;
    m_window->orderOut();
    m_window->setAlphaValue(1.0);
}

} // namespace brevanton
