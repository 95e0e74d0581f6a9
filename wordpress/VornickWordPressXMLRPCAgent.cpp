#include "wordpress/VornickWordPressXMLRPCAgent.h"

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickBlogServiceDescriptions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickCollections.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickURLExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressMediaItem.h"
#include "wordpress/VornickWordPressXMLRPCDescriptions.h"
#include "wordpress/XMLRPCConnectionManager.h"

#include <algorithm>

namespace brevanton {

namespace {

// A value of a reply for a log line: storable text as it is, else a printable form.
Value loggable(const Value& value)
{
    return value.isString() ? Value(vornickWordPressLoggableText(value.string())) : value;
}

// A reply of another kind than the call answers with.
constexpr int64_t unexpectedReplyError = 38;
// The site refused the password.
constexpr int64_t passwordRejectedError = 49;
// The server did not confirm a trash move by answering true.
constexpr int64_t trashNotConfirmedError = 27;

constexpr const char16_t* xmlrpcDisabledExplanation =
    u"\n\n** XML-RPC Disabled? **\nYour WordPress host sent the above error message instead of the expected XML-RPC response.  It may be "
    u"that XML-RPC, which Brevanton needs in order to sync, has been completely disabled for your WordPress site as a security precaution.  "
    u"If you maintain your own WordPress installation, please check your set of installed WordPress plugins, .htaccess settings, and "
    u"WordPress admin settings for anything that might be disabling XML-RPC.  If your hosting provider maintains WordPress for you, please "
    u"ask them to ensure that XML-RPC is enabled for your site.  Then try syncing your blog to Brevanton again.\n\nAlternatively, your site "
    u"may simply have the \"wp.getUsersBlogs\" method disabled, since it is a common target of malicious password-hacking scripts.  If your "
    u"WordPress account has only a single blog, as is often the case, Brevanton may be able to proceed without needing to use "
    u"\"wp.getUsersBlogs\".  Attempting that workaround now.  If that fails and you are still unable to sync your blog with Brevanton, "
    u"please email us at ";

template<typename... Args>
void say(const std::shared_ptr<VornickLog>& log, fmt::format_string<VornickLogArgumentType<Args>...> format, Args&&... args)
{
    if (log)
        log->log(format, std::forward<Args>(args)...);
}

std::u16string stringOf(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found != dictionary.end() && found->second.isString() ? found->second.string() : std::u16string();
}

std::u16string titleOf(const Dictionary& blogDescription)
{
    return stringOf(blogDescription, VornickTitleKey);
}

std::optional<std::u16string> blogIdentifierOf(const Dictionary& blogDescription)
{
    auto found = blogDescription.find(VornickIdentifierUsedByBlogServiceKey);
    if (found == blogDescription.end())
        return std::nullopt;
    return vornickWordPressIdentifierString(found->second);
}

Error unexpectedReply(const Value& reply, std::u16string_view expectedType, std::u16string_view what)
{
    Error error(VornickErrorDomain, unexpectedReplyError, u"WordPress answered " + std::u16string(what) + u" with an unexpected kind of reply.");
    error.userInfo()[VornickWordPressXMLRPCAgent::ExpectedTypeKey] = Value(expectedType);
    error.userInfo()[VornickWordPressXMLRPCAgent::ReceivedDescriptionKey] = Value(toUTF16(reply.description()));
    return error;
}

Error accountIncomplete(std::u16string description)
{
    return Error(VornickErrorDomain, VornickAccountIncompleteError, std::move(description));
}

Error withReason(Error error, std::u16string reason)
{
    error.userInfo()[Error::LocalizedFailureReasonKey] = Value(std::move(reason));
    return error;
}

std::u16string reasonOf(const Error& error)
{
    auto found = error.userInfo().find(Error::LocalizedFailureReasonKey);
    return found != error.userInfo().end() && found->second.isString() ? found->second.string() : std::u16string();
}

std::vector<Dictionary> dictionariesOf(const Array& list)
{
    std::vector<Dictionary> dictionaries;
    for (auto& element : list) {
        if (element.isDictionary())
            dictionaries.push_back(element.dictionary());
    }
    return dictionaries;
}

// A site refuses a request too large for it with status 413, or, when PHP
// runs out of memory reading it, with a fault or status 500.
constexpr uint64_t largeUploadSize = 8 * 1024 * 1024;

bool isSizeRefusal(const Error& error, uint64_t encodedSize)
{
    if (error.is(VornickXMLRPCHTTPStatusErrorDomain, 413) || error.is(VornickHTTPErrorDomain, 413))
        return true;
    return encodedSize >= largeUploadSize && (error.is(VornickXMLRPCHTTPStatusErrorDomain, 500) || error.is(VornickHTTPErrorDomain, 500));
}

// The failure of an upload the site could not take for its size says so in
// its reason, keeping the site's own status or fault.
Error uploadFailureWithSizeReason(Error error, uint64_t encodedSize)
{
    if (!isSizeRefusal(error, encodedSize))
        return error;
    std::u16string megabytes = toUTF16(fmt::format("{:.1f}", static_cast<double>(encodedSize) / (1024 * 1024)));
    error.userInfo()[Error::LocalizedFailureReasonKey] = Value(u"The upload was too large for the site: " + megabytes
        + u" MB once encoded for sending. The site's limits on the size of a request or an upload, or on its memory, may need raising.");
    return error;
}

} // namespace

std::shared_ptr<VornickWordPressXMLRPCAgent> VornickWordPressXMLRPCAgent::create()
{
    return std::shared_ptr<VornickWordPressXMLRPCAgent>(new VornickWordPressXMLRPCAgent);
}

VornickWordPressXMLRPCAgent::~VornickWordPressXMLRPCAgent()
{
    auto& manager = XMLRPCConnectionManager::sharedManager();
    for (auto& identifier : m_connectionIdentifiers)
        manager.closeConnectionForIdentifier(identifier);
}

void VornickWordPressXMLRPCAgent::logLine(std::u16string_view line) const
{
    if (auto log = this->log())
        log->log(line);
}

std::u16string VornickWordPressXMLRPCAgent::protocolDescription() const
{
    auto account = wordPressAccount();
    std::u16string endpoint = account ? account->remoteEndpointURLString().value_or(u"") : std::u16string();
    return endpoint.empty() ? u"XML-RPC" : u"XML-RPC (custom endpoint URL: " + endpoint + u")";
}

bool VornickWordPressXMLRPCAgent::hasEnoughInfoToAttemptLogin() const
{
    return wordPressAPIURLForBlogIdentifier(std::nullopt) && VornickWordPressAgent::hasEnoughInfoToAttemptLogin();
}

bool VornickWordPressXMLRPCAgent::isFault(const Error& error, int64_t code)
{
    return error.is(VornickHTTPErrorDomain, code) && error.userInfo().contains(FaultCodeKey);
}

std::optional<URL> VornickWordPressXMLRPCAgent::wordPressAPIURLForBlogIdentifier(const std::optional<std::u16string>& blogIdentifier) const
{
    auto account = wordPressAccount();
    if (!account)
        return std::nullopt;
    std::u16string endpoint = account->remoteEndpointURLString().value_or(u"");
    if (!endpoint.empty()) {
        if (endpoint.find(u"://") == std::u16string::npos) {
            if (endpoint.front() == u'/')
                endpoint.erase(0, 1);
            endpoint = u"https://" + endpoint;
        }
        return URL::create(endpoint);
    }
    if (!blogIdentifier)
        return endpointURLForSiteAddress(account->rootURLString());
    auto* context = account->managedObjectContext();
    auto blog = context ? vornick_entityOfKind(*context, u"Blog", Value(*blogIdentifier), VornickIdentifierUsedByBlogServiceKey) : nullptr;
    if (!blog)
        return std::nullopt;
    return endpointURLForSiteAddress(blog->valueForKey(VornickBrowseURLStringKey).stringValue());
}

std::optional<URL> VornickWordPressXMLRPCAgent::endpointURLForSiteAddress(std::u16string base) const
{
    auto account = wordPressAccount();
    if (account && account->isWordPressDotComAccount() && base.size() >= 5
        && equalsIgnoringASCIICase(std::u16string_view(base).substr(0, 5), u"http:"))
        base = u"https:" + base.substr(5);
    if (base.empty())
        return std::nullopt;
    if (base.back() != u'/')
        base += u'/';
    return URL::create(base + u"xmlrpc.php");
}

std::optional<Error> VornickWordPressXMLRPCAgent::credentialsRefusalForSiteAddress(const Value& address) const
{
    auto account = wordPressAccount();
    // A typed endpoint serves every blog; a site's own address is not asked.
    if (!account || account->remoteEndpointURLString().value_or(u"").size() || !address.isString())
        return std::nullopt;
    auto url = endpointURLForSiteAddress(address.string());
    return url ? credentialsRefusalForURL(*url) : std::nullopt;
}

std::optional<Array> VornickWordPressXMLRPCAgent::usernameAndPassword() const
{
    auto account = this->account();
    if (!account)
        return std::nullopt;
    std::u16string password = account->password();
    if (password.empty())
        return std::nullopt;
    return Array { Value(account->loginID()), Value(std::move(password)) };
}

std::optional<Array> VornickWordPressXMLRPCAgent::blogIDUsernameAndPasswordForBlogWithDescription(const Dictionary& blogDescription) const
{
    auto identifier = blogIdentifierOf(blogDescription);
    auto credentials = usernameAndPassword();
    if (!identifier || !credentials)
        return std::nullopt;
    credentials->insert(credentials->begin(), Value(*identifier));
    return credentials;
}

Dictionary VornickWordPressXMLRPCAgent::vornickPostDescriptionFromWordPressPostDescription(const Dictionary& post)
{
    return brevanton::vornickPostDescriptionFromWordPressPostDescription(post);
}

void VornickWordPressXMLRPCAgent::postXMLRPCRequestWithMethodName(std::u16string method, std::optional<Array> parameters,
    const std::optional<std::u16string>& blogIdentifier, VornickReplyKind kind, XMLRPCCompletion completion)
{
    auto url = wordPressAPIURLForBlogIdentifier(blogIdentifier);
    auto failLater = [&](Error error) {
        answerLater([completion, url = url.value_or(URL::fileURLWithPath("/", true)), error = std::move(error)] {
            if (completion)
                completion(XMLRPCReply { url, Value(), error });
        });
    };
    if (!parameters) {
        failLater(accountIncomplete(u"The account has no password, or the blog no identifier."));
        return;
    }
    if (!url) {
        failLater(Error(URLErrorDomain, URLErrorBadURL, u"The account has no address to send XML-RPC calls to."));
        return;
    }
    if (auto refusal = credentialsRefusalForURL(*url)) {
        logLine(u"Refused to send the login to " + url->absoluteString() + u": " + refusal->localizedDescription());
        failLater(std::move(*refusal));
        return;
    }
    auto request = std::make_shared<VornickWordPressXMLRPCRequest>(*url);
    request->setMethod(std::move(method), std::move(*parameters));
    VornickReplyLimits limits = vornickReplyLimits(kind);
    request->setReplyLimits(limits.maximumLength, limits.deadline);
    // The connection tells the agent, which lives while it is told.
    request->setSuccessBlock([completion](VornickWordPressXMLRPCRequest& call, const XMLRPCResponse& response) {
        if (completion)
            completion(XMLRPCReply { call.url(), response.object(), Error() });
    });
    request->setFailureBlock([completion, kind](VornickWordPressXMLRPCRequest& call, const Error& error) {
        if (completion)
            completion(XMLRPCReply { call.url(), Value(), vornickErrorNamingReplyLimit(error, kind) });
    });
    std::u16string userAgent = userAgentString();
    if (!userAgent.empty())
        request->setUserAgent(userAgent);
    std::weak_ptr<VornickWordPressXMLRPCAgent> weakThis = std::static_pointer_cast<VornickWordPressXMLRPCAgent>(shared_from_this());
    enqueueHostRequestWithBlock(
        [weakThis, request] {
            auto agent = weakThis.lock();
            if (!agent)
                return;
            auto& manager = XMLRPCConnectionManager::sharedManager();
            std::erase_if(agent->m_connectionIdentifiers, [&](auto& identifier) { return !manager.connectionForIdentifier(identifier); });
            std::weak_ptr<XMLRPCConnectionDelegate> delegate = std::static_pointer_cast<XMLRPCConnectionDelegate>(agent);
            agent->m_connectionIdentifiers.push_back(manager.spawnConnectionWithXMLRPCRequest(request, delegate));
        },
        [weakThis](double delay) {
            if (auto agent = weakThis.lock())
                say(agent->log(),
                    "Sorry, rate limit reached. Waiting {:.1f} seconds before we send WordPress our next request, so host doesn't start "
                    "denying us service.",
                    delay);
        });
}

void VornickWordPressXMLRPCAgent::requestDidReceiveResponse(XMLRPCRequest& request, const XMLRPCResponse& response)
{
    auto* call = dynamic_cast<VornickWordPressXMLRPCRequest*>(&request);
    if (!call)
        return;
    if (response.isFault()) {
        int64_t code = response.faultCode().value_or(0);
        std::u16string string = response.faultString().value_or(u"");
        say(log(), "XML-RPC fault: \"{}\", code {}, URL {}", string, code, request.url().absoluteString());
        Error error(VornickHTTPErrorDomain, code, string);
        error.userInfo()[FaultCodeKey] = Value(code);
        error.userInfo()[FaultStringKey] = Value(string);
        error.userInfo()[Error::URLKey] = Value(request.url().absoluteString());
        call->invokeFailureBlockWithError(error);
        return;
    }
    call->invokeSuccessBlockWithResponse(response);
}

void VornickWordPressXMLRPCAgent::requestDidFailWithError(XMLRPCRequest& request, const Error& error)
{
    if (auto* call = dynamic_cast<VornickWordPressXMLRPCRequest*>(&request))
        call->invokeFailureBlockWithError(error);
}

bool VornickWordPressXMLRPCAgent::requestCanAuthenticateAgainstProtectionSpace(XMLRPCRequest& request, const URLProtectionSpace& space)
{
    if (!dynamic_cast<VornickWordPressXMLRPCRequest*>(&request))
        return false;
    say(log(), "XML-RPC authentication against protection space requested (method={}, protocol={}, host={}, port={}, isSecure={}, isProxy={})",
        std::u16string(nameOfURLAuthenticationMethod(space.authenticationMethod)), space.protocol, space.host, space.port,
        static_cast<int64_t>(space.isSecure), static_cast<int64_t>(space.isProxy));
    return space.authenticationMethod == URLAuthenticationMethod::ServerTrust;
}

void VornickWordPressXMLRPCAgent::requestDidReceiveAuthenticationChallenge(XMLRPCRequest&, const URLAuthenticationChallenge&)
{
    // A trusted certificate was answered with its trust by the session; a
    // refused one goes on without a credential, and so the call fails.
    say(log(), "XML-RPC authentication challenge received");
}

// The site list.

void VornickWordPressXMLRPCAgent::requestBlogDescriptions()
{
    auto account = wordPressAccount();
    if (account && account->isWordPressDotComAccount()) {
        requestBlogDescriptionsUsingWordPressRESTAPI();
        return;
    }
    auto credentials = usernameAndPassword();
    if (!credentials) {
        logLine(u"FAILED to get blog descriptions from WordPress: no password is stored for the account");
        Error error = accountIncomplete(u"No password is stored for this WordPress account.");
        answerLater([this, error] {
            endTasks();
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, error);
        });
        return;
    }
    logLine(u"Requesting blog descriptions from WordPress...");
    postXMLRPCRequestWithMethodName(u"wp.getUsersBlogs", std::move(credentials), std::nullopt, VornickReplyKind::SettingsReply,
        [this](const XMLRPCReply& reply) {
            if (!reply.succeeded()) {
                receivedUsersBlogsFailure(reply);
                return;
            }
            endTasks();
            if (!reply.object.isArray()) {
                Error error = unexpectedReply(reply.object, u"array", u"wp.getUsersBlogs");
                say(log(), "FAILED to get blog descriptions from WordPress: {}", error.localizedDescription());
                if (auto* delegate = this->delegate())
                    delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, error);
                return;
            }
            say(log(), "WordPress reported {} blog(s):", reply.object.array().size());
            std::vector<Dictionary> blogs;
            std::optional<Error> refused;
            for (auto& site : dictionariesOf(reply.object.array())) {
                Dictionary blog;
                auto name = site.find(u"blogName");
                auto identifier = site.find(u"blogid");
                auto url = site.find(u"url");
                say(log(), "\"{}\" (id={}, URL={})", loggable(name != site.end() ? name->second : Value()),
                    loggable(identifier != site.end() ? identifier->second : Value()), loggable(url != site.end() ? url->second : Value()));
                // A blog whose calls could not carry the login is not kept.
                if (auto refusal = url != site.end() ? credentialsRefusalForSiteAddress(url->second) : std::nullopt) {
                    logLine(u"Skipped that blog: " + refusal->localizedDescription());
                    refused = std::move(refusal);
                    continue;
                }
                if (name != site.end() && !name->second.isNull())
                    blog.insert_or_assign(VornickTitleKey, name->second);
                if (url != site.end() && !url->second.isNull())
                    blog.insert_or_assign(VornickBrowseURLStringKey, url->second);
                if (identifier != site.end()) {
                    if (auto text = vornickWordPressIdentifierString(identifier->second))
                        blog.insert_or_assign(VornickIdentifierUsedByBlogServiceKey, Value(*text));
                }
                if (!blog.empty())
                    blogs.push_back(std::move(blog));
            }
            blogs = vornickWordPressCheckedDescriptions(std::move(blogs), u"blog", 0, log().get());
            auto* delegate = this->delegate();
            if (blogs.empty() && refused) {
                if (delegate)
                    delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, *refused);
            } else if (delegate) {
                delegate->blogServiceAgentReceivedBlogDescriptions(*this, blogs);
            }
        });
}

