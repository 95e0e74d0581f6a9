#include "views/VornickHelpAnchors.h"
#include "views/VornickHelpExtensions.h"

#include "tests/views/HelpPagesOpened.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/views/Alert.h"
#include "platform/views/HelpManager.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace brevanton;
using brevanton::testing::HelpPagesOpened;

namespace {

class HelpTopics : public ::testing::Test {
protected:
    void SetUp() override
    {
        HelpManager::shared().resetForTesting();
        AlertDriver::shared().reset();
    }
    void TearDown() override
    {
        HelpManager::shared().resetForTesting();
        AlertDriver::shared().reset();
    }
    static std::u16string shownAlertText()
    {
        auto& alerts = AlertDriver::shared().shownAlerts();
        return alerts.empty() ? std::u16string() : alerts.back()->messageText() + u" " + alerts.back()->informativeText();
    }
};

} // namespace

TEST_F(HelpTopics, EveryAnchorTheProgramNamesOpensAPageOfItsOwn)
{
    for (auto anchor : VornickHelpAnchor::all) {
        SCOPED_TRACE(toUTF8(anchor));
        std::string page = HelpPagesOpened::pageOf(anchor);
        auto contents = readFile(page);
        ASSERT_TRUE(contents) << "no page " << page;
        EXPECT_NE(contents->find("<title>"), std::string::npos) << "a page with a title";

        HelpPagesOpened opened;
        vornick_openHelpAnchor(anchor);
        EXPECT_EQ(opened.paths(), HelpPagesOpened::onlyPageOf(anchor));
        ASSERT_FALSE(HelpManager::shared().requests().empty());
        EXPECT_EQ(HelpManager::shared().requests().back().book, u"Brevanton Help") << "the bundle's help book";
    }
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
}

TEST_F(HelpTopics, APageThatCannotBeShownIsReportedInWords)
{
    struct Case {
        std::u16string anchor;
        const char16_t* said;
    } cases[] = {
        { u"no-such-topic", u"no-such-topic.html is missing" },
        { u"../credits", u"../credits.html is missing" },
        { u"credits.html", u"credits.html.html is missing" },
        { u"", u".html is missing" },
    };
    HelpPagesOpened opened;
    for (const auto& each : cases) {
        SCOPED_TRACE(toUTF8(each.anchor));
        size_t before = AlertDriver::shared().shownAlerts().size();
        vornick_openHelpAnchor(each.anchor);
        ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), before + 1);
        EXPECT_NE(shownAlertText().find(u"\u201c" + each.anchor + u"\u201d cannot be shown"), std::u16string::npos) << toUTF8(shownAlertText());
        EXPECT_NE(shownAlertText().find(each.said), std::u16string::npos) << toUTF8(shownAlertText());
    }
    EXPECT_TRUE(opened.paths().empty()) << "nothing outside the book is opened";
}

TEST_F(HelpTopics, WithoutXdgOpenThePageIsNotClaimedShown)
{
    auto empty = createTemporaryDirectory("no-xdg-open").value();
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", empty.c_str(), 1);
    vornick_openHelpAnchor(VornickHelpAnchor::Credits);
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(removeItem(empty));
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    EXPECT_NE(shownAlertText().find(u"xdg-open"), std::u16string::npos) << toUTF8(shownAlertText());
}
