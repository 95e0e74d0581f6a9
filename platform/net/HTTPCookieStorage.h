// HTTPCookieStorage: the cookies the process's HTTP transfers received, kept
// in memory only (nothing is ever written to disk) by domain, path and name.
// A URLSession hands a transfer the cookies of its storage and takes back
// what the server set (also on the answers of redirects it followed), so a
// later request to the same host and path carries them. Safe from any thread.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct HTTPCookie {
    std::u16string name;
    std::u16string value;
    // Lower case, without a leading ".".
    std::u16string domain;
    std::u16string path { u"/" };
    // Sent to the domain only, not to its subdomains.
    bool hostOnly { true };
    bool secure { false };
    bool httpOnly { false };
    // Seconds since 1970; none for a cookie that lasts as long as the process.
    std::optional<int64_t> expires;

    bool isExpired(int64_t now) const { return expires && *expires <= now; }
    // Whether a request to the URL carries the cookie (host, path, secure).
    bool matchesURL(const URL&) const;
    bool sameKey(const HTTPCookie& other) const { return name == other.name && domain == other.domain && path == other.path; }
    friend bool operator==(const HTTPCookie&, const HTTPCookie&) = default;

    // The cookie as a line of the Netscape cookie file format, and back
    // (none for a line that is not one).
    std::string netscapeLine() const;
    static std::optional<HTTPCookie> fromNetscapeLine(std::string_view);
};

class HTTPCookieStorage {
public:
    // The storage every URLSession uses unless given another.
    static std::shared_ptr<HTTPCookieStorage> shared();
    static std::shared_ptr<HTTPCookieStorage> create();

    // Every cookie that has not expired.
    std::vector<HTTPCookie> cookies() const;
    // The cookies a request to the URL carries, longest path first.
    std::vector<HTTPCookie> cookiesForURL(const URL&) const;
    // Adds the cookie or replaces the one of the same domain, path and name;
    // an expired cookie removes that one instead.
    void setCookie(HTTPCookie);
    void deleteCookie(const HTTPCookie&);
    void removeAllCookies();

    // What a transfer did to the cookies it was given: those of `after` that
    // are new or changed are set; those of `before` missing from `after`
    // (the server expired them) are deleted. Cookies the storage got from
    // other transfers meanwhile stay.
    void mergeTransferCookies(const std::vector<HTTPCookie>& before, const std::vector<HTTPCookie>& after);

private:
    HTTPCookieStorage() = default;
    mutable std::mutex m_mutex;
    std::vector<HTTPCookie> m_cookies;
};

} // namespace brevanton
