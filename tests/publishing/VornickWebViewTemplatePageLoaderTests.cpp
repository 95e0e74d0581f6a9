#include "publishing/VornickWebViewTemplatePageLoader.h"

#include "tests/blog/TemplateResourcePolicyTestSupport.h"
#include "tests/wordpress/TemplatesStepTestSupport.h"

#include "blog/VornickBlogTemplateResourcePolicy.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/WebResource.h"

#include <gtest/gtest.h>

#include <unistd.h>

// A template page loads in a web view as the policy allows, and the templates
// step fetches through drafts with it: logging in, previewing each format and
// keeping the theme's resources.
namespace brevanton {
namespace {

namespace templatepolicy {

using namespace templatepolicytest;

TEST_F(VornickBlogTemplateResourcePolicyTest, AHostileTemplateLoadsOnlyWhatThePolicyAllows)
{
    std::string other = "http://localhost:" + std::to_string(m_server->port());
    writeText(m_folder + "/outside/secret.css", "body { color: blue }");
    std::string page = "<!DOCTYPE html><html><head>"
                       "<meta http-equiv=\"refresh\" content=\"0; url=" + other + "/refresh\">"
                       "<link rel=\"stylesheet\" href=\"/wp-includes/style.css\">"
                       "<link rel=\"stylesheet\" href=\"file://" + m_folder + "/outside/secret.css\">"
                       "<link rel=\"stylesheet\" href=\"" + other + "/evil.css\">"
                       "<link rel=\"stylesheet\" href=\"" + m_server->url("/site.css") + "\">"
                       "<link rel=\"stylesheet\" href=\"" + m_server->url("/moved.css") + "\">"
                       "</head><body><img src=\"" + m_server->url("/missing.png") + "\">"
                       "<iframe src=\"" + other + "/frame.html\"></iframe>"
                       "<iframe src=\"file://" + m_folder + "/outside/page.html\"></iframe></body></html>";
    writeText(m_blogFolder + "/templates/post-standard.html", page);
    writeText(m_folder + "/outside/page.html", "<p>outside</p>");

    auto policy = std::make_shared<VornickBlogTemplateResourcePolicy>(this->policy());
    VornickWebViewTemplatePageLoader loader([policy](const URLRequest& request) { return policy->requestToLoad(request); });
    bool done = false;
    std::optional<Error> failure;
    VornickLoadedTemplatePage loaded;
    loader.loadURLRequest(URLRequest(URL::fileURLWithPath(m_blogFolder + "/templates/post-standard.html", false)),
                          [&](const VornickLoadedTemplatePage& page, const std::optional<Error>& error) {
                              done = true;
                              loaded = page;
                              failure = error;
                          });
    ASSERT_TRUE(pollUntil([&] { return done; }));
    RunLoop::main().runFor(0.2);
    EXPECT_FALSE(failure);

    // Only the site's own sheet, the redirect's first answer and the image went out.
    EXPECT_EQ(requestedTargets(), (std::vector<std::string> { "/missing.png", "/moved.css", "/site.css" }));
    EXPECT_NE(loaded.document, nullptr);
    EXPECT_FALSE(loaded.data.empty());
    for (auto& resource : loaded.subresources)
        EXPECT_EQ(resource->url().absoluteString().find(u"secret"), std::u16string::npos) << toUTF8(resource->url().absoluteString());
    // Only 2xx answers count as loaded: the 404 page and the unfollowed redirect do not.
    const auto& successful = loaded.successfullyLoadedURLStrings;
    EXPECT_TRUE(successful.contains(toUTF16(m_server->url("/site.css"))));
    EXPECT_FALSE(successful.contains(toUTF16(m_server->url("/missing.png"))));
    EXPECT_FALSE(successful.contains(toUTF16(m_server->url("/moved.css"))));
}

} // namespace templatepolicy

namespace templatesstep {

using namespace templatessteptest;

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

} // namespace templatesstep

} // namespace
} // namespace brevanton