bool VornickWordPressXMLRPCAgent::accountKnowsBlogOne() const
{
    auto account = wordPressAccount();
    if (!account)
        return false;
    auto blogs = account->objectsForKey(u"blogs");
    return std::any_of(blogs.begin(), blogs.end(), [](const auto& blog) {
        return vornickWordPressIdentifierString(blog->valueForKey(VornickIdentifierUsedByBlogServiceKey)) == u"1";
    });
}

void VornickWordPressXMLRPCAgent::receivedUsersBlogsFailure(const XMLRPCReply& reply)
{
    const Error& error = reply.error;
    const URL& url = reply.url;
    say(log(), "FAILED to get blog descriptions from WordPress: {}, request URL={}", error.localizedDescription(), url.absoluteString());
    auto* delegate = this->delegate();
    if (error.is(VornickErrorDomain, VornickXMLRPCResponseNotXMLRPCError)) {
        logLine(reasonOf(error) + xmlrpcDisabledExplanation + Bundle::main().objectForInfoDictionaryKey(u"VornickSupportEmailAddress").stringValue()
            + u" and we'll be happy to help!");
        logLine(u"Attempting workaround: Request blog \"1\".");
        Dictionary blog { { VornickIdentifierUsedByBlogServiceKey, Value(u"1") } };
        // The name and address are guessed from the request: a blog "1" the
        // account has keeps those the site gave it.
        if (!accountKnowsBlogOne()) {
            auto host = url.host();
            blog[VornickTitleKey] = Value(host && !host->empty() ? *host : std::u16string(u"WordPress Site"));
            blog[VornickBrowseURLStringKey] = Value(url.URLByDeletingLastPathComponent().absoluteString());
        }
        if (delegate)
            delegate->blogServiceAgentReceivedBlogDescriptions(*this, { blog });
        return;
    }
    endTasks();
    Error reported = error;
    // WordPress answers a wrong user name or password alike.
    if (isFault(error, 403)) {
        logLine(u"INVALID_PASSWORD: WordPress rejected the provided password. Please confirm that you've entered your password "
                u"and account name correctly.");
        reported = Error(VornickErrorDomain, passwordRejectedError, error.localizedDescription());
        reported.setUnderlyingError(error);
    }
    if (delegate)
        delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, reported);
}

