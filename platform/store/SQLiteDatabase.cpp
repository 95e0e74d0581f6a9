#include "platform/store/SQLiteDatabase.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/UTF8Writing.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <vector>

namespace brevanton {

// Blocks the UTF-8 of bound text is written into, one after the other. A
// block never moves, so each value stays where SQLite was told it is until
// the statement is reset, which lets go of the blocks (a statement kept for
// later holds none).
class SQLiteStatement::BoundText {
public:
    // Room for `size` bytes, valid until clear().
    char* allocate(size_t size)
    {
        if (m_blocks.empty() || m_left < size) {
            // Rows of a few hundred bytes of text each, 16 or 64 a statement.
            constexpr size_t blockSize = 16384;
            size_t allocated = std::max(size, blockSize);
            m_blocks.emplace_back(new char[allocated]);
            m_next = m_blocks.back().get();
            m_left = allocated;
        }
        char* bytes = m_next;
        m_next += size;
        m_left -= size;
        return bytes;
    }

    void clear()
    {
        m_blocks.clear();
        m_left = 0;
    }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next { nullptr };
    size_t m_left { 0 };
};

SQLiteStatement::SQLiteStatement(SQLiteDatabase* database, sqlite3_stmt* statement)
    : m_database(database)
    , m_statement(statement)
{
}

struct SQLiteDatabase::Cache {
    std::map<std::string, SQLiteStatement, std::less<>> statements;
};

SQLiteStatement::SQLiteStatement() = default;

SQLiteStatement::SQLiteStatement(SQLiteStatement&& other) noexcept
    : m_database(other.m_database)
    , m_statement(other.m_statement)
    , m_text(std::move(other.m_text))
{
    other.m_statement = nullptr;
}

SQLiteStatement& SQLiteStatement::operator=(SQLiteStatement&& other) noexcept
{
    if (this != &other) {
        if (m_statement)
            sqlite3_finalize(m_statement);
        m_database = other.m_database;
        m_statement = other.m_statement;
        m_text = std::move(other.m_text);
        other.m_statement = nullptr;
    }
    return *this;
}

SQLiteStatement::~SQLiteStatement()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
}

void SQLiteStatement::bindNull(int index) { sqlite3_bind_null(m_statement, index); }
void SQLiteStatement::bindInteger(int index, int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
void SQLiteStatement::bindDouble(int index, double value) { sqlite3_bind_double(m_statement, index, value); }

void SQLiteStatement::bindText(int index, std::u16string_view value)
{
    // Encoded straight into the statement's memory, which SQLite reads in
    // place until the reset that also clears the binding.
    if (!m_text)
        m_text = std::make_unique<BoundText>();
    size_t length = utf8Length(value);
    char* bytes = m_text->allocate(length);
    writeUTF8(value, bytes);
    sqlite3_bind_text64(m_statement, index, bytes, length, SQLITE_STATIC, SQLITE_UTF8);
}

void SQLiteStatement::bindText(int index, std::string_view utf8)
{
    sqlite3_bind_text64(m_statement, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SQLiteStatement::bindBlob(int index, const void* bytes, size_t size)
{
    sqlite3_bind_blob64(m_statement, index, size ? bytes : "", size, SQLITE_TRANSIENT);
}

bool SQLiteStatement::step(bool& hasRow, Error* outError)
{
    int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        hasRow = true;
        return true;
    }
    hasRow = false;
    if (result == SQLITE_DONE)
        return true;
    Error error = m_database->errorForResult(result, sqlite3_sql(m_statement));
    sqlite3_reset(m_statement);
    return setError(outError, std::move(error));
}

bool SQLiteStatement::execute(Error* outError)
{
    bool hasRow = true;
    bool succeeded = true;
    while (hasRow && succeeded)
        succeeded = step(hasRow, outError);
    reset();
    return succeeded;
}

void SQLiteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    if (m_text)
        m_text->clear();
}

int SQLiteStatement::columnCount() const { return sqlite3_column_count(m_statement); }
bool SQLiteStatement::columnIsNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
int64_t SQLiteStatement::columnInteger(int column) const { return sqlite3_column_int64(m_statement, column); }
double SQLiteStatement::columnDouble(int column) const { return sqlite3_column_double(m_statement, column); }

std::string SQLiteStatement::columnUTF8(int column) const
{
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    int size = sqlite3_column_bytes(m_statement, column);
    return text ? std::string(text, size) : std::string();
}

std::u16string SQLiteStatement::columnText(int column) const
{
    return columnTextUnlessNull(column).value_or(std::u16string());
}

std::optional<std::u16string> SQLiteStatement::columnTextUnlessNull(int column) const
{
    // The file holds UTF-8: well-formed text is decoded here, without SQLite
    // making (and allocating) a UTF-16 copy of its own first.
    auto bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!bytes) {
        // No text: a NULL, or a value of no bytes.
        if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
            return std::nullopt;
        return std::u16string();
    }
    std::string_view utf8(bytes, static_cast<size_t>(sqlite3_column_bytes(m_statement, column)));
    std::u16string decoded;
    if (decodeUTF8Strictly(utf8, decoded))
        return decoded;
    // What SQLite makes of ill-formed bytes stays its own.
    auto text = static_cast<const char16_t*>(sqlite3_column_text16(m_statement, column));
    int size = sqlite3_column_bytes16(m_statement, column);
    return text ? std::u16string(text, static_cast<size_t>(size) / 2) : std::u16string();
}

