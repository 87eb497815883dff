// The two monitor threads: they poll Winamp every 100 ms, keep the cached state and tell the
// listener what changed.

#include "protocol/MessageType.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"
#include "server/player/winamp/WinampPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace vantor {

namespace {

constexpr int kMonitorPeriodMs = 100;
constexpr int kMinimumPauseMs = 10;
constexpr auto kFullPlaylistReadPeriod = std::chrono::milliseconds(5000);
constexpr int kPlayPositionThreshold = 3;
constexpr int kLengthRetries = 10;
constexpr int kLengthRetryPauseMs = 20;

int32_t PlayingStateFromWinamp(int32_t answer) {
    switch (answer) {
        case 1:
            return kPlaying;
        case 3:
            return kPaused;
        default:
            return kStopped;
    }
}

// Stores `value` in `cached` and tells whether it changed.
template <typename T>
bool Store(T& cached, const T& value) {
    if (cached == value) {
        return false;
    }
    cached = value;
    return true;
}

}  // namespace

std::string CWinampPlayer::TitleFromWindowTitle(const std::string& windowTitle) {
    std::string title = windowTitle;
    const size_t suffix = title.find(" - Winamp");
    if (suffix != std::string::npos) {
        title.resize(suffix);
        const size_t number = title.find(". ");
        if (number != std::string::npos) {
            title.erase(0, number + 2);
        }
    }
    return title;
}

void CWinampPlayer::ResetCache() {
    std::lock_guard lock(m_stateMutex);
    m_playingState = -1;
    m_playlistPosition = -1;
    m_playPosition = -1;
    m_volume = -1;
    m_playlistLength = -1;
    m_shuffle = -1;
    m_repeat = -1;
    m_eq.reset();
    m_currentTitle.clear();
    m_currentMedia.reset();
    m_titles.clear();
}

bool CWinampPlayer::PauseMonitor(int milliseconds) {
    std::unique_lock lock(m_stopMutex);
    return !m_stopSignal.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return m_stop; });
}

void CWinampPlayer::RunMonitor(const std::function<void()>& pass) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        auto next = Clock::now() + std::chrono::milliseconds(kMonitorPeriodMs);
        pass();
        // A long pass (a big playlist read) still leaves Winamp a breather.
        next = std::max(next, Clock::now() + std::chrono::milliseconds(kMinimumPauseMs));
        std::unique_lock lock(m_stopMutex);
        if (m_stopSignal.wait_until(lock, next, [this] { return m_stop; })) {
            return;
        }
    }
}

void CWinampPlayer::StateMonitor() {
    RunMonitor([this] { StateMonitorPass(); });
}

void CWinampPlayer::StateMonitorPass() {
    const CWindows windows = Windows();
    if (windows.main == 0) {
        return;
    }
    // A window that is gone answers nothing, and Winamp's version is never 0.
    if (Command(windows.main, winamp::kGetVersion) == 0) {
        ForgetWinamp(windows.main);
        return;
    }

    bool force = false;
    const int32_t position = Command(windows.main, winamp::kGetListPos);
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_playlistPosition, position);
    }
    if (changed) {
        force = true;
        if (IPlayerListener* listener = Listener()) {
            listener->OnPlaylistPositionChanged(position);
        }
    }

    if (CheckCurrentItem(windows, position)) {
        force = true;
    }

    const int32_t state = PlayingStateFromWinamp(Command(windows.main, winamp::kIsPlaying));
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_playingState, state);
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnPlayingStateChanged(state);
        }
    }

    const int32_t volume =
        winamp::VolumeFromRaw(Command(windows.main, winamp::kSetVolume, winamp::kQueryVolume));
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_volume, volume);
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnVolumeChanged(volume);
        }
    }

    // The position moves by itself; only a jump of a few seconds, or a new item, is news.
    const int32_t seconds = std::max(Command(windows.main, winamp::kGetOutputTime), 0) / 1000;
    {
        std::lock_guard lock(m_stateMutex);
        changed = force || std::abs(seconds - m_playPosition) >= kPlayPositionThreshold;
        m_playPosition = seconds;
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnPlayPositionChanged(seconds);
        }
    }

    CEqSettings eq;
    ReadEq(windows.main, eq);
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_eq, std::optional<CEqSettings>(eq));
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnEqChanged();
        }
    }

    const int32_t shuffle = Command(windows.main, winamp::kGetShuffle) != 0 ? 1 : 0;
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_shuffle, shuffle);
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnShuffleStateChanged(shuffle != 0);
        }
    }

    const int32_t repeat = Command(windows.main, winamp::kGetRepeat) != 0 ? 1 : 0;
    {
        std::lock_guard lock(m_stateMutex);
        changed = Store(m_repeat, repeat);
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnRepeatStateChanged(repeat != 0);
        }
    }
}

