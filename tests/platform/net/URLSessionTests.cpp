#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/CurlLibrary.h"
#include "platform/net/URLSession.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace brevanton;
using namespace brevanton::testserver;

namespace url_session_tests {
namespace {

struct Outcome {
    bool done { false };
    int calls { 0 };
    bool onMainThread { false };
    Data data;
    std::shared_ptr<URLResponse> response;
    Error error;

    std::string body() const { return std::string(data.begin(), data.end()); }
    const HTTPURLResponse* http() const { return dynamic_cast<const HTTPURLResponse*>(response.get()); }
};

URLSessionTask::CompletionHandler recordInto(Outcome& outcome)
{
    return [&outcome](Data data, std::shared_ptr<URLResponse> response, Error error) {
        outcome.calls++;
        outcome.done = true;
        outcome.onMainThread = RunLoop::isMainThread();
        outcome.data = std::move(data);
        outcome.response = std::move(response);
        outcome.error = std::move(error);
    };
}

// Runs the main run loop in short turns until `condition` holds (the server's
// threads do not wake the loop).
bool spinUntil(const std::function<bool()>& condition, double seconds = 30)
{
    Date deadline = Date::now().addingTimeInterval(seconds);
    while (!condition()) {
        if (Date::now() > deadline)
            return false;
        RunLoop::main().runOnce(0.002);
    }
    return true;
}

URL url(const std::string& string)
{
    return *URL::create(string);
}

Outcome load(URLRequest request)
{
    Outcome outcome;
    auto task = URLSession::shared()->dataTask(std::move(request), recordInto(outcome));
    task->resume();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
    return outcome;
}

TestHTTPResponse text(int status, std::string body, std::string contentType = "text/plain; charset=\"ISO-8859-1\"")
{
    TestHTTPResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers.emplace_back("Content-Type", contentType);
    response.headers.emplace_back("X-Custom-Field", "one");
    response.headers.emplace_back("x-custom-field", "two");
    return response;
}

} // namespace

TEST(URLSession, ResponsesCarryStatusHeadersTypeAndBodyOnTheMainRunLoop)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        if (request.target == "/missing")
            return text(404, "no such page", "text/html");
        return text(200, "hello");
    });

    Outcome ok = load(URLRequest(url(server.url("/page.txt"))));
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error;
    EXPECT_EQ(ok.calls, 1);
    EXPECT_TRUE(ok.onMainThread);
    ASSERT_NE(ok.http(), nullptr);
    EXPECT_EQ(ok.http()->statusCode(), 200);
    EXPECT_EQ(ok.body(), "hello");
    EXPECT_EQ(ok.response->mimeType(), u"text/plain");
    EXPECT_EQ(ok.response->textEncodingName(), u"ISO-8859-1");
    EXPECT_EQ(ok.response->expectedContentLength(), 5);
    EXPECT_EQ(ok.response->suggestedFilename(), u"page.txt");
    EXPECT_EQ(ok.http()->valueForHTTPHeaderField(u"content-TYPE"), u"text/plain; charset=\"ISO-8859-1\"");
    EXPECT_EQ(ok.http()->valueForHTTPHeaderField(u"X-CUSTOM-FIELD"), u"one, two");
    EXPECT_EQ(ok.http()->allHeaderFields().dictionary().at(u"X-Custom-Field"), Value(u"one, two"));

    // A status of 400 or more is a response, not a transport error.
    Outcome missing = load(URLRequest(url(server.url("/missing"))));
    EXPECT_TRUE(missing.error.isEmpty());
    ASSERT_NE(missing.http(), nullptr);
    EXPECT_EQ(missing.http()->statusCode(), 404);
    EXPECT_EQ(missing.body(), "no such page");
    EXPECT_EQ(missing.response->mimeType(), u"text/html");
    EXPECT_EQ(missing.response->textEncodingName(), u"");
}

