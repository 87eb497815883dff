#include "tools/skingen/Layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/skingen/Drawing.h"
#include "tools/skingen/Icons.h"

namespace vantor::skingen {

namespace {

// A button's three states from one painter maker (face, ink, outlined): accent faces for a
// primary button; else plain faces, pushed in the accent or in the pushed face.
ComponentSpec Button(const Palette& pal, ComponentSpec spec, const Colour& under, bool primary,
                     const std::function<StatePainter(const Colour&, const Colour&, bool)>& state,
                     bool accentPush) {
    if (primary) {
        spec.norm = state(pal.accent, pal.onAccent, false);
        spec.hover = state(pal.accentHover, pal.onAccent, false);
        spec.push = state(pal.accentPush, pal.onAccent, false);
    } else {
        spec.norm = state(pal.button, pal.text, true);
        spec.hover = state(pal.buttonHover, pal.text, true);
        spec.push = accentPush ? state(pal.accent, pal.onAccent, false)
                               : state(pal.buttonPush, pal.accent, true);
    }
    spec.keyed = true;
    spec.under = under;
    return spec;
}

}  // namespace

StatePainter Painters::Card(double radius) const {
    const Palette& pal = p;
    return [&pal, radius](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, radius, pal.card);
        StrokeRoundRect(cr, 0, 0, w, h, radius, pal.edge, 1);
    };
}

StatePainter Painters::Plain(const Colour& c) const {
    return [c](cairo_t* cr, double w, double h) {
        SetColour(cr, c);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_fill(cr);
    };
}

ComponentSpec Painters::RoundButton(const std::string& name, const std::string& mode, Box box,
                                    Icon icon, bool primary, const Colour& under) const {
    const Palette& pal = p;
    auto state = [&pal, icon](const Colour& face, const Colour& ink, bool ring) {
        return [=, &pal](cairo_t* cr, double w, double h) {
            const double r = std::min(w, h) / 2;
            FillCircle(cr, w / 2, h / 2, r - 0.5, face);
            if (ring) {
                cairo_arc(cr, w / 2, h / 2, r - 1, 0, 2 * M_PI);
                SetColour(cr, pal.edge);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
            }
            icon(cr, w / 2, h / 2, r * 0.78, ink);
        };
    };
    return Button(pal, MakeSpec(name, mode, box), under, primary, state, true);
}

ComponentSpec Painters::Toggle(const std::string& name, const std::string& mode, Box box, Icon icon,
                               const Colour& under) const {
    const Palette& pal = p;
    ComponentSpec spec = MakeSpec(name, mode, box);
    spec.norm = [&pal, icon](cairo_t* cr, double w, double h) {
        icon(cr, w / 2, h / 2, std::min(w, h) * 0.62, pal.textDim);
    };
    spec.hover = [&pal, icon](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, 8, pal.buttonHover);
        icon(cr, w / 2, h / 2, std::min(w, h) * 0.62, pal.text);
    };
    spec.push = [&pal, icon](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, 0, w, h, 8, pal.card.Mix(pal.accent, 0.22));
        icon(cr, w / 2, h / 2, std::min(w, h) * 0.62, pal.accent);
    };
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec Painters::Pill(const std::string& name, const std::string& mode, Box box,
                             const std::string& label, bool primary, const Colour& under,
                             Icon icon, double textShare) const {
    const Palette& pal = p;
    auto state = [&pal, label, icon, textShare](const Colour& face, const Colour& ink, bool ring) {
        return [=, &pal](cairo_t* cr, double w, double h) {
            FillRoundRect(cr, 0, 0, w, h, h / 2, face);
            if (ring) StrokeRoundRect(cr, 0, 0, w, h, h / 2, pal.edge, 1);
            const double text = h * textShare;
            if (icon && label.empty()) {
                icon(cr, w / 2, h / 2, h * 0.62, ink);
            } else if (icon) {
                icon(cr, h * 0.55, h / 2, h * 0.55, ink);
                DrawText(cr, label, pal.fontFace, text, 700, ink, h * 0.5, 0, w - h * 0.5, h);
            } else {
                DrawText(cr, label, pal.fontFace, text, 700, ink, 0, 0, w, h);
            }
        };
    };
    return Button(pal, MakeSpec(name, mode, box), under, primary, state, false);
}

