// The Help menu's windows on the offscreen Qt platform: the general log,
// following its end as lines come, and About Brevanton.
#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickApplicationShell.h"
#include "toolkit/VornickLog.h"
#include "ui/AboutPanelController.h"
#include "ui/VornickLogWindowController.h"

#include <gtest/gtest.h>

#include <QAction>

#include <algorithm>
#include <cctype>
#include <functional>

using namespace brevanton;

namespace {

class LogWindowsQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        documentWindow = Window::create(Rect(100, 100, 400, 300));
        documentWindow->makeKeyAndOrderFront();
        VornickInstallDocumentWindowBridges(*shell, *documentWindow);
    }
    void TearDown() override
    {
        documentWindow.reset();
        shell.reset();
        settle();
    }
    static void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    // Chooses Help > `title` in the document window's menu bar.
    void chooseHelpItem(std::u16string_view title)
    {
        auto* widget = shell->backend().widgetForWindow(*documentWindow);
        ASSERT_TRUE(widget);
        auto* bar = dynamic_cast<QtMenuBar*>(widget->menuBar());
        ASSERT_TRUE(bar);
        auto helpItem = shell->mainMenu()->itemWithTitle(u"Help");
        ASSERT_TRUE(helpItem);
        auto item = helpItem->submenu()->itemWithTitle(std::u16string(title));
        ASSERT_TRUE(item);
        QtMenu* help = bar->menuForItem(*helpItem);
        ASSERT_TRUE(help);
        help->prepareToShow();
        QAction* action = help->actionForItem(*item);
        ASSERT_TRUE(action);
        EXPECT_TRUE(action->isEnabled());
        EXPECT_TRUE(action->shortcut().isEmpty()) << "no shortcut is shown";
        action->trigger();
        settle();
    }

    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<Window> documentWindow;
};

} // namespace

TEST_F(LogWindowsQt, TheGeneralLogShowsItsEndAtTheBottomAsLinesCome)
{
    chooseHelpItem(u"General Log");
    auto& controller = shell->logWindowController();
    ASSERT_TRUE(controller);
    auto window = controller->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(controller->textView()->string(), VornickLog::generalLog().text());

    // Many more lines than the window shows.
    for (int line = 1; line <= 300; ++line)
        VornickGeneralLog("general log window line {}", line);
    settle();
    auto* widget = shell->backend().widgetForWindow(*window);
    ASSERT_TRUE(widget);
    QImage picture = widget->grab().toImage();

    // The last line is drawn, at the bottom of the scroll view; lines from
    // the start of the run are not.
    const DrawCommand* last = nullptr;
    bool firstShown = false;
    for (const auto& command : widget->lastPaintedCommands()) {
        if (command.text == u"general log window line 300")
            last = &command;
        if (command.text == u"general log window line 1")
            firstShown = true;
    }
    ASSERT_TRUE(last) << "the log's last line is painted";
    EXPECT_FALSE(firstShown);
    Rect scrollBox = controller->scrollView()->convertRectToView(controller->scrollView()->bounds(), nullptr);
    EXPECT_GE(last->rectInWindow.minY(), scrollBox.minY());
    EXPECT_LT(last->rectInWindow.minY() - scrollBox.minY(), 40) << "its line sits just above the scroll view's bottom edge";

    // In the picture: ink in the text's area reaches down to that line and
    // no further (Qt's y runs down from the top).
    int textLeft = static_cast<int>(scrollBox.minX()) + 2;
    int textRight = static_cast<int>(scrollBox.maxX()) - 20;
    int bottomEdge = widget->height() - static_cast<int>(scrollBox.minY());
    int lowestInk = -1;
    for (int y = widget->height() - static_cast<int>(scrollBox.maxY()); y < bottomEdge; ++y) {
        for (int x = textLeft; x < textRight; ++x) {
            if (picture.pixelColor(x, y).lightness() < 128) {
                lowestInk = y;
                break;
            }
        }
    }
    ASSERT_GE(lowestInk, 0);
    EXPECT_LT(bottomEdge - lowestInk, 40) << "the end of the text is at the bottom";
    EXPECT_GT(bottomEdge - lowestInk, 0);

    // Chosen again, the same window comes forward.
    documentWindow->makeKeyAndOrderFront();
    chooseHelpItem(u"General Log");
    EXPECT_EQ(shell->logWindowController()->window(), window);
    EXPECT_TRUE(window->isKeyWindow());
}

TEST_F(LogWindowsQt, AboutBrevantonShowsTheNameAndVersion)
{
    chooseHelpItem(u"About Brevanton");
    auto& controller = shell->aboutPanelController();
    ASSERT_TRUE(controller);
    auto window = controller->window();
    EXPECT_TRUE(window->isVisible());
    auto* widget = shell->backend().widgetForWindow(*window);
    ASSERT_TRUE(widget);
    widget->grab();
    std::vector<std::u16string> texts;
    for (const auto& command : widget->lastPaintedCommands())
        texts.push_back(command.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"Brevanton"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"Credits"), texts.end());
    EXPECT_NE(std::find_if(texts.begin(), texts.end(), [](const auto& text) { return text.starts_with(u"Version "); }), texts.end());

    // The rating request is built but nothing shows it: no menu item asks
    // for it, and no window of it is open.
    std::function<void(const Menu&)> checkItems = [&](const Menu& menu) {
        for (const auto& item : menu.items()) {
            if (item->hasSubmenu())
                checkItems(*item->submenu());
            std::string action = item->action();
            std::transform(action.begin(), action.end(), action.begin(), [](unsigned char c) { return std::tolower(c); });
            EXPECT_EQ(action.find("rating"), std::string::npos) << action;
        }
    };
    checkItems(*shell->mainMenu());
    for (const auto& window : Application::shared().windows())
        EXPECT_NE(window->title(), u"Rate Brevanton");
}
