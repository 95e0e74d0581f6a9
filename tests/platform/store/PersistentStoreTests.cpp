#include "platform/store/PersistentStore.h"

#include "tests/platform/store/FaultyFileSystem.h"
#include "tests/platform/store/StoreTestSupport.h"

#include "platform/store/PersistentStoreInternals.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <set>

namespace brevanton {

class PersistentStoreTestPeer {
public:
    static std::string pragma(PersistentStore& store, const std::string& name)
    {
        SQLiteStatement statement = store.m_private->database.prepare("PRAGMA " + name, nullptr);
        bool hasRow = false;
        if (!statement.isValid() || !statement.step(hasRow, nullptr) || !hasRow)
            return {};
        return statement.columnUTF8(0);
    }
    // Holds the store's copies of its log into the file until `release` is
    // made ready (its queue runs one operation at a time).
    static void holdCheckpoints(PersistentStore& store, std::shared_future<void> release)
    {
        auto& d = *store.m_private;
        std::lock_guard lock(d.checkpointQueueMutex);
        if (!d.checkpointQueue)
            d.checkpointQueue = std::make_unique<OperationQueue>("store checkpoints");
        d.checkpointQueue->addOperation([release] { release.wait(); });
    }
    static void waitForCheckpoints(PersistentStore& store)
    {
        auto& d = *store.m_private;
        std::lock_guard lock(d.checkpointQueueMutex);
        if (d.checkpointQueue)
            d.checkpointQueue->waitUntilAllOperationsAreFinished();
    }
};

namespace {

class PersistentStoreTests : public ::testing::Test {
protected:
    std::string folder = makeStoreFolder();
    std::string path = folder + "/index.brevantonindex";
    NotificationCenter center;

    std::shared_ptr<PersistentStore> open(std::shared_ptr<ManagedObjectModel> model, const PersistentStoreOptions& options = {})
    {
        Error error;
        auto opened = PersistentStore::open(path, std::move(model), &error, options);
        EXPECT_TRUE(opened) << error;
        return opened;
    }

    // Opens `store` on the file and `context` over it.
    void openWithContext(std::shared_ptr<ManagedObjectModel> model = makeTestModel(), const PersistentStoreOptions& options = {})
    {
        store = open(std::move(model), options);
        ASSERT_TRUE(store);
        context = ManagedObjectContext::create(store, &center);
    }

    // Closes the context and the store, then opens both on the file again.
    void reopenWithContext(std::shared_ptr<ManagedObjectModel> model = makeTestModel())
    {
        context.reset();
        store.reset();
        openWithContext(std::move(model));
    }

    uintmax_t fileSize() const { return std::filesystem::file_size(path); }

    // After the center: the contexts post to it until they go.
    std::shared_ptr<PersistentStore> store;
    std::shared_ptr<ManagedObjectContext> context;
};

TEST_F(PersistentStoreTests, TheFileIsWrittenAheadWithFullSynchronisation)
{
    store = open(makeTestModel());
    ASSERT_TRUE(store);
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "journal_mode"), "wal");
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "synchronous"), "2");
    EXPECT_EQ(store->identifier().size(), 36u);
    EXPECT_EQ(rawQuery(path, "SELECT value FROM _Metadata WHERE key = 'modelVersion'"),
              std::vector<std::string> { makeTestModel()->versionHash() });
    // The identifier is the file's: the same after reopening.
    std::u16string identifier = store->identifier();
    store.reset();
    EXPECT_EQ(open(makeTestModel())->identifier(), identifier);
}