TEST(URLSession, SendsMethodsHeadersAndBodies)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        return text(200, request.method + " " + request.body);
    });

    URLRequest post(url(server.url("/api?x=1")));
    post.setHTTPMethod(u"POST");
    post.setValueForHTTPHeaderField(u"application/json", u"Content-Type");
    post.setValueForHTTPHeaderField(u"Basic dTpw", u"Authorization");
    std::string json = "{\"title\":\"caf\xc3\xa9\"}";
    post.setHTTPBody(Data(json.begin(), json.end()));
    EXPECT_EQ(load(post).body(), "POST " + json);

    Data binary { 0, 1, 2, 0, 255 };
    Outcome uploaded;
    URLRequest putRequest(url(server.url("/media")));
    putRequest.setHTTPMethod(u"PUT");
    auto upload = URLSession::shared()->uploadTask(putRequest, binary, recordInto(uploaded));
    upload->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return uploaded.done; }, 30));
    EXPECT_EQ(uploaded.body(), std::string("PUT ") + std::string(binary.begin(), binary.end()));

    URLRequest remove(url(server.url("/posts/7")));
    remove.setHTTPMethod(u"DELETE");
    EXPECT_EQ(load(remove).body(), "DELETE ");

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/api?x=1");
    EXPECT_EQ(requests[0].header("content-type"), "application/json");
    EXPECT_EQ(requests[0].header("Authorization"), "Basic dTpw");
    EXPECT_EQ(requests[1].header("Content-Length"), "5");
    EXPECT_FALSE(requests[1].hasHeader("Expect"));
    EXPECT_EQ(requests[2].method, "DELETE");
}

TEST(URLSession, FollowsRedirectsWithinTheLimit)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        if (request.target == "/old") {
            response.status = 301;
            response.headers.emplace_back("Location", "/middle");
            response.body = "moved";
        } else if (request.target == "/middle") {
            response.status = 302;
            response.headers.emplace_back("Location", "/new");
        } else if (request.target == "/loop") {
            response.status = 302;
            response.headers.emplace_back("Location", "/loop");
        } else {
            response = text(200, "arrived", "text/html; charset=utf-8");
        }
        return response;
    });

    Outcome followed = load(URLRequest(url(server.url("/old"))));
    ASSERT_TRUE(followed.error.isEmpty()) << followed.error;
    EXPECT_EQ(followed.http()->statusCode(), 200);
    EXPECT_EQ(followed.body(), "arrived");
    EXPECT_EQ(followed.response->url().absoluteString(), u16(server.url("/new")));
    EXPECT_EQ(followed.response->textEncodingName(), u"utf-8");
    EXPECT_EQ(followed.http()->valueForHTTPHeaderField(u"Location"), std::nullopt);

    URLRequest loop(url(server.url("/loop")));
    loop.setMaximumRedirects(3);
    Outcome looping = load(loop);
    EXPECT_TRUE(looping.error.is(URLErrorDomain, URLErrorHTTPTooManyRedirects)) << looping.error;

    URLRequest unfollowed(url(server.url("/old")));
    unfollowed.setMaximumRedirects(0);
    Outcome answered = load(unfollowed);
    EXPECT_EQ(answered.http()->statusCode(), 301);
    EXPECT_EQ(answered.body(), "moved");
    EXPECT_EQ(answered.http()->valueForHTTPHeaderField(u"location"), u"/middle");
}

TEST(URLSession, TimeoutsCancellationAndRefusedConnections)
{
    // Late enough never to come on a busy machine; a server that stops ends the wait.
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response = text(200, "late");
        response.delayMilliseconds = 600'000;
        return response;
    });

    URLRequest slow(url(server.url("/slow")));
    slow.setTimeoutInterval(0.2);
    Outcome timedOut = load(slow);
    EXPECT_TRUE(timedOut.error.is(URLErrorDomain, URLErrorTimedOut)) << timedOut.error;
    EXPECT_EQ(timedOut.response, nullptr);

    // The timeout counts idle time: a reply that keeps coming never times
    // out, though it takes longer in all. The pauses between its bytes stay
    // well below the timeout, so that a busy machine does not stretch one past it.
    LoopbackHTTPServer trickling([](const TestHTTPRequest&) {
        TestHTTPResponse response = text(200, "123456789abcdef");
        response.trickleMilliseconds = 100;
        return response;
    });
    URLRequest steady(url(trickling.url("/")));
    steady.setTimeoutInterval(1.0);
    Outcome arrived = load(steady);
    EXPECT_TRUE(arrived.error.isEmpty()) << arrived.error;
    EXPECT_EQ(arrived.body(), "123456789abcdef");

    // Cancelling a running transfer: the handler runs once, with the cancellation.
    Outcome cancelled;
    auto task = URLSession::shared()->dataTask(url(server.url("/slow")), recordInto(cancelled));
    task->resume();
    ASSERT_TRUE(spinUntil([&] { return server.requestCount() == 2; }));
    task->cancel();
    task->cancel();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return cancelled.done; }, 30));
    RunLoop::main().runFor(0.02);
    EXPECT_EQ(cancelled.calls, 1);
    EXPECT_TRUE(cancelled.error.is(URLErrorDomain, URLErrorCancelled));
    EXPECT_EQ(task->state(), URLSessionTask::State::Completed);

    // Cancelling before resuming never sends the request.
    Outcome early;
    auto unstarted = URLSession::shared()->dataTask(url(server.url("/slow")), recordInto(early));
    unstarted->cancel();
    unstarted->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return early.done; }, 30));
    EXPECT_TRUE(early.error.is(URLErrorDomain, URLErrorCancelled));
    EXPECT_EQ(server.requestCount(), 2u);

    // A port nobody listens on: bound but not listening, so that no other
    // process can take it while the request runs.
    int unlistened = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(unlistened, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(unlistened, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(unlistened, reinterpret_cast<sockaddr*>(&address), &length), 0);
    int port = ntohs(address.sin_port);
    Outcome refused = load(URLRequest(url("http://127.0.0.1:" + std::to_string(port) + "/")));
    ::close(unlistened);
    EXPECT_TRUE(refused.error.is(URLErrorDomain, URLErrorCannotConnectToHost)) << refused.error;

    // Tests never reach past this machine: a request to another host meets
    // the tests' refusing proxy on the loopback, with no name looked up (which
    // would answer "cannot find host").
    for (const char* elsewhere : { "http://example.com/picture.jpg", "https://example.com/picture.jpg" }) {
        Outcome outside = load(URLRequest(url(elsewhere)));
        EXPECT_TRUE(outside.error.is(URLErrorDomain, URLErrorCannotConnectToHost)) << elsewhere << ": " << outside.error;
    }
}

