// The library browser against the real QRM (simulated player) indexing a generated library
// of 10,000 tracks: pages asked for as rows come into view, opening rows, the history with
// its restored view, search listings, the breadcrumb, a library change, the context menus'
// requests and the album art's download. No display: the view records what it is told.

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>

#include "client/library/AlbumArtFetcher.h"
#include "client/library/LibraryBrowser.h"
#include "client/library/LibraryIcons.h"
#include "client/library/PlaylistRating.h"
#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"
#include "tools/itunes-gen/ITunesLibraryWriter.h"

namespace vantor::client {
namespace {

using test::WaitUntil;

// The link's library answers, kept until the test's thread hands them to the browser (as a
// window posts them to its own thread).
class AnswerQueue : public LinkListener {
public:
    void OnLibraryListingReceived(const std::string&, const CBrowseLibraryResponse& r) override {
        Push([r](LibraryBrowser& b) { b.OnListing(r); });
        ++listings;
    }
    void OnSearchResultsReceived(const CMediaSearchResponse& r) override {
        Push([r](LibraryBrowser& b) { b.OnSearchResults(r); });
    }
    void OnMediaLibraryChanged() override {
        Push([](LibraryBrowser& b) { b.OnLibraryChanged(); });
    }
    // Hands over answers until none arrives for `quietMs`; false when none came at all.
    bool Deliver(LibraryBrowser& browser, int quietMs = 700, int firstMs = 15000) {
        bool any = false;
        for (;;) {
            std::function<void(LibraryBrowser&)> answer;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (!m_changed.wait_for(lock, std::chrono::milliseconds(any ? quietMs : firstMs),
                                        [this] { return !m_answers.empty(); }))
                    return any;
                answer = std::move(m_answers.front());
                m_answers.pop_front();
            }
            answer(browser);
            any = true;
        }
    }
    std::atomic<int> listings{0};

private:
    void Push(std::function<void(LibraryBrowser&)> answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answers.push_back(std::move(answer));
        m_changed.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void(LibraryBrowser&)>> m_answers;
};

// Waits until the server answers the top of the tree, i.e. has indexed its library.
bool WaitUntilIndexed(int port) {
    ServerLink link;
    if (link.Connect("127.0.0.1:" + std::to_string(port)) != 0) return false;
    return WaitUntil(
        [&] {
            auto request = requests::BrowseLibrary("\\", 0, 1);
            std::unique_ptr<CResponseMessage> response;
            if (link.SendAndWait(*request, response) != 0 || !response) return false;
            return response->ReturnCode() == 0;
        },
        120000);
}

class RecordingLibraryView : public LibraryView {
public:
    void ShowListing(const std::string& t, int32_t count) override {
        title = t;
        rows = count;
        shownRows.clear();
        ++listings;
    }
    void ShowRows(int32_t start, int32_t count) override { shownRows.emplace_back(start, count); }
    void RestoreView(int32_t s, int32_t first) override {
        restored = {s, first};
        selected = s;
        firstVisible = first;
    }
    void SetSearchText(const std::string& text) override { searchText = text; }
    int32_t SelectedRow() const override { return selected; }
    int32_t FirstVisibleRow() const override { return firstVisible; }

    std::string title;
    int32_t rows = 0;
    int listings = 0;
    std::vector<std::pair<int32_t, int32_t>> shownRows;
    std::pair<int32_t, int32_t> restored{-2, -2};
    std::string searchText;
    int32_t selected = -1;
    int32_t firstVisible = 0;
};

class LibraryBrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_work = new std::string(test::MakeTempDir("vantor-browser-"));
        tools::ITunesLibraryOptions options;
        options.tracks = 10000;
        ASSERT_TRUE(tools::WriteITunesLibraryFile(options, *s_work + "library.xml"));
        s_qrm = new test::CQrmProcess();
        s_qrm->SetWorkingDirectory(*s_work);
        s_qrm->SetConfig("SimulatedPlayer", "true");
        s_qrm->SetConfig("PlayerType", "iTunes");
        s_qrm->SetConfig("Paths\\iTunesXML", *s_work + "library.xml");
        ASSERT_TRUE(s_qrm->Start()) << s_qrm->StdioText();
        ASSERT_TRUE(WaitUntilIndexed(s_qrm->XmlPort())) << s_qrm->LogText();
    }
    static void TearDownTestSuite() {
        delete s_qrm;
        std::filesystem::remove_all(*s_work);
        delete s_work;
    }