TEST_F(PersistentStoreTests, AdditiveModelChangesMigrateInPlace)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext());
    auto post = context->insertNewObject(u"BlogPost");
    post->setValueForKey(Value(u"kept"), u"title");
    auto postID = post->objectID();
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_FALSE(store->migrated());
    std::u16string identifier = store->identifier();

    auto newer = makeTestModel(true, true);
    EXPECT_NE(newer->versionHash(), makeTestModel()->versionHash());
    ASSERT_NO_FATAL_FAILURE(reopenWithContext(newer));
    EXPECT_TRUE(store->migrated());
    EXPECT_EQ(store->identifier(), identifier);
    auto migrated = context->existingObjectWithID(postID);
    ASSERT_TRUE(migrated);
    EXPECT_EQ(migrated->valueForKey(u"title"), Value(u"kept"));
    EXPECT_TRUE(migrated->valueForKey(u"permalinkURLString").isNull());
    migrated->setValueForKey(Value(u"https://example.com/p"), u"permalinkURLString");
    context->insertNewObject(u"PostFormat")->setValueForKey(Value(u"standard"), u"identifier");
    ASSERT_TRUE(context->save(&error)) << error;

    ASSERT_NO_FATAL_FAILURE(reopenWithContext(makeTestModel(true, true)));
    EXPECT_FALSE(store->migrated());
    EXPECT_EQ(context->existingObjectWithID(postID)->valueForKey(u"permalinkURLString"), Value(u"https://example.com/p"));
    auto formats = context->executeFetchRequest(FetchRequest(u"PostFormat"), &error);
    ASSERT_TRUE(formats);
    EXPECT_EQ(formats->size(), 1u);
}

TEST_F(PersistentStoreTests, StoresOpenOnOneFileNeverGiveTheSameNumber)
{
    auto first = open(makeTestModel());
    auto second = open(makeTestModel());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->identifier(), second->identifier());
    auto firstContext = ManagedObjectContext::create(first, &center);
    auto secondContext = ManagedObjectContext::create(second, &center);
    std::set<int64_t> numbers;
    for (int i = 0; i < 300; ++i) {
        numbers.insert(firstContext->insertNewObject(u"BlogTag")->objectID().number());
        numbers.insert(secondContext->insertNewObject(u"BlogTag")->objectID().number());
    }
    EXPECT_EQ(numbers.size(), 600u);
    Error error;
    ASSERT_TRUE(firstContext->save(&error)) << error;
    ASSERT_TRUE(secondContext->save(&error)) << error;
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogTag"), std::vector<std::string> { "600" });
}

TEST_F(PersistentStoreTests, AFirstFillingSyncsNothingUntilItFinishesAndRecordsItsNumbersThen)
{
    // Through the fault shim: a flush that fails tells whether one was asked for.
    PersistentStoreOptions options = FaultyFileSystem::storeOptions();
    options.firstFilling = true;
    FaultyFileSystem::inject(InjectedFault::SyncError);
    ASSERT_NO_FATAL_FAILURE(openWithContext(makeTestModel(), options));
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "synchronous"), "0");
    // A new file is filled without the log, its journal in memory.
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "journal_mode"), "memory");
    auto recorded = [&] { return std::stoll(rawQuery(path, "SELECT value FROM _Metadata WHERE key = 'nextNumber'").at(0)); };
    int64_t highest = 0;
    for (int i = 0; i < 300; ++i)
        highest = std::max(highest, context->insertNewObject(u"BlogTag")->objectID().number());
    // No block was recorded before the numbers were given: the save records them.
    EXPECT_EQ(recorded(), 1);
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    EXPECT_EQ(FaultyFileSystem::failures(), 0);
    EXPECT_GT(recorded(), highest);

    // Given after the save: finishing records them, and fails while the
    // flush of what the filling wrote fails. It syncs from then on.
    highest = context->insertNewObject(u"BlogTag")->objectID().number();
    EXPECT_LE(recorded(), highest);
    EXPECT_FALSE(store->finishFilling(&error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreSaveError)) << error;
    EXPECT_GT(FaultyFileSystem::failures(), 0);
    EXPECT_GT(recorded(), highest);
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "synchronous"), "2");
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "journal_mode"), "wal");
    context->insertNewObject(u"BlogTag");
    EXPECT_FALSE(context->save(&error));
    FaultyFileSystem::inject(InjectedFault::None);
    ASSERT_TRUE(context->save(&error)) << error;
    // Finished: true at once, as for a store opened otherwise.
    ASSERT_TRUE(store->finishFilling(&error)) << error;

    // A block is now recorded before a number is given: a store opened on
    // the file without a save in between gives other numbers.
    int64_t next = context->insertNewObject(u"BlogTag")->objectID().number();
    EXPECT_GT(recorded(), next);
    auto other = ManagedObjectContext::create(open(makeTestModel()), &center);
    EXPECT_GT(other->insertNewObject(u"BlogTag")->objectID().number(), next);
    other.reset();
    context.reset();
    store.reset();

    // A file that holds something keeps its log through a first filling,
    // and the filling's objects are all there.
    ASSERT_NO_FATAL_FAILURE(openWithContext(makeTestModel(), options));
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "journal_mode"), "wal");
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogTag"), std::vector<std::string> { "302" });
    context.reset();
    store.reset();

    // A filling that writes nothing after opening is flushed all the same.
    ASSERT_TRUE(PersistentStore::destroy(path, &error)) << error;
    ASSERT_NO_FATAL_FAILURE(openWithContext(makeTestModel(), options));
    FaultyFileSystem::inject(InjectedFault::SyncError);
    EXPECT_FALSE(store->finishFilling(&error));
    FaultyFileSystem::inject(InjectedFault::None);
}

