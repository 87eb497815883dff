#include "server/core/ConfigStore.h"
#include "server/library/MediaReader.h"
#include "server/library/readers/common/FileWindow.h"
#include "server/library/readers/itunes/ITunesMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/ReaderTestSupport.h"

#include "protocol/MediaItem.h"

#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include <gtest/gtest.h>

#include <fstream>

namespace vantor {
namespace {

using test::CollectingOwner;

std::string Fixture(const std::string& name) {
    return std::string(VANTOR_SOURCE_DIR) + "/tests/data/itunes/" + name;
}

struct ReaderFixture {
    explicit ReaderFixture(const std::string& path)
        : config(folder.Path()), reader(log.logger, config, path) {
        reader.SetOwner(&owner);
    }
    test::TempFolder folder;
    test::TestLogger log;
    CConfigStore config;
    CollectingOwner owner;
    CITunesMediaReader reader;
};

TEST(ITunesReader, WindowsLibraryWithCrLf) {
    ReaderFixture f(Fixture("windows-crlf.xml"));
    ASSERT_EQ(f.reader.Read(), 0);
    EXPECT_TRUE(f.log.sink.Contains("Reading iTunes XML file: " + Fixture("windows-crlf.xml")));

    struct Expected {
        const char* name;
        const char* artist;
        const char* album;
        const char* genre;
        const char* track;
        const char* path;
    };
    const Expected tracks[] = {
        {"Song A Day", "AC&DC", "Back <In> Black", "Rock", "03", "C:/Music/a b.mp3"},
        {"Episode 7", "Talk Show", "Unknown Album", "Podcast", "00",
         "http://feeds.example.invalid/ep7.mp3?a=1&b=2"},
        {"Network Song", "Band", "Unknown Album", "Unknown Genre", "12",
         "//NAS/share/Music/net song.mp3"}};
    EXPECT_EQ(f.owner.NamesOfType(kMediaMusic).size(), 3u);
    for (const Expected& e : tracks) {
        const auto* track = f.owner.Find<CMusicItem>(e.name);
        ASSERT_NE(track, nullptr) << e.name;
        EXPECT_EQ(track->artist, e.artist);
        EXPECT_EQ(track->album, e.album);
        EXPECT_EQ(track->genre, e.genre);
        EXPECT_EQ(track->trackNumber, e.track);
        EXPECT_EQ(track->path, e.path);
    }

    // A translated kind with the video flags set is a movie; without a file it is skipped.
    EXPECT_EQ(f.owner.NamesOfType(kMediaVideo), std::vector<std::string>{"Big Movie"});
    const auto* movie = f.owner.Find<CVideoItem>("Big Movie");
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->genre, "Action & Adventure");
    EXPECT_EQ(movie->path, "D:/Films/Big Movie.m4v");

    const std::pair<const char*, const char*> series[] = {{"Pilot", "Space Crew"},
                                                          {"Second Episode", "Some Network"},
                                                          {"Lonely Episode", "Single Run"}};
    EXPECT_EQ(f.owner.NamesOfType(kMediaTV).size(), 3u);
    for (const auto& [name, seriesName] : series) {
        const auto* show = f.owner.Find<CTVItem>(name);
        ASSERT_NE(show, nullptr) << name;
        EXPECT_EQ(show->series, seriesName);
        EXPECT_EQ(show->genre, "Unknown Genre");
    }

