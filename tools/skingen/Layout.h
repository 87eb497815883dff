#pragma once

// The shipped skins' layout: a window 400 x 540 at the normal size (VGA doubles it) with the
// connect, main, equaliser, playlist and now-playing screens. Layout.cpp holds the painters
// the screens share; LayoutScreens.cpp places the components screen by screen.

#include <functional>
#include <string>

#include "tools/skingen/SkinWriter.h"

namespace vantor::skingen {

inline constexpr int kFaceWidth = 400;
inline constexpr int kFaceHeight = 540;

using Icon = std::function<void(cairo_t*, double cx, double cy, double size, const Colour&)>;

// Painter sets for the common controls; `under` is the colour they sit on.
struct Painters {
    const Palette& p;

    // A panel: rounded card with a hairline edge, drawn over the window background.
    StatePainter Card(double radius = 12) const;
    // Fills with one colour (areas that only hold text drawn at run time).
    StatePainter Plain(const Colour& c) const;
    // Round button with an icon; `primary` fills it with the accent.
    ComponentSpec RoundButton(const std::string& name, const std::string& mode, Box box, Icon icon,
                              bool primary, const Colour& under) const;
    // Icon-only toggle whose push state is also its "on" look.
    ComponentSpec Toggle(const std::string& name, const std::string& mode, Box box, Icon icon,
                         const Colour& under) const;
    // Pill button with a label (and optional icon before it).
    // `textShare`: the label's size as a share of the height.
    ComponentSpec Pill(const std::string& name, const std::string& mode, Box box,
                       const std::string& label, bool primary, const Colour& under,
                       Icon icon = nullptr, double textShare = 0.46) const;
    // Pill toggle with a small lamp that lights in the push ("on") state.
    ComponentSpec LampPill(const std::string& name, const std::string& mode, Box box,
                           const std::string& label, const Colour& under) const;
    // Horizontal bar: the back is the empty track, the fill the accent track (same size).
    ComponentSpec BarBack(const std::string& name, const std::string& mode, Box box,
                          double thickness, const Colour& under) const;
    ComponentSpec BarFill(const std::string& name, Box box, double thickness,
                          const Colour& under) const;
    // Vertical equaliser track and its knob.
    ComponentSpec EqTrack(const std::string& name, Box box, const Colour& under) const;
    ComponentSpec EqKnob(Box box, const Colour& under) const;
};

// A component that only decorates: drawn, never hit.
ComponentSpec Decoration(const std::string& name, const std::string& mode, Box box,
                         StatePainter painter, const Colour& under);
// The face's background, "main", under every screen.
ComponentSpec FaceBackground(const Painters& paint, int width, int height);
// IconChevron pointing up or down, as an Icon.
Icon ChevronIcon(bool up);

// The three lamps that show whether the player plays, pauses or stops, one over the other
// in `box`, shown by the client as the state changes.
void AddPlayingStateLamps(SkinWriter& skin, const std::string& mode, Box box);

// The transport buttons in one row centred across the face, the play button the larger.
struct TransportRow {
    int faceWidth;
    int top;
    int big;
    int small;
    int gap;
};
void AddTransport(SkinWriter& skin, const Painters& paint, const std::string& mode,
                  const TransportRow& row, bool withStop, const Colour& under);

// The now-playing screen: the cover on a card with a soft shadow, the title, artist and
// album lines, the position bar with the play-list position and the time under it, and the
// transport row.
struct NowPlayingLayout {
    Box frame;  // the card and its shadow
    struct {
        int rings;       // shadow rings, one pixel apart, `drop` pixels below the card
        double inset;    // of the innermost ring within the frame
        double drop;
        double alpha;    // of each ring
        double card;     // inset of the card within the frame
        double radius;   // of the card
    } look;
    Box cover, title, artist, album, bar, playlistPosition, time;
    TransportRow transport;
};
void AddNowPlaying(SkinWriter& skin, const Painters& paint, const NowPlayingLayout& layout);

void AddConnectScreen(SkinWriter& skin, const Painters& paint);
void AddDeck(SkinWriter& skin, const Painters& paint);
void AddMainScreen(SkinWriter& skin, const Painters& paint);
void AddEqScreen(SkinWriter& skin, const Painters& paint);
void AddPlaylistScreen(SkinWriter& skin, const Painters& paint);
void AddNowPlayingScreen(SkinWriter& skin, const Painters& paint);
void AddDialogParts(SkinWriter& skin, const Painters& paint);
void AddFonts(SkinWriter& skin);

// The whole skin in the order components are drawn and hit-tested.
void BuildSkin(SkinWriter& skin);

// The handheld skin: a portrait face 240 x 280 (VGA doubles it) that leaves a 240 x 320
// screen the header bar's 40 pixels, with touch targets of at least 34 pixels (9 mm on a
// phone whose 240 pixels span its width). HandheldLayout.cpp.
inline constexpr int kHandheldFaceWidth = 240;
inline constexpr int kHandheldFaceHeight = 280;
inline constexpr int kHandheldTouchTarget = 34;
void BuildHandheldSkin(SkinWriter& skin);

}  // namespace vantor::skingen
