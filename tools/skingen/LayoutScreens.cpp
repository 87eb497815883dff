#include <array>
#include <cmath>

#include "tools/skingen/Drawing.h"
#include "tools/skingen/Icons.h"
#include "tools/skingen/Layout.h"

namespace vantor::skingen {

namespace {

// A card whose window component sits inset by 6 pixels, so the list keeps rounded corners.
void AddListFrame(SkinWriter& skin, const Painters& paint, const std::string& frameName,
                  const std::string& mode, const std::string& listName, Box box) {
    const Palette& p = skin.Colours();
    skin.Add(Decoration(frameName, mode, box, paint.Card(), p.base));
    skin.AddWindowComponent(listName, {box.x + 6, box.y + 6, box.w - 12, box.h - 12}, p.card,
                            p.text, p.accent);
}

}  // namespace

void AddConnectScreen(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    skin.Add(Decoration(
        "connect.logo", "connect", {40, 40, 320, 190},
        [&p](cairo_t* cr, double w, double) {
            FillCircle(cr, w / 2, 56, 46, p.accent);
            IconPlay(cr, w / 2 + 3, 56, 44, p.onAccent);
            DrawText(cr, "Vantor", p.fontFace, 34, 700, p.text, 0, 112, w, 40);
            DrawText(cr, "Remote control for your music player", p.fontFace, 14, 400, p.textDim, 0,
                     152, w, 24);
        },
        p.base));
    skin.Add(Decoration(
        "connect.panel", "connect", {40, 246, 320, 214},
        [&p, card = paint.Card()](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            DrawText(cr, "Server", p.fontFace, 13, 700, p.textDim, 20, 12, w - 40, 20,
                     Align::kLeft);
        },
        p.base));
    skin.AddWindowComponent("serverlist", {60, 280, 280, 32}, p.field, p.text, p.accent);
    skin.Add(paint.Pill("connect", "connect", {130, 328, 140, 38}, "Connect", true, p.card));
    skin.Add(paint.BarBack("progressbar.back", "connect", {60, 384, 280, 8}, 6, p.card));
    skin.Add(paint.BarFill("progressbar", {60, 384, 280, 8}, 6, p.card));
    skin.Add(Decoration("progressbar.statusback", "connect", {52, 400, 296, 48},
                        paint.Plain(p.card), p.card));
}

void AddDeck(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    const std::string deck = "main,eq";
    skin.Add(Decoration(
        "deck", deck, {8, 8, 384, 184},
        [&p, card = paint.Card()](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            IconSpeaker(cr, 24, 163, 16, p.textDim);
        },
        p.base));
    skin.Add(Decoration("playlisthead", "playlist", {8, 8, 384, 48}, paint.Card(), p.base));
    ComponentSpec songback = MakeSpec("songback", "main,eq,playlist", {20, 18, 360, 30});
    songback.norm = [&p](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, 8, p.inset);
    };
    songback.keyed = true;
    songback.under = p.card;
    skin.Add(songback);

    AddPlayingStateLamps(skin, deck, {22, 56, 22, 22});
    // The time: plain for fonts, a display strip like the title's for bitmap text.
    ComponentSpec time = MakeSpec("positionback", deck, {276, 54, 104, 26});
    time.norm = p.bitmapTitle ? StatePainter([&p](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, 7, p.inset);
    })
                              : paint.Plain(p.card);
    time.keyed = p.bitmapTitle;
    time.under = p.card;
    skin.Add(time);
    skin.Add(paint.BarBack("positionbar.back", deck, {20, 86, 360, 14}, 6, p.card));
    skin.Add(paint.BarFill("positionbar", {20, 86, 360, 14}, 6, p.card));
    AddTransport(skin, paint, deck, {kFaceWidth, 106, 52, 44, 10}, true, p.card);
    skin.Add(paint.Toggle("shuffle", deck, {20, 118, 30, 30}, IconShuffle, p.card));
    skin.Add(paint.Toggle("repeat", deck, {350, 118, 30, 30}, IconRepeat, p.card));
    skin.Add(paint.BarBack("volumebar.back", deck, {42, 163, 170, 16}, 6, p.card));
    skin.Add(paint.BarFill("volumebar", {42, 163, 170, 16}, 6, p.card));
    skin.Add(paint.Pill("nowplaying", deck, {276, 158, 104, 26}, "Now Playing", false, p.card,
                        IconNote));
}

void AddMainScreen(SkinWriter& skin, const Painters& paint) {
    AddListFrame(skin, paint, "playlistframe", "main", "playlist.main", {8, 200, 384, 332});
}

