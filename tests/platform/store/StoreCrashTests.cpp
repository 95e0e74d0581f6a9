// A child process saves in a loop and is killed with SIGKILL at random
// points: every save that answered true must be in the file, nothing of one
// that answered false, and the file must pass SQLite's integrity check.
// BREVANTON_STORE_CRASH_KILLS sets the number of kills (default 120, so that the test stays
// well under 20 s on a loaded machine; 200 for the full run).
#include "platform/store/ManagedObjectContext.h"

#include "tests/platform/store/FaultyFileSystem.h"
#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace brevanton {
namespace {

// Every save of the child: a post numbered n with two tags of its own and the
// blog's title set to n; every fifth save fails on purpose (a full disk).
[[noreturn]] void saveUntilKilled(const std::string& path, int reportFD, int64_t first)
{
    NotificationCenter center;
    Error error;
    auto store = PersistentStore::open(path, makeTestModel(), &error, FaultyFileSystem::storeOptions());
    if (!store)
        _exit(2);
    auto context = ManagedObjectContext::create(store, &center);
    auto blogs = context->executeFetchRequest(FetchRequest(u"Blog"), &error);
    if (!blogs)
        _exit(3);
    std::shared_ptr<ManagedObject> blog = blogs->empty() ? context->insertNewObject(u"Blog") : blogs->front();
    for (int64_t n = first;; ++n) {
        std::u16string name = toUTF16(std::to_string(n));
        auto post = context->insertNewObject(u"BlogPost");
        post->setValueForKey(Value(static_cast<long long>(n)), u"wordCount");
        post->setValueForKey(Value(u"post " + name), u"title");
        post->setValueForKey(Value(std::u16string(2000, u'x')), u"sourceContentString");
        post->setObjectForKey(blog, u"blog");
        for (auto suffix : { u"a", u"b" }) {
            auto tag = context->insertNewObject(u"BlogTag");
            tag->setValueForKey(Value(name + suffix), u"title");
            post->addObjectForKey(tag, u"tags");
        }
        blog->setValueForKey(Value(name), u"title");
        bool failing = n % 5 == 0;
        FaultyFileSystem::inject(failing ? InjectedFault::DiskFull : InjectedFault::None);
        bool saved = context->save(&error);
        FaultyFileSystem::inject(InjectedFault::None);
        if (saved == failing)
            _exit(4);
        int64_t report = saved ? n : -n;
        if (write(reportFD, &report, sizeof report) != sizeof report)
            _exit(5);
        if (!saved)
            context->rollback();
    }
}

std::string integrityCheck(const std::string& path)
{
    sqlite3* database = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database, "PRAGMA integrity_check", -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            result += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(database);
    return result;
}

TEST(StoreCrashTests, SavesThatAnsweredSurviveKills)
{
    int kills = 120;
    if (const char* setting = std::getenv("BREVANTON_STORE_CRASH_KILLS"))
        kills = std::max(1, std::atoi(setting));
    std::string path = makeStoreFolder() + "/crash.brevantonindex";
    FaultyFileSystem::name(); // registered before the children start
    std::mt19937 random(12345);
    std::set<int64_t> saved, failed;
    int64_t next = 1;

    for (int kill = 0; kill < kills; ++kill) {
        int pipeFDs[2];
        ASSERT_EQ(pipe(pipeFDs), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFDs[0]);
            saveUntilKilled(path, pipeFDs[1], next);
        }
        close(pipeFDs[1]);
        int64_t report = 0;
        int64_t highestReported = next - 1;
        auto record = [&] {
            (report > 0 ? saved : failed).insert(report > 0 ? report : -report);
            highestReported = std::max<int64_t>(highestReported, report > 0 ? report : -report);
        };
        // The kill falls at a random point after the child's first answer, so
        // that a slow machine or an instrumented build kills as many saves
        // under way as a fast one, not the opening of the store.
        pollfd firstAnswer { pipeFDs[0], POLLIN, 0 };
        if (poll(&firstAnswer, 1, 10000) == 1 && read(pipeFDs[0], &report, sizeof report) == sizeof report)
            record();
        usleep(std::uniform_int_distribution<int>(2000, 40000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << WEXITSTATUS(status);
        while (read(pipeFDs[0], &report, sizeof report) == sizeof report)
            record();
        close(pipeFDs[0]);

        ASSERT_EQ(integrityCheck(path), "ok") << "after kill " << kill;
        NotificationCenter center;
        Error error;
        auto store = PersistentStore::open(path, makeTestModel(), &error);
        ASSERT_TRUE(store) << error;
        auto context = ManagedObjectContext::create(store, &center);
        auto posts = context->executeFetchRequest(FetchRequest(u"BlogPost"), &error);
        ASSERT_TRUE(posts) << error;
        std::set<int64_t> present;
        for (auto& post : *posts) {
            int64_t n = post->valueForKey(u"wordCount").integerValue();
            present.insert(n);
            // A save is whole: the post with both of its tags and its blog.
            auto tags = post->objectsForKey(u"tags");
            ASSERT_EQ(tags.size(), 2u) << "post " << n;
            EXPECT_EQ(tags[0]->valueForKey(u"title"), Value(toUTF16(std::to_string(n)) + u"a"));
            ASSERT_TRUE(post->objectForKey(u"blog"));
        }
        for (int64_t n : saved)
            ASSERT_TRUE(present.count(n)) << "save " << n << " answered true but is missing after kill " << kill;
        for (int64_t n : failed)
            ASSERT_FALSE(present.count(n)) << "save " << n << " answered false but is present after kill " << kill;
        // The save under way when the child died may or may not be there.
        int64_t highestPresent = present.empty() ? 0 : *present.rbegin();
        ASSERT_LE(highestPresent, highestReported + 1);
        auto blogs = context->executeFetchRequest(FetchRequest(u"Blog"), &error);
        ASSERT_TRUE(blogs && blogs->size() <= 1);
        if (highestPresent) {
            ASSERT_EQ(blogs->size(), 1u);
            EXPECT_EQ((*blogs)[0]->valueForKey(u"title"), Value(toUTF16(std::to_string(highestPresent))));
        }
        if (highestPresent == highestReported + 1)
            saved.insert(highestPresent);
        next = std::max(highestReported, highestPresent) + 1;
    }
    EXPECT_GT(saved.size(), static_cast<size_t>(kills / 4)) << "the children saved too little to test anything";
}

} // namespace
} // namespace brevanton
