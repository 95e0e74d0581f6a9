// Where a password may travel: over https to any host, or over plain http
// only to this computer (the loopback addresses 127.0.0.0/8 and ::1, or the
// name "localhost"), where no network carries it; and only to the origin
// (scheme, host and port) of an address the user logged in to, so that an
// address a server names (an API root, a blog in a site list) never takes
// it to another port, scheme or host. The login panel and the WordPress
// clients ask the same questions here.
#pragma once

#include "platform/foundation/URL.h"

#include <string>
#include <string_view>

namespace brevanton {

// The line shown under an address a password may not be sent to.
inline constexpr char16_t VornickPasswordTransportRefusalMessage[]
    = u"Passwords are sent only over https, or over http to this computer. Use the site's https address.";

// Whether the host names this computer: "localhost" (any case), a dotted
// IPv4 address in 127.0.0.0/8, or the IPv6 loopback ("::1", bracketed or not).
bool vornick_isLoopbackHost(std::u16string_view host);

// Whether a password may be sent to the URL: https with a host, or http to
// a loopback host. Any other scheme, or no host, may not carry one.
bool vornick_mayCarryPasswordToURL(const URL&);

// The same for an address as the user typed it; an address that does not
// read as an absolute URL may not carry one.
bool vornick_mayCarryPasswordToURLString(std::u16string_view);

// Whether two addresses have one origin: the same scheme, the same host
// (letter case ignored) and the same port, a port not written counting as
// the scheme's default (80 for http, 443 for https). Addresses without a
// host have no origin and match nothing.
bool vornick_isSameOrigin(const URL&, const URL& other);

// Whether the password given for `loginURL` may be sent to `url`: the two
// share an origin and the transport above allows it.
bool vornick_mayCarryPasswordForLoginURLToURL(const URL& loginURL, const URL& url);

// The line that refuses to send the login for `loginURL` to `url`, naming
// both addresses.
std::u16string vornick_passwordOriginRefusalMessage(const URL& loginURL, const URL& url);

} // namespace brevanton
