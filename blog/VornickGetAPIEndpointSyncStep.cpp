#include "blog/VornickGetAPIEndpointSyncStep.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "html/VornickHTMLStringElementFinder.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLResponse.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickPasswordTransport.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

// The link relation by which WordPress announces its REST interface on a home page.
constexpr std::u16string_view restAPILinkRelation = u"https://api.w.org/";

} // namespace

std::optional<URL> VornickGetAPIEndpointSyncStep::acceptableEndpointURL(const URL& rootURL, std::u16string_view endpointURLString)
{
    auto endpoint = URL::create(endpointURLString, &rootURL);
    if (!endpoint)
        return std::nullopt;
    std::u16string scheme = endpoint->scheme();
    if ((scheme != u"http" && scheme != u"https") || !vornick_isSameOrigin(rootURL, *endpoint))
        return std::nullopt;
    return endpoint->absoluteURL();
}

void VornickGetAPIEndpointSyncStep::startGettingAPIEndpoint()
{
    auto* integrator = vornick_integratorOfStep(*this);
    auto account = integrator ? integrator->account() : nullptr;
    std::u16string rootURLString = account ? account->valueForKey(u"rootURLString").stringValue() : std::u16string();
    auto rootURL = rootURLString.empty() ? std::nullopt : URL::create(rootURLString);
    if (!rootURL || rootURL->scheme().empty() || !rootURL->host() || rootURL->host()->empty()) {
        fail(u"Failed to get API endpoint: Account has no rootURLString", {});
        return;
    }

    std::u16string message = toUTF16(fmt::format("Fetching {} in search of API endpoint info", toUTF8(rootURLString)));
    setStatusMessage(message);
    if (auto log = syncLog())
        log->log(message);
    queueMainThreadStatusUpdateNotification();

    auto weakStep = weak_from_this();
    integrator->requestDataForURL(*rootURL, VornickReplyKind::TemplatePage,
        [weakStep, rootURL = *rootURL](std::shared_ptr<URLResponse>, Data data, Error error) {
            if (auto step = std::static_pointer_cast<VornickGetAPIEndpointSyncStep>(weakStep.lock()))
                step->receivedHomePage(rootURL, data, error);
        });
}

void VornickGetAPIEndpointSyncStep::receivedHomePage(const URL& rootURL, const Data& data, const Error& error)
{
    // A cancelled session (or a step that has already ended) takes no answer.
    auto* session = syncSession();
    if (!active() || !session || !session->active())
        return;

    const std::u16string& rootURLString = rootURL.absoluteString();
    if (!error.isEmpty()) {
        fail(toUTF16(fmt::format("Fetch of {} failed: {}", toUTF8(rootURLString), toUTF8(error.localizedDescription()))), error);
        return;
    }
    if (data.empty()) {
        fail(toUTF16(fmt::format("Fetch of {} failed: No error, but no data either", toUTF8(rootURLString))),
             Error(VornickErrorDomain, VornickFetchNoDataError, u"No data"));
        return;
    }
    if (auto log = syncLog())
        log->log("Got {} bytes for {}", data.size(), rootURLString);

    auto found = getEndpointURLStringFromHTMLData(data);
    if (!found) {
        fail(u"Didn't find endpoint URL in loaded page", {});
        return;
    }
    // The endpoint gets the user's credentials, so it must be the site's own.
    auto endpoint = acceptableEndpointURL(rootURL, *found);
    if (!endpoint) {
        fail(toUTF16(fmt::format("Refusing endpoint URL {} found at {}: it is not on the site's own scheme, host and port, "
                                 "and the endpoint is sent your login",
                                 toUTF8(*found), toUTF8(rootURLString))),
             Error(VornickErrorDomain, VornickCredentialsOriginRefusedError, u"The site's API address is not on the site's own address."));
        return;
    }

    auto* integrator = vornick_integratorOfStep(*this);
    auto account = integrator ? integrator->account() : nullptr;
    if (!account) {
        fail(u"Failed to get API endpoint: Account has no rootURLString", {});
        return;
    }
    std::u16string message = u"Got endpoint URL: " + endpoint->absoluteString();
    setStatusMessage(message);
    if (auto log = syncLog())
        log->log(message);
    if (account->respondsToKey(u"remoteEndpointURLString")) {
        account->setValueForKey(Value(endpoint->absoluteString()), u"remoteEndpointURLString");
        account->setHasEditsNotYetSavedToSourceFile(true);
    }
    setState(VornickSyncStepState::Completed);
    queueMainThreadStatusUpdateNotification();
}

void VornickGetAPIEndpointSyncStep::fail(const std::u16string& message, Error error)
{
    if (auto log = syncLog())
        log->log(message);
    setStatusMessage(message);
    if (!error.isEmpty())
        setError(std::move(error));
    setState(VornickSyncStepState::Failed);
    queueMainThreadStatusUpdateNotification();
}

std::optional<std::u16string> VornickGetAPIEndpointSyncStep::getEndpointURLStringFromHTMLData(const Data& data)
{
    std::u16string html;
    if (data.empty() || !decodeUTF8Strictly(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), html))
        return std::nullopt;

    std::optional<std::u16string> found;
    for (const auto& link : VornickHTMLStringElementFinder::elementsWithTagName(u"link", html)) {
        auto rel = link.attributes().find(u"rel");
        auto href = link.attributes().find(u"href");
        if (rel == link.attributes().end() || !rel->second.starts_with(restAPILinkRelation))
            continue;
        if (href != link.attributes().end() && !href->second.empty())
            found = href->second;
    }
    if (found)
        m_restAPIURLString = found;

    for (const auto& title : VornickHTMLStringElementFinder::elementsWithTagName(u"title", html)) {
        std::u16string text(stripHTMLWhitespace(title.text()));
        if (!text.empty()) {
            m_siteTitle = std::move(text);
            break;
        }
    }
    return found;
}

} // namespace brevanton
