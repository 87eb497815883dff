#include "protocol/ResultCodes.h"
#include "server/player/QueuedActions.h"
#include "tests/server/player/PlayerServiceFixture.h"

#include <atomic>
#include <set>
#include <thread>

namespace vantor {
namespace {

using test::CPlayerServiceHarness;
using test::Track;

std::unique_ptr<CResponseMessage> SearchAnswer(std::vector<std::string> titles) {
    auto response = std::make_unique<CMediaSearchResponse>(msg::MediaSearchResponse);
    response->SetReturnCode(0);
    int32_t id = 10;
    for (const std::string& title : titles) {
        response->Body().results.push_back({id++, kMediaMusic, title});
    }
    return response;
}

std::unique_ptr<CResponseMessage> ItemAnswer(const CRequestMessage&) {
    auto response = std::make_unique<CMediaItemResponse>(msg::GetMediaItemResponse);
    response->SetReturnCode(0);
    response->Body() = {77, kMediaMusic, "Dee", "Deep Cuts", "Found", "/music/dee/found.mp3", ""};
    return response;
}

class PlayerServiceQueueTest : public ::testing::Test {
protected:
    PlayerServiceQueueTest()
        : m_harness(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    std::unique_ptr<CPlayMediaRequest> PlaySearch(const std::string& artist) {
        auto request = std::make_unique<CPlayMediaRequest>(msg::PlayMediaRequest);
        request->Body().mediaType = kMediaMusic;
        request->Body().artist = artist;
        return request;
    }

    std::unique_ptr<CPlayMediaRequest> PlayId(int32_t id) {
        auto request = std::make_unique<CPlayMediaRequest>(msg::PlayMediaRequest);
        request->Body().id = id;
        return request;
    }

    CPlayerServiceHarness m_harness;
};

TEST_F(PlayerServiceQueueTest, SearchFindingNothingAnswersNotFoundAndLeavesThePlayerAlone) {
    CSimulatedPlayer& player = m_harness.Player();
    player.PlaylistAdd(*Track("Old", "Song"), -1);
    m_harness.SetAnswer([](const CRequestMessage&) { return SearchAnswer({}); });

    m_harness.Send(PlaySearch("Nobody"), 4);
    const CResponseMessage* response = m_harness.OnlyResponse();
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->TypeId(), msg::PlayMediaResponse);
    EXPECT_EQ(response->RequestId(), 4);
    EXPECT_EQ(response->ClientId(), 5);
    EXPECT_EQ(response->ReturnCode(), kResultMediaNotFound);
    const MediaItemList playlist = player.PlaylistSnapshot();
    ASSERT_EQ(playlist.size(), 1u);
    EXPECT_EQ(playlist[0]->name, "Song");
    EXPECT_EQ(player.GetPlayingState(), kStopped);
    EXPECT_EQ(m_harness.Service().WaitingActions(), 0);
}

TEST_F(PlayerServiceQueueTest, SearchFindingThreeTracksPlaysTheFirstAndQueuesTheRest) {
    m_harness.SetAnswer([](const CRequestMessage&) { return SearchAnswer({"A", "B", "C"}); });
    m_harness.Send(PlaySearch("Band"), 6);

    const auto searches = m_harness.Seen(event::LibraryRequest, msg::MediaSearchRequest);
    ASSERT_EQ(searches.size(), 1u);
    const auto& search = dynamic_cast<const CMediaSearchRequest&>(*searches[0]);
    EXPECT_EQ(search.ClientId(), 0);
    EXPECT_EQ(search.Body().artist, "Band");
    EXPECT_EQ(search.Body().type, kMediaMusic);
    EXPECT_EQ(search.Body().paging.start, 0);
    EXPECT_EQ(search.Body().paging.count, -1);
    EXPECT_TRUE(search.Body().isExplicit);

    const CResponseMessage* response = m_harness.OnlyResponse();
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->TypeId(), msg::PlayMediaResponse);
    EXPECT_EQ(response->RequestId(), 6);
    EXPECT_EQ(response->ReturnCode(), 0);
    const MediaItemList playlist = m_harness.Player().PlaylistSnapshot();
    ASSERT_EQ(playlist.size(), 3u);
    EXPECT_EQ(playlist[0]->name, "A");
    EXPECT_EQ(playlist[1]->name, "B");
    EXPECT_EQ(playlist[2]->name, "C");
    EXPECT_EQ(playlist[2]->id, 12);
    EXPECT_EQ(m_harness.Player().GetPlaylistPosition(), 0);
    EXPECT_EQ(m_harness.Player().GetPlayingState(), kPlaying);
}

// Each way of naming media asks the library its own question (a file path asks nothing).
TEST_F(PlayerServiceQueueTest, SelectorFormsChooseTheLibraryLookup) {
    m_harness.SetAnswer([](const CRequestMessage& request) -> std::unique_ptr<CResponseMessage> {
        if (request.TypeId() == msg::GetMediaItemRequest) return ItemAnswer(request);
        auto listing = std::make_unique<CBrowseLibraryResponse>(msg::BrowseLibraryResponse);
        listing->SetReturnCode(0);
        listing->Body().results.push_back({5, kMediaMusic, "Listed", "/music/listed.mp3"});
        return listing;
    });
    m_harness.Player().PlaylistAdd(*Track("X", "First"), -1);
    m_harness.Player().PlaylistAdd(*Track("X", "Last"), -1);

    auto byId = std::make_unique<CPlaylistAddRequest>(msg::PlaylistAddRequest);
    byId->Body().selector.id = 77;
    byId->Body().position = 1;
    m_harness.Send(std::move(byId), 1);
    auto byLibPath = std::make_unique<CPlaylistAddRequest>(msg::PlaylistAddRequest);
    byLibPath->Body().selector.libPath = "\\Music\\Albums\\Deep Cuts";
    m_harness.Send(std::move(byLibPath), 2);
    auto byFile = std::make_unique<CPlaylistAddRequest>(msg::PlaylistAddRequest);
    byFile->Body().selector.path = "/music/file.mp3";
    byFile->Body().position = 0;
    m_harness.Send(std::move(byFile), 3);

    const auto lookups = m_harness.Seen(event::LibraryRequest);
    ASSERT_EQ(lookups.size(), 2u);
    EXPECT_EQ(dynamic_cast<const CMediaItemRequest&>(*lookups[0]).Body().id, 77);
    const auto& browse = dynamic_cast<const CBrowseLibraryRequest&>(*lookups[1]);
    EXPECT_EQ(browse.Body().path, "\\Music\\Albums\\Deep Cuts");

    const auto responses = m_harness.Seen(event::PlayerResponse, msg::PlaylistAddResponse);
    ASSERT_EQ(responses.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& response = dynamic_cast<const CResponseMessage&>(*responses[i]);
        EXPECT_EQ(response.RequestId(), i + 1);
        EXPECT_EQ(response.ReturnCode(), 0);
    }
    std::vector<std::string> paths;
    for (const auto& item : m_harness.Player().PlaylistSnapshot()) {
        paths.push_back(item->path.empty() ? item->name : item->path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/music/file.mp3", "First", "/music/dee/found.mp3",
                                               "Last", "/music/listed.mp3"}));
}

