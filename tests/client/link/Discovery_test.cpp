// Discovery on the loopback address: a real QRM on free ports, and a stand-in responder for
// the replies a real server never sends; the cradle fallback; nothing found.

#include <gtest/gtest.h>

#include "client/link/ConnectWorker.h"
#include "client/link/ServerDiscovery.h"
#include "client/link/ServerLink.h"
#include "platform/NetSocket.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"

namespace vantor::client {
namespace {

using namespace std::string_literals;

DiscoveryOptions LoopbackOptions(int port) {
    DiscoveryOptions options;
    options.broadcastAddress = "127.0.0.1";
    options.port = port;
    options.cradleHost = "";
    options.attemptWaitMs = 500;
    options.localAddresses = [] { return std::vector<std::string>{"127.0.0.1"}; };
    options.diagnostics = nullptr;
    return options;
}

TEST(DiscoveryTest, FindsARealServerAndConnectsToIt) {
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ServerLink link;
    LinkEndpoints endpoints;
    endpoints.connectionPort = qrm.XmlPort();
    endpoints.discovery = LoopbackOptions(qrm.DiscoveryPort());
    endpoints.discovery.attemptWaitMs = 2000;
    link.SetEndpoints(endpoints);
    ASSERT_EQ(link.Connect(""), 0);
    EXPECT_EQ(link.ServerName(), "127.0.0.1");  // the sender comes first
    EXPECT_GE(link.DiscoveredCount(), 1u);
    EXPECT_EQ(link.DiscoveredServer(99), "");
    link.Disconnect();
}

TEST(DiscoveryTest, RepliesAreReadAsServersWriteThem) {
    CNetSocket responder;
    ASSERT_TRUE(responder.CreateUdp(0, "127.0.0.1"));
    std::thread answer([&] {
        char request[16];
        std::string from;
        int port = 0;
        const int got = responder.ReceiveFrom(request, sizeof request, &from, &port);
        if (got != 3 || std::string(request, 3) != "\x01\x00\xFF"s) return;
        // Wrong first bytes are passed over; the sender's own address listed again is
        // added once; an entry that is no address is not taken.
        const std::string wrong =
            "\x02\x00\x09"
            "10.9.9.9"s;
        const std::string reply =
            "\x01\x00\x1C"
            "127.0.0.1,10.1.2.3,bad.name,10.1.2.3"s;
        responder.SendTo(wrong.data(), wrong.size(), from, port);
        responder.SendTo(reply.data(), reply.size(), from, port);
    });
    ServerDiscovery discovery;
    EXPECT_EQ(discovery.Run(LoopbackOptions(responder.LocalPort())), "127.0.0.1");
    answer.join();
    EXPECT_EQ(discovery.Servers(), (std::vector<std::string>{"127.0.0.1", "10.1.2.3"}));
}

TEST(DiscoveryTest, ServersAnnouncedByDnsSdJoinTheBroadcastsOnce) {
    CNetSocket responder;
    ASSERT_TRUE(responder.CreateUdp(0, "127.0.0.1"));
    std::thread answer([&] {
        char request[16];
        std::string from;
        int port = 0;
        if (responder.ReceiveFrom(request, sizeof request, &from, &port) != 3) return;
        const std::string reply = "\x01\x00\x08" "10.1.2.3"s;
        responder.SendTo(reply.data(), reply.size(), from, port);
    });
    DiscoveryOptions options = LoopbackOptions(responder.LocalPort());
    options.connectionPort = 4000;
    int askedPort = 0;
    options.dnsSd = [&](int, int connectionPort) {
        askedPort = connectionPort;
        // Found by both ways; another port on a known host; a host only DNS-SD knows.
        return std::vector<std::string>{"10.1.2.3", "127.0.0.1:4100", "10.7.7.7"};
    };
    ServerDiscovery discovery;
    EXPECT_EQ(discovery.Run(options), "127.0.0.1");
    answer.join();
    EXPECT_EQ(askedPort, 4000);
    EXPECT_EQ(discovery.Servers(), (std::vector<std::string>{"127.0.0.1", "10.1.2.3",
                                                            "127.0.0.1:4100", "10.7.7.7"}));

    // With no broadcast reply at all, what DNS-SD found is still found.
    CNetSocket silent;
    ASSERT_TRUE(silent.CreateUdp(0, "127.0.0.1"));
    options.port = silent.LocalPort();
    EXPECT_EQ(discovery.Run(options), "10.1.2.3");
}

TEST(DiscoveryTest, TheCradleHostIsTriedWhenNoReplyComes) {
    CNetSocket silent;
    ASSERT_TRUE(silent.CreateUdp(0, "127.0.0.1"));
    CNetSocket cradle;
    ASSERT_TRUE(cradle.CreateTcp(0, "127.0.0.1"));
    ASSERT_TRUE(cradle.Listen());
    DiscoveryOptions options = LoopbackOptions(silent.LocalPort());
    options.cradleHost = "localhost";
    options.connectionPort = cradle.LocalPort();
    ServerDiscovery discovery;
    EXPECT_EQ(discovery.Run(options), "127.0.0.1");
}

TEST(DiscoveryTest, NothingFoundEndsTheWorkerWithItsMessage) {
    CNetSocket silent;
    ASSERT_TRUE(silent.CreateUdp(0, "127.0.0.1"));
    ServerLink link;
    LinkEndpoints endpoints;
    endpoints.discovery = LoopbackOptions(silent.LocalPort());
    link.SetEndpoints(endpoints);
    test::RecordingView view;
    ConnectWorker worker(link, view, "linux");
    ASSERT_TRUE(worker.Start("", false));
    ASSERT_TRUE(test::WaitUntil([&] { return !worker.IsRunning(); }));
    EXPECT_EQ(view.Events(),
              (std::vector<std::string>{
                  "status Discovering Vantor Server...", "connecting off",
                  "status Unable to discover Vantor server",
                  "message Auto-discovery Failure: Unable to auto-discover Vantor server. Either "
                  "the server is not running or auto-discovery is not possible with your current "
                  "network configuration. If the server is running, please enter the IP address "
                  "you wish to connect to."}));
    EXPECT_FALSE(link.IsConnected());
}

}  // namespace
}  // namespace vantor::client
