#include "ui/VornickProgressIndicator.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class ManualClock {
public:
    ManualClock() { RunLoop::main().useManualClock(); }
    ~ManualClock() { RunLoop::main().useRealClock(); }
};

std::shared_ptr<VornickProgressIndicator> determinate(double low, double high, double value)
{
    auto indicator = std::make_shared<VornickProgressIndicator>(Rect(0, 0, 200, 20));
    indicator->setIndeterminate(false);
    indicator->setMinValue(low);
    indicator->setMaxValue(high);
    indicator->setDoubleValue(value);
    return indicator;
}

std::vector<DrawCommand> drawn(View& view)
{
    GraphicsContext context;
    view.display(context);
    return context.commands();
}

} // namespace

TEST(VornickProgressIndicator, DeterminateCapsuleAtItsBounds)
{
    // At the minimum: the outline alone, dark.
    auto empty = drawn(*determinate(0, 10, 0));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].kind, DrawCommand::Kind::StrokePath);
    EXPECT_EQ(empty[0].color, VornickProgressIndicator::outlineColor());
    EXPECT_EQ(empty[0].rect, Rect(1, 1, 198, 18));
    EXPECT_EQ(empty[0].path->lineWidth(), 2);

    // At the maximum: a full pale bar and outline.
    auto full = drawn(*determinate(0, 10, 10));
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[0].color, Color::genericGamma22White(0.9, 1));
    EXPECT_EQ(full[1].kind, DrawCommand::Kind::FillPath);
    EXPECT_EQ(full[1].color, Color::genericGamma22White(0.9, 1));
    EXPECT_EQ(full[1].rect, Rect(1, 1, 198, 18));

    // Half way: (200 - 18) x 0.5 + 18, rounded; dark.
    auto half = drawn(*determinate(0, 10, 5));
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[1].color, VornickProgressIndicator::outlineColor());
    EXPECT_EQ(half[1].rect, Rect(1, 1, 109, 18));

    // Equal bounds, the value away from them: the two caps only, a circle.
    auto equal = drawn(*determinate(5, 5, 8));
    ASSERT_EQ(equal.size(), 2u);
    EXPECT_EQ(equal[1].rect, Rect(1, 1, 18, 18));
}

TEST(VornickProgressIndicator, IndeterminateDashesMarchWhileAnimating)
{
    ManualClock clock;
    auto indicator = determinate(0, 1, 0.5);
    indicator->startAnimation();
    EXPECT_FALSE(indicator->isAnimating());
    drawn(*indicator);
    RunLoop::main().advanceClock(1);
    EXPECT_FALSE(indicator->needsDisplay());

    indicator->setIndeterminate(true);
    EXPECT_TRUE(indicator->isAnimating());
    EXPECT_EQ(indicator->animationPhase(), 0);
    std::vector<double> phases;
    for (int frame = 0; frame < 9; ++frame) {
        drawn(*indicator);
        EXPECT_FALSE(indicator->needsDisplay());
        RunLoop::main().advanceClock(VornickProgressIndicator::AnimationInterval + 1e-6);
        EXPECT_TRUE(indicator->needsDisplay());
        phases.push_back(indicator->animationPhase());
    }
    EXPECT_EQ(phases, std::vector<double>({ 1, 2, 3, 4, 5, 6, 7, 0, 1 }));
    auto outline = drawn(*indicator);
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].path->lineDash(), std::vector<double>({ 4, 4 }));
    EXPECT_EQ(outline[0].path->lineDashPhase(), 2);

    // Determinate again: the timer stops.
    indicator->setIndeterminate(false);
    EXPECT_FALSE(indicator->isAnimating());
    drawn(*indicator);
    RunLoop::main().advanceClock(1);
    EXPECT_FALSE(indicator->needsDisplay());
}
