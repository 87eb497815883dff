// VantorPC's library browser, dialogs and settings sheet end to end: the real program on a
// private X server against the real QRM indexing a generated library of 10,000 tracks. The
// test browses, plays and queues from the context menus, searches by typing, opens the
// breadcrumb, rates the playing track, picks an equaliser preset in its dialog, binds a key
// and changes the skin in the settings sheet, checking each effect through its own link.
// Then the client update in the window: an offered update started, a wrong checksum shown
// and survived. Screenshots of every step go to desktop-shots/.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "client/face/DialogLayout.h"
#include "client/update/FileDigest.h"
#include "tests/client/desktop/DesktopFixture.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace vantor {
namespace {

using test::WaitUntil;

class DesktopLibraryTest : public DesktopRemoteTest {
protected:
    static void SetUpTestSuite() {
        s_work = new std::string(test::MakeTempDir("vantor-desktop-library-"));
        tools::ITunesLibraryOptions options;
        options.tracks = 10000;
        ASSERT_TRUE(tools::WriteITunesLibraryFile(options, *s_work + "library.xml"));
    }
    static void TearDownTestSuite() {
        std::filesystem::remove_all(*s_work);
        delete s_work;
    }

    void StartServer(bool withLibrary) {
        m_qrm.SetWorkingDirectory(*s_work);
        m_qrm.SetConfig("SimulatedPlayer", "true");
        m_qrm.SetConfig("PlayerType", "iTunes");
        if (withLibrary) m_qrm.SetConfig("Paths\\iTunesXML", *s_work + "library.xml");
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        ConnectOwnLink(m_qrm.XmlPort());
    }

    // The library's listing of `path` as the test's own link reads it.
    std::vector<CLibraryEntry> Listing(const std::string& path, int count = 50) {
        auto request = client::requests::BrowseLibrary(path, 0, count);
        std::unique_ptr<CResponseMessage> response;
        if (m_link.SendAndWait(*request, response) != 0) return {};
        auto* listing =
            client::ResponseAs<CBrowseLibraryResponse>(response, msg::BrowseLibraryResponse);
        if (!listing || listing->ReturnCode() != 0) return {};
        return listing->Body().results;
    }
    static int IndexOf(const std::vector<CLibraryEntry>& rows, const std::string& name) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].name == name) return static_cast<int>(i);
        return -1;
    }

    std::vector<std::string> PlaylistItems() { return test::PlaylistItems(m_link); }
    int32_t Position() {
        auto r = Ask(msg::GetPlaylistPositionRequest);
        auto* p = client::ResponseAs<CPositionResponse>(r, msg::GetPlaylistPositionResponse);
        return p ? p->Body().position : -1;
    }
    CEqSettings Eq() {
        auto r = Ask(msg::GetEqRequest);
        auto* eq = client::ResponseAs<CEqResponse>(r, msg::GetEqResponse);
        return eq ? eq->Body() : CEqSettings{};
    }

    // A hash of the library list's pixels: it changes when another listing is drawn.
    uint64_t ListPixels() {
        const skin::Rect& list = m_skin.FindWindowComponent("medialib.tagview")->rect;
        test::Screenshot shot;
        if (!shot.Take(m_display.Name(), m_registry + "list.png")) return 0;
        const int x = m_window.FaceX();
        const int y = m_window.FaceY();
        return shot.Hash(x + list.left, y + list.top, x + list.right, y + list.bottom);
    }
    // Waits until the list shows something else than `before`, then until it holds still.
    bool ListChanged(uint64_t before) {
        return test::ChangedThenStill([this] { return ListPixels(); }, before);
    }

    // The row's place in the library list (face coordinates), rows counted from the top.
    void LibraryRow(int row, int& x, int& y) {
        const skin::Rect& list = m_skin.FindWindowComponent("medialib.tagview")->rect;
        x = list.left + 60;
        y = list.top + kRowHeight * row + kRowHeight / 2;
    }
    // Opens the row by selecting it and pressing Enter; waits for the new listing.
    void OpenRow(int row) {
        int x = 0;
        int y = 0;
        LibraryRow(row, x, y);
        m_window.Click(x, y);
        const uint64_t before = ListPixels();
        m_window.KeyToFocus("Return");
        ASSERT_TRUE(ListChanged(before)) << "row " << row << " did not open";
    }
    // The library row's context menu, and its entry `entry` (0 "Add to queue", 1 "Play now").
    void LibraryMenu(int row, int entry) {
        int x = 0;
        int y = 0;
        LibraryRow(row, x, y);
        m_window.Click(x, y, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i <= entry; ++i) m_window.KeyToFocus("Down");
        m_window.KeyToFocus("Return");
    }

    // Rows of the skinned lists, and the settings sheet's places from its top-left corner
    // (the toolkit's default theme, as the remote runs in the tests).
    // Releases the pointer on a dialog's button; the dialog must be open.
    void DialogButton(const face::DialogLayout& layout, const std::string& name) {
        int dx = 0;
        int dy = 0;
        ASSERT_TRUE(m_window.WindowAt(face::kDialogTitle, dx, dy));
        for (const face::DialogButton& button : layout.buttons)
            if (button.name == name)
                m_window.Click(dx + (button.box.left + button.box.right) / 2,
                               dy + (button.box.top + button.box.bottom) / 2);
    }

    static constexpr int kRowHeight = 22;
    static constexpr int kDialogRowHeight = 23;
    static constexpr int kTabY = 20;
    static constexpr int kSkinsTabX = 123;
    static constexpr int kButtonsTabX = 198;
    static constexpr int kFirstActionY = 133;
    static constexpr int kActionRowHeight = 23;
    static constexpr int kFirstSkinY = 108;
    static std::string* s_work;
    test::CQrmProcess m_qrm;
};

