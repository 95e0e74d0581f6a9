#include "wordpress/VornickGetWordPressPostTemplatesStep.h"

#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickBlogTemplateResourcePolicy.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProject.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLResponse.h"
#include "platform/net/URLSession.h"
#include "platform/net/WebResource.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickPasswordTransport.h"
#include "toolkit/VornickTrash.h"
#include "wordpress/VornickTemplatePageLoader.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressIntegrator.h"

#include <filesystem>

namespace brevanton {

namespace {

constexpr double templateRequestTimeout = 60;

const char16_t* proxyDraftBody = u"<p>Brevanton created this draft to help it fetch post templates from WordPress. Feel free to delete it; it "
                                 u"should have been deleted automatically.</p>";

std::u16string stringOf(const ManagedObject& object, std::u16string_view key)
{
    return object.valueForKey(key).stringValue();
}

// Form values keep only the unreserved characters; "&", "+", "=" and the rest are escaped.
std::string formEncoded(std::u16string_view value)
{
    static const CharacterSet unreserved = CharacterSet::fromCharacters(
        std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~"));
    return toUTF8(percentEncode(value, unreserved));
}

std::string_view bytesOf(const Data& data)
{
    return std::string_view(reinterpret_cast<const char*>(data.data()), data.size());
}

bool bodyIndicatesError404(const DOMDocument& document)
{
    auto body = document.body();
    if (!body)
        return false;
    std::u16string classes = body->getAttribute(u"class");
    size_t start = 0;
    while (start < classes.size()) {
        size_t end = classes.find_first_of(u" \t\n\r\f", start);
        if (end == std::u16string::npos)
            end = classes.size();
        if (std::u16string_view(classes).substr(start, end - start) == u"error404")
            return true;
        start = end + 1;
    }
    return false;
}

bool hasBaseWithHref(DOMDocument& document)
{
    auto bases = document.getElementsByTagName(u"base");
    for (unsigned index = 0; bases && index < bases->length(); ++index) {
        if (bases->item(index)->hasAttribute(u"href"))
            return true;
    }
    return false;
}

std::string escapedForAttribute(std::u16string_view text)
{
    std::string escaped;
    for (char c : toUTF8(text)) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// Where a tag's name ends in the markup: after "<name" when a space, "/" or
// ">" follows ("<header" is not "<head"); the position after its ">".
std::optional<size_t> endOfOpeningTag(std::string_view markup, std::string_view name)
{
    std::string lowered(markup);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string needle = "<" + std::string(name);
    for (size_t at = lowered.find(needle); at != std::string::npos; at = lowered.find(needle, at + 1)) {
        size_t after = at + needle.size();
        if (after < lowered.size() && (lowered[after] == '>' || lowered[after] == '/' || std::isspace(static_cast<unsigned char>(lowered[after])))) {
            size_t close = lowered.find('>', after);
            if (close != std::string::npos)
                return close + 1;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The page with a `base` naming `sourceURL` when it has none, so that its
// relative references keep naming the site once it is a local file.
std::string pageWithBase(std::string page, const URL& sourceURL)
{
    auto document = parseHTMLDocument(page);
    if (document && hasBaseWithHref(*document))
        return page;
    std::string base = "<base href=\"" + escapedForAttribute(sourceURL.absoluteString()) + "\">";
    auto position = endOfOpeningTag(page, "head");
    if (!position)
        position = endOfOpeningTag(page, "html");
    if (!position) {
        // After a doctype, when the page starts with one.
        position = 0;
        if (page.size() > 1 && page.compare(0, 2, "<!") == 0) {
            size_t close = page.find('>');
            position = close == std::string::npos ? 0 : close + 1;
        }
    }
    page.insert(*position, base);
    return page;
}

std::optional<std::filesystem::path> resolvedFolderPath(const URL& url)
{
    auto path = url.fileSystemPath();
    if (!path)
        return std::nullopt;
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(*path, error);
    if (error)
        return std::nullopt;
    return resolved;
}

} // namespace

VornickGetWordPressPostTemplatesStep::VornickGetWordPressPostTemplatesStep(std::u16string name, std::u16string title)
    : VornickSyncStep(std::move(name), std::move(title))
{
    setStartBlock([this] { loginIfNeededThenStartGettingTemplates(); });
}

VornickGetWordPressPostTemplatesStep::~VornickGetWordPressPostTemplatesStep() = default;

bool VornickGetWordPressPostTemplatesStep::isUsableFormatIdentifier(std::u16string_view identifier)
{
    if (identifier.empty())
        return false;
    return std::all_of(identifier.begin(), identifier.end(), [](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
    });
}

std::optional<URL> VornickGetWordPressPostTemplatesStep::templateFileURLForFormat(const URL& templatesFolderURL,
                                                                                   std::u16string_view formatIdentifier)
{
    if (!isUsableFormatIdentifier(formatIdentifier))
        return std::nullopt;
    return templatesFolderURL.URLByAppendingPathComponent(u"post-" + std::u16string(formatIdentifier) + u".html", false);
}

VornickWordPressIntegrator* VornickGetWordPressPostTemplatesStep::wordPressIntegrator()
{
    return dynamic_cast<VornickWordPressIntegrator*>(vornick_integratorOfStep(*this));
}

std::shared_ptr<VornickWordPressBlog> VornickGetWordPressPostTemplatesStep::blog()
{
    auto* blogStep = this->blogStep();
    auto* integrator = wordPressIntegrator();
    if (!blogStep || !integrator)
        return nullptr;
    return entityCast<VornickWordPressBlog>(integrator->existingBlogForDescription(blogStep->blogDescription()));
}

bool VornickGetWordPressPostTemplatesStep::fetchingByCreatingDrafts()
{
    auto* integrator = wordPressIntegrator();
    return integrator && integrator->fetchTemplatesByCreatingDrafts();
}

void VornickGetWordPressPostTemplatesStep::log(std::u16string_view line)
{
    if (auto log = syncLog())
        log->log(line);
}

void VornickGetWordPressPostTemplatesStep::failWithReason(const std::u16string& reason)
{
    log(reason);
    setStatusMessage(reason);
    setError(Error(VornickErrorDomain, 0, reason));
    setState(VornickSyncStepState::Failed);
}

void VornickGetWordPressPostTemplatesStep::awaitAnswer(std::u16string request)
{
    vornick_startWatchdogOfStep<VornickGetWordPressPostTemplatesStep>(*this, m_answerWatchdog, [request](auto& step) {
        step.failWithReason(u"No answer from the site within " + toUTF16(std::to_string(static_cast<int>(VornickQueueStepAnswerTimeout)))
                            + u" seconds " + request);
    });
}

void VornickGetWordPressPostTemplatesStep::loginIfNeededThenStartGettingTemplates()
{
    if (!active())
        return;
    if (!wordPressIntegrator() || !blog()) {
        failWithReason(u"Cannot fetch templates: the session has no WordPress integrator or blog");
        return;
    }
    if (!fetchingByCreatingDrafts()) {
        startGettingTemplates();
        return;
    }
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    OperationQueue::main().addOperation([weakThis] {
        if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
            step->login();
    });
}

void VornickGetWordPressPostTemplatesStep::login()
{
    if (!RunLoop::isMainThread())
        throw InternalInconsistencyException("-[VornickGetWordPressPostTemplatesStep login] must be called on the main thread");
    if (!active())
        return;
    auto* integrator = wordPressIntegrator();
    if (!integrator)
        return;
    setStatusMessage(u"Logging into WordPress...");
    queueMainThreadStatusUpdateNotification();
    log(u"Logging into WordPress, so we can fetch post templates...");

    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    auto startThroughHostQueue = [weakThis] {
        auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock());
        if (!step || !step->active())
            return;
        auto* integrator = step->wordPressIntegrator();
        if (!integrator || !integrator->agent()) {
            step->failWithReason(u"Cannot fetch templates: there is no agent to reach the site with");
            return;
        }
        integrator->enqueueHostRequestWithBlock(
            [weakThis] {
                if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
                    step->startGettingTemplates();
            },
            [weakThis](double delay) {
                if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()); step && step->syncLog())
                    step->syncLog()->log("Sorry, rate limit reached. Waiting {:.1f} seconds before we start fetching templates, so host doesn't start denying us service.", delay);
            });
    };
    auto loginFailed = [this, &startThroughHostQueue](std::u16string_view why) {
        m_loginSucceeded = false;
        log(u"Login failed! (" + std::u16string(why) + u") Attempting to fetch missing templates, but won't replace existing ones.");
        startThroughHostQueue();
    };

    auto account = entityCast<VornickWordPressAccount>(integrator->account());
    if (!account) {
        loginFailed(u"No WordPress account.");
        return;
    }
    // The site's login page takes the account's login password; an
    // application password or an authorization token opens only its APIs.
    if (account->authenticationType() != VornickWordPressAuthenticationType::InsideXMLRPCCalls) {
        loginFailed(u"The account signs in with an application password or an authorization, which the site's login page does not take; "
                    u"draft previews need the login password of an XML-RPC account.");
        return;
    }
    std::u16string root = account->rootURLString();
    if (!root.ends_with(u'/'))
        root += u'/';
    auto loginURL = URL::create(root + u"wp-login.php");
    auto agent = integrator->wordPressAgent();
    if (!loginURL || !agent || !agent->mayCarryCredentialsToURL(*loginURL)) {
        loginFailed(u"Brevanton sends your WordPress login only over a secure connection to your own site: " + root + u"wp-login.php.");
        return;
    }
    auto password = account->password();
    if (!password || password->empty()) {
        loginFailed(u"No password.");
        return;
    }

    URLRequest request(*loginURL, templateRequestTimeout);
    request.setHTTPMethod(u"POST");
    request.setValueForHTTPHeaderField(u"application/x-www-form-urlencoded", u"content-type");
    request.setValueForHTTPHeaderField(VornickBlogServiceAgent::userAgent(), u"User-Agent");
    std::string body = "log=" + formEncoded(account->loginID()) + "&pwd=" + formEncoded(*password);
    request.setHTTPBody(Data(body.begin(), body.end()));
    auto loader = templateLoader();
    if (!loader) {
        loginFailed(u"The program loads no pages.");
        return;
    }
    awaitAnswer(u"to the login at " + loginURL->absoluteString());
    loader->loadURLRequest(request, [weakThis, loginURL = *loginURL, startThroughHostQueue](const VornickLoadedTemplatePage&,
                                                                                           const std::optional<Error>&) {
        auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock());
        if (!step || !step->active())
            return;
        step->answerArrived();
        auto session = step->m_templateLoader ? step->m_templateLoader->urlSession() : nullptr;
        if (!session)
            session = URLSession::shared();
        auto storage = session->httpCookieStorage();
        auto cookies = storage ? storage->cookiesForURL(loginURL) : std::vector<HTTPCookie>();
        std::u16string names;
        bool loggedIn = false;
        for (auto& cookie : cookies) {
            loggedIn = loggedIn || cookie.name.starts_with(u"wordpress_logged_in");
            names += (names.empty() ? u"" : u", ") + cookie.name;
        }
        step->m_loginSucceeded = loggedIn;
        if (loggedIn)
            step->log(u"Login succeeded.");
        else
            step->log(u"Login failed! (No \"wordpress_logged_in*\" found among " + toUTF16(std::to_string(cookies.size())) + u" cookies: " + names
                      + u") Attempting to fetch missing templates, but won't replace existing ones.");
        startThroughHostQueue();
    });
}

void VornickGetWordPressPostTemplatesStep::startGettingTemplates()
{
    if (!active())
        return;
    auto blog = this->blog();
    Error error;
    auto folder = blog ? blog->templatesFolderURL() : std::nullopt;
    auto folderPath = folder ? folder->fileSystemPath() : std::nullopt;
    auto project = blog ? blog->project() : nullptr;
    if (!folderPath || !project || !project->createFolderInsideSourceRoot(*folderPath, &error)) {
        if (error.isEmpty())
            error = Error(VornickErrorDomain, 0, u"The blog has no templates folder.");
        setError(error);
        log(u"Failed to create templates folder");
        setStatusMessage(u"Failed to create templates folder");
        setState(VornickSyncStepState::Failed);
        return;
    }
    setTemplatesFolderURL(folder);

    auto formats = blog->objectsForKey(u"postFormats");
    m_numberOfPostFormats = formats.size();
    m_postFormatsQueue.clear();
    for (auto& format : formats) {
        m_postFormatsQueue.push_back(format);
        log(u"Queuing post format " + stringOf(*format, u"title") + u" (" + stringOf(*format, u"identifier") + u") with "
            + toUTF16(std::to_string(format->objectsForKey(u"posts").size())) + u" posts for template fetch");
    }

    // A published page that is not in the trash gives the page template.
    for (auto& page : blog->pagesOnly()) {
        auto status = page->objectForKey(u"status");
        bool published = status && equalsIgnoringASCIICase(stringOf(*status, u"identifier"), u"publish");
        std::u16string permalink = stringOf(*page, u"permalinkURLString");
        if (!published || permalink.empty() || page->valueForKey(u"inTrash").boolValue())
            continue;
        log(u"Requesting sample page for template use");
        setStatusMessage(u"Requesting sample page...");
        queueMainThreadStatusUpdateNotification();
        auto url = URL::create(permalink);
        auto destination = m_templatesFolderURL->URLByAppendingPathComponent(u"page.html", false);
        if (!url) {
            log(u"Failed to load template " + permalink + u": not an address");
            fetchEnded();
            return;
        }
        fetchSourceURL(*url, destination);
        return;
    }
    log(u"Requesting sample posts for template use");
    setStatusMessage(u"Requesting sample posts...");
    queueMainThreadStatusUpdateNotification();
    advancePostFormatsQueue();
}

void VornickGetWordPressPostTemplatesStep::advancePostFormatsQueue()
{
    if (!active())
        return;
    bool drafts = fetchingByCreatingDrafts();
    while (!m_postFormatsQueue.empty()) {
        auto format = m_postFormatsQueue.front();
        m_postFormatsQueue.pop_front();
        setActivePostFormat(format);
        std::u16string identifier = stringOf(*format, u"identifier");
        auto destination = m_templatesFolderURL ? templateFileURLForFormat(*m_templatesFolderURL, identifier) : std::nullopt;
        if (!destination) {
            log(u"Skipping post format \"" + identifier + u"\": its identifier cannot name a template file");
            recomputeGetTemplatesProgress();
            continue;
        }
        if (auto sample = bestPublishedSamplePostForFormat(*format)) {
            std::u16string permalink = stringOf(*sample, u"permalinkURLString");
            if (auto url = URL::create(permalink)) {
                fetchSourceURL(*url, *destination);
                return;
            }
            log(u"Failed to load template " + permalink + u": not an address");
            recomputeGetTemplatesProgress();
            continue;
        }
        if (!drafts) {
            recomputeGetTemplatesProgress();
            continue;
        }
        auto path = destination->fileSystemPath();
        if (m_loginSucceeded || !path || !fileExists(*path)) {
            std::u16string message = u"Fetching \"" + identifier + u"\" post template...";
            log(message);
            setStatusMessage(message);
            queueMainThreadStatusUpdateNotification();
            configureProxyDraftWithFormatIdentifier(identifier);
            return;
        }
        recomputeGetTemplatesProgress();
    }
    if (drafts)
        scheduleDeletionOfProxyDraft();
    setStatusMessage(u"Done");
    setState(VornickSyncStepState::Completed);
    queueMainThreadStatusUpdateNotification();
}

std::shared_ptr<ManagedObject> VornickGetWordPressPostTemplatesStep::bestPublishedSamplePostForFormat(const ManagedObject& postFormat)
{
    auto posts = postFormat.objectsForKey(u"posts");
    std::shared_ptr<ManagedObject> best;
    int bestScore = -1;
    for (auto& post : posts) {
        if (!equalsIgnoringASCIICase(stringOf(*post, u"type"), u"post"))
            continue;
        auto status = post->objectForKey(u"status");
        if (!status || !equalsIgnoringASCIICase(stringOf(*status, u"identifier"), u"publish"))
            continue;
        if (post->valueForKey(u"inTrash").boolValue() || stringOf(*post, u"permalinkURLString").empty())
            continue;
        int score = (post->objectsForKey(u"categories").empty() ? 0 : 1) + (post->objectsForKey(u"tags").empty() ? 0 : 1);
        if (score > bestScore) {
            best = post;
            bestScore = score;
        }
        if (score == 2)
            break;
    }
    if (!best)
        log(u"Found " + toUTF16(std::to_string(posts.size())) + u" posts with format \"" + stringOf(postFormat, u"identifier")
            + u"\"; none suitable for template download");
    return best;
}

bool VornickGetWordPressPostTemplatesStep::isOnBlogHost(const URL& url)
{
    auto blog = this->blog();
    if (!blog)
        return false;
    auto scheme = url.scheme();
    if ((scheme != u"http" && scheme != u"https") || url.user() || url.password())
        return false;
    auto browse = URL::create(blog->browseURLString());
    if (!browse || !vornick_isSameOrigin(*browse, url))
        return false;
    // The login's cookies go with every page asked for after it: only to the
    // origin logged in to.
    if (!m_loginSucceeded)
        return true;
    auto* integrator = wordPressIntegrator();
    auto account = integrator ? entityCast<VornickWordPressAccount>(integrator->account()) : nullptr;
    auto root = account ? URL::create(account->rootURLString()) : std::nullopt;
    return root && vornick_isSameOrigin(*root, url);
}

void VornickGetWordPressPostTemplatesStep::fetchSourceURL(const URL& sourceURL, const URL& destinationURL)
{
    if (!active())
        return;
    // Server data names the page: only the blog's own site is asked.
    if (!isOnBlogHost(sourceURL)) {
        log(u"Failed to load template " + sourceURL.absoluteString() + u": not an http(s) address on the blog's host");
        fetchEnded();
        return;
    }
    if (!fetchingByCreatingDrafts()) {
        fetchWithAgent(sourceURL, destinationURL);
        return;
    }
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    OperationQueue::main().addOperation([weakThis, sourceURL, destinationURL] {
        auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock());
        if (!step || !step->active())
            return;
        step->log(u"Fetching " + sourceURL.absoluteString() + u" for template use");
        step->fetchWithTemplateLoader(sourceURL, destinationURL);
    });
}

void VornickGetWordPressPostTemplatesStep::fetchWithAgent(const URL& sourceURL, const URL& destinationURL)
{
    requestPage(sourceURL, destinationURL, MaximumRedirects);
}

void VornickGetWordPressPostTemplatesStep::requestPage(const URL& url, const URL& destinationURL, int redirectsLeft)
{
    auto* integrator = wordPressIntegrator();
    auto* session = syncSession();
    auto agent = integrator && session && session->active() ? integrator->agent() : nullptr;
    if (!agent) {
        log(u"Failed to load template " + url.absoluteString() + u": there is no agent to reach the site with");
        fetchEnded();
        return;
    }
    // Redirects are followed here, so that none leaves the blog's host.
    URLRequest request(url, templateRequestTimeout);
    request.setMaximumRedirects(0);
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    awaitAnswer(u"to the request for " + url.absoluteString());
    agent->loadRequest(std::move(request), VornickReplyKind::TemplatePage,
                       [weakThis, url, destinationURL, redirectsLeft](std::shared_ptr<URLResponse> response, Data data, Error error) {
                           if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
                               step->receivedPage(url, destinationURL, response, data, error, redirectsLeft);
                       });
}

void VornickGetWordPressPostTemplatesStep::receivedPage(const URL& requestedURL, const URL& destinationURL,
                                                        const std::shared_ptr<URLResponse>& response, const Data& data, const Error& error,
                                                        int redirectsLeft)
{
    auto* session = syncSession();
    if (!active() || !session || !session->active())
        return;
    answerArrived();
    std::u16string failure = u"Failed to load template " + requestedURL.absoluteString() + u":";
    if (!error.isEmpty() || !response) {
        log(failure + u" " + (error.isEmpty() ? std::u16string(u"no answer") : error.localizedDescription()));
        fetchEnded();
        return;
    }
    auto* http = dynamic_cast<const HTTPURLResponse*>(response.get());
    if (http && http->statusCode() >= 300 && http->statusCode() < 400) {
        auto location = http->valueForHTTPHeaderField(u"Location");
        auto target = location ? URL::create(*location, &requestedURL) : std::nullopt;
        if (!target) {
            log(failure + u" redirected without a usable address");
        } else if (!isOnBlogHost(*target)) {
            log(failure + u" redirected off the blog's host, to " + target->absoluteString());
        } else if (target->path().ends_with(u"wp-login.php")) {
            log(failure + u" redirected to the site's login page");
        } else if (redirectsLeft <= 0) {
            log(failure + u" too many redirects");
        } else {
            requestPage(target->absoluteURL(), destinationURL, redirectsLeft - 1);
            return;
        }
        fetchEnded();
        return;
    }
    if (auto reason = reasonToRefuseAnswer(response.get(), data)) {
        log(failure + u" " + *reason);
        fetchEnded();
        return;
    }
    auto document = parseHTMLDocument(bytesOf(data));
    if (document && bodyIndicatesError404(*document)) {
        log(failure + u" (<body> indicates error404)");
        fetchEnded();
        return;
    }
    writeTemplate(requestedURL, response->url(), data, destinationURL);
    fetchEnded();
}

std::optional<std::u16string> VornickGetWordPressPostTemplatesStep::reasonToRefuseAnswer(const URLResponse* response, const Data& data) const
{
    auto* http = dynamic_cast<const HTTPURLResponse*>(response);
    if (!http)
        return u"not an HTTP answer";
    if (http->statusCode() < 200 || http->statusCode() >= 300)
        return u"the site answered " + toUTF16(std::to_string(http->statusCode()));
    if (!equalsIgnoringASCIICase(http->mimeType(), u"text/html"))
        return u"not an HTML page (" + (http->mimeType().empty() ? std::u16string(u"no type") : http->mimeType()) + u")";
    if (data.empty())
        return u"(no data)";
    if (data.size() >= MaximumTemplateLength)
        return toUTF16(std::to_string(data.size())) + u" bytes, more than a template may have";
    return std::nullopt;
}

void VornickGetWordPressPostTemplatesStep::writeTemplate(const URL& sourceURL, const URL& answeredURL, const Data& data,
                                                         const URL& destinationURL)
{
    log(u"Successfully loaded " + sourceURL.absoluteString() + u" (" + toUTF16(std::to_string(data.size())) + u" bytes), saving as "
        + destinationURL.lastPathComponent() + u" template");
    std::string page = pageWithBase(std::string(bytesOf(data)), answeredURL);
    Error error;
    auto path = destinationURL.fileSystemPath();
    auto blog = this->blog();
    auto project = blog ? blog->project() : nullptr;
    if (!path || !project || !project->writeFileInsideSourceRoot(*path, page, &error))
        log(u"Failed to save template " + destinationURL.lastPathComponent() + u": " + error.localizedDescription());
}

void VornickGetWordPressPostTemplatesStep::moveTemplateToTrash(const URL& destinationURL)
{
    // Only a file directly inside the templates folder is ever trashed.
    auto folder = m_templatesFolderURL ? resolvedFolderPath(*m_templatesFolderURL) : std::nullopt;
    auto file = resolvedFolderPath(destinationURL);
    if (!folder || !file || file->parent_path() != *folder)
        return;
    if (!fileExists(file->string()))
        return;
    Error error;
    if (!vornick_moveFileToTrash(destinationURL, &error))
        log(u"Failed to move " + destinationURL.lastPathComponent() + u" to the Trash: " + error.localizedDescription());
}

std::shared_ptr<VornickTemplatePageLoader> VornickGetWordPressPostTemplatesStep::templateLoader()
{
    if (m_templateLoader)
        return m_templateLoader;
    auto policy = std::make_shared<VornickBlogTemplateResourcePolicy>(blog());
    auto* integrator = wordPressIntegrator();
    if (auto account = integrator ? entityCast<VornickWordPressAccount>(integrator->account()) : nullptr)
        policy->addSiteURLString(account->rootURLString());
    m_templateLoader = VornickTemplatePageLoader::make([policy](const URLRequest& request) { return policy->requestToLoad(request); });
    return m_templateLoader;
}

void VornickGetWordPressPostTemplatesStep::fetchWithTemplateLoader(const URL& sourceURL, const URL& destinationURL)
{
    URLRequest request(sourceURL, templateRequestTimeout);
    request.setValueForHTTPHeaderField(VornickBlogServiceAgent::userAgent(), u"User-Agent");
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    auto loader = templateLoader();
    if (!loader) {
        log(u"Failed to load template: " + sourceURL.absoluteString() + u" (the program loads no pages)");
        fetchEnded();
        return;
    }
    awaitAnswer(u"to the request for " + sourceURL.absoluteString());
    loader->loadURLRequest(request, [weakThis, sourceURL, destinationURL](const VornickLoadedTemplatePage& page,
                                                                          const std::optional<Error>& error) {
        if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
            step->templateLoaderFinished(sourceURL, destinationURL, page, error);
    });
}

void VornickGetWordPressPostTemplatesStep::templateLoaderFinished(const URL& sourceURL, const URL& destinationURL,
                                                                  const VornickLoadedTemplatePage& page, const std::optional<Error>& error)
{
    if (!active())
        return;
    answerArrived();
    if (error) {
        log(u"Failed to load template: " + sourceURL.absoluteString() + u" error=" + error->localizedDescription());
        fetchEnded();
        return;
    }
    if (page.data.empty()) {
        log(u"Failed to load template: " + sourceURL.absoluteString() + u" (no data)");
    } else if (page.document && bodyIndicatesError404(*page.document)) {
        log(u"Failed to load template: " + sourceURL.absoluteString() + u" (<body> indicates error404)");
        moveTemplateToTrash(destinationURL);
    } else if (auto reason = reasonToRefuseAnswer(page.response.get(), page.data)) {
        log(u"Failed to load template: " + sourceURL.absoluteString() + u" (" + *reason + u")");
    } else {
        writeTemplate(sourceURL, page.response->url(), page.data, destinationURL);
    }

    if (page.response) {
        const auto& subresources = page.subresources;
        log(u"Stashing data for " + toUTF16(std::to_string(subresources.size())) + u" subresources...");
        auto blog = this->blog();
        auto cache = blog ? blog->webResourceCache() : nullptr;
        const auto& successful = page.successfullyLoadedURLStrings;
        for (auto& resource : subresources) {
            // Only what the site answered successfully: error pages are never kept.
            auto scheme = resource->url().scheme();
            if (!cache || (scheme != u"http" && scheme != u"https") || !successful.contains(resource->url().absoluteString()))
                continue;
            cache->storeCachedWebResource(*resource);
        }
    }
    fetchEnded();
}

void VornickGetWordPressPostTemplatesStep::fetchEnded()
{
    recomputeGetTemplatesProgress();
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    OperationQueue::main().addOperation([weakThis] {
        if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
            step->advancePostFormatsQueue();
    });
}

void VornickGetWordPressPostTemplatesStep::configureProxyDraftWithFormatIdentifier(const std::u16string& formatIdentifier)
{
    if (!fetchingByCreatingDrafts())
        throw InternalInconsistencyException("We should only configure drafts when fetching templates that way");
    if (!active())
        return;
    m_proxyDraftFormatIdentifier = formatIdentifier;
    log(u"Configuring proxy draft for format=\"" + formatIdentifier + u"\"");
    auto blog = this->blog();
    auto* integrator = wordPressIntegrator();
    if (!blog || !integrator) {
        failedToUpdateProxyDraft();
        return;
    }
    Dictionary draft;
    if (m_proxyDraftWordPressIdentifier) {
        draft.insert_or_assign(u"identifierUsedByBlogService", Value(*m_proxyDraftWordPressIdentifier));
    } else {
        draft.insert_or_assign(u"title", Value(VornickTemplateProxyDraftMarker));
        draft.insert_or_assign(u"sourceContentString", Value(proxyDraftBody));
        draft.insert_or_assign(u"sourceContentType", Value(u"html"));
        // Titles for XML-RPC, identifiers for REST (which refuses titles).
        auto addTerms = [&](std::u16string_view relationship, const char16_t* titlesKey, const char16_t* identifiersKey) {
            Array titles;
            Array identifiers;
            for (auto& term : blog->objectsForKey(relationship)) {
                if (titles.size() == 2)
                    break;
                std::u16string title = stringOf(*term, u"title");
                std::u16string identifier = stringOf(*term, u"identifierUsedByBlogService");
                if (title.empty() && identifier.empty())
                    continue;
                if (!title.empty())
                    titles.emplace_back(title);
                if (!identifier.empty())
                    identifiers.emplace_back(identifier);
            }
            draft.insert_or_assign(titlesKey, Value(std::move(titles)));
            draft.insert_or_assign(identifiersKey, Value(std::move(identifiers)));
        };
        addTerms(u"categories", u"categories", u"categoryIdentifiers");
        addTerms(u"tags", u"tags", u"tagIdentifiers");
        draft.insert_or_assign(u"status", Value(u"draft"));
        draft.insert_or_assign(u"type", Value(u"post"));
    }
    draft.insert_or_assign(u"format", Value(formatIdentifier));
    if (!fetchingByCreatingDrafts())
        throw InternalInconsistencyException("We should only push drafts to the site when fetching templates that way");
    awaitAnswer(u"to the proxy draft's upload");
    integrator->sendPostChanges(draft, blog->archivalRepresentation()->propertyList(), Value(VornickTemplateProxyDraftMarker));
}

void VornickGetWordPressPostTemplatesStep::updatedProxyDraftAndReceivedWordPressIdentifier(const std::optional<std::u16string>& postIdentifier)
{
    if (!active())
        return;
    answerArrived();
    if (postIdentifier && !postIdentifier->empty())
        m_proxyDraftWordPressIdentifier = *postIdentifier;
    log(u"Proxy draft upload successful (post id=" + m_proxyDraftWordPressIdentifier.value_or(u"") + u")");
    auto blog = this->blog();
    std::optional<URL> previewURL;
    std::optional<URL> destination;
    // The identifier is the server's: only a number goes into the address.
    const auto& identifier = m_proxyDraftWordPressIdentifier;
    bool numeric = identifier && !identifier->empty()
        && std::all_of(identifier->begin(), identifier->end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (blog && numeric) {
        std::u16string browse = blog->browseURLString();
        if (!browse.ends_with(u'/'))
            browse += u'/';
        previewURL = URL::create(browse + u"?p=" + *identifier + u"&preview=true");
    }
    if (m_templatesFolderURL)
        destination = templateFileURLForFormat(*m_templatesFolderURL, m_proxyDraftFormatIdentifier);
    if (!previewURL || !destination) {
        std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
        RunLoop::main().perform([weakThis] {
            if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
                step->advancePostFormatsQueue();
        });
        return;
    }
    log(u"Fetch preview from URL=" + previewURL->absoluteString());
    fetchSourceURL(*previewURL, *destination);
}

void VornickGetWordPressPostTemplatesStep::failedToUpdateProxyDraft()
{
    if (!active())
        return;
    answerArrived();
    log(u"Failed to upload proxy draft");
    recomputeGetTemplatesProgress();
    std::weak_ptr<VornickSyncStepContainer> weakThis = weak_from_this();
    RunLoop::main().perform([weakThis] {
        if (auto step = std::static_pointer_cast<VornickGetWordPressPostTemplatesStep>(weakThis.lock()))
            step->advancePostFormatsQueue();
    });
}

void VornickGetWordPressPostTemplatesStep::scheduleDeletionOfProxyDraft()
{
    if (!m_proxyDraftWordPressIdentifier)
        return;
    auto blog = this->blog();
    auto* integrator = wordPressIntegrator();
    if (!blog || !integrator)
        return;
    integrator->requestMoveToTrashOfPostWithIdentifier(*m_proxyDraftWordPressIdentifier, Value(VornickTemplateProxyDraftMarker),
                                                       blog->archivalRepresentation()->propertyList());
}

void VornickGetWordPressPostTemplatesStep::recomputeGetTemplatesProgress()
{
    double progress = 0;
    if (m_numberOfPostFormats)
        progress = static_cast<double>(m_numberOfPostFormats - std::min(m_numberOfPostFormats, m_postFormatsQueue.size()))
            / static_cast<double>(m_numberOfPostFormats);
    setProgress(progress);
    queueMainThreadStatusUpdateNotification();
}

} // namespace brevanton
