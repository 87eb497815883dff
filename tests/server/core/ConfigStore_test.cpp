#include "server/core/ConfigStore.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <thread>

#include "platform/Registry.h"
#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using test::CTempDir;
using test::Exists;
using test::ReadFile;
using test::WriteFile;

struct ReadCase {
    const char* name;
    std::string file;
    std::string key;
    std::string expectString;  // GetString(key, "<default>")
    int expectInt;             // GetInt(key, -99)
};

class ConfigReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ConfigReadTest, ReadsValueAsStored) {
    const ReadCase& c = GetParam();
    CTempDir dir;
    WriteFile(dir / "QRM.config", c.file);
    CConfigStore store(dir.Path());
    EXPECT_EQ(store.GetString(c.key, "<default>"), c.expectString);
    EXPECT_EQ(store.GetInt(c.key, -99), c.expectInt);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigReadTest,
    ::testing::Values(
        ReadCase{"PortNumber", "Ports\\XMLChannel=4000\r\n", "Ports\\XMLChannel", "4000", 4000},
        ReadCase{"EmptyValueIsZeroNotDefault", "Ports\\XMLChannel=\r\n", "Ports\\XMLChannel", "",
                 0},
        ReadCase{"SplitAtFirstEquals", "ServerName=A=B\r\n", "ServerName", "A=B", 0},
        ReadCase{"LastDuplicateWins", "K=1\r\nOther=x\r\nK=2\r\n", "K", "2", 2},
        ReadCase{"KeysAreCaseSensitive", "k=5\r\n", "K", "<default>", -99},
        ReadCase{"LineWithoutEqualsSkipped", "junk\r\nK=7", "K", "7", 7},
        ReadCase{"LfOnlyLines", "A=1\nK=8\n", "K", "8", 8},
        ReadCase{"StrayCarriageReturnRemoved", "K=1\r2\r\n", "K", "12", 12},
        ReadCase{"AtoiStopsAtNonDigit", "K=12abc\r\n", "K", "12abc", 12},
        ReadCase{"AtoiSkipsSpaceAndSign", "K= -7\r\n", "K", " -7", -7},
        ReadCase{"NonNumericIsZero", "K=abc\r\n", "K", "abc", 0},
        ReadCase{"HugeNumberSaturates", "K=99999999999\r\n", "K", "99999999999", 2147483647},
        // A line longer than 500 characters is read in 500-character pieces.
        ReadCase{"LongLineCut", "K=" + std::string(600, '9') + "\r\n", "K", std::string(498, '9'),
                 2147483647},
        ReadCase{"MissingFileGivesDefault", "", "K", "<default>", -99}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigStore, BoolValues) {
    const struct {
        const char* value;
        bool def;
        bool expected;
    } cases[] = {
        {"true", false, true},  {"TRUE", false, true}, {"False", true, false},
        {"FALSE", true, false}, {"no", true, true},    {"no", false, false},
        {"1", false, false},    {"", true, true},      {"yes", false, false},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        WriteFile(dir / "QRM.config", std::string("AutoUpdate=") + c.value + "\r\n");
        CConfigStore store(dir.Path());
        EXPECT_EQ(store.GetBool("AutoUpdate", c.def), c.expected)
            << "value '" << c.value << "' default " << c.def;
    }
}

TEST(ConfigStore, SavesEntriesInOrderWithCrLf) {
    CTempDir dir;
    WriteFile(dir / "QRM.config", "B=old\r\nA=1\r\n");
    CConfigStore store(dir.Path());
    EXPECT_TRUE(store.SetString("B", "new"));
    EXPECT_TRUE(store.SetString("Hidden", "x", /*doNotSave=*/true));
    EXPECT_TRUE(store.SetString("Later", "y", false, /*noSave=*/true));
    EXPECT_EQ(ReadFile(dir / "QRM.config"), "B=new\r\nA=1\r\n");
    EXPECT_TRUE(store.SetString("C", "3"));
    EXPECT_EQ(ReadFile(dir / "QRM.config"), "B=new\r\nA=1\r\nLater=y\r\nC=3\r\n");
    EXPECT_EQ(store.GetString("Hidden", ""), "x");

    CConfigStore reread(dir.Path());
    EXPECT_EQ(reread.GetString("Later", ""), "y");
    EXPECT_EQ(reread.GetString("Hidden", "none"), "none");
    EXPECT_FALSE(Exists(dir / "QRM.config.tmp"));
}

TEST(ConfigStore, RemovingEveryEntryDeletesTheFile) {
    CTempDir dir;
    WriteFile(dir / "QRM.config", "A=1\r\nB=2\r\n");
    CConfigStore store(dir.Path());
    EXPECT_TRUE(store.Remove("A"));
    EXPECT_EQ(ReadFile(dir / "QRM.config"), "B=2\r\n");
    EXPECT_TRUE(store.Remove("B", /*noSave=*/true));
    EXPECT_TRUE(Exists(dir / "QRM.config"));
    EXPECT_TRUE(store.Save());
    EXPECT_FALSE(Exists(dir / "QRM.config"));
    EXPECT_TRUE(store.Remove("NotThere"));  // nothing to write, nothing to delete
}

TEST(ConfigStore, FailedWriteKeepsThePreviousFile) {
    CTempDir dir;
    WriteFile(dir / "QRM.config", "A=1\r\n");
    CConfigStore store(dir.Path());
    // A folder where the temporary file would go makes the write fail.
    std::filesystem::create_directory(dir / "QRM.config.tmp");
    EXPECT_FALSE(store.SetString("A", "2"));
    EXPECT_EQ(ReadFile(dir / "QRM.config"), "A=1\r\n");
    EXPECT_EQ(store.GetString("A", ""), "2");  // the value is kept in memory
}

TEST(ConfigStore, ConcurrentReadersAndWriters) {
    CTempDir dir;
    CConfigStore store(dir.Path());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&store, t] {
            const std::string key = "Key" + std::to_string(t);
            for (int i = 0; i < 50; ++i) {
                store.SetInt(key, i);
                EXPECT_EQ(store.GetInt(key, -1), i);
                store.GetString("Key0", "");
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    CConfigStore reread(dir.Path());
    for (int t = 0; t < 4; ++t) EXPECT_EQ(reread.GetInt("Key" + std::to_string(t), -1), 49);
}

// Player detection looks in a private registry folder.
class PlayerTypeTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("VANTOR_REGISTRY_DIR", m_registryDir.Path().c_str(), 1); }
    void TearDown() override { ::unsetenv("VANTOR_REGISTRY_DIR"); }

