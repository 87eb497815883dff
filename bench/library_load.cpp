// The media library under load while it is rebuilt, against the real QRM (simulated
// player, a generated iTunes library of 100,000 tracks) on loopback: once the first import
// is done, 20 XML clients browse (a 50-row page of artists, one album) and search (one and
// two words) one request after the other, while a library update imports the whole file
// again. Every request must be answered; the latency of each kind, for the requests sent
// while the update ran and for the whole run, and the server's resident memory (sampled
// every 100 ms) are printed.
//
//   vantor_library_load_bench [--tracks N] [--seconds S]   (default 100000 and 30)

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

constexpr int kClients = 20;

struct Kind {
    const char* label;
    std::string body;  // the request without its id
    const char* name;
};

// The 501st album in name order, as the server names it (XML text, escaped): one that
// exists at every size.
std::string& Album() {
    static std::string album;
    return album;
}

bool FindAlbum(int port) {
    test::CXmlTestClient client;
    if (!client.Connect(port) ||
        !client.SendDocument("<BrowseLibraryRequest><requestId>1</requestId><path>\\Music\\"
                             "Albums</path><start>500</start><count>1</count>"
                             "</BrowseLibraryRequest>")) {
        return false;
    }
    while (auto doc = client.ReadDocument(30000)) {
        if (doc->find("<BrowseLibraryResponse>") == std::string::npos) continue;
        const size_t from = doc->find("<name>");
        const size_t to = doc->find("</name>");
        if (from == std::string::npos || to == std::string::npos) return false;
        Album() = doc->substr(from + 6, to - from - 6);
        return true;
    }
    return false;
}

std::vector<Kind> Kinds() {
    const std::string page = "<start>0</start><count>50</count>";
    return {
        {"artists page", "<path>\\Music\\Artists</path>" + page, "BrowseLibraryRequest"},
        {"one album", "<path>\\Music\\Albums\\" + Album() + "</path>" + page,
         "BrowseLibraryRequest"},
        {"search, one word", "<any>night</any>" + page, "MediaSearchRequest"},
        {"search, two words", "<any>night love</any>" + page, "MediaSearchRequest"},
    };
}

// One answered request: when it was sent (from the start of the run) and how long it took.
struct Sample {
    double sentS;
    double ms;
};

struct Results {
    std::mutex lock;
    std::vector<std::vector<Sample>> samples;  // per kind
    int64_t unanswered = 0;
};

void Client(int port, int index, Clock::time_point begin, Clock::time_point end,
            Results& results) {
    const std::vector<Kind> kinds = Kinds();
    std::vector<std::vector<Sample>> mine(kinds.size());
    int64_t unanswered = 0;
    test::CXmlTestClient client;
    if (!client.Connect(port)) unanswered = 1;
    int64_t id = static_cast<int64_t>(index) * 1000000;
    for (size_t turn = static_cast<size_t>(index); client.IsConnected() && Clock::now() < end;
         ++turn) {
        const Kind& kind = kinds[turn % kinds.size()];
        const std::string idText = "<requestId>" + std::to_string(++id) + "</requestId>";
        const auto start = Clock::now();
        if (!client.SendDocument("<" + std::string(kind.name) + ">" + idText + kind.body + "</" +
                                 kind.name + ">")) {
            ++unanswered;
            break;
        }
        bool answered = false;
        while (auto doc = client.ReadDocument(30000)) {
            if (doc->find(idText) != std::string::npos) {
                answered = true;
                break;
            }
        }
        if (!answered) {
            ++unanswered;
            break;
        }
        mine[turn % kinds.size()].push_back(
            {std::chrono::duration<double>(start - begin).count(),
             std::chrono::duration<double, std::milli>(Clock::now() - start).count()});
    }
    std::lock_guard guard(results.lock);
    for (size_t k = 0; k < mine.size(); ++k) {
        results.samples[k].insert(results.samples[k].end(), mine[k].begin(), mine[k].end());
    }
    results.unanswered += unanswered;
}

}  // namespace

