#include "protocol/ResultCodes.h"
#include "server/library/art/AlbumArtFinder.h"
#include "tests/server/player/PlayerServiceFixture.h"

#include <fstream>

namespace vantor {
namespace {

using test::CPlayerServiceHarness;
using test::Track;

class PlayerServiceRequestsTest : public ::testing::Test {
protected:
    PlayerServiceRequestsTest()
        : m_harness(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    void LoadPlaylist() {
        MediaItemList tracks;
        tracks.push_back(Track("Ana", "One"));
        tracks.push_back(Track("Ben", "Two"));
        tracks.push_back(Track("Cy", "Three"));
        ASSERT_EQ(m_harness.Player().PlaylistAdd(tracks, -1), 0);
    }

    CPlayerServiceHarness m_harness;
};

TEST_F(PlayerServiceRequestsTest, PlayPausePausesOnlyWhilePlaying) {
    LoadPlaylist();
    CSimulatedPlayer& player = m_harness.Player();
    struct Case {
        const char* name;
        std::function<void()> enter;
        int32_t expected;
    };
    const Case cases[] = {
        {"playing", [&] { player.Play(); }, kPaused},
        {"paused", [&] { player.Play(), player.Pause(); }, kPlaying},
        {"stopped", [&] { player.Stop(); }, kPlaying},
        {"fast-forwarding", [&] { player.FastForward(); }, kPlaying},
        {"rewinding", [&] { player.Rewind(); }, kPlaying},
    };
    int32_t requestId = 1;
    for (const Case& c : cases) {
        c.enter();
        m_harness.Send(msg::PlayPauseRequest, requestId++);
        EXPECT_EQ(player.GetPlayingState(), c.expected) << c.name;
    }
}

// Every request with a player operation is answered with the next type, the request's id and
// the operation's result; value getters and the capabilities answer 0 whatever happens.
TEST_F(PlayerServiceRequestsTest, EveryRequestIsAnsweredWithItsTypeIdAndThePlayersResult) {
    LoadPlaylist();
    m_harness.Player().Play();
    constexpr int32_t kFailure = kResultPlayerCommandFailed;
    struct Case {
        int32_t type;
        int32_t resultOnFailure;
    };
    const Case cases[] = {
        {msg::PlayPauseRequest, kFailure},       {msg::PlayRequest, kFailure},
        {msg::PauseRequest, kFailure},           {msg::StopRequest, kFailure},
        {msg::FastForwardRequest, kFailure},     {msg::RewindRequest, kFailure},
        {msg::PreviousItemRequest, kFailure},    {msg::NextItemRequest, kFailure},
        {msg::GetPlaylistPositionRequest, 0},    {msg::SetPlaylistPositionRequest, kFailure},
        {msg::PlaylistRemoveRequest, kFailure},  {msg::PlaylistMoveRequest, kFailure},
        {msg::PlaylistClearRequest, kFailure},   {msg::GetVolumeRequest, 0},
        {msg::SetVolumeRequest, kFailure},       {msg::GetPlayPositionRequest, 0},
        {msg::SetPlayPositionRequest, kFailure}, {msg::GetPlayingStateRequest, 0},
        {msg::GetPlaylistLengthRequest, 0},      {msg::GetPlaylistItemsRequest, 0},
        {msg::GetShuffleStateRequest, 0},        {msg::SetShuffleStateRequest, kFailure},
        {msg::GetRepeatStateRequest, 0},         {msg::SetRepeatStateRequest, kFailure},
        {msg::GetAlbumArtRequest, kFailure},     {msg::GetCurrentMediaRequest, kFailure},
        {msg::GetTrackRatingRequest, kFailure},  {msg::SetTrackRatingRequest, kFailure},
        {msg::GetEqPresetsRequest, kFailure},    {msg::SetEqPresetRequest, kFailure},
        {msg::GetEqRequest, kFailure},           {msg::SetEqRequest, kFailure},
        {msg::GetVideoModeRequest, kFailure},    {msg::SetVideoModeRequest, kFailure},
        {msg::GetPlayerCapabilitiesRequest, 0},
    };
    m_harness.Player().SetFailure(kFailure);
    int32_t requestId = 100;
    for (const Case& c : cases) {
        m_harness.ClearSeen();
        m_harness.Send(c.type, requestId);
        const CResponseMessage* response = m_harness.OnlyResponse();
        ASSERT_NE(response, nullptr) << msg::TypeNameFromId(c.type);
        EXPECT_EQ(response->TypeId(), c.type + 1) << msg::TypeNameFromId(c.type);
        EXPECT_EQ(response->RequestId(), requestId);
        EXPECT_EQ(response->ClientId(), 5);
        EXPECT_EQ(response->ReturnCode(), c.resultOnFailure) << msg::TypeNameFromId(c.type);
        ++requestId;
    }
}

TEST_F(PlayerServiceRequestsTest, ValueResponsesCarryThePlayersValues) {
    LoadPlaylist();
    CSimulatedPlayer& player = m_harness.Player();
    player.SetPlaylistPosition(1);
    player.Play();
    player.SetVolume(37);
    player.SetPlayPosition(42);
    player.SetRepeatState(true);

    m_harness.Send(msg::GetVolumeRequest, 1);
    m_harness.Send(msg::GetPlaylistPositionRequest, 2);
    m_harness.Send(msg::GetPlayPositionRequest, 3);
    m_harness.Send(msg::GetPlayingStateRequest, 4);
    m_harness.Send(msg::GetPlaylistLengthRequest, 5);
    m_harness.Send(msg::GetRepeatStateRequest, 6);
    m_harness.Send(msg::GetShuffleStateRequest, 7);
    m_harness.Send(msg::GetCurrentMediaRequest, 8);

    const auto r = m_harness.Seen(event::PlayerResponse);
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(dynamic_cast<const CVolumeResponse&>(*r[0]).Body().volume, 37);
    EXPECT_EQ(dynamic_cast<const CPositionResponse&>(*r[1]).Body().position, 1);
    EXPECT_EQ(dynamic_cast<const CPositionResponse&>(*r[2]).Body().position, 42);
    EXPECT_EQ(dynamic_cast<const CPlayingStateResponse&>(*r[3]).Body().playingState, kPlaying);
    EXPECT_EQ(dynamic_cast<const CPlaylistLengthResponse&>(*r[4]).Body().length, 3);
    EXPECT_TRUE(dynamic_cast<const CRepeatStateResponse&>(*r[5]).Body().repeatState);
    EXPECT_FALSE(dynamic_cast<const CShuffleStateResponse&>(*r[6]).Body().shuffleState);
    const CCurrentMedia& media = dynamic_cast<const CCurrentMediaResponse&>(*r[7]).Body();
    EXPECT_EQ(media.type, kMediaMusic);
    EXPECT_EQ(media.artist, "Ben");
    EXPECT_EQ(media.album, "Album of Ben");
    EXPECT_EQ(media.title, "Two");
    EXPECT_EQ(media.length, 200);
}

TEST_F(PlayerServiceRequestsTest, SettersReachThePlayer) {
    LoadPlaylist();
    auto volume = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
    volume->Body().volume = 64;
    m_harness.Send(std::move(volume), 1);
    auto move = std::make_unique<CPlaylistMoveRequest>(msg::PlaylistMoveRequest);
    move->Body().position = 0;
    move->Body().newPosition = 2;
    m_harness.Send(std::move(move), 2);
    auto eq = std::make_unique<CEqRequest>(msg::SetEqRequest);
    eq->Body().enabled = true;
    eq->Body().bands[9] = -40;
    m_harness.Send(std::move(eq), 3);

    CSimulatedPlayer& player = m_harness.Player();
    EXPECT_EQ(player.GetVolume(), 64);
    const MediaItemList playlist = player.PlaylistSnapshot();
    ASSERT_EQ(playlist.size(), 3u);
    EXPECT_EQ(playlist[2]->name, "One");
    CEqSettings settings;
    player.GetEq(settings);
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.bands[9], -40);
}

TEST_F(PlayerServiceRequestsTest, PlaylistItemsEchoStartAndGiveTheTotalOnlyWhenAsked) {
    LoadPlaylist();
    struct Case {
        int32_t start;
        int32_t count;
        bool total;
        std::vector<std::string> items;
        int32_t totalCount;
    };
    const Case cases[] = {
        {1, 5, true, {"Ben - Two", "Cy - Three"}, 3},
        {0, 1, false, {"Ana - One"}, -1},
        {3, 2, true, {}, -1},
    };
    int32_t requestId = 1;
    for (const Case& c : cases) {
        m_harness.ClearSeen();
        auto request = std::make_unique<CPlaylistItemsRequest>(msg::GetPlaylistItemsRequest);
        request->Body().start = c.start;
        request->Body().count = c.count;
        request->Body().includeTotalCount = c.total;
        m_harness.Send(std::move(request), requestId++);
        const auto* response =
            dynamic_cast<const CPlaylistItemsResponse*>(m_harness.OnlyResponse());
        ASSERT_NE(response, nullptr);
        EXPECT_EQ(response->Body().start, c.start);
        EXPECT_EQ(response->Body().items, c.items);
        EXPECT_EQ(response->Body().totalCount, c.totalCount);
    }
}

TEST_F(PlayerServiceRequestsTest, UnsupportedRequestsAndRequestsWithoutPlayerGetNoAnswer) {
    for (int32_t type :
         {msg::PressButtonRequest, msg::SkipRequest, msg::ReplayRequest, msg::ShutdownRequest,
          msg::GetRadioPresetsRequest, msg::TuneRadioRequest, msg::PlaySlideShowRequest}) {
        m_harness.Send(type, 1);
    }
    EXPECT_TRUE(m_harness.Seen(event::PlayerResponse).empty());

    // A service whose player could not be made answers nothing, not even the capabilities.
    class CNoPlayerService : public CPlayerService {
    public:
        using CPlayerService::CPlayerService;
        ~CNoPlayerService() override { Stop(); }

    protected:
        std::unique_ptr<IPlayer> CreatePlayer() override { return nullptr; }
    };
    m_harness.Service().Stop();
    CNoPlayerService service(m_harness.Context(), "none", "None");
    service.Start();
    m_harness.Send(msg::GetPlayerCapabilitiesRequest, 2);
    m_harness.Send(msg::PlayRequest, 3);
    EXPECT_TRUE(m_harness.Seen(event::PlayerResponse).empty());
}

TEST_F(PlayerServiceRequestsTest, AlbumArtAddressNamesTheCachedFile) {
    m_harness.Config().SetString("WebAccessPort", "4321", false, true);
    const auto folder = m_harness.Folder() / "music" / "Ana" / "Album of Ana";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "cover.jpg") << "picture";
    auto track = Track("Ana", "One (Live)");
    track->path = (folder / "01 One.mp3").string();
    m_harness.Player().PlayMedia(*track);

    m_harness.Send(msg::GetAlbumArtRequest, 9);
    const auto* response = dynamic_cast<const CAlbumArtResponse*>(m_harness.OnlyResponse());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->ReturnCode(), 0);
    EXPECT_EQ(response->Body().artURL, "http://[0.0.0.0]:4321/art/Ana - Album of Ana.jpg");
    EXPECT_TRUE(std::filesystem::exists(m_harness.Service().AlbumArtFinder().CacheFolder() +
                                        "Ana - Album of Ana.jpg"));

    // A track without a picture anywhere: no address, and the missing-art result.
    m_harness.ClearSeen();
    m_harness.Player().PlayMedia(*Track("Nobody", "Nothing"));
    m_harness.Send(msg::GetAlbumArtRequest, 10);
    response = dynamic_cast<const CAlbumArtResponse*>(m_harness.OnlyResponse());
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->ReturnCode(), kResultNoAlbumArt);
    EXPECT_EQ(response->Body().artURL, "");
}

}  // namespace
}  // namespace vantor
