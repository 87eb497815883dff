#pragma once

#include "platform/AutomationServer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// What the simulated players share as programs: their options and their serving loop.
namespace vantor::sim {

using COptions = std::map<std::string, std::string>;

// The options of "<confName>" beside the program's own path ("key=value" lines), then the
// arguments "--key value" for the given keys, which win. False on any other argument.
bool ReadOptions(int argc, char** argv, const std::string& confName,
                 const std::vector<std::string>& keys, COptions& options);

// Answers calls and ticks the player until SIGTERM or SIGINT, until `done` says so, until the
// socket files are removed, or after VANTOR_SIM_IDLE_EXIT seconds without a call.
void Serve(CAutomationServer& server, const std::function<void()>& tick,
           const std::function<bool()>& done);

}  // namespace vantor::sim