TEST_F(PersistentStoreTests, OtherModelChangesAreIncompatibleUntilTheFileIsRebuilt)
{
    ASSERT_TRUE(open(makeTestModel(true)));

    auto expectIncompatible = [&](std::shared_ptr<ManagedObjectModel> model, const char* what) {
        Error error;
        EXPECT_FALSE(PersistentStore::open(path, std::move(model), &error)) << what;
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreIncompatibleModelError)) << what << ": " << error;
    };
    // An attribute removed.
    expectIncompatible(makeTestModel(false), "removed attribute");
    // An attribute of another type.
    {
        auto model = makeTestModel(false);
        model->entityNamed(u"BlogPost")->addAttribute(u"permalinkURLString", AttributeType::Integer);
        expectIncompatible(model, "changed type");
    }
    // A relationship turned to-many.
    {
        auto model = std::make_shared<ManagedObjectModel>();
        auto& a = model->addEntity(u"Blog");
        a.addRelationship({ u"posts", u"BlogPost", u"blog", true, DeleteRule::Cascade });
        auto& b = model->addEntity(u"BlogPost");
        b.addRelationship({ u"blog", u"Blog", u"posts", true, DeleteRule::Nullify });
        expectIncompatible(model, "changed relationship");
    }
    // The file is unchanged by the refusals, and once removed a new one is made.
    ASSERT_TRUE(open(makeTestModel(true)));
    Error error;
    ASSERT_TRUE(PersistentStore::destroy(path, &error)) << error;
    EXPECT_FALSE(std::ifstream(path).good());
    store = open(makeTestModel(false));
    ASSERT_TRUE(store);
    EXPECT_FALSE(store->migrated());
    EXPECT_TRUE(PersistentStore::destroy(folder + "/never-made", &error));
}

TEST_F(PersistentStoreTests, FilesThatAreNoStoresAreRefused)
{
    {
        std::ofstream garbage(path);
        garbage << "This is not a database, but it is long enough to look like a header of one at first sight.";
    }
    Error error;
    EXPECT_FALSE(PersistentStore::open(path, makeTestModel(), &error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreOpenError)) << error;
    ASSERT_TRUE(error.underlyingError());
    EXPECT_EQ(error.underlyingError()->domain(), "SQLiteErrorDomain");

    std::string foreign = folder + "/foreign.sqlite";
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &database), SQLITE_OK);
    sqlite3_exec(database, "CREATE TABLE other (x)", nullptr, nullptr, nullptr);
    sqlite3_close(database);
    EXPECT_FALSE(PersistentStore::open(foreign, makeTestModel(), &error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreOpenError)) << error;

    EXPECT_FALSE(PersistentStore::open(folder + "/no/such/folder/index", makeTestModel(), &error));
    EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreOpenError)) << error;
}

