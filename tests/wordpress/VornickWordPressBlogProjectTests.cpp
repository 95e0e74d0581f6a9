#include "wordpress/VornickWordPressBlogProject.h"

#include "tests/documents/ProjectIndexTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickFileSnapshot.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <gtest/gtest.h>

#include <map>

namespace brevanton {
namespace {

// Every blog, post, page and media item as its file would hold it, with the
// file's date and the unsaved-edits flag, by its place.
std::map<std::u16string, Value> describeIndex(ManagedObjectContext& context)
{
    std::map<std::u16string, Value> objects;
    auto describe = [&](const VornickProjectComponent& component) {
        Dictionary values = component.archivalRepresentation()->propertyList();
        values[u"sourceFileModificationDate"] = component.sourceFileModificationDate() ? Value(*component.sourceFileModificationDate()) : Value();
        values[u"hasEdits"] = Value(component.hasEditsNotYetSavedToSourceFile());
        objects[component.sourceFileURL()->absoluteString()] = Value(values);
    };
    auto blogs = vornick_allEntitiesOfKind(context, u"Blog");
    for (auto& object : *blogs) {
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(object);
        describe(*blog);
        for (auto& post : blog->posts())
            describe(*post);
        for (auto& item : blog->mediaItems())
            describe(*std::dynamic_pointer_cast<VornickWordPressMediaItem>(item));
    }
    return objects;
}

class VornickWordPressBlogProjectTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("wordpress-project").value();
    URL projectFile = URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false);

    std::shared_ptr<ManagedObject> term(ManagedObjectContext& context, const std::shared_ptr<ManagedObject>& blog, const char16_t* entity,
                                        const char16_t* identifierKey, const char16_t* identifier, const char16_t* title)
    {
        auto object = context.insertNewObject(entity);
        object->setValueForKey(Value(identifier), identifierKey);
        object->setValueForKey(Value(title), u"title");
        object->setObjectForKey(blog, u"blog");
        return object;
    }

    void makeProject()
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(projectFile, &error);
        ASSERT_TRUE(project) << error;
        auto& context = *project->index()->managedObjectContext();
        auto account = project->wordPressAccount();
        account->setLoginID(u"\u00e9diteur");
        account->setRootURLString(u"https://site.example");
        account->setMaxRequestCount(4);

        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(u"Caf\u00e9");
        blog->setSourceFileName(u"Caf\u00e9.brevantonwordpressblog");
        blog->setTitle(u"<b>Caf\u00e9</b> &amp; \u65e5\u8a18");
        blog->setObjectForKey(account, u"hostingAccount");
        blog->setHasEditsNotYetSavedToSourceFile(true);
        for (auto [key, value] : { std::pair { u"identifierUsedByBlogService", Value(u"77") },
                                   { u"browseURLString", Value(u"https://site.example/") }, { u"allowComments", Value(true) },
                                   { u"allowPings", Value(false) }, { u"themeIdentifier", Value(u"twentytwenty") },
                                   { u"wordPressDateFormat", Value(u"F j, Y") }, { u"wordPressTimeZone", Value(-5.5) } })
            blog->setValueForKey(value, key);
        auto standard = term(context, blog, u"PostFormat", u"identifier", u"standard", u"Standard");
        term(context, blog, u"PostFormat", u"identifier", u"aside", u"Aside");
        auto draft = term(context, blog, u"PostStatus", u"identifier", u"draft", u"Draft");
        auto publish = term(context, blog, u"PostStatus", u"identifier", u"publish", u"Published");
        auto travel = term(context, blog, u"BlogCategory", u"identifierUsedByBlogService", u"10", u"Travel");
        auto alps = term(context, blog, u"BlogCategory", u"identifierUsedByBlogService", u"9", u"Alpes \u00e9t\u00e9");
        alps->setObjectForKey(travel, u"parentCategory");
        alps->setValueForKey(Value(u"Mountains"), u"explanation");
        auto tag = term(context, blog, u"BlogTag", u"identifierUsedByBlogService", u"100", u"\u00dcber");

        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
        item->setObjectForKey(blog, u"blog");
        item->setSourceFileName(u"photo.brevantonwordpressmediaitem");
        item->setHasEditsNotYetSavedToSourceFile(true);
        item->setValueForKey(Value(u"42"), u"identifierUsedByBlogService");
        item->setValueForKey(Value(u"https://site.example/uploads/photo.jpg"), u"remoteURLString");
        item->setValueForKey(Value(640), u"pixelsWide");
        item->setValueForKey(Value(Date(1700000000.0)), u"dateCreated");
        auto variant = context.insertNewObject(u"MediaItemVariant");
        variant->setValueForKey(Value(u"thumbnail"), u"variantName");
        variant->setValueForKey(Value(u"photo-150x150.jpg"), u"filename");
        variant->setValueForKey(Value(150), u"pixelsHigh");
        variant->setObjectForKey(item, u"mediaItem");

