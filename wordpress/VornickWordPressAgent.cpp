#include "wordpress/VornickWordPressAgent.h"

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "toolkit/VornickApplicationEnvironment.h"
#include "toolkit/VornickBase64.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickJSONWriter.h"
#include "toolkit/VornickKeychain.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickPasswordTransport.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgentDelegate.h"
#include "wordpress/VornickWordPressEntryChecks.h"
#include "wordpress/VornickWordPressOAuth2Flow.h"
#include "wordpress/VornickWordPressRESTPayload.h"

namespace brevanton {

namespace {

[[noreturn]] void subclassesMustOverride(const char* selector)
{
    throwInternalInconsistency(__FILE__, __LINE__, "overridden", std::string("Subclasses must override -") + selector);
}

// Seconds a REST request may go without sending or receiving anything.
constexpr double restRequestIdleTimeout = 30;

// A string, or the decimal text of a number; none for other kinds.
std::optional<std::u16string> stringOrNumberText(const Value& value)
{
    if (value.isString())
        return value.string();
    if (value.isInteger())
        return toUTF16(std::to_string(value.integerValue()));
    if (value.isReal()) {
        double number = value.doubleValue();
        if (number == static_cast<double>(static_cast<int64_t>(number)))
            return toUTF16(std::to_string(static_cast<int64_t>(number)));
        return toUTF16(fmt::format("{}", number));
    }
    return std::nullopt;
}

// Percent-encodes a query name, value or route: only unreserved characters
// (and "/" in a route) stay as they are.
std::u16string encodeQueryText(std::u16string_view text, bool keepSlash)
{
    static const CharacterSet plain = CharacterSet::urlUnreserved();
    static const CharacterSet withSlash = CharacterSet::urlUnreserved().adding(u"/");
    return percentEncode(text, keepSlash ? withSlash : plain);
}

// Splits "a=1&b=2" into its items, as written (still encoded).
std::vector<std::pair<std::u16string, std::u16string>> rawQueryItems(std::u16string_view query)
{
    std::vector<std::pair<std::u16string, std::u16string>> items;
    size_t start = 0;
    while (start < query.size()) {
        size_t end = query.find(u'&', start);
        if (end == std::u16string_view::npos)
            end = query.size();
        std::u16string_view item = query.substr(start, end - start);
        if (!item.empty()) {
            size_t equals = item.find(u'=');
            items.emplace_back(std::u16string(item.substr(0, equals)),
                equals == std::u16string_view::npos ? std::u16string() : std::u16string(item.substr(equals + 1)));
        }
        start = end + 1;
    }
    return items;
}

void logLine(const std::shared_ptr<VornickLog>& log, std::u16string_view line)
{
    if (log)
        log->log(line);
}

Error generalError(int64_t code, Dictionary userInfo = {})
{
    return Error(VornickErrorDomain, code, std::move(userInfo));
}

Error notAuthorizedError()
{
    return Error(VornickHTTPErrorDomain, 401,
        u"Brevanton is not authorized to use this WordPress.com account. Please sync again to authorize it in your web browser.");
}

} // namespace

VornickWordPressAgent::VornickWordPressAgent() = default;
VornickWordPressAgent::~VornickWordPressAgent() = default;

std::shared_ptr<VornickWordPressAccount> VornickWordPressAgent::wordPressAccount() const
{
    // The integrator hands its agent the stored account wrapped for reading.
    if (auto hosting = std::dynamic_pointer_cast<VornickBlogServiceAgentHostingAccount>(account()))
        return std::dynamic_pointer_cast<VornickWordPressAccount>(hosting->hostingAccount());
    return nullptr;
}

void VornickWordPressAgent::setAccount(std::shared_ptr<VornickBlogServiceAgentAccount> account)
{
    if (account != this->account())
        m_siteListAddresses.clear();
    VornickBlogServiceAgent::setAccount(std::move(account));
    updateHostNameToWatchFromWordPressAccount();
}

void VornickWordPressAgent::updateHostNameToWatchFromWordPressAccount()
{
    auto account = wordPressAccount();
    std::optional<URL> root = account ? URL::create(account->rootURLString()) : std::nullopt;
    setHostNameToWatch(root ? root->host().value_or(u"") : u"");
}

VornickWordPressAgentDelegate* VornickWordPressAgent::wordPressDelegate() const
{
    return dynamic_cast<VornickWordPressAgentDelegate*>(delegate());
}

std::u16string VornickWordPressAgent::userAgentString()
{
    Value version = Bundle::main().objectForInfoDictionaryKey(u"CFBundleShortVersionString");
    if (version.isString())
        return u"Brevanton/" + version.string();
    return u"Brevanton";
}

const Dictionary& VornickWordPressAgent::constantPostFormatDescriptions()
{
    static const Dictionary formats {
        { u"standard", Value(u"Standard") },
        { u"aside", Value(u"Aside") },
        { u"chat", Value(u"Chat") },
        { u"gallery", Value(u"Gallery") },
        { u"link", Value(u"Link") },
        { u"image", Value(u"Image") },
        { u"quote", Value(u"Quote") },
        { u"status", Value(u"Status") },
        { u"video", Value(u"Video") },
        { u"audio", Value(u"Audio") },
    };
    return formats;
}

const Dictionary& VornickWordPressAgent::constantPostStatusDescriptions()
{
    static const Dictionary statuses {
        { u"publish", Value(u"Published") },
        { u"private", Value(u"Private") },
        { u"draft", Value(u"Draft") },
        { u"pending", Value(u"Pending Review") },
        { u"future", Value(u"Future") },
        { u"trash", Value(u"Trash") },
    };
    return statuses;
}

// --- OAuth2

bool VornickWordPressAgent::beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary*,
    std::function<void(Error)> completion)
{
    auto account = wordPressAccount();
    if (account && account->RESTAPIAuthorizationForBlogWithID(VornickWordPressOAuth2AuthorizationSiteIdentifier))
        return false;
    auto flow = VornickWordPressOAuth2Flow::create(std::static_pointer_cast<VornickWordPressAgent>(shared_from_this()),
        [completion = std::move(completion)](Error error) {
            if (completion)
                completion(std::move(error));
        });
    auto environment = VornickApplicationEnvironment::current();
    Error failure;
    if (VornickWordPressOAuth2Flow::clientIdentifier().empty())
        failure = Error(VornickHTTPErrorDomain, 401, u"No WordPress.com client identifier is set, so Brevanton cannot ask for an authorization.");
    else if (!environment)
        failure = Error(VornickHTTPErrorDomain, 401, u"The WordPress.com authorization needs the application to receive its answer.");
    else if (!vornick_openURLInWebBrowser(flow->authorizationURL()))
        failure = Error(VornickHTTPErrorDomain, 401, u"The WordPress.com authorization page could not be opened in the web browser.");
    if (!failure.isEmpty()) {
        RunLoop::main().perform([flow, failure] { flow->fail(failure); });
        return true;
    }
    environment->setCurrentAuthorizationFlow(flow);
    return true;
}

