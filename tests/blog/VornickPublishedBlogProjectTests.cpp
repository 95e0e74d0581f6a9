#include "blog/VornickPublishedBlogProject.h"

#include "tests/blog/BlogModelTestSupport.h"
#include "tests/documents/ProjectIndexTestSupport.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <utime.h>

namespace brevanton {
namespace {

// What the files hold of a blog or post, with its tags' titles and its
// place, keyed by blog folder and file name.
using Snapshot = std::map<std::u16string, Dictionary>;

Snapshot snapshotOfIndex(ManagedObjectContext& context)
{
    Snapshot snapshot;
    auto blogs = vornick_allEntitiesOfKind(context, u"Blog");
    for (auto& object : *blogs) {
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(object);
        Dictionary values = blog->archivalRepresentation()->propertyList();
        values[u"sourceFileModificationDate"] = Value(*blog->sourceFileModificationDate());
        values[u"hasEdits"] = Value(blog->hasEditsNotYetSavedToSourceFile());
        snapshot[blog->blogFolderName() + u"/" + blog->sourceFileName()] = values;
        for (auto& post : blog->posts()) {
            Dictionary postValues = post->archivalRepresentation()->propertyList();
            postValues[u"sourceFileModificationDate"] = Value(*post->sourceFileModificationDate());
            postValues[u"hasEdits"] = Value(post->hasEditsNotYetSavedToSourceFile());
            for (const char16_t* key : { u"dateLastEditedLocally", u"dateFirstPublished", u"dateLastPublished" })
                postValues[key] = post->ManagedObject::valueForKey(key);
            snapshot[blog->blogFolderName() + u"/" + post->sourceFileName()] = postValues;
        }
    }
    return snapshot;
}

class VornickPublishedBlogProjectTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("published-project").value();
    URL projectFile = URL::fileURLWithPath(folder + "/project.brevantontestproject", false);

    std::shared_ptr<TestPublishedBlogProject> makeProjectWithBlogs()
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<TestPublishedBlogProject>(projectFile, &error);
        EXPECT_TRUE(project) << error;
        auto& context = *project->index()->managedObjectContext();
        project->hostingAccount()->setLoginID(u"r\u00e9dacteur");
        for (const char16_t* name : { u"Caf\u00e9 \u65e5\u8a18", u"Second" }) {
            auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(context.insertNewObject(u"Blog"));
            blog->setBlogFolderName(name);
            blog->setSourceFileName(std::u16string(name) + u".brevantonblog");
            blog->setTitle(u"<em>" + std::u16string(name) + u"</em> &amp; more");
            blog->setValueForKey(Value(u"https://blog.example/"), u"browseURLString");
            blog->setValueForKey(Value(std::u16string(name) == u"Second" ? u"2" : u"1"), u"identifierUsedByBlogService");
            blog->setObjectForKey(project->hostingAccount(), u"hostingAccount");
            blog->setHasEditsNotYetSavedToSourceFile(true);
            // The user's snippet set (inside the project's folder) and post template (outside it).
            URL root = project->sourceRootURL();
            EXPECT_TRUE(blog->setFileReferenceFromPropertyList(u"fragmentSetFileReference",
                Value(Dictionary { { u"absoluteURL", Value(root.URLByAppendingPathComponent(u"Mine.brevantonsnippets", false).absoluteString()) } })));
            EXPECT_TRUE(blog->setFileReferenceFromPropertyList(u"singlePostEditingTemplateReference",
                Value(Dictionary { { u"absoluteURL", Value(u"file:///srv/templates/single.html") }, { u"title", Value(u"Single") } })));
            auto tag = context.insertNewObject(u"BlogTag");
            tag->setValueForKey(Value(u"\u00c9t\u00e9"), u"title");
            tag->setObjectForKey(blog, u"blog");
            struct PostSpec {
                const char16_t* title;
                const char16_t* type;
                bool trashed;
                bool queued;
                bool tagged;
            };
            for (auto spec : { PostSpec { u"<b>Bold</b> \u00fcber \U0001F600", u"html", false, false, true },
                               PostSpec { u"Notes", u"Markdown", false, true, false },
                               PostSpec { u"Gone", u"html", true, false, true } }) {
                auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
                EXPECT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
                post->setTitle(spec.title);
                post->setSourceContentType(spec.type);
                post->setSourceContentString(std::u16string(spec.type) == u"Markdown" ? u"# Heading\n\n*em* \u2014 text" : u"<p>caf\u00e9</p>");
                post->setValueForKey(Value(spec.trashed), u"inTrash");
                post->setValueForKey(Value(spec.queued), u"publishAtNextSync");
                post->setValueForKey(Value(Date(1700000000.0)), u"dateFirstPublished");
                post->setValueForKey(Value(Date(1700000100.0)), u"dateLastPublished");
                post->setValueForKey(Value(Date(1700000200.0)), u"dateLastEditedLocally");
                if (spec.tagged)
                    post->addObjectForKey(tag, u"tags");
            }
        }
        return project;
    }

