// QRM: the Vantor server program. On a desktop it lives in the notification area with its
// windows; without a display, or with --headless, it runs without any window and logs to
// standard error as well. It runs until "Exit", SIGINT or SIGTERM; SIGHUP re-reads
// "QRM.config" and restarts the server when the player type changed. Signals are taken
// from a signalfd on the main thread, so no work happens inside a signal handler.

#include <malloc.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/DataFolder.h"
#include "platform/InstanceLock.h"
#include "server/ConfigReload.h"
#include "server/ServiceFactories.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/Server.h"
#include "server/core/ServerContext.h"
#include "server/core/WorkerThread.h"
#ifdef VANTOR_HAVE_UPDATE
#include "server/shell/update/SoftwareUpdate.h"
#endif
#ifdef VANTOR_HAVE_DESKTOP
#include "server/shell/DesktopShell.h"
#endif

namespace {

using namespace vantor;

struct Options {
    bool help = false;
    bool headless = false;
    std::string dataDir;
};

const char* const kUsage = "Usage: QRM [--headless] [--data-dir DIR] [--help]\n";

#ifdef VANTOR_HAVE_DESKTOP
constexpr bool kDesktopBuilt = true;

bool DisplayPresent() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}
#else
constexpr bool kDesktopBuilt = false;
#endif

void PrintHelp() {
    std::printf(
        "%s\n"
        "The Vantor server: drives one media player, indexes its library and serves the\n"
        "remote clients on the local network.\n"
        "\n"
        "Options:\n"
        "  --headless      Run without a window, logging to standard error as well as to\n"
        "                  the log file %s.\n"
        "                  Without a window, QRM ends with status 1 when the XML or the\n"
        "                  HTTP channel cannot listen (a port in use, say), saying why on\n"
        "                  standard error. With a window it lives in the notification\n"
        "                  area, and the \"Debug Log\" window shows such errors.\n"
        "  --data-dir DIR  Keep the server's files in DIR instead of the data folder.\n"
        "  --help          Show this text and exit.\n"
        "\n"
        "Data folder: $VANTOR_DATA_DIR, else $XDG_DATA_HOME/Quillmere/Vantor/ (by default\n"
        "~/.local/share/Quillmere/Vantor/). It holds the configuration \"QRM.config\"\n"
        "(key=value lines), the logs \"qrm.log\" and \"qrm_old.log\" and the library\n"
        "database. This run would use: %s\n"
        "\n"
        "Player (key PlayerType in QRM.config): MPD, MPRIS (a desktop player on D-Bus),\n"
        "Winamp, iTunes or WMP; without it QRM looks for a player itself (an MPD answering\n"
        "at MPD\\Host, then an MPRIS player on the session bus).\n"
        "  MPD\\Host                  MPD's socket path or host name (default 127.0.0.1)\n"
        "  MPD\\Port                  MPD's TCP port (default 6600)\n"
        "  MPD\\Password              MPD's password (default none)\n"
        "  MPD\\MusicDirectory        MPD's music folder, when MPD is reached over TCP\n"
        "  Paths\\Winamp              Winamp's folder\n"
        "  Paths\\iTunesXML           iTunes' library file\n"
        "  ServerName                the name clients show (default: the host name)\n"
        "  Paths\\HTTPRoot            the web pages' folder (default: ./web)\n"
        "scripts/start-with-mpd.sh sets up a private MPD and these keys for you.\n"
        "\n"
        "Ports (keys in QRM.config):\n"
        "  Ports\\XMLChannel          TCP, the remote clients' XML channel (default 3567)\n"
        "  Ports\\XMLChannelDiscover  UDP, answers the clients' discovery (default 3568)\n"
        "  Ports\\HTTPChannel         TCP, web access for phones and browsers (default 3569)\n"
        "\n"
        "Signals: SIGINT and SIGTERM stop the server; SIGHUP re-reads QRM.config and\n"
        "restarts the server when the player type changed. A second QRM on the same data\n"
        "folder asks the running one to show its window and exits.\n",
        kUsage,
        kDesktopBuilt ? "(also when no display is present)"
                      : "(always, in this build without windows)",
        GetDataFolder().c_str());
}

// False (after printing why) when the command line is not understood.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--data-dir" && i + 1 < argc) {
            options.dataDir = argv[++i];
        } else if (arg.rfind("--data-dir=", 0) == 0) {
            options.dataDir = arg.substr(std::strlen("--data-dir="));
        } else {
            std::fprintf(stderr, "QRM: unknown option '%s'\n%s", arg.c_str(), kUsage);
            return false;
        }
    }
    return true;
}

// Blocks the signals QRM handles (threads started later inherit the mask) and returns a
// descriptor that reports them, or -1.
int OpenSignalFd() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return -1;
    return signalfd(-1, &set, SFD_CLOEXEC);
}

