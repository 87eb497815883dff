// MPD as QRM's player, measured on this machine in one run:
//  - round trips per second of GetVolumeRequest through QRM's XML channel (answered from the
//    adapter's state) against MPD's own "status" command on the same MPD;
//  - the time to index a library of several thousand generated tracks (one short tagged file
//    copied with rewritten tags): MPD's own scan, then a full library update from MPD
//    (reader, SQLite store, replaced library file) as the server runs it.
//
//   vantor_mpd_bench [--tracks N] [--seconds S]

#include "bench/LibraryUpdate.h"
#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/Xml.h"
#include "server/core/Logger.h"
#include "server/player/mpd/MpdMediaReader.h"
#include "tests/server/player/mpd/MpdFixture.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace vantor;
using namespace vantor::test;
using vantor::bench::LibraryUpdateSeconds;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// MPD's own round trip: "status" over a plain socket, reading up to the final "OK".
double MpdStatusRate(const CMpdInstance& mpd, double seconds) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(mpd.Port()));
    inet_pton(AF_INET, mpd.Host().c_str(), &addr.sin_addr);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return 0;
    char buf[8192];
    std::string pending;
    auto readUntilOk = [&]() {
        for (;;) {
            const size_t end = pending.find("OK");
            if (end != std::string::npos && (end == 0 || pending[end - 1] == '\n')) {
                const size_t nl = pending.find('\n', end);
                if (nl != std::string::npos) {
                    pending.erase(0, nl + 1);
                    return true;
                }
            }
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return false;
            pending.append(buf, static_cast<size_t>(n));
        }
    };
    readUntilOk();  // greeting "OK MPD x.y.z"
    long count = 0;
    const auto start = Clock::now();
    while (Seconds(Clock::now() - start) < seconds) {
        if (send(fd, "status\n", 7, MSG_NOSIGNAL) != 7 || !readUntilOk()) break;
        ++count;
    }
    const double rate = count / Seconds(Clock::now() - start);
    close(fd);
    return rate;
}

double QrmVolumeRate(const CQrmProcess& qrm, double seconds) {
    CXmlTestClient client;
    if (!client.Connect(qrm.XmlPort())) return 0;
    CRequestMessage request(msg::GetVolumeRequest);
    long count = 0;
    int32_t id = 1;
    const auto start = Clock::now();
    while (Seconds(Clock::now() - start) < seconds) {
        request.SetRequestId(id);
        if (!client.SendDocument(request.ToXml())) break;
        bool answered = false;
        while (auto doc = client.ReadDocument(5000)) {
            if (GetRootElementName(*doc) == "GetVolumeResponse" &&
                GetElementInt(*doc, "requestId") == id) {
                answered = true;
                break;
            }
        }
        if (!answered) break;
        ++id;
        ++count;
    }
    return count / Seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    int tracks = 3000;
    double seconds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--tracks") == 0) tracks = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    }
    CTempFolder work("vantor-mpd-bench");
    const std::string music = work.Path() + "/music";
    const std::string playlists = work.Path() + "/playlists";
    std::filesystem::create_directories(playlists);
    const std::string tone = work.Path() + "/tone.mp3";
    if (!RunCommand(ToneCommand(440, 1, tone))) {
        std::fprintf(stderr, "mpd_bench: ffmpeg failed\n");
        return 1;
    }
    const auto genStart = Clock::now();
    if (!GenerateLibrary(music, tracks, ReadFileText(tone))) return 1;
    std::printf("generated %d tagged files in %.2f s\n", tracks, Seconds(Clock::now() - genStart));

    CMpdInstance mpd(music, playlists);
    const auto scanStart = Clock::now();
    if (!mpd.Start(static_cast<size_t>(tracks))) {
        std::fprintf(stderr, "mpd_bench: mpd did not start\n%s", mpd.Log().c_str());
        return 1;
    }
    std::printf("MPD's own scan of %d tracks: %.2f s\n", tracks, Seconds(Clock::now() - scanStart));

    const std::string dataFolder = work.Path() + "/data/";
    std::filesystem::create_directories(dataFolder);
    CLogger logger;
    CMpdAddress address;
    address.host = mpd.Host();
    address.port = mpd.Port();
    const double index = LibraryUpdateSeconds(dataFolder, [&]() -> std::unique_ptr<IMediaReader> {
        return std::make_unique<CMPDMediaReader>(logger, address,
                                                 std::make_shared<CMpdPaths>(music));
    });
    std::printf("library update from MPD, %d tracks: %.2f s (%.0f tracks/s)\n", tracks, index,
                index > 0 ? tracks / index : 0.0);

    CQrmProcess qrm(QrmBinaryPath());
    qrm.SetConfig("PlayerType", "MPD");
    qrm.SetConfig("MPD\\Host", mpd.Host());
    qrm.SetConfig("MPD\\Port", std::to_string(mpd.Port()));
    qrm.SetConfig("MPD\\MusicDirectory", music);
    if (!qrm.Start()) {
        std::fprintf(stderr, "mpd_bench: QRM did not start\n%s", qrm.StdioText().c_str());
        return 1;
    }
    const double mpdRate = MpdStatusRate(mpd, seconds);
    const double qrmRate = QrmVolumeRate(qrm, seconds);
    std::printf("MPD status round trips: %.0f/s\n", mpdRate);
    std::printf("QRM GetVolumeRequest round trips: %.0f/s (%.2f x MPD's status)\n", qrmRate,
                mpdRate > 0 ? qrmRate / mpdRate : 0.0);
    qrm.Stop();
    return 0;
}
