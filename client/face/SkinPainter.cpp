#include "client/face/SkinPainter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>

#include "client/face/FaceGeometry.h"

namespace vantor::face {

namespace {

constexpr int32_t kDefaultFontPixels = 13;

void SetRgb(cairo_t* cr, skin::Rgb c) {
    cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
}

// Owns a layout set up for a skin font.
class FontLayout {
public:
    FontLayout(cairo_t* cr, const skin::FontDescription& font, int32_t pixelsPerInch,
               std::string_view text)
        : m_layout(pango_cairo_create_layout(cr)) {
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, font.face.c_str());
        int32_t pixels = font.PixelHeightFor(pixelsPerInch);
        if (pixels <= 0) pixels = kDefaultFontPixels;
        pango_font_description_set_absolute_size(description, pixels * PANGO_SCALE);
        pango_font_description_set_weight(description, static_cast<PangoWeight>(font.weight));
        if (font.italic) pango_font_description_set_style(description, PANGO_STYLE_ITALIC);
        pango_layout_set_font_description(m_layout, description);
        pango_font_description_free(description);
        if (font.underline) {
            PangoAttrList* attributes = pango_attr_list_new();
            pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            pango_layout_set_attributes(m_layout, attributes);
            pango_attr_list_unref(attributes);
        }
        if (font.quality == 3) {  // "nonantialiased"
            cairo_font_options_t* options = cairo_font_options_create();
            cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
            pango_cairo_context_set_font_options(pango_layout_get_context(m_layout), options);
            cairo_font_options_destroy(options);
            pango_layout_context_changed(m_layout);
        }
        pango_layout_set_text(m_layout, text.data(), static_cast<int>(text.size()));
    }
    ~FontLayout() { g_object_unref(m_layout); }
    FontLayout(const FontLayout&) = delete;
    FontLayout& operator=(const FontLayout&) = delete;

    PangoLayout* get() const { return m_layout; }
    void Size(int& width, int& height) const {
        pango_layout_get_pixel_size(m_layout, &width, &height);
    }

private:
    PangoLayout* m_layout;
};

// A context for measuring text outside a paint.
class MeasureContext {
public:
    MeasureContext()
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)),
          m_cr(cairo_create(m_surface)) {}
    ~MeasureContext() {
        cairo_destroy(m_cr);
        cairo_surface_destroy(m_surface);
    }
    MeasureContext(const MeasureContext&) = delete;
    MeasureContext& operator=(const MeasureContext&) = delete;
    cairo_t* get() const { return m_cr; }

private:
    cairo_surface_t* m_surface;
    cairo_t* m_cr;
};

int32_t AlignedX(const skin::Rect& box, int32_t width, unsigned flags) {
    if (flags & kTextCentre) return box.left + (box.Width() - width) / 2;
    if (flags & kTextRight) return box.right - width;
    return box.left;
}

int32_t AlignedY(const skin::Rect& box, int32_t height, unsigned flags) {
    if (flags & kTextVCentre) return box.top + (box.Height() - height) / 2;
    if (flags & kTextBottom) return box.bottom - height;
    return box.top;
}

}  // namespace

std::string GlyphText(std::string_view text) {
    std::string glyphs;
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            // One "?" per character the strip lacks: skip the sequence's continuation bytes.
            while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80)
                ++i;
            c = '?';
        } else if (c < 32 || c > 126) {
            c = '?';
        }
        glyphs.push_back(static_cast<char>(std::toupper(c) - 32));
    }
    return glyphs;
}

bool SkinPainter::IsActive(const skin::Component& component, std::string_view screen) {
    if (component.mode.empty()) return false;
    return component.mode == "all" || component.mode.find(screen) != std::string::npos;
}

const skin::Component* SkinPainter::Find(std::string_view name, std::string_view screen) const {
    const skin::Component* first = nullptr;
    for (const skin::Component& c : m_skin.Components()) {
        if (c.name != name) continue;
        if (IsActive(c, screen)) return &c;
        if (!first) first = &c;
    }
    return first;
}

int32_t SkinPainter::IndexOf(const skin::Component* component) const {
    if (!component) return -1;
    return static_cast<int32_t>(component - m_skin.Components().data());
}

