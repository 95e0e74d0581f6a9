#include "tests/platform/views/qt/QtBackendWindowTest.h"

#include "platform/views/Application.h"
#include "platform/views/ClipView.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/qt/QtEventTranslation.h"
#include "platform/views/qt/QtRunLoopPump.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QTest>
#include <QWindow>
#include <QWheelEvent>

#include <chrono>
#include <thread>
#include <vector>

using namespace brevanton;

namespace {

// A view that fills itself and records the events it is sent.
class RecordingView : public View {
public:
    using View::View;
    Color fill { Color::sRGB(0, 0, 1) };
    std::vector<Event> events;
    bool acceptsFirstResponder() const override { return true; }
    unsigned draws { 0 };
    void draw(const Rect&, GraphicsContext& context) override
    {
        ++draws;
        context.fillRect(bounds(), fill);
    }
    void mouseDown(const Event& event) override { events.push_back(event); }
    void mouseUp(const Event& event) override { events.push_back(event); }
    void rightMouseDown(const Event& event) override { events.push_back(event); }
    void keyDown(const Event& event) override { events.push_back(event); }
};

class Backend : public brevanton::testing::QtBackendWindowTest<RecordingView> {
protected:
    void prepareWindow() override { window->setTitle(u"A window"); }
    void SetUp() override
    {
        QtBackendWindowTest::SetUp();
        ASSERT_TRUE(window->makeFirstResponder(view));
    }
};

TEST_F(Backend, AWindowHasAWidgetWhileItLivesThatFollowsItsFrameTitleEditedMarkAndOrdering)
{
    ASSERT_TRUE(widget());
    EXPECT_TRUE(widget()->isVisible());
    EXPECT_EQ(widget()->windowHandle()->title(), QString("A window"));
    // Our frame is unflipped on a 1080-point-high screen: its top is at 400.
    double top = Screen::mainScreen().frame().maxY() - 400;
    EXPECT_EQ(widget()->geometry(), QRect(100, static_cast<int>(top), 300, 200));
    window->setFrame(Rect(150, 250, 320, 240));
    EXPECT_EQ(widget()->geometry(), QRect(150, static_cast<int>(Screen::mainScreen().frame().maxY() - 490), 320, 240));
    window->setTitle(u"Renamed");
    window->setAlphaValue(0.5);
    view->setNeedsDisplay(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget()->windowHandle()->title(), QString("Renamed"));
    EXPECT_NEAR(widget()->windowOpacity(), 0.5, 0.01);

    // An edited document is marked the desktop's way, after the title at
    // once; a title's own "[*]" is shown as it is.
    window->setDocumentEdited(true);
    EXPECT_TRUE(widget()->isWindowModified());
    EXPECT_EQ(widget()->windowHandle()->title(), QString("Renamed*"));
    window->setTitle(u"Draft [*]");
    view->setNeedsDisplay(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget()->windowHandle()->title(), QString("Draft [*]*"));
    window->setDocumentEdited(false);
    EXPECT_FALSE(widget()->isWindowModified());
    EXPECT_EQ(widget()->windowHandle()->title(), QString("Draft [*]"));

    // A resize by the window system comes back to the window and its views.
    widget()->resize(400, 300);
    EXPECT_EQ(window->frame().size, (Size { 400, 300 }));
    EXPECT_EQ(view->frame().size, (Size { 400, 300 }));

    window->orderOut();
    EXPECT_FALSE(widget()->isVisible());
    window->orderFront();
    EXPECT_TRUE(widget()->isVisible());

    QPointer<QtWindowWidget> gone = widget();
    window->close();
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    window = Window::create(Rect(0, 0, 10, 10));
}

TEST_F(Backend, OverlayChildWindowsPaintInsideTheirParentAndTitledOnesAreToolWindows)
{
    auto overlay = std::make_shared<Window>(Rect(110, 210, 50, 40), WindowStyle::Borderless);
    overlay->setContentView(std::make_shared<RecordingView>(Rect(0, 0, 50, 40)));
    overlay->setOpaque(false);
    overlay->setIgnoresMouseEvents(true);
    Application::shared().addWindow(overlay);
    window->addChildWindow(overlay, WindowOrderingMode::Above);
    auto* overlayWidget = backend->widgetForWindow(*overlay);
    ASSERT_TRUE(overlayWidget);
    EXPECT_EQ(overlayWidget->parentWidget(), widget());
    EXPECT_FALSE(overlayWidget->isWindow());
    // In the parent's content: 10 from its left, 200 - 50 = 150 from its top.
    EXPECT_EQ(overlayWidget->geometry(), QRect(10, 150, 50, 40));
    EXPECT_TRUE(overlayWidget->testAttribute(Qt::WA_TransparentForMouseEvents));

    // The parent's picture holds the overlay's drawing.
    std::static_pointer_cast<RecordingView>(overlay->contentView())->fill = Color::sRGB(1, 0, 0);
    QImage picture = widget()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(30, 170), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(100, 50), QColor(0, 0, 255));

