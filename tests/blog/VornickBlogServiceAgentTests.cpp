#include "blog/VornickBlogServiceAgent.h"

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace brevanton {

class VornickBlogServiceAgentTestPeer {
public:
    static int runningURLLoadCount(const VornickBlogServiceAgent& agent) { return agent.m_runningURLLoadCount; }
};

} // namespace brevanton

using namespace brevanton;
using namespace brevanton::testserver;

namespace {

class Account : public VornickBlogServiceAgentAccount {
public:
    Account(std::u16string login, std::u16string password) : m_login(std::move(login)), m_password(std::move(password)) {}
    std::u16string loginID() const override { return m_login; }
    std::u16string password() const override { return m_password; }

private:
    std::u16string m_login;
    std::u16string m_password;
};

class RecordingDelegate : public VornickBlogServiceAgentDelegate {
public:
    std::vector<VornickHostConnectionStatus> statuses;

    void blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus status) override { statuses.push_back(status); }
    void blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>&) override { }
    void blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error&) override { }
    void blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>&, const Dictionary&, int64_t, bool) override { }
    void blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary&) override { }
    void blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>&, const Dictionary&, int64_t, bool) override { }
    void blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary&) override { }
    void blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&, const Dictionary&, bool) override { }
    void blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&) override { }
    void blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary&, const Dictionary&, const Value&) override { }
    void blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string&, const Dictionary&, const Value&) override { }
    void blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&) override { }
    void blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, const Error&) override { }
    void blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, bool) override { }
    void blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string&, const Value&, const Dictionary&, const Error&) override { }
};

// Keeps the requests it is asked to load.
class RecordingAgent : public VornickBlogServiceAgent {
public:
    std::vector<URLRequest> requests;
    void loadRequest(URLRequest request, CompletionHandler handler) override
    {
        requests.push_back(request);
        VornickBlogServiceAgent::loadRequest(std::move(request), std::move(handler));
    }
};

struct Outcome {
    int calls { 0 };
    int status { 0 };
    std::string body;
    Error error;
};

VornickBlogServiceAgent::CompletionHandler recordInto(Outcome& outcome)
{
    return [&outcome](std::shared_ptr<URLResponse> response, Data data, Error error) {
        EXPECT_TRUE(RunLoop::isMainThread());
        outcome.calls++;
        if (auto* http = dynamic_cast<HTTPURLResponse*>(response.get()))
            outcome.status = http->statusCode();
        outcome.body.assign(data.begin(), data.end());
        outcome.error = std::move(error);
    };
}

URL url(const std::string& string)
{
    return *URL::create(string);
}

// Runs the main loop until every outcome has its answer, then a little more
// so that a second answer would show.
bool waitForAll(const std::vector<Outcome*>& outcomes, double seconds = 30)
{
    bool done = RunLoop::main().runUntil([&] {
        return std::all_of(outcomes.begin(), outcomes.end(), [](Outcome* outcome) { return outcome->calls > 0; });
    }, seconds);
    RunLoop::main().runFor(0.05);
    return done;
}

class VornickBlogServiceAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("agent").value();
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        m_agent = std::make_shared<RecordingAgent>();
        m_agent->setLog(m_log);
    }
    void TearDown() override
    {
        m_agent.reset();
        RunLoop::main().runFor(0.02);
        if (RunLoop::main().isUsingManualClock())
            RunLoop::main().useRealClock();
        m_log.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    std::string m_folder;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<RecordingAgent> m_agent;
};

} // namespace

