#include "platform/foundation/NotificationCenter.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct ScrollFixture : ::testing::Test {
    void SetUp() override
    {
        window = Window::create(Rect(0, 0, 300, 300));
        scrollView = std::make_shared<ScrollView>(Rect(0, 0, 100, 100));
        document = std::make_shared<View>(Rect(0, 0, 100, 400));
        document->setFlipped(true);
        scrollView->setDocumentView(document);
        window->contentView()->addSubview(scrollView);
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<View> document;
};

} // namespace

TEST_F(ScrollFixture, ScrollingMovesTheVisiblePartWithinTheDocument)
{
    auto clip = scrollView->contentView();
    EXPECT_TRUE(clip->isFlipped());
    EXPECT_EQ(clip->documentVisibleRect(), Rect(0, 0, 100, 100));
    // The document's top left shows at the clip view's top left.
    EXPECT_EQ(document->convertPointToView({ 0, 0 }, nullptr), (Point { 0, 100 }));

    clip->scrollToPoint({ 0, 150 });
    EXPECT_EQ(scrollView->documentVisibleRect(), Rect(0, 150, 100, 100));
    EXPECT_EQ(document->convertPointToView({ 0, 150 }, nullptr), (Point { 0, 100 }));
    EXPECT_EQ(document->visibleRect(), Rect(0, 150, 100, 100));

    // Kept within the document, also when the document shrinks.
    clip->scrollToPoint({ -20, 1000 });
    EXPECT_EQ(clip->bounds().origin, (Point { 0, 300 }));
    document->setFrameSize({ 100, 250 });
    EXPECT_EQ(clip->bounds().origin, (Point { 0, 150 }));
    document->setFrameSize({ 100, 400 });
    clip->scrollToPoint({ 0, 300 });

    // A view in the document is hit where it shows.
    auto item = std::make_shared<View>(Rect(0, 320, 100, 10));
    document->addSubview(item);
    EXPECT_EQ(window->contentView()->hitTest({ 50, 75 }), item);
}

TEST_F(ScrollFixture, ScrollingToARectangleMovesAsLittleAsNeeded)
{
    auto clip = scrollView->contentView();
    auto item = std::make_shared<View>(Rect(0, 250, 100, 20));
    document->addSubview(item);
    EXPECT_TRUE(item->scrollRectToVisible(item->bounds()));
    EXPECT_EQ(clip->bounds().origin.y, 170);
    EXPECT_FALSE(item->scrollRectToVisible(item->bounds()));
    // Upwards it aligns the rectangle's start.
    EXPECT_TRUE(clip->scrollToMakeRectVisible(Rect(0, 40, 10, 10)));
    EXPECT_EQ(clip->bounds().origin.y, 40);
    // A rectangle taller than the view shows from its start.
    clip->scrollToMakeRectVisible(Rect(0, 200, 10, 150));
    EXPECT_EQ(clip->bounds().origin.y, 200);
    // A view outside any clip view cannot scroll.
    EXPECT_FALSE(window->contentView()->scrollRectToVisible(Rect(0, 0, 1, 1)));
}

TEST_F(ScrollFixture, ScrollingPostsBoundsChangesOfTheClipView)
{
    auto clip = scrollView->contentView();
    std::vector<double> positions;
    auto token = NotificationCenter::defaultCenter().addObserver(View::BoundsDidChangeNotification, clip.get(), nullptr,
        [&](const Notification& note) { positions.push_back(static_cast<const View*>(note.object)->bounds().origin.y); });
    clip->scrollToPoint({ 0, 50 });
    clip->scrollToPoint({ 0, 50 });
    clip->scrollToPoint({ 0, 5000 });
    EXPECT_EQ(positions, (std::vector<double> { 50, 300 }));

    // The clip view follows the scroll view's size.
    scrollView->setFrameSize({ 120, 200 });
    EXPECT_EQ(clip->frame().size, (Size { 120, 200 }));
    EXPECT_EQ(scrollView->contentSize(), (Size { 120, 200 }));
}

