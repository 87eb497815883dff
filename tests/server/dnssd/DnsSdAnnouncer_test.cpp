// The server's DNS-SD announcement driven through a stand-in of the daemon's client
// interface (what it registers, under which name, after collisions and a daemon that comes
// and goes), and Avahi's real client library on a machine without a daemon.

#include "platform/dnssd/DnsSdBrowser.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/dnssd/AvahiPublisher.h"
#include "server/dnssd/DnsSdChannel.h"
#include "tests/server/core/CoreTestSupport.h"
#include "tests/support/MusicFolder.h"
#include "tests/support/QrmClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>

namespace vantor {
namespace {

using Clock = std::chrono::steady_clock;

// Registers synchronously; names in `taken` are refused as a local collision.
class CStandInPublisher : public IDnsSdPublisher {
public:
    struct Registration {
        std::string name;
        std::vector<CDnsSdService> services;
    };

    int Start(IDnsSdPublisherListener* l) override {
        listener = l;
        ++starts;
        return 0;
    }
    void Stop() override { listener = nullptr; }
    int Register(const std::string& name, const std::vector<CDnsSdService>& services) override {
        if (taken.count(name)) return kCollision;
        registrations.push_back({name, services});
        return 0;
    }
    std::string AlternativeName(const std::string& name) override {
        const size_t hash = name.rfind(" #");
        if (hash == std::string::npos) return name + " #2";
        return name.substr(0, hash) + " #" + std::to_string(std::stoi(name.substr(hash + 2)) + 1);
    }

    IDnsSdPublisherListener* listener = nullptr;
    int starts = 0;
    std::set<std::string> taken;
    std::vector<Registration> registrations;
};

class DnsSdAnnouncementTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_logger.AddSink(&m_log);
        m_logger.SetLevel(kLogVerbose);
    }
    void TearDown() override { m_logger.RemoveSink(&m_log); }

    // A channel over a stand-in; `publisher` points at it until the channel goes.
    std::unique_ptr<CDnsSdChannel> MakeChannel(bool web) {
        return std::make_unique<CDnsSdChannel>(m_context, web, [this] {
            auto p = std::make_unique<CStandInPublisher>();
            m_publisher = p.get();
            return p;
        });
    }
    bool AnyErrorLogged() const { return m_log.Contains("ERROR"); }

    test::CTempFolder m_folder{"vantor-dnssd"};
    CLogger m_logger;
    test::CCaptureSink m_log;
    CConfigStore m_config{m_folder.Path() + "/"};
    CEventBus m_bus{m_logger};
    CServerContext m_context{m_logger, m_config, m_bus};
    CStandInPublisher* m_publisher = nullptr;
};

TEST_F(DnsSdAnnouncementTest, AnnouncesBothPortsWhenTheDaemonIsThere) {
    m_config.SetServerName("Living Room");
    m_config.SetInt("Ports\\XMLChannel", 4100);
    m_config.SetInt("WebAccessPort", 4102);
    auto channel = MakeChannel(true);
    ASSERT_EQ(channel->Start(), 0);
    ASSERT_NE(m_publisher->listener, nullptr);

    // No daemon yet: nothing registered, and nothing worse than a detailed line.
    m_publisher->listener->OnDaemonGone();
    m_publisher->listener->OnDaemonGone();
    EXPECT_TRUE(m_publisher->registrations.empty());
    EXPECT_FALSE(AnyErrorLogged());
    EXPECT_EQ(m_log.Count("no Avahi daemon"), 1);

    m_publisher->listener->OnDaemonRunning();
    ASSERT_EQ(m_publisher->registrations.size(), 1u);
    const auto& r = m_publisher->registrations[0];
    EXPECT_EQ(r.name, "Living Room");
    ASSERT_EQ(r.services.size(), 2u);
    EXPECT_EQ(r.services[0].type, "_vantor._tcp");
    EXPECT_EQ(r.services[0].port, 4100);
    EXPECT_EQ(r.services[0].txt, std::vector<std::string>{"version=1.0.3.2"});
    EXPECT_EQ(r.services[1].type, "_http._tcp");
    EXPECT_EQ(r.services[1].port, 4102);
    EXPECT_EQ(r.services[1].txt, (std::vector<std::string>{"version=1.0.3.2", "path=/"}));
    m_publisher->listener->OnEstablished();
    EXPECT_TRUE(channel->Announcer()->IsEstablished());
    EXPECT_TRUE(m_log.Contains("DNS-SD: announced as \"Living Room\""));
    EXPECT_FALSE(AnyErrorLogged());
}

