// VornickTransientBanner: the base of the small windows that show a message
// for a moment (the bezel over the editor, the momentary tips). It owns its
// window, built on first use from the layout named after the banner's class
// (windowNibName), and knows how to fade the window out: a fade takes 0.5
// seconds, the window's alpha stepping down on the main run loop's clock,
// and ends with the window ordered out and opaque again, so the next
// showing starts visible.
#pragma once

#include "platform/foundation/RunLoop.h"

#include <memory>
#include <string>

namespace brevanton {

class Window;

class VornickTransientBanner : public std::enable_shared_from_this<VornickTransientBanner> {
public:
    static constexpr double FadeOutDelay = 1.0;
    static constexpr double FadeOutDuration = 0.5;
    static constexpr const char* FadeAnimationKey = "alphaValue";

    virtual ~VornickTransientBanner();
    VornickTransientBanner(const VornickTransientBanner&) = delete;
    VornickTransientBanner& operator=(const VornickTransientBanner&) = delete;

    // The name of the layout the window is built from: the class's name.
    virtual std::u16string windowNibName() const = 0;
    // The window, built on the first call.
    std::shared_ptr<Window> window();

    bool isVisible() const;
    // Whether a fade is scheduled (the 1 second wait) or under way.
    bool hasPendingFadeOut() const { return static_cast<bool>(m_orderOutTimer); }
    bool isFading() const;

    // Cancels a pending fade, then starts the fade 1.0 second from now.
    void scheduleFadeOut();
    // Drops the pending fade (not one under way).
    void cancelFadeOut();
    // Cancels a pending fade and fades the window out over 0.5 seconds.
    void fadeOut();
    // Orders the window out at once (stopping a fade) with its alpha back at 1.0.
    void orderOutImmediately();

protected:
    VornickTransientBanner() = default;
    // Builds the window of the layout; called once.
    virtual std::shared_ptr<Window> loadWindow() = 0;
    // Stops a fade under way and makes the window opaque again (the showing starts).
    void stopFadeAnimation();

private:
    void bannerOrderOutTimerFired();

    std::shared_ptr<Window> m_window;
    ScopedTimer m_orderOutTimer;
};

} // namespace brevanton
