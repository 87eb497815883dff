// The window's parts: menu bar, header bar, the native controls the skin places and their
// colours.

#include <gtkmm/cssprovider.h>
#include <gtkmm/entry.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/stylecontext.h>

#include <cmath>
#include <cstdio>

#include "client/desktop/MainFrame.h"

namespace vantor::desktop {

namespace {

// A list whose bottom lies this close to the face's bottom edge counts as reaching it.
constexpr int32_t kBottomListSlack = 16;

std::string Css(const skin::Rgb& c) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", c.red, c.green, c.blue);
    return text;
}

// A CSS name for a skin name ("playlist.main" -> "playlist-main").
std::string WidgetName(std::string name) {
    for (char& c : name)
        if (c == '.') c = '-';
    return name;
}

Gtk::MenuItem* Item(Gtk::Menu& menu, const std::string& label, std::function<void()> action,
                    bool sensitive = true) {
    auto* item = Gtk::manage(new Gtk::MenuItem(label, true));
    item->signal_activate().connect(std::move(action));
    item->set_sensitive(sensitive);
    menu.append(*item);
    return item;
}

}  // namespace

void MainFrame::BuildMenus() {
    auto fileMenu = [this](Gtk::Menu& menu) {
        Item(menu, "_Save Playlist...", [this] { SavePlaylist(); });
        Item(menu, "_Jump to Song...", [this] { JumpToSong(); });
        Item(menu, "_Now Playing...", [this] { ShowScreen(face::kScreenNowPlaying); });
        Item(menu, "_Disconnect", [this] { Disconnect(); });
        Item(menu, "Se_ttings...", [this] { m_dialogs->Settings(); });
        menu.append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
        Item(menu, "E_xit", [this] { Exit(); });
        menu.show_all();
    };
    auto helpMenu = [this](Gtk::Menu& menu) {
        Item(menu, "_About Vantor...", [this] { m_dialogs->About(m_profile.version); });
        menu.show_all();
    };

    auto* file = Gtk::manage(new Gtk::MenuItem("_File", true));
    auto* fileItems = Gtk::manage(new Gtk::Menu());
    fileMenu(*fileItems);
    file->set_submenu(*fileItems);
    auto* playlists = Gtk::manage(new Gtk::MenuItem("_Playlists", true));
    auto* playlistItems = Gtk::manage(new Gtk::Menu());
    Item(
        *playlistItems, "(No Playlists)", [] {}, false);
    playlistItems->show_all();
    playlists->set_submenu(*playlistItems);
    auto* help = Gtk::manage(new Gtk::MenuItem("_Help", true));
    auto* helpItems = Gtk::manage(new Gtk::Menu());
    helpMenu(*helpItems);
    help->set_submenu(*helpItems);
    m_menuBar.append(*file);
    m_menuBar.append(*playlists);
    m_menuBar.append(*help);

    // The header bar's "File" and "Help" drop-downs hold the same entries.
    auto* headerFile = Gtk::manage(new Gtk::Menu());
    fileMenu(*headerFile);
    m_fileButton.set_popup(*headerFile);
    m_fileButton.set_label("File");
    auto* headerHelp = Gtk::manage(new Gtk::Menu());
    helpMenu(*headerHelp);
    m_helpButton.set_popup(*headerHelp);
    m_helpButton.set_label("Help");
}

void MainFrame::BuildHeader() {
    m_header.get_style_context()->add_class("vantor-header");
    m_header.set_spacing(2);
    m_libraryButton.set_label("Media _Library");
    m_libraryButton.set_use_underline(true);
    for (Gtk::Button* button : std::initializer_list<Gtk::Button*>{
             &m_mainMode, &m_eqMode, &m_libraryButton, &m_searchButton}) {
        button->set_focus_on_click(false);
        button->set_relief(Gtk::RELIEF_NONE);
        m_header.pack_start(*button, Gtk::PACK_SHRINK);
    }
    for (Gtk::MenuButton* button : {&m_helpButton, &m_fileButton}) {
        button->set_focus_on_click(false);
        button->set_relief(Gtk::RELIEF_NONE);
        m_header.pack_end(*button, Gtk::PACK_SHRINK);
    }
    auto select = [this](Gtk::ToggleButton& button, const char* screen) {
        button.signal_toggled().connect([this, &button, screen] {
            if (m_updatingHeader) return;
            if (Screen() == face::kScreenConnect) {
                UpdateHeaderButtons();  // nothing to show before a server answers
                return;
            }
            if (button.get_active()) ShowScreen(screen);
            UpdateHeaderButtons();
        });
    };
    select(m_mainMode, face::kScreenMain);
    select(m_eqMode, face::kScreenEq);
    m_libraryButton.signal_toggled().connect([this] {
        if (!m_updatingHeader) OnLibraryButton();
    });
    m_searchButton.signal_clicked().connect([this] { OnSearchButton(); });
}

