#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<View> makeView(Rect frame, bool flipped = false)
{
    auto view = std::make_shared<View>(frame);
    view->setFlipped(flipped);
    return view;
}

class RecordingView : public View {
public:
    using View::View;
    std::vector<std::string> log;
    void didAddSubview(View& view) override { log.push_back("add " + std::to_string(view.tag())); }
    void willRemoveSubview(View& view) override { log.push_back("remove " + std::to_string(view.tag())); }
    void viewWillMoveToWindow(Window* window) override { log.push_back(window ? "willMove window" : "willMove none"); }
    void viewDidMoveToWindow() override { log.push_back(this->window() ? "didMove window" : "didMove none"); }
    void draw(const Rect& dirtyRect, GraphicsContext& context) override { context.fillRect(dirtyRect, Color::black()); }
};

} // namespace

TEST(ViewGeometry, ConversionThroughUnflippedAndFlippedViews)
{
    auto window = Window::create(Rect(100, 100, 400, 300));
    auto content = window->contentView();
    auto a = makeView(Rect(10, 20, 100, 50), true);
    auto b = makeView(Rect(5, 10, 20, 20));
    content->addSubview(a);
    a->addSubview(b);

    // A flipped view's origin is its top left corner.
    EXPECT_EQ(a->convertPointToView({ 0, 0 }, nullptr), (Point { 10, 70 }));
    // An unflipped view inside a flipped one: its origin is its bottom left.
    EXPECT_EQ(b->convertPointToView({ 0, 0 }, nullptr), (Point { 15, 40 }));
    EXPECT_EQ(b->convertPointToView({ 0, 0 }, a.get()), (Point { 5, 30 }));
    EXPECT_EQ(a->convertPointFromView({ 0, 0 }, b.get()), (Point { 5, 30 }));
    // Round trips.
    Point p { 3, 7 };
    EXPECT_EQ(b->convertPointFromView(b->convertPointToView(p, nullptr), nullptr), p);
    EXPECT_EQ(a->convertPointFromView(a->convertPointToView(p, content.get()), content.get()), p);

    // Rectangles stay normalized across a flip.
    EXPECT_EQ(a->convertRectToView(Rect(0, 0, 10, 5), nullptr), Rect(10, 65, 10, 5));
    EXPECT_EQ(b->convertRectToView(b->bounds(), a.get()), Rect(5, 10, 20, 20));
    EXPECT_EQ(b->convertRectToScreen(b->bounds()), Rect(115, 140, 20, 20));
    EXPECT_EQ(b->convertRectFromScreen(Rect(115, 140, 20, 20)), b->bounds());

    // A bounds origin shifts what the view shows.
    a->setBoundsOrigin({ 0, 10 });
    EXPECT_EQ(a->convertPointToView({ 0, 10 }, nullptr), (Point { 10, 70 }));
    EXPECT_EQ(b->convertPointToView({ 0, 0 }, nullptr), (Point { 15, 50 }));
}

TEST(ViewGeometry, ConversionBetweenWindowsIsRefused)
{
    auto first = Window::create(Rect(0, 0, 100, 100));
    auto second = Window::create(Rect(0, 0, 100, 100));
    EXPECT_THROW(first->contentView()->convertPointFromView({ 0, 0 }, second->contentView().get()),
                 InternalInconsistencyException);
}

TEST(ViewHitTesting, FrontmostDeepestVisibleView)
{
    auto root = makeView(Rect(0, 0, 200, 200));
    auto back = makeView(Rect(0, 0, 100, 100));
    auto front = makeView(Rect(50, 50, 100, 100));
    auto inner = makeView(Rect(10, 10, 20, 20));
    root->addSubview(back);
    root->addSubview(front);
    front->addSubview(inner);

    EXPECT_EQ(root->hitTest({ 120, 120 }), front);
    EXPECT_EQ(root->hitTest({ 75, 75 }), inner);
    EXPECT_EQ(root->hitTest({ 25, 25 }), back);
    EXPECT_EQ(root->hitTest({ 65, 65 }), inner);
    EXPECT_EQ(root->hitTest({ 190, 10 }), root);
    EXPECT_EQ(root->hitTest({ 250, 10 }), nullptr);

    front->setHidden(true);
    EXPECT_EQ(root->hitTest({ 75, 75 }), back);
    EXPECT_EQ(root->hitTest({ 65, 65 }), back);

    // Moving a subview to the back changes who is in front.
    front->setHidden(false);
    root->addSubview(front, WindowOrderingMode::Below, back.get());
    EXPECT_EQ(root->hitTest({ 75, 75 }), back);
}

