#include "tools/skingen/Icons.h"

#include <cmath>

#include "tools/skingen/Drawing.h"

namespace vantor::skingen {

namespace {

void Triangle(cairo_t* cr, double left, double cy, double width, double height) {
    cairo_move_to(cr, left, cy - height / 2);
    cairo_line_to(cr, left + width, cy);
    cairo_line_to(cr, left, cy + height / 2);
    cairo_close_path(cr);
}

void ReversedTriangle(cairo_t* cr, double right, double cy, double width, double height) {
    cairo_move_to(cr, right, cy - height / 2);
    cairo_line_to(cr, right - width, cy);
    cairo_line_to(cr, right, cy + height / 2);
    cairo_close_path(cr);
}

void Stroke(cairo_t* cr, const Colour& c, double width) {
    SetColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void Fill(cairo_t* cr, const Colour& c) {
    SetColour(cr, c);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

}  // namespace

void IconPlay(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double h = size * 0.82;
    const double w = h * 0.88;
    Triangle(cr, cx - w * 0.42, cy, w, h);
    Fill(cr, c);
}

void IconPause(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double h = size * 0.76;
    const double bar = size * 0.24;
    FillRoundRect(cr, cx - bar * 1.35, cy - h / 2, bar, h, bar * 0.3, c);
    FillRoundRect(cr, cx + bar * 0.35, cy - h / 2, bar, h, bar * 0.3, c);
}

void IconStop(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size * 0.62;
    FillRoundRect(cr, cx - s / 2, cy - s / 2, s, s, s * 0.16, c);
}

void IconPrevious(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double h = size * 0.62;
    const double bar = size * 0.13;
    const double w = h * 0.8;
    const double left = cx - (bar + w) / 2;
    FillRoundRect(cr, left, cy - h / 2, bar, h, bar * 0.4, c);
    ReversedTriangle(cr, left + bar + w, cy, w - size * 0.04, h);
    Fill(cr, c);
}

void IconNext(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double h = size * 0.62;
    const double bar = size * 0.13;
    const double w = h * 0.8;
    const double left = cx - (bar + w) / 2;
    Triangle(cr, left, cy, w - size * 0.04, h);
    Fill(cr, c);
    FillRoundRect(cr, left + w, cy - h / 2, bar, h, bar * 0.4, c);
}

void IconShuffle(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size / 2;
    const double lw = size * 0.09;
    const double head = size * 0.16;
    cairo_move_to(cr, cx - s, cy + s * 0.55);
    cairo_curve_to(cr, cx - s * 0.1, cy + s * 0.55, cx + s * 0.1, cy - s * 0.55, cx + s * 0.8,
                   cy - s * 0.55);
    Stroke(cr, c, lw);
    cairo_move_to(cr, cx - s, cy - s * 0.55);
    cairo_curve_to(cr, cx - s * 0.1, cy - s * 0.55, cx + s * 0.1, cy + s * 0.55, cx + s * 0.8,
                   cy + s * 0.55);
    Stroke(cr, c, lw);
    for (double dir : {-1.0, 1.0}) {
        const double ty = cy + dir * s * 0.55;
        cairo_move_to(cr, cx + s * 0.8 - head, ty - head);
        cairo_line_to(cr, cx + s * 0.8 + lw * 0.2, ty);
        cairo_line_to(cr, cx + s * 0.8 - head, ty + head);
        Stroke(cr, c, lw);
    }
}

void IconRepeat(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double w = size * 0.78;
    const double h = size * 0.52;
    const double lw = size * 0.09;
    const double r = h * 0.45;
    const double head = size * 0.15;
    const double left = cx - w / 2;
    const double top = cy - h / 2;
    // Upper run left to right, lower run right to left, each ending in an arrow head.
    cairo_move_to(cr, left, cy);
    cairo_arc(cr, left + r, top + r, r, M_PI, 3 * M_PI / 2);
    cairo_line_to(cr, left + w - head * 0.6, top);
    Stroke(cr, c, lw);
    cairo_move_to(cr, left + w - head * 1.2, top - head);
    cairo_line_to(cr, left + w - head * 0.2, top);
    cairo_line_to(cr, left + w - head * 1.2, top + head);
    Stroke(cr, c, lw);
    cairo_move_to(cr, left + w, cy);
    cairo_arc(cr, left + w - r, top + h - r, r, 0, M_PI / 2);
    cairo_line_to(cr, left + head * 0.6, top + h);
    Stroke(cr, c, lw);
    cairo_move_to(cr, left + head * 1.2, top + h - head);
    cairo_line_to(cr, left + head * 0.2, top + h);
    cairo_line_to(cr, left + head * 1.2, top + h + head);
    Stroke(cr, c, lw);
}

void IconSpeaker(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size / 2;
    cairo_move_to(cr, cx - s * 0.9, cy - s * 0.3);
    cairo_line_to(cr, cx - s * 0.45, cy - s * 0.3);
    cairo_line_to(cr, cx + s * 0.05, cy - s * 0.75);
    cairo_line_to(cr, cx + s * 0.05, cy + s * 0.75);
    cairo_line_to(cr, cx - s * 0.45, cy + s * 0.3);
    cairo_line_to(cr, cx - s * 0.9, cy + s * 0.3);
    cairo_close_path(cr);
    Fill(cr, c);
    cairo_arc(cr, cx + s * 0.1, cy, s * 0.45, -M_PI / 4, M_PI / 4);
    Stroke(cr, c, size * 0.09);
    cairo_arc(cr, cx + s * 0.1, cy, s * 0.8, -M_PI / 4, M_PI / 4);
    Stroke(cr, c, size * 0.09);
}

void IconChevron(cairo_t* cr, double cx, double cy, double size, const Colour& c, bool up) {
    const double s = size * 0.3;
    const double d = up ? -1 : 1;
    cairo_move_to(cr, cx - s, cy - d * s * 0.5);
    cairo_line_to(cr, cx, cy + d * s * 0.5);
    cairo_line_to(cr, cx + s, cy - d * s * 0.5);
    Stroke(cr, c, size * 0.11);
}

void IconBack(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, -M_PI / 2);
    IconChevron(cr, 0, 0, size, c, true);
    cairo_restore(cr);
}

void IconPlus(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size * 0.3;
    cairo_move_to(cr, cx - s, cy);
    cairo_line_to(cr, cx + s, cy);
    cairo_move_to(cr, cx, cy - s);
    cairo_line_to(cr, cx, cy + s);
    Stroke(cr, c, size * 0.11);
}

void IconMinus(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size * 0.3;
    cairo_move_to(cr, cx - s, cy);
    cairo_line_to(cr, cx + s, cy);
    Stroke(cr, c, size * 0.11);
}

void IconNote(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double s = size / 2;
    const double lw = size * 0.08;
    cairo_move_to(cr, cx - s * 0.25, cy + s * 0.5);
    cairo_line_to(cr, cx - s * 0.25, cy - s * 0.7);
    cairo_line_to(cr, cx + s * 0.65, cy - s * 0.9);
    cairo_line_to(cr, cx + s * 0.65, cy + s * 0.3);
    Stroke(cr, c, lw);
    cairo_save(cr);
    cairo_translate(cr, cx - s * 0.5, cy + s * 0.55);
    cairo_scale(cr, 1.3, 1.0);
    cairo_arc(cr, 0, 0, s * 0.22, 0, 2 * M_PI);
    cairo_restore(cr);
    Fill(cr, c);
    cairo_save(cr);
    cairo_translate(cr, cx + s * 0.4, cy + s * 0.35);
    cairo_scale(cr, 1.3, 1.0);
    cairo_arc(cr, 0, 0, s * 0.22, 0, 2 * M_PI);
    cairo_restore(cr);
    Fill(cr, c);
}

void IconDisc(cairo_t* cr, double cx, double cy, double size, const Colour& c) {
    const double r = size / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, cx, cy, r * 0.32, 2 * M_PI, 0);
    SetColour(cr, c);
    cairo_fill(cr);
    FillCircle(cr, cx, cy, r * 0.1, c);
}

}  // namespace vantor::skingen