TEST_F(VornickBlogServiceAgentTest, TheBaseAnswersDefaultsAndAssertsForWhatSubclassesDo)
{
    EXPECT_EQ(m_agent->protocolDescription(), u"Unknown");
    EXPECT_EQ(m_agent->statusHeadingString(), u"Idle");
    EXPECT_FALSE(m_agent->continuesAfterFailure());
    EXPECT_FALSE(m_agent->talkingToHost());
    EXPECT_FALSE(m_agent->bloggingServiceSupportsPages());
    EXPECT_FALSE(m_agent->reportedPostsIncludePostsInTrash());
    bool called = false;
    EXPECT_FALSE(m_agent->beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr, [&](Error) { called = true; }));
    RunLoop::main().runFor(0.01);
    EXPECT_FALSE(called);

    auto expectOverride = [](const std::function<void()>& request, const std::string& selector) {
        try {
            request();
            ADD_FAILURE() << selector << " did not assert";
        } catch (const InternalInconsistencyException& exception) {
            EXPECT_NE(std::string(exception.reason()).find("Subclasses must override -" + selector), std::string::npos) << exception.reason();
        }
    };
    Dictionary blog { { u"identifierUsedByBlogService", Value(u"1") } };
    expectOverride([&] { m_agent->requestBlogDescriptions(); }, "requestBlogDescriptions");
    expectOverride([&] { m_agent->requestPostsForBlogWithDescription(blog, 0); }, "requestPostsForBlogWithDescription:startOffset:");
    expectOverride([&] { m_agent->requestPagesForBlogWithDescription(blog, 0); }, "requestPagesForBlogWithDescription:startOffset:");
    expectOverride([&] { m_agent->sendPostChanges({}, blog, Value(u"x-store://1")); }, "sendPostChanges:forBlogWithDescription:nativePostIdentifier:");
    expectOverride([&] { m_agent->requestMoveToTrashOfPostWithIdentifier(u"5", Value(), blog); },
        "requestMoveToTrashOfPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
    expectOverride([&] { m_agent->confirmServerSideDeletionOfPostWithIdentifier(u"5", Value(), blog); },
        "confirmServerSideDeletionOfPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
    expectOverride([&] { m_agent->requestUpdatedPropertiesForJustPublishedPostWithIdentifier(u"5", Value(), blog); },
        "requestUpdatedPropertiesForJustPublishedPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");

    // Logging in needs both a login and a password.
    EXPECT_FALSE(m_agent->hasEnoughInfoToAttemptLogin());
    m_agent->setAccount(std::make_shared<Account>(u"ann", u""));
    EXPECT_FALSE(m_agent->hasEnoughInfoToAttemptLogin());
    m_agent->setAccount(std::make_shared<Account>(u"", u"secret"));
    EXPECT_FALSE(m_agent->hasEnoughInfoToAttemptLogin());
    m_agent->setAccount(std::make_shared<Account>(u"ann", u"secret"));
    EXPECT_TRUE(m_agent->hasEnoughInfoToAttemptLogin());
}

TEST_F(VornickBlogServiceAgentTest, TheWatchedHostGivesTheConnectionStatus)
{
    RecordingDelegate delegate;
    m_agent->setDelegate(&delegate);
    // Nothing watched: unknown, which lets sessions start.
    EXPECT_EQ(m_agent->hostConnectionStatus(), VornickHostConnectionStatus::Unknown);
    EXPECT_EQ(m_agent->connectionWatcher(), nullptr);

    m_agent->setHostNameToWatch(u"127.0.0.1");
    const VornickHostConnectionWatcher* watcher = m_agent->connectionWatcher();
    ASSERT_NE(watcher, nullptr);
    EXPECT_EQ(watcher->hostName(), u"127.0.0.1");
    m_agent->setHostNameToWatch(u"127.0.0.1");
    EXPECT_EQ(m_agent->connectionWatcher(), watcher);
    // Loopback answers (a refused connection is an answer).
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !delegate.statuses.empty(); }, 30));
    EXPECT_EQ(delegate.statuses.front(), VornickHostConnectionStatus::Reachable);
    EXPECT_EQ(m_agent->hostConnectionStatus(), VornickHostConnectionStatus::Reachable);

    m_agent->setHostNameToWatch(u"");
    EXPECT_EQ(m_agent->connectionWatcher(), nullptr);
    EXPECT_EQ(m_agent->hostConnectionStatus(), VornickHostConnectionStatus::Unknown);
}

