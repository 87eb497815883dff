// The remote clients' link: SendAndWait round trips per second against the real QRM
// (simulated player), beside the same round trip over a raw blocking socket that writes
// the document and reads up to its zero byte, on the same server in the same run. Two
// request kinds: GetErrorDetailsRequest (answered by the router) and GetVolumeRequest
// (through the player service).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "protocol/Xml.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace vantor;

constexpr int kRoundTrips = 5000;
constexpr int kRuns = 3;

double PerSecond(Clock::time_point start) {
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return kRoundTrips / seconds;
}

double LinkRun(client::ServerLink& link, int32_t type) {
    const auto start = Clock::now();
    for (int i = 0; i < kRoundTrips; ++i) {
        auto request = client::requests::Plain(type);
        std::unique_ptr<CResponseMessage> response;
        if (link.SendAndWait(*request, response) != client::kLinkOk) return 0;
    }
    return PerSecond(start);
}

double RawRun(test::CXmlTestClient& raw, const std::string& typeName) {
    const auto start = Clock::now();
    for (int i = 0; i < kRoundTrips; ++i) {
        const std::string doc = "<" + typeName + "><requestId>" + std::to_string(i + 1) +
                                "</requestId></" + typeName + ">";
        if (!raw.SendDocument(doc) || !raw.ReadDocument()) return 0;
    }
    return PerSecond(start);
}

std::string Range(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.0f to %.0f", values.front(), values.back());
    return text;
}

}  // namespace

int main() {
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    if (!qrm.Start()) {
        std::fprintf(stderr, "QRM did not start\n%s", qrm.StdioText().c_str());
        return 1;
    }
    client::ServerLink link;
    test::CXmlTestClient raw;
    if (link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())) != 0 ||
        !raw.Connect(qrm.XmlPort())) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    std::printf(
        "%d round trips per run, %d runs, one connection each, requests one after the "
        "other\n\n",
        kRoundTrips, kRuns);
    std::printf("| Request | Link SendAndWait per second | Raw socket per second |\n");
    std::printf("|---|---|---|\n");
    for (int32_t type : {msg::GetErrorDetailsRequest, msg::GetVolumeRequest}) {
        std::vector<double> viaLink;
        std::vector<double> viaRaw;
        for (int run = 0; run < kRuns; ++run) {
            // Alternate so that both see the same state of the machine.
            viaRaw.push_back(RawRun(raw, msg::TypeNameFromId(type)));
            viaLink.push_back(LinkRun(link, type));
        }
        std::printf("| %s | %s | %s |\n", msg::TypeNameFromId(type).c_str(), Range(viaLink).c_str(),
                    Range(viaRaw).c_str());
    }
    link.Disconnect();
    raw.Close();
    return 0;
}
