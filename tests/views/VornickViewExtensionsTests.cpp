#include "views/VornickViewExtensions.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/ScrollView.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<View> makeView(Rect frame, long tag = 0)
{
    auto view = std::make_shared<View>(frame);
    view->setTag(tag);
    return view;
}

} // namespace

TEST(VornickViewGeometry, AdjustingCentringAndFlipping)
{
    auto parent = makeView(Rect(0, 0, 200, 100));
    auto child = makeView(Rect(10, 10, 101, 20));
    parent->addSubview(child);

    vornick_centerInSuperview(*child);
    EXPECT_EQ(child->frame().origin, (Point { 49, 40 }));
    parent->setBoundsOrigin({ 5, 7 });
    vornick_centerInSuperview(*child);
    EXPECT_EQ(child->frame().origin, (Point { 54, 47 }));
    auto orphan = makeView(Rect(3, 4, 5, 6));
    vornick_centerInSuperview(*orphan);
    EXPECT_EQ(orphan->frame(), Rect(3, 4, 5, 6));

    vornick_adjustXBy(*child, -4, 3);
    vornick_adjustWidthBy(*child, 9, -5);
    EXPECT_EQ(child->frame(), Rect(50, 50, 110, 15));
    vornick_setFrameHeight(*child, 30);
    EXPECT_EQ(child->frame().size, (Size { 110, 30 }));

    // Mirroring happens only in a flipped view.
    child->setFrame(Rect(0, 10, 10, 30));
    vornick_flipSubviewPositionsIfSelfFlipped(*parent);
    EXPECT_EQ(child->frame().origin.y, 10);
    parent->setFlipped(true);
    vornick_flipSubviewPositionsIfSelfFlipped(*parent);
    EXPECT_EQ(child->frame().origin, (Point { 0, 60 }));
}

TEST(VornickViewGeometry, ConvertingFromAViewInAnotherWindow)
{
    auto first = Window::create(Rect(100, 100, 300, 300));
    auto second = Window::create(Rect(500, 50, 300, 300));
    auto a = makeView(Rect(10, 10, 50, 50));
    auto b = makeView(Rect(20, 30, 50, 50));
    first->contentView()->addSubview(a);
    second->contentView()->addSubview(b);
    // b's origin is at screen (520, 80); in a's window that is (420, -20); in a (410, -30).
    EXPECT_EQ(vornick_convertRect(*a, Rect(0, 0, 5, 5), b.get()), Rect(410, -30, 5, 5));
    // Within one window it is the ordinary conversion; no view means a's window.
    auto c = makeView(Rect(100, 100, 10, 10));
    first->contentView()->addSubview(c);
    EXPECT_EQ(vornick_convertRect(*a, Rect(0, 0, 5, 5), c.get()), Rect(90, 90, 5, 5));
    EXPECT_EQ(vornick_convertRect(*a, Rect(10, 10, 5, 5), nullptr), Rect(0, 0, 5, 5));
}

TEST(VornickViewGeometry, VerticalCentringStaysInTheDocument)
{
    auto window = Window::create(Rect(0, 0, 300, 300));
    auto scrollView = std::make_shared<ScrollView>(Rect(0, 0, 100, 100));
    auto document = makeView(Rect(0, 0, 100, 500));
    document->setFlipped(true);
    scrollView->setDocumentView(document);
    window->contentView()->addSubview(scrollView);
    auto clip = scrollView->contentView();

    vornick_scrollRectToVerticallyCentered(*document, Rect(0, 200, 10, 21));
    // floor(200 - (100 - 21) / 2) = floor(160.5)
    EXPECT_EQ(clip->bounds().origin.y, 160);
    EXPECT_EQ(scrollView->flashScrollersCount(), 1);

    // Near the end it stops at the last position.
    vornick_scrollRectToVerticallyCentered(*document, Rect(0, 480, 10, 10));
    EXPECT_EQ(clip->bounds().origin.y, 400);
    EXPECT_EQ(scrollView->flashScrollersCount(), 2);
    // A move of a point or less does not flash.
    vornick_scrollRectToVerticallyCentered(*document, Rect(0, 444, 10, 10));
    EXPECT_EQ(clip->bounds().origin.y, 399);
    EXPECT_EQ(scrollView->flashScrollersCount(), 2);
    // Near the start it stops at the start.
    vornick_scrollRectToVerticallyCentered(*document, Rect(0, 5, 10, 10));
    EXPECT_EQ(clip->bounds().origin.y, 0);

    // A document shorter than the view stays at its start.
    document->setFrameSize({ 100, 60 });
    vornick_scrollRectToVerticallyCentered(*document, Rect(0, 50, 10, 10));
    EXPECT_EQ(clip->bounds().origin.y, 0);

    // Views outside a scroll view are left alone.
    auto loose = makeView(Rect(0, 0, 10, 10));
    vornick_scrollRectToVerticallyCentered(*loose, Rect(0, 0, 1, 1));
    EXPECT_EQ(vornick_enclosingViewOfKind<ScrollView>(*document), scrollView);
    EXPECT_EQ(vornick_enclosingViewOfKind<ScrollView>(*loose), nullptr);
}

TEST(VornickViewWalks, SubviewsRangesAndTrees)
{
    auto root = makeView(Rect(0, 0, 10, 10), 0);
    for (long tag = 1; tag <= 3; ++tag)
        root->addSubview(makeView(Rect(), tag));
    root->subviews()[0]->addSubview(makeView(Rect(), 11));
    root->subviews()[1]->addSubview(makeView(Rect(), 21));

    std::vector<long> seen;
    auto record = [&](const std::shared_ptr<View>& view, bool&) { seen.push_back(view->tag()); };
    EXPECT_TRUE(vornick_enumerateViewTreeUsingBlock(*root, record));
    EXPECT_EQ(seen, (std::vector<long> { 0, 1, 11, 2, 21, 3 }));

    seen.clear();
    EXPECT_TRUE(vornick_enumerateSubviewsInRange(*root, VornickMakeRange(1, 2), record, false));
    EXPECT_EQ(seen, (std::vector<long> { 2, 3 }));
    seen.clear();
    EXPECT_TRUE(vornick_enumerateSubviewsUsingBlock(*root, record, true));
    EXPECT_EQ(seen, (std::vector<long> { 1, 11, 2, 21, 3 }));
    EXPECT_THROW(vornick_enumerateSubviewsInRange(*root, VornickMakeRange(2, 2), record, false), InternalInconsistencyException);

    // Stopping answers false, also from inside a subtree.
    seen.clear();
    auto stopAt21 = [&](const std::shared_ptr<View>& view, bool& stop) { seen.push_back(view->tag()); stop = view->tag() == 21; };
    EXPECT_FALSE(vornick_enumerateSubviewsUsingBlock(*root, stopAt21, true));
    EXPECT_EQ(seen, (std::vector<long> { 1, 11, 2, 21 }));

    // After a subview.
    seen.clear();
    EXPECT_TRUE(vornick_enumerateSubviewsAfter(*root, root->subviews()[0].get(), record, true));
    EXPECT_EQ(seen, (std::vector<long> { 2, 21, 3 }));
    seen.clear();
    EXPECT_TRUE(vornick_enumerateSubviewsAfter(*root, root->subviews()[2].get(), record, false));
    EXPECT_TRUE(seen.empty());
    EXPECT_THROW(vornick_enumerateSubviewsAfter(*root, nullptr, record, false), InternalInconsistencyException);
    auto stranger = makeView(Rect());
    EXPECT_THROW(vornick_enumerateSubviewsAfter(*root, stranger.get(), record, false), InternalInconsistencyException);
}
