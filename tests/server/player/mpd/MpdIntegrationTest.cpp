// The real QRM with PlayerType "MPD" over a private mpd and the generated music folder, as a
// client sees it: browsing shows exactly the generated tags, requests change MPD's own
// state, changes made in MPD arrive as events, and MPD going away and coming back is
// survived without the client reconnecting.

#include "protocol/Messages.h"
#include "protocol/ResultCodes.h"
#include "protocol/Xml.h"
#include "tests/server/player/mpd/MpdFixture.h"
#include "tests/support/QrmClient.h"
#include "tests/support/QrmProcess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <functional>
#include <sstream>
#include <thread>

namespace vantor {
namespace {

using test::CMpdInstance;
using test::CMusicFolder;
using test::CQrmClient;
using test::CQrmProcess;
using test::EncodePath;
using test::Eventually;
using test::HttpGet;
using Clock = std::chrono::steady_clock;

class MpdIntegrationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_mpd = CMpdInstance::Shared();
        ASSERT_NE(s_mpd, nullptr) << "no music folder or no mpd";
        s_qrm = new CQrmProcess();
        s_qrm->SetConfig("PlayerType", "MPD");
        s_qrm->SetConfig("MPD\\Host", s_mpd->Host());
        s_qrm->SetConfig("MPD\\Port", std::to_string(s_mpd->Port()));
        s_qrm->SetConfig("MPD\\MusicDirectory", Music().Root());
        ASSERT_TRUE(s_qrm->Start()) << s_qrm->StdioText();
    }
    static void TearDownTestSuite() {
        if (s_qrm) {
            EXPECT_EQ(s_qrm->Stop(), 0) << s_qrm->StdioText();
        }
        delete s_qrm;
        s_qrm = nullptr;
    }
    static const CMusicFolder& Music() { return CMusicFolder::Shared(); }

    void SetUp() override {
        ASSERT_NE(s_qrm, nullptr);
        if (!s_mpd->IsRunning()) {
            ASSERT_TRUE(s_mpd->Start(Music().Tracks().size()));
        }
        s_mpd->Command(
            "command_list_begin\nclear\nstop\nsetvol 50\nrandom 0\nrepeat 0\ncommand_list_end");
        ASSERT_TRUE(m_client.Connect(s_qrm->XmlPort()));
        ASSERT_TRUE(Eventually([&] { return Volume() == 50; }));
        m_client.DropEvents();
    }

    // The first indexing of the library runs after start; browsing answers 21 until then.
    // False when nothing answers at all: this QRM runs without a library service.
    bool WaitForLibrary() {
        bool answered = false;
        const bool indexed = Eventually([&] {
            CBrowseLibraryResponse r(msg::BrowseLibraryResponse);
            if (!Browse("\\Music\\Genres", r)) return !answered;  // give up at once
            answered = true;
            return r.ReturnCode() == kResultSuccess && !r.Body().results.empty();
        });
        return indexed && answered;
    }
    bool HasLibraryService() {
        CBrowseLibraryResponse r(msg::BrowseLibraryResponse);
        return Browse("\\Music", r);
    }
    bool Browse(const std::string& path, CBrowseLibraryResponse& response) {
        CBrowseLibraryRequest request(msg::BrowseLibraryRequest);
        request.Body().path = path;
        return m_client.Call(request, response);
    }
    std::vector<std::string> BrowseNames(const std::string& path, int32_t* code = nullptr,
                                         std::string* answeredPath = nullptr) {
        CBrowseLibraryResponse r(msg::BrowseLibraryResponse);
        std::vector<std::string> names;
        if (!Browse(path, r)) return {"<no answer>"};
        if (code) *code = r.ReturnCode();
        if (answeredPath) *answeredPath = r.Body().path;
        for (const auto& e : r.Body().results) names.push_back(e.name);
        return names;
    }
    int32_t Volume() {
        CRequestMessage request(msg::GetVolumeRequest);
        CVolumeResponse response(msg::GetVolumeResponse);
        return m_client.Call(request, response) ? response.Body().volume : -1;
    }
    static std::vector<std::string> Queue() {
        std::vector<std::string> uris;
        std::istringstream in(s_mpd->Command("playlistinfo"));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("file: ", 0) == 0) uris.push_back(line.substr(6));
        }
        return uris;
    }
    static std::string Uri(const std::string& title) { return Music().Find(title).uri; }
    static std::string Path(const std::string& title) {
        return Music().AbsolutePath(Music().Find(title));
    }
    static bool StatusIs(const std::string& key, const std::string& value) {
        return Eventually([&] { return s_mpd->Status(key) == value; });
    }
    int32_t PlayFile(const std::string& title) {
        CPlayMediaRequest request(msg::PlayMediaRequest);
        request.Body().path = Path(title);
        CResponseMessage response;
        return m_client.Call(request, response) ? response.ReturnCode() : -1;
    }

    static CMpdInstance* s_mpd;
    static CQrmProcess* s_qrm;
    CQrmClient m_client;
};

