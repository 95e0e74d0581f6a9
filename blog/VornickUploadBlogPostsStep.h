// VornickUploadBlogPostsStep ("uploadPosts"): sends new and changed posts of
// one blog to the server, one at a time, in the order they were queued.
// Entries are {"postDescription", "blogDescription", "nativePostIdentifier"}.
//
// A post has one entry waiting to be sent: scheduling it again replaces that
// entry's description, so the latest edit is what goes out. A post scheduled
// while its entry is being sent gets a second entry, sent after the answer
// (with the identifier the server gave the first). Each entry takes one
// answer, the answer to its send; an entry without an answer after
// VornickQueueStepAnswerTimeout seconds fails. A failed entry does not stop
// the step: its post keeps "publishAtNextSync" for a later session.
//
// A post the server already has is not sent over an edit made there that
// this side never saw: when the agent can fetch one post, the step first
// asks for the server's copy, and the integrator compares it as the two-way
// sync does; a newer server copy is held as the post's conflict and the
// entry fails (the post stays queued). A failed fetch fails the entry too.
// Main thread only.
#pragma once

#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStep.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class VornickUploadBlogPostsStep : public VornickSyncStep {
public:
    VornickUploadBlogPostsStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    // Queues the post's changes (nothing when an argument is missing); a post
    // already waiting keeps its one entry, with the new description.
    void scheduleUploadOfPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void startUploadingPosts();
    void advancePostQueue();
    // Takes the server's answer about the post being sent (the description
    // sent): removes its entry and starts the next on a later turn. Any other
    // answer, or a second one, changes nothing.
    void dequeuePostAndAdvance(const Dictionary& postDescription);
    // The index of the entry for that post not yet being sent, or
    // VornickNotFound. Entries match by native post identifier; without one,
    // by the description's "identifierUsedByBlogService" (not empty).
    size_t postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& postDescription, const Value& nativePostIdentifier) const;

    void integratorDidUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier,
        bool awaitUpdatedPropertiesForJustPublishedPost);
    void integratorFailedToUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription);
    // The send's answer already moved the queue on: these change nothing in it.
    void integratorDidReceiveUpdatedPostProperties(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier);
    void integratorFailedToReceiveUpdatedPostProperties(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier);
    void cancelUploadOfPostsThatDependOnMediaItem(const Dictionary& mediaItemDescription);
    // The server's copy of the post being checked before its send, or the
    // failure to get it; any other answer, or a second one, changes nothing.
    void integratorReceivedServerVersionOfPost(const Dictionary& serverPostDescription, const Value& nativePostIdentifier);
    void integratorFailedToGetServerVersionOfPost(const Value& nativePostIdentifier, const Error&);

    const std::vector<Dictionary>& postQueue() const { return m_postQueue; }
    uint64_t completedUploadCount() const { return m_completedUploadCount; }
    // Whether the first entry was sent (or its server copy asked for) and waits for the answer.
    bool isAwaitingAnswer() const { return m_watchdog.isWaiting(); }
    // Whether the first entry waits for the server's copy of its post.
    bool isCheckingServerVersion() const { return m_checkingServerVersion; }
    const char* className() const override { return "VornickUploadBlogPostsStep"; }

private:
    void finishFirstEntry();
    // Sends the first entry and waits for the answer.
    void sendFirstEntry();
    // Whether an answer about the server's copy is the one the first entry waits for.
    bool isServerVersionAnswerForFirstEntry(const Value& nativePostIdentifier) const;

    VornickQueueStepWatchdog m_watchdog;
    std::vector<Dictionary> m_postQueue;
    uint64_t m_completedUploadCount { 0 };
    bool m_checkingServerVersion { false };
};

} // namespace brevanton
