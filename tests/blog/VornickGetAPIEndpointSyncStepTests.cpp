#include "blog/VornickGetAPIEndpointSyncStep.h"

#include "tests/blog/LoopbackSyncStepTestSupport.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <thread>

namespace brevanton {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

Data bytes(std::string_view text)
{
    return Data(text.begin(), text.end());
}

std::string homePage(const std::string& head)
{
    return "<!DOCTYPE html><html><head>" + head + "</head><body><p>Welcome</p></body></html>";
}

TestHTTPResponse page(std::string body, int status = 200)
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", "text/html; charset=UTF-8");
    response.body = std::move(body);
    return response;
}

class VornickGetAPIEndpointSyncStepTest : public LoopbackSyncStepTest {
protected:
    void SetUp() override
    {
        LoopbackSyncStepTest::SetUp();
        m_step = std::make_shared<VornickGetAPIEndpointSyncStep>(u"getAPIEndpoint", u"Get API Endpoint");
        std::weak_ptr<VornickGetAPIEndpointSyncStep> weakStep = m_step;
        m_step->setStartBlock([weakStep] {
            if (auto step = weakStep.lock())
                step->startGettingAPIEndpoint();
        });
        m_session->addStep(m_step);
    }

    void setRoot(const std::string& root) { account()->setValueForKey(Value(toUTF16(root)), u"rootURLString"); }
    Value endpoint() { return account()->valueForKey(u"remoteEndpointURLString"); }

    // Runs the step against a server answering every request with `response`.
    void runAgainst(const TestHTTPResponse& response)
    {
        LoopbackHTTPServer server([response](const TestHTTPRequest&) { return response; });
        m_rootURL = server.url("/");
        setRoot(m_rootURL);
        startSession();
        ASSERT_TRUE(runUntilSessionEnds());
        m_requests = server.requests();
    }

    std::shared_ptr<VornickGetAPIEndpointSyncStep> m_step;
    std::string m_rootURL;
    std::vector<TestHTTPRequest> m_requests;
};

TEST(VornickGetAPIEndpointFromHTMLTests, LastRESTLinkAndFirstNonEmptyTitle)
{
    VornickGetAPIEndpointSyncStep step(u"getAPIEndpoint", u"Get API Endpoint");
    auto found = step.getEndpointURLStringFromHTMLData(bytes(homePage(
        "<title>  </title><title>Tom &amp; Jerry\n</title><title>Other</title>"
        "<link rel='https://api.w.org/' href='https://site.example/first/'>"
        "<link rel=\"alternate\" href=\"https://site.example/feed/\">"
        "<LINK REL=\"https://api.w.org/\" HREF=\"\">"
        "<link rel=\"https://api.w.org/\" href=\"https://site.example/wp-json/\">")));
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, u"https://site.example/wp-json/") << "the later of two links, an empty one skipped";
    EXPECT_EQ(step.restAPIURLString(), found);
    EXPECT_EQ(step.siteTitle(), u"Tom &amp; Jerry");

    VornickGetAPIEndpointSyncStep none(u"getAPIEndpoint", u"Get API Endpoint");
    EXPECT_FALSE(none.getEndpointURLStringFromHTMLData(bytes(homePage("<link rel='stylesheet' href='/a.css'>"))));
    EXPECT_FALSE(none.restAPIURLString());
    EXPECT_FALSE(none.siteTitle()) << "a page without title leaves the site title unset";
    EXPECT_FALSE(none.getEndpointURLStringFromHTMLData(bytes("<link rel='https://api.w.org/' href='/x'>\xff\xfe")))
        << "data that is not UTF-8 has no endpoint";
    EXPECT_FALSE(none.getEndpointURLStringFromHTMLData({}));
}

TEST(VornickGetAPIEndpointFromHTMLTests, OnlyLinksOnTheSitesHostAndSchemeAreAccepted)
{
    auto accepted = [](const char* root, const char16_t* link) -> std::string {
        auto url = VornickGetAPIEndpointSyncStep::acceptableEndpointURL(*URL::create(std::string_view(root)), link);
        return url ? toUTF8(url->absoluteString()) : "refused";
    };
    EXPECT_EQ(accepted("https://site.example/", u"https://site.example/wp-json/"), "https://site.example/wp-json/");
    EXPECT_EQ(accepted("https://Site.Example/blog/", u"https://site.example/wp-json/"), "https://site.example/wp-json/");
    EXPECT_EQ(accepted("https://site.example/blog/", u"/wp-json/"), "https://site.example/wp-json/") << "relative to the root";
    EXPECT_EQ(accepted("http://site.example/", u"https://site.example/wp-json/"), "refused") << "another scheme is another origin";
    EXPECT_EQ(accepted("https://site.example/", u"https://site.example:443/wp-json/"), "https://site.example:443/wp-json/")
        << "the default port written out";
    EXPECT_EQ(accepted("https://site.example/", u"https://site.example:8443/wp-json/"), "refused");
    EXPECT_EQ(accepted("https://site.example/", u"http://site.example/wp-json/"), "refused") << "https never drops to http";
    EXPECT_EQ(accepted("https://site.example/", u"https://elsewhere.example/wp-json/"), "refused");
    EXPECT_EQ(accepted("https://site.example/", u"https://site.example.elsewhere.example/wp-json/"), "refused");
    EXPECT_EQ(accepted("https://site.example/", u"//elsewhere.example/wp-json/"), "refused");
    EXPECT_EQ(accepted("https://site.example/", u"javascript:alert(1)"), "refused");
    EXPECT_EQ(accepted("http://site.example/", u"ftp://site.example/wp-json/"), "refused");
}