void VornickWordPressAgent::discardOAuth2Authorization()
{
    auto account = wordPressAccount();
    if (!account)
        return;
    auto key = account->keychainKeyForRESTAPIAuthorizationForBlogWithID(VornickWordPressOAuth2AuthorizationSiteIdentifier);
    if (key && !VornickKeychain::removeDataForServiceName(*key, account->loginID()))
        logLine(log(), u"The rejected WordPress.com authorization could not be removed from the keychain.");
}

// --- REST root and requests

std::optional<std::u16string> VornickWordPressAgent::remoteEndpointURLStringWithScheme() const
{
    auto account = wordPressAccount();
    if (!account || !account->remoteEndpointURLString() || account->remoteEndpointURLString()->empty())
        return std::nullopt;
    std::u16string endpoint = *account->remoteEndpointURLString();
    auto url = URL::create(endpoint);
    if (!url || url->scheme().empty()) {
        while (endpoint.starts_with(u'/'))
            endpoint.erase(0, 1);
        endpoint = u"https://" + endpoint;
    }
    return endpoint;
}

std::optional<URL> VornickWordPressAgent::wordPressRESTAPIURLForEndpointPath(std::u16string_view, int versionOverride) const
{
    auto account = wordPressAccount();
    if (!account)
        return std::nullopt;
    if (account->isWordPressDotComAccount()) {
        int version = versionOverride != 0 ? versionOverride : account->restAPIVersion();
        std::u16string root = VornickWordPressOAuth2Flow::apiRootURLString() + (version == 2 ? u"/wp/v2/" : u"/rest/v1.1/");
        return URL::create(root);
    }
    if (versionOverride != 0)
        throwInternalInconsistency(__FILE__, __LINE__, "versionOverride == 0", "A REST API version applies only to hosted accounts");
    std::u16string root;
    if (auto endpoint = remoteEndpointURLStringWithScheme()) {
        root = *endpoint;
    } else {
        root = account->rootURLString();
        if (!root.ends_with(u'/'))
            root += u'/';
        root += u"wp-json/";
    }
    if (!root.ends_with(u'/'))
        root += u'/';
    if (!root.ends_with(u"/wp/v2/"))
        root += u"wp/v2";
    return URL::create(root);
}

