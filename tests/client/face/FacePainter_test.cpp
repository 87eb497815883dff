// The skinned face drawn into images without a display: each screen of the default skin for
// given player states, checked by the pixels the drawing rules fix. The images are kept
// under the build folder (face-renders/) for looking at.

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "client/display/PlayerTexts.h"
#include "client/display/TitleScroll.h"
#include "client/face/FaceGeometry.h"
#include "client/face/FacePainter.h"
#include "client/face/PictureLoader.h"
#include "client/face/SkinPainter.h"
#include "client/link/ConnectView.h"
#include "client/skin/Skin.h"

namespace vantor::face {
namespace {

const std::string kSkinsRoot = VANTOR_SKINS_ROOT;
const std::string kRenders = std::string(VANTOR_BINARY_DIR) + "/face-renders/";

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "rgb(" << p.r << "," << p.g << "," << p.b << ")";
}

// An image the size of the skin's "main" component.
class Image {
public:
    Image(int w, int h)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)),
          m_cr(cairo_create(m_surface)) {}
    ~Image() {
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
    }
    cairo_t* cr() const { return m_cr; }
    Pixel At(int x, int y) const {
        cairo_surface_flush(m_surface);
        const unsigned char* data = cairo_image_surface_get_data(m_surface);
        const int stride = cairo_image_surface_get_stride(m_surface);
        const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        return {static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                static_cast<int>(p & 0xff)};
    }
    bool SameAs(const Image& other) const {
        cairo_surface_flush(m_surface);
        cairo_surface_flush(other.m_surface);
        const int h = cairo_image_surface_get_height(m_surface);
        const int stride = cairo_image_surface_get_stride(m_surface);
        return std::memcmp(cairo_image_surface_get_data(m_surface),
                           cairo_image_surface_get_data(other.m_surface),
                           static_cast<size_t>(h) * stride) == 0;
    }
    void Save(const std::string& name) const {
        std::filesystem::create_directories(kRenders);
        cairo_surface_write_to_png(m_surface, (kRenders + name + ".png").c_str());
    }

private:
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
};

bool Near(const Pixel& a, const Pixel& b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

class FacePainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_skin.Load(kSkinsRoot + "/skins/default/default.xml"));
        const skin::Component* main = m_skin.FindComponent("main");
        ASSERT_NE(main, nullptr);
        m_width = main->norm.destination.Width();
        m_height = main->norm.destination.Height();
    }

    // The playing state of most cases: a long title half-way through.
    static FaceState Playing() {
        FaceState state;
        state.screen = kScreenMain;
        state.player.playingState = kPlaying;
        state.player.media.artist = "The Quiet Hours";
        state.player.media.title = "A Very Long Title That Needs Far More Room Than The Line";
        state.player.media.length = 120;
        state.player.volume = 50;
        state.player.playlistPosition = 1;
        state.playlistLength = 3;
        state.positionMs = 60000;
        state.titleLine = client::TitleLine(state.player.media);
        return state;
    }

    void Render(Image& image, FaceState state) {
        // Bars follow the state the way the window sets them.
        const skin::Component* position = m_skin.FindComponent("positionbar.back");
        const skin::Component* volume = m_skin.FindComponent("volumebar.back");
        state.positionBar = BarPixels(position->norm.destination.Width(), state.positionMs,
                                      int64_t{state.player.media.length} * 1000);
        state.volumeBar = BarPixels(volume->norm.destination.Width(), state.player.volume, 100);
        m_face.Paint(image.cr(), state);
    }

    const skin::Rect& Dest(const char* name) const {
        return m_skin.FindComponent(name)->norm.destination;
    }

    Pixel Accent() const { return {0x4c, 0x9d, 0xff}; }

    skin::Skin m_skin;
    SkinImages m_images{m_skin};
    SkinPainter m_painter{m_skin, m_images};
    FacePainter m_face{m_painter};
    int m_width = 0;
    int m_height = 0;
};

