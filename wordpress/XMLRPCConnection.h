// XMLRPCConnection: one XML-RPC call on its way. It posts the request, reads
// the reply on the shared parsing queue and tells its delegate the outcome on
// the main run loop, exactly once (see XMLRPCConnectionDelegate); then it
// leaves its manager. Made and held by XMLRPCConnectionManager.
//
// Redirects are followed only on the same host and never from https down to
// http (the call carries the account's credentials); any other is a failure
// naming where it pointed. Every status but 2xx is a failure, unless the reply
// is an XML-RPC fault (WordPress answers its faults with the fault code as the
// status), which is delivered as the response.
//
// Main thread only.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLProtectionSpace.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class URLSession;
class URLSessionTask;
class XMLRPCConnectionDelegate;
class XMLRPCConnectionManager;
class XMLRPCRequest;
class XMLRPCResponse;

class XMLRPCConnection : public std::enable_shared_from_this<XMLRPCConnection> {
public:
    // Error user information: the reply's text, and where a refused redirect pointed.
    static constexpr const char16_t* BodyKey = u"body";
    static constexpr const char16_t* LocationKey = u"Location";

    // Makes the connection and starts its call.
    static std::shared_ptr<XMLRPCConnection> create(std::shared_ptr<XMLRPCRequest>, std::weak_ptr<XMLRPCConnectionDelegate>,
        XMLRPCConnectionManager&, std::shared_ptr<URLSession>);
    ~XMLRPCConnection();

    XMLRPCConnection(const XMLRPCConnection&) = delete;
    XMLRPCConnection& operator=(const XMLRPCConnection&) = delete;

    // A new UUID string.
    const std::u16string& identifier() const { return m_identifier; }
    std::shared_ptr<XMLRPCConnectionDelegate> delegate() const { return m_delegate.lock(); }
    const std::shared_ptr<XMLRPCRequest>& request() const { return m_request; }

    // Stops the call: the delegate is told URLErrorCancelled, on a later turn
    // of the main run loop, unless it was told the outcome already.
    void cancel();

    // Sends the request and waits for its reply, running the main run loop
    // meanwhile (main thread only). The reply read as XML-RPC; null with the
    // error when the load failed or timed out, no HTTP response came, its
    // status was 400 or more, or it brought no bytes. Redirects are not
    // followed: a call carries its credentials only where it was addressed.
    static std::shared_ptr<XMLRPCResponse> sendSynchronousXMLRPCRequest(const XMLRPCRequest&, Error*,
        std::shared_ptr<URLSession> = nullptr);

    // The one queue on which every connection's replies are read, one at a time.
    static OperationQueue& parsingQueue();

private:
    friend class XMLRPCConnectionManager;
    XMLRPCConnection(std::shared_ptr<XMLRPCRequest>, std::weak_ptr<XMLRPCConnectionDelegate>, XMLRPCConnectionManager&,
        std::shared_ptr<URLSession>);
    void start(URLRequest);
    void loadEnded(Data, std::shared_ptr<URLResponse>, Error);
    void tellChallenges(const std::vector<URLAuthenticationChallenge>&);
    bool followRedirect(const HTTPURLResponse&);
    void responseRead(std::shared_ptr<XMLRPCResponse>, int status);
    void succeed(const XMLRPCResponse&);
    void fail(Error);
    void end();

    std::shared_ptr<XMLRPCRequest> m_request;
    std::weak_ptr<XMLRPCConnectionDelegate> m_delegate;
    // Cleared by a manager that goes away first.
    XMLRPCConnectionManager* m_manager;
    std::shared_ptr<URLSession> m_session;
    std::u16string m_identifier;
    std::shared_ptr<URLSessionTask> m_task;
    URLRequest m_currentRequest;
    int m_redirectCount { 0 };
    bool m_cancelled { false };
    bool m_ended { false };
};

} // namespace brevanton