TEST_F(VornickBlogServiceAgentTest, LoadsCarryTheUserAgentAndAnswerStatusesRedirectsAndBodies)
{
    using Framing = TestHTTPResponse::Framing;
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        response.body = "posts";
        if (request.target == "/missing") {
            response.status = 404;
            response.body = "{\"code\":\"rest_no_route\"}";
        } else if (request.target == "/broken") {
            response.status = 500;
        } else if (request.target == "/moved") {
            response = TestHTTPResponse::redirect(301, "/wp-json/");
        } else if (request.target == "/close") {
            response.framing = Framing::CloseDelimited;
            response.pieceBytes = 2;
        } else if (request.target == "/chunked") {
            response.framing = Framing::Chunked;
            response.pieceBytes = 2;
        }
        return response;
    });

    Outcome ok, missing, broken, moved, closed, chunked;
    m_agent->requestDataForURL(url(server.url("/wp-json/")), recordInto(ok));
    m_agent->requestDataForURL(url(server.url("/missing")), recordInto(missing));
    m_agent->requestDataForURL(url(server.url("/broken")), recordInto(broken));
    m_agent->requestDataForURL(url(server.url("/moved")), recordInto(moved));
    m_agent->requestDataForURL(url(server.url("/close")), recordInto(closed));
    m_agent->requestDataForURL(url(server.url("/chunked")), recordInto(chunked));
    ASSERT_TRUE(waitForAll({ &ok, &missing, &broken, &moved, &closed, &chunked }));

    for (Outcome* outcome : { &ok, &missing, &broken, &moved, &closed, &chunked }) {
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_TRUE(outcome->error.isEmpty()) << outcome->error;
    }
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.body, "posts");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "{\"code\":\"rest_no_route\"}");
    EXPECT_EQ(broken.status, 500);
    EXPECT_EQ(moved.status, 200);
    EXPECT_EQ(moved.body, "posts");
    EXPECT_EQ(closed.body, "posts");
    EXPECT_EQ(chunked.body, "posts");

    // Every request, the redirected one included, names the application.
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 7u);
    std::string userAgent = toUTF8(VornickBlogServiceAgent::userAgent());
    EXPECT_EQ(userAgent, "Brevanton/" + toUTF8(Bundle::main().objectForInfoDictionaryKey(u"CFBundleShortVersionString").stringValue()));
    EXPECT_NE(userAgent, "Brevanton/");
    for (auto& request : requests)
        EXPECT_EQ(request.header("User-Agent"), userAgent) << request.target;

    // The data requests allow 60 seconds without traffic.
    ASSERT_EQ(m_agent->requests.size(), 6u);
    EXPECT_EQ(m_agent->requests[0].timeoutInterval(), 60);
    EXPECT_EQ(m_agent->requests[0].httpMethod(), u"GET");

    // A request that names another agent still names the application.
    URLRequest other(url(server.url("/wp-json/")));
    other.setValueForHTTPHeaderField(u"curl/8", u"User-Agent");
    Outcome replaced;
    m_agent->loadRequest(other, recordInto(replaced));
    ASSERT_TRUE(waitForAll({ &replaced }));
    EXPECT_EQ(server.requests().back().header("User-Agent"), userAgent);

    // No handler, no load.
    m_agent->requestDataForURL(url(server.url("/wp-json/")), nullptr);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(server.requestCount(), 8u);
}

TEST_F(VornickBlogServiceAgentTest, IdleTimeoutsAndResetsAnswerOnceWithTheirError)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        response.body = "0123456789";
        // Silent and stalled answers never go on (a server that stops ends
        // them); the steady one is longer in all than the timeout, but never
        // idle for more than a fraction of it, even on a busy machine.
        if (request.target == "/silent") {
            response.delayMilliseconds = 600'000;
        } else if (request.target == "/steady") {
            response.pieceBytes = 1;
            response.pieceDelayMilliseconds = 150;
        } else if (request.target == "/stalls") {
            response.pieceBytes = 5;
            response.pieceDelayMilliseconds = 600'000;
        } else if (request.target == "/reset") {
            response.resetBeforeHeaders = true;
        } else if (request.target == "/reset-midway") {
            response.resetAfterBodyBytes = 4;
        }
        return response;
    });
    auto load = [&](const std::string& path, Outcome& outcome) {
        URLRequest request(url(server.url(path)), 1.2);
        m_agent->loadRequest(request, recordInto(outcome));
    };

    Outcome silent, steady, stalls, reset, resetMidway;
    load("/silent", silent);
    load("/steady", steady);
    ASSERT_TRUE(waitForAll({ &silent, &steady }));
    load("/stalls", stalls);
    load("/reset", reset);
    ASSERT_TRUE(waitForAll({ &stalls, &reset }));
    load("/reset-midway", resetMidway);
    ASSERT_TRUE(waitForAll({ &resetMidway }));

    EXPECT_EQ(silent.calls, 1);
    EXPECT_TRUE(silent.error.is(URLErrorDomain, URLErrorTimedOut)) << silent.error;
    EXPECT_EQ(steady.calls, 1);
    EXPECT_TRUE(steady.error.isEmpty()) << steady.error;
    EXPECT_EQ(steady.body, "0123456789");
    EXPECT_EQ(stalls.calls, 1);
    EXPECT_TRUE(stalls.error.is(URLErrorDomain, URLErrorTimedOut)) << stalls.error;
    for (Outcome* outcome : { &reset, &resetMidway }) {
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_EQ(outcome->error.domain(), URLErrorDomain);
        EXPECT_TRUE(outcome->error.code() == URLErrorNetworkConnectionLost || outcome->error.code() == URLErrorBadServerResponse)
            << outcome->error;
    }

    // The slots of failed loads are free again.
    Outcome after;
    load("/steady", after);
    ASSERT_TRUE(waitForAll({ &after }));
    EXPECT_TRUE(after.error.isEmpty()) << after.error;
}

