// VantorCE, the handheld remote: the desktop remote with the handheld profile, for phones
// and small screens.

#include <gdkmm/monitor.h>
#include <gtkmm/application.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "client/desktop/FrameRun.h"
#include "client/handheld/HandheldFrame.h"
#include "client/handheld/HardwareKeys.h"
#include "client/handheld/ScreenRules.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"
#include "client/skin/SkinCatalog.h"
#include "platform/Registry.h"

namespace {

constexpr char kUsage[] =
    "Usage: VantorCE [--help] [--version] [--screen WIDTHxHEIGHT]\n"
    "\n"
    "The handheld remote for a Vantor server (QRM), for phones and small screens: fills the\n"
    "screen, works by touch and takes the phone's volume and media keys.\n"
    "\n"
    "Settings are kept in the registry key \"SOFTWARE\\Quillmere\\Vantor\" below\n"
    "$XDG_CONFIG_HOME/Quillmere/registry/ (VANTOR_REGISTRY_DIR overrides the folder):\n"
    "  Server1..Server4    servers used last, most recent first (\"host\" or \"host:port\")\n"
    "  AutoConnect         connect at start-up (1) or wait for \"Connect\" (0)\n"
    "  SkinFilePath        the skin file; InstallDir the folder holding skins/ and skins_vga/\n"
    "  FunctionKey1..13    key codes bound to the actions (volume up is 0xC1, see README)\n"
    "\n"
    "Options:\n"
    "  --screen WxH   a window of that size standing for a device's screen, instead of\n"
    "                 filling the screen (--screen 360x720)\n"
    "  --help         show this text\n"
    "  --version      show the client's version\n";

struct ScreenSize {
    int width = 0;
    int height = 0;
};

bool ParseScreen(const char* text, ScreenSize& size) {
    char tail = 0;
    return std::sscanf(text, "%dx%d%c", &size.width, &size.height, &tail) == 2 && size.width > 0 &&
           size.height > 0 && size.width <= 16384 && size.height <= 16384;
}

}  // namespace

int main(int argc, char** argv) {
    ScreenSize given;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("VantorCE %s\n", vantor::client::kClientVersionText);
            return 0;
        }
        if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            if (!ParseScreen(argv[++i], given)) {
                std::fprintf(stderr, "VantorCE: --screen takes WIDTHxHEIGHT, as 360x720\n");
                return 2;
            }
            continue;
        }
        std::fprintf(stderr, "VantorCE: unknown option %s\n\n%s", argv[i], kUsage);
        return 2;
    }
    // The name the phone shell knows the program by (its desktop entry and icon).
    g_set_prgname("vantor-remote");
    int gtkArgc = 1;
    auto app = Gtk::Application::create(gtkArgc, argv, "", Gio::APPLICATION_NON_UNIQUE);

    // The screen: the one given, else the display's (in logical pixels, with its scale).
    ScreenSize screen = given;
    int scaleFactor = 1;
    if (screen.width <= 0) {
        auto display = Gdk::Display::get_default();
        auto monitor = display ? display->get_primary_monitor() : Glib::RefPtr<Gdk::Monitor>();
        if (!monitor && display && display->get_n_monitors() > 0) monitor = display->get_monitor(0);
        if (monitor) {
            Gdk::Rectangle area;
            monitor->get_geometry(area);
            screen = {area.get_width(), area.get_height()};
            scaleFactor = monitor->get_scale_factor();
        } else {
            screen = {240, 320};
        }
    }

    const vantor::client::ClientProfile profile = vantor::handheld::HandheldProfileFor(
        screen.width * scaleFactor, VANTOR_INSTALLED_DATA_FOLDER);
    vantor::CRegistry registry;
    vantor::handheld::RegisterButtonNames(registry);
    vantor::client::ClientSettings settings;
    settings.Load(registry, profile);

    vantor::handheld::HandheldFrame frame(profile, settings, registry);
    if (!vantor::desktop::ApplySkinOrTell(frame)) return 1;
    frame.StartOnScreen(screen.width, screen.height, scaleFactor);
    frame.set_default_size(screen.width, screen.height);
    if (given.width <= 0) frame.fullscreen();
    return vantor::desktop::RunFrame(app, frame);
}
