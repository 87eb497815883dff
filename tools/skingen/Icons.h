#pragma once

// Vector icons of the transport and edit buttons, drawn centred on (cx, cy) within a square
// of side `size`.

#include <cairo.h>

#include "tools/skingen/Palette.h"

namespace vantor::skingen {

void IconPlay(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconPause(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconStop(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconPrevious(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconNext(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconShuffle(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconRepeat(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconSpeaker(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconChevron(cairo_t* cr, double cx, double cy, double size, const Colour& c, bool up);
// A chevron pointing left: back.
void IconBack(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconPlus(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconMinus(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconNote(cairo_t* cr, double cx, double cy, double size, const Colour& c);
void IconDisc(cairo_t* cr, double cx, double cy, double size, const Colour& c);

}  // namespace vantor::skingen