    void SetUp() override {
        m_link.SetListener(&m_answers);
        ASSERT_EQ(m_link.Connect("127.0.0.1:" + std::to_string(s_qrm->XmlPort())), 0);
    }
    void TearDown() override {
        m_link.Disconnect();
        m_link.SetListener(nullptr);
    }

    bool Deliver() { return m_answers.Deliver(m_browser); }

    // The first row named `name` among the rows received.
    int32_t RowNamed(const std::string& name) {
        for (int32_t i = 0; i < m_browser.RowCount(); ++i) {
            const LibraryRow* row = m_browser.Row(i);
            if (row && row->name == name) return i;
        }
        return -1;
    }

    template <class Response>
    std::unique_ptr<CResponseMessage> Ask(std::unique_ptr<CRequestMessage> request) {
        std::unique_ptr<CResponseMessage> response;
        if (m_link.SendAndWait(*request, response) != 0) return nullptr;
        return response;
    }
    int32_t PlaylistLength() {
        auto r = Ask<CResponseMessage>(requests::Plain(msg::GetPlaylistLengthRequest));
        auto* length = ResponseAs<CPlaylistLengthResponse>(r, msg::GetPlaylistLengthResponse);
        return length ? length->Body().length : -1;
    }

    static test::CQrmProcess* s_qrm;
    static std::string* s_work;
    AnswerQueue m_answers;
    ServerLink m_link;
    RecordingLibraryView m_view;
    LibraryBrowser m_browser{m_link, m_view};
};

test::CQrmProcess* LibraryBrowserTest::s_qrm = nullptr;
std::string* LibraryBrowserTest::s_work = nullptr;

TEST_F(LibraryBrowserTest, WalksDownByPagesAndComesBackToTheSameView) {
    m_browser.ShowCurrent();
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_view.title, "Media Library");
    const int32_t artists = RowNamed("Artists");
    ASSERT_GE(artists, 0);
    EXPECT_EQ(IconForRow(*m_browser.Row(artists)), LibraryIcon::kArtists);
    EXPECT_EQ(m_browser.Breadcrumb(), (std::vector<std::string>{"Media Library", "Music"}));

    // Artists: the count from the server, only the first page asked for.
    m_answers.listings = 0;
    ASSERT_TRUE(m_browser.Open(artists));
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_view.title, "Artists");
    EXPECT_EQ(m_browser.Path(), "\\Music\\Artists");
    const int32_t count = m_browser.RowCount();
    ASSERT_GT(count, 500);
    EXPECT_EQ(m_browser.PageCount(), (count + 49) / 50);
    EXPECT_TRUE(m_browser.PageLoaded(0));
    EXPECT_FALSE(m_browser.PageLoaded(1));
    EXPECT_EQ(m_answers.listings, 1);

    // Rows coming into view ask for their page once; the last page holds the rest.
    EXPECT_EQ(m_browser.Row(420), nullptr);
    EXPECT_EQ(m_browser.Row(449), nullptr);
    m_browser.NeedRow(count - 1);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_answers.listings, 3);
    EXPECT_TRUE(m_browser.PageLoaded(8));
    EXPECT_FALSE(m_browser.PageLoaded(7));
    EXPECT_EQ(m_view.shownRows.back(), std::make_pair((count - 1) / 50 * 50, (count - 1) % 50 + 1));

    // Into an artist (with the view scrolled), then back: the same selection and rows.
    m_view.selected = 430;
    m_view.firstVisible = 422;
    const std::string artist = m_browser.Row(430)->name;
    EXPECT_EQ(IconForRow(*m_browser.Row(430)), LibraryIcon::kArtist);
    ASSERT_TRUE(m_browser.Open(430));
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_browser.Path().rfind("\\Music\\Artists\\" + artist, 0), 0u) << m_browser.Path();
    EXPECT_EQ(m_browser.HistoryDepth(), 2u);
    const std::vector<std::string> crumbs = m_browser.Breadcrumb();
    ASSERT_GE(crumbs.size(), 4u);
    EXPECT_EQ(crumbs[3], artist);

    m_view.selected = -1;
    m_view.firstVisible = 0;
    m_answers.listings = 0;
    ASSERT_TRUE(m_browser.Back());
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_view.title, "Artists");
    EXPECT_EQ(m_view.restored, std::make_pair(430, 422));
    EXPECT_EQ(m_answers.listings, 1);  // the page in view, not the first
    EXPECT_TRUE(m_browser.PageLoaded(8));
    EXPECT_FALSE(m_browser.PageLoaded(0));
    EXPECT_EQ(m_browser.Row(430)->name, artist);

    // The breadcrumb's first entry is the top.
    m_browser.BrowseToBreadcrumb(0);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_view.title, "Media Library");
    EXPECT_FALSE(m_browser.Back() && !Deliver());
    EXPECT_EQ(m_view.title, "Artists");
}