// Posts and pages.

void VornickWordPressXMLRPCAgent::requestWordPressPostsOfType(std::u16string_view type, const Dictionary& blogDescription, int64_t startOffset)
{
    std::u16string postType = type.empty() ? std::u16string(u"post") : std::u16string(type);
    std::u16string label = toUTF16(fmt::format("{}s {}-{} for \"{}\"", toUTF8(postType), startOffset, startOffset + postsPerPage - 1,
        toUTF8(titleOf(blogDescription))));
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters) {
        Dictionary filter { { u"number", Value(postsPerPage) }, { u"offset", Value(startOffset) } };
        if (!equalsIgnoringASCIICase(postType, u"post"))
            filter.insert_or_assign(u"post_type", Value(postType));
        parameters->push_back(Value(std::move(filter)));
        say(log(), "Requesting {}", label);
    }
    postXMLRPCRequestWithMethodName(u"wp.getPosts", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::ListingPage,
        [this, postType, blogDescription, startOffset, label](const XMLRPCReply& reply) {
            if (!reply.succeeded() || !reply.object.isArray()) {
                reportPostListingFailure(postType, blogDescription, startOffset, label,
                    reply.succeeded() ? unexpectedReply(reply.object, u"array", u"wp.getPosts") : reply.error);
                return;
            }
            std::vector<Dictionary> posts;
            for (auto& post : dictionariesOf(reply.object.array())) {
                Dictionary description = brevanton::vornickPostDescriptionFromWordPressPostDescription(post);
                if (!description.empty())
                    posts.push_back(std::move(description));
            }
            bool pages = equalsIgnoringASCIICase(postType, u"page");
            auto typed = vornickWordPressPostDescriptions(
                vornickWordPressCheckedDescriptions(std::move(posts), pages ? u"page" : u"post", startOffset, log().get()));
            say(log(), "Received {} {}s for \"{}\"", startOffset + static_cast<int64_t>(typed.size()), postType, titleOf(blogDescription));
            // Another page may follow a full one, whatever of it was kept.
            bool couldBeMore = static_cast<int64_t>(reply.object.array().size()) >= postsPerPage;
            auto* delegate = wordPressDelegate();
            if (!delegate)
                return;
            if (pages)
                delegate->wordPressAgentReceivedPageDescriptions(*this, typed, blogDescription, startOffset, couldBeMore);
            else
                delegate->wordPressAgentReceivedPostDescriptions(*this, typed, blogDescription, startOffset, couldBeMore);
        });
}