void VornickWordPressAgent::postRESTRequestWithEndpointPath(std::u16string_view path, int versionOverride, std::u16string_view httpMethod,
    const Value&, const QueryParameters& queryParameters, std::shared_ptr<const VornickWordPressRESTPayload> payload,
    VornickReplyKind kind, RESTCompletion completion)
{
    auto root = wordPressRESTAPIURLForEndpointPath(path, versionOverride);
    auto failNow = [&](Error error) {
        failRESTRequest(URLRequest(root ? *root : URL::fileURLWithPath("/", true), restRequestIdleTimeout), std::move(error),
            std::move(completion));
    };
    if (!root) {
        failNow(Error(URLErrorDomain, URLErrorBadURL, u"The WordPress site's address is not a valid URL."));
        return;
    }

    // Query items: the endpoint's own (a "rest_route" item carries the path on
    // a site without pretty permalinks), those of the path, then the parameters.
    std::u16string base = root->absoluteString();
    std::u16string query;
    if (size_t mark = base.find(u'?'); mark != std::u16string::npos) {
        query = base.substr(mark + 1);
        base.erase(mark);
    }
    if (size_t hash = query.find(u'#'); hash != std::u16string::npos)
        query.erase(hash);
    std::u16string pathPart(path);
    std::u16string pathQuery;
    if (size_t mark = pathPart.find(u'?'); mark != std::u16string::npos) {
        pathQuery = pathPart.substr(mark + 1);
        pathPart.erase(mark);
    }
    auto items = rawQueryItems(query);
    auto route = std::find_if(items.begin(), items.end(), [](auto& item) { return item.first == u"rest_route"; });
    if (route != items.end()) {
        std::u16string routePath = percentDecode(route->second).value_or(route->second);
        if (!routePath.ends_with(u'/') && !pathPart.empty() && !pathPart.starts_with(u'/'))
            routePath += u'/';
        routePath += pathPart;
        route->second = encodeQueryText(routePath, true);
    } else {
        if (!base.ends_with(u'/') && !pathPart.empty() && !pathPart.starts_with(u'/'))
            base += u'/';
        base += pathPart;
    }
    auto setItem = [&items](std::u16string name, std::u16string value) {
        auto existing = std::find_if(items.begin(), items.end(), [&](auto& item) { return item.first == name; });
        if (existing != items.end())
            existing->second = std::move(value);
        else
            items.emplace_back(std::move(name), std::move(value));
    };
    for (auto& [name, value] : rawQueryItems(pathQuery))
        setItem(name, value);
    for (auto& [key, value] : queryParameters) {
        Value text = value;
        if (value.isNumber())
            text = Value(stringOrNumberText(value).value_or(u""));
        if (!text.isString())
            throwInternalInconsistency(__FILE__, __LINE__, "value is a string", "parameter values must be NSStrings");
        setItem(encodeQueryText(key, false), encodeQueryText(text.string(), false));
    }
    std::u16string urlString = base;
    for (size_t i = 0; i < items.size(); ++i)
        urlString += (i == 0 ? u"?" : u"&") + items[i].first + u"=" + items[i].second;
    auto url = URL::create(urlString);
    if (!url) {
        failNow(Error(URLErrorDomain, URLErrorBadURL, u"The REST request's address is not a valid URL."));
        return;
    }

    URLRequest request(*url, restRequestIdleTimeout);
    request.setHTTPMethod(std::u16string(httpMethod));
    request.setValueForHTTPHeaderField(userAgentString(), u"User-Agent");

    if (payload) {
        if (auto* multipart = dynamic_cast<const VornickWordPressMultipartFormDataPayload*>(payload.get())) {
            if (multipart->boundaryString().empty())
                throwInternalInconsistency(__FILE__, __LINE__, "boundaryString", "boundaryString required for multipart/form-data");
            if (!multipart->formData().empty()) {
                if (auto log = this->log())
                    log->log("POST with {} bytes multipart/form-data", multipart->formData().size());
                request.setHTTPBody(multipart->formData());
                request.setValueForHTTPHeaderField(toUTF16(std::to_string(multipart->formData().size())), u"Content-Length");
            } else {
                if (auto log = this->log())
                    log->log(u"POST with multipart/form-data and a file");
                request.setHTTPBodyParts(multipart->bodyParts());
            }
            request.setValueForHTTPHeaderField(u"multipart/form-data; boundary=" + multipart->boundaryString(), u"Content-Type");
        } else if (auto* json = dynamic_cast<const VornickWordPressJSONPayload*>(payload.get())) {
            VornickJSONWriter writer;
            writer.writeDictionary(json->dictionary());
            Error error;
            auto text = writer.jsonDataReturningErrorIn(&error);
            if (!text) {
                failRESTRequest(std::move(request), std::move(error), std::move(completion));
                return;
            }
            if (auto log = this->log())
                log->log("POST with {} bytes JSON data", text->size());
            request.setHTTPBody(Data(text->begin(), text->end()));
            request.setValueForHTTPHeaderField(u"application/json", u"Content-Type");
        } else if (auto* file = dynamic_cast<const VornickWordPressFileAttachmentPayload*>(payload.get())) {
            auto path = file->url().fileSystemPath();
            if (!path) {
                failNow(Error(URLErrorDomain, URLErrorFileDoesNotExist, u"Only a local file can be uploaded."));
                return;
            }
            request.setValueForHTTPHeaderField(file->contentDispositionValue(), u"Content-Disposition");
            request.setValueForHTTPHeaderField(file->mimeType(), u"Content-Type");
            request.setHTTPBodyParts({ URLRequestBodyPart::file(*path) });
        } else {
            throwInternalInconsistency(__FILE__, __LINE__, "known payload", "Unrecognized REST payload type");
        }
    }
    authorizeAndLoadRESTRequest(std::move(request), kind, std::move(completion));
}

