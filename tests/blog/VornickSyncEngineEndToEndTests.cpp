// The sync engine run whole by a project's synchronizer over the fake agent:
// what a sync that finds nothing new costs, and what survives a process
// killed in the middle of a sync session.
#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStepState.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLResponse.h"
#include "platform/store/ManagedObjectContext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brevanton {
namespace {

using Kind = FakeBlogServiceAgent::RequestKind;
using Behavior = FakeBlogServiceAgent::Behavior;

const std::u16string ImageURL = u"https://site.example/wp-content/uploads/photo.png";

// Every file below the folder with its size and modification time, leaving
// out the index and the sync log.
std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> filesBelow(const std::string& folder, const std::string& indexPath)
{
    std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> files;
    for (auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string path = entry.path().string();
        if (!entry.is_regular_file() || path.starts_with(indexPath) || path.ends_with(".log"))
            continue;
        files[path] = { entry.file_size(), entry.last_write_time() };
    }
    return files;
}

class VornickSyncEngineEndToEndTests : public SyncEngineTest {
protected:
    VornickSyncEngineEndToEndTests() { RunLoop::main().useManualClock(); }
    ~VornickSyncEngineEndToEndTests() override { RunLoop::main().useRealClock(); }

    // Queues a manual sync and runs the main queue until the session ends.
    std::shared_ptr<VornickBlogServiceSyncSession> syncToTheEnd()
    {
        auto& synchronizer = project->synchronizer();
        EXPECT_TRUE(synchronizer.queueManualSync());
        auto session = synchronizer.currentSyncSession();
        drain();
        EXPECT_FALSE(synchronizer.currentSyncSession()) << "the session is still running";
        return session;
    }
};

TEST_F(VornickSyncEngineEndToEndTests, ASyncThatFindsNothingNewListsThePostsAndChangesNothing)
{
    // A REST account whose endpoint is known.
    project->fakeAccount().setAccountValue(u"effectiveProtocolType", Value(2));
    project->fakeAccount().setAccountValue(u"rootURLString", Value(u"https://site.example/"));
    project->fakeAccount().setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
    site.addBlog(u"7", u"Seven");
    for (int index = 0; index < 120; ++index) {
        std::u16string identifier = site.addPost(u"7", u"Post " + toUTF16(std::to_string(index)));
        if (index % 10 == 0)
            site.post(identifier)->content += u"<img src=\"" + ImageURL + u"\">";
    }
    std::vector<std::shared_ptr<FakeBlogServiceAgent>> agents;
    integrator.prepareAgent = [&](FakeBlogServiceAgent& agent) {
        agent.setResource(ImageURL, 200, "PNG");
        agents.push_back(std::static_pointer_cast<FakeBlogServiceAgent>(agent.shared_from_this()));
    };
    auto first = syncToTheEnd();
    ASSERT_EQ(first->state(), VornickSyncStepState::Completed);
    ASSERT_FALSE(agents.empty());
    EXPECT_EQ(agents.back()->loadedURLs(), std::vector<std::u16string> { ImageURL }) << "referenced twelve times, fetched once";
    agents.clear();
    auto blog = storedBlog(u"7");
    ASSERT_TRUE(blog);
    ASSERT_EQ(blog->postsOnly().size(), 120u);
    ASSERT_TRUE(blog->webResourceCache()->cachedSourceURLs().contains(VornickWebResourceCache::cacheKeyForURL(*URL::create(ImageURL))));

    auto filesBefore = filesBelow(folder, project->index()->filePath());
    int saves = 0;
    ObserverToken saved = NotificationCenter::defaultCenter().addObserver(ManagedObjectContextDidSaveNotification, nullptr, nullptr,
        [&](const Notification&) { ++saves; });
    RunLoop::main().advanceClock(3600);
    auto second = syncToTheEnd();
    EXPECT_EQ(second->state(), VornickSyncStepState::Completed);
    ASSERT_FALSE(agents.empty());
    std::string requests;
    size_t loads = 0;
    for (auto& agent : agents) {
        requests += agent->requestSummary();
        loads += agent->loadedURLs().size();
    }
    EXPECT_EQ(requests, "blogs posts@0 posts@50 posts@100");
    EXPECT_EQ(loads, 0u) << "the image is cached";
    EXPECT_EQ(saves, 0) << "nothing changed, nothing saved";
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(filesBelow(folder, project->index()->filePath()), filesBefore) << "no file written";
}

// The child: edits and publishes posts, each saved before it reports the
// edit's number through `reportFD`, while the upload session runs with its
// sends unanswered; it runs until it is killed.
[[noreturn]] void publishUntilKilled(const URL& projectFile, std::shared_ptr<FakeBlogSite> site, int reportFD, int firstNumber)
{
    Error error;
    auto project = VornickProject::createWithContentsOfProjectFileURL<FakeAgentBlogProject>(projectFile, &error);
    if (!project) {
        std::fprintf(stderr, "the child cannot open the project: %s\n", toUTF8(error.localizedDescription()).c_str());
        _exit(2);
    }
    auto& integrator = project->fakeIntegrator();
    integrator.site = site;
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::SendPostChanges, Behavior::NoAnswer); };
    AccountEditorStandIn editor(*project);
    auto blog = integrator.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"7") } });
    if (!blog)
        _exit(3);
    auto posts = blog->postsOnly();
    std::mt19937 random(static_cast<unsigned>(firstNumber));
    for (int number = firstNumber;; ++number) {
        auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(posts[random() % posts.size()]);
        post->setSourceContentString(u"L" + toUTF16(std::to_string(number)));
        post->ManagedObject::setValueForKey(Value(Date::now().addingTimeInterval(5)), u"dateLastEditedLocally");
        post->setHasEditsNotYetSavedToSourceFile(true);
        if (!post->writePostToURL(*post->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)
            || !integrator.commitAndSaveChangesInManagedObjectContext(*project->index()->managedObjectContext(), &error)) {
            std::fprintf(stderr, "the child cannot save: %s\n", toUTF8(error.localizedDescription()).c_str());
            _exit(4);
        }
        if (!project->synchronizer().queueSyncToUploadPost(*post))
            _exit(5);
        SyncStepStatusRecorder::drainMainQueue();
        if (write(reportFD, &number, sizeof number) != sizeof number)
            _exit(6);
    }
}

