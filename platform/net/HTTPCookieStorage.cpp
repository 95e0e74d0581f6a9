#include "platform/net/HTTPCookieStorage.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace brevanton {

namespace {

int64_t now()
{
    return static_cast<int64_t>(std::time(nullptr));
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

bool pathMatches(std::u16string_view cookiePath, std::u16string_view requestPath)
{
    if (requestPath.empty())
        requestPath = u"/";
    if (requestPath == cookiePath)
        return true;
    if (!requestPath.starts_with(cookiePath))
        return false;
    return cookiePath.ends_with(u'/') || requestPath[cookiePath.size()] == u'/';
}

} // namespace

bool HTTPCookie::matchesURL(const URL& url) const
{
    auto scheme = url.scheme();
    if (scheme != u"http" && scheme != u"https")
        return false;
    if (secure && scheme != u"https")
        return false;
    auto host = url.host();
    if (!host || host->empty())
        return false;
    std::u16string lowered = asciiLowercase(*host);
    if (lowered != domain) {
        if (hostOnly || lowered.size() <= domain.size() || !lowered.ends_with(domain)
            || lowered[lowered.size() - domain.size() - 1] != u'.')
            return false;
    }
    // The path as sent, not decoded: "/a%2Fb" is not "/a/b".
    auto absolute = url.absoluteString();
    std::u16string path = u"/";
    if (auto schemeEnd = absolute.find(u"://"); schemeEnd != std::u16string::npos) {
        auto pathStart = absolute.find(u'/', schemeEnd + 3);
        if (pathStart != std::u16string::npos) {
            auto pathEnd = absolute.find_first_of(u"?#", pathStart);
            path = absolute.substr(pathStart, pathEnd == std::u16string::npos ? std::u16string::npos : pathEnd - pathStart);
        }
    }
    return pathMatches(this->path, path);
}

std::string HTTPCookie::netscapeLine() const
{
    std::string line;
    if (httpOnly)
        line += "#HttpOnly_";
    line += hostOnly ? toUTF8(domain) : "." + toUTF8(domain);
    line += hostOnly ? "\tFALSE\t" : "\tTRUE\t";
    line += toUTF8(path);
    line += secure ? "\tTRUE\t" : "\tFALSE\t";
    line += std::to_string(expires.value_or(0));
    line += "\t" + toUTF8(name) + "\t" + toUTF8(value);
    return line;
}

std::optional<HTTPCookie> HTTPCookie::fromNetscapeLine(std::string_view line)
{
    HTTPCookie cookie;
    constexpr std::string_view httpOnlyPrefix = "#HttpOnly_";
    if (line.starts_with(httpOnlyPrefix)) {
        cookie.httpOnly = true;
        line.remove_prefix(httpOnlyPrefix.size());
    } else if (line.starts_with('#')) {
        return std::nullopt;
    }
    auto fields = splitTabs(line);
    if (fields.size() != 7 || fields[0].empty() || fields[5].empty())
        return std::nullopt;
    std::string_view domain = fields[0];
    while (domain.starts_with('.'))
        domain.remove_prefix(1);
    if (domain.empty())
        return std::nullopt;
    cookie.domain = asciiLowercase(toUTF16(domain));
    cookie.hostOnly = fields[1] != "TRUE";
    cookie.path = fields[2].empty() ? u"/" : toUTF16(fields[2]);
    cookie.secure = fields[3] == "TRUE";
    int64_t expires = 0;
    auto [end, error] = std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), expires);
    if (error != std::errc() || end != fields[4].data() + fields[4].size())
        return std::nullopt;
    if (expires != 0)
        cookie.expires = expires;
    cookie.name = toUTF16(fields[5]);
    cookie.value = toUTF16(fields[6]);
    return cookie;
}

std::shared_ptr<HTTPCookieStorage> HTTPCookieStorage::shared()
{
    static std::shared_ptr<HTTPCookieStorage> storage = create();
    return storage;
}

std::shared_ptr<HTTPCookieStorage> HTTPCookieStorage::create()
{
    return std::shared_ptr<HTTPCookieStorage>(new HTTPCookieStorage);
}

std::vector<HTTPCookie> HTTPCookieStorage::cookies() const
{
    std::lock_guard lock(m_mutex);
    std::vector<HTTPCookie> result;
    int64_t time = now();
    for (auto& cookie : m_cookies) {
        if (!cookie.isExpired(time))
            result.push_back(cookie);
    }
    return result;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookiesForURL(const URL& url) const
{
    std::vector<HTTPCookie> result;
    for (auto& cookie : cookies()) {
        if (cookie.matchesURL(url))
            result.push_back(cookie);
    }
    std::stable_sort(result.begin(), result.end(), [](auto& a, auto& b) { return a.path.size() > b.path.size(); });
    return result;
}

void HTTPCookieStorage::setCookie(HTTPCookie cookie)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_cookies, [&](auto& stored) { return stored.sameKey(cookie); });
    if (!cookie.isExpired(now()))
        m_cookies.push_back(std::move(cookie));
}

void HTTPCookieStorage::deleteCookie(const HTTPCookie& cookie)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_cookies, [&](auto& stored) { return stored.sameKey(cookie); });
}

void HTTPCookieStorage::removeAllCookies()
{
    std::lock_guard lock(m_mutex);
    m_cookies.clear();
}

void HTTPCookieStorage::mergeTransferCookies(const std::vector<HTTPCookie>& before, const std::vector<HTTPCookie>& after)
{
    for (auto& cookie : before) {
        bool kept = std::any_of(after.begin(), after.end(), [&](auto& other) { return other.sameKey(cookie); });
        if (!kept)
            deleteCookie(cookie);
    }
    for (auto& cookie : after) {
        if (std::find(before.begin(), before.end(), cookie) == before.end())
            setCookie(cookie);
    }
}

} // namespace brevanton