TEST_F(DnsSdAnnouncementTest, TakesTheNextFreeNameAndKeepsItWhenTheDaemonReturns) {
    m_config.SetServerName("Den");
    auto channel = MakeChannel(false);
    ASSERT_EQ(channel->Start(), 0);
    m_publisher->taken = {"Den"};  // another service of this host has it
    m_publisher->listener->OnDaemonRunning();
    ASSERT_EQ(m_publisher->registrations.size(), 1u);
    EXPECT_EQ(m_publisher->registrations[0].name, "Den #2");
    EXPECT_EQ(m_publisher->registrations[0].services.size(), 1u);  // no web channel

    // A host on the network announces "Den #2" too.
    m_publisher->listener->OnNameCollision();
    ASSERT_EQ(m_publisher->registrations.size(), 2u);
    EXPECT_EQ(m_publisher->registrations[1].name, "Den #3");

    m_publisher->listener->OnDaemonGone();
    m_publisher->listener->OnDaemonRunning();
    ASSERT_EQ(m_publisher->registrations.size(), 3u);
    EXPECT_EQ(m_publisher->registrations[2].name, "Den #3");
    EXPECT_EQ(channel->Announcer()->AnnouncedName(), "Den #3");
    EXPECT_FALSE(AnyErrorLogged());
}

TEST_F(DnsSdAnnouncementTest, LongNamesAreCutOnACharacterAndAnnouncingCanBeTurnedOff) {
    std::string name;
    for (int i = 0; i < 30; ++i) name += "ü";  // 60 bytes
    name += "abcü";                             // 65 bytes: the last ü does not fit
    m_config.SetServerName(name);
    auto channel = MakeChannel(false);
    ASSERT_EQ(channel->Start(), 0);
    m_publisher->listener->OnDaemonRunning();
    ASSERT_EQ(m_publisher->registrations.size(), 1u);
    EXPECT_EQ(m_publisher->registrations[0].name, name.substr(0, 63));
    EXPECT_EQ(CDnsSdAnnouncer::CutName("aü", 2), "a");
    channel->Stop();

    m_config.SetBool("DnsSd\\Announce", false);
    m_publisher = nullptr;
    auto off = MakeChannel(true);
    EXPECT_EQ(off->Start(), 0);
    EXPECT_EQ(m_publisher, nullptr);
}

TEST_F(DnsSdAnnouncementTest, WithoutADaemonAvahiWaitsQuietlyAndBrowsingFindsNothing) {
    const char* before = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string saved = before ? before : "";
    const std::string address = "unix:path=" + m_folder.Path() + "/no-bus";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);

    m_config.SetServerName("Quiet");
    CDnsSdChannel channel(m_context, true);
    ASSERT_EQ(channel.Start(), 0);
    EXPECT_TRUE(m_log.WaitFor("no Avahi daemon", std::chrono::seconds(5)))
        << testing::PrintToString(m_log.Lines());
    const auto start = Clock::now();
    channel.Stop();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(AnyErrorLogged());

    EXPECT_FALSE(DnsSdDaemonRunning());
    EXPECT_TRUE(BrowseDnsSd("_vantor._tcp", 3000).empty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));

    if (before) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", saved.c_str(), 1);
    } else {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
}

TEST(DnsSdBrowser, MergingKeepsEachAddressAndPortOnce) {
    std::vector<CDnsSdEndpoint> list = {{"A", "192.0.2.1", 3567, {}}};
    const std::vector<CDnsSdEndpoint> found = {{"A again", "192.0.2.1", 3567, {}},
                                               {"B", "192.0.2.1", 4000, {"version=1"}},
                                               {"B", "192.0.2.1", 4000, {"version=1"}}};
    EXPECT_EQ(MergeEndpoints(list, found), 1u);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "B");
    EXPECT_EQ(list[1].Txt("version"), "1");
    EXPECT_EQ(list[1].Txt("vers"), "");
}

}  // namespace
}  // namespace vantor
