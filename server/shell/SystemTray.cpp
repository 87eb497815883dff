#include "server/shell/SystemTray.h"

#include <libayatana-appindicator/app-indicator.h>

namespace vantor::shell {

CSystemTray::CSystemTray(const std::string& iconPath, Commands commands)
    : m_commands(std::move(commands)) {
    m_about.signal_activate().connect([this] { m_commands.about(); });
    m_check.signal_activate().connect([this] { m_commands.checkForUpdates(); });
    m_settings.signal_activate().connect([this] { m_commands.settings(); });
    m_exit.signal_activate().connect([this] { m_commands.exit(); });
    m_menu.append(m_about);
    m_menu.append(m_check);
    m_menu.append(m_separator);
    m_menu.append(m_settings);
    m_menu.append(m_exit);
    m_menu.show_all();

    // The icon goes by its file's path: hosts load such an icon themselves. (A theme path
    // instead makes the library's fallback read past the end of the toolkit's search path.)
    m_indicator = app_indicator_new("vantor-server", iconPath.c_str(),
                                    APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    app_indicator_set_title(m_indicator, "Vantor Server");
    app_indicator_set_menu(m_indicator, m_menu.gobj());
    // A middle click on the icon opens the server window, like "Settings".
    app_indicator_set_secondary_activate_target(m_indicator, GTK_WIDGET(m_settings.gobj()));
    app_indicator_set_status(m_indicator, APP_INDICATOR_STATUS_ACTIVE);
}

CSystemTray::~CSystemTray() {
    app_indicator_set_status(m_indicator, APP_INDICATOR_STATUS_PASSIVE);
    g_object_unref(m_indicator);
}

}  // namespace vantor::shell