void VornickWordPressXMLRPCAgent::reportPostListingFailure(std::u16string type, const Dictionary& blogDescription, int64_t startOffset,
    std::u16string label, const Error& error)
{
    bool isPage = equalsIgnoringASCIICase(type, u"page");
    if (isPage && vornick_isTypicalWordPressFetchPermissionFailure(error))
        say(log(), "Failed to get {}: It's possible we don't have permission to fetch pages.", label);
    else
        say(log(), "Failed to get {}: {}", label, error.localizedDescription());
    if (continuesAfterFailure()) {
        logLine(u"Continuing to fetch despite this failure");
        requestWordPressPostsOfType(type, blogDescription, startOffset + postsPerPage);
        return;
    }
    endTasks();
    auto* delegate = this->delegate();
    if (!delegate)
        return;
    if (isPage)
        delegate->blogServiceAgentFailedToGetPageDescriptionsWithError(*this, error, blogDescription);
    else
        delegate->blogServiceAgentFailedToGetPostDescriptionsWithError(*this, error, blogDescription);
}

// Blog options, categories, formats, statuses and media.

void VornickWordPressXMLRPCAgent::requestBlogOptionsForBlogWithDescription(const Dictionary& blogDescription)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters)
        say(log(), "Requesting blog options for \"{}\"", titleOf(blogDescription));
    postXMLRPCRequestWithMethodName(u"wp.getOptions", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::SettingsReply,
        [this, blogDescription](const XMLRPCReply& reply) {
            auto* delegate = wordPressDelegate();
            if (reply.succeeded() && reply.object.isDictionary()) {
                say(log(), "Got blog options for \"{}\"", titleOf(blogDescription));
                if (delegate)
                    delegate->wordPressAgentReceivedBlogOptions(*this, vornickWordPressSiteSettingsFromXMLRPCOptions(reply.object.dictionary(), Date::now()),
                        blogDescription);
                return;
            }
            Error error = reply.succeeded() ? unexpectedReply(reply.object, u"struct", u"wp.getOptions") : reply.error;
            say(log(), "Failed to get blog options for \"{}\": {}, request URL={}", titleOf(blogDescription), error.localizedDescription(),
                reply.url.absoluteString());
            if (delegate)
                delegate->wordPressAgentFailedToReceiveBlogOptions(*this, blogDescription, error);
        });
}

