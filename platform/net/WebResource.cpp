#include "platform/net/WebResource.h"

#include "platform/foundation/TypeIdentifiers.h"

namespace brevanton {

WebResource::WebResource(Data data, URL url, std::u16string MIMEType, std::u16string textEncodingName,
                         std::u16string frameName)
    : m_data(std::move(data))
    , m_url(std::move(url))
    , m_MIMEType(std::move(MIMEType))
    , m_textEncodingName(std::move(textEncodingName))
    , m_frameName(std::move(frameName))
{
}

Value WebResource::propertyList() const
{
    Dictionary dictionary;
    dictionary[u"data"] = Value(m_data);
    dictionary[u"url"] = Value(m_url.absoluteString());
    dictionary[u"mimeType"] = Value(m_MIMEType);
    if (!m_textEncodingName.empty())
        dictionary[u"textEncodingName"] = Value(m_textEncodingName);
    if (!m_frameName.empty())
        dictionary[u"frameName"] = Value(m_frameName);
    return Value(std::move(dictionary));
}

std::shared_ptr<WebResource> WebResource::fromPropertyList(const Value& value)
{
    if (!value.isDictionary())
        return nullptr;
    const Value& data = value[u"data"];
    const Value& url = value[u"url"];
    const Value& mimeType = value[u"mimeType"];
    if (!data.isData() || !url.isString() || !mimeType.isString())
        return nullptr;
    auto parsed = URL::create(url.string());
    if (!parsed)
        return nullptr;
    return std::make_shared<WebResource>(data.data(), *parsed, mimeType.string(),
                                         value[u"textEncodingName"].stringValue(), value[u"frameName"].stringValue());
}

bool operator==(const WebResource& a, const WebResource& b)
{
    return a.m_data == b.m_data && a.m_url == b.m_url && a.m_MIMEType == b.m_MIMEType
        && a.m_textEncodingName == b.m_textEncodingName && a.m_frameName == b.m_frameName;
}

std::u16string webMIMETypeForURL(const URL& url)
{
    auto extension = url.pathExtension();
    if (!extension.empty()) {
        auto type = typeIdentifierForFilenameExtension(extension);
        if (!type.empty()) {
            if (auto mime = preferredMIMETypeForTypeIdentifier(type))
                return *mime;
        }
    }
    return u"application/octet-stream";
}

} // namespace brevanton
