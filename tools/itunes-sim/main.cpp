// A stand-in for the iTunes desktop player: publishes its application object
// ("iTunes.Application") and a control object ("iTunes.SimControl") over the automation
// layer, so that the adapter drives a separate program exactly as it drives the real one.
//
//   itunes-sim [--windows-dir DIR] [--music-dir DIR] [--library-xml FILE]
//
// The same options may stand, one "key=value" per line without the dashes, in
// "itunes-sim.conf" beside the program's own path (the server starts it without arguments).
// With --library-xml the library file path is reported to callers, and the library is
// written there when the file does not exist yet. It quits on SIGTERM or SIGINT, when asked
// to through either object, when its socket files are removed, and after
// VANTOR_SIM_IDLE_EXIT seconds without a call.

#include "platform/AutomationServer.h"
#include "tools/itunes-sim/ITunesModel.h"
#include "tools/itunes-sim/ITunesObjects.h"
#include "tools/itunes-sim/LibraryXmlWriter.h"
#include "tools/sim-common/SimProgram.h"

#include <unistd.h>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::itunessim;

    sim::COptions options;
    if (!sim::ReadOptions(argc, argv, "itunes-sim.conf",
                          {"windows-dir", "music-dir", "library-xml"}, options)) {
        std::fprintf(stderr,
                     "usage: itunes-sim [--windows-dir DIR] [--music-dir DIR] "
                     "[--library-xml FILE]\n");
        return 2;
    }
    const std::string music = options.contains("music-dir") ? options["music-dir"] : "/music";
    CModel model(music);
    model.libraryXmlPath = options["library-xml"];
    if (!model.libraryXmlPath.empty() && ::access(model.libraryXmlPath.c_str(), F_OK) != 0) {
        WriteLibraryXml(model, model.libraryXmlPath);
    }
    CAutomationServer server(options["windows-dir"]);
    CObjects objects(model, server);
    model.onEvent = [&objects](uint32_t event) { objects.FireEvent(event); };
    // The control object first, so that the application appears only once both are there.
    if (!server.Publish("iTunes.SimControl", objects.Control()) ||
        !server.Publish("iTunes.Application", objects.Application())) {
        std::fprintf(stderr, "itunes-sim: cannot publish\n");
        return 1;
    }
    sim::Serve(
        server, [&model] { model.Tick(); }, [&objects] { return objects.QuitRequested(); });
    return 0;
}