// Starts the server; false (after saying why on standard error) when it could not.
bool StartServer(CServer& server) {
    if (server.Start() == 0) return true;
    std::fprintf(stderr, "QRM: not started: %s\n", server.StartFailure().c_str());
    return false;
}

// SIGHUP: take the file's settings and restart when the effective player changed. False
// when the restarted server could not start.
bool Reload(CServer& server, CServerContext& context) {
    int before = context.config.GetPlayerType();
    if (!ReloadConfig(context.config)) {
        context.logger.LogCritical("ERROR: Unable to read the configuration file again.");
        return true;
    }
    int after = context.config.GetPlayerType();
    context.logger.LogNormal("Configuration reloaded");
    if (after == before) return true;
    server.Stop();
    return StartServer(server);
}

// Blocks until SIGINT or SIGTERM (0), or until a restart fails (1); SIGHUP reloads on the
// way.
int RunUntilStopped(int signalFd, CServer& server, CServerContext& context) {
    while (true) {
        signalfd_siginfo info{};
        if (read(signalFd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
        if (info.ssi_signo != SIGHUP) return 0;
        if (!Reload(server, context)) return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Large buffers (a whole library listing is most of a megabyte) are mapped and given
    // back when freed. Left to itself the allocator raises this threshold after the first
    // such buffer and keeps later ones in each thread's heap for good, so memory would grow
    // with the number of threads that ever built one.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    if (!options.dataDir.empty()) SetDataFolderOverride(options.dataDir);
    if (options.help) {
        PrintHelp();
        return 0;
    }
    // Socket writes to a vanished client must fail, not end the process.
    signal(SIGPIPE, SIG_IGN);
    int signalFd = OpenSignalFd();
    if (signalFd < 0) {
        std::perror("QRM: signalfd");
        return 1;
    }

    const std::string dataFolder = GetDataFolder();
    CInstanceLock instance;
    switch (instance.Acquire(dataFolder)) {
        case CInstanceLock::Result::kAcquired:
            break;
        case CInstanceLock::Result::kOtherRunning: {
            bool asked = CInstanceLock::AskToShow(dataFolder);
            std::fprintf(stderr, "QRM: a server is already running on %s%s\n", dataFolder.c_str(),
                         asked ? "; asked it to show its window." : ".");
            close(signalFd);
            return 0;
        }
        case CInstanceLock::Result::kError:
            std::fprintf(stderr, "QRM: cannot use the data folder %s\n", dataFolder.c_str());
            close(signalFd);
            return 1;
    }

    bool desktop = false;
#ifdef VANTOR_HAVE_DESKTOP
    if (!options.headless && DisplayPresent()) {
        desktop = shell::InitDesktop(argc, argv);
        if (!desktop)
            std::fprintf(stderr, "QRM: cannot open the display; running without a window\n");
    }
#endif

    CLogger logger;
    CConfigStore config(dataFolder);
    CLogFile logFile;
    logFile.SetPath(dataFolder + "qrm.log");  // moves the previous run's log aside
    logger.AddSink(&logFile);
    CStderrLogSink stderrSink;
    if (!desktop) logger.AddSink(&stderrSink);
    logger.SetLevel(kLogNormal);

    CEventBus bus(logger);
    CServerContext context{logger, config, bus};
#ifdef VANTOR_HAVE_UPDATE
    CSoftwareUpdate update(context);
#endif
    CWorkerThread showListener(logger);
    int status = 0;
    {
        CServer server(context);
        RegisterServiceFactories(server, context);
#ifdef VANTOR_HAVE_UPDATE
        server.SetUpdateCheck(&update);
#endif
        if (desktop) {
#ifdef VANTOR_HAVE_DESKTOP
            shell::CDesktopShell shell(server, context, update);
            // Later instances ask this one to show its window.
            showListener.Start("Instance Listener", [&instance, &shell] {
                while (instance.WaitForShowRequest()) shell.RequestShow();
            });
            // With a window the server runs on when a channel cannot listen: the log
            // window shows why.
            server.Start();
            logger.LogNormal("Data folder: %s", dataFolder.c_str());
            status = shell.Run(signalFd, [&server, &context] { Reload(server, context); });
            server.Stop();
            instance.Release();
            showListener.Stop();
#endif
        } else {
            showListener.Start("Instance Listener", [&instance, &logger] {
                while (instance.WaitForShowRequest())
                    logger.LogNormal(
                        "Another instance asked to show the server window (running headless).");
            });
            // Without a window nobody would see that a channel could not listen: rather
            // than run on with nothing listening, say so and end.
            server.SetChannelsRequired(true);
            if (!StartServer(server)) {
                status = 1;
            } else {
                logger.LogNormal("Data folder: %s", dataFolder.c_str());
                status = RunUntilStopped(signalFd, server, context);
                server.Stop();
            }
        }
    }
    instance.Release();
    showListener.Stop();
    logger.RemoveSink(&stderrSink);
    logger.RemoveSink(&logFile);
    close(signalFd);
    return status;
}
