#include "blog/VornickBlogServiceAgent.h"

#include "blog/VornickBlogServiceAgentDelegate.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "platform/net/URLSession.h"
#include "toolkit/VornickLog.h"

#include <algorithm>

namespace brevanton {

namespace {

[[noreturn]] void subclassesMustOverride(const char* selector)
{
    throwInternalInconsistency(__FILE__, __LINE__, "overridden", std::string("Subclasses must override -") + selector);
}

// Seconds a load may go without sending or receiving anything.
constexpr double requestIdleTimeout = 60;

} // namespace

struct VornickBlogServiceAgent::Load {
    URLRequest request;
    CompletionHandler handler;
    std::shared_ptr<URLSessionTask> task;
    bool finished { false };
    // A download's folder and handler, in place of `handler`.
    std::string downloadFolder;
    DownloadHandler downloadHandler;
};

VornickBlogServiceAgent::VornickBlogServiceAgent()
    : m_urlSession(URLSession::create())
{
}

VornickBlogServiceAgent::~VornickBlogServiceAgent()
{
    if (m_connectionWatcher)
        m_connectionWatcher->setDelegate(nullptr);
    // Running loads end with the cancellation their task delivers; those that
    // never started are answered the same, on a later turn of the main loop.
    for (auto& load : m_unfinishedURLLoads) {
        if (load->task) {
            load->task->cancel();
            continue;
        }
        RunLoop::main().perform([load] {
            Error error(URLErrorDomain, URLErrorCancelled, u"cancelled");
            error.userInfo()[Error::URLKey] = Value(load->request.url().absoluteString());
            finish(load, nullptr, {}, std::move(error));
        });
    }
}

std::u16string VornickBlogServiceAgent::protocolDescription() const
{
    return u"Unknown";
}

void VornickBlogServiceAgent::enqueueHostRequestWithBlock(VornickRateLimitedQueue::Block block,
    VornickRateLimitedQueue::DeferralHandler deferralHandler)
{
    m_hostRequestQueue.addOperationWithBlock(std::move(block), std::move(deferralHandler));
}

void VornickBlogServiceAgent::rateLimitingParametersChanged()
{
    bool limited = m_hostRequestQueue.maxOperationsPerTestInterval() > 0 && m_hostRequestQueue.testInterval() > 0.0;
    m_maxConcurrentURLLoadCount = limited ? 1 : 2;
    startWaitingURLLoads();
}

Value VornickBlogServiceAgent::maxRequestCount() const
{
    return Value(static_cast<int64_t>(m_hostRequestQueue.maxOperationsPerTestInterval()));
}

void VornickBlogServiceAgent::setMaxRequestCount(const Value& count)
{
    int64_t number = count.isNumber() ? count.integerValue() : 0;
    m_hostRequestQueue.setMaxOperationsPerTestInterval(number > 0 ? static_cast<uint64_t>(number) : 0);
    rateLimitingParametersChanged();
}

Value VornickBlogServiceAgent::maxRequestTimeInterval() const
{
    return Value(m_hostRequestQueue.testInterval());
}

void VornickBlogServiceAgent::setMaxRequestTimeInterval(const Value& seconds)
{
    double number = seconds.isNumber() ? seconds.doubleValue() : 0.0;
    m_hostRequestQueue.setTestInterval(number > 0 ? number : 0.0);
    rateLimitingParametersChanged();
}

bool VornickBlogServiceAgent::hasEnoughInfoToAttemptLogin() const
{
    return m_account && !m_account->loginID().empty() && !m_account->password().empty();
}

void VornickBlogServiceAgent::setHostNameToWatch(const std::u16string& hostName)
{
    if (hostName == m_hostNameToWatch)
        return;
    m_hostNameToWatch = hostName;
    if (m_connectionWatcher) {
        m_connectionWatcher->setDelegate(nullptr);
        m_connectionWatcher.reset();
    }
    if (!hostName.empty()) {
        m_connectionWatcher = std::make_unique<VornickHostConnectionWatcher>(hostName);
        m_connectionWatcher->setDelegate(this);
    }
}

VornickHostConnectionStatus VornickBlogServiceAgent::hostConnectionStatus() const
{
    return m_connectionWatcher ? m_connectionWatcher->hostConnectionStatus() : VornickHostConnectionStatus::Unknown;
}

bool VornickBlogServiceAgent::beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary*, std::function<void(Error)>)
{
    return false;
}

