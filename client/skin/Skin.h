#pragma once

// A loaded skin: bitmaps, window components (where native controls go), fonts and the
// drawn components with their norm, hover and push states. Load() reads a skin file; the
// lookups find elements by exact, case-sensitive name and return the first match or null.
// Paths are native ("/"); bitmap files are relative to the skin file's folder.
// Not thread-safe: the window layer loads and reads it under its drawing lock.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/skin/SkinAttributes.h"
#include "client/skin/SkinFont.h"

namespace vantor::skin {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct SkinBitmap {
    std::string name;
    std::string filePath;  // skin folder + the file attribute
    bool transparent = false;
    Rgb transparencyColour;
};

struct WindowComponent {
    std::string name;
    Rect rect;  // window client coordinates
    std::optional<Rgb> foreColour;
    std::optional<Rgb> backColour;
    std::optional<Rgb> selectColour;
};

struct ComponentState {
    bool present = false;
    std::string bitmap;  // name of a SkinBitmap; empty when the state has no picture
    Rect destination;    // window client coordinates
    Rect source;         // bitmap coordinates
};

struct Component {
    std::string name;
    std::string mode;
    bool ignoreInput = false;
    ComponentState norm;
    ComponentState hover;
    ComponentState push;
};

// The strip of the 95 printable characters from " " (32) to "~" (126) in character order.
inline constexpr int32_t kBitmapTextGlyphs = 95;

class Skin {
public:
    // Reads and parses the file, then replaces the whole content. False when the file can't
    // be read or holds no element; the previous content then stays as it was.
    // `pixelsPerInch` is the display's vertical resolution, used for the fonts' heights.
    bool Load(const std::string& skinFilePath, int32_t pixelsPerInch = 96);
    // The same from text already read; `skinFilePath` gives the skin folder.
    bool LoadText(const std::string& text, const std::string& skinFilePath,
                  int32_t pixelsPerInch = 96);

    const SkinBitmap* FindBitmap(std::string_view name) const;
    const WindowComponent* FindWindowComponent(std::string_view name) const;
    const FontDescription* FindFont(std::string_view name) const;
    const Component* FindComponent(std::string_view name) const;

    const std::string& Folder() const { return m_folder; }  // ends with "/"
    const std::vector<SkinBitmap>& Bitmaps() const { return m_bitmaps; }
    const std::vector<WindowComponent>& WindowComponents() const { return m_windowComponents; }
    const std::vector<FontDescription>& Fonts() const { return m_fonts; }
    const std::vector<Component>& Components() const { return m_components; }
    int32_t PixelsPerInch() const { return m_pixelsPerInch; }

    // The "bitmaptext" component, or null; its glyphs are GlyphWidth x GlyphHeight.
    const Component* BitmapText() const { return FindComponent("bitmaptext"); }
    int32_t GlyphWidth() const { return m_glyphWidth; }
    int32_t GlyphHeight() const { return m_glyphHeight; }

private:
    std::string m_folder;
    std::vector<SkinBitmap> m_bitmaps;
    std::vector<WindowComponent> m_windowComponents;
    std::vector<FontDescription> m_fonts;
    std::vector<Component> m_components;
    int32_t m_glyphWidth = 0;
    int32_t m_glyphHeight = 0;
    int32_t m_pixelsPerInch = 96;
};

}  // namespace vantor::skin
