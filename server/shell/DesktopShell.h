#pragma once

#include <functional>
#include <memory>

namespace vantor {
class CServer;
struct CServerContext;
class CSoftwareUpdate;
}  // namespace vantor

namespace vantor::shell {

// Opens the display for the windows; false when there is none to open (the caller then
// runs without windows). Once, on the main thread, before a CDesktopShell is made.
bool InitDesktop(int& argc, char**& argv);

// The server's desktop side: the tray icon and its menu, the "Vantor Server" window, the
// "Debug Log" window and the update windows. No window opens at start (but the log, when
// Shift is held); the tray's "Settings" or a second instance shows the server window. This header
// keeps the toolkit's own headers out of the program's.
//
// Everything runs on the main thread except RequestShow.
class CDesktopShell {
public:
    // Makes the log window first, so that it shows every line from now on, then the server
    // window and the tray icon. The server, context and update outlive the shell.
    CDesktopShell(CServer& server, CServerContext& context, CSoftwareUpdate& update);
    ~CDesktopShell();
    CDesktopShell(const CDesktopShell&) = delete;
    CDesktopShell& operator=(const CDesktopShell&) = delete;

    // Any thread: show the server window (another instance asked for it).
    void RequestShow();

    // Runs the windows until "Exit", SIGINT or SIGTERM (0). `signalFd` reports those
    // signals and SIGHUP, on which `reload` runs. The server is started and stopped by the
    // caller around this.
    int Run(int signalFd, std::function<void()> reload);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}  // namespace vantor::shell
