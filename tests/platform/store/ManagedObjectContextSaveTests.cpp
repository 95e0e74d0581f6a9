#include "platform/store/ManagedObjectContext.h"

#include "tests/platform/store/FaultyFileSystem.h"
#include "tests/platform/store/StoreTestSupport.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace brevanton {
namespace {

// Saves of many rows at once, written several rows a statement.
class ManagedObjectContextSaveTests : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    std::string path = folder + "/index.brevantonindex";
    NotificationCenter center;

    std::shared_ptr<PersistentStore> open(const PersistentStoreOptions& options = {}, const std::string& file = {})
    {
        Error error;
        auto store = PersistentStore::open(file.empty() ? path : file, makeTestModel(), &error, options);
        EXPECT_TRUE(store) << error;
        return store;
    }

    // The indices of the file, with their definitions.
    static std::vector<std::string> indices(const std::string& file)
    {
        return rawQuery(file, "SELECT name || ': ' || sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name");
    }

    // A blog, a post status and tags with the given titles, for posts to take.
    struct PostOwners {
        std::shared_ptr<ManagedObject> blog;
        std::shared_ptr<ManagedObject> status;
        ManagedObjects tags;
    };
    static PostOwners insertPostOwners(ManagedObjectContext& context, const std::vector<std::u16string>& tagTitles)
    {
        PostOwners owners { context.insertNewObject(u"Blog"), context.insertNewObject(u"PostStatus"), {} };
        for (auto& title : tagTitles) {
            owners.tags.push_back(context.insertNewObject(u"BlogTag"));
            owners.tags.back()->setValueForKey(Value(title), u"title");
        }
        return owners;
    }

    // Inserts `count` posts of the blog, each with a title naming it (after
    // `prefix`), every third one a status, and tags by the post's number.
    static ManagedObjects insertPosts(ManagedObjectContext& context, const std::shared_ptr<ManagedObject>& blog, int count,
                                      const ManagedObjects& tags, const std::shared_ptr<ManagedObject>& status,
                                      std::u16string_view prefix = u"Post \u00e9 ")
    {
        ManagedObjects posts;
        for (int i = 0; i < count; ++i) {
            auto post = context.insertNewObject(u"BlogPost");
            post->setValueForKey(Value(std::u16string(prefix) + toUTF16(std::to_string(i))), u"title");
            post->setValueForKey(Value(static_cast<long long>(i)), u"wordCount");
            post->setValueForKey(Value(i % 2 == 0), u"inTrash");
            post->setObjectForKey(blog, u"blog");
            if (i % 3 == 0)
                post->setObjectForKey(status, u"status");
            for (size_t t = 0; t < tags.size(); ++t) {
                if ((i + t) % (t + 2) == 0)
                    post->addObjectForKey(tags[t], u"tags");
            }
            posts.push_back(post);
        }
        return posts;
    }

    // Every post's row and tags as the file holds them, by title.
    std::map<std::string, std::string> postsInFile()
    {
        std::map<std::string, std::string> rows;
        for (auto& line : rawQuery(path, "SELECT p.title || '|' || p.wordCount || '|' || p.inTrash || '|' || ifnull(p.blog, '-') || '|' "
                                         "|| ifnull(p.status, '-') || '|' || ifnull((SELECT group_concat(t.title, ',') FROM "
                                         "(SELECT BlogTag.title FROM BlogPost_tags JOIN BlogTag ON BlogTag.id = other "
                                         "WHERE owner = p.id ORDER BY BlogTag.title) t), '') FROM BlogPost p"))
            rows[line.substr(0, line.find('|'))] = line;
        return rows;
    }

    // The same, from the objects.
    static std::map<std::string, std::string> postsInObjects(const ManagedObjects& posts)
    {
        std::map<std::string, std::string> rows;
        for (auto& post : posts) {
            std::string title = toUTF8(post->valueForKey(u"title").string());
            auto blog = post->objectForKey(u"blog");
            auto status = post->objectForKey(u"status");
            std::set<std::string> tagTitles;
            for (auto& tag : post->objectsForKey(u"tags"))
                tagTitles.insert(toUTF8(tag->valueForKey(u"title").string()));
            std::string tags;
            for (auto& tag : tagTitles)
                tags += (tags.empty() ? "" : ",") + tag;
            rows[title] = title + "|" + std::to_string(post->valueForKey(u"wordCount").integerValue()) + "|"
                + (post->valueForKey(u"inTrash").boolValue() ? "1" : "0") + "|"
                + (blog ? std::to_string(blog->objectID().number()) : "-") + "|"
                + (status ? std::to_string(status->objectID().number()) : "-") + "|" + tags;
        }
        return rows;
    }
};

