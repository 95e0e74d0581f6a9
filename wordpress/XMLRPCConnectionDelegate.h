// XMLRPCConnectionDelegate: what a connection tells about its request, on
// the main thread: exactly one of the two, once.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/net/URLProtectionSpace.h"

namespace brevanton {

class XMLRPCRequest;
class XMLRPCResponse;

class XMLRPCConnectionDelegate {
public:
    virtual ~XMLRPCConnectionDelegate() = default;

    // The reply carried an XML-RPC value, or a fault (response.isFault(),
    // whatever the HTTP status that came with it).
    virtual void requestDidReceiveResponse(XMLRPCRequest&, const XMLRPCResponse&) = 0;
    // No value or fault came back:
    // - a transport failure, the timeout or a cancel (URLErrorDomain);
    // - an HTTP status other than 2xx: domain VornickXMLRPCHTTPStatusErrorDomain,
    //   the status as the code (a redirect to another host or down to http
    //   included, with its "Location");
    // - a reply that is no XML-RPC, or empty: VornickErrorDomain,
    //   VornickXMLRPCResponseNotXMLRPCError.
    // The reply's text, when there was one, is under XMLRPCConnection::BodyKey,
    // and a failure reason tells what the host sent.
    virtual void requestDidFailWithError(XMLRPCRequest&, const Error&) = 0;

    // Before the outcome, for each demand for proof the call's load met
    // (the server's certificate, an HTTP login): whether the delegate takes
    // part in it; when it does, it then hears the challenge. The session
    // settled it already: a refused certificate fails the call, an HTTP
    // login is never answered.
    virtual bool requestCanAuthenticateAgainstProtectionSpace(XMLRPCRequest&, const URLProtectionSpace&) { return false; }
    virtual void requestDidReceiveAuthenticationChallenge(XMLRPCRequest&, const URLAuthenticationChallenge&) { }
};

} // namespace brevanton
