#include "server/core/XmlChannelServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "protocol/ConnectionMessages.h"
#include "protocol/PlayerMessages.h"
#include "tests/server/core/ChannelTestSupport.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using test::CXmlTestClient;
using test::RequestDoc;

class XmlChannelServerTest : public ::testing::Test {
protected:
    void SetUp() override { m_router.Open(); }

    CXmlTestClient Connect() {
        CXmlTestClient client;
        EXPECT_TRUE(client.Connect(m_core.xmlPort));
        return client;
    }

    test::CChannelFixtureCore m_core;
    CRequestRouter m_router{m_core.context};
    test::CEchoPlayerService m_service{m_core.bus};
};

TEST_F(XmlChannelServerTest, DocumentsAreCutAtTheirZeroByteHoweverTheyArrive) {
    const std::string play = RequestDoc("PlayRequest", 1);
    const std::string stop = RequestDoc("StopRequest", 2);
    CXmlTestClient client = Connect();

    // Two documents in one write: two answers, in order.
    ASSERT_TRUE(client.SendRaw(play + '\0' + stop + '\0'));
    auto first = client.ReadDocument();
    auto second = client.ReadDocument();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first,
              "<PlayResponse>\n<requestId>1</requestId>\n<returnCode>0</returnCode>\n"
              "</PlayResponse>");
    EXPECT_EQ(GetRootElementName(*second), "StopResponse");

    // One document over three writes: answered once, when its zero byte arrives.
    const std::string doc = RequestDoc("PauseRequest", 3) + '\0';
    ASSERT_TRUE(client.SendRaw(doc.substr(0, 5)));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(client.SendRaw(doc.substr(5, 20)));
    EXPECT_FALSE(client.ReadDocument(200));
    ASSERT_TRUE(client.SendRaw(doc.substr(25)));
    auto answer = client.ReadDocument();
    ASSERT_TRUE(answer);
    EXPECT_EQ(GetElementInt(*answer, "requestId"), 3);
    EXPECT_FALSE(client.ReadDocument(200));
    EXPECT_EQ(m_service.ClientIds().size(), 3u);
}

TEST_F(XmlChannelServerTest, UnreadableDocumentsAreAnsweredWithCode10) {
    struct Case {
        std::string sent;
        std::string answer;
    };
    const Case cases[] = {
        {"<NoSuchRequest/>",
         "<UnrecognizedRequest>\n<returnCode>10</returnCode>\n"
         "</UnrecognizedRequest>"},
        // Known name, but not a type the server reads.
        {RequestDoc("PressButtonRequest", 12),
         "<UnrecognizedRequest>\n<requestId>12</requestId>\n<returnCode>10</returnCode>\n"
         "</UnrecognizedRequest>"},
        {"", "<UnrecognizedRequest>\n<returnCode>10</returnCode>\n</UnrecognizedRequest>"},
    };
    CXmlTestClient client = Connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        ASSERT_TRUE(client.SendDocument(c.sent));
        EXPECT_EQ(client.ReadDocument().value_or("(none)"), c.answer);
    }
    // A declaration and comments do not hide the root element.
    ASSERT_TRUE(
        client.SendDocument("<?xml version=\"1.0\"?><!-- hi -->" + RequestDoc("StopRequest", 4)));
    EXPECT_EQ(GetRootElementName(client.ReadDocument().value_or("")), "StopResponse");
}

TEST_F(XmlChannelServerTest, UrlsNameTheAddressTheClientReached) {
    CXmlTestClient client = Connect();
    ASSERT_TRUE(client.SendDocument(RequestDoc("PlayRequest", 1)));
    ASSERT_TRUE(client.ReadDocument());
    struct Case {
        int typeId;
        std::string expected;
    };
    for (const Case& c : {Case{msg::GetAlbumArtResponse, "http://127.0.0.1:80/art/x"},
                          Case{msg::GetVolumeResponse, "http://[0.0.0.0]:80/art/x"}}) {
        // Only the two URL-carrying responses get the address filled in.
        auto art = std::make_unique<CAlbumArtResponse>(c.typeId);
        art->Body().artURL = "http://[0.0.0.0]:80/art/x";
        m_service.Send(std::move(art), -1, event::PlayerBroadcast);
        auto doc = client.ReadDocument();
        ASSERT_TRUE(doc);
        EXPECT_EQ(GetElementText(*doc, "artURL"), c.expected);
    }
}

