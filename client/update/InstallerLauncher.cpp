#include "client/update/InstallerLauncher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace vantor::client {

std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool started = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (started) arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current.push_back(c);
            started = true;
        }
    }
    if (started) arguments.push_back(current);
    return arguments;
}

bool StartInstaller(const std::string& installerPath, const std::string& parameters) {
    if (::chmod(installerPath.c_str(), 0755) != 0) return false;
    std::vector<std::string> arguments{installerPath};
    for (auto& argument : SplitParameters(parameters)) arguments.push_back(std::move(argument));
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, installerPath.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return error == 0;
}

}  // namespace vantor::client
