#include "server/library/readers/winamp/WinampMediaReader.h"

#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"
#include "server/library/readers/common/TextFile.h"
#include "server/library/readers/winamp/WinampFiles.h"
#include "server/library/readers/winamp/WinampTable.h"

#include <sys/stat.h>

#include <cstdio>
#include <exception>

namespace vantor {

namespace {

int64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : -1;
}

bool IsFile(const std::string& path) {
    return FileSize(path) >= 0;
}

// What the player shows for a file without a title: its name without folder and extension.
std::string FileTitle(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace

CWinampMediaReader::CWinampMediaReader(CLogger& logger, const std::string& winampDir)
    : m_logger(logger), m_directory(WinampSettingsFolder(winampDir)), m_monitor(logger) {
    for (auto& size : m_sizes) size.store(-1);  // nothing read yet
    if (m_directory.empty()) return;
    CDirectoryMonitor::Options options;
    options.subfolders = true;
    options.quietMs = kQuietMs;
    m_monitor.Start(
        m_directory, [this] { CheckForChange(); }, options);
}

CWinampMediaReader::~CWinampMediaReader() {
    m_monitor.Stop();
}

std::string CWinampMediaReader::WatchedPath(WatchedFile file) const {
    switch (file) {
        case kTable:
            return m_directory + "/Plugins/ml/main.dat";
        case kGenMl:
            return m_directory + "/Plugins/gen_ml.ini";
        case kPlaylistsXml:
            return m_directory + "/Plugins/ml/playlists/playlists.xml";
        case kOldPlaylistsXml:
        default:
            return m_directory + "/Plugins/ml/playlists.xml";
    }
}

std::array<int64_t, CWinampMediaReader::kWatchedFiles> CWinampMediaReader::CurrentSizes() const {
    std::array<int64_t, kWatchedFiles> sizes{};
    for (int file = 0; file < kWatchedFiles; ++file) {
        sizes[static_cast<size_t>(file)] = FileSize(WatchedPath(static_cast<WatchedFile>(file)));
    }
    return sizes;
}

void CWinampMediaReader::CheckForChange() {
    const auto sizes = CurrentSizes();
    for (size_t file = 0; file < sizes.size(); ++file) {
        if (sizes[file] == m_sizes[file].load()) continue;
        const std::string path = WatchedPath(static_cast<WatchedFile>(file));
        m_logger.LogNormal("Winamp media library changed (%s): updating the library", path.c_str());
        // The update's Read remembers the new sizes; until one has, every change asks again.
        IMediaReaderOwner* owner = Owner();
        if (owner != nullptr) owner->StartUpdate();
        return;
    }
}

int CWinampMediaReader::Read() {
    ClearStop();
    if (m_directory.empty()) {
        m_logger.LogCritical("ERROR: No Winamp path defined, unable to read Winamp media library");
        return -1;
    }
    try {
        const auto sizes = CurrentSizes();
        for (size_t file = 0; file < sizes.size(); ++file) m_sizes[file].store(sizes[file]);
        if (ReadTable() != 0) return -1;
        if (!IsStopping()) ReadGenMlViews();
        if (!IsStopping()) ReadPlaylistsXml();
        return 0;
    } catch (const std::exception&) {
        m_logger.LogCritical("ERROR: Exception while reading Winamp media library!");
        return -1;
    }
}

int CWinampMediaReader::ReadTable() {
    const std::string tablePath = WatchedPath(kTable);
    const std::string indexPath = m_directory + "/Plugins/ml/main.idx";
    if (!IsFile(tablePath) || !IsFile(indexPath)) {
        m_logger.LogCritical("ERROR: Winamp media library does not exist");
        return -1;
    }
    m_logger.LogDetailed("Reading Winamp media library: %s", tablePath.c_str());
    auto table =
        CWinampTable::Open(tablePath, indexPath, m_logger, [this] { return IsStopping(); });
    if (!table) {
        m_logger.LogCritical("ERROR: Unable to open Winamp media library for import");
        return -1;
    }
    for (table->First(); !table->AtEnd() && !IsStopping(); table->Next()) AddRecord(*table);
    table->Close();
    return 0;
}

void CWinampMediaReader::AddRecord(const CWinampTable& table) {
    IMediaReaderOwner* owner = Owner();
    const CWinampField* type = table.GetField("type");
    if (owner == nullptr || type == nullptr || !type->IsInteger()) return;
    auto text = [&table](const char* column) {
        const CWinampField* field = table.GetField(column);
        return field != nullptr && field->IsText() ? field->Text() : std::string();
    };
    if (type->Integer() == 0) {
        CMusicItem track;
        std::string genre = text("genre");
        track.genre = genre.empty() ? std::string(kUnknownGenre) : ResolveGenre(genre);
        track.artist = text("artist");
        if (track.artist.empty()) track.artist = kUnknownArtist;
        track.album = text("album");
        if (track.album.empty()) track.album = kUnknownAlbum;
        track.path = text("filename");
        track.name = text("title");
        if (track.name.empty()) track.name = FileTitle(track.path);
        const CWinampField* number = table.GetField("trackno");
        char formatted[16] = "";
        if (number != nullptr && number->IsInteger() && number->Integer() > 0) {
            std::snprintf(formatted, sizeof formatted, "%02d", number->Integer());
        }
        track.trackNumber =
            formatted[0] == '\0' ? std::string("00") : NormalizeTrackNumber(formatted);
        owner->AddItem(track);
    } else if (type->Integer() == 1) {
        CVideoItem video;
        video.genre = text("genre");
        if (video.genre.empty()) video.genre = kUnknownGenre;
        video.path = text("filename");
        video.name = text("title");
        if (video.name.empty()) video.name = FileTitle(video.path);
        owner->AddItem(video);
    }
}

void CWinampMediaReader::AddPlaylist(const std::string& name, const std::string& path) {
    IMediaReaderOwner* owner = Owner();
    if (owner == nullptr || name.empty() || path.empty() || !IsFile(path)) return;
    CPlaylistItem playlist;
    playlist.name = name;
    playlist.path = path;
    owner->AddItem(playlist);
}

void CWinampMediaReader::ReadGenMlViews() {
    std::string text;
    if (!ReadTextFile(WatchedPath(kGenMl), kMaxListFile, text)) return;
    const std::string folder = m_directory + "/Plugins/ml/";
    for (const WinampPlaylistEntry& view : ParseGenMlViews(text)) {
        if (IsStopping()) return;
        if (!view.file.empty()) AddPlaylist(view.name, PlaylistFilePath(folder, view.file));
    }
}

void CWinampMediaReader::ReadPlaylistsXml() {
    // Newer players keep their list in a folder of its own, older ones beside the library;
    // an old list left behind by an upgrade is stale.
    std::string path = WatchedPath(kPlaylistsXml);
    if (!IsFile(path)) path = WatchedPath(kOldPlaylistsXml);
    std::string text;
    if (!ReadTextFile(path, kMaxListFile, text)) return;
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    for (const WinampPlaylistEntry& entry : ParsePlaylistsXml(text)) {
        if (IsStopping()) return;
        if (!entry.file.empty()) AddPlaylist(entry.name, PlaylistFilePath(folder, entry.file));
    }
}

}  // namespace vantor
