#include "server/player/mpd/MpdMediaReader.h"

#include "protocol/MediaItem.h"
#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"
#include "server/player/mpd/MpdRating.h"

#include <chrono>
#include <thread>

namespace vantor {

CMPDMediaReader::CMPDMediaReader(CLogger& logger, CMpdAddress address,
                                 std::shared_ptr<CMpdPaths> paths, unsigned window)
    : m_logger(logger),
      m_address(std::move(address)),
      m_paths(paths ? std::move(paths) : std::make_shared<CMpdPaths>()),
      m_window(window > 0 ? window : kDefaultWindow) {}

int CMPDMediaReader::Read() {
    ClearStop();
    IMediaReaderOwner* owner = Owner();
    if (owner == nullptr) return -1;
    CMpdConnection connection(m_logger, "library");
    if (connection.Open(m_address) != kResultSuccess) return -1;
    if (!m_paths->IsKnown() && m_address.IsLocalSocket()) {
        m_paths->SetMusicDirectory(AskMusicDirectory(connection));
    }
    if (!ReadSongs(connection, *owner)) return -1;
    if (!IsStopping() && !ReadPlaylists(connection, *owner)) return -1;
    return 0;
}

int CMPDMediaReader::Rescan() {
    CMpdConnection connection(m_logger, "library");
    if (connection.Open(m_address) != kResultSuccess) return -1;
    mpd_connection* c = connection.Get();
    const unsigned job = mpd_run_update(c, nullptr);
    if (job == 0) {
        connection.Fail("update");
        return -1;
    }
    m_logger.LogNormal("Asked MPD to rescan its music folder");
    // MPD runs updates one after another and reports the running one's id; ours is done
    // when none runs or a later one does.
    while (!IsStopping()) {
        mpd_status* status = mpd_run_status(c);
        if (status == nullptr) {
            connection.Fail("status");
            return -1;
        }
        const unsigned running = mpd_status_get_update_id(status);
        mpd_status_free(status);
        if (running == 0 || running > job) {
            m_logger.LogNormal("MPD finished rescanning its music folder");
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRescanPollMs));
    }
    return 0;
}

bool CMPDMediaReader::ReadSongs(CMpdConnection& connection, IMediaReaderOwner& owner) {
    mpd_connection* c = connection.Get();
    for (unsigned start = 0; !IsStopping(); start += m_window) {
        // "base ''" matches every song below the music folder's root.
        if (!mpd_search_db_songs(c, true) || !mpd_search_add_expression(c, "(base '')") ||
            !mpd_search_add_window(c, start, start + m_window) || !mpd_search_commit(c)) {
            connection.Fail("database read");
            return false;
        }
        unsigned received = 0;
        while (mpd_song* song = mpd_recv_song(c)) {
            ++received;
            std::unique_ptr<CMusicItem> track = SongToMusicItem(song, *m_paths);
            mpd_song_free(song);
            if (track->genre.empty()) track->genre = kUnknownGenre;
            if (track->artist.empty()) track->artist = kUnknownArtist;
            if (track->album.empty()) track->album = kUnknownAlbum;
            owner.AddItem(*track);
        }
        if (!mpd_response_finish(c)) {
            connection.Fail("database read");
            return false;
        }
        if (received < m_window) break;
    }
    return true;
}

bool CMPDMediaReader::ReadPlaylists(CMpdConnection& connection, IMediaReaderOwner& owner) {
    mpd_connection* c = connection.Get();
    if (!mpd_send_list_playlists(c)) {
        connection.Fail("playlist list");
        return false;
    }
    std::vector<std::string> names;
    while (mpd_playlist* playlist = mpd_recv_playlist(c)) {
        names.emplace_back(mpd_playlist_get_path(playlist));
        mpd_playlist_free(playlist);
    }
    if (!mpd_response_finish(c)) {
        connection.Fail("playlist list");
        return false;
    }
    for (const auto& name : names) {
        if (IsStopping()) break;
        CPlaylistItem item;
        item.name = name;
        item.path = name;  // the adapter plays a stored playlist by its name
        owner.AddItem(item);
    }
    return true;
}

}  // namespace vantor