    std::shared_ptr<TestPublishedBlogProject> reopen(bool eraseIndex)
    {
        Error error;
        if (eraseIndex) {
            EXPECT_TRUE(destroyIndexOfProject<TestPublishedBlogProject>(projectFile, &error)) << error;
        }
        auto project = VornickProject::createWithContentsOfProjectFileURL<TestPublishedBlogProject>(projectFile, &error);
        EXPECT_TRUE(project) << error;
        return project;
    }
};

TEST_F(VornickPublishedBlogProjectTests, FilesReindexedIntoAnEmptyStoreGiveTheSameObjects)
{
    Snapshot before;
    {
        auto project = makeProjectWithBlogs();
        Error error;
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        before = snapshotOfIndex(*project->index()->managedObjectContext());
    }
    ASSERT_EQ(before.size(), 8u);
    for (const auto& [name, values] : before) {
        if (name.ends_with(u".brevantonblog")) {
            EXPECT_EQ(values.at(u"snippetSet")[u"relativeURL"], Value(u"Mine.brevantonsnippets")) << toUTF8(name);
            EXPECT_EQ(values.at(u"singlePostEditingTemplate")[u"title"], Value(u"Single")) << toUTF8(name);
        }
    }
    auto project = reopen(true);
    ASSERT_TRUE(project);
    EXPECT_EQ(project->hostingAccount()->loginID(), u"r\u00e9dacteur");
    Snapshot after = snapshotOfIndex(*project->index()->managedObjectContext());
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, values] : before) {
        ASSERT_TRUE(after.count(name)) << toUTF8(name);
        EXPECT_EQ(Value(after[name]), Value(values)) << toUTF8(name);
    }
    auto blogs = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog");
    for (auto& object : *blogs) {
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(object);
        EXPECT_EQ(blog->postsInTrash().size(), 1u);
        EXPECT_EQ(blog->objectsForKey(u"tags").size(), 1u) << "one tag per blog, shared by its posts";
    }
}

TEST_F(VornickPublishedBlogProjectTests, ReopeningReadsOnlyPostFilesNewerThanRecorded)
{
    std::u16string changedName;
    {
        auto project = makeProjectWithBlogs();
        Error error;
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        auto post = std::dynamic_pointer_cast<VornickPublishedBlog>(
                        vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog")->front())
                        ->posts()
                        .front();
        // The file changes behind the index's back: newer, then older than recorded.
        auto archive = post->archivalRepresentation();
        archive->setObject(Value(u"Edited elsewhere"), u"title");
        std::string path = *post->sourceFileURL()->fileSystemPath();
        ASSERT_TRUE(writeFileAtomically(path, *archive->jsonDataReturningErrorIn(&error)));
        struct utimbuf times { 2000000000, 2000000000 };
        ASSERT_EQ(utime(path.c_str(), &times), 0);
        changedName = post->sourceFileName();
        auto other = std::dynamic_pointer_cast<VornickPublishedBlog>(
                         vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog")->front())
                         ->posts()
                         .back();
        auto otherArchive = other->archivalRepresentation();
        otherArchive->setObject(Value(u"Older file"), u"title");
        std::string otherPath = *other->sourceFileURL()->fileSystemPath();
        ASSERT_TRUE(writeFileAtomically(otherPath, *otherArchive->jsonDataReturningErrorIn(&error)));
        struct utimbuf old { 1000000000, 1000000000 };
        ASSERT_EQ(utime(otherPath.c_str(), &old), 0);
    }
    auto project = reopen(false);
    ASSERT_TRUE(project);
    auto posts = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"BlogPost");
    ASSERT_EQ(posts->size(), 6u) << "no post is read twice";
    std::vector<std::u16string> titles;
    for (auto& post : *posts)
        titles.push_back(post->valueForKey(u"title").stringValue());
    EXPECT_EQ(std::count(titles.begin(), titles.end(), u"Edited elsewhere"), 1);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), u"Older file"), 0);
}