TEST_F(LibraryBrowserTest, SearchListingsOpenByCategoryAndAnEmptyFieldLeavesThem) {
    m_browser.ShowCurrent();
    ASSERT_TRUE(Deliver());
    ASSERT_TRUE(m_browser.Open(RowNamed("Artists")));
    ASSERT_TRUE(Deliver());
    const std::string artist = m_browser.Row(7)->name;
    const std::string word = artist.substr(0, artist.find(' '));

    // The placeholder is no search.
    m_answers.listings = 0;
    m_browser.SearchFieldSettled("Search");
    EXPECT_FALSE(m_answers.Deliver(m_browser, 200, 500));

    m_browser.SearchFieldSettled(word);
    ASSERT_TRUE(Deliver());
    EXPECT_EQ(m_view.title, "Search Results");
    EXPECT_TRUE(m_browser.InSearch());
    EXPECT_EQ(m_browser.Path(), "\\Music\\Search\\" + word);
    for (int32_t page = 0; page < m_browser.PageCount(); ++page)
        EXPECT_TRUE(m_browser.PageLoaded(page));
    int32_t found = -1;
    for (int32_t i = 0; i < m_browser.RowCount() && found < 0; ++i)
        if (m_browser.Row(i)->type == kMediaArtist && m_browser.Row(i)->name == artist) found = i;
    ASSERT_GE(found, 0) << word;

    // An artist of the results opens under \Music\Artists, and the field says "Search".
    ASSERT_TRUE(m_browser.Open(found));
    EXPECT_EQ(m_view.searchText, "Search");
    ASSERT_TRUE(Deliver());
    EXPECT_FALSE(m_browser.InSearch());
    EXPECT_EQ(m_browser.Path().rfind("\\Music\\Artists\\" + artist, 0), 0u) << m_browser.Path();

    // Back to the results with their text, then an empty field leaves them.
    ASSERT_TRUE(m_browser.Back());
    EXPECT_EQ(m_view.searchText, word);
    ASSERT_TRUE(Deliver());
    EXPECT_TRUE(m_browser.InSearch());
    m_browser.SearchFieldSettled("");
    ASSERT_TRUE(Deliver());
    EXPECT_FALSE(m_browser.InSearch());
    EXPECT_EQ(m_view.title, "Artists");
    EXPECT_EQ(m_view.searchText, "Search");
}

