// The handheld profile's rules, without a display: which skins a screen takes, the messages
// of square and landscape screens and the way back, how the face is fitted to a phone's
// screen, the hardware keys' codes and names, and the platform text the real server sees.

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "client/handheld/HardwareKeys.h"
#include "client/handheld/ScreenRules.h"
#include "client/handheld/SearchField.h"
#include "client/link/ConnectWorker.h"
#include "client/settings/KeyNames.h"
#include "client/skin/SkinCatalog.h"
#include "platform/Registry.h"
#include "tests/client/link/LinkTestSupport.h"
#include "tests/support/QrmProcess.h"

namespace vantor::handheld {
namespace {

using Kind = ScreenReaction::Kind;

TEST(HandheldScreenTest, SkinsFolderFollowsTheWidth) {
    const std::string install = "/opt/vantor/";
    ScreenWatch small(false);
    ScreenReaction r = small.OnSize(240, 320);
    EXPECT_EQ(r.kind, Kind::kRefit);
    EXPECT_FALSE(r.vga);
    EXPECT_EQ(skin::DefaultSkinPath(install, small.Vga()), "/opt/vantor/skins/default/default.xml");

    ScreenWatch vga(false);
    r = vga.OnSize(480, 640);
    EXPECT_TRUE(r.vga);
    EXPECT_EQ(skin::DefaultSkinPath(install, vga.Vga()),
              "/opt/vantor/skins_vga/default/default.xml");
    EXPECT_TRUE(HandheldProfileFor(480, install).vga);
    EXPECT_FALSE(HandheldProfileFor(479, install).vga);

    // A chosen skin moves between the two folders with the flag; a skin elsewhere stays.
    EXPECT_EQ(SkinPathForVga("/opt/vantor/skins/daylight/daylight.xml", install, true),
              "/opt/vantor/skins_vga/daylight/daylight.xml");
    EXPECT_EQ(SkinPathForVga("/opt/vantor/skins_vga/daylight/daylight.xml", install, false),
              "/opt/vantor/skins/daylight/daylight.xml");
    EXPECT_EQ(SkinPathForVga("/home/me/skins/mine.xml", install, true), "/home/me/skins/mine.xml");
}

TEST(HandheldScreenTest, SquareAndLandscapeShowTheirMessagesAndPortraitRestoresMain) {
    ScreenWatch square(false);
    ScreenReaction r = square.OnSize(240, 240);
    EXPECT_EQ(r.kind, Kind::kMessage);
    EXPECT_EQ(r.message,
              "Sorry, Vantor does not support square screen configurations - please use a "
              "portrait screen orientation.");

    ScreenWatch device(false);
    EXPECT_EQ(device.OnSize(240, 320).kind, Kind::kRefit);
    EXPECT_EQ(device.OnSize(240, 320).kind, Kind::kNothing);
    r = device.OnSize(320, 240);
    EXPECT_EQ(r.kind, Kind::kMessage);
    EXPECT_EQ(r.message,
              "Sorry, Vantor does not support landscape screen orientations - please use a "
              "portrait screen orientation.");
    EXPECT_TRUE(device.ShowingMessage());
    r = device.OnSize(240, 320);
    EXPECT_EQ(r.kind, Kind::kRestore);
    EXPECT_EQ(r.screen, "main");
    EXPECT_FALSE(r.vga);
    EXPECT_FALSE(device.ShowingMessage());

    // A phone turned on its side reads as VGA while it lies; upright again it is not.
    ScreenWatch phone(false);
    phone.OnSize(360, 720);
    EXPECT_TRUE(phone.OnSize(720, 360).vga);
    r = phone.OnSize(360, 720);
    EXPECT_EQ(r.kind, Kind::kRestore);
    EXPECT_FALSE(r.vga);
}

TEST(HandheldScreenTest, TheFaceFillsThePhonesWidthAndListsTakeTheHeightLeft) {
    // 360 x 720 with its header bar: the 240 x 280 face at one and a half times.
    const int header = HeaderHeightFor(360);
    EXPECT_EQ(header, 60);
    face::FaceView list = FitFace(240, 280, 360, 720 - header, true);
    EXPECT_DOUBLE_EQ(list.scale, 1.5);
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.extraHeight, 660 - 420);
    face::FaceView centred = FitFace(240, 280, 360, 720 - header, false);
    EXPECT_EQ(centred.extraHeight, 0);
    EXPECT_EQ(centred.top, (660 - 420) / 2);
    // The design sizes fit exactly; a short screen narrows the face and centres it.
    face::FaceView exact = FitFace(480, 560, 480, 640 - HeaderHeightFor(480), true);
    EXPECT_DOUBLE_EQ(exact.scale, 1.0);
    EXPECT_EQ(exact.extraHeight, 0);
    face::FaceView narrow = FitFace(240, 280, 240, 140, true);
    EXPECT_DOUBLE_EQ(narrow.scale, 0.5);
    EXPECT_EQ(narrow.left, 60);
    // A point on the scaled face maps back to the skin's pixel.
    EXPECT_EQ(list.FaceX(359), 239);
    EXPECT_EQ(centred.FaceY(centred.top + 3), 2);
}

// "Search" goes when the field takes the focus and comes back when it is left empty; what the
// user typed is never touched, and a field left with text keeps the panel as it is.
TEST(HandheldSearchFieldTest, PlaceholderAndPanelFollowTheFocus) {
    using Panel = SearchFocusStep::Panel;
    SearchFocusStep in = SearchFocusRule(true, "Search");
    EXPECT_TRUE(in.replaceText);
    EXPECT_EQ(in.text, "");
    EXPECT_EQ(in.panel, Panel::kRaise);
    SearchFocusStep out = SearchFocusRule(false, "");
    EXPECT_TRUE(out.replaceText);
    EXPECT_EQ(out.text, "Search");
    EXPECT_EQ(out.panel, Panel::kLower);
    for (const bool focused : {true, false}) {
        SearchFocusStep typed = SearchFocusRule(focused, "Searchlight");
        EXPECT_FALSE(typed.replaceText);
        EXPECT_EQ(typed.panel, Panel::kLeave);
    }
}

TEST(HandheldKeysTest, PhoneKeysTakeTheApplicationButtonCodesAndNames) {
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioRaiseVolume), 0xC1);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioLowerVolume), 0xC2);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioPlay), 0xC3);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioPause), 0xC3);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioNext), 0xC4);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioPrev), 0xC5);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_AudioStop), 0xC6);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_Select), 0x86);
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_Up), 0x26);  // the direction pad as the desktop's
    EXPECT_EQ(HandheldKeyCode(GDK_KEY_Return), 0x0D);

    const std::string dir = test::MakeTempDir("vantor-handheld-keys-");
    {
        CRegistry registry(dir);
        const std::string mine = "SOFTWARE\\Microsoft\\Shell\\Keys\\40C6";
        ASSERT_TRUE(registry.CreateKey(RegistryRoot::LocalMachine, mine));
        ASSERT_TRUE(registry.SetString(RegistryRoot::LocalMachine, mine, "Name", "Camera"));
        ASSERT_TRUE(RegisterButtonNames(registry));
        EXPECT_EQ(client::KeyName(0xC1, &registry), "Volume Up");
        EXPECT_EQ(client::KeyName(0xC3, &registry), "Play/Pause");
        EXPECT_EQ(client::KeyName(0xC6, &registry), "Camera");  // a name already there stays
        EXPECT_EQ(client::KeyName(0x86, &registry), "Center");
    }
    std::filesystem::remove_all(dir);
}

