#pragma once

#include <mutex>
#include <string>

namespace vantor {

// The current track's file and the picture address the player gave for it, shared between
// the state monitor (which writes it) and the art provider (which reads it). Thread-safe.
class CMprisNowPlaying {
public:
    void Set(std::string path, std::string artUrl) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_path = std::move(path);
        m_artUrl = std::move(artUrl);
    }
    // The art address when `path` is the current track's file; "" otherwise.
    std::string ArtUrlFor(const std::string& path) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return !path.empty() && path == m_path ? m_artUrl : "";
    }

private:
    mutable std::mutex m_mutex;
    std::string m_path;
    std::string m_artUrl;
};

}  // namespace vantor