TEST(QueuedActionTableTest, ARepeatedActionIdKeepsItsSlotUnchanged) {
    CLogger logger;
    CQueuedActionTable table(logger);
    EXPECT_EQ(table.Add({7, 3, 30, kActionPlayMedia, -1}), 0);
    EXPECT_EQ(table.Add({8, 4, 40, kActionPlaylistAdd, 2}), 1);
    EXPECT_EQ(table.Add({7, 9, 90, kActionPlaylistAdd, 5}), 0);
    EXPECT_EQ(table.Waiting(), 2);

    const auto first = table.Take(7);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->connectionId, 3);
    EXPECT_EQ(first->requestId, 30);
    EXPECT_EQ(first->kind, kActionPlayMedia);
    EXPECT_FALSE(table.Take(7).has_value());
    // The freed slot is the first one handed out again.
    EXPECT_EQ(table.Add({9, 1, 1, kActionPlayMedia, -1}), 0);
}

TEST_F(PlayerServiceQueueTest, TheFiftyFirstWaitingActionIsNeverAnswered) {
    for (int32_t requestId = 1; requestId <= 51; ++requestId) {
        m_harness.Send(PlayId(requestId), requestId);
    }
    EXPECT_EQ(m_harness.Service().WaitingActions(), CQueuedActionTable::kSlots);
    EXPECT_TRUE(m_harness.Log().Contains(
        "Unable to add CPlayerService queued action - no slots available!"));
    // Its lookup still went out; the library's answer to it finds no slot.
    EXPECT_EQ(m_harness.Seen(event::LibraryRequest).size(), 51u);

    m_harness.AnswerWaiting(ItemAnswer);
    const auto responses = m_harness.Seen(event::PlayerResponse, msg::PlayMediaResponse);
    ASSERT_EQ(responses.size(), 50u);
    for (size_t i = 0; i < responses.size(); ++i) {
        EXPECT_EQ(dynamic_cast<const CResponseMessage&>(*responses[i]).RequestId(),
                  static_cast<int32_t>(i + 1));
    }
    EXPECT_EQ(m_harness.Service().WaitingActions(), 0);
}

