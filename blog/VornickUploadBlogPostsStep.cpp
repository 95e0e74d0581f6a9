#include "blog/VornickUploadBlogPostsStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickUploadBlogPostsStep::scheduleUploadOfPostChanges(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickUploadBlogPostsStep::startUploadingPosts()
{
}

void VornickUploadBlogPostsStep::advancePostQueue()
{
}

void VornickUploadBlogPostsStep::dequeuePostAndAdvance(const Dictionary& /*postDescription*/)
{
}

size_t VornickUploadBlogPostsStep::postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& /*postDescription*/, const Value& /*nativePostIdentifier*/) const
{
    return VornickNotFound;
}

void VornickUploadBlogPostsStep::integratorDidUploadPostChanges(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, bool /*awaitUpdatedPropertiesForJustPublishedPost*/)
{
}

void VornickUploadBlogPostsStep::integratorFailedToUploadPostChanges(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/)
{
}

void VornickUploadBlogPostsStep::integratorDidReceiveUpdatedPostProperties(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickUploadBlogPostsStep::integratorFailedToReceiveUpdatedPostProperties(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickUploadBlogPostsStep::cancelUploadOfPostsThatDependOnMediaItem(const Dictionary& /*mediaItemDescription*/)
{
}

} // namespace brevanton
