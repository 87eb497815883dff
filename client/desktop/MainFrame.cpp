#include "client/desktop/MainFrame.h"
#include "client/desktop/SkinnedDialogs.h"

#include <glibmm/main.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include <cmath>

#include "client/display/PlayerTexts.h"
#include "client/face/FaceGeometry.h"
#include "client/face/PictureLoader.h"
#include "client/link/NetworkMonitor.h"
#include "client/skin/SkinCatalog.h"

namespace vantor::desktop {

namespace {

constexpr int32_t kPixelsPerInch = 96;

}  // namespace

MainFrame::MainFrame(client::ClientProfile profile, client::ClientSettings settings,
                     CRegistry& registry)
    : m_profile(std::move(profile)), m_settings(std::move(settings)), m_registry(registry) {
    set_title("VantorPC");
    set_resizable(false);
    m_dialogs = MakeSkinnedDialogs(*this, m_area, m_painter, [this] { OpenSettings(); });

    m_link.SetEndpoints(client::EndpointsFromSettings(
        m_settings.connectionPort, m_settings.discoveryAddress, m_settings.discoveryPort));
    m_link.SetListener(this);
    m_keeper = std::make_unique<client::ConnectionKeeper>(
        m_link, *this, m_profile.platform, m_post.Poster(),
        std::make_unique<client::NetworkMonitor>());

    m_face.showRemaining = m_settings.showRemainingTime;
    m_face.connectStatus = "";
    SetTitleLine("");

    BuildMenus();
    BuildHeader();
    m_rows.pack_start(m_menuBar, Gtk::PACK_SHRINK);
    m_rows.pack_start(m_header, Gtk::PACK_SHRINK);
    m_rows.pack_start(m_fixed, Gtk::PACK_SHRINK);
    add(m_rows);

    m_area.add_events(Gdk::BUTTON_PRESS_MASK | Gdk::BUTTON_RELEASE_MASK | Gdk::POINTER_MOTION_MASK |
                      Gdk::LEAVE_NOTIFY_MASK);
    m_area.signal_draw().connect(sigc::mem_fun(*this, &MainFrame::OnDraw));
    m_area.signal_button_press_event().connect(sigc::mem_fun(*this, &MainFrame::OnButtonPress));
    m_area.signal_button_release_event().connect(sigc::mem_fun(*this, &MainFrame::OnButtonRelease));
    m_area.signal_motion_notify_event().connect(sigc::mem_fun(*this, &MainFrame::OnMotion));
    m_area.signal_leave_notify_event().connect(sigc::mem_fun(*this, &MainFrame::OnLeave));
    signal_key_press_event().connect(sigc::mem_fun(*this, &MainFrame::OnKeyPress), false);
    signal_key_release_event().connect(sigc::mem_fun(*this, &MainFrame::OnKeyRelease), false);
    signal_delete_event().connect([this](GdkEventAny*) {
        Exit();
        return true;
    });

    // Server names and addresses: no spelling help, a keyboard with ":" and ".".
    if (Gtk::Entry* entry = m_serverList.get_entry()) {
        entry->set_input_purpose(Gtk::INPUT_PURPOSE_URL);
        entry->set_input_hints(Gtk::INPUT_HINT_NO_SPELLCHECK | Gtk::INPUT_HINT_NO_EMOJI);
    }

    m_playlistMain.SetModel(m_playlist->TreeModel());
    m_playlistEditor.SetModel(m_playlist->TreeModel());
    m_library.onTitle = [this](const std::string& title) {
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            m_face.libraryTitle = title;
        }
        Redraw();
    };
    m_library.Browser().Reset();
    m_playlist->onPageNeeded = [this](int start) { RequestPlaylistPage(start); };
    auto play = [this](int row) { m_link.SetPlaylistPosition(row); };
    m_playlistMain.onActivate = play;
    m_playlistEditor.onActivate = play;
    auto menu = [this](int row, const GdkEvent* event) { ShowPlaylistMenu(row, event); };
    m_playlistMain.onContextMenu = menu;
    m_playlistEditor.onContextMenu = menu;
    m_playlistEditor.EnableReordering([this](int from, int to) {
        m_link.PlaylistMove(from, to);
        m_playlist->MoveRow(from, to);
    });
}

