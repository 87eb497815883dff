#include "server/player/mpd/MpdPlayer.h"

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/mpd/MpdRating.h"

#include <poll.h>

#include <algorithm>

namespace vantor {

CMPDPlayer::CMPDPlayer(CLogger& logger, CMpdAddress address, std::shared_ptr<CMpdPaths> paths)
    : m_logger(logger),
      m_address(std::move(address)),
      m_paths(paths ? std::move(paths) : std::make_shared<CMpdPaths>()),
      m_command(logger, "command"),
      m_monitor(logger, m_address, *m_paths) {}

CMPDPlayer::~CMPDPlayer() {
    Disconnect();
}

int32_t CMPDPlayer::Connect() {
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        if (m_started) return m_monitor.IsReachable() ? kResultSuccess : kResultPlayerComm;
        m_started = true;
    }
    m_logger.LogNormal("Connecting to MPD at %s", m_address.Describe().c_str());
    return m_monitor.Start();
}

void CMPDPlayer::Disconnect() {
    {
        std::lock_guard<std::mutex> lock(m_commandMutex);
        if (!m_started) return;
        m_started = false;
        m_command.Close();
    }
    m_monitor.Stop();
}

bool CMPDPlayer::IsConnected() const {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return m_started;
}

int32_t CMPDPlayer::AddListener(IPlayerListener* listener) {
    m_monitor.SetListener(listener);
    return kResultSuccess;
}

int32_t CMPDPlayer::RemoveListener(IPlayerListener* listener) {
    m_monitor.ClearListener(listener);
    return kResultSuccess;
}

bool CMPDPlayer::EnsureCommandConnection() {
    if (m_command.IsOpen()) {
        // MPD drops connections that stay quiet too long; a closed one reads as ready.
        pollfd pfd{mpd_connection_get_fd(m_command.Get()), POLLIN | POLLRDHUP, 0};
        if (poll(&pfd, 1, 0) == 0) return true;
        m_command.Close();
    }
    return m_command.Open(m_address) == kResultSuccess;
}

int32_t CMPDPlayer::Run(const char* what, const Command& command, bool positional) {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return RunLocked(what, command, positional);
}

int32_t CMPDPlayer::RunLocked(const char* what, const Command& command, bool positional) {
    // MPD refuses a queue position it does not have as a bad argument: for us the song
    // is not there.
    return positional ? RunRefusing(what, command, MPD_SERVER_ERROR_ARG, kResultMediaNotFound)
                      : RunRefusing(what, command, MPD_SERVER_ERROR_UNK, kResultSuccess);
}

int32_t CMPDPlayer::RunRefusing(const char* what, const Command& command,
                                mpd_server_error refusal, int32_t refusalCode) {
    if (!m_started || !m_monitor.IsReachable()) return kResultPlayerComm;
    if (!EnsureCommandConnection()) return kResultPlayerComm;
    mpd_connection* c = m_command.Get();
    if (command(c)) return kResultSuccess;
    const bool refused = refusalCode != kResultSuccess &&
                         mpd_connection_get_error(c) == MPD_ERROR_SERVER &&
                         mpd_connection_get_server_error(c) == refusal;
    const int32_t code = m_command.Fail(what);
    return refused ? refusalCode : code;
}

int32_t CMPDPlayer::Play() {
    return Run("play", [](mpd_connection* c) { return mpd_run_play(c); });
}

int32_t CMPDPlayer::Pause() {
    return Run("pause", [](mpd_connection* c) { return mpd_run_pause(c, true); });
}

int32_t CMPDPlayer::Stop() {
    return Run("stop", [](mpd_connection* c) { return mpd_run_stop(c); });
}

int32_t CMPDPlayer::FastForward() {
    return Run("seek forward", [](mpd_connection* c) {
        return mpd_run_seek_current(c, static_cast<float>(kSeekStepSeconds), true);
    });
}

int32_t CMPDPlayer::Rewind() {
    return Run("seek back", [](mpd_connection* c) {
        return mpd_run_seek_current(c, -static_cast<float>(kSeekStepSeconds), true);
    });
}

int32_t CMPDPlayer::PreviousTrack() {
    return Run("previous", [](mpd_connection* c) { return mpd_run_previous(c); });
}

int32_t CMPDPlayer::NextTrack() {
    return Run("next", [](mpd_connection* c) { return mpd_run_next(c); });
}

int32_t CMPDPlayer::SetPlaylistPosition(int32_t position) {
    if (position < 0) return kResultMediaNotFound;
    return Run(
        "play position",
        [position](mpd_connection* c) {
            return mpd_run_play_pos(c, static_cast<unsigned>(position));
        },
        true);
}

