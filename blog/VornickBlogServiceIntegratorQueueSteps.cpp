#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"
#include "blog/VornickMoveBlogPostsToTrashStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"

namespace brevanton {

void VornickBlogServiceIntegrator::sendPostChanges(const Dictionary& /*postChanges*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::requestMoveToTrashOfPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::scheduleSendPostChanges(const Dictionary& /*postChanges*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::scheduleMoveToTrashOfPost(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::scheduleConfirmServerSideDeletionOfPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/)
{
}

std::shared_ptr<VornickUploadBlogPostsStep> VornickBlogServiceIntegrator::existingUploadPostsStepForBlogWithDescription(const Dictionary& /*blogDescription*/) const
{
    return {};
}

std::shared_ptr<VornickMoveBlogPostsToTrashStep> VornickBlogServiceIntegrator::existingMovePostsToTrashStepForBlogWithDescription(const Dictionary& /*blogDescription*/) const
{
    return {};
}

std::shared_ptr<VornickConfirmDeletionOfBlogPostsStep> VornickBlogServiceIntegrator::existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(const Dictionary& /*blogDescription*/) const
{
    return {};
}

void VornickBlogServiceIntegrator::injectUploadOfMediaForPost(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, VornickUploadBlogPostsStep& /*uploadPostsStep*/)
{
}

Dictionary VornickBlogServiceIntegrator::rewireResourceReferencesInPost(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
    return {};
}

void VornickBlogServiceIntegrator::patchMissingPropertiesFromPostDescription(const Dictionary* /*postDescription*/, VornickPublishedBlogPost&)
{
}

void VornickBlogServiceIntegrator::uploadMediaItem(const Dictionary& /*mediaItemDescription*/, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::ifPreferencesRequestItOpenJustPublishedPost(const Dictionary& /*newPostDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent&, const Dictionary& /*postChanges*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*newPostDescription*/, bool /*awaitUpdatedProperties*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& /*postChanges*/, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const Dictionary& /*updatedProperties*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, bool /*inTrashOnServer*/)
{
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&)
{
}

} // namespace brevanton
