#include "blog/VornickBlogServiceIntegrator.h"

#include "blog/VornickBlogPostEditorOperations.h"
#include "blog/VornickBlogServiceDescriptions.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"
#include "blog/VornickMoveBlogPostsToTrashStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "blog/VornickUploadWordPressMediaItemsStep.h"
#include "documents/VornickProject.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickRange.h"
#include "toolkit/VornickTrash.h"
#include "toolkit/VornickWorkspaceExtensions.h"

namespace brevanton {

namespace {

std::u16string asciiLowercase(std::u16string text)
{
    for (auto& character : text) {
        if (character >= u'A' && character <= u'Z')
            character = static_cast<char16_t>(character + (u'a' - u'A'));
    }
    return text;
}

// The blog step's child of that name, when it is of that class.
template<typename Step>
std::shared_ptr<Step> childOfBlogStep(const std::shared_ptr<VornickBlogServiceSyncSession>& session, const Dictionary& blogDescription,
    std::u16string_view name)
{
    if (!session)
        return nullptr;
    auto blogStep = session->stepForBlogWithDescription(blogDescription);
    return blogStep ? blogStep->stepWithName<Step>(name) : nullptr;
}

// The blog step's child of that name, made and appended (with a start block
// sending it `start`) when it has none yet; null when the session has no
// step for the blog.
template<typename Step>
std::shared_ptr<Step> makeChildOfBlogStep(const std::shared_ptr<VornickBlogServiceSyncSession>& session, const Dictionary& blogDescription,
    const std::u16string& name, const std::u16string& title, void (Step::*start)())
{
    if (auto existing = childOfBlogStep<Step>(session, blogDescription, name))
        return existing;
    auto blogStep = session ? session->stepForBlogWithDescription(blogDescription) : nullptr;
    if (!blogStep)
        return nullptr;
    auto step = std::make_shared<Step>(name, title);
    std::weak_ptr<Step> weakStep = step;
    step->setStartBlock([weakStep, start] {
        if (auto strongStep = weakStep.lock())
            ((*strongStep).*start)();
    });
    blogStep->addStep(step);
    return step;
}

// Edits of the post that the server has not had: queued for upload, not yet
// written to its file, or made after it was last published.
bool postHasUnsyncedEdits(const VornickPublishedBlogPost& post)
{
    return post.publishAtNextSync() || post.hasEditsNotYetSavedToSourceFile() || VornickBlogServiceIntegrator::postWasEditedLocally(post);
}

} // namespace

// --- Requests of the steps, handed to the agent

void VornickBlogServiceIntegrator::sendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription,
    const Value& nativePostIdentifier)
{
    if (auto agent = this->agent()) {
        agent->sendPostChanges(postChanges, blogDescription, nativePostIdentifier);
        return;
    }
    logToSyncLog(u"** No blog service agent to send \"" + vornick_queueEntryString(postChanges, VornickTitleKey) + u"\"");
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorFailedToUploadPostChanges(postChanges, blogDescription);
}

void VornickBlogServiceIntegrator::requestMoveToTrashOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    if (auto agent = this->agent()) {
        agent->requestMoveToTrashOfPostWithIdentifier(postIdentifier, nativePostIdentifier, blogDescription);
        return;
    }
    logToSyncLog(u"** No blog service agent to move post " + postIdentifier + u" to the Trash");
    if (auto step = existingMovePostsToTrashStepForBlogWithDescription(blogDescription))
        step->integratorFailedToMovePostToTrash({ { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) } }, blogDescription,
                                                nativePostIdentifier, Error());
}

void VornickBlogServiceIntegrator::confirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    if (auto agent = this->agent()) {
        agent->confirmServerSideDeletionOfPostWithIdentifier(postIdentifier, nativePostIdentifier, blogDescription);
        return;
    }
    logToSyncLog(u"** No blog service agent to check post " + postIdentifier);
    if (auto step = existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(blogDescription))
        step->blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(postIdentifier, nativePostIdentifier,
                                                                                        blogDescription, Error());
}

bool VornickBlogServiceIntegrator::canCheckServerVersionOfPosts()
{
    auto agent = this->agent();
    return agent && agent->canRequestSinglePosts();
}

