// RatingRequestWindowController: the window asking the user to rate
// Brevanton. While it is the main window, a star flies across its bottom
// edge, turning, again and again: 1.5 seconds after it became main, then 7
// seconds after each flight ended. Closing it cancels the wait and stops the
// star for good (it never schedules another flight), so the window goes
// away with its controller. The star's place and turn are stepped by
// PropertyAnimator on the run loop's clock.
//
// Nothing shows this window yet: the application never asks for ratings.
// Main thread only.
#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/views/Window.h"

#include <memory>

namespace brevanton {

class Image;
class ImageView;

class RatingRequestWindowController final : public WindowDelegate,
                                            public std::enable_shared_from_this<RatingRequestWindowController> {
public:
    static constexpr double initialStarDelay = 1.5;
    static constexpr double repeatStarDelay = 7.0;
    static constexpr double flightDuration = 4.0;
    static constexpr double spinDuration = 3.0;

    static std::shared_ptr<RatingRequestWindowController> create();
    ~RatingRequestWindowController() override;

    // The window, built on first use.
    const std::shared_ptr<Window>& window();
    void showWindow();

    // The window's delegate.
    void windowDidBecomeMain(Window&) override;
    void windowWillClose(Window&) override;

    void starTimerFired();
    // The end of a flight, finished or stopped.
    void flightDidStop(bool finished);

    bool hasPendingStarTimer() const { return static_cast<bool>(m_happyStarTimer); }
    const std::shared_ptr<Image>& happyStarImage() const { return m_happyStarImage; }
    // The star, made on the first flight and kept.
    const std::shared_ptr<ImageView>& happyStarView() const { return m_happyStarView; }
    bool isStarFlying() const;

private:
    RatingRequestWindowController();
    void scheduleStarAfter(double interval);
    void cancelStarTimer();
    void stopStarAnimations();

    std::shared_ptr<Window> m_window;
    ScopedTimer m_happyStarTimer;
    std::shared_ptr<Image> m_happyStarImage;
    std::shared_ptr<ImageView> m_happyStarView;
    // Closed windows fly no more stars until they become main again.
    bool m_closed { false };
};

} // namespace brevanton
