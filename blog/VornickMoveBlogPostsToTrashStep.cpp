#include "blog/VornickMoveBlogPostsToTrashStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickMoveBlogPostsToTrashStep::scheduleMoveToTrashOfPost(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickMoveBlogPostsToTrashStep::startMovingPostsToTheTrash()
{
}

void VornickMoveBlogPostsToTrashStep::advancePostQueue()
{
}

void VornickMoveBlogPostsToTrashStep::updateProgressThenAdvancePostQueue()
{
}

size_t VornickMoveBlogPostsToTrashStep::postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& /*postDescription*/) const
{
    return VornickNotFound;
}

void VornickMoveBlogPostsToTrashStep::clearPublishAtNextSyncForNativePostIdentifier(const Value& /*nativePostIdentifier*/)
{
}

void VornickMoveBlogPostsToTrashStep::integratorDidMovePostToTrash(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickMoveBlogPostsToTrashStep::integratorFailedToMovePostToTrash(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, const Error&)
{
}

} // namespace brevanton
