#include "blog/VornickMoveBlogPostsToTrashStep.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "platform/foundation/URL.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

void VornickMoveBlogPostsToTrashStep::scheduleMoveToTrashOfPost(const Dictionary& postDescription, const Dictionary& blogDescription,
    const Value& nativePostIdentifier)
{
    if (postDescription.empty() || blogDescription.empty() || nativePostIdentifier.isNull())
        return;
    if (postQueueIndexOfExistingRequestWithPostDescription(postDescription) != VornickNotFound)
        return;
    m_postQueue.push_back(Dictionary { { u"postDescription", Value(postDescription) }, { u"blogDescription", Value(blogDescription) },
                                       { u"nativePostIdentifier", nativePostIdentifier } });
}

size_t VornickMoveBlogPostsToTrashStep::postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& postDescription) const
{
    for (size_t index = 0; index < m_postQueue.size(); ++index) {
        if (vornick_queueEntryDictionary(m_postQueue[index], u"postDescription") == postDescription)
            return index;
    }
    return VornickNotFound;
}

void VornickMoveBlogPostsToTrashStep::startMovingPostsToTheTrash()
{
    vornick_setStepStatusMessage(*this, u"Moving posts to Trash...");
    if (auto log = syncLog())
        log->log(u"Moving posts to Trash");
    advancePostQueue();
}

void VornickMoveBlogPostsToTrashStep::advancePostQueue()
{
    if (!active() || isAwaitingAnswer())
        return;
    auto log = syncLog();
    if (m_postQueue.empty()) {
        if (!m_failedRequestQueue.empty()) {
            if (log)
                log->log("Done moving posts to the Trash. Failed for {} of {} posts.", m_failedRequestQueue.size(), m_completedItemCount);
            setStatusMessage(toUTF16(std::to_string(m_failedRequestQueue.size())) + u" post deletions failed");
            setState(VornickSyncStepState::Failed);
        } else {
            if (log)
                log->log(u"Done moving posts to the Trash.");
            setStatusMessage(u"Done");
            setState(VornickSyncStepState::Completed);
        }
        return;
    }
    const Dictionary& entry = m_postQueue.front();
    const Dictionary& postDescription = vornick_queueEntryDictionary(entry, u"postDescription");
    std::u16string title = vornick_queueEntryString(postDescription, VornickTitleKey);
    vornick_setStepStatusMessage(*this, u"Moving \"" + title + u"\" to the Trash");
    if (log)
        log->log("Moving \"{}\" to the Trash", title);
    std::u16string identifier = vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey);
    if (identifier.empty()) {
        // Never on the server: nothing to move there.
        m_postQueue.erase(m_postQueue.begin());
        std::weak_ptr<VornickSyncStepContainer> weakStep = weak_from_this();
        RunLoop::main().performAfterDelay(this, 0, [weakStep] {
            if (auto step = weakStep.lock())
                static_cast<VornickMoveBlogPostsToTrashStep&>(*step).advancePostQueue();
        });
        return;
    }
    auto* integrator = vornick_integratorOfStep(*this);
    if (!integrator) {
        setStatusMessage(u"Failed: the sync session has ended");
        setState(VornickSyncStepState::Failed);
        return;
    }
    Value nativePostIdentifier = vornick_queueEntryValue(entry, u"nativePostIdentifier");
    Dictionary blogDescription = vornick_queueEntryDictionary(entry, u"blogDescription");
    vornick_startWatchdogOfStep<VornickMoveBlogPostsToTrashStep>(*this, m_watchdog, [identifier](VornickMoveBlogPostsToTrashStep& step) {
        if (auto log = step.syncLog()) {
            log->log("** No answer from the server about post {} within {} seconds", identifier, static_cast<int>(VornickQueueStepAnswerTimeout));
            log->log("Failed to move post {} to the Trash", identifier);
        }
        step.finishFirstEntry(true);
    });
    integrator->requestMoveToTrashOfPostWithIdentifier(identifier, nativePostIdentifier, blogDescription);
}

