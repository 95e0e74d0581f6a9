// A seeded model-based test of the whole sync engine: rounds of random local
// edits, publishes, new drafts, local trash, server edits, server trash and
// deletions and injected failures (HTTP 500, timeouts, lost and repeated
// answers), syncs run by the project's synchronizer through the fake agent,
// and now and then the index dropped unsaved and reopened. After every round
// it checks what the user must be able to count on. A failure prints the
// seed; BREVANTON_SYNC_MODEL_ROUNDS and BREVANTON_SYNC_MODEL_SEED change the
// run.
#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStepState.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Text.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <stdlib.h>

namespace brevanton::vornick_sync_engine_model_tests {
namespace {

using Kind = FakeBlogServiceAgent::RequestKind;
using Behavior = FakeBlogServiceAgent::Behavior;

const std::u16string BlogIdentifier = u"7";

// The model's thousands of saves test the engine, not the disk: its files
// live in memory where the system offers a folder for that.
std::string makeModelFolder()
{
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) {
        std::string pattern = "/dev/shm/sync-model-XXXXXX";
        if (mkdtemp(pattern.data()))
            return pattern;
    }
    return createTemporaryDirectory("sync-model").value();
}

uint64_t environmentNumber(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

// An archive as its file holds it: dates to the second.
std::string fileDescription(const Dictionary& archive)
{
    Dictionary written = archive;
    for (auto& [key, value] : written) {
        if (value.isDate())
            value = Value(ISO8601StringFromDate(value.date()));
    }
    return Value(written).description();
}

// What the files hold of every blog and post, by folder and file name.
std::map<std::u16string, std::string> snapshotOfIndex(ManagedObjectContext& context)
{
    std::map<std::u16string, std::string> snapshot;
    for (auto& object : vornick_allEntitiesOfKind(context, u"Blog").value_or(ManagedObjects())) {
        auto blog = std::dynamic_pointer_cast<VornickPublishedBlog>(object);
        if (!blog)
            continue;
        snapshot[blog->blogFolderName() + u"/" + blog->sourceFileName()] = fileDescription(blog->archivalRepresentation()->propertyList());
        for (auto& post : blog->posts())
            snapshot[blog->blogFolderName() + u"/posts/" + post->sourceFileName()] = fileDescription(post->archivalRepresentation()->propertyList());
    }
    return snapshot;
}

class SyncEngineModel {
public:
    explicit SyncEngineModel(uint64_t seed)
        : m_seed(seed)
        , m_random(seed)
        , m_folder(makeModelFolder())
        , m_projectFile(URL::fileURLWithPath(m_folder + "/project.brevantontestproject", false))
    {
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log", false));
        m_site->addBlog(BlogIdentifier, u"Seven");
        for (int index = 0; index < 6; ++index)
            m_site->addPost(BlogIdentifier, u"Server " + number(index));
        Error error;
        m_project = VornickProject::createWithNewProjectFileURL<FakeAgentBlogProject>(m_projectFile, &error);
        EXPECT_TRUE(m_project) << error;
        m_project->fakeAccount().setLoginID(u"writer");
        EXPECT_TRUE(m_project->save(&error) && m_project->index()->commitEditingAndSave(&error)) << error;
        attach();
    }

    ~SyncEngineModel()
    {
        m_editor.reset();
        m_project.reset();
        SyncStepStatusRecorder::drainMainQueue();
        (void)removeItem(m_folder);
    }

    // One round; answers false (with the reason recorded) when a check fails.
    bool runRound(int round)
    {
        m_round = round;
        m_failureInjected = false;
        m_agentsThisRound.clear();
        // Server and local changes in any order, and now and then a few
        // turns of the main loop between them: a server edit may land after
        // the user queued an upload, while its session already runs.
        int actions = 1 + static_cast<int>(m_random() % 4);
        for (int index = 0; index < actions; ++index) {
            performAction(static_cast<unsigned>(m_random() % 9));
            if (chance(3)) {
                for (unsigned turns = 1 + static_cast<unsigned>(m_random() % 4); turns; --turns)
                    RunLoop::main().runOnce(0);
            }
        }
        if (chance(3))
            injectFailures();
        if (chance(2))
            m_project->synchronizer().queueManualSync();
        if (!runSessionsToTheEnd())
            return false;
        noteLostCreations();
        m_reopened = chance(20);
        if (m_reopened && !dropUnsavedAndReopen())
            return false;
        return check();
    }

    const std::string& failure() const { return m_failure; }
    // The end of the sync log, for a failure's report.
    std::string logTail() const
    {
        std::string text = toUTF8(m_log->text());
        return text.size() > 8000 ? text.substr(text.size() - 8000) : text;
    }
    uint64_t seed() const { return m_seed; }
    int conflictsSeen() const { return m_conflictsSeen; }
    int uploadsSeen() const { return m_site->createdPostCount(); }

private:
    static std::u16string number(uint64_t value) { return toUTF16(std::to_string(value)); }
    bool chance(unsigned oneIn) { return m_random() % oneIn == 0; }

    ManagedObjectContext& context() { return *m_project->index()->managedObjectContext(); }
    FakeAgentIntegrator& integrator() { return m_project->fakeIntegrator(); }

    // The integrator of a (re)opened project talks to the shared site.
    void attach()
    {
        auto& integrator = this->integrator();
        m_editor = std::make_unique<AccountEditorStandIn>(*m_project);
        integrator.site = m_site;
        integrator.setSyncLog(m_log);
        integrator.prepareAgent = [this](FakeBlogServiceAgent& agent) {
            m_agentsThisRound.push_back(std::static_pointer_cast<FakeBlogServiceAgent>(agent.shared_from_this()));
            for (auto& [kind, behavior] : m_pendingScript) {
                agent.script(kind, behavior);
                if (kind == Kind::SendPostChanges && behavior == Behavior::NoAnswer)
                    m_failureInjected = true;
            }
            m_pendingScript.clear();
        };
    }

    std::shared_ptr<VornickPublishedBlog> blog()
    {
        return integrator().existingBlogForDescription({ { u"identifierUsedByBlogService", Value(BlogIdentifier) } });
    }

    std::vector<std::shared_ptr<VornickPublishedBlogPost>> localPosts(bool includeTrash)
    {
        std::vector<std::shared_ptr<VornickPublishedBlogPost>> posts;
        auto blog = this->blog();
        if (!blog)
            return posts;
        for (auto& object : blog->posts()) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(object);
            if (post && (includeTrash || !post->inTrash()))
                posts.push_back(post);
        }
        return posts;
    }

    std::vector<FakeSitePost*> sitePosts(bool includeTrash)
    {
        std::vector<FakeSitePost*> posts;
        for (auto& post : m_site->blog(BlogIdentifier)->posts) {
            if (includeTrash || post.status != u"trash")
                posts.push_back(&post);
        }
        return posts;
    }

    template<typename T>
    T* pick(std::vector<T*>& items)
    {
        return items.empty() ? nullptr : items[m_random() % items.size()];
    }
    template<typename T>
    std::shared_ptr<T> pick(std::vector<std::shared_ptr<T>>& items)
    {
        return items.empty() ? nullptr : items[m_random() % items.size()];
    }

    // Writes the post's file, then saves the index, as a post editor does.
    void savePost(VornickPublishedBlogPost& post)
    {
        Error error;
        auto url = post.sourceFileURL();
        EXPECT_TRUE(url && post.writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error)) << error;
        EXPECT_TRUE(integrator().commitAndSaveChangesInManagedObjectContext(context(), &error)) << error;
    }

