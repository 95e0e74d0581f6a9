// VornickWordPressOAuth2Flow: the OAuth2 authorisation of a hosted WordPress
// account, an authorization code grant with PKCE (S256) and a random
// `state`. The flow opens the authorisation page in the user's browser and
// waits, held by the application delegate, for the "brvn://oauth2" redirect;
// it then trades the code for tokens at the token endpoint and stores the
// authorisation state as JSON in the account's keychain item. The stored
// state holds "access_token", "token_type", "refresh_token" and
// "expires_at" (seconds since 1970) when the server gave them, "blog_id",
// "blog_url" and "scope".
//
// Main thread only.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "toolkit/VornickAuthorizationFlowSession.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevanton {

class URLRequest;
class VornickWordPressAgent;

// The redirect the hosted service sends the browser back to.
inline constexpr char16_t VornickWordPressOAuth2RedirectURLString[] = u"brvn://oauth2";

class VornickWordPressOAuth2Flow final : public VornickAuthorizationFlowSession,
                                         public std::enable_shared_from_this<VornickWordPressOAuth2Flow> {
public:
    using Completion = std::function<void(Error)>;
    // The stored state, or the error.
    using TokenCompletion = std::function<void(std::optional<Dictionary> authorization, Error)>;

    // A flow with a fresh code verifier and state.
    static std::shared_ptr<VornickWordPressOAuth2Flow> create(std::weak_ptr<VornickWordPressAgent>, Completion);

    // The authorisation page to open in the browser.
    URL authorizationURL() const;
    const std::u16string& state() const { return m_state; }
    const std::u16string& codeVerifier() const { return m_codeVerifier; }

    // Takes "brvn://oauth2?code=...&state=..." (or "?error=..."): trades the
    // code for tokens, stores them and calls the completion once.
    bool resumeExternalUserAgentFlowWithURL(const URL&) override;
    // Ends the flow with the error (the browser could not be opened, ...).
    void fail(Error);

    // The hosted service's places, from the user defaults.
    static std::u16string apiRootURLString();
    static std::u16string oauth2RootURLString();
    static std::u16string clientIdentifier();

    // Sends the token request with `parameters` (form encoded) through the
    // agent and turns the answer into the state to store: `previous` gives
    // what a refresh answer leaves out (the refresh token, site, scope).
    static void requestTokens(VornickWordPressAgent&, const std::vector<std::pair<std::u16string, std::u16string>>& parameters,
        const Dictionary* previous, TokenCompletion);
    // Refreshes the stored state's tokens.
    static void refresh(VornickWordPressAgent&, const Dictionary& authorization, TokenCompletion);
    // Whether the access token has expired (or will within a minute).
    static bool hasExpired(const Dictionary& authorization);

    // base64url without padding (RFC 7636), and the S256 challenge of a verifier.
    static std::u16string base64URLEncoded(const uint8_t* bytes, size_t count);
    static std::u16string codeChallengeForVerifier(std::u16string_view verifier);

private:
    VornickWordPressOAuth2Flow(std::weak_ptr<VornickWordPressAgent>, Completion);
    void finish(Error);

    std::weak_ptr<VornickWordPressAgent> m_agent;
    Completion m_completion;
    std::u16string m_codeVerifier;
    std::u16string m_state;
    bool m_resumed { false };
};

// Form encoding of name/value pairs (application/x-www-form-urlencoded).
std::string vornickFormURLEncoded(const std::vector<std::pair<std::u16string, std::u16string>>& parameters);
// The decoded query items of a URL, in order.
std::vector<std::pair<std::u16string, std::u16string>> vornickQueryItems(const URL&);

} // namespace brevanton