void VornickWordPressAgent::failRESTRequest(URLRequest request, Error error, RESTCompletion completion)
{
    answerLater([request = std::move(request), error = std::move(error), completion = std::move(completion)] {
        if (completion)
            completion(RESTReply { request, nullptr, std::nullopt, error });
    });
}

std::vector<URL> VornickWordPressAgent::loginURLs() const
{
    std::vector<URL> urls;
    auto account = wordPressAccount();
    if (!account)
        return urls;
    auto add = [&urls](std::u16string_view string) {
        if (auto url = URL::create(string); url && url->host() && !url->host()->empty())
            urls.push_back(*url);
    };
    add(account->rootURLString());
    // An XML-RPC endpoint is the one the user typed beside the site's address;
    // a REST endpoint was named by the site's home page, so it counts only
    // where it shares the site's origin.
    if (endpointIsTypedByTheUser()) {
        if (auto endpoint = remoteEndpointURLStringWithScheme())
            add(*endpoint);
    }
    if (account->isWordPressDotComAccount()) {
        add(VornickWordPressOAuth2Flow::apiRootURLString());
        add(VornickWordPressOAuth2Flow::oauth2RootURLString());
        for (const auto& site : m_siteListAddresses)
            add(site);
    }
    return urls;
}

std::optional<Error> VornickWordPressAgent::credentialsRefusalForURL(const URL& url) const
{
    auto logins = loginURLs();
    for (const URL& login : logins) {
        if (!vornick_isSameOrigin(login, url))
            continue;
        if (vornick_mayCarryPasswordToURL(url))
            return std::nullopt;
        Error error(URLErrorDomain, URLErrorSecureConnectionFailed,
            u"Brevanton sends your WordPress login only over a secure connection to your own site. Please use an https address for "
            u"this site (" + url.absoluteString() + u").");
        error.userInfo()[Error::URLKey] = Value(url.absoluteString());
        return error;
    }
    Error error = logins.empty() ? Error(VornickErrorDomain, VornickAccountIncompleteError, u"The account has no address to log in to.")
                                 : Error(VornickErrorDomain, VornickCredentialsOriginRefusedError,
                                       vornick_passwordOriginRefusalMessage(logins.front(), url));
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    return error;
}

bool VornickWordPressAgent::mayCarryCredentialsToURL(const URL& url) const
{
    return !credentialsRefusalForURL(url);
}

