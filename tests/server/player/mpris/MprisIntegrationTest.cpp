// The real QRM with PlayerType "MPRIS" following mpv on a private session bus, as a client
// sees it: requests reach mpv, changes made with playerctl arrive as events, the current
// media carries the files' tags and its art is the picture in the file, the music folder
// is browsable, and mpv quitting and coming back is survived without the client
// reconnecting.

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "protocol/Xml.h"
#include "tests/server/player/mpris/MprisFixture.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace vantor {
namespace {

using test::CMpvProcess;
using test::CMusicFolder;
using test::CPrivateBus;
using test::CQrmClient;
using test::CQrmProcess;
using test::Eventually;
using test::Playerctl;
using Clock = std::chrono::steady_clock;

class MprisIntegrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!test::MpvWithMprisAvailable()) {
            s_skip = "mpv, its MPRIS plugin or playerctl is not installed";
            return;
        }
        ASSERT_TRUE(Music().Ok()) << "ffmpeg could not generate the music folder";
        s_bus = new CPrivateBus(CPrivateBus::kSession);
        ASSERT_TRUE(s_bus->Start()) << "no private session bus";
        s_mpv = new CMpvProcess();
        ASSERT_TRUE(s_mpv->Start(Playlist())) << "mpv did not appear on the bus";
        s_qrm = new CQrmProcess();
        s_qrm->SetConfig("PlayerType", "MPRIS");
        s_qrm->SetConfig("MPRIS\\MusicDirectory", Music().Root());
        ASSERT_TRUE(s_qrm->Start()) << s_qrm->StdioText();
    }
    static void TearDownTestSuite() {
        if (s_qrm) {
            EXPECT_EQ(s_qrm->Stop(), 0) << s_qrm->StdioText();
        }
        delete s_qrm;
        delete s_mpv;
        delete s_bus;
        s_qrm = nullptr;
        s_mpv = nullptr;
        s_bus = nullptr;
    }
    static const CMusicFolder& Music() { return CMusicFolder::Shared(); }
    static std::string Path(const std::string& title) {
        return Music().AbsolutePath(Music().Find(title));
    }
    static std::vector<std::string> Playlist() {
        return {Path("Opening"), Path("Straße"), Path("Late Set")};
    }

    void SetUp() override {
        if (!s_skip.empty()) GTEST_SKIP() << s_skip;
        ASSERT_NE(s_qrm, nullptr);
        if (!s_mpv->IsRunning()) {
            ASSERT_TRUE(s_mpv->Start(Playlist()));
        }
        ASSERT_TRUE(m_client.Connect(s_qrm->XmlPort()));
        Playerctl({"volume", "0.5"});
        Playerctl({"loop", "None"});
        ASSERT_TRUE(Eventually([&] { return Volume() == 50; })) << s_qrm->LogText();
        m_client.DropEvents();
    }

    int32_t Volume() {
        CRequestMessage request(msg::GetVolumeRequest);
        CVolumeResponse response(msg::GetVolumeResponse);
        return m_client.Call(request, response) ? response.Body().volume : -1;
    }
    int32_t PlayFile(const std::string& title) {
        CPlayMediaRequest request(msg::PlayMediaRequest);
        request.Body().path = Path(title);
        CResponseMessage response;
        return m_client.Call(request, response) ? response.ReturnCode() : -1;
    }
    bool CurrentTitleIs(const std::string& title, CCurrentMediaResponse* out = nullptr) {
        CRequestMessage request(msg::GetCurrentMediaRequest);
        CCurrentMediaResponse media(msg::GetCurrentMediaResponse);
        if (!m_client.Call(request, media) || media.Body().title != title) return false;
        if (out) *out = media;
        return true;
    }
    static bool MpvSays(const std::vector<std::string>& args, const std::string& expected) {
        return Eventually([&] { return Playerctl(args) == expected; }, 5000);
    }

    static std::string s_skip;
    static CPrivateBus* s_bus;
    static CMpvProcess* s_mpv;
    static CQrmProcess* s_qrm;
    CQrmClient m_client;
};

std::string MprisIntegrationTest::s_skip;
CPrivateBus* MprisIntegrationTest::s_bus = nullptr;
CMpvProcess* MprisIntegrationTest::s_mpv = nullptr;
CQrmProcess* MprisIntegrationTest::s_qrm = nullptr;

