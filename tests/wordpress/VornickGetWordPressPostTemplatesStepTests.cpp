#include "wordpress/VornickGetWordPressPostTemplatesStep.h"

#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "documents/VornickWebResourceCache.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/store/ManagedObjectContext.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickLog.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressBlogProject.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

namespace brevanton {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

TestHTTPResponse page(std::string body, int status = 200, std::string type = "text/html; charset=utf-8")
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", std::move(type));
    response.body = std::move(body);
    return response;
}

// Sends the proxy drafts nowhere: records them, and the trash requests.
class RecordingDraftAgent final : public VornickWordPressAgent {
public:
    std::vector<Dictionary> sent;
    std::vector<std::u16string> trashed;
    void sendPostChanges(const Dictionary& changes, const Dictionary&, const Value& nativeIdentifier) override
    {
        EXPECT_EQ(nativeIdentifier, Value(VornickTemplateProxyDraftMarker));
        sent.push_back(changes);
    }
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& identifier, const Value&, const Dictionary&) override
    {
        trashed.push_back(identifier);
    }
};

class VornickGetWordPressPostTemplatesStepTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_project) {
            m_project->integrator().setSyncSession(nullptr);
            m_project->integrator().setAgent(nullptr);
        }
        RunLoop::main().useRealClock();
        RunLoop::main().runFor(0.02);
        if (m_blog)
            m_blog->releaseWebResourceCache();
        m_session.reset();
        m_step.reset();
        m_project.reset();
        m_server.reset();
        HTTPCookieStorage::shared()->removeAllCookies();
        UserDefaults::standard().removeObjectForKey(u"FetchWordPressTemplatesByCreatingDrafts");
        KeychainStore::setDefaultStore(nullptr);
        EXPECT_TRUE(removeItem(m_folder));
    }

    void makeSite(bool drafts, bool xmlrpc = true)
    {
        m_folder = createTemporaryDirectory("templates-step").value();
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(m_folder + "/Keychain.json"));
        UserDefaults::standard().setBool(drafts, u"FetchWordPressTemplatesByCreatingDrafts");
        m_server = std::make_unique<LoopbackHTTPServer>([this](const TestHTTPRequest& request) {
            std::function<TestHTTPResponse(const TestHTTPRequest&)> handler;
            {
                std::lock_guard lock(m_routesMutex);
                if (auto found = m_routes.find(request.target); found != m_routes.end())
                    handler = found->second;
            }
            return handler ? handler(request) : page("<html><body class=\"error404\">gone</body></html>", 404);
        });
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(m_folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(m_project) << error;
        ASSERT_TRUE(dynamic_cast<VornickWordPressIntegrator&>(m_project->integrator()).fetchTemplatesByCreatingDrafts() == drafts);
        m_account = m_project->wordPressAccount();
        m_account->setRootURLString(toUTF16(m_server->url("/")));
        m_account->setUseXMLRPC(xmlrpc);
        // Characters a form body must escape.
        m_account->setLoginID(u"ed&itor+1");
        m_password = u"p&w=d+" + toUTF16(std::to_string(::getpid()));
        ASSERT_TRUE(m_account->setPassword(m_password, &error)) << error;

        m_blogDescription = { { u"identifierUsedByBlogService", Value(u"1") }, { u"title", Value(u"Blog") },
                              { u"browseURLString", Value(toUTF16(m_server->url("/"))) } };
        m_blog = std::dynamic_pointer_cast<VornickWordPressBlog>(m_project->integrator().importBlogDescription(m_blogDescription, nullptr, std::nullopt));
        ASSERT_TRUE(m_blog);
        m_templates = *m_blog->templatesFolderURL()->fileSystemPath();
        for (auto status : { u"publish", u"draft" }) {
            auto object = context().insertNewObject(u"PostStatus");
            object->setValueForKey(Value(status), u"identifier");
            object->setObjectForKey(m_blog, u"blog");
            m_statuses[status] = object;
        }
    }

    ManagedObjectContext& context() { return *m_project->index()->managedObjectContext(); }

    std::shared_ptr<ManagedObject> addFormat(const std::u16string& identifier)
    {
        auto format = context().insertNewObject(u"PostFormat");
        format->setValueForKey(Value(identifier), u"identifier");
        format->setValueForKey(Value(u"Format " + identifier), u"title");
        format->setObjectForKey(m_blog, u"blog");
        return format;
    }

    std::shared_ptr<VornickWordPressBlogPost> addPost(const std::shared_ptr<ManagedObject>& format, const std::string& path,
                                                      const char16_t* status = u"publish", int terms = 0, bool isPage = false)
    {
        auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context().insertNewObject(u"BlogPost"));
        EXPECT_TRUE(isPage ? post->prepareNewPageAndAssociateWithBlog(m_blog) : post->prepareNewPostAndAssociateWithBlog(m_blog));
        post->setValueForKey(Value(isPage ? u"page" : u"post"), u"type");
        post->setValueForKey(Value(path.starts_with("file:") ? toUTF16(path) : toUTF16(m_server->url(path))), u"permalinkURLString");
        post->setObjectForKey(m_statuses[status], u"status");
        if (format)
            post->setObjectForKey(format, u"format");
        if (terms >= 1) {
            auto category = context().insertNewObject(u"BlogCategory");
            category->setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
            category->setValueForKey(Value(u"Travel & Food"), u"title");
            category->setObjectForKey(m_blog, u"blog");
            post->setObjectsForKey({ category }, u"categories");
        }
        if (terms >= 2) {
            auto tag = context().insertNewObject(u"BlogTag");
            tag->setValueForKey(Value(u"9"), u"identifierUsedByBlogService");
            tag->setValueForKey(Value(u"alps"), u"title");
            tag->setObjectForKey(m_blog, u"blog");
            post->setObjectsForKey({ tag }, u"tags");
        }
        return post;
    }

    void route(const std::string& target, std::function<TestHTTPResponse(const TestHTTPRequest&)> handler)
    {
        std::lock_guard lock(m_routesMutex);
        m_routes[target] = std::move(handler);
    }
    void route(const std::string& target, TestHTTPResponse response)
    {
        route(target, [response](const TestHTTPRequest&) { return response; });
    }

    void runStep(std::shared_ptr<VornickBlogServiceAgent> agent = nullptr)
    {
        auto& integrator = m_project->integrator();
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        integrator.setSyncLog(m_log);
        m_session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::TemplateDownload);
        auto blogStep = m_session->addStepForBlogWithDescription(m_blogDescription);
        m_step = std::make_shared<VornickGetWordPressPostTemplatesStep>(u"getTemplates", u"Update Templates");
        blogStep->addStep(m_step);
        integrator.setSyncSession(m_session);
        if (!agent)
            agent = std::make_shared<VornickWordPressAgent>();
        agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
        integrator.setAgent(agent);
        m_session->setState(VornickSyncStepState::Active);
    }

    bool pollUntil(const std::function<bool()>& condition, double seconds = 30)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            RunLoop::main().runFor(0.005);
        }
        return true;
    }

    std::vector<std::string> templateFiles() const
    {
        std::vector<std::string> names;
        for (auto& entry : std::filesystem::directory_iterator(m_templates))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream stream(m_templates + "/" + name);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }
    std::vector<std::string> requestedTargets() const
    {
        std::vector<std::string> targets;
        for (auto& request : m_server->requests())
            targets.push_back(request.target);
        return targets;
    }
    bool requested(const std::string& target) const
    {
        auto targets = requestedTargets();
        return std::find(targets.begin(), targets.end(), target) != targets.end();
    }
    std::string logText() const { return toUTF8(m_log->text()); }

    std::string m_folder;
    std::string m_templates;
    std::unique_ptr<LoopbackHTTPServer> m_server;
    std::mutex m_routesMutex;
    std::map<std::string, std::function<TestHTTPResponse(const TestHTTPRequest&)>> m_routes;
    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressAccount> m_account;
    std::u16string m_password;
    Dictionary m_blogDescription;
    std::shared_ptr<VornickWordPressBlog> m_blog;
    std::map<std::u16string, std::shared_ptr<ManagedObject>> m_statuses;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<VornickBlogServiceSyncSession> m_session;
    std::shared_ptr<VornickGetWordPressPostTemplatesStep> m_step;
};

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

