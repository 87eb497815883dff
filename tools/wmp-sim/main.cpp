// A stand-in for Windows Media Player: publishes its player control ("WMPlayer.OCX") over
// the automation layer, with a media collection read from a file or a demo one.
//
//   wmp-sim [--windows-dir DIR] [--collection FILE] [--music-dir DIR] [--generate N]
//
// The same options may stand, one "key=value" per line without the dashes, in
// "wmp-sim.conf" beside the program's own path (the server starts it without arguments).
// --generate writes a generated collection of N entries to the collection file first.
// A collection file holds entries of "Attribute=Value" lines separated by empty lines. It
// quits on SIGTERM or SIGINT, when its socket file is removed, and after
// VANTOR_SIM_IDLE_EXIT seconds without a call.

#include "platform/AutomationServer.h"
#include "tools/sim-common/SimProgram.h"
#include "tools/wmp-sim/GeneratedCollection.h"
#include "tools/wmp-sim/WMPModel.h"
#include "tools/wmp-sim/WMPObjects.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::wmpsim;

    sim::COptions options;
    if (!sim::ReadOptions(argc, argv, "wmp-sim.conf",
                          {"windows-dir", "collection", "music-dir", "generate"}, options)) {
        std::fprintf(stderr,
                     "usage: wmp-sim [--windows-dir DIR] [--collection FILE] "
                     "[--music-dir DIR] [--generate N]\n");
        return 2;
    }
    const std::string music = options.contains("music-dir") ? options["music-dir"] : "/music";
    if (options.contains("generate") && !options["collection"].empty()) {
        WriteCollectionFile(GenerateCollection(std::atoi(options["generate"].c_str()), music),
                            options["collection"]);
    }
    CModel model;
    model.Load(options["collection"], music);
    CAutomationServer server(options["windows-dir"]);
    CObjects objects(model, server);
    model.onEvent = [&objects](uint32_t event, int32_t value, const std::string& text) {
        objects.FireEvent(event, value, text);
    };
    if (!server.Publish("WMPlayer.OCX", objects.Player())) {
        std::fprintf(stderr, "wmp-sim: cannot publish\n");
        return 1;
    }
    sim::Serve(
        server, [&model] { model.Tick(); }, [] { return false; });
    return 0;
}
