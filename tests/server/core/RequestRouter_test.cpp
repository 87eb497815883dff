#include "server/core/RequestRouter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "protocol/PlayerMessages.h"
#include "server/core/XmlChannelServer.h"
#include "tests/server/core/ChannelTestSupport.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using test::CXmlTestClient;
using test::RequestDoc;

// A channel that only records what it is asked to send (stands in for the HTTP channel).
class CRecordingChannel : public ICommChannel {
public:
    int Start() override { return 0; }
    int Stop() override { return 0; }
    int Send(const CMessage& message) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sent.push_back({message.TypeName(), message.ClientId()});
        return 0;
    }
    std::vector<std::pair<std::string, int32_t>> Sent() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sent;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::string, int32_t>> m_sent;
};

class RequestRouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto channel = std::make_unique<CRecordingChannel>();
        m_other = channel.get();
        ASSERT_TRUE(m_router.SetChannel(2, std::move(channel)));
        m_router.Open();
    }

    CXmlTestClient Connect() {
        CXmlTestClient client;
        EXPECT_TRUE(client.Connect(m_core.xmlPort));
        return client;
    }

    // Sends a PlayRequest and returns the client id the service saw for it.
    int32_t ClientIdOf(CXmlTestClient& client, int requestId) {
        size_t before = m_service.ClientIds().size();
        EXPECT_TRUE(client.SendDocument(RequestDoc("PlayRequest", requestId)));
        auto answer = client.ReadDocument();
        EXPECT_TRUE(answer.has_value());
        auto ids = m_service.ClientIds();
        return ids.size() > before ? ids.back() : -100;
    }

    // Waits until the router has forgotten the XML channel's connection.
    bool WaitUntilRemoved(int32_t connectionId) {
        for (int i = 0; i < 500; ++i) {
            if (m_router.ClientIdOf(&m_router.XmlChannel(), connectionId) == 0) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    test::CChannelFixtureCore m_core;
    CRequestRouter m_router{m_core.context};
    test::CEchoPlayerService m_service{m_core.bus};
    CRecordingChannel* m_other = nullptr;
};

TEST_F(RequestRouterTest, ResponseReachesOnlyTheAskingConnection) {
    CXmlTestClient a = Connect();
    CXmlTestClient b = Connect();
    ASSERT_TRUE(b.SendDocument(RequestDoc("PlayRequest", 20)));
    ASSERT_TRUE(a.SendDocument(RequestDoc("PlayRequest", 10)));
    auto forA = a.ReadDocument();
    auto forB = b.ReadDocument();
    ASSERT_TRUE(forA && forB);
    EXPECT_EQ(GetRootElementName(*forA), "PlayResponse");
    EXPECT_EQ(GetElementInt(*forA, "requestId"), 10);
    EXPECT_EQ(GetElementInt(*forB, "requestId"), 20);
    EXPECT_FALSE(a.ReadDocument(200));
    EXPECT_FALSE(b.ReadDocument(200));
    EXPECT_TRUE(m_other->Sent().empty());
}

TEST_F(RequestRouterTest, BroadcastReachesEveryConnectionOfEveryChannel) {
    CXmlTestClient a = Connect();
    CXmlTestClient b = Connect();
    ASSERT_NE(ClientIdOf(a, 1), ClientIdOf(b, 2));  // both registered before the broadcast
    m_service.Send(std::make_unique<CMessage>(msg::PlaylistChangedEvent), -1,
                   event::PlayerBroadcast);
    for (CXmlTestClient* client : {&a, &b}) {
        auto doc = client->ReadDocument();
        ASSERT_TRUE(doc);
        EXPECT_EQ(*doc, "<PlaylistChangedEvent>\n</PlaylistChangedEvent>");
    }
    auto sent = m_other->Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_pair(std::string("PlaylistChangedEvent"), -1));
}

