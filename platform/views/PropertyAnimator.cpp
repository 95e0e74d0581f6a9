#include "platform/views/PropertyAnimator.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace brevanton {

namespace {

struct Animation {
    uint64_t identifier;
    std::weak_ptr<const void> owner;
    const void* ownerAddress;
    std::string key;
    double from;
    double to;
    double duration;
    Date start;
    PropertyAnimator::Setter setter;
    PropertyAnimator::Completion completion;
};

struct Animations {
    std::vector<Animation> running;
    uint64_t lastIdentifier { 0 };
    std::shared_ptr<Timer> timer;
};

// Never destroyed: animations may be stopped by owners that go away late.
Animations& animations()
{
    static auto* shared = new Animations;
    return *shared;
}

void stopTimerWhenIdle()
{
    auto& state = animations();
    if (state.running.empty() && state.timer) {
        state.timer->invalidate();
        state.timer = nullptr;
    }
}

// Takes out the owner's animation of the key, if any.
std::optional<Animation> takeAnimation(const void* owner, std::string_view key)
{
    auto& running = animations().running;
    auto found = std::find_if(running.begin(), running.end(),
        [&](auto& animation) { return animation.ownerAddress == owner && animation.key == key; });
    if (found == running.end())
        return std::nullopt;
    Animation animation = std::move(*found);
    running.erase(found);
    return animation;
}

void step()
{
    auto& state = animations();
    Date now = RunLoop::main().now();
    std::vector<Animation> finished;
    // Setters may start or stop animations: work on identifiers.
    std::vector<uint64_t> identifiers;
    for (auto& animation : state.running)
        identifiers.push_back(animation.identifier);
    for (uint64_t identifier : identifiers) {
        auto found = std::find_if(state.running.begin(), state.running.end(),
            [identifier](auto& animation) { return animation.identifier == identifier; });
        if (found == state.running.end())
            continue;
        if (found->owner.expired()) {
            state.running.erase(found);
            continue;
        }
        double progress = std::clamp(now.timeIntervalSince(found->start) / found->duration, 0.0, 1.0);
        auto setter = found->setter;
        double value = progress >= 1 ? found->to : found->from + (found->to - found->from) * progress;
        if (progress >= 1) {
            finished.push_back(std::move(*found));
            state.running.erase(found);
        }
        if (setter)
            setter(value);
    }
    stopTimerWhenIdle();
    for (auto& animation : finished) {
        if (animation.completion && !animation.owner.expired())
            animation.completion(true);
    }
}

} // namespace

void PropertyAnimator::animate(const std::shared_ptr<const void>& owner, std::string key, double from, double to,
                               double duration, Setter setter, Completion completion)
{
    if (auto replaced = takeAnimation(owner.get(), key); replaced && replaced->completion)
        replaced->completion(false);
    if (duration <= 0) {
        if (setter)
            setter(to);
        if (completion)
            completion(true);
        stopTimerWhenIdle();
        return;
    }
    auto& state = animations();
    state.running.push_back({ ++state.lastIdentifier, owner, owner.get(), std::move(key), from, to, duration,
                              RunLoop::main().now(), std::move(setter), std::move(completion) });
    if (!state.timer)
        state.timer = Timer::scheduledTimer(StepInterval, true, [](Timer&) { step(); });
}

bool PropertyAnimator::isAnimating(const void* owner, std::string_view key)
{
    auto& running = animations().running;
    return std::any_of(running.begin(), running.end(),
        [&](auto& animation) { return animation.ownerAddress == owner && animation.key == key && !animation.owner.expired(); });
}

void PropertyAnimator::stopAnimation(const void* owner, std::string_view key)
{
    auto stopped = takeAnimation(owner, key);
    stopTimerWhenIdle();
    if (stopped && stopped->completion)
        stopped->completion(false);
}

size_t PropertyAnimator::runningAnimationCount()
{
    auto& running = animations().running;
    return std::count_if(running.begin(), running.end(), [](auto& animation) { return !animation.owner.expired(); });
}

} // namespace brevanton
