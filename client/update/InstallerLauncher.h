#pragma once

#include <string>
#include <vector>

namespace vantor::client {

// The installer's parameters as separate arguments: split at white space, a double-quoted
// part staying one argument.
std::vector<std::string> SplitParameters(const std::string& parameters);

// Makes the downloaded installer executable and starts it as a new process in a session of
// its own (it outlives the client, which quits so that it can be replaced), with the
// offered parameters. Not waited for. False when it can't be started.
bool StartInstaller(const std::string& installerPath, const std::string& parameters);

}  // namespace vantor::client
