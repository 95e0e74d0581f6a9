// The post editor's rules on a WordPress post of a project made on disk:
// which dates follow an edit, when a save uploads, what Publish does and
// undoes when the save fails, and the statuses the pop-up offers.
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/PropertyList.h"
#include "toolkit/VornickObjectArchive.h"
#include "platform/foundation/Text.h"
#include "platform/store/ArrayController.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "toolkit/VornickErrors.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class WordPressBlogPostEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = createTemporaryDirectory("post-editor").value();
        auto path = makeSyncedLikeWordPressProject(folder);
        ASSERT_TRUE(path);
        Error error;
        project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        post = project->postWithFilePath(*path);
        ASSERT_TRUE(post);
        context = project->index()->managedObjectContext().get();
        editor = std::make_unique<VornickWordPressBlogPostEditor>(post);
    }
    void TearDown() override
    {
        editor.reset();
        std::filesystem::remove_all(folder);
    }

    std::shared_ptr<ManagedObject> status(const std::u16string& identifier, const std::u16string& title = {})
    {
        for (auto& existing : post->blog()->objectsForKey(u"postStatuses")) {
            if (existing->valueForKey(u"identifier").stringValue() == identifier)
                return existing;
        }
        auto made = context->insertNewObject(u"PostStatus");
        made->setValueForKey(Value(identifier), u"identifier");
        made->setValueForKey(Value(title.empty() ? identifier : title), u"title");
        made->setObjectForKey(post->blog(), u"blog");
        return made;
    }
    void setStatus(const std::u16string& identifier) { post->setObjectForKey(identifier.empty() ? nullptr : status(identifier), u"status"); }
    std::u16string statusIdentifier() const
    {
        auto current = post->objectForKey(u"status");
        return current ? current->valueForKey(u"identifier").stringValue() : std::u16string();
    }

    std::string folder;
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlogPost> post;
    ManagedObjectContext* context { nullptr };
    std::unique_ptr<VornickWordPressBlogPostEditor> editor;
};

TEST_F(WordPressBlogPostEditor, OnlyPostsNotYetOutCarryTheirLastEditAsTheirDate)
{
    Date scheduled = Date(2000000000);
    for (const std::u16string identifier : { u"", u"draft", u"Pending", u"auto-draft", u"future", u"private", u"publish" }) {
        setStatus(identifier);
        post->setValueForKey(Value(scheduled), u"dateFirstPublished");
        post->setValueForKey(Value(scheduled), u"dateLastPublished");
        post->setHasEditsNotYetSavedToSourceFile(false);
        editor->updatePostDatesForEdit();
        EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
        Value edited = post->valueForKey(u"dateLastEditedLocally");
        bool follows = identifier.empty() || identifier == u"draft" || identifier == u"Pending" || identifier == u"auto-draft";
        EXPECT_EQ(post->valueForKey(u"dateFirstPublished") == edited, follows) << toUTF8(identifier);
        EXPECT_EQ(post->valueForKey(u"dateFirstPublished") == Value(scheduled), !follows) << toUTF8(identifier);
        // The server's last change stays the baseline a sync compares its copy with.
        EXPECT_EQ(post->valueForKey(u"dateLastPublished"), Value(scheduled)) << toUTF8(identifier);
    }
}

TEST_F(WordPressBlogPostEditor, SavesUploadDraftsButNotLivePostsNorWhileAServerVersionWaitsNorWhenHeldBack)
{
    setStatus(u"draft");
    EXPECT_TRUE(editor->shouldUploadChangesOnSave());
    bool uploadsInside = true;
    Error error;
    EXPECT_TRUE(editor->saveDocumentWithoutUploadingDraftChanges([&](Error*) {
        uploadsInside = editor->shouldUploadChangesOnSave();
        EXPECT_THROW(static_cast<void>(editor->saveDocumentWithoutUploadingDraftChanges([](Error*) { return true; }, nullptr)),
                     InternalInconsistencyException);
        return true;
    }, &error));
    EXPECT_FALSE(uploadsInside);
    EXPECT_TRUE(editor->shouldUploadChangesOnSave());

    post->setValueForKey(Value(Data { '<', '?' }), u"pendingPostDescriptionData");
    EXPECT_TRUE(editor->conflictResolutionUIShown());
    EXPECT_FALSE(editor->shouldUploadChangesOnSave());
    post->setValueForKey(Value(), u"pendingPostDescriptionData");

    setStatus(u"publish");
    post->setValueForKey(Value(u"12"), u"identifierUsedByBlogService");
    EXPECT_FALSE(editor->shouldUploadChangesOnSave());
}

