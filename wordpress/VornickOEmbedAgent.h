// VornickOEmbedAgent: turns the URL of an item on the web (a video, a post, a
// picture page) into embedding instructions by the oEmbed protocol. It finds
// the item's oEmbed JSON endpoint (a link element of the item's page, else
// the endpoint of a known provider whose text pattern matches the URL),
// fetches the JSON object there and keeps recent answers in a small cache
// keyed by the item's URL alone (the maximum sizes asked for are not part of
// the key). Failures are never cached.
//
// Only http and https addresses are fetched (the item's, the link's, the
// endpoint's): any other is refused with VornickAddressNotOnTheWebError
// before anything is opened, and each fetch takes the limits of an
// embedding reply (VornickReplyKind). Every request answers its handler exactly
// once, on the main queue, with either the object or an error. Every request carries the User-Agent
// "Brevanton/<short version>". Held by std::shared_ptr (made by create()).
#pragma once

#include "platform/foundation/Cache.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class URLSession;
class VornickTextPatternRecognizer;

// User-info keys of a reply that is not a JSON dictionary.
inline constexpr const char16_t* VornickOEmbedJSONObjectKey = u"jsonObject";
inline constexpr const char16_t* VornickOEmbedResponseKey = u"response";

class VornickOEmbedAgent : public std::enable_shared_from_this<VornickOEmbedAgent> {
public:
    // The instructions dictionary, or nullopt with the error.
    using InstructionsHandler = std::function<void(std::optional<Dictionary>, Error)>;
    // The endpoint request URL, or nullopt with the error.
    using DiscoveryHandler = std::function<void(std::optional<URL>, Error)>;

    static constexpr size_t responseCacheCountLimit = 32;

    // Made on first use; loads through the shared URL session and matches
    // the shared text pattern recognizer's providers.
    static const std::shared_ptr<VornickOEmbedAgent>& sharedOEmbedAgent();

    // An agent loading through `session` and matching the providers of
    // `patternRecognizer`, which must outlive it.
    static std::shared_ptr<VornickOEmbedAgent> create(std::shared_ptr<URLSession> session, VornickTextPatternRecognizer& patternRecognizer);

    // The entry point. A cached object answers at once when called on the
    // main queue, else through it. Maximum width and height of 0 ask for no maximum.
    void requestEmbeddingInstructionsForURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight, InstructionsHandler handler);

    // Finds the endpoint request URL of an item: the href of the page's first
    // link element with rel "alternate" and type "application/json+oembed"
    // (as the page gives it, resolved against the page's URL), else the
    // endpoint of the matching provider with the query items "url", "format"
    // ("json") and, when not 0, "maxwidth" and "maxheight". A page that
    // cannot be fetched, or neither way finding an endpoint, gives an error.
    // The handler runs on the main run loop.
    void discoverOEmbedRequestURLForItemSourceURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight, DiscoveryHandler handler);

    // Fetches the JSON object at an endpoint request URL; errors of the fetch
    // come as they are, a JSON value that is not a dictionary gives
    // VornickReplyNotADictionaryError. The handler runs on the main queue.
    void requestOEmbedInstructions(const URL& requestURL, InstructionsHandler handler);

    // Named "oEmbed responseCache", at most 32 entries.
    Cache<std::u16string, Dictionary>& responseCache() { return m_responseCache; }

    VornickOEmbedAgent(std::shared_ptr<URLSession>, VornickTextPatternRecognizer&);
    VornickOEmbedAgent(const VornickOEmbedAgent&) = delete;
    VornickOEmbedAgent& operator=(const VornickOEmbedAgent&) = delete;

private:
    std::optional<URL> providerRequestURLForItemSourceURL(const URL& sourceURL, uint64_t maxWidth, uint64_t maxHeight) const;

    std::shared_ptr<URLSession> m_session;
    VornickTextPatternRecognizer& m_patternRecognizer;
    Cache<std::u16string, Dictionary> m_responseCache { u"oEmbed responseCache" };
};

} // namespace brevanton
