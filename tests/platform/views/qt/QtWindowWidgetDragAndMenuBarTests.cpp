#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include "platform/views/Application.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"

#include <gtest/gtest.h>

#include <QDrag>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

#include <string>
#include <vector>

using namespace brevanton;

namespace {

// A view that takes dragged text as a copy, records what the drag told it,
// and starts a drag of its own when the mouse is dragged in it.
class DropView : public View, public DraggingSource {
public:
    using View::View;
    std::vector<std::string> calls;
    std::u16string dropped;
    Point lastLocation;
    std::vector<Point> mouseDowns;
    std::shared_ptr<DraggingSession> session;

    void draw(const Rect&, GraphicsContext& context) override { context.fillRect(bounds(), Color::sRGB(0, 0, 1)); }
    void mouseDown(const Event& event) override { mouseDowns.push_back(event.locationInWindow()); }
    void mouseDragged(const Event& event) override
    {
        if (session)
            return;
        PasteboardItem item;
        (void)item.setString(u"dragged", PasteboardTypeString);
        session = beginDraggingSession({ DraggingItem(item) }, event,
                                       std::shared_ptr<DraggingSource>(shared_from_this(), static_cast<DraggingSource*>(this)));
    }

    DragOperation draggingEntered(const DraggingInfo& info) override
    {
        calls.push_back("entered");
        lastLocation = info.draggingLocation;
        return info.draggingPasteboard->stringForType(PasteboardTypeString) ? DragOperations::Copy : DragOperations::None;
    }
    DragOperation draggingUpdated(const DraggingInfo& info) override
    {
        calls.push_back("updated");
        lastLocation = info.draggingLocation;
        return DragOperations::Copy;
    }
    void draggingExited(const DraggingInfo&) override { calls.push_back("exited"); }
    bool prepareForDragOperation(const DraggingInfo&) override { return true; }
    bool performDragOperation(const DraggingInfo& info) override
    {
        calls.push_back("perform");
        dropped = info.draggingPasteboard->stringForType(PasteboardTypeString).value_or(u"");
        return true;
    }
    void concludeDragOperation(const DraggingInfo&) override { calls.push_back("conclude"); }
    void draggingEnded(const DraggingInfo&) override { calls.push_back("ended"); }

    DragOperation sourceOperationMaskForDraggingContext(DraggingSession&, DraggingContext context) override
    {
        return context == DraggingContext::WithinApplication ? DragOperations::Copy | DragOperations::Move : DragOperations::Copy;
    }
};

class WidgetDragAndMenuBar : public brevanton::testing::QtBackendWindowTest<DropView> { };

TEST_F(WidgetDragAndMenuBar, AMenuBarGoesAboveTheContentWhichKeepsItsFrameAndCoordinates)
{
    QRect before = widget()->geometry();
    auto* bar = new QMenuBar;
    bar->addMenu("File");
    widget()->setMenuBar(bar);
    int top = widget()->contentTop();
    ASSERT_GT(top, 0);
    EXPECT_EQ(bar->parentWidget(), widget());
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 300, top));
    // The widget grows upwards by the bar: the content stays on the screen where it was.
    EXPECT_EQ(widget()->geometry(), before.adjusted(0, -top, 0, 0));
    EXPECT_EQ(window->frame(), Rect(100, 200, 300, 200));

    // A click 20 points below the bar is 20 points below the content's top.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(30, top + 20));
    ASSERT_EQ(view->mouseDowns.size(), 1u);
    EXPECT_EQ(view->mouseDowns[0], (Point { 30, 180 }));
    // The content is painted below the bar, and the bar is left alone.
    QImage picture = widget()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(150, top + 100), QColor(0, 0, 255));
    EXPECT_NE(picture.pixelColor(150, top / 2), QColor(0, 0, 255));

    // A resize by the window system gives the window the content's part.
    widget()->resize(320, 200 + top + 40);
    EXPECT_EQ(window->frame().width(), 320);
    EXPECT_EQ(window->frame().height(), 240);
    EXPECT_EQ(bar->width(), 320);
    window->setFrame(Rect(100, 200, 300, 200));
    EXPECT_EQ(widget()->geometry(), before.adjusted(0, -top, 0, 0));
}