MainFrame::~MainFrame() {
    // Nothing may call back into the window once it goes: the keeper's threads first, then
    // the link's receive thread.
    m_keeper->Stop();
    m_link.SetListener(nullptr);
    m_link.Disconnect();
    m_animation.disconnect();
}

bool MainFrame::ApplySkin() {
    const std::string defaultSkin = skin::DefaultSkinPath(m_settings.installFolder, m_profile.vga);
    const skin::SkinLoadOutcome outcome =
        skin::LoadSkinOrDefault(m_skin, m_settings.skinFilePath, defaultSkin, kPixelsPerInch);
    if (outcome == skin::SkinLoadOutcome::kFailed) return false;
    if (outcome == skin::SkinLoadOutcome::kDefault) m_settings.skinFilePath = defaultSkin;
    m_images.Clear();
    m_library.LoadIcons(m_skin.Folder());
    const skin::Component* main = m_skin.FindComponent("main");
    m_faceWidth = main ? main->norm.destination.Width() : 400;
    m_faceHeight = main ? main->norm.destination.Height() : 540;
    if (m_area.get_parent() == nullptr) m_fixed.put(m_area, 0, 0);
    LayoutFace();
    FillServerList();
    ShowScreen(Screen());
    return true;
}

void MainFrame::Start() {
    m_lastAdvance = std::chrono::steady_clock::now();
    m_lastWallClock = std::chrono::system_clock::now();
    m_animation =
        Glib::signal_timeout().connect(sigc::mem_fun(*this, &MainFrame::OnAnimationTick), 10);
    // The network watch runs from the start; it reconnects only a remote that was connected.
    m_keeper->Keep(ServerFromField());
    if (m_settings.autoConnect) {
        StartOneShot(m_timer102, 10, [this] { ConnectFromServerField(); });
    }
    NoteUserInput();
    m_timer104 =
        Glib::signal_timeout().connect(sigc::mem_fun(*this, &MainFrame::OnIdleCheck), 1000);
}

void MainFrame::Exit() {
    if (m_exiting) return;
    m_exiting = true;
    m_keeper->Stop();
    m_settings.RememberServer(ServerFieldText());
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_settings.showRemainingTime = m_face.showRemaining;
    }
    m_settings.Save(m_registry, m_profile);
    m_animation.disconnect();
    hide();
}

std::string MainFrame::Screen() {
    std::lock_guard<std::mutex> lock(m_drawLock);
    return m_face.screen;
}

void MainFrame::ShowScreen(const std::string& screen) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        if (screen == face::kScreenNowPlaying && m_face.screen != face::kScreenNowPlaying)
            m_screenBeforeNowPlaying = m_face.screen;
        m_face.screen = screen;
        m_face.pressed = -1;
        m_face.hovered = -1;
        m_titleChanged = true;  // the screen decides which title scrolls
    }
    UpdateHeaderButtons();
    m_serverList.set_visible(screen == face::kScreenConnect);
    m_playlistMain.set_visible(screen == face::kScreenMain);
    m_playlistEditor.set_visible(screen == face::kScreenPlaylist);
    m_library.List().set_visible(screen == face::kScreenPlaylist);
    m_library.SearchField().set_visible(screen == face::kScreenPlaylist);
    // The list, not the search field, takes the focus the screen change leaves: a focused
    // field would raise a phone's keyboard every time the library opens.
    if (screen == face::kScreenPlaylist) m_library.FocusList();
    if (screen == face::kScreenNowPlaying) {
        bool noArt = false;
        {
            std::lock_guard<std::mutex> lock(m_drawLock);
            noArt = !m_face.albumArt;
        }
        if (noArt) LoadNoArtwork();
    }
    if (screen == face::kScreenMain) ScrollPlaylistToCurrent();
    ScreenShown(screen);
    Redraw();
}

