#include "platform/net/URLProtectionSpace.h"

#include "platform/net/URLError.h"
#include "platform/net/URLResponse.h"

#include <gtest/gtest.h>

#include <memory>

namespace brevanton {
namespace {

std::shared_ptr<URLResponse> httpResponse(const std::string& url, int status, std::u16string wwwAuthenticate = {})
{
    HTTPHeaderFields fields;
    if (!wwwAuthenticate.empty())
        fields.set(u"WWW-Authenticate", wwwAuthenticate);
    return std::make_shared<HTTPURLResponse>(*URL::create(url), status, std::move(fields));
}

TEST(URLProtectionSpaceTest, ALoadMeetsTheServersTrustAndTheLoginsItAskedFor)
{
    struct Case {
        const char* name;
        std::string url;
        std::shared_ptr<URLResponse> response;
        Error error;
        // Method names of the challenges, in order; trust results of the ServerTrust one.
        std::vector<std::u16string> methods;
        URLServerTrustResult trust { URLServerTrustResult::Proceed };
        int64_t port { 0 };
    };
    const Case cases[] = {
        { "https answered", "https://blog.example/xmlrpc.php", httpResponse("https://blog.example/xmlrpc.php", 200), {}, { u"ServerTrust" },
          URLServerTrustResult::Proceed, 443 },
        { "certificate refused", "https://blog.example:8443/xmlrpc.php", nullptr,
          Error(URLErrorDomain, URLErrorServerCertificateUntrusted, u"untrusted"), { u"ServerTrust" }, URLServerTrustResult::Deny, 8443 },
        { "https never reached", "https://blog.example/xmlrpc.php", nullptr, Error(URLErrorDomain, URLErrorCannotConnectToHost, u"refused"),
          {}, URLServerTrustResult::Proceed, 0 },
        { "plain http", "http://blog.example/xmlrpc.php", httpResponse("http://blog.example/xmlrpc.php", 200), {}, {},
          URLServerTrustResult::Proceed, 0 },
        { "http login", "http://blog.example/xmlrpc.php", httpResponse("http://blog.example/xmlrpc.php", 401, u"Basic realm=\"wp\""), {},
          { u"HTTPBasic" }, URLServerTrustResult::Proceed, 80 },
        { "https digest login", "https://blog.example/xmlrpc.php",
          httpResponse("https://blog.example/xmlrpc.php", 401, u" digest realm=\"wp\", nonce=\"1\""), {}, { u"ServerTrust", u"HTTPDigest" },
          URLServerTrustResult::Proceed, 443 },
        { "401 naming no login", "http://blog.example/xmlrpc.php", httpResponse("http://blog.example/xmlrpc.php", 401), {}, {},
          URLServerTrustResult::Proceed, 0 },
        { "403 with a login header", "http://blog.example/xmlrpc.php",
          httpResponse("http://blog.example/xmlrpc.php", 403, u"Basic realm=\"wp\""), {}, {}, URLServerTrustResult::Proceed, 0 },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto challenges = URLAuthenticationChallenge::challengesOfLoad(*URL::create(test.url), test.response.get(), test.error);
        ASSERT_EQ(challenges.size(), test.methods.size());
        for (size_t i = 0; i < challenges.size(); ++i) {
            const auto& space = challenges[i].protectionSpace;
            EXPECT_EQ(nameOfURLAuthenticationMethod(space.authenticationMethod), test.methods[i]);
            EXPECT_EQ(space.host, u"blog.example");
            EXPECT_EQ(space.port, test.port);
            EXPECT_EQ(space.isSecure, test.url.starts_with("https:"));
            EXPECT_FALSE(space.isProxy);
            if (space.authenticationMethod == URLAuthenticationMethod::ServerTrust) {
                EXPECT_EQ(challenges[i].serverTrustResult, test.trust);
            }
        }
    }
}

} // namespace
} // namespace brevanton
