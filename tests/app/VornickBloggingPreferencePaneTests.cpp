#include "app/VornickApplicationDefaults.h"
#include "app/VornickBloggingPreferencePane.h"
#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/views/HelpPagesOpened.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/View.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class BloggingPreferencePaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("blogging-pane").value();
        m_delegate.install(m_folder + "/defaults.plist");
        VornickRegisterApplicationDefaults(defaults());
        m_changes = NotificationCenter::defaultCenter().addObserver(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr,
                                                                    nullptr, [this](const Notification&) { ++m_posted; });
    }
    void TearDown() override
    {
        m_changes.reset();
        Menu::setContextMenuPresenter(nullptr);
        m_delegate.remove();
        EXPECT_TRUE(removeItem(m_folder));
    }

    UserDefaults& defaults() { return m_delegate->userDefaults(); }
    std::vector<std::u16string> titles(const PopUpButton& popUp) const
    {
        std::vector<std::u16string> all;
        for (long index = 0; index < popUp.numberOfItems(); ++index)
            all.push_back(popUp.itemAtIndex(index)->title());
        return all;
    }

    std::string m_folder;
    brevanton::testing::TestApplicationDelegate m_delegate;
    ObserverToken m_changes;
    int m_posted { 0 };
};

TEST_F(BloggingPreferencePaneTest, StoredIntervalsOutsideADayOrNotNumbersReadAsFiveMinutes)
{
    EXPECT_EQ(VornickWordPressSyncInterval(defaults()), 5) << "registered";
    struct Case {
        Value stored;
        int64_t minutes;
    };
    const Case cases[] = {
        { Value(0), 0 }, { Value(1440), 1440 }, { Value(15), 15 }, { Value(-1), 5 }, { Value(1441), 5 }, { Value(INT64_MAX), 5 },
        { Value(15.7), 15 }, { Value(1e300), 5 }, { Value(-0.5), 5 }, { Value(u"60"), 5 }, { Value(true), 5 },
    };
    for (const auto& entry : cases) {
        defaults().setObject(entry.stored, VornickWordPressSyncIntervalDefaultsKey);
        EXPECT_EQ(VornickWordPressSyncInterval(defaults()), entry.minutes) << entry.stored.description();
    }
    UserDefaults unregistered(m_folder + "/other.plist");
    EXPECT_EQ(VornickWordPressSyncInterval(unregistered), 0) << "nothing asked for automatic syncs";
}

TEST_F(BloggingPreferencePaneTest, OffersTheIntervalsAndAChoiceIsStoredAndPosted)
{
    VornickBloggingPreferencePane pane;
    EXPECT_EQ(pane.paneIdentifier(), u"BloggingPrefs");
    EXPECT_EQ(pane.paneName(), u"Blogging");
    EXPECT_EQ(pane.paneToolTip(), u"Configure Brevanton blogging settings.");
    ASSERT_TRUE(pane.paneIcon());
    EXPECT_EQ(pane.paneIcon()->name(), u"BrevantonBloggingPrefs");
    EXPECT_FALSE(pane.allowsHorizontalResizing());
    EXPECT_FALSE(pane.allowsVerticalResizing());

    auto view = pane.paneView();
    ASSERT_TRUE(view);
    EXPECT_EQ(pane.paneView(), view) << "made once";
    auto& popUp = *pane.syncIntervalPopUpButton();
    EXPECT_EQ(titles(popUp), (std::vector<std::u16string> { u"Never", u"Every Minute", u"Every 5 Minutes", u"Every 15 Minutes",
                                                            u"Every 30 Minutes", u"Every 60 Minutes" }));
    EXPECT_EQ(popUp.titleOfSelectedItem(), u"Every 5 Minutes");

    // Chosen from the menu the pop-up shows.
    std::shared_ptr<Menu> shown;
    Menu::setContextMenuPresenter([&](const std::shared_ptr<Menu>& menu, const Event&, View&) { shown = menu; });
    ASSERT_TRUE(popUp.performClick());
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->performActionForItemAtIndex(3));
    EXPECT_EQ(defaults().objectForKey(VornickWordPressSyncIntervalDefaultsKey), Value(15));
    EXPECT_EQ(m_posted, 1);
    EXPECT_TRUE(shown->performActionForItemAtIndex(0));
    EXPECT_EQ(defaults().objectForKey(VornickWordPressSyncIntervalDefaultsKey), Value(0));
    EXPECT_EQ(m_posted, 2);

    // The help button.
    brevanton::testing::HelpPagesOpened opened;
    for (const auto& subview : view->subviews()) {
        if (auto button = std::dynamic_pointer_cast<Button>(subview); button && button->title() == u"?") {
            EXPECT_TRUE(button->performClick());
        }
    }
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"blogging-preferences"));
}

TEST_F(BloggingPreferencePaneTest, TheStoredIntervalIsShownAsTheSchedulerReadsIt)
{
    defaults().setInteger(10, VornickWordPressSyncIntervalDefaultsKey);
    VornickBloggingPreferencePane tenMinutes;
    ASSERT_TRUE(tenMinutes.paneView());
    auto& popUp = *tenMinutes.syncIntervalPopUpButton();
    EXPECT_EQ(popUp.titleOfSelectedItem(), u"Every 10 Minutes") << "a valid value of a hand-edited file is shown as it is";
    EXPECT_EQ(popUp.indexOfSelectedItem(), 3);

    defaults().setInteger(99999, VornickWordPressSyncIntervalDefaultsKey);
    VornickBloggingPreferencePane tooLong;
    ASSERT_TRUE(tooLong.paneView());
    EXPECT_EQ(tooLong.syncIntervalPopUpButton()->titleOfSelectedItem(), u"Every 5 Minutes");
    EXPECT_EQ(tooLong.syncIntervalPopUpButton()->numberOfItems(), 6);
    EXPECT_EQ(m_posted, 0) << "showing the pane changes nothing";
}

TEST(VornickPreferencePane, ABasePaneIsNamedAfterItsIdentifierAndHasNoView)
{
    VornickPreferencePane pane;
    EXPECT_EQ(pane.paneIdentifier(), u"GeneralPrefs");
    EXPECT_EQ(pane.paneName(), u"GeneralPrefs");
    EXPECT_EQ(pane.paneToolTip(), u"GeneralPrefs");
    EXPECT_FALSE(pane.paneIcon());
    EXPECT_FALSE(pane.paneView());
    EXPECT_FALSE(pane.allowsHorizontalResizing() || pane.allowsVerticalResizing());
}

} // namespace
