// Skin::LoadText: turns the elements of a skin file into the skin's lists.

#include "client/skin/Skin.h"
#include "client/skin/SkinDocument.h"

namespace vantor::skin {

namespace {

SkinBitmap ReadBitmap(const SkinDocument& doc, int e, const std::string& folder) {
    SkinBitmap bitmap;
    bitmap.name = TextAttribute(doc, e, "name");
    bitmap.filePath = folder + TextAttribute(doc, e, "file");
    if (auto colour = ColourAttribute(doc, e, "transparency")) {
        bitmap.transparent = true;
        bitmap.transparencyColour = *colour;
    }
    return bitmap;
}

WindowComponent ReadWindowComponent(const SkinDocument& doc, int e) {
    WindowComponent component;
    component.name = TextAttribute(doc, e, "name");
    component.rect.left = IntAttribute(doc, e, "x");
    component.rect.top = IntAttribute(doc, e, "y");
    component.rect.right = component.rect.left + IntAttribute(doc, e, "width");
    component.rect.bottom = component.rect.top + IntAttribute(doc, e, "height");
    component.backColour = ColourAttribute(doc, e, "backcolor");
    component.foreColour = ColourAttribute(doc, e, "forecolor");
    component.selectColour = ColourAttribute(doc, e, "selectcolor");
    return component;
}

FontDescription ReadFont(const SkinDocument& doc, int e, int32_t pixelsPerInch) {
    FontDescription font;
    font.name = TextAttribute(doc, e, "name");
    font.face = TextAttribute(doc, e, "face");
    font.sizePoints = IntAttribute(doc, e, "size");
    if (font.sizePoints < 0) font.sizePoints = 0;
    font.height = font.HeightFor(pixelsPerInch);
    font.weightName = TextAttribute(doc, e, "weight");
    if (font.weightName.empty()) font.weightName = "normal";
    font.weight = FontWeightFromName(font.weightName);
    font.italic = FlagAttribute(doc, e, "italic");
    font.underline = FlagAttribute(doc, e, "underline");
    font.colour = ColourAttribute(doc, e, "color");
    font.qualityName = TextAttribute(doc, e, "quality");
    if (font.qualityName.empty()) font.qualityName = "default";
    font.quality = FontQualityFromName(font.qualityName);
    return font;
}

// One norm, hover or push child. States that leave out their size or their rect take the
// norm state's, so a skin gives the norm state first and completely.
void ReadState(const SkinDocument& doc, int e, const ComponentState& norm, ComponentState& state) {
    state.present = true;
    const int source = doc.FindChild(e, "source");
    if (source < 0) return;
    state.bitmap = TextAttribute(doc, source, "name");
    state.source.left = IntAttribute(doc, source, "x");
    state.source.top = IntAttribute(doc, source, "y");
    const int32_t width = IntAttribute(doc, source, "width");
    if (width == -1) {
        state.source.right = state.source.left + norm.source.Width();
        state.source.bottom = state.source.top + norm.source.Height();
    } else {
        state.source.right = state.source.left + width;
        state.source.bottom = state.source.top + IntAttribute(doc, source, "height");
    }

    const int rect = doc.FindChild(e, "rect");
    if (rect < 0) {
        state.destination = norm.destination;
        return;
    }
    state.destination.left = IntAttribute(doc, rect, "x");
    state.destination.top = IntAttribute(doc, rect, "y");
    // A size of -1 takes the source rectangle's (itself possibly inherited from norm).
    const int32_t rectWidth = IntAttribute(doc, rect, "width");
    const int32_t rectHeight = IntAttribute(doc, rect, "height");
    state.destination.right =
        state.destination.left + (rectWidth == -1 ? state.source.Width() : rectWidth);
    state.destination.bottom =
        state.destination.top + (rectHeight == -1 ? state.source.Height() : rectHeight);
}

Component ReadComponent(const SkinDocument& doc, int e) {
    Component component;
    component.name = TextAttribute(doc, e, "name");
    component.mode = TextAttribute(doc, e, "mode");
    component.ignoreInput = FlagAttribute(doc, e, "ignoreinput");
    for (int child : doc.Children(e)) {
        const std::string type = TextAttribute(doc, child, "type");
        ComponentState* state = type == "norm"    ? &component.norm
                                : type == "hover" ? &component.hover
                                : type == "push"  ? &component.push
                                                  : nullptr;
        if (state) ReadState(doc, child, component.norm, *state);
    }
    return component;
}

}  // namespace

bool Skin::LoadText(const std::string& text, const std::string& skinFilePath,
                    int32_t pixelsPerInch) {
    SkinDocument doc;
    if (!doc.Parse(text)) return false;
    const size_t slash = skinFilePath.find_last_of('/');
    m_folder = slash == std::string::npos ? std::string() : skinFilePath.substr(0, slash + 1);
    m_pixelsPerInch = pixelsPerInch;
    m_bitmaps.clear();
    m_windowComponents.clear();
    m_fonts.clear();
    m_components.clear();
    m_glyphWidth = 0;
    m_glyphHeight = 0;

    for (int e : doc.FindAll("bitmap")) m_bitmaps.push_back(ReadBitmap(doc, e, m_folder));
    for (int e : doc.FindAll("wincomponent"))
        m_windowComponents.push_back(ReadWindowComponent(doc, e));
    for (int e : doc.FindAll("font")) m_fonts.push_back(ReadFont(doc, e, pixelsPerInch));
    for (int e : doc.FindAll("component")) m_components.push_back(ReadComponent(doc, e));

    if (const Component* glyphs = BitmapText()) {
        m_glyphWidth = glyphs->norm.destination.Width() / kBitmapTextGlyphs;
        m_glyphHeight = glyphs->norm.destination.Height();
    }
    return true;
}

}  // namespace vantor::skin
