// The animation loop (a 10 ms main-loop timer advancing a counter by 10 each pass) and the
// window's one-shot and repeating timers.

#include <glibmm/main.h>

#include "client/desktop/MainFrame.h"
#include "client/face/FaceGeometry.h"
#include "client/link/ConnectView.h"

namespace vantor::desktop {

namespace {

constexpr int64_t kIdleSwitchMs = 20000;
constexpr auto kClockJump = std::chrono::seconds(10);
constexpr int kStallReconnectMs = 3000;
constexpr int kDragScrollRows = 10;

bool Every(int64_t counter, int64_t ms) {
    return counter % ms == 0;
}

}  // namespace

void MainFrame::StartOneShot(sigc::connection& timer, int ms, std::function<void()> action) {
    timer.disconnect();
    timer = Glib::signal_timeout().connect(
        [action = std::move(action)] {
            action();
            return false;  // fires once
        },
        ms);
}

void MainFrame::NoteUserInput() {
    m_lastInput = std::chrono::steady_clock::now();
}

bool MainFrame::OnIdleCheck() {
    if (!m_settings.nowPlayingOnIdle || m_dialogs->IsOpen()) return true;
    const auto idle = std::chrono::steady_clock::now() - m_lastInput;
    if (idle < std::chrono::milliseconds(kIdleSwitchMs)) return true;
    const std::string screen = Screen();
    if (screen == face::kScreenNowPlaying || screen == face::kScreenConnect) return true;
    ShowScreen(face::kScreenNowPlaying);
    m_link.GetAlbumArt();
    return true;
}

bool MainFrame::OnAnimationTick() {
    m_counter += 10;
    bool redraw = false;
    if (Every(m_counter, 500)) {
        std::lock_guard<std::mutex> lock(m_drawLock);
        if (m_face.connecting) {
            m_face.connectProgress =
                m_face.connectProgress >= 100 ? 0 : m_face.connectProgress + 10;
            redraw = m_face.screen == face::kScreenConnect;
        }
    }
    if (Every(m_counter, client::TitleScroll::kStepMs)) redraw = ScrollTitle() || redraw;
    if (Every(m_counter, 200)) {
        if (const int direction = m_playlistEditor.DragDirection())
            m_playlistEditor.ScrollRows(direction * kDragScrollRows);
    }
    if (Every(m_counter, 500)) redraw = AdvancePlayPosition() || redraw;
    if (Every(m_counter, 1000)) CheckClockJump();
    if (redraw) Redraw();
    return true;
}

bool MainFrame::ScrollTitle() {
    // Most ticks find nothing to do: the widths are measured once per title and screen.
    if (m_titleChanged.exchange(false)) {
        std::string text;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_nowPlayingTitle = m_face.screen == face::kScreenNowPlaying;
            text = !m_nowPlayingTitle                  ? m_face.titleLine
                   : m_face.player.media.title.empty() ? m_face.titleLine
                                                       : m_face.player.media.title;
        }
        m_titleWidth = m_nowPlayingTitle ? m_facePainter.NowPlayingTitleWidth(text)
                                         : m_facePainter.TitleWidth(text);
        m_titleBoxWidth = m_nowPlayingTitle ? m_facePainter.NowPlayingTitleBox().Width()
                                            : m_facePainter.TitleBox().Width();
    }
    client::TitleScroll& scroll = m_nowPlayingTitle ? m_nowPlayingScroll : m_titleScroll;
    if (!scroll.Step(m_titleWidth, m_titleBoxWidth)) return false;
    std::lock_guard<std::mutex> lock(m_drawLock);
    (m_nowPlayingTitle ? m_face.nowPlayingTitleOffset : m_face.titleOffset) = scroll.Offset();
    return true;
}

bool MainFrame::AdvancePlayPosition() {
    const auto now = std::chrono::steady_clock::now();
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastAdvance).count();
    m_lastAdvance = now;
    if (!m_link.IsConnected()) return false;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        const client::PlayerState& player = m_face.player;
        if (player.media.title.empty() && player.media.length <= 0) return false;
        if (player.playingState == kPlaying) {
            m_face.positionMs += elapsed;
            if (player.media.length > 0)
                m_face.positionMs =
                    std::min<int64_t>(m_face.positionMs, int64_t{player.media.length} * 1000);
        } else if (player.playingState == kStopped) {
            if (m_face.positionMs == 0) return false;
            m_face.positionMs = 0;
        } else {
            return false;
        }
    }
    UpdateBars();
    return true;
}

void MainFrame::CheckClockJump() {
    const auto wall = std::chrono::system_clock::now();
    const auto moved = wall - m_lastWallClock;
    m_lastWallClock = wall;
    // The machine slept: the connection is likely gone without a word.
    if (moved <= kClockJump || m_keeper->Worker().IsRunning()) return;
    m_keeper->Worker().RememberStatus();
    SetStatusText(client::kNetworkDisconnectedText);
    StartOneShot(m_timer101, kStallReconnectMs, [this] {
        if (!IsConnectScreenShown()) m_keeper->Reconnect();
    });
}

void MainFrame::UpdateBars() {
    auto width = [this](const char* name) {
        const skin::Component* c = m_skin.FindComponent(name);
        return c ? c->norm.destination.Width() : 0;
    };
    const int32_t positionWidth = width("positionbar.back");
    const int32_t nowPlayingWidth = width("positionbar.nowplaying.back");
    const int32_t volumeWidth = width("volumebar.back");
    std::lock_guard<std::mutex> lock(m_drawLock);
    const int64_t lengthMs = int64_t{m_face.player.media.length} * 1000;
    const int64_t position = m_face.player.playingState == kStopped ? 0 : m_face.positionMs;
    if (m_drag != Drag::kPosition)
        m_face.positionBar = face::BarPixels(positionWidth, position, lengthMs);
    if (m_drag != Drag::kNowPlayingPosition)
        m_face.nowPlayingBar = face::BarPixels(nowPlayingWidth, position, lengthMs);
    if (m_drag != Drag::kVolume)
        m_face.volumeBar = face::BarPixels(volumeWidth, m_face.player.volume, 100);
}

}  // namespace vantor::desktop
