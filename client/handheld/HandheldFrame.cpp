#include "client/handheld/HandheldFrame.h"

#include <glibmm/main.h>
#include <gtkmm/entry.h>
#include <gtkmm/image.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include <cmath>
#include <cstdio>

#include "client/face/FaceState.h"
#include "client/handheld/HardwareKeys.h"

namespace vantor::handheld {

namespace {

std::string Css(const skin::Rgb& c) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", c.red, c.green, c.blue);
    return text;
}

std::string Px(double pixels) {
    return std::to_string(static_cast<int>(std::lround(pixels))) + "px";
}

}  // namespace

HandheldFrame::HandheldFrame(client::ClientProfile profile, client::ClientSettings settings,
                             CRegistry& registry)
    : MainFrame(std::move(profile), std::move(settings), registry), m_watch(m_profile.vga) {
    set_title("VantorCE");
    set_resizable(true);
    BuildHandheldHeader();

    m_message.set_name("vantor-shape-message");
    m_message.set_line_wrap(true);
    m_message.set_justify(Gtk::JUSTIFY_CENTER);
    m_message.set_max_width_chars(28);
    m_messageBox.set_name("vantor-shape-page");
    m_messageBox.add(m_message);
    remove();
    // The face never holds the window at its size: a screen turned on its side must be able
    // to make the window wide and low, whatever the face asked for before.
    m_facePage.set_policy(Gtk::POLICY_EXTERNAL, Gtk::POLICY_EXTERNAL);
    m_facePage.set_shadow_type(Gtk::SHADOW_NONE);
    m_facePage.add(m_rows);
    m_stack.set_homogeneous(false);
    m_stack.add(m_facePage, "face");
    m_stack.add(m_messageBox, "message");
    add(m_stack);

    for (desktop::PlaylistView* list : {&m_playlistMain, &m_playlistEditor, &m_library.View()})
        m_longPresses.push_back(std::make_unique<LongPressMenus>(list->Tree()));
    AttachSearchField(m_library.SearchField());

    signal_size_allocate().connect(
        [this](Gtk::Allocation& allocation) {
            OnAllocated(allocation.get_width(), allocation.get_height());
        },
        true);
    signal_set_focus().connect(sigc::mem_fun(*this, &HandheldFrame::OnFocusChanged));
    // A keyboard that was up when the program started stays up.
    m_panelUpAtStart = m_panel.IsUp();
    signal_map_event().connect(
        [this](GdkEventAny*) {
            if (m_panelUpAtStart) m_panel.Show(true);
            return false;
        },
        true);
}

void HandheldFrame::BuildHandheldHeader() {
    // One bar at the bottom, within reach of a thumb: the menu bar's entries move into the
    // header's menu, whose "Help" entries join the "File" ones.
    m_menuBar.set_no_show_all(true);
    m_menuBar.hide();
    m_rows.reorder_child(m_header, -1);
    m_header.get_style_context()->add_class("vantor-handheld-header");
    m_header.set_homogeneous(true);
    m_header.set_spacing(0);
    m_mainMode.set_label("_Main");
    m_eqMode.set_label("_EQ");
    m_libraryButton.set_label("_Library");
    m_searchButton.set_label("_Search");
    // Labels never widen the bar: its width is the screen's, and its text follows the width.
    for (Gtk::Button* button : std::initializer_list<Gtk::Button*>{
             &m_mainMode, &m_eqMode, &m_libraryButton, &m_searchButton}) {
        if (auto* label = dynamic_cast<Gtk::Label*>(button->get_child()))
            label->set_ellipsize(Pango::ELLIPSIZE_END);
    }
    // Equal shares of the bar, each button filling its share.
    for (Gtk::Widget* child : m_header.get_children()) {
        GtkPackType pack = GTK_PACK_START;
        gtk_box_query_child_packing(m_header.gobj(), child->gobj(), nullptr, nullptr, nullptr,
                                    &pack);
        gtk_box_set_child_packing(m_header.gobj(), child->gobj(), TRUE, TRUE, 0, pack);
    }
    auto* file = m_fileButton.get_popup();
    auto* help = m_helpButton.get_popup();
    if (file && help) {
        for (Gtk::Widget* child : help->get_children()) {
            auto* item = dynamic_cast<Gtk::MenuItem*>(child);
            if (!item) continue;
            item->reference();
            help->remove(*item);
            file->append(*item);
            item->unreference();
        }
    }
    m_helpButton.set_no_show_all(true);
    m_helpButton.hide();
    m_fileButton.set_label("");
    auto* icon = Gtk::manage(new Gtk::Image());
    icon->set_from_icon_name("open-menu-symbolic", Gtk::ICON_SIZE_BUTTON);
    m_fileButton.set_image(*icon);
    m_fileButton.set_always_show_image(true);
    m_fileButton.set_tooltip_text("Menu");
}

void HandheldFrame::StartOnScreen(int width, int height, int scaleFactor) {
    m_scaleFactor = std::max(scaleFactor, 1);
    m_width = width;
    m_height = height;
    React(m_watch.OnSize(width * m_scaleFactor, height * m_scaleFactor));
}

void HandheldFrame::AttachSearchField(Gtk::Entry& field) {
    m_searchFocus = std::make_unique<SearchFieldFocus>(field, m_panel);
}

int32_t HandheldFrame::KeyCodeOf(unsigned keyval) const {
    return HandheldKeyCode(keyval);
}

void HandheldFrame::ScreenShown(const std::string&) {
    // A list screen gives the free height to its list; the others are centred.
    Refit();
}

