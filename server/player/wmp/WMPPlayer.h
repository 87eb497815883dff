#pragma once

#include "platform/AutomationClient.h"
#include "server/player/Player.h"
#include "server/player/automation/AutomationPlayerCore.h"
#include "server/player/automation/PumpThread.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantor {

class CConfigStore;
class CLogger;

// The remote-host object handed to the player control as its site: it asks the control to
// attach to the running player ("Remote") instead of playing on its own.
class CWMPRemoteHost {
public:
    static constexpr const char* kRemoteMode = "Remote";
    std::string ServiceMode() const { return kRemoteMode; }
};

// Drives Windows Media Player through its player control, attached in remote mode to the
// running player. The control is created on the "WMP Message Pump" thread and registered in
// the process-wide interface table; every other thread fetches its own proxy per use.
// Player events (play state, current item, modes, position) update the cached state and call
// the listener on the subscription's thread; three monitors read what no event reports.
//
// A call that finds the player gone (0x800706BA) answers 102 and attaches afresh (starting
// the player) before it returns, as the iTunes adapter does.
class CWMPPlayer : public IPlayer, private IAutomationEventSink {
public:
    static constexpr int kStateMonitorPeriodMs = 500;
    static constexpr int kPlaylistMonitorPeriodMs = 1000;
    static constexpr int kPositionMonitorPeriodMs = 100;

    CWMPPlayer(CLogger& logger, CConfigStore& config);
    ~CWMPPlayer() override;

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

    // A proxy of the player control for the calling thread; false when there is none.
    bool Control(CAutomationObject& player);
    // Logs a failed call (level 1) and gives its result code.
    int32_t Report(const char* callText, HRESULT hr);

private:
    HRESULT OnEvent(uint32_t dispatchId, const CVariantList& arguments) override;

    void OnPumpMessage(const CThreadMessage& message);
    void StartPlayer();
    void ReleasePlayer();
    void StopMonitors();
    // Calls a method of the player's controls.
    int32_t ControlsCall(const char* method, const char* callText);
    int32_t SetMode(const char* mode, bool on);
    HRESULT CurrentPlaylist(CAutomationObject& player, CAutomationObject& playlist);

    void ResetCache();
    void StateMonitorPass();
    void PlaylistMonitorPass();
    void PositionMonitorPass();
    IPlayerListener* Listener() { return m_core.Listener(); }

    CLogger& m_logger;
    CConfigStore& m_config;
    CWMPRemoteHost m_remoteHost;
    CAutomationPlayerCore m_core;
    CPeriodicMonitor m_stateMonitor;
    CPeriodicMonitor m_playlistMonitor;
    CPeriodicMonitor m_positionMonitor;

    CAutomationObject m_control;  // pump thread only
    uint32_t m_eventCookie = 0;   // pump thread only
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_positionMark{false};  // set by events: the position may have moved

    mutable std::mutex m_stateMutex;
    int32_t m_playingState = 2;
    int32_t m_playlistPosition = -1;
    int32_t m_playPosition = 0;
    int32_t m_volume = 0;
    bool m_shuffle = false;
    bool m_repeat = false;
    int32_t m_collectionCount = -1;
    std::string m_currentUrl;
    std::unique_ptr<CMediaItem> m_currentMedia;
    std::vector<std::string> m_titles;
};

}  // namespace vantor
