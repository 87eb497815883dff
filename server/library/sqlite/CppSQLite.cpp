#include "server/library/sqlite/CppSQLite.h"

#include <mutex>

#include <sqlite3.h>

#include <cstdlib>
#include <string>

namespace vantor {

namespace sqlite_detail {
void StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}
void DatabaseDeleter::operator()(sqlite3* database) const {
    sqlite3_close_v2(database);
}
}  // namespace sqlite_detail

namespace {

[[noreturn]] void ThrowFromDatabase(sqlite3* database, int code) {
    throw CppSQLiteException(code, database != nullptr ? sqlite3_errmsg(database) : "");
}

// Done once, before the library's first use: its memory statistics take one lock for the
// whole process on every allocation, which queries on many threads at once queue on.
void ConfigureLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        // SQLITE_MISUSE when something initialised the library first: it keeps its defaults.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    });
}

}  // namespace

// ---- connection ----

void CppSQLiteConnection::Open(const std::string& file) {
    ConfigureLibraryOnce();
    Close();
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite_detail::DatabaseHandle handle(raw);
    if (rc != SQLITE_OK) {
        // The library gives a handle even on failure so that its message can be read.
        throw CppSQLiteException(SQLITE_CANTOPEN, raw != nullptr ? sqlite3_errmsg(raw) : "");
    }
    m_database = std::move(handle);
    SetBusyTimeout(m_busyTimeoutMs);
}

void CppSQLiteConnection::Close() {
    m_database.reset();
}

void CppSQLiteConnection::SetBusyTimeout(int milliseconds) {
    m_busyTimeoutMs = milliseconds;
    if (m_database) sqlite3_busy_timeout(m_database.get(), milliseconds);
}

void CppSQLiteConnection::CheckDatabase() const {
    if (!m_database) throw CppSQLiteException(kCppSQLiteError, "Database not open");
}

sqlite_detail::StatementHandle CppSQLiteConnection::Compile(const std::string& sql) {
    CheckDatabase();
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(m_database.get(), sql.c_str(), static_cast<int>(sql.size()), &raw,
                                nullptr);
    sqlite_detail::StatementHandle statement(raw);
    if (rc != SQLITE_OK) ThrowFromDatabase(m_database.get(), rc);
    return statement;
}

int CppSQLiteConnection::ExecDML(const std::string& sql) {
    CheckDatabase();
    char* error = nullptr;
    int rc = sqlite3_exec(m_database.get(), sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error != nullptr ? error : sqlite3_errmsg(m_database.get());
        sqlite3_free(error);
        throw CppSQLiteException(rc, message);
    }
    return sqlite3_changes(m_database.get());
}

CppSQLiteCursor CppSQLiteConnection::ExecQuery(const std::string& sql) {
    sqlite_detail::StatementHandle statement = Compile(sql);
    if (!statement) {
        // Only white space or a comment: nothing to step.
        return CppSQLiteCursor(m_database.get(), nullptr, true);
    }
    int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowFromDatabase(m_database.get(), rc);
    CppSQLiteCursor cursor(m_database.get(), statement.get(), rc == SQLITE_DONE);
    cursor.m_owned = std::move(statement);
    return cursor;
}

CppSQLiteCommand CppSQLiteConnection::CompileStatement(const std::string& sql) {
    return CppSQLiteCommand(m_database.get(), Compile(sql));
}

int64_t CppSQLiteConnection::LastInsertRowId() const {
    CheckDatabase();
    return sqlite3_last_insert_rowid(m_database.get());
}

// ---- cursor ----

CppSQLiteCursor::CppSQLiteCursor(sqlite3* database, sqlite3_stmt* statement, bool eof)
    : m_database(database), m_statement(statement), m_eof(eof) {
    m_columns = statement != nullptr ? sqlite3_column_count(statement) : 0;
    if (!m_eof) LoadRow();
}

void CppSQLiteCursor::CheckStatement() const {
    if (m_statement == nullptr)
        throw CppSQLiteException(kCppSQLiteError, "Null Virtual Machine pointer");
}

void CppSQLiteCursor::LoadRow() {
    m_values.assign(static_cast<size_t>(m_columns), std::string());
    for (int i = 0; i < m_columns; ++i) {
        const unsigned char* text = sqlite3_column_text(m_statement, i);
        if (text != nullptr) {
            m_values[static_cast<size_t>(i)].assign(
                reinterpret_cast<const char*>(text),
                static_cast<size_t>(sqlite3_column_bytes(m_statement, i)));
        }
    }
}

int CppSQLiteCursor::NumFields() const {
    CheckStatement();
    return m_columns;
}