    // A change made here: new content, edited after the post was last in step.
    std::u16string editLocally(VornickPublishedBlogPost& post)
    {
        std::u16string token = u"L" + number(++m_serial);
        m_unsyncedLocalEdits.erase(post.sourceContentString());
        m_unsyncedLocalEdits.insert(token);
        m_editedPostTitles[token] = post.title() + u" (" + post.identifierUsedByBlogService() + u")";
        post.setSourceContentString(token);
        // Rounds follow one another faster than a user edits: the post is
        // taken to have been in step a little longer, so that the edit is
        // told from the clock's rounding whatever the machine's speed.
        Date edited = Date::now();
        if (auto mark = post.dateLastSyncedLocally(); mark && edited.timeIntervalSince(*mark) < 2)
            post.setDateLastSyncedLocally(edited.addingTimeInterval(-2));
        post.ManagedObject::setValueForKey(Value(edited), u"dateLastEditedLocally");
        post.setHasEditsNotYetSavedToSourceFile(true);
        return token;
    }

    void performAction(unsigned action)
    {
        switch (action) {
        case 0: { // An edit saved in its editor; a post not yet live is sent at once.
            auto posts = localPosts(false);
            if (auto post = pick(posts)) {
                editLocally(*post);
                savePost(*post);
                if (!post->currentlyPublished())
                    m_project->synchronizer().queueSyncToUploadPost(*post);
            }
            break;
        }
        case 1: { // Publish: the user sends the post as it is here (never over a server edit this side has not seen).
            auto posts = localPosts(false);
            if (auto post = pick(posts)) {
                editLocally(*post);
                savePost(*post);
                m_project->synchronizer().queueSyncToUploadPost(*post);
            }
            break;
        }
        case 2: { // A new draft.
            auto blog = this->blog();
            if (!blog)
                break;
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context().insertNewObject(u"BlogPost"));
            EXPECT_TRUE(post->prepareNewPostAndAssociateWithBlog(blog));
            post->setTitle(u"D" + number(++m_serial));
            editLocally(*post);
            savePost(*post);
            m_project->synchronizer().queueSyncToUploadPost(*post);
            break;
        }
        case 3: { // Moved to the local trash: it goes to the server's at the next sync.
            auto posts = localPosts(false);
            if (auto post = pick(posts)) {
                m_unsyncedLocalEdits.erase(post->sourceContentString());
                post->ManagedObject::setValueForKey(Value(true), u"inTrash");
                post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
                post->setHasEditsNotYetSavedToSourceFile(true);
                savePost(*post);
            }
            break;
        }
        case 4:
        case 5: { // An edit on the server.
            auto posts = sitePosts(false);
            if (auto post = pick(posts)) {
                std::u16string token = u"S" + number(++m_serial);
                m_site->advanceClock(60);
                m_site->editPost(post->identifier, token);
                m_unseenServerEdits[post->identifier] = token;
            }
            break;
        }
        case 6: { // A post written on the server.
            m_site->advanceClock(60);
            m_site->addPost(BlogIdentifier, u"N" + number(++m_serial));
            break;
        }
        case 7: { // Trashed on the server.
            auto posts = sitePosts(false);
            if (auto post = pick(posts)) {
                m_unseenServerEdits.erase(post->identifier);
                m_site->advanceClock(60);
                m_site->trashPost(post->identifier);
            }
            break;
        }
        case 8: { // Deleted for good on the server.
            auto posts = sitePosts(true);
            if (auto post = pick(posts)) {
                m_unseenServerEdits.erase(post->identifier);
                // What it held had reached the server: the server's user
                // chose to remove it, as they may.
                m_unsyncedLocalEdits.erase(post->content);
                std::u16string identifier = post->identifier;
                m_site->deletePost(identifier);
            }
            break;
        }
        }
    }

    // Failures the next agent gives: one of a few kinds for a random request kind.
    void injectFailures()
    {
        static constexpr Kind kinds[] = { Kind::BlogDescriptions, Kind::Posts, Kind::SendPostChanges, Kind::UpdatedProperties,
                                          Kind::MoveToTrash, Kind::ConfirmDeletion, Kind::SinglePost };
        static constexpr Behavior behaviors[] = { Behavior::FailWithHTTP500, Behavior::FailWithTimeout, Behavior::NoAnswer,
                                                  Behavior::AnswerTwice };
        int count = 1 + static_cast<int>(m_random() % 3);
        for (int index = 0; index < count; ++index) {
            Kind kind = kinds[m_random() % std::size(kinds)];
            Behavior behavior = behaviors[m_random() % std::size(behaviors)];
            // A listing or site list that never answers is what a real
            // agent's request timeout turns into a failure.
            if (behavior == Behavior::NoAnswer && (kind == Kind::BlogDescriptions || kind == Kind::Posts))
                behavior = Behavior::FailWithTimeout;
            m_pendingScript.emplace_back(kind, behavior);
        }
    }

    // Runs the main queue and, while a session still waits for an answer, the
    // clock past the queue steps' answer timeout.
    bool runSessionsToTheEnd()
    {
        auto& synchronizer = m_project->synchronizer();
        for (int turn = 0; turn < 40; ++turn) {
            SyncStepStatusRecorder::drainMainQueue();
            if (!synchronizer.currentSyncSession() && (!integrator().syncSession() || VornickSyncStepStateIsFinal(integrator().syncSession()->state())))
                return true;
            RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout + 1);
        }
        auto session = synchronizer.currentSyncSession();
        return fail("a sync session never ended: " + (session ? toUTF8(session->title()) : std::string("(integrator's)")));
    }

    // A creation whose answer was lost may leave a second copy on the site.
    void noteLostCreations()
    {
        if (!m_failureInjected)
            return;
        for (auto& agent : m_agentsThisRound) {
            for (auto& request : agent->requestsOfKind(Kind::SendPostChanges)) {
                if (vornick_descriptionString(request.postChanges, u"identifierUsedByBlogService").empty())
                    m_creationsMayBeDoubled.insert(vornick_descriptionString(request.postChanges, u"title"));
            }
        }
    }

    // An edit written to its file but not saved in the index, then the
    // project closed and opened again.
    bool dropUnsavedAndReopen()
    {
        auto posts = localPosts(false);
        if (auto post = pick(posts)) {
            editLocally(*post);
            Error error;
            auto url = post->sourceFileURL();
            if (!url || !post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
                return fail("cannot write a post file: " + toUTF8(error.localizedDescription()));
        }
        return reopen(false);
    }

    bool reopen(bool eraseIndex)
    {
        std::string indexPath = m_project->index()->filePath();
        m_editor.reset();
        m_project.reset();
        SyncStepStatusRecorder::drainMainQueue();
        Error error;
        if (eraseIndex && !PersistentStore::destroy(indexPath, &error))
            return fail("cannot remove the index: " + toUTF8(error.localizedDescription()));
        m_project = VornickProject::createWithContentsOfProjectFileURL<FakeAgentBlogProject>(m_projectFile, &error);
        if (!m_project)
            return fail("cannot open the project again: " + toUTF8(error.localizedDescription()));
        attach();
        return true;
    }

    bool fail(std::string reason)
    {
        m_failure = "round " + std::to_string(m_round) + ": " + reason;
        return false;
    }

    bool check()
    {
        // Every local edit is on the server, or still here (queued, in conflict or kept).
        std::set<std::u16string> serverContents;
        for (auto* post : sitePosts(true))
            serverContents.insert(post->content);
        std::map<std::u16string, std::shared_ptr<VornickPublishedBlogPost>> localByContent;
        for (auto& post : localPosts(true))
            localByContent[post->sourceContentString()] = post;
        for (auto it = m_unsyncedLocalEdits.begin(); it != m_unsyncedLocalEdits.end();) {
            if (serverContents.contains(*it)) {
                it = m_unsyncedLocalEdits.erase(it);
                continue;
            }
            if (!localByContent.contains(*it))
                return fail("the local edit " + toUTF8(*it) + " of \"" + toUTF8(m_editedPostTitles[*it]) + "\" is neither on the server nor here");
            ++it;
        }

        // Every server edit is still there, taken here, or held as a conflict.
        std::map<std::u16string, std::shared_ptr<VornickPublishedBlogPost>> localByIdentifier;
        std::set<std::u16string> localTitles;
        for (auto& post : localPosts(true)) {
            localTitles.insert(post->title());
            if (!post->identifierUsedByBlogService().empty())
                localByIdentifier[post->identifierUsedByBlogService()] = post;
        }
        for (auto it = m_unseenServerEdits.begin(); it != m_unseenServerEdits.end();) {
            auto* sitePost = m_site->post(it->first);
            auto local = localByIdentifier.find(it->first);
            bool held = local != localByIdentifier.end() && local->second->hasPendingPostDescription();
            if (held)
                ++m_conflictsSeen;
            if (!sitePost || held || localTitles.contains(it->second)) {
                it = m_unseenServerEdits.erase(it);
                continue;
            }
            if (sitePost->title != it->second)
                return fail("the server edit " + toUTF8(it->second) + " of post " + toUTF8(it->first) + " was overwritten by \""
                            + toUTF8(sitePost->title) + "\" without a conflict");
            ++it;
        }

        // No post exists twice on the site unless the answer to its creation was lost.
        // (One the server moved to its trash while this side still had edits
        // it never got is sent anew, as a new post.)
        std::map<std::u16string, int> drafts;
        for (auto* post : sitePosts(false)) {
            auto found = m_creationTitles.find(post->identifier);
            if (found == m_creationTitles.end() && !post->title.empty() && post->title[0] == u'D')
                found = m_creationTitles.emplace(post->identifier, post->title).first;
            if (found != m_creationTitles.end() && ++drafts[found->second] > 1 && !m_creationsMayBeDoubled.contains(found->second))
                return fail("the draft " + toUTF8(found->second) + " was created twice on the server");
        }

        // Sessions have all ended; nothing is left unsaved.
        if (auto session = integrator().syncSession(); session && !VornickSyncStepStateIsFinal(session->state()))
            return fail("the integrator's session is still running");
        if (context().hasChanges()) {
            std::string changed;
            for (auto& object : context().insertedObjects())
                changed += " inserted " + toUTF8(object->entity().name());
            for (auto& object : context().updatedObjects()) {
                changed += " updated " + toUTF8(object->entity().name()) + " \"" + toUTF8(object->valueForKey(u"title").stringValue()) + "\"";
            }
            for (auto& object : context().deletedObjects())
                changed += " deleted " + toUTF8(object->entity().name());
            return fail("the index holds unsaved changes after the syncs:" + changed);
        }
        for (auto& post : localPosts(true)) {
            if (post->hasEditsNotYetSavedToSourceFile())
                return fail("\"" + toUTF8(post->title()) + "\" was not written to its file \"" + toUTF8(post->sourceFileName()) + "\""
                            + (post->sourceFileURL() ? "" : " (no file URL)") + (post->hasPendingPostDescription() ? " (conflict)" : ""));
        }

        // Every file holds what the index holds, and there is no other post file.
        std::set<std::string> postFiles;
        for (auto& post : localPosts(true)) {
            auto url = post->sourceFileURL();
            auto path = url ? url->fileSystemPath() : std::nullopt;
            if (!path)
                return fail("\"" + toUTF8(post->title()) + "\" has no file");
            postFiles.insert(*path);
            Error error;
            auto written = post->archivalRepresentation()->jsonDataReturningErrorIn(&error);
            auto onDisk = readFile(*path);
            if (!written || !onDisk || *written != *onDisk)
                return fail("the index and the file differ for " + *path + "\n  index: " + written.value_or("?") + "\n  file:  "
                            + onDisk.value_or("(unreadable)"));
        }
        if (auto blog = this->blog(); blog && !postFiles.empty()) {
            std::string folder = std::filesystem::path(*postFiles.begin()).parent_path();
            for (auto& entry : std::filesystem::directory_iterator(folder)) {
                if (entry.path().extension() == ".brevantonblogpost" && !postFiles.contains(entry.path().string()))
                    return fail("a post file the index does not hold: " + entry.path().string());
            }
        }

        // The index equals one rebuilt from the files (a re-index now and then:
        // the check above is what it compares).
        if (m_round % 10 != 9 && !m_reopened)
            return true;
        auto before = snapshotOfIndex(context());
        if (!reopen(true))
            return false;
        auto after = snapshotOfIndex(context());
        for (auto& [place, description] : before) {
            auto found = after.find(place);
            if (found == after.end())
                return fail("only in the index: " + toUTF8(place));
            if (found->second != description)
                return fail("the index and the file differ for " + toUTF8(place) + "\n  index: " + description + "\n  file:  " + found->second);
        }
        if (after.size() != before.size())
            return fail("the files hold " + std::to_string(after.size() - before.size()) + " objects the index did not");
        return true;
    }

    uint64_t m_seed;
    std::mt19937_64 m_random;
    std::string m_folder;
    URL m_projectFile;
    std::shared_ptr<VornickLog> m_log;
    std::shared_ptr<FakeBlogSite> m_site { std::make_shared<FakeBlogSite>() };
    std::shared_ptr<FakeAgentBlogProject> m_project;
    std::unique_ptr<AccountEditorStandIn> m_editor;
    std::vector<std::pair<Kind, Behavior>> m_pendingScript;
    std::vector<std::shared_ptr<FakeBlogServiceAgent>> m_agentsThisRound;
    bool m_failureInjected { false };
    bool m_reopened { false };
    int m_round { 0 };
    uint64_t m_serial { 0 };
    int m_conflictsSeen { 0 };
    std::string m_failure;

    // Local contents not yet seen on the server.
    std::set<std::u16string> m_unsyncedLocalEdits;
    std::map<std::u16string, std::u16string> m_editedPostTitles;
    // Server post identifier -> the title its last server edit gave, until
    // this side has taken it or holds it as a conflict.
    std::map<std::u16string, std::u16string> m_unseenServerEdits;
    // Site post identifier -> the draft title it was created with.
    std::map<std::u16string, std::u16string> m_creationTitles;
    std::set<std::u16string> m_creationsMayBeDoubled;
};

