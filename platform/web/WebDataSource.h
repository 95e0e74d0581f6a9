// WebDataSource: what one load of a frame brought: the request first asked
// for and the one actually loaded, the response, the bytes and their decoded
// text, and the subresources the page used.
#pragma once

#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "platform/net/WebResource.h"
#include "platform/web/WebArchive.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class WebFrame;

// The scheme of documents loaded from a string without a base URL. Such a
// document has never been saved anywhere.
inline constexpr const char16_t* WebStringDocumentScheme = u"brevanton-webdata";

class WebDataSource {
public:
    explicit WebDataSource(URLRequest initialRequest);

    const URLRequest& initialRequest() const { return m_initialRequest; }
    // The request that was loaded (after the resource-load delegate's say).
    const URLRequest& request() const { return m_request; }
    const std::shared_ptr<URLResponse>& response() const { return m_response; }
    const Data& data() const { return m_data; }
    // The IANA name of the encoding the text was decoded with; empty for non-text.
    const std::u16string& textEncodingName() const { return m_textEncodingName; }
    const std::u16string& MIMEType() const { return m_MIMEType; }
    // The decoded source of the document as loaded (null for non-text resources).
    const std::u16string* documentSource() const { return m_documentSource.get(); }
    // The same string, shared rather than copied by those that keep it.
    const std::shared_ptr<const std::u16string>& sharedDocumentSource() const { return m_documentSource; }
    std::shared_ptr<WebFrame> webFrame() const { return m_frame.lock(); }
    bool isLoading() const { return m_loading; }

    std::shared_ptr<WebResource> mainResource() const;
    const std::vector<std::shared_ptr<WebResource>>& subresources() const { return m_subresources; }
    std::shared_ptr<WebResource> subresourceForURL(const URL&) const;
    // Adds (or replaces the one with the same URL).
    void addSubresource(std::shared_ptr<WebResource>);
    // The main resource, the subresources and the archives of the child frames.
    std::shared_ptr<WebArchive> webArchive() const;

    // Set by the frame's loader.
    void setRequest(URLRequest request) { m_request = std::move(request); }
    void setResponse(std::shared_ptr<URLResponse> response) { m_response = std::move(response); }
    void setData(Data data) { m_data = std::move(data); }
    void setTextEncodingName(std::u16string name) { m_textEncodingName = std::move(name); }
    void setMIMEType(std::u16string type) { m_MIMEType = std::move(type); }
    void setDocumentSource(std::shared_ptr<const std::u16string> source) { m_documentSource = std::move(source); }
    void setDocumentSource(std::optional<std::u16string> source)
    {
        m_documentSource = source ? std::make_shared<const std::u16string>(std::move(*source)) : nullptr;
    }
    void setWebFrame(const std::shared_ptr<WebFrame>& frame) { m_frame = frame; }
    void setLoading(bool loading) { m_loading = loading; }

private:
    URLRequest m_initialRequest;
    URLRequest m_request;
    std::shared_ptr<URLResponse> m_response;
    Data m_data;
    std::u16string m_textEncodingName;
    std::u16string m_MIMEType;
    std::shared_ptr<const std::u16string> m_documentSource;
    std::weak_ptr<WebFrame> m_frame;
    std::vector<std::shared_ptr<WebResource>> m_subresources;
    bool m_loading { true };
};

} // namespace brevanton