TEST_F(FacePainterTest, EveryScreenOfTheDefaultSkinRenders) {
    const std::pair<const char*, int> screens[] = {{kScreenConnect, kStopped},
                                                   {kScreenMain, kPlaying},
                                                   {kScreenEq, kPaused},
                                                   {kScreenPlaylist, kPlaying},
                                                   {kScreenNowPlaying, kPlaying}};
    for (const auto& [screen, playing] : screens) {
        Image image(m_width, m_height);
        FaceState state = Playing();
        state.screen = screen;
        state.player.playingState = playing;
        state.connecting = true;
        state.connectProgress = 40;
        state.connectStatus = client::kDiscoveringText;
        state.albumArt = LoadPicture(m_skin.Folder() + "no_artwork.png");
        Render(image, state);
        image.Save(std::string("default-") + screen);
        // The background is drawn everywhere; something lies on top of it.
        EXPECT_NE(image.At(m_width / 2, m_height / 2), (Pixel{0, 0, 0})) << screen;
    }
}

TEST_F(FacePainterTest, BarsShowTheirValuesInPixels) {
    const skin::Rect& bar = Dest("positionbar.back");
    const int mid = bar.top + bar.Height() / 2;
    FaceState state = Playing();  // 60 of 120 seconds: half the bar
    Image image(m_width, m_height);
    Render(image, state);
    image.Save("position-half");
    const int half = bar.Width() / 2;
    EXPECT_TRUE(Near(image.At(bar.left + half - 2, mid), Accent()))
        << image.At(bar.left + half - 2, mid);
    EXPECT_FALSE(Near(image.At(bar.left + half + 2, mid), Accent(), 40));

    const skin::Rect& volume = Dest("volumebar.back");
    const int vmid = volume.top + volume.Height() / 2;
    for (int value : {0, 50, 100}) {
        FaceState v = Playing();
        v.player.volume = value;
        Image vi(m_width, m_height);
        Render(vi, v);
        vi.Save("volume-" + std::to_string(value));
        const int filled = volume.Width() * value / 100;
        if (filled > 2) {
            EXPECT_TRUE(Near(vi.At(volume.left + filled - 2, vmid), Accent())) << value;
        }
        if (filled < volume.Width() - 2) {
            EXPECT_FALSE(Near(vi.At(volume.left + filled + 2, vmid), Accent(), 40)) << value;
        }
    }
}

TEST_F(FacePainterTest, EqualiserKnobsFollowTheValues) {
    const skin::Rect& band = Dest("eq.bar01");
    const skin::Rect& knob = Dest("eq.position");
    const int column = band.left + band.Width() / 2 - 7;  // beside the knob's centre mark
    for (int value : {-100, 0, 100}) {
        FaceState state = Playing();
        state.screen = kScreenEq;
        state.player.eq.settings.bands[0] = value;
        state.player.eq.settings.preamp = value;
        Image image(m_width, m_height);
        Render(image, state);
        image.Save("eq-" + std::to_string(value));
        int first = -1;
        int last = -1;
        for (int y = band.top; y < band.bottom; ++y) {
            if (Near(image.At(column, y), Accent(), 8)) {
                if (first < 0) first = y;
                last = y;
            }
        }
        ASSERT_GE(first, 0) << "no knob drawn for " << value;
        const double centre = (first + last + 1) / 2.0 - band.top;
        if (value == 0) {
            EXPECT_NEAR(centre, band.Height() / 2.0, 1.0);
        }
        if (value == 100) {
            EXPECT_NEAR(centre, knob.Height() / 2.0, 1.0);  // at the top
        }
        if (value == -100) {
            EXPECT_NEAR(centre, band.Height() - knob.Height() / 2.0, 1.0);
        }
    }
    EXPECT_EQ(EqPixels(0, 216), 108);
    EXPECT_EQ(EqValueAt(0, 216), 100);
    EXPECT_EQ(EqValueAt(216, 216), -100);
    EXPECT_EQ(EqValueAt(108, 216), 0);
    EXPECT_EQ(EqValueAt(400, 216), -100);  // dragged below the bar
}

TEST_F(FacePainterTest, ShuffleIsDrawnPressedWhileOn) {
    const skin::Component* shuffle = m_skin.FindComponent("shuffle");
    const skin::Rect& r = shuffle->norm.destination;
    // A pixel of the toggle's own background, away from its icon.
    const int x = r.left + 3;
    const int y = r.top + r.Height() / 2;
    cairo_surface_t* bitmap = m_images.Get(shuffle->push.bitmap);
    ASSERT_NE(bitmap, nullptr);
    Image push(m_width, m_height);
    cairo_set_source_surface(push.cr(), bitmap, r.left - shuffle->push.source.left,
                             r.top - shuffle->push.source.top);
    cairo_paint(push.cr());

    FaceState on = Playing();
    on.player.shuffle = true;
    Image drawnOn(m_width, m_height);
    Render(drawnOn, on);
    FaceState off = Playing();
    Image drawnOff(m_width, m_height);
    Render(drawnOff, off);
    drawnOn.Save("shuffle-on");
    EXPECT_EQ(drawnOn.At(x, y), push.At(x, y));
    EXPECT_NE(drawnOff.At(x, y), push.At(x, y));
}

