// WebResource: one loaded resource (its bytes, URL, MIME type, text encoding
// name and, for a frame's main resource, the frame's name).
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class WebResource {
public:
    WebResource(Data data, URL url, std::u16string MIMEType, std::u16string textEncodingName = {},
                std::u16string frameName = {});

    const Data& data() const { return m_data; }
    const URL& url() const { return m_url; }
    const std::u16string& MIMEType() const { return m_MIMEType; }
    // Empty when unknown.
    const std::u16string& textEncodingName() const { return m_textEncodingName; }
    const std::u16string& frameName() const { return m_frameName; }

    // The dictionary stored in web archives, and back (null when malformed).
    Value propertyList() const;
    static std::shared_ptr<WebResource> fromPropertyList(const Value&);

    friend bool operator==(const WebResource&, const WebResource&);

private:
    Data m_data;
    URL m_url;
    std::u16string m_MIMEType;
    std::u16string m_textEncodingName;
    std::u16string m_frameName;
};

// The MIME type for a URL's path extension ("text/html" for .html, ...);
// "application/octet-stream" when unknown.
std::u16string webMIMETypeForURL(const URL&);

} // namespace brevanton