        struct Spec {
            const char16_t* title;
            bool page;
            const char16_t* type;
            bool trashed;
            bool queued;
        };
        for (auto spec : { Spec { u"<i>Hello</i> \U0001F600", false, u"html", false, false },
                           Spec { u"Notes \u2014 Markdown", false, u"Markdown", false, true },
                           Spec { u"Thrown away", false, u"html", true, false }, Spec { u"About", true, u"html", false, false } }) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(context.insertNewObject(u"BlogPost"));
            ASSERT_TRUE(spec.page ? post->prepareNewPageAndAssociateWithBlog(blog) : post->prepareNewPostAndAssociateWithBlog(blog));
            post->setTitle(spec.title);
            post->setSourceContentType(spec.type);
            post->setValueForKey(Value(spec.trashed), u"inTrash");
            post->setValueForKey(Value(spec.queued), u"publishAtNextSync");
            post->setValueForKey(Value(Date(1700000200.0)), u"dateLastEditedLocally");
            if (!spec.page && !spec.queued) {
                post->setObjectsForKey({ alps, travel }, u"categories");
                post->setObjectsForKey({ tag }, u"tags");
                post->setObjectForKey(publish, u"status");
                post->setObjectForKey(item, u"featuredImageMediaItem");
                post->setValueForKey(Value(u"https://site.example/hello/"), u"permalinkURLString");
            } else {
                post->setObjectsForKey({}, u"categories");
            }
        }
        EXPECT_EQ(draft->countForKey(u"posts"), 2u);
        EXPECT_EQ(standard->countForKey(u"posts"), 4u);
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        before = describeIndex(context);
    }

    std::map<std::u16string, Value> before;
};

TEST_F(VornickWordPressBlogProjectTests, EveryKindOfObjectComesBackFromTheFiles)
{
    makeProject();
    ASSERT_EQ(before.size(), 6u);
    Error error;
    ASSERT_TRUE(destroyIndexOfProject<VornickWordPressBlogProject>(projectFile, &error)) << error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(projectFile, &error);
    ASSERT_TRUE(project) << error;
    auto after = describeIndex(*project->index()->managedObjectContext());
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [place, values] : before)
        EXPECT_EQ(after[place], values) << toUTF8(place);

    auto account = project->wordPressAccount();
    EXPECT_EQ(account->loginID(), u"\u00e9diteur");
    EXPECT_EQ(account->maxRequestCount(), 4);
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog")->front());
    EXPECT_EQ(blog->postsOnly().size(), 3u);
    EXPECT_EQ(blog->pagesOnly().size(), 1u);
    EXPECT_EQ(blog->postsInTrash().size(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<VornickWordPressMediaItem>(blog->mediaItems().front())->variantWithName(u"thumbnail")
                  ->valueForKey(u"pixelsHigh"), Value(150));
}

TEST_F(VornickWordPressBlogProjectTests, AReadBlogFileDropsTermsItNoLongerHolds)
{
    makeProject();
    std::string blogFile = folder + "/blogs/Caf\u00e9/Caf\u00e9.brevantonwordpressblog";
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(std::string_view(blogFile), false), &error);
    ASSERT_TRUE(archive) << error;
    archive->setObject(Value(Array()), u"categories");
    archive->setObject(Value(Dictionary()), u"postFormats");
    ASSERT_TRUE(writeFileAtomically(blogFile, *archive->jsonDataReturningErrorIn(&error)));
    auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(projectFile, &error);
    ASSERT_TRUE(project) << error;
    auto& integrator = project->integrator();
    auto blog = integrator.importBlogDescription(
        VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(std::string_view(blogFile), false), &error)->propertyList(),
        nullptr, URL::fileURLWithPath(std::string_view(blogFile), false));
    ASSERT_TRUE(blog);
    EXPECT_EQ(blog->countForKey(u"categories"), 0u);
    EXPECT_EQ(blog->countForKey(u"postFormats"), 0u);
    EXPECT_EQ(blog->countForKey(u"postStatuses"), 2u);
    EXPECT_EQ(blog->countForKey(u"tags"), 1u);
}

TEST_F(VornickWordPressBlogProjectTests, FilesToIndexAreCountedByFolder)
{
    makeProject();
    auto tree = VornickFileSnapshot::createSnapshotOfTreeAtURL(URL::fileURLWithPath(folder + "/blogs", true));
    ASSERT_TRUE(createDirectory(folder + "/blogs/Caf\u00e9/templates"));
    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(projectFile, &error);
    ASSERT_TRUE(project) << error;
    // One blog folder (2), "posts" with 3 files (4), "pages" with 1 (2), "media" with 1 (2).
    EXPECT_EQ(project->computeNumberOfFilesToIndexFromBlogsDirectorySnapshot(*tree), 10u);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

TEST(VornickWordPressShoeboxTests, NewAccountProjectsGetFoldersOfTheirOwn)
{
    Error error;
    auto first = VornickWordPressBlogProject::createShoeboxedWordPressBlogProject(&error);
    ASSERT_TRUE(first) << error;
    auto second = VornickWordPressBlogProject::createShoeboxedWordPressBlogProject(&error);
    ASSERT_TRUE(second) << error;
    EXPECT_NE(first->sourceRootURL().absoluteString(), second->sourceRootURL().absoluteString());
    for (auto& project : { first, second }) {
        EXPECT_EQ(project->projectFileURL().lastPathComponent(), u"project.brevantonwordpressproject");
        EXPECT_TRUE(fileExists(*project->projectFileURL().fileSystemPath())) << "saved at once";
        EXPECT_EQ(project->projectFileURL().URLByDeletingLastPathComponent().URLByDeletingLastPathComponent().lastPathComponent(),
                  u"CMSAccounts");
        EXPECT_EQ(project->wordPressAccount()->useXMLRPC(), false);
    }
}

} // namespace
} // namespace brevanton