TEST_F(FacePainterTest, BitmapTextIsDrawnInUpperCase) {
    const skin::Rect box{10, 10, 200, 40};
    Image lower(m_width, m_height);
    Image upper(m_width, m_height);
    Image blank(m_width, m_height);
    m_painter.DrawBitmapText(lower.cr(), "abc", box, kTextVCentre);
    m_painter.DrawBitmapText(upper.cr(), "ABC", box, kTextVCentre);
    EXPECT_TRUE(lower.SameAs(upper));
    EXPECT_FALSE(lower.SameAs(blank));
    EXPECT_EQ(m_painter.BitmapTextWidth("abc"), 3 * m_skin.GlyphWidth());
    // A single-line text wider than its box is cut to the glyphs that fit.
    Image cut(m_width, m_height);
    m_painter.DrawBitmapText(cut.cr(), "ABCDEFGHIJ", {0, 0, 3 * m_skin.GlyphWidth() + 2, 20},
                             kTextSingleLine | kTextCentre);
    Image three(m_width, m_height);
    m_painter.DrawBitmapText(three.cr(), "ABC", {0, 0, 3 * m_skin.GlyphWidth() + 2, 20},
                             kTextCentre);
    EXPECT_TRUE(cut.SameAs(three));
}

TEST_F(FacePainterTest, HitTestingFollowsSkinOrderModesAndPixels) {
    const skin::Rect& play = Dest("play");
    const int cx = play.left + play.Width() / 2;
    const int cy = play.top + play.Height() / 2;
    EXPECT_EQ(m_painter.HitTest(kScreenMain, cx, cy, true, true)->name, "play");
    // The round button's corner is transparent: the click falls through to what lies
    // beneath, here the deck, which takes no input.
    EXPECT_EQ(m_painter.HitTest(kScreenMain, play.left + 1, play.top + 1, false)->name, "play");
    EXPECT_EQ(m_painter.HitTest(kScreenMain, play.left + 1, play.top + 1, true), nullptr);
    // Not active on the connect screen; the now-playing screen has a play button elsewhere.
    EXPECT_EQ(m_painter.HitTest(kScreenConnect, cx, cy, true), nullptr);
    const skin::Component* other = m_painter.Find("play", kScreenNowPlaying);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other->norm.destination, play);
    // Components without a push state are found, but not for pressing.
    const skin::Rect& time = Dest("positionback");
    EXPECT_EQ(m_painter.HitTest(kScreenMain, time.left + 5, time.top + 5, true)->name,
              "positionback");
    EXPECT_EQ(m_painter.HitTest(kScreenMain, time.left + 5, time.top + 5, true, true), nullptr);
}

TEST_F(FacePainterTest, TitlesScrollOnlyWhenWiderThanTheirLine) {
    const int box = m_face.TitleBox().Width();
    const std::string shortTitle = "Open Window!";  // 12 characters
    ASSERT_EQ(shortTitle.size(), 12u);
    client::TitleScroll scroll;
    for (int step = 0; step < 200; ++step)
        EXPECT_FALSE(scroll.Step(m_face.TitleWidth(shortTitle), box));
    EXPECT_EQ(scroll.Offset(), 0);

    const int wide = m_face.TitleWidth(Playing().titleLine);
    ASSERT_GT(wide, box);
    scroll.Reset();
    int steps = 0;
    // One second at the start, then a pixel per step to the far end.
    for (; steps < 50; ++steps) ASSERT_FALSE(scroll.Step(wide, box));
    while (scroll.Offset() < wide - box) {
        ASSERT_TRUE(scroll.Step(wide, box));
        ++steps;
    }
    EXPECT_EQ(steps, 50 + wide - box);
    // A second's pause at the end, then back.
    for (int pause = 0; pause < 50; ++pause) ASSERT_FALSE(scroll.Step(wide, box));
    ASSERT_TRUE(scroll.Step(wide, box));
    EXPECT_EQ(scroll.Offset(), wide - box - 1);

    // Drawn scrolled, the line shows another part of the title.
    FaceState start = Playing();
    FaceState moved = Playing();
    moved.titleOffset = 40;
    Image a(m_width, m_height);
    Image b(m_width, m_height);
    Render(a, start);
    Render(b, moved);
    EXPECT_FALSE(a.SameAs(b));
}

