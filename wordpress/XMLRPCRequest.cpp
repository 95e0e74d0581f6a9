#include "wordpress/XMLRPCRequest.h"

#include "blog/VornickBlogServiceAgent.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"

namespace brevanton {

XMLRPCRequest::XMLRPCRequest(URL url, std::unique_ptr<XMLRPCEncoder> encoder)
    : m_request(std::move(url), defaultTimeout)
    , m_encoder(encoder ? std::move(encoder) : std::make_unique<XMLRPCDefaultEncoder>())
{
}

void XMLRPCRequest::setMethod(std::u16string method, Array parameters)
{
    m_encoder->setMethod(std::move(method), std::move(parameters));
}

void XMLRPCRequest::setEncoder(std::unique_ptr<XMLRPCEncoder> encoder)
{
    if (!encoder)
        encoder = std::make_unique<XMLRPCDefaultEncoder>();
    encoder->setMethod(m_encoder->method(), m_encoder->parameters());
    m_encoder = std::move(encoder);
}

URLRequest XMLRPCRequest::request() const
{
    URLRequest request = m_request;
    std::string document = toUTF8(body());
    request.setHTTPMethod(u"POST");
    request.setValueForHTTPHeaderField(u"text/xml", u"Content-Type");
    request.setValueForHTTPHeaderField(toUTF16(std::to_string(document.size())), u"Content-Length");
    request.setValueForHTTPHeaderField(u"text/xml", u"Accept");
    if (!request.valueForHTTPHeaderField(u"User-Agent")) {
        std::u16string userAgent = UserDefaults::standard().stringForKey(u"UserAgent");
        request.setValueForHTTPHeaderField(userAgent.empty() ? VornickBlogServiceAgent::userAgent() : userAgent, u"User-Agent");
    }
    request.setHTTPBody(Data(document.begin(), document.end()));
    request.setMaximumRedirects(0);
    return request;
}

} // namespace brevanton
