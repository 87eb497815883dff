#pragma once

#include "platform/AutomationClient.h"
#include "server/player/Player.h"
#include "server/player/automation/AutomationPlayerCore.h"
#include "server/player/automation/PumpThread.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

class CConfigStore;
class CLogger;

// Drives iTunes through its published automation objects. The application object is created
// on the "iTunes Message Pump" thread and registered in the process-wide interface table;
// every other thread (the service's callers, the two monitors, the art provider and the
// source reader) fetches its own proxy from the table for each use, and a missing object
// means "not connected" (102).
//
// Thread messages of the pump: 1025 start (create and subscribe), 1026 release, 1027 calls
// disabled (monitors stop), 1028 calls enabled (monitors start again). iTunes' events reach
// the sink on the subscription's thread and are turned into these messages.
//
// A call that finds iTunes gone (0x800706BA) answers 102 and starts iTunes again before it
// returns. Locking: m_stateMutex guards the cached state and is never held across a call to
// iTunes or to the listener.
class CWin32ITunesPlayer : public IPlayer, private IAutomationEventSink {
public:
    static constexpr uint32_t kMessageCallsDisabled = 1027;
    static constexpr uint32_t kMessageCallsEnabled = 1028;
    static constexpr int kStateMonitorPeriodMs = 100;
    static constexpr int kPlaylistMonitorPeriodMs = 1000;

    // The logger and configuration must outlive the player.
    CWin32ITunesPlayer(CLogger& logger, CConfigStore& config);
    ~CWin32ITunesPlayer() override;

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

    // A proxy of the application object for the calling thread; false when there is none.
    bool Application(CAutomationObject& app);
    // Logs a failed call and gives its result code (0x800706BA also restarts iTunes).
    int32_t Report(const char* callText, HRESULT hr);
    CLogger& Logger() { return m_logger; }

private:
    // IAutomationEventSink: iTunes' events, on the subscription's thread.
    HRESULT OnEvent(uint32_t dispatchId, const CVariantList& arguments) override;

    // Pump thread (ITunesPlayer.cpp).
    void OnPumpMessage(const CThreadMessage& message);
    void StartITunes();
    void ReleaseITunes();
    void StartMonitors();
    void StopMonitors();
    int32_t Simple(const char* method, const char* callText);
    // Writes a property of the application or of the current playlist.
    int32_t PutProperty(bool onCurrentPlaylist, const char* property, CVariant value,
                        const char* callText);
    // The current playlist (reported as "GetCurrentPlaylist()" when it cannot be had).
    int32_t CurrentPlaylist(CAutomationObject& app, CAutomationObject& playlist);
    // The playlist of that name in any source; S_FALSE when there is none.
    HRESULT FindPlaylist(CAutomationObject& app, const std::string& name,
                         CAutomationObject& playlist);
    // The queue playlist, created when missing.
    HRESULT GetQueue(CAutomationObject& app, CAutomationObject& queue);
    int32_t ClearPlaylist(CAutomationObject& playlist, const char* callText);

    // Monitors (ITunesMonitors.cpp).
    void ResetCache();
    void StateMonitorPass();
    void PlaylistMonitorPass();
    IPlayerListener* Listener() { return m_core.Listener(); }

    CLogger& m_logger;
    CConfigStore& m_config;
    CAutomationPlayerCore m_core;
    CPeriodicMonitor m_stateMonitor;
    CPeriodicMonitor m_playlistMonitor;

    // Pump thread only.
    CAutomationObject m_application;
    uint32_t m_eventCookie = 0;
    bool m_callsEnabled = false;
    std::atomic<bool> m_connected{false};

    mutable std::mutex m_stateMutex;
    int32_t m_playingState = 2;
    int32_t m_playlistPosition = -1;
    int32_t m_playPosition = 0;
    int32_t m_volume = 0;
    bool m_shuffle = false;
    bool m_repeat = false;
    int32_t m_libraryCount = -1;
    std::optional<CEqSettings> m_eq;
    std::string m_currentKey;  // what identifies the current track
    std::unique_ptr<CMediaItem> m_currentMedia;
    std::vector<std::string> m_titles;
    int32_t m_playlistCount = -1;
    int m_passesSinceTitles = 0;
};

}  // namespace vantor
