#include "ui/VornickLogWindowController.h"
#include "ui/VornickSyncLogWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/views/Button.h"
#include "platform/views/ClipView.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextView.h"
#include "platform/views/Window.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace brevanton;

namespace {

class LogWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("brevanton-log-window");
        ASSERT_TRUE(folder);
        m_folder = *folder;
        // The attached log goes to the cache folder.
        setenv("XDG_CACHE_HOME", (m_folder + "/cache").c_str(), 1);
        vornick_setMailComposerForTesting([this](const VornickMailMessage& message, const std::vector<std::string>& arguments) {
            mails.push_back({ message, arguments });
        });
    }
    void TearDown() override
    {
        vornick_setMailComposerForTesting({});
        std::filesystem::remove_all(m_folder);
    }

    std::shared_ptr<VornickLog> makeLog(const std::string& name, int lines)
    {
        auto log = VornickLog::create(URL::fileURLWithPath(m_folder + "/" + name, false));
        for (int line = 1; line <= lines; ++line)
            log->log("line {} of the log", line);
        return log;
    }
    static double distanceFromEnd(VornickLogWindowController& controller)
    {
        Rect visible = controller.scrollView()->contentView()->bounds();
        return controller.textView()->frame().maxY() - visible.maxY();
    }
    static void scrollTo(VornickLogWindowController& controller, double y)
    {
        auto clip = controller.scrollView()->contentView();
        clip->scrollToPoint({ 0, y });
    }

    struct Mail {
        VornickMailMessage message;
        std::vector<std::string> arguments;
    };
    std::vector<Mail> mails;
    std::string m_folder;
};

} // namespace

TEST_F(LogWindow, TheViewFollowsTheEndOnlyWhileTheUserIsAtIt)
{
    auto log = makeLog("general.txt", 200);
    auto controller = VornickLogWindowController::create();
    controller->setLog(log);
    controller->window();
    EXPECT_EQ(controller->textView()->string(), log->text());
    EXPECT_LT(distanceFromEnd(*controller), 0.5) << "opened at the end";

    // At the end, a new line is followed.
    log->log("a new line");
    EXPECT_TRUE(controller->textView()->string().ends_with(u"a new line\n"));
    EXPECT_LT(distanceFromEnd(*controller), 0.5);

    // Within 4 points of the end still counts as reading it.
    double end = controller->scrollView()->contentView()->bounds().minY();
    scrollTo(*controller, end - 3);
    log->log("another line");
    EXPECT_LT(distanceFromEnd(*controller), 0.5);

    // Further up, the view stays where the user reads; the scroll bars flash.
    end = controller->scrollView()->contentView()->bounds().minY();
    scrollTo(*controller, end - 100);
    Rect reading = controller->scrollView()->contentView()->bounds();
    int flashes = controller->scrollView()->flashScrollersCount();
    log->log("a line the user does not see yet");
    EXPECT_EQ(controller->scrollView()->contentView()->bounds(), reading);
    EXPECT_EQ(controller->scrollView()->flashScrollersCount(), flashes + 1);

    // The text view's height, counted as lines come, is what measuring the whole text gives.
    double grown = controller->textView()->frame().height();
    controller->textView()->sizeToFit();
    EXPECT_NEAR(controller->textView()->frame().height(), grown, 0.01);
}

TEST_F(LogWindow, ACClearedLogEmptiesTheDisplayAndAnotherLogReplacesTheFirst)
{
    auto first = makeLog("first.txt", 3);
    auto second = makeLog("second.txt", 2);
    auto controller = VornickLogWindowController::create();
    controller->window();
    controller->setLog(first);
    EXPECT_EQ(controller->textView()->string(), first->text());

    // The log, cleared, posts an empty text: the display empties.
    first->clear();
    EXPECT_EQ(controller->textView()->string(), u"");
    EXPECT_DOUBLE_EQ(controller->textView()->frame().height(), controller->textView()->textContainerInset().height * 2);
    first->log("after the clear");
    EXPECT_EQ(controller->textView()->string(), u"after the clear\n");

    // Switched: only the new log's text, and the old one is no longer followed.
    controller->setLog(second);
    EXPECT_EQ(controller->textView()->string(), second->text());
    first->log("not shown");
    first->clear();
    EXPECT_EQ(controller->textView()->string(), second->text());
    second->log("shown");
    EXPECT_TRUE(controller->textView()->string().ends_with(u"shown\n"));

    controller->setLog(nullptr);
    EXPECT_EQ(controller->textView()->string(), u"");
    second->log("nothing follows it now");
    EXPECT_EQ(controller->textView()->string(), u"");
}