TEST_F(XmlChannelServerTest, RunawayDocumentClosesOnlyItsConnection) {
    CXmlTestClient runaway = Connect();
    CXmlTestClient other = Connect();
    std::string chunk(64 * 1024, 'a');
    bool closed = false;
    for (int i = 0; i < 32 && !closed; ++i) {  // 2 MiB at most
        if (!runaway.SendRaw(chunk)) closed = true;
    }
    EXPECT_TRUE(closed || runaway.WaitForClose());
    EXPECT_TRUE(m_core.log.sink.WaitFor("without a document end, closing it.", 5s));
    ASSERT_TRUE(other.SendDocument(RequestDoc("PlayRequest", 5)));
    EXPECT_EQ(GetElementInt(other.ReadDocument().value_or(""), "requestId"), 5);
}

TEST_F(XmlChannelServerTest, DocumentOfExactlyTheLimitIsAccepted) {
    CXmlTestClient client = Connect();
    std::string doc = RequestDoc("PlayRequest", 6);
    doc += std::string(CXmlChannelConnection::kMaxDocumentBytes - doc.size(), ' ');
    ASSERT_TRUE(client.SendDocument(doc));
    EXPECT_EQ(GetElementInt(client.ReadDocument().value_or(""), "requestId"), 6);
}

// A client that stops reading holds up a broadcast once, for the send deadline at most; it
// is then cut off, while answers to another client never wait for it.
TEST_F(XmlChannelServerTest, AStalledReaderIsCutOffWithoutHoldingUpOthers) {
    CXmlTestClient stalled;
    ASSERT_TRUE(stalled.Connect(m_core.xmlPort, "127.0.0.1", 4096));
    CXmlTestClient reader = Connect();
    ASSERT_TRUE(stalled.SendDocument(RequestDoc("GetErrorDetailsRequest", 1)));
    ASSERT_TRUE(stalled.ReadDocument());  // both connections are in their slots now

    std::thread broadcaster([&] {
        for (int i = 0; i < 6; ++i) {
            auto big = std::make_unique<CErrorDetailsResponse>();
            big->Body().description = std::string(1024 * 1024, 'x');
            m_service.Send(std::move(big), -1, event::PlayerBroadcast);
        }
    });
    int broadcasts = 0;
    bool answered = false;
    ASSERT_TRUE(reader.SendDocument(RequestDoc("GetErrorDetailsRequest", 2)));
    while (auto doc = reader.ReadDocument(10000)) {
        if (GetElementInt(*doc, "requestId") == 2) answered = true;
        if (doc->size() > 1024 * 1024 && ++broadcasts == 6) break;
    }
    broadcaster.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(broadcasts, 6);
    EXPECT_TRUE(m_core.log.sink.Contains("did not take a document within 2000 ms"));
    EXPECT_TRUE(stalled.WaitForClose());
}

// Clients come and go while broadcasts and answers are written: slots are reused under
// the writers' feet. Under the thread checker this exercises the slot locks.
TEST_F(XmlChannelServerTest, SlotsSurviveChurnWhileBroadcasting) {
    std::atomic<bool> done{false};
    std::thread broadcaster([&] {
        while (!done.load()) {
            m_service.Send(std::make_unique<CMessage>(msg::PlaylistChangedEvent), -1,
                           event::PlayerBroadcast);
            std::this_thread::sleep_for(1ms);
        }
    });
    std::vector<std::thread> churners;
    std::atomic<int> answered{0};
    for (int t = 0; t < 4; ++t) {
        churners.emplace_back([&, t] {
            for (int round = 0; round < 15; ++round) {
                CXmlTestClient client;
                if (!client.Connect(m_core.xmlPort)) continue;
                client.SendDocument(RequestDoc("GetErrorDetailsRequest", t * 100 + round));
                while (auto doc = client.ReadDocument(5000)) {
                    if (GetRootElementName(*doc) == "GetErrorDetailsResponse") {
                        ++answered;
                        break;
                    }
                }
            }
        });
    }
    for (auto& thread : churners) thread.join();
    done.store(true);
    broadcaster.join();
    EXPECT_EQ(answered.load(), 60);
    EXPECT_FALSE(m_core.log.sink.Contains("did not exit"));
}

}  // namespace
}  // namespace vantor
