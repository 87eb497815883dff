// Pointer input on the skinned face: pressing, dragging the bars, and the action of the
// component under the release point.

#include <gtkmm/messagedialog.h>

#include <cstring>

#include "client/desktop/MainFrame.h"
#include "client/display/PlayerTexts.h"
#include "client/face/FaceGeometry.h"

namespace vantor::desktop {

namespace {

bool IsEqBand(const std::string& name) {
    return name == "eq.preamp" || (name.size() == 8 && name.rfind("eq.bar", 0) == 0);
}

// 0 for the preamp, 1..10 for "eq.bar01".."eq.bar10".
int32_t BandIndex(const std::string& name) {
    return name == "eq.preamp" ? 0 : std::atoi(name.c_str() + 6);
}

// Pointer events that a touch screen's finger stands behind (the toolkit turns touches on
// a widget that takes no touch events into pointer events of the touch device).
bool IsTouch(GdkEvent* event) {
    GdkDevice* device = gdk_event_get_source_device(event);
    return device && gdk_device_get_source(device) == GDK_SOURCE_TOUCHSCREEN;
}

}  // namespace

bool MainFrame::OnButtonPress(GdkEventButton* event) {
    NoteUserInput();
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS) return true;
    if (m_keeper->Worker().IsNetworkDown()) return true;
    const int x = m_view.FaceX(event->x);
    const int y = m_view.FaceY(event->y);
    const std::string screen = Screen();
    const skin::Component* pressed = m_painter.HitTest(screen, x, y, true, true);
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.pressed = m_painter.IndexOf(pressed);
    }
    StartDrag(m_painter.HitTest(screen, x, y, false), x, y);
    Redraw();
    return true;
}

bool MainFrame::OnMotion(GdkEventMotion* event) {
    const int x = m_view.FaceX(event->x);
    const int y = m_view.FaceY(event->y);
    if ((event->state & GDK_BUTTON1_MASK) && m_drag != Drag::kNone) {
        NoteUserInput();
        DragTo(x, y);
        return true;
    }
    // A finger does not hover: a touched button would stay lit after the finger left it.
    if (IsTouch(reinterpret_cast<GdkEvent*>(event))) return true;
    const int32_t hovered = m_painter.IndexOf(m_painter.HitTest(Screen(), x, y, true, true));
    bool changed = false;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        changed = hovered != m_face.hovered;
        m_face.hovered = hovered;
    }
    if (changed) Redraw();
    return true;
}

bool MainFrame::OnLeave(GdkEventCrossing*) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.hovered = -1;
    }
    Redraw();
    return false;
}

bool MainFrame::OnButtonRelease(GdkEventButton* event) {
    NoteUserInput();
    if (event->button != 1) return true;
    const int x = m_view.FaceX(event->x);
    const int y = m_view.FaceY(event->y);
    bool wasPressed = false;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        wasPressed = m_face.pressed >= 0;
        m_face.pressed = -1;
    }
    const bool dragged = m_drag != Drag::kNone;
    EndDrag();
    if (m_keeper->Worker().IsNetworkDown() && !wasPressed && !dragged) return true;
    const std::string screen = Screen();
    const skin::Component* hit = m_painter.HitTest(screen, x, y, true);
    if (hit) {
        RunAction(hit, x, y);
    } else if (screen == face::kScreenNowPlaying) {
        ShowScreen(m_screenBeforeNowPlaying);
    }
    Redraw();
    return true;
}

void MainFrame::StartDrag(const skin::Component* component, int x, int y) {
    m_drag = Drag::kNone;
    m_dragBar = nullptr;
    if (!component) return;
    const std::string& name = component->name;
    if (name == "positionbar.back") {
        m_drag = Drag::kPosition;
    } else if (name == "positionbar.nowplaying.back") {
        m_drag = Drag::kNowPlayingPosition;
    } else if (name == "volumebar.back") {
        m_drag = Drag::kVolume;
    } else if (IsEqBand(name)) {
        m_drag = Drag::kEqBand;
        m_dragBand = BandIndex(name);
    } else {
        return;
    }
    m_dragBar = component;
    DragTo(x, y);
}

void MainFrame::DragTo(int x, int y) {
    if (!m_dragBar) return;
    const skin::Rect& bar = m_dragBar->norm.destination;
    const int32_t pixels = face::ClampToBar(x - bar.left, bar.Width());
    switch (m_drag) {
        case Drag::kPosition:
        case Drag::kNowPlayingPosition: {
            // The bar follows the pointer; the position is asked for on release.
            std::lock_guard<std::mutex> lock(m_drawLock);
            (m_drag == Drag::kPosition ? m_face.positionBar : m_face.nowPlayingBar) = pixels;
            break;
        }
        case Drag::kVolume:
            SetVolumeFromBar(*m_dragBar, x);
            break;
        case Drag::kEqBand:
            SetEqFromBar(*m_dragBar, y);
            break;
        case Drag::kNone:
            break;
    }
    Redraw();
}