void VornickWordPressAgent::authorizeAndLoadRESTRequest(URLRequest request, VornickReplyKind kind, RESTCompletion completion)
{
    auto account = wordPressAccount();
    auto type = account ? account->authenticationType() : VornickWordPressAuthenticationType::InsideXMLRPCCalls;
    if (type == VornickWordPressAuthenticationType::InsideXMLRPCCalls) {
        loadAuthorizedRESTRequest(std::move(request), kind, std::move(completion));
        return;
    }
    if (auto refusal = credentialsRefusalForURL(request.url())) {
        Error error = std::move(*refusal);
        if (auto log = this->log())
            log->log(u"Refused to send the login to " + request.url().absoluteString() + u": " + error.localizedDescription());
        failRESTRequest(std::move(request), std::move(error), std::move(completion));
        return;
    }
    if (type == VornickWordPressAuthenticationType::HTTPBasic) {
        std::u16string password = this->account()->password();
        if (password.empty()) {
            // An empty password is no login: say so instead of letting the site answer 401.
            if (auto log = this->log())
                log->log(u"FAILED to send a request to WordPress: no password is stored for the account");
            failRESTRequest(std::move(request),
                Error(VornickErrorDomain, VornickAccountIncompleteError, u"No password is stored for this WordPress account."),
                std::move(completion));
            return;
        }
        std::string credentials = toUTF8(this->account()->loginID()) + ":" + toUTF8(password);
        request.setValueForHTTPHeaderField(u"Basic " + base64EncodedString(Data(credentials.begin(), credentials.end()), VornickBase64Lines::OneLine),
            u"Authorization");
        loadAuthorizedRESTRequest(std::move(request), kind, std::move(completion));
        return;
    }

    // OAuth2: never a hosted request without a token.
    auto authorization = account->RESTAPIAuthorizationForBlogWithID(VornickWordPressOAuth2AuthorizationSiteIdentifier);
    if (!authorization) {
        failRESTRequest(std::move(request), notAuthorizedError(), std::move(completion));
        return;
    }
    auto token = authorization->find(u"access_token");
    if (token == authorization->end() || !token->second.isString() || token->second.string().empty()) {
        discardOAuth2Authorization();
        failRESTRequest(std::move(request), notAuthorizedError(), std::move(completion));
        return;
    }
    if (!VornickWordPressOAuth2Flow::hasExpired(*authorization)) {
        loadRequestWithBearerToken(std::move(request), token->second.string(), kind, std::move(completion));
        return;
    }
    std::weak_ptr<VornickWordPressAgent> weakThis = std::static_pointer_cast<VornickWordPressAgent>(shared_from_this());
    VornickWordPressOAuth2Flow::refresh(*this, *authorization,
        [weakThis, request, kind, completion](std::optional<Dictionary> refreshed, Error error) mutable {
            auto agent = weakThis.lock();
            if (!agent)
                return;
            auto account = agent->wordPressAccount();
            if (!refreshed) {
                agent->discardOAuth2Authorization();
                Error reported = notAuthorizedError();
                reported.setUnderlyingError(error);
                agent->failRESTRequest(std::move(request), std::move(reported), std::move(completion));
                return;
            }
            Error storeError;
            if (!account->setRESTAPIAuthorization(*refreshed, VornickWordPressOAuth2AuthorizationSiteIdentifier, &storeError))
                logLine(agent->log(), u"The refreshed WordPress.com authorization could not be stored: " + storeError.localizedDescription());
            agent->loadRequestWithBearerToken(std::move(request), (*refreshed)[u"access_token"].string(), kind, std::move(completion));
        });
}

void VornickWordPressAgent::loadRequestWithBearerToken(URLRequest request, const std::u16string& accessToken, VornickReplyKind kind,
    RESTCompletion completion)
{
    request.setValueForHTTPHeaderField(u"Bearer " + accessToken, u"Authorization");
    loadAuthorizedRESTRequest(std::move(request), kind, [this, completion](const RESTReply& reply) {
        // A token the server no longer takes is forgotten, so the next
        // sync asks for a new authorisation.
        const Dictionary& info = reply.error.userInfo();
        if (const Value* json = info.contains(u"json") ? &info.at(u"json") : nullptr) {
            if ((*json)[u"error"] == Value(u"invalid_token") || (*json)[u"code"] == Value(u"invalid_token"))
                discardOAuth2Authorization();
        }
        if (completion)
            completion(reply);
    });
}

void VornickWordPressAgent::loadAuthorizedRESTRequest(URLRequest request, VornickReplyKind kind, RESTCompletion completion)
{
    std::weak_ptr<VornickWordPressAgent> weakThis = std::static_pointer_cast<VornickWordPressAgent>(shared_from_this());
    URLRequest sent = request;
    loadRequest(std::move(request), kind, [weakThis, sent, completion](std::shared_ptr<URLResponse> response, Data data, Error error) {
        // The agent stays alive while its answer is handled.
        auto agent = weakThis.lock();
        if (!agent || !completion)
            return;
        RESTReply reply = checkRESTReply(sent, std::move(response), data, error);
        Data().swap(data);
        completion(reply);
    });
}

