#include "server/player/mpd/MpdStateMonitor.h"

#include "protocol/ResultCodes.h"
#include "server/core/Logger.h"
#include "server/player/Player.h"
#include "server/player/mpd/MpdRating.h"

#include <poll.h>

namespace vantor {

namespace {

constexpr unsigned kIdleEvents = MPD_IDLE_PLAYER | MPD_IDLE_MIXER | MPD_IDLE_OPTIONS |
                                 MPD_IDLE_QUEUE | MPD_IDLE_DATABASE | MPD_IDLE_STORED_PLAYLIST |
                                 MPD_IDLE_STICKER;
constexpr unsigned kLibraryEvents = MPD_IDLE_DATABASE | MPD_IDLE_STORED_PLAYLIST;
constexpr int kPlayingTickMs = 1000;

int32_t ToPlayingState(mpd_state state) {
    switch (state) {
        case MPD_STATE_PLAY:
            return kPlaying;
        case MPD_STATE_PAUSE:
            return kPaused;
        default:
            return kStopped;
    }
}

}  // namespace

CMpdStateMonitor::CMpdStateMonitor(CLogger& logger, CMpdAddress address, CMpdPaths& paths)
    : m_logger(logger),
      m_address(std::move(address)),
      m_paths(paths),
      m_connection(logger, "monitor"),
      m_thread(logger) {}

CMpdStateMonitor::~CMpdStateMonitor() {
    Stop();
}

int32_t CMpdStateMonitor::Start() {
    if (!m_thread.Start("MPD State Monitor", [this] { Run(); },
                        static_cast<int>(m_address.timeoutMs) + 500)) {
        return kResultPlayerComm;
    }
    return m_reachable ? kResultSuccess : kResultPlayerComm;
}

void CMpdStateMonitor::Stop() {
    m_thread.Stop();
}

bool CMpdStateMonitor::IsRunning() const {
    return m_thread.IsRunning();
}

void CMpdStateMonitor::SetListener(IPlayerListener* listener) {
    m_thread.SetListener(listener);
}

void CMpdStateMonitor::ClearListener(IPlayerListener* listener) {
    m_thread.ClearListener(listener);
}

IPlayerListener* CMpdStateMonitor::Listener() {
    return m_thread.Listener();
}

CMpdPlayerState CMpdStateMonitor::State() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_state;
}

int32_t CMpdStateMonitor::PlayPosition() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    unsigned ms = m_elapsedMs;
    if (m_state.playingState == kPlaying) {
        ms += static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - m_elapsedAt)
                                        .count());
    }
    return static_cast<int32_t>(ms / 1000);
}

std::unique_ptr<CMusicItem> CMpdStateMonitor::CurrentItem() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_current ? std::make_unique<CMusicItem>(*m_current) : nullptr;
}

std::string CMpdStateMonitor::CurrentUri() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_currentUri;
}

std::vector<std::string> CMpdStateMonitor::PlaylistTitles() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_titles;
}

void CMpdStateMonitor::Run() {
    bool first = true;
    while (!m_thread.IsStopping()) {
        if (!m_connection.IsOpen()) {
            const bool up = ConnectOnce();
            if (first) {
                first = false;
                m_thread.FirstAttemptDone();
            }
            if (!up) {
                if (m_thread.WaitForWake(m_backoff.NextDelayMs())) break;
                continue;
            }
        }
        if (!IdleRound()) {
            if (m_thread.IsStopping()) break;
            Lost();
        }
    }
    m_connection.Close();
    m_reachable = false;
}

bool CMpdStateMonitor::ConnectOnce() {
    if (m_connection.Open(m_address) != kResultSuccess) return false;
    if (!m_paths.IsKnown() && m_address.IsLocalSocket()) {
        m_paths.SetMusicDirectory(AskMusicDirectory(m_connection));
        if (m_paths.IsKnown())
            m_logger.LogNormal("MPD music folder: %s", m_paths.MusicDirectory().c_str());
    }
    if (!Refresh(0)) {
        Lost();
        return false;
    }
    m_backoff.Reset();
    return true;
}

void CMpdStateMonitor::Lost() {
    m_connection.Close();
    const bool wasReachable = m_reachable.exchange(false);
    CMpdPlayerState state;
    bool stateChanged = false;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        stateChanged = m_state.playingState != kStopped;
        m_state.playingState = kStopped;
        // Whatever MPD holds when it is back is reported as new.
        m_state.songId = CMpdPlayerState::kUnknownSong;
        m_state.queueVersion = CMpdPlayerState::kUnknownQueue;
        m_elapsedMs = 0;
        state = m_state;
    }
    if (wasReachable)
        m_logger.LogNormal("MPD at %s went away; reconnecting", m_address.Describe().c_str());
    if (stateChanged) {
        if (IPlayerListener* l = Listener()) l->OnPlayingStateChanged(state.playingState);
    }
}

