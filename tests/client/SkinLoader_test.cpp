// The skin loader: the element reader's rules, attribute defaults and inheritance between
// component states, against skin files written by the test.

#include <gtest/gtest.h>

#include <filesystem>

#include "client/skin/SkinCatalog.h"
#include "tests/support/QrmProcess.h"

namespace vantor::skin {
namespace {

class SkinLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { m_dir = test::MakeTempDir("vantor-skin-"); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Write(const std::string& relative, const std::string& text) {
        test::WriteFileText(m_dir + relative, text);
        return m_dir + relative;
    }

    std::string m_dir;
};

constexpr char kSkin[] = R"(<?xml version="1.0"?>
<skin>
  <!-- <bitmap name="commented" file="no.png"/> -->
  <bitmap name="face" file="face.png" transparency="255,0,255"/>
  <bitmap name="plain" file="sub/plain.png" transparency=""/>
  <Bitmap name="wrongcase" file="x.png"/>
  <wincomponent name="playlist.main" x="10" y="20" width="200" height="100"
                backcolor="0,0,255" forecolor="12" selectcolor="300,-1,7"/>
  <font name="title" face="Sans &amp; Serif" size="12" weight="bold" italic="true"
        underline="TRUE" color="255,128,0" quality="antialiased"/>
  <font name="tiny" face="Mono" size="-3" weight="ultra" quality="fancy"/>
  <component name="play" mode="main" ignoreinput="true">
    <state type="norm"><source name="face" x="0" y="0" width="40" height="20"/>
      <rect x="5" y="6" width="40" height="20"/></state>
    <state type="hover"><source name="face" x="40" y="0"/></state>
    <anything type="push"><source name="face" x="80" y="0"/>
      <rect x="7" y="8" width="-1" height="-1"/></anything>
    <state type="other"><source name="face" x="99" y="99" width="1" height="1"/></state>
  </component>
  <component name="label"><state type="norm"/></component>
  <component name="bitmaptext"><state type="norm"><source name="face" x="0" y="0" width="950"
      height="12"/><rect x="0" y="0" width="950" height="12"/></state></component>
</skin>)";

TEST_F(SkinLoaderTest, ReadsEveryElementWithItsRulesAndDefaults) {
    const std::string path = Write("skins/blue/blue.xml", kSkin);
    Skin skin;
    ASSERT_TRUE(skin.Load(path, 96));
    EXPECT_EQ(skin.Folder(), m_dir + "skins/blue/");

    // Comments are skipped; names are case-sensitive; bitmap files are in the skin folder.
    ASSERT_EQ(skin.Bitmaps().size(), 2u);
    EXPECT_EQ(skin.FindBitmap("wrongcase"), nullptr);
    EXPECT_EQ(skin.FindBitmap("commented"), nullptr);
    const SkinBitmap* face = skin.FindBitmap("face");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->filePath, m_dir + "skins/blue/face.png");
    EXPECT_TRUE(face->transparent);
    EXPECT_EQ(face->transparencyColour, (Rgb{255, 0, 255}));
    EXPECT_FALSE(skin.FindBitmap("plain")->transparent);  // present but empty

    const WindowComponent* list = skin.FindWindowComponent("playlist.main");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->rect, (Rect{10, 20, 210, 120}));
    EXPECT_EQ(list->backColour, (Rgb{0, 0, 255}));            // pure blue
    EXPECT_EQ(list->foreColour, (Rgb{0, 0, 0}));              // no "," is black
    EXPECT_EQ(list->selectColour, (Rgb{300 % 256, 255, 7}));  // modulo 256

    const FontDescription* title = skin.FindFont("title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->face, "Sans & Serif");
    EXPECT_EQ(title->height, -16);  // -(12 x 96) / 72
    EXPECT_EQ(title->HeightFor(120), -20);
    EXPECT_EQ(title->weight, 700);
    EXPECT_TRUE(title->italic);
    EXPECT_FALSE(title->underline);  // only the exact "true"
    EXPECT_EQ(title->colour, (Rgb{255, 128, 0}));
    EXPECT_EQ(title->quality, 4);
    const FontDescription* tiny = skin.FindFont("tiny");
    EXPECT_EQ(tiny->sizePoints, 0);  // "-3": the toolkit's default height
    EXPECT_EQ(tiny->height, 0);
    EXPECT_EQ(tiny->weight, 400);
    EXPECT_EQ(tiny->quality, 0);
    EXPECT_FALSE(tiny->colour.has_value());

    const Component* play = skin.FindComponent("play");
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->mode, "main");
    EXPECT_TRUE(play->ignoreInput);
    EXPECT_EQ(play->norm.source, (Rect{0, 0, 40, 20}));
    EXPECT_EQ(play->norm.destination, (Rect{5, 6, 45, 26}));
    // Hover with only a source position: the norm size, drawn at the norm place.
    EXPECT_TRUE(play->hover.present);
    EXPECT_EQ(play->hover.source, (Rect{40, 0, 80, 20}));
    EXPECT_EQ(play->hover.destination, play->norm.destination);
    // A rect of -1 takes the source's size; any child element name will do.
    EXPECT_EQ(play->push.destination, (Rect{7, 8, 47, 28}));

    const Component* label = skin.FindComponent("label");
    EXPECT_TRUE(label->norm.present);
    EXPECT_TRUE(label->norm.bitmap.empty());

    EXPECT_EQ(skin.GlyphWidth(), 10);  // 950 / 95
    EXPECT_EQ(skin.GlyphHeight(), 12);
}

TEST_F(SkinLoaderTest, FailuresKeepThePreviousSkinAndFallBackToTheDefault) {
    const std::string good = Write("skins/default/default.xml", kSkin);
    Write("skins/default/default.gif", "GIF89a");
    Write("skins/blue/blue.xml", "<skin><bitmap name=\"b\" file=\"b.png\"/></skin>");
    Write("skins/blue/notes.txt", "not a skin");
    const std::string empty = Write("skins/broken/broken.xml", "no elements at all");

    Skin skin;
    ASSERT_TRUE(skin.Load(good));
    EXPECT_FALSE(skin.Load(m_dir + "missing.xml"));
    EXPECT_FALSE(skin.Load(empty));
    EXPECT_NE(skin.FindComponent("play"), nullptr);  // nothing was cleared

    EXPECT_EQ(LoadSkinOrDefault(skin, m_dir + "gone.xml", good), SkinLoadOutcome::kDefault);
    EXPECT_EQ(LoadSkinOrDefault(skin, m_dir + "gone.xml", m_dir + "gone too.xml"),
              SkinLoadOutcome::kFailed);
    EXPECT_EQ(DefaultSkinPath(m_dir, false), good);
    EXPECT_EQ(DefaultSkinPath(m_dir, true), m_dir + "skins_vga/default/default.xml");

    const std::vector<InstalledSkin> installed = ListInstalledSkins(m_dir + "skins");
    ASSERT_EQ(installed.size(), 3u);
    EXPECT_EQ(installed[0].displayName, "blue");
    EXPECT_EQ(installed[0].previewPath, "");
    EXPECT_EQ(installed[2].displayName, "default");
    EXPECT_EQ(installed[2].previewPath, m_dir + "skins/default/default.gif");
}

}  // namespace
}  // namespace vantor::skin