// Requests park actions on the channel threads while library replies complete them on the
// library's thread; the table is shared between them (run under the thread sanitizer).
TEST_F(PlayerServiceQueueTest, ActionsQueuedAndCompletedOnManyThreadsAreEachAnsweredOnce) {
    constexpr int kSenders = 4;
    constexpr int kPerSender = 10;
    std::atomic<bool> sending{true};
    std::thread library([&] {
        while (sending || m_harness.Service().WaitingActions() > 0) {
            m_harness.AnswerWaiting(ItemAnswer);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kPerSender; ++i) {
                const int32_t requestId = s * 100 + i;
                m_harness.Send(PlayId(requestId), requestId);
            }
        });
    }
    for (std::thread& sender : senders) sender.join();
    sending = false;
    library.join();

    std::set<int32_t> answered;
    for (const CMessage* message : m_harness.Seen(event::PlayerResponse, msg::PlayMediaResponse)) {
        EXPECT_TRUE(
            answered.insert(dynamic_cast<const CResponseMessage&>(*message).RequestId()).second);
    }
    EXPECT_EQ(answered.size(), static_cast<size_t>(kSenders * kPerSender));
}

TEST_F(PlayerServiceQueueTest, CurrentMediaKnownByPathIsAnsweredAfterTheLibraryReplies) {
    CMediaItem fileOnly;
    fileOnly.path = "/music/dee/found.mp3";
    m_harness.Player().PlayMedia(fileOnly);

    m_harness.Send(msg::GetCurrentMediaRequest, 21);
    EXPECT_TRUE(m_harness.Seen(event::PlayerResponse).empty());
    const auto lookups = m_harness.Seen(event::LibraryRequest, msg::GetMediaItemRequest);
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(dynamic_cast<const CMediaItemRequest&>(*lookups[0]).Body().path,
              "/music/dee/found.mp3");

    m_harness.AnswerWaiting(ItemAnswer);
    const auto* response = dynamic_cast<const CCurrentMediaResponse*>(m_harness.OnlyResponse());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->RequestId(), 21);
    EXPECT_EQ(response->ClientId(), 5);
    EXPECT_EQ(response->ReturnCode(), 0);
    EXPECT_EQ(response->Body().type, kMediaMusic);
    EXPECT_EQ(response->Body().artist, "Dee");
    EXPECT_EQ(response->Body().title, "Found");

    // The same item reported as the new current one is announced after the lookup too.
    m_harness.ClearSeen();
    m_harness.Service().OnCurrentMediaChanged(fileOnly);
    EXPECT_TRUE(m_harness.Seen(event::PlayerBroadcast).empty());
    m_harness.AnswerWaiting(ItemAnswer);
    const auto events = m_harness.Seen(event::PlayerBroadcast, msg::CurrentMediaChangedEvent);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0]->ClientId(), -1);
    EXPECT_EQ(dynamic_cast<const CCurrentMediaEvent&>(*events[0]).Body().album, "Deep Cuts");
}

}  // namespace
}  // namespace vantor
