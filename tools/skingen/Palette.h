#pragma once

// The colours of one skin. Every generated skin shares the layout and differs here.

#include <string>

namespace vantor::skingen {

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;

    static Colour Hex(unsigned rgb);
    Colour Mix(const Colour& other, double share) const;
    // "r,g,b" as the skin file writes colours.
    std::string SkinText() const;
};

struct Palette {
    std::string name;  // folder and file name of the skin
    Colour base;       // window background
    Colour card;       // panels
    Colour edge;       // panel outlines and dividers
    Colour inset;      // title strip and wells
    Colour field;      // text fields
    Colour track;      // empty bar tracks
    Colour text;
    Colour textDim;
    Colour accent;
    Colour accentHover;
    Colour accentPush;
    Colour onAccent;  // icons on accent fills
    Colour button;
    Colour buttonHover;
    Colour buttonPush;
    // Bitmap text: glyph ink on the strip it is drawn over.
    Colour glyphInk;
    Colour glyphPaper;
    bool bitmapTitle = false;  // title line and time in bitmap text instead of fonts
    std::string fontFace;
};

Palette GraphitePalette();
Palette DaylightPalette();

}  // namespace vantor::skingen