    auto palette = std::make_shared<Window>(Rect(500, 500, 80, 80));
    palette->setContentView(std::make_shared<View>(Rect(0, 0, 80, 80)));
    Application::shared().addWindow(palette);
    window->addChildWindow(palette, WindowOrderingMode::Above);
    auto* paletteWidget = backend->widgetForWindow(*palette);
    ASSERT_TRUE(paletteWidget);
    EXPECT_TRUE(paletteWidget->isWindow());
    EXPECT_EQ(paletteWidget->windowType(), Qt::Tool);

    // An overlay that never takes the keyboard leaves it to its parent: the
    // parent, activated, keeps Qt's focus.
    class KeylessWindow final : public Window {
    public:
        using Window::Window;
        bool canBecomeKeyWindow() const override { return false; }
    };
    auto keyless = std::make_shared<KeylessWindow>(Rect(120, 220, 30, 30), WindowStyle::Borderless);
    keyless->setContentView(std::make_shared<View>(Rect(0, 0, 30, 30)));
    Application::shared().addWindow(keyless);
    window->addChildWindow(keyless, WindowOrderingMode::Above);
    auto* keylessWidget = backend->widgetForWindow(*keyless);
    ASSERT_TRUE(keylessWidget);
    EXPECT_EQ(keylessWidget->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(overlayWidget->focusPolicy(), Qt::StrongFocus);
    widget()->activateWindow();
    QCoreApplication::processEvents();
    EXPECT_NE(QApplication::focusWidget(), keylessWidget);
    window->removeChildWindow(keyless.get());
    keyless->orderOut();

    // Ordered out with the parent, back with it.
    window->orderOut();
    EXPECT_FALSE(overlayWidget->isVisible());
    window->orderFront();
    EXPECT_TRUE(backend->widgetForWindow(*overlay)->isVisible());
}

TEST_F(Backend, TheBackendGoesWithParentsAndOverlaysStillShownDeletingEachWidgetOnce)
{
    // Overlays made before and after their parents, so that the backend's
    // table meets parents before children and children before parents.
    std::vector<std::shared_ptr<Window>> windows;
    for (int pair = 0; pair < 6; ++pair) {
        auto makeOverlay = [] { return std::make_shared<Window>(Rect(10, 10, 20, 20), WindowStyle::Borderless); };
        auto makeParent = [] { return std::make_shared<Window>(Rect(0, 0, 100, 100)); };
        std::shared_ptr<Window> overlay = pair % 2 ? makeOverlay() : nullptr;
        auto parent = makeParent();
        if (!overlay)
            overlay = makeOverlay();
        overlay->setContentView(std::make_shared<View>(Rect(0, 0, 20, 20)));
        parent->setContentView(std::make_shared<View>(Rect(0, 0, 100, 100)));
        Application::shared().addWindow(parent);
        parent->orderFront();
        Application::shared().addWindow(overlay);
        parent->addChildWindow(overlay, WindowOrderingMode::Above);
        ASSERT_TRUE(backend->widgetForWindow(*overlay));
        EXPECT_EQ(backend->widgetForWindow(*overlay)->parentWidget(), backend->widgetForWindow(*parent));
        windows.push_back(parent);
        windows.push_back(overlay);
    }
    backend.reset();
    backend = std::make_unique<QtWindowBackend>();
}

TEST_F(Backend, MarkingAViewRepaintsTheWidgetFromTheRecordedCommands)
{
    QCoreApplication::processEvents();
    unsigned painted = widget()->paintCount();
    view->fill = Color::sRGB(0, 1, 0);
    view->setNeedsDisplay(true);
    QCoreApplication::processEvents();
    EXPECT_GT(widget()->paintCount(), painted);
    ASSERT_FALSE(widget()->lastPaintedCommands().empty());
    EXPECT_EQ(widget()->lastPaintedCommands().back().view, view.get());
    EXPECT_EQ(widget()->grab().toImage().pixelColor(150, 100), QColor(0, 255, 0));
}

// Qt asking again for what it was shown gets the recording replayed; a
// mark, another first responder or the window's key state records anew.
TEST_F(Backend, ARepaintNoViewAskedForReplaysTheRecordingWithoutDrawingTheViews)
{
    QCoreApplication::processEvents();
    widget()->repaint();
    unsigned draws = view->draws;
    unsigned painted = widget()->paintCount();
    widget()->repaint();
    widget()->repaint();
    EXPECT_EQ(widget()->paintCount(), painted + 2);
    EXPECT_EQ(view->draws, draws);
    EXPECT_EQ(widget()->grab().toImage().pixelColor(150, 100), QColor(0, 0, 255));

    view->fill = Color::sRGB(1, 0, 0);
    view->setNeedsDisplay(true);
    widget()->repaint();
    EXPECT_EQ(view->draws, draws + 1);
    EXPECT_EQ(widget()->grab().toImage().pixelColor(150, 100), QColor(255, 0, 0));

    ASSERT_TRUE(window->makeFirstResponder(nullptr));
    widget()->repaint();
    EXPECT_EQ(view->draws, draws + 2);
    auto other = Window::create(Rect(500, 200, 100, 100));
    other->makeKeyAndOrderFront();
    ASSERT_FALSE(window->isKeyWindow());
    widget()->repaint();
    EXPECT_EQ(view->draws, draws + 3);
    other->close();
    // A mark the window's own headless display took still counts.
    view->setNeedsDisplay(true);
    window->displayIfNeeded();
    unsigned displayed = view->draws;
    widget()->repaint();
    EXPECT_EQ(view->draws, displayed + 1);
}

// A view that clips what it fills to a part of itself, as a grid's cells
// clip their titles.
class ClippingView : public View {
public:
    using View::View;
    void draw(const Rect&, GraphicsContext& context) override
    {
        context.beginClip(Rect(10, 10, 20, 20));
        context.fillRect(bounds(), Color::sRGB(1, 0, 0));
        context.endClip();
        context.fillRect(Rect(40, 0, 10, 10), Color::sRGB(1, 0, 0));
    }
};

TEST_F(Backend, AViewsClipHoldsInTheWindowUntilItEndsIt)
{
    // In the window's base coordinates, unflipped: the widget's rows go down from its top.
    view->addSubview(std::make_shared<ClippingView>(Rect(100, 100, 60, 60)));
    view->setNeedsDisplay(true);
    QCoreApplication::processEvents();
    QImage image = widget()->grab().toImage();
    EXPECT_EQ(image.pixelColor(115, 85), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(105, 85), QColor(0, 0, 255)) << "outside the clip";
    EXPECT_EQ(image.pixelColor(135, 65), QColor(0, 0, 255)) << "outside the clip";
    EXPECT_EQ(image.pixelColor(145, 95), QColor(255, 0, 0)) << "after its end";
}

TEST_F(Backend, BusyWorkLetsTheWindowsPaintWhileNoTurnRunsAndNoWindowCloses)
{
    QCoreApplication::processEvents();
    QtRunLoopPump pump(0.001);
    int turnsAfterEvents = 0;
    backend->setEventDeliveredHandler([&] { ++turnsAfterEvents; });
    bool performed = false;
    RunLoop::main().perform([&] { performed = true; });
    unsigned painted = widget()->paintCount();
    view->fill = Color::sRGB(0, 1, 0);
    view->setNeedsDisplay(true);
    // The user closes the window while the work goes on; the pump is due.
    QCoreApplication::postEvent(widget(), new QCloseEvent);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));

    backend->displayWindowsDuringBusyWork();
    EXPECT_GT(widget()->paintCount(), painted);
    EXPECT_EQ(widget()->grab().toImage().pixelColor(150, 100), QColor(0, 255, 0));
    EXPECT_FALSE(performed) << "no turn of the main run loop";
    EXPECT_EQ(turnsAfterEvents, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(backend->isDisplayingDuringBusyWork());

    // Afterwards Qt's loop runs the main run loop's turns again.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!performed && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(performed);
    if (!performed)
        RunLoop::main().runOnce(0);
    backend->setEventDeliveredHandler(nullptr);
}