VornickWordPressAgent::RESTReply VornickWordPressAgent::checkRESTReply(const URLRequest& request, std::shared_ptr<URLResponse> response,
    const Data& data, const Error& transportError)
{
    RESTReply reply { request, std::move(response), std::nullopt, Error() };
    // A transfer that failed says what happened: a reply cut short has
    // nothing left to check.
    if (!transportError.isEmpty()) {
        reply.error = transportError;
        return reply;
    }
    auto* http = dynamic_cast<const HTTPURLResponse*>(reply.response.get());
    int64_t status = http ? http->statusCode() : 0;

    std::optional<Value> json;
    if (!data.empty()) {
        Error parseError;
        // One post's bad text costs that post, not the page: the mappings refuse it.
        json = readJSON(data, &parseError, JSONReadingOptions { .fragmentsAllowed = true, .markUndecodableText = true });
        // A body that is not JSON is the failure, unless the status already says more.
        if (!json && status < 400) {
            reply.error = parseError;
            return reply;
        }
    }
    const Value* code = nullptr;
    const Value* dataStatus = nullptr;
    const Value* errorText = nullptr;
    const Value* errorDescription = nullptr;
    const Value* message = nullptr;
    if (json && json->isDictionary()) {
        code = json->find(u"code");
        if (const Value* details = json->find(u"data"); details && details->isDictionary())
            dataStatus = details->find(u"status");
        errorText = json->find(u"error");
        errorDescription = json->find(u"error_description");
        message = json->find(u"message");
    }
    if (status < 400 && !code && !dataStatus) {
        reply.json = std::move(json);
        return reply;
    }

    auto text = [](const Value* value) { return toUTF8(value->isString() ? value->string() : toUTF16(value->description())); };
    std::string composed = "HTTP Error ";
    if (status >= 1) {
        composed += fmt::format("{}:", status);
        if (code)
            composed += fmt::format(" code={}:", text(code));
    } else if (dataStatus) {
        composed += fmt::format("{}:", text(dataStatus));
        if (code)
            composed += fmt::format(" code={}:", text(code));
    } else if (code && code->isString() && std::strtoll(toUTF8(code->string()).c_str(), nullptr, 10) >= 400) {
        composed += fmt::format("{}: code={}:", text(code), text(code));
    } else {
        composed += "???:";
        if (code)
            composed += fmt::format(" code={}:", text(code));
    }
    if (errorText)
        composed += fmt::format(" \"{}\":", text(errorText));
    if (errorDescription)
        composed += fmt::format(" \"{}\"", text(errorDescription));
    if (message)
        composed += fmt::format(" \"{}\"", text(message));
    composed += fmt::format(" URL=\"{}\"", toUTF8(request.url().absoluteString()));

    Error error(VornickHTTPErrorDomain, status);
    std::u16string description = toUTF16(composed);
    error.userInfo()[Error::LocalizedDescriptionKey] = Value(description);
    error.userInfo()[u"DebugDescription"] = Value(description);
    if (json)
        error.userInfo()[u"json"] = *json;
    reply.json = std::move(json);
    reply.error = std::move(error);
    return reply;
}

// --- Site list and settings

void VornickWordPressAgent::noteSiteListAddress(const Value& address)
{
    if (!address.isString())
        return;
    // The hosted service's sites are reached over https (the XML-RPC agent
    // rewrites their http addresses so).
    std::u16string string = address.string();
    if (string.size() >= 5 && equalsIgnoringASCIICase(std::u16string_view(string).substr(0, 5), u"http:"))
        string = u"https:" + string.substr(5);
    if (auto url = URL::create(string); url && url->host())
        m_siteListAddresses.insert(std::move(string));
}

