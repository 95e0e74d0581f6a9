#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"
#include "blog/VornickMoveBlogPostsToTrashStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"

namespace brevanton {

void VornickBlogServiceIntegrator::blogServiceAgentReceivedPostDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& /*postDescriptions*/, const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetPostDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedPageDescriptions(VornickBlogServiceAgent&, const std::vector<Dictionary>& /*pageDescriptions*/, const Dictionary& /*blogDescription*/, int64_t /*startOffset*/, bool /*couldBeMore*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetPageDescriptionsWithError(VornickBlogServiceAgent&, const Error&, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::syncPostsOrPages(bool /*pages*/, const std::vector<Dictionary>& /*receivedDescriptions*/, int64_t /*startOffset*/, bool /*couldBeMore*/, const Dictionary& /*blogDescription*/)
{
}

const Dictionary* VornickBlogServiceIntegrator::findPostDescriptionMatchingPost(const VornickPublishedBlogPost&, const std::vector<Dictionary>& /*postDescriptions*/)
{
    return nullptr;
}

void VornickBlogServiceIntegrator::processPostDescriptionFromHostingService(const Dictionary* /*description*/, std::shared_ptr<VornickPublishedBlogPost> /*post*/, const std::shared_ptr<VornickPublishedBlog>& /*blog*/, bool /*conflictsWithLocalChanges*/)
{
}

void VornickBlogServiceIntegrator::importPostOrPageDescriptions(const std::vector<Dictionary>& /*descriptions*/, const Dictionary& /*blogDescription*/)
{
}

} // namespace brevanton
