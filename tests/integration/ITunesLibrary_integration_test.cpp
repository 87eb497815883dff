// QRM indexing an iTunes library file and answering library requests over the XML channel.

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/Xml.h"
#include "tests/support/LibraryTestClient.h"
#include "tests/support/QrmProcess.h"

namespace vantor::test {
namespace {

std::string Track(int id, const std::string& name, const std::string& artist,
                  const std::string& album, const std::string& genre, int number,
                  const std::string& location) {
    return "\t\t<key>" + std::to_string(id) + "</key>\n\t\t<dict>\n" +
           "\t\t\t<key>Track ID</key><integer>" + std::to_string(id) + "</integer>\n" +
           "\t\t\t<key>Name</key><string>" + name + "</string>\n" +
           "\t\t\t<key>Artist</key><string>" + artist + "</string>\n" +
           "\t\t\t<key>Album</key><string>" + album + "</string>\n" +
           "\t\t\t<key>Genre</key><string>" + genre + "</string>\n" +
           "\t\t\t<key>Kind</key><string>MPEG audio file</string>\n" +
           "\t\t\t<key>Track Number</key><integer>" + std::to_string(number) + "</integer>\n" +
           "\t\t\t<key>Play Count</key><integer>3</integer>\n" +
           "\t\t\t<key>Location</key><string>" + location + "</string>\n\t\t</dict>\n";
}

std::string Library(bool withExtraTrack) {
    std::string tracks =
        Track(101, "Alpha", "Ann", "First", "Rock", 1, "file:///music/ann/alpha.mp3") +
        Track(102, "Beta", "Ann", "First", "Rock", 2, "file:///music/ann/beta.mp3") +
        Track(103, "Gamma", "Ann", "Second", "Rock", 1, "file:///music/ann/gamma.mp3") +
        Track(104, "Delta", "Bob", "Blue", "Jazz", 1, "file://localhost/music/bob/delta.mp3");
    if (withExtraTrack) {
        tracks += Track(105, "Epsilon", "Bob", "Blue", "Jazz", 2, "file:///music/bob/eps.mp3");
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>Tracks</key>\n\t<dict>\n" +
           tracks +
           "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n"
           "\t\t<dict>\n\t\t\t<key>Name</key><string>Library</string>\n"
           "\t\t\t<key>Master</key><true/>\n\t\t</dict>\n"
           "\t\t<dict>\n\t\t\t<key>Name</key><string>Road Trip</string>\n"
           "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n"
           "\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>101</integer>\n\t\t\t\t</dict>\n"
           "\t\t\t</array>\n\t\t</dict>\n\t</array>\n</dict>\n</plist>\n";
}

using Entry = CLibraryTestClient::Entry;

std::vector<Entry> Results(const std::string& doc) {
    return CLibraryTestClient::Results(doc);
}

std::vector<std::string> Names(const std::string& doc) {
    return CLibraryTestClient::Names(doc);
}

class ITunesLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = m_qrm.DataDir() + "itunes/";
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        m_libraryPath = folder + "iTunes Music Library.xml";
        ASSERT_TRUE(WriteFileText(m_libraryPath, Library(false)));
        m_qrm.SetConfig("PlayerType", "iTunes");
        m_qrm.SetConfig("Paths\\iTunesXML", m_libraryPath);
        ASSERT_TRUE(m_qrm.Start());
        ASSERT_TRUE(m_client.Connect(m_qrm.XmlPort()));
    }

    std::string Ask(const std::string& request, const std::string& responseRoot) {
        return m_client.Ask(request, responseRoot);
    }
    std::string Browse(const std::string& path) { return m_client.Browse(path); }
    bool WaitUntilIndexed() { return m_client.WaitUntilIndexed(); }
    std::optional<std::string> ReadDocument(int timeoutMs) {
        return m_client.Xml().ReadDocument(timeoutMs);
    }