TEST_F(PersistentStoreTests, AFailedSaveLeavesTheFileAndKeepsTheChanges)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext(makeTestModel(), FaultyFileSystem::storeOptions()));
    auto blog = context->insertNewObject(u"Blog");
    blog->setValueForKey(Value(u"v0"), u"title");
    auto doomed = context->insertNewObject(u"BlogTag");
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;

    int version = 0;
    for (InjectedFault fault : { InjectedFault::WriteError, InjectedFault::DiskFull, InjectedFault::SyncError }) {
        SCOPED_TRACE(static_cast<int>(fault));
        ++version;
        std::u16string title = u"v" + toUTF16(std::to_string(version));
        blog->setValueForKey(Value(title), u"title");
        auto post = context->insertNewObject(u"BlogPost");
        post->setObjectForKey(blog, u"blog");
        if (doomed->managedObjectContext())
            context->deleteObject(doomed);
        std::string before = rawQuery(path, "SELECT title FROM Blog").at(0);
        size_t postsBefore = rawQuery(path, "SELECT id FROM BlogPost").size();

        FaultyFileSystem::inject(fault);
        // Numbers for new objects are given even while the disk fails.
        auto another = context->insertNewObject(u"BlogPost");
        EXPECT_FALSE(context->save(&error));
        EXPECT_GT(FaultyFileSystem::failures(), 0);
        FaultyFileSystem::inject(InjectedFault::None);
        EXPECT_TRUE(error.is(PersistentStoreErrorDomain, PersistentStoreSaveError)) << error;
        ASSERT_TRUE(error.underlyingError());
        EXPECT_EQ(error.underlyingError()->domain(), "SQLiteErrorDomain");

        // The file is as it was; the context keeps every change.
        EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
        EXPECT_EQ(rawQuery(path, "SELECT title FROM Blog").at(0), before);
        EXPECT_EQ(rawQuery(path, "SELECT id FROM BlogPost").size(), postsBefore);
        EXPECT_TRUE(context->hasChanges());
        EXPECT_EQ(blog->valueForKey(u"title"), Value(title));
        EXPECT_TRUE(post->isInserted());
        EXPECT_TRUE(doomed->isDeleted());

        // The next save succeeds and writes all of it.
        ASSERT_TRUE(context->save(&error)) << error;
        EXPECT_EQ(rawQuery(path, "SELECT title FROM Blog").at(0), toUTF8(title));
        EXPECT_EQ(rawQuery(path, "SELECT id FROM BlogPost").size(), postsBefore + 2);
        EXPECT_TRUE(rawQuery(path, "SELECT id FROM BlogTag").empty());
        EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM BlogPost WHERE id = " + std::to_string(another->objectID().number())),
                  std::vector<std::string> { "1" });
    }
    // A failed save keeps the saved values for a rollback, which gives back
    // what the file holds.
    std::string saved = rawQuery(path, "SELECT title FROM Blog").at(0);
    blog->setValueForKey(Value(u"unsaved"), u"title");
    blog->setValueForKey(Value(u"unsaved again"), u"title");
    FaultyFileSystem::inject(InjectedFault::SyncError);
    EXPECT_FALSE(context->save(&error));
    FaultyFileSystem::inject(InjectedFault::None);
    context->rollback();
    EXPECT_FALSE(context->hasChanges());
    EXPECT_EQ(blog->valueForKey(u"title"), Value(toUTF16(saved)));

    // Numbers given while the disk failed are recorded by the save: a new
    // store on the file gives higher ones.
    int64_t highest = rawQuery(path, "SELECT max(id) FROM BlogPost").empty() ? 0 : std::stoll(rawQuery(path, "SELECT max(id) FROM BlogPost")[0]);
    ASSERT_NO_FATAL_FAILURE(reopenWithContext());
    EXPECT_GT(context->insertNewObject(u"BlogTag")->objectID().number(), highest);
}

