// The address monitor of the HTTP channel: "WebAccessURL" and "WebAccessPort" follow this
// machine's address, and a change is announced once on the bus.

#include "server/web/HttpChannel.h"

#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

namespace vantor {
namespace {

class HttpChannelAddressTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-http-address-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_config = std::make_unique<CConfigStore>(m_dir + "/");
        m_config->SetString("Paths\\HTTPRoot", m_dir);
        m_config->SetInt("Ports\\HTTPChannel", 0);
        m_context = std::make_unique<CServerContext>(CServerContext{m_logger, *m_config, m_bus});
        m_bus.Subscribe(event::WebAccessChanged, this, [this](CEventHolder&) { ++m_changes; });
    }
    void TearDown() override {
        m_bus.Unsubscribe(this);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    std::string Address() {
        std::lock_guard lock(m_addressLock);
        return m_address;
    }
    void SetAddress(const std::string& address) {
        std::lock_guard lock(m_addressLock);
        m_address = address;
    }
    bool WaitForChanges(int count) {
        for (int i = 0; i < 500 && m_changes.load() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return m_changes.load() >= count;
    }

    std::string m_dir;
    CLogger m_logger;
    CEventBus m_bus{m_logger};
    std::unique_ptr<CConfigStore> m_config;
    std::unique_ptr<CServerContext> m_context;
    std::atomic<int> m_changes{0};
    std::mutex m_addressLock;
    std::string m_address = "192.168.20.7";
};

TEST_F(HttpChannelAddressTest, WebAccessFollowsTheMachinesAddressAndAnnouncesAChangeOnce) {
    CHttpChannel channel(*m_context, [this] { return Address(); });
    ASSERT_EQ(channel.Start(), 0);
    const std::string port = std::to_string(channel.Port());
    ASSERT_NE(channel.Port(), 0);
    EXPECT_EQ(m_config->GetString("WebAccessURL", ""), "http://192.168.20.7:" + port + "/");
    EXPECT_EQ(m_config->GetInt("WebAccessPort", 0), channel.Port());
    EXPECT_EQ(channel.WebAccessUrl(), "http://192.168.20.7:" + port + "/");

    // The address the channel started with is not a change.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(m_changes.load(), 0);

    SetAddress("10.4.0.12");
    ASSERT_TRUE(WaitForChanges(1)) << "no event for the new address";
    EXPECT_EQ(m_config->GetString("WebAccessURL", ""), "http://10.4.0.12:" + port + "/");
    EXPECT_EQ(channel.WebAccessUrl(), "http://10.4.0.12:" + port + "/");

    // An address that stays put is announced only once.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(m_changes.load(), 1);

    SetAddress("192.168.20.7");
    ASSERT_TRUE(WaitForChanges(2)) << "no event for the address coming back";
    EXPECT_EQ(m_config->GetString("WebAccessURL", ""), "http://192.168.20.7:" + port + "/");
    channel.Stop();
}

}  // namespace
}  // namespace vantor
