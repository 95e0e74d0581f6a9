#include "ui/AboutPanelController.h"

#include "tests/views/HelpPagesOpened.h"

#include "platform/foundation/URL.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/SystemColors.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <any>

using namespace brevanton;

TEST(AboutPanel, TheVersionComesFromTheBundleWhenItHasBoth)
{
    auto about = AboutPanelController::create(Dictionary { { u"CFBundleShortVersionString", Value(std::u16string(u"3.2")) },
                                                           { u"CFBundleVersion", Value(std::u16string(u"3217")) } });
    about->showWindow();
    EXPECT_TRUE(about->window()->isVisible());
    EXPECT_EQ(about->window()->title(), u"About Brevanton");
    EXPECT_EQ(about->appVersionTextField()->attributedStringValue().string(), u"Version 3.2 (3217)");
    EXPECT_EQ(about->appTitleTextField()->attributedStringValue().string(), u"Brevanton");
    const Color* subtitleColour = about->appSubtitleTextField()->attributedStringValue().attributeAtIndex<Color>(ForegroundColorAttributeName, 0);
    ASSERT_TRUE(subtitleColour);
    EXPECT_EQ(*subtitleColour, systemColor(SystemColor::SecondaryLabel));

    // "Credits" links to the manual's credits page, underlined.
    const auto& credits = about->creditsTextField()->attributedStringValue();
    EXPECT_EQ(credits.string(), u"Credits");
    const URL* link = credits.attributeAtIndex<URL>(LinkAttributeName, 0);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->absoluteString(), AboutPanelController::CreditsPageURLString);
    // A click on it opens the help's credits page.
    {
        brevanton::testing::HelpPagesOpened opened;
        EventSynthesizer().click(about->window(), about->creditsTextField()->convertPointToView(Point { 4, 4 }, nullptr));
        EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"credits"));
    }

    // Without a build, or with a version that is no string, the label stays as designed.
    for (Dictionary info : { Dictionary { { u"CFBundleShortVersionString", Value(std::u16string(u"3.2")) } },
                             Dictionary { { u"CFBundleShortVersionString", Value(int64_t(3)) },
                                          { u"CFBundleVersion", Value(std::u16string(u"3217")) } } }) {
        auto designed = AboutPanelController::create(info);
        designed->window();
        EXPECT_EQ(designed->appVersionTextField()->attributedStringValue().string(), AboutPanelController::DesignedVersionText);
    }

    // The window goes with its controller.
    std::weak_ptr<Window> window = about->window();
    about.reset();
    EXPECT_TRUE(window.expired());
}