TEST_F(Backend, QtInputReachesTheViewsAsOurEvents)
{
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    ASSERT_EQ(view->events.size(), 2u);
    EXPECT_EQ(view->events[0].type(), EventType::LeftMouseDown);
    // Base coordinates: unflipped, from the bottom of the content.
    EXPECT_EQ(view->events[0].locationInWindow(), (Point { 30, 180 }));
    EXPECT_EQ(view->events[0].clickCount(), 1);
    EXPECT_EQ(view->events[1].type(), EventType::LeftMouseUp);

    view->events.clear();
    QTest::mouseDClick(widget(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 20));
    ASSERT_FALSE(view->events.empty());
    EXPECT_EQ(view->events.back().clickCount(), 2);

    view->events.clear();
    QTest::mouseClick(widget(), Qt::RightButton, Qt::NoModifier, QPoint(60, 60), 500);
    ASSERT_FALSE(view->events.empty());
    EXPECT_EQ(view->events[0].type(), EventType::RightMouseDown);

    view->events.clear();
    QTest::keyClick(widget(), Qt::Key_Left);
    // Shift+A as the window system gives it: the typed text is upper case.
    QKeyEvent upperA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    QCoreApplication::sendEvent(widget(), &upperA);
    QTest::keyClick(widget(), Qt::Key_Backspace);
    ASSERT_EQ(view->events.size(), 3u);
    EXPECT_EQ(view->events[0].characters(), std::u16string(1, FunctionKey::LeftArrow));
    EXPECT_EQ(view->events[0].keyCode(), KeyCode::LeftArrow);
    EXPECT_TRUE(view->events[0].hasModifier(ModifierFlag::Function));
    EXPECT_EQ(view->events[1].characters(), u"A");
    EXPECT_TRUE(view->events[1].hasModifier(ModifierFlag::Shift));
    EXPECT_EQ(view->events[2].keyCode(), KeyCode::Delete);
    EXPECT_EQ(view->events[2].characters(), u"\x7f");

    // Committed input-method text is typed as one key press.
    view->events.clear();
    QInputMethodEvent composed;
    composed.setCommitString(QString::fromUtf8("日本"));
    QCoreApplication::sendEvent(widget(), &composed);
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].characters(), u"日本");
    QRect caret = widget()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(caret, QRect(0, 0, 300, 200)) << "the first responder's visible rectangle";
}

