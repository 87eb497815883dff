#include "server/library/sqlite/CppSQLiteException.h"

#include <array>
#include <cstdio>

namespace vantor {

namespace {

// Primary result codes 0..25 in order; extended codes are reduced to their primary code first.
constexpr std::array<const char*, 26> kCodeNames = {
    "SQLITE_OK",       "SQLITE_ERROR",   "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",
    "SQLITE_BUSY",     "SQLITE_LOCKED",  "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT",
    "SQLITE_IOERR",    "SQLITE_CORRUPT", "SQLITE_NOTFOUND", "SQLITE_FULL",     "SQLITE_CANTOPEN",
    "SQLITE_PROTOCOL", "SQLITE_EMPTY",   "SQLITE_SCHEMA",   "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
    "SQLITE_MISMATCH", "SQLITE_MISUSE",  "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",
    "SQLITE_RANGE"};

}  // namespace

const char* CppSQLiteException::ErrorCodeAsString(int errorCode) {
    if (errorCode >= 0 && errorCode < static_cast<int>(kCodeNames.size())) {
        return kCodeNames[static_cast<size_t>(errorCode)];
    }
    switch (errorCode) {
        case 100:
            return "SQLITE_ROW";
        case 101:
            return "SQLITE_DONE";
        case kCppSQLiteError:
            return "CPPSQLITE_ERROR";
        default:
            return "UNKNOWN_ERROR";
    }
}

CppSQLiteException::CppSQLiteException(int errorCode, const char* message)
    : m_errorCode(errorCode) {
    const char* text = message != nullptr ? message : "";
    const char* name = ErrorCodeAsString(errorCode);
    int length = std::snprintf(nullptr, 0, "%s[%d]: %s", name, errorCode, text);
    m_message.resize(static_cast<size_t>(length > 0 ? length : 0));
    std::snprintf(m_message.data(), m_message.size() + 1, "%s[%d]: %s", name, errorCode, text);
}

}  // namespace vantor
