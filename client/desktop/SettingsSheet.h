#pragma once

// The settings sheet "Vantor Settings": General (connect automatically, the now-playing
// screen when idle), Skins (the installed skins with the chosen one's preview; a choice is
// applied at once) and Buttons (double-click an action, then press a key; right-click to
// release it). It edits the settings it is given; the owner saves them once it has closed.
// Main thread only.

#include <gtkmm/checkbutton.h>
#include <gtkmm/dialog.h>
#include <gtkmm/image.h>
#include <gtkmm/liststore.h>
#include <gtkmm/menu.h>
#include <gtkmm/notebook.h>
#include <gtkmm/treeview.h>

#include <functional>
#include <string>
#include <vector>

#include "client/settings/ClientSettings.h"
#include "client/skin/SkinCatalog.h"

namespace vantor::desktop {

class SettingsSheet : public Gtk::Dialog {
public:
    // `skinsFolder`: the folder listing the installed skins; `applySkin` loads a chosen skin
    // file and says whether it loaded.
    SettingsSheet(Gtk::Window& owner, client::ClientSettings& settings,
                  const std::string& skinsFolder,
                  std::function<bool(const std::string&)> applySkin);

private:
    void BuildGeneral();
    void BuildSkins(const std::string& skinsFolder);
    void BuildButtons();
    void ShowBindings();
    void OnSkinSelected();
    bool OnKey(GdkEventKey* event);
    bool OnButtonsPress(GdkEventButton* event);

    struct SkinColumns : Gtk::TreeModelColumnRecord {
        SkinColumns() {
            add(name);
            add(path);
            add(preview);
        }
        Gtk::TreeModelColumn<Glib::ustring> name;
        Gtk::TreeModelColumn<std::string> path;
        Gtk::TreeModelColumn<std::string> preview;
    };
    struct ButtonColumns : Gtk::TreeModelColumnRecord {
        ButtonColumns() {
            add(action);
            add(name);
            add(key);
        }
        Gtk::TreeModelColumn<int> action;
        Gtk::TreeModelColumn<Glib::ustring> name;
        Gtk::TreeModelColumn<Glib::ustring> key;
    };

    client::ClientSettings& m_settings;
    std::function<bool(const std::string&)> m_applySkin;
    Gtk::Notebook m_pages;
    Gtk::CheckButton m_autoConnect{"Connect to the server automatically"};
    Gtk::CheckButton m_nowPlaying{"Show the Now Playing screen when idle"};
    SkinColumns m_skinColumns;
    Glib::RefPtr<Gtk::ListStore> m_skins;
    Gtk::TreeView m_skinList;
    Gtk::Image m_preview;
    bool m_fillingSkins = false;
    ButtonColumns m_buttonColumns;
    Glib::RefPtr<Gtk::ListStore> m_buttons;
    Gtk::TreeView m_buttonList;
    Gtk::Menu m_releaseMenu;
    int m_waitingAction = -1;  // the action whose key is awaited
    int m_menuAction = -1;
};

}  // namespace vantor::desktop