class VornickSyncEngineModelTests : public ::testing::Test {
protected:
    // The indexes (in the cache folder) and the trash (in the data folder)
    // live in memory too.
    std::string homes = makeModelFolder();
    std::map<std::string, std::string> savedHomes;

    void SetUp() override
    {
        RunLoop::main().useManualClock();
        for (const char* variable : { "XDG_CACHE_HOME", "XDG_DATA_HOME" }) {
            savedHomes[variable] = std::getenv(variable) ? std::getenv(variable) : "";
            std::string home = homes + "/" + variable;
            ASSERT_TRUE(createDirectory(home));
            ::setenv(variable, home.c_str(), 1);
        }
    }
    void TearDown() override
    {
        SyncStepStatusRecorder::drainMainQueue();
        RunLoop::main().useRealClock();
        for (auto& [variable, value] : savedHomes)
            ::setenv(variable.c_str(), value.c_str(), 1);
        (void)removeItem(homes);
    }
};

// Several models, each with fewer posts, find more than one long one.
constexpr uint64_t RoundsPerModel = 50;

struct ModelRunTotals {
    int conflicts { 0 };
    int uploads { 0 };
};

// Runs `rounds` rounds over models seeded `seed`, `seed + 1`, ...; fails the
// test at the first round whose checks fail.
void runModels(uint64_t seed, uint64_t rounds, ModelRunTotals& totals)
{
    for (uint64_t done = 0, model = 0; done < rounds; ++model) {
        SyncEngineModel engine(seed + model);
        for (uint64_t round = 0; round < RoundsPerModel && done < rounds; ++round, ++done) {
            ASSERT_TRUE(engine.runRound(static_cast<int>(round)))
                << engine.failure() << "\n(run again with BREVANTON_SYNC_MODEL_SEED=" << seed << ", model " << model << ", seed "
                << engine.seed() << ")\n"
                << (std::getenv("BREVANTON_SYNC_MODEL_LOG") ? engine.logTail() : std::string("(BREVANTON_SYNC_MODEL_LOG=1 shows the sync log)"));
        }
        totals.conflicts += engine.conflictsSeen();
        totals.uploads += engine.uploadsSeen();
    }
}

