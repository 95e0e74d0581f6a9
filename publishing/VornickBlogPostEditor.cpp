#include "publishing/VornickBlogPostEditor.h"

#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogProject.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/PropertyList.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickErrors.h"

namespace brevanton {

VornickBlogPostEditor::VornickBlogPostEditor(std::shared_ptr<VornickPublishedBlogPost> post)
    : m_post(std::move(post))
{
}

VornickBlogPostEditor::~VornickBlogPostEditor() = default;

bool VornickBlogPostEditor::conflictResolutionUIShown() const
{
    return m_post && m_post->hasPendingPostDescription();
}

bool VornickBlogPostEditor::saveDocumentWithoutUploadingDraftChanges(const SaveFunction& save, Error* outError)
{
    BREVANTON_ASSERT(!m_savingWithoutUploading, "Already saving");
    m_savingWithoutUploading = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset { m_savingWithoutUploading };
    return save(outError);
}

bool VornickBlogPostEditor::shouldUploadChangesOnSave() const
{
    // A save made while the server's version waits would send the local one
    // over it before the user chose.
    return !m_savingWithoutUploading && !conflictResolutionUIShown();
}

void VornickBlogPostEditor::updatePostDatesForEdit()
{
    m_post->setValueForKey(Value(Date::now()), u"dateLastEditedLocally");
    m_post->setHasEditsNotYetSavedToSourceFile(true);
}

VornickBlogPostEditor::PublishState VornickBlogPostEditor::publishState() const
{
    return { m_post->objectForKey(u"status"), m_post->publishAtNextSync(), m_post->valueForKey(u"dateLastEditedLocally"),
             m_post->valueForKey(u"dateFirstPublished"), m_post->valueForKey(u"dateLastPublished") };
}

void VornickBlogPostEditor::restorePublishState(const PublishState& state)
{
    if (m_post->objectForKey(u"status") != state.status)
        m_post->setObjectForKey(state.status, u"status");
    m_post->ManagedObject::setValueForKey(Value(state.publishAtNextSync), u"publishAtNextSync");
    m_post->setValueForKey(state.dateLastEditedLocally, u"dateLastEditedLocally");
    m_post->setValueForKey(state.dateFirstPublished, u"dateFirstPublished");
    m_post->setValueForKey(state.dateLastPublished, u"dateLastPublished");
}

void VornickBlogPostEditor::preparePostForPublishing()
{
}

void VornickBlogPostEditor::requestPublicationOfChangesToPost()
{
    m_post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
    m_post->setHasEditsNotYetSavedToSourceFile(true);
}

bool VornickBlogPostEditor::publish(const SaveFunction& save, Error* outError)
{
    // While the server's version waits, the user chooses first.
    if (m_publishing || conflictResolutionUIShown())
        return setError(outError, Error(VornickErrorDomain, VornickPostConflictNotResolvedError,
                                        u"The post has a version from the server waiting beside yours: keep one before publishing."));
    m_publishing = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset { m_publishing };
    PublishState before = publishState();
    bool editedBefore = m_post->hasEditsNotYetSavedToSourceFile();
    preparePostForPublishing();
    // The request goes into the file the save writes: the account's next
    // sync uploads the post.
    requestPublicationOfChangesToPost();
    if (save(outError))
        return true;
    restorePublishState(before);
    m_post->setHasEditsNotYetSavedToSourceFile(editedBefore);
    return false;
}

bool VornickBlogPostEditor::closesAfterPublishing()
{
    return UserDefaults::standard().boolForKey(closeOnPublishDefaultsKey);
}

bool VornickBlogPostEditor::discardLocalVersion(Error* outError)
{
    auto failed = [&](std::u16string reason) {
        VornickGeneralLog(u"** Failed to import changes to \"" + m_post->title() + u"\"");
        return setError(outError, Error(VornickErrorDomain, VornickPostConflictNotResolvedError,
                                        u"The server\u2019s version of \u201C" + m_post->title() + u"\u201D could not be kept: " + reason));
    };
    Value pending = m_post->valueForKey(u"pendingPostDescriptionData");
    if (!pending.isData())
        return true;
    auto description = readPropertyList(pending.data(), nullptr);
    if (!description || !description->isDictionary())
        return failed(u"it cannot be read.");
    auto blog = m_post->objectForKey<VornickPublishedBlog>(u"blog");
    auto project = blog ? std::dynamic_pointer_cast<VornickPublishedBlogProject>(blog->project()) : nullptr;
    if (!project)
        return failed(u"the post\u2019s blog is not open.");
    auto imported = project->integrator().importPostDescription(description->dictionary(), m_post, blog, m_post->sourceFileURL(), false);
    if (!imported)
        return failed(u"it does not fit the post.");
    m_post->discardPendingPostDescriptionDataAndMarkConflictResolved();
    if (auto url = m_post->sourceFileURL(); url && !m_post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, outError))
        return false;
    return true;
}

void VornickBlogPostEditor::discardServerVersion()
{
    m_post->discardPendingPostDescriptionDataAndMarkConflictResolved();
}

bool VornickBlogPostEditor::movePostToTrash(Error* outError)
{
    m_post->ManagedObject::setValueForKey(Value(true), u"inTrash");
    auto url = m_post->sourceFileURL();
    return !url || m_post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, outError);
}

bool VornickBlogPostEditor::revivePost(const SaveFunction& save, Error* outError)
{
    m_post->setValueForKey(Value(), u"identifierUsedByBlogService");
    forgetServerStateOfRevivedPost();
    m_post->setHasEditsNotYetSavedToSourceFile(true);
    return saveDocumentWithoutUploadingDraftChanges(save, outError);
}

} // namespace brevanton
