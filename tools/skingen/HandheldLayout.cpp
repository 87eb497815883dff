// The handheld skin, 240 x 280 at the normal size: one screen at a time on a phone held
// upright, every button at least 34 pixels each way. The lists of the main and playlist
// screens reach the face's bottom edge, so on a taller screen they take the height left.

#include <array>

#include "tools/skingen/Drawing.h"
#include "tools/skingen/Icons.h"
#include "tools/skingen/Layout.h"

namespace vantor::skingen {

namespace {

constexpr int W = kHandheldFaceWidth;
constexpr int H = kHandheldFaceHeight;
constexpr int T = kHandheldTouchTarget;

void IconClear(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double d = size * 0.26;
    SetColour(cr, c);
    cairo_set_line_width(cr, size * 0.11);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx - d, cy - d);
    cairo_line_to(cr, cx + d, cy + d);
    cairo_move_to(cr, cx + d, cy - d);
    cairo_line_to(cr, cx - d, cy + d);
    cairo_stroke(cr);
}

void AddHandheldConnect(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    skin.Add(Decoration(
        "connect.logo", "connect", {20, 10, 200, 120},
        [&p](cairo_t* cr, double w, double) {
            FillCircle(cr, w / 2, 38, 32, p.accent);
            IconPlay(cr, w / 2 + 2, 38, 30, p.onAccent);
            DrawText(cr, "Vantor", p.fontFace, 24, 700, p.text, 0, 74, w, 28);
            DrawText(cr, "Remote for your music player", p.fontFace, 11, 400, p.textDim, 0, 100,
                     w, 16);
        },
        p.base));
    skin.Add(Decoration(
        "connect.panel", "connect", {12, 134, 216, 140},
        [&p, card = paint.Card()](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            DrawText(cr, "Server", p.fontFace, 11, 700, p.textDim, 12, 6, w - 24, 16,
                     Align::kLeft);
        },
        p.base));
    skin.AddWindowComponent("serverlist", {24, 156, 192, T}, p.field, p.text, p.accent);
    skin.Add(paint.Pill("connect", "connect", {56, 198, 128, 36}, "Connect", true, p.card));
    skin.Add(paint.BarBack("progressbar.back", "connect", {24, 242, 192, 6}, 4, p.card));
    skin.Add(paint.BarFill("progressbar", {24, 242, 192, 6}, 4, p.card));
    skin.Add(Decoration("progressbar.statusback", "connect", {18, 250, 204, 20},
                        paint.Plain(p.card), p.card));
}

// The title line on the main and equaliser screens, on their cards.
void AddTitleLine(SkinWriter& skin) {
    const Palette& p = skin.Colours();
    ComponentSpec songback = MakeSpec("songback", "main,eq", {12, 10, 216, 28});
    songback.norm = [&p](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, 7, p.inset);
    };
    songback.keyed = true;
    songback.under = p.card;
    skin.Add(songback);
}

void AddHandheldMain(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    const std::string mode = "main";
    skin.Add(Decoration(
        "deck", mode, {6, 4, 228, 194},
        [&p, card = paint.Card(10)](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            IconSpeaker(cr, 52, 171, 14, p.textDim);
        },
        p.base));
    AddTitleLine(skin);
    AddPlayingStateLamps(skin, mode, {12, 46, 22, 22});
    skin.Add(paint.Pill("nowplaying", mode, {38, 40, 110, T}, "Now Playing", false, p.card,
                        nullptr, 0.38));
    ComponentSpec time = MakeSpec("positionback", mode, {150, 40, 78, T});
    time.norm = p.bitmapTitle ? StatePainter([&p](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 4, 5, w - 4, h - 10, 6, p.inset);
    })
                              : paint.Plain(p.card);
    time.keyed = p.bitmapTitle;
    time.under = p.card;
    skin.Add(time);
    skin.Add(paint.BarBack("positionbar.back", mode, {12, 76, 216, T}, 6, p.card));
    skin.Add(paint.BarFill("positionbar", {12, 76, 216, T}, 6, p.card));
    AddTransport(skin, paint, mode, {W, 112, 44, 38, 5}, true, p.card);
    skin.Add(paint.Toggle("shuffle", mode, {10, 158, 36, 36}, IconShuffle, p.card));
    skin.Add(paint.BarBack("volumebar.back", mode, {64, 158, 124, 36}, 6, p.card));
    skin.Add(paint.BarFill("volumebar", {64, 158, 124, 36}, 6, p.card));
    skin.Add(paint.Toggle("repeat", mode, {194, 158, 36, 36}, IconRepeat, p.card));
    skin.AddWindowComponent("playlist.main", {6, 204, 228, H - 204}, p.card, p.text, p.accent);
}

