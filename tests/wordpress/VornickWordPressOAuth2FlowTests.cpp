#include "tests/toolkit/ApplicationEnvironmentTestSupport.h"
#include "tests/wordpress/WordPressAgentTestSupport.h"

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickKeychain.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "wordpress/VornickSHA256.h"
#include "wordpress/VornickWordPressOAuth2Flow.h"

using namespace brevanton::testserver;

namespace brevanton {
namespace {

std::u16string queryValue(const URL& url, std::u16string_view name)
{
    for (auto& [key, value] : vornickQueryItems(url)) {
        if (key == name)
            return value;
    }
    return {};
}

std::string formValue(const std::string& body, const std::string& name)
{
    auto url = URL::create("http://x/?" + body);
    return url ? toUTF8(queryValue(*url, toUTF16(name))) : std::string();
}

// The hosted service played by a loopback server: its token endpoint and API.
class VornickWordPressOAuth2FlowTests : public WordPressAgentTest {
protected:
    void SetUp() override
    {
        WordPressAgentTest::SetUp();
        m_server = std::make_unique<LoopbackHTTPServer>([this](const TestHTTPRequest& request) { return answer(request); });
        std::u16string root = toUTF16(m_server->url(""));
        UserDefaults::standard().setObject(Value(root), VornickWordPressDotComAPIRootURLDefaultsKey);
        UserDefaults::standard().setObject(Value(root), VornickWordPressDotComOAuth2RootURLDefaultsKey);
        UserDefaults::standard().setObject(Value(u"4711"), VornickWordPressDotComOAuth2ClientIDDefaultsKey);
        vornick_setWebBrowserOpenerForTesting([this](const URL& url) { m_opened.push_back(url); });
        m_environment.install(m_folder + "/defaults.plist");

        m_account->setRootURLString(u"https://wordpress.com");
        m_account->setLoginID(u"editor");
        m_account->setRestAPIVersion(1);
        m_agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(m_account));
    }

    void TearDown() override
    {
        m_environment.remove();
        vornick_setWebBrowserOpenerForTesting(nullptr);
        for (auto* key : { VornickWordPressDotComAPIRootURLDefaultsKey, VornickWordPressDotComOAuth2RootURLDefaultsKey,
                 VornickWordPressDotComOAuth2ClientIDDefaultsKey })
            UserDefaults::standard().removeObjectForKey(key);
        WordPressAgentTest::TearDown();
        m_server.reset();
    }

    TestHTTPResponse answer(const TestHTTPRequest& request)
    {
        if (request.target == "/oauth2/token") {
            std::string grant = formValue(request.body, "grant_type");
            if (grant == "authorization_code" && formValue(request.body, "code") == "the-code")
                return jsonReply(200, R"({"access_token":"token-1","token_type":"bearer","blog_id":"0","blog_url":"","scope":"global"})");
            if (grant == "refresh_token" && formValue(request.body, "refresh_token") == "refresh-1")
                return jsonReply(200, R"({"access_token":"token-2","token_type":"bearer","expires_in":3600})");
            return jsonReply(400, R"({"error":"invalid_grant","error_description":"The code is not valid."})");
        }
        std::string authorization = request.header("Authorization");
        if (authorization == "Bearer token-1" || authorization == "Bearer token-2")
            return jsonReply(200, R"({"sites":[{"ID":123,"name":"Hosted","URL":"https://hosted.example.org","options":{"theme_slug":"pub/twentytwentythree"}}]})");
        return jsonReply(403, R"({"error":"invalid_token","message":"The OAuth2 token is invalid."})");
    }

    size_t requestsTo(std::string_view path) const
    {
        size_t count = 0;
        for (auto& request : m_server->requests())
            count += request.target.starts_with(path);
        return count;
    }

    std::unique_ptr<LoopbackHTTPServer> m_server;
    testing::TestApplicationEnvironment m_environment;
    std::vector<URL> m_opened;
};

TEST(VornickWordPressOAuth2Flow, CodeChallengesAreSHA256InBase64URL)
{
    auto digest = vornickSHA256("abc");
    EXPECT_EQ(VornickWordPressOAuth2Flow::base64URLEncoded(digest.data(), digest.size()), u"ungWv48Bz-pBQUDeXa4iI7ADYaOWF3qctBD_YfIAFa0");
    EXPECT_EQ(VornickWordPressOAuth2Flow::codeChallengeForVerifier(u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
        u"E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
    std::string million(1000000, 'a');
    digest = vornickSHA256(million);
    EXPECT_EQ(digest[0], 0xcd);
    EXPECT_EQ(digest[31], 0xd0);
}

TEST_F(VornickWordPressOAuth2FlowTests, TheBrowserFlowStoresOneAuthorizationThatRequestsUse)
{
    // No hosted request goes out without a token.
    RESTOutcome early;
    m_agent->postRESTRequestWithEndpointPath(u"me/sites", 1, u"GET", Value(u"0"), {}, nullptr, VornickReplyKind::SettingsReply, early.completion());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return early.calls > 0; }, 30));
    EXPECT_TRUE(early.error.is(VornickHTTPErrorDomain, 401));
    EXPECT_EQ(m_server->requestCount(), 0u);