std::string CppSQLiteCursor::FieldValue(int field) const {
    CheckStatement();
    if (field < 0 || field >= m_columns || m_eof) {
        throw CppSQLiteException(kCppSQLiteError, "Invalid field index requested");
    }
    return m_values[static_cast<size_t>(field)];
}

int64_t CppSQLiteCursor::FieldInt(int field) const {
    return std::strtoll(FieldValue(field).c_str(), nullptr, 10);
}

void CppSQLiteCursor::NextRow() {
    CheckStatement();
    int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_DONE) {
        m_eof = true;
        m_values.clear();
    } else if (rc == SQLITE_ROW) {
        LoadRow();
    } else {
        std::string message = sqlite3_errmsg(m_database);
        Finalize();
        throw CppSQLiteException(rc, message);
    }
}

void CppSQLiteCursor::Finalize() {
    // A borrowed statement belongs to its command, which finalises it.
    m_owned.reset();
    m_statement = nullptr;
    m_eof = true;
}

// ---- command ----

CppSQLiteCommand::CppSQLiteCommand(sqlite3* database, sqlite_detail::StatementHandle statement)
    : m_database(database), m_statement(std::move(statement)) {}

void CppSQLiteCommand::CheckStatement() const {
    if (!m_statement) throw CppSQLiteException(kCppSQLiteError, "Null Virtual Machine pointer");
}

void CppSQLiteCommand::Bind(int param, const std::string& value) {
    CheckStatement();
    int rc = sqlite3_bind_text(m_statement.get(), param, value.data(),
                               static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) throw CppSQLiteException(rc, "Error binding parameter");
}

void CppSQLiteCommand::Bind(int param, int64_t value) {
    Bind(param, std::to_string(value));
}

int CppSQLiteCommand::ExecDML() {
    CheckStatement();
    int rc = sqlite3_step(m_statement.get());
    if (rc != SQLITE_DONE) {
        std::string message = sqlite3_errmsg(m_database);
        sqlite3_reset(m_statement.get());
        throw CppSQLiteException(rc == SQLITE_ROW ? SQLITE_MISUSE : rc, message);
    }
    int changes = sqlite3_changes(m_database);
    sqlite3_reset(m_statement.get());
    return changes;
}

CppSQLiteCursor CppSQLiteCommand::ExecQuery() {
    CheckStatement();
    int rc = sqlite3_step(m_statement.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        std::string message = sqlite3_errmsg(m_database);
        sqlite3_reset(m_statement.get());
        throw CppSQLiteException(rc, message);
    }
    return CppSQLiteCursor(m_database, m_statement.get(), rc == SQLITE_DONE);
}

void CppSQLiteCommand::Reset() {
    CheckStatement();
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

void CppSQLiteCommand::Finalize() {
    m_statement.reset();
}

namespace {

void CallTextFunction(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (text == nullptr) {
        sqlite3_result_null(context);
        return;
    }
    const auto fn = reinterpret_cast<CppSQLiteConnection::TextFunction>(sqlite3_user_data(context));
    const std::string out =
        fn(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(args[0]))));
    sqlite3_result_text(context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

std::string_view ValueText(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (text == nullptr) return {};
    return {text, static_cast<size_t>(sqlite3_value_bytes(value))};
}

void CallIntegerFunction(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto fn =
        reinterpret_cast<CppSQLiteConnection::IntegerFunction>(sqlite3_user_data(context));
    sqlite3_result_int64(context, fn(ValueText(args[0])));
}

void CallMatchFunction(sqlite3_context* context, int, sqlite3_value** args) {
    const auto fn =
        reinterpret_cast<CppSQLiteConnection::MatchFunction>(sqlite3_user_data(context));
    const bool null = sqlite3_value_type(args[0]) == SQLITE_NULL;
    sqlite3_result_int(context, !null && fn(ValueText(args[0]), ValueText(args[1])) ? 1 : 0);
}

}  // namespace

void CppSQLiteConnection::AddMatchFunction(const char* name, MatchFunction fn) {
    AddFunction(name, 2, reinterpret_cast<void*>(fn), CallMatchFunction);
}

void CppSQLiteConnection::AddIntegerFunction(const char* name, IntegerFunction fn) {
    AddFunction(name, 1, reinterpret_cast<void*>(fn), CallIntegerFunction);
}

void CppSQLiteConnection::AddTextFunction(const char* name, TextFunction fn) {
    AddFunction(name, 1, reinterpret_cast<void*>(fn), CallTextFunction);
}

void CppSQLiteConnection::AddFunction(const char* name, int arguments, void* fn,
                                      void (*call)(sqlite3_context*, int, sqlite3_value**)) {
    CheckDatabase();
    const int rc = sqlite3_create_function_v2(m_database.get(), name, arguments,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC, fn, call,
                                              nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw CppSQLiteException(rc, sqlite3_errmsg(m_database.get()));
}

}  // namespace vantor