void AddHandheldEq(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    // Eleven sliders do not fit across 240 pixels at a thumb's width: two rows, the preamp
    // and the five low bands above, the five high bands below.
    static const std::array<const char*, 11> kLabels = {"Pre", "60", "170", "310", "600", "1k",
                                                        "3k",  "6k", "12k", "14k", "16k"};
    constexpr int kCell = 36;
    constexpr int kTrackHeight = 70;
    static constexpr std::array<int, 2> kRowTop = {86, 180};
    auto place = [](int index, int& x, int& y) {
        const int row = index < 6 ? 0 : 1;
        const int column = index < 6 ? index : index - 6;
        const int count = row == 0 ? 6 : 5;
        x = (W - count * kCell) / 2 + column * kCell;
        y = kRowTop[row];
    };
    skin.Add(Decoration(
        "eq", "eq", {6, 4, 228, 272},
        [&p, card = paint.Card(10), place](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            for (int i = 0; i < 11; ++i) {
                int x = 0;
                int y = 0;
                place(i, x, y);
                DrawText(cr, kLabels[i], p.fontFace, 10, i == 0 ? 700 : 400, p.textDim, x - 6,
                         y - 4 + kTrackHeight + 2, kCell, 14);
            }
        },
        p.base));
    AddTitleLine(skin);
    skin.Add(paint.LampPill("eq.enabled", "eq", {12, 44, 64, T}, "On", p.card));
    skin.Add(paint.LampPill("eq.autoload", "eq", {80, 44, 72, T}, "Auto", p.card));
    skin.Add(paint.Pill("eq.presets", "eq", {156, 44, 72, T}, "Presets", false, p.card));
    for (int i = 0; i < 11; ++i) {
        int x = 0;
        int y = 0;
        place(i, x, y);
        const std::string name = i == 0 ? std::string("eq.preamp")
                                        : std::string("eq.bar") + (i < 10 ? "0" : "") +
                                              std::to_string(i);
        skin.Add(paint.EqTrack(name, {x, y, kCell, kTrackHeight}, p.card));
    }
    skin.Add(paint.EqKnob({0, 0, 26, 12}, p.card));
}

void AddHandheldPlaylist(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    const std::string mode = "playlist";
    skin.Add(paint.Pill("add", mode, {6, 4, 42, 38}, "", false, p.base, IconPlus));
    skin.Add(paint.Pill("remove", mode, {53, 4, 42, 38}, "", false, p.base, IconMinus));
    skin.Add(paint.Pill("moveup", mode, {100, 4, 42, 38}, "", false, p.base, ChevronIcon(true)));
    skin.Add(paint.Pill("movedown", mode, {147, 4, 42, 38}, "", false, p.base, ChevronIcon(false)));
    skin.Add(paint.Pill("newlist", mode, {194, 4, 40, 38}, "", false, p.base, IconClear));
    // The library: back, the listing's title and the search field above its list.
    skin.Add(paint.Pill("medialib.back", mode, {6, 48, 34, 30}, "", false, p.base, IconBack));
    skin.Add(Decoration("medialib.title", mode, {44, 48, 84, 30}, paint.Plain(p.base), p.base));
    skin.AddWindowComponent("medialib.search", {132, 48, 102, 30}, p.field, p.text, p.accent);
    skin.AddWindowComponent("medialib.tagview", {6, 82, 228, 110}, p.card, p.text, p.accent);
    skin.AddWindowComponent("playlist.editor", {6, 198, 228, H - 198}, p.card, p.text, p.accent);
}

void AddHandheldNowPlaying(SkinWriter& skin, const Painters& paint) {
    NowPlayingLayout layout;
    layout.frame = {62, 4, 116, 116};
    layout.look = {4, 4, 2, 0.06, 4, 8};
    layout.cover = {70, 10, 100, 100};
    layout.title = {8, 122, 224, 24};
    layout.artist = {8, 146, 224, 20};
    layout.album = {8, 166, 224, 18};
    layout.bar = {16, 184, 208, 26};
    layout.playlistPosition = {16, 208, 104, T};
    layout.time = {120, 208, 104, T};
    layout.transport = {W, 242, 38, 36, 14};
    AddNowPlaying(skin, paint, layout);
}

void AddHandheldDialogParts(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    skin.Add(Decoration(
        "dialog", "dialog", {8, 40, 224, 200},
        [&p](cairo_t* cr, double w, double h) {
            FillRoundRect(cr, 0, 0, w, h, 12, p.edge);
            FillRoundRect(cr, 1, 1, w - 2, h - 2, 11, p.card);
        },
        p.base));
    skin.Add(Decoration("dlg.background", "dialog", {16, 48, 208, 138}, paint.Plain(p.card),
                        p.card));
    skin.Add(paint.Pill("dlg.search", "dialog", {16, 194, 68, 36}, "Search", false, p.card));
    skin.Add(paint.Pill("dlg.cancel", "dialog", {90, 194, 66, 36}, "Cancel", false, p.card));
    skin.Add(paint.Pill("dlg.ok", "dialog", {162, 194, 62, 36}, "OK", true, p.card));
}

void AddHandheldFonts(SkinWriter& skin) {
    const Palette& p = skin.Colours();
    if (!p.bitmapTitle) {
        skin.AddFont("songtitle", 13, "bold", p.text);
        skin.AddFont("time", 15, "bold", p.text);
    }
    skin.AddFont("playlist", 13, "normal", p.text);
    skin.AddFont("status", 11, "normal", p.textDim);
    skin.AddFont("title.nowplaying", 15, "bold", p.text);
    skin.AddFont("artist.nowplaying", 13, "normal", p.accent);
    skin.AddFont("album.nowplaying", 12, "normal", p.textDim);
    skin.AddFont("playlistpos.nowplaying", 11, "normal", p.textDim);
    skin.AddFont("time.nowplaying", 11, "bold", p.textDim);
    skin.AddFont("dialog", 12, "normal", p.text);
}

}  // namespace

void BuildHandheldSkin(SkinWriter& skin) {
    Painters paint{skin.Colours()};
    skin.Add(FaceBackground(paint, W, H));

    AddHandheldConnect(skin, paint);
    AddHandheldMain(skin, paint);
    AddHandheldEq(skin, paint);
    AddHandheldPlaylist(skin, paint);
    AddHandheldNowPlaying(skin, paint);
    AddHandheldDialogParts(skin, paint);
    AddHandheldFonts(skin);
    skin.AddGlyphStrip(7, 12);
}

}  // namespace vantor::skingen
