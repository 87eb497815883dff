// vantorctl end to end: the program itself against the real QRM driving a private MPD over
// the generated music folder, as a user or a script runs it.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Registry.h"
#include "protocol/Xml.h"
#include "tests/client/ctl/JsonReader.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/server/player/mpd/MpdFixture.h"
#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

extern char** environ;

namespace vantor {
namespace {

using test::CMpdInstance;
using test::CMusicFolder;
using test::CQrmProcess;

struct CtlRun {
    int status = -1;
    std::string output;  // standard output and standard error together
};

class VantorctlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // vantorctl reads the desktop client's settings: never this machine's own.
        s_registry = new std::string(test::MakeTempDir("vantor-ctl-registry-"));
        ::setenv("VANTOR_REGISTRY_DIR", s_registry->c_str(), 1);
        s_mpd = CMpdInstance::Shared();
        ASSERT_NE(s_mpd, nullptr) << "no music folder or no mpd";
        s_qrm = new CQrmProcess();
        s_qrm->SetConfig("PlayerType", "MPD");
        s_qrm->SetConfig("MPD\\Host", s_mpd->Host());
        s_qrm->SetConfig("MPD\\Port", std::to_string(s_mpd->Port()));
        s_qrm->SetConfig("MPD\\MusicDirectory", CMusicFolder::Shared().Root());
        ASSERT_TRUE(s_qrm->Start()) << s_qrm->StdioText();
    }
    static void TearDownTestSuite() {
        delete s_qrm;
        s_qrm = nullptr;
        if (s_registry) std::filesystem::remove_all(*s_registry);
        delete s_registry;
        s_registry = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(s_qrm, nullptr);
        if (!s_mpd->IsRunning()) {
            ASSERT_TRUE(s_mpd->Start(CMusicFolder::Shared().Tracks().size()));
        }
        s_mpd->Command("command_list_begin\nclear\nstop\nsetvol 50\ncommand_list_end");
        // Browsing answers "indexing" until the library's first update is done.
        ASSERT_TRUE(test::WaitUntil(
            [] {
                return Ctl({"browse", "\\Music\\Genres"}).output.find("Rock") != std::string::npos;
            },
            30000));
    }

    static CtlRun Ctl(std::vector<std::string> args, bool withServer = true) {
        std::vector<std::string> argv = {VANTORCTL_PATH};
        if (withServer) {
            argv.push_back("--server");
            argv.push_back("127.0.0.1:" + std::to_string(s_qrm->XmlPort()));
        }
        argv.insert(argv.end(), args.begin(), args.end());
        CtlRun run;
        run.status = test::RunProgram(argv, &run.output);
        return run;
    }

    static test::JsonValue Json(std::vector<std::string> args) {
        args.insert(args.begin(), "--json");
        const CtlRun run = Ctl(args);
        test::JsonValue value;
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(test::ParseJson(run.output, value)) << run.output;
        return value;
    }

    static bool MpdStatusIs(const std::string& key, const std::string& value) {
        return test::WaitUntil([&] { return s_mpd->Status(key) == value; }, 8000);
    }

    static CMpdInstance* s_mpd;
    static CQrmProcess* s_qrm;
    static std::string* s_registry;
};

CMpdInstance* VantorctlTest::s_mpd = nullptr;
CQrmProcess* VantorctlTest::s_qrm = nullptr;
std::string* VantorctlTest::s_registry = nullptr;