TEST_F(ManagedObjectContextSaveTests, ABulkSaveWritesEveryRowAndIndexEntry)
{
    auto store = open();
    ASSERT_TRUE(store);
    std::vector<std::string> expectedIndices = indices(path);
    ASSERT_GE(expectedIndices.size(), 4u);
    auto context = ManagedObjectContext::create(store, &center);
    auto [blog, status, tags] = insertPostOwners(*context, { u"tag 0", u"tag 1", u"tag 2", u"tag 3", u"tag 4" });
    // 64 * 5 + 16 + 4 + 1 rows: statements of every size.
    ManagedObjects posts = insertPosts(*context, blog, 341, tags, status);
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;

    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
    EXPECT_EQ(indices(path), expectedIndices);
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost"), std::vector<std::string> { "341" });
    EXPECT_EQ(postsInFile(), postsInObjects(posts));
    // The indices answer queries, as the planner uses them.
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost INDEXED BY BlogPost_status_index WHERE status = "
                                 + std::to_string(status->objectID().number())),
              std::vector<std::string> { "114" });
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost_tags INDEXED BY BlogPost_tags_other WHERE other = "
                                 + std::to_string(tags[0]->objectID().number())),
              std::vector<std::string> { std::to_string(171) });

    // A new context reads them back as they were.
    auto reader = ManagedObjectContext::create(store, &center);
    auto fetched = reader->executeFetchRequest(FetchRequest(u"BlogPost"), &error);
    ASSERT_TRUE(fetched) << error;
    EXPECT_EQ(postsInObjects(*fetched), postsInObjects(posts));
}

TEST_F(ManagedObjectContextSaveTests, ASaveMixingInsertsUpdatesAndDeletionsOfManyRowsWritesThemAll)
{
    auto store = open();
    ASSERT_TRUE(store);
    auto context = ManagedObjectContext::create(store, &center);
    auto [blog, status, tags] = insertPostOwners(*context, { u"t0", u"t1", u"t2" });
    ManagedObjects posts = insertPosts(*context, blog, 30, tags, status);
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;

    // Into tables that hold rows now: many inserts, tags moved on old posts,
    // old posts and a tag deleted.
    ManagedObjects more = insertPosts(*context, blog, 300, tags, status, u"More ");
    for (size_t i = 0; i < posts.size(); i += 2) {
        posts[i]->setObjectsForKey({ tags[2] }, u"tags");
        posts[i]->setValueForKey(Value(u"Changed " + toUTF16(std::to_string(i))), u"title");
    }
    ManagedObjects kept;
    for (size_t i = 0; i < posts.size(); ++i) {
        if (i % 5 == 4)
            context->deleteObject(posts[i]);
        else
            kept.push_back(posts[i]);
    }
    context->deleteObject(tags[1]);
    kept.insert(kept.end(), more.begin(), more.end());
    ASSERT_TRUE(context->save(&error)) << error;

    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
    EXPECT_EQ(postsInFile(), postsInObjects(kept));
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost_tags WHERE other = " + std::to_string(tags[1]->objectID().number())),
              std::vector<std::string> { "0" });
}

TEST_F(ManagedObjectContextSaveTests, AFailedBulkSaveLeavesTheFileAndTheNextSaveWritesIt)
{
    auto store = open(FaultyFileSystem::storeOptions());
    ASSERT_TRUE(store);
    std::vector<std::string> expectedIndices = indices(path);
    auto context = ManagedObjectContext::create(store, &center);
    auto [blog, status, tags] = insertPostOwners(*context, { u"a", u"b" });
    ManagedObjects posts = insertPosts(*context, blog, 400, tags, status);

    for (InjectedFault fault : { InjectedFault::WriteError, InjectedFault::DiskFull, InjectedFault::SyncError }) {
        SCOPED_TRACE(static_cast<int>(fault));
        FaultyFileSystem::inject(fault);
        Error error;
        EXPECT_FALSE(context->save(&error));
        FaultyFileSystem::inject(InjectedFault::None);
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreSaveError)) << error;
        EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
        EXPECT_EQ(indices(path), expectedIndices);
        EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost"), std::vector<std::string> { "0" });
        EXPECT_TRUE(context->hasChanges());
    }
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(indices(path), expectedIndices);
    EXPECT_EQ(postsInFile(), postsInObjects(posts));
}

// A row of the file in the way of a row of a bulk insert, the fourth
// statement of 64 rows on: the save fails whole, and goes through once the
// row is gone.
TEST_F(ManagedObjectContextSaveTests, ARowInTheWayOfABulkInsertFailsTheWholeSave)
{
    auto store = open();
    ASSERT_TRUE(store);
    auto context = ManagedObjectContext::create(store, &center);
    auto [blog, status, tags] = insertPostOwners(*context, { u"a" });
    ManagedObjects posts = insertPosts(*context, blog, 300, tags, status);
    const std::string blocking = std::to_string(posts[200]->objectID().number());
    auto execute = [&](const std::string& sql) {
        sqlite3* database = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(database);
        sqlite3_close(database);
    };
    execute("INSERT INTO BlogPost (id, title) VALUES (" + blocking + ", 'in the way')");

    Error error;
    EXPECT_FALSE(context->save(&error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreSaveError)) << error;
    EXPECT_EQ(rawQuery(path, "SELECT id || ' ' || title FROM BlogPost"), std::vector<std::string> { blocking + " in the way" });
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM Blog"), std::vector<std::string> { "0" });
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost_tags"), std::vector<std::string> { "0" });
    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
    EXPECT_TRUE(context->hasChanges());

    execute("DELETE FROM BlogPost");
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(postsInFile(), postsInObjects(posts));
}

} // namespace
} // namespace brevanton
