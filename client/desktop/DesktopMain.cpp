// VantorPC, the desktop remote.

#include <gtkmm/application.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "client/desktop/FrameRun.h"
#include "client/desktop/MainFrame.h"
#include "client/settings/ClientProfile.h"
#include "client/settings/ClientSettings.h"
#include "client/skin/SkinCatalog.h"
#include "platform/Registry.h"

namespace {

constexpr char kUsage[] =
    "Usage: VantorPC [--help] [--version]\n"
    "\n"
    "The desktop remote for a Vantor server (QRM): connects to the server on the local\n"
    "network, shows what plays and controls the player.\n"
    "\n"
    "Settings are kept in the registry key \"SOFTWARE\\Quillmere\\Vantor Desktop Client\"\n"
    "below $XDG_CONFIG_HOME/Quillmere/registry/ (VANTOR_REGISTRY_DIR overrides the folder):\n"
    "  Server1..Server4    servers used last, most recent first (\"host\" or \"host:port\")\n"
    "  AutoConnect         connect at start-up (1) or wait for \"Connect\" (0)\n"
    "  SkinFilePath        the skin file; InstallDir the folder holding skins/\n"
    "\n"
    "Options:\n"
    "  --help      show this text\n"
    "  --version   show the client's version\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("VantorPC %s\n", vantor::client::kClientVersionText);
            return 0;
        }
        std::fprintf(stderr, "VantorPC: unknown option %s\n\n%s", argv[i], kUsage);
        return 2;
    }
    int gtkArgc = 1;
    auto app = Gtk::Application::create(gtkArgc, argv, "", Gio::APPLICATION_NON_UNIQUE);

    vantor::client::ClientProfile profile = vantor::client::ClientProfile::Desktop();
    profile.defaultInstallFolder = vantor::skin::ChooseInstallFolder(
        profile.defaultInstallFolder, VANTOR_INSTALLED_DATA_FOLDER, profile.vga);
    vantor::CRegistry registry;
    vantor::client::ClientSettings settings;
    settings.Load(registry, profile);

    vantor::desktop::MainFrame frame(profile, settings, registry);
    if (!vantor::desktop::ApplySkinOrTell(frame)) return 1;
    return vantor::desktop::RunFrame(app, frame);
}
