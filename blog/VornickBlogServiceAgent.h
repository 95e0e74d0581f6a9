// VornickBlogServiceAgent: the base of the objects that talk to a blog hosting
// service for one account; the service's agents subclass it and override the
// request operations, each of which ends in exactly one answer to the
// delegate (the integrator).
//
// The base keeps the account and the log, watches the host's reachability,
// and loads URLs through two queues: the host request queue, which keeps the
// account's rate limit, then the general URL request queue, which runs at most
// two loads at a time (one while a rate limit is set). Every request carries
// the User-Agent "Brevanton/<short version>", gives up after 60 seconds in
// which nothing came or went (not after 60 seconds in all), and calls its
// completion handler exactly once: with the answer, or with the error of a
// failure, a timeout, a reset connection or a cancel. Destroying the agent
// cancels its loads, those still waiting included.
//
// Every load has a kind (VornickReplyKind) that bounds its reply's size and
// the whole transfer's time; a reply past either fails with a message naming
// the limit and the address, and nothing of it is kept.
//
// Main thread only. Loads complete on the main run loop, and answers an
// agent decides before asking the host go through answerLater, so every
// answer reaches the delegate on the main thread, on a later turn than the
// request. Held by std::shared_ptr.
#pragma once

#include "blog/VornickBlogServiceAgentAccount.h"
#include "blog/VornickReplyKind.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "toolkit/VornickHostConnectionWatcher.h"
#include "toolkit/VornickRateLimitedQueue.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class URLSession;
class VornickBlogServiceAgentDelegate;
class VornickLog;

class VornickBlogServiceAgent : public std::enable_shared_from_this<VornickBlogServiceAgent>,
                                public VornickHostConnectionWatcherDelegate {
public:
    // The response (null when none arrived), the data and the error (empty on
    // success; a status of 400 or more is a response, not an error).
    using CompletionHandler = std::function<void(std::shared_ptr<URLResponse>, Data, Error)>;
    // A download's: the response, the file holding the whole body (empty on
    // failure; removed after the handler returns unless it moved it) and the error.
    using DownloadHandler = std::function<void(std::shared_ptr<URLResponse>, const std::string& bodyFilePath, Error)>;

    VornickBlogServiceAgent();
    ~VornickBlogServiceAgent() override;

    VornickBlogServiceAgent(const VornickBlogServiceAgent&) = delete;
    VornickBlogServiceAgent& operator=(const VornickBlogServiceAgent&) = delete;

    // The protocol's name, logged when a session starts: "Unknown" here.
    virtual std::u16string protocolDescription() const;

    // Runs `block` when the account's rate limit allows; `deferralHandler` is
    // told the wait when it has to wait.
    void enqueueHostRequestWithBlock(VornickRateLimitedQueue::Block block, VornickRateLimitedQueue::DeferralHandler deferralHandler);
    // One load at a time while a rate limit is set, else two.
    void rateLimitingParametersChanged();
    // The rate limit: so many requests (0: none) ...
    Value maxRequestCount() const;
    void setMaxRequestCount(const Value& count);
    // ... per so many seconds (0: none).
    Value maxRequestTimeInterval() const;
    void setMaxRequestTimeInterval(const Value& seconds);
    // How many loads the general URL request queue runs at once.
    int maxConcurrentURLLoadCount() const { return m_maxConcurrentURLLoadCount; }

    // An account with a login and a password.
    bool hasEnoughInfoToAttemptLogin() const;

    const std::u16string& hostNameToWatch() const { return m_hostNameToWatch; }
    // A new name replaces the watcher (none for an empty name); the same name keeps it.
    void setHostNameToWatch(const std::u16string& hostName);
    // The watcher's status; Unknown when no host is watched.
    VornickHostConnectionStatus hostConnectionStatus() const;
    const VornickHostConnectionWatcher* connectionWatcher() const { return m_connectionWatcher.get(); }

    // Answers false: no interaction is needed. An agent that starts an
    // interactive authorisation answers true and later calls `completion`
    // with an empty error (success) or the failure.
    virtual bool beginInteractiveAuthenticationIfNeededForBlogWithDescription(const Dictionary* blogDescription,
        std::function<void(Error)> completion);
    virtual void beginTaskWithDescription(const std::u16string& description);
    virtual void endTasks();

    // Loads the URL afresh (nothing is cached), with the 60-second idle
    // timeout, within the limits of its kind (a referenced resource unless said).
    void requestDataForURL(const URL&, CompletionHandler);
    void requestDataForURL(const URL&, VornickReplyKind, CompletionHandler);
    // Loads the request within the limits of its kind: a reply past them
    // fails with a message naming the kind's limit and the address. The
    // handler runs on the main thread, wherever the load ended.
    void loadRequest(URLRequest, VornickReplyKind, CompletionHandler);
    // Loads the request when the rate limit and the general queue allow.
    virtual void loadRequest(URLRequest, CompletionHandler);
    // Loads the URL as requestDataForURL does, its body written to a new
    // file in `folderPath` (never held in memory): the way large files come.
    virtual void downloadURL(const URL&, VornickReplyKind, std::string folderPath, DownloadHandler);

    virtual bool bloggingServiceSupportsPages() const { return false; }
    virtual bool reportedPostsIncludePostsInTrash() const { return false; }
    // Whether the agent can fetch the server's current description of one
    // post (requestPostWithIdentifier); the base cannot. The upload step uses
    // it to see a server edit before it sends over it.
    virtual bool canRequestSinglePosts() const { return false; }

    // To override; the base asserts "Subclasses must override -<selector>".
    virtual void requestBlogDescriptions();
    virtual void requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset);
    virtual void requestPagesForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset);
    virtual void sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    virtual void requestUpdatedPropertiesForJustPublishedPostWithIdentifier(const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription);
    virtual void requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    virtual void confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);
    // The post's (or page's) description as a listing gives it; answered with
    // blogServiceAgentReceivedPostDescription or
    // blogServiceAgentFailedToGetPostWithIdentifier. Only for agents that
    // answer canRequestSinglePosts.
    virtual void requestPostWithIdentifier(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
        const Dictionary& blogDescription);

    // Tells the delegate.
    void hostConnectionWatcher(VornickHostConnectionWatcher&, bool reachable) override;

    std::shared_ptr<VornickLog> log() const { return m_log; }
    void setLog(std::shared_ptr<VornickLog> log) { m_log = std::move(log); }
    std::shared_ptr<VornickBlogServiceAgentAccount> account() const { return m_account; }
    virtual void setAccount(std::shared_ptr<VornickBlogServiceAgentAccount> account) { m_account = std::move(account); }
    // Not owned.
    VornickBlogServiceAgentDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickBlogServiceAgentDelegate* delegate) { m_delegate = delegate; }
    // Set by the agent while it waits for the host.
    bool talkingToHost() const { return m_talkingToHost; }
    const std::u16string& statusHeadingString() const { return m_statusHeadingString; }
    void setStatusHeadingString(std::u16string heading) { m_statusHeadingString = std::move(heading); }
    // Whether a failed post listing lets the session go on.
    bool continuesAfterFailure() const { return m_continuesAfterFailure; }
    void setContinuesAfterFailure(bool continues) { m_continuesAfterFailure = continues; }

    // "Brevanton/" and the application's short version.
    static std::u16string userAgent();

