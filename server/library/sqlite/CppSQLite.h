#pragma once

#include "server/library/sqlite/CppSQLiteException.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_context;
struct sqlite3_value;

namespace vantor {

namespace sqlite_detail {
struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
struct DatabaseDeleter {
    void operator()(sqlite3* database) const;
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementDeleter>;
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseDeleter>;
}  // namespace sqlite_detail

// Rows of one compiled statement, positioned on the current row. A cursor made by a connection
// owns its statement and finalises it when destroyed; one made by a command borrows the
// command's statement. Every failure throws CppSQLiteException. Not thread-safe.
class CppSQLiteCursor {
public:
    CppSQLiteCursor() = default;
    CppSQLiteCursor(CppSQLiteCursor&&) noexcept = default;
    CppSQLiteCursor& operator=(CppSQLiteCursor&&) noexcept = default;
    ~CppSQLiteCursor() = default;

    bool Eof() const { return m_eof; }
    int NumFields() const;
    // Text of the current row's column; NULL reads as the empty text.
    std::string FieldValue(int field) const;
    int64_t FieldInt(int field) const;
    void NextRow();
    void Finalize();

private:
    friend class CppSQLiteConnection;
    friend class CppSQLiteCommand;
    CppSQLiteCursor(sqlite3* database, sqlite3_stmt* statement, bool eof);

    void CheckStatement() const;
    void LoadRow();

    sqlite3* m_database = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    sqlite_detail::StatementHandle m_owned;
    bool m_eof = true;
    int m_columns = 0;
    std::vector<std::string> m_values;
};

// A compiled statement with "?" parameters, reused across executions.
class CppSQLiteCommand {
public:
    CppSQLiteCommand() = default;
    CppSQLiteCommand(CppSQLiteCommand&&) noexcept = default;
    CppSQLiteCommand& operator=(CppSQLiteCommand&&) noexcept = default;
    ~CppSQLiteCommand() = default;

    bool IsValid() const { return m_statement != nullptr; }
    // 1-based parameter index; the text is copied.
    void Bind(int param, const std::string& value);
    // Bound as its decimal text, as the columns' affinity turns it back into an integer.
    void Bind(int param, int64_t value);
    // Steps to completion; returns the statement's own change count and resets.
    int ExecDML();
    // The cursor borrows this command's statement: reset before the next execution.
    CppSQLiteCursor ExecQuery();
    void Reset();
    void Finalize();

private:
    friend class CppSQLiteConnection;
    CppSQLiteCommand(sqlite3* database, sqlite_detail::StatementHandle statement);
    void CheckStatement() const;

    sqlite3* m_database = nullptr;
    sqlite_detail::StatementHandle m_statement;
};

// One database handle. Operations on a closed connection throw "Database not open".
class CppSQLiteConnection {
public:
    static constexpr int kDefaultBusyTimeoutMs = 60000;

    CppSQLiteConnection() = default;
    CppSQLiteConnection(const CppSQLiteConnection&) = delete;
    CppSQLiteConnection& operator=(const CppSQLiteConnection&) = delete;
    ~CppSQLiteConnection() = default;

    // Opens or creates the file; throws SQLITE_CANTOPEN with the library's message on failure.
    void Open(const std::string& file);
    void Close();
    bool IsOpen() const { return m_database != nullptr; }
    void SetBusyTimeout(int milliseconds);

    int ExecDML(const std::string& sql);
    CppSQLiteCursor ExecQuery(const std::string& sql);
    CppSQLiteCommand CompileStatement(const std::string& sql);
    int64_t LastInsertRowId() const;
    // Makes `fn` callable in statements as name(text): deterministic, NULL stays NULL.
    using TextFunction = std::string (*)(std::string_view);
    void AddTextFunction(const char* name, TextFunction fn);
    // Makes `fn` callable as name(text, pattern), answering 1 or 0; NULL text answers 0.
    using MatchFunction = bool (*)(std::string_view text, std::string_view pattern);
    void AddMatchFunction(const char* name, MatchFunction fn);
    // Makes `fn` callable as name(text) answering an integer: deterministic, NULL stays NULL.
    using IntegerFunction = int64_t (*)(std::string_view);
    void AddIntegerFunction(const char* name, IntegerFunction fn);

private:
    void CheckDatabase() const;
    void AddFunction(const char* name, int arguments, void* fn,
                     void (*call)(sqlite3_context*, int, sqlite3_value**));
    sqlite_detail::StatementHandle Compile(const std::string& sql);

    sqlite_detail::DatabaseHandle m_database;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
};

}  // namespace vantor
