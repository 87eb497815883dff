#pragma once

// vantorctl's commands. Each runs on a connected session and returns the exit status.

#include <string>
#include <vector>

#include "client/ctl/CtlSession.h"

namespace vantor::ctl {

using Arguments = std::vector<std::string>;

// Player: status, transport, seek, volume, shuffle, repeat, rate, eq, art.
int StatusCommand(CtlSession& session, const Arguments& args);
// play, pause, stop, next, prev: `command` names which.
int TransportCommand(CtlSession& session, const std::string& command);
int ToggleCommand(CtlSession& session, const Arguments& args);
int SeekCommand(CtlSession& session, const Arguments& args);
int VolumeCommand(CtlSession& session, const Arguments& args);
// shuffle and repeat.
int SwitchCommand(CtlSession& session, const std::string& command, const Arguments& args);
int RateCommand(CtlSession& session, const Arguments& args);
int EqCommand(CtlSession& session, const Arguments& args);
int ArtCommand(CtlSession& session, const Arguments& args);

// Playlist and library: queue, jump, add, playnow, remove, move, clear, save, browse,
// search.
int QueueCommand(CtlSession& session, const Arguments& args);
int JumpCommand(CtlSession& session, const Arguments& args);
// add and playnow.
int AddCommand(CtlSession& session, const std::string& command, const Arguments& args);
int RemoveCommand(CtlSession& session, const Arguments& args);
int MoveCommand(CtlSession& session, const Arguments& args);
int ClearCommand(CtlSession& session, const Arguments& args);
int SaveCommand(CtlSession& session, const Arguments& args);
int BrowseCommand(CtlSession& session, const Arguments& args);
int SearchCommand(CtlSession& session, const Arguments& args);

// Events until SIGINT or SIGTERM.
int WatchCommand(CtlSession& session, const Arguments& args);

// A whole number from an argument, within limits; false with a message printed.
bool NumberArgument(const std::string& text, long low, long high, long& value,
                    const std::string& what);
// One line describing the ok result of a command without an answer of its own.
void ReportDone(const CtlSession& session, const std::string& command);

}  // namespace vantor::ctl
