#include "platform/net/URLResponse.h"

#include <charconv>

namespace brevanton {

namespace {

int64_t contentLength(const HTTPHeaderFields& fields)
{
    auto value = fields.value(u"Content-Length");
    if (!value)
        return -1;
    int64_t length = 0;
    std::string digits(value->begin(), value->end());
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (error != std::errc() || end != digits.data() + digits.size() || length < 0)
        return -1;
    return length;
}

} // namespace

URLResponse::URLResponse(URL url, std::u16string_view contentType, int64_t expectedContentLength)
    : m_url(std::move(url))
    , m_expectedContentLength(expectedContentLength)
{
    ContentType parsed = parseContentType(contentType);
    m_mimeType = std::move(parsed.mimeType);
    m_textEncodingName = std::move(parsed.charset);
}

std::u16string URLResponse::suggestedFilename() const
{
    std::u16string name = m_url.lastPathComponent();
    if (name.empty() || name == u"/")
        return u"Unknown";
    return name;
}

HTTPURLResponse::HTTPURLResponse(URL url, int statusCode, HTTPHeaderFields headerFields)
    : URLResponse(std::move(url), headerFields.value(u"Content-Type").value_or(u""), contentLength(headerFields))
    , m_statusCode(statusCode)
    , m_headerFields(std::move(headerFields))
{
}

std::u16string HTTPURLResponse::suggestedFilename() const
{
    if (auto disposition = m_headerFields.value(u"Content-Disposition")) {
        if (auto filename = headerParameter(*disposition, u"filename")) {
            // Only the last component of a name sent with a path.
            auto slash = filename->find_last_of(u"/\\");
            std::u16string name = slash == std::u16string::npos ? *filename : filename->substr(slash + 1);
            if (!name.empty())
                return name;
        }
    }
    return URLResponse::suggestedFilename();
}

std::u16string HTTPURLResponse::localizedStringForStatusCode(int statusCode)
{
    switch (statusCode) {
    case 100: return u"continue";
    case 101: return u"switching protocols";
    case 200: return u"no error";
    case 201: return u"created";
    case 202: return u"accepted";
    case 203: return u"non-authoritative information";
    case 204: return u"no content";
    case 205: return u"reset content";
    case 206: return u"partial content";
    case 300: return u"multiple choices";
    case 301: return u"moved permanently";
    case 302: return u"found";
    case 303: return u"see other";
    case 304: return u"not modified";
    case 305: return u"needs proxy";
    case 307: return u"temporarily redirected";
    case 308: return u"permanently redirected";
    case 400: return u"bad request";
    case 401: return u"unauthorized";
    case 402: return u"payment required";
    case 403: return u"forbidden";
    case 404: return u"not found";
    case 405: return u"method not allowed";
    case 406: return u"unacceptable";
    case 407: return u"proxy authentication required";
    case 408: return u"request timed out";
    case 409: return u"conflict";
    case 410: return u"no longer exists";
    case 411: return u"length required";
    case 412: return u"precondition failed";
    case 413: return u"request too large";
    case 414: return u"requested URL too long";
    case 415: return u"unsupported media type";
    case 429: return u"too many requests";
    case 500: return u"internal server error";
    case 501: return u"unimplemented";
    case 502: return u"bad gateway";
    case 503: return u"service unavailable";
    case 504: return u"gateway timed out";
    case 505: return u"unsupported version";
    }
    if (statusCode >= 100 && statusCode < 200)
        return u"informational";
    if (statusCode >= 200 && statusCode < 300)
        return u"success";
    if (statusCode >= 300 && statusCode < 400)
        return u"redirected";
    if (statusCode >= 400 && statusCode < 500)
        return u"client error";
    return u"server error";
}

} // namespace brevanton
