#include "wordpress/XMLRPCConnection.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/XMLRPCConnectionDelegate.h"
#include "wordpress/XMLRPCConnectionManager.h"
#include "wordpress/XMLRPCRequest.h"
#include "wordpress/XMLRPCResponse.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testserver;

const std::string faultReply = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<methodResponse><fault><value><struct>"
                               "<member><name>faultCode</name><value><int>403</int></value></member>"
                               "<member><name>faultString</name><value><string>Incorrect username or password.</string></value></member>"
                               "</struct></value></fault></methodResponse>\n";

struct Outcome : XMLRPCConnectionDelegate {
    int calls { 0 };
    std::optional<XMLRPCResponse> response;
    Error error;
    bool takesPartInLogins { false };
    // What the delegate heard before the outcome, in order.
    std::vector<std::u16string> heard;

    bool requestCanAuthenticateAgainstProtectionSpace(XMLRPCRequest&, const URLProtectionSpace& space) override
    {
        EXPECT_EQ(calls, 0);
        heard.push_back(u"space " + std::u16string(nameOfURLAuthenticationMethod(space.authenticationMethod)));
        return takesPartInLogins;
    }
    void requestDidReceiveAuthenticationChallenge(XMLRPCRequest&, const URLAuthenticationChallenge& challenge) override
    {
        heard.push_back(u"challenge " + std::u16string(nameOfURLAuthenticationMethod(challenge.protectionSpace.authenticationMethod)));
    }

    void requestDidReceiveResponse(XMLRPCRequest&, const XMLRPCResponse& received) override
    {
        EXPECT_TRUE(RunLoop::isMainThread());
        ++calls;
        response = received;
    }
    void requestDidFailWithError(XMLRPCRequest&, const Error& failure) override
    {
        EXPECT_TRUE(RunLoop::isMainThread());
        ++calls;
        error = failure;
    }
    std::u16string body() const { return error.userInfo().contains(XMLRPCConnection::BodyKey) ? error.userInfo().at(XMLRPCConnection::BodyKey).stringValue() : u""; }
    std::u16string reason() const { return error.userInfo().contains(Error::LocalizedFailureReasonKey) ? error.userInfo().at(Error::LocalizedFailureReasonKey).stringValue() : u""; }
};

class XMLRPCConnectionTest : public ::testing::Test {
protected:
    std::shared_ptr<Outcome> call(const std::string& url, double timeout = XMLRPCRequest::defaultTimeout)
    {
        auto request = std::make_shared<XMLRPCRequest>(*URL::create(url));
        request->setMethod(u"wp.getUsersBlogs", { Value(u"ann"), Value(u"secret") });
        request->setTimeoutInterval(timeout);
        auto outcome = std::make_shared<Outcome>();
        m_outcomes.push_back(outcome);
        m_manager.spawnConnectionWithXMLRPCRequest(request, outcome);
        return outcome;
    }
    // Runs the main loop until every call was answered, then a little more
    // so that a second answer would show.
    bool waitForAll()
    {
        bool done = RunLoop::main().runUntil([&] {
            return std::all_of(m_outcomes.begin(), m_outcomes.end(), [](auto& outcome) { return outcome->calls > 0; });
        }, 30);
        RunLoop::main().runFor(0.05);
        return done;
    }

    XMLRPCConnectionManager m_manager;
    std::vector<std::shared_ptr<Outcome>> m_outcomes;
};