TEST_F(WidgetDragAndMenuBar, DragsFromOtherProgramsReachTheViewThatTakesThemAndEndThere)
{
    QMimeData data;
    data.setText("from elsewhere");
    QPoint at(40, 50);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    // Our coordinates: up from the content's bottom.
    EXPECT_EQ(view->lastLocation, (Point { 40, 150 }));
    QDragMoveEvent move(QPoint(60, 70), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(widget(), &leave);
    EXPECT_EQ(view->calls, (std::vector<std::string> { "entered", "updated", "exited", "ended" }));
    EXPECT_TRUE(view->dropped.empty());

    view->calls.clear();
    QDragEnterEvent again(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &again);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(view->dropped, u"from elsewhere");
    EXPECT_EQ(view->calls, (std::vector<std::string> { "entered", "updated", "perform", "conclude", "ended" }));

    // Data the view does not take is refused where it is dropped.
    view->calls.clear();
    QMimeData image;
    image.setData("image/png", "\x89PNG");
    QDragEnterEvent foreign(at, Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &foreign);
    EXPECT_EQ(foreign.dropAction(), Qt::IgnoreAction);
    QDropEvent refused(QPointF(at), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(WidgetDragAndMenuBar, ADragBegunByAViewRunsAsAQDragAfterTheEventAndEndsTheSession)
{
    // QDrag::exec waits for the user; the test answers for it.
    Qt::DropActions offered;
    QString text;
    bool runningDuringDrag = false;
    backend->setDragExecutor([&](QDrag& drag, Qt::DropActions supported) {
        offered = supported;
        text = drag.mimeData()->text();
        runningDuringDrag = view->session && view->session->isRunning();
        return Qt::CopyAction;
    });
    QTest::mousePress(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QMouseEvent drag(QEvent::MouseMove, QPointF(60, 60), widget()->mapToGlobal(QPointF(60, 60)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget(), &drag);
    ASSERT_TRUE(view->session);
    EXPECT_TRUE(runningDuringDrag);
    EXPECT_EQ(text, QString("dragged"));
    EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction);
    EXPECT_FALSE(view->session->isRunning());
    EXPECT_EQ(view->session->endedOperation(), DragOperations::Copy);

    // A drag the user gave up ends as none.
    backend->setDragExecutor([](QDrag&, Qt::DropActions) { return Qt::IgnoreAction; });
    view->session.reset();
    QCoreApplication::sendEvent(widget(), &drag);
    ASSERT_TRUE(view->session);
    EXPECT_FALSE(view->session->isRunning());
    EXPECT_EQ(view->session->endedOperation(), DragOperations::None);
}

TEST_F(WidgetDragAndMenuBar, APopoverShowsAsAFramelessToolWindowWithItsContent)
{
    auto popover = std::make_shared<Popover>();
    popover->setContentView(std::make_shared<DropView>(Rect(0, 0, 120, 80)));
    popover->setContentSize({ 120, 80 });
    popover->showRelativeToRect(Rect(10, 10, 20, 20), view, RectEdge::MaxY);
    ASSERT_TRUE(popover->window());
    auto* shown = backend->widgetForWindow(*popover->window());
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowType(), Qt::Tool);
    EXPECT_TRUE(shown->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(shown->size(), QSize(120, 80));
    EXPECT_EQ(shown->grab().toImage().pixelColor(60, 40), QColor(0, 0, 255));
    popover->close();
    EXPECT_FALSE(shown->isVisible());
}

TEST_F(WidgetDragAndMenuBar, AClosedPopoverThatHadTheKeyboardGivesItBackToTheWindowBelow)
{
    widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget(), 30000));
    auto popover = std::make_shared<Popover>();
    popover->setContentView(std::make_shared<DropView>(Rect(0, 0, 120, 80)));
    popover->setContentSize({ 120, 80 });
    popover->showRelativeToRect(Rect(10, 10, 20, 20), view, RectEdge::MaxY);
    auto* shown = backend->widgetForWindow(*popover->window());
    ASSERT_TRUE(shown);
    // A click in the popover (a text field there) takes the keyboard.
    shown->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shown, 30000));
    QTest::mouseClick(shown, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
    EXPECT_TRUE(popover->window()->isKeyWindow());

    popover->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget()->isActiveWindow(); }, 30000));
    EXPECT_TRUE(window->isKeyWindow());

    // A window that did not have the keyboard takes nothing when it goes.
    popover->showRelativeToRect(Rect(10, 10, 20, 20), view, RectEdge::MaxY);
    popover->close();
    EXPECT_TRUE(widget()->isActiveWindow());
    EXPECT_TRUE(window->isKeyWindow());
}

} // namespace
