#include "platform/views/Application.h"
#include "platform/views/Cursor.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Image.h"
#include "platform/views/TrackingArea.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class TrackingView : public View {
public:
    using View::View;
    std::vector<std::string> log;
    int updates { 0 };
    std::shared_ptr<TrackingArea> area;

    void updateTrackingAreas() override
    {
        ++updates;
        if (area)
            removeTrackingArea(area.get());
        area = std::make_shared<TrackingArea>(Rect(), TrackingAreaOption::MouseEnteredAndExited | TrackingAreaOption::MouseMoved
                | TrackingAreaOption::ActiveInKeyWindow | TrackingAreaOption::InVisibleRect,
            sharedAs<Responder>());
        addTrackingArea(area);
    }
    void mouseEntered(const Event& event) override
    {
        log.push_back(event.trackingArea() == area ? "entered" : "entered elsewhere");
    }
    void mouseExited(const Event&) override { log.push_back("exited"); }
    void mouseMoved(const Event& event) override
    {
        log.push_back("moved " + std::to_string(int(event.locationInWindow().x)));
    }
};

class CursorSettingView : public View {
public:
    using View::View;
    void mouseMoved(const Event&) override { Cursor::pointingHandCursor().set(); }
};

class Source : public DraggingSource {
public:
    DragOperation inside { DragOperations::Copy | DragOperations::Move };
    DragOperation outside { DragOperations::Copy };
    std::vector<std::string> log;
    DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext context) override
    {
        return context == DraggingContext::WithinApplication ? inside : outside;
    }
    void draggingSessionWillBegin(DraggingSession&, Point) override { log.push_back("begin"); }
    void draggingSessionEndedAtPoint(DraggingSession&, Point, DragOperation operation) override
    {
        log.push_back("ended " + std::to_string(operation));
    }
};

} // namespace

TEST(TrackingAreas, EnterExitAndMovesFollowTheVisibleRectWhileActive)
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(0, 0, 300, 200));
    auto view = std::make_shared<TrackingView>(Rect(50, 50, 100, 50));
    window->contentView()->addSubview(view);
    EventSynthesizer events;

    // Not the key window: the area is not active.
    events.send(events.mouseMoved(window, { 60, 60 }));
    EXPECT_TRUE(view->log.empty());
    EXPECT_EQ(view->updates, 1);

    window->makeKeyAndOrderFront();
    events.send(events.mouseMoved(window, { 60, 60 }));
    events.send(events.mouseMoved(window, { 70, 60 }));
    events.send(events.mouseMoved(window, { 10, 10 }));
    EXPECT_EQ(view->log, (std::vector<std::string> { "entered", "moved 60", "moved 70", "exited" }));
    EXPECT_EQ(view->updates, 1);

    // A frame change rebuilds the areas before the next move; the new rect counts.
    view->log.clear();
    view->setFrame(Rect(0, 0, 40, 40));
    events.send(events.mouseMoved(window, { 10, 10 }));
    EXPECT_EQ(view->updates, 2);
    EXPECT_EQ(view->log, (std::vector<std::string> { "entered", "moved 10" }));

    // Drags do not count for areas not enabled during drags.
    view->log.clear();
    events.send(events.mouseDragged(window, { 100, 100 }));
    EXPECT_TRUE(view->log.empty());
    Application::shared().resetForTesting();
}

