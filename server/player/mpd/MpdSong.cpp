#include "server/player/mpd/MpdSong.h"

#include "server/library/ReaderRoutines.h"

namespace vantor {

void CMpdPaths::SetMusicDirectory(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_directory = std::move(directory);
}

std::string CMpdPaths::MusicDirectory() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_directory;
}

std::string CMpdPaths::ToPath(const std::string& uri) const {
    const std::string dir = MusicDirectory();
    // Streams ("http://...") and absolute files are not inside the music folder.
    if (dir.empty() || uri.empty() || uri[0] == '/' || uri.find("://") != std::string::npos) {
        return uri;
    }
    return dir + "/" + uri;
}

std::string CMpdPaths::ToUri(const std::string& path) const {
    const std::string dir = MusicDirectory();
    if (!dir.empty() && path.size() > dir.size() + 1 && path.compare(0, dir.size(), dir) == 0 &&
        path[dir.size()] == '/') {
        return path.substr(dir.size() + 1);
    }
    // A file outside the music folder: MPD plays it by "file://" (only over a local socket).
    if (!path.empty() && path[0] == '/') return "file://" + path;
    return path;
}

std::string SongTag(const mpd_song* song, mpd_tag_type tag) {
    const char* value = mpd_song_get_tag(song, tag, 0);
    return value ? value : "";
}

namespace {

std::string FileName(const std::string& uri) {
    const size_t slash = uri.rfind('/');
    return slash == std::string::npos ? uri : uri.substr(slash + 1);
}

}  // namespace

std::string SongDisplayTitle(const mpd_song* song) {
    const std::string title = SongTag(song, MPD_TAG_TITLE);
    const std::string artist = SongTag(song, MPD_TAG_ARTIST);
    if (!title.empty() && !artist.empty()) return artist + " - " + title;
    if (!title.empty()) return title;
    return FileName(mpd_song_get_uri(song));
}

std::unique_ptr<CMusicItem> SongToMusicItem(const mpd_song* song, const CMpdPaths& paths) {
    auto item = std::make_unique<CMusicItem>();
    const std::string uri = mpd_song_get_uri(song);
    item->path = paths.ToPath(uri);
    item->name = SongTag(song, MPD_TAG_TITLE);
    if (item->name.empty()) item->name = FileName(uri);
    item->artist = SongTag(song, MPD_TAG_ARTIST);
    item->album = SongTag(song, MPD_TAG_ALBUM);
    item->genre = ResolveGenre(SongTag(song, MPD_TAG_GENRE));
    item->trackNumber = NormalizeTrackNumber(SongTag(song, MPD_TAG_TRACK));
    const unsigned seconds = mpd_song_get_duration(song);
    item->length = seconds > 0 ? static_cast<int32_t>(seconds) : -1;
    return item;
}

}  // namespace vantor