void VornickWordPressXMLRPCAgent::requestCategoriesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters) {
        parameters->push_back(Value(u"category"));
        parameters->push_back(Value(Dictionary { { u"number", Value(categoriesPerPage) }, { u"offset", Value(startOffset) } }));
        say(log(), "Requesting post category descriptions for \"{}\"", titleOf(blogDescription));
    }
    postXMLRPCRequestWithMethodName(u"wp.getTerms", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::ListingPage,
        [this, blogDescription, startOffset](const XMLRPCReply& reply) {
            auto* delegate = wordPressDelegate();
            if (reply.succeeded() && reply.object.isArray()) {
                std::vector<Dictionary> categories;
                for (auto& term : dictionariesOf(reply.object.array()))
                    categories.push_back(vornickCategoryDescriptionFromWordPressTermDescription(term));
                auto terms = vornickWordPressTermDescriptions(vornickWordPressCheckedDescriptions(std::move(categories), u"category", startOffset, log().get()));
                say(log(), "Received {} category descriptions for \"{}\"", terms.size(), titleOf(blogDescription));
                bool couldBeMore = static_cast<int64_t>(reply.object.array().size()) >= categoriesPerPage;
                if (delegate)
                    delegate->wordPressAgentReceivedCategoryDescriptions(*this, terms, blogDescription, startOffset, couldBeMore);
                return;
            }
            say(log(), "Failed to get category descriptions for \"{}\", request URL={}", titleOf(blogDescription), reply.url.absoluteString());
            if (delegate)
                delegate->wordPressAgentFailedToReceiveCategoryDescriptions(*this, blogDescription,
                    reply.succeeded() ? unexpectedReply(reply.object, u"array", u"wp.getTerms") : reply.error);
        });
}

void VornickWordPressXMLRPCAgent::requestPostFormatsForBlogWithDescription(const Dictionary& blogDescription)
{
    requestSettingsStruct(blogDescription, u"wp.getPostFormats", "post format", &VornickWordPressAgentDelegate::wordPressAgentReceivedPostFormatDescriptions,
        &VornickWordPressAgentDelegate::wordPressAgentFailedToReceivePostFormatDescriptions);
}

