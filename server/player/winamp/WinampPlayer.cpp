#include "server/player/winamp/WinampPlayer.h"

#include "protocol/MessageType.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"

#include <algorithm>
#include <cstring>

namespace vantor {

CWinampPlayer::CWinampPlayer(CLogger& logger, CConfigStore& config,
                             std::shared_ptr<IWindowSystem> windows)
    : m_logger(logger),
      m_config(config),
      m_windowSystem(std::move(windows)),
      m_windows(*m_windowSystem),
      m_stateThread(logger),
      m_playlistThread(logger) {}

CWinampPlayer::~CWinampPlayer() {
    Disconnect();
}

int32_t CWinampPlayer::Connect() {
    if (m_stateThread.IsRunning() || m_playlistThread.IsRunning()) {
        Disconnect();
    }
    ResetCache();
    const bool attached = Attach(true);
    if (attached && m_logger.GetLevel() > kLogCritical) {
        const int32_t version = Command(Windows().main, winamp::kGetVersion);
        m_logger.LogNormal("Winamp version is %d.%02x", (version >> 8) & 0xff, version & 0xff);
    }
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = false;
    }
    m_stateThread.Start("Winamp State Monitor", [this] { StateMonitor(); });
    m_playlistThread.Start("Winamp Playlist Monitor", [this] { PlaylistMonitor(); });
    m_connected = true;
    return attached ? kResultSuccess : kResultPlayerComm;
}

void CWinampPlayer::Disconnect() {
    {
        std::lock_guard lock(m_stopMutex);
        m_stop = true;
    }
    m_stopSignal.notify_all();
    m_stateThread.Stop();
    m_playlistThread.Stop();
    std::lock_guard lock(m_attachMutex);
    DropProcess();
    m_attached = {};
    m_connected = false;
}

bool CWinampPlayer::IsConnected() const {
    return m_connected;
}

int32_t CWinampPlayer::AddListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    m_listener = listener;
    return kResultSuccess;
}

int32_t CWinampPlayer::RemoveListener(IPlayerListener* listener) {
    std::lock_guard lock(m_listenerMutex);
    if (m_listener == listener) {
        m_listener = nullptr;
    }
    return kResultSuccess;
}

IPlayerListener* CWinampPlayer::Listener() {
    std::lock_guard lock(m_listenerMutex);
    return m_listener;
}

int32_t CWinampPlayer::Play() {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    if (Command(Windows().main, winamp::kGetListLength) > 0) {
        MenuCommand(winamp::kMenuPlay);
    }
    return kResultSuccess;
}

int32_t CWinampPlayer::AttachedMenuCommand(int64_t command) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    MenuCommand(command);
    return kResultSuccess;
}

int32_t CWinampPlayer::Pause() {
    return AttachedMenuCommand(winamp::kMenuPause);
}

int32_t CWinampPlayer::Stop() {
    return AttachedMenuCommand(winamp::kMenuStop);
}

int32_t CWinampPlayer::FastForward() {
    return AttachedMenuCommand(winamp::kMenuForward);
}

int32_t CWinampPlayer::Rewind() {
    return AttachedMenuCommand(winamp::kMenuRewind);
}

int32_t CWinampPlayer::PreviousTrack() {
    return AttachedMenuCommand(winamp::kMenuPrevious);
}

int32_t CWinampPlayer::NextTrack() {
    return AttachedMenuCommand(winamp::kMenuNext);
}

int32_t CWinampPlayer::SetPlaylistPosition(int32_t position) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kSetPlaylistPos, position);
    Stop();
    return Play();
}

int32_t CWinampPlayer::SetPlayPosition(int32_t seconds) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kJumpToTime, static_cast<int64_t>(seconds) * 1000);
    return kResultSuccess;
}

int32_t CWinampPlayer::GetCurrentMedia(std::unique_ptr<CMediaItem>& out) {
    std::lock_guard lock(m_stateMutex);
    if (!m_currentMedia || m_currentMedia->name.empty()) {
        return kResultMediaNotFound;
    }
    out = m_currentMedia->Clone();
    return kResultSuccess;
}

int32_t CWinampPlayer::GetPlaylistPosition() {
    if (!Attach(false)) {
        return -1;
    }
    return Command(Windows().main, winamp::kGetListPos);
}