// The version request of the handheld names its platform: the real server answers it from
// "clients/ppc.xml" (and would answer a desktop's from "clients/linux.xml", absent here).
TEST(HandheldProfileTest, TheClientVersionRequestCarriesPpc) {
    const std::string work = test::MakeTempDir("vantor-handheld-qrm-");
    std::filesystem::create_directories(work + "clients");
    ASSERT_TRUE(test::WriteFileText(
        work + "clients/ppc.xml",
        "<VersionInformation><Name>Vantor</Name><Version>1.0.3.1</Version>"
        "<UpdateURL>setup.cab</UpdateURL><Checksum>00000000000000000000000000000000</Checksum>"
        "</VersionInformation>"));
    test::CQrmProcess qrm;
    qrm.SetWorkingDirectory(work);
    qrm.SetConfig("SimulatedPlayer", "true");
    qrm.SetConfig("PlayerType", "iTunes");
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();

    const client::ClientProfile profile = HandheldProfileFor(240, work);
    EXPECT_EQ(profile.platform, "ppc");
    client::ServerLink link;
    test::RecordingListener listener;
    link.SetListener(&listener);
    test::RecordingView view;
    client::ConnectWorker worker(link, view, profile.platform);
    ASSERT_TRUE(worker.Start("127.0.0.1:" + std::to_string(qrm.XmlPort()), false));
    EXPECT_TRUE(listener.WaitFor("version 0", 20000));  // found: the request said "ppc"
    link.Disconnect();
    link.SetListener(nullptr);
    std::filesystem::remove_all(work);
}

}  // namespace
}  // namespace vantor::handheld