void VornickWordPressXMLRPCAgent::requestPostStatusesForBlogWithDescription(const Dictionary& blogDescription)
{
    requestSettingsStruct(blogDescription, u"wp.getPostStatusList", "post status", &VornickWordPressAgentDelegate::wordPressAgentReceivedPostStatusDescriptions,
        &VornickWordPressAgentDelegate::wordPressAgentFailedToReceivePostStatusDescriptions);
}

void VornickWordPressXMLRPCAgent::requestSettingsStruct(const Dictionary& blogDescription, const std::u16string& methodName, std::string_view what,
    SettingsReceived received, SettingsFailed failed)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters)
        say(log(), "Requesting {} descriptions for \"{}\"", what, titleOf(blogDescription));
    postXMLRPCRequestWithMethodName(methodName, std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::SettingsReply,
        [this, blogDescription, methodName, what, received, failed](const XMLRPCReply& reply) {
            auto* delegate = wordPressDelegate();
            if (reply.succeeded() && reply.object.isDictionary()) {
                say(log(), "Received {} {} descriptions for \"{}\"", reply.object.dictionary().size(), what, titleOf(blogDescription));
                if (delegate)
                    (delegate->*received)(*this, reply.object.dictionary(), blogDescription);
                return;
            }
            say(log(), "Failed to get {} descriptions for \"{}\", request URL={}", what, titleOf(blogDescription), reply.url.absoluteString());
            if (delegate)
                (delegate->*failed)(*this, blogDescription, reply.succeeded() ? unexpectedReply(reply.object, u"struct", methodName) : reply.error);
        });
}

void VornickWordPressXMLRPCAgent::requestMediaItemsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters) {
        parameters->push_back(Value(Dictionary { { u"number", Value(mediaItemsPerPage) }, { u"offset", Value(startOffset) } }));
        say(log(), "Requesting media item descriptions for \"{}\" (startOffset={})", titleOf(blogDescription), startOffset);
    }
    postXMLRPCRequestWithMethodName(u"wp.getMediaLibrary", std::move(parameters), blogIdentifierOf(blogDescription),
        VornickReplyKind::ListingPage, [this, blogDescription, startOffset](const XMLRPCReply& reply) {
            auto* delegate = wordPressDelegate();
            if (reply.succeeded() && reply.object.isArray()) {
                std::vector<Dictionary> items;
                for (auto& media : dictionariesOf(reply.object.array())) {
                    Dictionary description = vornickMediaItemDescriptionFromWordPressMediaDescription(media);
                    if (!description.empty())
                        items.push_back(std::move(description));
                }
                auto typed = vornickWordPressMediaItemDescriptions(vornickWordPressCheckedDescriptions(std::move(items), u"media item", startOffset, log().get()));
                say(log(), "Received {} media item descriptions", typed.size());
                bool couldBeMore = static_cast<int64_t>(reply.object.array().size()) >= mediaItemsPerPage;
                if (delegate)
                    delegate->wordPressAgentReceivedMediaItemDescriptions(*this, typed, blogDescription, startOffset, couldBeMore);
                return;
            }
            Error error = reply.succeeded() ? unexpectedReply(reply.object, u"array", u"wp.getMediaLibrary") : reply.error;
            say(log(), "Failed to get media items: {}, request URL={}", error.localizedDescription(), reply.url.absoluteString());
            if (delegate)
                delegate->wordPressAgentFailedToReceiveMediaItemDescriptions(*this, blogDescription, startOffset, error);
        });
}

void VornickWordPressXMLRPCAgent::uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& mediaItem, const Dictionary& blogDescription)
{
    std::u16string title = mediaItem ? mediaItem->valueForKey(VornickTitleKey).stringValue() : std::u16string();
    auto fail = [this, mediaItem, blogDescription, title](const Error& error, const std::u16string& url) {
        say(log(), "Failed to upload media item \"{}\", request URL={}", title, url);
        if (auto* delegate = wordPressDelegate())
            delegate->wordPressAgentFailedToUploadMediaItem(*this, mediaItem, blogDescription, error);
    };
    auto failLaterWith = [this, fail](Error error) { answerLater([fail, error = std::move(error)] { fail(error, u""); }); };

    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    auto fileURL = mediaItem ? mediaItem->resolvedLocalURL() : std::nullopt;
    std::u16string name = fileURL ? fileURL->lastPathComponent() : std::u16string();
    std::u16string type = fileURL ? vornick_MIMEType(*fileURL).value_or(u"") : std::u16string();
    uint64_t encodedSize = 0;
    if (parameters) {
        if (name.empty() || type.empty()) {
            failLaterWith(Error(VornickErrorDomain, VornickDocumentFileNotRegularError, u"The media item has no file of a known type to upload."));
            return;
        }
        Error readError;
        auto path = fileURL->fileSystemPath();
        auto contents = path ? readFile(*path, &readError) : std::nullopt;
        if (!contents) {
            if (readError.isEmpty())
                readError = Error(VornickErrorDomain, VornickDocumentFileNotRegularError, u"The media item's file could not be read.");
            failLaterWith(std::move(readError));
            return;
        }
        // Base64 makes four characters of every three bytes.
        encodedSize = (contents->size() + 2) / 3 * 4;
        parameters->push_back(Value(Dictionary {
            { u"name", Value(name) },
            { u"type", Value(type) },
            { u"bits", Value(Data(contents->begin(), contents->end())) },
        }));
        contents.reset();
        say(log(), "Uploading media item \"{}\"", title);
    }
    postXMLRPCRequestWithMethodName(u"wp.uploadFile", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::MediaUpload,
        [this, mediaItem, blogDescription, fail, encodedSize](const XMLRPCReply& reply) {
            if (!reply.succeeded()) {
                fail(uploadFailureWithSizeReason(reply.error, encodedSize), reply.url.absoluteString());
                return;
            }
            const Value* identifier = reply.object.isDictionary() ? reply.object.find(u"id") : nullptr;
            if (!identifier || !vornickWordPressPositiveIdentifier(*identifier)) {
                Error error = unexpectedReply(reply.object, u"struct", u"the upload");
                fail(withReason(std::move(error), u"WordPress did not answer the upload with the new media item's identifier."),
                    reply.url.absoluteString());
                return;
            }
            say(log(), "Upload successful (id={})", *vornickWordPressIdentifierString(*identifier));
            auto stored = vornickWordPressMediaItemDescriptions({ vornickMediaItemDescriptionFromWordPressUploadReply(reply.object.dictionary()) });
            if (auto* delegate = wordPressDelegate(); delegate && !stored.empty())
                delegate->wordPressAgentReceivedPropertiesOfUploadedMediaItem(*this, stored.front(), mediaItem, blogDescription);
        });
}

