// VornickConfirmDeletionOfBlogPostsStep ("confirmDeletions"): asks the server,
// one post at a time, whether posts missing from its listing are really gone.
// Entries are {"identifierUsedByBlogService", "blogDescription",
// "nativePostIdentifier"}. The integrator acts on the local posts. Each entry
// takes one answer (an entry without an answer after
// VornickQueueStepAnswerTimeout seconds fails); a post the server answers
// it still has is counted as kept, not as a failed check. The step always
// completes.
// Main thread only.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class VornickConfirmDeletionOfBlogPostsStep : public VornickSyncStep {
public:
    VornickConfirmDeletionOfBlogPostsStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    void scheduleConfirmationOfDeletionForPostWithIdentifier(const std::u16string& postIdentifier, const Dictionary& blogDescription,
        const Value& nativePostIdentifier);
    void startConfirmingPostDeletions();
    void advancePostQueue();
    void updateProgressThenAdvancePostQueue();

    // Answers whether the step was waiting for this answer (the post being
    // checked, while the step is Active): only then may the post be removed.
    bool blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, bool inTrashOnServer);
    void blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
        const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error&);

    const std::vector<Dictionary>& postQueue() const { return m_postQueue; }
    const std::vector<Dictionary>& failedRequestQueue() const { return m_failedRequestQueue; }
    uint64_t completedConfirmationCount() const { return m_completedConfirmationCount; }
    size_t stillOnServerCount() const { return m_stillOnServerCount; }
    bool isAwaitingAnswer() const { return m_watchdog.isWaiting(); }
    const char* className() const override { return "VornickConfirmDeletionOfBlogPostsStep"; }

private:
    bool isAnswerAboutPostBeingChecked(const std::u16string& postIdentifier, const Value& nativePostIdentifier) const;
    // Removes the first entry (into the failed queue when `failed`), counts it, moves on.
    void finishFirstEntry(bool failed);

    VornickQueueStepWatchdog m_watchdog;
    std::vector<Dictionary> m_postQueue;
    std::vector<Dictionary> m_failedRequestQueue;
    uint64_t m_completedConfirmationCount { 0 };
    size_t m_stillOnServerCount { 0 };
};

} // namespace brevanton