TEST(ViewHitTesting, SharedEdgeBelongsToOneViewByFlippedness)
{
    for (bool flipped : { false, true }) {
        auto root = makeView(Rect(0, 0, 100, 100), flipped);
        auto low = makeView(Rect(0, 0, 100, 50));
        auto high = makeView(Rect(0, 50, 100, 50));
        root->addSubview(low);
        root->addSubview(high);
        // The root's own superview space is unflipped; hit-test inside it.
        auto hit = root->hitTest(root->convertPointToView({ 10, 50 }, nullptr));
        EXPECT_EQ(hit, flipped ? high : low) << "flipped " << flipped;
        EXPECT_EQ(root->hitTest(root->convertPointToView({ 0, 0.5 }, nullptr)), low);
    }
    // In the flipped tree the point at the top edge hits; in the unflipped one it does not.
    EXPECT_TRUE(mouseInRect({ 0, 0 }, Rect(0, 0, 10, 10), true));
    EXPECT_FALSE(mouseInRect({ 0, 0 }, Rect(0, 0, 10, 10), false));
    EXPECT_FALSE(mouseInRect({ 10, 5 }, Rect(0, 0, 10, 10), false));
}

TEST(ViewAutoresizing, FlexiblePartsShareTheChange)
{
    auto root = makeView(Rect(0, 0, 200, 100));
    auto leftMarginAndWidth = makeView(Rect(10, 10, 50, 20));
    leftMarginAndWidth->setAutoresizingMask(Autoresizing::MinXMargin | Autoresizing::WidthSizable);
    auto fixed = makeView(Rect(10, 40, 50, 20));
    fixed->setAutoresizingMask(Autoresizing::MaxXMargin | Autoresizing::MaxYMargin);
    auto filling = makeView(Rect(0, 0, 200, 100));
    filling->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    auto pinnedTop = makeView(Rect(0, 80, 20, 20));
    pinnedTop->setAutoresizingMask(Autoresizing::MinYMargin);
    root->addSubview(leftMarginAndWidth);
    root->addSubview(fixed);
    root->addSubview(filling);
    auto grandchild = makeView(Rect(0, 0, 200, 10));
    grandchild->setAutoresizingMask(Autoresizing::WidthSizable);
    filling->addSubview(grandchild);
    root->addSubview(pinnedTop);

    root->setFrameSize({ 300, 140 });
    EXPECT_EQ(leftMarginAndWidth->frame(), Rect(60, 10, 100, 20));
    EXPECT_EQ(fixed->frame(), Rect(10, 40, 50, 20));
    EXPECT_EQ(filling->frame(), Rect(0, 0, 300, 140));
    EXPECT_EQ(grandchild->frame(), Rect(0, 0, 300, 10));
    EXPECT_EQ(pinnedTop->frame(), Rect(0, 120, 20, 20));

    // Shrinking never makes a negative size.
    root->setFrameSize({ 0, 0 });
    EXPECT_EQ(filling->frame().size, (Size { 0, 0 }));

    // Without autoresizesSubviews nothing follows.
    root->setFrameSize({ 200, 100 });
    root->setAutoresizesSubviews(false);
    Rect before = filling->frame();
    root->setFrameSize({ 500, 500 });
    EXPECT_EQ(filling->frame(), before);
}

TEST(ViewTree, HooksAndWindowMembership)
{
    auto window = Window::create(Rect(0, 0, 300, 300));
    auto parent = std::make_shared<RecordingView>(Rect(0, 0, 100, 100));
    auto child = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
    child->setTag(7);
    parent->addSubview(child);
    EXPECT_EQ(parent->log, (std::vector<std::string> { "add 7" }));
    EXPECT_EQ(child->window(), nullptr);

    window->contentView()->addSubview(parent);
    EXPECT_EQ(child->window(), window);
    EXPECT_EQ(child->log, (std::vector<std::string> { "willMove window", "didMove window" }));

    // Reordering is not a move.
    auto sibling = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
    sibling->setTag(8);
    parent->addSubview(sibling);
    parent->addSubview(child, WindowOrderingMode::Above, sibling.get());
    EXPECT_EQ(parent->indexOfSubview(child.get()), 1);
    EXPECT_EQ(child->log.size(), 2u);
    EXPECT_EQ(parent->log, (std::vector<std::string> { "add 7", "willMove window", "didMove window", "add 8", "add 7" }));
    sibling->removeFromSuperview();

    // Moving to another superview removes it from the first.
    auto other = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
    other->addSubview(child);
    EXPECT_EQ(parent->log.back(), "remove 7");
    EXPECT_TRUE(parent->subviews().empty());
    EXPECT_EQ(child->window(), nullptr);
    EXPECT_EQ(child->superview(), other);

    EXPECT_THROW(child->addSubview(other), InternalInconsistencyException);
    EXPECT_EQ(other->ancestorSharedWith(*child), other);
}