// The rounds are split into shards that run side by side, each over models
// of its own: shard k starts at model (rounds / shards / RoundsPerModel) * k.
constexpr uint64_t ModelShards = 4;

class VornickSyncEngineModelShards : public VornickSyncEngineModelTests, public ::testing::WithParamInterface<uint64_t> { };

TEST_P(VornickSyncEngineModelShards, RandomEditsSyncsAndFailuresLoseNothing)
{
    uint64_t rounds = environmentNumber("BREVANTON_SYNC_MODEL_ROUNDS", 2000) / ModelShards;
    uint64_t modelsPerShard = (rounds + RoundsPerModel - 1) / RoundsPerModel;
    uint64_t seed = environmentNumber("BREVANTON_SYNC_MODEL_SEED", 20261208) + GetParam() * modelsPerShard;
    auto start = std::chrono::steady_clock::now();
    ModelRunTotals totals;
    runModels(seed, rounds, totals);
    if (HasFatalFailure())
        return;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu rounds (seed %llu) in %.1f s: %d conflicts held, %d posts created on the server\n",
                static_cast<unsigned long long>(rounds), static_cast<unsigned long long>(seed), seconds, totals.conflicts, totals.uploads);
    EXPECT_GT(totals.conflicts, 0) << "the rounds never made a conflict";
    EXPECT_GT(totals.uploads, 0) << "the rounds never created a post on the server";
}

INSTANTIATE_TEST_SUITE_P(Shards, VornickSyncEngineModelShards, ::testing::Range<uint64_t>(0, ModelShards));

// Models that once failed, each run whole whatever the environment says.
TEST_F(VornickSyncEngineModelTests, ModelsThatOnceFailedLoseNothing)
{
    struct Case {
        uint64_t seed;
        const char* what;
    } cases[] = {
        { 5, "a draft sent, then deleted for good on the server in the same round: what it held had reached the server" },
    };
    for (auto& test : cases) {
        SCOPED_TRACE(test.what);
        ModelRunTotals totals;
        runModels(test.seed, RoundsPerModel, totals);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace brevanton::vornick_sync_engine_model_tests
