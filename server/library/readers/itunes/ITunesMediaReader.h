#pragma once

#include "server/library/MediaReader.h"
#include "server/library/readers/common/DirectoryMonitor.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class CConfigStore;
class CFileWindow;
class CLogger;

// The library reader for iTunes: reads the library property list that iTunes keeps beside
// its music ("iTunes Music Library.xml") into audio tracks, videos, TV shows and a playlist
// tree, and watches the file's folder so that a change of substance starts a library update.
class CITunesMediaReader : public IMediaReader {
public:
    // `path` is the configured file; empty: the default file (see DefaultPath). Starts the
    // folder watch at once.
    CITunesMediaReader(CLogger& logger, CConfigStore& config, std::string path);
    ~CITunesMediaReader() override;

    int Read() override;

    // "Paths\DefaultITunesXML", else the music folder's "iTunes/iTunes Music Library.xml"
    // (then stored under that key).
    static std::string DefaultPath(CConfigStore& config);
    // The path the next Read opens.
    std::string Path() const;
    // Reads the file's significant size now and asks for an update when it differs from the
    // last Read's. What the folder watch calls.
    void CheckForChange();

    struct PlaylistNode {
        std::string name;
        std::string persistentId;
        std::string parentId;
        bool folder = false;
        std::vector<std::unique_ptr<PlaylistNode>> children;
    };
    // Moves every node under the node whose persistent id is its parent id, wherever in the
    // list that node is; nodes whose parent is missing (or inside themselves) stay on top.
    static void BuildPlaylistTree(std::vector<std::unique_ptr<PlaylistNode>>& nodes);

private:
    void Parse(CFileWindow& file);
    void ReadTrack(std::string_view dict);
    void ReadPlaylists(CFileWindow& file, uint64_t section);
    void AddPlaylistTree();
    void StartMonitor();

    CLogger& m_logger;
    CConfigStore& m_config;
    mutable std::mutex m_pathMutex;
    std::string m_path;  // guarded by m_pathMutex
    bool m_defaultPath;
    std::vector<std::unique_ptr<PlaylistNode>> m_playlists;  // rebuilt by every Read
    std::atomic<int64_t> m_significantSize{-1};
    CDirectoryMonitor m_monitor;
};

}  // namespace vantor
