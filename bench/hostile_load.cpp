// Load with hostile peers beside well-behaved clients, against the real QRM (simulated
// player, a generated 10,000-track library) on loopback:
//   - 50 slow HTTP peers, each sending one header byte a second (reconnecting when cut off),
//   - 5 stalled XML peers, each asking for ten whole track listings and never reading
//     (reconnecting when cut off),
//   - 50 well-behaved XML clients, each sending a request every 50 ms and reading its answer,
//   - 50 web clients long-polling /q, while one more XML client changes the volume twice a
//     second so that there are events to deliver.
// Every well-behaved request must be answered exactly once; the round-trip percentiles, the
// server's thread count and resident memory (sampled each second) are printed.
//
// A reference run with the well-behaved clients alone comes first, on a fresh server.
//
//   vantor_hostile_load_bench [--seconds N]   (default 60 for each run)

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Xml.h"
#include "bench/BenchSupport.h"
#include "tests/integration/WebHttpClient.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace {

using namespace vantor;
using bench::Percentile;
using bench::ProcStatus;
using Clock = std::chrono::steady_clock;

constexpr int kSlowHttpPeers = 50;
constexpr int kStalledXmlPeers = 5;
constexpr int kXmlClients = 50;
constexpr int kWebClients = 50;
constexpr auto kRequestInterval = std::chrono::milliseconds(50);

int ConnectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string Request(const std::string& name, int64_t requestId, const std::string& body = "") {
    return "<" + name + "><requestId>" + std::to_string(requestId) + "</requestId>" + body +
           "</" + name + ">";
}

struct Totals {
    std::mutex lock;
    std::vector<double> roundTripsMs;
    int64_t sent = 0;
    int64_t answered = 0;
    int64_t duplicates = 0;
    int64_t missing = 0;
    int64_t polls = 0;
    int64_t pollFailures = 0;
    std::atomic<int64_t> slowCutOff{0};
};

