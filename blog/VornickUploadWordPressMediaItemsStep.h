// VornickUploadWordPressMediaItemsStep ("uploadMediaItems"): sends media
// library items of one blog to the server before the posts that use them.
// Entries are {"mediaItemDescription", "blogDescription"}. The upload itself
// is the integrator's (`uploadMediaItem`). Each entry takes one answer,
// matched by the item's "uniqueIdentifier" (or the whole description); an
// entry without an answer after VornickQueueStepAnswerTimeout seconds fails.
// A failed item takes the posts that use it out of the sibling "uploadPosts"
// step and fails the step. Main thread only.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class VornickUploadWordPressMediaItemsStep : public VornickSyncStep {
public:
    VornickUploadWordPressMediaItemsStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    void scheduleUploadOfMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription);
    void startUploadingMediaItems();
    void advanceItemQueue();
    void updateProgressThenAdvanceItemQueue();

    void integratorDidUploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription);
    void integratorFailedToUploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription);

    const std::vector<Dictionary>& itemQueue() const { return m_itemQueue; }
    const std::vector<Dictionary>& failedItemQueue() const { return m_failedItemQueue; }
    uint64_t completedUploadCount() const { return m_completedUploadCount; }
    bool isAwaitingAnswer() const { return m_watchdog.isWaiting(); }
    const char* className() const override { return "VornickUploadWordPressMediaItemsStep"; }

private:
    bool isAnswerAboutItemBeingUploaded(const Dictionary& mediaItemDescription) const;
    void failFirstEntry();

    VornickQueueStepWatchdog m_watchdog;
    std::vector<Dictionary> m_itemQueue;
    std::vector<Dictionary> m_failedItemQueue;
    uint64_t m_completedUploadCount { 0 };
};

} // namespace brevanton