std::string* DesktopLibraryTest::s_work = nullptr;

TEST_F(DesktopLibraryTest, BrowsesPlaysSearchesRatesAndIsSetUp) {
    StartServer(true);
    ASSERT_TRUE(WaitUntil([&] { return !Listing("\\").empty(); }, 120000)) << "not indexed";
    WriteSettings(m_qrm.XmlPort(), true);
    StartRemote();
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 20000)) << "no main screen";

    // Artists -> the first artist -> an album of it.
    uint64_t before = ListPixels();
    m_window.Key("alt+l");
    ASSERT_TRUE(ListChanged(before));
    Shot("library-top", 1, true);
    // The top of the tree is \Music.
    const std::vector<CLibraryEntry> music = Listing("\\Music");
    ASSERT_GE(IndexOf(music, "Artists"), 0);
    OpenRow(IndexOf(music, "Artists"));
    Shot("library-artists", 1, true);
    const std::vector<CLibraryEntry> artists = Listing("\\Music\\Artists");
    ASSERT_FALSE(artists.empty());
    OpenRow(0);
    const std::string artistPath = "\\Music\\Artists\\" + artists[0].name;
    const std::vector<CLibraryEntry> albums = Listing(artistPath);
    int album = -1;
    for (size_t i = 0; i < albums.size() && album < 0; ++i)
        if (albums[i].type == kMediaAlbum && albums[i].name != "All Tracks")
            album = static_cast<int>(i);
    ASSERT_GE(album, 0) << artistPath;
    Shot("library-artist", 1, true);

    // "Play now" on the album: the artist's tracks of it become the play list.
    const std::vector<CLibraryEntry> tracks = Listing(artistPath + "\\" + albums[album].name, 1000);
    const size_t albumTracks = tracks.size();
    ASSERT_GT(albumTracks, 0u);
    LibraryMenu(album, 1);
    ASSERT_TRUE(WaitUntil([&] { return PlaylistItems().size() == albumTracks; }))
        << PlaylistItems().size() << " of " << albumTracks;
    EXPECT_NE(PlaylistItems()[0].find(tracks[0].name), std::string::npos);

    // Into the album, and "Add to queue" on its first track.
    OpenRow(album);
    Shot("library-album", 1, true);
    LibraryMenu(0, 0);
    ASSERT_TRUE(WaitUntil([&] { return PlaylistItems().size() == albumTracks + 1; }));
    EXPECT_NE(PlaylistItems().back().find(tracks[0].name), std::string::npos);

    // Search by typing: the results come by themselves; "Play now" on the first one.
    const std::string word = artists[0].name.substr(0, artists[0].name.find(' '));
    const skin::Rect& search = m_skin.FindWindowComponent("medialib.search")->rect;
    m_window.Click((search.left + search.right) / 2, (search.top + search.bottom) / 2);
    before = ListPixels();
    m_window.Type(word);
    ASSERT_TRUE(ListChanged(before)) << "no search results for " << word;
    Shot("library-search", 1, true);
    LibraryMenu(0, 1);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<std::string> items = PlaylistItems();
        return !items.empty() && items.size() != albumTracks + 1;
    })) << "the search result was not played";

    // The breadcrumb: the header's library button on the library screen; its first entry
    // goes to the top of the tree.
    m_window.Key("alt+l");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Shot("library-breadcrumb", 1, true);
    before = ListPixels();
    m_window.KeyToFocus("Down");
    m_window.KeyToFocus("Return");
    ASSERT_TRUE(ListChanged(before)) << "the breadcrumb did not browse";

    // Rating the playing track from the play list's menu: three stars are 60.
    m_window.Key("alt+m");
    ASSERT_TRUE(WaitUntil([&] { return OnDeck(); }, 10000));
    const skin::Rect& main = m_skin.FindWindowComponent("playlist.main")->rect;
    m_window.Click(main.left + 60, main.top + kRowHeight / 2, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const char* key : {"Down", "Down", "Down", "Right", "Down", "Down", "Down"})
        m_window.KeyToFocus(key);
    Shot("rating-menu", 1, true);
    m_window.KeyToFocus("Return");
    EXPECT_TRUE(WaitUntil([&] {
        auto r = Ask(msg::GetTrackRatingRequest);
        auto* rating = client::ResponseAs<CTrackRatingResponse>(r, msg::GetTrackRatingResponse);
        return rating && rating->Body().rating == 60;
    })) << "rating";

    // An equaliser preset from its dialog: the second preset, then OK.
    const CEqSettings flat = Eq();
    m_window.Key("alt+e");
    ASSERT_TRUE(WaitUntil(
        [&] { return Near(FacePixel(Rect("eq").left + 20, Rect("eq").top + 60), 0x1f232b, 6); },
        10000));
    Click("eq.presets", face::kScreenEq);
    const face::DialogLayout presets =
        face::LayoutDialog(face::DialogKind::kSelectEqPreset, m_skin, {});
    int dx = 0;
    int dy = 0;
    ASSERT_TRUE(m_window.WindowAt(face::kDialogTitle, dx, dy));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_window.Click(dx + presets.list.left + 40, dy + presets.list.top + kDialogRowHeight * 3 / 2);
    Shot("eq-presets", 1, true);
    DialogButton(presets, face::kDialogOk);
    EXPECT_TRUE(WaitUntil([&] { return Eq().bands != flat.bands; })) << "no preset applied";

    // Save Playlist: a new name is kept; the same name again is refused, and the user told.
    const face::DialogLayout save = face::LayoutDialog(face::DialogKind::kSavePlaylist, m_skin, {});
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_window.Key("alt+f");
        m_window.KeyToFocus("s");
        ASSERT_TRUE(m_window.WindowAt(face::kDialogTitle, dx, dy));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        m_window.TypeToFocus("Road Trip");
        if (attempt == 0) Shot("save-playlist", 1, true);
        DialogButton(save, face::kDialogOk);
        if (attempt == 0) {
            ASSERT_FALSE(m_window.WindowAt("Save Playlist", dx, dy, 1500)) << "not saved";
        }
    }
    ASSERT_TRUE(m_window.WindowAt("Save Playlist", dx, dy)) << "a taken name was not told";
    Shot("save-playlist-taken", 1, true);
    m_window.KeyToWindow("Save Playlist", "Return");

    // The settings sheet: "Next Song" bound to N on the Buttons page, then N pressed.
    m_window.Key("alt+f");
    m_window.KeyToFocus("t");
    int sx = 0;
    int sy = 0;
    ASSERT_TRUE(m_window.WindowAt("Vantor Settings", sx, sy));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    m_window.Click(sx + kButtonsTabX, sy + kTabY);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_window.DoubleClick(sx + 60, sy + kFirstActionY + kActionRowHeight * 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shot("settings-waiting", 1, true);
    m_window.KeyToFocus("n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shot("settings-bound", 1, true);
    // The skin, on the Skins page: "daylight" is applied at once.
    m_window.Click(sx + kSkinsTabX, sy + kTabY);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    m_window.Click(sx + 60, sy + kFirstSkinY);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    Shot("settings-skin", 1, true);
    m_window.KeyToFocus("Escape");
    ASSERT_TRUE(WaitUntil([&] {
        client::ClientProfile profile = client::ClientProfile::Desktop();
        CRegistry registry(m_registry);
        client::ClientSettings saved = client::ClientSettings::Defaults(profile);
        saved.Load(registry, profile);
        return saved.skinFilePath.find("daylight") != std::string::npos &&
               saved.bindings.Binding(4).keyCode == 'N';
    })) << test::ReadFileText(m_registry + "vantorpc.log");
    Shot("daylight-main", 1, true);
    CMediaSelector artistTracks;
    artistTracks.libPath = artistPath;
    ASSERT_EQ(m_link.PlayMedia(artistTracks), 0);
    ASSERT_TRUE(WaitUntil([&] { return PlaylistItems().size() > 1 && Position() == 0; }));
    const int32_t position = Position();
    m_window.Key("n");
    EXPECT_TRUE(WaitUntil([&] { return Position() == position + 1; })) << Position();
}

// The client update in the window: the question, the installer downloaded, checked and
// started (and the remote gone); then a wrong checksum, its error box, and the remote going
// on to its main screen.
TEST_F(DesktopLibraryTest, UpdatesFromTheServerOrGoesOnAfterAnError) {
    const std::string install = test::MakeTempDir("vantor-desktop-install-");
    const std::string installer =
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/started.txt\"\n";
    ASSERT_TRUE(test::WriteFileText(*s_work + "clients/setup.sh", installer));
    const std::string checksum = client::Md5OfFile(*s_work + "clients/setup.sh");
    auto describe = [&](const std::string& sum) {
        ASSERT_TRUE(test::WriteFileText(
            *s_work + "clients/linux.xml",
            "<VersionInformation><Name>Vantor</Name><Version>1.1.0.0</Version><Parameters>"
            "--quiet</Parameters><UpdateURL>setup.sh</UpdateURL><Checksum>" +
                sum + "</Checksum></VersionInformation>"));
    };
    StartServer(false);
    const std::string skin = kSkins + "/skins/default/default.xml";
    WriteSettings(m_qrm.XmlPort(), true, skin, install);

    // A wrong checksum: the error box, then the main screen.
    std::string wrong = checksum;
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    describe(wrong);
    StartRemote();
    int x = 0;
    int y = 0;
    ASSERT_TRUE(m_window.WindowAt("Update Available", x, y, 20000));
    Shot("update-question", 1, true);
    m_window.KeyToWindow("Update Available", "Return");
    ASSERT_TRUE(m_window.WindowAt("Error Applying Update", x, y, 20000));
    Shot("update-error", 1, true);
    m_window.KeyToWindow("Error Applying Update", "Return");
    EXPECT_TRUE(WaitUntil([&] { return OnDeck(); }, 20000)) << "no main screen after the error";
    EXPECT_FALSE(std::filesystem::exists(install + "started.txt"));
    EXPECT_TRUE(m_window.IsRunning());
    ASSERT_EQ(m_window.Stop(), 0);

    // The right checksum: started with its parameters, and the remote ends by itself.
    describe(checksum);
    StartRemote();
    ASSERT_TRUE(m_window.WindowAt("Update Available", x, y, 20000));
    m_window.KeyToWindow("Update Available", "Return");
    EXPECT_TRUE(WaitUntil(
        [&] { return test::ReadFileText(install + "started.txt") == "--quiet\n"; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return !m_window.IsRunning(); }, 20000)) << "still running";
    EXPECT_EQ(test::ReadFileText(install + "setup.sh"), installer);
    std::filesystem::remove_all(install);
}

}  // namespace
}  // namespace vantor