int32_t CWinampPlayer::PlayMedia(const CMediaItem& item) {
    int32_t result = Stop();
    if (result == kResultSuccess) {
        result = PlaylistClear();
    }
    if (result == kResultSuccess) {
        result = PlaylistAdd(item, -1);
    }
    if (result == kResultSuccess) {
        result = Play();
    }
    return result;
}

int32_t CWinampPlayer::PlaylistAdd(const MediaItemList& items, int32_t position) {
    return PlaylistAddOneByOne(*this, items, position);
}

int32_t CWinampPlayer::PlaylistAdd(const CMediaItem& item, int32_t position) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    // A playlist can only be appended: Winamp expands it into its entries.
    if (item.mediaType == kMediaPlaylist && position != -1) {
        return kResultSuccess;
    }
    const CWindows windows = Windows();
    const int32_t lengthBefore = Command(windows.main, winamp::kGetListLength);
    if (position == -1) {
        m_windows.SendCopyData(windows.main, winamp::kCopyPlayFile, item.path.c_str(),
                               item.path.size() + 1);
    } else if (windows.editor != 0) {
        char record[winamp::kInsertPathSize + 4] = {};
        std::memcpy(record, item.path.data(),
                    std::min(item.path.size(), winamp::kInsertPathSize - 1));
        const auto index = static_cast<uint32_t>(position);
        for (size_t i = 0; i < 4; ++i) {
            record[winamp::kInsertPathSize + i] = static_cast<char>((index >> (8 * i)) & 0xff);
        }
        m_windows.SendCopyData(windows.editor, winamp::kCopyInsertFile, record, sizeof(record));
    }
    // Winamp builds its shuffle order when shuffle is switched on; a list that was empty
    // gets one this way.
    if (lengthBefore == 0 && Command(windows.main, winamp::kGetShuffle) != 0) {
        Command(windows.main, winamp::kSetShuffle, 0);
        Command(windows.main, winamp::kSetShuffle, 1);
    }
    return kResultSuccess;
}

int32_t CWinampPlayer::PlaylistRemove(int32_t position) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    const WindowHandle editor = Windows().editor;
    if (editor == 0) {
        return kResultPlayerComm;
    }
    Command(editor, winamp::kEditorDeleteIndex, position);
    return kResultSuccess;
}

int32_t CWinampPlayer::PlaylistMove(int32_t, int32_t) {
    return kResultNotSupported;
}

int32_t CWinampPlayer::PlaylistClear() {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kClearPlaylist);
    return kResultSuccess;
}

int32_t CWinampPlayer::GetVolume() {
    std::lock_guard lock(m_stateMutex);
    return std::max(m_volume, 0);
}

int32_t CWinampPlayer::SetVolume(int32_t volume) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kSetVolume, winamp::VolumeToRaw(std::clamp(volume, 0, 100)));
    return kResultSuccess;
}

int32_t CWinampPlayer::GetPlayPosition() {
    if (!Attach(false)) {
        return 0;
    }
    return std::max(Command(Windows().main, winamp::kGetOutputTime), 0) / 1000;
}

int32_t CWinampPlayer::GetPlayingState() {
    std::lock_guard lock(m_stateMutex);
    return m_playingState < 0 ? kStopped : m_playingState;
}

int32_t CWinampPlayer::GetPlaylistLength() {
    if (!Attach(false)) {
        return 0;
    }
    return std::max(Command(Windows().main, winamp::kGetListLength), 0);
}

int32_t CWinampPlayer::GetPlaylistItems(std::vector<std::string>& titles, int32_t start,
                                        int32_t count, int32_t* total) {
    bool copied = false;
    {
        std::lock_guard lock(m_stateMutex);
        copied = CopyPlaylistTitles(m_titles, titles, start, count);
    }
    if (copied && total) {
        *total = GetPlaylistLength();
    }
    return kResultSuccess;
}

int32_t CWinampPlayer::GetTrackRating(int32_t& rating) {
    Attach(false);
    const WindowHandle library = Windows().library;
    if (library == 0) {
        return kResultNotSupported;
    }
    const int32_t stars =
        m_windows.SendWindowMessage(library, winamp::kLibraryMessage, 0, winamp::kLibraryGetRating);
    if (stars < 0 || stars > 5) {
        return kResultFailed;
    }
    rating = stars * 20;
    return kResultSuccess;
}