TEST_F(VantorctlTest, DrivesThePlayerAndThePlaylist) {
    EXPECT_EQ(Ctl({"playnow", "\\Music\\Albums\\Blue Rooms"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("state", "play"));
    EXPECT_EQ(Ctl({"add", "\\Music\\Albums\\First Light"}).status, 0);

    const test::JsonValue queue = Json({"queue"});
    ASSERT_EQ(queue["items"].items.size(), 4u);
    EXPECT_EQ(queue["total"].number, 4);
    EXPECT_EQ(queue["current"].number, 1);
    const CtlRun plainQueue = Ctl({"queue"});
    EXPECT_EQ(plainQueue.output.rfind("> 1  ", 0), 0u) << plainQueue.output;

    EXPECT_EQ(Ctl({"pause"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("state", "pause"));
    EXPECT_EQ(Ctl({"play"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("state", "play"));
    EXPECT_EQ(Ctl({"volume", "30"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("volume", "30"));
    EXPECT_EQ(Ctl({"volume", "+5"}).output, "volume: 35\n");
    EXPECT_EQ(Ctl({"next"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("song", "1"));

    const test::JsonValue status = Json({"status"});
    EXPECT_EQ(status["state"].text, "playing");
    EXPECT_EQ(status["title"].text, "Late Set");
    EXPECT_EQ(status["volume"].number, 35);
    EXPECT_EQ(status["titleLine"].text, "Mira Quartet - Late Set (0:30)");
    EXPECT_FALSE(status["shuffle"].flag);

    // Ratings travel as 0 to 100: four stars are 80.
    EXPECT_EQ(Ctl({"rate", "4"}).status, 0);
    test::CXmlTestClient client;
    ASSERT_TRUE(client.Connect(s_qrm->XmlPort()));
    ASSERT_TRUE(
        client.SendDocument("<GetTrackRatingRequest><requestId>7</requestId>"
                            "</GetTrackRatingRequest>"));
    std::optional<std::string> rating;
    while ((rating = client.ReadDocument()) &&
           GetRootElementName(*rating) != "GetTrackRatingResponse") {
    }
    ASSERT_TRUE(rating);
    EXPECT_EQ(GetElementInt(*rating, "rating"), 80);

    // The picture embedded in "Late Set", fetched from the server's HTTP channel.
    const std::string dir = test::MakeTempDir("vantor-ctl-art-");
    EXPECT_EQ(Ctl({"art", dir + "cover.png"}).status, 0);
    EXPECT_EQ(test::ReadFileText(dir + "cover.png"), CMusicFolder::Shared().EmbeddedCover());
    std::filesystem::remove_all(dir);

    // The queue kept as one of MPD's own playlists; a name already taken is refused.
    EXPECT_EQ(Ctl({"save", "Road Mix"}).status, 0);
    EXPECT_NE(s_mpd->Command("listplaylists").find("playlist: Road Mix\n"), std::string::npos);
    EXPECT_NE(s_mpd->Command("listplaylist \"Road Mix\"").find("file: "), std::string::npos);
    const CtlRun again = Ctl({"save", "Road Mix"});
    EXPECT_EQ(again.status, 3);
    EXPECT_NE(again.output.find("nvalid"), std::string::npos) << again.output;
    s_mpd->Command("rm \"Road Mix\"");

    EXPECT_EQ(Ctl({"jump", "3"}).status, 0);
    EXPECT_TRUE(MpdStatusIs("song", "2"));
    EXPECT_EQ(Ctl({"remove", "1"}).status, 0);
    EXPECT_EQ(Ctl({"clear"}).status, 0);
    EXPECT_EQ(Json({"queue"})["items"].items.size(), 0u);
}

TEST_F(VantorctlTest, BrowsesAndSearchesTheLibrary) {
    const CtlRun artists = Ctl({"browse", "\\Music\\Artists"});
    EXPECT_EQ(artists.status, 0);
    for (const char* name : {"Basalt", "Mira Quartet", "The Rollers", "Kōji Ōta"}) {
        EXPECT_NE(artists.output.find(name), std::string::npos) << artists.output;
    }
    const test::JsonValue listing = Json({"browse", "\\Music\\Albums\\First Light"});
    ASSERT_EQ(listing["entries"].items.size(), 2u);
    EXPECT_EQ(listing["entries"].items[0]["name"].text, "Opening");

    const test::JsonValue found = Json({"search", "Granite"});
    ASSERT_FALSE(found["results"].items.empty());
    EXPECT_EQ(found["results"].items[0]["name"].text, "Granite");
}

TEST_F(VantorctlTest, WatchPrintsEventsAsTheyCome) {
    const std::string dir = test::MakeTempDir("vantor-ctl-watch-");
    const std::string out = dir + "out.txt";
    const std::string err = dir + "err.txt";
    const std::string server = "127.0.0.1:" + std::to_string(s_qrm->XmlPort());
    std::vector<std::string> args = {VANTORCTL_PATH, "--json", "--server", server, "watch"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);

    const bool watching = test::WaitUntil(
        [&] { return test::ReadFileText(err).find("watching") != std::string::npos; });
    if (watching) {
        EXPECT_TRUE(s_mpd->Mpc({"volume", "55"}));
        EXPECT_TRUE(test::WaitUntil(
            [&] { return test::ReadFileText(out).find("\"volume\":55") != std::string::npos; }));
    }
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(watching) << test::ReadFileText(err);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // One JSON object per line.
    const std::string lines = test::ReadFileText(out);
    size_t start = 0;
    for (size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        test::JsonValue event;
        EXPECT_TRUE(test::ParseJson(lines.substr(start, end - start), event));
        EXPECT_FALSE(event["event"].text.empty());
    }
    std::filesystem::remove_all(dir);
}

TEST_F(VantorctlTest, ServersAreFoundThroughTheClientsDiscoverySettings) {
    CRegistry registry(*s_registry);
    const std::string key = "SOFTWARE\\Quillmere\\Vantor Desktop Client";
    ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, key));
    ASSERT_TRUE(
        registry.SetString(RegistryRoot::LocalMachine, key, "DiscoveryAddress", "127.0.0.1"));
    ASSERT_TRUE(registry.SetDword(RegistryRoot::LocalMachine, key, "DiscoveryPort",
                                  static_cast<uint32_t>(s_qrm->DiscoveryPort())));
    ASSERT_TRUE(registry.SetString(RegistryRoot::LocalMachine, key, "ConnectionPort",
                                   std::to_string(s_qrm->XmlPort())));
    const test::JsonValue servers = Json({"servers"});
    ASSERT_FALSE(servers["servers"].items.empty());
    // Without --server the first one found is used.
    const CtlRun volume = Ctl({"volume"}, false);
    EXPECT_EQ(volume.status, 0) << volume.output;
    EXPECT_EQ(volume.output, "volume: 50\n");
    ASSERT_TRUE(registry.DeleteKey(RegistryRoot::LocalMachine, key));
}

TEST_F(VantorctlTest, ExitStatusesTellWhatWentWrong) {
    const int nobody = test::FindFreePort();
    const CtlRun none = Ctl({"--server", "127.0.0.1:" + std::to_string(nobody), "status"}, false);
    EXPECT_EQ(none.status, 2) << none.output;
    // MPD has no equaliser: the server's answer and its text.
    const CtlRun eq = Ctl({"eq", "preset", "Rock"});
    EXPECT_EQ(eq.status, 3);
    EXPECT_NE(eq.output.find("not supported"), std::string::npos) << eq.output;
    EXPECT_EQ(Ctl({"jump", "zero"}).status, 1);
    EXPECT_EQ(Ctl({"frobnicate"}).status, 1);
    const CtlRun help = Ctl({"--help"}, false);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("watch"), std::string::npos);
}

}  // namespace
}  // namespace vantor
