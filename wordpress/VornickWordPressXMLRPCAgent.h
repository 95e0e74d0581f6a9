// VornickWordPressXMLRPCAgent: the WordPress agent of an account that speaks
// XML-RPC. Every request is one or two wp.* calls through the XML-RPC client,
// each behind the agent's rate-limited host queue, and ends in exactly one
// answer to the delegate: the description dictionaries the integrator reads,
// or a failure. Only the site list of a hosted account goes over REST.
//
// Every call but wp.getUsersBlogs begins with the blog identifier, the login
// and the password; the password goes only over https, or plain http to this
// machine, and a call to any other address fails before it is sent.
//
// Failures the delegate sees: a transport error or timeout (URLErrorDomain);
// an HTTP status that is no success ("HTTP", the status as the code); a reply
// that is no XML-RPC (VornickErrorDomain, 29); an XML-RPC fault
// (VornickHTTPErrorDomain, the fault code as the code, the fault string as
// the description, and both under FaultCodeKey and FaultStringKey); a reply
// of the wrong kind (VornickErrorDomain, 38); an account without a password
// or a blog without an identifier (VornickErrorDomain, 94). A wrong login
// (fault 403) ends the site list with 49; a post the server says it does not
// have (fault 404) ends a trash move with VornickServerSaysPostNotFoundError.
// An upload the site refuses for its size (status 413, or a 500 for a large
// one, when the site ran out of memory reading it) keeps the site's error and
// gets a failure reason saying so.
//
// Main thread only. Made by create(); held by std::shared_ptr.
#pragma once

#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressXMLRPCRequest.h"
#include "wordpress/XMLRPCConnectionDelegate.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickWordPressXMLRPCAgent final : public VornickWordPressAgent, public XMLRPCConnectionDelegate {
public:
    // Error user information of an XML-RPC fault.
    static constexpr const char16_t* FaultCodeKey = u"faultCode";
    static constexpr const char16_t* FaultStringKey = u"faultString";
    // Error user information of a reply of the wrong kind: what was expected
    // ("array", "struct", ...) and the reply's description.
    static constexpr const char16_t* ExpectedTypeKey = u"expectedType";
    static constexpr const char16_t* ReceivedDescriptionKey = u"receivedDescription";

    // Paging sizes.
    static constexpr int64_t postsPerPage = 50;
    static constexpr int64_t mediaItemsPerPage = 50;
    static constexpr int64_t categoriesPerPage = 100;

    static std::shared_ptr<VornickWordPressXMLRPCAgent> create();
    // Stops the calls under way; their answers are dropped.
    ~VornickWordPressXMLRPCAgent() override;

    // "XML-RPC", or "XML-RPC (custom endpoint URL: <endpoint>)".
    std::u16string protocolDescription() const override;
    bool reportedPostsIncludePostsInTrash() const override { return false; }
    bool wantsRequestTagsStep() const override { return false; }
    // Tags come with the posts; nothing is asked.
    void requestTagsForBlogWithDescription(const Dictionary&, int64_t) override { }
    // False when no endpoint can be formed from the account alone, else the
    // base's answer.
    bool hasEnoughInfoToAttemptLogin() const;

    // The endpoint of a blog (none: the account's root): the account's custom
    // endpoint for every blog (a schemeless one taken as https), else the
    // blog's address (https for a hosted account), followed by "xmlrpc.php".
    // None when no address is known.
    std::optional<URL> wordPressAPIURLForBlogIdentifier(const std::optional<std::u16string>& blogIdentifier) const;
    // What one call came to: the value it answered with, or the error of a
    // failure (a fault included), and the address it went to.
    struct XMLRPCReply {
        URL url;
        Value object;
        Error error;

        bool succeeded() const { return error.isEmpty(); }
    };
    using XMLRPCCompletion = std::function<void(const XMLRPCReply&)>;

    // The one road every call takes: made for the blog's endpoint (the
    // credential rule applied: no parameters means no password or no blog
    // identifier, a failure), sent when the rate limit allows within the
    // limits of `kind`, its reply checked. `completion` runs once, on the
    // main thread on a later turn, and only while the agent lives.
    void postXMLRPCRequestWithMethodName(std::u16string method, std::optional<Array> parameters,
        const std::optional<std::u16string>& blogIdentifier, VornickReplyKind kind, XMLRPCCompletion completion);
    // The login and the password; none without a password.
    std::optional<Array> usernameAndPassword() const;
    // The blog identifier, the login and the password; none without a
    // password or a blog identifier.
    std::optional<Array> blogIDUsernameAndPasswordForBlogWithDescription(const Dictionary& blogDescription) const;
    static Dictionary vornickPostDescriptionFromWordPressPostDescription(const Dictionary& post);

    void requestBlogDescriptions() override;
    void requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset) override;
    void requestBlogOptionsForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription) override;
    void requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override;
    void uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary& blogDescription) override;
    void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier) override;
    void requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    bool canRequestSinglePosts() const override { return true; }
    // wp.getPost, mapped as a listing's posts are. The server's fault 404
    // fails with VornickServerSaysPostNotFoundError.
    void requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    // Asks for the post first: one already in the server's trash is left
    // there (wp.deletePost would delete it for good) and counts as moved.
    void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;
    void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription) override;

    void requestDidReceiveResponse(XMLRPCRequest&, const XMLRPCResponse&) override;
    void requestDidFailWithError(XMLRPCRequest&, const Error&) override;
    // Logged; the agent takes part only in the server's trust, which it
    // accepts exactly when the session trusted the certificate.
    bool requestCanAuthenticateAgainstProtectionSpace(XMLRPCRequest&, const URLProtectionSpace&) override;
    void requestDidReceiveAuthenticationChallenge(XMLRPCRequest&, const URLAuthenticationChallenge&) override;

    // Whether the error is the XML-RPC fault `code` (not an HTTP status).
    static bool isFault(const Error&, int64_t code);

protected:
    bool endpointIsTypedByTheUser() const override { return true; }

private:
    VornickWordPressXMLRPCAgent() = default;

    void logLine(std::u16string_view line) const;
    // "xmlrpc.php" under a site's address (https for a hosted account).
    std::optional<URL> endpointURLForSiteAddress(std::u16string address) const;
    // Why a blog of the site list at `address` could not be sent the login
    // (its calls would leave the origin logged in to); none when it can.
    std::optional<Error> credentialsRefusalForSiteAddress(const Value& address) const;

    void requestMoveToTrashAfterCheck(const std::u16string& postIdentifier, int64_t postNumber, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    void receivedUsersBlogsFailure(const XMLRPCReply&);
    // Whether the account has the blog "1" already (from an earlier site list).
    bool accountKnowsBlogOne() const;
    // Asks for the struct a settings method answers (the post formats, the
    // post statuses) and hands it, or why it did not come, to the delegate.
    using SettingsReceived = void (VornickWordPressAgentDelegate::*)(VornickWordPressAgent&, const Dictionary&, const Dictionary&);
    using SettingsFailed = void (VornickWordPressAgentDelegate::*)(VornickWordPressAgent&, const Dictionary&, const Error&);
    void requestSettingsStruct(const Dictionary& blogDescription, const std::u16string& methodName, std::string_view what, SettingsReceived,
        SettingsFailed);
    void reportPostListingFailure(std::u16string type, const Dictionary& blogDescription, int64_t startOffset, std::u16string label,
        const Error&);

    std::vector<std::u16string> m_connectionIdentifiers;
};

} // namespace brevanton
