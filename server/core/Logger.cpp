#include "server/core/Logger.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <vector>

namespace vantor {

ILogSink::~ILogSink() = default;

CLogger::CLogger() = default;

bool CLogger::AddSink(ILogSink* sink) {
    if (!sink) return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (ILogSink* present : m_sinks) {
        if (present == sink) return true;
    }
    for (ILogSink*& place : m_sinks) {
        if (!place) {
            place = sink;
            return true;
        }
    }
    return false;
}

void CLogger::RemoveSink(ILogSink* sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (ILogSink*& place : m_sinks) {
        if (place == sink) place = nullptr;
    }
}

void CLogger::Log(int level, const char* format, ...) {
    if (!IsEnabled(level)) return;
    va_list args;
    va_start(args, format);
    LogArgs(level, format, args);
    va_end(args);
}

#define VANTOR_LOG_SHORTHAND(Name, level)         \
    void CLogger::Name(const char* format, ...) { \
        if (!IsEnabled(level)) return;            \
        va_list args;                             \
        va_start(args, format);                   \
        LogArgs(level, format, args);             \
        va_end(args);                             \
    }

VANTOR_LOG_SHORTHAND(LogCritical, kLogCritical)
VANTOR_LOG_SHORTHAND(LogNormal, kLogNormal)
VANTOR_LOG_SHORTHAND(LogDetailed, kLogDetailed)
VANTOR_LOG_SHORTHAND(LogVerbose, kLogVerbose)

#undef VANTOR_LOG_SHORTHAND

void CLogger::LogText(int level, const std::string& text) {
    if (!IsEnabled(level)) return;
    Emit(level, text);
}

void CLogger::LogArgs(int level, const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (needed < 0) return;
    if (static_cast<size_t>(needed) < sizeof(small)) {
        Emit(level, std::string(small, static_cast<size_t>(needed)));
        return;
    }
    std::vector<char> large(static_cast<size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    Emit(level, std::string(large.data(), static_cast<size_t>(needed)));
}

void CLogger::Emit(int level, std::string text) {
    text += "\r\n";
    if (m_timestamps.load(std::memory_order_relaxed)) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[32];
        const size_t length = std::strftime(stamp, sizeof(stamp), "[%H:%M:%S] ", &local);
        text.insert(0, stamp, length);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (ILogSink* sink : m_sinks) {
        if (sink) sink->Write(text, level);
    }
}

std::string CLogFile::OldPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "_old";
    }
    return path.substr(0, dot) + "_old" + path.substr(dot);
}

void CLogFile::SetPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_path = path;
    struct stat info {};
    if (!m_path.empty() && ::stat(m_path.c_str(), &info) == 0) RotateLocked();
}

std::string CLogFile::GetPath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_path;
}

void CLogFile::Write(const std::string& text, int /*level*/) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_path.empty()) return;
    std::FILE* file = std::fopen(m_path.c_str(), "ab");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    const long long size = std::ftell(file);
    std::fclose(file);
    if (size >= kRotateSize) RotateLocked();
}

// A rename replaces the old file in one step, the same result as copy-then-delete.
void CLogFile::RotateLocked() {
    std::rename(m_path.c_str(), OldPath(m_path).c_str());
}

void CStderrLogSink::Write(const std::string& text, int /*level*/) {
    std::string line = text;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        line.erase(line.size() - 2, 1);
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace vantor
