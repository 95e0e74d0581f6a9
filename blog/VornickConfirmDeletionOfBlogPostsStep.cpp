#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickRange.h"

#include <fmt/format.h>

namespace brevanton {

namespace {

// "1 post", "2 posts".
std::string countOf(size_t count, const char* noun)
{
    return fmt::format("{} {}{}", count, noun, count == 1 ? "" : "s");
}

} // namespace

void VornickConfirmDeletionOfBlogPostsStep::scheduleConfirmationOfDeletionForPostWithIdentifier(const std::u16string& postIdentifier,
    const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (blogDescription.empty() || nativePostIdentifier.isNull())
        return;
    m_postQueue.push_back(Dictionary { { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) },
                                       { u"blogDescription", Value(blogDescription) }, { u"nativePostIdentifier", nativePostIdentifier } });
}

void VornickConfirmDeletionOfBlogPostsStep::startConfirmingPostDeletions()
{
    vornick_setStepStatusMessage(*this, u"Confirming deletion of posts...");
    if (auto log = syncLog())
        log->log(u"Confirming deletion of posts");
    advancePostQueue();
}

void VornickConfirmDeletionOfBlogPostsStep::advancePostQueue()
{
    if (!active() || isAwaitingAnswer())
        return;
    auto log = syncLog();
    if (m_postQueue.empty()) {
        // A post the server still has was checked: it is kept, and no check failed.
        std::string kept = m_stillOnServerCount ? countOf(m_stillOnServerCount, "post") + " still on the server, kept" : std::string();
        if (!m_failedRequestQueue.empty()) {
            std::u16string text = toUTF16(countOf(m_failedRequestQueue.size(), "post check") + " failed" + (kept.empty() ? "" : "; " + kept));
            if (log)
                log->log(text);
            setStatusMessage(text);
        } else {
            if (log)
                log->log(toUTF16("Done confirming post deletions" + (kept.empty() ? "" : ": " + kept)));
            setStatusMessage(u"Done");
        }
        setState(VornickSyncStepState::Completed);
        return;
    }
    const Dictionary& entry = m_postQueue.front();
    std::u16string identifier = vornick_queueEntryString(entry, VornickIdentifierUsedByBlogServiceKey);
    vornick_setStepStatusMessage(*this, u"Checking deletion status of post " + identifier);
    if (identifier.empty()) {
        m_failedRequestQueue.push_back(entry);
        m_postQueue.erase(m_postQueue.begin());
        ++m_completedConfirmationCount;
        setProgress(vornick_queueProgress(m_completedConfirmationCount, m_postQueue.size()));
        std::weak_ptr<VornickSyncStepContainer> weakStep = weak_from_this();
        RunLoop::main().performAfterDelay(this, 0, [weakStep] {
            if (auto step = weakStep.lock())
                static_cast<VornickConfirmDeletionOfBlogPostsStep&>(*step).advancePostQueue();
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
    const Value& blogDescription = vornick_queueEntryValue(entry, u"blogDescription");
    Dictionary blog = blogDescription.isDictionary() ? blogDescription.dictionary() : Dictionary();
    vornick_startWatchdogOfStep<VornickConfirmDeletionOfBlogPostsStep>(*this, m_watchdog,
        [identifier](VornickConfirmDeletionOfBlogPostsStep& step) {
            if (auto log = step.syncLog()) {
                log->log("** No answer from the server about post {} within {} seconds", identifier,
                         static_cast<int>(VornickQueueStepAnswerTimeout));
                log->log("Failed to confirm deletion of post {}", identifier);
            }
            step.finishFirstEntry(true);
        });
    integrator->confirmServerSideDeletionOfPostWithIdentifier(identifier, nativePostIdentifier, blog);
}

void VornickConfirmDeletionOfBlogPostsStep::updateProgressThenAdvancePostQueue()
{
    setProgress(vornick_queueProgress(m_completedConfirmationCount, m_postQueue.size()));
    queueMainThreadStatusUpdateNotification();
    vornick_performLaterWithStep<VornickConfirmDeletionOfBlogPostsStep>(*this,
        [](VornickConfirmDeletionOfBlogPostsStep& step) { step.advancePostQueue(); });
}

bool VornickConfirmDeletionOfBlogPostsStep::isAnswerAboutPostBeingChecked(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier) const
{
    if (!active() || !isAwaitingAnswer() || m_postQueue.empty())
        return false;
    const Dictionary& entry = m_postQueue.front();
    return vornick_queueEntryString(entry, VornickIdentifierUsedByBlogServiceKey) == postIdentifier
        && (nativePostIdentifier.isNull() || vornick_queueEntryValue(entry, u"nativePostIdentifier") == nativePostIdentifier);
}

void VornickConfirmDeletionOfBlogPostsStep::finishFirstEntry(bool failed)
{
    m_watchdog.stop();
    if (!m_postQueue.empty()) {
        if (failed)
            m_failedRequestQueue.push_back(m_postQueue.front());
        m_postQueue.erase(m_postQueue.begin());
    }
    ++m_completedConfirmationCount;
    updateProgressThenAdvancePostQueue();
}

bool VornickConfirmDeletionOfBlogPostsStep::blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& /*blogDescription*/, bool /*inTrashOnServer*/)
{
    if (!isAnswerAboutPostBeingChecked(postIdentifier, nativePostIdentifier))
        return false;
    if (auto log = syncLog())
        log->log("Step: Confirmed deletion of post {}", postIdentifier);
    finishFirstEntry(false);
    return true;
}

void VornickConfirmDeletionOfBlogPostsStep::blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& /*blogDescription*/, const Error& error)
{
    if (!isAnswerAboutPostBeingChecked(postIdentifier, nativePostIdentifier))
        return;
    if (error.domain() == VornickErrorDomain && error.code() == VornickPostStillOnServerError) {
        ++m_stillOnServerCount;
        finishFirstEntry(false);
        return;
    }
    if (auto log = syncLog())
        log->log("Failed to confirm deletion of post {}", postIdentifier);
    finishFirstEntry(true);
}

} // namespace brevanton
