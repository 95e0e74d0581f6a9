#include "ui/VornickCollapsibleContainerView.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/Button.h"
#include "platform/views/TextField.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace brevanton;

namespace {

struct RecordingDelegate : VornickCollapsibleContainerViewDelegate {
    bool allow { true };
    std::vector<double> resizes;
    bool shouldChangeStateTo(VornickCollapsibleContainerView&, bool) override { return allow; }
    void didResizeHeightBy(VornickCollapsibleContainerView&, double change) override { resizes.push_back(change); }
};

// A box of 200 × 120 laid out unflipped: the button 8 points from the top,
// a label beside it, and a field below.
struct Box {
    std::shared_ptr<VornickCollapsibleContainerView> view = std::make_shared<VornickCollapsibleContainerView>(Rect(0, 0, 200, 120));
    std::shared_ptr<Button> button = std::make_shared<Button>(Rect(4, 99, 13, 13));
    std::shared_ptr<TextField> label = std::make_shared<TextField>(Rect(20, 98, 100, 16));
    std::shared_ptr<View> field = std::make_shared<View>(Rect(10, 10, 180, 60));
    RecordingDelegate delegate;

    Box()
    {
        view->addSubview(button);
        view->addSubview(label);
        view->addSubview(field);
        view->setDisclosureButton(button);
        view->setLabelTextField(label);
        view->setDelegate(&delegate);
        view->awakeFromLayout();
    }
};

} // namespace

TEST(CollapsibleContainerView, SetsItselfUpFromItsLayout)
{
    Box box;
    EXPECT_FALSE(box.view->isCollapsed());
    EXPECT_EQ(box.button->frame().minY(), 8);
    EXPECT_EQ(box.view->expandedHeight(), 120);
    EXPECT_EQ(box.view->collapsedHeight(), 2 * 8 + 13);
    EXPECT_EQ(box.button->action(), VornickCollapsibleContainerView::ToggleExpansionAction);

    auto unwired = std::make_shared<VornickCollapsibleContainerView>(Rect(0, 0, 10, 10));
    EXPECT_THROW(unwired->awakeFromLayout(), InternalInconsistencyException);
}

TEST(CollapsibleContainerView, CollapsingFadesTheContentAndReportsTheChange)
{
    Box box;
    box.button->performClick();
    EXPECT_TRUE(box.view->isCollapsed());
    EXPECT_EQ(box.view->frame().height(), 29);
    EXPECT_EQ(box.button->state(), OffState);
    EXPECT_EQ(box.field->alphaValue(), 0.0);
    EXPECT_EQ(box.label->alphaValue(), 1.0);
    EXPECT_EQ(box.delegate.resizes, std::vector<double> { -91 });

    box.view->toggleExpansion();
    EXPECT_EQ(box.view->frame().height(), 120);
    EXPECT_EQ(box.button->state(), OnState);
    EXPECT_EQ(box.field->alphaValue(), 1.0);
    EXPECT_EQ(box.delegate.resizes.back(), 91);
}

TEST(CollapsibleContainerView, RefusalsAndRepeatedStatesChangeNothing)
{
    Box box;
    box.delegate.allow = false;
    box.view->toggleExpansion();
    EXPECT_FALSE(box.view->isCollapsed());
    EXPECT_EQ(box.view->frame().height(), 120);
    box.view->setCollapsed(false);
    EXPECT_TRUE(box.delegate.resizes.empty());
}

TEST(CollapsibleContainerView, AnAnimatedCollapseStepsToItsEnd)
{
    auto& loop = RunLoop::main();
    loop.useManualClock();
    Box box;
    box.view->setAnimates(true);
    box.button->performClick();
    // The state is the new one at once; height and fade follow the clock.
    EXPECT_TRUE(box.view->isCollapsed());
    EXPECT_EQ(box.button->state(), OffState);
    EXPECT_EQ(box.view->frame().height(), 120);
    loop.advanceClock(0.25);
    EXPECT_GT(box.view->frame().height(), 29);
    EXPECT_LT(box.view->frame().height(), 120);
    EXPECT_GT(box.field->alphaValue(), 0.0);
    EXPECT_LT(box.field->alphaValue(), 1.0);

    // Expanding halfway turns back from where it is.
    box.view->toggleExpansion();
    loop.advanceClock(0.5 + 2 * PropertyAnimator::StepInterval);
    EXPECT_FALSE(box.view->isAnimatingCollapse());
    EXPECT_EQ(box.view->frame().height(), 120);
    EXPECT_EQ(box.field->alphaValue(), 1.0);
    // The delegate heard every step; together they bring the box back.
    EXPECT_GT(box.delegate.resizes.size(), 2u);
    EXPECT_EQ(std::accumulate(box.delegate.resizes.begin(), box.delegate.resizes.end(), 0.0), 0.0);
    loop.useRealClock();
}
