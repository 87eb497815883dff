#include "server/library/MediaLibrary.h"
#include "protocol/LibraryMessages.h"
#include "protocol/ResultCodes.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/ServerContext.h"
#include "server/library/MediaLibraryService.h"
#include "server/library/MediaReaderMessages.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "server/library/store/SQLiteMDS.h"
#include "server/library/tree/MediaTree.h"
#include "tests/server/library/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <thread>

namespace vantor {
namespace {

using namespace std::chrono_literals;

// Hands over a fixed set of tracks; can hold the update at its start until released.
class FakeReader : public IMediaReader {
public:
    explicit FakeReader(std::vector<CMusicItem> tracks, bool holdFirstRead = false)
        : m_tracks(std::move(tracks)), m_hold(holdFirstRead) {}
    int Rescan() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        rescansBeforeRead.push_back(reads);
        return 0;
    }
    int Read() override {
        ClearStop();
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++reads;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return !m_hold || IsStopping(); });
        }
        for (const CMusicItem& track : Tracks()) {
            if (IsStopping()) return 1;
            if (Owner() != nullptr) Owner()->AddItem(track);
        }
        return 0;
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hold = false;
        m_changed.notify_all();
    }
    void WakeForStop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_changed.notify_all();
    }
    void WaitForRead(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_for(lock, 10s, [&] { return reads >= count; });
    }
    void SetTracks(std::vector<CMusicItem> tracks) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tracks = std::move(tracks);
    }
    std::mutex& Mutex() { return m_mutex; }
    std::vector<CMusicItem> Tracks() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_tracks;
    }
    int reads = 0;                       // guarded by m_mutex
    std::vector<int> rescansBeforeRead;  // reads done when each rescan came; guarded by m_mutex

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CMusicItem> m_tracks;
    bool m_hold;
};

class CountingListener : public IMediaLibraryListener {
public:
    void OnMediaLibraryChanged() override { ++changes; }
    std::atomic<int> changes{0};
};

std::vector<CMusicItem> Tracks(int n, const std::string& genre) {
    std::vector<CMusicItem> tracks;
    for (int i = 0; i < n; ++i) {
        tracks.push_back(test::Track("Track " + std::to_string(i),
                                     "Artist " + std::to_string(i % 7),
                                     "Album " + std::to_string(i % 11), genre));
    }
    return tracks;
}

int32_t TrackCount(CMediaLibrary& library) {
    MediaItemList tracks;
    int32_t total = -1;
    library.Store()->GetAudioTracks(tracks, false, -1, -1, -1, 0, 1, &total);
    return total;
}

TEST(MediaLibraryThreaded, UpdateReplacesTheLibraryAndTellsTheListener) {
    test::TempFolder folder;
    test::TestLogger log;
    FakeReader* reader = nullptr;
    CMediaLibrary library(log.logger, folder.Path(), [&] {
        auto made = std::make_unique<FakeReader>(Tracks(30, "Rock"));
        reader = made.get();
        return made;
    });
    CountingListener listener;
    ASSERT_EQ(library.Start(&listener), 0);
    library.WaitForUpdate();
    EXPECT_EQ(listener.changes.load(), 1);
    EXPECT_EQ(TrackCount(library), 30);
    EXPECT_TRUE(log.sink.Contains("Media Library Update Started"));
    EXPECT_TRUE(log.sink.Contains("Media Library Update Finished"));
    EXPECT_FALSE(std::filesystem::exists(library.TemporaryPath()));

    // Extra readers are fed after the player's own, once each.
    FakeReader extra(Tracks(5, "Jazz"));
    EXPECT_TRUE(library.AddReader(&extra));
    EXPECT_FALSE(library.AddReader(&extra));
    std::vector<std::unique_ptr<FakeReader>> more;
    for (int i = 0; i < 4; ++i) {
        more.push_back(std::make_unique<FakeReader>(std::vector<CMusicItem>{}));
        EXPECT_TRUE(library.AddReader(more.back().get()));
    }
    FakeReader sixth({});
    EXPECT_FALSE(library.AddReader(&sixth));
    reader->SetTracks(Tracks(10, "Rock"));
    library.StartUpdate();
    library.WaitForUpdate();
    EXPECT_EQ(TrackCount(library), 15);
    EXPECT_EQ(listener.changes.load(), 2);
    EXPECT_TRUE(library.RemoveReader(&extra));
    EXPECT_FALSE(library.RemoveReader(&extra));
    library.StartUpdate();
    library.WaitForUpdate();
    EXPECT_EQ(TrackCount(library), 10);
    library.Stop();
    EXPECT_EQ(library.Store(), nullptr);
}