    void Plant(RegistryRoot root, const std::string& key, const std::string& value) {
        ASSERT_TRUE(CRegistry().SetString(root, key, "", value));
    }
    std::string MakeFile(const std::string& name) {
        WriteFile(m_programs / name, "binary");
        return m_programs / name;
    }

    CTempDir m_registryDir;
    CTempDir m_programs;
    CTempDir m_data;
};

const char kITunesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iTunes.exe";
const char kWmpKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe";
const char kWinampKey[] = "Software\\Winamp";

TEST_F(PlayerTypeTest, DetectsEachPlayerWithoutStoringIt) {
    struct Case {
        const char* name;
        bool iTunes, iTunesFileExists, wmp, winamp, winampExeExists;
        int expected;
    };
    const Case cases[] = {
        {"nothing", false, false, false, false, false, kPlayerNone},
        {"iTunes", true, true, false, false, false, kPlayerITunes},
        {"iTunesFileMissing", true, false, false, false, false, kPlayerNone},
        {"wmp", false, false, true, false, false, kPlayerWMP},
        {"winamp", false, false, false, true, true, kPlayerWinamp},
        {"winampWithoutExe", false, false, false, true, false, kPlayerNone},
        {"iTunesBeforeWmp", true, true, true, true, true, kPlayerITunes},
        {"wmpBeforeWinamp", false, false, true, true, true, kPlayerWMP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_registryDir.Path());
        std::filesystem::remove_all(m_programs.Path());
        std::filesystem::create_directories(m_programs.Path());
        if (c.iTunes) {
            const std::string exe =
                c.iTunesFileExists ? MakeFile("iTunes.exe") : m_programs / "gone.exe";
            Plant(RegistryRoot::LocalMachine, kITunesKey, exe);
        }
        if (c.wmp) Plant(RegistryRoot::LocalMachine, kWmpKey, "/nowhere/wmplayer.exe");
        if (c.winamp) {
            if (c.winampExeExists) MakeFile("Winamp/Winamp.exe");
            Plant(RegistryRoot::CurrentUser, kWinampKey, m_programs / "Winamp");
        }
        WriteFile(m_data / "QRM.config", "ServerName=x\r\n");
        CConfigStore store(m_data.Path());
        EXPECT_EQ(store.GetPlayerType(), c.expected);
        EXPECT_EQ(store.GetString("PlayerType", "absent"), "absent");
        EXPECT_EQ(ReadFile(m_data / "QRM.config"), "ServerName=x\r\n");
    }
}

