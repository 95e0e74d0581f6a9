// VornickWordPressAgent: the base of the two WordPress agents (REST and
// XML-RPC). It adds to the blog service agent what both protocols share and
// everything a REST request needs: the REST root of an account, one operation
// that builds, authorises and sends a REST request and checks its reply, the
// OAuth2 authorisation of hosted accounts, the site list or site settings,
// the fixed tables of post formats and statuses, and watching the host of
// the account's root URL.
//
// Main thread only. Held by std::shared_ptr.
#pragma once

#include "blog/VornickBlogServiceAgent.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class VornickWordPressAccount;
class VornickWordPressAgentDelegate;
class VornickWordPressMediaItem;
class VornickWordPressRESTPayload;

// User defaults naming the hosted service's places and the product's client
// there: the REST API's root ("https://public-api.wordpress.com"), the OAuth2
// server's root (the same by default) and the OAuth2 client identifier.
inline constexpr char16_t VornickWordPressDotComAPIRootURLDefaultsKey[] = u"WordPressDotComAPIRootURL";
inline constexpr char16_t VornickWordPressDotComOAuth2RootURLDefaultsKey[] = u"WordPressDotComOAuth2RootURL";
inline constexpr char16_t VornickWordPressDotComOAuth2ClientIDDefaultsKey[] = u"WordPressDotComOAuth2ClientID";
// The hosted service's OAuth2 authorisation is kept under this site identifier.
inline constexpr char16_t VornickWordPressOAuth2AuthorizationSiteIdentifier[] = u"0";

class VornickWordPressAgent : public VornickBlogServiceAgent {
public:
    // What one REST request came to: the request as sent, the response
    // (null when none came), and either the parsed JSON of a success (none
    // when the reply had no body) or the error of a failure.
    struct RESTReply {
        URLRequest request;
        std::shared_ptr<URLResponse> response;
        std::optional<Value> json;
        Error error;

        bool succeeded() const { return error.isEmpty(); }
    };
    using RESTCompletion = std::function<void(const RESTReply&)>;
    // Query items in the order given.
    using QueryParameters = std::vector<std::pair<std::u16string, Value>>;

    VornickWordPressAgent();
    ~VornickWordPressAgent() override;

    std::shared_ptr<VornickWordPressAccount> wordPressAccount() const;
    // Also watches the new account's "rootURLString" (and no longer the old one's).
    void setAccount(std::shared_ptr<VornickBlogServiceAgentAccount> account) override;
    // The host of the account's root URL becomes the host to watch.
    void updateHostNameToWatchFromWordPressAccount();

    // The delegate when it takes WordPress answers, else null.
    VornickWordPressAgentDelegate* wordPressDelegate() const;

    // "Brevanton/<short version>", or "Brevanton" without a version.
    static std::u16string userAgentString();
    // Read by the WordPress integrator; no agent operation sets it.
    int64_t wordPressDotComSiteCount() const { return 0; }
    // Format identifier to title ("standard" -> "Standard", ...), and status
    // identifier to title ("publish" -> "Published", ...); built once.
    static const Dictionary& constantPostFormatDescriptions();
    static const Dictionary& constantPostStatusDescriptions();

    // OAuth2 for hosted accounts: false when an authorisation is stored;
    // otherwise opens the browser and answers true; `completion` runs once
    // the redirect came back (or failed).
    bool beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary* blogDescription,
        std::function<void(Error)> completion) override;

    // The REST root of the account; `versionOverride` 0 keeps the account's
    // version (only hosted accounts take 1 or 2). The path is appended by the caller.
    std::optional<URL> wordPressRESTAPIURLForEndpointPath(std::u16string_view path, int versionOverride) const;
    // The one road of every REST request of the agents (tests record them by
    // overriding it): builds the request, applies the credential rule and
    // the account's authorisation, sends it within the limits of `kind`,
    // checks the reply, and calls `completion` once, on the main thread on a
    // later turn, and only while the agent lives (so it may use the agent).
    virtual void postRESTRequestWithEndpointPath(std::u16string_view path, int versionOverride, std::u16string_view httpMethod,
        const Value& blogID, const QueryParameters& queryParameters, std::shared_ptr<const VornickWordPressRESTPayload> payload,
        VornickReplyKind kind, RESTCompletion completion);
    // Hosted accounts: "me/sites"; others: "settings".
    void requestBlogDescriptionsUsingWordPressRESTAPI();

    void requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;

    // Size variants from an XML-RPC "sizes" dictionary.
    static Dictionary mediaItemVariantsDictionaryForWordPressSizesDictionary(const Dictionary& sizes);

    bool bloggingServiceSupportsPages() const override { return true; }
    virtual bool wantsRequestBlogOptionsSyncStep() const { return true; }
    virtual bool wantsRequestPostFormatsStep() const { return true; }
    virtual bool wantsRequestPostStatusesStep() const { return true; }

    // To override; the base asserts "Subclasses must override -<selector>".
    virtual void requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset);
    virtual void requestBlogOptionsForBlogWithDescription(const Dictionary& blogDescription);
    virtual void requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset);
    virtual bool wantsRequestTagsStep() const;
    virtual void requestTagsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset);
    virtual void requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription);
    virtual void requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription);
    virtual void requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset);
    virtual void uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& mediaItem, const Dictionary& blogDescription);

    // Whether the account's login may be sent to `url`: the origin (scheme,
    // host, port) of an address the user logged in to (the site's address,
    // the XML-RPC endpoint typed beside it; for the hosted service its own
    // hosts and the sites of its site list), over https or plain http to
    // the loopback interface. Else the refusal, naming both addresses.
    bool mayCarryCredentialsToURL(const URL&) const;
    std::optional<Error> credentialsRefusalForURL(const URL&) const;

protected:
    // Whether the account's endpoint is one the user typed (XML-RPC's),
    // rather than one a site's page named (REST's).
    virtual bool endpointIsTypedByTheUser() const { return false; }

private:
    friend class VornickWordPressOAuth2Flow;
    // The account's REST endpoint, "https://" put before one without a scheme.
    std::optional<std::u16string> remoteEndpointURLStringWithScheme() const;
    // Adds the Authorization field the account needs, then loads; or fails.
    void authorizeAndLoadRESTRequest(URLRequest, VornickReplyKind, RESTCompletion);
    void loadRequestWithBearerToken(URLRequest, const std::u16string& accessToken, VornickReplyKind, RESTCompletion);
    // Loads the request, then checks the reply.
    void loadAuthorizedRESTRequest(URLRequest, VornickReplyKind, RESTCompletion);
    // Answers a request that fails before it is sent.
    void failRESTRequest(URLRequest, Error, RESTCompletion);
    static RESTReply checkRESTReply(const URLRequest&, std::shared_ptr<URLResponse>, const Data&, const Error& transportError);
    void receivedSettingsFailure(const Error&);
    void noteSiteListAddress(const Value& address);
    // Forgets a hosted authorisation the server no longer takes.
    void discardOAuth2Authorization();

    // The addresses the user logged in to, first the site's own.
    std::vector<URL> loginURLs() const;

    std::set<std::u16string> m_siteListAddresses;
};

} // namespace brevanton