void AddEqScreen(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    static const std::array<const char*, 11> kLabels = {"Pre", "60", "170", "310", "600", "1k",
                                                        "3k",  "6k", "12k", "14k", "16k"};
    constexpr int kPanelY = 200;
    constexpr int kTrackTop = 252;
    constexpr int kTrackHeight = 216;
    constexpr int kTrackWidth = 22;
    auto trackX = [](int index) { return index == 0 ? 30 : 86 + (index - 1) * 30; };
    skin.Add(Decoration(
        "eq", "eq", {8, kPanelY, 384, 332},
        [&p, card = paint.Card(), trackX](cairo_t* cr, double w, double h) {
            card(cr, w, h);
            DrawText(cr, "Equalizer", p.fontFace, 15, 700, p.text, 14, 12, 150, 24, Align::kLeft);
            SetColour(cr, p.edge);
            cairo_rectangle(cr, 12, 44, w - 24, 1);
            cairo_rectangle(cr, 68, 52, 1, kTrackHeight + 8);
            cairo_fill(cr);
            for (int i = 0; i < 11; ++i) {
                DrawText(cr, kLabels[i], p.fontFace, 11, 400, p.textDim, trackX(i) - 8 - 8,
                         kTrackTop - kPanelY + kTrackHeight + 4, kTrackWidth + 16, 16);
            }
            DrawText(cr, "Hz", p.fontFace, 11, 400, p.textDim, 0, h - 26, w - 14, 16,
                     Align::kRight);
        },
        p.base));
    skin.Add(paint.LampPill("eq.enabled", "eq", {192, 210, 56, 26}, "On", p.card));
    skin.Add(paint.LampPill("eq.autoload", "eq", {254, 210, 60, 26}, "Auto", p.card));
    skin.Add(paint.Pill("eq.presets", "eq", {320, 210, 58, 26}, "Presets", false, p.card));
    skin.Add(paint.EqTrack("eq.preamp", {trackX(0), kTrackTop, kTrackWidth, kTrackHeight}, p.card));
    for (int band = 1; band <= 10; ++band) {
        const std::string name =
            std::string("eq.bar") + (band < 10 ? "0" : "") + std::to_string(band);
        skin.Add(paint.EqTrack(name, {trackX(band), kTrackTop, kTrackWidth, kTrackHeight}, p.card));
    }
    skin.Add(paint.EqKnob({0, 0, kTrackWidth, 12}, p.card));
}

void AddPlaylistScreen(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    const std::string mode = "playlist";
    // The library: a strip with the back button, the listing's title and the search field
    // above the list.
    skin.Add(Decoration("libraryframe", mode, {8, 64, 384, 222}, paint.Card(), p.base));
    skin.Add(paint.Pill("medialib.back", mode, {14, 70, 30, 26}, "", false, p.card, IconBack));
    skin.Add(Decoration("medialib.title", mode, {50, 70, 182, 26}, paint.Plain(p.card), p.card));
    skin.AddWindowComponent("medialib.search", {238, 70, 148, 26}, p.field, p.text, p.accent);
    skin.AddWindowComponent("medialib.tagview", {14, 102, 372, 178}, p.card, p.text, p.accent);
    AddListFrame(skin, paint, "editorframe", mode, "playlist.editor", {8, 294, 384, 198});
    skin.Add(paint.Pill("add", mode, {8, 500, 80, 30}, "Add", false, p.base, IconPlus));
    skin.Add(paint.Pill("remove", mode, {96, 500, 96, 30}, "Remove", false, p.base, IconMinus));
    skin.Add(paint.Pill("moveup", mode, {200, 500, 44, 30}, "", false, p.base, ChevronIcon(true)));
    skin.Add(
        paint.Pill("movedown", mode, {250, 500, 44, 30}, "", false, p.base, ChevronIcon(false)));
    skin.Add(paint.Pill("newlist", mode, {302, 500, 90, 30}, "Clear", false, p.base));
}

void AddNowPlayingScreen(SkinWriter& skin, const Painters& paint) {
    NowPlayingLayout layout;
    layout.frame = {62, 14, 276, 280};
    layout.look = {6, 8, 3, 0.05, 6, 10};
    layout.cover = {70, 22, 260, 260};
    layout.title = {12, 302, 376, 30};
    layout.artist = {12, 332, 376, 24};
    layout.album = {12, 356, 376, 22};
    layout.bar = {40, 390, 320, 14};
    layout.playlistPosition = {40, 406, 160, 22};
    layout.time = {200, 406, 160, 22};
    layout.transport = {kFaceWidth, 448, 52, 44, 12};
    AddNowPlaying(skin, paint, layout);
}

void AddDialogParts(SkinWriter& skin, const Painters& paint) {
    const Palette& p = skin.Colours();
    skin.Add(Decoration(
        "dialog", "dialog", {40, 110, 320, 240},
        [&p](cairo_t* cr, double w, double h) {
            FillRoundRect(cr, 0, 0, w, h, 14, p.edge);
            FillRoundRect(cr, 1, 1, w - 2, h - 2, 13, p.card);
        },
        p.base));
    skin.Add(
        Decoration("dlg.background", "dialog", {52, 122, 296, 170}, paint.Plain(p.card), p.card));
    skin.Add(paint.Pill("dlg.search", "dialog", {56, 304, 84, 30}, "Search", false, p.card));
    skin.Add(paint.Pill("dlg.cancel", "dialog", {180, 304, 80, 30}, "Cancel", false, p.card));
    skin.Add(paint.Pill("dlg.ok", "dialog", {268, 304, 80, 30}, "OK", true, p.card));
}

}  // namespace vantor::skingen
