#include "PointerTestSupport.h"

#include "editing/VornickDOMRangeIndicator.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Application.h"
#include "platform/views/WindowServerConnection.h"
#include "views/VornickViewExtensions.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <algorithm>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class ContentOverlay : public PointerTest {
protected:
    Rect webViewOnScreen() const
    {
        auto& webView = view->embeddedWebView();
        return window->convertRectToScreen(webView->convertRectToView(webView->bounds(), nullptr)).integral();
    }
};

TEST_F(ContentOverlay, TheWindowIsShownOnlyWhileThereIsSomethingToDraw)
{
    show("<p id=a>One</p><p id=b>Two</p>");
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->parentWindow(), window);
    EXPECT_FALSE(overlay->canBecomeKeyWindow());
    EXPECT_TRUE(overlay->ignoresMouseEvents());

    // A caret in text: the web view shows it; no overlay on screen.
    view->setTargetRange(rangeIn(byId(u"a")->firstChild(), 1, 1));
    EXPECT_FALSE(overlay->isVisible());

    // An element selected: the overlay lies over the web view, above the window.
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->frame(), webViewOnScreen());
    auto ordered = Application::shared().orderedWindows();
    auto place = [&](const std::shared_ptr<Window>& w) { return std::find(ordered.begin(), ordered.end(), w) - ordered.begin(); };
    EXPECT_LT(place(overlay), place(window)) << "front-most first";
    auto& indicator = overlay->overlayView()->effectiveOperationRangeIndicator();
    Rect paragraph = vornick_convertRect(*overlay->overlayView(), boxOf(*byId(u"a")), view->embeddedWebView().get());
    EXPECT_EQ(indicator.bounds(), paragraph.insetBy(-2, -2));

    // Moving the window keeps it aligned, on whole points.
    window->setFrameOrigin(Point { 240.5, 130.25 });
    VornickContentEditingViewTestPeer::embeddedWebViewMoved(*view);
    EXPECT_EQ(overlay->frame(), webViewOnScreen());

    // Clearing the range takes the window off the screen again.
    view->setTargetRange(nullptr);
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(indicator.bounds(), Rect());
}

// Counts what the window system is told of one window.
class OrderingCounter final : public WindowServerConnection {
public:
    explicit OrderingCounter(const Window& watched)
        : m_watched(&watched)
    {
    }
    void windowDidChangeOrdering(Window& window) override { orderings += &window == m_watched; }
    void windowFrameDidChange(Window&) override {}
    void windowViewsNeedDisplay(Window&) override {}
    void windowWillBeDestroyed(Window&) override {}
    int orderings { 0 };

private:
    const Window* m_watched;
};

TEST_F(ContentOverlay, DrawingTheShownOverlayDoesNotOrderItAgain)
{
    // A window system redraws a window ordered in again: were the overlay
    // ordered from its own drawing, it would be drawn without end.
    show("<p id=a>One</p>");
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    ASSERT_TRUE(overlay->isVisible());
    auto* previous = WindowServerConnection::current();
    OrderingCounter counter(*overlay);
    WindowServerConnection::setCurrent(&counter);
    auto overlayView = overlay->overlayView();
    for (int round = 0; round < 3; ++round) {
        GraphicsContext context;
        overlayView->draw(overlayView->bounds(), context);
    }
    EXPECT_EQ(counter.orderings, 0);
    EXPECT_TRUE(overlay->isVisible());
    // Taken off the screen, it comes back when there is something to draw.
    view->setTargetRange(nullptr);
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    WindowServerConnection::setCurrent(previous);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_GE(counter.orderings, 2);
}

TEST_F(ContentOverlay, OnlyItsOwnIndicatorsReachTheOverlay)
{
    show("<p id=a>One</p>");
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    ASSERT_TRUE(overlay->isVisible());
    overlay->orderOut();

    // Another document's (or the tree visualizer's) indicator says nothing to it.
    VornickDOMRangeIndicator stranger;
    stranger.postBoundsDidChangeNotification();
    EXPECT_FALSE(overlay->isVisible());
    overlay->overlayView()->effectiveOperationRangeIndicator().postBoundsDidChangeNotification();
    EXPECT_TRUE(overlay->isVisible());
}