// One well-behaved XML client: a request every 50 ms, each answered exactly once.
void WellBehavedClient(int port, int index, Clock::time_point end, Totals& totals) {
    test::CXmlTestClient client;
    if (!client.Connect(port)) {
        std::lock_guard lock(totals.lock);
        ++totals.missing;
        return;
    }
    std::map<int64_t, int> answers;
    std::vector<double> trips;
    int64_t next = static_cast<int64_t>(index) * 1000000;
    const char* kinds[] = {"GetVolumeRequest", "GetErrorDetailsRequest", "GetPlayingStateRequest"};
    auto due = Clock::now();
    while (Clock::now() < end) {
        std::this_thread::sleep_until(due);
        due += kRequestInterval;
        const int64_t id = ++next;
        const auto start = Clock::now();
        if (!client.SendDocument(Request(kinds[id % 3], id))) break;
        answers[id] = 0;
        // Events may arrive in between; the answer is the document with this request id.
        while (auto doc = client.ReadDocument(10000)) {
            const int64_t got = GetElementInt(*doc, "requestId");
            if (got <= 0) continue;  // a broadcast
            if (answers.count(got)) ++answers[got];
            if (got == id) break;
        }
        trips.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    // Late duplicates would show up now.
    while (auto doc = client.ReadDocument(300)) {
        const int64_t got = GetElementInt(*doc, "requestId");
        if (got > 0 && answers.count(got)) ++answers[got];
    }
    std::lock_guard lock(totals.lock);
    totals.roundTripsMs.insert(totals.roundTripsMs.end(), trips.begin(), trips.end());
    for (const auto& [id, count] : answers) {
        ++totals.sent;
        if (count >= 1) ++totals.answered;
        if (count > 1) ++totals.duplicates;
        if (count == 0) ++totals.missing;
    }
}

// One web client: a queue, then polls one after the other.
void WebClient(int port, Clock::time_point end, Totals& totals) {
    int64_t polls = 0;
    int64_t failures = 0;
    test::CWebHttpClient client;
    std::string queue;
    while (Clock::now() < end) {
        if (queue.empty()) {
            if (!client.Connect(port) || !client.SendGet("/q?c=new")) {
                ++failures;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                continue;
            }
            auto created = client.Read(5000);
            if (!created || created->Status() != 200) {
                ++failures;
                client.Close();
                continue;
            }
            queue = created->body;
        }
        if (!client.SendGet("/q?c=" + queue)) {
            ++failures;
            queue.clear();
            continue;
        }
        auto events = client.Read(15000);
        if (!events || events->Status() != 200) {
            ++failures;
            queue.clear();
            client.Close();
            continue;
        }
        ++polls;
    }
    std::lock_guard lock(totals.lock);
    totals.polls += polls;
    totals.pollFailures += failures;
}

// Fifty connections that each send one byte of a header per second, reconnecting when the
// server cuts them off.
void SlowHttpPeers(int port, Clock::time_point end, Totals& totals) {
    std::vector<int> fds(kSlowHttpPeers, -1);
    const std::string request = "GET /iphone/phone.html HTTP/1.1\r\nHost: slow\r\n\r\n";
    std::vector<size_t> sent(kSlowHttpPeers, 0);
    while (Clock::now() < end) {
        for (int i = 0; i < kSlowHttpPeers; ++i) {
            if (fds[i] >= 0) {
                // Anything readable is the server giving up on it: a 408 or the end.
                pollfd entry{fds[i], POLLIN, 0};
                if (::poll(&entry, 1, 0) > 0) {
                    ::close(fds[i]);
                    fds[i] = -1;
                    totals.slowCutOff++;
                }
            }
            if (fds[i] < 0) {
                fds[i] = ConnectLoopback(port);
                sent[i] = 0;
                if (fds[i] < 0) continue;
            }
            ::send(fds[i], request.data() + sent[i] % (request.size() - 4), 1, MSG_NOSIGNAL);
            ++sent[i];
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    for (int fd : fds)
        if (fd >= 0) ::close(fd);
}

// Five clients that ask for large listings and never read them. The server's cut comes
// behind the unread listings, which a peer that does not read never sees; so each peer
// starts over with a new connection every five seconds, and the server's log counts cuts.
void StalledXmlPeers(int port, Clock::time_point end) {
    const std::string listing =
        Request("BrowseLibraryRequest", 1, "<path>\\Music\\Tracks</path><count>-1</count>");
    std::string burst;
    for (int i = 0; i < 10; ++i) burst += listing + '\0';
    while (Clock::now() < end) {
        std::vector<test::CXmlTestClient> peers(kStalledXmlPeers);
        for (auto& peer : peers) {
            if (peer.Connect(port, "127.0.0.1", 4096)) peer.SendRaw(burst);
        }
        std::this_thread::sleep_for(std::chrono::seconds(5));
    }
}

// One run against a fresh QRM; with `hostile`, the slow and stalled peers join in. False
// when a well-behaved request went unanswered or was answered twice.
bool Run(bool hostile, int seconds) {
    test::CQrmProcess qrm;
    const std::string library = qrm.DataDir() + "library.xml";
    tools::ITunesLibraryOptions options;
    options.tracks = 10000;
    options.includePlaylists = false;
    if (!tools::WriteITunesLibraryFile(options, library)) return false;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("Paths\\iTunesXML", library);
    // Every peer here comes from the loopback address.
    qrm.SetConfig("HTTP\\MaxConnectionsPerAddress", "256");
    if (!qrm.Start()) {
        std::fprintf(stderr, "QRM did not start:\n%s\n", qrm.StdioText().c_str());
        return false;
    }
    if (!test::WaitForFirstLibraryUpdate(qrm.HttpPort(), 120000)) {
        std::fprintf(stderr, "the library was not indexed\n");
        return false;
    }

    Totals totals;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    if (hostile) {
        threads.emplace_back(SlowHttpPeers, qrm.HttpPort(), end, std::ref(totals));
        threads.emplace_back(StalledXmlPeers, qrm.XmlPort(), end);
    }
    for (int i = 0; i < kWebClients; ++i)
        threads.emplace_back(WebClient, qrm.HttpPort(), end, std::ref(totals));
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the other peers settle in
    for (int i = 0; i < kXmlClients; ++i)
        threads.emplace_back(WellBehavedClient, qrm.XmlPort(), i + 1, end, std::ref(totals));
    threads.emplace_back([&] {  // events for the web clients
        test::CXmlTestClient driver;
        if (!driver.Connect(qrm.XmlPort())) return;
        for (int volume = 0; Clock::now() < end; volume = (volume + 7) % 100) {
            driver.SendDocument(
                Request("SetVolumeRequest", 1, "<volume>" + std::to_string(volume) + "</volume>"));
            while (driver.ReadDocument(0)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    });

    std::vector<long> threadSamples, memorySamples;
    const auto warm = Clock::now() + std::chrono::seconds(std::min(10, seconds / 3));
    while (Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (Clock::now() < warm) continue;
        threadSamples.push_back(ProcStatus(qrm.Pid(), "Threads"));
        memorySamples.push_back(ProcStatus(qrm.Pid(), "VmRSS"));
    }
    for (auto& thread : threads) thread.join();
    const long peak = ProcStatus(qrm.Pid(), "VmHWM");
    const int stalledCutOff = qrm.CountInLog("did not take a document within");
    qrm.Stop();

    std::printf("== %s, %d s\n", hostile ? "with the hostile peers" : "reference: no hostile peers",
                seconds);
    std::printf("well-behaved XML requests     %lld sent, %lld answered, %lld twice, %lld never\n",
                static_cast<long long>(totals.sent), static_cast<long long>(totals.answered),
                static_cast<long long>(totals.duplicates), static_cast<long long>(totals.missing));
    std::printf("round trip p50 / p99 / max    %.2f / %.2f / %.2f ms\n",
                Percentile(totals.roundTripsMs, 0.5), Percentile(totals.roundTripsMs, 0.99),
                Percentile(totals.roundTripsMs, 1.0));
    std::printf("long polls answered           %lld (%lld failed)\n",
                static_cast<long long>(totals.polls), static_cast<long long>(totals.pollFailures));
    if (hostile) {
        std::printf("slow HTTP peers cut off       %lld\n",
                    static_cast<long long>(totals.slowCutOff.load()));
        std::printf("stalled XML peers cut off     %d\n", stalledCutOff);
    }
    if (!threadSamples.empty()) {
        auto [tmin, tmax] = std::minmax_element(threadSamples.begin(), threadSamples.end());
        auto [mmin, mmax] = std::minmax_element(memorySamples.begin(), memorySamples.end());
        std::printf("server threads after warm-up  %ld to %ld\n", *tmin, *tmax);
        std::printf("server resident memory        %ld to %ld KiB (peak %ld KiB)\n", *mmin, *mmax,
                    peak);
        // The first and the last third: memory that keeps growing shows here.
        const size_t third = memorySamples.size() / 3;
        if (third > 0) {
            std::printf("  highest in first / last third %ld / %ld KiB\n",
                        *std::max_element(memorySamples.begin(), memorySamples.begin() + third),
                        *std::max_element(memorySamples.end() - third, memorySamples.end()));
        }
    }
    return totals.missing == 0 && totals.duplicates == 0 && totals.sent > 0;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atoi(argv[++i]);
    }
    const bool reference = Run(false, seconds);
    const bool hostile = Run(true, seconds);
    return reference && hostile ? 0 : 1;
}