TEST_F(VornickBlogServiceAgentTest, TwoLoadsRunAtOnceAndOneUnderARateLimit)
{
    // The first request is held until a second one arrives (or half a minute
    // passes), so that a busy machine cannot hide two loads running at once.
    std::atomic<int> arrived { 0 };
    LoopbackHTTPServer server([&arrived](const TestHTTPRequest&) {
        if (++arrived == 1) {
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (arrived < 2 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        TestHTTPResponse response;
        response.body = "ok";
        response.delayMilliseconds = 20;
        return response;
    });
    EXPECT_EQ(m_agent->maxConcurrentURLLoadCount(), 2);
    std::vector<Outcome> free(5);
    for (auto& outcome : free)
        m_agent->requestDataForURL(url(server.url("/")), recordInto(outcome));
    std::vector<Outcome*> freePointers;
    for (auto& outcome : free)
        freePointers.push_back(&outcome);
    ASSERT_TRUE(waitForAll(freePointers));
    EXPECT_EQ(server.maxConcurrentRequests(), 2);
    for (auto& outcome : free) {
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_EQ(outcome.body, "ok");
    }

    // With a limit (generous enough not to defer anything) one at a time.
    LoopbackHTTPServer limitedServer([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.body = "ok";
        response.delayMilliseconds = 100;
        return response;
    });
    m_agent->setMaxRequestCount(Value(100));
    EXPECT_EQ(m_agent->maxConcurrentURLLoadCount(), 2);
    m_agent->setMaxRequestTimeInterval(Value(60.0));
    EXPECT_EQ(m_agent->maxConcurrentURLLoadCount(), 1);
    EXPECT_EQ(m_agent->maxRequestCount(), Value(100));
    EXPECT_EQ(m_agent->maxRequestTimeInterval(), Value(60.0));
    std::vector<Outcome> limited(3);
    for (auto& outcome : limited)
        m_agent->requestDataForURL(url(limitedServer.url("/")), recordInto(outcome));
    ASSERT_TRUE(waitForAll({ &limited[0], &limited[1], &limited[2] }));
    EXPECT_EQ(limitedServer.maxConcurrentRequests(), 1);

    // Turning the limit off lets two run again; values that are no numbers mean none.
    m_agent->setMaxRequestCount(Value(u"3"));
    EXPECT_EQ(m_agent->maxRequestCount(), Value(0));
    EXPECT_EQ(m_agent->maxConcurrentURLLoadCount(), 2);
}

TEST_F(VornickBlogServiceAgentTest, ARequestBeyondTheRateLimitWaitsAndSaysHowLong)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.body = "ok";
        return response;
    });
    RunLoop::main().useManualClock();
    m_agent->setMaxRequestCount(Value(3));
    m_agent->setMaxRequestTimeInterval(Value(10.0));

    std::vector<Outcome> outcomes(4);
    for (auto& outcome : outcomes)
        m_agent->requestDataForURL(url(server.url("/")), recordInto(outcome));
    ASSERT_TRUE(waitForAll({ &outcomes[0], &outcomes[1], &outcomes[2] }));
    EXPECT_EQ(server.requestCount(), 3u);
    EXPECT_EQ(outcomes[3].calls, 0);
    EXPECT_NE(m_log->text().find(u"Sorry, rate limit reached. Waiting 11.0 seconds before we send WordPress our next request, "
                                 u"so host doesn't start denying us service.\n"),
        std::u16string::npos)
        << toUTF8(m_log->text());
    EXPECT_EQ(server.maxConcurrentRequests(), 1);

    RunLoop::main().advanceClock(11);
    ASSERT_TRUE(waitForAll({ &outcomes[3] }));
    EXPECT_EQ(outcomes[3].calls, 1);
    EXPECT_EQ(outcomes[3].body, "ok");
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(VornickBlogServiceAgentTest, NoWindowOfTheIntervalHoldsMoreRequestStartsThanTheLimit)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.body = "ok";
        return response;
    });
    RunLoop::main().useManualClock();
    m_agent->setMaxRequestCount(Value(3));
    m_agent->setMaxRequestTimeInterval(Value(10.0));
    Date origin = RunLoop::main().now();

    // The manual clock stands still while a load runs, so the time its
    // answer comes is the time it started.
    std::vector<double> starts;
    auto load = [&] {
        m_agent->requestDataForURL(url(server.url("/")), [&](std::shared_ptr<URLResponse>, Data, Error error) {
            EXPECT_TRUE(error.isEmpty()) << error;
            starts.push_back(RunLoop::main().now().timeIntervalSince(origin));
        });
    };
    for (int index = 0; index < 10; ++index)
        load();
    // Settled: the timers due have fired and every load they started has
    // answered, however long the server took to see it.
    auto idle = [&] { return VornickBlogServiceAgentTestPeer::runningURLLoadCount(*m_agent) == 0 && starts.size() == server.requestCount(); };
    auto settle = [&] {
        for (int calm = 0; calm < 2;) {
            ASSERT_TRUE(RunLoop::main().runUntil(idle, 30));
            size_t before = starts.size();
            RunLoop::main().runFor(0.03);
            calm = starts.size() == before && idle() ? calm + 1 : 0;
        }
    };
    for (int second = 0; second < 45 && starts.size() < 10; ++second) {
        settle();
        // A load asked for while others wait waits its turn behind them.
        if (second == 15)
            load();
        RunLoop::main().advanceClock(1);
    }
    settle();
    ASSERT_EQ(starts.size(), 11u);
    EXPECT_EQ(server.requestCount(), 11u);
    for (double start : starts) {
        size_t inWindow = std::count_if(starts.begin(), starts.end(), [&](double other) { return other >= start && other <= start + 10.0; });
        EXPECT_LE(inWindow, 3u) << "window from " << start << " s";
    }
    EXPECT_NE(m_log->text().find(u"Sorry, rate limit reached. Waiting "), std::u16string::npos) << toUTF8(m_log->text());
}

