#include "wordpress/VornickOEmbedAgent.h"

#include "blog/VornickBlogServiceAgent.h"
#include "html/VornickTextPattern.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/net/URLSession.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>

namespace brevanton {
namespace {

using namespace testserver;

struct Answer {
    int calls { 0 };
    bool onMainThread { false };
    std::optional<Dictionary> object;
    Error error;
};

TestHTTPResponse reply(std::string type, std::string body, int status = 200)
{
    TestHTTPResponse response;
    response.status = status;
    response.headers.emplace_back("Content-Type", std::move(type));
    response.body = std::move(body);
    return response;
}

const std::string videoInstructions = R"({"version":"1.0","type":"video","html":"<iframe></iframe>","width":640})";

// A stub site whose pages and endpoints the tests script, and an agent whose
// provider table names endpoints on the stub only.
class OEmbedAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = *createTemporaryDirectory("oembed-agent");
        ASSERT_TRUE(writeFileAtomically(m_folder + "/VornickTextPatterns.json", R"([
            { "patterns": [ "^)" + m_server.url("/video/{id}") + R"($" ], "fragmentName": "Stub Video",
              "oEmbedEndpointURLString": ")" + m_server.url("/provider?key=old&format=xml") + R"(" },
            { "patterns": [ "^)" + m_server.url("/nothing/{id}") + R"($" ], "fragmentName": "No Endpoint" }
        ])"));
        m_bundle = std::make_unique<Bundle>(m_folder);
        m_recognizer = std::make_unique<VornickTextPatternRecognizer>(*m_bundle);
        m_agent = VornickOEmbedAgent::create(URLSession::create(), *m_recognizer);
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    void route(const std::string& target, TestHTTPResponse response)
    {
        std::lock_guard lock(m_mutex);
        m_routes[target] = std::move(response);
    }

    std::shared_ptr<Answer> request(const std::string& path, uint64_t maxWidth = 0, uint64_t maxHeight = 0)
    {
        auto answer = std::make_shared<Answer>();
        m_agent->requestEmbeddingInstructionsForURL(*URL::create(m_server.url(path)), maxWidth, maxHeight,
            [answer](std::optional<Dictionary> object, Error error) {
                ++answer->calls;
                answer->onMainThread = RunLoop::isMainThread();
                answer->object = std::move(object);
                answer->error = std::move(error);
            });
        return answer;
    }

    // Waits for the answer, then a little more so that a second call would show.
    static bool wait(const Answer& answer)
    {
        bool done = RunLoop::main().runUntil([&] { return answer.calls > 0; }, 30);
        RunLoop::main().runFor(0.05);
        return done;
    }

    std::vector<std::string> targets() const
    {
        std::vector<std::string> result;
        for (auto& request : m_server.requests())
            result.push_back(request.target);
        return result;
    }

