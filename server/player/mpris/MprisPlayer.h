#pragma once

#include "server/player/Player.h"
#include "server/player/mpris/DBusConnection.h"
#include "server/player/mpris/MprisConfig.h"
#include "server/player/mpris/MprisMonitor.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantor {

class CLogger;

// The player adapter for desktop players that publish the MPRIS interface on the bus.
// Commands go over one bus connection (guarded by a mutex, opened on demand) to the player
// the monitor follows; the state comes from the monitor. While no player is there every
// command answers 102 at once, and the monitor picks the player up again when it returns.
//
// What MPRIS offers decides the rest: the playlist operations need the optional track list
// (without it they answer 19 and the current item alone is listed; moving and clearing
// always answer 19); playing a file is OpenUri of its URL; ratings are read from
// xesam:userRating (19 without it) and cannot be written (19); no equaliser, no video
// mode (19).
class CMPRISPlayer : public IPlayer {
public:
    static constexpr int64_t kSeekStepUs = 5000000;  // fast-forward and rewind

    CMPRISPlayer(CLogger& logger, CMprisAddress address,
                 std::shared_ptr<CMprisNowPlaying> nowPlaying);
    ~CMPRISPlayer() override;

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

    bool IsReachable() const { return m_monitor.IsReachable(); }

private:
    // Builds a call of `member` on `interface` of the followed player, lets `append` add the
    // arguments and sends it. 102 at once while no player is followed.
    using Append = std::function<int(sd_bus_message*)>;
    int32_t Call(const char* interface, const char* member, const Append& append = nullptr);
    int32_t SetProperty(const char* member, const char* type, const Append& append);
    bool EnsureBus();

    CLogger& m_logger;
    const CMprisAddress m_address;
    mutable std::mutex m_commandMutex;
    BusPtr m_bus;  // guarded by m_commandMutex
    bool m_started = false;  // guarded by m_commandMutex
    CMprisMonitor m_monitor;
};

}  // namespace vantor
