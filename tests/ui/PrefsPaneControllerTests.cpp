#include "ui/PrefsPaneController.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Application.h"
#include "platform/views/Sound.h"
#include "platform/views/Toolbar.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "ui/PrefsPaneProtocol.h"

#include <gtest/gtest.h>

#include <limits>

using namespace brevanton;

namespace {

class TestPane : public PrefsPaneProtocol {
public:
    TestPane(std::u16string name, Size size, bool resizable = false, bool hasView = true)
        : m_name(std::move(name))
        , m_size(size)
        , m_resizable(resizable)
        , m_hasView(hasView)
    {
    }
    std::u16string paneIdentifier() const override { return m_name + u"Prefs"; }
    std::u16string paneName() const override { return m_name; }
    std::shared_ptr<Image> paneIcon() const override { return nullptr; }
    std::u16string paneToolTip() const override { return paneName(); }
    bool allowsHorizontalResizing() const override { return m_resizable; }
    bool allowsVerticalResizing() const override { return m_resizable; }
    std::shared_ptr<View> paneView() override
    {
        if (!m_view && m_hasView) {
            ++viewsMade;
            m_view = std::make_shared<View>(Rect({ 0, 0 }, m_size));
        }
        return m_view;
    }

    int viewsMade { 0 };

private:
    std::u16string m_name;
    Size m_size;
    bool m_resizable;
    bool m_hasView;
    std::shared_ptr<View> m_view;
};

// Counts the panes shown.
class CountingController : public PrefsPaneController {
public:
    int loads { 0 };
    bool loadPrefsPaneNamed(const std::u16string& name, bool display) override
    {
        ++loads;
        return PrefsPaneController::loadPrefsPaneNamed(name, display);
    }
};

class PrefsPaneControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("prefs-panes").value();
        m_defaults = std::make_unique<UserDefaults>(m_folder + "/defaults.plist");
        Sound::clearPlayedSounds();
        controller = std::make_shared<CountingController>();
        controller->setUserDefaults(m_defaults.get());
        controller->setDebug(true);
    }
    void TearDown() override
    {
        controller.reset();
        Application::shared().resetForTesting();
        m_defaults.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    UserDefaults& defaults() { return *m_defaults; }
    std::vector<std::u16string> toolbarIdentifiers() const
    {
        std::vector<std::u16string> identifiers;
        for (const auto& item : controller->prefsToolbar()->items())
            identifiers.push_back(item->itemIdentifier());
        return identifiers;
    }

    std::string m_folder;
    std::unique_ptr<UserDefaults> m_defaults;
    std::shared_ptr<CountingController> controller;
};

TEST_F(PrefsPaneControllerTest, PanesShowInOrderAndTheWindowTakesEachPanesSizeKeepingItsTop)
{
    controller->addPreferencePane(std::make_shared<TestPane>(u"Appearance", Size { 300, 100 }));
    controller->addPreferencePane(std::make_shared<TestPane>(u"Broken", Size { 300, 100 }, false, false));
    controller->addPreferencePane(std::make_shared<TestPane>(u"Blogging", Size { 460, 240 }, true));
    EXPECT_EQ(controller->panesOrder(), (std::vector<std::u16string> { u"Appearance", u"Blogging" })) << "a pane without a view is left out";

    controller->showPreferencesWindow();
    auto window = controller->prefsWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(toolbarIdentifiers(), (std::vector<std::u16string> { u"Appearance", u"Blogging" }));
    EXPECT_EQ(window->title(), u"Appearance") << "the first launch shows the first pane";
    EXPECT_EQ(defaults().stringForKey(PrefsPaneController::lastPaneDefaultsKey()), u"Appearance");
    EXPECT_EQ(window->frame().size, (Size { 300, 100 + Toolbar::height }));
    EXPECT_EQ(window->minSize(), window->frame().size);
    EXPECT_EQ(window->maxSize(), window->frame().size) << "a pane that allows no resizing fixes the window";
    EXPECT_FALSE(window->styleMask() & WindowStyle::Resizable);
    double top = window->frame().maxY();

    // The other pane's item.
    auto blogging = controller->prefsToolbar()->itemWithIdentifier(u"Blogging");
    ASSERT_TRUE(blogging);
    ASSERT_TRUE(blogging->sendAction());
    EXPECT_EQ(window->title(), u"Blogging");
    EXPECT_EQ(controller->activePane(), controller->preferencePaneNamed(u"Blogging"));
    EXPECT_EQ(window->frame().size, (Size { 460, 240 + Toolbar::height }));
    EXPECT_EQ(window->frame().maxY(), top) << "the top edge stays";
    EXPECT_TRUE(window->styleMask() & WindowStyle::Resizable);
    EXPECT_EQ(window->maxSize().width, std::numeric_limits<double>::max());
    EXPECT_EQ(window->minSize(), window->frame().size);
    // The pane under the toolbar, which spans the top.
    auto paneView = controller->activePane()->paneView();
    EXPECT_EQ(paneView->superview(), window->contentView());
    EXPECT_EQ(paneView->frame(), Rect(0, 0, 460, 240));
    EXPECT_EQ(controller->prefsToolbar()->view()->frame(), Rect(0, 240, 460, Toolbar::height));

    // Its item again: nothing happens.
    int loads = controller->loads;
    ASSERT_TRUE(blogging->sendAction());
    EXPECT_EQ(controller->loads, loads);

    // A resize by the user lays the pane out again.
    window->setFrame(Rect(window->frame().minX(), window->frame().minY(), 600, 400));
    EXPECT_EQ(paneView->frame().size, (Size { 600, 400 - Toolbar::height }));
    EXPECT_EQ(controller->prefsToolbar()->view()->frame().width(), 600);
}

