#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLSession.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace brevanton;
using namespace brevanton::testserver;

namespace {

struct Result {
    bool done { false };
    int calls { 0 };
    std::shared_ptr<URLResponse> response;
    Error error;
};

Result load(URLRequest request)
{
    Result result;
    auto task = URLSession::shared()->dataTask(std::move(request), [&result](Data, std::shared_ptr<URLResponse> response, Error error) {
        result.calls++;
        result.done = true;
        result.response = std::move(response);
        result.error = std::move(error);
    });
    task->resume();
    Date deadline = Date::now().addingTimeInterval(30);
    while (!result.done && Date::now() < deadline)
        RunLoop::main().runOnce(0.002);
    return result;
}

TestHTTPResponse reply(int status, std::string body = {})
{
    TestHTTPResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

Data bytesOf(std::string_view text)
{
    return Data(text.begin(), text.end());
}

class LoopbackOnly {
public:
    LoopbackOnly() { URLSession::setOnlyLoopbackForTesting(true); }
    ~LoopbackOnly() { URLSession::setOnlyLoopbackForTesting(false); }
};

} // namespace

TEST(URLSessionBodyParts, PiecesAndFilesAreSentInOrderWithTheirWholeLength)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) { return reply(201); });
    std::string folder = createTemporaryDirectory("body-parts").value();
    std::string path = folder + "/picture.bin";
    std::string fileBytes;
    for (int i = 0; i < 300000; ++i)
        fileBytes.push_back(static_cast<char>(i * 7));
    std::ofstream(path, std::ios::binary) << fileBytes;

    URLRequest request(*URL::create(server.url("/upload")));
    request.setHTTPMethod(u"POST");
    request.setHTTPBodyParts({ URLRequestBodyPart::bytes(bytesOf("head|")), URLRequestBodyPart::file(path),
        URLRequestBodyPart::bytes(bytesOf("|tail")) });
    Result result = load(request);
    ASSERT_TRUE(result.error.isEmpty()) << result.error;
    ASSERT_EQ(server.requestCount(), 1u);
    TestHTTPRequest received = server.requests()[0];
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.header("Content-Length"), std::to_string(fileBytes.size() + 10));
    EXPECT_FALSE(received.hasHeader("Transfer-Encoding"));
    EXPECT_EQ(received.body, "head|" + fileBytes + "|tail");

    // A file that cannot be read fails the task before anything is sent.
    request.setHTTPBodyParts({ URLRequestBodyPart::file(folder + "/missing.bin") });
    result = load(request);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.error.is(URLErrorDomain, URLErrorFileDoesNotExist)) << result.error;
    EXPECT_EQ(server.requestCount(), 1u);

    // A redirect that keeps the method sends the whole body again.
    LoopbackHTTPServer redirecting([&](const TestHTTPRequest& request) {
        if (request.target == "/first")
            return TestHTTPResponse::redirect(307, "/second");
        return reply(200, request.body);
    });
    URLRequest redirected(*URL::create(redirecting.url("/first")));
    redirected.setHTTPMethod(u"PUT");
    redirected.setHTTPBodyParts({ URLRequestBodyPart::bytes(bytesOf("a-")), URLRequestBodyPart::file(path) });
    result = load(redirected);
    ASSERT_TRUE(result.error.isEmpty()) << result.error;
    ASSERT_EQ(redirecting.requestCount(), 2u);
    EXPECT_EQ(redirecting.requests()[1].method, "PUT");
    EXPECT_EQ(redirecting.requests()[1].body, "a-" + fileBytes);
}

TEST(URLSessionBodyParts, CredentialsStayWithTheHostTheyWereSentTo)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        if (request.target == "/start")
            return TestHTTPResponse::redirect(302, "http://localhost:" + request.header("Host").substr(request.header("Host").find(':') + 1) + "/moved");
        return reply(200);
    });
    URLRequest request(*URL::create(server.url("/start")));
    request.setValueForHTTPHeaderField(u"Basic c2VjcmV0", u"Authorization");
    Result result = load(request);
    ASSERT_TRUE(result.error.isEmpty()) << result.error;
    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.requests()[0].header("Authorization"), "Basic c2VjcmV0");
    EXPECT_FALSE(server.requests()[1].hasHeader("Authorization")) << "the redirect went to another host name";
}

TEST(URLSessionBodyParts, TheLoopbackTestSettingRefusesOtherHostsAndCountsPaths)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        if (request.target == "/away")
            return TestHTTPResponse::redirect(302, "http://192.0.2.1/elsewhere");
        return reply(200);
    });
    {
        LoopbackOnly setting;
        EXPECT_TRUE(URLSession::onlyLoopbackForTesting());
        for (auto path : { "/wp-json/wp/v2/posts?page=1", "/wp-json/wp/v2/posts?page=2", "/xmlrpc.php" })
            EXPECT_TRUE(load(URLRequest(*URL::create(server.url(path)))).error.isEmpty());
        Result refused = load(URLRequest(*URL::create(std::string("http://example.org/"))));
        EXPECT_TRUE(refused.error.is(URLErrorDomain, URLErrorCannotConnectToHost)) << refused.error;
        Result byName = load(URLRequest(*URL::create("http://localhost:" + std::to_string(server.port()) + "/named")));
        EXPECT_FALSE(byName.error.isEmpty()) << "only 127.0.0.1 itself";
        Result redirected = load(URLRequest(*URL::create(server.url("/away"))));
        EXPECT_FALSE(redirected.error.isEmpty()) << "a redirect elsewhere is refused before connecting";

        auto counts = URLSession::requestCountsByPathForTesting();
        EXPECT_EQ(counts[u"/wp-json/wp/v2/posts"], 2);
        EXPECT_EQ(counts[u"/xmlrpc.php"], 1);
        EXPECT_EQ(counts.count(u"/named"), 0u);
        URLSession::resetRequestCountsForTesting();
        EXPECT_TRUE(URLSession::requestCountsByPathForTesting().empty());
    }
    EXPECT_FALSE(URLSession::onlyLoopbackForTesting());
    EXPECT_EQ(server.requestCount(), 4u);
}