// A project the test closes and opens again, with the site kept aside.
class VornickSyncEngineKillTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("sync-kill").value();
    URL projectFile = URL::fileURLWithPath(folder + "/project.brevantontestproject", false);
    std::shared_ptr<FakeBlogSite> sharedSite = std::make_shared<FakeBlogSite>();
    std::shared_ptr<VornickLog> log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
    std::shared_ptr<FakeAgentBlogProject> project;
    std::unique_ptr<AccountEditorStandIn> editor;

    VornickSyncEngineKillTests() { RunLoop::main().useManualClock(); }
    ~VornickSyncEngineKillTests() override
    {
        editor.reset();
        project.reset();
        SyncStepStatusRecorder::drainMainQueue();
        RunLoop::main().useRealClock();
        (void)removeItem(folder);
    }
    static void drain() { SyncStepStatusRecorder::drainMainQueue(); }
    std::string logText() const { return toUTF8(log->text()); }

    void attach()
    {
        project->fakeIntegrator().site = sharedSite;
        project->fakeIntegrator().setSyncLog(log);
        editor = std::make_unique<AccountEditorStandIn>(*project);
    }
    std::shared_ptr<VornickBlogServiceSyncSession> syncToTheEnd()
    {
        auto& synchronizer = project->synchronizer();
        EXPECT_TRUE(synchronizer.queueManualSync());
        auto session = synchronizer.currentSyncSession();
        drain();
        EXPECT_FALSE(synchronizer.currentSyncSession()) << "the session is still running";
        return session;
    }
};

