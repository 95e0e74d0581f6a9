#include "ui/VornickTitleWall.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Layer.h"
#include "platform/views/LayerHostingView.h"
#include "platform/views/PropertyAnimator.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

using namespace brevanton;

namespace vornick_title_wall_tests {
namespace {

class ManualClock {
public:
    ManualClock() { RunLoop::main().useManualClock(); }
    ~ManualClock() { RunLoop::main().useRealClock(); }
};

// Answers the numbers given, then `fallback`.
VornickTitleWall::RandomNumberSource scripted(std::deque<double> numbers, double fallback = 0)
{
    auto queue = std::make_shared<std::deque<double>>(std::move(numbers));
    return [queue, fallback] {
        if (queue->empty())
            return fallback;
        double number = queue->front();
        queue->pop_front();
        return number;
    };
}

std::vector<std::u16string> strings(const std::vector<std::shared_ptr<TextLayer>>& layers)
{
    std::vector<std::u16string> result;
    for (auto& layer : layers)
        result.push_back(layer->string());
    return result;
}

struct WallFixture {
    ManualClock clock;
    std::shared_ptr<LayerHostingView> host = std::make_shared<LayerHostingView>(Rect(0, 0, 600, 400));
    std::shared_ptr<VornickTitleWall> wall = std::make_shared<VornickTitleWall>();
    WallFixture() { wall->setContainerLayer(host->layer()); }
    ~WallFixture()
    {
        wall->removeAllTitles();
        RunLoop::main().advanceClock(10);
    }
};

} // namespace

TEST(VornickTitleWall, TitlesWaitBelowTheBottomEdgeScaledDeeperAndWithinTheWidth)
{
    WallFixture fixture;
    double titleWidth = Font(fixture.wall->titleFont()).widthOfString(u"As wide as the wall");
    fixture.host->setFrameSize({ titleWidth, 400 });
    ASSERT_DOUBLE_EQ(fixture.host->layer()->bounds().width(), titleWidth);

    // Scale 1 (r1 = 0): a title as wide as the wall is centred whatever r2 is.
    fixture.wall->setRandomNumberSource(scripted({ 0.0, 0.93 }));
    fixture.wall->addTitle(u"As wide as the wall");
    auto& first = *fixture.wall->titleLayersAwaitingLaunch().front();
    EXPECT_EQ(first.position().x, std::floor(titleWidth / 2));
    EXPECT_EQ(first.position().y, -36.0);
    EXPECT_EQ(first.transform(), LayerScaleTransform::scale(1, 1));
    EXPECT_EQ(first.zPosition(), -1.0);
    EXPECT_TRUE(fixture.wall->isLaunchTimerScheduled());

    // The smallest, at either extreme of r2, stays within the wall.
    fixture.host->setFrameSize({ 600, 400 });
    for (double r2 : { 0.0, 0.999999 }) {
        fixture.wall->setRandomNumberSource(scripted({ 0.999999, r2 }));
        fixture.wall->addTitle(u"Half size");
        auto& layer = *fixture.wall->titleLayersAwaitingLaunch().back();
        EXPECT_NEAR(layer.transform().sx, 0.5, 1e-5);
        EXPECT_NEAR(layer.zPosition(), -2.0, 1e-4);
        Rect frame = layer.frame();
        EXPECT_GE(frame.minX(), -1.0);
        EXPECT_LE(frame.maxX(), 600.0);
        EXPECT_NEAR(frame.height(), Font(fixture.wall->titleFont()).lineHeight() * layer.transform().sy, 1e-9);
    }
    EXPECT_EQ(fixture.host->layer()->sublayers().size(), 3u);
}

TEST(VornickTitleWall, TenTitlesLaunchEveryHalfSecondAndReturnToTheEndOfTheQueue)
{
    WallFixture fixture;
    // A seeded generator for the places; every flight lasts 4 s.
    auto engine = std::make_shared<std::mt19937_64>(34);
    bool placing = true;
    fixture.wall->setRandomNumberSource([engine, &placing] {
        return placing ? std::uniform_real_distribution<double>(0, 1)(*engine) : 0.0;
    });
    std::vector<std::u16string> titles;
    for (int index = 0; index < 10; ++index) {
        titles.push_back(u"Post " + std::u16string(1, char16_t(u'0' + index)));
        fixture.wall->addTitle(titles.back());
    }
    placing = false;
    EXPECT_EQ(strings(fixture.wall->titleLayersAwaitingLaunch()), titles);

    for (int launched = 1; launched <= 8; ++launched) {
        RunLoop::main().advanceClock(0.5);
        EXPECT_EQ(fixture.wall->titleLayersInFlight().size(), size_t(launched));
        EXPECT_EQ(fixture.wall->titleLayersAwaitingLaunch().size(), size_t(10 - launched));
    }
    // Rising: the first, launched at 0.5 s, is seven eighths of the way up at 4 s.
    auto firstLayer = fixture.wall->titleLayersInFlight().front();
    double top = 400 + 54.0;
    EXPECT_NEAR(firstLayer->presentationPosition().y, -36 + (top + 36) * 3.5 / 4.0, 3.0);
    EXPECT_EQ(firstLayer->position().y, top);

    // At 4.5 s the ninth leaves and the first lands (4 s after it left): it
    // comes back as a new layer at the end of the queue, behind the tenth.
    RunLoop::main().advanceClock(0.5 + PropertyAnimator::StepInterval);
    EXPECT_EQ(fixture.wall->titleLayersInFlight().size(), 8u);
    EXPECT_EQ(strings(fixture.wall->titleLayersAwaitingLaunch()), std::vector<std::u16string>({ u"Post 9", u"Post 0" }));
    EXPECT_NE(fixture.wall->titleLayersAwaitingLaunch().back(), firstLayer);
    EXPECT_FALSE(firstLayer->superlayer());

    RunLoop::main().advanceClock(0.5);
    EXPECT_EQ(strings(fixture.wall->titleLayersInFlight()).back(), u"Post 9");
    // Each comes back in the order it left, and flies again.
    RunLoop::main().advanceClock(4.0);
    std::vector<std::u16string> cycled = strings(fixture.wall->titleLayersInFlight());
    std::vector<std::u16string> waiting = strings(fixture.wall->titleLayersAwaitingLaunch());
    cycled.insert(cycled.end(), waiting.begin(), waiting.end());
    EXPECT_EQ(cycled, titles);
    EXPECT_EQ(fixture.host->layer()->sublayers().size(), 10u);
}

TEST(VornickTitleWall, FlightsEndedByRemovingAllTitlesOrTheWallNeverBringTitlesBack)
{
    WallFixture fixture;
    fixture.wall->setRandomNumberSource(scripted({}, 0.5));
    for (auto title : { u"One", u"Two", u"Three" })
        fixture.wall->addTitle(title);
    RunLoop::main().advanceClock(1.0);
    ASSERT_EQ(fixture.wall->titleLayersInFlight().size(), 2u);

    fixture.wall->removeAllTitles();
    EXPECT_TRUE(fixture.wall->titleLayersInFlight().empty());
    EXPECT_TRUE(fixture.wall->titleLayersAwaitingLaunch().empty());
    EXPECT_FALSE(fixture.wall->isLaunchTimerScheduled());
    RunLoop::main().advanceClock(10);
    EXPECT_TRUE(fixture.wall->titleLayersAwaitingLaunch().empty());
    EXPECT_FALSE(fixture.wall->isLaunchTimerScheduled());
    EXPECT_TRUE(fixture.host->layer()->sublayers().empty());

    // A wall let go of while titles fly: they leave the container as their
    // flights end, and nothing is scheduled again.
    auto wall = std::make_shared<VornickTitleWall>();
    wall->setContainerLayer(fixture.host->layer());
    wall->setRandomNumberSource(scripted({}, 0.5));
    wall->addTitle(u"Orphan");
    wall->addTitle(u"Waiting");
    RunLoop::main().advanceClock(0.5);
    std::weak_ptr<VornickTitleWall> weakWall = wall;
    wall.reset();
    EXPECT_TRUE(weakWall.expired());
    RunLoop::main().advanceClock(10);
    EXPECT_EQ(fixture.host->layer()->sublayers().size(), 1u);
    EXPECT_EQ(PropertyAnimator::runningAnimationCount(), 0u);
}

TEST(VornickTitleWall, AHostingViewDrawsTheTitlesAsTheyRise)
{
    WallFixture fixture;
    fixture.wall->setRandomNumberSource(scripted({}, 0.0));
    fixture.wall->addTitle(u"Hello world");
    auto drawnTitleRect = [&] {
        GraphicsContext context;
        fixture.host->display(context);
        for (auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::TextRun && command.text == u"Hello world")
                return command.rect;
        }
        return Rect();
    };
    Rect waiting = drawnTitleRect();
    EXPECT_LT(waiting.maxY(), 1.0);
    RunLoop::main().advanceClock(0.5 + 2.0);
    EXPECT_TRUE(fixture.host->needsDisplay());
    Rect halfway = drawnTitleRect();
    EXPECT_GT(halfway.minY(), waiting.minY() + 150);
    EXPECT_EQ(halfway.width(), waiting.width());
}

} // namespace vornick_title_wall_tests
