// Load on the XML channel: 100 concurrent clients each send 1000 GetErrorDetailsRequests as
// fast as the answers come back (every request must be answered exactly once), then one
// broadcast is fanned out to the 100 clients repeatedly. Prints requests per second and
// the round-trip and fan-out times. The server core runs in this process on free ports.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
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

namespace {

using Clock = std::chrono::steady_clock;
using namespace vantor;

constexpr int kClients = 100;
constexpr int kRequestsPerClient = 1000;
constexpr int kBroadcasts = 200;

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

// A blocking client that reads zero-terminated documents.
class Client {
public:
    bool Connect(int port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client() {
        if (m_fd >= 0) close(m_fd);
    }
    bool Send(const std::string& doc) {
        std::string bytes = doc + '\0';
        return send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Next document, or "" after 10 s without one.
    std::string Read() {
        while (true) {
            size_t end = m_pending.find('\0');
            if (end != std::string::npos) {
                std::string doc = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                return doc;
            }
            pollfd pfd{m_fd, POLLIN, 0};
            if (poll(&pfd, 1, 10000) <= 0) return {};
            char buffer[4096];
            ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0) return {};
            m_pending.append(buffer, static_cast<size_t>(got));
        }
    }

private:
    int m_fd = -1;
    std::string m_pending;
};

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
    const int port = FreePort();
    {
        std::ofstream config(dir + "QRM.config", std::ios::binary);
        config << "Ports\\XMLChannel=" << port << "\r\nPorts\\XMLChannelDiscover=" << FreePort()
               << "\r\n";
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
            Client client;
            bool ok = client.Connect(port);
            start.arrive_and_wait();
            if (!ok) return;
            rtts[c].reserve(kRequestsPerClient);
            for (int i = 0; i < kRequestsPerClient; ++i) {
                auto sent = Clock::now();
                client.Send("<GetErrorDetailsRequest>\n<requestId>" + std::to_string(i) +
                            "</requestId>\n<returnCode>100</returnCode>\n"
                            "</GetErrorDetailsRequest>");
                std::string doc = client.Read();
                auto got = Clock::now();
                if (GetElementInt(doc, "requestId") != i) {
                    ++wrong;
                    return;
                }
                ++answered;
                rtts[c].push_back(std::chrono::duration<double, std::micro>(got - sent).count());
            }
            // Nothing else may arrive: every request is answered exactly once.
            std::string doc = client.Send("<GetErrorDetailsRequest></GetErrorDetailsRequest>")
                                  ? client.Read()
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
            Client client;
            if (!client.Connect(port)) ++missing;
            // Answered once the router knows this connection.
            client.Send("<GetErrorDetailsRequest></GetErrorDetailsRequest>");
            client.Read();
            connected.arrive_and_wait();
            for (int b = 0; b < kBroadcasts; ++b) {
                std::string doc = client.Read();
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
