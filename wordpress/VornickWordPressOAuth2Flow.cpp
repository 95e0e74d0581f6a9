#include "wordpress/VornickWordPressOAuth2Flow.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/URLRequest.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickSHA256.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace brevanton {

namespace {

constexpr char16_t defaultHostedRootURLString[] = u"https://public-api.wordpress.com";
// Seconds before its expiry at which an access token is refreshed.
constexpr double tokenExpiryMargin = 60;
// The token request's idle timeout.
constexpr double tokenRequestTimeout = 30;

Data randomBytes(size_t count)
{
    Data bytes(count);
    size_t filled = 0;
    while (filled < count) {
        ssize_t got = ::getrandom(bytes.data() + filled, count - filled, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw std::runtime_error("no random bytes");
        filled += static_cast<size_t>(got);
    }
    return bytes;
}

std::u16string stringDefault(std::u16string_view key, std::u16string_view fallback)
{
    std::u16string value = UserDefaults::standard().stringForKey(key);
    return value.empty() ? std::u16string(fallback) : value;
}

std::u16string withoutTrailingSlash(std::u16string string)
{
    while (string.ends_with(u'/'))
        string.pop_back();
    return string;
}

Error authorizationError(std::u16string description)
{
    return Error(VornickHTTPErrorDomain, 401, std::move(description));
}

std::u16string stringOf(const Value& value)
{
    if (value.isString())
        return value.string();
    if (value.isInteger())
        return toUTF16(std::to_string(value.integerValue()));
    return {};
}

} // namespace

std::string vornickFormURLEncoded(const std::vector<std::pair<std::u16string, std::u16string>>& parameters)
{
    static const CharacterSet allowed = CharacterSet::urlUnreserved();
    std::string body;
    for (auto& [name, value] : parameters) {
        if (!body.empty())
            body += '&';
        body += toUTF8(percentEncode(name, allowed)) + '=' + toUTF8(percentEncode(value, allowed));
    }
    return body;
}

std::vector<std::pair<std::u16string, std::u16string>> vornickQueryItems(const URL& url)
{
    std::vector<std::pair<std::u16string, std::u16string>> items;
    std::u16string query = url.query().value_or(u"");
    size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        size_t end = query.find(u'&', start);
        if (end == std::u16string::npos)
            end = query.size();
        std::u16string item = query.substr(start, end - start);
        for (auto& c : item) {
            if (c == u'+')
                c = u' ';
        }
        if (!item.empty()) {
            size_t equals = item.find(u'=');
            std::u16string name = item.substr(0, equals);
            std::u16string value = equals == std::u16string::npos ? u"" : item.substr(equals + 1);
            items.emplace_back(percentDecode(name).value_or(name), percentDecode(value).value_or(value));
        }
        start = end + 1;
    }
    return items;
}

VornickWordPressOAuth2Flow::VornickWordPressOAuth2Flow(std::weak_ptr<VornickWordPressAgent> agent, Completion completion)
    : m_agent(std::move(agent))
    , m_completion(std::move(completion))
{
    Data verifier = randomBytes(32);
    m_codeVerifier = base64URLEncoded(verifier.data(), verifier.size());
    Data state = randomBytes(16);
    m_state = base64URLEncoded(state.data(), state.size());
}

std::shared_ptr<VornickWordPressOAuth2Flow> VornickWordPressOAuth2Flow::create(std::weak_ptr<VornickWordPressAgent> agent,
    Completion completion)
{
    return std::shared_ptr<VornickWordPressOAuth2Flow>(new VornickWordPressOAuth2Flow(std::move(agent), std::move(completion)));
}

std::u16string VornickWordPressOAuth2Flow::apiRootURLString()
{
    return withoutTrailingSlash(stringDefault(VornickWordPressDotComAPIRootURLDefaultsKey, defaultHostedRootURLString));
}

