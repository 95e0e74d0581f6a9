#include "app/VornickHTMLFormattingPreferencePane.h"

#include "html/VornickHTMLFormattingPreferences.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/View.h"
#include "ui/VornickAttributedTitleButton.h"
#include "ui/VornickHTMLFormattingPreferencesModule.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickHTMLFormattingPreferencePane, EditsTheUsersDefaultSetWhichWritesTheDefaultsFile)
{
    VornickUsersDefaultHTMLFormattingPreferences::registerInitialDefaults(UserDefaults::standard());
    int posted = 0;
    auto observation = NotificationCenter::defaultCenter().addObserver(VornickHTMLFormattingPreferencesWereEditedNotification, nullptr,
                                                                       nullptr, [&](const Notification&) { ++posted; });

    VornickHTMLFormattingPreferencePane pane;
    EXPECT_EQ(pane.paneIdentifier(), u"HTMLFormattingPrefs");
    EXPECT_EQ(pane.paneName(), u"HTML Formatting");
    EXPECT_EQ(pane.paneToolTip(), u"Control the formatting of .html files written by Brevanton.");
    ASSERT_TRUE(pane.paneIcon());
    EXPECT_EQ(pane.paneIcon()->name(), u"BrevantonPreferencePaneIconHTMLFormattingPreferences");
    EXPECT_FALSE(pane.allowsHorizontalResizing() || pane.allowsVerticalResizing());

    auto view = pane.paneView();
    ASSERT_TRUE(view);
    EXPECT_EQ(pane.paneView(), view) << "built once";
    auto* module = pane.formattingPreferencesModule();
    ASSERT_TRUE(module);
    auto users = VornickUsersDefaultHTMLFormattingPreferences::usersDefaultHTMLFormattingPreferences();
    EXPECT_EQ(module->activeHTMLFormattingPreferences(), users);
    EXPECT_TRUE(module->view()->isDescendantOf(view.get()));
    EXPECT_FALSE(module->previewTextView() == nullptr);

    // A click writes the key of the defaults file and tells the documents.
    EXPECT_TRUE(module->checkBoxForRule(VornickHTMLFormattingRule::EncloseAttributeValuesInDoubleQuotes)->performClick());
    EXPECT_EQ(posted, 1);
    RunLoop::main().runOnce(0); // as after each event
    auto stored = VornickHTMLFormattingPreferences::createWithPropertyList(
        UserDefaults(UserDefaults::defaultFilePath()).objectForKey(VornickHTMLFormattingPreferencesDefaultsKey), nullptr);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->encloseAttributeValuesInDoubleQuotes());
    EXPECT_EQ(stored->stringRepresentation(), u"4,4-q");
}
