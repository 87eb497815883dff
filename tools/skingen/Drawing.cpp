#include "tools/skingen/Drawing.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vantor::skingen {

void SetColour(cairo_t* cr, const Colour& c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FillRoundRect(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& c) {
    RoundRectPath(cr, x, y, w, h, r);
    SetColour(cr, c);
    cairo_fill(cr);
}

void StrokeRoundRect(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& c,
                     double width) {
    RoundRectPath(cr, x + width / 2, y + width / 2, w - width, h - width, r);
    SetColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void FillCircle(cairo_t* cr, double cx, double cy, double radius, const Colour& c) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    SetColour(cr, c);
    cairo_fill(cr);
}

void DrawText(cairo_t* cr, const std::string& text, const std::string& face, double size,
              int weight, const Colour& c, double x, double y, double w, double h, Align align) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, face.c_str());
    pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
    pango_font_description_set_weight(font, static_cast<PangoWeight>(weight));
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.c_str(), -1);
    int tw = 0;
    int th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    double tx = x;
    if (align == Align::kCentre) tx = x + (w - tw) / 2;
    if (align == Align::kRight) tx = x + w - tw;
    SetColour(cr, c);
    cairo_move_to(cr, tx, y + (h - th) / 2);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

Canvas::Canvas(double w, double h, double scale) {
    surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::lround(w * scale)),
                                   static_cast<int>(std::lround(h * scale)));
    cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
}

Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

namespace {

void Flatten(cairo_surface_t* surface, const Colour& under, bool key) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const double ur = under.r * 255;
    const double ug = under.g * 255;
    const double ub = under.b * 255;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            const double a = (p >> 24) / 255.0;
            if (key && a < 0.06) {
                row[x] = 0xff000000u | kKeyColour;
                continue;
            }
            // Premultiplied: colour + (1 - alpha) x under.
            const auto channel = [&](int shift, double u) {
                const double v = ((p >> shift) & 0xff) + (1 - a) * u;
                return static_cast<uint32_t>(std::lround(std::min(255.0, v)));
            };
            uint32_t r = channel(16, ur);
            uint32_t g = channel(8, ug);
            uint32_t b = channel(0, ub);
            // A blended edge pixel must never come out as the key colour itself.
            if (key && r == 255 && g == 0 && b == 255) g = 1;
            row[x] = 0xff000000u | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
}

}  // namespace

void FlattenOverKey(cairo_surface_t* surface, const Colour& under) {
    Flatten(surface, under, true);
}

void FlattenOver(cairo_surface_t* surface, const Colour& under) {
    Flatten(surface, under, false);
}

}  // namespace vantor::skingen
