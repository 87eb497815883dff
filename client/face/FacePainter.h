#pragma once

// Paints one screen of the skinned face from a FaceState: every component active on the
// screen, then what the screen shows on top (bars, title line, time, equaliser, the
// now-playing lines and album art, the connect screen's progress and status).

#include <cairo.h>

#include <string>

#include "client/face/FaceState.h"
#include "client/face/SkinPainter.h"

namespace vantor::face {

class FacePainter {
public:
    explicit FacePainter(SkinPainter& painter) : m_painter(painter) {}

    void Paint(cairo_t* cr, const FaceState& state);

    // The title line's text box (inside "songback") and the width of the text in it, for
    // the scrolling decision; the same for the now-playing title in "titleback".
    skin::Rect TitleBox() const;
    int32_t TitleWidth(const std::string& text) const;
    skin::Rect NowPlayingTitleBox() const;
    int32_t NowPlayingTitleWidth(const std::string& text) const;

private:
    void PaintComponents(cairo_t* cr, const FaceState& state);
    void PaintConnect(cairo_t* cr, const FaceState& state);
    void PaintDeck(cairo_t* cr, const FaceState& state);
    void PaintEq(cairo_t* cr, const FaceState& state);
    void PaintNowPlaying(cairo_t* cr, const FaceState& state);
    void PaintTitleLine(cairo_t* cr, const FaceState& state);
    void PaintLibraryTitle(cairo_t* cr, const FaceState& state);
    void PaintTime(cairo_t* cr, const FaceState& state);
    void PaintAlbumArt(cairo_t* cr, const FaceState& state);
    // Draws `pushedWhenOn` components in their push state while the flag is on.
    void PaintToggle(cairo_t* cr, const FaceState& state, const char* name, bool on);
    void Bar(cairo_t* cr, const FaceState& state, const char* back, const char* fill, int32_t value,
             bool knob);
    // Text in the named font, or in bitmap text (accents folded) when the skin lacks it.
    void Text(cairo_t* cr, const char* fontName, const std::string& text, const skin::Rect& box,
              unsigned flags, int32_t offset = 0);

    SkinPainter& m_painter;
};

}  // namespace vantor::face
