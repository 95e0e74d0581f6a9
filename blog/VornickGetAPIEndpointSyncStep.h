// VornickGetAPIEndpointSyncStep ("getAPIEndpoint"): loads a self-hosted
// site's home page, finds the link announcing its REST interface, stores the
// address in the account and notes the page's title. Main thread only; an
// answer that arrives on another thread is handled on the main one, and an
// answer that arrives after the session was cancelled is dropped.
//
// The endpoint is sent the user's credentials, so the link is taken only
// when it leads to the host of the account's root address, over https when
// that address uses https (a relative link is resolved against the root
// address); any other link fails the step with a message naming both.
#pragma once

#include "blog/VornickSyncStep.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace brevanton {

class VornickGetAPIEndpointSyncStep : public VornickSyncStep {
public:
    VornickGetAPIEndpointSyncStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    void startGettingAPIEndpoint();
    // The address of the page's last REST link (also kept as
    // restAPIURLString), and the first non-empty title as siteTitle.
    std::optional<std::u16string> getEndpointURLStringFromHTMLData(const Data&);

    const std::optional<std::u16string>& restAPIURLString() const { return m_restAPIURLString; }
    const std::optional<std::u16string>& siteTitle() const { return m_siteTitle; }
    const char* className() const override { return "VornickGetAPIEndpointSyncStep"; }

    // The link as an absolute URL when it may serve as the endpoint of the
    // site at `rootURL` (resolved against it): an http(s) address of the
    // root's own origin (scheme, host and port), since the endpoint is sent
    // the login; nothing otherwise.
    static std::optional<URL> acceptableEndpointURL(const URL& rootURL, std::u16string_view endpointURLString);

private:
    void receivedHomePage(const URL& rootURL, const Data&, const Error&);
    // Logs the message, shows it as the status and fails the step (and so the session).
    void fail(const std::u16string& message, Error);

    std::optional<std::u16string> m_restAPIURLString;
    std::optional<std::u16string> m_siteTitle;
};

} // namespace brevanton
