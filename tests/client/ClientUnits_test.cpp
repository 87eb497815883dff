// Small pieces of the client core: framing of the received stream, the title and time
// texts, version comparison and the update's download location.

#include <gtest/gtest.h>

#include "client/display/PlayerTexts.h"
#include "client/link/MessageFramer.h"
#include "client/link/ServerAddress.h"
#include "client/update/ClientUpdater.h"
#include "client/update/ClientVersion.h"
#include "client/update/InstallerLauncher.h"

namespace vantor::client {
namespace {

std::vector<std::string> FeedAll(MessageFramer& framer, const std::vector<std::string>& pieces) {
    std::vector<std::string> documents;
    for (const auto& piece : pieces) {
        EXPECT_TRUE(framer.Feed(piece.data(), piece.size(),
                                [&](std::string&& doc) { documents.push_back(doc); }));
    }
    return documents;
}

TEST(MessageFramerTest, CutsAtEveryZeroWhateverTheReceivesAre) {
    using namespace std::string_literals;
    MessageFramer framer;
    // Two in one receive; one over three receives; a receive ending exactly at a zero.
    EXPECT_EQ(FeedAll(framer, {"<a/>\0<b/>\0"s}), (std::vector<std::string>{"<a/>", "<b/>"}));
    EXPECT_EQ(FeedAll(framer, {"<lo", "ng>x</l", "ong>\0<c"s}),
              (std::vector<std::string>{"<long>x</long>"}));
    EXPECT_EQ(framer.Pending(), 2u);
    EXPECT_EQ(FeedAll(framer, {"/>\0"s}), (std::vector<std::string>{"<c/>"}));
    EXPECT_EQ(framer.Pending(), 0u);
    EXPECT_EQ(FeedAll(framer, {"\0"s}), (std::vector<std::string>{""}));

    MessageFramer small(8);
    EXPECT_FALSE(small.Feed("0123456789", 10, [](std::string&&) {}));
    EXPECT_EQ(small.Pending(), 0u);
}

TEST(PlayerTextsTest, TitleLineAndTimeDisplay) {
    CCurrentMedia media;
    media.title = "Song";
    media.artist = "Band";
    media.length = 3725;
    EXPECT_EQ(TitleLine(media), "Band - Song (1:02:05)");
    media.length = 65;
    EXPECT_EQ(TitleLine(media), "Band - Song (1:05)");
    media.artist.clear();
    media.length = 0;
    EXPECT_EQ(TitleLine(media), "Song");

    EXPECT_EQ(TimeText(0, 3725, true), "-1:02:05");
    EXPECT_EQ(TimeText(0, 3725, false), "00:00");
    EXPECT_EQ(TimeText(4000 * 1000, 3725, true), "-00:00");
    EXPECT_EQ(TimeText(61000, 0, true), "01:01");  // no length: no remaining time
    EXPECT_EQ(WithoutAccents("Caf\xC3\xA9 \xC3\x98 Ni\xC3\xB1o"), "Cafe \xC3\x98 Nino");
}

TEST(ClientUpdateUnitsTest, VersionsLocationsAndParameters) {
    const ClientVersion own = ClientVersion::Parse("1.0.3.1");
    EXPECT_FALSE(ClientVersion::Parse("1.0.2.9").IsNewerThan(own));
    EXPECT_TRUE(ClientVersion::Parse("1.1.0.0").IsNewerThan(own));
    EXPECT_FALSE(ClientVersion::Parse("1.0.3.1").IsNewerThan(own));
    EXPECT_TRUE(ClientVersion::Parse("1.0.3.10").IsNewerThan(own));

    EXPECT_EQ(ClientUpdater::DownloadLocation("http://127.0.0.1:3569/clients/a.sh", "media"),
              "http://media:3569/clients/a.sh");
    EXPECT_EQ(ClientUpdater::DownloadLocation("http://127.0.0.1:3569/c/a.sh", "127.0.0.1"),
              "http://127.0.0.1:3569/c/a.sh");
    EXPECT_EQ(ClientUpdater::InstallerPath("http://h/clients/setup.sh", "/opt/v/"),
              "/opt/v/setup.sh");
    EXPECT_EQ(ClientUpdater::InstallerPath("http://h/clients/..", "/opt/v/"), "");
    EXPECT_EQ(ClientUpdater::InstallerPath("http://h/clients/", "/opt/v/"), "");

    EXPECT_EQ(SplitParameters("/S  \"/D=C:\\Program Files\" -q"),
              (std::vector<std::string>{"/S", "/D=C:\\Program Files", "-q"}));

    ServerEndpoint endpoint;
    EXPECT_TRUE(ParseServerText("media:4000", 3567, endpoint));
    EXPECT_EQ(endpoint.host, "media");
    EXPECT_EQ(endpoint.port, 4000);
    EXPECT_TRUE(ParseServerText("10.0.0.2", 3567, endpoint));
    EXPECT_EQ(endpoint.port, 3567);
    EXPECT_FALSE(ParseServerText("media:99999", 3567, endpoint));
}

}  // namespace
}  // namespace vantor::client
