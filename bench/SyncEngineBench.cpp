// The sync engine through the fake agent: a sync that finds nothing new (of
// 1,000 and 10,000 posts, for linearity) beside reading the same rows with
// raw SQLite (the fake builds each page of the listing when it is asked for
// it, as an agent parses a page from the server's answer just before handing
// it over; the building is the fake's work, not the sync's: it is taken out
// of the sync's time, as the peer has none, and timed alone beside them);
// importing 1,000 new server posts (and 4,000, for linearity)
// with their files and a save per page beside writing the same archives with
// the JSON writer and the same rows with raw SQLite; the memory a queued
// upload takes.
#include "tests/blog/FakeBlogServiceAgent.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogModel.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/store/PersistentStore.h"
#include "toolkit/VornickObjectArchive.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <map>
#include <string>

using namespace brevanton;

namespace {

// Stands in for the WordPress account, which the blog layer cannot include.
class BenchWordPressAccount : public VornickBlogHostingAccount {
public:
    std::string className() const override { return "VornickWordPressAccount"; }
    bool respondsToKey(std::u16string_view key) const override
    {
        return key == u"effectiveProtocolType" || key == u"authenticationType" || VornickBlogHostingAccount::respondsToKey(key);
    }
    Value valueForKey(std::u16string_view key) const override
    {
        if (key == u"effectiveProtocolType")
            return Value(1);
        if (key == u"authenticationType")
            return Value(0);
        return VornickBlogHostingAccount::valueForKey(key);
    }
};

// The calling thread's processor time: on a machine shared with other
// work, what the sync itself took, without the time it waited for the processor.
std::chrono::nanoseconds threadCPUTime()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

struct BuildingTime {
    std::chrono::nanoseconds wall {};
    std::chrono::nanoseconds cpu {};
};

// The fake agent answering post listings with a page built when asked for
// (on a later turn of the main loop, as the fake does), without keeping a
// record of the requests (a benchmark makes thousands); every other request
// as the fake does. A real agent hands over the page it parsed from the
// server's answer a moment before: its descriptions are as fresh in the
// caches as these.
// The time spent building pages (and letting them go) is added up in `buildingTime`.
class ListingAgent : public FakeBlogServiceAgent {
public:
    ListingAgent(std::shared_ptr<FakeBlogSite> site, std::shared_ptr<BuildingTime> buildingTime)
        : FakeBlogServiceAgent(std::move(site))
        , m_buildingTime(std::move(buildingTime))
    {
    }
    void requestPostsForBlogWithDescription(const Dictionary& blogDescription, int64_t startOffset) override
    {
        auto identifier = blogDescription.find(std::u16string_view(u"identifierUsedByBlogService"));
        std::u16string blogIdentifier
            = identifier != blogDescription.end() && identifier->second.isString() ? identifier->second.string() : std::u16string();
        std::weak_ptr<VornickBlogServiceAgent> weakThis = weak_from_this();
        OperationQueue::main().addOperation([weakThis, site = sharedSite(), buildingTime = m_buildingTime, blogIdentifier, blogDescription,
                                                startOffset] {
            bool couldBeMore = false;
            auto started = std::chrono::steady_clock::now();
            auto cpuStarted = threadCPUTime();
            auto page = site->listing(blogIdentifier, false, startOffset, couldBeMore);
            buildingTime->wall += std::chrono::steady_clock::now() - started;
            buildingTime->cpu += threadCPUTime() - cpuStarted;
            auto agent = weakThis.lock();
            if (auto* delegate = agent ? agent->delegate() : nullptr)
                delegate->blogServiceAgentReceivedPostDescriptions(*agent, page, blogDescription, startOffset, couldBeMore);
            // Letting the page go is the fake's work too.
            started = std::chrono::steady_clock::now();
            cpuStarted = threadCPUTime();
            std::vector<Dictionary>().swap(page);
            buildingTime->wall += std::chrono::steady_clock::now() - started;
            buildingTime->cpu += threadCPUTime() - cpuStarted;
        });
    }

private:
    std::shared_ptr<BuildingTime> m_buildingTime;
};

class BenchIntegrator : public VornickBlogServiceIntegrator {
public:
    std::shared_ptr<FakeBlogSite> site { std::make_shared<FakeBlogSite>() };
    std::shared_ptr<BuildingTime> listingBuildingTime { std::make_shared<BuildingTime>() };
    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!VornickBlogServiceIntegrator::agent())
            setAgent(std::make_shared<ListingAgent>(site, listingBuildingTime));
        return VornickBlogServiceIntegrator::agent();
    }
    // A post first seen on the server gets a file of its own, as the service
    // integrators give theirs.
    std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
        std::shared_ptr<VornickPublishedBlogPost> post, const std::shared_ptr<VornickPublishedBlog>& blog,
        const std::optional<URL>& sourceFile, bool intoNewEmptyDatabase) override
    {
        post = VornickBlogServiceIntegrator::importPostDescription(description, std::move(post), blog, sourceFile, intoNewEmptyDatabase);
        if (post && post->sourceFileName().empty() && !post->identifierUsedByBlogService().empty())
            post->setSourceFileName(u"post-" + post->identifierUsedByBlogService() + u"." + post->standardFilenameExtension().value_or(u"post"));
        return post;
    }
};

