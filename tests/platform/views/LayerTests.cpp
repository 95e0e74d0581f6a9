#include "platform/foundation/RunLoop.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Layer.h"
#include "platform/views/LayerHostingView.h"
#include "platform/views/ProgressIndicator.h"
#include "platform/views/PropertyAnimator.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

Point pt(double x, double y)
{
    return { x, y };
}

class ManualClock {
public:
    ManualClock() { RunLoop::main().useManualClock(); }
    ~ManualClock() { RunLoop::main().useRealClock(); }
};

std::shared_ptr<TextLayer> textLayer(std::u16string string, Rect bounds, Point position)
{
    auto layer = std::make_shared<TextLayer>();
    layer->setString(std::move(string));
    layer->setBounds(bounds);
    layer->setPosition(position);
    return layer;
}

std::vector<DrawCommand> textRuns(const GraphicsContext& context)
{
    std::vector<DrawCommand> runs;
    for (auto& command : context.commands()) {
        if (command.kind == DrawCommand::Kind::TextRun)
            runs.push_back(command);
    }
    return runs;
}

} // namespace

TEST(Layer, ScaledLayersArePlacedAboutTheirPositionAndDrawnDeepestFirst)
{
    auto host = std::make_shared<LayerHostingView>(Rect(0, 0, 400, 300));
    auto root = host->layer();
    EXPECT_EQ(root->bounds(), Rect(0, 0, 400, 300));

    auto near = textLayer(u"Near", Rect(0, 0, 100, 40), { 200, 150 });
    auto deep = textLayer(u"Deep", Rect(0, 0, 100, 40), { 100, 100 });
    deep->setTransform(LayerScaleTransform::scale(0.5, 0.5));
    deep->setZPosition(-2);
    near->setZPosition(-1);
    root->addSublayer(near);
    root->addSublayer(deep);
    // Scaled about the centre: half the size, centred on the position.
    EXPECT_EQ(deep->frame(), Rect(75, 90, 50, 20));

    GraphicsContext context;
    host->display(context);
    auto runs = textRuns(context);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, u"Deep");
    EXPECT_EQ(runs[0].rect, Rect(75, 90, 50, 20));
    EXPECT_DOUBLE_EQ(runs[0].font->pointSize(), 18);
    EXPECT_EQ(runs[1].text, u"Near");
    EXPECT_EQ(runs[1].rect, Rect(150, 130, 100, 40));

    // A layer taken out is no longer drawn; a change asks the view to redraw.
    GraphicsContext cleared;
    host->display(cleared);
    EXPECT_FALSE(host->needsDisplay());
    deep->removeFromSuperlayer();
    EXPECT_TRUE(host->needsDisplay());
    GraphicsContext again;
    host->display(again);
    EXPECT_EQ(textRuns(again).size(), 1u);
}

TEST(Layer, ImplicitAnimationsFollowTheClockAndCompleteOnce)
{
    ManualClock clock;
    auto host = std::make_shared<LayerHostingView>(Rect(0, 0, 200, 200));
    auto layer = textLayer(u"Rising", Rect(0, 0, 50, 20), { 100, -36 });
    host->layer()->addSublayer(layer);

    // Outside a transaction a change takes effect at once.
    layer->setPosition({ 100, -30 });
    EXPECT_FALSE(layer->isAnimatingPosition());

    int completions = 0;
    LayerTransaction::begin();
    LayerTransaction::setAnimationDuration(4);
    LayerTransaction::setAnimationTimingFunction(LayerTimingFunction::Linear);
    LayerTransaction::setCompletionBlock([&] { ++completions; });
    layer->setPosition({ 100, 370 });
    LayerTransaction::commit();

    EXPECT_EQ(layer->position(), pt(100, 370));
    EXPECT_EQ(layer->presentationPosition(), pt(100, -30));
    RunLoop::main().advanceClock(1);
    EXPECT_NEAR(layer->presentationPosition().y, 70, 2);
    RunLoop::main().advanceClock(1);
    EXPECT_NEAR(layer->presentationPosition().y, 170, 2);
    EXPECT_EQ(completions, 0);
    RunLoop::main().advanceClock(2 + PropertyAnimator::StepInterval);
    EXPECT_EQ(layer->presentationPosition(), pt(100, 370));
    EXPECT_FALSE(layer->isAnimatingPosition());
    EXPECT_EQ(completions, 1);
    RunLoop::main().advanceClock(5);
    EXPECT_EQ(completions, 1);

    // A transaction that started nothing completes at its commit.
    LayerTransaction::begin();
    LayerTransaction::setCompletionBlock([&] { ++completions; });
    LayerTransaction::commit();
    EXPECT_EQ(completions, 2);
}

TEST(Layer, RemovingOrDestroyingAFlyingLayerEndsItsAnimation)
{
    ManualClock clock;
    auto host = std::make_shared<LayerHostingView>(Rect(0, 0, 200, 200));
    auto first = textLayer(u"One", Rect(0, 0, 50, 20), { 50, 0 });
    auto second = textLayer(u"Two", Rect(0, 0, 50, 20), { 150, 0 });
    host->layer()->addSublayer(first);
    host->layer()->addSublayer(second);

    std::vector<std::string> ended;
    for (auto& [layer, name] : { std::pair { first, "one" }, std::pair { second, "two" } }) {
        std::string label = name;
        LayerTransaction::begin();
        LayerTransaction::setAnimationDuration(2);
        LayerTransaction::setCompletionBlock([&ended, label] { ended.push_back(label); });
        layer->setPosition({ layer->position().x, 200 });
        LayerTransaction::commit();
    }
    RunLoop::main().advanceClock(0.5);
    first->removeFromSuperlayer();
    EXPECT_EQ(ended, std::vector<std::string>({ "one" }));
    EXPECT_EQ(first->presentationPosition(), pt(50, 200));

    second->removeFromSuperlayer();
    second.reset();
    EXPECT_EQ(ended, std::vector<std::string>({ "one", "two" }));
    RunLoop::main().advanceClock(3);
    EXPECT_EQ(ended.size(), 2u);
    EXPECT_EQ(PropertyAnimator::runningAnimationCount(), 0u);
}

TEST(ProgressIndicator, KeepsItsValueAndAnimatesOnlyWhenIndeterminate)
{
    auto indicator = std::make_shared<ProgressIndicator>(Rect(0, 0, 100, 10));
    EXPECT_TRUE(indicator->isIndeterminate());
    indicator->startAnimation();
    EXPECT_TRUE(indicator->isAnimating());
    indicator->stopAnimation();
    indicator->setIndeterminate(false);
    indicator->startAnimation();
    EXPECT_FALSE(indicator->isAnimating());

    indicator->setMinValue(10);
    indicator->setMaxValue(20);
    indicator->setDoubleValue(15);
    GraphicsContext context;
    indicator->display(context);
    // The bar as a control, over its plain track and fill.
    ASSERT_EQ(context.commands().size(), 3u);
    ASSERT_EQ(context.commands()[0].kind, DrawCommand::Kind::Control);
    EXPECT_EQ(context.commands()[0].control->value, 15);
    EXPECT_EQ(context.commands()[2].rect, Rect(0, 0, 50, 10));

    // Past the maximum the bar is full, never wider.
    indicator->setDoubleValue(40);
    EXPECT_EQ(indicator->doubleValue(), 40);
    GraphicsContext full;
    indicator->display(full);
    EXPECT_EQ(full.commands()[2].rect, Rect(0, 0, 100, 10));
}