bool CWinampPlayer::CheckCurrentItem(const CWindows& windows, int32_t playlistPosition) {
    const std::string title = TitleFromWindowTitle(m_windows.GetWindowTitle(windows.main, 255));
    {
        std::lock_guard lock(m_stateMutex);
        if (title == m_currentTitle) {
            return false;
        }
        m_currentTitle = title;
    }
    std::unique_ptr<CMediaItem> item = BuildCurrentItem(windows, playlistPosition, title);
    {
        std::lock_guard lock(m_stateMutex);
        m_currentMedia = item->Clone();
    }
    if (IPlayerListener* listener = Listener()) {
        listener->OnCurrentMediaChanged(*item);
    }
    return true;
}

std::unique_ptr<CMediaItem> CWinampPlayer::BuildCurrentItem(const CWindows& windows,
                                                            int32_t playlistPosition,
                                                            const std::string& titleText) {
    auto item = std::make_unique<CMusicItem>();
    item->path = ReadRemoteText(static_cast<RemoteAddress>(
        Command(windows.main, winamp::kGetPlaylistFile, playlistPosition)));

    std::string title;
    if (ExtendedFileInfo(windows.main, item->path, "Title", title) && !title.empty()) {
        ExtendedFileInfo(windows.main, item->path, "Artist", item->artist);
        ExtendedFileInfo(windows.main, item->path, "Album", item->album);
        item->name = title;
    } else {
        const size_t dash = titleText.find(" - ");
        if (dash == std::string::npos) {
            item->name = titleText;
        } else {
            item->artist = titleText.substr(0, dash);
            item->name = titleText.substr(dash + 3);
        }
    }

    item->length = Command(windows.main, winamp::kGetOutputTime, 1);
    for (int retry = 0; retry < kLengthRetries && item->length < 0; ++retry) {
        if (!PauseMonitor(kLengthRetryPauseMs)) {
            break;
        }
        item->length = Command(windows.main, winamp::kGetOutputTime, 1);
    }

    if (windows.library != 0) {
        const int32_t stars = m_windows.SendWindowMessage(windows.library, winamp::kLibraryMessage,
                                                          0, winamp::kLibraryGetRating);
        if (stars >= 0 && stars <= 5) {
            item->rating = stars * 20;
        }
    }
    return item;
}

void CWinampPlayer::PlaylistMonitor() {
    auto lastFullRead = std::chrono::steady_clock::now() - kFullPlaylistReadPeriod;
    RunMonitor([&] {
        const auto now = std::chrono::steady_clock::now();
        if (PlaylistMonitorPass(now - lastFullRead >= kFullPlaylistReadPeriod)) {
            lastFullRead = now;
        }
    });
}

bool CWinampPlayer::PlaylistMonitorPass(bool fullReadDue) {
    const CWindows windows = Windows();
    if (windows.main == 0) {
        return false;
    }
    const int32_t length = std::max(Command(windows.main, winamp::kGetListLength), 0);
    bool lengthChanged = false;
    {
        std::lock_guard lock(m_stateMutex);
        lengthChanged = length != m_playlistLength;
    }
    if (!lengthChanged && !fullReadDue) {
        return false;
    }
    std::vector<std::string> titles;
    titles.reserve(static_cast<size_t>(length));
    for (int32_t index = 0; index < length; ++index) {
        {
            std::lock_guard lock(m_stopMutex);
            if (m_stop) {
                return true;
            }
        }
        titles.push_back(ReadRemoteText(
            static_cast<RemoteAddress>(Command(windows.main, winamp::kGetPlaylistTitle, index))));
    }
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        changed = lengthChanged || titles != m_titles;
        if (changed) {
            m_titles = std::move(titles);
            m_playlistLength = length;
        }
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) {
            listener->OnPlaylistChanged();
        }
    }
    return true;
}

}  // namespace vantor
