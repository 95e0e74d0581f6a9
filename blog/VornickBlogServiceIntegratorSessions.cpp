#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickAuthenticateWithWordPressSyncStep.h"
#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogPostEditorOperations.h"
#include "blog/VornickBlogServiceAgentHostingAccount.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickGetAPIEndpointSyncStep.h"
#include "blog/VornickGetBlogsSyncStep.h"
#include "blog/VornickGetReferencedResourcesStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/URLError.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickURLExtensions.h"

#include <algorithm>

namespace brevanton {

namespace {

// The account's values of a WordPress account, read by key: the blog layer
// does not know the WordPress account class.
Value accountValue(const VornickBlogHostingAccount& account, std::u16string_view key)
{
    return account.respondsToKey(key) ? account.valueForKey(key) : Value();
}

bool isWordPressAccount(const VornickBlogHostingAccount& account)
{
    return account.className() == "VornickWordPressAccount";
}

// "effectiveProtocolType" 2, "authenticationType" 2.
constexpr int64_t RESTProtocolType = 2;
constexpr int64_t OAuth2AuthenticationType = 2;

// The session's blog list step while it waits for its answer; none when a
// repeated or late answer finds it finished.
std::shared_ptr<VornickSyncStep> waitingGetBlogsStep(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    if (!session || !session->active())
        return nullptr;
    auto step = session->stepWithName<VornickSyncStep>(u"getBlogs");
    return step && step->active() ? step : nullptr;
}

void finishStep(VornickSyncStep& step, std::u16string message, VornickSyncStepState state)
{
    step.setStatusMessage(std::move(message));
    step.setState(state);
    step.queueMainThreadStatusUpdateNotification();
}

// The agent the step's work goes to; without one the step fails, saying so.
std::shared_ptr<VornickBlogServiceAgent> agentOfStepOrFail(VornickSyncStep& step)
{
    auto* integrator = vornick_integratorOfStep(step);
    auto agent = integrator ? integrator->agent() : nullptr;
    if (!agent)
        finishStep(step, u"Failed: no connection to the blog service", VornickSyncStepState::Failed);
    return agent;
}

// The step starts by handing itself and the agent its work goes to to
// `start`; without an agent it fails, saying so.
template<typename Step>
void setStartBlockWithAgent(const std::shared_ptr<Step>& step, std::function<void(const std::shared_ptr<Step>&, VornickBlogServiceAgent&)> start)
{
    std::weak_ptr<Step> weakStep = step;
    step->setStartBlock([weakStep, start = std::move(start)] {
        auto step = weakStep.lock();
        auto agent = step ? agentOfStepOrFail(*step) : nullptr;
        if (agent)
            start(step, *agent);
    });
}

} // namespace

void VornickBlogServiceIntegrator::setConnectionStatus(VornickHostConnectionStatus status)
{
    if (status == m_connectionStatus)
        return;
    if (status == VornickHostConnectionStatus::Reachable) {
        auto agent = this->agent();
        if (!agent || agent->hostConnectionStatus() != VornickHostConnectionStatus::Reachable) {
            logToSyncLog(u"Overriding switch to online, because connection isn't online.");
            status = VornickHostConnectionStatus::Unreachable;
        }
    }
    if (status == m_connectionStatus)
        return;
    m_connectionStatus = status;
    NotificationCenter::defaultCenter().post(ConnectionStatusDidChangeNotification, this);
}

std::shared_ptr<VornickBlogServiceAgent> VornickBlogServiceIntegrator::agent()
{
    return m_agent;
}

void VornickBlogServiceIntegrator::setAgent(std::shared_ptr<VornickBlogServiceAgent> agent)
{
    if (agent == m_agent)
        return;
    // Answers still on their way from the old agent no longer reach us.
    if (m_agent && m_agent->delegate() == this)
        m_agent->setDelegate(nullptr);
    m_agent = std::move(agent);
    if (m_agent) {
        m_agent->setDelegate(this);
        m_agent->setLog(m_syncLog);
    }
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickBlogServiceIntegrator::createSyncSessionOfType(VornickSyncSessionType type)
{
    auto session = std::make_shared<VornickBlogServiceSyncSession>(type);
    auto account = this->account();
    BREVANTON_ASSERT(account && isWordPressAccount(*account), "Account is not a WordPress account");

    std::weak_ptr<VornickBlogServiceSyncSession> weakSession = session;
    session->setStartBlock([weakSession] {
        auto session = weakSession.lock();
        auto* integrator = session ? vornick_integratorOfStep(*session) : nullptr;
        if (!integrator)
            return;
        auto log = integrator->syncLog();
        auto account = integrator->account();
        auto agent = integrator->agent();
        if (log) {
            log->log(u"\n");
            log->log("== BEGIN Sync Session ({}) ==", session->title());
            log->logBrevantonVersionAndSystemInfo();
            if (account && !account->loginID().empty())
                log->log("Syncing sites for user account \"{}\".", account->loginID());
            if (agent)
                log->log("Communicating with WordPress using {}", agent->protocolDescription());
            if (account) {
                Value authenticationType = accountValue(*account, u"authenticationType");
                static constexpr const char* lines[] = { "Using Password Authentication", "Using Basic Authentication (Plugin Required)",
                                                         "Using OAuth2 Authentication" };
                if (authenticationType.isNumber() && authenticationType.integerValue() >= 0 && authenticationType.integerValue() <= 2)
                    log->log(std::string_view(lines[authenticationType.integerValue()]));
            }
        }
        if (account && agent && account->respondsToKey(u"maxRequestCount") && account->respondsToKey(u"maxRequestTimeInterval")) {
            agent->setMaxRequestCount(account->valueForKey(u"maxRequestCount"));
            agent->setMaxRequestTimeInterval(account->valueForKey(u"maxRequestTimeInterval"));
        }
    });

    // A stored endpoint off the site's own origin (kept by an older version)
    // is looked for afresh, and replaced or refused.
    std::u16string storedEndpoint = accountValue(*account, u"remoteEndpointURLString").stringValue();
    auto rootURL = URL::create(accountValue(*account, u"rootURLString").stringValue());
    bool needsEndpoint = accountValue(*account, u"effectiveProtocolType").integerValue() == RESTProtocolType
        && !accountValue(*account, u"isWordPressDotComAccount").boolValue()
        && (storedEndpoint.empty() || !rootURL || !VornickGetAPIEndpointSyncStep::acceptableEndpointURL(*rootURL, storedEndpoint));
    if (needsEndpoint) {
        auto step = std::make_shared<VornickGetAPIEndpointSyncStep>(u"getAPIEndpoint", u"Get API Endpoint");
        std::weak_ptr<VornickGetAPIEndpointSyncStep> weakStep = step;
        step->setStartBlock([weakStep] {
            if (auto step = weakStep.lock())
                step->startGettingAPIEndpoint();
        });
        session->addStep(step);
    }

    if (accountValue(*account, u"authenticationType").integerValue() == OAuth2AuthenticationType) {
        auto step = std::make_shared<VornickAuthenticateWithWordPressSyncStep>(u"authenticate", u"Authenticate");
        setStartBlockWithAgent<VornickAuthenticateWithWordPressSyncStep>(step, [](const auto& step, VornickBlogServiceAgent& agent) {
            std::weak_ptr<VornickAuthenticateWithWordPressSyncStep> weakStep = step;
            auto completion = [weakStep](Error error) {
                auto finish = [weakStep, error] {
                    auto step = weakStep.lock();
                    // An answer after the session was cancelled or ended changes nothing.
                    if (!step || !step->active())
                        return;
                    auto log = step->syncLog();
                    if (!error.isEmpty()) {
                        if (log)
                            log->log("Interactive authentication failed: {}", error.localizedDescription());
                        step->setError(error);
                        finishStep(*step, u"Failed: " + error.localizedDescription(), VornickSyncStepState::Failed);
                        return;
                    }
                    if (log)
                        log->log(u"Interactive authentication succeeded");
                    finishStep(*step, u"Done", VornickSyncStepState::Completed);
                };
                vornick_performOnMainThread(std::move(finish));
            };
            if (agent.beginInteractiveAuthenticationIfNeededForBlogWithDescription(nullptr, std::move(completion)))
                return;
            if (auto log = step->syncLog())
                log->log(u"Using a cached authorization.  Interactive authentication unnecessary.");
            finishStep(*step, u"Done", VornickSyncStepState::Completed);
        });
        session->addStep(step);
    }

    if (type != VornickSyncSessionType::UploadPostChanges) {
        auto step = std::make_shared<VornickGetBlogsSyncStep>(u"getBlogs", u"Get Site List");
        setStartBlockWithAgent<VornickGetBlogsSyncStep>(step, [](const auto&, VornickBlogServiceAgent& agent) { agent.requestBlogDescriptions(); });
        session->addStep(step);
        addStepsForKnownBlogsToSyncSession(*session);
    }
    return session;
}

void VornickBlogServiceIntegrator::addStepsForKnownBlogsToSyncSession(VornickBlogServiceSyncSession& session)
{
    auto account = this->account();
    if (!account)
        return;
    for (auto& blog : account->blogs()) {
        auto archive = blog->archivalRepresentation();
        if (!archive)
            continue;
        const Dictionary& description = archive->propertyList();
        if (session.stepForBlogWithDescription(description))
            continue;
        if (auto step = session.addStepForBlogWithDescription(description))
            addSubstepsToBlogSyncStep(*step);
    }
}

void VornickBlogServiceIntegrator::addSubstepsToBlogSyncStep(VornickBlogSyncStep& blogStep)
{
    auto* session = blogStep.syncSession();
    if (!session || session->type() == VornickSyncSessionType::UploadPostChanges || session->type() == VornickSyncSessionType::TemplateDownload)
        return;

    auto syncPosts = blogStep.addStepWithName(u"syncPosts", u"Sync Posts");
    std::weak_ptr<VornickSyncStepContainer> weakSyncPosts = syncPosts;
    syncPosts->setStartBlock([weakSyncPosts] {
        auto step = weakSyncPosts.lock();
        auto* leaf = dynamic_cast<VornickSyncStep*>(step.get());
        auto* blogStep = leaf ? leaf->blogStep() : nullptr;
        if (!blogStep || !vornick_integratorOfStep(*leaf))
            return;
        if (auto agent = agentOfStepOrFail(*leaf))
            agent->requestPostsForBlogWithDescription(blogStep->blogDescription(), 0);
    });

    auto getResources = std::make_shared<VornickGetReferencedResourcesStep>(u"getResources", u"Get Referenced Images, etc.");
    std::weak_ptr<VornickGetReferencedResourcesStep> weakGetResources = getResources;
    getResources->setStartBlock([weakGetResources] {
        auto step = weakGetResources.lock();
        auto* integrator = step ? vornick_integratorOfStep(*step) : nullptr;
        auto* blogStep = step ? step->blogStep() : nullptr;
        if (!integrator || !blogStep)
            return;
        if (auto blog = integrator->existingBlogForDescription(blogStep->blogDescription()))
            step->setWebResourceCache(blog->webResourceCache());
        step->gatherResourceNeeds();
        step->startGettingResources();
    });
    blogStep.addStep(getResources);
}

void VornickBlogServiceIntegrator::setSyncSession(std::shared_ptr<VornickBlogServiceSyncSession> session)
{
    if (session == m_syncSession)
        return;
    // A new session talks through a new agent.
    setAgent(nullptr);
    if (m_syncSession && m_syncSession->integrator() == this)
        m_syncSession->setIntegrator(nullptr);
    m_syncSessionObserver = {};
    m_delegateToldOfFinalSessionState = false;
    m_nextListingOffsets.clear();
    m_syncSession = std::move(session);
    if (!m_syncSession)
        return;
    m_syncSession->setIntegrator(this);
    const void* object = static_cast<const VornickSyncStepContainer*>(m_syncSession.get());
    m_syncSessionObserver = NotificationCenter::defaultCenter().addObserver(VornickSyncStepStatusDidChangeNotification, object, nullptr,
        [this](const Notification&) { syncSessionStatusDidChange(); });
}

void VornickBlogServiceIntegrator::syncSessionStatusDidChange()
{
    if (!m_syncSession || m_delegateToldOfFinalSessionState || !VornickSyncStepStateIsFinal(m_syncSession->state()))
        return;
    m_delegateToldOfFinalSessionState = true;
    if (m_delegate)
        m_delegate->blogServiceIntegratorSyncSessionDidChangeState(*this, *m_syncSession);
}

std::shared_ptr<VornickBlogHostingAccount> VornickBlogServiceIntegrator::account()
{
    auto agent = this->agent();
    if (agent) {
        if (auto given = std::dynamic_pointer_cast<VornickBlogServiceAgentHostingAccount>(agent->account()))
            return given->hostingAccount();
    }
    auto found = findHostingAccount();
    if (agent && found && !agent->account())
        agent->setAccount(std::make_shared<VornickBlogServiceAgentHostingAccount>(found));
    return found;
}

bool VornickBlogServiceIntegrator::hasEnoughInfoToAttemptLogin()
{
    account();
    auto agent = this->agent();
    return agent && agent->hasEnoughInfoToAttemptLogin();
}

bool VornickBlogServiceIntegrator::talkingToHost()
{
    auto agent = this->agent();
    return agent && agent->talkingToHost();
}

std::u16string VornickBlogServiceIntegrator::statusHeadingString()
{
    auto agent = this->agent();
    return agent ? agent->statusHeadingString() : std::u16string();
}

void VornickBlogServiceIntegrator::enqueueHostRequestWithBlock(VornickRateLimitedQueue::Block block,
    VornickRateLimitedQueue::DeferralHandler deferralHandler)
{
    if (auto agent = this->agent())
        agent->enqueueHostRequestWithBlock(std::move(block), std::move(deferralHandler));
}

void VornickBlogServiceIntegrator::requestDataForURL(const URL& url, VornickBlogServiceAgent::CompletionHandler handler)
{
    requestDataForURL(url, VornickReplyKind::ReferencedResource, std::move(handler));
}

void VornickBlogServiceIntegrator::downloadURL(const URL& url, VornickReplyKind kind, std::string folderPath,
    VornickBlogServiceAgent::DownloadHandler handler)
{
    if (!handler)
        return;
    auto agent = m_syncSession && m_syncSession->active() ? this->agent() : nullptr;
    if (agent) {
        agent->downloadURL(url, kind, std::move(folderPath), std::move(handler));
        return;
    }
    Error error(URLErrorDomain, URLErrorCancelled, u"cancelled");
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    handler(nullptr, {}, std::move(error));
}

void VornickBlogServiceIntegrator::requestDataForURL(const URL& url, VornickReplyKind kind, VornickBlogServiceAgent::CompletionHandler handler)
{
    if (!handler)
        return;
    // What a server's content names is fetched only from the web, never read
    // from this computer.
    if (!vornick_isWebAddress(url)) {
        Error error(VornickErrorDomain, VornickAddressNotOnTheWebError, u"Only http and https addresses are fetched: " + url.absoluteString());
        error.userInfo()[Error::URLKey] = Value(url.absoluteString());
        handler(nullptr, {}, std::move(error));
        return;
    }
    auto agent = m_syncSession && m_syncSession->active() ? this->agent() : nullptr;
    if (agent) {
        agent->requestDataForURL(url, kind, std::move(handler));
        return;
    }
    // A caller waiting for its answer is told that none will come.
    Error error(URLErrorDomain, URLErrorCancelled, u"cancelled");
    error.userInfo()[Error::URLKey] = Value(url.absoluteString());
    handler(nullptr, {}, std::move(error));
}

std::shared_ptr<VornickBlogPostEditorOperations> VornickBlogServiceIntegrator::editorForPost(const VornickPublishedBlogPost& post) const
{
    return std::dynamic_pointer_cast<VornickBlogPostEditorOperations>(VornickProjectComponentEditor::editorForComponent(post));
}

std::shared_ptr<VornickBlogEditorOperations> VornickBlogServiceIntegrator::editorForBlog(const VornickPublishedBlog& blog) const
{
    return std::dynamic_pointer_cast<VornickBlogEditorOperations>(VornickProjectComponentEditor::editorForComponent(blog));
}

void VornickBlogServiceIntegrator::blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent& agent, VornickHostConnectionStatus status)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [status](auto& integrator, auto& agent) {
            integrator.blogServiceAgentHostConnectionStatusChanged(agent, status);
        }))
        return;
    using Status = VornickHostConnectionStatus;
    bool taken = (status == Status::Reachable && m_connectionStatus != Status::Reachable)
        || (status == Status::Unreachable && m_connectionStatus != Status::Unreachable);
    if (taken)
        setConnectionStatus(status);
}

