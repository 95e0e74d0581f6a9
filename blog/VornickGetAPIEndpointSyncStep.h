// VornickGetAPIEndpointSyncStep ("getAPIEndpoint"): loads a self-hosted
// site's home page, finds the link announcing its REST interface, stores the
// address in the account and notes the page's title. Main thread only.
#pragma once

#include "blog/VornickSyncStep.h"
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

private:
    std::optional<std::u16string> m_restAPIURLString;
    std::optional<std::u16string> m_siteTitle;
};

} // namespace brevanton