TEST_F(PrefsPaneControllerTest, AStoredPaneThatIsGoneFallsBackToTheFirstThatLoads)
{
    defaults().setObject(Value(u"Sharing"), PrefsPaneController::lastPaneDefaultsKey());
    controller->addPreferencePane(std::make_shared<TestPane>(u"General", Size { 300, 100 }));
    controller->addPreferencePane(std::make_shared<TestPane>(u"Blogging", Size { 300, 150 }));
    ::testing::internal::CaptureStderr();
    controller->createPreferencesWindowAndDisplay(false);
    controller->setPanesOrder({ u"Blogging", u"Nothing", u"General" });
    std::string logged = ::testing::internal::GetCapturedStderr();
    auto window = controller->prefsWindow();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible()) << "built, not shown";
    EXPECT_EQ(window->title(), u"General");
    EXPECT_NE(logged.find("[--- PREFERENCES DEBUG MESSAGE ---]"), std::string::npos);
    EXPECT_NE(logged.find("Could not load last-used preference pane \"Sharing\". Trying to load another pane instead."), std::string::npos);
    EXPECT_NE(logged.find("Did not add preference pane \"Nothing\" to the toolbar ordering array, because that pane does not exist."),
              std::string::npos);
    EXPECT_EQ(controller->panesOrder(), (std::vector<std::u16string> { u"Blogging", u"General" }));

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(controller->loadPreferencePaneNamed(u"Sharing"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Could not load preference pane \"Sharing\", because that pane does not exist."),
              std::string::npos);

    // Without a window nothing loads, with a beep.
    controller->destroyPreferencesWindow();
    EXPECT_FALSE(controller->prefsWindow());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(controller->loadPreferencePaneNamed(u"General"));
    static_cast<void>(::testing::internal::GetCapturedStderr());
    EXPECT_EQ(Sound::playedSoundNames(), (std::vector<std::u16string> { Sound::BeepName }));
}

TEST_F(PrefsPaneControllerTest, OnePaneShowsNoToolbarUnlessAskedAndNoPaneMakesNoWindow)
{
    controller->setDebug(false);
    controller->showPreferencesWindow();
    EXPECT_FALSE(controller->prefsWindow()) << "no pane loads";

    controller->addPreferencePane(std::make_shared<TestPane>(u"General", Size { 320, 90 }));
    controller->showPreferencesWindow();
    auto window = controller->prefsWindow();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->toolbar());
    EXPECT_EQ(window->title(), u"Preferences");
    EXPECT_EQ(window->frame().size, (Size { 320, 90 }));

    // Always shown, the toolbar names the window after the pane.
    auto always = std::make_shared<PrefsPaneController>();
    always->setUserDefaults(m_defaults.get());
    always->setAlwaysShowsToolbar(true);
    always->addPreferencePane(std::make_shared<TestPane>(u"Blogging", Size { 320, 90 }));
    always->showPreferencesWindow();
    ASSERT_TRUE(always->prefsWindow());
    EXPECT_TRUE(always->prefsWindow()->toolbar());
    EXPECT_EQ(always->prefsWindow()->title(), u"Blogging");
}

TEST_F(PrefsPaneControllerTest, ADestroyedWindowIsMadeAgainAndEachPaneViewIsMadeOnce)
{
    auto general = std::make_shared<TestPane>(u"General", Size { 300, 100 });
    auto blogging = std::make_shared<TestPane>(u"Blogging", Size { 300, 150 });
    controller->addPreferencePane(general);
    controller->addPreferencePane(blogging);
    controller->showPreferencesWindow();
    auto first = controller->prefsWindow();
    ASSERT_TRUE(first);
    ASSERT_TRUE(controller->loadPreferencePaneNamed(u"Blogging"));
    controller->destroyPreferencesWindow();
    EXPECT_FALSE(controller->prefsWindow()) << "the reference goes with the window";
    EXPECT_FALSE(first->isVisible());

    // Shown again: a new window, on the pane shown last, the panes' views the same.
    controller->showPreferencesWindow();
    auto second = controller->prefsWindow();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->title(), u"Blogging");
    ASSERT_TRUE(controller->loadPreferencePaneNamed(u"General"));
    EXPECT_EQ(general->paneView()->window(), second);
    EXPECT_EQ(general->viewsMade, 1);
    EXPECT_EQ(blogging->viewsMade, 1);
}

} // namespace