TEST(Cursor, AViewThatClaimsTheCursorKeepsOthersFromSettingIt)
{
    Application::shared().resetForTesting();
    Cursor::resetForTesting();
    auto window = Window::create(Rect(0, 0, 300, 200));
    window->makeKeyAndOrderFront();
    auto editor = std::make_shared<View>(Rect(0, 0, 150, 200));
    auto inner = std::make_shared<View>(Rect(10, 10, 50, 50));
    editor->addSubview(inner);
    editor->setClaimsCursor(true);
    window->contentView()->addSubview(editor);
    EventSynthesizer events;

    events.send(events.mouseMoved(window, { 20, 20 }));
    EXPECT_TRUE(Cursor::pointerIsOverCursorClaimingView());
    Cursor::pointingHandCursor().set();
    EXPECT_EQ(Cursor::currentCursor(), Cursor::arrowCursor());
    Cursor::IBeamCursor().setAsClaimant();
    EXPECT_EQ(Cursor::currentCursor(), Cursor::IBeamCursor());

    events.send(events.mouseMoved(window, { 200, 20 }));
    EXPECT_FALSE(Cursor::pointerIsOverCursorClaimingView());
    Cursor::pointingHandCursor().set();
    EXPECT_EQ(Cursor::currentCursor(), Cursor::pointingHandCursor());
    EXPECT_EQ(Cursor::setCursorHistory(), (std::vector<CursorKind> { CursorKind::IBeam, CursorKind::PointingHand }));

    // The window closed: the pointer is over nothing that claims it.
    events.send(events.mouseMoved(window, { 20, 20 }));
    window->close();
    Cursor::arrowCursor().set();
    EXPECT_EQ(Cursor::currentCursor(), Cursor::arrowCursor());
    Cursor::resetForTesting();
    Application::shared().resetForTesting();
}

TEST(DraggingSession, CarriesItsItemsAndEndsAsTheSourceAllows)
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(100, 100, 300, 200));
    window->orderFront();
    auto view = std::make_shared<View>(Rect(0, 0, 300, 200));
    window->contentView()->addSubview(view);
    auto source = std::make_shared<Source>();
    EventSynthesizer events;

    EXPECT_FALSE(dragHasPassedThreshold({ 10, 10 }, { 18, 10 }));
    EXPECT_FALSE(dragHasPassedThreshold({ 10, 10 }, { 10, 2 }));
    EXPECT_TRUE(dragHasPassedThreshold({ 10, 10 }, { 16, 16 }));

    DraggingItem item(PasteboardItem::itemWithString(u"dragged"));
    item.setDraggingFrame(Rect(20, 30, 120, 40), std::make_shared<Image>(Size { 120, 40 }));
    auto drag = events.mouseDragged(window, { 40, 50 });
    auto session = view->beginDraggingSession({ item }, drag, source);
    session->setDraggingFormation(DraggingFormation::None);
    EXPECT_EQ(DraggingSession::currentSession(), session);
    EXPECT_EQ(session->startingLocation(), (Point { 140, 150 }));
    EXPECT_EQ(session->items()[0].image()->size(), (Size { 120, 40 }));
    EXPECT_EQ(session->draggingPasteboard()->stringForType(PasteboardTypeString), u"dragged");

    // Dropped outside the application with a move: the source only copies there.
    session->moveToPoint({ 900, 900 });
    session->endWithOperation(DragOperations::Move, { 900, 900 });
    EXPECT_EQ(session->endedOperation(), DragOperations::None);
    EXPECT_TRUE(session->slidBackToStart());
    EXPECT_FALSE(DraggingSession::currentSession());

    // Inside one of its windows, a move is performed.
    auto second = view->beginDraggingSession({ item }, drag, source);
    second->endWithOperation(DragOperations::Move, { 150, 150 });
    EXPECT_EQ(second->endedOperation(), DragOperations::Move);
    EXPECT_FALSE(second->slidBackToStart());

    // Cancelled, and a session that does not animate back.
    auto third = view->beginDraggingSession({ item }, drag, source);
    third->setAnimatesToStartingPositionsOnCancelOrFail(false);
    third->cancel();
    EXPECT_FALSE(third->slidBackToStart());
    // A new drag cancels one still running.
    auto fourth = view->beginDraggingSession({ item }, drag, source);
    auto fifth = view->beginDraggingSession({ item }, drag, source);
    EXPECT_FALSE(fourth->isRunning());
    EXPECT_TRUE(fourth->slidBackToStart());
    EXPECT_EQ(source->log, (std::vector<std::string> { "begin", "ended 0", "begin", "ended 16", "begin", "ended 0", "begin",
                                                       "ended 0", "begin" }));
    // The reset ends the drag left running, so the tests that follow in
    // this process start with none.
    Application::shared().resetForTesting();
    EXPECT_FALSE(DraggingSession::currentSession());
    EXPECT_FALSE(fifth->isRunning());
    EXPECT_EQ(source->log.back(), "ended 0");
}
