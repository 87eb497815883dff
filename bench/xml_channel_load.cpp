// Load on the XML channel: 100 concurrent clients each send 1000 GetErrorDetailsRequests as
// fast as the answers come back (every request must be answered exactly once), then one
// broadcast is fanned out to the 100 clients repeatedly. Prints requests per second and
// the round-trip and fan-out times. The server core runs in this process on free ports.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/RequestRouter.h"
#include "server/core/ServerContext.h"
#include "server/core/XmlChannelServer.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace vantor;

constexpr int kClients = 100;
constexpr int kRequestsPerClient = 1000;
constexpr int kBroadcasts = 200;

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace

int main() {
    std::string dir = (std::filesystem::temp_directory_path() / "vantor-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return 1;
    dir += "/";
    const int port = test::FindFreePort();
    {
        std::ofstream config(dir + "QRM.config", std::ios::binary);
        config << "Ports\\XMLChannel=" << port
               << "\r\nPorts\\XMLChannelDiscover=" << test::FindFreePort() << "\r\n";
    }
    CLogger logger;  // no sinks: logging costs only the level check
    CConfigStore config(dir);
    CEventBus bus(logger);
    CServerContext context{logger, config, bus};
    CRequestRouter router(context);
    router.Open();

    // Part 1: request/response round trips.
    std::vector<std::vector<double>> rtts(kClients);
    std::atomic<int> answered{0};
    std::atomic<int> wrong{0};
    std::barrier start(kClients + 1);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            test::CXmlTestClient client;
            bool ok = client.Connect(port);
            start.arrive_and_wait();
            if (!ok) return;
            rtts[c].reserve(kRequestsPerClient);
            for (int i = 0; i < kRequestsPerClient; ++i) {
                auto sent = Clock::now();
                client.SendDocument("<GetErrorDetailsRequest>\n<requestId>" + std::to_string(i) +
                                    "</requestId>\n<returnCode>100</returnCode>\n"
                                    "</GetErrorDetailsRequest>");
                std::string doc = client.ReadDocument(10000).value_or("");
                auto got = Clock::now();
                if (GetElementInt(doc, "requestId") != i) {
                    ++wrong;
                    return;
                }
                ++answered;
                rtts[c].push_back(std::chrono::duration<double, std::micro>(got - sent).count());
            }
            // Nothing else may arrive: every request is answered exactly once.
            std::string doc =
                client.SendDocument("<GetErrorDetailsRequest></GetErrorDetailsRequest>")
                    ? client.ReadDocument(10000).value_or("")
                    : "";
            if (GetElementInt(doc, "requestId") != -1) ++wrong;
        });
    }
    start.arrive_and_wait();
    auto begun = Clock::now();
    for (auto& thread : threads) thread.join();
    double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
    std::vector<double> all;
    for (auto& list : rtts) all.insert(all.end(), list.begin(), list.end());
    std::printf("requests: %d clients x %d, answered %d (expected %d), wrong or extra %d\n",
                kClients, kRequestsPerClient, answered.load(), kClients * kRequestsPerClient,
                wrong.load());
    std::printf("throughput: %.0f requests/s over %.2f s\n", answered.load() / seconds, seconds);
    std::printf("round trip: p50 %.0f us, p99 %.0f us\n", Percentile(all, 0.50),
                Percentile(all, 0.99));

    // Part 2: one broadcast to every client, repeated; time until the last client has it.
    threads.clear();
    std::vector<Clock::time_point> arrivals(kClients);
    std::barrier connected(kClients + 1);
    std::barrier round(kClients + 1);
    std::atomic<int> missing{0};
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            test::CXmlTestClient client;
            if (!client.Connect(port)) ++missing;
            // Answered once the router knows this connection.
            client.SendDocument("<GetErrorDetailsRequest></GetErrorDetailsRequest>");
            client.ReadDocument(10000);
            connected.arrive_and_wait();
            for (int b = 0; b < kBroadcasts; ++b) {
                std::string doc = client.ReadDocument(10000).value_or("");
                arrivals[c] = Clock::now();
                if (GetRootElementName(doc) != "PlaylistChangedEvent") ++missing;
                round.arrive_and_wait();
            }
        });
    }
    connected.arrive_and_wait();
    std::vector<double> fanout;
    for (int b = 0; b < kBroadcasts; ++b) {
        auto fired = Clock::now();
        CEventHolder holder(std::make_unique<CMessage>(msg::PlaylistChangedEvent));
        bus.Fire(event::PlayerBroadcast, holder, nullptr);
        round.arrive_and_wait();
        auto last = *std::max_element(arrivals.begin(), arrivals.end());
        fanout.push_back(std::chrono::duration<double, std::micro>(last - fired).count());
    }
    for (auto& thread : threads) thread.join();
    std::printf(
        "broadcast to %d clients (%d times), missing %d: last client after p50 %.0f us, "
        "p99 %.0f us\n",
        kClients, kBroadcasts, missing.load(), Percentile(fanout, 0.50), Percentile(fanout, 0.99));

    router.Close();
    std::filesystem::remove_all(dir);
    return wrong.load() == 0 && missing.load() == 0 &&
                   answered.load() == kClients * kRequestsPerClient
               ? 0
               : 1;
}