TEST_F(VornickPublishedBlogProjectTests, NewPostFilesShareTheBlogsTagsByTitle)
{
    std::string postsFolder;
    Value archiveValue;
    {
        auto project = makeProjectWithBlogs();
        Error error;
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(
            vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog")->front());
        auto post = blog->posts().front();
        postsFolder = std::filesystem::path(*post->sourceFileURL()->fileSystemPath()).parent_path().string();
        // Two new files name the blog's tag and a tag it does not have yet.
        auto archive = post->archivalRepresentation();
        archive->setObject(Value(std::vector<Value> { Value(u"\u00c9t\u00e9"), Value(u"Nouveau") }), u"tags");
        for (const char* name : { "first", "second" }) {
            archive->setObject(Value(toUTF16(name)), u"title");
            ASSERT_TRUE(writeFileAtomically(postsFolder + "/" + name + ".brevantonblogpost", *archive->jsonDataReturningErrorIn(&error)));
        }
    }
    // Read on reopening, and read into a new index.
    for (bool eraseIndex : { false, true }) {
        SCOPED_TRACE(eraseIndex);
        auto project = reopen(eraseIndex);
        ASSERT_TRUE(project);
        auto& context = *project->index()->managedObjectContext();
        std::shared_ptr<VornickPublishedBlog> blog;
        auto blogs = vornick_allEntitiesOfKind(context, u"Blog");
        ASSERT_TRUE(blogs);
        for (auto& object : *blogs) {
            auto candidate = std::dynamic_pointer_cast<VornickPublishedBlog>(object);
            if (candidate->posts().size() == 5)
                blog = candidate;
        }
        ASSERT_TRUE(blog);
        auto tags = blog->objectsForKey(u"tags");
        ASSERT_EQ(tags.size(), 2u) << "one tag of each title";
        for (auto& post : blog->posts()) {
            auto title = post->title();
            if (title != u"first" && title != u"second")
                continue;
            EXPECT_EQ(post->objectsForKey(u"tags").size(), 2u);
            for (auto& tag : post->objectsForKey(u"tags"))
                EXPECT_EQ(tag->objectForKey(u"blog"), blog);
        }
    }
}

TEST_F(VornickPublishedBlogProjectTests, UnreadableFilesAreSkippedAndTheRestIndexed)
{
    {
        auto project = makeProjectWithBlogs();
        Error error;
        ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
    }
    std::string postsFolder = folder + "/blogs/Second/posts";
    ASSERT_TRUE(writeFileAtomically(postsFolder + "/broken.brevantonblogpost", "{ not json"));
    ASSERT_TRUE(writeFileAtomically(postsFolder + "/list.brevantonblogpost", "[1, 2]"));
    ASSERT_TRUE(writeFileAtomically(postsFolder + "/notes.txt", "other"));
    ASSERT_TRUE(createDirectory(folder + "/blogs/No blog file"));
    Error error;
    ASSERT_TRUE(destroyIndexOfProject<TestPublishedBlogProject>(projectFile, &error)) << error;
    VornickLog::generalLog().clear();
    auto project = VornickProject::createWithContentsOfProjectFileURL<TestPublishedBlogProject>(projectFile, &error);
    ASSERT_TRUE(project) << error;
    auto& context = *project->index()->managedObjectContext();
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"Blog")->size(), 2u);
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"BlogPost")->size(), 6u);
    // The files read ahead on a worker are logged as any unreadable file,
    // each once, with the reason.
    std::u16string log = VornickLog::generalLog().text();
    std::u16string postsURL = URL::fileURLWithPath(postsFolder, true).absoluteString();
    std::u16string broken = u"Skipping unreadable file " + postsURL + u"broken.brevantonblogpost: ";
    size_t at = log.find(broken);
    ASSERT_NE(at, std::u16string::npos) << toUTF8(log);
    EXPECT_NE(log.substr(at + broken.size(), log.find(u'\n', at) - at - broken.size()), u"it does not hold a dictionary");
    EXPECT_EQ(log.find(broken, at + 1), std::u16string::npos);
    std::u16string list = u"Skipping unreadable file " + postsURL + u"list.brevantonblogpost: it does not hold a dictionary\n";
    at = log.find(list);
    EXPECT_NE(at, std::u16string::npos) << toUTF8(log);
    EXPECT_EQ(log.find(list, at + 1), std::u16string::npos);
    EXPECT_EQ(log.find(u"notes.txt"), std::u16string::npos);
}