TEST_F(VornickGetWordPressPostTemplatesStepTest, DraftModeLogsInPreviewsEachFormatAndTrashesTheDraft)
{
    makeSite(true);
    std::string expectedBody;
    route("/wp-login.php", [&](const TestHTTPRequest& request) {
        std::lock_guard lock(m_routesMutex);
        expectedBody = request.body;
        auto response = TestHTTPResponse::redirect(302, "/wp-admin/");
        response.headers.emplace_back("Set-Cookie", "wordpress_logged_in_abc=editor%7C1; path=/; HttpOnly");
        return response;
    });
    route("/?p=77&preview=true", [](const TestHTTPRequest& request) {
        if (request.header("Cookie").find("wordpress_logged_in_abc") == std::string::npos)
            return TestHTTPResponse::redirect(302, "/wp-login.php");
        return page("<html><head><link rel=\"stylesheet\" href=\"/theme.css\"><link rel=\"stylesheet\" href=\"/broken.css\"></head>"
                    "<body class=\"single\">preview</body></html>");
    });
    route("/theme.css", page("body { margin: 0 }", 200, "text/css"));
    route("/broken.css", page("<html>not found</html>", 404));

    addFormat(u"standard");
    addFormat(u"aside");
    addFormat(u"bad/../format");
    auto category = context().insertNewObject(u"BlogCategory");
    category->setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
    category->setValueForKey(Value(u"Travel"), u"title");
    category->setObjectForKey(m_blog, u"blog");

    auto agent = std::make_shared<RecordingDraftAgent>();
    runStep(agent);
    for (size_t round = 1; round <= 2; ++round) {
        ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == round; })) << logText();
        RunLoop::main().perform([this] { m_step->updatedProxyDraftAndReceivedWordPressIdentifier(u"77"); });
    }
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); })) << logText();
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed) << logText();

    {
        std::lock_guard lock(m_routesMutex);
        EXPECT_EQ(expectedBody, "log=ed%26itor%2B1&pwd=p%26w%3Dd%2B" + std::to_string(::getpid()));
    }
    EXPECT_TRUE(m_step->loginSucceeded()) << logText();
    // The first upload makes the draft (identifiers for REST, titles for XML-RPC), the next only switches its format.
    ASSERT_EQ(agent->sent.size(), 2u);
    EXPECT_EQ(agent->sent[0].at(u"title"), Value(VornickTemplateProxyDraftMarker));
    EXPECT_EQ(agent->sent[0].at(u"status"), Value(u"draft"));
    EXPECT_EQ(agent->sent[0].at(u"categoryIdentifiers"), Value(Array { Value(u"7") }));
    EXPECT_EQ(agent->sent[0].at(u"categories"), Value(Array { Value(u"Travel") }));
    EXPECT_EQ(agent->sent[1], (Dictionary { { u"identifierUsedByBlogService", Value(u"77") }, { u"format", agent->sent[1].at(u"format") } }));
    EXPECT_EQ(agent->trashed, std::vector<std::u16string> { u"77" });
    EXPECT_EQ(templateFiles(), (std::vector<std::string> { "post-aside.html", "post-standard.html" })) << logText();
    EXPECT_NE(read("post-standard.html").find("preview"), std::string::npos);

    // Only the theme's successful answers go to the cache.
    auto cache = m_blog->webResourceCache();
    ASSERT_TRUE(cache);
    EXPECT_TRUE(cache->cachedWebResourceForURL(*URL::create(std::string_view(m_server->url("/theme.css")))));
    EXPECT_FALSE(cache->cachedWebResourceForURL(*URL::create(std::string_view(m_server->url("/broken.css")))));
    std::string log = logText();
    for (const char* line : { "Logging into WordPress, so we can fetch post templates...", "Login succeeded.",
                              "Configuring proxy draft for format=\"standard\"", "Proxy draft upload successful (post id=77)",
                              "Stashing data for" })
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find(toUTF8(m_password)), std::string::npos);
}

