#include "platform/net/URLProtectionSpace.h"

#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/net/URLResponse.h"

namespace brevanton {

namespace {

URLAuthenticationMethod methodOfWWWAuthenticate(std::u16string_view value)
{
    size_t start = value.find_first_not_of(u" \t");
    if (start == std::u16string_view::npos)
        return URLAuthenticationMethod::Other;
    value.remove_prefix(start);
    std::u16string_view scheme = value.substr(0, value.find_first_of(u" \t,"));
    if (equalsIgnoringASCIICase(scheme, u"Basic"))
        return URLAuthenticationMethod::HTTPBasic;
    if (equalsIgnoringASCIICase(scheme, u"Digest"))
        return URLAuthenticationMethod::HTTPDigest;
    return URLAuthenticationMethod::Other;
}

} // namespace

std::u16string_view nameOfURLAuthenticationMethod(URLAuthenticationMethod method)
{
    switch (method) {
    case URLAuthenticationMethod::ServerTrust: return u"ServerTrust";
    case URLAuthenticationMethod::HTTPBasic: return u"HTTPBasic";
    case URLAuthenticationMethod::HTTPDigest: return u"HTTPDigest";
    case URLAuthenticationMethod::Other: break;
    }
    return u"Other";
}

std::vector<URLAuthenticationChallenge> URLAuthenticationChallenge::challengesOfLoad(const URL& url, const URLResponse* response,
                                                                                    const Error& error)
{
    std::vector<URLAuthenticationChallenge> challenges;
    // After redirects the final response tells where the load ended.
    const URL& where = response ? response->url() : url;
    std::u16string scheme = where.scheme();
    bool secure = scheme == u"https";
    URLProtectionSpace space;
    space.protocol = scheme;
    space.host = where.host().value_or(u"");
    space.port = where.port().value_or(secure ? 443 : 80);
    space.isSecure = secure;
    bool untrusted = error.is(URLErrorDomain, URLErrorServerCertificateUntrusted);
    if (secure && (response || untrusted)) {
        URLAuthenticationChallenge trust;
        trust.protectionSpace = space;
        trust.protectionSpace.authenticationMethod = URLAuthenticationMethod::ServerTrust;
        trust.serverTrustResult = untrusted ? URLServerTrustResult::Deny : URLServerTrustResult::Proceed;
        challenges.push_back(std::move(trust));
    }
    if (response && response->isHTTP()) {
        auto& http = static_cast<const HTTPURLResponse&>(*response);
        auto demand = http.valueForHTTPHeaderField(u"WWW-Authenticate");
        if (http.statusCode() == 401 && demand) {
            URLAuthenticationChallenge login;
            login.protectionSpace = space;
            login.protectionSpace.authenticationMethod = methodOfWWWAuthenticate(*demand);
            challenges.push_back(std::move(login));
        }
    }
    return challenges;
}

} // namespace brevanton
