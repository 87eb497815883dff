// The Winamp player service on the bus: a client's connection starts Winamp, requests reach
// it and its changes come back as broadcasts.

#include "server/player/winamp/WinampPlayerService.h"
#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/player/winamp/WinampEq.h"
#include "server/player/winamp/WinampMessages.h"
#include "tests/server/player/winamp/WinampTestSupport.h"

#include <gtest/gtest.h>

namespace vantor::test {
namespace {

class WinampPlayerServiceTest : public CWinampFixture {
protected:
    void SetUp() override {
        CWinampFixture::SetUp();
        m_bus = std::make_unique<CEventBus>(m_logger);
        m_context = std::make_unique<CServerContext>(CServerContext{m_logger, *m_config, *m_bus});
        for (int id : {event::PlayerResponse, event::PlayerBroadcast}) {
            m_bus->Subscribe(id, this, [this](CEventHolder& holder) {
                std::lock_guard lock(m_mutex);
                m_seen.push_back(holder.message->Clone());
            });
        }
        m_service = std::make_unique<CWinampPlayerService>(*m_context, m_windows);
        ASSERT_EQ(m_service->Start(), 0);
    }

    void TearDown() override {
        m_service.reset();
        m_bus->Unsubscribe(this);
        CWinampFixture::TearDown();
    }

    void FireConnection(int eventId) {
        CEventHolder holder(std::make_unique<CMessage>());
        holder.message->SetClientId(1);
        m_bus->Fire(eventId, holder, m_bus.get());
    }

    void Send(std::unique_ptr<CRequestMessage> request, int32_t requestId) {
        request->SetClientId(5);
        request->SetRequestId(requestId);
        CEventHolder holder(std::move(request));
        m_bus->Fire(event::PlayerRequest, holder, m_bus.get());
    }

    // The first message of that type whose check holds, waiting for it.
    std::unique_ptr<CMessage> WaitForMessage(
        int32_t typeId, const std::function<bool(const CMessage&)>& check = {}) {
        std::unique_ptr<CMessage> found;
        WaitUntil([&] {
            std::lock_guard lock(m_mutex);
            for (const auto& message : m_seen) {
                if (message->TypeId() == typeId && (!check || check(*message))) {
                    found = message->Clone();
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    std::unique_ptr<CEventBus> m_bus;
    std::unique_ptr<CServerContext> m_context;
    std::unique_ptr<CWinampPlayerService> m_service;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<CMessage>> m_seen;
};

TEST_F(WinampPlayerServiceTest, AClientConnectionStartsWinampAndRequestsReachIt) {
    InstallWinamp(Entry("Artist", "Song", "/music/song.mp3"));
    EXPECT_EQ(m_service->ShortName(), "winamp");
    EXPECT_EQ(m_service->DisplayName(), "Winamp");
    FireConnection(event::ConnectionAdded);
    ASSERT_NE(SimMain(), 0u);
    EXPECT_EQ(m_windows->Starts(), 1);

    auto volume = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
    volume->Body().volume = 40;
    Send(std::move(volume), 7);
    auto response = WaitForMessage(msg::SetVolumeResponse);
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(static_cast<CResponseMessage&>(*response).RequestId(), 7);
    EXPECT_EQ(static_cast<CResponseMessage&>(*response).ReturnCode(), kResultSuccess);
    EXPECT_EQ(SimCommand(winamp::kSetVolume, winamp::kQueryVolume), winamp::VolumeToRaw(40));
    EXPECT_NE(WaitForMessage(msg::VolumeChangedEvent,
                             [](const CMessage& m) {
                                 return static_cast<const CVolumeEvent&>(m).Body().volume == 40;
                             }),
              nullptr);

    Send(std::make_unique<CRequestMessage>(msg::PlayRequest), 8);
    EXPECT_NE(
        WaitForMessage(msg::PlayingStateChangedEvent,
                       [](const CMessage& m) {
                           return static_cast<const CPlayingStateEvent&>(m).Body().playingState ==
                                  kPlaying;
                       }),
        nullptr);

    // The player lets go of Winamp 2 s after the last client left.
    FireConnection(event::ConnectionRemoved);
    EXPECT_TRUE(m_service->Player()->IsConnected());
    EXPECT_TRUE(WaitUntil([&] { return !m_service->Player()->IsConnected(); }, 6000));
    EXPECT_NE(SimMain(), 0u);  // Winamp itself keeps running
}

TEST_F(WinampPlayerServiceTest, WithoutWinampRequestsAnswerACommunicationError) {
    SetWinampFolder("");
    FireConnection(event::ConnectionAdded);
    Send(std::make_unique<CRequestMessage>(msg::PlayRequest), 3);
    auto response = WaitForMessage(msg::PlayResponse);
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(static_cast<CResponseMessage&>(*response).ReturnCode(), kResultPlayerComm);
    EXPECT_TRUE(m_sink.Contains("ERROR: Unable to find Winamp path, can't start automatically"));
}

}  // namespace
}  // namespace vantor::test
