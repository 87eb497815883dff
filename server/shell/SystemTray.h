#pragma once

#include <gtkmm.h>

#include <functional>
#include <string>

typedef struct _AppIndicator AppIndicator;

namespace vantor::shell {

// The notification-area icon and its menu: "About Vantor", "Check for Updates", a
// separator, "Settings", "Exit". Shown through the desktop's status-notifier host; where
// there is none, the indicator library falls back to the older tray protocol by itself.
// Main thread.
class CSystemTray {
public:
    struct Commands {
        std::function<void()> about;
        std::function<void()> checkForUpdates;
        std::function<void()> settings;
        std::function<void()> exit;
    };

    // `iconPath` is the icon's file.
    CSystemTray(const std::string& iconPath, Commands commands);
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

private:
    Commands m_commands;
    Gtk::Menu m_menu;
    Gtk::MenuItem m_about{"About Vantor"};
    Gtk::MenuItem m_check{"Check for Updates"};
    Gtk::SeparatorMenuItem m_separator;
    Gtk::MenuItem m_settings{"Settings"};
    Gtk::MenuItem m_exit{"Exit"};
    AppIndicator* m_indicator = nullptr;
};

}  // namespace vantor::shell
