// The windows the Help and File menus open, measured as the desktop draws
// them: every control's label fits the room the style leaves it.
#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/shell/ControlLabelsTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickPreferencesController.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "shell/VornickApplicationShell.h"
#include "ui/VornickLogWindowController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace brevanton;

namespace {

class WindowControlLabelsQt : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        folder = temporaryDirectory() + "/brevanton-control-labels";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        m_delegate.install(folder + "/defaults.plist");
        VornickRegisterApplicationDefaults(m_delegate->userDefaults());
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }
    void TearDown() override
    {
        shell.reset();
        settle();
        m_delegate.remove();
        std::filesystem::remove_all(folder);
    }
    static void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    // Performs the main menu's item `title` of `menu`.
    void choose(std::u16string_view menu, std::u16string_view title)
    {
        auto top = shell->mainMenu()->itemWithTitle(menu);
        ASSERT_TRUE(top && top->submenu());
        auto item = top->submenu()->itemWithTitle(title);
        ASSERT_TRUE(item);
        top->submenu()->update();
        EXPECT_TRUE(top->submenu()->performActionForItemAtIndex(top->submenu()->indexOfItem(item.get())));
        settle();
    }
    std::string folder;
    brevanton::testing::TestApplicationDelegate m_delegate;
    std::unique_ptr<VornickApplicationShell> shell;
};

} // namespace

TEST_F(WindowControlLabelsQt, NoControlOfTheWindowsTheMenusOpenHasItsLabelCut)
{
    struct Case {
        std::string name;
        std::function<std::shared_ptr<Window>()> open;
    };
    std::vector<Case> cases;
    choose(u"File", u"Preferences\u2026");
    auto& preferences = shell->preferencesController();
    ASSERT_TRUE(preferences);
    for (const auto& pane : preferences->loadedPanes()) {
        cases.push_back({ "Preferences, " + toUTF8(pane), [&, pane] {
                             EXPECT_TRUE(preferences->loadPreferencePaneNamed(pane));
                             settle();
                             return preferences->prefsWindow();
                         } });
    }
    cases.push_back({ "General Log", [&] {
                         choose(u"Help", u"General Log");
                         return shell->logWindowController() ? shell->logWindowController()->window() : nullptr;
                     } });
    cases.push_back({ "About", [&] {
                         choose(u"Help", u"About Brevanton");
                         return Application::shared().keyWindow();
                     } });
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto window = test.open();
        ASSERT_TRUE(window);
        size_t measured = 0;
        EXPECT_EQ(brevanton::testing::cutControlLabels(*window, measured), std::vector<std::string>());
        if (test.name.starts_with("Preferences")) {
            EXPECT_GT(measured, 0u) << "the pane's controls";
        }
    }
}
