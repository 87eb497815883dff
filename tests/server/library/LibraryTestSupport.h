#pragma once

#include "server/core/Logger.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace vantor::test {

// A fresh folder below the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantor-lib-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        m_path = made != nullptr ? std::string(made) + "/" : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Keeps every logged line so that tests can look for the store's error lines.
class CapturingSink : public ILogSink {
public:
    void Write(const std::string& text, int) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(text);
    }
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    bool Contains(const std::string& part) const {
        for (const std::string& line : Lines()) {
            if (line.find(part) != std::string::npos) return true;
        }
        return false;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// A logger at verbose level writing into a capturing sink.
struct TestLogger {
    TestLogger() {
        logger.SetLevel(kLogVerbose);
        logger.AddSink(&sink);
    }
    ~TestLogger() { logger.RemoveSink(&sink); }
    CLogger logger;
    CapturingSink sink;
};

}  // namespace vantor::test
