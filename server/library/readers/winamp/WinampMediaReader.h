#pragma once

#include "server/library/MediaReader.h"
#include "server/library/readers/common/DirectoryMonitor.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace vantor {

class CLogger;
class CWinampTable;

// The library reader for Winamp: the audio tracks and videos of its media library (the
// table pair "Plugins/ml/main.dat" and "main.idx"), the playlist views of
// "Plugins/gen_ml.ini" and the playlists of "playlists.xml" (in "Plugins/ml/playlists/", or
// "Plugins/ml/" for older players). It watches the player's folder with its subfolders and
// asks for a library update when one of those files changes size.
//
// Read runs on the library's update thread; the watch calls CheckForChange on its own.
class CWinampMediaReader : public IMediaReader {
public:
    static constexpr int kQuietMs = 2000;  // a burst of changes is reported this long after
    static constexpr size_t kMaxListFile = 16 * 1024 * 1024;

    // `winampDir` is the player's folder; "paths.ini" in it may move the settings (and with
    // them the library) elsewhere. Starts the folder watch at once.
    CWinampMediaReader(CLogger& logger, const std::string& winampDir);
    ~CWinampMediaReader() override;

    // 0 when the library was read, -1 otherwise (logged).
    int Read() override;
    // The folder that holds "Plugins" (the settings folder when "paths.ini" names one).
    const std::string& Directory() const { return m_directory; }
    // Compares the sizes of the watched files with those of the last Read and asks for an
    // update when any differs. What the folder watch calls.
    void CheckForChange();

private:
    enum WatchedFile { kTable, kGenMl, kPlaylistsXml, kOldPlaylistsXml, kWatchedFiles };
    std::string WatchedPath(WatchedFile file) const;
    std::array<int64_t, kWatchedFiles> CurrentSizes() const;
    int ReadTable();
    void AddRecord(const CWinampTable& table);
    void ReadGenMlViews();
    void ReadPlaylistsXml();
    void AddPlaylist(const std::string& name, const std::string& path);

    CLogger& m_logger;
    const std::string m_directory;
    std::array<std::atomic<int64_t>, kWatchedFiles> m_sizes{};
    CDirectoryMonitor m_monitor;
};

}  // namespace vantor