TEST(URLSession, BodiesEndByLengthCloseOrLastChunkAndResetsAreLostConnections)
{
    using Framing = TestHTTPResponse::Framing;
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response = text(200, "0123456789abcdef");
        response.pieceBytes = 5;
        response.pieceDelayMilliseconds = 20;
        if (request.target == "/close")
            response.framing = Framing::CloseDelimited;
        else if (request.target == "/chunked")
            response.framing = Framing::Chunked;
        else if (request.target == "/reset")
            response.resetBeforeHeaders = true;
        else if (request.target == "/reset-midway")
            response.resetAfterBodyBytes = 7;
        else if (request.target == "/reset-midway-close") {
            response.framing = Framing::CloseDelimited;
            response.resetAfterBodyBytes = 7;
        } else if (request.target == "/reset-midway-chunked") {
            response.framing = Framing::Chunked;
            response.resetAfterBodyBytes = 7;
        }
        return response;
    });

    for (const char* path : { "/length", "/close", "/chunked" }) {
        Outcome outcome = load(URLRequest(url(server.url(path))));
        EXPECT_TRUE(outcome.error.isEmpty()) << path << ": " << outcome.error;
        EXPECT_EQ(outcome.body(), "0123456789abcdef") << path;
        ASSERT_NE(outcome.response, nullptr) << path;
        EXPECT_EQ(outcome.response->expectedContentLength(), std::string(path) == "/length" ? 16 : -1) << path;
    }
    for (const char* path : { "/reset", "/reset-midway", "/reset-midway-close", "/reset-midway-chunked" }) {
        Outcome outcome = load(URLRequest(url(server.url(path))));
        EXPECT_EQ(outcome.calls, 1) << path;
        EXPECT_FALSE(outcome.error.isEmpty()) << path;
        EXPECT_EQ(outcome.error.domain(), URLErrorDomain) << path;
        EXPECT_TRUE(outcome.error.code() == URLErrorNetworkConnectionLost || outcome.error.code() == URLErrorBadServerResponse)
            << path << ": " << outcome.error;
    }

    // The timeout counts from the last bytes received: a pause between two
    // pieces of the body longer than it ends the load.
    LoopbackHTTPServer stalling([](const TestHTTPRequest&) {
        TestHTTPResponse response = text(200, "0123456789");
        response.pieceBytes = 5;
        response.pieceDelayMilliseconds = 600'000;
        return response;
    });
    URLRequest stalled(url(stalling.url("/")));
    stalled.setTimeoutInterval(0.3);
    Outcome timedOut = load(stalled);
    EXPECT_TRUE(timedOut.error.is(URLErrorDomain, URLErrorTimedOut)) << timedOut.error;
    EXPECT_EQ(timedOut.calls, 1);
}

TEST(URLSession, DestroyingASessionCancelsItsTransfers)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response = text(200, "late");
        response.delayMilliseconds = 600'000;
        return response;
    });
    Outcome outcome;
    std::shared_ptr<URLSessionTask> task;
    {
        auto session = URLSession::create();
        task = session->dataTask(url(server.url("/")), recordInto(outcome));
        task->resume();
        ASSERT_TRUE(spinUntil([&] { return server.requestCount() == 1; }));
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
    EXPECT_TRUE(outcome.error.is(URLErrorDomain, URLErrorCancelled));
}

