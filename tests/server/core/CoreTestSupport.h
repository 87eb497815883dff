#pragma once

// Helpers shared by the server core tests: a log sink that remembers lines and a
// temporary folder that is removed with its contents.

#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/core/Logger.h"

namespace vantor::test {

class CCaptureSink : public ILogSink {
public:
    void Write(const std::string& text, int level) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(text);
            m_levels.push_back(level);
        }
        m_changed.notify_all();
    }

    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

    // Number of lines containing `part`.
    int Count(const std::string& part) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        int count = 0;
        for (const std::string& line : m_lines) count += line.find(part) != std::string::npos;
        return count;
    }

    bool Contains(const std::string& part) const { return Count(part) > 0; }

    bool WaitFor(const std::string& part, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] {
            for (const std::string& line : m_lines) {
                if (line.find(part) != std::string::npos) return true;
            }
            return false;
        });
    }

    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
        m_levels.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    std::vector<int> m_levels;
};

// A logger at verbose level with a capture sink attached.
struct CCapturedLogger {
    CCapturedLogger() {
        logger.SetLevel(kLogVerbose);
        logger.AddSink(&sink);
    }
    ~CCapturedLogger() { logger.RemoveSink(&sink); }
    CCaptureSink sink;
    CLogger logger;
};

class CTempDir {
public:
    CTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantor-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern + "/";
    }
    ~CTempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // Ends with '/'.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

}  // namespace vantor::test
