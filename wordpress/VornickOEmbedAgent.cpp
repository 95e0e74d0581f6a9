#include "wordpress/VornickOEmbedAgent.h"

#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickReplyKind.h"
#include "html/VornickHTMLStringElementFinder.h"
#include "html/VornickTextPattern.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLSession.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickURLSessionExtensions.h"

#include <algorithm>
#include <string>

namespace brevanton {

namespace {

void performOnMainQueue(std::function<void()> block)
{
    OperationQueue::main().addOperation(std::move(block));
}

// Every request takes the limits of an embedding reply: a page or an
// endpoint that sends without end is cut off.
URLRequest requestWithUserAgent(const URL& url)
{
    URLRequest request(url);
    request.setValueForHTTPHeaderField(VornickBlogServiceAgent::userAgent(), u"User-Agent");
    VornickReplyLimits limits = vornickReplyLimits(VornickReplyKind::EmbeddingReply);
    request.setMaximumContentLength(limits.maximumLength);
    request.setDeadlineInterval(limits.deadline);
    return request;
}

// Attribute values come as written: "&amp;" and numeric references stand for
// their characters (pages write "&#038;" between query items).
std::u16string decodingCharacterReferences(std::u16string_view value)
{
    std::u16string result;
    size_t index = 0;
    while (index < value.size()) {
        size_t ampersand = value.find(u'&', index);
        if (ampersand == std::u16string_view::npos)
            break;
        result.append(value.substr(index, ampersand - index));
        size_t semicolon = value.find(u';', ampersand);
        if (semicolon == std::u16string_view::npos) {
            index = ampersand;
            break;
        }
        std::u16string_view name = value.substr(ampersand + 1, semicolon - ampersand - 1);
        std::optional<char32_t> character;
        if (name == u"amp")
            character = u'&';
        else if (name.size() > 1 && name[0] == u'#') {
            bool hex = name[1] == u'x' || name[1] == u'X';
            std::u16string_view digits = name.substr(hex ? 2 : 1);
            char32_t codePoint = 0;
            bool valid = !digits.empty() && digits.size() <= 7;
            for (char16_t c : digits) {
                int digit = c >= u'0' && c <= u'9' ? c - u'0'
                    : hex && c >= u'a' && c <= u'f' ? c - u'a' + 10
                    : hex && c >= u'A' && c <= u'F' ? c - u'A' + 10
                    : -1;
                if (digit < 0) {
                    valid = false;
                    break;
                }
                codePoint = codePoint * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
            if (valid && codePoint > 0 && codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF))
                character = codePoint;
        }
        if (!character) {
            result += u'&';
            index = ampersand + 1;
            continue;
        }
        if (*character > 0xFFFF) {
            char32_t offset = *character - 0x10000;
            result += static_cast<char16_t>(0xD800 + (offset >> 10));
            result += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
        } else
            result += static_cast<char16_t>(*character);
        index = semicolon + 1;
    }
    result.append(value.substr(std::min(index, value.size())));
    return result;
}

std::optional<URL> oEmbedLinkURLInPage(std::u16string_view htmlString, const URL& pageURL)
{
    for (auto& link : VornickHTMLStringElementFinder::elementsWithTagName(u"link", htmlString)) {
        auto& attributes = link.attributes();
        auto rel = attributes.find(u"rel");
        auto type = attributes.find(u"type");
        auto href = attributes.find(u"href");
        if (rel == attributes.end() || rel->second != u"alternate" || type == attributes.end()
            || type->second != u"application/json+oembed" || href == attributes.end() || href->second.empty())
            continue;
        return URL::create(decodingCharacterReferences(href->second), &pageURL);
    }
    return std::nullopt;
}

// What a query item's name or value may hold unescaped: "&", "=", "+" and "#"
// would end or change the item.
const CharacterSet& queryItemAllowedCharacters()
{
    static const CharacterSet allowed = CharacterSet::urlQueryAllowed().removing(u"&=+#");
    return allowed;
}

Error endpointNotFoundError(const URL& sourceURL, std::u16string description)
{
    Error error(VornickErrorDomain, VornickOEmbedEndpointNotFoundError, std::move(description));
    error.userInfo()[VornickFetchURLKey] = Value(sourceURL.absoluteString());
    return error;
}

// Only web addresses are fetched: a post's embed, or a page's link, that
// names a file of this computer (or another scheme) is refused unread.
Error notOnTheWebError(const URL& url)
{
    Error error(VornickErrorDomain, VornickAddressNotOnTheWebError,
        u"Embedding instructions are fetched only from http and https addresses, not from " + url.absoluteString() + u".");
    error.userInfo()[VornickFetchURLKey] = Value(url.absoluteString());
    return error;
}

} // namespace

const std::shared_ptr<VornickOEmbedAgent>& VornickOEmbedAgent::sharedOEmbedAgent()
{
    static const std::shared_ptr<VornickOEmbedAgent> agent = create(URLSession::shared(), VornickTextPatternRecognizer::sharedPatternRecognizer());
    return agent;
}

std::shared_ptr<VornickOEmbedAgent> VornickOEmbedAgent::create(std::shared_ptr<URLSession> session, VornickTextPatternRecognizer& patternRecognizer)
{
    return std::make_shared<VornickOEmbedAgent>(std::move(session), patternRecognizer);
}

VornickOEmbedAgent::VornickOEmbedAgent(std::shared_ptr<URLSession> session, VornickTextPatternRecognizer& patternRecognizer)
    : m_session(std::move(session))
    , m_patternRecognizer(patternRecognizer)
{
    m_responseCache.setCountLimit(responseCacheCountLimit);
}

void VornickOEmbedAgent::requestEmbeddingInstructionsForURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight, InstructionsHandler handler)
{
    std::u16string key = sourceURL.absoluteString();
    if (auto cached = m_responseCache.objectForKey(key)) {
        if (RunLoop::isMainThread())
            handler(std::move(cached), Error());
        else
            performOnMainQueue([handler = std::move(handler), cached = std::move(cached)]() mutable { handler(std::move(cached), Error()); });
        return;
    }
    auto agent = shared_from_this();
    discoverOEmbedRequestURLForItemSourceURL(sourceURL, maxWidth, maxHeight,
        [agent, key = std::move(key), handler = std::move(handler)](std::optional<URL> requestURL, Error error) mutable {
            if (!requestURL) {
                performOnMainQueue([handler = std::move(handler), error = std::move(error)] { handler(std::nullopt, error); });
                return;
            }
            agent->requestOEmbedInstructions(*requestURL,
                [agent, key = std::move(key), handler = std::move(handler)](std::optional<Dictionary> object, Error error) {
                    if (object && error.isEmpty())
                        agent->m_responseCache.setObject(key, *object);
                    handler(std::move(object), std::move(error));
                });
        });
}

