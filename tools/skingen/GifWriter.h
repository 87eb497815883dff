#pragma once

// Writes an image surface as a GIF picture (the skin previews are GIFs): a fixed palette of
// 216 colours and 40 greys, LZW-compressed.

#include <cairo.h>

#include <string>

namespace vantor::skingen {

bool WriteGif(cairo_surface_t* surface, const std::string& path);

}  // namespace vantor::skingen