int32_t CMPDPlayer::SetPlayPosition(int32_t seconds) {
    if (seconds < 0) return kResultInvalidArgs;
    return Run("seek", [seconds](mpd_connection* c) {
        return mpd_run_seek_current(c, static_cast<float>(seconds), false);
    });
}

int32_t CMPDPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    out.reset();
    if (!m_monitor.IsReachable()) return kResultPlayerComm;
    std::unique_ptr<CMusicItem> item = m_monitor.CurrentItem();
    if (!item) return kResultMediaNotFound;
    out = std::move(item);
    return kResultSuccess;
}

int32_t CMPDPlayer::GetPlaylistPosition() {
    return m_monitor.State().playlistPosition;
}

std::vector<std::string> CMPDPlayer::StoredPlaylistUris(mpd_connection* c, const std::string& name,
                                                        bool& ok) {
    std::vector<std::string> uris;
    ok = mpd_send_list_playlist(c, name.c_str());
    if (!ok) return uris;
    while (mpd_pair* pair = mpd_recv_pair_named(c, "file")) {
        uris.emplace_back(pair->value);
        mpd_return_pair(c, pair);
    }
    ok = mpd_response_finish(c);
    return uris;
}

bool CMPDPlayer::SendAdd(mpd_connection* c, const CMediaItem& item, int32_t position,
                         int32_t& added) {
    // Only the song's own entry is queued here; stored playlists are expanded beforehand.
    const std::string uri = m_paths->ToUri(item.path);
    const bool ok =
        position < 0 ? mpd_send_add(c, uri.c_str())
                     : mpd_send_add_id_to(c, uri.c_str(), static_cast<unsigned>(position + added));
    if (ok) ++added;
    return ok;
}

namespace {

// What to queue for one item: a song by its path, or a stored playlist by its name.
struct CQueueEntry {
    bool isPlaylist = false;
    std::string locator;
};

bool ToQueueEntry(const CMediaItem& item, CQueueEntry& entry) {
    if (item.mediaType == kMediaPlaylist) {
        entry.isPlaylist = true;
        entry.locator = item.path.empty() ? item.name : item.path;
    } else {
        entry.locator = item.path;
    }
    return !entry.locator.empty();
}

}  // namespace

int32_t CMPDPlayer::PlayMedia(const CMediaItem& item) {
    CQueueEntry entry;
    if (!ToQueueEntry(item, entry)) return kResultMediaNotFound;
    std::lock_guard<std::mutex> lock(m_commandMutex);
    // Replace the queue with the item and play it from the start, in one command list.
    return RunLocked("play media", [&](mpd_connection* c) {
        std::vector<std::string> uris;
        if (entry.isPlaylist) {
            bool ok = false;
            uris = StoredPlaylistUris(c, entry.locator, ok);
            if (!ok) return false;
        } else {
            uris.push_back(m_paths->ToUri(entry.locator));
        }
        if (!mpd_command_list_begin(c, false) || !mpd_send_clear(c)) return false;
        for (const auto& uri : uris) {
            if (!mpd_send_add(c, uri.c_str())) return false;
        }
        return mpd_send_play_pos(c, 0) && mpd_command_list_end(c) && mpd_response_finish(c);
    });
}

int32_t CMPDPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    std::lock_guard<std::mutex> lock(m_commandMutex);
    // All songs in one command list: MPD stops at the first it refuses, as one-by-one would.
    return RunLocked("playlist add", [&](mpd_connection* c) {
        std::vector<CMusicItem> songs;
        for (const auto& item : items) {
            CQueueEntry entry;
            if (!item || !ToQueueEntry(*item, entry)) continue;
            if (!entry.isPlaylist) {
                CMusicItem song;
                song.path = entry.locator;
                songs.push_back(song);
                continue;
            }
            bool ok = false;
            for (const auto& uri : StoredPlaylistUris(c, entry.locator, ok)) {
                CMusicItem song;
                song.path = uri;  // a URI is its own path to ToUri
                songs.push_back(song);
            }
            if (!ok) return false;
        }
        if (songs.empty()) return true;
        if (!mpd_command_list_begin(c, false)) return false;
        int32_t added = 0;
        for (const auto& song : songs) {
            if (!SendAdd(c, song, position, added)) return false;
        }
        return mpd_command_list_end(c) && mpd_response_finish(c);
    });
}

int32_t CMPDPlayer::PlaylistAdd(const CMediaItem& item, int32_t position) {
    MediaItemList one;
    one.push_back(item.Clone());
    return PlaylistAdd(one, position);
}