int32_t CWinampPlayer::SetTrackRating(int32_t rating) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    const WindowHandle library = Windows().library;
    if (library == 0) {
        return kResultNotSupported;
    }
    m_windows.SendWindowMessage(library, winamp::kLibraryMessage, rating / 20,
                                winamp::kLibrarySetRating);
    return kResultSuccess;
}

int32_t CWinampPlayer::GetEqPresets(std::vector<std::string>& presets) {
    presets.clear();
    for (const winamp::CEqPreset& preset : winamp::EqPresets()) {
        presets.emplace_back(preset.name);
    }
    return kResultSuccess;
}

int32_t CWinampPlayer::SetEqPreset(const std::string& name) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    const WindowHandle main = Windows().main;
    for (const winamp::CEqPreset& preset : winamp::EqPresets()) {
        if (name != preset.name) {
            continue;
        }
        std::lock_guard lock(m_attachMutex);
        for (size_t band = 0; band < preset.bands.size(); ++band) {
            WriteEqValue(main, static_cast<int64_t>(band), preset.bands[band]);
        }
        WriteEqValue(main, winamp::kEqIndexPreamp, winamp::kPresetPreamp);
        WriteEqValue(main, winamp::kEqIndexEnabled, 1);
        break;
    }
    return kResultSuccess;
}

int32_t CWinampPlayer::GetEq(CEqSettings& settings) {
    if (!Attach(false)) {
        return kResultPlayerComm;
    }
    ReadEq(Windows().main, settings);
    return kResultSuccess;
}

int32_t CWinampPlayer::SetEq(const CEqSettings& settings) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    const WindowHandle main = Windows().main;
    std::lock_guard lock(m_attachMutex);
    for (size_t band = 0; band < settings.bands.size(); ++band) {
        WriteEqValue(main, static_cast<int64_t>(band),
                     winamp::EqRawFromValue(settings.bands[band]));
    }
    WriteEqValue(main, winamp::kEqIndexPreamp, winamp::EqRawFromValue(settings.preamp));
    WriteEqValue(main, winamp::kEqIndexEnabled, settings.enabled ? 1 : 0);
    WriteEqValue(main, winamp::kEqIndexAutoLoad, settings.autoLoad ? 1 : 0);
    return kResultSuccess;
}

int32_t CWinampPlayer::GetVideoMode(bool& fullScreen) {
    if (!Attach(false)) {
        return kResultPlayerComm;
    }
    const WindowHandle main = Windows().main;
    if (Command(main, winamp::kIsPlayingVideo) < 2) {
        return kResultMediaNotFound;
    }
    fullScreen = Command(main, winamp::kIsFullScreen) == 1;
    return kResultSuccess;
}

int32_t CWinampPlayer::SetVideoMode(bool fullScreen) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    const WindowHandle main = Windows().main;
    if (Command(main, winamp::kIsPlayingVideo) < 2) {
        return kResultMediaNotFound;
    }
    if ((Command(main, winamp::kIsFullScreen) == 1) != fullScreen) {
        MenuCommand(winamp::kMenuFullScreen);
    }
    return kResultSuccess;
}

void CWinampPlayer::GetCapabilities(CPlayerCapabilities& capabilities) {
    capabilities.supportsEq = true;
}

bool CWinampPlayer::GetShuffleState() {
    std::lock_guard lock(m_stateMutex);
    return m_shuffle > 0;
}

int32_t CWinampPlayer::SetShuffleState(bool on) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kSetShuffle, on ? 1 : 0);
    return kResultSuccess;
}

bool CWinampPlayer::GetRepeatState() {
    std::lock_guard lock(m_stateMutex);
    return m_repeat > 0;
}

int32_t CWinampPlayer::SetRepeatState(bool on) {
    if (!Attach(true)) {
        return kResultPlayerComm;
    }
    Command(Windows().main, winamp::kSetRepeat, on ? 1 : 0);
    return kResultSuccess;
}

}  // namespace vantor
