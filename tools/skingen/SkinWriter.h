#pragma once

// Collects the components, window components and fonts of one skin and writes the skin
// file with its bitmaps: one PNG per component holding its norm, hover and push pictures
// side by side, the glyph strip of the bitmap text, and the preview picture.

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/skingen/Palette.h"

namespace vantor::skingen {

// A rectangle in the skin's logical pixels (the normal size; VGA doubles it).
struct Box {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// Draws one state into a context whose origin is the component's top left, in logical pixels.
using StatePainter = std::function<void(cairo_t* cr, double w, double h)>;

struct ComponentSpec {
    std::string name;
    std::string mode;
    Box box;
    bool ignoreInput = false;
    StatePainter norm;
    StatePainter hover;  // empty: no hover state
    StatePainter push;   // empty: no push state (not pressable)
    // Keyed bitmaps turn what the painter left transparent into magenta, the transparency
    // colour, and blend soft edges over `under`.
    bool keyed = false;
    Colour under;
};

inline ComponentSpec MakeSpec(std::string name, std::string mode, Box box) {
    ComponentSpec spec;
    spec.name = std::move(name);
    spec.mode = std::move(mode);
    spec.box = box;
    return spec;
}

class SkinWriter {
public:
    SkinWriter(Palette palette, double scale);

    void Add(ComponentSpec spec);
    void AddWindowComponent(const std::string& name, Box box, const Colour& back,
                            const Colour& fore, const Colour& select);
    // `pixels` is the character height at the normal size; the file gets points at 96 dpi.
    void AddFont(const std::string& name, double pixels, const std::string& weight,
                 const Colour& colour);
    // The 95 glyphs from " " to "~" in one row, `glyphW` x `glyphH` logical pixels each.
    void AddGlyphStrip(int glyphW, int glyphH);

    // Writes "<folder>/<name>.xml", its bitmaps, "no_artwork.png", the library list's icons
    // ("library_icons.png") and "<name>.gif".
    bool Write(const std::string& folder) const;

    const Palette& Colours() const { return m_palette; }

private:
    struct Font {
        std::string name;
        int points;
        std::string weight;
        Colour colour;
    };
    struct Window {
        std::string name;
        Box box;
        Colour back;
        Colour fore;
        Colour select;
    };

    std::string Xml() const;
    bool WriteComponentBitmap(const ComponentSpec& spec, const std::string& path) const;
    bool WriteGlyphStrip(const std::string& path) const;
    bool WriteNoArtwork(const std::string& path) const;
    bool WriteLibraryIcons(const std::string& path) const;
    bool WritePreview(const std::string& path) const;
    int S(int v) const;

    Palette m_palette;
    double m_scale;
    std::vector<ComponentSpec> m_components;
    std::vector<Window> m_windows;
    std::vector<Font> m_fonts;
    int m_glyphW = 0;
    int m_glyphH = 0;
};

}  // namespace vantor::skingen
