// The object store beside raw SQLite on the same file layout and pragmas:
// inserting and saving 10,000 posts with their blog and tags, the post list
// fetch of a blog window over 10,000 posts, and saving one changed post.
#include "platform/store/ManagedObjectContext.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <malloc.h>
#include <string>
#include <unistd.h>

using namespace brevanton;

namespace {

constexpr int postCount = 10000;
constexpr int tagCount = 20;

std::shared_ptr<ManagedObjectModel> benchModel()
{
    static auto model = [] {
        auto model = std::make_shared<ManagedObjectModel>();
        auto& blog = model->addEntity(u"Blog");
        blog.addAttribute(u"title", AttributeType::String);
        blog.addRelationship({ u"posts", u"BlogPost", u"blog", true, DeleteRule::Cascade });
        blog.addRelationship({ u"tags", u"BlogTag", u"blog", true, DeleteRule::Cascade });
        blog.addRelationship({ u"postStatuses", u"PostStatus", u"blog", true, DeleteRule::Cascade });
        auto& post = model->addEntity(u"BlogPost");
        post.addAttribute(u"title", AttributeType::String);
        post.addAttribute(u"sourceContentString", AttributeType::String);
        post.addAttribute(u"dateLastEditedLocally", AttributeType::Date);
        post.addAttribute(u"inTrash", AttributeType::Boolean);
        post.addRelationship({ u"blog", u"Blog", u"posts", false, DeleteRule::Nullify });
        post.addRelationship({ u"tags", u"BlogTag", u"posts", true, DeleteRule::Nullify });
        post.addRelationship({ u"status", u"PostStatus", u"posts", false, DeleteRule::Nullify });
        auto& tag = model->addEntity(u"BlogTag");
        tag.addAttribute(u"title", AttributeType::String);
        tag.addRelationship({ u"blog", u"Blog", u"tags", false, DeleteRule::Nullify });
        tag.addRelationship({ u"posts", u"BlogPost", u"tags", true, DeleteRule::Nullify });
        auto& status = model->addEntity(u"PostStatus");
        status.addAttribute(u"identifier", AttributeType::String);
        status.addRelationship({ u"blog", u"Blog", u"postStatuses", false, DeleteRule::Nullify });
        status.addRelationship({ u"posts", u"BlogPost", u"status", true, DeleteRule::Nullify });
        return model;
    }();
    return model;
}

std::string storePath(const char* name)
{
    return temporaryDirectory() + "/brevanton-store-bench-" + std::to_string(getpid()) + "-" + name + ".brevantonindex";
}

const char16_t* statusIdentifiers[] = { u"draft", u"publish", u"private" };

std::u16string postTitle(int i)
{
    return u"Post " + toUTF16(std::to_string(i)) + (i % 7 == 0 ? u" about Caf\u00e9 Paris" : u" of the week");
}

std::u16string postBody(int i)
{
    std::u16string body;
    for (int p = 0; p < 4; ++p)
        body += u"<p>Paragraph " + toUTF16(std::to_string(p)) + u" of post " + toUTF16(std::to_string(i))
            + u", with some words that fill a line of text in the editor.</p>\n";
    if (i % 11 == 0)
        body += u"<p>Notes from paris.</p>";
    return body;
}

// Fills a context with one blog, its statuses and tags and `postCount` posts.
void fillStore(ManagedObjectContext& context)
{
    auto blog = context.insertNewObject(u"Blog");
    blog->setValueForKey(Value(u"Blog"), u"title");
    auto other = context.insertNewObject(u"Blog");
    other->setValueForKey(Value(u"Other"), u"title");
    ManagedObjects statuses, tags;
    for (auto identifier : statusIdentifiers) {
        auto status = context.insertNewObject(u"PostStatus");
        status->setValueForKey(Value(identifier), u"identifier");
        status->setObjectForKey(blog, u"blog");
        statuses.push_back(status);
    }
    for (int t = 0; t < tagCount; ++t) {
        auto tag = context.insertNewObject(u"BlogTag");
        tag->setValueForKey(Value(u"tag " + toUTF16(std::to_string(t))), u"title");
        tag->setObjectForKey(blog, u"blog");
        tags.push_back(tag);
    }
    for (int i = 0; i < postCount; ++i) {
        auto post = context.insertNewObject(u"BlogPost");
        post->setValueForKey(Value(postTitle(i)), u"title");
        post->setValueForKey(Value(postBody(i)), u"sourceContentString");
        post->setValueForKey(Value(Date(1.7e9 + i * 600.0)), u"dateLastEditedLocally");
        post->setValueForKey(Value(i % 13 == 0), u"inTrash");
        post->setObjectForKey(i % 10 == 9 ? other : blog, u"blog");
        post->setObjectForKey(statuses[i % 3], u"status");
        post->addObjectForKey(tags[i % tagCount], u"tags");
        post->addObjectForKey(tags[(i * 7 + 3) % tagCount], u"tags");
    }
}

void removeStore(const std::string& path)
{
    (void)PersistentStore::destroy(path, nullptr);
}

std::shared_ptr<PersistentStore> openStore(const std::string& path)
{
    Error error;
    auto store = PersistentStore::open(path, benchModel(), &error);
    if (!store)
        std::fprintf(stderr, "%s\n", toUTF8(error.localizedDescription()).c_str());
    return store;
}

sqlite3* openRaw(const std::string& path)
{
    sqlite3* database = nullptr;
    sqlite3_open(path.c_str(), &database);
    sqlite3_exec(database, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    return database;
}

void execute(sqlite3* database, const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(database, sql, nullptr, nullptr, &message) != SQLITE_OK)
        std::fprintf(stderr, "%s: %s\n", sql, message);
    sqlite3_free(message);
}

void bindText(sqlite3_stmt* statement, int index, const std::u16string& text)
{
    std::string utf8 = toUTF8(text);
    sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void BM_StoreInsertAndSavePosts(benchmark::State& state)
{
    std::string path = storePath("insert");
    NotificationCenter center;
    for (auto _ : state) {
        state.PauseTiming();
        removeStore(path);
        auto store = openStore(path);
        state.ResumeTiming();
        auto context = ManagedObjectContext::create(store, &center);
        fillStore(*context);
        Error error;
        if (!context->save(&error))
            state.SkipWithError("save failed");
        state.PauseTiming();
        context.reset();
        store.reset();
        state.ResumeTiming();
    }
    removeStore(path);
}
BENCHMARK(BM_StoreInsertAndSavePosts)->Unit(benchmark::kMillisecond)->Iterations(3);

// Raw SQLite writing the same rows into the same tables in one transaction.
void BM_SQLiteInsertPosts(benchmark::State& state)
{
    std::string path = storePath("insert-raw");
    for (auto _ : state) {
        state.PauseTiming();
        removeStore(path);
        openStore(path).reset(); // the same schema
        state.ResumeTiming();
        sqlite3* database = openRaw(path);
        execute(database, "BEGIN IMMEDIATE");
        int64_t id = 1;
        sqlite3_stmt* blog = nullptr;
        sqlite3_prepare_v2(database, "INSERT INTO Blog (id, title) VALUES (?, ?)", -1, &blog, nullptr);
        int64_t blogID = id, otherID = id + 1;
        for (auto title : { u"Blog", u"Other" }) {
            sqlite3_bind_int64(blog, 1, id++);
            bindText(blog, 2, title);
            sqlite3_step(blog);
            sqlite3_reset(blog);
        }
        sqlite3_finalize(blog);
        sqlite3_stmt* status = nullptr;
        sqlite3_prepare_v2(database, "INSERT INTO PostStatus (id, identifier, blog) VALUES (?, ?, ?)", -1, &status, nullptr);
        int64_t firstStatus = id;
        for (auto identifier : statusIdentifiers) {
            sqlite3_bind_int64(status, 1, id++);
            bindText(status, 2, identifier);
            sqlite3_bind_int64(status, 3, blogID);
            sqlite3_step(status);
            sqlite3_reset(status);
        }
        sqlite3_finalize(status);
        sqlite3_stmt* tag = nullptr;
        sqlite3_prepare_v2(database, "INSERT INTO BlogTag (id, title, blog) VALUES (?, ?, ?)", -1, &tag, nullptr);
        int64_t firstTag = id;
        for (int t = 0; t < tagCount; ++t) {
            sqlite3_bind_int64(tag, 1, id++);
            bindText(tag, 2, u"tag " + toUTF16(std::to_string(t)));
            sqlite3_bind_int64(tag, 3, blogID);
            sqlite3_step(tag);
            sqlite3_reset(tag);
        }
        sqlite3_finalize(tag);
        sqlite3_stmt* post = nullptr;
        sqlite3_prepare_v2(database,
                           "INSERT INTO BlogPost (id, title, sourceContentString, dateLastEditedLocally, inTrash, blog, status) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)",
                           -1, &post, nullptr);
        sqlite3_stmt* join = nullptr;
        sqlite3_prepare_v2(database, "INSERT OR IGNORE INTO BlogPost_tags (owner, other) VALUES (?, ?)", -1, &join, nullptr);
        for (int i = 0; i < postCount; ++i) {
            int64_t postID = id++;
            sqlite3_bind_int64(post, 1, postID);
            bindText(post, 2, postTitle(i));
            bindText(post, 3, postBody(i));
            sqlite3_bind_double(post, 4, 1.7e9 + i * 600.0);
            sqlite3_bind_int(post, 5, i % 13 == 0);
            sqlite3_bind_int64(post, 6, i % 10 == 9 ? otherID : blogID);
            sqlite3_bind_int64(post, 7, firstStatus + i % 3);
            sqlite3_step(post);
            sqlite3_reset(post);
            for (int64_t t : { firstTag + i % tagCount, firstTag + (i * 7 + 3) % tagCount }) {
                sqlite3_bind_int64(join, 1, postID);
                sqlite3_bind_int64(join, 2, t);
                sqlite3_step(join);
                sqlite3_reset(join);
            }
        }
        sqlite3_finalize(post);
        sqlite3_finalize(join);
        execute(database, "COMMIT");
        sqlite3_close(database);
    }
    removeStore(path);
}
BENCHMARK(BM_SQLiteInsertPosts)->Unit(benchmark::kMillisecond)->Iterations(3);

// A saved store of 10,000 posts, shared by the fetch and save benchmarks.
struct PostStore {
    std::string path = storePath("posts");
    NotificationCenter center;
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObject> blog, tag;

    PostStore()
    {
        removeStore(path);
        store = openStore(path);
        auto context = ManagedObjectContext::create(store, &center);
        fillStore(*context);
        Error error;
        if (!context->save(&error))
            std::fprintf(stderr, "%s\n", toUTF8(error.localizedDescription()).c_str());
    }
    ~PostStore() { removeStore(path); }

    static PostStore& shared()
    {
        static PostStore instance;
        return instance;
    }

    FetchRequest postListRequest(ManagedObjectContext& context)
    {
        Error error;
        auto blogs = context.executeFetchRequest(FetchRequest(u"Blog"), &error);
        auto tags = context.executeFetchRequest(FetchRequest(u"BlogTag"), &error);
        auto predicate = Predicate::predicateWithFormat(
            u"blog == %@ && inTrash == NO && status.identifier == %@ && ANY tags == %@ && "
            u"(title CONTAINS[c] %@ || sourceContentString CONTAINS[c] %@)",
            { (*blogs)[0], Value(u"publish"), (*tags)[3], Value(u"paris"), Value(u"paris") }, &error);
        FetchRequest request(u"BlogPost");
        request.setPredicate(predicate);
        request.setSortDescriptors({ { u"dateLastEditedLocally", false } });
        return request;
    }
};

// Bytes the allocator has handed out (freed memory it keeps is not counted).
long allocatedBytes()
{
    return static_cast<long>(mallinfo2().uordblks);
}

void BM_StorePostListFetch(benchmark::State& state)
{
    PostStore& posts = PostStore::shared();
    auto context = ManagedObjectContext::create(posts.store, &posts.center);
    long before = allocatedBytes();
    FetchRequest request = posts.postListRequest(*context);
    Error error;
    size_t count = context->executeFetchRequest(request, &error)->size(); // registers the objects
    long after = allocatedBytes();
    for (auto _ : state) {
        auto result = context->executeFetchRequest(request, &error);
        benchmark::DoNotOptimize(result);
    }
    state.counters["matches"] = static_cast<double>(count);
    state.counters["bytesPerPost"] = static_cast<double>(after - before) / postCount;
}
BENCHMARK(BM_StorePostListFetch)->Unit(benchmark::kMillisecond);

// The first fetch of a context: the rows are read and the objects made.
void BM_StorePostListFetchFirst(benchmark::State& state)
{
    PostStore& posts = PostStore::shared();
    for (auto _ : state) {
        auto context = ManagedObjectContext::create(posts.store, &posts.center);
        FetchRequest request = posts.postListRequest(*context);
        Error error;
        auto result = context->executeFetchRequest(request, &error);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        result.reset();
        context.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StorePostListFetchFirst)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same query in SQL.
void BM_SQLitePostListQuery(benchmark::State& state)
{
    PostStore& posts = PostStore::shared();
    sqlite3* database = openRaw(posts.path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database,
                       "SELECT p.id, p.title, p.sourceContentString, p.dateLastEditedLocally, p.inTrash, p.blog, p.status "
                       "FROM BlogPost p JOIN PostStatus s ON s.id = p.status "
                       "WHERE p.blog = (SELECT min(id) FROM Blog) AND p.inTrash = 0 AND s.identifier = 'publish' "
                       "AND EXISTS (SELECT 1 FROM BlogPost_tags j WHERE j.owner = p.id AND j.other = (SELECT id FROM BlogTag ORDER BY id LIMIT 1 OFFSET 3)) "
                       "AND (p.title LIKE '%paris%' OR p.sourceContentString LIKE '%paris%') "
                       "ORDER BY p.dateLastEditedLocally DESC, p.id",
                       -1, &statement, nullptr);
    int count = 0;
    for (auto _ : state) {
        count = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(statement, 1));
            benchmark::DoNotOptimize(sqlite3_column_text(statement, 2));
            ++count;
        }
        sqlite3_reset(statement);
    }
    state.counters["matches"] = count;
    sqlite3_finalize(statement);
    sqlite3_close(database);
}
BENCHMARK(BM_SQLitePostListQuery)->Unit(benchmark::kMillisecond);

void BM_StoreSaveOneChangedPost(benchmark::State& state)
{
    PostStore& posts = PostStore::shared();
    auto context = ManagedObjectContext::create(posts.store, &posts.center);
    Error error;
    auto all = context->executeFetchRequest(FetchRequest(u"BlogPost"), &error);
    int round = 0;
    for (auto _ : state) {
        auto& post = (*all)[(round * 37) % all->size()];
        post->setValueForKey(Value(u"Changed " + toUTF16(std::to_string(round++))), u"title");
        if (!context->save(&error))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_StoreSaveOneChangedPost)->Unit(benchmark::kMillisecond);

void BM_SQLiteUpdateOnePost(benchmark::State& state)
{
    PostStore& posts = PostStore::shared();
    sqlite3* database = openRaw(posts.path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(database,
                       "UPDATE BlogPost SET title = ?, sourceContentString = ?, dateLastEditedLocally = ?, inTrash = ?, blog = ?, "
                       "status = ? WHERE id = ?",
                       -1, &statement, nullptr);
    int round = 0;
    for (auto _ : state) {
        int64_t id = 26 + (round * 37) % postCount;
        bindText(statement, 1, u"Raw " + toUTF16(std::to_string(round++)));
        bindText(statement, 2, postBody(1));
        sqlite3_bind_double(statement, 3, 1.7e9);
        sqlite3_bind_int(statement, 4, 0);
        sqlite3_bind_int64(statement, 5, 1);
        sqlite3_bind_int64(statement, 6, 3);
        sqlite3_bind_int64(statement, 7, id);
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
}
BENCHMARK(BM_SQLiteUpdateOnePost)->Unit(benchmark::kMillisecond);

} // namespace
