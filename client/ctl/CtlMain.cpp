// vantorctl, the command-line remote: one command per run against a Vantor server.

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <map>

#include "client/ctl/CtlCommands.h"
#include "client/ctl/CtlOptions.h"
#include "client/ctl/CtlSession.h"

namespace vantor::ctl {

namespace {

using Handler = std::function<int(CtlSession&, const Arguments&)>;

int ServersCommand(CtlSession& session, const Arguments&) {
    client::ServerLink& link = session.Link();
    link.Discover();
    std::vector<std::string> servers;
    std::string plain;
    for (size_t i = 0; i < link.DiscoveredCount(); ++i) {
        servers.push_back(link.DiscoveredServer(i));
        plain += servers.back() + "\n";
    }
    if (servers.empty()) {
        Output::Error("no server found");
        return kExitNoServer;
    }
    session.Out().Answer(plain, JsonObject().TextList("servers", servers));
    return kExitOk;
}

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> commands = {
        {"status", StatusCommand},
        {"play", [](CtlSession& s, const Arguments&) { return TransportCommand(s, "play"); }},
        {"pause", [](CtlSession& s, const Arguments&) { return TransportCommand(s, "pause"); }},
        {"stop", [](CtlSession& s, const Arguments&) { return TransportCommand(s, "stop"); }},
        {"next", [](CtlSession& s, const Arguments&) { return TransportCommand(s, "next"); }},
        {"prev", [](CtlSession& s, const Arguments&) { return TransportCommand(s, "prev"); }},
        {"toggle", ToggleCommand},
        {"seek", SeekCommand},
        {"volume", VolumeCommand},
        {"shuffle",
         [](CtlSession& s, const Arguments& a) { return SwitchCommand(s, "shuffle", a); }},
        {"repeat", [](CtlSession& s, const Arguments& a) { return SwitchCommand(s, "repeat", a); }},
        {"rate", RateCommand},
        {"eq", EqCommand},
        {"art", ArtCommand},
        {"queue", QueueCommand},
        {"jump", JumpCommand},
        {"add", [](CtlSession& s, const Arguments& a) { return AddCommand(s, "add", a); }},
        {"playnow", [](CtlSession& s, const Arguments& a) { return AddCommand(s, "playnow", a); }},
        {"remove", RemoveCommand},
        {"move", MoveCommand},
        {"clear", ClearCommand},
        {"save", SaveCommand},
        {"browse", BrowseCommand},
        {"search", SearchCommand},
        {"watch", WatchCommand},
    };
    return commands;
}

}  // namespace

int RunVantorctl(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        Output::Error(error);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return kExitOk;
    }
    const bool servers = options.command == "servers";
    const auto command = Commands().find(options.command);
    if (!servers && command == Commands().end()) {
        Output::Error("unknown command " + options.command + " (see --help)");
        return kExitUsage;
    }
    if (options.command == "watch") {
        // Taken by sigwait in the command; blocked before any thread starts.
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGINT);
        sigaddset(&stop, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    }
    const Output output(options.json);
    CtlSession session(options, output);
    if (servers) return ServersCommand(session, options.arguments);
    bool updated = false;
    const int status = session.Connect(updated);
    if (status != kExitOk || updated) return status;
    const int result = command->second(session, options.arguments);
    session.Link().Disconnect();
    return result;
}

}  // namespace vantor::ctl

int main(int argc, char** argv) {
    return vantor::ctl::RunVantorctl(argc, argv);
}
