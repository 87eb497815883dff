#include "server/library/art/OnlineArtProvider.h"

#include "protocol/MediaItem.h"
#include "server/core/ConfigStore.h"
#include "tests/server/library/art/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Two items, each with tracks and pictures; the second item holds "Paranoid Android".
const char* const kTrackAnswer =
    "<ItemSearchResponse><Items>"
    "<Item><ASIN>1</ASIN><MediumImage><URL>http://img/one-m.jpg</URL></MediumImage>"
    "<LargeImage><URL>http://img/One-L.jpg</URL></LargeImage>"
    "<Tracks><Disc Number=\"1\"><Track Number=\"1\">Airbag</Track>"
    "<Track Number=\"2\">Android Dreams</Track></Disc></Tracks></Item>"
    "<Item><ASIN>2</ASIN><LargeImage><URL>http://img/Two-L.jpg</URL></LargeImage>"
    "<Tracks><Disc Number=\"1\"><Track Number=\"1\">Paranoid Android</Track></Disc></Tracks>"
    "</Item></Items></ItemSearchResponse>";

TEST(OnlineArtProviderTest, PictureAddressFromTheMatchingItem) {
    struct Case {
        const char* response;
        const char* title;
        const char* expected;
    };
    const Case cases[] = {
        // Every word must appear in one track, in any order and case.
        {kTrackAnswer, "android paranoid", "http://img/Two-L.jpg"},
        {kTrackAnswer, "Android", "http://img/One-L.jpg"},
        // No track matches: the first item.
        {kTrackAnswer, "karma police", "http://img/One-L.jpg"},
        // No tracks listed at all: the first item; the medium image when there is no large one.
        {"<Items><Item><LargeImage><URL>http://l/a.jpg</URL></LargeImage></Item>"
         "<Item><LargeImage><URL>http://l/b.jpg</URL></LargeImage></Item></Items>",
         "x", "http://l/a.jpg"},
        {"<Items><Item><MediumImage><URL>http://m/a.jpg</URL></MediumImage></Item></Items>", "x",
         "http://m/a.jpg"},
        {"<Items><Item><LargeImage><Url>http://x/y?a=1&amp;b=2</Url></LargeImage></Item></Items>",
         "x", "http://x/y?a=1&b=2"},
        {"<Items><Item><SmallImage><URL>http://s.jpg</URL></SmallImage></Item></Items>", "x", ""},
        {"", "x", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindPictureUrl(c.response, c.title), c.expected) << c.title;
    }
}

class OnlineArtProviderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("vantor-online-art-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        m_config = std::make_unique<CConfigStore>(m_folder.string() + "/");
        m_provider = std::make_unique<COnlineArtProvider>(*m_config);
        m_provider->SetRetryDelay(10);
        m_server.SetAnswer("/pictures/two.jpg", "PICTURE-TWO");
        m_server.SetAnswer("/pictures/one.jpg", "PICTURE-ONE");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void UseLookup() {
        m_config->SetString("AlbumArtLookupURL", m_server.BaseUrl() + "/onca/xml", false, true);
    }

    std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    test::CLocalHttpServer m_server;
    fs::path m_folder;
    std::unique_ptr<CConfigStore> m_config;
    std::unique_ptr<COnlineArtProvider> m_provider;
};

TEST_F(OnlineArtProviderFixture, ArtistLookupPicksTheItemOfTheMatchingTrack) {
    std::string answer = kTrackAnswer;
    const std::string base = m_server.BaseUrl();
    answer.replace(answer.find("http://img/One-L.jpg"), 20, base + "/pictures/one.jpg");
    answer.replace(answer.find("http://img/Two-L.jpg"), 20, base + "/pictures/two.jpg");
    m_server.SetAnswer("/onca/xml", answer);
    UseLookup();

    CMusicItem track;
    track.artist = "Radiohead";
    track.name = "Paranoid Android";
    const fs::path target = m_folder / "art.jpg";
    ASSERT_EQ(m_provider->GetAlbumArt(track, target.string()), 0);
    EXPECT_EQ(ReadFile(target), "PICTURE-TWO");

    const auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              "/onca/xml?Service=AWSECommerceService&SubscriptionId=0ZT7KQ4WN2B8RX5MJ1HD"
              "&Operation=ItemSearch&Keywords=&Artist=radiohead&SearchIndex=Music"
              "&ResponseGroup=Small,Tracks,Images");
    EXPECT_EQ(requests[1], "/pictures/two.jpg");
}

TEST_F(OnlineArtProviderFixture, AlbumLookupRetriesThenFallsBackToTheArtist) {
    // The answer names a picture that does not exist: every lookup fails, and each is tried.
    m_server.SetAnswer("/onca/xml", "<Item><LargeImage><URL>" + m_server.BaseUrl() +
                                        "/missing.jpg</URL></LargeImage></Item>");
    UseLookup();

    CMusicItem track;
    track.artist = "Simon & Garfunkel";
    track.album = "Bookends";
    track.name = "America";
    const fs::path target = m_folder / "art.jpg";
    EXPECT_NE(m_provider->GetAlbumArt(track, target.string()), 0);
    EXPECT_FALSE(fs::exists(target));

    std::vector<std::string> searches;
    for (const std::string& r : m_server.Requests()) {
        if (r.rfind("/onca/xml", 0) == 0) searches.push_back(r);
    }
    ASSERT_EQ(searches.size(), 3u);
    const std::string albumQuery =
        "Artist=simon%20%26%20garfunkel&Title=bookends&SearchIndex=Music"
        "&ResponseGroup=Small,Images";
    EXPECT_NE(searches[0].find(albumQuery), std::string::npos) << searches[0];
    EXPECT_EQ(searches[1], searches[0]);
    EXPECT_NE(searches[2].find("Artist=simon%20%26%20garfunkel&SearchIndex=Music"
                               "&ResponseGroup=Small,Tracks,Images"),
              std::string::npos)
        << searches[2];
}

TEST_F(OnlineArtProviderFixture, NoLookupWithoutAnEndpoint) {
    CMusicItem track;
    track.artist = "A";
    track.name = "T";
    EXPECT_NE(m_provider->GetAlbumArt(track, (m_folder / "art.jpg").string()), 0);
    EXPECT_TRUE(m_server.Requests().empty());
}

}  // namespace
}  // namespace vantor