void MainFrame::OnLibraryButton() {
    const std::string screen = Screen();
    if (screen == face::kScreenPlaylist) {
        // On the library already: the button is the breadcrumb.
        m_library.ShowBreadcrumb(m_libraryButton);
    } else if (screen != face::kScreenConnect) {
        ShowScreen(face::kScreenPlaylist);
        m_library.Browser().ShowCurrent();
    }
    UpdateHeaderButtons();
}

void MainFrame::OnSearchButton() {
    const std::string screen = Screen();
    if (screen == face::kScreenConnect) return;
    if (screen != face::kScreenPlaylist) {
        ShowScreen(face::kScreenPlaylist);
        m_library.Browser().ShowCurrent();
    }
    m_library.FocusSearch();
}

void MainFrame::UpdateHeaderButtons() {
    const std::string screen = Screen();
    m_updatingHeader = true;
    m_mainMode.set_active(screen == face::kScreenMain);
    m_eqMode.set_active(screen == face::kScreenEq);
    m_libraryButton.set_active(screen == face::kScreenPlaylist);
    m_eqMode.set_visible(m_hasEq);
    m_updatingHeader = false;
}

void MainFrame::PlaceNativeControls() {
    const std::pair<const char*, Gtk::Widget*> controls[] = {
        {"serverlist", &m_serverList},
        {"playlist.main", &m_playlistMain},
        {"playlist.editor", &m_playlistEditor},
        {"medialib.tagview", &m_library.List()},
        {"medialib.search", &m_library.SearchField()},
    };
    for (const auto& [name, widget] : controls) {
        widget->set_name(WidgetName(name));
        const skin::WindowComponent* place = m_skin.FindWindowComponent(name);
        widget->set_no_show_all(place == nullptr);
        if (!place) {
            widget->hide();
            continue;
        }
        skin::Rect rect = m_view.ToArea(place->rect);
        // A list that reaches the face's bottom takes the height the face leaves free.
        if (place->rect.bottom >= m_faceHeight - kBottomListSlack) rect.bottom += m_view.extraHeight;
        widget->set_size_request(rect.Width(), rect.Height());
        if (widget->get_parent() == &m_fixed) {
            m_fixed.move(*widget, rect.left, rect.top);
        } else {
            m_fixed.put(*widget, rect.left, rect.top);
        }
    }
}