bool MainFrame::OnDraw(const Cairo::RefPtr<Cairo::Context>& cr) {
    std::lock_guard<std::mutex> lock(m_drawLock);
    if (m_view.IsIdentity()) {
        m_facePainter.Paint(cr->cobj(), m_face);
        return true;
    }
    cr->translate(m_view.left, m_view.top);
    cr->scale(m_view.scale, m_view.scale);
    // The window's ground over the whole area first: the face may not fill it.
    if (const skin::Component* main = m_skin.FindComponent("main")) {
        const double s = m_view.scale;
        const skin::Rect all{static_cast<int32_t>(std::floor(-m_view.left / s)),
                             static_cast<int32_t>(std::floor(-m_view.top / s)),
                             static_cast<int32_t>(std::ceil((m_area.get_width() - m_view.left) / s)),
                             static_cast<int32_t>(std::ceil((m_area.get_height() - m_view.top) / s))};
        // Its bottom-left pixel only: stretching the whole picture would drag its edges
        // and borders across the free space.
        skin::ComponentState ground = main->norm;
        ground.source = {ground.source.left + 1, ground.source.bottom - 2,
                         ground.source.left + 2, ground.source.bottom - 1};
        m_painter.DrawState(cr->cobj(), ground, all);
    }
    cairo_pattern_set_filter(cairo_get_source(cr->cobj()), CAIRO_FILTER_GOOD);
    m_facePainter.Paint(cr->cobj(), m_face);
    return true;
}

void MainFrame::Redraw() {
    m_area.queue_draw();
}

void MainFrame::SetTitleLine(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_drawLock);
    m_face.titleLine = text.empty() ? "Vantor " + m_profile.version : text;
    m_face.titleOffset = 0;
    m_titleScroll.Reset();
    m_titleChanged = true;
}

// Connect view: called by the connect worker and the keeper, on their threads.

bool MainFrame::IsConnectScreenShown() {
    std::lock_guard<std::mutex> lock(m_drawLock);
    return m_face.screen == face::kScreenConnect;
}

std::string MainFrame::StatusText() {
    std::lock_guard<std::mutex> lock(m_drawLock);
    return m_face.screen == face::kScreenConnect ? m_face.connectStatus : m_face.titleLine;
}

void MainFrame::SetStatusText(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        if (m_face.screen == face::kScreenConnect) {
            m_face.connectStatus = text;
        } else {
            m_face.titleLine = text.empty() ? "Vantor " + m_profile.version : text;
            m_face.titleOffset = 0;
            m_titleChanged = true;
        }
    }
    m_post.Post([this] {
        m_titleScroll.Reset();
        Redraw();
    });
}

void MainFrame::SetConnecting(bool connecting) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        m_face.connecting = connecting;
        m_face.connectProgress = 0;
    }
    m_post.Post([this] { Redraw(); });
}

void MainFrame::ShowMessage(const std::string& text, const std::string& title) {
    m_post.Post([this, text, title] {
        auto* dialog =
            new Gtk::MessageDialog(*this, text, false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_OK, false);
        dialog->set_title(title);
        // Deleted once its own signal has returned.
        dialog->signal_response().connect(
            [dialog](int) { Glib::signal_idle().connect_once([dialog] { delete dialog; }); });
        dialog->show();
    });
}

void MainFrame::ShowMainScreenIfAway() {
    m_post.Post([this] {
        const std::string screen = Screen();
        if (screen != face::kScreenMain && screen != face::kScreenConnect)
            ShowScreen(face::kScreenMain);
    });
}

void MainFrame::OnConnected() {
    // The version answer decides what follows (update check, then the player's state).
}

// Client update prompts: the version answer is handled on the main thread.

bool MainFrame::AskYesNo(const std::string& text, const std::string& title) {
    Gtk::MessageDialog dialog(*this, text, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_YES_NO, true);
    dialog.set_title(title);
    // Yes is the default answer, as a system question box has it.
    dialog.set_default_response(Gtk::RESPONSE_YES);
    return dialog.run() == Gtk::RESPONSE_YES;
}

void MainFrame::ShowProgress(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(m_drawLock);
        if (m_face.screen == face::kScreenConnect)
            m_face.connectStatus = text;
        else
            m_face.titleLine = text;
        m_titleChanged = true;
    }
    Redraw();
    // The download blocks this thread: let the text be seen first.
    while (Glib::MainContext::get_default()->iteration(false)) {
    }
}

void MainFrame::ShowError(const std::string& text, const std::string& title) {
    Gtk::MessageDialog dialog(*this, text, false, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_OK, true);
    dialog.set_title(title);
    dialog.run();
}

void MainFrame::LoadNoArtwork() {
    face::SurfaceHandle art = face::LoadPicture(m_skin.Folder() + "no_artwork.png");
    std::lock_guard<std::mutex> lock(m_drawLock);
    m_face.albumArt = std::move(art);
}

}  // namespace vantor::desktop