    std::vector<Error> completions;
    ASSERT_TRUE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr,
        [&](Error error) { completions.push_back(std::move(error)); }));
    ASSERT_EQ(m_opened.size(), 1u);
    URL page = m_opened[0];
    EXPECT_EQ(toUTF8(page.path()), "/oauth2/authorize");
    EXPECT_EQ(queryValue(page, u"client_id"), u"4711");
    EXPECT_EQ(queryValue(page, u"redirect_uri"), u"brvn://oauth2");
    EXPECT_EQ(queryValue(page, u"response_type"), u"code");
    EXPECT_EQ(queryValue(page, u"scope"), u"global");
    EXPECT_EQ(queryValue(page, u"code_challenge_method"), u"S256");
    std::u16string state = queryValue(page, u"state");
    EXPECT_GE(state.size(), 20u);
    ASSERT_TRUE(m_environment->currentAuthorizationFlow());

    // Other URLs are left alone; the redirect resumes the flow, which ends.
    EXPECT_FALSE(m_environment->resumeAuthorizationFlowWithURL(*URL::create(std::string("brvn://other?code=x"))));
    ASSERT_TRUE(m_environment->resumeAuthorizationFlowWithURL(*URL::create(u"brvn://oauth2?code=the-code&state=" + state)));
    EXPECT_FALSE(m_environment->currentAuthorizationFlow());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !completions.empty(); }, 30));
    EXPECT_TRUE(completions[0].isEmpty()) << completions[0];

    TestHTTPRequest exchange = m_server->requests().back();
    EXPECT_EQ(exchange.method, "POST");
    EXPECT_EQ(formValue(exchange.body, "redirect_uri"), "brvn://oauth2");
    EXPECT_EQ(formValue(exchange.body, "client_id"), "4711");
    EXPECT_EQ(VornickWordPressOAuth2Flow::codeChallengeForVerifier(toUTF16(formValue(exchange.body, "code_verifier"))),
        queryValue(page, u"code_challenge"));

    auto stored = m_account->RESTAPIAuthorizationForBlogWithID(u"0");
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)[u"access_token"], Value(u"token-1"));
    EXPECT_FALSE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr, [](Error) { FAIL(); }));

    m_agent->requestBlogDescriptionsUsingWordPressRESTAPI();
    ASSERT_TRUE(waitForAnswer(1));
    ASSERT_EQ(m_delegate.received.size(), 1u);
    EXPECT_EQ(m_delegate.received[0][0][u"identifierUsedByBlogService"], Value(u"123"));
    EXPECT_EQ(m_delegate.received[0][0][u"themeIdentifier"], Value(u"pub/twentytwentythree"));
    EXPECT_EQ(m_server->requests().back().target, "/rest/v1.1/me/sites");
    EXPECT_EQ(m_server->requests().back().header("Authorization"), "Bearer token-1");
    EXPECT_TRUE(m_agent->mayCarryCredentialsToURL(*URL::create(std::string("https://hosted.example.org/"))));
    EXPECT_NE(logText().find("Got /me/sites reponse with 1 site descriptions"), std::string::npos);
    EXPECT_NE(logText().find("Known site: \"Hosted\" id=123 at https://hosted.example.org"), std::string::npos);
}