protected:
    void setTalkingToHost(bool talking) { m_talkingToHost = talking; }
    // Runs `answer` on a later turn of the main run loop, unless the agent is
    // gone by then: the way an agent answers what it decided without asking
    // the host, so that every answer comes as a load's would.
    void answerLater(std::function<void()> answer);

private:
    friend class VornickBlogServiceAgentTestPeer;
    struct Load;
    void enqueueURLLoad(const std::shared_ptr<Load>&);
    void startURLLoad(const std::shared_ptr<Load>&);
    void urlLoadEnded(const std::shared_ptr<Load>&);
    void startWaitingURLLoads();
    void enqueueLoad(std::shared_ptr<Load>);
    // Calls the load's handler unless it was called.
    static void finish(const std::shared_ptr<Load>&, std::shared_ptr<URLResponse>, Data, Error, const std::string& bodyFilePath = {});

    std::shared_ptr<VornickBlogServiceAgentAccount> m_account;
    VornickBlogServiceAgentDelegate* m_delegate { nullptr };
    std::u16string m_hostNameToWatch;
    std::unique_ptr<VornickHostConnectionWatcher> m_connectionWatcher;
    bool m_talkingToHost { false };
    std::u16string m_statusHeadingString { u"Idle" };
    std::shared_ptr<VornickLog> m_log;
    VornickRateLimitedQueue m_hostRequestQueue { 0, 0.0 };
    // The general URL request queue.
    int m_maxConcurrentURLLoadCount { 2 };
    int m_runningURLLoadCount { 0 };
    std::deque<std::shared_ptr<Load>> m_waitingURLLoads;
    // Every load whose handler has not run yet, in the order they were asked for.
    std::vector<std::shared_ptr<Load>> m_unfinishedURLLoads;
    std::shared_ptr<URLSession> m_urlSession;
    bool m_continuesAfterFailure { false };
};

} // namespace brevanton
