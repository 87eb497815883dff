#include "client/face/FacePainter.h"

#include <algorithm>
#include <cstdio>

#include "client/display/PlayerTexts.h"
#include "client/face/FaceGeometry.h"

namespace vantor::face {

namespace {

constexpr char kTitleFont[] = "songtitle";
constexpr char kNowPlayingTitleFont[] = "title.nowplaying";

// The text box inside a background: a quarter of its height in from each side.
skin::Rect Inset(const skin::Rect& r) {
    const int32_t pad = std::max(3, r.Height() / 4);
    return {r.left + pad, r.top, r.right - pad, r.bottom};
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

}  // namespace

void FacePainter::Paint(cairo_t* cr, const FaceState& state) {
    PaintComponents(cr, state);
    const std::string& screen = state.screen;
    if (screen == kScreenConnect) {
        PaintConnect(cr, state);
    } else if (screen == kScreenMain || screen == kScreenEq) {
        PaintDeck(cr, state);
        if (screen == kScreenEq) PaintEq(cr, state);
    } else if (screen == kScreenNowPlaying) {
        PaintNowPlaying(cr, state);
    } else if (screen == kScreenPlaylist) {
        PaintTitleLine(cr, state);
        PaintLibraryTitle(cr, state);
    }
}

void FacePainter::PaintComponents(cairo_t* cr, const FaceState& state) {
    const auto& components = m_painter.Skin().Components();
    for (size_t i = 0; i < components.size(); ++i) {
        const skin::Component& c = components[i];
        if (!SkinPainter::IsActive(c, state.screen) || StartsWith(c.name, "playingstate."))
            continue;
        const auto index = static_cast<int32_t>(i);
        m_painter.DrawComponent(cr, c, index == state.pressed, index == state.hovered);
    }
}

void FacePainter::Bar(cairo_t* cr, const FaceState& state, const char* back, const char* fill,
                      int32_t value, bool knob) {
    const skin::Component* backComponent = m_painter.Find(back, state.screen);
    if (!backComponent || !SkinPainter::IsActive(*backComponent, state.screen)) return;
    m_painter.DrawBar(cr, *backComponent, m_painter.Find(fill, state.screen), value, knob);
}

void FacePainter::Text(cairo_t* cr, const char* fontName, const std::string& text,
                       const skin::Rect& box, unsigned flags, int32_t offset) {
    if (const skin::FontDescription* font = m_painter.Skin().FindFont(fontName)) {
        m_painter.DrawFontText(cr, *font, text, box, flags, offset);
    } else {
        m_painter.DrawBitmapText(cr, client::WithoutAccents(text), box, flags, offset);
    }
}

void FacePainter::PaintConnect(cairo_t* cr, const FaceState& state) {
    if (const skin::Component* back = m_painter.Find("progressbar.back", state.screen)) {
        const int32_t value =
            state.connecting ? BarPixels(back->norm.destination.Width(), state.connectProgress, 100)
                             : 0;
        Bar(cr, state, "progressbar.back", "progressbar", value, false);
    }
    if (const skin::Component* line = m_painter.Find("progressbar.statusback", state.screen)) {
        Text(cr, "status", state.connectStatus, line->norm.destination,
             kTextCentre | kTextVCentre | kTextSingleLine | kTextEllipsis);
    }
}

skin::Rect FacePainter::TitleBox() const {
    const skin::Component* back = m_painter.Skin().FindComponent("songback");
    return back ? Inset(back->norm.destination) : skin::Rect{};
}

int32_t FacePainter::TitleWidth(const std::string& text) const {
    if (const skin::FontDescription* font = m_painter.Skin().FindFont(kTitleFont))
        return m_painter.FontTextWidth(*font, text);
    return m_painter.BitmapTextWidth(client::WithoutAccents(text));
}

skin::Rect FacePainter::NowPlayingTitleBox() const {
    const skin::Component* back = m_painter.Skin().FindComponent("titleback");
    return back ? Inset(back->norm.destination) : skin::Rect{};
}

int32_t FacePainter::NowPlayingTitleWidth(const std::string& text) const {
    if (const skin::FontDescription* font = m_painter.Skin().FindFont(kNowPlayingTitleFont))
        return m_painter.FontTextWidth(*font, text);
    return m_painter.BitmapTextWidth(client::WithoutAccents(text));
}

void FacePainter::PaintTitleLine(cairo_t* cr, const FaceState& state) {
    const skin::Component* back = m_painter.Find("songback", state.screen);
    if (!back || !SkinPainter::IsActive(*back, state.screen)) return;
    Text(cr, kTitleFont, state.titleLine, TitleBox(), kTextVCentre | kTextSingleLine,
         state.titleOffset);
}

void FacePainter::PaintLibraryTitle(cairo_t* cr, const FaceState& state) {
    const skin::Component* back = m_painter.Find("medialib.title", state.screen);
    if (!back || !SkinPainter::IsActive(*back, state.screen)) return;
    const char* font = m_painter.Skin().FindFont("medialib.title") ? "medialib.title" : "playlist";
    Text(cr, font, state.libraryTitle, back->norm.destination,
         kTextVCentre | kTextSingleLine | kTextEllipsis);
}

void FacePainter::PaintTime(cairo_t* cr, const FaceState& state) {
    const skin::Component* back = m_painter.Find("positionback", state.screen);
    if (!back || !SkinPainter::IsActive(*back, state.screen)) return;
    // Right-aligned with the same margin as the title line's.
    skin::Rect box = Inset(back->norm.destination);
    const bool nowPlaying = state.screen == kScreenNowPlaying;
    if (nowPlaying) {
        if (const skin::WindowComponent* limit =
                m_painter.Skin().FindWindowComponent("nowplaying.position")) {
            box.left = std::max(box.left, box.right - limit->rect.Width());
        }
    }
    const std::string text =
        client::TimeText(state.positionMs, state.player.media.length, state.showRemaining);
    Text(cr, nowPlaying ? "time.nowplaying" : "time", text, box,
         kTextRight | kTextVCentre | kTextSingleLine);
}

void FacePainter::PaintToggle(cairo_t* cr, const FaceState& state, const char* name, bool on) {
    if (!on) return;
    const skin::Component* c = m_painter.Find(name, state.screen);
    if (c && SkinPainter::IsActive(*c, state.screen)) m_painter.DrawComponent(cr, *c, true);
}

void FacePainter::PaintDeck(cairo_t* cr, const FaceState& state) {
    Bar(cr, state, "positionbar.back", "positionbar", state.positionBar, false);
    Bar(cr, state, "volumebar.back", "volumebar", state.volumeBar, false);
    const int32_t playing = state.player.playingState;
    const char* indicator = playing == kPaused    ? "playingstate.paused"
                            : playing == kStopped ? "playingstate.stopped"
                                                  : "playingstate.playing";
    const skin::Component* c = m_painter.Find(indicator, state.screen);
    if (c && SkinPainter::IsActive(*c, state.screen)) m_painter.DrawComponent(cr, *c);
    PaintTitleLine(cr, state);
    PaintTime(cr, state);
    PaintToggle(cr, state, "shuffle", state.player.shuffle);
    PaintToggle(cr, state, "repeat", state.player.repeat);
}

void FacePainter::PaintEq(cairo_t* cr, const FaceState& state) {
    const CEqSettings& eq = state.player.eq.settings;
    PaintToggle(cr, state, "eq.enabled", eq.enabled);
    PaintToggle(cr, state, "eq.autoload", eq.autoLoad);
    for (int band = 1; band <= 10; ++band) {
        char name[16];
        std::snprintf(name, sizeof name, "eq.bar%02d", band);
        if (const skin::Component* back = m_painter.Find(name, state.screen)) {
            Bar(cr, state, name, "eq.position",
                EqPixels(eq.bands[band - 1], back->norm.destination.Height()), true);
        }
    }
    if (const skin::Component* back = m_painter.Find("eq.preamp", state.screen)) {
        Bar(cr, state, "eq.preamp", "eq.position",
            EqPixels(eq.preamp, back->norm.destination.Height()), true);
    }
}

void FacePainter::PaintNowPlaying(cairo_t* cr, const FaceState& state) {
    Bar(cr, state, "positionbar.nowplaying.back", "positionbar.nowplaying", state.nowPlayingBar,
        false);
    PaintTime(cr, state);
    const skin::Skin& skin = m_painter.Skin();
    if (const skin::Component* back = m_painter.Find("playlistpositionback", state.screen)) {
        const int32_t position = state.player.playlistPosition;
        if (position >= 0 && state.playlistLength > 0) {
            char text[48];
            std::snprintf(text, sizeof text, "%d of %d", position + 1, state.playlistLength);
            Text(cr, "playlistpos.nowplaying", text, back->norm.destination,
                 kTextLeft | kTextVCentre | kTextSingleLine);
        }
    }
    const CCurrentMedia& media = state.player.media;
    const unsigned line = kTextCentre | kTextVCentre | kTextSingleLine;
    if (m_painter.Find("titleback", state.screen)) {
        const std::string& title = media.title.empty() ? state.titleLine : media.title;
        Text(cr, kNowPlayingTitleFont, title, NowPlayingTitleBox(), line,
             state.nowPlayingTitleOffset);
    }
    struct Line {
        const char* back;
        const char* font;
        const std::string& text;
    };
    for (const Line& l : {Line{"artistback", "artist.nowplaying", media.artist},
                          Line{"albumback", "album.nowplaying", media.album}}) {
        const skin::Component* back = m_painter.Find(l.back, state.screen);
        if (!back) continue;
        // A skin may style the artist and album lines; else they share the title's font.
        const char* font = skin.FindFont(l.font) ? l.font : kNowPlayingTitleFont;
        Text(cr, font, l.text, Inset(back->norm.destination), line | kTextEllipsis);
    }
    PaintAlbumArt(cr, state);
}

void FacePainter::PaintAlbumArt(cairo_t* cr, const FaceState& state) {
    const skin::WindowComponent* place = m_painter.Skin().FindWindowComponent("albumart");
    if (!place || !state.albumArt) return;
    const skin::Rect& r = place->rect;
    const int32_t w = state.albumArt.Width();
    const int32_t h = state.albumArt.Height();
    if (w <= 0 || h <= 0 || r.Width() <= 0 || r.Height() <= 0) return;
    // Scaled to fit, keeping its proportions, centred.
    const double scale =
        std::min(static_cast<double>(r.Width()) / w, static_cast<double>(r.Height()) / h);
    const double dw = w * scale;
    const double dh = h * scale;
    cairo_save(cr);
    cairo_translate(cr, r.left + (r.Width() - dw) / 2, r.top + (r.Height() - dh) / 2);
    cairo_rectangle(cr, 0, 0, dw, dh);
    cairo_clip(cr);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, state.albumArt.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace vantor::face
