#include "platform/web/WebDataSource.h"

#include "platform/web/WebFrame.h"

namespace brevanton {

WebDataSource::WebDataSource(URLRequest initialRequest)
    : m_initialRequest(initialRequest)
    , m_request(std::move(initialRequest))
{
}

std::shared_ptr<WebResource> WebDataSource::mainResource() const
{
    auto frame = m_frame.lock();
    return std::make_shared<WebResource>(m_data, m_response ? m_response->url() : m_request.url(), m_MIMEType,
                                         m_textEncodingName, frame ? frame->name() : std::u16string());
}

std::shared_ptr<WebResource> WebDataSource::subresourceForURL(const URL& url) const
{
    for (auto& resource : m_subresources) {
        if (resource->url().absoluteString() == url.absoluteString())
            return resource;
    }
    return nullptr;
}

void WebDataSource::addSubresource(std::shared_ptr<WebResource> resource)
{
    if (!resource)
        return;
    for (auto& existing : m_subresources) {
        if (existing->url().absoluteString() == resource->url().absoluteString()) {
            existing = std::move(resource);
            return;
        }
    }
    m_subresources.push_back(std::move(resource));
}

std::shared_ptr<WebArchive> WebDataSource::webArchive() const
{
    std::vector<std::shared_ptr<WebArchive>> subframes;
    if (auto frame = m_frame.lock()) {
        for (auto& child : frame->childFrames()) {
            if (auto source = child->dataSource())
                subframes.push_back(source->webArchive());
        }
    }
    return std::make_shared<WebArchive>(mainResource(), m_subresources, std::move(subframes));
}

} // namespace brevanton