TEST_F(MprisIntegrationTest, RequestsThroughQrmReachMpv) {
    // Playing a file replaces mpv's playlist; a fresh mpv has three tracks to go through.
    s_mpv->Stop();
    ASSERT_TRUE(s_mpv->Start(Playlist()));
    ASSERT_TRUE(Eventually([&] { return CurrentTitleIs("Opening"); }));
    ASSERT_TRUE(MpvSays({"status"}, "Playing"));
    auto position = [] { return std::atof(Playerctl({"position"}).c_str()); };

    struct Step {
        const char* what;
        std::function<std::unique_ptr<CRequestMessage>()> request;
        std::function<bool()> inMpv;
    };
    const Step steps[] = {
        {"pause", [] { return std::make_unique<CRequestMessage>(msg::PauseRequest); },
         [] { return Playerctl({"status"}) == "Paused"; }},
        {"play", [] { return std::make_unique<CRequestMessage>(msg::PlayRequest); },
         [] { return Playerctl({"status"}) == "Playing"; }},
        {"volume",
         [] {
             auto r = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
             r->Body().volume = 35;
             return r;
         },
         [] { return Playerctl({"volume"}).rfind("0.35", 0) == 0; }},
        {"shuffle",
         [] {
             auto r = std::make_unique<CShuffleStateRequest>(msg::SetShuffleStateRequest);
             r->Body().shuffleState = true;
             return r;
         },
         nullptr},  // mpv's plugin reports Shuffle as always on: nothing to observe
        {"loop",
         [] {
             auto r = std::make_unique<CRepeatStateRequest>(msg::SetRepeatStateRequest);
             r->Body().repeatState = true;
             return r;
         },
         [] { return Playerctl({"loop"}) == "Playlist"; }},
        {"seek",
         [] {
             auto r = std::make_unique<CPositionRequest>(msg::SetPlayPositionRequest);
             r->Body().position = 12;
             return r;
         },
         [&] { return position() >= 12 && position() < 16; }},
        {"next", [] { return std::make_unique<CRequestMessage>(msg::NextItemRequest); },
         [] { return Playerctl({"metadata", "xesam:title"}) == "Straße"; }},
    };
    for (const auto& step : steps) {
        auto request = step.request();
        CResponseMessage response;
        ASSERT_TRUE(m_client.Call(*request, response)) << step.what;
        EXPECT_EQ(response.ReturnCode(), kResultSuccess) << step.what;
        if (step.inMpv) {
            EXPECT_TRUE(Eventually(step.inMpv, 5000)) << step.what;
        }
    }
    // What MPRIS cannot do is said plainly.
    EXPECT_EQ(m_client.Code(msg::PlaylistClearRequest), kResultNotSupported);
    CTrackRatingRequest rate(msg::SetTrackRatingRequest);
    rate.Body().rating = 60;
    CResponseMessage rated;
    ASSERT_TRUE(m_client.Call(rate, rated));
    EXPECT_EQ(rated.ReturnCode(), kResultNotSupported);
}

TEST_F(MprisIntegrationTest, ChangesMadeWithPlayerctlReachTheClientAsEvents) {
    ASSERT_EQ(PlayFile("Opening"), kResultSuccess);
    ASSERT_TRUE(Eventually([&] { return CurrentTitleIs("Opening"); }));
    m_client.DropEvents();
    auto intIs = [](const char* element, int32_t value) {
        return [=](const std::string& doc) { return GetElementInt(doc, element) == value; };
    };
    ASSERT_NE(Playerctl({"volume", "0.44"}), "<failed>");
    EXPECT_TRUE(m_client.WaitForEvent("VolumeChangedEvent", intIs("volume", 44)));
    ASSERT_NE(Playerctl({"loop", "Track"}), "<failed>");
    EXPECT_TRUE(m_client.WaitForEvent("RepeatStateChangedEvent", [](const std::string& doc) {
        return GetElementBool(doc, "repeatState");
    }));
    ASSERT_NE(Playerctl({"open", "file://" + test::EncodePath(Path("Late Set"))}), "<failed>");
    EXPECT_TRUE(m_client.WaitForEvent("CurrentMediaChangedEvent", [](const std::string& doc) {
        return GetElementText(doc, "title") == "Late Set";
    }));
    ASSERT_NE(Playerctl({"position", "20"}), "<failed>");
    EXPECT_TRUE(m_client.WaitForEvent("PlayPositionChangedEvent", [](const std::string& doc) {
        const int32_t s = GetElementInt(doc, "position");
        return s >= 19 && s < 24;
    }));
    ASSERT_NE(Playerctl({"pause"}), "<failed>");
    EXPECT_TRUE(m_client.WaitForEvent("PlayingStateChangedEvent", [](const std::string& doc) {
        return GetElementText(doc, "playingState") == "paused";
    }));
}