bool CMpdStateMonitor::IdleRound() {
    mpd_connection* c = m_connection.Get();
    if (!mpd_send_idle_mask(c, static_cast<mpd_idle>(kIdleEvents))) {
        m_connection.Fail("idle");
        return false;
    }
    pollfd fds[2] = {{mpd_connection_get_fd(c), POLLIN, 0}, {m_thread.WakeFd(), POLLIN, 0}};
    const bool playing = State().playingState == kPlaying;
    const int ready = poll(fds, 2, playing ? kPlayingTickMs : -1);
    if (m_thread.IsStopping()) return false;
    if (ready == 0 || (fds[1].revents & POLLIN)) {
        // The playing tick: leave idle to read the position (and whatever else happened).
        if (!mpd_send_noidle(c)) {
            m_connection.Fail("noidle");
            return false;
        }
    }
    const unsigned events = mpd_recv_idle(c, false);
    if (events == 0 && mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) {
        m_connection.Fail("idle");
        return false;
    }
    if (!mpd_response_finish(c)) {
        m_connection.Fail("idle");
        return false;
    }
    return Refresh(events == 0 ? static_cast<unsigned>(MPD_IDLE_PLAYER) : events);
}

bool CMpdStateMonitor::Refresh(unsigned idleMask) {
    mpd_connection* c = m_connection.Get();
    mpd_status* status = mpd_run_status(c);
    if (!status) {
        m_connection.Fail("status");
        return false;
    }
    CMpdPlayerState fresh;
    const int volume = mpd_status_get_volume(status);
    fresh.volume = volume < 0 ? 0 : volume;
    fresh.shuffle = mpd_status_get_random(status);
    fresh.repeat = mpd_status_get_repeat(status);
    fresh.playingState = ToPlayingState(mpd_status_get_state(status));
    fresh.playlistPosition = mpd_status_get_song_pos(status);
    fresh.songId = mpd_status_get_song_id(status);
    fresh.queueVersion = mpd_status_get_queue_version(status);
    fresh.playlistLength = static_cast<int32_t>(mpd_status_get_queue_length(status));
    const unsigned elapsedMs = mpd_status_get_elapsed_ms(status);
    fresh.playPosition = static_cast<int32_t>(elapsedMs / 1000);
    mpd_status_free(status);

    CMpdPlayerState cached = State();
    const bool songChanged = cached.songId != fresh.songId;
    const bool queueChanged = cached.queueVersion != fresh.queueVersion;

    // The current item: re-read when it changed, when the queue changed under it (tags
    // of a song can change with the database) or when its rating may have changed.
    std::unique_ptr<CMusicItem> item;
    std::string uri;
    const bool readItem = songChanged || queueChanged || (idleMask & MPD_IDLE_STICKER) ||
                          (idleMask & MPD_IDLE_DATABASE);
    if (readItem && fresh.songId >= 0) {
        mpd_song* song = mpd_run_current_song(c);
        if (!song) {
            if (mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) {
                m_connection.Fail("currentsong");
                return false;
            }
        } else {
            item = SongToMusicItem(song, m_paths);
            uri = mpd_song_get_uri(song);
            mpd_song_free(song);
            int32_t rating = 0;
            const int32_t code = ReadRating(m_connection, uri, rating);
            if (CMpdConnection::IsLinkError(code)) return false;
            item->rating = code == kResultSuccess ? rating : 0;
        }
    }

    std::vector<std::string> titles;
    if (queueChanged) {
        if (!mpd_send_list_queue_meta(c)) {
            m_connection.Fail("playlistinfo");
            return false;
        }
        while (mpd_song* song = mpd_recv_song(c)) {
            titles.push_back(SongDisplayTitle(song));
            mpd_song_free(song);
        }
        if (!mpd_response_finish(c)) {
            m_connection.Fail("playlistinfo");
            return false;
        }
    }

    CMpdChanges changes;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        changes = CompareMpdStates(m_state, fresh);
        m_state = fresh;
        m_elapsedMs = elapsedMs;
        m_elapsedAt = std::chrono::steady_clock::now();
        if (readItem) {
            m_current = item ? std::make_unique<CMusicItem>(*item) : nullptr;
            m_currentUri = uri;
        }
        if (queueChanged) m_titles = std::move(titles);
    }
    m_reachable = true;
    Report(changes, fresh, item, (idleMask & kLibraryEvents) != 0);
    return true;
}

void CMpdStateMonitor::Report(const CMpdChanges& changes, const CMpdPlayerState& state,
                              const std::unique_ptr<CMusicItem>& item, bool libraryChanged) {
    IPlayerListener* l = Listener();
    if (!l) return;
    if (changes.playlist) l->OnPlaylistChanged();
    if (changes.playlistPosition) l->OnPlaylistPositionChanged(state.playlistPosition);
    if (changes.currentMedia) {
        if (item) {
            l->OnCurrentMediaChanged(*item);
        } else {
            l->OnCurrentMediaChanged(CMediaItem());  // nothing is current any more
        }
    }
    if (changes.playingState) l->OnPlayingStateChanged(state.playingState);
    if (changes.volume) l->OnVolumeChanged(state.volume);
    if (changes.playPosition) l->OnPlayPositionChanged(state.playPosition);
    if (changes.shuffle) l->OnShuffleStateChanged(state.shuffle);
    if (changes.repeat) l->OnRepeatStateChanged(state.repeat);
    if (libraryChanged) l->OnLibraryChanged();
}

}  // namespace vantor