TEST_F(Backend, TheWheelScrollsTheClipViewUnderThePointer)
{
    auto clip = std::make_shared<ClipView>(Rect(0, 0, 300, 200));
    auto document = std::make_shared<RecordingView>(Rect(0, 0, 300, 1000));
    document->setFlipped(true);
    clip->setDocumentView(document);
    view->addSubview(clip);
    QWheelEvent wheel(QPointF(50, 50), widget()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget(), &wheel);
    EXPECT_EQ(clip->bounds().origin, (Point { 0, 40 }));
}

TEST(QtEventTranslation, KeysGiveTheCharactersKeyCodesAndFlagsOfTheSynthesizer)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        std::u16string characters;
        std::u16string ignoringModifiers;
        uint16_t keyCode;
        ModifierFlags flags;
    };
    const Case cases[] = {
        { Qt::Key_S, Qt::ControlModifier, "\x13", u"s", u"s", 1, ModifierFlag::Command },
        { Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "\x1a", u"Z", u"Z", 6, ModifierFlag::Command | ModifierFlag::Shift },
        { Qt::Key_A, Qt::NoModifier, "a", u"a", u"a", 0, 0 },
        { Qt::Key_E, Qt::AltModifier, "\u00e9", u"\u00e9", u"e", 14, ModifierFlag::Option },
        { Qt::Key_Return, Qt::NoModifier, "\r", u"\r", u"\r", KeyCode::Return, 0 },
        { Qt::Key_Enter, Qt::KeypadModifier, "\r", u"\x03", u"\x03", KeyCode::Enter, ModifierFlag::NumericPad },
        { Qt::Key_Tab, Qt::NoModifier, "\t", u"\t", u"\t", KeyCode::Tab, 0 },
        { Qt::Key_Backtab, Qt::ShiftModifier, "", u"\x19", u"\x19", KeyCode::Tab, ModifierFlag::Shift },
        { Qt::Key_Escape, Qt::NoModifier, "\x1b", u"\x1b", u"\x1b", KeyCode::Escape, 0 },
        { Qt::Key_Delete, Qt::NoModifier, "", std::u16string(1, FunctionKey::Delete), std::u16string(1, FunctionKey::Delete),
          KeyCode::ForwardDelete, ModifierFlag::Function },
        { Qt::Key_Down, Qt::KeypadModifier, "", std::u16string(1, FunctionKey::DownArrow), std::u16string(1, FunctionKey::DownArrow),
          KeyCode::DownArrow, ModifierFlag::Function | ModifierFlag::NumericPad },
        { Qt::Key_PageDown, Qt::ShiftModifier, "", std::u16string(1, FunctionKey::PageDown), std::u16string(1, FunctionKey::PageDown),
          KeyCode::PageDown, ModifierFlag::Function | ModifierFlag::Shift },
        { Qt::Key_F5, Qt::NoModifier, "", u"\uF708", u"\uF708", 96, ModifierFlag::Function },
        { Qt::Key_Space, Qt::MetaModifier, " ", u" ", u" ", KeyCode::Space, ModifierFlag::Control },
    };
    for (const auto& c : cases) {
        auto key = translateQtKey(c.key, c.modifiers, QString::fromUtf8(c.text));
        ASSERT_TRUE(key) << c.key;
        EXPECT_EQ(key->characters, c.characters) << c.key;
        EXPECT_EQ(key->charactersIgnoringModifiers, c.ignoringModifiers) << c.key;
        EXPECT_EQ(key->keyCode, c.keyCode) << c.key;
        EXPECT_EQ(key->modifierFlags, c.flags) << c.key;
    }
    // A modifier alone: flags and no characters.
    auto shift = translateQtKey(Qt::Key_Shift, Qt::ShiftModifier, {});
    ASSERT_TRUE(shift);
    EXPECT_TRUE(shift->characters.empty());
    EXPECT_EQ(shift->modifierFlags, ModifierFlag::Shift);
    EXPECT_FALSE(translateQtKey(Qt::Key_unknown, Qt::NoModifier, {}));

    ClickCounter clicks(0.5, 4);
    EXPECT_EQ(clicks.press(1, { 10, 10 }, 1.0), 1);
    EXPECT_EQ(clicks.press(1, { 12, 11 }, 1.3), 2);
    EXPECT_EQ(clicks.press(1, { 12, 11 }, 1.5), 3);
    EXPECT_EQ(clicks.press(2, { 12, 11 }, 1.6), 1) << "another button";
    EXPECT_EQ(clicks.press(2, { 30, 11 }, 1.7), 1) << "too far";
    EXPECT_EQ(clicks.press(2, { 30, 11 }, 2.5), 1) << "too late";
    EXPECT_EQ(clicks.press(2, { 30, 11 }, 4.0, true), 2) << "the window system's double click";
}

} // namespace