TEST_F(ContentOverlay, DrawsTheRangeTheDropTargetAndTheMask)
{
    show("<h1 id=site>Site</h1><div id=post><p id=a>Post</p><p id=b>More</p></div>");
    attachTo(u"post");
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay);
    EXPECT_TRUE(overlay->isVisible()) << "attachment points keep the overlay up";
    auto overlayView = overlay->overlayView();

    view->setTargetRange(rangeBetween(byId(u"post"), 0, byId(u"post"), 1));
    view->setDropTargetRange(rangeBetween(byId(u"post"), 2, byId(u"post"), 2), VornickHitPartKind::Waypoint, Point {});
    overlayView->setAttachmentMaskOpacity(1);
    GraphicsContext context;
    overlayView->draw(overlayView->bounds(), context);
    const auto& commands = context.commands();
    ASSERT_GE(commands.size(), 4u);
    // The mask first: the page dimmed, the attachment point cleared.
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(commands[0].operation, CompositingOperation::Copy);
    EXPECT_DOUBLE_EQ(commands[0].color.alphaComponent(), 0.5);
    EXPECT_EQ(commands[1].operation, CompositingOperation::Clear);
    EXPECT_EQ(commands[1].rect, vornick_convertRect(*overlayView, boxOf(*byId(u"post")), view->embeddedWebView().get()));
    // Then the operation range, filled and stroked around the paragraph.
    EXPECT_EQ(commands[2].kind, DrawCommand::Kind::FillPath);
    EXPECT_EQ(commands[3].kind, DrawCommand::Kind::StrokePath);
    Rect paragraph = vornick_convertRect(*overlayView, boxOf(*byId(u"a")), view->embeddedWebView().get());
    EXPECT_EQ(commands[3].path->bounds(), paragraph);
}

TEST_F(ContentOverlay, TheMaskLeavesCloakedPointsDimmed)
{
    show("<h1 id=title>Title</h1><div id=post><p id=a>Post</p></div>");
    attachTo(u"post");
    auto post = std::dynamic_pointer_cast<VornickAttachmentPoint>(vornick_attachmentPoints(*view->mainFrame()).front());
    ASSERT_TRUE(post);
    auto overlayView = VornickContentEditingViewTestPeer::of(*view).overlayWindow->overlayView();
    overlayView->setAttachmentMaskOpacity(1);
    auto maskCommands = [&] {
        GraphicsContext context;
        overlayView->draw(overlayView->bounds(), context);
        size_t count = 0;
        for (const auto& command : context.commands()) {
            if (command.kind == DrawCommand::Kind::FillRect)
                ++count;
        }
        return count;
    };
    EXPECT_EQ(maskCommands(), 2u) << "the dimmed page and the point cleared";
    // The only point cloaked: nothing may be edited, no mask is drawn.
    post->setCloaked(true);
    EXPECT_EQ(maskCommands(), 0u);
}

TEST_F(ContentOverlay, ADetachedSourceLoupeStaysAboveTheOverlay)
{
    show("<p id=a>One</p>");
    auto loupe = view->sourceLoupe();
    ASSERT_TRUE(loupe);
    loupe->setEmbedded(false);
    if (!loupe->isShown())
        loupe->showOrHide();
    auto loupeWindow = loupe->window();
    ASSERT_TRUE(loupeWindow);
    if (!loupeWindow->parentWindow())
        window->addChildWindow(loupeWindow, WindowOrderingMode::Above);
    view->setTargetRange(rangeBetween(body(), 0, body(), 1));
    auto overlay = VornickContentEditingViewTestPeer::of(*view).overlayWindow;
    ASSERT_TRUE(overlay && overlay->isVisible());
    auto ordered = Application::shared().orderedWindows();
    auto place = [&](const std::shared_ptr<Window>& w) { return std::find(ordered.begin(), ordered.end(), w) - ordered.begin(); };
    EXPECT_LT(place(loupeWindow), place(overlay));
}

} // namespace