std::u16string VornickWordPressOAuth2Flow::oauth2RootURLString()
{
    return withoutTrailingSlash(stringDefault(VornickWordPressDotComOAuth2RootURLDefaultsKey, defaultHostedRootURLString));
}

std::u16string VornickWordPressOAuth2Flow::clientIdentifier()
{
    return UserDefaults::standard().stringForKey(VornickWordPressDotComOAuth2ClientIDDefaultsKey);
}

std::u16string VornickWordPressOAuth2Flow::base64URLEncoded(const uint8_t* bytes, size_t count)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::u16string text;
    for (size_t i = 0; i < count; i += 3) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (i + 1 < count)
            group |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < count)
            group |= bytes[i + 2];
        text.push_back(static_cast<char16_t>(alphabet[(group >> 18) & 63]));
        text.push_back(static_cast<char16_t>(alphabet[(group >> 12) & 63]));
        if (i + 1 < count)
            text.push_back(static_cast<char16_t>(alphabet[(group >> 6) & 63]));
        if (i + 2 < count)
            text.push_back(static_cast<char16_t>(alphabet[group & 63]));
    }
    return text;
}

std::u16string VornickWordPressOAuth2Flow::codeChallengeForVerifier(std::u16string_view verifier)
{
    auto digest = vornickSHA256(toUTF8(verifier));
    return base64URLEncoded(digest.data(), digest.size());
}

URL VornickWordPressOAuth2Flow::authorizationURL() const
{
    std::string query = vornickFormURLEncoded({
        { u"client_id", clientIdentifier() },
        { u"redirect_uri", VornickWordPressOAuth2RedirectURLString },
        { u"response_type", u"code" },
        { u"scope", u"global" },
        { u"state", m_state },
        { u"code_challenge", codeChallengeForVerifier(m_codeVerifier) },
        { u"code_challenge_method", u"S256" },
    });
    auto url = URL::create(toUTF8(oauth2RootURLString()) + "/oauth2/authorize?" + query);
    return url ? *url : URL::fileURLWithPath("/", true);
}

bool VornickWordPressOAuth2Flow::resumeExternalUserAgentFlowWithURL(const URL& url)
{
    if (m_resumed || url.scheme() != u"brvn" || url.host() != u"oauth2")
        return false;
    m_resumed = true;
    std::u16string code, state, error, errorDescription;
    for (auto& [name, value] : vornickQueryItems(url)) {
        if (name == u"code")
            code = value;
        else if (name == u"state")
            state = value;
        else if (name == u"error")
            error = value;
        else if (name == u"error_description")
            errorDescription = value;
    }
    if (state != m_state) {
        finish(authorizationError(u"The WordPress.com authorization came back for another request and was ignored. Please try again."));
        return true;
    }
    if (!error.empty() || code.empty()) {
        finish(authorizationError(u"WordPress.com did not authorize Brevanton (" + (error.empty() ? u"no code" : error)
            + (errorDescription.empty() ? u"" : u": " + errorDescription) + u")."));
        return true;
    }
    auto agent = m_agent.lock();
    if (!agent) {
        finish(authorizationError(u"The authorization ended before it was complete."));
        return true;
    }
    auto self = shared_from_this();
    requestTokens(*agent,
        {
            { u"client_id", clientIdentifier() },
            { u"redirect_uri", VornickWordPressOAuth2RedirectURLString },
            { u"grant_type", u"authorization_code" },
            { u"code", code },
            { u"code_verifier", m_codeVerifier },
        },
        nullptr, [self](std::optional<Dictionary> authorization, Error error) {
            if (!authorization) {
                self->finish(std::move(error));
                return;
            }
            auto agent = self->m_agent.lock();
            auto account = agent ? agent->wordPressAccount() : nullptr;
            Error storeError;
            if (!account || !account->setRESTAPIAuthorization(*authorization, VornickWordPressOAuth2AuthorizationSiteIdentifier, &storeError)) {
                self->finish(storeError.isEmpty() ? authorizationError(u"The authorization could not be stored.") : storeError);
                return;
            }
            self->finish({});
        });
    return true;
}

