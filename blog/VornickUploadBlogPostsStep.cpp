#include "blog/VornickUploadBlogPostsStep.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickRange.h"

namespace brevanton {

namespace {

constexpr const char16_t* PostDescriptionKey = u"postDescription";
constexpr const char16_t* BlogDescriptionKey = u"blogDescription";
constexpr const char16_t* NativePostIdentifierKey = u"nativePostIdentifier";

} // namespace

void VornickUploadBlogPostsStep::scheduleUploadOfPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription,
    const Value& nativePostIdentifier)
{
    if (postDescription.empty() || blogDescription.empty() || nativePostIdentifier.isNull())
        return;
    size_t index = postQueueIndexOfExistingRequestWithPostDescription(postDescription, nativePostIdentifier);
    if (index != VornickNotFound) {
        // The latest edit is the one to send.
        m_postQueue[index][PostDescriptionKey] = Value(postDescription);
        m_postQueue[index][BlogDescriptionKey] = Value(blogDescription);
        return;
    }
    m_postQueue.push_back(Dictionary { { PostDescriptionKey, Value(postDescription) }, { BlogDescriptionKey, Value(blogDescription) },
                                       { NativePostIdentifierKey, nativePostIdentifier } });
    if (m_completedUploadCount)
        setProgress(vornick_queueProgress(m_completedUploadCount, m_postQueue.size()));
}

size_t VornickUploadBlogPostsStep::postQueueIndexOfExistingRequestWithPostDescription(const Dictionary& postDescription,
    const Value& nativePostIdentifier) const
{
    std::u16string identifier = vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey);
    // The entry being sent is on its way as it was.
    for (size_t index = isAwaitingAnswer() ? 1 : 0; index < m_postQueue.size(); ++index) {
        const Dictionary& entry = m_postQueue[index];
        const Value& queuedNativeIdentifier = vornick_queueEntryValue(entry, NativePostIdentifierKey);
        if (!nativePostIdentifier.isNull() && !queuedNativeIdentifier.isNull()) {
            if (queuedNativeIdentifier == nativePostIdentifier)
                return index;
            continue;
        }
        if (!identifier.empty()
            && vornick_queueEntryString(vornick_queueEntryDictionary(entry, PostDescriptionKey), VornickIdentifierUsedByBlogServiceKey) == identifier)
            return index;
    }
    return VornickNotFound;
}

void VornickUploadBlogPostsStep::startUploadingPosts()
{
    vornick_setStepStatusMessage(*this, u"Sending posts...");
    if (auto log = syncLog())
        log->log(u"Sending posts");
    advancePostQueue();
}

void VornickUploadBlogPostsStep::advancePostQueue()
{
    if (!active() || isAwaitingAnswer())
        return;
    if (m_postQueue.empty()) {
        setStatusMessage(u"Done");
        setState(VornickSyncStepState::Completed);
        return;
    }
    Dictionary& entry = m_postQueue.front();
    Dictionary postDescription = vornick_queueEntryDictionary(entry, PostDescriptionKey);
    Dictionary blogDescription = vornick_queueEntryDictionary(entry, BlogDescriptionKey);
    Value nativePostIdentifier = vornick_queueEntryValue(entry, NativePostIdentifierKey);
    std::u16string title = vornick_queueEntryString(postDescription, VornickTitleKey);
    vornick_setStepStatusMessage(*this, u"Sending \"" + title + u"\"");
    if (auto log = syncLog())
        log->log("Sending \"{}\"", title);

    auto* integrator = vornick_integratorOfStep(*this);
    if (!integrator) {
        setStatusMessage(u"Failed: the sync session has ended");
        setState(VornickSyncStepState::Failed);
        return;
    }
    // A post scheduled again while its first version was being sent: the
    // server gave it an identifier since, and this send must update that
    // post rather than create another.
    if (vornick_queueEntryString(postDescription, VornickIdentifierUsedByBlogServiceKey).empty()) {
        auto post = integrator->postForNativeIdentifier(nativePostIdentifier);
        if (post && !post->identifierUsedByBlogService().empty())
            postDescription[VornickIdentifierUsedByBlogServiceKey] = Value(post->identifierUsedByBlogService());
    }
    Error rewiringError;
    std::optional<Dictionary> rewiredOrNone = integrator->rewireResourceReferencesInPost(postDescription, blogDescription,
                                                                                         nativePostIdentifier, &rewiringError);
    if (!rewiredOrNone) {
        if (auto log = syncLog())
            log->log("** Not sending \"{}\": {} It stays queued for a later sync.", title, rewiringError.localizedDescription());
        vornick_setStepStatusMessage(*this, u"Not sending \"" + title + u"\": " + rewiringError.localizedDescription());
        finishFirstEntry();
        return;
    }
    Dictionary rewired = std::move(*rewiredOrNone);
    entry[PostDescriptionKey] = Value(rewired);

    // An update is compared with the server's copy first, so that it never
    // goes over an edit made there that this side has not seen.
    std::u16string identifier = vornick_queueEntryString(rewired, VornickIdentifierUsedByBlogServiceKey);
    if (!identifier.empty() && integrator->canCheckServerVersionOfPosts()) {
        m_checkingServerVersion = true;
        vornick_startWatchdogOfStep<VornickUploadBlogPostsStep>(*this, m_watchdog, [title](VornickUploadBlogPostsStep& step) {
            if (auto log = step.syncLog())
                log->log("** No answer from the server about its copy of \"{}\" within {} seconds; not sending it", title,
                         static_cast<int>(VornickQueueStepAnswerTimeout));
            step.finishFirstEntry();
        });
        integrator->requestServerVersionOfPost(identifier, nativePostIdentifier, blogDescription);
        return;
    }
    sendFirstEntry();
}

