#include "server/core/DiscoveryResponder.h"
#include "server/core/DiscoveryDatagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/server/core/ChannelTestSupport.h"

namespace vantor {
namespace {

using namespace std::string_literals;

std::vector<std::string> ManyAddresses(int count) {
    std::vector<std::string> addresses;
    for (int i = 0; i < count; ++i) addresses.push_back("192.168.100." + std::to_string(100 + i));
    return addresses;
}

TEST(DiscoveryAddressText, JoinsAndCutsAtTheLastWholeAddressThatFits) {
    struct Case {
        std::vector<std::string> addresses;
        size_t expectedLength;
        std::string expectedEnd;
    };
    const Case cases[] = {
        {{}, 0, ""},
        {{"192.168.1.5", "10.0.0.2"}, 20, "192.168.1.5,10.0.0.2"},
        // 15-character addresses: 62 of them take 62 * 16 - 1 = 991 bytes, a 63rd would not fit.
        {ManyAddresses(70), 991, ",192.168.100.161"},
        {{std::string(997, '1')}, 997, "111"},
        {{std::string(998, '1'), "10.0.0.2"}, 0, ""},  // the first one alone is too long
        {{std::string(995, '1'), "1", "2"}, 997, "1,1"},
    };
    for (const Case& c : cases) {
        std::string text = DiscoveryAddressText(c.addresses);
        EXPECT_EQ(text.size(), c.expectedLength);
        EXPECT_TRUE(text.ends_with(c.expectedEnd))
            << text.substr(text.size() > 20 ? text.size() - 20 : 0);
    }
}

class DiscoveryResponderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_responder.SetAddressSource([this] {
            std::lock_guard<std::mutex> lock(m_mutex);
            return m_addresses;
        });
        ASSERT_EQ(m_responder.Start(), 0);
    }

    test::CChannelFixtureCore m_core;
    std::mutex m_mutex;  // the responder reads the addresses on its own thread
    std::vector<std::string> m_addresses{"192.168.1.5", "10.0.0.2"};
    CDiscoveryResponder m_responder{m_core.context};
};

TEST_F(DiscoveryResponderTest, AnswersOnlyTheRequestToItsSender) {
    const std::string reply = "\x01\x00\x14"s + "192.168.1.5,10.0.0.2";
    struct Case {
        std::string request;
        bool answered;
    };
    const Case cases[] = {
        {"\x01\x00\xFF"s, true},  {"\x01\x00\xFF\x41\x42"s, true},  // extra bytes are ignored
        {"\x01\x00\xFE"s, false}, {"\x02\x00\xFF"s, false},
        {"\x01"s, false},         {"\x01\x00"s, false},
    };
    test::CUdpTestClient asker;
    test::CUdpTestClient bystander;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.request));
        ASSERT_TRUE(asker.SendTo(m_core.discoveryPort, c.request));
        auto got = asker.Receive(c.answered ? 5000 : 300);
        EXPECT_EQ(got.has_value(), c.answered);
        if (got) {
            EXPECT_EQ(*got, reply);
        }
    }
    EXPECT_FALSE(bystander.Receive(100).has_value());
}

TEST_F(DiscoveryResponderTest, LongAddressListsFitOneDatagram) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_addresses = ManyAddresses(70);
    }
    test::CUdpTestClient asker;
    ASSERT_TRUE(asker.SendTo(m_core.discoveryPort, "\x01\x00\xFF"s));
    auto got = asker.Receive(5000);
    ASSERT_TRUE(got);
    ASSERT_EQ(got->size(), 3u + 991u);
    EXPECT_EQ(static_cast<unsigned char>((*got)[2]), 991 % 256);
    EXPECT_TRUE(got->ends_with(",192.168.100.161"));
}

}  // namespace
}  // namespace vantor
