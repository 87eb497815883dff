// Keys: the bindings of the settings first, then the keys' normal meanings on the "main"
// and "playlist" screens.

#include <gtkmm/entry.h>

#include "client/desktop/KeyCodes.h"
#include "client/desktop/MainFrame.h"
#include "client/settings/ClientActions.h"

namespace vantor::desktop {

namespace {

constexpr int32_t kEnter = 0x0D;
constexpr int32_t kCenter = 0x86;
constexpr int32_t kLeft = 0x25;
constexpr int32_t kUp = 0x26;
constexpr int32_t kRight = 0x27;
constexpr int32_t kDown = 0x28;
constexpr int32_t kJ = 0x4A;  // jump to a song of the play list

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int32_t MainFrame::KeyCodeOf(unsigned keyval) const {
    return VirtualKeyFromKeyval(keyval);
}

bool MainFrame::OnKeyPress(GdkEventKey* event) {
    NoteUserInput();
    // Typing a server address is not a command.
    if (dynamic_cast<Gtk::Entry*>(get_focus())) return false;
    const int32_t code = KeyCodeOf(event->keyval);
    if (code < 0) return false;
    const client::KeyDecision decision = m_settings.bindings.OnKeyDown(code, NowMs());
    if (decision.action >= 0) PerformAction(decision.action);
    if (decision.swallow) return true;
    return UnboundKey(code);
}

bool MainFrame::OnKeyRelease(GdkEventKey* event) {
    NoteUserInput();
    if (dynamic_cast<Gtk::Entry*>(get_focus())) return false;
    const int32_t code = KeyCodeOf(event->keyval);
    if (code < 0) return false;
    const client::KeyDecision decision = m_settings.bindings.OnKeyUp(code, NowMs());
    if (decision.action >= 0) PerformAction(decision.action);
    return decision.swallow;
}

bool MainFrame::UnboundKey(int32_t code) {
    const std::string screen = Screen();
    PlaylistView* list = nullptr;
    if (screen == face::kScreenMain) list = &m_playlistMain;
    if (screen == face::kScreenPlaylist) list = &m_playlistEditor;
    if (!list) return false;
    const bool onEditor = screen == face::kScreenPlaylist;
    if (onEditor && m_library.ListHasFocus()) {
        if (code == kEnter || code == kCenter || code == kRight) {
            m_library.OpenOrPlaySelected();
            return true;
        }
        if (code == kLeft) {
            m_library.Back();
            return true;
        }
        return false;
    }
    if (code == kJ) {
        JumpToSong();
        return true;
    }
    if (code == kEnter || code == kCenter || (onEditor && code == kRight)) {
        const int row = list->SelectedRow();
        if (row < 0) return false;
        m_link.SetPlaylistPosition(row);
        return true;
    }
    if ((code == kUp || code == kDown) && !list->Tree().has_focus()) {
        int row = list->SelectedRow();
        if (!onEditor) {
            std::lock_guard<std::mutex> lock(m_drawLock);
            row = m_face.player.playlistPosition;
        }
        list->FocusRow(row < 0 ? 0 : row);
        return true;
    }
    return false;
}

void MainFrame::PerformAction(int32_t action) {
    using client::ClientAction;
    switch (static_cast<ClientAction>(action)) {
        case ClientAction::kPlay:
            m_link.Play();
            break;
        case ClientAction::kPause:
            m_link.Pause();
            break;
        case ClientAction::kPlayPauseToggle:
            m_link.TogglePlay();
            break;
        case ClientAction::kStop:
            m_link.Stop();
            break;
        case ClientAction::kNextSong:
            m_link.Next();
            break;
        case ClientAction::kPreviousSong:
            m_link.Previous();
            break;
        case ClientAction::kIncreaseVolume:
        case ClientAction::kDecreaseVolume: {
            int32_t volume = 0;
            {
                std::lock_guard<std::mutex> lock(m_drawLock);
                volume = client::SteppedVolume(
                    m_face.player.volume,
                    action == static_cast<int32_t>(ClientAction::kIncreaseVolume));
                m_face.player.volume = volume;
            }
            UpdateBars();
            m_link.SetVolume(volume);
            Redraw();
            break;
        }
        case ClientAction::kToggleRepeat:
        case ClientAction::kToggleShuffle: {
            bool on = false;
            const bool shuffle = action == static_cast<int32_t>(ClientAction::kToggleShuffle);
            {
                std::lock_guard<std::mutex> lock(m_drawLock);
                bool& flag = shuffle ? m_face.player.shuffle : m_face.player.repeat;
                flag = !flag;
                on = flag;
            }
            shuffle ? m_link.SetShuffle(on) : m_link.SetRepeat(on);
            Redraw();
            break;
        }
        case ClientAction::kFastForward:
            m_link.FastForward();
            break;
        case ClientAction::kRewind:
            m_link.Rewind();
            break;
        case ClientAction::kNowPlaying:
            ShowScreen(face::kScreenNowPlaying);
            break;
    }
}

}  // namespace vantor::desktop
