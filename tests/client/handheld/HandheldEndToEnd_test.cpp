// VantorCE end to end: the real program standing for a 360 x 720 phone on a private X server,
// against the real QRM with its simulated player and a small generated library. Presses land
// where the fitted face shows each control; the test's own link checks that they reached the
// player. A search is typed and its first result played from the long-press menu. The screen
// is turned on its side and back. Screenshots of each step are kept under the build folder
// (handheld-shots/).

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "client/face/FaceState.h"
#include "client/face/SkinPainter.h"
#include "client/handheld/ScreenRules.h"
#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "client/settings/ClientSettings.h"
#include "client/skin/SkinCatalog.h"
#include "platform/Registry.h"
#include "tests/client/desktop/DesktopSession.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace vantor::handheld {
namespace {

using test::WaitUntil;

const std::string kShots = std::string(VANTOR_BINARY_DIR) + "/handheld-shots/";
const std::string kInstall = std::string(VANTOR_HANDHELD_SKINS_ROOT) + "/";

bool Near(unsigned a, unsigned b, int tolerance = 12) {
    return test::NearColour(a, b, tolerance);
}

unsigned Hex(const skin::Rgb& c) {
    return static_cast<unsigned>(c.red << 16 | c.green << 8 | c.blue);
}

class HandheldRemoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(kShots);
        m_registry = test::MakeTempDir("vantor-handheld-");
    }

    void TearDown() override {
        if (m_window.IsRunning()) {
            const int status = m_window.Stop();
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << status << "\n"
                << test::ReadFileText(m_registry + "vantorce.log");
        }
        m_link.Disconnect();
        m_display.Stop();
        std::filesystem::remove_all(m_registry);
    }

    // The remote on a screen of `width` x `height`, connecting at once to `port`.
    void StartRemote(int port, int width, int height) {
        const client::ClientProfile profile = HandheldProfileFor(width, kInstall);
        client::ClientSettings settings = client::ClientSettings::Defaults(profile);
        settings.servers = {"127.0.0.1:" + std::to_string(port)};
        settings.autoConnect = true;
        settings.nowPlayingOnIdle = false;
        settings.discoveryAddress = "127.0.0.1";
        CRegistry registry(m_registry);
        ASSERT_TRUE(settings.Save(registry, profile));
        ASSERT_TRUE(m_skin.Load(skin::DefaultSkinPath(kInstall, profile.vga)));
        m_list = m_skin.FindWindowComponent("playlist.main");
        ASSERT_NE(m_list, nullptr);
        m_width = width;
        m_height = height;
        if (!m_display.Name().empty()) m_display.Stop();
        ASSERT_TRUE(m_display.Start(std::max(width, height), std::max(width, height)));
        ASSERT_TRUE(
            m_window.Start(VANTORCE_PATH, m_display.Name(), m_registry, m_registry + "vantorce.log",
                           {"--screen", std::to_string(width) + "x" + std::to_string(height)}));
        ASSERT_TRUE(m_window.LocateWindow("VantorCE"))
            << test::ReadFileText(m_registry + "vantorce.log");
    }

    // Where the face lies on the main screen (its play list takes the height left).
    face::FaceView View() const {
        const skin::Rect& main = m_skin.FindComponent("main")->norm.destination;
        return FitFace(main.Width(), main.Height(), m_width, m_height - HeaderHeightFor(m_width),
                       true);
    }

    // A point of a component, as a share of its width and height, in window pixels.
    std::pair<int, int> At(const std::string& name, double across = 0.5, double down = 0.5) {
        for (const skin::Component& c : m_skin.Components()) {
            if (c.name != name || !face::SkinPainter::IsActive(c, face::kScreenMain)) continue;
            const skin::Rect r = View().ToArea(c.norm.destination);
            return {r.left + static_cast<int>(r.Width() * across),
                    r.top + static_cast<int>(r.Height() * down)};
        }
        ADD_FAILURE() << "no component " << name;
        return {0, 0};
    }

    void Press(const std::string& name) {
        const auto [x, y] = At(name);
        m_window.Click(x, y);
    }

    // One of the header bar's buttons: the bar spans the width in equal shares (Main, EQ,
    // Library, Search, then the menu).
    void PressHeader(int index) {
        const int header = HeaderHeightFor(m_width);
        m_window.Click(m_width * (2 * index + 1) / 10, m_height - header / 2);
    }

    unsigned Pixel(int x, int y) {
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "pixel.png")) return 0;
        return shot.At(x, y);
    }

    // The main screen is drawn: the volume bar's track where the skin puts it.
    bool OnMain() {
        const auto [x, y] = At("volumebar.back", 0.97);
        const unsigned pixel = Pixel(x, y);
        return Near(pixel, 0x353b47) || Near(pixel, Hex(*m_list->selectColour));
    }

    // The message page: the list's colour from corner to corner, with its text across the
    // middle.
    bool ShowsMessage(int width, int height) {
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "message.png")) return false;
        const unsigned back = Hex(*m_list->backColour);
        if (!Near(shot.At(2, 2), back, 2) || !Near(shot.At(width - 3, height - 3), back, 2))
            return false;
        int ink = 0;
        for (int x = 0; x < width; ++x)
            for (int y = height / 3; y < height * 2 / 3; ++y)
                if (Near(shot.At(x, y), Hex(*m_list->foreColour), 60)) ++ink;
        return ink > 100;
    }

    bool Shot(const std::string& name, int width, int height) {
        return Shot(kShots, name, width, height);
    }
    bool Shot(const std::string& folder, const std::string& name, int width, int height) {
        test::Screenshot shot;
        return shot.Take(m_display.Name(), m_registry + "shot.png") &&
               shot.SaveCrop(0, 0, width, height, folder + name + ".png");
    }

    std::unique_ptr<CResponseMessage> Ask(int32_t type) {
        auto request = client::requests::Plain(type);
        std::unique_ptr<CResponseMessage> response;
        if (m_link.SendAndWait(*request, response) != 0) return nullptr;
        return response;
    }

    int32_t PlayingState() {
        auto r = Ask(msg::GetPlayingStateRequest);
        auto* s = client::ResponseAs<CPlayingStateResponse>(r, msg::GetPlayingStateResponse);
        return s ? s->Body().playingState : -1;
    }

    std::vector<std::string> PlaylistItems() { return test::PlaylistItems(m_link); }

    // The first artist of the library once the server has indexed it.
    std::string FirstArtist() {
        std::string name;
        WaitUntil(
            [&] {
                auto request = client::requests::BrowseLibrary("\\Music\\Artists", 0, 1);
                std::unique_ptr<CResponseMessage> response;
                if (m_link.SendAndWait(*request, response) != 0) return false;
                auto* listing = client::ResponseAs<CBrowseLibraryResponse>(
                    response, msg::BrowseLibraryResponse);
                if (!listing || listing->ReturnCode() != 0 || listing->Body().results.empty())
                    return false;
                name = listing->Body().results[0].name;
                return true;
            },
            30000);
        return name;
    }

    // The library list on the screen, in window pixels.
    skin::Rect LibraryList() const {
        return View().ToArea(m_skin.FindWindowComponent("medialib.tagview")->rect);
    }
    // A hash of the library list's pixels: it changes when another listing is drawn.
    uint64_t ListPixels() {
        const skin::Rect list = LibraryList();
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "list.png")) return 0;
        return shot.Hash(list.left, list.top, list.right, list.bottom);
    }

    int32_t Volume() {
        auto r = Ask(msg::GetVolumeRequest);
        auto* v = client::ResponseAs<CVolumeResponse>(r, msg::GetVolumeResponse);
        return v ? v->Body().volume : -1;
    }

    // Rows of a context menu in the toolkit's default theme at the phone's size.
    static constexpr int kMenuRowHeight = 50;
    skin::Skin m_skin;
    const skin::WindowComponent* m_list = nullptr;
    int m_width = 0;
    int m_height = 0;
    test::VirtualDisplay m_display;
    test::RemoteWindow m_window;
    std::string m_registry;
    client::ServerLink m_link;
};

