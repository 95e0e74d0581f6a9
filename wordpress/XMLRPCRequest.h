// XMLRPCRequest: one XML-RPC call: the endpoint, the method and parameters
// (kept by its encoder), header fields and the timeout, and the HTTP request
// that carries it.
//
// Held by std::shared_ptr: a connection keeps its request, and its delegate
// is told which request ended.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"
#include "wordpress/XMLRPCEncoder.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class XMLRPCRequest {
public:
    // Seconds a call may go without anything sent or received.
    static constexpr double defaultTimeout = 240.0;

    // With an XMLRPCDefaultEncoder unless `encoder` is given.
    explicit XMLRPCRequest(URL, std::unique_ptr<XMLRPCEncoder> encoder = nullptr);
    virtual ~XMLRPCRequest() = default;

    XMLRPCRequest(const XMLRPCRequest&) = delete;
    XMLRPCRequest& operator=(const XMLRPCRequest&) = delete;

    const URL& url() const { return m_request.url(); }
    void setURL(URL url) { m_request.setURL(std::move(url)); }

    void setMethod(std::u16string method, Array parameters = {});
    const std::u16string& method() const { return m_encoder->method(); }
    const Array& parameters() const { return m_encoder->parameters(); }
    // The new encoder takes over the method and parameters.
    void setEncoder(std::unique_ptr<XMLRPCEncoder>);

    void setUserAgent(std::u16string_view userAgent) { m_request.setValueForHTTPHeaderField(userAgent, u"User-Agent"); }
    std::optional<std::u16string> userAgent() const { return m_request.valueForHTTPHeaderField(u"User-Agent"); }
    void setTimeoutInterval(double seconds) { m_request.setTimeoutInterval(seconds); }
    double timeout() const { return m_request.timeoutInterval(); }
    void setValueForHTTPHeaderField(std::u16string_view value, std::u16string_view name) { m_request.setValueForHTTPHeaderField(value, name); }
    // The reply's size limit and the whole call's deadline (URLRequest's).
    void setReplyLimits(int64_t maximumContentLength, double deadlineInterval)
    {
        m_request.setMaximumContentLength(maximumContentLength);
        m_request.setDeadlineInterval(deadlineInterval);
    }

    // The methodCall document.
    std::u16string body() const { return m_encoder->encode(); }
    // The POST that carries the call: the document as UTF-8, typed "text/xml",
    // with the User-Agent set (else the "UserAgent" default, else the
    // application's own). Redirects are answered to the connection, which
    // decides which to follow.
    URLRequest request() const;

private:
    URLRequest m_request;
    std::unique_ptr<XMLRPCEncoder> m_encoder;
};

} // namespace brevanton
