#pragma once

// Draws a skinned dialog from its layout: the face's background under its corners, the
// "dialog" element over the whole dialog, "dlg.background" behind the texts, the texts in
// the skin's "dialog" font (a plain 15-pixel font when the skin has none) and the buttons
// in their norm, hover or push state. Not thread-safe, like the painter it draws with.

#include <cairo.h>

#include <string>

#include "client/face/DialogLayout.h"
#include "client/face/SkinPainter.h"

namespace vantor::face {

class DialogPainter {
public:
    explicit DialogPainter(SkinPainter& painter) : m_painter(painter) {}

    // Into a context whose origin is the dialog's top left.
    void Paint(cairo_t* cr, const DialogLayout& layout, const std::string& pressed,
               const std::string& hovered);

private:
    SkinPainter& m_painter;
};

}  // namespace vantor::face