TEST_F(XMLRPCConnectionTest, AnswersFaultsAndFailuresOnceEach)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        if (request.target == "/ok") {
            response.body = "<?xml version=\"1.0\"?><methodResponse><params><param><value><array><data></data></array></value></param></params></methodResponse>";
        } else if (request.target == "/fault-403") {
            response.status = 403;
            response.body = faultReply;
        } else if (request.target == "/page-403") {
            response.status = 403;
            response.body = "<html><head><title>403</title></head><body><h1>Forbidden</h1> <p>XML-RPC is off.</p></body></html>";
        } else if (request.target == "/500-empty") {
            response.status = 500;
        } else if (request.target == "/200-empty") {
            response.status = 200;
        } else if (request.target == "/200-html") {
            response.body = "<html><body>Maintenance</body></html>";
        } else if (request.target == "/304") {
            response.status = 304;
        }
        return response;
    });
    auto ok = call(server.url("/ok"));
    auto fault = call(server.url("/fault-403"));
    auto page = call(server.url("/page-403"));
    auto serverError = call(server.url("/500-empty"));
    auto empty = call(server.url("/200-empty"));
    auto html = call(server.url("/200-html"));
    auto notModified = call(server.url("/304"));
    ASSERT_TRUE(waitForAll());
    for (auto& outcome : m_outcomes)
        EXPECT_EQ(outcome->calls, 1);
    EXPECT_EQ(m_manager.numberOfActiveConnections(), 0u);

    ASSERT_TRUE(ok->response);
    EXPECT_EQ(ok->response->object(), Value(Array()));
    ASSERT_TRUE(fault->response) << fault->error;
    EXPECT_EQ(fault->response->faultCode(), 403);
    EXPECT_EQ(fault->response->faultString(), u"Incorrect username or password.");

    EXPECT_TRUE(page->error.is(VornickXMLRPCHTTPStatusErrorDomain, 403)) << page->error;
    EXPECT_TRUE(page->body().starts_with(u"<html>"));
    EXPECT_EQ(page->reason(), u"Your WordPress host sent the following response body instead of an XML-RPC response object:\n\n"
                              u"403Forbidden XML-RPC is off.\n\n(END WordPress response)");
    EXPECT_TRUE(serverError->error.is(VornickXMLRPCHTTPStatusErrorDomain, 500)) << serverError->error;
    EXPECT_EQ(serverError->reason(), u"XML-RPC response has object == nil and no helpful response body");
    EXPECT_TRUE(notModified->error.is(VornickXMLRPCHTTPStatusErrorDomain, 304)) << notModified->error;
    for (auto& outcome : { empty, html }) {
        EXPECT_TRUE(outcome->error.is(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError)) << outcome->error;
        EXPECT_EQ(outcome->error.localizedDescription(), u"XML-RPC request failed");
    }
    EXPECT_EQ(html->body(), u"<html><body>Maintenance</body></html>");

    auto requests = server.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Type"), "text/xml");
    EXPECT_TRUE(requests[0].header("User-Agent").starts_with("Brevanton/"));
    EXPECT_NE(requests[0].body.find("<methodName>wp.getUsersBlogs</methodName>"), std::string::npos);
}

TEST_F(XMLRPCConnectionTest, TimeoutsResetsAndCancelsFailOnce)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        response.body = faultReply;
        // Silence lasts until the server stops; the steady answer takes
        // longer in all than the timeout, never idle for more than a fraction of it.
        if (request.target == "/silent")
            response.delayMilliseconds = 600'000;
        else if (request.target == "/steady")
            response.pieceBytes = 20, response.pieceDelayMilliseconds = 150;
        else if (request.target == "/reset")
            response.resetBeforeHeaders = true;
        else if (request.target == "/reset-midway")
            response.resetAfterBodyBytes = 20;
        return response;
    });
    auto silent = call(server.url("/silent"), 1.2);
    auto steady = call(server.url("/steady"), 1.2);
    auto reset = call(server.url("/reset"));
    auto resetMidway = call(server.url("/reset-midway"));
    auto cancelled = call(server.url("/silent"));
    auto identifiers = m_manager.activeConnectionIdentifiers();
    ASSERT_EQ(identifiers.size(), 5u);
    for (auto& identifier : identifiers) {
        if (m_manager.connectionForIdentifier(identifier)->delegate() == cancelled)
            m_manager.closeConnectionForIdentifier(identifier);
    }
    EXPECT_EQ(cancelled->calls, 0);
    ASSERT_TRUE(waitForAll());
    for (auto& outcome : m_outcomes)
        EXPECT_EQ(outcome->calls, 1);

    EXPECT_TRUE(silent->error.is(URLErrorDomain, URLErrorTimedOut)) << silent->error;
    EXPECT_NE(silent->error.localizedDescription().find(u"did not answer within"), std::u16string::npos) << silent->error;
    ASSERT_TRUE(steady->response) << steady->error;
    EXPECT_TRUE(steady->response->isFault());
    for (auto& outcome : { reset, resetMidway }) {
        EXPECT_EQ(outcome->error.domain(), URLErrorDomain) << outcome->error;
        EXPECT_FALSE(outcome->response);
    }
    EXPECT_TRUE(cancelled->error.is(URLErrorDomain, URLErrorCancelled)) << cancelled->error;
    EXPECT_EQ(m_manager.numberOfActiveConnections(), 0u);
}

TEST_F(XMLRPCConnectionTest, RedirectsCarryTheCallOnlyOnTheSameHost)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        if (request.target == "/moved")
            return TestHTTPResponse::redirect(301, "/blog/xmlrpc.php");
        if (request.target == "/elsewhere")
            return TestHTTPResponse::redirect(307, "http://localhost:1/xmlrpc.php");
        TestHTTPResponse response;
        response.body = request.method == "POST" && request.body.find("secret") != std::string::npos ? faultReply : std::string("GET?");
        return response;
    });
    auto moved = call(server.url("/moved"));
    auto elsewhere = call(server.url("/elsewhere"));
    ASSERT_TRUE(waitForAll());

    ASSERT_TRUE(moved->response) << moved->error;
    EXPECT_EQ(moved->response->faultCode(), 403);
    EXPECT_TRUE(elsewhere->error.is(VornickXMLRPCHTTPStatusErrorDomain, 307)) << elsewhere->error;
    EXPECT_EQ(elsewhere->error.userInfo().at(XMLRPCConnection::LocationKey), Value(u"http://localhost:1/xmlrpc.php"));
    EXPECT_EQ(server.requestCount(), 3u);
    EXPECT_EQ(moved->calls + elsewhere->calls, 2);
}

