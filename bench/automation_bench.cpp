// The automation layer's cost per call: a property read through a proxy against a program
// serving on another thread, beside the bare exchange of one frame each way over a local
// socket (the floor any such call pays), and the wire format alone.

#include "platform/AutomationClient.h"
#include "platform/AutomationDispatch.h"
#include "platform/AutomationWire.h"
#include "platform/WindowWire.h"

#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <filesystem>
#include <thread>

namespace vantor {
namespace {

void BM_PropertyRead(benchmark::State& state) {
    const std::string directory = std::filesystem::temp_directory_path() /
                                  ("vantor-automation-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    CDispatchObject object;
    object.Getter("Volume", [] { return CVariant(int32_t{40}); });
    CAutomationServer server(directory);
    server.Publish("Bench.Application", object);
    std::atomic<bool> stop{false};
    std::thread serving([&] {
        while (!stop) server.Serve(20);
    });
    CAutomationObject app;
    CreateAutomationObject("Bench.Application", "", app, directory);
    for (auto _ : state) {
        int32_t volume = 0;
        app.Get("Volume", volume);
        benchmark::DoNotOptimize(volume);
    }
    state.SetItemsProcessed(state.iterations());
    stop = true;
    serving.join();
    std::filesystem::remove_all(directory);
}
BENCHMARK(BM_PropertyRead)->UseRealTime();

// The reference: the same request and answer sizes exchanged raw over a socket pair.
void BM_BareFrameExchange(benchmark::State& state) {
    int fds[2];
    ::socketpair(AF_UNIX, SOCK_STREAM, 0, fds);
    std::thread echo([fd = fds[1]] {
        std::string payload;
        while (windowwire::ReadFrame(fd, payload) && windowwire::WriteFrame(fd, payload)) {
        }
    });
    const std::string request(32, 'x');
    std::string answer;
    for (auto _ : state) {
        windowwire::WriteFrame(fds[0], request);
        windowwire::ReadFrame(fds[0], answer);
    }
    state.SetItemsProcessed(state.iterations());
    ::shutdown(fds[0], SHUT_RDWR);
    echo.join();
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(BM_BareFrameExchange)->UseRealTime();

void BM_WireDecode(benchmark::State& state) {
    automationwire::CWireMessage call;
    call.kind = automationwire::kInvoke;
    call.object = {7, 9};
    call.name = "setItemInfo";
    call.values = {CVariant(std::string("UserRating")), CVariant(std::string("60"))};
    const std::string bytes = automationwire::Encode(call);
    automationwire::CWireMessage message;
    for (auto _ : state) {
        benchmark::DoNotOptimize(automationwire::Decode(bytes, message));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WireDecode);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