TEST(ViewNotifications, FrameAndBoundsChangesArePosted)
{
    auto view = makeView(Rect(0, 0, 10, 10));
    int frameChanges = 0;
    int boundsChanges = 0;
    auto frameToken = NotificationCenter::defaultCenter().addObserver(View::FrameDidChangeNotification, view.get(), nullptr,
                                                                      [&](const Notification&) { ++frameChanges; });
    auto boundsToken = NotificationCenter::defaultCenter().addObserver(View::BoundsDidChangeNotification, view.get(), nullptr,
                                                                       [&](const Notification&) { ++boundsChanges; });
    view->setFrameOrigin({ 5, 5 });
    view->setFrameOrigin({ 5, 5 });
    view->setBoundsOrigin({ 1, 1 });
    EXPECT_EQ(frameChanges, 1);
    EXPECT_EQ(boundsChanges, 1);
    view->setPostsBoundsChangedNotifications(false);
    view->setBoundsOrigin({ 2, 2 });
    EXPECT_EQ(boundsChanges, 1);
}

TEST(ViewDisplay, OnlyMarkedViewsAndWhatTheyCoverAreDrawn)
{
    auto window = Window::create(Rect(0, 0, 200, 200));
    auto left = std::make_shared<RecordingView>(Rect(0, 0, 100, 100));
    auto right = std::make_shared<RecordingView>(Rect(100, 0, 100, 100));
    auto onRight = std::make_shared<RecordingView>(Rect(10, 10, 20, 20));
    window->contentView()->addSubview(left);
    window->contentView()->addSubview(right);
    right->addSubview(onRight);
    window->displayIfNeeded();
    auto& context = window->graphicsContext();
    EXPECT_EQ(context.commandsOfView(onRight.get()).size(), 1u);
    EXPECT_EQ(context.commandsOfView(onRight.get())[0].rectInWindow, Rect(110, 10, 20, 20));

    context.clear();
    window->displayIfNeeded();
    EXPECT_TRUE(context.commands().empty());

    // A redrawn part of a view is redrawn in the subviews over it.
    right->setNeedsDisplayInRect(Rect(0, 0, 15, 15));
    EXPECT_TRUE(window->viewsNeedDisplay());
    window->displayIfNeeded();
    EXPECT_EQ(context.drawnViews(), (std::vector<const View*> { right.get(), onRight.get() }));
    EXPECT_EQ(context.commandsOfView(onRight.get())[0].rect, Rect(0, 0, 5, 5));
    EXPECT_FALSE(right->needsDisplay());

    context.clear();
    left->setHidden(true);
    left->setNeedsDisplay(true);
    window->displayIfNeeded();
    EXPECT_TRUE(context.commandsOfView(left.get()).empty());
}

TEST(Geometry, RectangleOperations)
{
    Rect a(0, 0, 10, 10);
    Rect b(5, 5, 10, 10);
    EXPECT_EQ(a.intersection(b), Rect(5, 5, 5, 5));
    // Touching rectangles do not overlap.
    EXPECT_FALSE(a.intersects(Rect(10, 0, 5, 5)));
    EXPECT_EQ(a.intersection(Rect(20, 20, 1, 1)), Rect());
    // An empty rectangle does not widen a union.
    EXPECT_EQ(a.unionWith(b), Rect(0, 0, 15, 15));
    EXPECT_EQ(a.unionWith(Rect(100, 100, 0, 0)), a);
    EXPECT_EQ(Rect(0.5, 0.25, 1, 1).integral(), Rect(0, 0, 2, 2));
    EXPECT_EQ(Rect(0, 0, 4, 4).insetBy(3, 1), Rect());
    EXPECT_EQ(Rect(5, 5, -2, -3).standardized(), Rect(3, 2, 2, 3));
    EXPECT_TRUE(a.containsPoint({ 0, 0 }));
    EXPECT_FALSE(a.containsPoint({ 10, 5 }));
}