TEST_F(VornickGetAPIEndpointSyncStepTest, FoundEndpointIsStoredInTheAccount)
{
    SyncStepStatusRecorder recorder;
    LoopbackHTTPServer site([&](const TestHTTPRequest& request) {
        if (request.target != "/")
            return page("missing", 404);
        return page(homePage("<title>My Site</title><link rel='https://api.w.org/' href='https://old.example/wp-json/'>"
                             "<link rel=\"https://api.w.org/\" href=\"/wp-json/\">"));
    });
    setRoot(site.url("/"));
    account()->setHasEditsNotYetSavedToSourceFile(false);
    startSession();
    ASSERT_TRUE(runUntilSessionEnds());

    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed) << toUTF8(m_step->statusMessage());
    EXPECT_EQ(m_session->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(endpoint(), Value(toUTF16(site.url("/wp-json/")))) << "the second link, made absolute";
    EXPECT_TRUE(account()->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(m_step->siteTitle(), u"My Site");
    EXPECT_EQ(m_step->statusMessage(), toUTF16("Got endpoint URL: " + site.url("/wp-json/")));
    std::string log = logText();
    EXPECT_NE(log.find("Fetching " + site.url("/") + " in search of API endpoint info"), std::string::npos) << log;
    EXPECT_NE(log.find("bytes for " + site.url("/")), std::string::npos) << log;
    EXPECT_NE(log.find("Got endpoint URL: " + site.url("/wp-json/")), std::string::npos) << log;
    ASSERT_EQ(site.requestCount(), 1u);
    EXPECT_FALSE(site.requests()[0].hasHeader("Authorization")) << "a home page is fetched without credentials";

    auto posted = recorder.take();
    ASSERT_FALSE(posted.empty());
    bool sawFetching = false;
    for (auto& status : posted)
        sawFetching = sawFetching || (status.name == u"getAPIEndpoint" && status.statusMessage.starts_with(u"Fetching "));
    EXPECT_TRUE(sawFetching);
}

TEST_F(VornickGetAPIEndpointSyncStepTest, PagesWithoutUsableLinkFailTheSession)
{
    runAgainst(page(homePage("<title>No API</title><link rel='stylesheet' href='/style.css'>")));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(m_session->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(m_step->statusMessage(), u"Didn't find endpoint URL in loaded page");
    EXPECT_TRUE(endpoint().isNull());
    EXPECT_EQ(m_step->siteTitle(), u"No API") << "the title is kept for the site list's fallback";
}

TEST_F(VornickGetAPIEndpointSyncStepTest, LinkToAnotherHostIsRefusedNamingBothAddresses)
{
    runAgainst(page(homePage("<link rel='https://api.w.org/' href='https://collector.example/wp-json/'>")));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_TRUE(endpoint().isNull()) << "no credentials will go to the other host";
    std::string message = toUTF8(m_step->statusMessage());
    EXPECT_NE(message.find("https://collector.example/wp-json/"), std::string::npos) << message;
    EXPECT_NE(message.find(m_rootURL), std::string::npos) << message;
    EXPECT_NE(logText().find(message), std::string::npos);
}

// The site on one loopback port names endpoints on its own origin and on
// others; a second server records whether anything reached it.
TEST_F(VornickGetAPIEndpointSyncStepTest, OnlyAnEndpointOnTheSitesOriginIsStored)
{
    LoopbackHTTPServer elsewhere([](const TestHTTPRequest&) { return page("{}"); });
    std::string link;
    LoopbackHTTPServer site([&link](const TestHTTPRequest&) { return page(homePage("<link rel='https://api.w.org/' href='" + link + "'>")); });
    std::string root = site.url("/");
    std::string otherHost = site.url("/wp-json/");
    otherHost.replace(otherHost.find("127.0.0.1"), 9, "localhost");
    struct Row {
        std::string name, link;
        bool stored;
    };
    const Row rows[] = {
        { "same origin", site.url("/wp-json/"), true },
        { "other port", elsewhere.url("/wp-json/"), false },
        { "other scheme", "https" + site.url("/wp-json/").substr(4), false },
        { "other host", otherHost, false },
    };
    for (const Row& row : rows) {
        link = row.link;
        account()->setValueForKey(Value(), u"remoteEndpointURLString");
        m_session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
        m_step = std::make_shared<VornickGetAPIEndpointSyncStep>(u"getAPIEndpoint", u"Get API Endpoint");
        std::weak_ptr<VornickGetAPIEndpointSyncStep> weakStep = m_step;
        m_step->setStartBlock([weakStep] {
            if (auto step = weakStep.lock())
                step->startGettingAPIEndpoint();
        });
        m_session->addStep(m_step);
        setRoot(root);
        startSession();
        ASSERT_TRUE(runUntilSessionEnds()) << row.name;
        if (row.stored) {
            EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed) << row.name;
            EXPECT_EQ(endpoint(), Value(toUTF16(row.link))) << row.name;
            continue;
        }
        EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed) << row.name;
        EXPECT_TRUE(endpoint().isNull()) << row.name << ": nothing stored";
        std::string message = toUTF8(m_step->statusMessage());
        EXPECT_NE(message.find(row.link), std::string::npos) << message;
        EXPECT_NE(message.find(root), std::string::npos) << message;
    }
    EXPECT_EQ(elsewhere.requestCount(), 0u);
}