void VornickOEmbedAgent::discoverOEmbedRequestURLForItemSourceURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight, DiscoveryHandler handler)
{
    if (!vornick_isWebAddress(sourceURL)) {
        performOnMainQueue([handler = std::move(handler), error = notOnTheWebError(sourceURL)] { handler(std::nullopt, error); });
        return;
    }
    auto agent = shared_from_this();
    auto task = vornick_htmlStringFetchTaskWithRequest(*m_session, requestWithUserAgent(sourceURL),
        [agent, sourceURL, maxWidth, maxHeight, handler = std::move(handler)](std::optional<std::u16string> htmlString,
                                                                              std::shared_ptr<HTTPURLResponse> response, Error error) {
            if (!error.isEmpty()) {
                handler(std::nullopt, vornickErrorNamingReplyLimit(std::move(error), VornickReplyKind::EmbeddingReply));
                return;
            }
            if (!htmlString) {
                handler(std::nullopt, endpointNotFoundError(sourceURL, u"The page of " + sourceURL.absoluteString() + u" could not be read."));
                return;
            }
            if (auto linked = oEmbedLinkURLInPage(*htmlString, response ? response->url() : sourceURL)) {
                handler(std::move(linked), Error());
                return;
            }
            if (auto provided = agent->providerRequestURLForItemSourceURL(sourceURL, maxWidth, maxHeight)) {
                handler(std::move(provided), Error());
                return;
            }
            handler(std::nullopt, endpointNotFoundError(sourceURL, u"No embedding instructions are known for " + sourceURL.absoluteString() + u"."));
        });
    task->resume();
}

std::optional<URL> VornickOEmbedAgent::providerRequestURLForItemSourceURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight) const
{
    auto match = m_patternRecognizer.matchString(sourceURL.absoluteString());
    if (!match || !match->action()->oEmbedEndpointURLString())
        return std::nullopt;
    auto endpoint = URL::create(*match->action()->oEmbedEndpointURLString());
    if (!endpoint || endpoint->scheme().empty())
        return std::nullopt;

    // The endpoint's own query (and fragment) give way to the request's items.
    std::u16string string = endpoint->absoluteString();
    if (size_t end = string.find_first_of(u"?#"); end != std::u16string::npos)
        string.erase(end);
    auto addItem = [&string, first = true](std::u16string_view name, std::u16string_view value) mutable {
        string += first ? u'?' : u'&';
        first = false;
        string += percentEncode(name, queryItemAllowedCharacters());
        string += u'=';
        string += percentEncode(value, queryItemAllowedCharacters());
    };
    addItem(u"url", sourceURL.absoluteString());
    addItem(u"format", u"json");
    if (maxWidth)
        addItem(u"maxwidth", toUTF16(std::to_string(maxWidth)));
    if (maxHeight)
        addItem(u"maxheight", toUTF16(std::to_string(maxHeight)));
    return URL::create(string);
}

void VornickOEmbedAgent::requestOEmbedInstructions(const URL& requestURL, InstructionsHandler handler)
{
    if (!vornick_isWebAddress(requestURL)) {
        performOnMainQueue([handler = std::move(handler), error = notOnTheWebError(requestURL)] { handler(std::nullopt, error); });
        return;
    }
    auto task = vornick_jsonObjectFetchTaskWithRequest(*m_session, requestWithUserAgent(requestURL),
        [handler = std::move(handler)](std::optional<Value> object, std::shared_ptr<HTTPURLResponse> response, Error error) {
            std::optional<Dictionary> dictionary;
            error = vornickErrorNamingReplyLimit(std::move(error), VornickReplyKind::EmbeddingReply);
            if (error.isEmpty()) {
                if (object && object->isDictionary())
                    dictionary = std::move(object->dictionary());
                else {
                    error = Error(VornickErrorDomain, VornickReplyNotADictionaryError, u"The embedding instructions are not a JSON object.");
                    error.userInfo()[VornickOEmbedJSONObjectKey] = object ? std::move(*object) : Value();
                    error.userInfo()[VornickOEmbedResponseKey] = vornick_fetchResponseDescription(response.get());
                }
            }
            performOnMainQueue([handler, dictionary = std::move(dictionary), error = std::move(error)] { handler(dictionary, error); });
        });
    task->resume();
}

} // namespace brevanton