TEST_F(XMLRPCConnectionTest, AnHTTPLoginIsToldToTheDelegateAndNeverAnswered)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.status = 401;
        response.headers.emplace_back("WWW-Authenticate", "Basic realm=\"private\"");
        response.body = "<html><body>Log in first</body></html>";
        return response;
    });
    auto declines = call(server.url("/xmlrpc.php"));
    auto takesPart = call(server.url("/xmlrpc.php"));
    takesPart->takesPartInLogins = true;
    ASSERT_TRUE(waitForAll());

    EXPECT_EQ(declines->heard, (std::vector<std::u16string> { u"space HTTPBasic" }));
    EXPECT_EQ(takesPart->heard, (std::vector<std::u16string> { u"space HTTPBasic", u"challenge HTTPBasic" }));
    for (auto& outcome : { declines, takesPart }) {
        EXPECT_EQ(outcome->calls, 1);
        EXPECT_TRUE(outcome->error.is(VornickXMLRPCHTTPStatusErrorDomain, 401)) << outcome->error;
    }
    // No second request carried a login.
    EXPECT_EQ(server.requestCount(), 2u);
    for (auto& request : server.requests())
        EXPECT_EQ(request.header("Authorization"), "");
}

TEST(XMLRPCSynchronousCallTest, AnswersTheReplyOnlyWhenItCameWithBytesAndWithoutRefusal)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        TestHTTPResponse response;
        if (request.target == "/ok")
            response.body = "<?xml version=\"1.0\"?><methodResponse><params><param><value><int>7</int></value></param></params></methodResponse>";
        else if (request.target == "/fault-403")
            response.status = 403, response.body = faultReply;
        else if (request.target == "/page-500")
            response.status = 500, response.body = "<html><body>Broken</body></html>";
        else if (request.target == "/html")
            response.body = "<html><body>Maintenance</body></html>";
        else if (request.target == "/moved")
            return TestHTTPResponse::redirect(301, "http://localhost:1/xmlrpc.php");
        return response;
    });
    struct Case {
        const char* target;
        bool answered;
        std::optional<Value> object;
        std::string errorDomain;
        int64_t errorCode;
    };
    const Case cases[] = {
        { "/ok", true, Value(int64_t(7)), "", 0 },
        { "/html", true, std::nullopt, "", 0 },
        { "/fault-403", false, std::nullopt, VornickXMLRPCHTTPStatusErrorDomain, 403 },
        { "/page-500", false, std::nullopt, VornickXMLRPCHTTPStatusErrorDomain, 500 },
        { "/empty", false, std::nullopt, VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError },
        // Not followed: the reply is the redirect's own empty body.
        { "/moved", false, std::nullopt, VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.target);
        XMLRPCRequest request(*URL::create(server.url(test.target)));
        request.setMethod(u"demo.answer", {});
        Error error;
        auto response = XMLRPCConnection::sendSynchronousXMLRPCRequest(request, &error);
        ASSERT_EQ(static_cast<bool>(response), test.answered) << error;
        if (response) {
            EXPECT_EQ(response->hasObject(), test.object.has_value());
            if (test.object) {
                EXPECT_EQ(response->object(), *test.object);
            }
        } else {
            EXPECT_TRUE(error.is(test.errorDomain, test.errorCode)) << error;
        }
    }
    XMLRPCRequest unreachable(*URL::create("http://127.0.0.1:1/xmlrpc.php"));
    Error error;
    EXPECT_FALSE(XMLRPCConnection::sendSynchronousXMLRPCRequest(unreachable, &error));
    EXPECT_EQ(error.domain(), URLErrorDomain) << error;
    EXPECT_EQ(server.requestCount(), 6u);
}

TEST_F(XMLRPCConnectionTest, ADelegateThatIsGoneHearsNothing)
{
    LoopbackHTTPServer server([](const TestHTTPRequest&) {
        TestHTTPResponse response;
        response.body = faultReply;
        return response;
    });
    std::weak_ptr<Outcome> gone = call(server.url("/"));
    m_outcomes.clear();
    EXPECT_TRUE(gone.expired());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_manager.numberOfActiveConnections() == 0; }, 30));
}

} // namespace
} // namespace brevanton
