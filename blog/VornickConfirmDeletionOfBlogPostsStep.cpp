#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickConfirmDeletionOfBlogPostsStep::scheduleConfirmationOfDeletionForPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickConfirmDeletionOfBlogPostsStep::startConfirmingPostDeletions()
{
}

void VornickConfirmDeletionOfBlogPostsStep::advancePostQueue()
{
}

void VornickConfirmDeletionOfBlogPostsStep::updateProgressThenAdvancePostQueue()
{
}

void VornickConfirmDeletionOfBlogPostsStep::blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, bool /*inTrashOnServer*/)
{
}

void VornickConfirmDeletionOfBlogPostsStep::blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(const std::u16string& /*postIdentifier*/, const Value& /*nativePostIdentifier*/, const Dictionary& /*blogDescription*/, const Error&)
{
}

} // namespace brevanton