ComponentSpec Painters::LampPill(const std::string& name, const std::string& mode, Box box,
                                 const std::string& label, const Colour& under) const {
    const Palette& pal = p;
    auto state = [&pal, label](const Colour& face, const Colour& lamp, const Colour& ink) {
        return [=, &pal](cairo_t* cr, double w, double h) {
            FillRoundRect(cr, 0, 0, w, h, h / 2, face);
            StrokeRoundRect(cr, 0, 0, w, h, h / 2, pal.edge, 1);
            FillCircle(cr, h * 0.55, h / 2, h * 0.14, lamp);
            DrawText(cr, label, pal.fontFace, h * 0.46, 700, ink, h * 0.5, 0, w - h * 0.5, h);
        };
    };
    ComponentSpec spec = MakeSpec(name, mode, box);
    spec.norm = state(pal.button, pal.track, pal.textDim);
    spec.hover = state(pal.buttonHover, pal.track, pal.text);
    spec.push = state(pal.card.Mix(pal.accent, 0.2), pal.accent, pal.text);
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec Painters::BarBack(const std::string& name, const std::string& mode, Box box,
                                double thickness, const Colour& under) const {
    const Palette& pal = p;
    ComponentSpec spec = MakeSpec(name, mode, box);
    spec.norm = [&pal, thickness](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0, (h - thickness) / 2, w, thickness, thickness / 2, pal.track);
    };
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec Painters::BarFill(const std::string& name, Box box, double thickness,
                                const Colour& under) const {
    const Palette& pal = p;
    ComponentSpec spec = MakeSpec(name, "", box);
    spec.norm = [&pal, thickness](cairo_t* cr, double w, double h) {
        // Square on the right: the fill is cut at its value and must not end in a notch.
        const double y = (h - thickness) / 2;
        FillRoundRect(cr, 0, y, thickness * 2, thickness, thickness / 2, pal.accent);
        SetColour(cr, pal.accent);
        cairo_rectangle(cr, thickness, y, w - thickness, thickness);
        cairo_fill(cr);
    };
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec Painters::EqTrack(const std::string& name, Box box, const Colour& under) const {
    const Palette& pal = p;
    ComponentSpec spec = MakeSpec(name, "eq", box);
    spec.norm = [&pal](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, w / 2 - 2, 2, 4, h - 4, 2, pal.track);
        SetColour(cr, pal.textDim);
        cairo_rectangle(cr, w / 2 - 6, h / 2 - 0.5, 12, 1);
        cairo_fill(cr);
    };
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec Painters::EqKnob(Box box, const Colour& under) const {
    const Palette& pal = p;
    ComponentSpec spec = MakeSpec("eq.position", "", box);
    spec.norm = [&pal](cairo_t* cr, double w, double h) {
        FillRoundRect(cr, 0.5, 0.5, w - 1, h - 1, (h - 1) / 2, pal.accent);
        SetColour(cr, pal.onAccent, 0.85);
        cairo_rectangle(cr, w / 2 - 5, h / 2 - 0.75, 10, 1.5);
        cairo_fill(cr);
    };
    spec.keyed = true;
    spec.under = under;
    return spec;
}

ComponentSpec FaceBackground(const Painters& paint, int width, int height) {
    ComponentSpec main = MakeSpec("main", "all", {0, 0, width, height});
    main.ignoreInput = true;
    main.norm = paint.Plain(paint.p.base);
    main.under = paint.p.base;
    return main;
}

Icon ChevronIcon(bool up) {
    return [up](cairo_t* cr, double cx, double cy, double s, const Colour& c) {
        IconChevron(cr, cx, cy, s, c, up);
    };
}

ComponentSpec Decoration(const std::string& name, const std::string& mode, Box box,
                         StatePainter painter, const Colour& under) {
    ComponentSpec spec = MakeSpec(name, mode, box);
    spec.ignoreInput = true;
    spec.norm = std::move(painter);
    spec.under = under;
    return spec;
}

void AddPlayingStateLamps(SkinWriter& skin, const std::string& mode, Box box) {
    const Palette& p = skin.Colours();
    const std::array<std::pair<const char*, Icon>, 3> states = {{
        {"playingstate.playing", IconPlay},
        {"playingstate.paused", IconPause},
        {"playingstate.stopped", IconStop},
    }};
    for (const auto& [name, icon] : states) {
        const bool playing = std::string(name) == "playingstate.playing";
        ComponentSpec state = MakeSpec(name, mode, box);
        state.ignoreInput = true;
        state.norm = [&p, icon, playing](cairo_t* cr, double w, double h) {
            FillRoundRect(cr, 0, 0, w, h, 6, playing ? p.card.Mix(p.accent, 0.2) : p.button);
            icon(cr, w / 2, h / 2, 12, playing ? p.accent : p.textDim);
        };
        state.keyed = true;
        state.under = p.card;
        skin.Add(state);
    }
}

void AddTransport(SkinWriter& skin, const Painters& paint, const std::string& mode,
                  const TransportRow& row, bool withStop, const Colour& under) {
    const int count = withStop ? 5 : 4;
    const int total = row.big + row.small * (count - 1) + row.gap * (count - 1);
    int x = (row.faceWidth - total) / 2;
    const int y = row.top + (row.big - row.small) / 2;
    const int small = row.small;
    skin.Add(paint.RoundButton("prev", mode, {x, y, small, small}, IconPrevious, false, under));
    x += small + row.gap;
    skin.Add(
        paint.RoundButton("play", mode, {x, row.top, row.big, row.big}, IconPlay, true, under));
    x += row.big + row.gap;
    skin.Add(paint.RoundButton("pause", mode, {x, y, small, small}, IconPause, false, under));
    x += small + row.gap;
    if (withStop) {
        skin.Add(paint.RoundButton("stop", mode, {x, y, small, small}, IconStop, false, under));
        x += small + row.gap;
    }
    skin.Add(paint.RoundButton("next", mode, {x, y, small, small}, IconNext, false, under));
}

void AddFonts(SkinWriter& skin) {
    const Palette& p = skin.Colours();
    if (!p.bitmapTitle) {
        skin.AddFont("songtitle", 15, "bold", p.text);
        skin.AddFont("time", 17, "bold", p.text);
    }
    skin.AddFont("playlist", 13, "normal", p.text);
    skin.AddFont("status", 13, "normal", p.textDim);
    skin.AddFont("title.nowplaying", 19, "bold", p.text);
    skin.AddFont("artist.nowplaying", 15, "normal", p.accent);
    skin.AddFont("album.nowplaying", 14, "normal", p.textDim);
    skin.AddFont("playlistpos.nowplaying", 13, "normal", p.textDim);
    skin.AddFont("time.nowplaying", 13, "bold", p.textDim);
    skin.AddFont("dialog", 13, "normal", p.text);
    skin.AddFont("medialib.title", 13, "bold", p.text);
}

void AddNowPlaying(SkinWriter& skin, const Painters& paint, const NowPlayingLayout& layout) {
    const Palette& p = skin.Colours();
    const std::string mode = "nowplaying";
    skin.Add(Decoration(
        "artframe", mode, layout.frame,
        [&p, look = layout.look](cairo_t* cr, double w, double h) {
            for (int i = look.rings; i >= 1; --i) {
                RoundRectPath(cr, look.inset - i, look.inset - i + look.drop,
                              w - 2 * look.inset + 2 * i, h - 2 * look.inset + 2 * i,
                              look.radius + i);
                SetColour(cr, Colour{0, 0, 0}, look.alpha);
                cairo_fill(cr);
            }
            FillRoundRect(cr, look.card, look.card, w - 2 * look.card, h - 2 * look.card,
                          look.radius, p.card);
        },
        p.base));
    skin.AddWindowComponent("albumart", layout.cover, p.card, p.text, p.accent);
    skin.Add(Decoration("titleback", mode, layout.title, paint.Plain(p.base), p.base));
    skin.Add(Decoration("artistback", mode, layout.artist, paint.Plain(p.base), p.base));
    skin.Add(Decoration("albumback", mode, layout.album, paint.Plain(p.base), p.base));
    skin.Add(paint.BarBack("positionbar.nowplaying.back", mode, layout.bar, 6, p.base));
    skin.Add(paint.BarFill("positionbar.nowplaying", layout.bar, 6, p.base));
    skin.Add(Decoration("playlistpositionback", mode, layout.playlistPosition,
                        paint.Plain(p.base), p.base));
    ComponentSpec time = MakeSpec("positionback", mode, layout.time);
    time.norm = paint.Plain(p.base);
    time.under = p.base;
    skin.Add(time);
    skin.AddWindowComponent("nowplaying.position", layout.time, p.base, p.textDim, p.accent);
    AddTransport(skin, paint, mode, layout.transport, false, p.base);
}

void BuildSkin(SkinWriter& skin) {
    Painters paint{skin.Colours()};
    skin.Add(FaceBackground(paint, kFaceWidth, kFaceHeight));

    AddConnectScreen(skin, paint);
    AddDeck(skin, paint);
    AddMainScreen(skin, paint);
    AddEqScreen(skin, paint);
    AddPlaylistScreen(skin, paint);
    AddNowPlayingScreen(skin, paint);
    AddDialogParts(skin, paint);
    AddFonts(skin);
    skin.AddGlyphStrip(8, 14);
}

}  // namespace vantor::skingen