// A user's rescan has the reader rescan before it reads; one asked for during an update is
// not lost but runs after it. The player's own change reports only read again.
TEST(MediaLibraryThreaded, RescanComesBeforeTheReadAndIsNeverLost) {
    test::TempFolder folder;
    test::TestLogger log;
    FakeReader* reader = nullptr;
    CMediaLibrary library(log.logger, folder.Path(), [&] {
        auto made = std::make_unique<FakeReader>(Tracks(3, "Rock"), true);
        reader = made.get();
        return made;
    });
    CountingListener listener;
    ASSERT_EQ(library.Start(&listener), 0);
    reader->WaitForRead(1);
    library.StartRescan();  // while the first update waits in its read
    reader->SetTracks(Tracks(4, "Rock"));
    reader->Release();
    reader->WaitForRead(2);
    library.WaitForUpdate();
    EXPECT_EQ(TrackCount(library), 4);
    EXPECT_EQ(listener.changes.load(), 2);
    EXPECT_TRUE(log.sink.Contains("Media library indexed: 4 tracks, 0 playlists"));
    library.StartUpdate();
    library.WaitForUpdate();
    library.StartRescan();
    library.WaitForUpdate();
    std::lock_guard<std::mutex> guard(reader->Mutex());
    EXPECT_EQ(reader->rescansBeforeRead, (std::vector<int>{1, 3}));
    EXPECT_EQ(reader->reads, 4);
}

TEST(MediaLibraryThreaded, FirstIndexingAnswers21AndStopLeavesTheLibraryAlone) {
    test::TempFolder folder;
    test::TestLogger log;
    FakeReader* reader = nullptr;
    CMediaLibrary library(log.logger, folder.Path(), [&] {
        auto made = std::make_unique<FakeReader>(Tracks(5, "Rock"), true);
        reader = made.get();
        return made;
    });
    CountingListener listener;
    library.Start(&listener);
    reader->WaitForRead(1);
    MediaItemList items;
    std::string path = "\\";
    EXPECT_EQ(
        BrowseLibrary(*library.Store(), library.IsUpdating(), items, path, false, 0, -1, nullptr),
        kResultLibraryIndexing);
    EXPECT_TRUE(std::filesystem::exists(library.TemporaryPath()));
    auto before = std::filesystem::last_write_time(library.LibraryPath());

    // Stopping mid-update keeps the old (empty) library and removes the temporary one.
    std::thread waker([&] {
        std::this_thread::sleep_for(50ms);
        reader->WakeForStop();
    });
    library.Stop();
    waker.join();
    EXPECT_FALSE(std::filesystem::exists(library.TemporaryPath()));
    EXPECT_EQ(std::filesystem::last_write_time(library.LibraryPath()), before);
    test::TestLogger again;
    CSQLiteMDS store(library.LibraryPath(), again.logger);
    EXPECT_FALSE(store.HasMediaItems(kMediaMusic));
}

TEST(MediaLibraryThreaded, AnUnreadableITunesFileCommitsAnEmptyLibrary) {
    test::TempFolder folder;
    test::TestLogger log;
    CConfigStore config(folder.Path());
    {
        // A previous library that the update must replace.
        CSQLiteMDS previous(folder.File("library.db"), log.logger);
        previous.SetLibraryVersion(3.1f);
        previous.CreateIfMissing();
        previous.BeginUpdate();
        previous.AddAudioTrack(test::Track("Old", "A", "B", "C"));
        previous.EndUpdate();
    }
    CMediaLibrary library(log.logger, folder.Path(), [&] {
        return std::make_unique<CITunesMediaReader>(log.logger, config,
                                                    folder.File("missing/lib.xml"));
    });
    CountingListener listener;
    library.Start(&listener);
    library.WaitForUpdate();
    EXPECT_TRUE(log.sink.Contains("ERROR: Unable to open CITunesMediaReader XML file:"));
    EXPECT_EQ(listener.changes.load(), 1);
    EXPECT_EQ(TrackCount(library), 0);
    EXPECT_EQ(library.Store()->GetItemId(kMediaArtist, "A"), -1);
    library.Stop();
}