// A popover opened at a view by each edge and corner of the screen shows as a
// frameless window that lies on the screen, and the window it stands beside
// keeps drawing its own picture behind it.
TEST_F(Backend, APopoverNearEveryScreenEdgeLiesOnTheScreenAndTheWindowBehindKeepsItsPicture)
{
    Rect screen = Screen::mainScreen().visibleFrame();
    QRect onScreen(static_cast<int>(screen.minX()), static_cast<int>(Screen::mainScreen().frame().maxY() - screen.maxY()),
                   static_cast<int>(screen.width()), static_cast<int>(screen.height()));
    auto content = std::make_shared<View>(Rect(0, 0, 320, 180));
    auto popover = std::make_shared<Popover>();
    popover->setContentView(content);
    auto button = std::make_shared<View>(Rect(0, 0, 40, 20));
    view->addSubview(button);
    struct Case {
        const char* where;
        Point windowOrigin;
        Point buttonOrigin;
        RectEdge edge;
    };
    const double right = screen.maxX() - 300;
    const double top = screen.maxY() - 200;
    const Case cases[] = {
        { "top left, below", { screen.minX(), top }, { 0, 180 }, RectEdge::MinY },
        { "top right, above", { right, top }, { 260, 180 }, RectEdge::MaxY },
        { "bottom left, below", { screen.minX(), screen.minY() }, { 0, 0 }, RectEdge::MinY },
        { "bottom right, right", { right, screen.minY() }, { 260, 0 }, RectEdge::MaxX },
        { "left edge, left", { screen.minX(), 400 }, { 0, 90 }, RectEdge::MinX },
        { "right edge, right", { right, 400 }, { 260, 90 }, RectEdge::MaxX },
    };
    for (const auto& test : cases) {
        window->setFrameOrigin(test.windowOrigin);
        button->setFrameOrigin(test.buttonOrigin);
        popover->showRelativeToRect(button->bounds(), button, test.edge);
        QCoreApplication::processEvents();
        auto* shown = backend->widgetForWindow(*popover->window());
        ASSERT_TRUE(shown && shown->isVisible()) << test.where;
        EXPECT_TRUE(onScreen.contains(shown->geometry())) << test.where << ": " << shown->geometry().x() << ","
                                                          << shown->geometry().y();
        // The window behind, asked to paint with the popover up, shows its view.
        widget()->repaint();
        EXPECT_EQ(widget()->grab().toImage().pixelColor(150, 100), QColor(0, 0, 255)) << test.where;
        popover->close();
    }
}
