#include "tools/skingen/Palette.h"

#include <cmath>

namespace vantor::skingen {

Colour Colour::Hex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

Colour Colour::Mix(const Colour& other, double share) const {
    return {r + (other.r - r) * share, g + (other.g - g) * share, b + (other.b - b) * share};
}

std::string Colour::SkinText() const {
    auto byte = [](double v) { return std::to_string(static_cast<int>(std::lround(v * 255))); };
    return byte(r) + "," + byte(g) + "," + byte(b);
}

Palette GraphitePalette() {
    Palette p;
    p.name = "default";
    p.base = Colour::Hex(0x15171c);
    p.card = Colour::Hex(0x1f232b);
    p.edge = Colour::Hex(0x2c313b);
    p.inset = Colour::Hex(0x13161a);
    p.field = p.inset;
    p.track = Colour::Hex(0x353b47);
    p.text = Colour::Hex(0xe9edf3);
    p.textDim = Colour::Hex(0x8d96a6);
    p.accent = Colour::Hex(0x4c9dff);
    p.accentHover = Colour::Hex(0x6daeff);
    p.accentPush = Colour::Hex(0x2f7ad6);
    p.onAccent = Colour::Hex(0xffffff);
    p.button = Colour::Hex(0x2a2f39);
    p.buttonHover = Colour::Hex(0x353b47);
    p.buttonPush = Colour::Hex(0x181b21);
    p.glyphInk = Colour::Hex(0xe9edf3);
    p.glyphPaper = p.inset;
    p.fontFace = "Cantarell";
    return p;
}

Palette DaylightPalette() {
    Palette p;
    p.name = "daylight";
    p.base = Colour::Hex(0xeceef1);
    p.card = Colour::Hex(0xffffff);
    p.edge = Colour::Hex(0xd6dae0);
    p.inset = Colour::Hex(0x25303a);
    p.field = Colour::Hex(0xf3f4f6);
    p.track = Colour::Hex(0xdde1e7);
    p.text = Colour::Hex(0x1c232c);
    p.textDim = Colour::Hex(0x67717e);
    p.accent = Colour::Hex(0xf2653a);
    p.accentHover = Colour::Hex(0xff7d55);
    p.accentPush = Colour::Hex(0xd24f27);
    p.onAccent = Colour::Hex(0xffffff);
    p.button = Colour::Hex(0xf1f3f6);
    p.buttonHover = Colour::Hex(0xe6e9ee);
    p.buttonPush = Colour::Hex(0xd9dde3);
    p.glyphInk = Colour::Hex(0xffb25b);
    p.glyphPaper = p.inset;
    p.bitmapTitle = true;
    p.fontFace = "Cantarell";
    return p;
}

}  // namespace vantor::skingen