int main(int argc, char** argv) {
    int tracks = 100000;
    int seconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--tracks") == 0) tracks = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
    }
    test::CQrmProcess qrm;
    const std::string library = qrm.DataDir() + "library.xml";
    tools::ITunesLibraryOptions options;
    options.tracks = tracks;
    if (!tools::WriteITunesLibraryFile(options, library)) return 1;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("Paths\\iTunesXML", library);
    if (!qrm.Start()) {
        std::fprintf(stderr, "QRM did not start:\n%s\n", qrm.StdioText().c_str());
        return 1;
    }
    if (!test::WaitForFirstLibraryUpdate(qrm.HttpPort(), 600000)) {
        std::fprintf(stderr, "the library was not indexed\n");
        return 1;
    }
    if (!FindAlbum(qrm.XmlPort())) {
        std::fprintf(stderr, "no album to browse\n");
        return 1;
    }
    const long before = ProcStatus(qrm.Pid(), "VmRSS");

    Results results;
    results.samples.resize(Kinds().size());
    const auto begin = Clock::now();
    const auto end = begin + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back(Client, qrm.XmlPort(), i, begin, end, std::ref(results));
    }
    // The update starts once the clients are busy; it has ended when the library-changed
    // event comes.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::atomic<double> updateStartS{0};
    std::atomic<double> updateEndS{0};
    std::thread updater([&] {
        test::CXmlTestClient client;
        updateStartS = std::chrono::duration<double>(Clock::now() - begin).count();
        if (!client.Connect(qrm.XmlPort()) ||
            !client.SendDocument("<UpdateMediaLibraryRequest><requestId>1</requestId>"
                                 "</UpdateMediaLibraryRequest>")) {
            std::fprintf(stderr, "the update was not asked for\n");
            return;
        }
        while (auto doc = client.ReadDocument(seconds * 1000)) {
            if (doc->find("<MediaLibraryChangedEvent") != std::string::npos) {
                updateEndS = std::chrono::duration<double>(Clock::now() - begin).count();
                return;
            }
        }
    });
    long lowest = before;
    long highest = before;
    while (Clock::now() < end) {
        const long rss = ProcStatus(qrm.Pid(), "VmRSS");
        lowest = std::min(lowest, rss);
        highest = std::max(highest, rss);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (auto& thread : threads) thread.join();
    updater.join();
    const long peak = ProcStatus(qrm.Pid(), "VmHWM");
    qrm.Stop();

    const double from = updateStartS;
    const double to = updateEndS > 0 ? updateEndS.load() : seconds;
    std::printf("%d tracks, %d clients for %d s (album \"%s\"); the library update ran from "
                "%.1f s to %.1f s%s\n",
                tracks, kClients, seconds, Album().c_str(), from, to,
                updateEndS > 0 ? "" : " (no end seen within the run)");
    const std::vector<Kind> kinds = Kinds();
    auto table = [&](const char* title, double after, double before) {
        std::printf("\n%s\n\n| Request | answered | p50 | p99 | slowest |\n|---|---|---|---|---|\n",
                    title);
        for (size_t k = 0; k < kinds.size(); ++k) {
            std::vector<double> values;
            for (const Sample& sample : results.samples[k]) {
                if (sample.sentS >= after && sample.sentS < before) values.push_back(sample.ms);
            }
            std::printf("| %s | %zu | %.1f ms | %.1f ms | %.1f ms |\n", kinds[k].label,
                        values.size(), Percentile(values, 0.5), Percentile(values, 0.99),
                        values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()));
        }
    };
    table("Requests sent while the update ran:", from, to);
    table("The whole run:", 0, seconds);
    std::printf("\nunanswered: %lld\n", static_cast<long long>(results.unanswered));
    std::printf("server resident memory: %ld MiB before, %ld to %ld MiB during, peak %ld MiB\n",
                before / 1024, lowest / 1024, highest / 1024, peak / 1024);
    return results.unanswered == 0 ? 0 : 1;
}