    // The child written before its folder ends up inside it; the nameless entry is dropped
    // and the playlist after the last item list is still read.
    EXPECT_EQ(f.owner.NamesOfType(kMediaPlaylist),
              (std::vector<std::string>{"Library", "Rock & Roll Folder", "Empty List"}));
    const auto* folder = f.owner.Find<CPlaylistItem>("Rock & Roll Folder");
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(folder->children.size(), 1u);
    EXPECT_EQ(folder->children[0]->name, "Late Child");
    EXPECT_FALSE(f.owner.Find<CPlaylistItem>("Library")->IsFolder());
}

TEST(ITunesReader, MacLibraryWithLfAndNoPlaylists) {
    ReaderFixture f(Fixture("mac-lf-no-playlists.xml"));
    ASSERT_EQ(f.reader.Read(), 0);
    ASSERT_EQ(f.owner.items.size(), 3u);
    const auto* tokyo = f.owner.Find<CMusicItem>("東京 Nights\xC2\xA0");
    ASSERT_NE(tokyo, nullptr);
    EXPECT_EQ(tokyo->artist, "Ёлка");
    EXPECT_EQ(tokyo->album, "Ωmega 🎸");
    EXPECT_EQ(tokyo->trackNumber, "07");
    EXPECT_EQ(tokyo->path, "/Users/ann/Music/東京 Nights.m4a");
    const auto* old = f.owner.Find<CMusicItem>("Old Volume Song  ");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->genre, "Synth Pop");
    EXPECT_EQ(old->artist, "Unknown Artist");
    EXPECT_EQ(old->path, "/Volumes/x.mp3");
    const auto* fish = f.owner.Find<CMusicItem>("Fish & Chips");
    ASSERT_NE(fish, nullptr);
    EXPECT_EQ(fish->artist, "Café Band");
    EXPECT_EQ(fish->path, "/Users/ann/Music/Fish & Chips.mp3");
}

TEST(ITunesReader, EmptyAndMissingFiles) {
    {
        ReaderFixture f(Fixture("empty-tracks.xml"));
        ASSERT_EQ(f.reader.Read(), 0);
        EXPECT_EQ(f.owner.NamesOfType(kMediaPlaylist), std::vector<std::string>{"Library"});
        EXPECT_EQ(f.owner.items.size(), 1u);
    }
    {
        ReaderFixture f("/nonexistent-folder-for-vantor/iTunes Music Library.xml");
        EXPECT_NE(f.reader.Read(), 0);
        EXPECT_TRUE(
            f.log.sink.Contains("ERROR: Unable to open CITunesMediaReader XML "
                                "file:\r\n\t/nonexistent-folder-for-vantor/"));
        EXPECT_TRUE(f.owner.items.empty());
    }
}

size_t PlaylistNodes(const CPlaylistItem& playlist) {
    size_t count = 1;
    for (const auto& child : playlist.children) {
        count += PlaylistNodes(static_cast<const CPlaylistItem&>(*child));
    }
    return count;
}

// The file is read in blocks: dictionaries and the long item list of the "Library" playlist
// straddle block ends, and the reader must still see every entry once.
TEST(ITunesReader, GeneratedLibraryLargerThanABlock) {
    test::TempFolder folder;
    tools::ITunesLibraryOptions options;
    options.tracks = 2500;
    tools::ITunesLibraryCounts counts;
    const std::string path = folder.File("library.xml");
    ASSERT_TRUE(tools::WriteITunesLibraryFile(options, path, &counts));
    ASSERT_GT(std::filesystem::file_size(path), 3 * CFileWindow::kBlockSize);

    ReaderFixture f(path);
    ASSERT_EQ(f.reader.Read(), 0);
    EXPECT_EQ(f.owner.NamesOfType(kMediaMusic).size(), static_cast<size_t>(counts.music));
    EXPECT_EQ(f.owner.NamesOfType(kMediaVideo).size(), static_cast<size_t>(counts.videos));
    EXPECT_EQ(f.owner.NamesOfType(kMediaTV).size(), static_cast<size_t>(counts.tvShows));
    size_t playlists = 0;
    for (const auto& item : f.owner.items) {
        if (item->mediaType == kMediaPlaylist) {
            playlists += PlaylistNodes(static_cast<const CPlaylistItem&>(*item));
        }
    }
    EXPECT_EQ(playlists, static_cast<size_t>(counts.playlists));
    EXPECT_NE(f.owner.Find<CPlaylistItem>("Music"), nullptr);  // right after the long list
}

