#include "platform/NetSocket.h"

#include <gtest/gtest.h>

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

#include "platform/HostAddresses.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

TEST(NetSocket, TcpRoundTripOnLoopback) {
    CNetSocket listener;
    ASSERT_TRUE(listener.CreateTcp(0, "127.0.0.1"));
    ASSERT_TRUE(listener.Listen());
    const int port = listener.LocalPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(listener.LocalAddress(), "127.0.0.1");

    CNetSocket client;
    ASSERT_TRUE(client.Connect("127.0.0.1", port));
    std::string peer;
    int peerPort = 0;
    CNetSocket server = listener.Accept(&peer, &peerPort);
    ASSERT_TRUE(server.IsValid());
    EXPECT_EQ(peer, "127.0.0.1");
    EXPECT_EQ(peerPort, client.LocalPort());
    EXPECT_EQ(server.PeerAddress(), "127.0.0.1");
    EXPECT_EQ(server.LocalAddress(), "127.0.0.1");
    EXPECT_EQ(server.LocalPort(), port);

    const std::string document("<PlayRequest/>\0", 15);
    EXPECT_EQ(client.Send(document), 15);
    char buffer[64];
    size_t received = 0;
    while (received < document.size()) {
        const int count = server.Receive(buffer + received, sizeof(buffer) - received);
        ASSERT_GT(count, 0);
        received += static_cast<size_t>(count);
    }
    EXPECT_EQ(std::string(buffer, received), document);

    client.Close();
    EXPECT_FALSE(client.IsValid());
    EXPECT_EQ(server.Receive(buffer, sizeof(buffer)), 0);  // end of stream
    // Writing to a closed peer fails instead of raising SIGPIPE.
    int result = 0;
    for (int i = 0; i < 50 && result >= 0; ++i) result = server.Send(document);
    EXPECT_EQ(result, -1);
}

TEST(NetSocket, FileBytesFollowAHeldBackHeader) {
    std::signal(SIGPIPE, SIG_IGN);  // as the server does: sendfile cannot suppress it
    char path[] = "/tmp/vantor-sendfile-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::unlink(path);
    std::string content(300 * 1024, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + i / 977);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));

    CNetSocket listener;
    ASSERT_TRUE(listener.CreateTcp(0, "127.0.0.1"));
    ASSERT_TRUE(listener.Listen());
    CNetSocket client;
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.LocalPort()));
    CNetSocket server = listener.Accept();
    ASSERT_TRUE(server.IsValid());

    // More than a socket buffer, from an offset past the first page, read concurrently.
    const int64_t offset = 5000, length = 250 * 1024;
    auto received = std::async(std::launch::async, [&] {
        std::string all;
        char buffer[65536];
        while (all.size() < 6 + static_cast<size_t>(length)) {
            const int count = client.Receive(buffer, sizeof(buffer));
            if (count <= 0) break;
            all.append(buffer, static_cast<size_t>(count));
        }
        return all;
    });
    EXPECT_EQ(server.Send("HEAD\r\n", 6, true), 6);
    EXPECT_TRUE(server.SendFileBytes(fd, offset, length));
    ASSERT_EQ(received.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(received.get(), "HEAD\r\n" + content.substr(offset, length));

    // A file that ends before the span does, and a peer that has gone, both fail.
    EXPECT_FALSE(server.SendFileBytes(fd, static_cast<int64_t>(content.size()) - 10, 20));
    client.Close();
    bool sent = true;
    for (int i = 0; i < 50 && sent; ++i) sent = server.SendFileBytes(fd, 0, 64 * 1024);
    EXPECT_FALSE(sent);
    ::close(fd);
}

TEST(NetSocket, UdpRoundTripReportsTheSender) {
    CNetSocket a, b;
    ASSERT_TRUE(a.CreateUdp(0, "127.0.0.1"));
    ASSERT_TRUE(b.CreateUdp(0, "127.0.0.1"));
    const unsigned char request[] = {0x01, 0x00, 0xFF};
    ASSERT_EQ(a.SendTo(request, sizeof(request), "127.0.0.1", b.LocalPort()), 3);
    unsigned char buffer[16] = {};
    std::string from;
    int fromPort = 0;
    ASSERT_EQ(b.ReceiveFrom(buffer, sizeof(buffer), &from, &fromPort), 3);
    EXPECT_EQ(std::memcmp(buffer, request, 3), 0);
    EXPECT_EQ(from, "127.0.0.1");
    EXPECT_EQ(fromPort, a.LocalPort());
}

TEST(NetSocket, UdpPortCanBeSharedAndTcpPortCannot) {
    CNetSocket first, second;
    ASSERT_TRUE(first.CreateUdp(0));
    EXPECT_TRUE(second.CreateUdp(first.LocalPort()));
    CNetSocket tcp, tcpAgain;
    ASSERT_TRUE(tcp.CreateTcp(0));
    ASSERT_TRUE(tcp.Listen());
    EXPECT_FALSE(tcpAgain.CreateTcp(tcp.LocalPort()));
    EXPECT_FALSE(tcpAgain.IsValid());
    EXPECT_FALSE(tcpAgain.CreateTcp(0, "not an address"));
}

// Owners stop their threads by closing the socket the thread is blocked on.
TEST(NetSocket, CloseWakesABlockedCall) {
    enum Kind { kAccept, kReceive, kReceiveFrom };
    for (Kind kind : {kAccept, kReceive, kReceiveFrom}) {
        SCOPED_TRACE(kind);
        CNetSocket listener, client, blocked;
        if (kind == kReceiveFrom) {
            ASSERT_TRUE(blocked.CreateUdp(0, "127.0.0.1"));
        } else {
            ASSERT_TRUE(listener.CreateTcp(0, "127.0.0.1"));
            ASSERT_TRUE(listener.Listen());
            if (kind == kReceive) {
                ASSERT_TRUE(client.Connect("127.0.0.1", listener.LocalPort()));
                blocked = listener.Accept();
            }
        }
        CNetSocket& target = kind == kAccept ? listener : blocked;
        std::atomic<bool> entered{false};
        auto result = std::async(std::launch::async, [&] {
            char buffer[8];
            entered = true;
            if (kind == kAccept) return target.Accept().IsValid() ? 1 : -1;
            if (kind == kReceive) return target.Receive(buffer, sizeof(buffer));
            return target.ReceiveFrom(buffer, sizeof(buffer));
        });
        while (!entered) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(50ms);
        target.Close();
        ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
        EXPECT_LE(result.get(), 0);
    }
}

TEST(HostAddresses, DottedAndUnique) {
    const std::vector<std::string> addresses = GetHostIPv4Addresses();
    ASSERT_FALSE(addresses.empty());
    for (size_t i = 0; i < addresses.size(); ++i) {
        unsigned a, b, c, d;
        char rest;
        EXPECT_EQ(std::sscanf(addresses[i].c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest), 4)
            << addresses[i];
        for (size_t j = 0; j < i; ++j) EXPECT_NE(addresses[i], addresses[j]);
    }
}

}  // namespace
}  // namespace vantor
