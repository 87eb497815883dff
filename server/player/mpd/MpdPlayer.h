#pragma once

#include "server/player/Player.h"
#include "server/player/mpd/MpdConnection.h"
#include "server/player/mpd/MpdSong.h"
#include "server/player/mpd/MpdStateMonitor.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantor {

class CLogger;

// The player adapter for MPD. Commands go over one connection (guarded by a mutex, opened
// on demand); the state comes from the monitor's own connection. While MPD cannot be
// reached every command answers 102 at once instead of waiting for a connect, and the
// monitor brings everything back when MPD returns.
//
// MPD can move playlist entries, so PlaylistMove is supported; ratings are kept in MPD's
// stickers; there is no equaliser and no video mode (19).
class CMPDPlayer : public IPlayer {
public:
    static constexpr int kSeekStepSeconds = 5;  // fast-forward and rewind

    // `paths` is shared with the art provider and the library reader of the same MPD; the
    // monitor fills in the music folder when MPD tells it.
    CMPDPlayer(CLogger& logger, CMpdAddress address, std::shared_ptr<CMpdPaths> paths);
    ~CMPDPlayer() override;

    int32_t Connect() override;
    void Disconnect() override;
    bool IsConnected() const override;
    int32_t AddListener(IPlayerListener* listener) override;
    int32_t RemoveListener(IPlayerListener* listener) override;

    int32_t Play() override;
    int32_t Pause() override;
    int32_t Stop() override;
    int32_t FastForward() override;
    int32_t Rewind() override;
    int32_t PreviousTrack() override;
    int32_t NextTrack() override;
    int32_t SetPlaylistPosition(int32_t position) override;
    int32_t SetPlayPosition(int32_t seconds) override;
    int32_t GetCurrentMedia(std::unique_ptr<CMediaItem>& out) override;
    int32_t GetPlaylistPosition() override;
    int32_t PlayMedia(const CMediaItem& item) override;
    int32_t PlaylistAdd(const MediaItemList& items, int32_t position) override;
    int32_t PlaylistAdd(const CMediaItem& item, int32_t position) override;
    int32_t PlaylistRemove(int32_t position) override;
    int32_t PlaylistMove(int32_t from, int32_t to) override;
    int32_t PlaylistClear() override;
    int32_t SavePlaylist(const std::string& name) override;
    int32_t GetVolume() override;
    int32_t SetVolume(int32_t volume) override;
    int32_t GetPlayPosition() override;
    int32_t GetPlayingState() override;
    int32_t GetPlaylistLength() override;
    int32_t GetPlaylistItems(std::vector<std::string>& titles, int32_t start, int32_t count,
                             int32_t* total) override;
    int32_t GetTrackRating(int32_t& rating) override;
    int32_t SetTrackRating(int32_t rating) override;
    int32_t GetEqPresets(std::vector<std::string>& presets) override;
    int32_t SetEqPreset(const std::string& name) override;
    int32_t GetEq(CEqSettings& settings) override;
    int32_t SetEq(const CEqSettings& settings) override;
    int32_t GetVideoMode(bool& fullScreen) override;
    int32_t SetVideoMode(bool fullScreen) override;
    void GetCapabilities(CPlayerCapabilities& capabilities) override;
    bool GetShuffleState() override;
    int32_t SetShuffleState(bool on) override;
    bool GetRepeatState() override;
    int32_t SetRepeatState(bool on) override;

    // True while the monitor's link to MPD is up.
    bool IsReachable() const { return m_monitor.IsReachable(); }
    const std::shared_ptr<CMpdPaths>& Paths() const { return m_paths; }
    const CMpdAddress& Address() const { return m_address; }

private:
    using Command = std::function<bool(mpd_connection*)>;
    // Runs `command` on the command connection; `what` names it in the log. Answers 102 at
    // once while MPD is unreachable. `positional` commands address a queue position: one
    // that MPD does not have answers 100.
    int32_t Run(const char* what, const Command& command, bool positional = false);
    int32_t RunLocked(const char* what, const Command& command, bool positional = false);
    // As RunLocked, but MPD refusing the command with `refusal` answers `refusalCode` (0:
    // no refusal is special).
    int32_t RunRefusing(const char* what, const Command& command, mpd_server_error refusal,
                        int32_t refusalCode);
    bool EnsureCommandConnection();
    // Queues the adds for one item (a song, or every song of a stored playlist) starting at
    // `position` (-1 appends); `added` counts the songs queued.
    bool SendAdd(mpd_connection* c, const CMediaItem& item, int32_t position, int32_t& added);
    std::vector<std::string> StoredPlaylistUris(mpd_connection* c, const std::string& name,
                                                bool& ok);

    CLogger& m_logger;
    const CMpdAddress m_address;
    std::shared_ptr<CMpdPaths> m_paths;
    mutable std::mutex m_commandMutex;
    CMpdConnection m_command;
    CMpdStateMonitor m_monitor;
    bool m_started = false;  // guarded by m_commandMutex
};

}  // namespace vantor