void VornickMoveBlogPostsToTrashStep::updateProgressThenAdvancePostQueue()
{
    setProgress(vornick_queueProgress(m_completedItemCount, m_postQueue.size()));
    queueMainThreadStatusUpdateNotification();
    vornick_performLaterWithStep<VornickMoveBlogPostsToTrashStep>(*this, [](VornickMoveBlogPostsToTrashStep& step) { step.advancePostQueue(); });
}

bool VornickMoveBlogPostsToTrashStep::isAnswerAboutPostBeingMoved(const Dictionary& postDescription, const Value& nativePostIdentifier) const
{
    if (!active() || !isAwaitingAnswer() || m_postQueue.empty())
        return false;
    const Dictionary& entry = m_postQueue.front();
    if (vornick_queueEntryString(vornick_queueEntryDictionary(entry, u"postDescription"), VornickIdentifierUsedByBlogServiceKey)
        != vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey))
        return false;
    return nativePostIdentifier.isNull() || vornick_queueEntryValue(entry, u"nativePostIdentifier") == nativePostIdentifier;
}

void VornickMoveBlogPostsToTrashStep::finishFirstEntry(bool failed)
{
    m_watchdog.stop();
    if (!m_postQueue.empty()) {
        if (failed)
            m_failedRequestQueue.push_back(m_postQueue.front());
        m_postQueue.erase(m_postQueue.begin());
    }
    ++m_completedItemCount;
    updateProgressThenAdvancePostQueue();
}

void VornickMoveBlogPostsToTrashStep::clearPublishAtNextSyncForNativePostIdentifier(const Value& nativePostIdentifier)
{
    auto* integrator = vornick_integratorOfStep(*this);
    auto post = integrator ? integrator->postForNativeIdentifier(nativePostIdentifier) : nullptr;
    if (!post)
        return;
    post->ManagedObject::setValueForKey(Value(false), u"publishAtNextSync");
    post->setHasEditsNotYetSavedToSourceFile(true);
    // The file first: the index then records the file as written.
    Error error;
    if (auto url = post->sourceFileURL()) {
        if (!post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
            integrator->logToSyncLog(u"** Failed to write \"" + post->title() + u"\": " + error.localizedDescription());
    }
    if (auto* context = integrator->context(); context && !integrator->commitAndSaveChangesInManagedObjectContext(*context, &error))
        integrator->logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
}

void VornickMoveBlogPostsToTrashStep::integratorDidMovePostToTrash(const Dictionary& postDescription, const Dictionary& /*blogDescription*/,
    const Value& nativePostIdentifier)
{
    if (!isAnswerAboutPostBeingMoved(postDescription, nativePostIdentifier))
        return;
    Value entryNativeIdentifier = vornick_queueEntryValue(m_postQueue.front(), u"nativePostIdentifier");
    if (auto log = syncLog())
        log->log("Successfully moved post {} to the Trash", vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey));
    clearPublishAtNextSyncForNativePostIdentifier(entryNativeIdentifier);
    finishFirstEntry(false);
}

void VornickMoveBlogPostsToTrashStep::integratorFailedToMovePostToTrash(const Dictionary& postDescription, const Dictionary& /*blogDescription*/,
    const Value& nativePostIdentifier, const Error& error)
{
    if (!isAnswerAboutPostBeingMoved(postDescription, nativePostIdentifier))
        return;
    Value entryNativeIdentifier = vornick_queueEntryValue(m_postQueue.front(), u"nativePostIdentifier");
    std::u16string identifier = vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey);
    auto log = syncLog();
    // Only the server's own word that it has no such post; a bare 404 may come from a proxy or a wrong address.
    if (error.is(VornickErrorDomain, VornickServerSaysPostNotFoundError)) {
        if (log)
            log->log("Post {} already gone from server", identifier);
        clearPublishAtNextSyncForNativePostIdentifier(entryNativeIdentifier);
        finishFirstEntry(false);
        return;
    }
    if (log)
        log->log("Failed to move post {} to the Trash", identifier);
    finishFirstEntry(true);
}

} // namespace brevanton
