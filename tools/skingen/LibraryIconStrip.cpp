#include "tools/skingen/LibraryIconStrip.h"

#include <cmath>

#include "client/library/LibraryIcons.h"
#include "tools/skingen/Drawing.h"
#include "tools/skingen/Icons.h"

namespace vantor::skingen {

namespace {

using client::LibraryIcon;

void Line(cairo_t* cr, double x1, double y1, double x2, double y2, const Colour& c, double w) {
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    SetColour(cr, c);
    cairo_set_line_width(cr, w);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void Person(cairo_t* cr, double cx, double top, double scale, const Colour& c) {
    FillCircle(cr, cx, top + 3.2 * scale, 2.6 * scale, c);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, top + 12 * scale, 5 * scale, M_PI, 2 * M_PI);
    cairo_close_path(cr);
    SetColour(cr, c);
    cairo_fill(cr);
}

void ListLines(cairo_t* cr, const Colour& c, double from) {
    for (int i = 0; i < 3; ++i) Line(cr, from, 4.5 + i * 3.5, 14, 4.5 + i * 3.5, c, 1.4);
}

void Tag(cairo_t* cr, const Colour& c) {
    cairo_move_to(cr, 2, 2);
    cairo_line_to(cr, 8.5, 2);
    cairo_line_to(cr, 14.5, 8);
    cairo_line_to(cr, 8.5, 14);
    cairo_line_to(cr, 2, 7.5);
    cairo_close_path(cr);
    cairo_new_sub_path(cr);
    cairo_arc_negative(cr, 5.2, 5.2, 1.3, 2 * M_PI, 0);
    SetColour(cr, c);
    cairo_fill(cr);
}

void Folder(cairo_t* cr, const Colour& c) {
    cairo_move_to(cr, 1.5, 3.5);
    cairo_line_to(cr, 6, 3.5);
    cairo_line_to(cr, 7.5, 5);
    cairo_line_to(cr, 14.5, 5);
    cairo_line_to(cr, 14.5, 13);
    cairo_line_to(cr, 1.5, 13);
    cairo_close_path(cr);
    SetColour(cr, c);
    cairo_fill(cr);
}

void Draw(cairo_t* cr, LibraryIcon icon, const Palette& p) {
    const Colour& a = p.accent;
    const Colour& d = p.textDim;
    switch (icon) {
        case LibraryIcon::kMusic:
            IconNote(cr, 8, 8, 15, a);
            break;
        case LibraryIcon::kRadio:
            FillCircle(cr, 8, 9, 1.8, a);
            for (double r : {4.0, 6.8}) {
                cairo_arc(cr, 8, 9, r, -M_PI * 0.8, -M_PI * 0.2);
                SetColour(cr, a);
                cairo_set_line_width(cr, 1.4);
                cairo_stroke(cr);
            }
            Line(cr, 8, 10, 8, 14.5, a, 1.4);
            break;
        case LibraryIcon::kVideo:
            FillRoundRect(cr, 1.5, 3.5, 13, 9, 1.5, a);
            cairo_move_to(cr, 6.5, 5.5);
            cairo_line_to(cr, 10.5, 8);
            cairo_line_to(cr, 6.5, 10.5);
            cairo_close_path(cr);
            SetColour(cr, p.card);
            cairo_fill(cr);
            break;
        case LibraryIcon::kTV:
            StrokeRoundRect(cr, 1.5, 2.5, 13, 9, 1.5, a, 1.5);
            Line(cr, 5, 14, 11, 14, a, 1.5);
            break;
        case LibraryIcon::kPictures:
            StrokeRoundRect(cr, 1.5, 2.5, 13, 11, 1.5, a, 1.4);
            cairo_move_to(cr, 3, 12);
            cairo_line_to(cr, 7, 7);
            cairo_line_to(cr, 10, 10);
            cairo_line_to(cr, 11.5, 8.5);
            cairo_line_to(cr, 13.5, 12);
            cairo_close_path(cr);
            SetColour(cr, a);
            cairo_fill(cr);
            break;
        case LibraryIcon::kArtists:
            Person(cr, 10.5, 1.5, 0.9, a.Mix(p.card, 0.45));
            Person(cr, 6, 2.5, 1.0, a);
            break;
        case LibraryIcon::kAlbums:
            IconDisc(cr, 8, 8, 13.5, a);
            break;
        case LibraryIcon::kGenres:
            Tag(cr, a);
            break;
        case LibraryIcon::kTracks:
            ListLines(cr, a, 8.5);
            IconNote(cr, 4, 8, 8, a);
            break;
        case LibraryIcon::kPodcasts:
            FillRoundRect(cr, 5.5, 1.5, 5, 8, 2.5, a);
            cairo_arc(cr, 8, 7, 4.5, 0, M_PI);
            SetColour(cr, a);
            cairo_set_line_width(cr, 1.3);
            cairo_stroke(cr);
            Line(cr, 8, 11.5, 8, 14.5, a, 1.3);
            break;
        case LibraryIcon::kPlaylists:
            ListLines(cr, a, 2);
            cairo_move_to(cr, 9, 10.5);
            cairo_line_to(cr, 14, 13);
            cairo_line_to(cr, 9, 15.5);
            cairo_close_path(cr);
            SetColour(cr, a);
            cairo_fill(cr);
            break;
        case LibraryIcon::kFolder:
            Folder(cr, d);
            break;
        case LibraryIcon::kArtist:
            Person(cr, 8, 1.5, 1.0, d);
            break;
        case LibraryIcon::kAlbum:
            IconDisc(cr, 8, 8, 12.5, d);
            break;
        case LibraryIcon::kGenre:
            Tag(cr, d);
            break;
        case LibraryIcon::kTrack:
            IconNote(cr, 8, 8, 13, d);
            break;
        case LibraryIcon::kPlaylist:
            ListLines(cr, d, 2);
            break;
        case LibraryIcon::kInfo:
            StrokeRoundRect(cr, 1.5, 1.5, 13, 13, 6.5, a, 1.4);
            Line(cr, 8, 7, 8, 11.5, a, 1.6);
            FillCircle(cr, 8, 4.6, 1, a);
            break;
        case LibraryIcon::kCount:
            break;
    }
}

}  // namespace

int LibraryIconCount() {
    return static_cast<int>(LibraryIcon::kCount);
}

void DrawLibraryIconStrip(cairo_t* cr, const Palette& palette) {
    for (int i = 0; i < LibraryIconCount(); ++i) {
        cairo_save(cr);
        cairo_translate(cr, i * kLibraryIconSide, 0);
        Draw(cr, static_cast<LibraryIcon>(i), palette);
        cairo_restore(cr);
    }
}

}  // namespace vantor::skingen
