#include "blog/VornickUploadWordPressMediaItemsStep.h"

#include "platform/foundation/URL.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickUploadWordPressMediaItemsStep::scheduleUploadOfMediaItem(const Dictionary& /*mediaItemDescription*/, const Dictionary& /*blogDescription*/)
{
}

void VornickUploadWordPressMediaItemsStep::startUploadingMediaItems()
{
}

void VornickUploadWordPressMediaItemsStep::advanceItemQueue()
{
}

void VornickUploadWordPressMediaItemsStep::updateProgressThenAdvanceItemQueue()
{
}

void VornickUploadWordPressMediaItemsStep::integratorDidUploadMediaItem(const Dictionary& /*mediaItemDescription*/, const Dictionary& /*blogDescription*/)
{
}

void VornickUploadWordPressMediaItemsStep::integratorFailedToUploadMediaItem(const Dictionary& /*mediaItemDescription*/, const Dictionary& /*blogDescription*/)
{
}

} // namespace brevanton
