#include "wordpress/VornickGetWordPressPostTemplatesStep.h"

#include "tests/wordpress/TemplatesStepTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace templatessteptest;

TEST_F(VornickGetWordPressPostTemplatesStepTest, WritesOnlySuccessfulHTMLPagesOfTheBlogsHost)
{
    makeSite(false);
    std::string other = "http://localhost:" + std::to_string(m_server->port());
    route("/about/", page("<!DOCTYPE html><html lang=\"en\"><head><title>About</title></head><body class=\"page\">About</body></html>"));
    route("/draft-page/", page("<html><body>draft</body></html>"));
    route("/plain/", page("<html><head><title>x</title></head><body class=\"single\">plain</body></html>"));
    route("/best/", TestHTTPResponse::redirect(301, "/best-moved/"));
    route("/best-moved/", page("<html><head><base href=\"https://cdn.site/\"><title>x</title></head><body class=\"single\">best</body></html>"));
    route("/gallery/", TestHTTPResponse::redirect(302, "/wp-login.php?redirect_to=%2Fgallery%2F"));
    route("/wp-login.php?redirect_to=%2Fgallery%2F", page("<html><body class=\"login\">log in</body></html>"));
    route("/video/", page("<html><body class=\"error404 home\">Nothing here</body></html>"));
    route("/audio/", page("<html><body>" + std::string(20 * 1024 * 1024, 'a') + "</body></html>"));
    route("/quote/", TestHTTPResponse::redirect(302, other + "/steal/"));
    route("/chat/", page("plain text", 200, "text/plain"));

    addPost(nullptr, "/draft-page/", u"draft", 0, true);
    addPost(nullptr, "/about/", u"publish", 0, true);
    auto standard = addPost(addFormat(u"standard"), "/plain/", u"publish", 1)->objectForKey(u"format");
    addPost(standard, "/unpublished/", u"draft", 2);
    addPost(standard, "/best/", u"publish", 2);
    addPost(addFormat(u"aside"), "/missing/");
    addPost(addFormat(u"gallery"), "/gallery/");
    addPost(addFormat(u"link"), "file:///etc/hostname");
    addPost(addFormat(u"video"), "/video/");
    addPost(addFormat(u"audio"), "/audio/");
    addPost(addFormat(u"quote"), "/quote/");
    addPost(addFormat(u"chat"), "/chat/");
    addPost(addFormat(u"../escape"), "/plain/");
    addFormat(u"image");

    runStep();
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); }, 60)) << logText();
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed) << logText();
    EXPECT_EQ(m_step->statusMessage(), u"Done");
    EXPECT_DOUBLE_EQ(m_step->progress(), 1.0);

    EXPECT_EQ(templateFiles(), (std::vector<std::string> { "page.html", "post-standard.html" })) << logText();
    // A base names where the page came from; one the page has is kept.
    EXPECT_EQ(read("page.html"), "<!DOCTYPE html><html lang=\"en\"><head><base href=\"" + m_server->url("/about/")
                                     + "\"><title>About</title></head><body class=\"page\">About</body></html>");
    EXPECT_NE(read("post-standard.html").find("<base href=\"https://cdn.site/\">"), std::string::npos);
    EXPECT_NE(read("post-standard.html").find("best"), std::string::npos);
    EXPECT_FALSE(fileExists(m_templates + "/../escape.html"));

    EXPECT_FALSE(requested("/draft-page/"));
    EXPECT_FALSE(requested("/unpublished/"));
    EXPECT_FALSE(requested("/plain/"));
    EXPECT_FALSE(requested("/wp-login.php?redirect_to=%2Fgallery%2F"));
    EXPECT_FALSE(requested("/steal/"));

    std::string log = logText();
    for (const char* line : { "Queuing post format Format standard (standard) with 3 posts for template fetch", "Requesting sample page for template use",
                              "Found 0 posts with format \"image\"; none suitable for template download",
                              "Failed to load template file:///etc/hostname: not an http(s) address on the blog's host",
                              "Skipping post format \"../escape\": its identifier cannot name a template file",
                              "(<body> indicates error404)", "redirected to the site's login page", "redirected off the blog's host",
                              "the site answered 404", "not an HTML page (text/plain)", "the most a template page may have" })
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_NE(log.find("Successfully loaded " + m_server->url("/about/") + " ("), std::string::npos) << log;
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, FailedFetchesKeepTheExistingTemplate)
{
    makeSite(false);
    ASSERT_TRUE(createDirectory(m_templates));
    ASSERT_TRUE(writeFileAtomically(m_templates + "/post-standard.html", "old"));
    route("/post/", page("<html><body class=\"error404\">x</body></html>"));
    addPost(addFormat(u"standard"), "/post/");
    runStep();
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); }));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(read("post-standard.html"), "old");
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, ChoosesTheFirstOfTheBestScoredSamples)
{
    makeSite(false);
    for (auto path : { "/a1/", "/a2/", "/b1/", "/b2/" })
        route(path, page(std::string("<html><body>") + path + "</body></html>"));
    auto aside = addPost(addFormat(u"aside"), "/a1/", u"publish", 1)->objectForKey(u"format");
    addPost(aside, "/a2/", u"publish", 1);
    auto status = addPost(addFormat(u"status"), "/b1/", u"publish", 1)->objectForKey(u"format");
    addPost(status, "/b2/", u"publish", 2);
    runStep();
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); }));
    EXPECT_NE(read("post-aside.html").find("/a1/"), std::string::npos);
    EXPECT_NE(read("post-status.html").find("/b2/"), std::string::npos);
    EXPECT_EQ(requestedTargets(), (std::vector<std::string> { "/a1/", "/b2/" }));
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, NothingToFetchEndsAtOnce)
{
    makeSite(false);
    runStep();
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); }));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed);
    EXPECT_NE(logText().find("Requesting sample posts for template use"), std::string::npos);
    EXPECT_TRUE(m_server->requests().empty());
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, DraftModeWithoutAPageLoaderLoadsNoPageAndSaysWhy)
{
    makeSite(true);
    addFormat(u"standard");
    auto agent = std::make_shared<RecordingDraftAgent>();
    runStep(agent);
    ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == 1; })) << logText();
    RunLoop::main().perform([this] { m_step->updatedProxyDraftAndReceivedWordPressIdentifier(u"3"); });
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); })) << logText();
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed);
    EXPECT_TRUE(m_server->requests().empty());
    EXPECT_FALSE(fileExists(m_templates + "/post-standard.html"));
    for (const char* line : { "Login failed! (The program loads no pages.)", "(the program loads no pages)" })
        EXPECT_NE(logText().find(line), std::string::npos) << line << "\n" << logText();
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, DraftModeCannotLogInWithAnApplicationPassword)
{
    makeSite(true, false);
    addFormat(u"standard");
    auto agent = std::make_shared<RecordingDraftAgent>();
    runStep(agent);
    ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == 1; })) << logText();
    RunLoop::main().perform([this] { m_step->failedToUpdateProxyDraft(); });
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); })) << logText();
    EXPECT_FALSE(requested("/wp-login.php"));
    EXPECT_NE(logText().find("application password"), std::string::npos) << logText();
    EXPECT_NE(logText().find("Failed to upload proxy draft"), std::string::npos);
    EXPECT_TRUE(agent->trashed.empty());
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed);
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, ARequestTheSiteNeverAnswersFailsTheStepSayingWhich)
{
    // A page the site never sends.
    makeSite(false);
    RunLoop::main().useManualClock();
    TestHTTPResponse never = page("<html><body>late</body></html>");
    never.delayMilliseconds = 600'000;
    route("/stuck/", never);
    addPost(addFormat(u"standard"), "/stuck/");
    runStep();
    ASSERT_TRUE(pollUntil([&] { return requested("/stuck/") && m_step->isAwaitingAnswer(); })) << logText();
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout - 1);
    EXPECT_TRUE(m_step->active());
    RunLoop::main().advanceClock(2);
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    std::u16string why = u"No answer from the site within 300 seconds to the request for " + toUTF16(m_server->url("/stuck/"));
    EXPECT_EQ(m_step->statusMessage(), why);
    EXPECT_EQ(m_step->error().localizedDescription(), why);
    EXPECT_NE(m_log->text().find(why), std::u16string::npos);
    EXPECT_FALSE(fileExists(m_templates + "/post-standard.html"));
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, AProxyDraftUploadNeverAnsweredFailsTheStepAndALateAnswerIsIgnored)
{
    // An application password: no login, straight to the draft.
    makeSite(true, false);
    RunLoop::main().useManualClock();
    route("/?p=8&preview=true", page("<html><body class=\"single\">preview</body></html>"));
    addFormat(u"standard");
    addFormat(u"aside");
    auto agent = std::make_shared<RecordingDraftAgent>();
    runStep(agent);
    ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == 1; })) << logText();
    // An answer in time keeps the step going: the next format's upload is watched afresh.
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout - 10);
    m_step->failedToUpdateProxyDraft();
    ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == 2; })) << logText();
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout - 10);
    EXPECT_TRUE(m_step->active());
    RunLoop::main().advanceClock(20);
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(m_step->statusMessage(), u"No answer from the site within 300 seconds to the proxy draft's upload");

    m_step->updatedProxyDraftAndReceivedWordPressIdentifier(u"8");
    RunLoop::main().runFor(0.05);
    EXPECT_FALSE(requested("/?p=8&preview=true"));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(logText().find("Proxy draft upload successful"), std::string::npos);
}

} // namespace
} // namespace brevanton
