// What a persistent store keeps behind its interface: the database, the
// statements of each entity's table and the reserve of object numbers.
#pragma once

#include "platform/store/PersistentStore.h"
#include "platform/store/SQLiteDatabase.h"
#include "platform/foundation/OperationQueue.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace brevanton {

// How a relationship is stored.
enum class RelationshipStorage {
    // A column of the entity's table holding the destination's number.
    Column,
    // Derived: the destinations are the rows whose inverse column names this object.
    InverseColumn,
    // A join table of its own ("Entity_relationship"), columns owner and other.
    JoinTableOwner,
    // The inverse relationship's join table, read the other way.
    JoinTableOther,
};

// The statements inserting 1, 4, 16 or 64 rows at once (fewer when the
// rows hold many columns); a batch of rows is written largest first.
struct RowInsertion {
    size_t columns { 0 };
    std::vector<std::pair<size_t, std::string>> statements; // rows, SQL; most rows first
};

struct EntityTable {
    std::string tableName;
    // Columns after "id": the attributes, then the to-one relationships.
    std::vector<int> toOneRelationships; // relationship indices in column order
    std::vector<RelationshipStorage> storage; // by relationship index
    std::vector<std::string> joinTables; // by relationship index (join storage only)
    std::string selectAll;
    std::string selectOne;
    // The select list and table, then " WHERE ": a condition follows.
    std::string selectWhere;
    std::string insert;
    std::string update;
    std::string remove;
    RowInsertion insertRows;
    // By relationship index, for the join tables this entity owns.
    std::vector<RowInsertion> joinInsertRows;
};

struct PersistentStore::Private {
    std::string path;
    std::u16string identifier;
    // The identifier as the objects of the store share it.
    std::shared_ptr<const std::u16string> sharedIdentifier;
    std::shared_ptr<const ManagedObjectModel> model;
    SQLiteDatabase database;
    std::recursive_mutex mutex;
    bool migrated { false };
    std::vector<EntityTable> tables;

    // Object numbers: [nextNumber, reservedEnd) is recorded as used in the file.
    int64_t nextNumber { 1 };
    int64_t reservedEnd { 1 };
    int64_t reservationSize { 64 };
    // A first filling (PersistentStoreOptions::firstFilling) not finished:
    // numbers are given without a block recorded first, and commits are not
    // synced (nor is the log copied into the file by the saving connection,
    // whose copy would not be synced either).
    bool numberRecordingDeferred { false };
    std::atomic<bool> syncsDeferred { false };
    // A first filling of a new file: its rollback journal is in memory
    // until finishFilling turns write-ahead logging on.
    bool journalInMemory { false };
    // Counts successful saves, so that contexts notice other contexts' saves.
    std::atomic<uint64_t> saveGeneration { 0 };

    // The log's copy into the file, off the saving thread: a connection of
    // its own on a serial queue of its own (made on first use), and whether
    // a copy waits there.
    std::string vfsName;
    SQLiteDatabase checkpointDatabase;
    std::atomic<bool> checkpointScheduled { false };
    std::unique_ptr<OperationQueue> checkpointQueue;
    std::mutex checkpointQueueMutex;

    // Drops a copy not yet started and waits for one running, before the
    // connections close.
    ~Private();

    // A number never given before in this store.
    int64_t takeNumber();
    // The next free number the file records, inside the caller's transaction.
    [[nodiscard]] bool readNextNumber(int64_t& number, Error* outError);
    // Records `end` as the next free number, inside the caller's transaction.
    [[nodiscard]] bool recordNextNumber(int64_t end, Error* outError);

    const EntityTable& table(const EntityDescription& entity) const { return tables[entity.index()]; }
};

// Column encoding of attribute values.
void bindAttributeValue(SQLiteStatement&, int index, AttributeType, const Value&);
Value readAttributeValue(const SQLiteStatement&, int column, AttributeType);

} // namespace brevanton