    std::mutex m_mutex;
    std::map<std::string, TestHTTPResponse> m_routes;
    LoopbackHTTPServer m_server { [this](const TestHTTPRequest& request) {
        std::lock_guard lock(m_mutex);
        auto found = m_routes.find(request.target);
        return found != m_routes.end() ? found->second : reply("text/plain", "not here", 404);
    } };
    std::string m_folder;
    std::unique_ptr<Bundle> m_bundle;
    std::unique_ptr<VornickTextPatternRecognizer> m_recognizer;
    std::shared_ptr<VornickOEmbedAgent> m_agent;
};

TEST_F(OEmbedAgentTest, FindsTheEndpointByThePagesLinkAndAnswersLaterRequestsFromTheCache)
{
    // The first link is not an alternate; the second names the endpoint
    // relative to the page, with its query items as pages write them.
    route("/post", reply("text/html; charset=utf-8", R"(<!DOCTYPE html><html><head>
        <link rel="stylesheet" type="application/json+oembed" href="/wrong">
        <link rel="alternate" type="application/json+oembed" href="">
        <link rel="alternate" type="application/json+oembed" href="/oembed/1.0/embed?url=post&#038;maxwidth=300">
        <link rel="alternate" type="text/xml+oembed" href="/oembed/1.0/embed?format=xml">
        </head><body>A post</body></html>)"));
    route("/oembed/1.0/embed?url=post&maxwidth=300", reply("application/json", videoInstructions));

    auto answer = request("/post", 640, 480);
    ASSERT_TRUE(wait(*answer));
    EXPECT_EQ(answer->calls, 1);
    EXPECT_TRUE(answer->onMainThread);
    ASSERT_TRUE(answer->object) << answer->error;
    EXPECT_EQ(answer->object->at(u"type").stringValue(), u"video");
    // The page's own size choices stand: nothing is added to its endpoint.
    EXPECT_EQ(targets(), (std::vector<std::string> { "/post", "/oembed/1.0/embed?url=post&maxwidth=300" }));
    for (auto& sent : m_server.requests())
        EXPECT_EQ(sent.header("User-Agent"), toUTF8(VornickBlogServiceAgent::userAgent()));
    EXPECT_EQ(VornickBlogServiceAgent::userAgent().rfind(u"Brevanton/", 0), 0u);

    // Other sizes for the same URL: the cached object, at once on the main thread.
    auto cached = request("/post", 100, 0);
    EXPECT_EQ(cached->calls, 1);
    ASSERT_TRUE(cached->object);
    EXPECT_EQ(*cached->object, *answer->object);
    EXPECT_EQ(m_server.requestCount(), 2u);

    // Off the main thread the cached object goes through the main queue.
    auto fromWorker = std::make_shared<Answer>();
    std::thread worker([&] {
        m_agent->requestEmbeddingInstructionsForURL(*URL::create(m_server.url("/post")), 0, 0, [fromWorker](std::optional<Dictionary> object, Error error) {
            ++fromWorker->calls;
            fromWorker->onMainThread = RunLoop::isMainThread();
            fromWorker->object = std::move(object);
            fromWorker->error = std::move(error);
        });
    });
    worker.join();
    EXPECT_EQ(fromWorker->calls, 0);
    ASSERT_TRUE(wait(*fromWorker));
    EXPECT_EQ(fromWorker->calls, 1);
    EXPECT_TRUE(fromWorker->onMainThread);
    EXPECT_TRUE(fromWorker->object);
    EXPECT_EQ(m_server.requestCount(), 2u);

    EXPECT_EQ(m_agent->responseCache().name(), u"oEmbed responseCache");
    EXPECT_EQ(m_agent->responseCache().countLimit(), 32u);
}

TEST_F(OEmbedAgentTest, AsksTheMatchingProviderWithTheItemsURLFormatAndSizes)
{
    // No usable link: the provider table's endpoint is asked, its own query replaced.
    route("/video/42", reply("text/html", R"(<html><head><link rel="alternative" type="application/json+oembed" href="/unused"></head></html>)"));
    route("/video/7", reply("text/html", "<p>A video</p>"));
    std::string sized = "/provider?url=http://127.0.0.1:" + std::to_string(m_server.port()) + "/video/42&format=json&maxwidth=640&maxheight=480";
    std::string unsized = "/provider?url=http://127.0.0.1:" + std::to_string(m_server.port()) + "/video/7&format=json";
    route(sized, reply("application/json", videoInstructions));
    route(unsized, reply("application/json; charset=utf-8", R"({"type":"rich"})"));

    auto answer = request("/video/42", 640, 480);
    ASSERT_TRUE(wait(*answer));
    EXPECT_EQ(answer->calls, 1);
    ASSERT_TRUE(answer->object) << answer->error;
    EXPECT_EQ(targets().back(), sized);

    auto unsizedAnswer = request("/video/7", 0, 0);
    ASSERT_TRUE(wait(*unsizedAnswer));
    ASSERT_TRUE(unsizedAnswer->object) << unsizedAnswer->error;
    EXPECT_EQ(unsizedAnswer->object->at(u"type").stringValue(), u"rich");
    EXPECT_EQ(targets().back(), unsized);
    EXPECT_EQ(m_server.requestCount(), 4u);
    for (auto& sent : m_server.requests())
        EXPECT_EQ(sent.header("User-Agent"), toUTF8(VornickBlogServiceAgent::userAgent()));
}

TEST_F(OEmbedAgentTest, ItemURLsWithQueriesStayOneQueryItem)
{
    // The item's own "&" and "=" must not split the request's "url" item.
    auto recognizerFolder = *createTemporaryDirectory("oembed-agent-query");
    ASSERT_TRUE(writeFileAtomically(recognizerFolder + "/VornickTextPatterns.json", R"([
        { "patterns": [ "^)" + m_server.url("/watch?v={id}") + R"(" ], "oEmbedEndpointURLString": ")" + m_server.url("/provider") + R"(" }
    ])"));
    Bundle bundle(recognizerFolder);
    VornickTextPatternRecognizer recognizer(bundle);
    auto agent = VornickOEmbedAgent::create(URLSession::create(), recognizer);

    route("/watch?v=abc&t=10", reply("text/html", "<p>A video</p>"));
    std::optional<URL> discovered;
    int calls = 0;
    agent->discoverOEmbedRequestURLForItemSourceURL(*URL::create(m_server.url("/watch?v=abc&t=10")), 0, 0,
        [&](std::optional<URL> requestURL, Error error) {
            ++calls;
            EXPECT_TRUE(error.isEmpty()) << error;
            discovered = std::move(requestURL);
        });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return calls > 0; }, 30));
    ASSERT_TRUE(discovered);
    EXPECT_EQ(discovered->query(), u"url=http://127.0.0.1:" + toUTF16(std::to_string(m_server.port())) + u"/watch?v%3Dabc%26t%3D10&format=json");
    EXPECT_TRUE(removeItem(recognizerFolder));
}

