#pragma once

#include <exception>
#include <string>

namespace vantor {

// The wrapper's own error code, used for misuse that the library itself never reports.
inline constexpr int kCppSQLiteError = 1000;

// The one exception type of the media store. It never leaves the store: every store operation
// catches it, logs its text and returns a failure value.
class CppSQLiteException : public std::exception {
public:
    // Builds the text "<code name>[<code>]: <message>"; a null message counts as empty.
    CppSQLiteException(int errorCode, const char* message);
    CppSQLiteException(int errorCode, const std::string& message)
        : CppSQLiteException(errorCode, message.c_str()) {}

    int ErrorCode() const { return m_errorCode; }
    const std::string& ErrorMessage() const { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

    // "SQLITE_BUSY" for 5, "CPPSQLITE_ERROR" for 1000, "UNKNOWN_ERROR" for codes it does not know.
    static const char* ErrorCodeAsString(int errorCode);

private:
    int m_errorCode;
    std::string m_message;
};

}  // namespace vantor