TEST_F(HandheldRemoteTest, APhoneDrivesThePlayerAndSurvivesTurning) {
    tools::ITunesLibraryOptions library;
    library.tracks = 300;
    ASSERT_TRUE(tools::WriteITunesLibraryFile(library, m_registry + "library.xml"));
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("Paths\\iTunesXML", m_registry + "library.xml");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ASSERT_EQ(m_link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())), 0);
    const std::string artist = FirstArtist();
    ASSERT_FALSE(artist.empty()) << "the library was not indexed";
    StartRemote(qrm.XmlPort(), 360, 720);
    ASSERT_TRUE(WaitUntil([&] { return OnMain(); }, 20000))
        << "no main screen\n"
        << test::ReadFileText(m_registry + "vantorce.log");

    Press("play");
    EXPECT_TRUE(WaitUntil([&] { return PlayingState() == kPlaying; }, 10000)) << "play";
    Shot("1-playing", 360, 720);
    Press("pause");
    EXPECT_TRUE(WaitUntil([&] { return PlayingState() == kPaused; }, 10000)) << "pause";

    // The volume, dragged with a thumb from a tenth to four fifths of the bar.
    const auto [x1, y1] = At("volumebar.back", 0.1);
    const auto [x2, y2] = At("volumebar.back", 0.8);
    m_window.Drag(x1, y1, x2, y2);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(Volume() - 80) <= 2; }, 10000)) << Volume();
    Shot("2-volume", 360, 720);

    // The library from the header bar at the bottom.
    PressHeader(2);
    ASSERT_TRUE(WaitUntil([&] { return !OnMain(); }, 10000)) << "no library";
    Shot("3-library", 360, 720);

    // A search typed after the header's Search button, its results coming by themselves; a
    // long press on the first one opens its menu, and "Play now" plays it.
    const std::vector<std::string> queued = PlaylistItems();
    PressHeader(3);
    const uint64_t before = ListPixels();
    m_window.Type(artist.substr(0, artist.find(' ')));
    ASSERT_TRUE(test::ChangedThenStill([this] { return ListPixels(); }, before))
        << "no search results";
    Shot("4-search", 360, 720);
    const skin::Rect list = LibraryList();
    const int x = list.left + 60;
    const int y = list.top + 12;
    m_window.LongPress(x, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shot("5-menu", 360, 720);
    // The menu opens below and right of the thumb, "Play now" its second entry.
    m_window.Click(x + 60, y + kMenuRowHeight * 3 / 2);
    EXPECT_TRUE(WaitUntil([&] { return PlaylistItems() != queued; }, 10000))
        << "the search result was not played";
    EXPECT_TRUE(WaitUntil([&] { return PlayingState() == kPlaying; }, 10000));
    PressHeader(0);
    ASSERT_TRUE(WaitUntil([&] { return OnMain(); }, 10000)) << "no main screen";
    Press("pause");
    EXPECT_TRUE(WaitUntil([&] { return PlayingState() == kPaused; }, 10000)) << "pause";

    // Turned on its side: the message instead of the screens; turned back: "main" again, not
    // the library shown before.
    m_window.Resize(720, 360);
    EXPECT_TRUE(WaitUntil([&] { return ShowsMessage(720, 360); }, 10000)) << "no message";
    Shot("6-landscape", 720, 360);
    m_window.Resize(360, 720);
    EXPECT_TRUE(WaitUntil([&] { return OnMain(); }, 10000)) << "main not restored";
    // Nothing styled for the wide screen holds the window wider than the screen.
    EXPECT_EQ(m_window.Geometry()["WIDTH"], 360);
    Shot("7-portrait-again", 360, 720);
    EXPECT_EQ(PlayingState(), kPaused);
}