TEST_F(VornickGetWordPressPostTemplatesStepTest, DraftModeErrorPageTrashesOnlyThatFormatsTemplate)
{
    makeSite(true);
    ASSERT_TRUE(createDirectory(m_templates));
    ASSERT_TRUE(writeFileAtomically(m_templates + "/post-aside.html", "old aside"));
    ASSERT_TRUE(writeFileAtomically(m_templates + "/page.html", "old page"));
    route("/wp-login.php", TestHTTPResponse::redirect(302, "/wp-admin/"));
    route("/?p=5&preview=true", page("<html><body class=\"error404\">none</body></html>"));
    addFormat(u"aside");
    auto agent = std::make_shared<RecordingDraftAgent>();
    runStep(agent);
    // The login got no cookie: the existing template is kept and no draft is made for it.
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); })) << logText();
    EXPECT_FALSE(m_step->loginSucceeded());
    EXPECT_TRUE(agent->sent.empty());
    EXPECT_NE(logText().find("Login failed! (No \"wordpress_logged_in*\" found among 0 cookies: )"), std::string::npos) << logText();

    // With the template gone, the draft is made, and its 404 preview leaves no file.
    ASSERT_TRUE(removeItem(m_templates + "/post-aside.html"));
    ASSERT_TRUE(writeFileAtomically(m_templates + "/../post-aside.html", "outside"));
    runStep(agent);
    ASSERT_TRUE(pollUntil([&] { return agent->sent.size() == 1; })) << logText();
    RunLoop::main().perform([this] { m_step->updatedProxyDraftAndReceivedWordPressIdentifier(u"5"); });
    ASSERT_TRUE(pollUntil([&] { return !m_session->active(); })) << logText();
    EXPECT_NE(logText().find("(<body> indicates error404)"), std::string::npos) << logText();
    EXPECT_EQ(templateFiles(), std::vector<std::string> { "page.html" });
    EXPECT_TRUE(fileExists(m_templates + "/../post-aside.html"));
    EXPECT_EQ(agent->trashed, std::vector<std::u16string> { u"5" });
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
