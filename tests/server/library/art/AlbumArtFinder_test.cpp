#include "server/library/art/AlbumArtFinder.h"

#include "protocol/MediaItem.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Records what it was asked and writes its name as the picture when told to succeed.
class CFakeProvider : public IAlbumArtProvider {
public:
    CFakeProvider(std::string name, bool succeed) : m_name(std::move(name)), m_succeed(succeed) {}

    int GetAlbumArt(const CMusicItem& track, const std::string& targetPath) override {
        calls.push_back(track.artist + "|" + track.album + "|" + track.name);
        if (!m_succeed) return -1;
        std::ofstream(targetPath) << m_name;
        return 0;
    }

    std::vector<std::string> calls;

private:
    std::string m_name;
    bool m_succeed;
};

class AlbumArtFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("vantor-art-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_config = std::make_unique<CConfigStore>(m_folder.string() + "/");
    }
    void TearDown() override {
        m_finder.reset();
        fs::remove_all(m_folder);
    }

    CAlbumArtFinder& Finder() {
        if (!m_finder)
            m_finder = std::make_unique<CAlbumArtFinder>(m_logger, *m_config, m_folder.string());
        return *m_finder;
    }

    void Set(const char* key, const std::string& value) {
        m_config->SetString(key, value, false, true);
    }

    static void Touch(const fs::path& path, const std::string& content = "x") {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << content;
    }

    static std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static CMusicItem Track(const std::string& artist, const std::string& album,
                            const std::string& title, const std::string& path = "") {
        CMusicItem track;
        track.artist = artist;
        track.album = album;
        track.name = title;
        track.path = path;
        return track;
    }

    CLogger m_logger;
    fs::path m_folder;
    std::unique_ptr<CConfigStore> m_config;
    std::unique_ptr<CAlbumArtFinder> m_finder;
};

TEST_F(AlbumArtFinderTest, ProvidersGetTheCleanedTrackInListOrderAndTheCacheAnswersNextTime) {
    Set("UseFolderAlbumArt", "false");
    CFakeProvider failing("failing", false);
    CFakeProvider second("second", true);
    CFakeProvider unused("unused", true);
    ASSERT_EQ(Finder().AddProvider(CAlbumArtFinder::kSecondList, &second), 0);
    ASSERT_EQ(Finder().AddProvider(CAlbumArtFinder::kFirstList, &failing), 0);
    ASSERT_EQ(Finder().AddProvider(CAlbumArtFinder::kSecondList, &unused), 0);

    const CMusicItem track = Track("Linkin Park (US)", "Meteora [Deluxe]", "In The End (Live)");
    std::string path;
    ASSERT_EQ(Finder().FindAlbumArt(track, path), 0);
    EXPECT_EQ(path, Finder().CacheFolder() + "Linkin Park (US) - Meteora.jpg");
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_EQ(failing.calls, std::vector<std::string>{"Linkin Park (US)|Meteora|In The End"});
    EXPECT_EQ(second.calls.size(), 1u);
    EXPECT_TRUE(unused.calls.empty());

    std::string again;
    ASSERT_EQ(Finder().FindAlbumArt(track, again), 0);
    EXPECT_EQ(again, path);
    EXPECT_EQ(second.calls.size(), 1u) << "a cached picture must not be searched again";
}

TEST_F(AlbumArtFinderTest, NothingIsSearchedWithoutArtistOrTitle) {
    CFakeProvider provider("p", true);
    Finder().AddProvider(CAlbumArtFinder::kFirstList, &provider);
    std::string path;
    EXPECT_EQ(Finder().FindAlbumArt(Track("", "Album", "Title"), path), -1);
    EXPECT_EQ(Finder().FindAlbumArt(Track("Artist", "Album", " (Live) "), path), -1);
    EXPECT_TRUE(provider.calls.empty());
}