TEST_F(VornickSyncEngineKillTests, AProcessKilledInASyncLosesNothingSavedAndTheNextSyncUploadsWhatWasQueued)
{
    Error error;
    project = VornickProject::createWithNewProjectFileURL<FakeAgentBlogProject>(projectFile, &error);
    ASSERT_TRUE(project) << error;
    project->fakeAccount().setLoginID(u"writer");
    ASSERT_TRUE(project->save(&error) && project->index()->commitEditingAndSave(&error)) << error;
    attach();
    sharedSite->addBlog(u"7", u"Seven");
    for (int index = 0; index < 8; ++index)
        sharedSite->addPost(u"7", u"Post " + toUTF16(std::to_string(index)));
    ASSERT_EQ(syncToTheEnd()->state(), VornickSyncStepState::Completed);

    std::mt19937 random(2026);
    for (int kill = 0; kill < 6; ++kill) {
        // The parent lets go of the index before the child opens it.
        editor.reset();
        project.reset();
        drain();
        int pipeFDs[2];
        ASSERT_EQ(pipe(pipeFDs), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFDs[0]);
            publishUntilKilled(projectFile, sharedSite, pipeFDs[1], 1000 * (kill + 1));
        }
        close(pipeFDs[1]);
        // Killed once it has reported a few saved edits, at a random moment after.
        int number = 0;
        std::vector<int> reported;
        while (reported.size() < 3 && read(pipeFDs[0], &number, sizeof number) == sizeof number)
            reported.push_back(number);
        usleep(std::uniform_int_distribution<int>(0, 20000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << WEXITSTATUS(status);
        while (read(pipeFDs[0], &number, sizeof number) == sizeof number)
            reported.push_back(number);
        close(pipeFDs[0]);
        ASSERT_GE(reported.size(), 3u);

        project = VornickProject::createWithContentsOfProjectFileURL<FakeAgentBlogProject>(projectFile, &error);
        ASSERT_TRUE(project) << error;
        attach();
        auto& reopened = project->fakeIntegrator();
        auto blog = reopened.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"7") } });
        ASSERT_TRUE(blog);
        // Every reported edit is here (or a later one of the same post), queued.
        std::map<std::u16string, VornickPublishedBlogPost*> byContent;
        for (auto& object : blog->postsOnly()) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(object);
            byContent[post->sourceContentString()] = post.get();
        }
        for (int edit : reported) {
            std::u16string content = u"L" + toUTF16(std::to_string(edit));
            bool supersededByLaterEdit = false;
            for (auto& [text, post] : byContent) {
                if (text.starts_with(u"L") && std::stoi(toUTF8(text.substr(1))) > edit)
                    supersededByLaterEdit = true;
            }
            auto found = byContent.find(content);
            ASSERT_TRUE(found != byContent.end() || supersededByLaterEdit) << "lost saved edit " << edit << " (kill " << kill << ")";
            if (found != byContent.end()) {
                EXPECT_TRUE(found->second->publishAtNextSync()) << "edit " << edit << " is no longer queued";
            }
        }
        EXPECT_EQ(reopened.site->blog(u"7")->posts.size(), 8u);

        // The next sync completes and sends every queued post; an edit saved
        // but not yet queued when the process died stays here.
        std::map<VornickPublishedBlogPost*, std::u16string> queued, kept;
        for (auto& object : blog->postsOnly()) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(object);
            (post->publishAtNextSync() ? queued : kept)[post.get()] = post->sourceContentString();
        }
        auto session = syncToTheEnd();
        ASSERT_TRUE(session);
        EXPECT_EQ(session->state(), VornickSyncStepState::Completed) << logText();
        for (auto& [post, content] : queued) {
            EXPECT_FALSE(post->publishAtNextSync()) << toUTF8(post->title());
            auto* sitePost = sharedSite->post(post->identifierUsedByBlogService());
            ASSERT_TRUE(sitePost) << toUTF8(post->title());
            EXPECT_EQ(sitePost->content, content) << toUTF8(post->title()) << logText();
        }
        for (auto& [post, content] : kept)
            EXPECT_EQ(post->sourceContentString(), content) << toUTF8(post->title());
        EXPECT_EQ(sharedSite->blog(u"7")->posts.size(), 8u) << "no post sent twice";
    }
}

} // namespace
} // namespace brevanton
