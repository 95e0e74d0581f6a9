#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"
#include "blog/VornickMoveBlogPostsToTrashStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "platform/foundation/NotificationCenter.h"

namespace brevanton {

void VornickBlogServiceIntegrator::setConnectionStatus(VornickHostConnectionStatus status)
{
    if (status == m_connectionStatus)
        return;
    m_connectionStatus = status;
    NotificationCenter::defaultCenter().post(ConnectionStatusDidChangeNotification, this);
}

std::shared_ptr<VornickBlogServiceAgent> VornickBlogServiceIntegrator::agent()
{
    return {};
}

void VornickBlogServiceIntegrator::setAgent(std::shared_ptr<VornickBlogServiceAgent>)
{
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

void VornickBlogServiceIntegrator::setSyncSession(std::shared_ptr<VornickBlogServiceSyncSession>)
{
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