void MainFrame::StyleNativeControls() {
    std::string css;
    const skin::FontDescription* font = m_skin.FindFont("playlist");
    std::string fontCss;
    if (font) {
        int pixels = font->PixelHeightFor(m_skin.PixelsPerInch());
        if (pixels <= 0) pixels = 13;
        pixels = static_cast<int>(std::lround(pixels * m_view.scale));
        fontCss =
            "font-family: \"" + font->face + "\"; font-size: " + std::to_string(pixels) + "px;";
    }
    skin::Rgb back{255, 255, 255};
    skin::Rgb fore{0, 0, 0};
    skin::Rgb select{51, 102, 204};
    for (const skin::WindowComponent& w : m_skin.WindowComponents()) {
        const std::string id = "#" + WidgetName(w.name);
        const skin::Rgb b = w.backColour.value_or(back);
        const skin::Rgb f = w.foreColour.value_or(fore);
        const skin::Rgb s = w.selectColour.value_or(select);
        css += id + ", " + id + " treeview, " + id + " entry, " + id +
               " button { background: " + Css(b) + "; color: " + Css(f) +
               "; border-color: " + Css(b) + "; " + fontCss + " }\n";
        css += id + " treeview:selected { background: " + Css(s) + "; color: #ffffff; }\n";
        css += id + " entry { border-radius: 8px 0 0 8px; padding: 0 10px; }\n";
        css += id + " button { border-radius: 0 8px 8px 0; box-shadow: none; }\n";
        if (w.name == "playlist.main") {
            back = b;
            fore = f;
            select = s;
        }
    }
    css += "#medialib-search { border-radius: 13px; padding: 0 10px; min-height: 0; "
           "border: 1px solid alpha(" + Css(fore) + ", 0.15); box-shadow: none; }\n";
    css += "#medialib-search.placeholder { color: alpha(" + Css(fore) + ", 0.5); }\n";
    // The dialogs' controls and lists take the play list's colours.
    css += "#dialog-edit, #dialog-list, #dialog-list header button { background: " + Css(back) +
           "; color: " + Css(fore) + "; border-color: alpha(" + Css(fore) + ", 0.2); }\n";
    css += "#dialog-list:selected { background: " + Css(select) + "; color: #ffffff; }\n";
    // The menu bar and the header bar take the colours of the play list.
    css += "menubar, .vantor-header { background: " + Css(back) + "; color: " + Css(fore) + "; }\n";
    css += "menubar > menuitem { color: " + Css(fore) + "; padding: 3px 8px; font-size: 12px; }\n";
    css += ".vantor-header { padding: 1px 3px; border-bottom: 1px solid alpha(" + Css(fore) +
           ", 0.12); }\n";
    css += ".vantor-header button { color: alpha(" + Css(fore) +
           ", 0.75); padding: 1px 5px; min-height: 22px; font-size: 11px; border: none; "
           "box-shadow: none; background: none; outline-style: none; }\n";
    css += ".vantor-header button:hover { color: " + Css(fore) + "; background: alpha(" +
           Css(fore) + ", 0.08); }\n";
    css += ".vantor-header button:checked { color: " + Css(select) + "; box-shadow: inset 0 -2px " +
           Css(select) + "; }\n";
    css += "scrollbar slider { background: alpha(" + Css(fore) + ", 0.3); min-width: 6px; }\n";
    css += "scrollbar { background: transparent; border: none; }\n";

    static Glib::RefPtr<Gtk::CssProvider> provider;
    auto screen = Gdk::Screen::get_default();
    if (provider) Gtk::StyleContext::remove_provider_for_screen(screen, provider);
    provider = Gtk::CssProvider::create();
    try {
        provider->load_from_data(css);
    } catch (const Glib::Error&) {
        return;  // the native controls keep the toolkit's look
    }
    Gtk::StyleContext::add_provider_for_screen(screen, provider,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

bool MainFrame::ShowsBottomList() const {
    const std::pair<const char*, const Gtk::Widget*> lists[] = {
        {"playlist.main", &m_playlistMain},
        {"playlist.editor", &m_playlistEditor},
        {"medialib.tagview", &m_library.List()},
    };
    for (const auto& [name, widget] : lists) {
        const skin::WindowComponent* place = m_skin.FindWindowComponent(name);
        if (place && widget->get_visible() && place->rect.bottom >= m_faceHeight - kBottomListSlack)
            return true;
    }
    return false;
}

void MainFrame::SizeArea() {
    const int width = m_view.areaWidth > 0
                          ? m_view.areaWidth
                          : static_cast<int>(std::lround(m_faceWidth * m_view.scale));
    const int height = m_view.areaHeight > 0
                           ? m_view.areaHeight
                           : static_cast<int>(std::lround(m_faceHeight * m_view.scale));
    m_area.set_size_request(width, height);
}

void MainFrame::LayoutFace() {
    SizeArea();
    PlaceNativeControls();
    StyleNativeControls();
}

void MainFrame::SetFaceView(const face::FaceView& view) {
    if (view == m_view) return;
    const bool restyle = view.scale != m_view.scale;
    m_view = view;
    SizeArea();
    PlaceNativeControls();
    if (restyle) StyleNativeControls();
    Redraw();
}

void MainFrame::FillServerList() {
    m_serverList.remove_all();
    for (const std::string& server : m_settings.ServerChoices()) m_serverList.append(server);
    m_serverList.set_active(m_settings.servers.empty() ? 0 : 1);
}

std::string MainFrame::ServerFieldText() {
    return m_serverList.get_entry_text();
}

std::string MainFrame::ServerFromField() {
    const std::string server = ServerFieldText();
    return server == client::kFindAutomatically ? std::string() : server;
}

void MainFrame::ConnectFromServerField() {
    m_keeper->Start(ServerFromField());
}

}  // namespace vantor::desktop
