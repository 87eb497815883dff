#pragma once

// vantorctl's command line:  vantorctl [--server HOST[:PORT]] [--timeout S] [--json] [--yes]
//                                      COMMAND [ARGUMENTS...]

#include <string>
#include <vector>

namespace vantor::ctl {

// Exit statuses.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,       // bad command line, or a failure on this side
    kExitNoServer = 2,    // no server reached, or it stopped answering
    kExitServerCode = 3,  // the server answered with a result code other than 0
};

struct Options {
    std::string server;  // "" finds one by discovery
    int timeoutSeconds = 3;
    bool json = false;
    bool yes = false;  // answer yes to an offered client update
    bool help = false;
    std::string command;
    std::vector<std::string> arguments;
};

// False with a message in `error` for an unusable command line.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);
std::string HelpText();

}  // namespace vantor::ctl
