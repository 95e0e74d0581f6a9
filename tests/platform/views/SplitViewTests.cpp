#include "platform/views/SplitView.h"

#include "platform/views/Event.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct Collapsing : SplitViewDelegate {
    bool canCollapseSubview(SplitView& splitView, View& view) override { return &view == splitView.subviews().back().get(); }
    double constrainMinCoordinate(SplitView&, double, long) override { return 50; }
    int resizes { 0 };
    void splitViewDidResizeSubviews(SplitView&) override { ++resizes; }
};

std::shared_ptr<SplitView> stacked(double height = 300)
{
    auto splitView = std::make_shared<SplitView>(Rect(0, 0, 200, height));
    splitView->setDividerStyle(SplitViewDividerStyle::Thin);
    splitView->addSubview(std::make_shared<View>(Rect(0, 0, 200, 100)));
    splitView->addSubview(std::make_shared<View>(Rect(0, 101, 200, 199)));
    return splitView;
}

} // namespace

TEST(SplitView, DividersSitBetweenPanesAndMoveWithinTheirRange)
{
    auto splitView = stacked();
    EXPECT_TRUE(splitView->isFlipped());
    EXPECT_EQ(splitView->dividerCount(), 1);
    EXPECT_EQ(splitView->dividerRect(0), Rect(0, 100, 200, 1));
    EXPECT_EQ(splitView->maxPossiblePositionOfDividerAtIndex(0), 299);

    splitView->setPosition(120, 0);
    EXPECT_EQ(splitView->subviews()[0]->frame(), Rect(0, 0, 200, 120));
    EXPECT_EQ(splitView->subviews()[1]->frame(), Rect(0, 121, 200, 179));
    splitView->setPosition(1000, 0);
    EXPECT_EQ(splitView->subviews()[1]->frame().height(), 0);
    // Without a delegate that allows it, an emptied pane is not collapsed.
    EXPECT_FALSE(splitView->isSubviewCollapsed(*splitView->subviews()[1]));
    EXPECT_EQ(splitView->dividerRect(5), Rect());

    auto sideBySide = std::make_shared<SplitView>(Rect(0, 0, 300, 100));
    sideBySide->setVertical(true);
    sideBySide->addSubview(std::make_shared<View>(Rect(0, 0, 100, 100)));
    sideBySide->addSubview(std::make_shared<View>(Rect(109, 0, 191, 100)));
    EXPECT_EQ(sideBySide->dividerRect(0), Rect(100, 0, 9, 100));
}

TEST(SplitView, ResizingSharesTheChangeInProportionWithoutADelegateLayout)
{
    auto splitView = stacked();
    splitView->setFrameSize({ 300, 599 });
    EXPECT_EQ(splitView->subviews()[0]->frame(), Rect(0, 0, 300, 200));
    EXPECT_EQ(splitView->subviews()[1]->frame(), Rect(0, 201, 300, 398));
}

TEST(SplitView, DragsRespectTheDelegateAndCollapseOnlyWhatItAllows)
{
    auto splitView = stacked();
    auto delegate = std::make_shared<Collapsing>();
    splitView->setDelegate(delegate);
    splitView->dragDivider(0, 20);
    EXPECT_EQ(splitView->subviews()[0]->frame().height(), 50);
    EXPECT_EQ(delegate->resizes, 1);

    splitView->dragDivider(0, 400);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*splitView->subviews()[1]));
    splitView->setPosition(150, 0);
    EXPECT_FALSE(splitView->isSubviewCollapsed(*splitView->subviews()[1]));

    splitView->doubleClickDivider(0);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*splitView->subviews()[1]));
    EXPECT_EQ(splitView->subviews()[0]->frame().height(), 299);
}

TEST(SplitView, MouseEventsOnADividerDragAndCollapse)
{
    auto window = Window::create(Rect(0, 0, 200, 300));
    auto splitView = stacked();
    auto delegate = std::make_shared<Collapsing>();
    splitView->setDelegate(delegate);
    window->contentView()->addSubview(splitView);
    // The split view is flipped: its divider at y 100 lies at 199.5 in window coordinates.
    auto mouse = [&](EventType type, double y, int clicks) {
        window->sendEvent(Event::mouseEvent(type, { 50, y }, 0, 0, window, clicks));
    };
    mouse(EventType::LeftMouseDown, 199.5, 1);
    mouse(EventType::LeftMouseDragged, 150, 1);
    mouse(EventType::LeftMouseUp, 150, 1);
    EXPECT_EQ(splitView->subviews()[0]->frame().height(), 150);

    mouse(EventType::LeftMouseDown, 149.5, 2);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*splitView->subviews()[1]));
    window->close();
}
