// VornickUploadBlogPostsStep ("uploadPosts"): sends new and changed posts of
// one blog to the server, one at a time, in the order they were queued.
// Entries are {"postDescription", "blogDescription", "nativePostIdentifier"}.
// Main thread only.
#pragma once

#include "blog/VornickSyncStep.h"

#include <cstdint>
#include <vector>

namespace brevanton {

class VornickUploadBlogPostsStep : public VornickSyncStep {
public:
    VornickUploadBlogPostsStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    // Queues the post's changes; a post already queued keeps one entry.
    void scheduleUploadOfPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    void startUploadingPosts();
    void advancePostQueue();
    // Takes the server's answer about the first queued post: removes it and starts the next.
    void dequeuePostAndAdvance(const Dictionary& postDescription);
    // The index of the queued entry for that post, or VornickNotFound.
    size_t postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& postDescription, const Value& nativePostIdentifier) const;

    void integratorDidUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier,
        bool awaitUpdatedPropertiesForJustPublishedPost);
    void integratorFailedToUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription);
    void integratorDidReceiveUpdatedPostProperties(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier);
    void integratorFailedToReceiveUpdatedPostProperties(const Dictionary& postDescription, const Dictionary& blogDescription,
        const Value& nativePostIdentifier);
    void cancelUploadOfPostsThatDependOnMediaItem(const Dictionary& mediaItemDescription);

    const std::vector<Dictionary>& postQueue() const { return m_postQueue; }
    uint64_t completedUploadCount() const { return m_completedUploadCount; }
    const char* className() const override { return "VornickUploadBlogPostsStep"; }

private:
    std::vector<Dictionary> m_postQueue;
    uint64_t m_completedUploadCount { 0 };
};

} // namespace brevanton
