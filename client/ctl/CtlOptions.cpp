#include "client/ctl/CtlOptions.h"

#include <cstdlib>

namespace vantor::ctl {

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) break;
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--server") {
            if (!value(options.server)) return false;
        } else if (arg == "--timeout") {
            std::string text;
            if (!value(text)) return false;
            char* end = nullptr;
            const long seconds = std::strtol(text.c_str(), &end, 10);
            if (end == text.c_str() || *end != '\0' || seconds < 1 || seconds > 3600) {
                error = "--timeout takes whole seconds from 1 to 3600";
                return false;
            }
            options.timeoutSeconds = static_cast<int>(seconds);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.help) return true;
    if (i >= argc) {
        error = "no command given (see --help)";
        return false;
    }
    options.command = argv[i++];
    for (; i < argc; ++i) options.arguments.emplace_back(argv[i]);
    return true;
}

std::string HelpText() {
    return R"(Usage: vantorctl [OPTIONS] COMMAND [ARGUMENTS]

Remote control for a Vantor server (QRM) from the command line.

Options:
  --server HOST[:PORT]  the server to use; without it the server is found by discovery
  --timeout S           seconds to wait for the server and for each answer (default 3)
  --json                one JSON object per answer or event line
  --yes                 install a newer client the server offers (otherwise: no)
  --help                this text

Commands:
  servers               the addresses discovery finds
  status                playing state, title, position/length, volume, shuffle, repeat
  play | pause | toggle | stop | next | prev
  seek SECONDS          jump to a position in the current track
  volume [[+|-]N]       show, set, or change the volume (0 to 100)
  shuffle [on|off|toggle]
  repeat [on|off|toggle]
  queue                 the current playlist; ">" marks the current row
  jump N                play row N of the playlist (rows count from 1)
  add LIBPATH           add a library path ('\Music\Artists\...') or a file to the playlist
  playnow LIBPATH       play a library path or a file now
  remove N              remove row N from the playlist
  move FROM TO          move row FROM to row TO
  clear                 empty the playlist
  save NAME             keep the playlist among the player's playlists as NAME
  browse [LIBPATH]      list a library folder (the top when none is given)
  search WORDS          search the library
  rate 0..5             rate the current track in stars
  eq                    show the equaliser and its presets
  eq preset NAME        load an equaliser preset
  art FILE              save the current track's album art to FILE
  watch                 print one line per event until interrupted

Settings (DiscoveryAddress, DiscoveryPort, ConnectionPort) are those of the desktop client.

Exit status: 0 success, 1 usage error, 2 no server reached, 3 the server answered with an
error (its description goes to standard error).
)";
}

}  // namespace vantor::ctl