TEST_F(OEmbedAgentTest, LinkAddressesStandForTheirCharacterReferences)
{
    struct Case {
        std::string href;
        std::u16string expected;
    };
    const Case cases[] = {
        { "/r?x=&#65;&#x42;&amp;y=&amp", u"/r?x=AB&y=&amp" },
        { "/r?a&b;c=&#x7e;&#0126;", u"/r?a&b;c=~~" },
        // What is no reference stays as written.
        { "/r?q=&zz;&#xG1;&", u"/r?q=&zz;&#xG1;&" },
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.href);
        route("/page", reply("text/html", R"(<link rel="alternate" type="application/json+oembed" href=")" + testCase.href + R"(">)"));
        std::optional<URL> discovered;
        int calls = 0;
        m_agent->discoverOEmbedRequestURLForItemSourceURL(*URL::create(m_server.url("/page")), 0, 0,
            [&](std::optional<URL> requestURL, Error) {
                ++calls;
                discovered = std::move(requestURL);
            });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return calls > 0; }, 30));
        ASSERT_TRUE(discovered);
        EXPECT_EQ(discovered->absoluteString(), toUTF16(m_server.url("")) + testCase.expected);
    }
}

TEST_F(OEmbedAgentTest, EveryFailureAnswersOnceWithAnErrorAndIsNotCached)
{
    route("/plain", reply("text/html", "<html><body>Nothing to embed</body></html>"));
    route("/nothing/1", reply("text/html", "<p>A provider without an endpoint</p>"));
    route("/text", reply("text/plain", "not a page"));
    route("/gone", reply("text/html", "<p>gone</p>", 410));

    struct Case {
        std::string path;
        std::string domain;
        int64_t code;
    };
    const Case cases[] = {
        { "/plain", VornickErrorDomain, VornickOEmbedEndpointNotFoundError },
        { "/nothing/1", VornickErrorDomain, VornickOEmbedEndpointNotFoundError },
        { "/text", VornickErrorDomain, VornickFetchNotHTMLError },
        { "/gone", VornickHTTPErrorDomain, 410 },
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.path);
        auto answer = request(testCase.path);
        ASSERT_TRUE(wait(*answer));
        EXPECT_EQ(answer->calls, 1);
        EXPECT_TRUE(answer->onMainThread);
        EXPECT_FALSE(answer->object);
        EXPECT_TRUE(answer->error.is(testCase.domain, testCase.code)) << answer->error;
    }
    EXPECT_EQ(m_agent->responseCache().count(), 0u);

    // A page or an endpoint that sends without end is cut off at the limit
    // of an embedding reply, and the message says so.
    TestHTTPResponse endless = reply("text/html", "<p>more</p>");
    endless.generatedBodyBytes = TestHTTPResponse::endlessBody;
    route("/endless", endless);
    route("/endless-endpoint", reply("text/html", R"(<link rel="alternate" type="application/json+oembed" href="/endless.json">)"));
    endless.headers = { { "Content-Type", "application/json" } };
    route("/endless.json", endless);
    for (const char* path : { "/endless", "/endless-endpoint" }) {
        SCOPED_TRACE(path);
        auto answer = request(path);
        ASSERT_TRUE(wait(*answer));
        EXPECT_EQ(answer->calls, 1);
        EXPECT_TRUE(answer->error.is(URLErrorDomain, URLErrorDataLengthExceedsMaximum)) << answer->error;
        EXPECT_NE(toUTF8(answer->error.localizedDescription()).find("is larger than 8 MB, the most an embedding reply may have"),
            std::string::npos) << answer->error;
    }
}

