#pragma once

// Draws the skin's elements with Cairo: component states, bars, bitmap text and skin fonts,
// and finds the component under a point. Takes any Cairo context, so a window and an image
// in a test are drawn alike. Not thread-safe: used under the window's drawing lock.

#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "client/face/SkinImages.h"
#include "client/skin/Skin.h"

namespace vantor::face {

// How text sits in its rectangle (bit flags; left and top when none is given).
enum TextFlag : unsigned {
    kTextLeft = 0,
    kTextCentre = 1,
    kTextRight = 2,
    kTextVCentre = 4,
    kTextBottom = 8,
    kTextSingleLine = 16,  // one line; bitmap text is cut to the glyphs that fit
    kTextEllipsis = 32,    // font text too wide ends in "..."
};

inline constexpr skin::Rgb kGlyphKey{255, 0, 255};

class SkinPainter {
public:
    SkinPainter(const skin::Skin& skin, SkinImages& images) : m_skin(skin), m_images(images) {}

    const skin::Skin& Skin() const { return m_skin; }
    SkinImages& Images() { return m_images; }

    // Active on screen S: mode "all", or a mode containing S.
    static bool IsActive(const skin::Component& component, std::string_view screen);
    // The first component of that name active on the screen; else the first of that name.
    const skin::Component* Find(std::string_view name, std::string_view screen) const;
    int32_t IndexOf(const skin::Component* component) const;

    // The state's source rectangle into `dest` (stretched when the sizes differ).
    void DrawState(cairo_t* cr, const skin::ComponentState& state, const skin::Rect& dest);
    void DrawState(cairo_t* cr, const skin::ComponentState& state) {
        DrawState(cr, state, state.destination);
    }
    // Norm state, or push (hover) when pressed (hovered) and the skin has that state.
    void DrawComponent(cairo_t* cr, const skin::Component& component, bool pressed = false,
                       bool hovered = false);

    // A bar composed off-screen and put on in one operation. Fill mode draws the fill's
    // first `value` pixels from the bar's start (from the bottom for a bar taller than wide);
    // knob mode places the knob `value` pixels from the bottom (from the left).
    void DrawBar(cairo_t* cr, const skin::Component& back, const skin::Component* fill,
                 int32_t value, bool knob);

    // Bitmap text in upper case from the "bitmaptext" glyphs; nothing without them.
    // `offset` shifts the text left by that many pixels (scrolling titles).
    void DrawBitmapText(cairo_t* cr, std::string_view text, const skin::Rect& box, unsigned flags,
                        int32_t offset = 0);
    int32_t BitmapTextWidth(std::string_view text) const;

    // Text in a skin font (colour from the font, else `fallback`).
    void DrawFontText(cairo_t* cr, const skin::FontDescription& font, std::string_view text,
                      const skin::Rect& box, unsigned flags, int32_t offset = 0,
                      skin::Rgb fallback = {});
    int32_t FontTextWidth(const skin::FontDescription& font, std::string_view text) const;

    // In skin order, the first component whose norm rectangle holds the point (edges
    // included), active on `screen` and not ignoring input; with `pixelTest` its bitmap is
    // not transparent there; with `needPush` it has a push state. Null when none.
    const skin::Component* HitTest(std::string_view screen, int32_t x, int32_t y, bool pixelTest,
                                   bool needPush = false);

private:
    const skin::Skin& m_skin;
    SkinImages& m_images;
};

// The text's characters as glyph indices 0..94 (upper case; "?" for what the strip lacks).
std::string GlyphText(std::string_view text);

}  // namespace vantor::face
