#pragma once

#include <array>
#include <atomic>
#include <cstdarg>
#include <mutex>
#include <string>

namespace vantor {

// Log levels: a line is emitted when the logger's level is at least the line's level.
enum LogLevel : int { kLogCritical = 0, kLogNormal = 1, kLogDetailed = 2, kLogVerbose = 3 };

// Where formatted log lines go. Write is called with the logger's mutex held, so one sink
// never sees two lines at once; it must not log itself. A sink that cannot write drops
// the line silently.
class ILogSink {
public:
    virtual ~ILogSink();
    // `text` is one formatted line ending in CR LF.
    virtual void Write(const std::string& text, int level) = 0;
};

// The process-wide logger. Any thread may log; a line below the current level costs one
// comparison. Sinks are not owned and must be removed before they are destroyed.
class CLogger {
public:
    static constexpr int kMaxSinks = 5;

    CLogger();

    int GetLevel() const { return m_level.load(std::memory_order_relaxed); }
    void SetLevel(int level) { m_level.store(level, std::memory_order_relaxed); }
    bool IsEnabled(int level) const { return GetLevel() >= level; }

    // True when the sink is present afterwards; false when all places are taken.
    bool AddSink(ILogSink* sink);
    void RemoveSink(ILogSink* sink);

    // Prefix every line with the local time "[%H:%M:%S] ". Off after construction.
    void SetTimestamps(bool on) { m_timestamps.store(on, std::memory_order_relaxed); }

    void Log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void LogCritical(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogNormal(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogDetailed(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void LogVerbose(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Emits `text` as one line without printf formatting (for texts received from peers).
    void LogText(int level, const std::string& text);

private:
    void LogArgs(int level, const char* format, va_list args);
    void Emit(int level, std::string text);

    std::atomic<int> m_level{kLogNormal};
    std::atomic<bool> m_timestamps{false};
    std::mutex m_mutex;
    std::array<ILogSink*, kMaxSinks> m_sinks{};
};

// The log file sink: appends each line to a file opened and closed per line, so the file can
// be read, copied or served at any moment. When the file reaches kRotateSize bytes, and when
// a path is set whose file already exists, it is moved to the old name ("qrm.log" ->
// "qrm_old.log"), replacing the previous old file.
class CLogFile : public ILogSink {
public:
    static constexpr long long kRotateSize = 5242880;

    // Takes the path (empty: write nothing) and rotates an existing file at that path.
    void SetPath(const std::string& path);
    std::string GetPath() const;
    // The rotated file's name: "_old" inserted before the file name's last '.', or appended.
    static std::string OldPath(const std::string& path);

    void Write(const std::string& text, int level) override;

private:
    void RotateLocked();

    mutable std::mutex m_mutex;
    std::string m_path;
};

// Writes each line to standard error (for running without a display), with a plain LF.
class CStderrLogSink : public ILogSink {
public:
    void Write(const std::string& text, int level) override;
};

}  // namespace vantor
