#include "blog/VornickUploadWordPressMediaItemsStep.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

namespace {

constexpr const char16_t* MediaItemDescriptionKey = u"mediaItemDescription";

} // namespace

void VornickUploadWordPressMediaItemsStep::scheduleUploadOfMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription)
{
    if (mediaItemDescription.empty() || blogDescription.empty())
        return;
    m_itemQueue.push_back(Dictionary { { MediaItemDescriptionKey, Value(mediaItemDescription) }, { u"blogDescription", Value(blogDescription) } });
}

void VornickUploadWordPressMediaItemsStep::startUploadingMediaItems()
{
    if (!m_itemQueue.empty()) {
        vornick_setStepStatusMessage(*this, u"Uploading Items...");
        if (auto log = syncLog())
            log->log("Uploading {} media items", m_itemQueue.size());
    }
    advanceItemQueue();
}

void VornickUploadWordPressMediaItemsStep::advanceItemQueue()
{
    if (!active() || isAwaitingAnswer())
        return;
    if (m_itemQueue.empty()) {
        if (m_completedUploadCount) {
            if (auto log = syncLog())
                log->log("Done uploading Media Items. {}/{} succeeded.", m_completedUploadCount - m_failedItemQueue.size(),
                         m_completedUploadCount);
        }
        if (!m_failedItemQueue.empty()) {
            setStatusMessage(toUTF16(std::to_string(m_failedItemQueue.size())) + u" items failed to upload");
            setState(VornickSyncStepState::Failed);
        } else {
            setStatusMessage(u"Done");
            setState(VornickSyncStepState::Completed);
        }
        return;
    }
    const Dictionary& entry = m_itemQueue.front();
    Dictionary mediaItemDescription = vornick_queueEntryDictionary(entry, MediaItemDescriptionKey);
    Dictionary blogDescription = vornick_queueEntryDictionary(entry, u"blogDescription");
    std::u16string title = vornick_queueEntryString(mediaItemDescription, VornickTitleKey);
    vornick_setStepStatusMessage(*this, u"Uploading \"" + title + u"\"");
    auto* integrator = vornick_integratorOfStep(*this);
    if (!integrator) {
        setStatusMessage(u"Failed: the sync session has ended");
        setState(VornickSyncStepState::Failed);
        return;
    }
    vornick_startWatchdogOfStep<VornickUploadWordPressMediaItemsStep>(*this, m_watchdog, [title](VornickUploadWordPressMediaItemsStep& step) {
        if (auto log = step.syncLog())
            log->log("** No answer from the server about media item \"{}\" within {} seconds", title,
                     static_cast<int>(VornickQueueStepAnswerTimeout));
        step.failFirstEntry();
    });
    integrator->uploadMediaItem(mediaItemDescription, blogDescription);
}

void VornickUploadWordPressMediaItemsStep::updateProgressThenAdvanceItemQueue()
{
    setProgress(vornick_queueProgress(m_completedUploadCount, m_itemQueue.size()));
    queueMainThreadStatusUpdateNotification();
    vornick_performLaterWithStep<VornickUploadWordPressMediaItemsStep>(*this,
        [](VornickUploadWordPressMediaItemsStep& step) { step.advanceItemQueue(); });
}

bool VornickUploadWordPressMediaItemsStep::isAnswerAboutItemBeingUploaded(const Dictionary& mediaItemDescription) const
{
    if (!active() || !isAwaitingAnswer() || m_itemQueue.empty())
        return false;
    const Dictionary& queued = vornick_queueEntryDictionary(m_itemQueue.front(), MediaItemDescriptionKey);
    if (queued == mediaItemDescription)
        return true;
    // The answer may carry what the server added (its identifier, its address).
    std::u16string uniqueIdentifier = vornick_queueEntryString(queued, u"uniqueIdentifier");
    return !uniqueIdentifier.empty() && uniqueIdentifier == vornick_queueEntryString(mediaItemDescription, u"uniqueIdentifier");
}

void VornickUploadWordPressMediaItemsStep::integratorDidUploadMediaItem(const Dictionary& mediaItemDescription,
    const Dictionary& /*blogDescription*/)
{
    if (!isAnswerAboutItemBeingUploaded(mediaItemDescription))
        return;
    m_watchdog.stop();
    if (auto log = syncLog())
        log->log("Uploaded media item \"{}\" ({})", vornick_queueEntryString(mediaItemDescription, VornickTitleKey),
                 vornick_queueEntryString(mediaItemDescription, VornickIdentifierUsedByBlogServiceKey));
    m_itemQueue.erase(m_itemQueue.begin());
    ++m_completedUploadCount;
    updateProgressThenAdvanceItemQueue();
}

void VornickUploadWordPressMediaItemsStep::integratorFailedToUploadMediaItem(const Dictionary& mediaItemDescription,
    const Dictionary& /*blogDescription*/)
{
    if (!isAnswerAboutItemBeingUploaded(mediaItemDescription))
        return;
    failFirstEntry();
}

void VornickUploadWordPressMediaItemsStep::failFirstEntry()
{
    m_watchdog.stop();
    if (m_itemQueue.empty())
        return;
    Dictionary entry = m_itemQueue.front();
    m_itemQueue.erase(m_itemQueue.begin());
    const Dictionary& mediaItemDescription = vornick_queueEntryDictionary(entry, MediaItemDescriptionKey);
    vornick_setStepStatusMessage(*this, u"Failed upload of \"" + vornick_queueEntryString(mediaItemDescription, VornickTitleKey) + u"\"");
    m_failedItemQueue.push_back(entry);
    if (auto* parent = parentContainer()) {
        if (auto uploadPosts = parent->stepWithName<VornickUploadBlogPostsStep>(u"uploadPosts"))
            uploadPosts->cancelUploadOfPostsThatDependOnMediaItem(mediaItemDescription);
    }
    ++m_completedUploadCount;
    updateProgressThenAdvanceItemQueue();
}

} // namespace brevanton
