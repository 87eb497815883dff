#include "client/desktop/SettingsSheet.h"

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/scrolledwindow.h>

#include "client/desktop/KeyCodes.h"
#include "client/settings/ClientActions.h"
#include "client/settings/KeyNames.h"

namespace vantor::desktop {

namespace {

constexpr char kWaiting[] = "Waiting...";

Gtk::Label* Explanation(const char* text) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_line_wrap(true);
    label->set_xalign(0);
    label->set_max_width_chars(48);
    return label;
}

Gtk::Box* Page() {
    auto* page = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 10));
    page->set_border_width(12);
    return page;
}

}  // namespace

SettingsSheet::SettingsSheet(Gtk::Window& owner, client::ClientSettings& settings,
                             const std::string& skinsFolder,
                             std::function<bool(const std::string&)> applySkin)
    : Gtk::Dialog("Vantor Settings", owner, true),
      m_settings(settings),
      m_applySkin(std::move(applySkin)) {
    set_name("vantor-settings");
    set_default_size(440, 380);
    set_resizable(false);
    BuildGeneral();
    BuildSkins(skinsFolder);
    BuildButtons();
    get_content_area()->pack_start(m_pages, Gtk::PACK_EXPAND_WIDGET);
    add_button("_Close", Gtk::RESPONSE_CLOSE)->set_name("settings-close");
    signal_key_press_event().connect(sigc::mem_fun(*this, &SettingsSheet::OnKey), false);
    show_all_children();
}

void SettingsSheet::BuildGeneral() {
    auto* page = Page();
    m_autoConnect.set_active(m_settings.autoConnect);
    m_nowPlaying.set_active(m_settings.nowPlayingOnIdle);
    m_autoConnect.signal_toggled().connect(
        [this] { m_settings.autoConnect = m_autoConnect.get_active(); });
    m_nowPlaying.signal_toggled().connect(
        [this] { m_settings.nowPlayingOnIdle = m_nowPlaying.get_active(); });
    page->pack_start(m_autoConnect, Gtk::PACK_SHRINK);
    page->pack_start(m_nowPlaying, Gtk::PACK_SHRINK);
    m_pages.append_page(*page, "General");
}

void SettingsSheet::BuildSkins(const std::string& skinsFolder) {
    auto* page = Page();
    page->pack_start(
        *Explanation("Click within the list below to select the skin you'd like Vantor to use."),
        Gtk::PACK_SHRINK);
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 12));
    m_skins = Gtk::ListStore::create(m_skinColumns);
    m_skinList.set_model(m_skins);
    m_skinList.set_name("settings-skins");
    m_skinList.append_column("Skin", m_skinColumns.name);
    m_skinList.set_headers_visible(false);
    auto* scroll = Gtk::manage(new Gtk::ScrolledWindow());
    scroll->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll->set_shadow_type(Gtk::SHADOW_IN);
    scroll->set_size_request(150, -1);
    scroll->add(m_skinList);
    row->pack_start(*scroll, Gtk::PACK_SHRINK);
    m_preview.set_valign(Gtk::ALIGN_START);
    row->pack_start(m_preview, Gtk::PACK_EXPAND_WIDGET);
    page->pack_start(*row, Gtk::PACK_EXPAND_WIDGET);

    m_fillingSkins = true;
    for (const skin::InstalledSkin& installed : skin::ListInstalledSkins(skinsFolder)) {
        Gtk::TreeModel::Row entry = *m_skins->append();
        entry[m_skinColumns.name] = installed.displayName;
        entry[m_skinColumns.path] = installed.filePath;
        entry[m_skinColumns.preview] = installed.previewPath;
        if (installed.filePath == m_settings.skinFilePath)
            m_skinList.get_selection()->select(entry);
    }
    m_fillingSkins = false;
    m_skinList.get_selection()->signal_changed().connect(
        sigc::mem_fun(*this, &SettingsSheet::OnSkinSelected));
    // The preview of the skin in use.
    if (auto selected = m_skinList.get_selection()->get_selected()) {
        const std::string preview = (*selected)[m_skinColumns.preview];
        if (!preview.empty()) m_preview.set(preview);
    }
    m_pages.append_page(*page, "Skins");
}

void SettingsSheet::OnSkinSelected() {
    if (m_fillingSkins) return;
    auto selected = m_skinList.get_selection()->get_selected();
    if (!selected) return;
    const std::string path = (*selected)[m_skinColumns.path];
    const std::string preview = (*selected)[m_skinColumns.preview];
    if (preview.empty()) {
        m_preview.clear();
    } else {
        m_preview.set(preview);
    }
    if (path != m_settings.skinFilePath && m_applySkin(path)) m_settings.skinFilePath = path;
}

