#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"
#include "blog/VornickMoveBlogPostsToTrashStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"

namespace brevanton {

void VornickBlogServiceIntegrator::setConnectionStatus(VornickHostConnectionStatus)
{
}

std::shared_ptr<VornickBlogServiceAgent> VornickBlogServiceIntegrator::agent()
{
    return m_agent;
}

void VornickBlogServiceIntegrator::setAgent(std::shared_ptr<VornickBlogServiceAgent> agent)
{
    if (agent == m_agent)
        return;
    if (m_agent && m_agent->delegate() == this)
        m_agent->setDelegate(nullptr);
    m_agent = std::move(agent);
    if (m_agent) {
        m_agent->setDelegate(this);
        m_agent->setLog(m_syncLog);
    }
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickBlogServiceIntegrator::createSyncSessionOfType(VornickSyncSessionType)
{
    return {};
}

void VornickBlogServiceIntegrator::addStepsForKnownBlogsToSyncSession(VornickBlogServiceSyncSession&)
{
}

void VornickBlogServiceIntegrator::addSubstepsToBlogSyncStep(VornickBlogSyncStep&)
{
}

void VornickBlogServiceIntegrator::setSyncSession(std::shared_ptr<VornickBlogServiceSyncSession> session)
{
    if (session == m_syncSession)
        return;
    setAgent(nullptr);
    if (m_syncSession && m_syncSession->integrator() == this)
        m_syncSession->setIntegrator(nullptr);
    m_syncSession = std::move(session);
    if (m_syncSession)
        m_syncSession->setIntegrator(this);
}

std::shared_ptr<VornickBlogHostingAccount> VornickBlogServiceIntegrator::account()
{
    return {};
}

bool VornickBlogServiceIntegrator::hasEnoughInfoToAttemptLogin()
{
    return false;
}

bool VornickBlogServiceIntegrator::talkingToHost()
{
    return false;
}

std::u16string VornickBlogServiceIntegrator::statusHeadingString()
{
    return {};
}

void VornickBlogServiceIntegrator::enqueueHostRequestWithBlock(VornickRateLimitedQueue::Block, VornickRateLimitedQueue::DeferralHandler)
{
}

void VornickBlogServiceIntegrator::requestDataForURL(const URL&, VornickBlogServiceAgent::CompletionHandler)
{
}

std::shared_ptr<VornickBlogPostEditorOperations> VornickBlogServiceIntegrator::editorForPost(const VornickPublishedBlogPost&) const
{
    return {};
}

std::shared_ptr<VornickBlogEditorOperations> VornickBlogServiceIntegrator::editorForBlog(const VornickPublishedBlog&) const
{
    return {};
}

void VornickBlogServiceIntegrator::blogServiceAgentHostConnectionStatusChanged(VornickBlogServiceAgent&, VornickHostConnectionStatus)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedBlogDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& /*blogDescriptions*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetBlogDescriptionsWithError(VornickBlogServiceAgent&, const Error&)
{
}

} // namespace brevanton