TEST_F(LogWindow, CopyingPutsTheWholeLogOnThePasteboardOnlyWithALog)
{
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"kept", PasteboardTypeString));
    auto controller = VornickLogWindowController::create();
    controller->copyLogToPasteboard();
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"kept") << "no log: the pasteboard is untouched";

    auto log = makeLog("empty.txt", 0);
    controller->setLog(log);
    controller->copyLogToPasteboard();
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"");

    log->log("one line");
    // The button sends the action.
    controller->window();
    controller->copyButton()->performClick();
    EXPECT_EQ(pasteboard->stringForType(PasteboardTypeString), u"one line\n");
}

TEST_F(LogWindow, MailToSupportCarriesTheHeaderAndTheLogInTheMessageOrAttached)
{
    std::u16string support = Bundle::main().objectForInfoDictionaryKey(u"VornickSupportEmailAddress").string();
    ASSERT_FALSE(support.empty());
    auto log = makeLog("general.txt", 3);
    auto controller = VornickLogWindowController::create();
    controller->setLog(log);
    controller->window();
    controller->emailButton()->performClick();
    ASSERT_EQ(mails.size(), 1u);
    const auto& small = mails.back().message;
    EXPECT_EQ(small.recipients, std::vector<std::u16string> { support });
    EXPECT_EQ(small.subject, u"Brevanton Help");
    std::u16string header = u"Hey " + support + u",\n\nI'm seeing some odd behavior in Brevanton.\n\n\n\n"
        u"(Please briefly describe the problem here.)\n\n\n\nHere's my general log.  Help!\n\n" + std::u16string(80, u'-') + u"\n\n";
    EXPECT_EQ(small.body, header + log->text());
    EXPECT_TRUE(small.attachmentPaths.empty());
    EXPECT_EQ(mails.back().arguments.back(), toUTF8(support)) << "the recipient last";

    // A 150 KB log goes attached; no argument comes near the limit of one.
    std::string longLine(150, 'x');
    while (toUTF8(log->text()).size() < 150 * 1024)
        log->log(std::string_view(longLine));
    ASSERT_TRUE(controller->emailSupport());
    ASSERT_EQ(mails.size(), 2u);
    const auto& large = mails.back();
    ASSERT_EQ(large.message.attachmentPaths.size(), 1u);
    EXPECT_EQ(readFile(large.message.attachmentPaths.front()), toUTF8(log->text()));
    EXPECT_EQ((std::filesystem::status(large.message.attachmentPaths.front()).permissions() & std::filesystem::perms::others_read),
              std::filesystem::perms::none) << "the log is private";
    EXPECT_TRUE(large.message.body.starts_with(header));
    EXPECT_EQ(large.message.body.find(u"xxxxxxxx"), std::u16string::npos) << "the log is not in the message";
    auto attach = std::find(large.arguments.begin(), large.arguments.end(), "--attach");
    ASSERT_NE(attach, large.arguments.end());
    EXPECT_EQ(*(attach + 1), large.message.attachmentPaths.front());
    for (const auto& argument : large.arguments)
        EXPECT_LT(argument.size(), VornickLongestProgramArgument);

    // Under 100 KB, but a mailto address of it would be too long (every byte
    // of a line break written as three): attached as well.
    EXPECT_TRUE(controller->emailContentsForLogText(std::u16string(60 * 1024, u'\n')).attachesLog);
    EXPECT_FALSE(controller->emailContentsForLogText(std::u16string(60 * 1024, u'a')).attachesLog);
}

TEST_F(LogWindow, TheSyncLogWindowHasItsOwnTitleDescriptionAndMessage)
{
    std::u16string support = Bundle::main().objectForInfoDictionaryKey(u"VornickSupportEmailAddress").string();
    auto log = makeLog("sync.txt", 2);
    auto controller = VornickSyncLogWindowController::create();
    controller->setLog(log);
    EXPECT_EQ(controller->windowTitle(), u"Sync Log");
    EXPECT_EQ(controller->logDescription(),
              u"This log describes the last few sync sessions.  If you encounter any trouble with publishing or sync, please email "
              u"it and a description of the problem to " + support + u".");
    EXPECT_EQ(controller->textView()->string(), log->text());
    ASSERT_TRUE(controller->emailSupport());
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails.back().message.subject, u"Brevanton WordPress Sync Help");
    EXPECT_TRUE(mails.back().message.body.starts_with(u"Hey " + support + u",\n\nI'm having a problem syncing with my WordPress account.\n"));
    EXPECT_NE(mails.back().message.body.find(u"\n\n\n\nHere's my Sync Log.  Help!\n\n"), std::u16string::npos);
    EXPECT_TRUE(mails.back().message.body.ends_with(log->text()));
}
