#include "ui/VornickCollapsibleHeaderSplitViewManager.h"

#include "platform/foundation/RunLoop.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

// A split view of 400 × 600 with thin dividers: header 100 (natural 100,
// minimum 40), main, footer 150, unless a test builds another.
class SplitViewManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        splitView = std::make_shared<VornickCollapsibleHeaderSplitView>(Rect(0, 0, 400, 600));
        splitView->setDividerStyle(SplitViewDividerStyle::Thin);
        mainView = std::make_shared<View>(Rect(0, 101, 400, 348));
        splitView->addSubview(mainView);
        manager = std::make_shared<VornickCollapsibleHeaderSplitViewManager>();
        manager->setSplitView(splitView);
        header = std::make_shared<View>(Rect(0, 0, 400, 100));
        footer = std::make_shared<View>(Rect(0, 450, 400, 150));
        manager->setHeaderViewMinHeight(40);
        manager->setHeaderView(header);
        manager->setFooterView(footer);
    }
    void TearDown() override { RunLoop::main().useRealClock(); }

    void resizeSplitView(double height) { splitView->setFrameSize({ 400, height }); }

    std::shared_ptr<VornickCollapsibleHeaderSplitView> splitView;
    std::shared_ptr<VornickCollapsibleHeaderSplitViewManager> manager;
    std::shared_ptr<View> header;
    std::shared_ptr<View> mainView;
    std::shared_ptr<View> footer;
};

} // namespace

TEST_F(SplitViewManagerTest, PanesTakeTheirPlacesAndDividerIndexesFollow)
{
    ASSERT_EQ(splitView->subviews().size(), 3u);
    EXPECT_EQ(splitView->subviews().front(), header);
    EXPECT_EQ(splitView->subviews().back(), footer);
    EXPECT_EQ(manager->headerViewNaturalHeight(), 100);
    EXPECT_EQ(manager->headerDividerIndex(), 0);
    EXPECT_EQ(manager->footerDividerIndex(), 1);
    EXPECT_EQ(splitView->delegate().lock(), manager);

    // Another header replaces the first in front.
    auto other = std::make_shared<View>(Rect(0, 0, 400, 80));
    manager->setHeaderView(other);
    EXPECT_EQ(header->superview(), nullptr);
    EXPECT_EQ(splitView->subviews().front(), other);

    // A manager given another split view stops being the first one's delegate.
    manager->setSplitView(std::make_shared<SplitView>(Rect(0, 0, 10, 10)));
    EXPECT_EQ(splitView->delegate().lock(), nullptr);
}

TEST_F(SplitViewManagerTest, TheHeaderTakesItsShareOfAResizeWithinItsLimits)
{
    manager->setHeaderViewNaturalHeight(200);
    resizeSplitView(630);
    // Three panes: the header grows by a third of 30.
    EXPECT_EQ(header->frame(), Rect(0, 0, 400, 110));
    EXPECT_EQ(footer->frame(), Rect(0, 480, 400, 150));
    EXPECT_EQ(mainView->frame(), Rect(0, 111, 400, 368));

    // At its natural height the header does not grow; the main pane takes the change.
    manager->setHeaderViewNaturalHeight(110);
    resizeSplitView(730);
    EXPECT_EQ(header->frame().height(), 110);
    EXPECT_EQ(mainView->frame().height(), 730 - 110 - 1 - 150 - 1);

    // Shrinking stops at the minimum height.
    resizeSplitView(250);
    EXPECT_GE(header->frame().height(), 40);
}

TEST_F(SplitViewManagerTest, MainAndFooterShareTheSpaceWhenTheMainPaneWouldBeSmaller)
{
    footer->setFrame(Rect(0, 300, 400, 200));
    resizeSplitView(450);
    // Under the header (shrunk by a third of 150 to 50): main and footer share 450 - 51 - 1.
    double mainTop = header->frame().maxY() + 1;
    EXPECT_EQ(mainView->frame().minY(), mainTop);
    EXPECT_EQ(mainView->frame().height(), std::floor((450 - mainTop - 1) * 0.5));
    EXPECT_EQ(footer->frame().minY(), mainTop + mainView->frame().height() + 1);
    EXPECT_EQ(footer->frame().maxY(), 450);
}

TEST_F(SplitViewManagerTest, ASplitViewTooSmallForItsHeaderLeavesNoPaneWithANegativeHeight)
{
    resizeSplitView(30);
    EXPECT_GE(mainView->frame().height(), 0);
    EXPECT_GE(footer->frame().height(), 0);
    EXPECT_EQ(header->frame().height(), 40);
}

TEST_F(SplitViewManagerTest, DoubleClicksCollapseAndRestoreTheFooter)
{
    footer->setFrame(Rect(0, 430, 400, 170));
    mainView->setFrame(Rect(0, 101, 400, 328));
    splitView->doubleClickDivider(1);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*footer));
    EXPECT_EQ(manager->footerViewNaturalHeight(), 170);

    // The restore waits for the current event to end.
    splitView->doubleClickDivider(1);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*footer));
    RunLoop::main().advanceClock(0);
    EXPECT_FALSE(splitView->isSubviewCollapsed(*footer));
    EXPECT_EQ(footer->frame().height(), 170);
    EXPECT_EQ(footer->frame().maxY(), 600);
}

TEST_F(SplitViewManagerTest, CollapsingTheHeaderRunsTheHandlerLaterAndRestoresToItsNaturalHeight)
{
    int collapses = 0;
    manager->setHeaderCollapseHandlerBlock([&] { ++collapses; });
    splitView->doubleClickDivider(0);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*header));
    EXPECT_EQ(collapses, 0);
    RunLoop::main().advanceClock(0);
    EXPECT_EQ(collapses, 1);

    // Resizing keeps a collapsed header collapsed; the main pane starts below the divider.
    resizeSplitView(620);
    EXPECT_EQ(mainView->frame().minY(), 1);

    splitView->doubleClickDivider(0);
    RunLoop::main().advanceClock(0);
    EXPECT_FALSE(splitView->isSubviewCollapsed(*header));
    EXPECT_EQ(header->frame().height(), 100);
    EXPECT_EQ(collapses, 1);
}

TEST_F(SplitViewManagerTest, DraggingTheHeaderDividerStaysBetweenItsLimits)
{
    splitView->dragDivider(0, 150);
    EXPECT_EQ(header->frame().height(), 100);
    splitView->dragDivider(0, 60);
    EXPECT_EQ(header->frame().height(), 60);
    splitView->dragDivider(0, 30);
    EXPECT_EQ(header->frame().height(), 40);
    // Dragged past half of its minimum, the header collapses.
    splitView->dragDivider(0, 10);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*header));
    // The main pane is never collapsed.
    EXPECT_FALSE(manager->canCollapseSubview(*splitView, *mainView));
}

TEST_F(SplitViewManagerTest, AManagerGoneLeavesNoRestoreOrHandlerBehind)
{
    splitView->doubleClickDivider(1);
    splitView->doubleClickDivider(1);
    int collapses = 0;
    manager->setHeaderCollapseHandlerBlock([&] { ++collapses; });
    splitView->doubleClickDivider(0);
    manager.reset();
    RunLoop::main().advanceClock(0);
    EXPECT_TRUE(splitView->isSubviewCollapsed(*footer));
    EXPECT_EQ(collapses, 0);
}