TEST_F(PersistentStoreTests, TextComesBackAsWrittenAndBytesOfOtherWritersAsSQLiteReadsThem)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext());
    std::vector<std::u16string> titles { u"Plain ASCII title long enough", u"caf\u00e9 \u2014 \u65e5\u672c", u"\U0001F600 first",
                                         u"", std::u16string(u"nul\0inside", 11), u"\u05e9\u05dc\u05d5\u05dd" };
    // Texts longer than the memory a statement first encodes bound text
    // into, alone and several to one statement of rows.
    titles.push_back(std::u16string(20000, u'L'));
    for (char16_t letter : { u'p', u'q', u'r', u'\u00e9', u's' })
        titles.push_back(std::u16string(6000, letter));
    std::vector<ManagedObjectID> ids;
    for (auto& title : titles) {
        auto blog = context->insertNewObject(u"Blog");
        blog->setValueForKey(Value(title), u"title");
        ids.push_back(blog->objectID());
    }
    auto untitled = context->insertNewObject(u"Blog");
    untitled->setValueForKey(Value(), u"title");
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;

    // Another program writes bytes that are no UTF-8 into one title.
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
    std::string update = "UPDATE Blog SET title = CAST(X'61FF62C3' AS TEXT) WHERE id = " + std::to_string(ids[0].number());
    ASSERT_EQ(sqlite3_exec(database, update.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    std::string select = "SELECT title FROM Blog WHERE id = " + std::to_string(ids[0].number());
    ASSERT_EQ(sqlite3_prepare_v2(database, select.c_str(), -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    std::u16string sqliteReading(static_cast<const char16_t*>(sqlite3_column_text16(statement, 0)),
                                 static_cast<size_t>(sqlite3_column_bytes16(statement, 0)) / 2);
    sqlite3_finalize(statement);
    sqlite3_close(database);

    // Read by a fresh context, row by row and all together.
    for (bool wholeEntity : { false, true }) {
        SCOPED_TRACE(wholeEntity);
        auto reader = ManagedObjectContext::create(store, &center);
        if (wholeEntity) {
            ASSERT_TRUE(reader->executeFetchRequest(FetchRequest(u"Blog"), &error)) << error;
        }
        EXPECT_EQ(reader->existingObjectWithID(ids[0])->valueForKey(u"title"), Value(sqliteReading));
        EXPECT_EQ(sqliteReading.front(), u'a');
        for (size_t i = 1; i < titles.size(); ++i)
            EXPECT_EQ(reader->existingObjectWithID(ids[i])->valueForKey(u"title"), Value(titles[i])) << i;
        EXPECT_TRUE(reader->existingObjectWithID(untitled->objectID())->valueForKey(u"title").isNull());
    }
}

// A save is durable when it returns, its pages in the synced log; the log is
// copied into the file beside the saves, on the store's own thread, unless it
// grew so long that the commit copies it.
TEST_F(PersistentStoreTests, ASaveLeavesTheLogsCopyToTheStoresThreadUnlessTheLogGrewLong)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext());
    auto save = [&](size_t characters) {
        auto blog = context->insertNewObject(u"Blog");
        blog->setValueForKey(Value(std::u16string(characters, u'x')), u"title");
        Error error;
        EXPECT_TRUE(context->save(&error)) << error;
    };
    std::promise<void> release;
    PersistentStoreTestPeer::holdCheckpoints(*store, release.get_future().share());
    auto before = fileSize();
    // Some 1200 pages of 4 KB.
    save(4'800'000);
    EXPECT_LT(fileSize(), before + 1'000'000) << "not copied in the save";
    EXPECT_GT(std::filesystem::file_size(path + "-wal"), 4'800'000u);
    EXPECT_EQ(rawQuery(path, "SELECT length(title) FROM Blog"), std::vector<std::string> { "4800000" });
    release.set_value();
    PersistentStoreTestPeer::waitForCheckpoints(*store);
    EXPECT_GT(fileSize(), before + 4'800'000) << "copied on the store's thread";

    // Over 4000 pages while the store's thread is busy: the commit copies them.
    std::promise<void> secondRelease;
    PersistentStoreTestPeer::holdCheckpoints(*store, secondRelease.get_future().share());
    before = fileSize();
    save(17'000'000);
    EXPECT_GT(fileSize(), before + 12'000'000);
    EXPECT_EQ(rawQuery(path, "SELECT max(length(title)) FROM Blog"), std::vector<std::string> { "17000000" });
    secondRelease.set_value();
    PersistentStoreTestPeer::waitForCheckpoints(*store);
    EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
}

// A copy of the log that fails (a write or a flush to the file) loses
// nothing: every save is still read from the log, and a later copy succeeds.
TEST_F(PersistentStoreTests, AFailedCopyOfTheLogLosesNoSave)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext(makeTestModel(), FaultyFileSystem::storeOptions()));
    Error error;
    for (InjectedFault fault : { InjectedFault::WriteError, InjectedFault::SyncError }) {
        SCOPED_TRACE(static_cast<int>(fault));
        std::promise<void> release;
        PersistentStoreTestPeer::holdCheckpoints(*store, release.get_future().share());
        auto blog = context->insertNewObject(u"Blog");
        std::u16string title(4'800'000, fault == InjectedFault::WriteError ? u'w' : u's');
        blog->setValueForKey(Value(title), u"title");
        ASSERT_TRUE(context->save(&error)) << error;
        FaultyFileSystem::inject(fault);
        release.set_value();
        PersistentStoreTestPeer::waitForCheckpoints(*store);
        EXPECT_GT(FaultyFileSystem::failures(), 0) << "the copy met the fault";
        FaultyFileSystem::inject(InjectedFault::None);

        EXPECT_EQ(rawQuery(path, "PRAGMA integrity_check"), std::vector<std::string> { "ok" });
        auto reader = ManagedObjectContext::create(store, &center);
        EXPECT_EQ(reader->existingObjectWithID(blog->objectID())->valueForKey(u"title"), Value(title));
    }
    // The next save's copy takes everything into the file.
    auto before = fileSize();
    auto blog = context->insertNewObject(u"Blog");
    blog->setValueForKey(Value(std::u16string(4'800'000, u'n')), u"title");
    ASSERT_TRUE(context->save(&error)) << error;
    PersistentStoreTestPeer::waitForCheckpoints(*store);
    EXPECT_GT(fileSize(), before + 4'800'000);
    context.reset();
    store.reset();
    EXPECT_EQ(rawQuery(path, "SELECT count(*) FROM Blog WHERE length(title) = 4800000"), std::vector<std::string> { "3" });
}

