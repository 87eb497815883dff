#pragma once

// Cairo helpers of the skin generator: shapes, text, and turning a picture with soft edges
// into the colour-keyed bitmaps the skin format takes.

#include <cairo.h>

#include <string>

#include "tools/skingen/Palette.h"

namespace vantor::skingen {

// Magenta: the transparency colour of every keyed bitmap and of the glyph strip.
inline constexpr unsigned kKeyColour = 0xff00ff;

void SetColour(cairo_t* cr, const Colour& c, double alpha = 1.0);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r);
void FillRoundRect(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& c);
void StrokeRoundRect(cairo_t* cr, double x, double y, double w, double h, double r, const Colour& c,
                     double width);
void FillCircle(cairo_t* cr, double cx, double cy, double radius, const Colour& c);

enum class Align { kLeft, kCentre, kRight };

// One line of text in the box, vertically centred. `size` in pixels; weight 400 or 700.
void DrawText(cairo_t* cr, const std::string& text, const std::string& face, double size,
              int weight, const Colour& c, double x, double y, double w, double h,
              Align align = Align::kCentre);

// A new image `w` x `h` logical pixels at `scale`, cleared to transparent; the context
// draws in logical pixels.
struct Canvas {
    Canvas(double w, double h, double scale);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
};

// Makes the picture opaque: pixels that are (nearly) transparent become the key colour,
// the rest are blended over `under`, the colour the bitmap will be drawn on.
void FlattenOverKey(cairo_surface_t* surface, const Colour& under);
// Makes the picture opaque over `under` without a key.
void FlattenOver(cairo_surface_t* surface, const Colour& under);

}  // namespace vantor::skingen