TEST_F(LibraryBrowserTest, ContextMenusPlayQueueAndRate) {
    m_browser.ShowCurrent();
    ASSERT_TRUE(Deliver());
    ASSERT_TRUE(m_browser.Open(RowNamed("Albums")));
    ASSERT_TRUE(Deliver());
    const int32_t album = 3;
    const std::string albumName = m_browser.Row(album)->name;

    // "Play now" on an album plays its tracks.
    ASSERT_TRUE(m_browser.PlayNow(album));
    ASSERT_TRUE(m_browser.Open(album));
    ASSERT_TRUE(Deliver());
    const int32_t tracks = m_browser.RowCount();
    ASSERT_GT(tracks, 0);
    EXPECT_TRUE(WaitUntil([&] { return PlaylistLength() == tracks; })) << PlaylistLength();

    // "Add to queue" on one track adds that track (not its album).
    const std::string title = m_browser.Row(0)->name;
    ASSERT_NE(m_browser.Row(0)->id, -1);
    ASSERT_TRUE(m_browser.AddToQueue(0));
    EXPECT_TRUE(WaitUntil([&] { return PlaylistLength() == tracks + 1; })) << PlaylistLength();
    auto last = Ask<CResponseMessage>(requests::GetPlaylistItems(tracks, 1));
    auto* items = ResponseAs<CPlaylistItemsResponse>(last, msg::GetPlaylistItemsResponse);
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->Body().items.size(), 1u);
    EXPECT_NE(items->Body().items[0].find(title), std::string::npos) << items->Body().items[0];

    // Rating: three stars are 60, "None" 0; the check mark follows the rating.
    auto rating = [&] {
        auto r = Ask<CResponseMessage>(requests::Plain(msg::GetTrackRatingRequest));
        auto* value = ResponseAs<CTrackRatingResponse>(r, msg::GetTrackRatingResponse);
        return value ? value->Body().rating : -1;
    };
    EXPECT_EQ(RatingEntryText(3), "***");
    ASSERT_EQ(m_link.SetTrackRating(RatingForEntry(3)), 0);
    EXPECT_TRUE(WaitUntil([&] { return rating() == 60; }));
    EXPECT_EQ(RatingEntryFor(rating()), 3);
    ASSERT_EQ(m_link.SetTrackRating(RatingForEntry(0)), 0);
    EXPECT_TRUE(WaitUntil([&] { return rating() == 0; }));
    EXPECT_EQ(RatingEntryText(RatingEntryFor(0)), "None");
    (void)albumName;
}

TEST_F(LibraryBrowserTest, TheSameArtLocationIsDownloadedOnce) {
    ASSERT_TRUE(test::WriteFileText(*s_work + "clients/Late Set.png", "not really a picture"));
    ASSERT_TRUE(test::WriteFileText(*s_work + "clients/other.jpg", "another"));
    const std::string cache = *s_work + "cache/";
    AlbumArtFetcher fetcher(cache);
    // The server names itself 127.0.0.1; the client reached it as "localhost".
    const std::string base = "http://127.0.0.1:" + std::to_string(s_qrm->HttpPort()) + "/clients/";
    AlbumArtFetcher::Outcome first = fetcher.Fetch(base + "Late Set.png", "localhost");
    EXPECT_FALSE(first.unchanged);
    EXPECT_EQ(first.file, cache + "albumart.png");
    EXPECT_EQ(test::ReadFileText(first.file), "not really a picture");
    EXPECT_TRUE(fetcher.Fetch(base + "Late Set.png", "localhost").unchanged);
    EXPECT_EQ(fetcher.Downloads(), 1);
    EXPECT_EQ(fetcher.Fetch(base + "other.jpg", "localhost").file, cache + "albumart.jpg");
    EXPECT_EQ(fetcher.Downloads(), 2);
    // Nothing there: nothing to show, and the next try downloads again.
    EXPECT_EQ(fetcher.Fetch(base + "missing.png", "localhost").file, "");
    EXPECT_EQ(fetcher.Fetch(base + "missing.png", "localhost").file, "");
    EXPECT_EQ(fetcher.Downloads(), 4);
    EXPECT_EQ(fetcher.Fetch("", "localhost").file, "");
}