void VornickBlogServiceAgent::beginTaskWithDescription(const std::u16string&)
{
}

void VornickBlogServiceAgent::endTasks()
{
}

void VornickBlogServiceAgent::requestDataForURL(const URL& url, CompletionHandler handler)
{
    requestDataForURL(url, VornickReplyKind::ReferencedResource, std::move(handler));
}

void VornickBlogServiceAgent::requestDataForURL(const URL& url, VornickReplyKind kind, CompletionHandler handler)
{
    if (!handler)
        return;
    loadRequest(URLRequest(url, requestIdleTimeout), kind, std::move(handler));
}

void VornickBlogServiceAgent::loadRequest(URLRequest request, VornickReplyKind kind, CompletionHandler handler)
{
    VornickReplyLimits limits = vornickReplyLimits(kind);
    request.setMaximumContentLength(limits.maximumLength);
    request.setDeadlineInterval(limits.deadline);
    loadRequest(std::move(request), [kind, handler = std::move(handler)](std::shared_ptr<URLResponse> response, Data data, Error error) {
        if (!handler)
            return;
        error = vornickErrorNamingReplyLimit(std::move(error), kind);
        // Steps, the store and the delegate belong to the main thread: an
        // answer that comes elsewhere (a subclass's own loading) goes there.
        if (RunLoop::isMainThread()) {
            handler(std::move(response), std::move(data), std::move(error));
            return;
        }
        RunLoop::main().perform([handler, response = std::move(response), data = std::move(data), error = std::move(error)]() mutable {
            handler(std::move(response), std::move(data), std::move(error));
        });
    });
}

void VornickBlogServiceAgent::answerLater(std::function<void()> answer)
{
    RunLoop::main().perform([weakThis = weak_from_this(), answer = std::move(answer)] {
        if (auto agent = weakThis.lock())
            answer();
    });
}

std::u16string VornickBlogServiceAgent::userAgent()
{
    return u"Brevanton/" + Bundle::main().objectForInfoDictionaryKey(u"CFBundleShortVersionString").stringValue();
}

void VornickBlogServiceAgent::loadRequest(URLRequest request, CompletionHandler handler)
{
    request.setValueForHTTPHeaderField(userAgent(), u"User-Agent");
    enqueueLoad(std::make_shared<Load>(Load { std::move(request), std::move(handler), nullptr, false, {}, nullptr }));
}

void VornickBlogServiceAgent::downloadURL(const URL& url, VornickReplyKind kind, std::string folderPath, DownloadHandler handler)
{
    URLRequest request(url, requestIdleTimeout);
    VornickReplyLimits limits = vornickReplyLimits(kind);
    request.setMaximumContentLength(limits.maximumLength);
    request.setDeadlineInterval(limits.deadline);
    request.setValueForHTTPHeaderField(userAgent(), u"User-Agent");
    DownloadHandler answer = [kind, handler = std::move(handler)](std::shared_ptr<URLResponse> response, const std::string& path, Error error) {
        if (handler)
            handler(std::move(response), path, vornickErrorNamingReplyLimit(std::move(error), kind));
    };
    enqueueLoad(std::make_shared<Load>(Load { std::move(request), nullptr, nullptr, false, std::move(folderPath), std::move(answer) }));
}

void VornickBlogServiceAgent::enqueueLoad(std::shared_ptr<Load> load)
{
    m_unfinishedURLLoads.push_back(load);
    std::weak_ptr<VornickBlogServiceAgent> weakThis = weak_from_this();
    m_hostRequestQueue.addOperationWithBlock(
        [weakThis, load] {
            if (auto agent = weakThis.lock())
                agent->enqueueURLLoad(load);
        },
        [weakThis](double delay) {
            auto agent = weakThis.lock();
            if (agent && agent->m_log)
                agent->m_log->log("Sorry, rate limit reached. Waiting {:.1f} seconds before we send WordPress our next request, so host doesn't start denying us service.", delay);
        });
}

