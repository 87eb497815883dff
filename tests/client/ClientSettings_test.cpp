// Settings in a registry folder of the test, the server history, key names and the rules
// of binding keys to actions.

#include <gtest/gtest.h>

#include <filesystem>

#include "client/settings/ClientSettings.h"
#include "client/settings/KeyNames.h"
#include "platform/Registry.h"
#include "tests/support/QrmProcess.h"

namespace vantor::client {
namespace {

class ClientSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = test::MakeTempDir("vantor-settings-");
        m_registry = CRegistry(m_dir);
        m_profile = ClientProfile::Desktop();
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string m_dir;
    CRegistry m_registry{"/nonexistent/"};  // replaced by the test's folder in SetUp
    ClientProfile m_profile;
};

TEST_F(ClientSettingsTest, AbsentValuesHaveTheirDefaultsAndEveryValueSurvivesASave) {
    ClientSettings settings;
    settings.Load(m_registry, m_profile);
    EXPECT_EQ(settings.connectionPort, "3567");
    EXPECT_EQ(settings.discoveryPort, 3568);
    EXPECT_EQ(settings.discoveryAddress, "255.255.255.255");
    EXPECT_TRUE(settings.autoConnect);
    EXPECT_TRUE(settings.nowPlayingOnIdle);
    EXPECT_FALSE(settings.showRemainingTime);
    EXPECT_EQ(settings.bindings.Binding(0).keyCode, -1);
    EXPECT_EQ(settings.skinFilePath, settings.installFolder + "skins/default/default.xml");

    ASSERT_TRUE(m_registry.CreateKey(RegistryRoot::LocalMachine, m_profile.registryKey));
    ASSERT_TRUE(m_registry.SetString(RegistryRoot::LocalMachine, m_profile.registryKey,
                                     "InstallDir", "/opt/vantor"));
    settings.Load(m_registry, m_profile);
    EXPECT_EQ(settings.installFolder, "/opt/vantor/");  // the trailing "/" is added
    EXPECT_EQ(settings.skinFilePath, "/opt/vantor/skins/default/default.xml");

    settings.servers = {"10.0.0.2", "media:4000"};
    settings.connectionPort = "4100";
    settings.discoveryPort = 4101;
    settings.autoConnect = false;
    settings.showRemainingTime = true;
    settings.bindings.Set(12, {0x72, false});
    ASSERT_TRUE(settings.Save(m_registry, m_profile));
    ClientSettings again;
    again.Load(m_registry, m_profile);
    EXPECT_EQ(again.servers, settings.servers);
    EXPECT_EQ(again.connectionPort, "4100");
    EXPECT_EQ(again.discoveryPort, 4101);
    EXPECT_FALSE(again.autoConnect);
    EXPECT_TRUE(again.showRemainingTime);
    EXPECT_EQ(again.bindings.Binding(12).keyCode, 0x72);
    EXPECT_EQ(again.bindings.Binding(0).keyCode, -1);  // stored as 0xFFFFFFFF

    // The handheld profile keeps its own key.
    ClientSettings handheld;
    handheld.Load(m_registry, ClientProfile::Handheld(480));
    EXPECT_TRUE(handheld.autoConnect);
    EXPECT_EQ(ClientProfile::Handheld(480).platform, "ppc");
    EXPECT_NE(handheld.skinFilePath.find("skins_vga/default/default.xml"), std::string::npos);
    EXPECT_NE(ClientProfile::Handheld(240).vga, true);
}

TEST_F(ClientSettingsTest, ServerHistoryKeepsFourMostRecentFirstWithoutDuplicates) {
    ClientSettings settings;
    settings.servers = {"a", "b", "c", "d"};
    settings.RememberServer(kFindAutomatically);
    EXPECT_EQ(settings.servers, (std::vector<std::string>{"a", "b", "c", "d"}));
    settings.RememberServer("c");
    EXPECT_EQ(settings.servers, (std::vector<std::string>{"c", "a", "b", "d"}));
    settings.RememberServer("e");
    EXPECT_EQ(settings.servers, (std::vector<std::string>{"e", "c", "a", "b"}));
    EXPECT_EQ(settings.ServerChoices().front(), kFindAutomatically);
}

TEST(KeyNamesTest, NamesFollowTheTable) {
    EXPECT_EQ(KeyName(0x72), "F3");
    EXPECT_EQ(KeyName(0x64), "Num 4");
    EXPECT_EQ(KeyName(0xE5), "Button E5");
    EXPECT_EQ(KeyName(0x41), "A");
    EXPECT_EQ(KeyName(0x86), "Center");
    EXPECT_EQ(KeyName(0x87), "F24");
    EXPECT_EQ(KeyName(0xC2), "Button 2");
    EXPECT_EQ(KeyName(0), "");
    EXPECT_EQ(KeyName(0x1FF), "");
}

TEST_F(ClientSettingsTest, HardwareButtonsTakeThePlatformsNames) {
    ASSERT_TRUE(
        m_registry.CreateKey(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shell\\Keys\\40C1"));
    ASSERT_TRUE(m_registry.SetString(RegistryRoot::LocalMachine,
                                     "SOFTWARE\\Microsoft\\Shell\\Keys\\40C1", "Name", "Calendar"));
    EXPECT_EQ(KeyName(0xC1, &m_registry), "Calendar");
    EXPECT_EQ(KeyName(0xC3, &m_registry), "Button 3");
}

TEST(KeyBindingsTest, BindingReplacingAndReleasing) {
    KeyBindings bindings;
    EXPECT_EQ(bindings.TryBind(3, 0x20).outcome, BindAttempt::kBound);  // Space: Stop
    BindAttempt invalid = bindings.TryBind(0, 0);
    EXPECT_EQ(invalid.outcome, BindAttempt::kInvalidKey);
    EXPECT_EQ(invalid.message, "Please press a valid hardware button");
    EXPECT_EQ(invalid.title, "Invalid Key");

    BindAttempt taken = bindings.TryBind(0, 0x20);
    EXPECT_EQ(taken.outcome, BindAttempt::kAlreadyBound);
    EXPECT_EQ(taken.message,
              "Space is already bound to Stop. Would you like to replace this association?");
    EXPECT_EQ(taken.title, "Key Already In Use");
    EXPECT_EQ(bindings.Binding(0).keyCode, -1);  // a "no" changes nothing
    bindings.ReplaceBinding(0, 0x20);            // "yes"
    EXPECT_EQ(bindings.Binding(0).keyCode, 0x20);
    EXPECT_EQ(bindings.Binding(3).keyCode, -1);

    bindings.Release(0);
    EXPECT_EQ(bindings.ActionForKey(0x20), -1);
}

TEST(KeyBindingsTest, BoundKeysActOnReleaseOnceWithinTheGuard) {
    KeyBindings bindings;
    bindings.Set(4, {0x27, false});  // Right: Next Song
    bindings.Set(6, {0x26, true});   // Up: Increase Volume, on key-down

    const KeyDecision unbound = bindings.OnKeyDown(0x28, 0);
    EXPECT_FALSE(unbound.swallow);

    KeyDecision down = bindings.OnKeyDown(0x27, 1000);
    EXPECT_TRUE(down.swallow);
    EXPECT_EQ(down.action, -1);
    EXPECT_EQ(bindings.OnKeyUp(0x27, 1010).action, 4);
    EXPECT_EQ(bindings.OnKeyUp(0x27, 1050).action, -1);  // within 100 ms of the last action
    EXPECT_EQ(bindings.OnKeyUp(0x27, 1111).action, 4);

    EXPECT_EQ(bindings.OnKeyDown(0x26, 2000).action, 6);
    const KeyDecision up = bindings.OnKeyUp(0x26, 2500);
    EXPECT_TRUE(up.swallow);
    EXPECT_EQ(up.action, -1);
}

}  // namespace
}  // namespace vantor::client