class BenchBlogProject : public VornickPublishedBlogProject {
public:
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(false, [](ManagedObjectModel& model) {
            model.entityNamed(u"BlogHostingAccount")->setInstanceFactory([] { return std::make_shared<BenchWordPressAccount>(); });
        });
        return model;
    }
    BenchIntegrator& benchIntegrator() { return static_cast<BenchIntegrator&>(integrator()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<BenchIntegrator>(); }
};

std::u16string postBody(int index)
{
    return u"<p>Post number " + toUTF16(std::to_string(index))
        + u" about a walk along the river in the early morning, with notes on the light, the birds and the bridges "
          u"passed on the way, written to be about the length of a short post.</p>";
}

void fillSite(FakeBlogSite& site, int posts)
{
    site.addBlog(u"7", u"Seven");
    for (int index = 0; index < posts; ++index) {
        std::u16string identifier = site.addPost(u"7", u"Post " + toUTF16(std::to_string(index)));
        site.post(identifier)->content = postBody(index);
    }
}

struct BenchProject {
    std::string folder = createTemporaryDirectory("sync-bench").value();
    std::shared_ptr<BenchBlogProject> project;

    BenchProject()
    {
        Error error;
        project = VornickProject::createWithNewProjectFileURL<BenchBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonbenchproject", false), &error);
        if (!project)
            std::fprintf(stderr, "%s\n", toUTF8(error.localizedDescription()).c_str());
        project->hostingAccount()->setLoginID(u"writer");
    }
    ~BenchProject()
    {
        std::string index = project->index()->filePath();
        project.reset();
        drain();
        (void)PersistentStore::destroy(index, nullptr);
        (void)removeItem(folder);
    }

    static void drain()
    {
        while (RunLoop::main().runOnce(0)) { }
    }
    // A manual sync run to its end; answers whether it completed.
    bool sync()
    {
        auto& synchronizer = project->synchronizer();
        if (!synchronizer.queueManualSync())
            return false;
        auto session = synchronizer.currentSyncSession();
        drain();
        return session && session->state() == VornickSyncStepState::Completed && !synchronizer.currentSyncSession();
    }
    std::string indexPath() const { return project->index()->filePath(); }
};

// A project in step with a site of that many posts, kept between runs.
BenchProject& syncedProject(int posts)
{
    static std::map<int, std::unique_ptr<BenchProject>> projects;
    auto& slot = projects[posts];
    if (!slot) {
        RunLoop::main().useManualClock();
        slot = std::make_unique<BenchProject>();
        fillSite(*slot->project->benchIntegrator().site, posts);
        if (!slot->sync())
            std::fprintf(stderr, "the first sync of %d posts did not complete\n", posts);
    }
    return *slot;
}