TEST_F(VornickWordPressOAuth2FlowTests, AnotherStateOrARefusalEndsTheFlowStoringNothing)
{
    std::vector<Error> completions;
    ASSERT_TRUE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr,
        [&](Error error) { completions.push_back(std::move(error)); }));
    ASSERT_TRUE(m_environment->resumeAuthorizationFlowWithURL(*URL::create(std::string("brvn://oauth2?code=the-code&state=forged"))));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !completions.empty(); }, 30));
    EXPECT_FALSE(completions[0].isEmpty());
    EXPECT_EQ(m_server->requestCount(), 0u) << "no code exchange for a forged state";

    completions.clear();
    ASSERT_TRUE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr,
        [&](Error error) { completions.push_back(std::move(error)); }));
    std::u16string state = queryValue(m_opened.back(), u"state");
    ASSERT_TRUE(m_environment->resumeAuthorizationFlowWithURL(*URL::create(u"brvn://oauth2?code=stale&state=" + state)));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !completions.empty(); }, 30));
    EXPECT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0].isEmpty());
    EXPECT_FALSE(m_account->RESTAPIAuthorizationForBlogWithID(u"0"));
}

TEST_F(VornickWordPressOAuth2FlowTests, ExpiredTokensAreRefreshedAndRejectedOnesForgotten)
{
    Error error;
    Dictionary expired { { u"access_token", Value(u"old") }, { u"refresh_token", Value(u"refresh-1") },
                         { u"expires_at", Value(Date::now().timeIntervalSince1970() - 10) }, { u"blog_id", Value(u"0") } };
    ASSERT_TRUE(m_account->setRESTAPIAuthorization(expired, u"0", &error)) << error;
    RESTOutcome refreshed;
    m_agent->postRESTRequestWithEndpointPath(u"me/sites", 1, u"GET", Value(u"0"), {}, nullptr, VornickReplyKind::SettingsReply, refreshed.completion());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return refreshed.calls > 0; }, 30));
    EXPECT_TRUE(refreshed.succeeded) << refreshed.error;
    EXPECT_EQ(requestsTo("/oauth2/token"), 1u);
    EXPECT_EQ(m_server->requests().back().header("Authorization"), "Bearer token-2");
    auto stored = m_account->RESTAPIAuthorizationForBlogWithID(u"0");
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)[u"access_token"], Value(u"token-2"));
    EXPECT_EQ((*stored)[u"refresh_token"], Value(u"refresh-1")) << "kept from before";
    EXPECT_GT((*stored)[u"expires_at"].doubleValue(), Date::now().timeIntervalSince1970() + 3000);

    // A token the service no longer takes is forgotten: the next sync authorises again.
    ASSERT_TRUE(m_account->setRESTAPIAuthorization(Dictionary { { u"access_token", Value(u"revoked") } }, u"0", &error));
    RESTOutcome rejected;
    m_agent->postRESTRequestWithEndpointPath(u"me/sites", 1, u"GET", Value(u"0"), {}, nullptr, VornickReplyKind::SettingsReply, rejected.completion());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return rejected.calls > 0; }, 30));
    EXPECT_TRUE(rejected.error.is(VornickHTTPErrorDomain, 403)) << rejected.error;
    EXPECT_FALSE(m_account->RESTAPIAuthorizationForBlogWithID(u"0"));
    std::vector<Error> completions;
    EXPECT_TRUE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr,
        [&](Error error) { completions.push_back(std::move(error)); }));
}

} // namespace
} // namespace brevanton