void HandheldFrame::OnAllocated(int width, int height) {
    if (width == m_width && height == m_height) return;
    m_width = width;
    m_height = height;
    if (m_reactionQueued) return;
    m_reactionQueued = true;
    // Not within the allocation itself: the reaction changes sizes.
    Glib::signal_idle().connect_once(sigc::mem_fun(*this, &HandheldFrame::ReactToSize));
}

void HandheldFrame::ReactToSize() {
    m_reactionQueued = false;
    React(m_watch.OnSize(m_width * m_scaleFactor, m_height * m_scaleFactor));
}

void HandheldFrame::React(const ScreenReaction& reaction) {
    using Kind = ScreenReaction::Kind;
    switch (reaction.kind) {
        case Kind::kNothing:
            return;
        case Kind::kMessage:
            m_message.set_text(reaction.message);
            m_stack.set_visible_child(m_messageBox);
            StyleHandheld();
            return;
        case Kind::kRestore:
            ReapplySkin(reaction.vga);
            m_stack.set_visible_child(m_facePage);
            // The connect screen stays while there is no server to show.
            if (Screen() != face::kScreenConnect) ShowScreen(reaction.screen);
            Refit();
            return;
        case Kind::kRefit:
            if (reaction.vga != m_profile.vga) ReapplySkin(reaction.vga);
            Refit();
            return;
    }
}

void HandheldFrame::ReapplySkin(bool vga) {
    const bool wasVga = m_profile.vga;
    const std::string wasPath = m_settings.skinFilePath;
    m_profile.vga = vga;
    m_settings.skinFilePath = SkinPathForVga(wasPath, m_settings.installFolder, vga);
    if (ApplySkin()) return;
    // Keep the skin that was shown rather than none.
    m_profile.vga = wasVga;
    m_settings.skinFilePath = wasPath;
    ApplySkin();
}

void HandheldFrame::Refit() {
    if (m_watch.ShowingMessage() || m_width <= 0 || m_height <= 0) return;
    if (m_styledWidth != m_width) StyleHandheld();
    const int header = HeaderHeightFor(m_width);
    m_header.set_size_request(-1, header);
    SetFaceView(FitFace(FaceWidth(), FaceHeight(), m_width, m_height - header, ShowsBottomList()));
}

void HandheldFrame::StyleHandheld() {
    // The face's controls keep the size of the last portrait screen while a message shows:
    // styled for a screen on its side they would hold the window wider than the screen once
    // it is turned back.
    if (!m_watch.ShowingMessage() || m_styledWidth <= 0) m_styledWidth = m_width;
    const int width = m_styledWidth;
    const skin::WindowComponent* list = m_skin.FindWindowComponent("playlist.main");
    const skin::Rgb back = list && list->backColour ? *list->backColour : skin::Rgb{32, 35, 42};
    const skin::Rgb fore = list && list->foreColour ? *list->foreColour : skin::Rgb{230, 230, 230};
    const skin::Rgb accent =
        list && list->selectColour ? *list->selectColour : skin::Rgb{76, 157, 255};
    // Sizes follow the screen's width: 240 pixels are the design size.
    const double unit = std::max(width, 120) / 240.0;
    const int header = HeaderHeightFor(width);
    // The message fits the short side, whichever way the screen is turned.
    const double messageUnit = std::max(std::min(m_width, m_height), 120) / 240.0;
    std::string css;
    css += ".vantor-handheld-header { padding: 0; border-bottom: none; border-top: 1px solid "
           "alpha(" + Css(fore) + ", 0.12); }\n";
    css += ".vantor-handheld-header button { min-height: " + Px(header - 2) +
           "; padding: 0 2px; margin: 0; font-size: " + Px(10 * unit) +
           "; font-weight: bold; border-radius: 0; }\n";
    css += ".vantor-handheld-header button:checked { box-shadow: inset 0 " + Px(3 * unit) + " " +
           Css(accent) + "; }\n";
    css += ".vantor-handheld-header image { -gtk-icon-transform: scale(" +
           std::to_string(std::max(1.0, unit)) + "); }\n";
    css += "menu, .menu { background: " + Css(back) + "; color: " + Css(fore) + "; }\n";
    css += "menu menuitem { min-height: " + Px(34 * unit) + "; padding: 0 " + Px(14 * unit) +
           "; font-size: " + Px(13 * unit) + "; }\n";
    // Rows of a thumb's height.
    css += "treeview { -GtkTreeView-vertical-separator: " +
           std::to_string(static_cast<int>(std::lround(14 * unit))) + "; }\n";
    css += "#vantor-shape-page { background: " + Css(back) + "; }\n";
    css += "#vantor-shape-message { color: " + Css(fore) + "; font-size: " +
           Px(15 * messageUnit) + "; padding: " + Px(20 * messageUnit) + "; }\n";
    css += "entry { min-height: " + Px(30 * unit) + "; }\n";

    auto screen = Gdk::Screen::get_default();
    if (m_css) Gtk::StyleContext::remove_provider_for_screen(screen, m_css);
    m_css = Gtk::CssProvider::create();
    try {
        m_css->load_from_data(css);
    } catch (const Glib::Error&) {
        return;
    }
    // Above the window's own styles, which it sets again with every skin.
    Gtk::StyleContext::add_provider_for_screen(screen, m_css,
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
}

void HandheldFrame::OnFocusChanged(Gtk::Widget* focus) {
    const bool text = dynamic_cast<Gtk::Entry*>(focus) != nullptr;
    if (text != m_textFocused) m_panel.Show(text);
    m_textFocused = text;
}

}  // namespace vantor::handheld
