#include "EditingTestSupport.h"

#include "app/VornickWindow.h"
#include "platform/views/EventSynthesizer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class RecordingEditingView : public VornickContentEditingView {
public:
    using VornickContentEditingView::VornickContentEditingView;
    int mouseUps { 0 };
    void handleLeftMouseUpInEmbeddedWebView(const Event& event) override
    {
        ++mouseUps;
        VornickContentEditingView::handleLeftMouseUpInEmbeddedWebView(event);
    }
};

class MouseDownRecipient : public EditingViewTest { };

// The window hands the rest of a click to the view the button went down in,
// holding it weakly; a view that leaves the window mid-click, or goes away,
// gets nothing more.
TEST_F(MouseDownRecipient, AViewThatLeavesItsWindowMidClickIsForgotten)
{
    auto recording = VornickContentEditingView::create<RecordingEditingView>(Rect(0, 0, 800, 600));
    view = recording;
    load("page.html");
    auto window = VornickWindow::create(Rect(0, 0, 800, 600));
    auto holder = std::make_shared<View>(Rect(0, 0, 800, 600));
    holder->addSubview(view);
    window->contentView()->addSubview(holder);
    auto& webView = view->embeddedWebView();
    Point inPage = webView->convertPointToView(Point { 40, 30 }, nullptr);
    EventSynthesizer events;

    events.send(events.mouseDown(window, inPage));
    EXPECT_EQ(window->activeLeftMouseDownRecipient(), view);
    events.send(events.mouseUp(window, inPage));
    EXPECT_EQ(recording->mouseUps, 1);
    EXPECT_FALSE(window->activeLeftMouseDownRecipient());

    // Leaving with the view that holds it, and coming back before the button is up.
    events.send(events.mouseDown(window, inPage));
    holder->removeFromSuperview();
    EXPECT_FALSE(window->activeLeftMouseDownRecipient());
    window->contentView()->addSubview(holder);
    events.send(events.mouseUp(window, inPage));
    EXPECT_EQ(recording->mouseUps, 1);

    // Gone altogether.
    events.send(events.mouseDown(window, inPage));
    holder->removeFromSuperview();
    holder.reset();
    view->setDelegate(nullptr);
    view.reset();
    recording.reset();
    events.send(events.mouseUp(window, inPage));
    EXPECT_FALSE(window->activeLeftMouseDownRecipient());
}

} // namespace
