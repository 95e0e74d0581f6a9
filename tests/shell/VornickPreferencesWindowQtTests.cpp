#include "tests/blog/SyncEngineTestSupport.h"
#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/views/HelpPagesOpened.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickBloggingPreferencePane.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickApplicationShell.h"
#include "views/VornickHelpAnchors.h"
#include "app/VornickPreferencesController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

using namespace brevanton;
using brevanton::testing::centreInWidget;
using brevanton::testing::HelpPagesOpened;

namespace {

class PreferencesWindowQtTests : public SyncEngineTest {
protected:
    PreferencesWindowQtTests()
    {
        brevanton::testing::qtApplication();
        m_delegate.install(folder + "/defaults.plist");
        VornickRegisterApplicationDefaults(m_delegate->userDefaults());
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }
    ~PreferencesWindowQtTests() override
    {
        documentWindow.reset();
        shell.reset();
        drain();
        m_delegate.remove();
        RunLoop::main().useRealClock();
    }

    void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    QtWindowWidget* widgetFor(const Window& window) const { return shell->backend().widgetForWindow(window); }
    static bool drawsText(const QtWindowWidget& widget, std::u16string_view text)
    {
        for (const auto& command : widget.lastPaintedCommands()) {
            if (command.text == text)
                return true;
        }
        return false;
    }

    brevanton::testing::TestApplicationDelegate m_delegate;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<Window> documentWindow;
};

} // namespace

