#include "toolkit/VornickCollections.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickURLResponseDescription.h"
#include "toolkit/VornickURLSessionExtensions.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace brevanton;
using namespace brevanton::testserver;

namespace {

TestHTTPResponse reply(int status, std::string contentType, std::string body)
{
    TestHTTPResponse response;
    response.status = status;
    if (!contentType.empty())
        response.headers.emplace_back("Content-Type", contentType);
    response.body = std::move(body);
    return response;
}

// Serves fixed replies by path.
class FetchTest : public ::testing::Test {
protected:
    FetchTest()
        : server([](const TestHTTPRequest& request) {
            const std::string& path = request.target;
            if (path == "/utf8.html")
                return reply(200, "text/html; charset=utf-8", "<p>caf\xc3\xa9</p>");
            if (path == "/undeclared.html")
                return reply(200, "text/html", "<p>\xe2\x82\xac</p>");
            if (path == "/latin1.html")
                return reply(200, "text/html; charset=ISO-8859-1", "<p>caf\xe9</p>");
            if (path == "/sjis.html")
                return reply(200, "text/html; charset=Shift_JIS", "<p>\x93\xfa\x96\x7b</p>");
            if (path == "/bad-utf8.html")
                return reply(200, "text/html; charset=utf-8", "<p>caf\xe9</p>");
            if (path == "/unknown-charset.html")
                return reply(200, "text/html; charset=x-no-such-charset", "<p>x</p>");
            if (path == "/empty.html")
                return reply(200, "text/html", "");
            if (path == "/plain.txt")
                return reply(200, "text/plain", "plain");
            if (path == "/missing")
                return reply(404, "text/html", "<p>gone</p>");
            if (path == "/post.json")
                return reply(200, "application/json; charset=UTF-8", "{\"id\":7,\"title\":\"caf\xc3\xa9\"}");
            if (path == "/broken.json")
                return reply(200, "application/json", "{\"id\":");
            if (path == "/empty.json")
                return reply(200, "application/json", "");
            if (path == "/forbidden.json")
                return reply(403, "application/json", "{\"code\":\"rest_forbidden\"}");
            return reply(200, "text/html", "<p>html</p>");
        })
    {
    }

    URL url(const std::string& path) { return *URL::create(server.url(path)); }

    template<typename Result>
    struct Outcome {
        bool done { false };
        Result result;
        std::shared_ptr<HTTPURLResponse> response;
        Error error;
    };

    Outcome<std::optional<std::u16string>> fetchHTML(const std::string& path)
    {
        Outcome<std::optional<std::u16string>> outcome;
        auto task = vornick_htmlStringFetchTaskWithURL(*URLSession::shared(), url(path), [&](auto text, auto response, Error error) {
            outcome = { true, std::move(text), std::move(response), std::move(error) };
        });
        EXPECT_EQ(task->state(), URLSessionTask::State::Suspended) << "the caller resumes the task";
        task->resume();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
        return outcome;
    }

    Outcome<std::optional<Value>> fetchJSON(const std::string& path)
    {
        Outcome<std::optional<Value>> outcome;
        vornick_jsonObjectFetchTaskWithURL(*URLSession::shared(), url(path), [&](auto object, auto response, Error error) {
            outcome = { true, std::move(object), std::move(response), std::move(error) };
        })->resume();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
        return outcome;
    }

    Outcome<Data> fetchData(const URL& target)
    {
        Outcome<Data> outcome;
        vornick_httpDataFetchTaskWithURL(*URLSession::shared(), target, [&](Data data, auto response, Error error) {
            outcome = { true, std::move(data), std::move(response), std::move(error) };
        })->resume();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return outcome.done; }, 30));
        return outcome;
    }

    LoopbackHTTPServer server;
};

} // namespace

TEST_F(FetchTest, DataFetchTurnsFailingStatusesAndOtherResponsesIntoErrors)
{
    auto ok = fetchData(url("/plain.txt"));
    EXPECT_TRUE(ok.error.isEmpty());
    EXPECT_EQ(std::string(ok.result.begin(), ok.result.end()), "plain");
    ASSERT_NE(ok.response, nullptr);

    auto missing = fetchData(url("/missing"));
    EXPECT_EQ(std::string(missing.result.begin(), missing.result.end()), "<p>gone</p>") << "the body comes with the error";
    ASSERT_NE(missing.response, nullptr);
    EXPECT_EQ(missing.response->statusCode(), 404);
    EXPECT_TRUE(missing.error.is(VornickHTTPErrorDomain, 404));
    EXPECT_EQ(missing.error.userInfo().at(VornickFetchURLKey), Value(u16(server.url("/missing"))));
    EXPECT_EQ(missing.error.userInfo().at(VornickFetchResponseKey)[u"statusCode"], Value(404));

    char directory[] = "/tmp/brevanton-fetch-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    std::string path = std::string(directory) + "/local.html";
    std::ofstream(path) << "<p>file</p>";
    auto local = fetchData(URL::fileURLWithPath(path));
    EXPECT_TRUE(local.error.is(VornickErrorDomain, VornickFetchResponseNotHTTPError)) << local.error;
    EXPECT_EQ(local.response, nullptr);
    EXPECT_EQ(std::string(local.result.begin(), local.result.end()), "<p>file</p>");
    unlink(path.c_str());
    rmdir(directory);
}

