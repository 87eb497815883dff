#include "server/player/mpris/MprisArtProvider.h"

#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/library/art/HttpGet.h"
#include "server/library/readers/tags/EmbeddedPicture.h"
#include "server/player/mpris/MprisTrack.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

namespace vantor {

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return true;
    std::remove(path.c_str());
    return false;
}

// A regular file of at most `limit` bytes, read whole; empty otherwise.
std::string ReadSmallFile(const std::string& path, size_t limit) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        static_cast<size_t>(info.st_size) > limit) {
        return "";
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return in ? bytes : "";
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

CMPRISArtProvider::CMPRISArtProvider(CLogger& logger,
                                     std::shared_ptr<const CMprisNowPlaying> nowPlaying)
    : m_logger(logger), m_nowPlaying(std::move(nowPlaying)) {}

bool CMPRISArtProvider::FromArtUrl(const std::string& url, const std::string& targetPath) {
    if (StartsWith(url, "file://")) {
        const std::string bytes = ReadSmallFile(PathFromUrl(url), kMaxPictureBytes);
        return !bytes.empty() && WriteFile(targetPath, bytes);
    }
    if (StartsWith(url, "http://") || StartsWith(url, "https://")) {
        if (HttpGetFile(url, targetPath) != 0) return false;
        struct stat info {};
        if (::stat(targetPath.c_str(), &info) == 0 &&
            static_cast<size_t>(info.st_size) <= kMaxPictureBytes) {
            return true;
        }
        std::remove(targetPath.c_str());
        return false;
    }
    return false;  // data: and other schemes are not followed
}

int CMPRISArtProvider::GetAlbumArt(const CMusicItem& track, const std::string& targetPath) {
    if (track.path.empty()) return -1;
    const std::string artUrl = m_nowPlaying ? m_nowPlaying->ArtUrlFor(track.path) : "";
    if (!artUrl.empty() && FromArtUrl(artUrl, targetPath)) return 0;
    if (track.path[0] != '/') return -1;  // a stream: nothing embedded to read
    const std::string picture = ReadEmbeddedPicture(track.path, kMaxPictureBytes);
    if (picture.empty()) return -1;
    if (!WriteFile(targetPath, picture)) {
        m_logger.LogCritical("ERROR: Unable to write album art to %s", targetPath.c_str());
        return -1;
    }
    return 0;
}

}  // namespace vantor