void VornickBlogServiceAgent::enqueueURLLoad(const std::shared_ptr<Load>& load)
{
    if (load->finished)
        return;
    if (m_runningURLLoadCount < m_maxConcurrentURLLoadCount)
        startURLLoad(load);
    else
        m_waitingURLLoads.push_back(load);
}

void VornickBlogServiceAgent::startURLLoad(const std::shared_ptr<Load>& load)
{
    ++m_runningURLLoadCount;
    std::weak_ptr<VornickBlogServiceAgent> weakThis = weak_from_this();
    if (load->downloadHandler) {
        load->task = m_urlSession->downloadTask(load->request, load->downloadFolder,
            [weakThis, load](const std::string& path, std::shared_ptr<URLResponse> response, Error error) {
                if (auto agent = weakThis.lock())
                    agent->urlLoadEnded(load);
                finish(load, std::move(response), {}, std::move(error), path);
            });
        load->task->resume();
        return;
    }
    load->task = m_urlSession->dataTask(load->request, [weakThis, load](Data data, std::shared_ptr<URLResponse> response, Error error) {
        // The slot is free before the handler runs, so a load it asks for can start.
        if (auto agent = weakThis.lock())
            agent->urlLoadEnded(load);
        finish(load, std::move(response), std::move(data), std::move(error));
    });
    load->task->resume();
}

void VornickBlogServiceAgent::urlLoadEnded(const std::shared_ptr<Load>& load)
{
    --m_runningURLLoadCount;
    std::erase(m_unfinishedURLLoads, load);
    startWaitingURLLoads();
}

void VornickBlogServiceAgent::startWaitingURLLoads()
{
    while (m_runningURLLoadCount < m_maxConcurrentURLLoadCount && !m_waitingURLLoads.empty()) {
        auto load = std::move(m_waitingURLLoads.front());
        m_waitingURLLoads.pop_front();
        startURLLoad(load);
    }
}

void VornickBlogServiceAgent::finish(const std::shared_ptr<Load>& load, std::shared_ptr<URLResponse> response, Data data, Error error,
    const std::string& bodyFilePath)
{
    if (load->finished)
        return;
    load->finished = true;
    load->task.reset();
    auto handler = std::move(load->handler);
    load->handler = nullptr;
    auto downloadHandler = std::move(load->downloadHandler);
    load->downloadHandler = nullptr;
    if (handler)
        handler(std::move(response), std::move(data), std::move(error));
    if (downloadHandler)
        downloadHandler(std::move(response), bodyFilePath, std::move(error));
}

void VornickBlogServiceAgent::requestBlogDescriptions()
{
    subclassesMustOverride("requestBlogDescriptions");
}

void VornickBlogServiceAgent::requestPostsForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestPostsForBlogWithDescription:startOffset:");
}

void VornickBlogServiceAgent::requestPagesForBlogWithDescription(const Dictionary&, int64_t)
{
    subclassesMustOverride("requestPagesForBlogWithDescription:startOffset:");
}

void VornickBlogServiceAgent::sendPostChanges(const Dictionary&, const Dictionary&, const Value&)
{
    subclassesMustOverride("sendPostChanges:forBlogWithDescription:nativePostIdentifier:");
}

void VornickBlogServiceAgent::requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string&, const Value&, const Dictionary&)
{
    subclassesMustOverride("requestUpdatedPropertiesForJustPublishedPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
}

void VornickBlogServiceAgent::requestMoveToTrashOfPostWithIdentifier(const std::u16string&, const Value&, const Dictionary&)
{
    subclassesMustOverride("requestMoveToTrashOfPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
}

void VornickBlogServiceAgent::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string&, const Value&, const Dictionary&)
{
    subclassesMustOverride("confirmServerSideDeletionOfPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
}

void VornickBlogServiceAgent::requestPostWithIdentifier(const std::u16string&, const Value&, const Dictionary&)
{
    subclassesMustOverride("requestPostWithIdentifier:nativePostIdentifier:inBlogWithDescription:");
}

void VornickBlogServiceAgent::hostConnectionWatcher(VornickHostConnectionWatcher& watcher, bool)
{
    if (m_delegate)
        m_delegate->blogServiceAgentHostConnectionStatusChanged(*this, watcher.hostConnectionStatus());
}

} // namespace brevanton