TEST_F(PreferencesWindowQtTests, CommandCommaOpensTheBloggingPaneWhoseIntervalTheSynchronizersFollow)
{
    // A document window with the main menu's bar, where the user presses Ctrl+,.
    documentWindow = Window::create(Rect(100, 100, 400, 300));
    documentWindow->makeKeyAndOrderFront();
    VornickInstallDocumentWindowBridges(*shell, *documentWindow);
    auto* documentWidget = widgetFor(*documentWindow);
    ASSERT_TRUE(documentWidget);
    auto* bar = dynamic_cast<QtMenuBar*>(documentWidget->menuBar());
    ASSERT_TRUE(bar);
    auto fileItem = shell->mainMenu()->itemWithTitle(u"File");
    ASSERT_TRUE(fileItem);
    auto preferencesItem = fileItem->submenu()->itemWithTitle(u"Preferences\u2026");
    ASSERT_TRUE(preferencesItem);
    QtMenu* fileMenu = bar->menuForItem(*fileItem);
    ASSERT_TRUE(fileMenu);
    fileMenu->prepareToShow();
    QAction* shown = fileMenu->actionForItem(*preferencesItem);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma)) << "the shortcut shown";

    // The synchronizer of an open account plans its next sync 5 minutes after the last.
    RunLoop::main().useManualClock();
    auto& synchronizer = project->synchronizer();
    synchronizer.setDateOfLastSyncCompletion(RunLoop::main().now());
    synchronizer.tryStartingASyncNowThatWeCan();
    ASSERT_TRUE(synchronizer.hasScheduledSyncTimer());

    // The pane shown last.
    m_delegate->userDefaults().setObject(Value(u"Blogging"), PrefsPaneController::lastPaneDefaultsKey());
    QTest::keyClick(documentWidget, Qt::Key_Comma, Qt::ControlModifier);
    settle();
    auto& controller = shell->preferencesController();
    ASSERT_TRUE(controller);
    auto window = controller->prefsWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->title(), u"Blogging");
    auto* widget = widgetFor(*window);
    ASSERT_TRUE(widget);
    ASSERT_TRUE(widget->isVisible());

    // The toolbar over the pane, the window sized to them.
    auto pane = std::dynamic_pointer_cast<VornickBloggingPreferencePane>(controller->activePane());
    ASSERT_TRUE(pane);
    Size paneSize = pane->paneView()->frame().size;
    EXPECT_EQ(window->frame().size, (Size { paneSize.width, paneSize.height + Toolbar::height }));
    // The widget holds the menu bar above the window too.
    ASSERT_TRUE(widget->menuBar());
    EXPECT_EQ(widget->size(), QSize(static_cast<int>(paneSize.width), static_cast<int>(paneSize.height + Toolbar::height) + widget->contentTop()));
    EXPECT_EQ(widget->minimumSize(), widget->maximumSize()) << "the pane allows no resizing";
    EXPECT_EQ(controller->prefsToolbar()->selectedItemIdentifier(), u"Blogging");
    QImage picture = widget->grab().toImage();
    EXPECT_TRUE(drawsText(*widget, u"Blogging"));
    EXPECT_TRUE(drawsText(*widget, u"Every 5 Minutes"));
    QRect toolbarInk;
    for (int y = widget->contentTop(); y < widget->contentTop() + static_cast<int>(Toolbar::height); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y).lightness() < 150)
                toolbarInk |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(toolbarInk.isEmpty()) << "the panes' pictures and labels in the toolbar";
    EXPECT_LT(toolbarInk.left(), 40) << "from the toolbar's left";

    // A click on the pop-up, a click on "Every 15 Minutes".
    auto popUp = pane->syncIntervalPopUpButton();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, *popUp));
    settle();
    auto* menu = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->menu(), popUp->menu());
    auto fifteen = popUp->menu()->itemWithTitle(u"Every 15 Minutes");
    ASSERT_TRUE(fifteen);
    QAction* fifteenAction = menu->actionForItem(*fifteen);
    ASSERT_TRUE(fifteenAction);
    EXPECT_TRUE(fifteenAction->isEnabled());
    fifteenAction->trigger();
    menu->close();
    settle();

    EXPECT_EQ(m_delegate->userDefaults().objectForKey(VornickWordPressSyncIntervalDefaultsKey), Value(15));
    EXPECT_EQ(popUp->titleOfSelectedItem(), u"Every 15 Minutes");
    EXPECT_TRUE(synchronizer.hasScheduledSyncTimer());
    RunLoop::main().advanceClock(5 * 60 + 1);
    drain();
    EXPECT_FALSE(logHas("AUTO SYNC")) << "the old interval is gone";
    RunLoop::main().advanceClock(10 * 60);
    drain();
    EXPECT_TRUE(logHas("AUTO SYNC: Online")) << "15 minutes after the last sync";

    // Closed, it is kept; Ctrl+, shows it again on the same pane.
    window->performClose();
    settle();
    EXPECT_FALSE(window->isVisible());
    QTest::keyClick(documentWidget, Qt::Key_Comma, Qt::ControlModifier);
    settle();
    EXPECT_EQ(controller->prefsWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(PreferencesWindowQtTests, EachPanesHelpButtonOpensItsOwnPage)
{
    struct Case {
        const char16_t* pane;
        std::u16string_view anchor;
    } cases[] = {
        { u"General", VornickHelpAnchor::GeneralPreferences },
        { u"Blogging", VornickHelpAnchor::BloggingPreferences },
        { u"HTML Formatting", VornickHelpAnchor::HTMLFormattingPreferences },
    };
    shell->showPreferences();
    settle();
    auto& controller = shell->preferencesController();
    ASSERT_TRUE(controller);
    for (const auto& each : cases) {
        SCOPED_TRACE(toUTF8(each.pane));
        ASSERT_TRUE(controller->loadPreferencePaneNamed(each.pane));
        settle();
        auto window = controller->prefsWindow();
        ASSERT_TRUE(window && window->isVisible());
        auto* widget = widgetFor(*window);
        ASSERT_TRUE(widget);
        auto help = HelpPagesOpened::helpButtonIn(*controller->activePane()->paneView());
        ASSERT_TRUE(help);
        HelpPagesOpened opened;
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, centreInWidget(*widget, *help));
        settle();
        EXPECT_EQ(opened.paths(), HelpPagesOpened::onlyPageOf(each.anchor));
    }
}