int32_t CMPDPlayer::PlaylistRemove(int32_t position) {
    if (position < 0) return kResultMediaNotFound;
    return Run(
        "delete",
        [position](mpd_connection* c) {
            return mpd_run_delete(c, static_cast<unsigned>(position));
        },
        true);
}

int32_t CMPDPlayer::PlaylistMove(int32_t from, int32_t to) {
    if (from < 0 || to < 0) return kResultMediaNotFound;
    return Run(
        "move",
        [from, to](mpd_connection* c) {
            return mpd_run_move(c, static_cast<unsigned>(from), static_cast<unsigned>(to));
        },
        true);
}

int32_t CMPDPlayer::PlaylistClear() {
    return Run("clear", [](mpd_connection* c) { return mpd_run_clear(c); });
}

int32_t CMPDPlayer::SavePlaylist(const std::string& name) {
    // MPD keeps play lists as files named after them: no folders, no line breaks.
    if (name.empty() || name.find_first_of("/\r\n") != std::string::npos || name == "." ||
        name == "..") {
        return kResultInvalidArgs;
    }
    // A name already taken is the caller's to change, not a failure of the player.
    std::lock_guard<std::mutex> lock(m_commandMutex);
    return RunRefusing(
        "save", [&name](mpd_connection* c) { return mpd_run_save(c, name.c_str()); },
        MPD_SERVER_ERROR_EXIST, kResultInvalidArgs);
}

int32_t CMPDPlayer::GetVolume() {
    return m_monitor.State().volume;
}

int32_t CMPDPlayer::SetVolume(int32_t volume) {
    const unsigned v = static_cast<unsigned>(std::clamp(volume, 0, 100));
    return Run("setvol", [v](mpd_connection* c) { return mpd_run_set_volume(c, v); });
}

int32_t CMPDPlayer::GetPlayPosition() {
    return m_monitor.PlayPosition();
}

int32_t CMPDPlayer::GetPlayingState() {
    return m_monitor.State().playingState;
}

int32_t CMPDPlayer::GetPlaylistLength() {
    return m_monitor.State().playlistLength;
}

int32_t CMPDPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start, int32_t count,
                                     int32_t* total) {
    const std::vector<std::string> cached = m_monitor.PlaylistTitles();
    if (CopyPlaylistTitles(cached, titles, start, count) && total) {
        *total = static_cast<int32_t>(cached.size());
    }
    return kResultSuccess;
}

int32_t CMPDPlayer::GetTrackRating(int32_t& rating) {
    rating = 0;
    const std::string uri = m_monitor.CurrentUri();
    std::lock_guard<std::mutex> lock(m_commandMutex);
    if (!m_started || !m_monitor.IsReachable()) return kResultPlayerComm;
    if (uri.empty()) return kResultMediaNotFound;
    if (!EnsureCommandConnection()) return kResultPlayerComm;
    return ReadRating(m_command, uri, rating);
}

int32_t CMPDPlayer::SetTrackRating(int32_t rating) {
    const std::string uri = m_monitor.CurrentUri();
    std::lock_guard<std::mutex> lock(m_commandMutex);
    if (!m_started || !m_monitor.IsReachable()) return kResultPlayerComm;
    if (uri.empty()) return kResultMediaNotFound;
    if (!EnsureCommandConnection()) return kResultPlayerComm;
    return WriteRating(m_command, uri, rating);
}

int32_t CMPDPlayer::GetEqPresets(std::vector<std::string>& presets) {
    presets.clear();
    return kResultNotSupported;
}

int32_t CMPDPlayer::SetEqPreset(const std::string&) {
    return kResultNotSupported;
}

int32_t CMPDPlayer::GetEq(CEqSettings&) {
    return kResultNotSupported;
}

int32_t CMPDPlayer::SetEq(const CEqSettings&) {
    return kResultNotSupported;
}

int32_t CMPDPlayer::GetVideoMode(bool& fullScreen) {
    fullScreen = false;
    return kResultNotSupported;
}

int32_t CMPDPlayer::SetVideoMode(bool) {
    return kResultNotSupported;
}

void CMPDPlayer::GetCapabilities(CPlayerCapabilities& capabilities) {
    capabilities.supportsEq = false;
}

bool CMPDPlayer::GetShuffleState() {
    return m_monitor.State().shuffle;
}

int32_t CMPDPlayer::SetShuffleState(bool on) {
    return Run("random", [on](mpd_connection* c) { return mpd_run_random(c, on); });
}

bool CMPDPlayer::GetRepeatState() {
    return m_monitor.State().repeat;
}

int32_t CMPDPlayer::SetRepeatState(bool on) {
    return Run("repeat", [on](mpd_connection* c) { return mpd_run_repeat(c, on); });
}

}  // namespace vantor