TEST_F(VornickPublishedBlogProjectTests, SyncLogIsAFileOfTheProjectInTheCachesSharedWithTheIntegrator)
{
    auto project = makeProjectWithBlogs();
    Error error;
    auto other = VornickProject::createWithNewProjectFileURL<TestPublishedBlogProject>(
        URL::fileURLWithPath(folder + "/other/other.brevantontestproject", false), &error);
    ASSERT_TRUE(other) << error;

    std::string cacheHome = std::getenv("XDG_CACHE_HOME");
    std::string logs = cacheHome + "/com.Orbendalworks.Brevanton/SyncLogs";
    URL url = project->syncLogURL();
    EXPECT_EQ(url.fileSystemPath(), logs + "/" + toUTF8(project->uniqueIdentifier().UUIDString()) + ".txt");
    EXPECT_TRUE(std::filesystem::is_directory(logs));
    EXPECT_NE(other->syncLogURL(), url);

    auto log = project->syncLog();
    ASSERT_TRUE(log);
    EXPECT_EQ(project->syncLog(), log);
    EXPECT_EQ(log->logFileURL(), url);
    EXPECT_NE(other->syncLog(), log);
    EXPECT_EQ(project->integrator().syncLog(), log);

    // When the folder cannot be made the address is still answered.
    std::string blocked = folder + "/blocked";
    ASSERT_TRUE(writeFileAtomically(blocked, "a file, not a folder"));
    setenv("XDG_CACHE_HOME", blocked.c_str(), 1);
    URL unreachable = other->syncLogURL();
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    EXPECT_EQ(unreachable.fileSystemPath(),
              blocked + "/com.Orbendalworks.Brevanton/SyncLogs/" + toUTF8(other->uniqueIdentifier().UUIDString()) + ".txt");
}

TEST_F(VornickPublishedBlogProjectTests, WatchedProjectReadsPostFilesChangedOrAddedInItsFolder)
{
    auto project = makeProjectWithBlogs();
    Error error;
    ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
    ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
    auto& context = *project->index()->managedObjectContext();
    auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(vornick_allEntitiesOfKind(context, u"Blog")->front());
    auto post = blog->posts().front();
    int finished = 0;
    ObserverToken observer = NotificationCenter::defaultCenter().addObserver(
        VornickProjectIndexDidFinishUpdatingNotification, static_cast<VornickProject*>(project.get()), nullptr, [&](const Notification&) { ++finished; });
    ASSERT_TRUE(project->startWatchingSourceFolder(&error)) << error;
    EXPECT_TRUE(project->isWatchingSourceFolder());

    // Another program edits one post file and adds one.
    auto archive = post->archivalRepresentation();
    archive->setObject(Value(u"Edited elsewhere"), u"title");
    std::string path = *post->sourceFileURL()->fileSystemPath();
    ASSERT_TRUE(writeFileAtomically(path, *archive->jsonDataReturningErrorIn(&error)));
    struct utimbuf later { 2000000000, 2000000000 };
    ASSERT_EQ(utime(path.c_str(), &later), 0);
    archive->setObject(Value(u"Arrived"), u"title");
    archive->setObject(Value(u"900"), u"identifierUsedByBlogService");
    std::string added = std::filesystem::path(path).parent_path().string() + "/arrived.brevantonblogpost";
    ASSERT_TRUE(writeFileAtomically(added, *archive->jsonDataReturningErrorIn(&error)));

    auto titles = [&] {
        std::vector<std::u16string> titles;
        for (auto& each : blog->posts())
            titles.push_back(each->title());
        return titles;
    };
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            auto now = titles();
            return std::count(now.begin(), now.end(), u"Arrived") == 1 && post->title() == u"Edited elsewhere";
        },
        30));
    EXPECT_EQ(blog->posts().size(), 4u);
    EXPECT_FALSE(project->index()->managedObjectContext()->hasChanges()) << "what was read is saved";
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return finished >= 1; }, 30));

    project->stopWatchingSourceFolder();
    EXPECT_FALSE(project->isWatchingSourceFolder());
    archive->setObject(Value(u"Unheard"), u"title");
    ASSERT_TRUE(writeFileAtomically(added, *archive->jsonDataReturningErrorIn(&error)));
    struct utimbuf latest { 2100000000, 2100000000 };
    ASSERT_EQ(utime(added.c_str(), &latest), 0);
    RunLoop::main().runFor(1.5);
    auto after = titles();
    EXPECT_EQ(std::count(after.begin(), after.end(), u"Unheard"), 0);
}

} // namespace
} // namespace brevanton
