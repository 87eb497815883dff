#pragma once

// The skin's bitmaps, each decoded on first use and kept: colour-keyed bitmaps come out with
// their key colour fully transparent. Not thread-safe: the window's thread owns it.

#include <map>
#include <string>

#include "client/face/CairoHandles.h"
#include "client/skin/Skin.h"

namespace vantor::face {

class SkinImages {
public:
    explicit SkinImages(const skin::Skin& skin) : m_skin(skin) {}

    // The bitmap of that name, or null when the skin has none or it can't be decoded (an
    // empty bitmap draws nothing).
    cairo_surface_t* Get(const std::string& bitmapName);
    // The same bitmap with `key` transparent whatever the skin says (the glyph strip is
    // always keyed on magenta).
    cairo_surface_t* GetKeyed(const std::string& bitmapName, skin::Rgb key);
    // True when the bitmap's pixel at (x, y) is not transparent; false outside it.
    bool IsOpaqueAt(const std::string& bitmapName, int x, int y);
    // Forgets every picture (after the skin was replaced).
    void Clear() { m_cache.clear(); }

private:
    const skin::Skin& m_skin;
    std::map<std::string, SurfaceHandle, std::less<>> m_cache;
};

}  // namespace vantor::face