CMpdInstance* MpdIntegrationTest::s_mpd = nullptr;
CQrmProcess* MpdIntegrationTest::s_qrm = nullptr;

TEST_F(MpdIntegrationTest, BrowsingShowsExactlyTheGeneratedTags) {
    if (!HasLibraryService()) GTEST_SKIP() << "this QRM has no library service";
    ASSERT_TRUE(WaitForLibrary()) << s_qrm->LogText();
    struct Case {
        std::string path;
        std::vector<std::string> names;
        std::string answeredPath;
    };
    const Case cases[] = {
        {"\\Music\\Genres", {"Electronic", "Jazz", "Rock", "Unknown Genre"}, ""},
        {"\\Music\\Genres\\Rock", {"All Tracks", "Basalt", "The Rollers"}, ""},
        {"\\Music\\Artists\\The Rollers", {"All Tracks", "First Light", "Night Drive"}, ""},
        {"\\Music\\Albums\\Blue Rooms", {"Cellar Door", "Late Set"}, ""},
        {"\\Music\\Albums\\First Light", {"Opening", "Second Wind"}, ""},
        // An artist with one album answers with that album's tracks.
        {"\\Music\\Artists\\Kōji Ōta", {"Straße"}, "\\Music\\Artists\\Kōji Ōta\\Über Wellen"},
        {"\\Music\\Genres\\Unknown Genre\\Unknown Artist\\Unknown Album",
         {"field recording.mp3"},
         ""},
        {"\\Music\\Playlists", {"Quiet Evening", "Road Trip"}, ""},
    };
    for (const auto& c : cases) {
        int32_t code = -1;
        std::string answered;
        EXPECT_EQ(BrowseNames(c.path, &code, &answered), c.names) << c.path;
        EXPECT_EQ(code, kResultSuccess) << c.path;
        if (!c.answeredPath.empty()) {
            EXPECT_EQ(answered, c.answeredPath) << c.path;
        }
    }
    int32_t code = -1;
    EXPECT_TRUE(BrowseNames("\\Music\\Genres\\Polka", &code).empty());
    EXPECT_EQ(code, kResultLibraryPathNotFound);
}

TEST_F(MpdIntegrationTest, PlayMediaByLibraryPathPlaysInMpd) {
    if (!HasLibraryService()) GTEST_SKIP() << "this QRM has no library service";
    ASSERT_TRUE(WaitForLibrary()) << s_qrm->LogText();
    CPlayMediaRequest request(msg::PlayMediaRequest);
    request.Body().libPath = "\\Music\\Albums\\Blue Rooms";
    CResponseMessage response;
    ASSERT_TRUE(m_client.Call(request, response));
    EXPECT_EQ(response.ReturnCode(), kResultSuccess);
    EXPECT_TRUE(StatusIs("state", "play"));
    EXPECT_EQ(Queue(), (std::vector<std::string>{Uri("Cellar Door"), Uri("Late Set")}));
    EXPECT_NE(s_mpd->Command("currentsong").find("file: " + Uri("Cellar Door")), std::string::npos);

    CRequestMessage current(msg::GetCurrentMediaRequest);
    CCurrentMediaResponse media(msg::GetCurrentMediaResponse);
    ASSERT_TRUE(Eventually(
        [&] { return m_client.Call(current, media) && media.Body().title == "Cellar Door"; }));
    EXPECT_EQ(media.Body().artist, "Mira Quartet");
    EXPECT_EQ(media.Body().album, "Blue Rooms");
    EXPECT_EQ(media.Body().length, 30);
}

