// PropertyAnimator: moves a numeric property (an alpha, an opacity) of an
// object from one value to another over a duration, linearly, stepped by the
// main run loop's clock at 60 steps a second. Tests install the manual clock
// and advance it, so every step is deterministic.
//
// An animation belongs to its owner and a key naming the property: starting
// another for the same owner and key stops the running one, whose completion
// is told it did not finish. An animation whose owner has gone stops without
// a word. A zero duration sets the value and completes at once.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace brevanton {

class PropertyAnimator {
public:
    static constexpr double StepInterval = 1.0 / 60;
    // The duration of an animation nobody gave one.
    static constexpr double DefaultDuration = 0.25;

    using Setter = std::function<void(double value)>;
    // Called once: finished is false when the animation was stopped or replaced.
    using Completion = std::function<void(bool finished)>;

    // The setter is called at each step while the owner lives; it should not
    // capture the owner strongly.
    static void animate(const std::shared_ptr<const void>& owner, std::string key, double from, double to,
                        double duration, Setter, Completion = {});
    static bool isAnimating(const void* owner, std::string_view key);
    // Stops the animation where it is.
    static void stopAnimation(const void* owner, std::string_view key);
    static size_t runningAnimationCount();
};

} // namespace brevanton
