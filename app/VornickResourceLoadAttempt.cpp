#include "app/VornickResourceLoadAttempt.h"

#include "platform/foundation/Assertions.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

std::shared_ptr<VornickResourceLoadAttempt> VornickResourceLoadAttempt::create(
    const URLRequest& initialRequest, const std::shared_ptr<WebDataSource>& dataSource,
    std::shared_ptr<WebResource> cachedWebResource)
{
    auto attempt = std::shared_ptr<VornickResourceLoadAttempt>(new VornickResourceLoadAttempt(initialRequest.url()));
    attempt->m_initialRequest = initialRequest;
    attempt->m_dataSource = dataSource;
    if (dataSource)
        attempt->m_webFrame = dataSource->webFrame();
    attempt->m_cachedWebResource = std::move(cachedWebResource);
    return attempt;
}

std::shared_ptr<VornickResourceLoadAttempt> VornickResourceLoadAttempt::createForLoadedResourceURL(
    const URL& url, const std::shared_ptr<WebFrame>& webFrame)
{
    auto attempt = std::shared_ptr<VornickResourceLoadAttempt>(new VornickResourceLoadAttempt(url));
    attempt->m_webFrame = webFrame;
    return attempt;
}

void VornickResourceLoadAttempt::setState(VornickResourceLoadState state)
{
    auto value = static_cast<int>(state);
    BREVANTON_ASSERT(value >= 0 && value <= 4, "state out of range");
    m_state = state;
}

bool VornickResourceLoadAttempt::failed() const
{
    return m_state == VornickResourceLoadState::FailedForLackOfFileAccess
        || m_state == VornickResourceLoadState::FailedForAnotherReason;
}

} // namespace brevanton
