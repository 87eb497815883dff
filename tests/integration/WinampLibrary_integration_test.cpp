// QRM with Winamp as its player indexing a written Winamp library of 6,500 records and 80
// playlists, browsed over the XML channel as a client browses it.

#include "protocol/Xml.h"
#include "tests/support/LibraryTestClient.h"
#include "tests/support/QrmProcess.h"
#include "tools/winamp-libgen/WinampLibraryWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

namespace vantor::test {
namespace {

using Listing = std::multiset<std::pair<std::string, std::string>>;  // name, path

std::set<std::string> NamesOf(const std::vector<CLibraryTestClient::Entry>& entries) {
    std::set<std::string> names;
    for (const auto& entry : entries) names.insert(entry.name);
    return names;
}

class WinampLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_winampDir = m_qrm.DataDir() + "winamp/";
        m_options.records = 6500;
        m_options.videos = 2;
        m_options.playlists = 80;
        ASSERT_TRUE(tools::WriteWinampLibrary(m_options, m_winampDir, &m_content));
        m_qrm.SetConfig("PlayerType", "Winamp");
        m_qrm.SetConfig("Paths\\Winamp", m_winampDir);
        ASSERT_TRUE(m_qrm.Start()) << m_qrm.StdioText();
        ASSERT_TRUE(m_client.Connect(m_qrm.XmlPort()));
    }

    tools::WinampLibraryOptions m_options;
    tools::WinampLibraryContent m_content;
    std::string m_winampDir;
    CQrmProcess m_qrm;
    CLibraryTestClient m_client;
};

TEST_F(WinampLibraryTest, BrowsingShowsTheWholeLibraryAndASavedPlaylistUpdatesItOnce) {
    ASSERT_TRUE(m_client.WaitUntilIndexed()) << m_qrm.LogText();

    Listing tracks;
    Listing videos;
    std::set<std::string> artists;
    std::set<std::string> albums;
    for (const auto& track : m_content.tracks) {
        (track.video ? videos : tracks).insert({track.title, track.path});
        if (track.video) continue;
        artists.insert(track.artist.empty() ? "Unknown Artist" : track.artist);
        albums.insert(track.album.empty() ? "Unknown Album" : track.album);
    }
    std::set<std::string> playlists;
    for (const auto& playlist : m_content.playlists) {
        if (playlist.exists) playlists.insert(playlist.name);
    }
    ASSERT_EQ(tracks.size(), 6498u);
    ASSERT_EQ(playlists.size(), 77u);  // 75 of playlists.xml with their files, 2 views

    Listing browsedTracks;
    for (const auto& entry : m_client.BrowseAll("\\Music\\Tracks", true)) {
        browsedTracks.insert({entry.name, entry.path});
    }
    EXPECT_TRUE(browsedTracks == tracks) << browsedTracks.size() << " tracks browsed";
    Listing browsedVideos;
    for (const auto& entry : m_client.BrowseAll("\\Videos", false)) {
        // Video listings carry no paths: the item itself does.
        const std::string item =
            m_client.Ask("<GetMediaItemRequest><requestId>900</requestId><id>" +
                             std::to_string(entry.id) + "</id></GetMediaItemRequest>",
                         "GetMediaItemResponse");
        browsedVideos.insert({entry.name, GetElementText(item, "path")});
    }
    EXPECT_EQ(browsedVideos, videos);
    EXPECT_EQ(NamesOf(m_client.BrowseAll("\\Music\\Artists", false)), artists);
    EXPECT_EQ(NamesOf(m_client.BrowseAll("\\Music\\Albums", false)), albums);
    EXPECT_EQ(NamesOf(m_client.BrowseAll("\\Music\\Playlists", false)), playlists);

    // A name in another script leads to its albums.
    const auto& cyrillic = m_content.tracks[20];
    const std::string artistPath = "\\Music\\Artists\\" + cyrillic.artist;
    const auto artistListing = CLibraryTestClient::Results(m_client.Browse(artistPath));
    EXPECT_FALSE(artistListing.empty()) << artistPath;

    // Saving a playlist: one update, about two seconds after the file was written.
    auto saved = m_content.playlists;
    saved.resize(static_cast<size_t>(m_options.playlists));
    const std::string folder = m_winampDir + "Plugins/ml/playlists/";
    saved.push_back({"Nouvelle liste été", folder + "plf9999.m3u8"});
    std::ofstream(saved.back().path) << "\xEF\xBB\xBF#EXTM3U\r\n";
    ASSERT_TRUE(tools::WriteWinampPlaylistsXml(folder + "playlists.xml", saved));
    const int announced = m_client.CountArriving("MediaLibraryChangedEvent", 2000);
    EXPECT_EQ(announced, 0) << "an update before the folder settled";
    EXPECT_EQ(announced + m_client.CountArriving("MediaLibraryChangedEvent", 15000), 1);
    playlists.insert("Nouvelle liste été");
    EXPECT_EQ(NamesOf(m_client.BrowseAll("\\Music\\Playlists", false)), playlists);
}

}  // namespace
}  // namespace vantor::test
