#include "toolkit/VornickPasswordTransport.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

// A dotted IPv4 address of four decimal parts of 0-255, the first 127.
bool isIPv4LoopbackAddress(std::u16string_view host)
{
    int parts = 0;
    size_t index = 0;
    while (index <= host.size()) {
        size_t end = host.find(u'.', index);
        if (end == std::u16string_view::npos)
            end = host.size();
        std::u16string_view part = host.substr(index, end - index);
        if (part.empty() || part.size() > 3)
            return false;
        int value = 0;
        for (char16_t character : part) {
            if (character < u'0' || character > u'9')
                return false;
            value = value * 10 + (character - u'0');
        }
        if (value > 255 || (parts == 0 && value != 127))
            return false;
        ++parts;
        index = end + 1;
    }
    return parts == 4;
}

std::optional<int> portOrSchemeDefault(const URL& url)
{
    if (auto port = url.port())
        return port;
    std::u16string scheme = url.scheme();
    if (scheme == u"http")
        return 80;
    if (scheme == u"https")
        return 443;
    return std::nullopt;
}

} // namespace

bool vornick_isLoopbackHost(std::u16string_view host)
{
    std::u16string lowered = asciiLowercase(host);
    return lowered == u"localhost" || lowered == u"::1" || lowered == u"[::1]" || isIPv4LoopbackAddress(lowered);
}

bool vornick_mayCarryPasswordToURL(const URL& url)
{
    std::u16string host = url.host().value_or(u"");
    if (host.empty())
        return false;
    std::u16string scheme = url.scheme();
    return scheme == u"https" || (scheme == u"http" && vornick_isLoopbackHost(host));
}

bool vornick_mayCarryPasswordToURLString(std::u16string_view string)
{
    auto url = URL::create(string);
    return url && vornick_mayCarryPasswordToURL(*url);
}

bool vornick_isSameOrigin(const URL& url, const URL& other)
{
    auto host = url.host();
    auto otherHost = other.host();
    if (!host || !otherHost || host->empty() || !equalsIgnoringASCIICase(*host, *otherHost))
        return false;
    if (url.scheme().empty() || url.scheme() != other.scheme())
        return false;
    return portOrSchemeDefault(url) == portOrSchemeDefault(other);
}

bool vornick_mayCarryPasswordForLoginURLToURL(const URL& loginURL, const URL& url)
{
    return vornick_isSameOrigin(loginURL, url) && vornick_mayCarryPasswordToURL(url);
}

std::u16string vornick_passwordOriginRefusalMessage(const URL& loginURL, const URL& url)
{
    return u"Brevanton sends your WordPress login only to the site you logged in to (" + loginURL.absoluteString() + u"), not to "
        + url.absoluteString() + u", which has another scheme, host or port.";
}

} // namespace brevanton
