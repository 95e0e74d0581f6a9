// URLResponse: what came back, apart from the body. HTTPURLResponse adds the
// status code and the header fields of the final response.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/net/HTTPHeaderFields.h"

#include <cstdint>
#include <string>

namespace brevanton {

class URLResponse {
public:
    // `contentType` is the Content-Type value (or what stands for it), from
    // which the MIME type and text encoding name are taken.
    URLResponse(URL url, std::u16string_view contentType, int64_t expectedContentLength);
    virtual ~URLResponse() = default;

    // The URL of the final response, after redirects.
    const URL& url() const { return m_url; }
    // Lower case, without parameters ("text/html"); empty when unknown.
    const std::u16string& mimeType() const { return m_mimeType; }
    // The charset parameter as sent ("utf-8", "ISO-8859-1"); empty when absent.
    const std::u16string& textEncodingName() const { return m_textEncodingName; }
    // -1 when the length is not known in advance.
    int64_t expectedContentLength() const { return m_expectedContentLength; }
    virtual std::u16string suggestedFilename() const;

    virtual bool isHTTP() const { return false; }
    virtual const char* className() const { return "URLResponse"; }

    // For a file read from disk: the file as it was when it was read.
    const std::optional<FileStamp>& fileStamp() const { return m_fileStamp; }
    void setFileStamp(std::optional<FileStamp> stamp) { m_fileStamp = stamp; }

private:
    URL m_url;
    std::optional<FileStamp> m_fileStamp;
    std::u16string m_mimeType;
    std::u16string m_textEncodingName;
    int64_t m_expectedContentLength;
};

class HTTPURLResponse final : public URLResponse {
public:
    HTTPURLResponse(URL url, int statusCode, HTTPHeaderFields headerFields);

    int statusCode() const { return m_statusCode; }
    // Names compare without regard to case.
    const HTTPHeaderFields& allHeaderFields() const { return m_headerFields; }
    std::optional<std::u16string> valueForHTTPHeaderField(std::u16string_view name) const { return m_headerFields.value(name); }

    std::u16string suggestedFilename() const override;
    bool isHTTP() const override { return true; }
    const char* className() const override { return "HTTPURLResponse"; }

    // The reason phrase of a status code in lower case ("not found"), or
    // "server error"-style text for the code's class when it is not a known one.
    static std::u16string localizedStringForStatusCode(int statusCode);

private:
    int m_statusCode;
    HTTPHeaderFields m_headerFields;
};

} // namespace brevanton
