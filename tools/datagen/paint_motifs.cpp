// Motifs more than one picture shows: the skull and bones of the flags and the
// gallery's pirate, the ship of the Opening and the Gallery's chart, gold coins.
#include <cmath>

#include "painters.h"

namespace paint {

void skullAndBones(Canvas& c, double cx, double cy, double s, Rgba bone, Rgba dark) {
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, s / 100.0, s / 100.0);
    // bones, crossed below the skull, a knob pair at each end
    c.rgb(bone);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 11);
    const double ends[2][4] = {{-52, 64, 52, 22}, {52, 64, -52, 22}};
    for (const auto& e : ends) {
        cairo_move_to(cr, e[0], e[1]);
        cairo_line_to(cr, e[2], e[3]);
        cairo_stroke(cr);
        for (int k = 0; k < 2; ++k) {
            double ex = e[2 * k], ey = e[2 * k + 1], dx = e[2] - e[0], dy = e[3] - e[1];
            double l = std::sqrt(dx * dx + dy * dy), nx = -dy / l * 6, ny = dx / l * 6;
            cairo_new_sub_path(cr);
            cairo_arc(cr, ex + nx, ey + ny, 7, 0, 2 * pi);
            cairo_new_sub_path(cr);
            cairo_arc(cr, ex - nx, ey - ny, 7, 0, 2 * pi);
        }
        cairo_fill(cr);
    }
    // cranium and jaw
    cairo_new_path(cr);
    cairo_arc(cr, 0, -12, 34, 0, 2 * pi);
    cairo_fill(cr);
    roundedRect(cr, -20, 8, 40, 26, 8);
    cairo_fill(cr);
    // eyes, nose, teeth
    c.rgb(dark);
    for (int k = -1; k <= 1; k += 2) {
        ellipse(cr, 13 * k, -10, 9, 1.15);
        cairo_fill(cr);
    }
    cairo_move_to(cr, 0, 2);
    cairo_line_to(cr, -5, 11);
    cairo_line_to(cr, 5, 11);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, 2.5);
    for (int k = -2; k <= 2; ++k) {
        cairo_move_to(cr, k * 7, 20);
        cairo_line_to(cr, k * 7, 33);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

namespace {

// Three square sails a mast, bellied, shaded across by a gradient.
void squareSails(cairo_t* cr, Rgba sail) {
    for (double mx : {-110.0, 0.0, 105.0}) {
        double scale = mx == 0 ? 1.0 : 0.85;
        double tops[3] = {-95, -175, -245};
        double widths[3] = {75, 62, 46};
        for (int s = 0; s < 3; ++s) {
            double top = tops[s] * scale - 10, bottom = (s == 0 ? -60 : tops[s - 1] * scale - 14),
                   w = widths[s] * scale;
            useGradient(cr, cairo_pattern_create_linear(mx - w, 0, mx + w, 0),
                        {{0, scaled(sail, 0.7)}, {0.6, sail}, {1, scaled(sail, 0.8)}});
            cairo_move_to(cr, mx - w, top);
            cairo_curve_to(cr, mx - w * 0.3, top + 8, mx + w * 0.3, top + 8, mx + w, top);
            cairo_curve_to(cr, mx + w * 1.12, (top + bottom) / 2, mx + w * 1.1, bottom, mx + w * 1.05, bottom);
            cairo_curve_to(cr, mx + w * 0.3, bottom + 12, mx - w * 0.3, bottom + 12, mx - w * 1.05, bottom);
            cairo_curve_to(cr, mx - w * 1.1, bottom, mx - w * 0.9, (top + bottom) / 2, mx - w, top);
            cairo_fill(cr);
        }
    }
}

// The hull, lit from above, with two trim lines, stern windows and gun ports.
void hullSide(Canvas& c, Rgba hull, Rgba trim, Rgba lights) {
    cairo_t* cr = c.cr;
    useGradient(cr, cairo_pattern_create_linear(0, -80, 0, 20), {{0, scaled(hull, 1.2)}, {1, scaled(hull, 0.5)}});
    cairo_move_to(cr, -200, -95);
    cairo_line_to(cr, -150, -95);
    cairo_line_to(cr, -145, -60);
    cairo_curve_to(cr, -40, -52, 80, -52, 150, -62);
    cairo_line_to(cr, 160, -85);
    cairo_line_to(cr, 205, -80);
    cairo_curve_to(cr, 190, -30, 150, 10, 100, 18);
    cairo_line_to(cr, -160, 18);
    cairo_curve_to(cr, -185, 0, -195, -40, -200, -95);
    cairo_close_path(cr);
    cairo_fill(cr);
    c.rgb(trim);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, -190, -50);
    cairo_curve_to(cr, -60, -40, 90, -40, 185, -50);
    cairo_stroke(cr);
    cairo_move_to(cr, -185, -25);
    cairo_curve_to(cr, -60, -15, 90, -15, 170, -25);
    cairo_stroke(cr);
    c.rgb(lights);
    for (int i = 0; i < 4; ++i) cairo_rectangle(cr, -188 + i * 11, -85, 7, 12);
    for (int i = 0; i < 9; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, -120 + i * 30, -33, 4.5, 0, 2 * pi);
    }
    cairo_fill(cr);
}

}  // namespace

void shipSilhouette(Canvas& c, double cx, double cy, double len, Rgba hull, Rgba trim, Rgba sail, Rgba lights) {
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    double k = len / 400.0;
    cairo_scale(cr, k, k);
    // masts and bowsprit
    c.rgb(scaled(hull, 0.8));
    for (double mx : {-110.0, 0.0, 105.0}) {
        double top = mx == 0 ? -300 : -250;
        cairo_rectangle(cr, mx - 4, top, 8, -top - 40);
    }
    cairo_move_to(cr, 170, -70);
    cairo_line_to(cr, 270, -120);
    cairo_line_to(cr, 268, -112);
    cairo_line_to(cr, 170, -60);
    cairo_fill(cr);
    squareSails(cr, sail);
    // jib
    c.rgb(scaled(sail, 0.9));
    cairo_move_to(cr, 110, -230);
    cairo_line_to(cr, 262, -112);
    cairo_line_to(cr, 140, -70);
    cairo_close_path(cr);
    cairo_fill(cr);
    // pennant
    c.rgb(0.8, 0.1, 0.08, 1);
    cairo_move_to(cr, 0, -300);
    cairo_curve_to(cr, -30, -306, -50, -290, -80, -296);
    cairo_line_to(cr, 0, -282);
    cairo_close_path(cr);
    cairo_fill(cr);
    hullSide(c, hull, trim, lights);
    cairo_restore(cr);
}

void coin(cairo_t* cr, double x, double y, double r, double squash, std::initializer_list<Stop> shades) {
    useGradient(cr, cairo_pattern_create_radial(x - 3, y - 3, 1, x, y, r), shades);
    ellipse(cr, x, y, r, squash);
    cairo_fill(cr);
}

}  // namespace paint