// Queries keep running while the file is replaced again and again: each sees a whole
// library, the old or the new one, and never an error.
TEST(MediaLibraryThreaded, QueriesDuringUpdatesNeverFail) {
    test::TempFolder folder;
    test::TestLogger log;
    FakeReader* reader = nullptr;
    CMediaLibrary library(log.logger, folder.Path(), [&] {
        auto made = std::make_unique<FakeReader>(Tracks(40, "Rock"));
        reader = made.get();
        return made;
    });
    library.Start(nullptr);
    library.WaitForUpdate();

    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::atomic<int> queries{0};
    auto hammer = [&] {
        while (!done.load()) {
            StringArray genres;
            int32_t total = -1;
            if (library.Store()->GetAudioGenres(genres, 0, -1, &total) != 0 || genres.size() != 1)
                ++failures;
            MediaItemList tracks;
            if (library.Store()->GetAudioTracks(tracks, true, -1, -1, -1, 0, -1, &total) != 0 ||
                (tracks.size() != 40 && tracks.size() != 60)) {
                ++failures;
            }
            MediaItemList found;
            if (library.Store()->Search(found, "track 1", 0, 20) != 0) ++failures;
            ++queries;
        }
    };
    std::thread first(hammer);
    std::thread second(hammer);
    for (int round = 0; round < 6; ++round) {
        reader->SetTracks(Tracks(round % 2 == 0 ? 60 : 40, round % 2 == 0 ? "Pop" : "Rock"));
        library.StartUpdate();
        library.WaitForUpdate();
    }
    done.store(true);
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(queries.load(), 0);
    EXPECT_FALSE(log.sink.Contains("CSQLiteMDS: "));
    library.Stop();
}

// The service on a bus: requests in on event 6, answers out on event 7, broadcasts on 8.
struct ServiceFixture {
    ServiceFixture() : config(folder.Path()), bus(log.logger), context{log.logger, config, bus} {
        // No reader for player type 0: updates commit an empty library, so none runs here.
        service = CreateMediaLibraryService(context, 0);
        bus.Subscribe(7, this, [this](CEventHolder& holder) {
            std::lock_guard<std::mutex> lock(mutex);
            replies.push_back(holder.Take());
        });
        bus.Subscribe(8, this, [this](CEventHolder& holder) {
            std::lock_guard<std::mutex> lock(mutex);
            broadcasts.push_back(holder.Take());
            changed.notify_all();
        });
    }
    ~ServiceFixture() {
        bus.Unsubscribe(this);
        service->Stop();
    }
    template <typename Reply>
    std::unique_ptr<Reply> Ask(std::unique_ptr<CMessage> request) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            replies.clear();
        }
        CEventHolder holder(std::move(request));
        bus.Fire(6, holder, this);
        std::lock_guard<std::mutex> lock(mutex);
        if (replies.size() != 1) return nullptr;
        return std::unique_ptr<Reply>(dynamic_cast<Reply*>(replies.front().release()));
    }
    template <typename Request>
    std::unique_ptr<Request> Make(int32_t type) {
        auto request = std::make_unique<Request>(type);
        request->SetClientId(3);
        request->SetRequestId(41);
        return request;
    }
    bool WaitForBroadcasts(size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return broadcasts.size() >= n; });
    }

    test::TempFolder folder;
    test::TestLogger log;
    CConfigStore config;
    CEventBus bus;
    CServerContext context;
    std::unique_ptr<IService> service;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::unique_ptr<CMessage>> replies;
    std::vector<std::unique_ptr<CMessage>> broadcasts;
};

