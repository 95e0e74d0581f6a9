// URLProtectionSpace: where a load met a demand for proof: the server's
// certificate (its trust, which every TLS handshake checks) or a login an
// HTTP server asked for with 401 and "WWW-Authenticate". The session
// settles both itself (trust is verified, HTTP logins are never answered);
// a client that keeps a record of its connections learns of them from
// URLAuthenticationChallenge::challengesOfLoad once the load ended.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class URLResponse;

enum class URLAuthenticationMethod { ServerTrust, HTTPBasic, HTTPDigest, Other };

// "ServerTrust", "HTTPBasic", "HTTPDigest", "Other".
std::u16string_view nameOfURLAuthenticationMethod(URLAuthenticationMethod);

struct URLProtectionSpace {
    URLAuthenticationMethod authenticationMethod { URLAuthenticationMethod::Other };
    // The URL's scheme ("https").
    std::u16string protocol;
    std::u16string host;
    // The URL's port, else the scheme's (443, 80).
    int64_t port { 0 };
    // Whether a credential would travel encrypted.
    bool isSecure { false };
    bool isProxy { false };
};

// How the server's certificate fared: Proceed when it was trusted, Deny
// when it was refused (the load then failed with
// URLErrorServerCertificateUntrusted).
enum class URLServerTrustResult { Proceed, Deny };

struct URLAuthenticationChallenge {
    URLProtectionSpace protectionSpace;
    // For a ServerTrust space only.
    URLServerTrustResult serverTrustResult { URLServerTrustResult::Proceed };

    // The challenges a load of `url` met, in the order they came: the
    // server's trust for an https address whose handshake took place (a
    // response came, or the certificate was refused), then an HTTP login
    // for a 401 response naming one.
    static std::vector<URLAuthenticationChallenge> challengesOfLoad(const URL& url, const URLResponse* response, const Error& error);
};

} // namespace brevanton