void VornickWordPressAgent::requestBlogDescriptionsUsingWordPressRESTAPI()
{
    auto account = wordPressAccount();
    if (account && account->isMultiSiteAccount()) {
        logLine(log(), u"Requesting site list (/me/sites) using the v1.1 REST API");
        postRESTRequestWithEndpointPath(u"me/sites", 1, u"GET", Value(u"0"), {}, nullptr, VornickReplyKind::SettingsReply,
            [this](const RESTReply& reply) {
                if (!reply.succeeded()) {
                    logLine(log(), u"ERROR: Failed to get /me/sites (" + reply.error.localizedDescription() + u")");
                    if (auto* delegate = this->delegate())
                        delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, reply.error);
                    return;
                }
                const std::optional<Value>& json = reply.json;
                const Value* sites = json && json->isDictionary() ? json->find(u"sites") : nullptr;
                if (!sites || !sites->isArray()) {
                    logLine(log(), u"Got /me/sites response with no sites");
                    Error error = generalError(39, { { u"dictionary", json.value_or(Value()) }, { u"key", Value(u"sites") },
                                                       { u"expectedType", Value(u"array") } });
                    if (auto* delegate = this->delegate())
                        delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, error);
                    return;
                }
                if (auto log = this->log())
                    log->log("Got /me/sites reponse with {} site descriptions", sites->array().size());
                std::vector<Dictionary> descriptions;
                for (const Value& site : sites->array()) {
                    const Value& name = site[u"name"];
                    const Value& identifier = site[u"ID"];
                    const Value& address = site[u"URL"];
                    if (auto log = this->log())
                        log->log(u"Known site: \"" + (name.isString() ? vornickWordPressLoggableText(name.string()) : u"(no title)") + u"\" id="
                            + (identifier.isNumber() ? stringOrNumberText(identifier).value_or(u"") : u"(no ID)") + u" at "
                            + (address.isString() ? vornickWordPressLoggableText(address.string()) : u"(no URL)"));
                    Dictionary description;
                    if (auto title = stringOrNumberText(name))
                        description[u"title"] = Value(*title);
                    if (auto text = stringOrNumberText(identifier))
                        description[u"identifierUsedByBlogService"] = Value(*text);
                    if (auto browse = stringOrNumberText(address))
                        description[u"browseURLString"] = Value(*browse);
                    if (const Value& theme = site[u"options"][u"theme_slug"]; theme.isString())
                        description[u"themeIdentifier"] = theme;
                    description[u"postFormats"] = Value(constantPostFormatDescriptions());
                    description[u"postStatuses"] = Value(constantPostStatusDescriptions());
                    noteSiteListAddress(address);
                    descriptions.push_back(std::move(description));
                }
                descriptions = vornickWordPressCheckedDescriptions(std::move(descriptions), u"site", 0, log().get());
                if (auto* delegate = this->delegate())
                    delegate->blogServiceAgentReceivedBlogDescriptions(*this, descriptions);
            });
        return;
    }

    postRESTRequestWithEndpointPath(u"settings", 0, u"GET", Value(), {}, nullptr, VornickReplyKind::SettingsReply,
        [this](const RESTReply& reply) {
            if (!reply.succeeded()) {
                receivedSettingsFailure(reply.error);
                return;
            }
            const std::optional<Value>& json = reply.json;
            const std::shared_ptr<URLResponse>& response = reply.response;
            auto* delegate = this->delegate();
            Value responseValue = response ? Value(toUTF16(response->className())) : Value();
            if (!json || !json->isDictionary()) {
                Error error = generalError(38, { { u"jsonObject", json.value_or(Value()) }, { u"response", responseValue } });
                if (delegate)
                    delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, error);
                return;
            }
            const Value* title = json->find(u"title");
            const Value* address = json->find(u"url");
            if (!title || !address) {
                Error error = generalError(47, { { u"jsonObject", *json }, { u"response", responseValue }, { u"receivedDescription", *json } });
                if (delegate)
                    delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, error);
                return;
            }
            logLine(log(), u"Known site: \"" + (title->isString() ? vornickWordPressLoggableText(title->string()) : u"(no title)")
                + u"\" at " + (address->isString() ? vornickWordPressLoggableText(address->string()) : u"(no URL)"));
            Dictionary description;
            if (auto text = stringOrNumberText(*title))
                description[u"title"] = Value(*text);
            description[u"identifierUsedByBlogService"] = Value(u"1");
            if (auto text = stringOrNumberText(*address))
                description[u"browseURLString"] = Value(*text);
            for (auto [key, field] : { std::pair { u"wordPressDateFormat", u"date_format" }, std::pair { u"wordPressTimeFormat", u"time_format" },
                     std::pair { u"wordPressTimeZone", u"timezone" } }) {
                if (auto text = stringOrNumberText((*json)[field]))
                    description[key] = Value(*text);
            }
            // A site whose offset was set by hand names no zone: its "gmt_offset" says it, where the reply carries one.
            if (auto zone = description.find(u"wordPressTimeZone"); zone == description.end() || zone->second.stringValue().empty()) {
                if (auto text = stringOrNumberText((*json)[u"gmt_offset"]))
                    description[u"wordPressTimeZone"] = Value(*text);
            }
            description[u"postFormats"] = Value(constantPostFormatDescriptions());
            description[u"postStatuses"] = Value(constantPostStatusDescriptions());
            noteSiteListAddress(*address);
            if (delegate)
                delegate->blogServiceAgentReceivedBlogDescriptions(*this,
                    vornickWordPressCheckedDescriptions({ std::move(description) }, u"site", 0, log().get()));
        });
}