void SettingsSheet::BuildButtons() {
    auto* page = Page();
    page->pack_start(*Explanation("Double-click on a function below, then press the button you'd "
                                  "like to associate with it. Right-click to release the "
                                  "button."),
                     Gtk::PACK_SHRINK);
    m_buttons = Gtk::ListStore::create(m_buttonColumns);
    m_buttonList.set_model(m_buttons);
    m_buttonList.set_name("settings-buttons");
    m_buttonList.append_column("Name", m_buttonColumns.name);
    m_buttonList.append_column("Button", m_buttonColumns.key);
    m_buttonList.get_column(0)->set_expand(true);
    m_buttonList.get_column(1)->set_min_width(110);  // room for "Waiting..."
    m_buttonList.set_enable_search(false);
    for (int32_t action = 0; action < client::kActionCount; ++action) {
        Gtk::TreeModel::Row row = *m_buttons->append();
        row[m_buttonColumns.action] = action;
        row[m_buttonColumns.name] = std::string(client::ActionName(action));
    }
    ShowBindings();
    m_buttonList.signal_row_activated().connect(
        [this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn*) {
            if (path.empty()) return;
            ShowBindings();
            m_waitingAction = path[0];
            (*m_buttons->get_iter(path))[m_buttonColumns.key] = kWaiting;
        });
    m_buttonList.signal_button_press_event().connect(
        sigc::mem_fun(*this, &SettingsSheet::OnButtonsPress), false);
    auto* release = Gtk::manage(new Gtk::MenuItem("Release Button"));
    release->signal_activate().connect([this] {
        if (m_menuAction < 0) return;
        m_settings.bindings.Release(m_menuAction);
        ShowBindings();
    });
    m_releaseMenu.append(*release);
    m_releaseMenu.show_all();
    m_releaseMenu.attach_to_widget(m_buttonList);

    auto* scroll = Gtk::manage(new Gtk::ScrolledWindow());
    scroll->set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll->set_shadow_type(Gtk::SHADOW_IN);
    scroll->add(m_buttonList);
    page->pack_start(*scroll, Gtk::PACK_EXPAND_WIDGET);
    m_pages.append_page(*page, "Buttons");
}

void SettingsSheet::ShowBindings() {
    for (const Gtk::TreeModel::Row& row : m_buttons->children()) {
        const int32_t code = m_settings.bindings.Binding(row[m_buttonColumns.action]).keyCode;
        row[m_buttonColumns.key] = code < 0 ? std::string() : client::KeyName(code);
    }
}

bool SettingsSheet::OnButtonsPress(GdkEventButton* event) {
    if (event->button != 3 || event->type != GDK_BUTTON_PRESS) return false;
    Gtk::TreeModel::Path path;
    Gtk::TreeViewColumn* column = nullptr;
    int cx = 0;
    int cy = 0;
    if (!m_buttonList.get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path,
                                      column, cx, cy) ||
        path.empty())
        return true;
    m_buttonList.get_selection()->select(path);
    m_menuAction = path[0];
    m_releaseMenu.popup_at_pointer(reinterpret_cast<GdkEvent*>(event));
    return true;
}

bool SettingsSheet::OnKey(GdkEventKey* event) {
    if (m_waitingAction < 0) return false;
    const int action = m_waitingAction;
    m_waitingAction = -1;
    const int32_t code = VirtualKeyFromKeyval(event->keyval);
    const client::BindAttempt attempt = m_settings.bindings.TryBind(action, code);
    if (attempt.outcome == client::BindAttempt::kInvalidKey) {
        Gtk::MessageDialog box(*this, attempt.message, false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_OK,
                               true);
        box.set_title(attempt.title);
        box.run();
    } else if (attempt.outcome == client::BindAttempt::kAlreadyBound) {
        Gtk::MessageDialog box(*this, attempt.message, false, Gtk::MESSAGE_QUESTION,
                               Gtk::BUTTONS_YES_NO, true);
        box.set_title(attempt.title);
        box.set_default_response(Gtk::RESPONSE_YES);
        if (box.run() == Gtk::RESPONSE_YES) m_settings.bindings.ReplaceBinding(action, code);
    }
    ShowBindings();
    return true;
}

}  // namespace vantor::desktop
