#pragma once

#include "platform/WindowSystem.h"
#include "server/core/WorkerThread.h"
#include "server/player/Player.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

class CConfigStore;
class CLogger;

// Drives Winamp through its window messages: the main window, the playlist editor and the
// media library window, plus small text buffers inside Winamp's process. Two monitor threads
// poll Winamp every 100 ms and report changes to the listener; Winamp quitting is noticed by
// the state monitor, and the next operation that changes something starts it again from the
// configured "Paths\Winamp" folder.
//
// Locking: m_attachMutex guards the windows, the process and its buffers, and is held for
// every exchange that spans several messages (texts through the buffers, the equaliser's
// read-then-write pairs); m_stateMutex guards the cached state. Neither is held while the
// listener is called.
class CWinampPlayer : public IPlayer {
public:
    // The logger and configuration must outlive the player; the window system is shared.
    CWinampPlayer(CLogger& logger, CConfigStore& config, std::shared_ptr<IWindowSystem> windows);
    ~CWinampPlayer() override;

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

    // True while Winamp's main window is known (false once the state monitor saw it quit).
    bool IsAttached();
    // The title text of a main-window title: "12. Artist - Song - Winamp" gives
    // "Artist - Song".
    static std::string TitleFromWindowTitle(const std::string& windowTitle);

private:
    struct CWindows {
        WindowHandle main = 0;
        WindowHandle editor = 0;
        WindowHandle library = 0;
    };

    // Attaching (WinampAttach.cpp).
    bool Attach(bool allowStart);
    bool StartWinamp();
    void FindEditorWindow();
    bool OpenProcess();
    void FindLibraryWindow();
    void DropProcess();
    void ForgetWinamp(WindowHandle main);
    CWindows Windows();
    int32_t Command(WindowHandle window, int64_t command, int64_t data = 0);
    int32_t MenuCommand(int64_t command);
    // Attaches (starting Winamp when needed) and sends a menu command; 102 when not attached.
    int32_t AttachedMenuCommand(int64_t command);
    // The zero-terminated text at an address in Winamp's process; empty without a process.
    std::string ReadRemoteText(RemoteAddress address);
    bool ExtendedFileInfo(WindowHandle main, const std::string& file, const char* field,
                          std::string& value);
    bool ReadEq(WindowHandle main, CEqSettings& settings);
    void WriteEqValue(WindowHandle main, int64_t index, int32_t raw);

    // Monitors (WinampMonitors.cpp).
    void ResetCache();
    void StateMonitor();
    void PlaylistMonitor();
    void StateMonitorPass();
    bool PlaylistMonitorPass(bool fullReadDue);
    bool CheckCurrentItem(const CWindows& windows, int32_t playlistPosition);
    std::unique_ptr<CMediaItem> BuildCurrentItem(const CWindows& windows, int32_t playlistPosition,
                                                 const std::string& titleText);
    // Sleeps up to `milliseconds`; false when the stop flag is set.
    bool PauseMonitor(int milliseconds);
    // Runs `pass` every monitor period (measured from the start of each pass) until stopped.
    void RunMonitor(const std::function<void()>& pass);
    IPlayerListener* Listener();

    CLogger& m_logger;
    CConfigStore& m_config;
    const std::shared_ptr<IWindowSystem> m_windowSystem;
    IWindowSystem& m_windows;

    std::recursive_mutex m_attachMutex;
    CWindows m_attached;
    std::unique_ptr<IProcessMemory> m_process;
    RemoteAddress m_textBuffer = 0;            // 4096 bytes
    std::array<RemoteAddress, 3> m_buffers{};  // 1024 bytes each

    // Cached state; -1 (or empty) until the monitors have seen it.
    mutable std::mutex m_stateMutex;
    int32_t m_playingState = -1;
    int32_t m_playlistPosition = -1;
    int32_t m_playPosition = -1;
    int32_t m_volume = -1;
    int32_t m_playlistLength = -1;
    int32_t m_shuffle = -1;
    int32_t m_repeat = -1;
    std::optional<CEqSettings> m_eq;
    std::string m_currentTitle;
    std::unique_ptr<CMediaItem> m_currentMedia;
    std::vector<std::string> m_titles;

    std::mutex m_listenerMutex;
    IPlayerListener* m_listener = nullptr;

    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal;
    bool m_stop = false;
    std::atomic<bool> m_connected{false};
    CWorkerThread m_stateThread;
    CWorkerThread m_playlistThread;
};

}  // namespace vantor
