#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include "platform/DataFolder.h"
#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using test::CTempDir;
using test::ReadFile;
using test::WriteFile;

const char kClientKey[] = "SOFTWARE\\Quillmere\\Vantor Desktop Client";

TEST(Registry, TextAndNumbersRoundTrip) {
    CTempDir dir;
    CRegistry registry(dir.Path());
    const std::string texts[] = {"", "plain", "C:\\Program Files\\x", "two\nlines\r\n", "a=b"};
    for (const std::string& text : texts) {
        ASSERT_TRUE(registry.SetString(RegistryRoot::CurrentUser, kClientKey, "Text", text));
        std::string read = "unset";
        EXPECT_TRUE(registry.GetString(RegistryRoot::CurrentUser, kClientKey, "Text", read));
        EXPECT_EQ(read, text);
    }
    for (uint32_t number : {0u, 3567u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(registry.SetDword(RegistryRoot::CurrentUser, kClientKey, "Port", number));
        uint32_t read = 1;
        EXPECT_TRUE(registry.GetDword(RegistryRoot::CurrentUser, kClientKey, "Port", read));
        EXPECT_EQ(read, number);
    }
    std::string ignored;
    uint32_t ignoredNumber = 0;
    // Names ignore case, types do not mix, hives are separate.
    EXPECT_TRUE(registry.GetDword(RegistryRoot::CurrentUser, kClientKey, "PORT", ignoredNumber));
    EXPECT_FALSE(registry.GetString(RegistryRoot::CurrentUser, kClientKey, "Port", ignored));
    EXPECT_FALSE(registry.GetDword(RegistryRoot::CurrentUser, kClientKey, "Text", ignoredNumber));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, kClientKey));
    EXPECT_FALSE(registry.GetString(RegistryRoot::LocalMachine, kClientKey, "Text", ignored));
}

TEST(Registry, FileIsReadableText) {
    CTempDir dir;
    CRegistry registry(dir.Path());
    ASSERT_TRUE(registry.SetString(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe", "",
                                   "/opt/x\\y"));
    ASSERT_TRUE(
        registry.SetDword(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe", "Size", 12));
    ASSERT_TRUE(registry.SetString(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe", "@",
                                   "named at"));
    const std::string path = dir / "HKEY_LOCAL_MACHINE/Software/App Paths/x.exe.key";
    EXPECT_EQ(registry.KeyFilePath(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe"), path);
    EXPECT_EQ(ReadFile(path), "@=sz:/opt/x\\\\y\n\"Size\"=dword:12\n\"@\"=sz:named at\n");
    std::string value;
    EXPECT_TRUE(
        registry.GetString(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe", "", value));
    EXPECT_EQ(value, "/opt/x\\y");
    EXPECT_TRUE(
        registry.GetString(RegistryRoot::LocalMachine, "Software\\App Paths\\x.exe", "@", value));
    EXPECT_EQ(value, "named at");
}

TEST(Registry, HandWrittenFilesAndDeletion) {
    CTempDir dir;
    CRegistry registry(dir.Path());
    WriteFile(dir / "HKEY_CURRENT_USER/Software/Winamp.key",
              "# comment\r\n@=sz:/home/u/winamp\r\n\"Bad\"=dword:12x\r\n\"Odd\"=blob:1\r\n"
              "\"N\"=dword:7\r\n\"Q\\\"x\"=sz:quoted\r\n");
    std::string folder;
    uint32_t number = 0;
    EXPECT_TRUE(registry.GetString(RegistryRoot::CurrentUser, "Software\\Winamp", "", folder));
    EXPECT_EQ(folder, "/home/u/winamp");
    EXPECT_FALSE(registry.GetDword(RegistryRoot::CurrentUser, "Software\\Winamp", "Bad", number));
    EXPECT_TRUE(registry.GetDword(RegistryRoot::CurrentUser, "Software\\Winamp", "N", number));
    EXPECT_EQ(number, 7u);
    EXPECT_TRUE(registry.GetString(RegistryRoot::CurrentUser, "Software\\Winamp", "Q\"x", folder));
    EXPECT_EQ(folder, "quoted");

    EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\Winamp", "n"));
    EXPECT_FALSE(registry.GetDword(RegistryRoot::CurrentUser, "Software\\Winamp", "N", number));
    EXPECT_FALSE(registry.DeleteValue(RegistryRoot::CurrentUser, "Software\\Winamp", "N"));
    EXPECT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, "Software\\Winamp"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::CurrentUser, "Software\\Winamp"));
    EXPECT_TRUE(registry.CreateKey(RegistryRoot::CurrentUser, "Software\\Empty"));
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, "Software\\Empty"));
}

TEST(Registry, KeyNamesNeverLeaveTheFolder) {
    CTempDir dir;
    CRegistry registry(dir.Path());
    for (const char* key : {"..\\..\\etc", "Software\\..\\x", "a/b", "", "Software\\\\x", "."}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(registry.KeyFilePath(RegistryRoot::CurrentUser, key), "");
        EXPECT_FALSE(registry.SetString(RegistryRoot::CurrentUser, key, "", "x"));
        EXPECT_FALSE(registry.CreateKey(RegistryRoot::CurrentUser, key));
    }
}

TEST(Registry, DefaultFolderFollowsTheEnvironment) {
    CTempDir dir;
    ::setenv("VANTOR_REGISTRY_DIR", (dir / "reg").c_str(), 1);
    EXPECT_EQ(CRegistry::DefaultFolder(), dir / "reg/");
    ASSERT_TRUE(CRegistry().SetDword(RegistryRoot::CurrentUser, "K", "", 1));
    EXPECT_TRUE(test::Exists(dir / "reg/HKEY_CURRENT_USER/K.key"));
    ::unsetenv("VANTOR_REGISTRY_DIR");
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(CRegistry::DefaultFolder(), dir / "config/Quillmere/registry/");
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(DataFolder, OverrideThenEnvironmentThenXdg) {
    CTempDir dir;
    ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    ::setenv("VANTOR_DATA_DIR", (dir / "env").c_str(), 1);
    SetDataFolderOverride(dir / "cli");
    EXPECT_EQ(GetDataFolder(), dir / "cli/");
    EXPECT_TRUE(test::Exists(dir / "cli"));
    SetDataFolderOverride("");
    EXPECT_EQ(GetDataFolder(), dir / "env/");
    ::unsetenv("VANTOR_DATA_DIR");
    EXPECT_EQ(GetDataFolder(), dir / "xdg/Quillmere/Vantor/");
    EXPECT_TRUE(test::Exists(dir / "xdg/Quillmere/Vantor"));
    ::unsetenv("XDG_DATA_HOME");

    ::setenv("XDG_MUSIC_DIR", "/srv/music/", 1);
    EXPECT_EQ(GetMusicFolder(), "/srv/music");
    ::unsetenv("XDG_MUSIC_DIR");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetMusicFolder(), "/home/someone/Music");
    ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace vantor
