// VornickResourceLoadAttempt: one resource load of a web frame, from the
// request the frame made to the outcome. The content editing view makes one
// per resource load and keeps the failed ones, so that a load that failed for
// lack of file access can be retried once the user granted access.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLRequest.h"

#include <memory>
#include <optional>

namespace brevanton {

class WebDataSource;
class WebFrame;
class WebResource;

enum class VornickResourceLoadState : int {
    NotAttemptedYet = 0,
    Loaded = 2,
    FailedForLackOfFileAccess = 3,
    FailedForAnotherReason = 4,
};

// Posted by the content editing view with the attempt as object.
inline constexpr const char* VornickResourceLoadAttemptSucceededNotification =
    "VornickResourceLoadAttemptSucceededNotification";
inline constexpr const char* VornickResourceLoadAttemptFailedNotification =
    "VornickResourceLoadAttemptFailedNotification";

class VornickResourceLoadAttempt : public std::enable_shared_from_this<VornickResourceLoadAttempt> {
public:
    // A load the web view begins for `initialRequest` in `dataSource`'s frame;
    // `cachedWebResource` is the cached copy given to the load, or null.
    static std::shared_ptr<VornickResourceLoadAttempt> create(const URLRequest& initialRequest,
                                                              const std::shared_ptr<WebDataSource>& dataSource,
                                                              std::shared_ptr<WebResource> cachedWebResource);
    // A resource the view loads itself for `webFrame` (a snippet set, ...).
    static std::shared_ptr<VornickResourceLoadAttempt> createForLoadedResourceURL(const URL&,
                                                                                  const std::shared_ptr<WebFrame>&);

    const URL& url() const { return m_url; }
    // Null once the frame is gone.
    std::shared_ptr<WebFrame> webFrame() const { return m_webFrame.lock(); }
    const std::optional<URLRequest>& initialRequest() const { return m_initialRequest; }
    std::shared_ptr<WebDataSource> dataSource() const { return m_dataSource.lock(); }
    const std::shared_ptr<WebResource>& cachedWebResource() const { return m_cachedWebResource; }

    VornickResourceLoadState state() const { return m_state; }
    // A state outside 0...4 is a programming error.
    void setState(VornickResourceLoadState);

    const std::optional<Error>& error() const { return m_error; }
    void setError(std::optional<Error> error) { m_error = std::move(error); }

    bool failed() const;

private:
    explicit VornickResourceLoadAttempt(URL url) : m_url(std::move(url)) {}

    URL m_url;
    std::weak_ptr<WebFrame> m_webFrame;
    std::optional<URLRequest> m_initialRequest;
    std::weak_ptr<WebDataSource> m_dataSource;
    std::shared_ptr<WebResource> m_cachedWebResource;
    VornickResourceLoadState m_state { VornickResourceLoadState::NotAttemptedYet };
    std::optional<Error> m_error;
};

} // namespace brevanton
