#pragma once

// Decodes picture files into Cairo image surfaces: PNG files through DevIL, every other
// format through gdk-pixbuf. Not thread-safe (DevIL keeps global state): call from the
// window's thread.

#include <optional>
#include <string>

#include "client/face/CairoHandles.h"
#include "client/skin/SkinAttributes.h"

namespace vantor::face {

// The picture, or an empty handle when the file can't be read or decoded. With a key colour,
// pixels of exactly that colour become fully transparent.
SurfaceHandle LoadPicture(const std::string& path, std::optional<skin::Rgb> keyColour = {});

}  // namespace vantor::face
