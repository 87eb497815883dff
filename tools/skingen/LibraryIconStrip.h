#pragma once

// The library list's icons as one strip of 16 x 16 squares (at the normal size), in the
// order the client's LibraryIcon names them: categories in the accent colour, single items
// in the dimmed text colour.

#include <cairo.h>

#include "tools/skingen/Palette.h"

namespace vantor::skingen {

inline constexpr int kLibraryIconSide = 16;

int LibraryIconCount();
// Draws the whole strip; the context's origin is the strip's top left, in logical pixels.
void DrawLibraryIconStrip(cairo_t* cr, const Palette& palette);

}  // namespace vantor::skingen