void MainFrame::EndDrag() {
    const Drag drag = m_drag;
    m_drag = Drag::kNone;
    m_dragBar = nullptr;
    if (drag == Drag::kVolume) {
        // The status line showed the volume while dragging.
        CCurrentMedia media;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            media = m_face.player.media;
        }
        SetTitleLine(client::TitleLine(media));
    }
    if (drag == Drag::kPosition || drag == Drag::kNowPlayingPosition) UpdateBars();
}

void MainFrame::SetPositionFromBar(const skin::Component& back, int x) {
    const skin::Rect& bar = back.norm.destination;
    const int32_t pixels = face::ClampToBar(x - bar.left, bar.Width());
    int32_t seconds = 0;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        const int32_t length = m_face.player.media.length;
        if (length <= 0) return;
        seconds = face::PositionAt(pixels, bar.Width(), length);
        m_face.positionMs = int64_t{seconds} * 1000;
    }
    m_lastAdvance = std::chrono::steady_clock::now();
    UpdateBars();
    m_link.SetPlayPosition(seconds);
}

void MainFrame::SetVolumeFromBar(const skin::Component& back, int x) {
    const skin::Rect& bar = back.norm.destination;
    const int32_t pixels = face::ClampToBar(x - bar.left, bar.Width());
    const int32_t volume = bar.Width() > 0 ? pixels * 100 / bar.Width() : 0;
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.volumeBar = pixels;
        if (m_face.player.volume == volume) return;
        m_face.player.volume = volume;
        m_face.titleLine = "Volume: " + std::to_string(volume);
        m_titleChanged = true;
        m_face.titleOffset = 0;
    }
    m_link.SetVolume(volume);
}

void MainFrame::SetEqFromBar(const skin::Component& back, int y) {
    const skin::Rect& bar = back.norm.destination;
    const int32_t value = face::EqValueAt(y - bar.top, bar.Height());
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        CEqSettings& eq = m_face.player.eq.settings;
        (m_dragBand == 0 ? eq.preamp : eq.bands[m_dragBand - 1]) = value;
    }
    // Sent once the pointer has rested for a second.
    StartOneShot(m_timer106, 1000, [this] {
        CEqSettings settings;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            settings = m_face.player.eq.settings;
        }
        m_link.SetEq(settings);
    });
}

void MainFrame::RunAction(const skin::Component* component, int x, int y) {
    (void)y;
    const std::string& name = component->name;
    if (name == "connect") {
        ConnectFromServerField();
    } else if (name == "play") {
        m_link.Play();
    } else if (name == "pause") {
        m_link.Pause();
    } else if (name == "stop") {
        m_link.Stop();
    } else if (name == "prev") {
        m_link.Previous();
    } else if (name == "next") {
        m_link.Next();
    } else if (name == "shuffle" || name == "repeat") {
        bool on = false;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            bool& flag = name == "shuffle" ? m_face.player.shuffle : m_face.player.repeat;
            flag = !flag;
            on = flag;
        }
        name == "shuffle" ? m_link.SetShuffle(on) : m_link.SetRepeat(on);
    } else if (name == "remove") {
        const int row = m_playlistEditor.SelectedRow();
        if (row >= 0) m_link.PlaylistRemove(row);
    } else if (name == "moveup" || name == "movedown") {
        MoveSelectedRow(name == "moveup" ? -1 : 1);
    } else if (name == "newlist") {
        AskClearPlaylist();
    } else if (name == "positionbar.back" || name == "positionbar.nowplaying.back") {
        SetPositionFromBar(*component, x);
    } else if (name == "volumebar.back") {
        SetVolumeFromBar(*component, x);
    } else if (name == "eq.enabled" || name == "eq.autoload") {
        CEqSettings settings;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            CEqSettings& eq = m_face.player.eq.settings;
            bool& flag = name == "eq.enabled" ? eq.enabled : eq.autoLoad;
            flag = !flag;
            settings = eq;
        }
        m_link.SetEq(settings);
    } else if (name == "eq.presets") {
        ChooseEqPreset();
    } else if (name == "medialib.back") {
        m_library.Back();
    } else if (name == "add") {
        m_library.AddSelected();
    } else if (name == "songback") {
        if (Screen() != face::kScreenMain) ShowScreen(face::kScreenMain);
    } else if (name == "positionback") {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.showRemaining = !m_face.showRemaining;
    } else if (name == "nowplaying") {
        ShowScreen(face::kScreenNowPlaying);
    }
}

void MainFrame::MoveSelectedRow(int delta) {
    const int row = m_playlistEditor.SelectedRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= m_playlist->RowCount()) return;
    m_link.PlaylistMove(row, to);
    m_playlist->MoveRow(row, to);
    m_playlistEditor.SelectRow(to);
}

void MainFrame::AskClearPlaylist() {
    Gtk::MessageDialog dialog(*this, "Clear current playlist?", false, Gtk::MESSAGE_QUESTION,
                              Gtk::BUTTONS_YES_NO, true);
    dialog.set_title("Are You Sure?");
    if (dialog.run() == Gtk::RESPONSE_YES) m_link.PlaylistClear();
}

}  // namespace vantor::desktop