// A scroller shows only while the document is larger than the clip view
// along its axis, takes its room from the clip view, follows the scrolling
// and scrolls when its knob is dragged or its track clicked.
TEST_F(ScrollFixture, AScrollerShowsWhileTheDocumentIsWiderAndScrollsIt)
{
    auto clip = scrollView->contentView();
    scrollView->setHasHorizontalScroller(true);
    ASSERT_FALSE(scrollView->horizontalScroller() && !scrollView->horizontalScroller()->isHidden());
    EXPECT_EQ(clip->frame(), Rect(0, 0, 100, 100));

    // A document wider than the clip view: the scroller stands along the
    // bottom edge (the scroll view is not flipped) and the clip view above it.
    document->setFrameSize({ 400, 400 });
    auto scroller = scrollView->horizontalScroller();
    ASSERT_TRUE(scroller);
    EXPECT_FALSE(scroller->isHidden());
    EXPECT_EQ(scroller->frame(), Rect(0, 0, 100, Scroller::Width));
    EXPECT_EQ(clip->frame(), Rect(0, Scroller::Width, 100, 100 - Scroller::Width));
    EXPECT_DOUBLE_EQ(scroller->knobProportion(), 0.25);
    EXPECT_DOUBLE_EQ(scroller->doubleValue(), 0);

    // The knob follows the clip view.
    clip->scrollToPoint({ 150, 0 });
    EXPECT_DOUBLE_EQ(scroller->doubleValue(), 0.5);
    clip->scrollToPoint({ 0, 0 });

    // Dragging the knob to the track's end shows the document's right edge.
    auto at = [&](double x) { return scroller->convertPointToView({ x, Scroller::Width / 2 }, nullptr); };
    Rect knob = scroller->knobRect();
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, at(knob.midX()), {}, 1, window, 1));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDragged, at(knob.midX() + 200), {}, 1.1, window, 1));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, at(knob.midX() + 200), {}, 1.2, window, 1));
    EXPECT_DOUBLE_EQ(scroller->doubleValue(), 1);
    EXPECT_EQ(clip->documentVisibleRect().maxX(), 400);
    // A click in the track left of the knob goes back by a page.
    double before = clip->bounds().origin.x;
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, at(2), {}, 2, window, 1));
    window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, at(2), {}, 2.1, window, 1));
    EXPECT_LT(clip->bounds().origin.x, before);
    EXPECT_GT(clip->bounds().origin.x, 0);

    // The document narrows again: the scroller goes and the clip view takes its room back.
    document->setFrameSize({ 100, 400 });
    EXPECT_TRUE(scroller->isHidden());
    EXPECT_EQ(clip->frame(), Rect(0, 0, 100, 100));
    EXPECT_EQ(clip->bounds().origin.x, 0);
    // A vertical scroller for the tall document takes room from the width,
    // which the document then no longer fits: both scrollers show.
    scrollView->setHasVerticalScroller(true);
    ASSERT_TRUE(scrollView->verticalScroller());
    EXPECT_FALSE(scrollView->verticalScroller()->isHidden());
    EXPECT_FALSE(scroller->isHidden());
    EXPECT_EQ(scrollView->verticalScroller()->frame(), Rect(100 - Scroller::Width, Scroller::Width, Scroller::Width, 100 - Scroller::Width));
    EXPECT_EQ(clip->frame(), Rect(0, Scroller::Width, 100 - Scroller::Width, 100 - Scroller::Width));

    // Overlay scrollers leave the clip view the whole box and stand over its
    // edges; the document no longer needs the horizontal one.
    scrollView->setOverlaysScrollers(true);
    EXPECT_EQ(clip->frame(), Rect(0, 0, 100, 100));
    EXPECT_FALSE(scrollView->verticalScroller()->isHidden());
    EXPECT_TRUE(scroller->isHidden());
    EXPECT_EQ(scrollView->verticalScroller()->frame(), Rect(100 - Scroller::Width, 0, Scroller::Width, 100));
    auto hit = window->contentView()->hitTest(scrollView->convertPointToView({ 100 - Scroller::Width / 2, 50 }, nullptr));
    EXPECT_EQ(hit, scrollView->verticalScroller()) << "over the clip view";
}
