#include "platform/store/PersistentStore.h"

#include "platform/store/ModelSchema.h"
#include "platform/store/PersistentStoreInternals.h"
#include "platform/store/PredicateSQL.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Text.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <unistd.h>

namespace brevanton {

static Error storeError(int64_t code, const std::string& message, const Error* underlying = nullptr)
{
    Error error(PersistentStoreErrorDomain, code, toUTF16(message));
    if (underlying)
        error.setUnderlyingError(*underlying);
    return error;
}

static std::u16string newStoreIdentifier()
{
    uint8_t bytes[16] = {};
    std::ifstream random("/dev/urandom", std::ios::binary);
    if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
        std::random_device device;
        for (auto& byte : bytes)
            byte = static_cast<uint8_t>(device());
    }
    bytes[6] = (bytes[6] & 0x0F) | 0x40;
    bytes[8] = (bytes[8] & 0x3F) | 0x80;
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return toUTF16(text);
}

static const char* columnType(AttributeType type)
{
    switch (type) {
    case AttributeType::String: return "TEXT";
    case AttributeType::Integer:
    case AttributeType::Boolean: return "INTEGER";
    case AttributeType::Double:
    case AttributeType::Date: return "REAL";
    case AttributeType::Binary:
    case AttributeType::Transformable: return "BLOB";
    }
    return "";
}

void bindAttributeValue(SQLiteStatement& statement, int index, AttributeType type, const Value& value)
{
    if (value.isNull()) {
        statement.bindNull(index);
        return;
    }
    switch (type) {
    case AttributeType::String:
        statement.bindText(index, std::u16string_view(value.string()));
        return;
    case AttributeType::Integer:
    case AttributeType::Boolean:
        statement.bindInteger(index, value.integerValue());
        return;
    case AttributeType::Double:
        statement.bindDouble(index, value.doubleValue());
        return;
    case AttributeType::Date:
        statement.bindDouble(index, value.date().timeIntervalSince1970());
        return;
    case AttributeType::Binary:
        statement.bindBlob(index, value.data().data(), value.data().size());
        return;
    case AttributeType::Transformable: {
        auto data = writePropertyList(value, PropertyListFormat::Binary, nullptr);
        if (data)
            statement.bindBlob(index, data->data(), data->size());
        else
            statement.bindNull(index);
        return;
    }
    }
}

Value readAttributeValue(const SQLiteStatement& statement, int column, AttributeType type)
{
    // Text asks SQLite once, not first whether the column is NULL.
    if (type == AttributeType::String) {
        auto text = statement.columnTextUnlessNull(column);
        return text ? Value(std::move(*text)) : Value();
    }
    if (statement.columnIsNull(column))
        return Value();
    switch (type) {
    case AttributeType::String: return Value(statement.columnText(column));
    case AttributeType::Integer: return Value(static_cast<long long>(statement.columnInteger(column)));
    case AttributeType::Boolean: return Value(statement.columnInteger(column) != 0);
    case AttributeType::Double: return Value(statement.columnDouble(column));
    case AttributeType::Date: return Value(Date(statement.columnDouble(column)));
    case AttributeType::Binary: return Value(statement.columnBlob(column));
    case AttributeType::Transformable: {
        auto value = readPropertyList(statement.columnBlob(column), nullptr);
        return value ? *value : Value();
    }
    }
    return Value();
}

int64_t PersistentStore::Private::takeNumber()
{
    std::lock_guard lock(mutex);
    if (nextNumber >= reservedEnd && !numberRecordingDeferred) {
        // Record a block of numbers as used before giving any of them, so
        // that no number is given again after a rollback or a crash, nor by
        // another store open on the same file. When that cannot be written,
        // the numbers are recorded by the next save.
        Error error;
        SQLiteTransaction transaction(database, &error);
        int64_t recorded = 0;
        if (transaction.began() && readNextNumber(recorded, &error)) {
            int64_t start = std::max(nextNumber, recorded);
            int64_t end = start + reservationSize;
            if (recordNextNumber(end, &error) && transaction.commit(&error)) {
                nextNumber = start;
                reservedEnd = end;
                reservationSize = std::min<int64_t>(reservationSize * 2, 16384);
            }
        }
    }
    return nextNumber++;
}