TEST_F(OEmbedAgentTest, EndpointRepliesOtherThanAJSONObjectFail)
{
    auto page = [](const std::string& endpoint) {
        return reply("text/html", R"(<link rel="alternate" type="application/json+oembed" href=")" + endpoint + R"(">)");
    };
    route("/array", page("/array.json"));
    route("/array.json", reply("application/json", R"([{"type":"video"}])"));
    route("/broken", page("/broken.json"));
    route("/broken.json", reply("application/json", R"({"type":)"));
    route("/html", page("/html.json"));
    route("/html.json", reply("text/html", "<p>an error page</p>"));
    route("/failing", page("/failing.json"));
    route("/failing.json", reply("application/json", R"({"code":"oembed_invalid_url"})", 404));

    auto array = request("/array");
    ASSERT_TRUE(wait(*array));
    EXPECT_EQ(array->calls, 1);
    EXPECT_TRUE(array->onMainThread);
    EXPECT_FALSE(array->object);
    ASSERT_TRUE(array->error.is(VornickErrorDomain, VornickReplyNotADictionaryError)) << array->error;
    EXPECT_TRUE(array->error.userInfo().at(VornickOEmbedJSONObjectKey).isArray());
    EXPECT_EQ(array->error.userInfo().at(VornickOEmbedResponseKey).dictionary().at(u"statusCode").integerValue(), 200);

    auto broken = request("/broken");
    ASSERT_TRUE(wait(*broken));
    EXPECT_EQ(broken->calls, 1);
    EXPECT_FALSE(broken->object);
    EXPECT_FALSE(broken->error.isEmpty());

    auto html = request("/html");
    ASSERT_TRUE(wait(*html));
    EXPECT_TRUE(html->error.is(VornickErrorDomain, VornickFetchNotJSONError)) << html->error;

    auto failing = request("/failing");
    ASSERT_TRUE(wait(*failing));
    EXPECT_TRUE(failing->error.is(VornickHTTPErrorDomain, 404)) << failing->error;

    // Failures are not kept: asking again asks the server again.
    EXPECT_EQ(m_agent->responseCache().count(), 0u);
    size_t before = m_server.requestCount();
    auto again = request("/array");
    ASSERT_TRUE(wait(*again));
    EXPECT_TRUE(again->error.is(VornickErrorDomain, VornickReplyNotADictionaryError));
    EXPECT_EQ(m_server.requestCount(), before + 2);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

// Addresses a post or a page names that are not http(s) are refused before
// anything is read: a local page naming the stub's endpoint is never opened.
TEST_F(OEmbedAgentTest, OnlyWebAddressesAreFetched)
{
    route("/endpoint", reply("application/json", videoInstructions));
    std::string localPage = m_folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(localPage, R"(<link rel="alternate" type="application/json+oembed" href=")"
        + m_server.url("/endpoint") + R"(">)"));
    route("/links-to-file", reply("text/html", R"(<link rel="alternate" type="application/json+oembed" href="file://)" + localPage + R"(">)"));

    const std::string sources[] = { "file://" + localPage, "file:///dev/zero", "file:///etc/hostname",
        "data:text/html,%3Clink%20rel=alternate%3E", "ftp://127.0.0.1/page.html", m_server.url("/links-to-file") };
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        auto answer = std::make_shared<Answer>();
        m_agent->requestEmbeddingInstructionsForURL(*URL::create(source), 0, 0, [answer](std::optional<Dictionary> object, Error error) {
            ++answer->calls;
            answer->onMainThread = RunLoop::isMainThread();
            answer->object = std::move(object);
            answer->error = std::move(error);
        });
        ASSERT_TRUE(wait(*answer));
        EXPECT_EQ(answer->calls, 1);
        EXPECT_TRUE(answer->onMainThread);
        EXPECT_FALSE(answer->object);
        EXPECT_TRUE(answer->error.is(VornickErrorDomain, VornickAddressNotOnTheWebError)) << answer->error;
    }
    EXPECT_EQ(targets(), std::vector<std::string> { "/links-to-file" }) << "the local page was never read";
}

} // namespace
} // namespace brevanton