TEST_F(FacePainterTest, TimeDisplayShowsRemainingTimeWithHours) {
    // 3725 s at position 0: "-1:02:05" remaining, "00:00" elapsed, drawn right-aligned.
    FaceState remaining = Playing();
    remaining.player.media.length = 3725;
    remaining.positionMs = 0;
    remaining.showRemaining = true;
    FaceState elapsed = remaining;
    elapsed.showRemaining = false;
    Image a(m_width, m_height);
    Image b(m_width, m_height);
    Render(a, remaining);
    Render(b, elapsed);
    a.Save("time-remaining");
    const skin::Rect& back = Dest("positionback");
    const int pad = std::max(3, back.Height() / 4);
    const skin::Rect time{back.left + pad, back.top, back.right - pad, back.bottom};
    const skin::FontDescription* font = m_skin.FindFont("time");
    ASSERT_NE(font, nullptr);
    const int longer = m_painter.FontTextWidth(*font, "-1:02:05");
    const int shorter = m_painter.FontTextWidth(*font, "00:00");
    ASSERT_GT(longer, shorter + 4);
    // Ink left of where the shorter text starts appears only with the longer text.
    const int x0 = time.right - longer;
    const int x1 = time.right - shorter - 2;
    auto inked = [&](const Image& image) {
        for (int x = x0; x < x1; ++x)
            for (int y = time.top; y < time.bottom; ++y)
                if (!Near(image.At(x, y), image.At(time.left, time.top), 30)) return true;
        return false;
    };
    EXPECT_TRUE(inked(a));
    EXPECT_FALSE(inked(b));
}

TEST(GeneratedSkinsTest, EverySkinLoadsWithItsBitmapsAndPreview) {
    for (const char* name : {"default", "daylight"}) {
        skin::Skin normal;
        skin::Skin vga;
        ASSERT_TRUE(normal.Load(kSkinsRoot + "/skins/" + name + "/" + name + ".xml")) << name;
        ASSERT_TRUE(vga.Load(kSkinsRoot + "/skins_vga/" + name + "/" + name + ".xml")) << name;
        // The VGA skin is the same layout at twice the size.
        ASSERT_EQ(normal.Components().size(), vga.Components().size());
        for (size_t i = 0; i < normal.Components().size(); ++i) {
            const skin::Rect& a = normal.Components()[i].norm.destination;
            const skin::Rect& b = vga.Components()[i].norm.destination;
            EXPECT_EQ(b, (skin::Rect{a.left * 2, a.top * 2, a.right * 2, a.bottom * 2}))
                << name << " " << normal.Components()[i].name;
        }
        EXPECT_EQ(vga.GlyphWidth(), normal.GlyphWidth() * 2);
        // Every state's picture lies inside its decoded bitmap.
        SkinImages images(normal);
        for (const skin::Component& c : normal.Components()) {
            for (const skin::ComponentState* state : {&c.norm, &c.hover, &c.push}) {
                if (!state->present) continue;
                cairo_surface_t* bitmap = images.Get(state->bitmap);
                ASSERT_NE(bitmap, nullptr) << name << " " << c.name;
                EXPECT_LE(state->source.right, cairo_image_surface_get_width(bitmap)) << c.name;
                EXPECT_LE(state->source.bottom, cairo_image_surface_get_height(bitmap)) << c.name;
            }
        }
        // The preview (written by the generator's own GIF encoder) decodes at half size.
        const SurfaceHandle preview = LoadPicture(normal.Folder() + name + ".gif");
        ASSERT_TRUE(preview) << name;
        const skin::Rect& main = normal.FindComponent("main")->norm.destination;
        EXPECT_EQ(preview.Width(), main.Width() / 2);
        EXPECT_EQ(preview.Height(), main.Height() / 2);
        EXPECT_TRUE(LoadPicture(normal.Folder() + "no_artwork.png"));
    }
}

}  // namespace
}  // namespace vantor::face