bool PersistentStore::Private::readNextNumber(int64_t& number, Error* outError)
{
    SQLiteStatement* statement = database.cachedStatement(
        "SELECT CAST(value AS INTEGER) FROM \"_Metadata\" WHERE key = 'nextNumber'", outError);
    if (!statement)
        return false;
    bool hasRow = false;
    if (!statement->step(hasRow, outError))
        return false;
    number = hasRow ? statement->columnInteger(0) : 0;
    statement->reset();
    return true;
}

bool PersistentStore::Private::recordNextNumber(int64_t end, Error* outError)
{
    SQLiteStatement* statement = database.cachedStatement(
        "UPDATE \"_Metadata\" SET value = max(CAST(value AS INTEGER), ?) WHERE key = 'nextNumber'", outError);
    if (!statement)
        return false;
    statement->bindInteger(1, end);
    return statement->execute(outError);
}

PersistentStore::PersistentStore()
    : m_private(std::make_unique<Private>())
{
}

PersistentStore::~PersistentStore() = default;

namespace {

// A commit appends the changed pages to the write-ahead log and syncs it:
// once it returns the change is durable. Copying the log back into the file
// (a checkpoint) is what SQLite does in the commit that takes the log past
// 1000 pages, on the path of the save that made it. The store copies it on a
// thread of its own instead, through a connection of its own, while saves go
// on (a passive copy takes the pages committed so far and waits for no one);
// a log that still grows to four times as many pages (the copy could not keep
// up) is copied in the commit.
constexpr int checkpointLogPages = 1000;
constexpr int checkpointInCommitLogPages = 4 * checkpointLogPages;

void checkpointWriteAheadLog(PersistentStore::Private& d)
{
    // A commit from now on asks for a copy of its own.
    d.checkpointScheduled = false;
    SQLiteDatabase& database = d.checkpointDatabase;
    Error error;
    if (!database.isOpen()) {
        // Full synchronisation: the copied pages are on disk before the log
        // is used again from its start.
        if (!database.open(d.path, d.vfsName, &error) || !database.execute("PRAGMA synchronous = FULL", &error)) {
            database.close();
            return;
        }
    }
    sqlite3_wal_checkpoint_v2(database.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

int logWasWritten(void* context, sqlite3* database, const char* name, int pages)
{
    auto& d = *static_cast<PersistentStore::Private*>(context);
    // The saving connection copies the log only when its copy is synced.
    if (pages >= checkpointInCommitLogPages && !d.syncsDeferred) {
        sqlite3_wal_checkpoint_v2(database, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        return SQLITE_OK;
    }
    if (pages >= checkpointLogPages && !d.checkpointScheduled.exchange(true)) {
        std::lock_guard lock(d.checkpointQueueMutex);
        if (!d.checkpointQueue)
            d.checkpointQueue = std::make_unique<OperationQueue>("store checkpoints");
        // The private part outlives the queue, which its destructor empties.
        d.checkpointQueue->addOperation([&d] { checkpointWriteAheadLog(d); });
    }
    return SQLITE_OK;
}

} // namespace

PersistentStore::Private::~Private()
{
    std::unique_ptr<OperationQueue> queue;
    {
        std::lock_guard lock(checkpointQueueMutex);
        queue = std::move(checkpointQueue);
    }
    if (queue) {
        queue->cancelAllOperations();
        queue.reset();
    }
    checkpointDatabase.close();
}

const std::u16string& PersistentStore::identifier() const { return m_private->identifier; }
const std::string& PersistentStore::path() const { return m_private->path; }
const ManagedObjectModel& PersistentStore::model() const { return *m_private->model; }
bool PersistentStore::migrated() const { return m_private->migrated; }

// Sets the connection's journal mode ("wal", "memory"): false with an
// error when SQLite answers another.
static bool setJournalMode(SQLiteDatabase& database, std::string_view mode, Error* outError)
{
    SQLiteStatement statement = database.prepare("PRAGMA journal_mode = " + std::string(mode), outError);
    bool hasRow = false;
    if (!statement.isValid() || !statement.step(hasRow, outError))
        return false;
    if (!hasRow || statement.columnUTF8(0) != mode)
        return setError(outError, storeError(PersistentStoreOpenError, "The journal cannot be set to " + std::string(mode)));
    return true;
}

bool PersistentStore::finishFilling(Error* outError)
{
    Private& d = *m_private;
    std::lock_guard lock(d.mutex);
    if (!d.syncsDeferred && !d.journalInMemory)
        return true;
    d.numberRecordingDeferred = false;
    Error error;
    bool recorded = d.nextNumber <= d.reservedEnd;
    if (!recorded) {
        SQLiteTransaction transaction(d.database, &error);
        recorded = transaction.began() && d.recordNextNumber(d.nextNumber, &error) && transaction.commit(&error);
        if (recorded)
            d.reservedEnd = d.nextNumber;
    }
    // Every commit from here on goes through the log and is synced; then
    // what the filling wrote goes to disk. Numbers not recorded are
    // recorded by the next one given. A journal still in memory is tried
    // again by the next call.
    Error pragmaError;
    if (d.journalInMemory && setJournalMode(d.database, "wal", &pragmaError))
        d.journalInMemory = false;
    else if (d.journalInMemory && error.isEmpty())
        error = pragmaError;
    if (d.database.execute("PRAGMA synchronous = FULL", &pragmaError))
        d.syncsDeferred = false;
    else if (error.isEmpty())
        error = pragmaError;
    if (!recorded || d.journalInMemory || d.syncsDeferred || !d.database.syncFiles(&error))
        return setError(outError, storeError(PersistentStoreSaveError, "Cannot make the first filling of " + d.path + " durable", &error));
    return true;
}

static std::string joinTableName(const EntityDescription& entity, const RelationshipDescription& relationship)
{
    return toUTF8(entity.name()) + "_" + toUTF8(relationship.name);
}

// Rows go in several a statement with "OR ROLLBACK": a statement that fails
// ends the save's transaction at once, as the save would. Without it, SQLite
// keeps a statement journal for each statement of several rows (the pages
// it changes, copied to a temporary file before the change) so as to undo
// that statement alone, which a save never does.
static RowInsertion describeRowInsertion(const std::string& prefix, size_t columns)
{
    // SQLite's smallest limit on the parameters of one statement.
    constexpr size_t maximumParameters = 999;
    RowInsertion insertion;
    insertion.columns = columns;
    std::string row = "(?";
    for (size_t i = 1; i < columns; ++i)
        row += ", ?";
    row += ")";
    for (size_t rows : { 64, 16, 4, 1 }) {
        if (rows > 1 && rows * columns > maximumParameters)
            continue;
        std::string sql = prefix;
        for (size_t i = 0; i < rows; ++i)
            sql += (i ? ", " : "") + row;
        insertion.statements.emplace_back(rows, std::move(sql));
    }
    return insertion;
}

static void describeTables(PersistentStore::Private& store)
{
    const ManagedObjectModel& model = *store.model;
    for (auto& entityPointer : model.entities()) {
        const EntityDescription& entity = *entityPointer;
        EntityTable table;
        table.tableName = quotedSQLIdentifier(entity.name());
        std::vector<std::string> columns;
        for (auto& attribute : entity.attributes())
            columns.push_back(quotedSQLIdentifier(attribute.name));
        for (size_t i = 0; i < entity.relationships().size(); ++i) {
            const RelationshipDescription& relationship = entity.relationships()[i];
            const EntityDescription& destination = *entity.destinationEntity(relationship);
            const RelationshipDescription& inverse = *destination.relationshipNamed(relationship.inverseName);
            RelationshipStorage storage;
            std::string joinTable;
            RowInsertion joinInsertion;
            if (!relationship.toMany) {
                storage = RelationshipStorage::Column;
                table.toOneRelationships.push_back(static_cast<int>(i));
                columns.push_back(quotedSQLIdentifier(relationship.name));
            } else if (!inverse.toMany) {
                storage = RelationshipStorage::InverseColumn;
            } else if (std::tie(entity.name(), relationship.name) < std::tie(destination.name(), inverse.name)) {
                storage = RelationshipStorage::JoinTableOwner;
                joinTable = joinTableName(entity, relationship);
                joinInsertion = describeRowInsertion("INSERT OR ROLLBACK INTO " + quotedSQLIdentifier(toUTF16(joinTable)) + " (owner, other) VALUES ", 2);
            } else {
                storage = RelationshipStorage::JoinTableOther;
                joinTable = joinTableName(destination, inverse);
            }
            table.storage.push_back(storage);
            table.joinTables.push_back(joinTable);
            table.joinInsertRows.push_back(std::move(joinInsertion));
        }
        std::string list = "id";
        std::string placeholders = "?";
        std::string assignments;
        for (auto& column : columns) {
            list += ", " + column;
            placeholders += ", ?";
            assignments += (assignments.empty() ? "" : ", ") + column + " = ?";
        }
        table.selectAll = "SELECT " + list + " FROM " + table.tableName + " ORDER BY id";
        table.selectOne = "SELECT " + list + " FROM " + table.tableName + " WHERE id = ?";
        table.selectWhere = "SELECT " + list + " FROM " + table.tableName + " WHERE ";
        table.insert = "INSERT INTO " + table.tableName + " (" + list + ") VALUES (" + placeholders + ")";
        table.update = columns.empty() ? std::string() : "UPDATE " + table.tableName + " SET " + assignments + " WHERE id = ?";
        table.remove = "DELETE FROM " + table.tableName + " WHERE id = ?";
        table.insertRows = describeRowInsertion("INSERT OR ROLLBACK INTO " + table.tableName + " (" + list + ") VALUES ", columns.size() + 1);
        store.tables.push_back(std::move(table));
    }
}

// Creates what the model has and the file lacks: tables, columns, join
// tables and indices. A new table is made with all its columns at once (each
// column added later makes SQLite read the whole schema again).
static bool createSchema(PersistentStore::Private& store, Error* outError)
{
    SQLiteDatabase& database = store.database;
    const ManagedObjectModel& model = *store.model;
    for (auto& entityPointer : model.entities()) {
        const EntityDescription& entity = *entityPointer;
        const EntityTable& table = store.table(entity);
        std::set<std::string> existing;
        SQLiteStatement info = database.prepare("PRAGMA table_info(" + table.tableName + ")", outError);
        if (!info.isValid())
            return false;
        bool hasRow = false;
        while (true) {
            if (!info.step(hasRow, outError))
                return false;
            if (!hasRow)
                break;
            existing.insert(info.columnUTF8(1));
        }
        info = SQLiteStatement();
        // The columns after "id": the attributes, then the to-one relationships.
        std::vector<std::pair<std::u16string, const char*>> columns;
        for (auto& attribute : entity.attributes())
            columns.emplace_back(attribute.name, columnType(attribute.type));
        for (size_t i = 0; i < entity.relationships().size(); ++i) {
            if (table.storage[i] == RelationshipStorage::Column)
                columns.emplace_back(entity.relationships()[i].name, "INTEGER");
        }
        if (existing.empty()) {
            std::string definition = "CREATE TABLE " + table.tableName + " (id INTEGER PRIMARY KEY";
            for (auto& [name, type] : columns)
                definition += ", " + quotedSQLIdentifier(name) + " " + type;
            if (!database.execute(definition + ")", outError))
                return false;
        } else {
            for (auto& [name, type] : columns) {
                if (!existing.count(toUTF8(name))
                    && !database.execute("ALTER TABLE " + table.tableName + " ADD COLUMN " + quotedSQLIdentifier(name) + " " + type,
                                         outError))
                    return false;
            }
        }
        for (size_t i = 0; i < entity.relationships().size(); ++i) {
            const RelationshipDescription& relationship = entity.relationships()[i];
            if (table.storage[i] == RelationshipStorage::Column) {
                std::string index = quotedSQLIdentifier(entity.name() + u"_" + relationship.name + u"_index");
                if (!database.execute("CREATE INDEX IF NOT EXISTS " + index + " ON " + table.tableName + " ("
                                          + quotedSQLIdentifier(relationship.name) + ")",
                                      outError))
                    return false;
            } else if (table.storage[i] == RelationshipStorage::JoinTableOwner) {
                std::string join = quotedSQLIdentifier(toUTF16(table.joinTables[i]));
                std::string index = quotedSQLIdentifier(toUTF16(table.joinTables[i] + "_other"));
                if (!database.execute("CREATE TABLE IF NOT EXISTS " + join
                                          + " (owner INTEGER NOT NULL, other INTEGER NOT NULL, PRIMARY KEY (owner, other)) WITHOUT ROWID",
                                      outError)
                    || !database.execute("CREATE INDEX IF NOT EXISTS " + index + " ON " + join + " (other)", outError))
                    return false;
            }
        }
    }
    return true;
}

static bool readMetadata(SQLiteDatabase& database, const char* key, std::string& value, Error* outError)
{
    SQLiteStatement statement = database.prepare("SELECT value FROM \"_Metadata\" WHERE key = ?", outError);
    if (!statement.isValid())
        return false;
    statement.bindText(1, std::string_view(key));
    bool hasRow = false;
    if (!statement.step(hasRow, outError))
        return false;
    value = hasRow ? statement.columnUTF8(0) : std::string();
    return true;
}

static bool writeMetadata(SQLiteDatabase& database, const char* key, const std::string& value, Error* outError)
{
    SQLiteStatement statement = database.prepare("INSERT OR REPLACE INTO \"_Metadata\" (key, value) VALUES (?, ?)", outError);
    if (!statement.isValid())
        return false;
    statement.bindText(1, std::string_view(key));
    statement.bindText(2, std::string_view(value));
    return statement.execute(outError);
}

static std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (auto& line : lines)
        text += line + "\n";
    return text;
}

static std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::shared_ptr<PersistentStore> PersistentStore::open(const std::string& path, std::shared_ptr<const ManagedObjectModel> model,
                                                       Error* outError, const PersistentStoreOptions& options)
{
    model->validate();
    std::shared_ptr<PersistentStore> store(new PersistentStore);
    Private& d = *store->m_private;
    d.path = path;
    d.vfsName = options.vfsName;
    d.numberRecordingDeferred = options.firstFilling;
    d.syncsDeferred = options.firstFilling;
    d.model = std::move(model);
    describeTables(d);

    auto fail = [&](int64_t code, const std::string& message, const Error& underlying) {
        setError(outError, storeError(code, message + ": " + path, &underlying));
        return nullptr;
    };

    Error error;
    if (!d.database.open(path, options.vfsName, &error))
        return fail(PersistentStoreOpenError, "Cannot open the store", error);
    // Set before write-ahead logging is switched on: making a new file use
    // it is a transaction of its own.
    if (!d.database.execute(options.firstFilling ? "PRAGMA synchronous = OFF" : "PRAGMA synchronous = FULL", &error))
        return fail(PersistentStoreOpenError, "Cannot set up the store", error);
    // A first filling of a file that holds nothing yet writes its pages
    // straight into the file, its rollback journal kept in memory (a new
    // page has nothing to journal): through the log they would be written
    // twice, to the log and then copied into the file. finishFilling turns
    // write-ahead logging on. A crash before then leaves a file its owner
    // erases, as it does any first filling cut short.
    bool isEmpty = false;
    if (options.firstFilling) {
        SQLiteStatement pages = d.database.prepare("PRAGMA page_count", &error);
        bool hasRow = false;
        if (!pages.isValid() || !pages.step(hasRow, &error))
            return fail(PersistentStoreOpenError, "Cannot read the store", error);
        isEmpty = hasRow && pages.columnInteger(0) == 0;
    }
    if (!setJournalMode(d.database, isEmpty ? "memory" : "wal", &error))
        return fail(PersistentStoreOpenError, "Cannot set up the store's journal", error);
    d.journalInMemory = isEmpty;
    // Freed pages are not zeroed when that costs writes of their own (as a
    // build with secure deletion on by default does): a changed long text
    // (a post's body) frees its old overflow pages, and zeroing them doubled
    // the log a save writes. Pages still in use are cleared as before, and
    // a freed page is soon reused.
    if (!d.database.execute("PRAGMA secure_delete = FAST", &error))
        return fail(PersistentStoreOpenError, "Cannot set up the store", error);
    sqlite3_wal_hook(d.database.handle(), logWasWritten, &d);
    if (!PredicateSQL::registerFunctions(d.database, &error))
        return fail(PersistentStoreOpenError, "Cannot set up the store", error);

    SQLiteTransaction transaction(d.database, &error);
    if (!transaction.began())
        return fail(PersistentStoreOpenError, "Cannot read the store", error);

    std::string identifier;
    std::vector<std::string> modelLines = modelSchemaLines(*d.model);
    SQLiteStatement tables = d.database.prepare("SELECT name FROM sqlite_master WHERE type = 'table'", &error);
    if (!tables.isValid())
        return fail(PersistentStoreOpenError, "Cannot read the store", error);
    bool hasMetadata = false;
    bool hasOtherTables = false;
    bool hasRow = false;
    while (true) {
        if (!tables.step(hasRow, &error))
            return fail(PersistentStoreOpenError, "Cannot read the store", error);
        if (!hasRow)
            break;
        (tables.columnUTF8(0) == "_Metadata" ? hasMetadata : hasOtherTables) = true;
    }
    tables = SQLiteStatement();

    if (!hasMetadata) {
        if (hasOtherTables)
            return fail(PersistentStoreOpenError, "The file is not a store", Error());
        identifier = toUTF8(newStoreIdentifier());
        if (!d.database.execute("CREATE TABLE \"_Metadata\" (key TEXT PRIMARY KEY, value)", &error)
            || !writeMetadata(d.database, "identifier", identifier, &error)
            || !writeMetadata(d.database, "nextNumber", "1", &error))
            return fail(PersistentStoreOpenError, "Cannot create the store", error);
    } else {
        std::string stored;
        if (!readMetadata(d.database, "identifier", identifier, &error) || !readMetadata(d.database, "schema", stored, &error))
            return fail(PersistentStoreOpenError, "Cannot read the store", error);
        std::vector<std::string> storedLines = splitLines(stored);
        std::sort(storedLines.begin(), storedLines.end());
        if (identifier.empty())
            return fail(PersistentStoreOpenError, "The store has no identifier", Error());
        if (!std::includes(modelLines.begin(), modelLines.end(), storedLines.begin(), storedLines.end()))
            return fail(PersistentStoreIncompatibleModelError, "The store was written by an incompatible model", Error());
        d.migrated = storedLines != modelLines;
    }
    if (!createSchema(d, &error) || !writeMetadata(d.database, "schema", joinLines(modelLines), &error)
        || !writeMetadata(d.database, "modelVersion", d.model->versionHash(), &error))
        return fail(PersistentStoreOpenError, "Cannot set up the store's tables", error);
    std::string next;
    if (!readMetadata(d.database, "nextNumber", next, &error))
        return fail(PersistentStoreOpenError, "Cannot read the store", error);
    if (!transaction.commit(&error))
        return fail(PersistentStoreOpenError, "Cannot set up the store", error);

    d.identifier = toUTF16(identifier);
    d.sharedIdentifier = std::make_shared<const std::u16string>(d.identifier);
    d.nextNumber = std::max<int64_t>(1, std::strtoll(next.c_str(), nullptr, 10));
    d.reservedEnd = d.nextNumber;
    return store;
}

bool PersistentStore::destroy(const std::string& path, Error* outError)
{
    for (const char* suffix : { "", "-wal", "-shm", "-journal" }) {
        std::string file = path + suffix;
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            return setError(outError, Error::posix(errno, toUTF16("Removing " + file)));
    }
    return true;
}

std::optional<ManagedObjectID> PersistentStore::managedObjectIDForURIRepresentation(const URL& url) const
{
    if (url.scheme() != ManagedObjectURIScheme)
        return std::nullopt;
    auto host = url.host();
    if (!host || !equalsIgnoringASCIICase(*host, m_private->identifier))
        return std::nullopt;
    std::u16string path = url.path();
    // "/Entity/pNUMBER"
    if (path.size() < 4 || path[0] != u'/')
        return std::nullopt;
    size_t slash = path.find(u'/', 1);
    if (slash == std::u16string::npos || slash + 2 >= path.size() + 1 || path[slash + 1] != u'p')
        return std::nullopt;
    std::u16string entityName = path.substr(1, slash - 1);
    const EntityDescription* entity = m_private->model->entityNamed(entityName);
    if (!entity)
        return std::nullopt;
    std::u16string digits = path.substr(slash + 2);
    if (digits.empty() || digits.size() > 18)
        return std::nullopt;
    int64_t number = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c - u'0');
    }
    if (number <= 0)
        return std::nullopt;
    return ManagedObjectID(m_private->identifier, entity->name(), number);
}

} // namespace brevanton
