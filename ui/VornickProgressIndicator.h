// VornickProgressIndicator: a progress indicator drawn as a capsule.
// Determinate progress fills the capsule from the left (the smallest visible
// bar is a circle of the capsule's height); indeterminate progress shows a
// dashed outline whose dashes march around, 30 redraws a second while
// animating.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/ProgressIndicator.h"

namespace brevanton {

class VornickProgressIndicator : public ProgressIndicator {
public:
    static constexpr double AnimationInterval = 1.0 / 30;
    static Color outlineColor() { return Color::darkGray(); }
    // The colour of a bar that reached the maximum.
    static Color completedColor() { return Color::genericGamma22White(0.9, 1.0); }

    explicit VornickProgressIndicator(Rect frame = {});
    ~VornickProgressIndicator() override;

    // Starts the animation when now indeterminate, stops it when determinate.
    void setIndeterminate(bool) override;
    // Nothing when animating already or determinate.
    void startAnimation() override;
    void stopAnimation() override;
    bool isOpaque() const override { return false; }

    // The dash phase, 0 to 7; each indeterminate drawing moves it on by one.
    double animationPhase() const { return m_animationPhase; }

    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    ScopedTimer m_animationTimer;
    double m_animationPhase { 0 };
};

} // namespace brevanton