TEST(FileWindow, FindsAcrossBlocksAndHoldsOnlyWhatIsKept) {
    test::TempFolder folder;
    const std::string path = folder.File("big.txt");
    const size_t block = CFileWindow::kBlockSize;
    std::string text(4 * block, '.');
    text.replace(block - 3, 6, "NEEDLE");      // across the first block's end
    text.replace(2 * block + 10, 6, "NEEDLE");
    std::ofstream(path, std::ios::binary) << text;

    CFileWindow window(3 * block);
    ASSERT_TRUE(window.Open(path));
    EXPECT_EQ(window.FileSize(), text.size());
    EXPECT_EQ(window.Find("NEEDLE", 0), block - 3);
    EXPECT_EQ(window.Text(block - 3, block + 3), "NEEDLE");
    // Not before the limit; found past it without one.
    EXPECT_EQ(window.Find("NEEDLE", block, false, 2 * block + 15), CFileWindow::npos);
    EXPECT_EQ(window.Find("NEEDLE", block, false, 2 * block + 16), 2 * block + 10);
    // Nothing discarded since the start: a search past three blocks stops at the window's
    // limit instead of holding the rest of the file.
    EXPECT_EQ(window.Find("missing", 0), CFileWindow::npos);
    EXPECT_TRUE(window.Truncated());
    EXPECT_EQ(window.End(), 3 * block);

    CFileWindow skipping(2 * block);
    ASSERT_TRUE(skipping.Open(path));
    EXPECT_EQ(skipping.Find("missing", 0, true), CFileWindow::npos);
    EXPECT_FALSE(skipping.Truncated());
    EXPECT_TRUE(skipping.AtEndOfFile());
    EXPECT_EQ(skipping.End(), text.size());
    EXPECT_FALSE(CFileWindow().Open(folder.Path()));
}

TEST(ITunesReader, DefaultPathIsStoredOnce) {
    test::TempFolder folder;
    CConfigStore config(folder.Path());
    std::string path = CITunesMediaReader::DefaultPath(config);
    EXPECT_NE(path.find("/iTunes/iTunes Music Library.xml"), std::string::npos);
    EXPECT_EQ(config.GetString("Paths\\DefaultITunesXML", ""), path);
    config.SetString("Paths\\DefaultITunesXML", "/elsewhere/lib.xml");
    EXPECT_EQ(CITunesMediaReader::DefaultPath(config), "/elsewhere/lib.xml");
}

TEST(ITunesReader, PlaylistTreeFindsParentsAnywhere) {
    using Node = CITunesMediaReader::PlaylistNode;
    auto node = [](const char* name, const char* id, const char* parent) {
        auto made = std::make_unique<Node>();
        made->name = name;
        made->persistentId = id;
        made->parentId = parent;
        return made;
    };
    std::vector<std::unique_ptr<Node>> nodes;
    nodes.push_back(node("grandchild", "C", "B"));
    nodes.push_back(node("top", "A", ""));
    nodes.push_back(node("orphan", "X", "missing"));
    nodes.push_back(node("child", "B", "A"));
    nodes.push_back(node("loop1", "L1", "L2"));
    nodes.push_back(node("loop2", "L2", "L1"));
    CITunesMediaReader::BuildPlaylistTree(nodes);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0]->name, "top");
    ASSERT_EQ(nodes[0]->children.size(), 1u);
    EXPECT_EQ(nodes[0]->children[0]->name, "child");
    ASSERT_EQ(nodes[0]->children[0]->children.size(), 1u);
    EXPECT_EQ(nodes[0]->children[0]->children[0]->name, "grandchild");
    EXPECT_EQ(nodes[1]->name, "orphan");
    EXPECT_EQ(nodes[2]->name, "loop2");
    EXPECT_EQ(nodes[2]->children.size(), 1u);
}

}  // namespace
}  // namespace vantor