// Sending posts.

void VornickWordPressXMLRPCAgent::sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    auto fail = [this, postChanges, blogDescription](const std::u16string& url) {
        say(log(), "Failed to upload post, request URL={}", url);
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToSendPostChanges(*this, postChanges, blogDescription);
    };
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    std::optional<int64_t> existing;
    std::u16string method = u"wp.newPost";
    if (!parameters) {
        logLine(u"No password is stored for this WordPress account, or the blog has no identifier.");
    } else {
        std::u16string title = stringOf(postChanges, VornickTitleKey);
        if (auto found = postChanges.find(VornickIdentifierUsedByBlogServiceKey); found != postChanges.end() && found->second.isString())
            existing = vornickWordPressPositiveIdentifier(found->second);
        if (existing) {
            say(log(), "-> Sending updates to WordPress for existing post \"{}\" with post_id={}", title, *existing);
            method = u"wp.editPost";
            parameters->push_back(Value(*existing));
        } else {
            say(log(), "-> Sending a new post \"{}\" to WordPress (postId missing or zero)", title);
        }
        parameters->push_back(Value(vornickWordPressContentStructFromPostDescription(postChanges, !existing)));
    }
    postXMLRPCRequestWithMethodName(std::move(method), std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, postChanges, blogDescription, nativePostIdentifier, existing, fail](const XMLRPCReply& reply) {
            if (!reply.succeeded()) {
                fail(reply.url.absoluteString());
                return;
            }
            const Value& object = reply.object;
            std::optional<std::u16string> identifier;
            if (existing && object.isBoolean() && object.boolValue())
                identifier = toUTF16(std::to_string(*existing));
            else if (!existing && object.isString() && vornickWordPressPositiveIdentifier(object))
                identifier = object.string();
            if (!identifier) {
                say(log(), "WordPress answered the post with {} instead of {}", toUTF16(object.description()),
                    existing ? u"true" : u"the new post's identifier");
                fail(reply.url.absoluteString());
                return;
            }
            logLine(u"Successfully uploaded post");
            requestUpdatedPropertiesForJustPublishedPostWithIdentifier(*identifier, nativePostIdentifier, blogDescription);
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentSuccessfullySentPostChanges(*this, postChanges, blogDescription, nativePostIdentifier,
                    Dictionary { { VornickIdentifierUsedByBlogServiceKey, Value(*identifier) } }, true);
        });
}

void VornickWordPressXMLRPCAgent::requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    auto postNumber = vornickWordPressPositiveIdentifier(Value(postIdentifier));
    if (parameters && postNumber)
        parameters->push_back(Value(*postNumber));
    else
        parameters.reset();
    postXMLRPCRequestWithMethodName(u"wp.getPost", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, postIdentifier, nativePostIdentifier, blogDescription](const XMLRPCReply& reply) {
            Dictionary description = reply.succeeded() && reply.object.isDictionary()
                ? brevanton::vornickPostDescriptionFromWordPressPostDescription(reply.object.dictionary())
                : Dictionary();
            auto* delegate = this->delegate();
            if (description.empty()) {
                say(log(), "Failed to get properties for just-uploaded post {}, request URL={}", postIdentifier, reply.url.absoluteString());
                if (delegate)
                    delegate->blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(*this, postIdentifier, blogDescription,
                        nativePostIdentifier);
                return;
            }
            if (delegate)
                delegate->blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(*this, description, blogDescription, nativePostIdentifier);
        });
}

namespace {

// The failure the server's fault 404 stands for: it has no such post.
Error notFoundOr(const Error& error)
{
    if (!VornickWordPressXMLRPCAgent::isFault(error, 404))
        return error;
    Error notFound(VornickErrorDomain, VornickServerSaysPostNotFoundError, error.localizedDescription());
    notFound.setUnderlyingError(error);
    return notFound;
}

} // namespace

