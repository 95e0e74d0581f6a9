// URLRequest: what to send: method, URL, header fields, body and limits.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaderFields.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace brevanton {

// One piece of a request body sent from several pieces: bytes held in memory
// or a whole file read from disk while it is sent.
struct URLRequestBodyPart {
    std::variant<Data, std::string /* UTF-8 file-system path */> content;

    static URLRequestBodyPart bytes(Data data) { return { std::move(data) }; }
    static URLRequestBodyPart file(std::string path) { return { std::move(path) }; }
    bool isFile() const { return std::holds_alternative<std::string>(content); }
};

class URLRequest {
public:
    explicit URLRequest(URL url, double timeoutInterval = defaultTimeoutInterval)
        : m_url(std::move(url)), m_timeoutInterval(timeoutInterval) {}

    static constexpr double defaultTimeoutInterval = 60;
    static constexpr int defaultMaximumRedirects = 16;

    const URL& url() const { return m_url; }
    void setURL(URL url) { m_url = std::move(url); }

    // "GET" unless set; upper case by convention ("POST", "PUT", "DELETE", "HEAD", ...).
    const std::u16string& httpMethod() const { return m_method; }
    void setHTTPMethod(std::u16string method) { m_method = std::move(method); }

    const HTTPHeaderFields& allHTTPHeaderFields() const { return m_headers; }
    std::optional<std::u16string> valueForHTTPHeaderField(std::u16string_view name) const { return m_headers.value(name); }
    void setValueForHTTPHeaderField(std::u16string_view value, std::u16string_view name) { m_headers.set(name, value); }
    void addValueForHTTPHeaderField(std::u16string_view value, std::u16string_view name) { m_headers.add(name, value); }

    const Data& httpBody() const { return m_body; }
    void setHTTPBody(Data body) { m_body = std::move(body); }

    // A body sent from its pieces in order, files read while they are sent, so
    // a large upload is never held in memory; replaces httpBody() when not
    // empty. A file that cannot be read fails the task before anything is sent.
    const std::vector<URLRequestBodyPart>& httpBodyParts() const { return m_bodyParts; }
    void setHTTPBodyParts(std::vector<URLRequestBodyPart> parts) { m_bodyParts = std::move(parts); }

    // Seconds the transfer may go without sending or receiving anything (a
    // long transfer that keeps moving never times out); 0 or less means no limit.
    double timeoutInterval() const { return m_timeoutInterval; }
    void setTimeoutInterval(double seconds) { m_timeoutInterval = seconds; }

    // Redirects are followed up to this many; 0 answers the redirect itself.
    int maximumRedirects() const { return m_maximumRedirects; }
    void setMaximumRedirects(int count) { m_maximumRedirects = count; }

    // Bytes the reply's body may have, checked against its announced length
    // and again while it arrives; past it the transfer stops and fails with
    // URLErrorDataLengthExceedsMaximum. 0 or less means no limit.
    int64_t maximumContentLength() const { return m_maximumContentLength; }
    void setMaximumContentLength(int64_t bytes) { m_maximumContentLength = bytes; }

    // Seconds the whole transfer may take, however steadily it moves; past
    // them it stops and fails with URLErrorTimedOut. 0 or less means none.
    double deadlineInterval() const { return m_deadlineInterval; }
    void setDeadlineInterval(double seconds) { m_deadlineInterval = seconds; }

private:
    URL m_url;
    std::u16string m_method { u"GET" };
    HTTPHeaderFields m_headers;
    Data m_body;
    std::vector<URLRequestBodyPart> m_bodyParts;
    double m_timeoutInterval;
    int m_maximumRedirects { defaultMaximumRedirects };
    int64_t m_maximumContentLength { 0 };
    double m_deadlineInterval { 0 };
};

} // namespace brevanton