// A long text changed writes its new pages to the log once: the pages it
// frees are not zeroed at the cost of writing them again.
TEST_F(PersistentStoreTests, ChangingALongTextLogsItsPagesOnce)
{
    ASSERT_NO_FATAL_FAILURE(openWithContext());
    EXPECT_EQ(PersistentStoreTestPeer::pragma(*store, "secure_delete"), "2");
    auto post = context->insertNewObject(u"BlogPost");
    std::u16string body(400'000, u'a');
    post->setValueForKey(Value(body), u"sourceContentString");
    Error error;
    ASSERT_TRUE(context->save(&error)) << error;
    auto logged = std::filesystem::file_size(path + "-wal");
    body[200'000] = u'b';
    body += u"c";
    post->setValueForKey(Value(body), u"sourceContentString");
    ASSERT_TRUE(context->save(&error)) << error;
    auto added = std::filesystem::file_size(path + "-wal") - logged;
    EXPECT_GT(added, 400'000u);
    EXPECT_LT(added, 600'000u);
    auto reader = ManagedObjectContext::create(store, &center);
    EXPECT_EQ(reader->existingObjectWithID(post->objectID())->valueForKey(u"sourceContentString"), Value(body));

    // Closed and opened again, the text is the last one saved.
    auto postID = post->objectID();
    post.reset();
    reader.reset();
    ASSERT_NO_FATAL_FAILURE(reopenWithContext());
    EXPECT_EQ(context->existingObjectWithID(postID)->valueForKey(u"sourceContentString"), Value(body));
}

} // namespace
} // namespace brevanton