    CQrmProcess m_qrm;
    CLibraryTestClient m_client;
    std::string m_libraryPath;
};

TEST_F(ITunesLibraryTest, BrowsesSearchesAndFetchesTheIndexedLibrary) {
    ASSERT_TRUE(WaitUntilIndexed());
    std::string genres = Browse("\\Music\\Genres");
    EXPECT_EQ(GetElementInt(genres, "returnCode"), 0) << genres;
    EXPECT_EQ(Names(genres), (std::vector<std::string>{"Jazz", "Rock"}));

    // A music-only library answers the root as its one entry, \Music.
    std::string root = Browse("\\");
    EXPECT_EQ(GetElementInt(root, "returnCode"), 0);
    EXPECT_EQ(GetElementText(root, "path"), "\\Music");
    std::vector<std::string> top = Names(root);
    EXPECT_NE(std::find(top.begin(), top.end(), "Artists"), top.end()) << root;

    // An artist with two albums lists them after "All Tracks".
    std::string ann = Browse("\\Music\\Artists\\Ann");
    EXPECT_EQ(Names(ann), (std::vector<std::string>{"All Tracks", "First", "Second"})) << ann;

    std::string album = Browse("\\Music\\Artists\\Ann\\First");
    std::vector<Entry> tracks = Results(album);
    ASSERT_EQ(tracks.size(), 2u) << album;
    EXPECT_EQ(tracks[0].name, "Alpha");
    EXPECT_EQ(tracks[1].name, "Beta");
    EXPECT_EQ(tracks[0].type, "music");
    ASSERT_GT(tracks[0].id, 0);

    std::string found =
        Ask("<MediaSearchRequest><requestId>50</requestId><any>delta</any>"
            "</MediaSearchRequest>",
            "MediaSearchResponse");
    std::vector<Entry> hits = Results(found);
    ASSERT_EQ(hits.size(), 1u) << found;
    EXPECT_EQ(hits[0].name, "Delta");
    EXPECT_EQ(hits[0].type, "music");

    std::string byId = Ask("<GetMediaItemRequest><requestId>51</requestId><id>" +
                               std::to_string(tracks[0].id) + "</id></GetMediaItemRequest>",
                           "GetMediaItemResponse");
    EXPECT_EQ(GetElementInt(byId, "requestId"), 51);
    EXPECT_EQ(GetElementInt(byId, "returnCode"), 0);
    EXPECT_EQ(GetElementText(byId, "title"), "Alpha");
    EXPECT_EQ(GetElementText(byId, "artist"), "Ann");
    EXPECT_EQ(GetElementText(byId, "album"), "First");
    EXPECT_EQ(GetElementText(byId, "path"), "/music/ann/alpha.mp3");

    std::string byPath =
        Ask("<GetMediaItemRequest><requestId>52</requestId>"
            "<path>/music/bob/delta.mp3</path></GetMediaItemRequest>",
            "GetMediaItemResponse");
    EXPECT_EQ(GetElementInt(byPath, "returnCode"), 0);
    EXPECT_EQ(GetElementText(byPath, "title"), "Delta");
    EXPECT_GT(GetElementInt(byPath, "id"), 0);

    std::string missing = Browse("\\Music\\Artists\\Nobody");
    EXPECT_EQ(GetElementInt(missing, "returnCode"), 22);
}

TEST_F(ITunesLibraryTest, AChangedLibraryFileIsReindexedAndAnnounced) {
    ASSERT_TRUE(WaitUntilIndexed());
    EXPECT_EQ(Names(Browse("\\Music\\Artists\\Bob\\Blue")), (std::vector<std::string>{"Delta"}));

    ASSERT_TRUE(WriteFileText(m_libraryPath, Library(true)));

    bool announced = false;
    for (int i = 0; i < 30 && !announced; ++i) {
        auto doc = ReadDocument(1000);
        announced = doc && GetRootElementName(*doc) == "MediaLibraryChangedEvent";
    }
    ASSERT_TRUE(announced);

    // The announcement follows the replacement of the live library, so the new track is
    // there; a late announcement of the first indexing would only delay this by a round.
    std::vector<std::string> expected{"Delta", "Epsilon"};
    std::string blue;
    for (int i = 0; i < 20; ++i) {
        blue = Browse("\\Music\\Artists\\Bob\\Blue");
        if (Names(blue) == expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_EQ(Names(blue), expected) << blue;
}

}  // namespace
}  // namespace vantor::test
