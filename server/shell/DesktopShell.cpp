#include "server/shell/DesktopShell.h"

#include <gtkmm.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <climits>

#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/Server.h"
#include "server/core/ServerContext.h"
#include "server/shell/AboutDialog.h"
#include "server/shell/LogWindow.h"
#include "server/shell/MainLoopQueue.h"
#include "server/shell/ServerWindow.h"
#include "server/shell/SystemTray.h"
#include "server/shell/UpdateWindows.h"
#include "server/shell/update/SoftwareUpdate.h"

namespace vantor::shell {

namespace {

constexpr char kIconFile[] = "vantor-server.svg";

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    return Glib::path_get_dirname(std::string(path, static_cast<size_t>(length)));
}

// The installed icon beside the program's prefix, else the one in the source tree (a
// program run from its build folder).
std::string FindIcon() {
    const std::string installed =
        ProgramFolder() + "/../share/icons/hicolor/scalable/apps/" + kIconFile;
    if (Glib::file_test(installed, Glib::FILE_TEST_EXISTS)) return installed;
    return std::string(VANTOR_SHELL_ICON_DIR) + "/" + kIconFile;
}

}  // namespace

bool InitDesktop(int& argc, char**& argv) {
    if (!gtk_init_check(&argc, &argv)) return false;
    Gtk::Main::init_gtkmm_internals();
    return true;
}

struct CDesktopShell::Parts {
    Parts(CServer& server, CServerContext& context, CSoftwareUpdate& update)
        : server(server),
          context(context),
          update(update),
          iconPath(FindIcon()),
          logWindow(context.logger, queue),
          serverWindow(
              context.config, [this](int type) { ChoosePlayer(type); },
              [this] { logWindow.Present(); }),
          updateWindows(update, queue),
          tray(iconPath, {[this] { ShowAbout(); }, [this] { this->update.Start(true); },
                          [this] { serverWindow.Present(); }, [] { gtk_main_quit(); }}) {
        try {
            icon = Gdk::Pixbuf::create_from_file(iconPath, 128, 128);
            Gtk::Window::set_default_icon(icon);
        } catch (const Glib::Error& error) {
            context.logger.LogNormal("Unable to load the icon %s: %s", iconPath.c_str(),
                                     error.what().c_str());
        }
        update.SetNotify(&updateWindows);
        context.bus.Subscribe(event::WebAccessChanged, this,
                              [this](CEventHolder&) { queue.Post([this] { ShowWebAccess(); }); });
    }

    ~Parts() {
        context.bus.Unsubscribe(this);
        update.Stop();
        update.SetNotify(nullptr);
    }

    void ChoosePlayer(int type) {
        // Choosing what detection would find anyway stores nothing: the server follows the
        // machine's player.
        const int stored = type == context.config.DetectPlayerType() ? kPlayerNone : type;
        server.ChangePlayerType(stored);
        serverWindow.ShowPlayerType(context.config.GetPlayerType());
        ShowWebAccess();
    }

    void ShowWebAccess() {
        serverWindow.ShowWebAccessUrl(context.config.GetString("WebAccessURL", ""));
    }

    void ShowAbout() {
        if (aboutShown) return;  // the modal box is up already
        aboutShown = true;
        ShowAboutDialog(CServer::kVersion, icon);
        aboutShown = false;
    }

    CServer& server;
    CServerContext& context;
    CSoftwareUpdate& update;
    const std::string iconPath;
    Glib::RefPtr<Gdk::Pixbuf> icon;
    bool aboutShown = false;
    CMainLoopQueue queue;
    CLogDlg logWindow;
    CServerWindow serverWindow;
    CUpdateWindows updateWindows;
    CSystemTray tray;
};

CDesktopShell::CDesktopShell(CServer& server, CServerContext& context, CSoftwareUpdate& update)
    : m_parts(std::make_unique<Parts>(server, context, update)) {}

CDesktopShell::~CDesktopShell() = default;

void CDesktopShell::RequestShow() {
    Parts* parts = m_parts.get();
    parts->queue.Post([parts] { parts->serverWindow.Present(); });
}

int CDesktopShell::Run(int signalFd, std::function<void()> reload) {
    Parts& parts = *m_parts;
    parts.ShowWebAccess();
    // Shift held while the program starts opens the log at once.
    if (gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(gdk_display_get_default())) &
        GDK_SHIFT_MASK)
        parts.logWindow.Present();
    auto watch = Glib::signal_io().connect(
        [&parts, signalFd, &reload](Glib::IOCondition) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
                return true;
            if (info.ssi_signo == SIGHUP) {
                reload();
                parts.serverWindow.ShowPlayerType(parts.context.config.GetPlayerType());
                parts.ShowWebAccess();
            } else {
                gtk_main_quit();
            }
            return true;
        },
        signalFd, Glib::IO_IN);
    gtk_main();
    watch.disconnect();
    return 0;
}

}  // namespace vantor::shell