TEST_F(WordPressBlogPostEditor, PublishSetsThePublishStatusOnADraftOrAPostWithoutOneMakingItWhenTheBlogLacksIt)
{
    for (const std::u16string identifier : { u"", u"draft" }) {
        setStatus(identifier);
        post->ManagedObject::setValueForKey(Value(false), u"publishAtNextSync");
        int saves = 0;
        Error error;
        EXPECT_TRUE(editor->publish([&](Error*) { ++saves; return true; }, &error)) << error;
        EXPECT_EQ(saves, 1);
        EXPECT_EQ(statusIdentifier(), u"publish") << toUTF8(identifier);
        EXPECT_TRUE(post->publishAtNextSync());
    }
    // One "publish" status made for the blog, then used again.
    size_t publishStatuses = 0;
    for (auto& existing : post->blog()->objectsForKey(u"postStatuses"))
        publishStatuses += existing->valueForKey(u"identifier").stringValue() == u"publish";
    EXPECT_EQ(publishStatuses, 1u);

    setStatus(u"pending");
    EXPECT_TRUE(editor->publish([](Error*) { return true; }, nullptr));
    EXPECT_EQ(statusIdentifier(), u"pending");
}

TEST_F(WordPressBlogPostEditor, AFailedSaveLeavesThePostAsItWasAndPublishWaitsForAConflictToBeResolved)
{
    setStatus(u"draft");
    Date old = Date(1600000000);
    post->setValueForKey(Value(old), u"dateLastPublished");
    post->ManagedObject::setValueForKey(Value(false), u"publishAtNextSync");
    post->setHasEditsNotYetSavedToSourceFile(false);
    Error error;
    EXPECT_FALSE(editor->publish([](Error* outError) { return setError(outError, Error(VornickErrorDomain, 1, u"disk full")); }, &error));
    EXPECT_EQ(error.localizedDescription(), u"disk full");
    EXPECT_EQ(statusIdentifier(), u"draft");
    EXPECT_FALSE(post->publishAtNextSync());
    EXPECT_EQ(post->valueForKey(u"dateLastPublished"), Value(old));
    EXPECT_FALSE(post->hasEditsNotYetSavedToSourceFile());

    post->setValueForKey(Value(Data { 1 }), u"pendingPostDescriptionData");
    bool saved = false;
    EXPECT_FALSE(editor->publish([&](Error*) { saved = true; return true; }, &error));
    EXPECT_FALSE(saved);
    EXPECT_EQ(error.code(), VornickPostConflictNotResolvedError);
    EXPECT_FALSE(post->publishAtNextSync());
}

TEST_F(WordPressBlogPostEditor, TheStatusesOfferedAreTheBlogsByTitleWithoutAutoDraft)
{
    status(u"publish", u"Published");
    status(u"auto-draft", u"Auto Draft");
    status(u"draft", u"Draft");
    status(u"pending", u"Pending Review");
    editor->postStatusesArrayController()->rearrangeObjects();
    std::vector<std::u16string> titles;
    for (auto& offered : editor->postStatusesArrayController()->arrangedObjects())
        titles.push_back(offered->valueForKey(u"title").stringValue());
    EXPECT_EQ(titles, (std::vector<std::u16string> { u"Draft", u"Pending Review", u"Published" }));
}

// Keeping one version of an open conflict, and the answers to a post the
// server deleted.
class WordPressBlogPostEditorVersions : public WordPressBlogPostEditor {
protected:
    void pend(const Value& description)
    {
        auto data = writePropertyList(description, PropertyListFormat::Binary, nullptr);
        ASSERT_TRUE(data);
        post->ManagedObject::setValueForKey(Value(std::move(*data)), u"pendingPostDescriptionData");
    }
    Value fileValue(const char16_t* key) const
    {
        auto archive = VornickObjectArchive::createWithContentsOfURL(*post->sourceFileURL(), nullptr);
        const Value* value = archive ? archive->objectForKey(key) : nullptr;
        return value ? *value : Value();
    }
};