// The sync's time, without the fake agent's building of the pages.
void BM_SyncWithNoChanges(benchmark::State& state)
{
    BenchProject& bench = syncedProject(static_cast<int>(state.range(0)));
    BuildingTime& buildingTime = *bench.project->benchIntegrator().listingBuildingTime;
    std::chrono::duration<double, std::milli> processorTime {};
    for (auto _ : state) {
        buildingTime = {};
        auto started = std::chrono::steady_clock::now();
        auto cpuStarted = threadCPUTime();
        if (!bench.sync())
            state.SkipWithError("the sync did not complete");
        processorTime += threadCPUTime() - cpuStarted - buildingTime.cpu;
        std::chrono::duration<double> taken = std::chrono::steady_clock::now() - started - buildingTime.wall;
        state.SetIterationTime(taken.count());
    }
    state.counters["posts"] = static_cast<double>(state.range(0));
    // Milliseconds of processor time a sync, without the building.
    state.counters["syncCPUms"] = benchmark::Counter(processorTime.count(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SyncWithNoChanges)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();

// What the fake agent's building of the listing's pages takes (left out
// of the sync's time above): every page of the same site built as the fake
// builds it.
void BM_FakeAgentBuildListingPages(benchmark::State& state)
{
    BenchProject& bench = syncedProject(static_cast<int>(state.range(0)));
    FakeBlogSite& site = *bench.project->benchIntegrator().site;
    for (auto _ : state) {
        bool couldBeMore = true;
        for (int64_t offset = 0; couldBeMore;) {
            auto page = site.listing(u"7", false, offset, couldBeMore);
            offset += static_cast<int64_t>(page.size());
            benchmark::DoNotOptimize(page.data());
        }
    }
    state.counters["posts"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_FakeAgentBuildListingPages)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The peer: every post row of the same index read with raw SQLite.
void BM_SQLiteReadPostRows(benchmark::State& state)
{
    BenchProject& bench = syncedProject(static_cast<int>(state.range(0)));
    sqlite3* database = nullptr;
    sqlite3_open_v2(bench.indexPath().c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database,
                       "SELECT id, identifierUsedByBlogService, title, sourceContentString, sourceContentType, dateLastEditedLocally, "
                       "permalinkURLString, dateFirstPublished, dateLastPublished, publishAtNextSync, inTrash, dateLastSyncedLocally, "
                       "type, blog FROM BlogPost",
                       -1, &statement, nullptr);
    int count = 0;
    for (auto _ : state) {
        count = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < 14; ++column)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, column));
            ++count;
        }
        sqlite3_reset(statement);
    }
    state.counters["posts"] = count;
    sqlite3_finalize(statement);
    sqlite3_close(database);
}
BENCHMARK(BM_SQLiteReadPostRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A first sync of a site of 1,000 (or 4,000) posts: every post imported, its
// file written, the index saved once a page (of 50).
void BM_ImportNewServerPosts(benchmark::State& state)
{
    const int importedPostCount = static_cast<int>(state.range(0));
    RunLoop::main().useManualClock();
    for (auto _ : state) {
        state.PauseTiming();
        auto bench = std::make_unique<BenchProject>();
        fillSite(*bench->project->benchIntegrator().site, importedPostCount);
        state.ResumeTiming();
        if (!bench->sync())
            state.SkipWithError("the sync did not complete");
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
    }
    state.counters["posts"] = importedPostCount;
}
BENCHMARK(BM_ImportNewServerPosts)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The peer: the same archives written as JSON files, and the same rows
// inserted with raw SQLite in a transaction a page.
void BM_WriteArchivesAndRowsRaw(benchmark::State& state)
{
    const int importedPostCount = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::string folder = createTemporaryDirectory("sync-bench-raw").value();
        sqlite3* database = nullptr;
        sqlite3_open((folder + "/index.sqlite").c_str(), &database);
        sqlite3_exec(database, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
        sqlite3_exec(database,
                     "CREATE TABLE BlogPost (id INTEGER PRIMARY KEY, identifierUsedByBlogService TEXT, title TEXT, sourceContentString TEXT, "
                     "sourceContentType TEXT, dateLastEditedLocally REAL, permalinkURLString TEXT, dateFirstPublished REAL, "
                     "dateLastPublished REAL, publishAtNextSync INTEGER, inTrash INTEGER, dateLastSyncedLocally REAL, type TEXT, blog INTEGER, "
                     "sourceFileName TEXT, sourceFileModificationDate REAL)",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(database, "INSERT INTO BlogPost VALUES (?, ?, ?, ?, 'html', ?, ?, ?, ?, 0, 0, ?, 'post', 1, ?, ?)", -1, &insert,
                           nullptr);
        state.ResumeTiming();
        for (int page = 0; page < importedPostCount / 50; ++page) {
            sqlite3_exec(database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            for (int index = page * 50; index < (page + 1) * 50; ++index) {
                std::u16string identifier = toUTF16(std::to_string(100 + index));
                std::u16string title = u"Post " + toUTF16(std::to_string(index));
                std::u16string body = postBody(index);
                auto archive = std::make_shared<VornickObjectArchive>();
                archive->setObject(Value(identifier), u"identifierUsedByBlogService");
                archive->setObject(Value(title), u"title");
                archive->setObject(Value(body), u"sourceContentString");
                archive->setObject(Value(u"html"), u"sourceContentType");
                for (const char16_t* key : { u"dateLastEditedLocally", u"dateFirstPublished", u"dateLastPublished", u"dateLastSyncedLocally" })
                    archive->setObject(Value(Date(1780000000.0)), key);
                archive->setObject(Value(u"https://site.example/?p=" + identifier), u"permalinkURLString");
                archive->setObject(Value(false), u"publishAtNextSync");
                archive->setObject(Value(false), u"inTrash");
                archive->setObject(Value(u"post"), u"type");
                Error error;
                std::string name = "Post " + std::to_string(index) + ".brevantonblogpost";
                auto json = archive->jsonDataReturningErrorIn(&error);
                if (!json || !writeFileAtomically(folder + "/" + name, *json, &error))
                    state.SkipWithError("write failed");
                sqlite3_bind_int64(insert, 1, index + 1);
                std::string texts[] = { toUTF8(identifier), toUTF8(title), toUTF8(body), "https://site.example/?p=" + toUTF8(identifier) };
                sqlite3_bind_text(insert, 2, texts[0].data(), static_cast<int>(texts[0].size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 3, texts[1].data(), static_cast<int>(texts[1].size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insert, 4, texts[2].data(), static_cast<int>(texts[2].size()), SQLITE_TRANSIENT);
                sqlite3_bind_double(insert, 5, 1780000000.0);
                sqlite3_bind_text(insert, 6, texts[3].data(), static_cast<int>(texts[3].size()), SQLITE_TRANSIENT);
                sqlite3_bind_double(insert, 7, 1780000000.0);
                sqlite3_bind_double(insert, 8, 1780000000.0);
                sqlite3_bind_double(insert, 9, 1780000000.0);
                sqlite3_bind_text(insert, 10, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
                sqlite3_bind_double(insert, 11, 1780000000.0);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
            sqlite3_exec(database, "COMMIT", nullptr, nullptr, nullptr);
        }
        state.PauseTiming();
        sqlite3_finalize(insert);
        sqlite3_close(database);
        (void)removeItem(folder);
        state.ResumeTiming();
    }
    state.counters["posts"] = importedPostCount;
}
BENCHMARK(BM_WriteArchivesAndRowsRaw)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Bytes the allocator has handed out (freed memory it keeps is not counted).
long allocatedBytes()
{
    return static_cast<long>(mallinfo2().uordblks);
}

// Memory of an upload queued through the synchronizer, while its session
// waits behind a running one.
void BM_MemoryPerQueuedUpload(benchmark::State& state)
{
    BenchProject& bench = syncedProject(1000);
    auto blog = bench.project->benchIntegrator().existingBlogForDescription({ { u"identifierUsedByBlogService", Value(u"7") } });
    auto posts = blog->postsOnly();
    double bytesPerUpload = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A session that holds the queue, so that the uploads wait.
        auto& synchronizer = bench.project->synchronizer();
        bench.project->benchIntegrator().site->setPageSize(50);
        auto running = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
        running->addStepWithName(u"hold", u"Hold");
        synchronizer.queueSyncSession(running);
        long before = allocatedBytes();
        state.ResumeTiming();
        for (auto& object : posts) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(object);
            synchronizer.queueSyncToUploadPostChanges(post->archivalRepresentation()->propertyList(), blog->archivalRepresentation()->propertyList(),
                                                      VornickBlogServiceIntegrator::nativeIdentifierForPost(*post));
        }
        state.PauseTiming();
        bytesPerUpload = static_cast<double>(allocatedBytes() - before) / static_cast<double>(posts.size());
        synchronizer.cancelAllSyncSessions();
        BenchProject::drain();
        state.ResumeTiming();
    }
    state.counters["bytesPerUpload"] = bytesPerUpload;
}
BENCHMARK(BM_MemoryPerQueuedUpload)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