TEST_F(VornickGetAPIEndpointSyncStepTest, FailedFetchesFailTheSession)
{
    runAgainst(page("", 200));
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(m_step->statusMessage(), toUTF16("Fetch of " + m_rootURL + " failed: No error, but no data either"));
}

TEST_F(VornickGetAPIEndpointSyncStepTest, UnreachableSiteFailsWithTheError)
{
    std::string root;
    {
        LoopbackHTTPServer gone([](const TestHTTPRequest&) { return TestHTTPResponse(); });
        root = gone.url("/");
    }
    setRoot(root);
    startSession();
    ASSERT_TRUE(runUntilSessionEnds());
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_TRUE(toUTF8(m_step->statusMessage()).starts_with("Fetch of " + root + " failed: ")) << toUTF8(m_step->statusMessage());
    EXPECT_FALSE(m_step->error().isEmpty());
}

TEST_F(VornickGetAPIEndpointSyncStepTest, AccountWithoutRootAddressFailsAtOnce)
{
    setRoot("not a url");
    startSession();
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(m_step->statusMessage(), u"Failed to get API endpoint: Account has no rootURLString");
    EXPECT_NE(logText().find("Failed to get API endpoint: Account has no rootURLString"), std::string::npos);
}

// Hands every answer over on a thread of its own, as an agent whose loads
// complete on a queue might; the main thread waits for that thread.
class OffMainThreadAgent : public VornickBlogServiceAgent {
public:
    std::function<void()> afterHandlerRanElsewhere;
    void loadRequest(URLRequest request, CompletionHandler handler) override
    {
        VornickBlogServiceAgent::loadRequest(std::move(request), [this, handler](std::shared_ptr<URLResponse> response, Data data, Error error) {
            std::thread([&] { handler(response, data, error); }).join();
            if (afterHandlerRanElsewhere)
                afterHandlerRanElsewhere();
        });
    }
};

TEST_F(VornickGetAPIEndpointSyncStepTest, AnswerOffTheMainThreadIsHandledOnIt)
{
    auto agent = std::make_shared<OffMainThreadAgent>();
    bool untouchedElsewhere = false;
    agent->afterHandlerRanElsewhere = [&] { untouchedElsewhere = m_step->active() && endpoint().isNull(); };
    integrator().setAgent(agent);
    LoopbackHTTPServer site([](const TestHTTPRequest&) { return page(homePage("<link rel='https://api.w.org/' href='/wp-json/'>")); });
    setRoot(site.url("/"));
    startSession();
    ASSERT_TRUE(runUntilSessionEnds());
    EXPECT_TRUE(untouchedElsewhere) << "neither the step nor the account changed on the other thread";
    EXPECT_EQ(m_step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(endpoint(), Value(toUTF16(site.url("/wp-json/"))));
}

TEST_F(VornickGetAPIEndpointSyncStepTest, AnswerAfterCancelChangesNothing)
{
    LoopbackHTTPServer site([](const TestHTTPRequest&) {
        auto response = page(homePage("<title>Late</title><link rel='https://api.w.org/' href='/wp-json/'>"));
        // Late enough that the cancel comes first on a busy machine too.
        response.delayMilliseconds = 1500;
        return response;
    });
    setRoot(site.url("/"));
    startSession();
    ASSERT_TRUE(pollUntil([&] { return site.requestCount() == 1; }));
    m_session->cancelUnfinishedStepsRecursively();
    EXPECT_EQ(m_step->state(), VornickSyncStepState::CancelledByUser);
    RunLoop::main().runFor(2.0);
    EXPECT_EQ(m_step->state(), VornickSyncStepState::CancelledByUser);
    EXPECT_TRUE(endpoint().isNull());
    EXPECT_EQ(logText().find("bytes for"), std::string::npos) << logText();
}

} // namespace
} // namespace brevanton