Data SQLiteStatement::columnBlob(int column) const
{
    auto bytes = static_cast<const uint8_t*>(sqlite3_column_blob(m_statement, column));
    int size = sqlite3_column_bytes(m_statement, column);
    return bytes ? Data(bytes, bytes + size) : Data();
}

SQLiteDatabase::SQLiteDatabase() = default;

SQLiteDatabase::~SQLiteDatabase()
{
    close();
}

bool SQLiteDatabase::open(const std::string& path, const std::string& vfsName, Error* outError)
{
    close();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int result = sqlite3_open_v2(path.c_str(), &m_database, flags, vfsName.empty() ? nullptr : vfsName.c_str());
    if (result != SQLITE_OK) {
        Error error = m_database ? lastError("open") : errorForResult(result, "open");
        close();
        return setError(outError, std::move(error));
    }
    sqlite3_extended_result_codes(m_database, 1);
    sqlite3_busy_timeout(m_database, 5000);
    m_cache = std::make_unique<Cache>();
    return true;
}

void SQLiteDatabase::close()
{
    m_cache.reset();
    if (m_database) {
        sqlite3_close_v2(m_database);
        m_database = nullptr;
    }
}

bool SQLiteDatabase::execute(std::string_view sql, Error* outError)
{
    char* message = nullptr;
    int result = sqlite3_exec(m_database, std::string(sql).c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (result != SQLITE_OK)
        return setError(outError, errorForResult(result, sql));
    return true;
}

bool SQLiteDatabase::syncFiles(Error* outError)
{
    // Through the files' own methods, so that a VFS in between sees the
    // flush; the log's first flush also syncs its folder.
    for (int operation : { SQLITE_FCNTL_JOURNAL_POINTER, SQLITE_FCNTL_FILE_POINTER }) {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(m_database, "main", operation, &file) != SQLITE_OK || !file || !file->pMethods)
            continue;
        int result = file->pMethods->xSync(file, SQLITE_SYNC_NORMAL);
        if (result != SQLITE_OK)
            return setError(outError, errorForResult(result, "syncing the database files"));
    }
    return true;
}

SQLiteStatement SQLiteDatabase::prepare(std::string_view sql, Error* outError)
{
    sqlite3_stmt* statement = nullptr;
    int result = sqlite3_prepare_v2(m_database, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (result != SQLITE_OK) {
        setError(outError, errorForResult(result, sql));
        return {};
    }
    return SQLiteStatement(this, statement);
}

SQLiteStatement* SQLiteDatabase::cachedStatement(const std::string& sql, Error* outError)
{
    auto found = m_cache->statements.find(sql);
    if (found == m_cache->statements.end()) {
        SQLiteStatement statement = prepare(sql, outError);
        if (!statement.isValid())
            return nullptr;
        found = m_cache->statements.emplace(sql, std::move(statement)).first;
    }
    found->second.reset();
    return &found->second;
}

int64_t SQLiteDatabase::lastInsertRowID() const { return sqlite3_last_insert_rowid(m_database); }
int SQLiteDatabase::changes() const { return sqlite3_changes(m_database); }

Error SQLiteDatabase::lastError(std::string_view during) const
{
    return errorForResult(sqlite3_extended_errcode(m_database), during);
}

Error SQLiteDatabase::errorForResult(int result, std::string_view during) const
{
    std::string message = m_database ? sqlite3_errmsg(m_database) : sqlite3_errstr(result);
    return Error(SQLiteErrorDomain, result, toUTF16(message + " (" + std::string(during) + ")"));
}

SQLiteTransaction::SQLiteTransaction(SQLiteDatabase& database, Error* outError)
    : m_database(database)
{
    m_began = m_database.execute("BEGIN IMMEDIATE", outError);
}

SQLiteTransaction::~SQLiteTransaction()
{
    if (m_began && !m_finished && sqlite3_get_autocommit(m_database.handle()) == 0)
        (void)m_database.execute("ROLLBACK", nullptr);
}

bool SQLiteTransaction::commit(Error* outError)
{
    if (!m_database.execute("COMMIT", outError))
        return false; // the destructor rolls back what is left
    m_finished = true;
    return true;
}

std::string quotedSQLIdentifier(std::u16string_view name)
{
    std::string result = "\"";
    for (char c : toUTF8(name)) {
        if (c == '"')
            result += '"';
        result += c;
    }
    result += '"';
    return result;
}

} // namespace brevanton