// Runs last: the library is indexed again from a different file.
TEST_F(LibraryBrowserTest, ZAChangedLibraryRefreshesTheListingInPlace) {
    m_browser.ShowCurrent();
    ASSERT_TRUE(Deliver());
    ASSERT_TRUE(m_browser.Open(RowNamed("Artists")));
    ASSERT_TRUE(Deliver());
    m_view.selected = 120;
    m_view.firstVisible = 110;
    m_browser.NeedRow(120);
    ASSERT_TRUE(Deliver());
    const std::string before = m_browser.Row(120)->name;

    tools::ITunesLibraryOptions options;
    options.tracks = 10000;
    options.seed = 7;
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, *s_work + "library.xml"));
    ASSERT_EQ(m_link.UpdateMediaLibrary(), 0);
    const int listings = m_view.listings;
    ASSERT_TRUE(WaitUntil(
        [&] {
            m_answers.Deliver(m_browser, 100, 100);
            return m_view.listings > listings;
        },
        120000));
    m_answers.Deliver(m_browser);
    EXPECT_EQ(m_browser.Path(), "\\Music\\Artists");
    EXPECT_EQ(m_view.restored, std::make_pair(120, 110));
    ASSERT_NE(m_browser.Row(120), nullptr);
    EXPECT_NE(m_browser.Row(120)->name, before);
}

// A listing of 101 rows: three pages, the third holding one row.
TEST(LibraryBrowserPaging, AHundredAndOneArtistsMakeThreePages) {
    const std::string work = test::MakeTempDir("vantor-browser-101-");
    std::string tracks;
    for (int i = 0; i < 101; ++i) {
        char artist[32];
        std::snprintf(artist, sizeof artist, "Artist %03d", i);
        tracks += "<key>" + std::to_string(i + 1) + "</key><dict><key>Track ID</key><integer>" +
                  std::to_string(i + 1) + "</integer><key>Name</key><string>Song " +
                  std::to_string(i) + "</string><key>Artist</key><string>" + artist +
                  "</string><key>Album</key><string>Album " + std::to_string(i) +
                  "</string><key>Genre</key><string>Rock</string><key>Kind</key><string>MPEG "
                  "audio file</string><key>Total Time</key><integer>200000</integer>"
                  "<key>Location</key><string>file://localhost/C:/Music/" +
                  std::to_string(i) + ".mp3</string></dict>";
    }
    ASSERT_TRUE(test::WriteFileText(
        work + "library.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>Tracks"
        "</key><dict>" +
            tracks + "</dict><key>Playlists</key><array></array></dict></plist>\n"));
    test::CQrmProcess qrm;
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    qrm.SetConfig("Paths\\iTunesXML", work + "library.xml");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    ASSERT_TRUE(WaitUntilIndexed(qrm.XmlPort())) << qrm.LogText();

    AnswerQueue answers;
    ServerLink link;
    link.SetListener(&answers);
    ASSERT_EQ(link.Connect("127.0.0.1:" + std::to_string(qrm.XmlPort())), 0);
    RecordingLibraryView view;
    LibraryBrowser browser(link, view);
    browser.ShowCurrent();
    ASSERT_TRUE(answers.Deliver(browser));
    browser.BrowseToBreadcrumb(0);
    ASSERT_TRUE(answers.Deliver(browser));
    int32_t artists = -1;
    for (int32_t i = 0; i < browser.RowCount(); ++i)
        if (browser.Row(i) && browser.Row(i)->name == "Artists") artists = i;
    ASSERT_TRUE(browser.Open(artists));
    ASSERT_TRUE(answers.Deliver(browser));
    EXPECT_EQ(view.rows, 101);
    EXPECT_EQ(browser.PageCount(), 3);
    browser.NeedRow(100);
    ASSERT_TRUE(answers.Deliver(browser));
    EXPECT_TRUE(browser.PageLoaded(2));
    EXPECT_FALSE(browser.PageLoaded(1));
    EXPECT_EQ(view.shownRows.back(), std::make_pair(100, 1));
    EXPECT_EQ(browser.Row(100)->name, "Artist 100");
    link.Disconnect();
    link.SetListener(nullptr);
    std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace vantor::client
