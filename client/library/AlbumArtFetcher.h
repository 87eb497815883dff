#pragma once

// The album art of the current media: the location the server names is downloaded (HTTP
// GET) into the client's cache folder as "albumart" plus the location's extension, unless it
// is the location downloaded last, which is on disk already. A failed download leaves
// nothing to show (the window shows "no_artwork.png") and is tried again next time.
//
// Threads: any (the desktop fetches on the link's receive thread); calls are serialised.

#include <cstddef>
#include <mutex>
#include <string>

namespace vantor::client {

// The art file can't be larger (a server sending more is cut off).
inline constexpr size_t kMaxAlbumArtBytes = 16u << 20;

class AlbumArtFetcher {
public:
    // `cacheFolder` ends with "/"; it is created when missing.
    explicit AlbumArtFetcher(std::string cacheFolder);

    struct Outcome {
        bool unchanged = false;  // the same location as last time: what is shown stays
        std::string file;        // the picture to show; "" for none
    };
    // `artUrl` as the server sent it ("" when it has no art); `serverHost` replaces the
    // loopback address the server may describe itself by.
    Outcome Fetch(const std::string& artUrl, const std::string& serverHost);
    // The next location is downloaded whatever it is (after a picture failed to decode,
    // or a new connection).
    void Forget();
    int Downloads() const;
    const std::string& Folder() const { return m_folder; }

    // "$XDG_CACHE_HOME/Quillmere/Vantor/" ("~/.cache" when unset).
    static std::string DefaultCacheFolder();

private:
    std::string m_folder;
    mutable std::mutex m_mutex;
    std::string m_last;
    std::string m_lastFile;
    int m_downloads = 0;
};

}  // namespace vantor::client
