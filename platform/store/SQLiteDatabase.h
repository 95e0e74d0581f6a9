// SQLiteDatabase, SQLiteStatement, SQLiteTransaction: the small wrapper the
// store talks to SQLite through. Failures come back as Errors of the store
// domain with SQLite's extended result code and message underlying.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace brevanton {

inline constexpr const char* SQLiteErrorDomain = "SQLiteErrorDomain";

class SQLiteDatabase;

class SQLiteStatement {
public:
    SQLiteStatement();
    SQLiteStatement(SQLiteStatement&& other) noexcept;
    SQLiteStatement& operator=(SQLiteStatement&& other) noexcept;
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;
    ~SQLiteStatement();

    bool isValid() const { return m_statement; }

    // Parameters count from 1.
    void bindNull(int index);
    void bindInteger(int index, int64_t value);
    void bindDouble(int index, double value);
    // UTF-16 text is bound as UTF-8 the statement encodes into memory of its
    // own, which SQLite reads in place (no copy, no allocation a value): it
    // stays until the statement is reset or has run to its end.
    void bindText(int index, std::u16string_view value);
    void bindText(int index, std::string_view utf8);
    void bindBlob(int index, const void* bytes, size_t size);

    // Answers true for a row, false when done; false with an Error on failure.
    [[nodiscard]] bool step(bool& hasRow, Error* outError);
    // Runs to the end, ignoring rows, then resets (bindings cleared).
    [[nodiscard]] bool execute(Error* outError);
    // Makes the statement ready to run again, its bindings cleared.
    void reset();

    int columnCount() const;
    bool columnIsNull(int column) const;
    int64_t columnInteger(int column) const;
    double columnDouble(int column) const;
    std::u16string columnText(int column) const;
    // The text, or none when the column is NULL.
    std::optional<std::u16string> columnTextUnlessNull(int column) const;
    std::string columnUTF8(int column) const;
    Data columnBlob(int column) const;

private:
    friend class SQLiteDatabase;
    SQLiteStatement(SQLiteDatabase* database, sqlite3_stmt* statement);
    SQLiteDatabase* m_database { nullptr };
    sqlite3_stmt* m_statement { nullptr };
    // The UTF-8 of the text bound from UTF-16 since the last reset; made at
    // the first such binding.
    class BoundText;
    std::unique_ptr<BoundText> m_text;
};

class SQLiteDatabase {
public:
    SQLiteDatabase();
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    // Opens read-write, creating the file; `vfsName` empty for the default VFS.
    [[nodiscard]] bool open(const std::string& path, const std::string& vfsName, Error* outError);
    void close();
    bool isOpen() const { return m_database; }

    [[nodiscard]] bool execute(std::string_view sql, Error* outError);
    [[nodiscard]] SQLiteStatement prepare(std::string_view sql, Error* outError);
    // A statement prepared once and kept (reset before it is answered).
    SQLiteStatement* cachedStatement(const std::string& sql, Error* outError);

    // Flushes the file and its write-ahead log to disk: what commits wrote
    // without syncing (synchronous = OFF) is durable when it answers true.
    [[nodiscard]] bool syncFiles(Error* outError);

    int64_t lastInsertRowID() const;
    int changes() const;

    // The last failure as an Error of SQLiteErrorDomain (code: extended result code).
    Error lastError(std::string_view during) const;
    Error errorForResult(int result, std::string_view during) const;

    sqlite3* handle() const { return m_database; }

private:
    sqlite3* m_database { nullptr };
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};

// BEGIN IMMEDIATE on construction (check began()), ROLLBACK on destruction
// unless committed.
class SQLiteTransaction {
public:
    SQLiteTransaction(SQLiteDatabase& database, Error* outError);
    ~SQLiteTransaction();
    SQLiteTransaction(const SQLiteTransaction&) = delete;
    SQLiteTransaction& operator=(const SQLiteTransaction&) = delete;

    bool began() const { return m_began; }
    [[nodiscard]] bool commit(Error* outError);

private:
    SQLiteDatabase& m_database;
    bool m_began { false };
    bool m_finished { false };
};

// Quotes an identifier for SQL ("name", with inner quotes doubled).
std::string quotedSQLIdentifier(std::u16string_view name);

} // namespace brevanton