TEST_F(WordPressBlogPostEditorVersions, KeepingTheServerVersionImportsItBeforeTheConflictEndsAndAFailedImportKeepsItWaiting)
{
    // Not a description: nothing is resolved, the reason comes back.
    pend(Value(u"not a post"));
    Error error;
    EXPECT_FALSE(editor->discardLocalVersion(&error));
    EXPECT_EQ(error.code(), VornickPostConflictNotResolvedError);
    EXPECT_TRUE(editor->conflictResolutionUIShown());

    Dictionary server { { u"identifierUsedByBlogService", Value(u"12") }, { u"title", Value(u"From the server") },
                        { u"sourceContentString", Value(u"<p>Server text</p>") }, { u"sourceContentType", Value(u"html") },
                        { u"status", Value(u"publish") }, { u"type", Value(u"post") },
                        { u"dateFirstPublished", Value(Date(700000000.0)) }, { u"dateLastPublished", Value(Date(700000000.0)) } };
    pend(Value(server));
    EXPECT_TRUE(editor->discardLocalVersion(&error)) << error;
    EXPECT_FALSE(editor->conflictResolutionUIShown());
    EXPECT_EQ(post->title(), u"From the server");
    EXPECT_EQ(post->valueForKey(u"dateConflictLastResolvedWithServer"), Value(Date(700000000.0)));
    EXPECT_EQ(fileValue(u"title").stringValue(), u"From the server");
}

TEST_F(WordPressBlogPostEditorVersions, KeepingTheLocalVersionDropsTheServersAndMarksThePostEdited)
{
    pend(Value(Dictionary { { u"title", Value(u"Theirs") }, { u"dateLastPublished", Value(Date(800000000.0)) } }));
    post->setHasEditsNotYetSavedToSourceFile(false);
    editor->discardServerVersion();
    EXPECT_FALSE(editor->conflictResolutionUIShown());
    EXPECT_EQ(post->title(), u"Hello <em>world</em>");
    EXPECT_TRUE(post->hasEditsNotYetSavedToSourceFile());
    EXPECT_EQ(post->valueForKey(u"dateConflictLastResolvedWithServer"), Value(Date(800000000.0)));
}

TEST_F(WordPressBlogPostEditorVersions, ARevivedPostIsADraftNeverSentAndFailedWritesAreReported)
{
    setStatus(u"publish");
    status(u"draft");
    post->setValueForKey(Value(u"12"), u"identifierUsedByBlogService");
    post->setValueForKey(Value(u"https://site.example/hello/"), u"permalinkURLString");
    post->setValueForKey(Value(Date(700000000.0)), u"dateFirstPublished");
    post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
    bool uploading = true;
    Error error;
    EXPECT_FALSE(editor->revivePost([&](Error* outError) {
        uploading = editor->shouldUploadChangesOnSave();
        return setError(outError, Error(VornickErrorDomain, 1, u"disk full"));
    }, &error));
    EXPECT_EQ(error.localizedDescription(), u"disk full");
    EXPECT_FALSE(uploading);
    EXPECT_EQ(statusIdentifier(), u"draft");
    EXPECT_TRUE(post->valueForKey(u"identifierUsedByBlogService").isNull());
    EXPECT_FALSE(editor->postPermalinkURL());
    EXPECT_TRUE(post->valueForKey(u"dateFirstPublished").isNull());
    EXPECT_FALSE(post->publishAtNextSync());

    ASSERT_TRUE(editor->movePostToTrash(&error)) << error;
    EXPECT_TRUE(fileValue(u"inTrash").boolValue());
    // A file in the way of the post's folder: the write fails and says so.
    auto folderPath = std::filesystem::path(*post->sourceFileURL()->fileSystemPath()).parent_path();
    std::filesystem::remove_all(folderPath);
    std::ofstream(folderPath.string(), std::ios::binary) << "in the way";
    EXPECT_FALSE(editor->movePostToTrash(&error));
    EXPECT_FALSE(error.localizedDescription().empty());
}

} // namespace
} // namespace brevanton