TEST_F(AlbumArtFinderTest, ProviderListsHoldFiveDistinctProvidersAndForgetRemovedOnes) {
    Set("UseFolderAlbumArt", "false");
    std::vector<std::unique_ptr<CFakeProvider>> providers;
    for (int i = 0; i < 6; ++i) providers.push_back(std::make_unique<CFakeProvider>("p", false));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Finder().AddProvider(CAlbumArtFinder::kFirstList, providers[i].get()), 0);
    }
    EXPECT_EQ(Finder().AddProvider(CAlbumArtFinder::kFirstList, providers[0].get()), 0);
    EXPECT_EQ(Finder().AddProvider(CAlbumArtFinder::kFirstList, providers[5].get()), -1);
    Finder().RemoveProvider(providers[1].get());

    std::string path;
    EXPECT_EQ(Finder().FindAlbumArt(Track("A", "B", "C"), path), -1);
    EXPECT_EQ(providers[0]->calls.size(), 1u);
    EXPECT_TRUE(providers[1]->calls.empty());
    EXPECT_TRUE(providers[5]->calls.empty());
}

TEST_F(AlbumArtFinderTest, FolderArtFollowsPatternOrderAndTheFolderTest) {
    const fs::path album = m_folder / "music" / "Muse" / "Absolution";
    Touch(album / "folder.jpg", "folder");
    Touch(album / "Cover.JPG", "cover");
    Touch(album / "Absolution.jpg", "named");
    const fs::path mixed = m_folder / "music" / "Mixed";
    Touch(mixed / "folder.jpg", "mixed");

    struct Case {
        const char* files;
        const char* prefer;
        fs::path folder;
        const char* expected;  // empty: no picture
    };
    const Case cases[] = {
        {"", "false", album, "cover"},  // fixed order: cover.jpg before folder.jpg, any case
        {" %ALBUM.jpg ", "false", album, "named"},
        {"nothing*.png;fold*", "false", album, "folder"},
        {"", "false", mixed, ""},
        {"", "true", mixed, "mixed"},
    };
    for (const Case& c : cases) {
        Set("AlbumArtFiles", c.files);
        Set("PreferFolderAlbumArt", c.prefer);
        CFolderArtProvider provider(*m_config);
        const fs::path target = m_folder / "target.jpg";
        fs::remove(target);
        const int result = provider.GetAlbumArt(
            Track("Muse", "Absolution", "Hysteria", (c.folder / "03 Hysteria.mp3").string()),
            target.string());
        if (*c.expected == '\0') {
            EXPECT_NE(result, 0) << c.folder;
            EXPECT_FALSE(fs::exists(target));
        } else {
            ASSERT_EQ(result, 0) << c.files;
            EXPECT_EQ(ReadFile(target), c.expected) << c.files;
        }
    }
}

TEST_F(AlbumArtFinderTest, SweepDeletesFilesThatReachedTheMaximumAge) {
    const std::string cache = Finder().CacheFolder();
    const auto now = fs::file_time_type::clock::now();
    struct Case {
        const char* name;
        std::chrono::minutes age;
        bool kept;
    };
    const Case cases[] = {
        {"fresh.jpg", std::chrono::minutes(5), true},
        {"old23.jpg", std::chrono::minutes(23 * 60 + 59), true},
        {"old24.jpg", std::chrono::minutes(24 * 60), false},
        {"older.jpg", std::chrono::minutes(90 * 60), false},
    };
    for (const Case& c : cases) {
        Touch(cache + c.name);
        fs::last_write_time(cache + c.name, now - c.age);
    }
    fs::create_directories(cache + "folder");
    fs::last_write_time(cache + "folder", now - std::chrono::hours(48));

    Finder().SweepCache();
    for (const Case& c : cases) EXPECT_EQ(fs::exists(cache + c.name), c.kept) << c.name;
    EXPECT_TRUE(fs::exists(cache + "folder"));
}

}  // namespace
}  // namespace vantor