void VornickWordPressAgent::receivedSettingsFailure(const Error& failure)
{
    logLine(log(), u"Failed to get /settings.");
    const Value* json = failure.userInfo().contains(u"json") ? &failure.userInfo().at(u"json") : nullptr;
    std::u16string errorString = json && (*json)[u"error"].isString() ? (*json)[u"error"].string() : u"";
    // WordPress answers a wrong application password with 401 and a code.
    std::u16string codeString = json && (*json)[u"code"].isString() ? (*json)[u"code"].string() : u"";
    Error reported = failure;
    if (errorString == u"INVALID_USERNAME" || codeString == u"invalid_username") {
        logLine(log(), u"INVALID_USERNAME: WordPress rejected the provided username. Please confirm that you've entered your account name correctly.");
        reported = Error(VornickErrorDomain, 48, u"WordPress rejected the user name.");
        reported.setUnderlyingError(failure);
    } else if (errorString == u"INVALID_PASSWORD" || codeString == u"incorrect_password"
        // A login WordPress does not take leaves the request a guest's, refused with 401.
        || (failure.domain() == VornickHTTPErrorDomain && failure.code() == 401 && codeString == u"rest_forbidden")) {
        logLine(log(), u"INVALID_PASSWORD: WordPress rejected the provided password. Please confirm that you've entered your password and account name correctly.");
        reported = Error(VornickErrorDomain, 49, u"WordPress rejected the password.");
        reported.setUnderlyingError(failure);
    } else if (failure.domain() != VornickHTTPErrorDomain) {
        // The site was not reached, or its reply did not come whole: no
        // setting of the site is to blame.
        logLine(log(), u"ERROR getting /settings: " + failure.localizedDescription());
    } else {
        if (errorString == u"MISSING_AUTHORIZATION_HEADER") {
            logLine(log(), u"The MISSING_AUTHORIZATION_HEADER error indicates that the authorizations that Brevanton is attaching to its REST requests aren't making it through to WordPress, causing WordPress to refuse the requests. This can be caused by incorrect \"Rewrite\" settings in a site's .htaccess file, bad PHP configuration or an incompatible PHP version, WordPress permalink settings needing updating/\"flushing\", changing of an existing site's domain name in a way that wasn't propagated through its WordPress configuration, a web cache interfering with the headers, and possibly other issues. We recommend contacting your site host to determine what is preventing REST request authorization headers from reaching WordPress.");
        } else if (!errorString.empty()) {
            logLine(log(), u"ERROR getting /settings: " + failure.localizedDescription());
        }
        // WordPress takes an application password by itself; only a site that
        // refused the login outright may need a Basic Authentication plugin.
        bool loginRefused = failure.code() == 401 || failure.code() == 403;
        logLine(log(), u"Continuing sync, but it's likely that REST authentication is not functioning correctly for this site and subsequent requests in this sync may fail as a result."
            + std::u16string(loginRefused ? u" Use an application password of the WordPress user (WordPress 5.6 or later takes it without any plugin); an older WordPress needs the Basic Authentication plugin, as described in Brevanton's \"Connecting to WordPress\" Help topic." : u"")
            + u" (" + failure.localizedDescription() + u")");
    }
    if (auto* delegate = this->delegate())
        delegate->blogServiceAgentFailedToGetBlogDescriptionsWithError(*this, reported);
}

void VornickWordPressAgent::requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestWordPressPostsOfType(u"post", blogDescription, startOffset);
}

void VornickWordPressAgent::requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset)
{
    requestWordPressPostsOfType(u"page", blogDescription, startOffset);
}

Dictionary VornickWordPressAgent::mediaItemVariantsDictionaryForWordPressSizesDictionary(const Dictionary& sizes)
{
    auto number = [](const Value& value) -> std::optional<Value> {
        if (value.isNumber())
            return value;
        if (value.isString())
            return Value(static_cast<int64_t>(std::strtoll(toUTF8(value.string()).c_str(), nullptr, 10)));
        return std::nullopt;
    };
    Dictionary variants;
    for (auto& [key, size] : sizes) {
        if (!size.isDictionary())
            continue;
        Dictionary variant;
        if (const Value* file = size.find(u"file"))
            variant[u"filename"] = *file;
        if (const Value* type = size.find(u"mime-type"))
            variant[u"mimeType"] = *type;
        if (auto height = number(size[u"height"]))
            variant[u"pixelsHigh"] = *height;
        if (auto width = number(size[u"width"]))
            variant[u"pixelsWide"] = *width;
        variants[key] = Value(std::move(variant));
    }
    return variants;
}

void VornickWordPressAgent::requestWordPressPostsOfType(std::u16string_view, const Dictionary&, int64_t)
{
    subclassesMustOverride("requestWordPressPostsOfType:forBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::requestBlogOptionsForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestBlogOptionsForBlogWithDescription:");
}

void VornickWordPressAgent::requestCategoriesForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestCategoriesForBlogWithDescription:startOffset:");
}

bool VornickWordPressAgent::wantsRequestTagsStep() const { subclassesMustOverride("wantsRequestTagsStep"); }

void VornickWordPressAgent::requestTagsForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestTagsForBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::requestPostFormatsForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestPostFormatsForBlogWithDescription:");
}

void VornickWordPressAgent::requestPostStatusesForBlogWithDescription(const Dictionary&)
{
    subclassesMustOverride("requestPostStatusesForBlogWithDescription:");
}

void VornickWordPressAgent::requestMediaItemsForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestMediaItemsForBlogWithDescription:startOffset:");
}

void VornickWordPressAgent::uploadMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Dictionary&)
{
    subclassesMustOverride("uploadMediaItem:forBlogWithDescription:");
}

} // namespace brevanton