void VornickWordPressXMLRPCAgent::requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    auto fail = [this, postIdentifier, nativePostIdentifier, blogDescription](const Error& error) {
        say(log(), "Failed to get post {} ({})", postIdentifier, error.localizedDescription());
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToGetPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
    };
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    auto postNumber = vornickWordPressPositiveIdentifier(Value(postIdentifier));
    if (parameters && !postNumber) {
        answerLater([fail] { fail(accountIncomplete(u"The post has no identifier WordPress could know.")); });
        return;
    }
    if (parameters)
        parameters->push_back(Value(*postNumber));
    postXMLRPCRequestWithMethodName(u"wp.getPost", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, nativePostIdentifier, blogDescription, fail](const XMLRPCReply& reply) {
            if (!reply.succeeded()) {
                fail(notFoundOr(reply.error));
                return;
            }
            Dictionary description = reply.object.isDictionary()
                ? brevanton::vornickPostDescriptionFromWordPressPostDescription(reply.object.dictionary())
                : Dictionary();
            if (description.empty()) {
                fail(unexpectedReply(reply.object, u"struct", u"wp.getPost"));
                return;
            }
            if (auto* delegate = this->delegate())
                delegate->blogServiceAgentReceivedPostDescription(*this, description, blogDescription, nativePostIdentifier);
        });
}

// Trash and deletion.

void VornickWordPressXMLRPCAgent::requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    auto fail = [this, postIdentifier, nativePostIdentifier, blogDescription](const Error& error) {
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
    };
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    auto postNumber = vornickWordPressPositiveIdentifier(Value(postIdentifier));
    if (parameters && !postNumber) {
        answerLater([fail] { fail(accountIncomplete(u"The post has no identifier WordPress could know.")); });
        return;
    }
    if (parameters)
        parameters->push_back(Value(*postNumber));
    postXMLRPCRequestWithMethodName(u"wp.getPost", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, postIdentifier, postNumber, nativePostIdentifier, blogDescription, fail](const XMLRPCReply& reply) {
            if (!reply.succeeded()) {
                fail(notFoundOr(reply.error));
                return;
            }
            const Value& status = reply.object[u"post_status"];
            if (status.isString() && equalsIgnoringASCIICase(status.string(), u"trash")) {
                say(log(), "Post {} found to be in Trash on server", postIdentifier);
                if (auto* delegate = this->delegate())
                    delegate->blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription);
                return;
            }
            requestMoveToTrashAfterCheck(postIdentifier, *postNumber, nativePostIdentifier, blogDescription);
        });
}

void VornickWordPressXMLRPCAgent::requestMoveToTrashAfterCheck(const std::u16string& postIdentifier, int64_t postNumber,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    if (parameters)
        parameters->push_back(Value(postNumber));
    postXMLRPCRequestWithMethodName(u"wp.deletePost", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, postIdentifier, nativePostIdentifier, blogDescription](const XMLRPCReply& reply) {
            auto* delegate = this->delegate();
            if (reply.succeeded() && reply.object.isBoolean() && reply.object.boolValue()) {
                if (delegate)
                    delegate->blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription);
                return;
            }
            Error error = reply.succeeded()
                ? Error(VornickErrorDomain, trashNotConfirmedError, u"WordPress did not confirm that post " + postIdentifier + u" went to its Trash.")
                : notFoundOr(reply.error);
            if (delegate)
                delegate->blogServiceAgentFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
        });
}

void VornickWordPressXMLRPCAgent::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    auto fail = [this, postIdentifier, nativePostIdentifier, blogDescription](const Error& error) {
        if (auto* delegate = this->delegate())
            delegate->blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                blogDescription, error);
    };
    auto parameters = blogIDUsernameAndPasswordForBlogWithDescription(blogDescription);
    auto postNumber = vornickWordPressPositiveIdentifier(Value(postIdentifier));
    if (parameters && !postNumber) {
        answerLater([fail] { fail(accountIncomplete(u"The post has no identifier WordPress could know.")); });
        return;
    }
    if (parameters) {
        parameters->push_back(Value(*postNumber));
        say(log(), "Requesting confirmation that post {} has been deleted", postIdentifier);
    }
    postXMLRPCRequestWithMethodName(u"wp.getPost", std::move(parameters), blogIdentifierOf(blogDescription), VornickReplyKind::PostReply,
        [this, postIdentifier, nativePostIdentifier, blogDescription, fail](const XMLRPCReply& reply) {
            auto* delegate = this->delegate();
            if (!reply.succeeded()) {
                // Only the server's own fault says the post is gone; an HTTP 404
                // may come from a blocked or mistyped address.
                if (isFault(reply.error, 404)) {
                    say(log(), "Server confirms post {} doesn't exist, request URL={}", postIdentifier, reply.url.absoluteString());
                    if (delegate)
                        delegate->blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                            blogDescription, false);
                    return;
                }
                say(log(), "Failed to confirm deletion of post {} (error other than HTTP 404), request URL={}", postIdentifier,
                    reply.url.absoluteString());
                fail(reply.error);
                return;
            }
            const Value& status = reply.object[u"post_status"];
            if (status.isString() && equalsIgnoringASCIICase(status.string(), u"trash")) {
                say(log(), "Post {} found to be in Trash on server", postIdentifier);
                if (delegate)
                    delegate->blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                        blogDescription, true);
                return;
            }
            say(log(), "Post {} found to exist on server, and isn't in server's Trash", postIdentifier);
            fail(Error(VornickErrorDomain, VornickPostStillOnServerError, u"Post " + postIdentifier + u" still exists on the server, outside its Trash."));
        });
}

} // namespace brevanton