TEST_F(RequestRouterTest, ClientIdsGrowAcrossDisconnectsAndRestarts) {
    CXmlTestClient a = Connect();
    CXmlTestClient b = Connect();
    EXPECT_EQ(ClientIdOf(a, 1), 1);
    EXPECT_EQ(ClientIdOf(b, 2), 2);
    b.Close();
    ASSERT_TRUE(WaitUntilRemoved(2));
    CXmlTestClient c = Connect();
    EXPECT_EQ(ClientIdOf(c, 3), 3);

    m_router.Close();
    m_router.Open();
    CXmlTestClient d = Connect();
    EXPECT_EQ(ClientIdOf(d, 4), 4);
}

TEST_F(RequestRouterTest, ConnectionsOfDifferentChannelsAreTellApart) {
    CXmlTestClient a = Connect();
    EXPECT_EQ(ClientIdOf(a, 1), 1);
    // The other channel's first connection has the same connection id as the XML one.
    CEventHolder added(std::make_unique<CMessage>());
    added.message->SetClientId(1);
    m_core.bus.Fire(event::ConnectionAdded, added,
                    static_cast<const ICommChannel*>(m_router.Channel(2)));
    ASSERT_EQ(m_router.ClientIdOf(m_other, 1), 2);

    m_service.Send(std::make_unique<CResponseMessage>(msg::GetVolumeResponse), 2,
                   event::PlayerResponse);
    auto sent = m_other->Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_pair(std::string("GetVolumeResponse"), 1));  // its own id
    EXPECT_FALSE(a.ReadDocument(200));
}

TEST_F(RequestRouterTest, MessagesForUnknownClientsAreDropped) {
    CXmlTestClient a = Connect();
    EXPECT_EQ(ClientIdOf(a, 1), 1);
    for (int32_t clientId : {0, 7}) {
        m_service.Send(std::make_unique<CResponseMessage>(msg::PlayResponse), clientId,
                       event::PlayerResponse);
        m_service.Send(std::make_unique<CResponseMessage>(msg::BrowseGenresResponse), clientId,
                       event::LibraryReply);
    }
    EXPECT_FALSE(a.ReadDocument(200));
    EXPECT_TRUE(m_other->Sent().empty());
}

TEST_F(RequestRouterTest, RequestsGoToTheServiceThatOwnsTheirType) {
    struct Case {
        const char* name;
        int expectedEvent;
    };
    const Case cases[] = {
        {"PlayRequest", event::PlayerRequest},
        {"GetPlayerCapabilitiesRequest", event::PlayerRequest},
        {"VolumeChangedEvent", event::PlayerRequest},  // readable, but nobody answers it
        {"GetMediaItemRequest", event::LibraryRequest},
        {"BrowseTracksRequest", event::LibraryRequest},
        {"MediaLibraryChangedEvent", event::LibraryRequest},
    };
    std::mutex mutex;
    std::vector<std::pair<int, std::string>> seen;
    const int listener = 0;
    for (int id : {event::PlayerRequest, event::LibraryRequest}) {
        m_core.bus.Subscribe(id, &listener, [&, id](CEventHolder& holder) {
            std::lock_guard<std::mutex> lock(mutex);
            seen.emplace_back(id, holder.message->TypeName());
        });
    }
    CXmlTestClient a = Connect();
    for (const Case& c : cases) ASSERT_TRUE(a.SendDocument(RequestDoc(c.name, 1)));
    // The router answers this one itself, after the documents before it were handled.
    ASSERT_TRUE(a.SendDocument(RequestDoc("GetErrorDetailsRequest", 99)));
    while (true) {
        auto doc = a.ReadDocument();
        ASSERT_TRUE(doc.has_value());
        if (GetRootElementName(*doc) == "GetErrorDetailsResponse") break;
    }
    m_core.bus.Unsubscribe(&listener);
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].second, cases[i].name);
        EXPECT_EQ(seen[i].first, cases[i].expectedEvent) << cases[i].name;
    }
}

}  // namespace
}  // namespace vantor