TEST_F(VornickBlogServiceAgentTest, DroppingTheAgentAnswersEveryLoadOnceAsCancelled)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.body = "late";
        response.delayMilliseconds = 5000;
        return response;
    });
    RunLoop::main().useManualClock();
    m_agent->setMaxRequestCount(Value(2));
    m_agent->setMaxRequestTimeInterval(Value(10.0));
    // One runs, one waits for the general queue, one for the rate limit.
    std::vector<Outcome> outcomes(3);
    for (auto& outcome : outcomes)
        m_agent->requestDataForURL(url(server.url("/")), recordInto(outcome));
    // The server's threads do not wake the main loop: short turns.
    Date deadline = Date::now().addingTimeInterval(30);
    while (server.requestCount() < 1 && Date::now() < deadline)
        RunLoop::main().runOnce(0.002);
    ASSERT_EQ(server.requestCount(), 1u);

    m_agent.reset();
    ASSERT_TRUE(waitForAll({ &outcomes[0], &outcomes[1], &outcomes[2] }));
    for (auto& outcome : outcomes) {
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_TRUE(outcome.error.is(URLErrorDomain, URLErrorCancelled)) << outcome.error;
    }
    RunLoop::main().advanceClock(20);
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(server.requestCount(), 1u);
    for (auto& outcome : outcomes)
        EXPECT_EQ(outcome.calls, 1);
}

TEST_F(VornickBlogServiceAgentTest, AHandlerMayDropTheAgent)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        response.body = request.target;
        if (request.target != "/first")
            response.delayMilliseconds = 5000;
        return response;
    });
    // The integrator drops its agent when the session changes, maybe while
    // it handles an answer; the loads still running or waiting are cancelled.
    Outcome first, second, third;
    auto handler = recordInto(first);
    m_agent->requestDataForURL(url(server.url("/first")), [this, handler](std::shared_ptr<URLResponse> response, Data data, Error error) {
        m_agent.reset();
        handler(std::move(response), std::move(data), std::move(error));
    });
    m_agent->requestDataForURL(url(server.url("/second")), recordInto(second));
    m_agent->requestDataForURL(url(server.url("/third")), recordInto(third));
    ASSERT_TRUE(waitForAll({ &first, &second, &third }));
    EXPECT_EQ(m_agent, nullptr);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.body, "/first");
    for (Outcome* outcome : { &second, &third }) {
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_TRUE(outcome->error.is(URLErrorDomain, URLErrorCancelled)) << outcome->error;
    }
}