TEST_F(FetchTest, HTMLFetchDecodesByTheDeclaredCharset)
{
    EXPECT_EQ(fetchHTML("/utf8.html").result, u"<p>caf\u00e9</p>");
    EXPECT_EQ(fetchHTML("/undeclared.html").result, u"<p>\u20ac</p>") << "UTF-8 when no charset is declared";
    EXPECT_EQ(fetchHTML("/latin1.html").result, u"<p>caf\u00e9</p>");
    EXPECT_EQ(fetchHTML("/sjis.html").result, u"<p>\u65e5\u672c</p>");

    // Text that its charset cannot decode is an error, never a silent nothing.
    auto bad = fetchHTML("/bad-utf8.html");
    EXPECT_EQ(bad.result, std::nullopt);
    EXPECT_TRUE(bad.error.is(CocoaErrorDomain, VornickInapplicableStringEncodingError)) << bad.error;
    EXPECT_TRUE(bad.error.userInfo().count(VornickFetchURLKey));
    auto unknown = fetchHTML("/unknown-charset.html");
    EXPECT_EQ(unknown.result, std::nullopt);
    EXPECT_TRUE(unknown.error.is(CocoaErrorDomain, VornickUnknownStringEncodingError)) << unknown.error;
}

TEST_F(FetchTest, HTMLFetchChecksTypeDataAndStatus)
{
    auto empty = fetchHTML("/empty.html");
    EXPECT_TRUE(empty.error.is(VornickErrorDomain, VornickFetchNoDataError));
    EXPECT_NE(empty.response, nullptr);
    auto plain = fetchHTML("/plain.txt");
    EXPECT_TRUE(plain.error.is(VornickErrorDomain, VornickFetchNotHTMLError));
    EXPECT_EQ(plain.result, std::nullopt);
    auto missing = fetchHTML("/missing");
    EXPECT_TRUE(missing.error.is(VornickHTTPErrorDomain, 404));
    EXPECT_EQ(missing.result, std::nullopt);
}

TEST_F(FetchTest, JSONFetchParsesOrPassesTheFailureOn)
{
    auto post = fetchJSON("/post.json");
    ASSERT_TRUE(post.result.has_value()) << post.error;
    EXPECT_EQ((*post.result)[u"id"], Value(7));
    EXPECT_EQ((*post.result)[u"title"], Value(u"caf\u00e9"));

    EXPECT_TRUE(fetchJSON("/broken.json").error.is(CocoaErrorDomain, JSONReadingError));
    EXPECT_TRUE(fetchJSON("/empty.json").error.is(VornickErrorDomain, VornickFetchNoDataError));
    EXPECT_TRUE(fetchJSON("/utf8.html").error.is(VornickErrorDomain, VornickFetchNotJSONError));
    auto forbidden = fetchJSON("/forbidden.json");
    EXPECT_TRUE(forbidden.error.is(VornickHTTPErrorDomain, 403));
    EXPECT_EQ(forbidden.result, std::nullopt);
}

TEST_F(FetchTest, ResponsesDescribeThemselvesOnOneLine)
{
    auto ok = fetchData(url("/utf8.html"));
    ASSERT_NE(ok.response, nullptr);
    std::u16string line = vornick_splat(*ok.response);
    EXPECT_EQ(line.find(u"{HTTPURLResponse: URL=" + u16(server.url("/utf8.html")) + u", suggestedFilename=utf8.html, "
                        u"MIMEType=text/html, textEncodingName=utf-8, expectedContentLength=12, statusCode=200 (no error), allHeaderFields="),
              0u) << toUTF8(line);
    EXPECT_NE(line.find(u"Content-Type = text/html; charset=utf-8}}"), std::u16string::npos) << toUTF8(line);
    EXPECT_EQ(line.back(), u'}');
    EXPECT_EQ(line.find(u'\n'), std::u16string::npos);

    URLResponse local(URL::fileURLWithPath(std::string("/tmp/a.json"), false), u"", -1);
    EXPECT_EQ(vornick_splat(local), u"{URLResponse: URL=file:///tmp/a.json, suggestedFilename=a.json, MIMEType=(null), "
                                    u"textEncodingName=(null), expectedContentLength=-1}");
}
