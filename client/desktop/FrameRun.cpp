#include "client/desktop/FrameRun.h"

#include <glib-unix.h>
#include <gtkmm/messagedialog.h>

#include <csignal>

#include "client/skin/SkinCatalog.h"

namespace vantor::desktop {

bool ApplySkinOrTell(MainFrame& frame) {
    if (frame.ApplySkin()) return true;
    Gtk::MessageDialog box(skin::kSkinErrorText, false, Gtk::MESSAGE_WARNING, Gtk::BUTTONS_OK,
                           true);
    box.set_title(skin::kSkinErrorTitle);
    box.run();
    return false;
}

int RunFrame(const Glib::RefPtr<Gtk::Application>& app, MainFrame& frame) {
    frame.show_all();
    frame.ShowScreen(frame.Screen());
    frame.Start();
    // Ended by the session or a terminal: leave as through "Exit", settings saved.
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        g_unix_signal_add(
            signal,
            [](gpointer window) -> gboolean {
                static_cast<MainFrame*>(window)->Exit();
                return G_SOURCE_CONTINUE;
            },
            &frame);
    }
    return app->run(frame);
}

}  // namespace vantor::desktop