void SkinPainter::DrawState(cairo_t* cr, const skin::ComponentState& state,
                            const skin::Rect& dest) {
    if (!state.present || state.bitmap.empty()) return;
    cairo_surface_t* image = m_images.Get(state.bitmap);
    const skin::Rect& src = state.source;
    if (!image || src.Width() <= 0 || src.Height() <= 0 || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    cairo_save(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(cr);
    cairo_translate(cr, dest.left, dest.top);
    const bool stretched = src.Width() != dest.Width() || src.Height() != dest.Height();
    if (stretched) {
        cairo_scale(cr, static_cast<double>(dest.Width()) / src.Width(),
                    static_cast<double>(dest.Height()) / src.Height());
    }
    cairo_set_source_surface(cr, image, -src.left, -src.top);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             stretched ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
}

void SkinPainter::DrawComponent(cairo_t* cr, const skin::Component& component, bool pressed,
                                bool hovered) {
    if (pressed && component.push.present) {
        DrawState(cr, component.push);
    } else if (hovered && component.hover.present) {
        DrawState(cr, component.hover);
    } else {
        DrawState(cr, component.norm);
    }
}

void SkinPainter::DrawBar(cairo_t* cr, const skin::Component& back, const skin::Component* fill,
                          int32_t value, bool knob) {
    const skin::Rect bar = back.norm.destination;
    if (bar.Width() <= 0 || bar.Height() <= 0) return;
    const bool vertical = bar.Height() > bar.Width();
    cairo_save(cr);
    cairo_rectangle(cr, bar.left, bar.top, bar.Width(), bar.Height());
    cairo_clip(cr);
    cairo_push_group(cr);
    DrawState(cr, back.norm);
    if (fill && fill->norm.present) {
        const skin::ComponentState& state = fill->norm;
        skin::ComponentState part = state;
        if (knob) {
            const int32_t kw = state.destination.Width();
            const int32_t kh = state.destination.Height();
            skin::Rect at;
            if (vertical) {
                at.left = bar.left + (bar.Width() - kw) / 2;
                at.top = bar.top + KnobTop(bar.Height(), value, kh);
            } else {
                at.left = bar.left + std::clamp(value - kw / 2, 0, std::max(0, bar.Width() - kw));
                at.top = bar.top + (bar.Height() - kh) / 2;
            }
            at.right = at.left + kw;
            at.bottom = at.top + kh;
            DrawState(cr, state, at);
        } else if (vertical) {
            const int32_t length = std::clamp(value, 0, state.source.Height());
            part.source.top = state.source.bottom - length;
            const skin::Rect at{state.destination.left, bar.bottom - length,
                                state.destination.right, bar.bottom};
            if (length > 0) DrawState(cr, part, at);
        } else {
            const int32_t length = std::clamp(value, 0, state.source.Width());
            part.source.right = state.source.left + length;
            const skin::Rect at{bar.left, state.destination.top, bar.left + length,
                                state.destination.bottom};
            if (length > 0) DrawState(cr, part, at);
        }
    }
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_restore(cr);
}

int32_t SkinPainter::BitmapTextWidth(std::string_view text) const {
    return static_cast<int32_t>(GlyphText(text).size()) * m_skin.GlyphWidth();
}

void SkinPainter::DrawBitmapText(cairo_t* cr, std::string_view text, const skin::Rect& box,
                                 unsigned flags, int32_t offset) {
    const skin::Component* strip = m_skin.BitmapText();
    const int32_t gw = m_skin.GlyphWidth();
    const int32_t gh = m_skin.GlyphHeight();
    if (!strip || gw <= 0 || gh <= 0) return;
    std::string glyphs = GlyphText(text);
    if ((flags & kTextSingleLine) && static_cast<int32_t>(glyphs.size()) * gw > box.Width() &&
        offset == 0) {
        glyphs.resize(static_cast<size_t>(std::max(0, box.Width() / gw)));
    }
    const int32_t width = static_cast<int32_t>(glyphs.size()) * gw;
    // A text wider than its box starts at the box's start, where scrolling begins.
    const bool wide = width > box.Width();
    int32_t x = (offset != 0 || wide ? box.left : AlignedX(box, width, flags)) - offset;
    const int32_t y = AlignedY(box, gh, flags);
    cairo_surface_t* image = m_images.GetKeyed(strip->norm.bitmap, kGlyphKey);
    if (!image) return;
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
    cairo_clip(cr);
    const int32_t sourceLeft = strip->norm.source.left;
    const int32_t sourceTop = strip->norm.source.top;
    for (char g : glyphs) {
        if (x + gw > box.left && x < box.right) {
            cairo_save(cr);
            cairo_rectangle(cr, x, y, gw, gh);
            cairo_clip(cr);
            cairo_set_source_surface(cr, image, x - sourceLeft - g * gw, y - sourceTop);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        x += gw;
    }
    cairo_restore(cr);
}

int32_t SkinPainter::FontTextWidth(const skin::FontDescription& font, std::string_view text) const {
    MeasureContext measure;
    FontLayout layout(measure.get(), font, m_skin.PixelsPerInch(), text);
    int width = 0;
    int height = 0;
    layout.Size(width, height);
    return width;
}

void SkinPainter::DrawFontText(cairo_t* cr, const skin::FontDescription& font,
                               std::string_view text, const skin::Rect& box, unsigned flags,
                               int32_t offset, skin::Rgb fallback) {
    if (text.empty() || box.Width() <= 0 || box.Height() <= 0) return;
    FontLayout layout(cr, font, m_skin.PixelsPerInch(), text);
    if ((flags & kTextEllipsis) && offset == 0) {
        pango_layout_set_width(layout.get(), box.Width() * PANGO_SCALE);
        pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    }
    if (flags & (kTextSingleLine | kTextEllipsis))
        pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    int width = 0;
    int height = 0;
    layout.Size(width, height);
    const bool wide = width > box.Width();
    const int32_t x = (offset != 0 || wide ? box.left : AlignedX(box, width, flags)) - offset;
    const int32_t y = AlignedY(box, height, flags);
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
    cairo_clip(cr);
    SetRgb(cr, font.colour.value_or(fallback));
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

const skin::Component* SkinPainter::HitTest(std::string_view screen, int32_t x, int32_t y,
                                            bool pixelTest, bool needPush) {
    for (const skin::Component& c : m_skin.Components()) {
        const skin::Rect& r = c.norm.destination;
        if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
        if (!IsActive(c, screen) || c.ignoreInput) continue;
        if (pixelTest && !c.norm.bitmap.empty() && m_images.Get(c.norm.bitmap)) {
            const int32_t px = c.norm.source.left + x - r.left;
            const int32_t py = c.norm.source.top + y - r.top;
            if (!m_images.IsOpaqueAt(c.norm.bitmap, px, py)) continue;
        }
        if (needPush && !c.push.present) continue;
        return &c;
    }
    return nullptr;
}

}  // namespace vantor::face