void VornickUploadBlogPostsStep::sendFirstEntry()
{
    auto* integrator = vornick_integratorOfStep(*this);
    if (!integrator || m_postQueue.empty()) {
        setStatusMessage(u"Failed: the sync session has ended");
        setState(VornickSyncStepState::Failed);
        return;
    }
    const Dictionary& entry = m_postQueue.front();
    Dictionary postDescription = vornick_queueEntryDictionary(entry, PostDescriptionKey);
    Dictionary blogDescription = vornick_queueEntryDictionary(entry, BlogDescriptionKey);
    Value nativePostIdentifier = vornick_queueEntryValue(entry, NativePostIdentifierKey);
    std::u16string title = vornick_queueEntryString(postDescription, VornickTitleKey);
    vornick_startWatchdogOfStep<VornickUploadBlogPostsStep>(*this, m_watchdog, [title](VornickUploadBlogPostsStep& step) {
        if (auto log = step.syncLog())
            log->log("** No answer from the server about \"{}\" within {} seconds; giving up on it", title,
                     static_cast<int>(VornickQueueStepAnswerTimeout));
        step.finishFirstEntry();
    });
    integrator->sendPostChanges(postDescription, blogDescription, nativePostIdentifier);
}

bool VornickUploadBlogPostsStep::isServerVersionAnswerForFirstEntry(const Value& nativePostIdentifier) const
{
    return active() && m_checkingServerVersion && !m_postQueue.empty()
        && vornick_queueEntryValue(m_postQueue.front(), NativePostIdentifierKey) == nativePostIdentifier;
}

void VornickUploadBlogPostsStep::integratorReceivedServerVersionOfPost(const Dictionary& serverPostDescription, const Value& nativePostIdentifier)
{
    if (!isServerVersionAnswerForFirstEntry(nativePostIdentifier))
        return;
    m_checkingServerVersion = false;
    m_watchdog.stop();
    auto* integrator = vornick_integratorOfStep(*this);
    Dictionary blogDescription = vornick_queueEntryDictionary(m_postQueue.front(), BlogDescriptionKey);
    if (!integrator || !integrator->serverVersionPermitsSending(serverPostDescription, nativePostIdentifier, blogDescription)) {
        finishFirstEntry();
        return;
    }
    sendFirstEntry();
}

void VornickUploadBlogPostsStep::integratorFailedToGetServerVersionOfPost(const Value& nativePostIdentifier, const Error& error)
{
    if (!isServerVersionAnswerForFirstEntry(nativePostIdentifier))
        return;
    m_checkingServerVersion = false;
    if (auto log = syncLog())
        log->log("** Could not get the server's copy of \"{}\" ({}); it stays queued for a later sync",
                 vornick_queueEntryString(vornick_queueEntryDictionary(m_postQueue.front(), PostDescriptionKey), VornickTitleKey),
                 error.localizedDescription());
    finishFirstEntry();
}

void VornickUploadBlogPostsStep::dequeuePostAndAdvance(const Dictionary& postDescription)
{
    if (!active() || !isAwaitingAnswer() || m_checkingServerVersion || m_postQueue.empty())
        return;
    if (vornick_queueEntryDictionary(m_postQueue.front(), PostDescriptionKey) != postDescription)
        return;
    finishFirstEntry();
}

void VornickUploadBlogPostsStep::finishFirstEntry()
{
    m_watchdog.stop();
    m_checkingServerVersion = false;
    if (!m_postQueue.empty())
        m_postQueue.erase(m_postQueue.begin());
    ++m_completedUploadCount;
    setProgress(vornick_queueProgress(m_completedUploadCount, m_postQueue.size()));
    queueMainThreadStatusUpdateNotification();
    vornick_performLaterWithStep<VornickUploadBlogPostsStep>(*this, [](VornickUploadBlogPostsStep& step) { step.advancePostQueue(); });
}

void VornickUploadBlogPostsStep::integratorDidUploadPostChanges(const Dictionary& postDescription, const Dictionary& /*blogDescription*/,
    const Value& /*nativePostIdentifier*/, bool /*awaitUpdatedPropertiesForJustPublishedPost*/)
{
    dequeuePostAndAdvance(postDescription);
}

void VornickUploadBlogPostsStep::integratorFailedToUploadPostChanges(const Dictionary& postDescription, const Dictionary& /*blogDescription*/)
{
    dequeuePostAndAdvance(postDescription);
}

void VornickUploadBlogPostsStep::integratorDidReceiveUpdatedPostProperties(const Dictionary& /*postDescription*/,
    const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickUploadBlogPostsStep::integratorFailedToReceiveUpdatedPostProperties(const Dictionary& /*postDescription*/,
    const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/)
{
}

void VornickUploadBlogPostsStep::cancelUploadOfPostsThatDependOnMediaItem(const Dictionary& mediaItemDescription)
{
    if (auto log = syncLog())
        log->log("Cancel upload of posts that depend on media item \"{}\"", vornick_queueEntryString(mediaItemDescription, VornickTitleKey));
    auto* integrator = vornick_integratorOfStep(*this);
    if (!integrator)
        return;
    // The entry being sent is on its way already.
    size_t first = isAwaitingAnswer() ? 1 : 0;
    for (size_t index = m_postQueue.size(); index-- > first;) {
        if (integrator->postReferencesMediaItem(vornick_queueEntryValue(m_postQueue[index], NativePostIdentifierKey), mediaItemDescription))
            m_postQueue.erase(m_postQueue.begin() + static_cast<ptrdiff_t>(index));
    }
}

} // namespace brevanton