TEST(URLSession, FileURLsAnswerResponsesThatAreNotHTTP)
{
    auto folder = createTemporaryDirectory("brevanton-net");
    ASSERT_TRUE(folder);
    std::string directory = *folder;
    struct RemoveFolder {
        std::string path;
        ~RemoveFolder() { EXPECT_TRUE(removeItem(path)); }
    } removeFolder { directory };
    std::string path = directory + "/page.html";
    std::ofstream(path) << "<p>local</p>";

    Outcome local = load(URLRequest(URL::fileURLWithPath(path)));
    ASSERT_TRUE(local.error.isEmpty()) << local.error;
    ASSERT_NE(local.response, nullptr);
    EXPECT_FALSE(local.response->isHTTP());
    EXPECT_EQ(local.response->mimeType(), u"text/html");
    EXPECT_EQ(local.body(), "<p>local</p>");

    Outcome absent = load(URLRequest(URL::fileURLWithPath(std::string(directory) + "/absent.html")));
    EXPECT_TRUE(absent.error.is(URLErrorDomain, URLErrorFileDoesNotExist)) << absent.error;
}

TEST(URLSession, CancellingAllTasksLeavesTheSessionUsable)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response = text(200, "answer");
        if (request.target == "/slow")
            response.delayMilliseconds = 5000;
        return response;
    });
    auto session = URLSession::create();
    Outcome running, waiting, later;
    auto first = session->dataTask(url(server.url("/slow")), recordInto(running));
    first->resume();
    ASSERT_TRUE(spinUntil([&] { return server.requestCount() == 1; }));
    session->dataTask(url(server.url("/slow")), recordInto(waiting))->resume();
    session->cancelAllTasks();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return running.done && waiting.done; }, 30));
    EXPECT_TRUE(running.error.is(URLErrorDomain, URLErrorCancelled));
    EXPECT_TRUE(waiting.error.is(URLErrorDomain, URLErrorCancelled));

    session->dataTask(url(server.url("/fast")), recordInto(later))->resume();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return later.done; }, 30));
    EXPECT_TRUE(later.error.isEmpty()) << later.error;
    EXPECT_EQ(later.body(), "answer");
}

namespace {

// The network library is loaded once per process, so each case runs in a
// process of its own that names the library to load, runs two tasks and
// exits 0 only when both failed at once, on the main run loop, without a
// request, and with the reason on standard error.
[[noreturn]] void runTasksWithNetworkLibrary(const std::string& name)
{
    // Nothing loaded libcurl before a task needed it.
    if (dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD))
        std::exit(2);
    CurlLibrary::setLibraryName(name);
    LoopbackHTTPServer server([](const TestHTTPRequest&) { return text(200, "answer"); });
    bool failedAsExpected = true;
    {
        auto session = URLSession::create();
        for (int attempt = 0; attempt < 2; ++attempt) {
            Outcome outcome;
            session->dataTask(url(server.url("/")), recordInto(outcome))->resume();
            bool done = RunLoop::main().runUntil([&] { return outcome.done; }, 30);
            std::fprintf(stderr, "%s\n", toUTF8(outcome.error.localizedDescription()).c_str());
            failedAsExpected = failedAsExpected && done && outcome.calls == 1 && outcome.onMainThread
                && !outcome.response && outcome.data.empty()
                && outcome.error.is(URLErrorDomain, URLErrorUnknown)
                && outcome.error.userInfo().at(Error::URLKey) == Value(toUTF16(server.url("/")));
        }
    }
    std::exit(failedAsExpected && server.requestCount() == 0 ? 0 : 1);
}

} // namespace

TEST(URLSessionDeathTest, TasksFailAtOnceWhenTheNetworkLibraryCannotBeLoaded)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runTasksWithNetworkLibrary("libbrevanton-absent.so.4"), testing::ExitedWithCode(0),
        "The network library libbrevanton-absent\\.so\\.4 could not be loaded: "
        "libbrevanton-absent\\.so\\.4: cannot open shared object file");
    // A library that loads but is not curl.
    EXPECT_EXIT(runTasksWithNetworkLibrary("libc.so.6"), testing::ExitedWithCode(0),
        "The network library libc\\.so\\.6 could not be loaded: .*undefined symbol: curl_global_init");
}

} // namespace url_session_tests