TEST_F(MprisIntegrationTest, CurrentMediaHasTheTagsAndItsArtIsThePictureInTheFile) {
    ASSERT_EQ(PlayFile("Straße"), kResultSuccess);
    CCurrentMediaResponse media(msg::GetCurrentMediaResponse);
    ASSERT_TRUE(Eventually([&] { return CurrentTitleIs("Straße", &media); }));
    EXPECT_EQ(media.Body().artist, "Kōji Ōta");
    EXPECT_EQ(media.Body().album, "Über Wellen");
    EXPECT_EQ(media.Body().length, 30);

    ASSERT_EQ(PlayFile("Late Set"), kResultSuccess);
    ASSERT_TRUE(Eventually([&] { return CurrentTitleIs("Late Set"); }));
    std::string body;
    const std::string web = "http://127.0.0.1:" + std::to_string(s_qrm->HttpPort());
    if (test::HttpGet(web + "/", body) == 0) GTEST_SKIP() << "this QRM has no HTTP channel";
    CRequestMessage art(msg::GetAlbumArtRequest);
    CAlbumArtResponse artResponse(msg::GetAlbumArtResponse);
    ASSERT_TRUE(m_client.Call(art, artResponse));
    const std::string url = artResponse.Body().artURL;
    const size_t at = url.find("/art/");
    ASSERT_NE(at, std::string::npos) << url;
    EXPECT_EQ(test::HttpGet(web + test::EncodePath(url.substr(at)), body), 200) << url;
    EXPECT_TRUE(body == Music().EmbeddedCover());
}

TEST_F(MprisIntegrationTest, TheMusicFolderIsBrowsableAndPlaysInMpv) {
    CBrowseLibraryResponse listing(msg::BrowseLibraryResponse);
    ASSERT_TRUE(Eventually([&] {
        CBrowseLibraryRequest request(msg::BrowseLibraryRequest);
        request.Body().path = "\\Music\\Albums\\Blue Rooms";
        return m_client.Call(request, listing) && listing.ReturnCode() == kResultSuccess;
    })) << s_qrm->LogText();
    std::vector<std::string> names;
    for (const auto& e : listing.Body().results) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Cellar Door", "Late Set"}));

    CPlayMediaRequest play(msg::PlayMediaRequest);
    play.Body().libPath = "\\Music\\Artists\\Kōji Ōta";
    CResponseMessage played;
    ASSERT_TRUE(m_client.Call(play, played));
    EXPECT_EQ(played.ReturnCode(), kResultSuccess);
    EXPECT_TRUE(MpvSays({"metadata", "xesam:title"}, "Straße"));
}

// Last: it quits and restarts mpv under the running QRM.
TEST_F(MprisIntegrationTest, ZzMpvQuittingAnswers102AndIsPickedUpAgain) {
    ASSERT_EQ(PlayFile("Opening"), kResultSuccess);
    ASSERT_TRUE(Eventually([&] { return CurrentTitleIs("Opening"); }));
    s_mpv->Stop();
    EXPECT_TRUE(m_client.WaitForEvent("PlayingStateChangedEvent", [](const std::string& doc) {
        return GetElementText(doc, "playingState") == "stopped";
    }));
    for (int32_t type : {msg::PlayRequest, msg::PauseRequest, msg::NextItemRequest}) {
        const auto start = Clock::now();
        EXPECT_EQ(m_client.Code(type), kResultPlayerComm) << msg::TypeNameFromId(type);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(1)) << msg::TypeNameFromId(type);
    }
    CRequestMessage current(msg::GetCurrentMediaRequest);
    CCurrentMediaResponse gone(msg::GetCurrentMediaResponse);
    ASSERT_TRUE(m_client.Call(current, gone));
    EXPECT_EQ(gone.ReturnCode(), kResultPlayerComm);

    ASSERT_TRUE(s_mpv->Start(Playlist()));
    // Same client connection: the server followed mpv again by itself.
    ASSERT_TRUE(Eventually([&] { return PlayFile("Late Set") == kResultSuccess; }));
    EXPECT_TRUE(MpvSays({"metadata", "xesam:title"}, "Late Set"));
    EXPECT_TRUE(Eventually([&] { return CurrentTitleIs("Late Set"); }));
}

}  // namespace
}  // namespace vantor