// The pictures of the documentation: the main screen at the handheld's two sizes and on a
// phone, the phone's other screens, and the message of a screen on its side. Taken only when
// VANTOR_DOCS_SHOTS names the folder to write them to (scripts/desktop-screenshots.sh).
TEST_F(HandheldRemoteTest, DocumentationScreenshots) {
    const char* folder = std::getenv("VANTOR_DOCS_SHOTS");
    if (!folder || !*folder) GTEST_SKIP() << "VANTOR_DOCS_SHOTS not set";
    const std::string out = std::string(folder) + "/";
    std::filesystem::create_directories(out);
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ASSERT_EQ(m_link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())), 0);
    m_link.SetPlaylistPosition(1);
    m_link.Play();
    m_link.SetVolume(70);
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); };
    for (const auto& [width, height] : {std::pair{240, 320}, {480, 640}, {360, 720}}) {
        const std::string prefix =
            "handheld-" + std::to_string(width) + "x" + std::to_string(height) + "-";
        StartRemote(qrm.XmlPort(), width, height);
        ASSERT_TRUE(WaitUntil([&] { return OnMain(); }, 20000));
        settle();
        ASSERT_TRUE(Shot(out, prefix + "main", width, height));
        if (width != 360) {
            m_window.Stop();
            continue;
        }
        PressHeader(1);
        settle();
        ASSERT_TRUE(Shot(out, prefix + "eq", width, height));
        PressHeader(2);
        settle();
        ASSERT_TRUE(Shot(out, prefix + "library", width, height));
        PressHeader(0);
        settle();
        Press("nowplaying");
        settle();
        ASSERT_TRUE(Shot(out, prefix + "nowplaying", width, height));
        m_window.Resize(height, width);
        settle();
        ASSERT_TRUE(Shot(out, "handheld-landscape", height, width));
        m_window.Stop();
    }
}

}  // namespace
}  // namespace vantor::handheld