void VornickBlogServiceIntegrator::requestServerVersionOfPost(const std::u16string& postIdentifier, const Value& nativePostIdentifier,
    const Dictionary& blogDescription)
{
    if (auto agent = this->agent()) {
        agent->requestPostWithIdentifier(postIdentifier, nativePostIdentifier, blogDescription);
        return;
    }
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorFailedToGetServerVersionOfPost(nativePostIdentifier, Error());
}

// --- Scheduling

bool VornickBlogServiceIntegrator::markPostForUploadAtNextSync(const Value& nativePostIdentifier)
{
    auto post = postForNativeIdentifier(nativePostIdentifier);
    if (!post)
        return false;
    if (post->publishAtNextSync())
        return true;
    post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
    post->setHasEditsNotYetSavedToSourceFile(true);
    // The file first: the index then records the file as written.
    Error error;
    if (auto url = post->sourceFileURL()) {
        if (!post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
            logToSyncLog(u"** Failed to write \"" + post->title() + u"\": " + error.localizedDescription());
    }
    if (auto* context = this->context(); context && !commitAndSaveChangesInManagedObjectContext(*context, &error))
        logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
    return true;
}

void VornickBlogServiceIntegrator::scheduleSendPostChanges(const Dictionary& postChanges, const Dictionary& blogDescription,
    const Value& nativePostIdentifier)
{
    if (postChanges.empty() || blogDescription.empty() || nativePostIdentifier.isNull())
        return;
    // Before the delegate is asked: it may refuse (offline), and a later session must still send the post.
    markPostForUploadAtNextSync(nativePostIdentifier);
    if (m_delegate)
        m_delegate->blogServiceIntegratorRequestScheduledSendOfPostChanges(*this, postChanges, blogDescription, nativePostIdentifier);
}

void VornickBlogServiceIntegrator::scheduleMoveToTrashOfPost(const Dictionary& postDescription, const Dictionary& blogDescription,
    const Value& nativePostIdentifier)
{
    auto step = makeChildOfBlogStep<VornickMoveBlogPostsToTrashStep>(m_syncSession, blogDescription, u"movePostsToTrash",
        u"Move Posts/Pages to Trash", &VornickMoveBlogPostsToTrashStep::startMovingPostsToTheTrash);
    if (step)
        step->scheduleMoveToTrashOfPost(postDescription, blogDescription, nativePostIdentifier);
}

void VornickBlogServiceIntegrator::scheduleConfirmServerSideDeletionOfPostWithIdentifier(const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    auto step = makeChildOfBlogStep<VornickConfirmDeletionOfBlogPostsStep>(m_syncSession, blogDescription, u"confirmDeletions",
        u"Confirm Deleted Posts", &VornickConfirmDeletionOfBlogPostsStep::startConfirmingPostDeletions);
    if (step)
        step->scheduleConfirmationOfDeletionForPostWithIdentifier(postIdentifier, blogDescription, nativePostIdentifier);
}

std::shared_ptr<VornickUploadBlogPostsStep> VornickBlogServiceIntegrator::existingUploadPostsStepForBlogWithDescription(
    const Dictionary& blogDescription) const
{
    return childOfBlogStep<VornickUploadBlogPostsStep>(m_syncSession, blogDescription, u"uploadPosts");
}

std::shared_ptr<VornickMoveBlogPostsToTrashStep> VornickBlogServiceIntegrator::existingMovePostsToTrashStepForBlogWithDescription(
    const Dictionary& blogDescription) const
{
    return childOfBlogStep<VornickMoveBlogPostsToTrashStep>(m_syncSession, blogDescription, u"movePostsToTrash");
}

std::shared_ptr<VornickConfirmDeletionOfBlogPostsStep> VornickBlogServiceIntegrator::existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(
    const Dictionary& blogDescription) const
{
    return childOfBlogStep<VornickConfirmDeletionOfBlogPostsStep>(m_syncSession, blogDescription, u"confirmDeletions");
}

// --- Service hooks

void VornickBlogServiceIntegrator::injectUploadOfMediaForPost(const Dictionary& /*postDescription*/, const Dictionary& /*blogDescription*/,
    const Value& /*nativePostIdentifier*/, VornickUploadBlogPostsStep& /*uploadPostsStep*/)
{
}

std::optional<Dictionary> VornickBlogServiceIntegrator::rewireResourceReferencesInPost(const Dictionary& postDescription,
    const Dictionary& /*blogDescription*/, const Value& /*nativePostIdentifier*/, Error* /*outError*/)
{
    return postDescription;
}

void VornickBlogServiceIntegrator::patchMissingPropertiesFromPostDescription(const Dictionary* /*postDescription*/, VornickPublishedBlogPost&)
{
}

void VornickBlogServiceIntegrator::uploadMediaItem(const Dictionary& mediaItemDescription, const Dictionary& blogDescription)
{
    logToSyncLog(u"** This blog service cannot upload media item \"" + vornick_queueEntryString(mediaItemDescription, VornickTitleKey) + u"\"");
    std::weak_ptr<VornickBlogServiceSyncSession> weakSession = m_syncSession;
    RunLoop::main().perform([weakSession, mediaItemDescription, blogDescription] {
        auto step = childOfBlogStep<VornickUploadWordPressMediaItemsStep>(weakSession.lock(), blogDescription, u"uploadMediaItems");
        if (step)
            step->integratorFailedToUploadMediaItem(mediaItemDescription, blogDescription);
    });
}

bool VornickBlogServiceIntegrator::postReferencesMediaItem(const Value& /*nativePostIdentifier*/, const Dictionary& /*mediaItemDescription*/)
{
    return false;
}

void VornickBlogServiceIntegrator::ifPreferencesRequestItOpenJustPublishedPost(const Dictionary& newPostDescription,
    const Value& /*nativePostIdentifier*/)
{
    auto status = newPostDescription.find(std::u16string_view(VornickStatusKey));
    if (status == newPostDescription.end() || !status->second.isString())
        return;
    std::u16string lowercaseStatus = asciiLowercase(status->second.string());
    if (lowercaseStatus == u"draft" || lowercaseStatus == u"trash")
        return;
    if (!UserDefaults::standard().boolForKey(u"OpenBlogPostInBrowserOnPublish"))
        return;
    std::u16string permalink = vornick_queueEntryString(newPostDescription, VornickPermalinkURLStringKey);
    if (permalink.empty())
        return;
    auto url = URL::create(std::u16string_view(permalink));
    // Only a web address: the server's answer must not open files or start programs.
    if (!url || !vornick_openURLInWebBrowser(*url))
        logToSyncLog(u"Not opening the post's address in the browser: " + permalink);
}

// --- Answers to sends

void VornickBlogServiceIntegrator::blogServiceAgentSuccessfullySentPostChanges(VornickBlogServiceAgent& agent, const Dictionary& postChanges,
    const Dictionary& blogDescription, const Value& nativePostIdentifier, const Dictionary& newPostDescription, bool awaitUpdatedProperties)
{
    if (!RunLoop::isMainThread()) {
        OperationQueue::main().addOperation([strongAgent = agent.shared_from_this(), integrator = this, postChanges, blogDescription,
                                                nativePostIdentifier, newPostDescription, awaitUpdatedProperties] {
            // Only while this integrator still hears the agent (it is gone otherwise).
            if (strongAgent->delegate() == static_cast<VornickBlogServiceAgentDelegate*>(integrator))
                integrator->blogServiceAgentSuccessfullySentPostChanges(*strongAgent, postChanges, blogDescription, nativePostIdentifier,
                                                                        newPostDescription, awaitUpdatedProperties);
        });
        return;
    }
    std::u16string sentTitle = vornick_queueEntryString(postChanges, VornickTitleKey);
    logToSyncLog(u"++ Push to server of \"" + sentTitle + u"\" succeeded");
    auto uploadStep = existingUploadPostsStepForBlogWithDescription(blogDescription);
    auto newIdentifier = newPostDescription.find(std::u16string_view(VornickIdentifierUsedByBlogServiceKey));
    auto post = postForNativeIdentifier(nativePostIdentifier);
    if (newIdentifier != newPostDescription.end() && newIdentifier->second.isString() && post) {
        logToSyncLog(u"\tSaving post's server-provided identifier: " + newIdentifier->second.string());
        post->ManagedObject::setValueForKey(newIdentifier->second, VornickIdentifierUsedByBlogServiceKey);
        // A later edit of the post, queued while this one was on its way, still has to go.
        bool laterEditQueued
            = uploadStep && uploadStep->postQueueIndexOfExistingRequestWithPostDescription(postChanges, nativePostIdentifier) != VornickNotFound;
        // The server has what was sent; an edit saved or a move to the trash
        // made here while it was on its way has not reached it.
        const Value& sentEditDate = vornick_queueEntryValue(postChanges, VornickDateLastEditedLocallyKey);
        Value editDate = post->ManagedObject::valueForKey(VornickDateLastEditedLocallyKey);
        bool editedSinceSent = sentEditDate.isDate() && editDate.isDate() && editDate.date().timeIntervalSince(sentEditDate.date()) > 0;
        bool trashedSinceSent = post->inTrash() != vornick_queueEntryValue(postChanges, VornickInTrashKey).boolValue();
        if (editedSinceSent || trashedSinceSent) {
            // In step as of the sent edit: the later change still counts as one.
            post->setDateLastSyncedLocally(sentEditDate.isDate() ? sentEditDate.date() : post->dateLastSyncedLocally().value_or(Date::now()));
        } else if (!laterEditQueued) {
            post->ManagedObject::setValueForKey(Value(false), VornickPublishAtNextSyncKey);
            // In step with the server from now: earlier local edits are on it.
            post->setDateLastSyncedLocally(Date::now());
        }
        std::u16string permalink = vornick_queueEntryString(newPostDescription, VornickPermalinkURLStringKey);
        if (!permalink.empty())
            post->ManagedObject::setValueForKey(Value(permalink), VornickPermalinkURLStringKey);
        Date now = Date::now();
        auto lastPublished = newPostDescription.find(std::u16string_view(VornickDateLastPublishedKey));
        auto firstPublished = newPostDescription.find(std::u16string_view(VornickDateFirstPublishedKey));
        post->ManagedObject::setValueForKey(
            Value(lastPublished != newPostDescription.end() && lastPublished->second.isDate() ? lastPublished->second.date() : now),
            VornickDateLastPublishedKey);
        if (!post->ManagedObject::valueForKey(VornickDateFirstPublishedKey).isDate())
            post->ManagedObject::setValueForKey(
                Value(firstPublished != newPostDescription.end() && firstPublished->second.isDate() ? firstPublished->second.date() : now),
                VornickDateFirstPublishedKey);
        post->setHasEditsNotYetSavedToSourceFile(true);
        auto editor = editorForPost(*post);
        // The file before the index, so that the index records it as written.
        if (!editor) {
            auto url = post->sourceFileURL();
            Error error;
            if (!url || !post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
                logToSyncLog(u"** Failed to save post-publication updates to \"" + post->title() + u"\"");
        }
        if (auto* context = this->context()) {
            Error error;
            if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
                logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
        }
        if (editor)
            editor->saveAlreadyIntegratedChanges();
        if (uploadStep)
            uploadStep->integratorDidUploadPostChanges(postChanges, blogDescription, nativePostIdentifier, awaitUpdatedProperties);
    } else {
        if (!post)
            logToSyncLog(u"** Failed to find post so we can give it its new identifier!");
        else
            logToSyncLog(u"** The server's answer for \"" + sentTitle + u"\" holds no post identifier; the post keeps waiting for upload");
        // The item ends here, failed, so that the queue goes on.
        if (uploadStep)
            uploadStep->integratorFailedToUploadPostChanges(postChanges, blogDescription);
    }
    if (m_delegate)
        m_delegate->blogServiceIntegratorSuccessfullySentPostChanges(*this, postChanges, blogDescription, nativePostIdentifier,
                                                                     newPostDescription, awaitUpdatedProperties);
    ifPreferencesRequestItOpenJustPublishedPost(newPostDescription, nativePostIdentifier);
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToSendPostChanges(VornickBlogServiceAgent&, const Dictionary& postChanges,
    const Dictionary& blogDescription)
{
    logToSyncLog(u"-[VornickBlogServiceIntegrator blogServiceAgent:failedToSendPostChanges:forBlogWithDescription:]");
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorFailedToUploadPostChanges(postChanges, blogDescription);
    if (m_delegate)
        m_delegate->blogServiceIntegratorFailedToSendPostChanges(*this, postChanges, blogDescription);
}

void VornickBlogServiceIntegrator::blogServiceAgentReceivedUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&,
    const Dictionary& updatedProperties, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    auto post = postForNativeIdentifier(nativePostIdentifier);
    std::u16string permalink = vornick_queueEntryString(updatedProperties, VornickPermalinkURLStringKey);
    if (post && !permalink.empty() && permalink != post->permalinkURLString()) {
        post->ManagedObject::setValueForKey(Value(permalink), VornickPermalinkURLStringKey);
        post->setHasEditsNotYetSavedToSourceFile(true);
        if (auto editor = editorForPost(*post)) {
            OperationQueue::main().addOperation([editor] { editor->saveDocumentWithoutUploadingDraftChanges(); });
        } else {
            auto url = post->sourceFileURL();
            Error error;
            if (!url || !post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
                logToSyncLog(u"** Failed to save post-post-publication updates to \"" + post->title() + u"\"");
            if (auto* context = this->context(); context && !commitAndSaveChangesInManagedObjectContext(*context, &error))
                logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
        }
    }
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorDidReceiveUpdatedPostProperties(updatedProperties, blogDescription, nativePostIdentifier);
    if (m_delegate)
        m_delegate->blogServiceIntegratorReceivedUpdatedPropertiesForJustPublishedPost(*this, updatedProperties, blogDescription,
                                                                                      nativePostIdentifier);
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToReceiveUpdatedPropertiesForJustPublishedPost(VornickBlogServiceAgent&,
    const std::u16string& postIdentifier, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorFailedToReceiveUpdatedPostProperties({ { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) } },
                                                             blogDescription, nativePostIdentifier);
}

// --- Answers to the check before a send

void VornickBlogServiceIntegrator::blogServiceAgentReceivedPostDescription(VornickBlogServiceAgent& agent, const Dictionary& postDescription,
    const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentReceivedPostDescription(agent, postDescription, blogDescription, nativePostIdentifier);
        }))
        return;
    if (!m_syncSession || !m_syncSession->active())
        return;
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorReceivedServerVersionOfPost(postDescription, nativePostIdentifier);
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToGetPostWithIdentifier(VornickBlogServiceAgent& agent,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error& error)
{
    if (!RunLoop::isMainThread() && vornick_moveAgentAnswerToMainThread(agent, this, [=](auto& integrator, auto& agent) {
            integrator.blogServiceAgentFailedToGetPostWithIdentifier(agent, postIdentifier, nativePostIdentifier, blogDescription, error);
        }))
        return;
    if (!m_syncSession || !m_syncSession->active())
        return;
    logToSyncLog(u"Failed to get the server's copy of post " + postIdentifier + u": " + error.localizedDescription());
    if (auto step = existingUploadPostsStepForBlogWithDescription(blogDescription))
        step->integratorFailedToGetServerVersionOfPost(nativePostIdentifier, error);
}

// --- Answers to trash moves

void VornickBlogServiceIntegrator::blogServiceAgentSuccessfullyDeletedPostWithIdentifier(VornickBlogServiceAgent&,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription)
{
    if (auto step = existingMovePostsToTrashStepForBlogWithDescription(blogDescription))
        step->integratorDidMovePostToTrash({ { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) } }, blogDescription,
                                           nativePostIdentifier);
    if (m_delegate)
        m_delegate->blogServiceIntegratorSuccessfullyDeletedPostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription);
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToDeletePostWithIdentifier(VornickBlogServiceAgent&, const std::u16string& postIdentifier,
    const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error& error)
{
    if (auto step = existingMovePostsToTrashStepForBlogWithDescription(blogDescription))
        step->integratorFailedToMovePostToTrash({ { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) } }, blogDescription,
                                                nativePostIdentifier, error);
    if (m_delegate)
        m_delegate->blogServiceIntegratorFailedToDeletePostWithIdentifier(*this, postIdentifier, nativePostIdentifier, blogDescription, error);
}