TEST_F(MpdIntegrationTest, RequestsThroughQrmShowUpInMpd) {
    ASSERT_EQ(PlayFile("Opening"), kResultSuccess);
    ASSERT_TRUE(StatusIs("state", "play"));
    auto elapsed = [] { return std::atof(s_mpd->Status("elapsed").c_str()); };

    struct Step {
        const char* what;
        std::function<std::unique_ptr<CRequestMessage>()> request;
        std::function<bool()> inMpd;
    };
    auto withSelector = [](const std::string& path, int32_t position) {
        auto r = std::make_unique<CPlaylistAddRequest>(msg::PlaylistAddRequest);
        r->Body().selector.path = path;
        r->Body().position = position;
        return r;
    };
    const Step steps[] = {
        {"volume",
         [] {
             auto r = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
             r->Body().volume = 35;
             return r;
         },
         [] { return s_mpd->Status("volume") == "35"; }},
        {"shuffle",
         [] {
             auto r = std::make_unique<CShuffleStateRequest>(msg::SetShuffleStateRequest);
             r->Body().shuffleState = true;
             return r;
         },
         [] { return s_mpd->Status("random") == "1"; }},
        {"repeat",
         [] {
             auto r = std::make_unique<CRepeatStateRequest>(msg::SetRepeatStateRequest);
             r->Body().repeatState = true;
             return r;
         },
         [] { return s_mpd->Status("repeat") == "1"; }},
        {"seek",
         [] {
             auto r = std::make_unique<CPositionRequest>(msg::SetPlayPositionRequest);
             r->Body().position = 12;
             return r;
         },
         [&] { return elapsed() >= 12 && elapsed() < 16; }},
        {"append", [&] { return withSelector(Path("Granite"), -1); },
         [] {
             return Queue() == std::vector<std::string>{Uri("Opening"), Uri("Granite")};
         }},
        {"insert", [&] { return withSelector(Path("Straße"), 0); },
         [] {
             return Queue() ==
                    std::vector<std::string>{Uri("Straße"), Uri("Opening"), Uri("Granite")};
         }},
        {"move",
         [] {
             auto r = std::make_unique<CPlaylistMoveRequest>(msg::PlaylistMoveRequest);
             r->Body().position = 0;
             r->Body().newPosition = 2;
             return r;
         },
         [] {
             return Queue() ==
                    std::vector<std::string>{Uri("Opening"), Uri("Granite"), Uri("Straße")};
         }},
        {"remove",
         [] {
             auto r = std::make_unique<CPositionRequest>(msg::PlaylistRemoveRequest);
             r->Body().position = 1;
             return r;
         },
         [] {
             return Queue() == std::vector<std::string>{Uri("Opening"), Uri("Straße")};
         }},
        {"pause", [] { return std::make_unique<CRequestMessage>(msg::PauseRequest); },
         [] { return s_mpd->Status("state") == "pause"; }},
        {"clear", [] { return std::make_unique<CRequestMessage>(msg::PlaylistClearRequest); },
         [] { return Queue().empty(); }},
    };
    for (const auto& step : steps) {
        auto request = step.request();
        CResponseMessage response;
        ASSERT_TRUE(m_client.Call(*request, response)) << step.what;
        EXPECT_EQ(response.ReturnCode(), kResultSuccess) << step.what;
        EXPECT_TRUE(Eventually(step.inMpd)) << step.what;
    }
    EXPECT_TRUE(Eventually([&] { return Volume() == 35; }));
}

TEST_F(MpdIntegrationTest, ChangesMadeInMpdReachTheClientAsEvents) {
    auto intIs = [](const char* element, int32_t value) {
        return [=](const std::string& doc) { return GetElementInt(doc, element) == value; };
    };
    ASSERT_TRUE(s_mpd->Mpc({"volume", "44"}));
    EXPECT_TRUE(m_client.WaitForEvent("VolumeChangedEvent", intIs("volume", 44)));
    ASSERT_TRUE(s_mpd->Mpc({"random", "on"}));
    EXPECT_TRUE(m_client.WaitForEvent("ShuffleStateChangedEvent", [](const std::string& doc) {
        return GetElementBool(doc, "shuffleState");
    }));
    ASSERT_TRUE(s_mpd->Mpc({"random", "off"}));
    ASSERT_TRUE(s_mpd->Mpc({"add", Uri("Headlights")}));
    EXPECT_TRUE(m_client.WaitForEvent("PlaylistChangedEvent", nullptr));
    ASSERT_TRUE(s_mpd->Mpc({"play"}));
    EXPECT_TRUE(m_client.WaitForEvent("CurrentMediaChangedEvent", [](const std::string& doc) {
        return GetElementText(doc, "title") == "Headlights";
    }));
    ASSERT_TRUE(s_mpd->Mpc({"seek", "20"}));
    EXPECT_TRUE(m_client.WaitForEvent("PlayPositionChangedEvent", [](const std::string& doc) {
        const int32_t s = GetElementInt(doc, "position");
        return s >= 20 && s < 24;
    }));
    ASSERT_TRUE(s_mpd->Mpc({"pause"}));
    EXPECT_TRUE(m_client.WaitForEvent("PlayingStateChangedEvent", [](const std::string& doc) {
        return GetElementText(doc, "playingState") == "paused";
    }));
}

