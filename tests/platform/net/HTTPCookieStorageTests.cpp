#include "platform/foundation/Date.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLSession.h"
#include "tests/platform/net/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

using namespace brevanton;
using namespace brevanton::testserver;

namespace {

URL url(const std::string& string)
{
    return *URL::create(std::string_view(string));
}

HTTPCookie cookie(const char16_t* name, const char16_t* domain, const char16_t* path = u"/")
{
    HTTPCookie made;
    made.name = name;
    made.value = u"v";
    made.domain = domain;
    made.path = path;
    return made;
}

std::vector<std::u16string> names(const std::vector<HTTPCookie>& cookies)
{
    std::vector<std::u16string> result;
    for (auto& each : cookies)
        result.push_back(each.name);
    return result;
}

// Loads the URL in the session and waits for the answer.
void load(URLSession& session, URLRequest request)
{
    bool done = false;
    auto task = session.dataTask(std::move(request), [&](Data, std::shared_ptr<URLResponse>, Error) { done = true; });
    task->resume();
    Date deadline = Date::now().addingTimeInterval(30);
    while (!done && Date::now() < deadline)
        RunLoop::main().runOnce(0.002);
    ASSERT_TRUE(done);
}

} // namespace

TEST(HTTPCookieStorageTests, MatchesHostPathAndSecurity)
{
    auto storage = HTTPCookieStorage::create();
    storage->setCookie(cookie(u"root", u"site.example"));
    storage->setCookie(cookie(u"admin", u"site.example", u"/wp-admin"));
    auto domain = cookie(u"domain", u"example.org");
    domain.hostOnly = false;
    storage->setCookie(domain);
    auto secure = cookie(u"secure", u"site.example");
    secure.secure = true;
    storage->setCookie(secure);

    EXPECT_EQ(names(storage->cookiesForURL(url("http://site.example/wp-admin/edit.php"))),
              (std::vector<std::u16string> { u"admin", u"root" }));
    EXPECT_EQ(names(storage->cookiesForURL(url("https://SITE.example/"))), (std::vector<std::u16string> { u"root", u"secure" }));
    // "/wp-administrator" is not inside "/wp-admin"; a host-only cookie skips subdomains.
    EXPECT_EQ(names(storage->cookiesForURL(url("http://site.example/wp-administrator"))), std::vector<std::u16string> { u"root" });
    EXPECT_TRUE(storage->cookiesForURL(url("http://www.site.example/")).empty());
    EXPECT_TRUE(storage->cookiesForURL(url("http://evilsite.example/")).empty());
    EXPECT_EQ(names(storage->cookiesForURL(url("http://blog.example.org/x"))), std::vector<std::u16string> { u"domain" });
    EXPECT_TRUE(storage->cookiesForURL(url("http://badexample.org/")).empty());
    EXPECT_TRUE(storage->cookiesForURL(url("file:///site.example/")).empty());

    // Same key replaces; an expired cookie removes.
    auto replaced = cookie(u"root", u"site.example");
    replaced.value = u"new";
    storage->setCookie(replaced);
    EXPECT_EQ(storage->cookiesForURL(url("http://site.example/"))[0].value, u"new");
    replaced.expires = 1;
    storage->setCookie(replaced);
    EXPECT_EQ(names(storage->cookiesForURL(url("http://site.example/"))), std::vector<std::u16string> {});
}

TEST(HTTPCookieStorageTests, NetscapeLinesRoundTripAndRejectJunk)
{
    auto original = cookie(u"wordpress_logged_in_abc", u"127.0.0.1", u"/blog");
    original.value = u"user|123|x%7Cy";
    original.httpOnly = true;
    original.secure = true;
    original.expires = 2000000000;
    EXPECT_EQ(HTTPCookie::fromNetscapeLine(original.netscapeLine()), original);
    auto domainCookie = cookie(u"d", u"example.org");
    domainCookie.hostOnly = false;
    EXPECT_EQ(HTTPCookie::fromNetscapeLine(domainCookie.netscapeLine()), domainCookie);
    EXPECT_FALSE(HTTPCookie::fromNetscapeLine("# Netscape HTTP Cookie File"));
    EXPECT_FALSE(HTTPCookie::fromNetscapeLine("site\tFALSE\t/\tFALSE\tsoon\tn\tv"));
    EXPECT_FALSE(HTTPCookie::fromNetscapeLine("site\tFALSE\t/"));
}

TEST(HTTPCookieStorageTests, SessionKeepsReceivedCookiesAndSendsThemBack)
{
    LoopbackHTTPServer server([](const TestHTTPRequest& request) {
        if (request.target == "/wp-login.php") {
            // The login answers with a redirect that sets the cookies.
            auto response = TestHTTPResponse::redirect(302, "/wp-admin/");
            response.headers.emplace_back("Set-Cookie", "wordpress_test_cookie=WP%20Cookie%20check; path=/");
            response.headers.emplace_back("Set-Cookie", "wordpress_logged_in_x=alice%7C1; path=/; HttpOnly");
            response.headers.emplace_back("Set-Cookie", "wp-settings=1; path=/wp-admin");
            return response;
        }
        if (request.target == "/logout") {
            TestHTTPResponse response;
            response.headers.emplace_back("Set-Cookie", "wordpress_logged_in_x=; expires=Thu, 01 Jan 1970 00:00:01 GMT; path=/");
            return response;
        }
        return TestHTTPResponse {};
    });
    auto session = URLSession::create();
    auto storage = HTTPCookieStorage::create();
    session->setHTTPCookieStorage(storage);

    URLRequest login(url(server.url("/wp-login.php")));
    login.setHTTPMethod(u"POST");
    load(*session, login);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    // The redirect already carries the cookies its answer set.
    EXPECT_NE(requests[1].header("Cookie").find("wordpress_logged_in_x=alice%7C1"), std::string::npos);
    EXPECT_NE(requests[1].header("Cookie").find("wp-settings=1"), std::string::npos);

    EXPECT_EQ(names(storage->cookiesForURL(url(server.url("/")))),
              (std::vector<std::u16string> { u"wordpress_test_cookie", u"wordpress_logged_in_x" }));
    EXPECT_EQ(storage->cookiesForURL(url(server.url("/wp-admin/x")))[0].name, u"wp-settings");

    load(*session, URLRequest(url(server.url("/2024/hello/"))));
    auto later = server.requests().back().header("Cookie");
    EXPECT_NE(later.find("wordpress_logged_in_x=alice%7C1"), std::string::npos);
    EXPECT_EQ(later.find("wp-settings"), std::string::npos);

    // A request with its own credentials carries none of the stored cookies.
    URLRequest authorized(url(server.url("/wp-json/wp/v2/posts")));
    authorized.setValueForHTTPHeaderField(u"Basic eDp5", u"Authorization");
    load(*session, authorized);
    EXPECT_FALSE(server.requests().back().hasHeader("Cookie"));
    EXPECT_EQ(storage->cookies().size(), 3u);

    // The server's expiry removes the cookie.
    load(*session, URLRequest(url(server.url("/logout"))));
    EXPECT_EQ(names(storage->cookiesForURL(url(server.url("/")))), std::vector<std::u16string> { u"wordpress_test_cookie" });

    // A session without storage sends and keeps nothing.
    session->setHTTPCookieStorage(nullptr);
    load(*session, login);
    EXPECT_FALSE(server.requests().back().hasHeader("Cookie"));
    EXPECT_EQ(storage->cookies().size(), 2u);
}