TEST(MediaLibraryServiceThreaded, AnswersLibraryRequests) {
    ServiceFixture f;
    EXPECT_EQ(f.service->ShortName(), "medialib");
    EXPECT_EQ(f.service->DisplayName(), "Media Library");
    // Started without a reader, the first update replaces the seeded library with an empty
    // one; seed again afterwards through a second store on the same file.
    ASSERT_EQ(f.service->Start(), 0);
    ASSERT_TRUE(f.WaitForBroadcasts(1));
    EXPECT_EQ(f.broadcasts[0]->TypeId(), msg::MediaLibraryChangedEvent);
    EXPECT_EQ(f.broadcasts[0]->ClientId(), -1);
    {
        std::filesystem::remove(f.folder.File("library.db"));
        CSQLiteMDS seed(f.folder.File("library.db"), f.log.logger);
        seed.SetLibraryVersion(3.1f);
        seed.CreateIfMissing();
        seed.BeginUpdate();
        seed.AddAudioTrack(
            test::Track("Love Song", "Singer", "Record", "Pop", "01", "/m/love.mp3"));
        std::vector<std::unique_ptr<CPlaylistItem>> children;
        children.push_back(test::Playlist("Inner"));
        seed.AddPlaylist(*test::Playlist("Folder", std::move(children)));
        seed.EndUpdate();
    }

    struct ItemCase {
        int32_t id;
        const char* path;
        int code;
        int32_t answeredId;
        const char* title;
    };
    const ItemCase items[] = {
        {1, "", 0, 1, "Love Song"},       {-1, "/m/love.mp3", 0, 1, "Love Song"},
        {-1, "/not/here.mp3", 0, -1, ""}, {2, "", kResultMediaNotFound, -1, ""},
        {3, "", 0, 3, "Inner"},           {77, "", kResultMediaNotFound, -1, ""}};
    for (const ItemCase& c : items) {
        auto request = f.Make<CMediaItemRequest>(msg::GetMediaItemRequest);
        request->Body().id = c.id;
        request->Body().path = c.path;
        auto reply = f.Ask<CMediaItemResponse>(std::move(request));
        ASSERT_NE(reply, nullptr) << c.id << c.path;
        EXPECT_EQ(reply->TypeId(), msg::GetMediaItemResponse);
        EXPECT_EQ(reply->ClientId(), 3);
        EXPECT_EQ(reply->RequestId(), 41);
        EXPECT_EQ(reply->ReturnCode(), c.code) << c.id << c.path;
        EXPECT_EQ(reply->Body().id, c.answeredId) << c.id << c.path;
        EXPECT_EQ(reply->Body().title, c.title);
        if (c.answeredId == 1) {
            EXPECT_EQ(reply->Body().artist, "Singer");
            EXPECT_EQ(reply->Body().album, "Record");
            EXPECT_EQ(reply->Body().type, kMediaMusic);
        }
    }

    auto genres =
        f.Ask<CBrowseGenresResponse>(f.Make<CBrowseByNameRequest>(msg::BrowseGenresRequest));
    ASSERT_NE(genres, nullptr);
    EXPECT_EQ(genres->Body().names, std::vector<std::string>{"Pop"});
    EXPECT_EQ(genres->Body().paging.count, 0);

    auto artistsRequest = f.Make<CBrowseArtistsRequest>(msg::BrowseArtistsRequest);
    artistsRequest->Body().genre = 1;
    auto artists = f.Ask<CBrowseArtistsResponse>(std::move(artistsRequest));
    ASSERT_NE(artists, nullptr);
    EXPECT_EQ(artists->Body().names, std::vector<std::string>{"Singer"});

    auto searchRequest = f.Make<CMediaSearchRequest>(msg::MediaSearchRequest);
    searchRequest->Body().any = "  love  ";
    searchRequest->Body().title = "ignored";
    searchRequest->Body().paging.start = 0;
    auto search = f.Ask<CMediaSearchResponse>(std::move(searchRequest));
    ASSERT_NE(search, nullptr);
    ASSERT_EQ(search->Body().results.size(), 1u);
    EXPECT_EQ(search->Body().results[0], (CSearchResult{1, kMediaMusic, "Love Song"}));
    EXPECT_EQ(search->Body().paging.start, 0);

    auto browseRequest = f.Make<CBrowseLibraryRequest>(msg::BrowseLibraryRequest);
    browseRequest->Body().path = "\\Music\\Artists";
    browseRequest->Body().paging = {0, 10, true};
    auto browse = f.Ask<CBrowseLibraryResponse>(std::move(browseRequest));
    ASSERT_NE(browse, nullptr);
    EXPECT_EQ(browse->ReturnCode(), 0);
    EXPECT_EQ(browse->Body().path, "\\Music\\Artists");
    EXPECT_EQ(browse->Body().paging.totalCount, 1);
    ASSERT_EQ(browse->Body().results.size(), 1u);
    EXPECT_EQ(browse->Body().results[0].name, "Singer");

    auto missing = f.Make<CBrowseLibraryRequest>(msg::BrowseLibraryRequest);
    missing->Body().path = "\\Music\\Genres\\Nope";
    auto notFound = f.Ask<CBrowseLibraryResponse>(std::move(missing));
    ASSERT_NE(notFound, nullptr);
    EXPECT_EQ(notFound->ReturnCode(), kResultLibraryPathNotFound);

    // Requests the library does not answer get no reply at all.
    EXPECT_EQ(f.Ask<CMessage>(f.Make<CBrowseAlbumsRequest>(msg::BrowseAlbumsRequest)), nullptr);

    FakeReader extra({test::Track("Extra", "X", "Y", "Z")});
    auto add = std::make_unique<CMediaReaderRequest>(msg::AddMediaReaderRequest, &extra);
    add->SetClientId(0);
    auto added = f.Ask<CResponseMessage>(std::move(add));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->TypeId(), msg::AddMediaReaderResponse);

    auto update = f.Ask<CResponseMessage>(f.Make<CRequestMessage>(msg::UpdateMediaLibraryRequest));
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->TypeId(), msg::UpdateMediaLibraryResponse);
    EXPECT_EQ(update->ReturnCode(), 0);
    ASSERT_TRUE(f.WaitForBroadcasts(2));
    auto* service = dynamic_cast<CMediaLibraryService*>(f.service.get());
    service->Library().WaitForUpdate();
    EXPECT_EQ(service->Library().Store()->GetItemId(kMediaArtist, "X"), 1);

    auto remove = std::make_unique<CMediaReaderRequest>(msg::RemoveMediaReaderRequest, &extra);
    ASSERT_NE(f.Ask<CResponseMessage>(std::move(remove)), nullptr);
    f.service->Stop();
}

}  // namespace
}  // namespace vantor