void VornickBlogServiceIntegrator::writeBlogFileIfChanged(VornickPublishedBlog& blog)
{
    if (!blog.hasChanges() && !blog.hasEditsNotYetSavedToSourceFile())
        return;
    auto url = blog.sourceFileURL();
    if (!url)
        return;
    Error error;
    if (!blog.writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error))
        logToSyncLog(u"Failed to write the blog file of \"" + blog.title() + u"\": " + error.localizedDescription());
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent& agent,
    const std::vector<Dictionary>& blogDescriptions)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [blogDescriptions](auto& integrator, auto& agent) {
            integrator.blogServiceAgentReceivedBlogDescriptions(agent, blogDescriptions);
        }))
        return;
    // One answer a request.
    auto step = waitingGetBlogsStep(m_syncSession);
    if (!step)
        return;

    std::u16string received = u"Received descriptions of " + toUTF16(std::to_string(blogDescriptions.size())) + u" blogs";
    logToSyncLog(received);
    step->setStatusMessage(received);
    step->queueMainThreadStatusUpdateNotification();

    for (auto& description : blogDescriptions) {
        // Blogs are found again by their identifier: one without it would be
        // made anew at every sync.
        if (vornick_descriptionString(description, u"identifierUsedByBlogService").empty()) {
            logToSyncLog(u"Skipping a blog description without an identifier: \"" + vornick_descriptionString(description, u"title") + u"\"");
            continue;
        }
        if (auto blog = importBlogDescription(description, nullptr, std::nullopt))
            writeBlogFileIfChanged(*blog);
    }
    if (auto* context = this->context(); context && context->hasChanges()) {
        Error error;
        if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
            logToSyncLog(u"Failed to save the site list: " + error.localizedDescription());
    }
    addStepsForKnownBlogsToSyncSession(*m_syncSession);
    if (m_delegate)
        m_delegate->blogServiceIntegratorReceivedBlogDescriptions(*this, blogDescriptions);
    step->setState(VornickSyncStepState::Completed);
    step->queueMainThreadStatusUpdateNotification();
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent& agent, const Error& error)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [error](auto& integrator, auto& agent) {
            integrator.blogServiceAgentFailedToGetBlogDescriptionsWithError(agent, error);
        }))
        return;
    auto step = waitingGetBlogsStep(m_syncSession);
    if (!step)
        return;

    auto account = this->account();
    bool required = !account || !isWordPressAccount(*account) || accountValue(*account, u"isMultiSiteAccount").boolValue();

    step->setError(error);
    if (!error.isEmpty()) {
        step->setStatusMessage(u"Failed: " + error.localizedDescription());
        if (error.domain() == VornickErrorDomain && (error.code() == 48 || error.code() == 49)) {
            step->setStatusMessage(error.code() == 48 ? u"Invalid username." : u"Invalid password.");
            step->setState(VornickSyncStepState::Failed);
            step->queueMainThreadStatusUpdateNotification();
            return;
        }
    }
    step->queueMainThreadStatusUpdateNotification();

    // A failed request changes nothing the server did not say: an account
    // that has its blog already syncs it as it is, its title and address kept.
    bool hasBlog = account && !account->objectsForKey(u"blogs").empty();
    if (!required && !hasBlog) {
        std::u16string siteTitle;
        if (auto endpoint = m_syncSession->stepWithName<VornickGetAPIEndpointSyncStep>(u"getAPIEndpoint"))
            siteTitle = endpoint->siteTitle().value_or(u"");
        Dictionary substitute { { u"browseURLString", Value(accountValue(*account, u"rootURLString").stringValue()) },
                                { u"title", Value(siteTitle.empty() ? std::u16string(u"Blog") : siteTitle) },
                                { u"identifierUsedByBlogService", Value(u"1") } };
        if (auto blog = importBlogDescription(substitute, nullptr, std::nullopt))
            writeBlogFileIfChanged(*blog);
        if (auto* context = this->context(); context && context->hasChanges()) {
            Error saveError;
            if (!commitAndSaveChangesInManagedObjectContext(*context, &saveError))
                logToSyncLog(u"Failed to save the site list: " + saveError.localizedDescription());
        }
    }
    bool failed = required;
    if (!required) {
        addStepsForKnownBlogsToSyncSession(*m_syncSession);
        // Known blogs that no step can sync (they lack the identifier the
        // list would have given them) leave nothing to do: the session fails
        // with the request's reason rather than end as if it had synced.
        auto& steps = m_syncSession->steps();
        failed = std::none_of(steps.begin(), steps.end(), [](auto& child) { return dynamic_cast<VornickBlogSyncStep*>(child.get()); });
        logToSyncLog(failed ? u"The site list could not be read, and no blog known here can be synced without it"
                            : u"The site list could not be read; syncing the blogs already known, unchanged");
    }
    step->setState(failed ? VornickSyncStepState::Failed : VornickSyncStepState::Completed);
    step->queueMainThreadStatusUpdateNotification();
    if (m_delegate)
        m_delegate->blogServiceIntegratorFailedToGetBlogDescriptionsWithError(*this, error);
}

} // namespace brevanton