void VornickWordPressOAuth2Flow::fail(Error error)
{
    m_resumed = true;
    finish(std::move(error));
}

void VornickWordPressOAuth2Flow::finish(Error error)
{
    auto completion = std::move(m_completion);
    m_completion = nullptr;
    if (completion)
        completion(std::move(error));
}

void VornickWordPressOAuth2Flow::requestTokens(VornickWordPressAgent& agent,
    const std::vector<std::pair<std::u16string, std::u16string>>& parameters, const Dictionary* previous, TokenCompletion completion)
{
    auto url = URL::create(oauth2RootURLString() + u"/oauth2/token");
    if (!url) {
        completion(std::nullopt, authorizationError(u"The WordPress.com token address is not a valid URL."));
        return;
    }
    URLRequest request(*url, tokenRequestTimeout);
    request.setHTTPMethod(u"POST");
    request.setValueForHTTPHeaderField(u"application/x-www-form-urlencoded", u"Content-Type");
    request.setValueForHTTPHeaderField(u"application/json", u"Accept");
    std::string body = vornickFormURLEncoded(parameters);
    request.setHTTPBody(Data(body.begin(), body.end()));
    std::optional<Dictionary> kept;
    if (previous)
        kept = *previous;
    agent.loadAuthorizedRESTRequest(std::move(request), VornickReplyKind::SettingsReply,
        [completion, kept](const VornickWordPressAgent::RESTReply& answer) {
            if (!answer.succeeded()) {
                completion(std::nullopt, answer.error);
                return;
            }
            const std::optional<Value>& json = answer.json;
            if (!json || !json->isDictionary() || !(*json)[u"access_token"].isString() || (*json)[u"access_token"].string().empty()) {
                completion(std::nullopt, authorizationError(u"WordPress.com answered the token request without an access token."));
                return;
            }
            Dictionary state = kept.value_or(Dictionary {});
            state.erase(u"expires_at");
            const Dictionary& reply = json->dictionary();
            for (const char16_t* key : { u"access_token", u"token_type", u"refresh_token", u"blog_id", u"blog_url", u"scope" }) {
                if (auto value = stringOf((*json)[key]); !value.empty())
                    state[key] = Value(value);
            }
            if (auto expires = reply.find(u"expires_in"); expires != reply.end()) {
                double seconds = expires->second.isString() ? std::strtod(toUTF8(expires->second.string()).c_str(), nullptr)
                                                            : expires->second.doubleValue();
                if (seconds > 0)
                    state[u"expires_at"] = Value(Date::now().timeIntervalSince1970() + seconds);
            }
            completion(std::move(state), {});
        });
}

void VornickWordPressOAuth2Flow::refresh(VornickWordPressAgent& agent, const Dictionary& authorization, TokenCompletion completion)
{
    auto refreshToken = authorization.find(u"refresh_token");
    if (refreshToken == authorization.end() || !refreshToken->second.isString() || refreshToken->second.string().empty()) {
        completion(std::nullopt, authorizationError(u"The WordPress.com authorization has expired. Please authorize Brevanton again."));
        return;
    }
    requestTokens(agent,
        {
            { u"client_id", clientIdentifier() },
            { u"grant_type", u"refresh_token" },
            { u"refresh_token", refreshToken->second.string() },
        },
        &authorization, std::move(completion));
}

bool VornickWordPressOAuth2Flow::hasExpired(const Dictionary& authorization)
{
    auto expiresAt = authorization.find(u"expires_at");
    if (expiresAt == authorization.end() || !expiresAt->second.isNumber())
        return false;
    return expiresAt->second.doubleValue() <= Date::now().timeIntervalSince1970() + tokenExpiryMargin;
}

} // namespace brevanton
