// VornickMoveBlogPostsToTrashStep ("movePostsToTrash"): asks the server to
// move posts of one blog to its trash, one at a time. Entries are
// {"postDescription", "blogDescription", "nativePostIdentifier"}. Each entry
// takes one answer (an entry without an answer after
// VornickQueueStepAnswerTimeout seconds fails); a post the server says it
// does not have counts as moved. The step fails when any move failed.
// Main thread only.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class VornickMoveBlogPostsToTrashStep : public VornickSyncStep {
public:
    VornickMoveBlogPostsToTrashStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    void scheduleMoveToTrashOfPost(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void startMovingPostsToTheTrash();
    void advancePostQueue();
    void updateProgressThenAdvancePostQueue();
    size_t postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& postDescription) const;
    // Clears the post's "publishAtNextSync", saves the index and writes the post's file.
    void clearPublishAtNextSyncForNativePostIdentifier(const Value& nativePostIdentifier);

    // `postDescription` holds at least "identifierUsedByBlogService". Only an
    // answer about the post being moved counts. A failure whose error is the
    // server's own "no such post" (VornickServerSaysPostNotFoundError) counts
    // as a move.
    void integratorDidMovePostToTrash(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void integratorFailedToMovePostToTrash(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier, const Error&);

    const std::vector<Dictionary>& postQueue() const { return m_postQueue; }
    const std::vector<Dictionary>& failedRequestQueue() const { return m_failedRequestQueue; }
    uint64_t completedItemCount() const { return m_completedItemCount; }
    bool isAwaitingAnswer() const { return m_watchdog.isWaiting(); }
    const char* className() const override { return "VornickMoveBlogPostsToTrashStep"; }

private:
    bool isAnswerAboutPostBeingMoved(const Dictionary& postDescription, const Value& nativePostIdentifier) const;
    // Removes the first entry (into the failed queue when `failed`), counts it, moves on.
    void finishFirstEntry(bool failed);

    VornickQueueStepWatchdog m_watchdog;
    std::vector<Dictionary> m_postQueue;
    std::vector<Dictionary> m_failedRequestQueue;
    uint64_t m_completedItemCount { 0 };
};

} // namespace brevanton
