#include "protocol/MediaItem.h"
#include "server/library/readers/winamp/WinampFiles.h"
#include "server/library/readers/winamp/WinampMediaReader.h"
#include "tests/server/library/LibraryTestSupport.h"
#include "tests/server/library/ReaderTestSupport.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"
#include "tools/winamp-libgen/WinampTableWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace vantor {
namespace {

using test::CollectingOwner;
using tools::WinampField;
using tools::WinampIntegerData;
using tools::WinampTextData;

// What the reader must make of a generated record.
std::unique_ptr<CMediaItem> Expected(const tools::WinampLibraryTrack& track) {
    if (track.video) {
        auto video = std::make_unique<CVideoItem>();
        video->name = track.title;
        video->genre = track.genre.empty() ? "Unknown Genre" : track.genre;
        video->path = track.path;
        return video;
    }
    auto music = std::make_unique<CMusicItem>();
    music->name = track.title;
    music->artist = track.artist.empty() ? "Unknown Artist" : track.artist;
    music->album = track.album.empty() ? "Unknown Album" : track.album;
    music->genre = track.genre.empty() ? "Unknown Genre" : track.genre;
    char number[8];
    std::snprintf(number, sizeof number, "%02d", track.trackNumber);
    music->trackNumber = number;
    music->path = track.path;
    return music;
}

std::set<std::pair<std::string, std::string>> PresentPlaylists(
    const tools::WinampLibraryContent& content) {
    std::set<std::pair<std::string, std::string>> present;
    for (const auto& playlist : content.playlists) {
        if (playlist.exists) present.insert({playlist.name, playlist.path});
    }
    return present;
}

void ExpectLibrary(const CollectingOwner& owner, const tools::WinampLibraryContent& content) {
    std::vector<const CMediaItem*> media;
    std::set<std::pair<std::string, std::string>> playlists;
    for (const auto& item : owner.items) {
        if (item->mediaType == kMediaPlaylist) {
            playlists.insert({item->name, item->path});
        } else {
            media.push_back(item.get());
        }
    }
    ASSERT_EQ(media.size(), content.tracks.size());
    for (size_t i = 0; i < media.size(); ++i) {
        EXPECT_TRUE(*media[i] == *Expected(content.tracks[i])) << i << ": " << media[i]->name;
    }
    EXPECT_EQ(playlists, PresentPlaylists(content));
}

struct ReaderSetup {
    explicit ReaderSetup(const std::string& winampDir) : reader(log.logger, winampDir) {
        reader.SetOwner(&owner);
    }
    test::TestLogger log;
    CollectingOwner owner;
    CWinampMediaReader reader;
};

// A library as a current player leaves it: tracks and two videos (with every fallback for
// what records lack), playlists.xml in its own folder with missing and empty playlist files,
// and gen_ml.ini views in both key forms.
TEST(WinampReader, ReadsTracksVideosAndPlaylists) {
    test::TempFolder folder;
    tools::WinampLibraryOptions options;
    options.records = 300;
    options.playlists = 20;
    tools::WinampLibraryContent content;
    ASSERT_TRUE(tools::WriteWinampLibrary(options, folder.Path(), &content));
    ReaderSetup setup(folder.Path());
    ASSERT_EQ(setup.reader.Read(), 0);
    ExpectLibrary(setup.owner, content);
    EXPECT_EQ(setup.owner.NamesOfType(kMediaVideo).size(), 2u);
    const auto* old = setup.owner.Find<CPlaylistItem>("Café Classics");
    ASSERT_NE(old, nullptr);  // 8-bit name, trailing spaces gone
    EXPECT_EQ(old->path, folder.File("Plugins/ml/plf00A1.m3u"));
    EXPECT_NE(setup.owner.Find<CPlaylistItem>("Любимые песни"), nullptr);  // the UTF-8 key wins
    EXPECT_NE(setup.owner.Find<CPlaylistItem>("Ann's Mix 2"), nullptr);
    EXPECT_EQ(setup.owner.Find<CPlaylistItem>("Lost View"), nullptr);
}

// An older player: settings moved by paths.ini to the application data folder, 8-bit texts,
// 32-bit file sizes, playlists.xml beside the library and no playlist views at all.
TEST(WinampReader, OlderLayoutsAndSettingsFolder) {
    test::TempFolder data;
    test::TempFolder program;
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    tools::WinampLibraryOptions options;
    options.records = 120;
    options.playlists = 10;
    options.modernPlaylists = false;
    options.genMlViews = false;
    options.eightBitTexts = true;
    options.oldFileSize = true;
    tools::WinampLibraryContent content;
    ASSERT_TRUE(tools::WriteWinampLibrary(options, data.File("Winamp"), &content));
    ASSERT_TRUE(tools::WriteWinampPathsIni(program.Path(), "{26}\\Winamp"));
    {
        ReaderSetup setup(program.Path());
        EXPECT_EQ(setup.reader.Directory(), data.File("Winamp"));
        ASSERT_EQ(setup.reader.Read(), 0);
        ExpectLibrary(setup.owner, content);
    }
    // A folder this system has nothing for, or one that does not exist: the player's own.
    for (const char* iniDir : {"{36}\\Winamp", "{26}\\Nowhere"}) {
        ASSERT_TRUE(tools::WriteWinampPathsIni(program.Path(), iniDir));
        EXPECT_EQ(WinampSettingsFolder(program.Path()) + "/", program.Path()) << iniDir;
    }
    if (saved) {
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

TEST(WinampReader, RecordRules) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder.File("Plugins/ml"));
    const std::vector<tools::WinampColumn> columns = {{0, kWinampFileName, "filename"},
                                                      {1, kWinampText, "title"},
                                                      {5, kWinampText, "genre"},
                                                      {7, kWinampInteger, "trackno"},
                                                      {9, kWinampInteger, "type"}};
    tools::CWinampTableWriter writer(columns, 0);
    auto record = [&](const std::string& title, std::vector<WinampField> more,
                      const std::string& file = "") {
        const std::string path = "C:\\m\\" + (file.empty() ? title : file) + ".mp3";
        std::vector<WinampField> fields{{0, kWinampFileName, WinampTextData(path)},
                                        {1, kWinampText, WinampTextData(title)}};
        fields.insert(fields.end(), more.begin(), more.end());
        writer.AddRecord(fields);
    };
    const WinampField audio{9, kWinampInteger, WinampIntegerData(0)};
    record("no number", {audio});
    record("seven", {audio, {7, kWinampInteger, WinampIntegerData(7)}});
    record("long number", {audio, {7, kWinampInteger, WinampIntegerData(123)}});
    record("number as text", {audio, {7, kWinampText, WinampTextData("5")}});
    record("id3 genre", {audio, {5, kWinampText, WinampTextData("(17)")}});
    record("no type", {});
    record("type as text", {{9, kWinampText, WinampTextData("0")}});
    record("other type", {{9, kWinampInteger, WinampIntegerData(2)}});
    record("", {audio}, "Untitled Song");
    ASSERT_TRUE(
        writer.Write(folder.File("Plugins/ml/main.dat"), folder.File("Plugins/ml/main.idx")));

    ReaderSetup setup(folder.Path());
    ASSERT_EQ(setup.reader.Read(), 0);
    const std::vector<std::pair<const char*, const char*>> numbers = {{"no number", "00"},
                                                                      {"seven", "07"},
                                                                      {"long number", "12"},
                                                                      {"number as text", "00"},
                                                                      {"id3 genre", "00"}};
    for (const auto& [name, number] : numbers) {
        const auto* track = setup.owner.Find<CMusicItem>(name);
        ASSERT_NE(track, nullptr) << name;
        EXPECT_EQ(track->trackNumber, number) << name;
    }
    EXPECT_EQ(setup.owner.Find<CMusicItem>("id3 genre")->genre, "Rock");
    // A record without a title is named after its file, as the player shows it.
    EXPECT_NE(setup.owner.Find<CMusicItem>("Untitled Song"), nullptr);
    EXPECT_EQ(setup.owner.items.size(), 6u);
}

TEST(WinampReader, MissingOrUnreadableLibrary) {
    test::TempFolder folder;
    {
        ReaderSetup setup("");
        EXPECT_EQ(setup.reader.Read(), -1);
        EXPECT_TRUE(setup.log.sink.Contains(
            "ERROR: No Winamp path defined, unable to read Winamp media library"));
    }
    {
        ReaderSetup setup(folder.Path());
        EXPECT_EQ(setup.reader.Read(), -1);
        EXPECT_TRUE(setup.log.sink.Contains("ERROR: Winamp media library does not exist"));
    }
    {
        std::filesystem::create_directories(folder.File("Plugins/ml"));
        std::ofstream(folder.File("Plugins/ml/main.dat")) << "not a table";
        std::ofstream(folder.File("Plugins/ml/main.idx")) << "NDEINDEX";
        ReaderSetup setup(folder.Path());
        EXPECT_EQ(setup.reader.Read(), -1);
        EXPECT_TRUE(
            setup.log.sink.Contains("ERROR: Unable to open Winamp media library for import"));
        EXPECT_TRUE(setup.owner.items.empty());
    }
}

TEST(WinampReader, PlaylistListParsers) {
    const std::string xml =
        "<?xml version=\"1.0\"?><playlists playlists=\"3\">"
        "<playlist filename=\"a.m3u8\" title=\"Tom &amp; Jerry&apos;s &#1071;\" id=\"{1}\"/>"
        "<playlist  title='Single &quot;quoted&quot;' filename='b.m3u'/>"
        "<playlist title=\"No file\"/></playlists>";
    const auto entries = ParsePlaylistsXml(xml);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Tom & Jerry's Я");
    EXPECT_EQ(entries[0].file, "a.m3u8");
    EXPECT_EQ(entries[1].name, "Single \"quoted\"");
    EXPECT_EQ(entries[1].file, "b.m3u");
    EXPECT_EQ(entries[2].file, "");

    EXPECT_TRUE(
        ParseGenMlViews("[gen_ml_config]\r\nquery1_name=Audio\r\nquery1_mode=0\r\n").empty());
    EXPECT_EQ(PlaylistFilePath("/w/Plugins/ml/", "x.m3u"), "/w/Plugins/ml/x.m3u");
    EXPECT_EQ(PlaylistFilePath("/w/Plugins/ml/", "/abs/x.m3u"), "/abs/x.m3u");
    EXPECT_EQ(PlaylistFilePath("/w/Plugins/ml/", "C:\\x.m3u"), "C:\\x.m3u");
}

}  // namespace
}  // namespace vantor