TEST_F(PlayerTypeTest, StoredTypeWinsAndZeroRemovesIt) {
    Plant(RegistryRoot::LocalMachine, kWmpKey, "/nowhere/wmplayer.exe");
    CConfigStore store(m_data.Path());
    EXPECT_TRUE(store.SetPlayerType(kPlayerWinamp));
    EXPECT_EQ(ReadFile(m_data / "QRM.config"), "PlayerType=Winamp\r\n");
    EXPECT_EQ(store.GetPlayerType(), kPlayerWinamp);
    EXPECT_TRUE(store.SetPlayerType(kPlayerMPD));
    EXPECT_EQ(store.GetPlayerType(), kPlayerMPD);
    EXPECT_TRUE(store.SetString("PlayerType", "mpris"));
    EXPECT_EQ(store.GetPlayerType(), kPlayerMPRIS);
    EXPECT_FALSE(store.SetPlayerType(9));
    EXPECT_TRUE(store.SetPlayerType(kPlayerNone));
    EXPECT_FALSE(Exists(m_data / "QRM.config"));
    EXPECT_EQ(store.GetPlayerType(), kPlayerWMP);  // detected again
    EXPECT_TRUE(store.SetString("PlayerType", "Jukebox"));
    EXPECT_EQ(store.GetPlayerType(), kPlayerWMP);  // unknown names mean "detect"
}

TEST_F(PlayerTypeTest, PlayerProgramsComeFromTheirPathsElseFromTheRegistry) {
    CConfigStore store(m_data.Path());
    EXPECT_EQ(store.GetITunesProgram(), "");
    Plant(RegistryRoot::LocalMachine, kITunesKey, "/opt/players/iTunes.exe");
    Plant(RegistryRoot::LocalMachine, kWmpKey, "/opt/players/wmplayer.exe");
    EXPECT_EQ(store.GetITunesProgram(), "/opt/players/iTunes.exe");
    EXPECT_EQ(store.GetWMPProgram(), "/opt/players/wmplayer.exe");
    store.SetString("Paths\\WMP", "/home/user/wmp-sim");
    EXPECT_EQ(store.GetWMPProgram(), "/home/user/wmp-sim");
    EXPECT_EQ(store.GetITunesProgram(), "/opt/players/iTunes.exe");
}

TEST_F(PlayerTypeTest, AddedDetectorsRunAfterTheOriginalPlayers) {
    CConfigStore store(m_data.Path());
    int calls = 0;
    store.AddPlayerDetector([&calls] {
        ++calls;
        return kPlayerMPD;
    });
    EXPECT_EQ(store.GetPlayerType(), kPlayerMPD);
    Plant(RegistryRoot::LocalMachine, kWmpKey, "x");
    EXPECT_EQ(store.GetPlayerType(), kPlayerWMP);
    EXPECT_EQ(calls, 1);
}

TEST_F(PlayerTypeTest, WinampPathFallsBackToTheDetectedFolder) {
    MakeFile("Winamp/Winamp.exe");
    Plant(RegistryRoot::CurrentUser, kWinampKey, m_programs / "Winamp");
    CConfigStore store(m_data.Path());
    EXPECT_EQ(store.GetWinampPath(), m_programs / "Winamp");
    EXPECT_TRUE(store.SetString("Paths\\Winamp", "/opt/winamp"));
    EXPECT_EQ(store.GetWinampPath(), "/opt/winamp");
}

}  // namespace
}  // namespace vantor