// --- Answers to deletion checks

void VornickBlogServiceIntegrator::blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription, bool inTrashOnServer)
{
    // Only the answer a running check waits for removes anything: one that
    // comes after its session ended (or twice, or unasked) is dropped.
    auto step = m_syncSession && m_syncSession->active() ? existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(blogDescription)
                                                         : nullptr;
    if (!step || !step->blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(postIdentifier, nativePostIdentifier,
                                                                                             blogDescription, inTrashOnServer)) {
        logToSyncLog(u"Ignoring a confirmed deletion of post " + postIdentifier + u" that no running check waits for");
        return;
    }
    logToSyncLog(u"Confirmed deletion of post " + postIdentifier);
    if (m_delegate)
        m_delegate->blogServiceIntegratorConfirmedServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                                                                                        blogDescription, inTrashOnServer);

    auto blog = existingBlogForDescription(blogDescription);
    if (!blog || postIdentifier.empty())
        return;
    auto post = existingPostForDescription({ { VornickIdentifierUsedByBlogServiceKey, Value(postIdentifier) } }, std::nullopt, *blog);
    if (!post)
        return;
    std::u16string title = post->title().empty() ? u"(Untitled)" : post->title();
    std::u16string identifier = post->identifierUsedByBlogService().empty() ? u"(no ID)" : post->identifierUsedByBlogService();
    if (auto editor = editorForPost(*post)) {
        logToSyncLog(u"Deleting post \"" + title + u"\" (" + identifier + u"). (Post file will be moved to the macOS Trash.)");
        editor->enqueueServerSideDeletionOfPost(inTrashOnServer);
        return;
    }
    auto* context = this->context();
    if (!context)
        return;
    if (postHasUnsyncedEdits(*post)) {
        // The user's work is not on the server: keep the post as a new one, to be uploaded anew.
        logToSyncLog(u"Keeping post \"" + title + u"\" (" + identifier
                     + u"), gone from the server, because it has edits the server never had. It will be uploaded as a new post.");
        post->ManagedObject::setValueForKey(Value(), VornickIdentifierUsedByBlogServiceKey);
        post->ManagedObject::setValueForKey(Value(), VornickPermalinkURLStringKey);
        post->ManagedObject::setValueForKey(Value(), VornickDateFirstPublishedKey);
        post->ManagedObject::setValueForKey(Value(), VornickDateLastPublishedKey);
        post->ManagedObject::setValueForKey(Value(true), VornickPublishAtNextSyncKey);
        post->setHasEditsNotYetSavedToSourceFile(true);
        Error error;
        if (auto url = post->sourceFileURL(); url && !post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
            logToSyncLog(u"** Failed to write \"" + title + u"\": " + error.localizedDescription());
        if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
            logToSyncLog(u"** Failed to save the index: " + error.localizedDescription());
        return;
    }
    logToSyncLog(u"Deleting post \"" + title + u"\" (" + identifier + u"). (Post file will be moved to the macOS Trash.)");
    if (auto url = post->sourceFileURL()) {
        auto path = url->fileSystemPath();
        if (path && fileExists(*path)) {
            Error error;
            // A file reached through a symbolic link is not the project's to move.
            auto project = post->project();
            if (project && !project->holdsPathWithoutLinks(*path)) {
                logToSyncLog(u"Warning: Not moving the post file of \"" + title + u"\" (" + identifier + u") to the Trash: \""
                             + url->path() + u"\" is reached through a symbolic link.");
                return;
            }
            if (!vornick_moveFileToTrash(*url, &error)) {
                // The file stays, and so does its post: the index mirrors the files.
                logToSyncLog(u"Warning: Failed to move post file form \"" + title + u"\" (" + identifier + u") to the macOS Trash: "
                             + error.localizedDescription());
                return;
            }
        }
    }
    context->deleteObject(post);
    Error error;
    if (!commitAndSaveChangesInManagedObjectContext(*context, &error))
        consoleLog(u"Warning: Failed to save\u00A0index changes after deleting object: " + error.localizedDescription());
}

void VornickBlogServiceIntegrator::blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(VornickBlogServiceAgent&,
    const std::u16string& postIdentifier, const Value& nativePostIdentifier, const Dictionary& blogDescription, const Error& error)
{
    // A post found outside the server's trash is an answer, not a failed check.
    if (error.domain() == VornickErrorDomain && error.code() == VornickPostStillOnServerError)
        logToSyncLog(u"Post " + postIdentifier + u" is still on the server; kept");
    else
        logToSyncLog(u"Failed to confirm deletion of post " + postIdentifier);
    if (auto step = existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(blogDescription))
        step->blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(postIdentifier, nativePostIdentifier,
                                                                                        blogDescription, error);
    if (m_delegate)
        m_delegate->blogServiceIntegratorFailedToConfirmServerSideDeletionOfPostWithIdentifier(*this, postIdentifier, nativePostIdentifier,
                                                                                              blogDescription, error);
}

} // namespace brevanton