TEST_F(MpdIntegrationTest, AlbumArtAndMediaFilesOverHttp) {
    std::string body;
    const std::string web = "http://127.0.0.1:" + std::to_string(s_qrm->HttpPort());
    if (HttpGet(web + "/", body) == 0) GTEST_SKIP() << "this QRM has no HTTP channel";

    // The picture embedded in the playing track, found through MPD.
    ASSERT_EQ(PlayFile("Late Set"), kResultSuccess);
    CRequestMessage current(msg::GetCurrentMediaRequest);
    CCurrentMediaResponse media(msg::GetCurrentMediaResponse);
    ASSERT_TRUE(Eventually(
        [&] { return m_client.Call(current, media) && media.Body().title == "Late Set"; }));
    CRequestMessage art(msg::GetAlbumArtRequest);
    CAlbumArtResponse artResponse(msg::GetAlbumArtResponse);
    ASSERT_TRUE(m_client.Call(art, artResponse));
    const std::string url = artResponse.Body().artURL;
    const size_t at = url.find("/art/");
    ASSERT_NE(at, std::string::npos) << url;
    EXPECT_EQ(HttpGet(web + EncodePath(url.substr(at)), body), 200) << url;
    EXPECT_EQ(body, Music().EmbeddedCover());

    // The file itself, by its library id.
    if (!HasLibraryService()) GTEST_SKIP() << "this QRM has no library service";
    ASSERT_TRUE(WaitForLibrary()) << s_qrm->LogText();
    CBrowseLibraryResponse listing(msg::BrowseLibraryResponse);
    ASSERT_TRUE(Browse("\\Music\\Albums\\Blue Rooms", listing));
    int32_t id = -1;
    for (const auto& e : listing.Body().results) {
        if (e.name == "Late Set") id = e.id;
    }
    ASSERT_GT(id, 0);
    EXPECT_EQ(HttpGet(web + "/media/" + std::to_string(id), body), 200);
    EXPECT_TRUE(body == test::ReadFileText(Path("Late Set")));
}

// Last: it stops and restarts MPD under the running QRM.
TEST_F(MpdIntegrationTest, ZzMpdGoingAwayAnswers102AndIsPickedUpAgain) {
    ASSERT_EQ(PlayFile("Late Set"), kResultSuccess);
    ASSERT_TRUE(StatusIs("state", "play"));
    CTrackRatingRequest rate(msg::SetTrackRatingRequest);
    rate.Body().rating = 60;
    CResponseMessage rated;
    ASSERT_TRUE(Eventually([&] { return m_client.Call(rate, rated) && rated.ReturnCode() == 0; }));

    s_mpd->Stop();
    for (int32_t type :
         {msg::PlayRequest, msg::PauseRequest, msg::NextItemRequest, msg::PlaylistClearRequest}) {
        const auto start = Clock::now();
        EXPECT_TRUE(Eventually([&] { return m_client.Code(type) == kResultPlayerComm; }, 3000))
            << msg::TypeNameFromId(type);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    }

    ASSERT_TRUE(s_mpd->Start(Music().Tracks().size()));
    // Same client connection: the server reconnected to MPD by itself.
    ASSERT_TRUE(Eventually([&] { return PlayFile("Late Set") == kResultSuccess; }));
    EXPECT_TRUE(StatusIs("state", "play"));
    CRequestMessage ask(msg::GetTrackRatingRequest);
    CTrackRatingResponse rating(msg::GetTrackRatingResponse);
    ASSERT_TRUE(Eventually([&] { return m_client.Call(ask, rating) && rating.ReturnCode() == 0; }));
    EXPECT_EQ(rating.Body().rating, 60);
}

}  // namespace
}  // namespace vantor
