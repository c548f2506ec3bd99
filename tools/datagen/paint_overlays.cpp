// Pictures laid over the scenes: the screen frame, the treasure room's sign and gold,
// the closing picture, the tunnel's whirlpools, and the two strips of scrolling text.
#include <algorithm>
#include <cmath>

#include "painters.h"

namespace paint {

// ---- overlays and signs ---------------------------------------------------------------

// The screen frame: drawn over the whole view, of which only the middle 83 % shows,
// so the frame's visible band starts at 8.5 % from each edge.
std::string paintSkjerm() {
    const int S = 512;
    Canvas c(S, S, true);
    const double inset = 0.135 * S, radius = 46;
    c.pixels([&](double u, double v) {
        double px = u * S, py = v * S;
        // distance inside the rounded window (positive inside)
        double qx = std::fabs(px - S / 2.0) - (S / 2.0 - inset - radius);
        double qy = std::fabs(py - S / 2.0) - (S / 2.0 - inset - radius);
        double outside = std::sqrt(std::max(qx, 0.0) * std::max(qx, 0.0) + std::max(qy, 0.0) * std::max(qy, 0.0)) +
                         std::min(std::max(qx, qy), 0.0) - radius;
        // outside > 0: the frame; a soft dark shadow just inside the window
        double n = fbm(u, v, 8, 4, 61);
        if (outside > 0) {
            double bevel = smooth(0, 10, outside) - 0.6 * smooth(10, 26, outside) + 0.5 * smooth(30, 60, outside);
            double grain = 0.8 + 0.4 * n;
            Rgba iron{0.16 * grain, 0.13 * grain, 0.1 * grain, 1};
            Rgba brass{0.65 * grain, 0.5 * grain, 0.22 * grain, 1};
            Rgba col = mixc(iron, brass, clamp01(1 - std::fabs(outside - 5) / 6));
            return scaled(col, 0.75 + 0.35 * bevel);
        }
        double shadow = smooth(-22, 0, outside);
        return Rgba{0, 0, 0, 0.55 * shadow};
    });
    // rivets along the band
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 9; ++k) {
            double f = (k + 0.5) / 9.0, a = 0.085 * S + 12, b = S - a;
            double x = i < 2 ? mix(a + 40, b - 40, f) : (i == 2 ? a : b);
            double y = i < 2 ? (i == 0 ? a : b) : mix(a + 40, b - 40, f);
            useGradient(c.cr, cairo_pattern_create_radial(x - 1.5, y - 1.5, 0.5, x, y, 5),
                        {{0, {1, 0.92, 0.6}}, {1, {0.35, 0.25, 0.1}}});
            cairo_arc(c.cr, x, y, 5, 0, 2 * pi);
            cairo_fill(c.cr);
        }
    return encodePng(c);
}

// A carved wooden sign, lower left of the treasure room over white. The picture is
// shown 172 x 129 pixels with the screen frame over its left quarter and the greetings
// strip over its lower half, so the sign keeps to the upper right, in capitals.
std::string paintTreasureroom() {
    Canvas c(512, 512, true);
    const double x = 146, y = 6, w = 360, h = 282;
    roundedRect(c.cr, x, y, w, h, 26);
    cairo_clip_preserve(c.cr);
    useGradient(c.cr, cairo_pattern_create_linear(0, y, 0, y + h), {{0, {0.5, 0.3, 0.14}}, {1, {0.3, 0.16, 0.07}}});
    cairo_fill(c.cr);
    cairo_set_line_width(c.cr, 1.2);
    for (int i = 0; i < 40; ++i) {
        double gy = y + 6 + i * 7 + 3 * std::sin(i * 1.7);
        c.rgb(0.2, 0.1, 0.04, 0.35);
        cairo_move_to(c.cr, x, gy);
        cairo_curve_to(c.cr, x + w / 3, gy + 4 * std::sin(i), x + 2 * w / 3, gy - 4 * std::cos(i), x + w, gy + 2);
        cairo_stroke(c.cr);
    }
    cairo_reset_clip(c.cr);
    roundedRect(c.cr, x, y, w, h, 26);
    c.rgb(0.85, 0.65, 0.2, 1);
    cairo_set_line_width(c.cr, 10);
    cairo_stroke(c.cr);
    TextStyle st{"DejaVu Serif Bold", 82, {1.0, 0.84, 0.3, 1}, {0.2, 0.08, 0.0, 1}, 6};
    const double lines[3] = {y + 58, y + 143, y + 228};
    const char* words[3] = {"THE", "TREASURE", "ROOM"};
    for (int i = 0; i < 3; ++i) {
        TextStyle line = st;
        line.scaleX = std::min(st.scaleX, (w - 60) / textWidth(c, words[i], st));
        drawText(c, words[i], x + w / 2, lines[i], line);
    }
    return encodePng(c);
}

// The small picture at the top left of the treasure room: a heap of gold under its
// label. The frame covers the picture's left third, so both keep to the right.
std::string paintTreasure() {
    Canvas c(256, 256, true);
    const double middle = 168;
    for (int i = 0; i < 90; ++i) {
        double a = unitHash(i, 1, 231), b = unitHash(i, 2, 231);
        // a heap: wider at the bottom
        double y = 100 + b * 110, spread = 14 + (y - 100) * 0.6;
        double x = middle + (a * 2 - 1) * spread;
        coin(c.cr, x, y, 14, 0.65, {{0, {1, 0.95, 0.6}}, {0.8, {0.85, 0.6, 0.12}}, {1, {0.45, 0.3, 0.05}}});
    }
    TextStyle st{"DejaVu Sans Bold", 46, {0.55, 0.3, 0.02, 1}, {1, 0.95, 0.7, 1}, 5};
    st.scaleX = std::min(st.scaleX, 160 / textWidth(c, "TREASURE!", st));
    drawText(c, "TREASURE!", middle, 48, st);
    return encodePng(c);
}

// The closing picture: it covers the view at full opacity from 136 s on, so it is
// text in the top and bottom bands over transparency, the middle left clear.
std::string paintTg05() {
    const int S = 512;
    Canvas c(S, S, true);
    // Everything stays inside the screen frame's window, 15 % to 85 % of the picture.
    // Dark bands behind the text, fading towards the middle.
    auto band = [&](double y0, double y1, double a0, double a1) {
        useGradient(c.cr, cairo_pattern_create_linear(0, y0, 0, y1), {{0, {0, 0, 0, a0}}, {1, {0, 0, 0, a1}}});
        cairo_rectangle(c.cr, 0, y0, S, y1 - y0);
        cairo_fill(c.cr);
    };
    band(70, 210, 0.5, 0);
    band(320, 442, 0, 0.5);
    drawText(c, "Vorrend", 256, 132, {"DejaVu Serif Bold", 76, {1.0, 0.82, 0.32, 1}, {0.2, 0.08, 0.0, 1}, 7});
    TextStyle line{"DejaVu Sans Bold", 30, {1, 1, 1, 1}, {0, 0, 0, 0.9}, 4};
    drawText(c, "thanks for watching", 256, 370, line);
    line.size = 27;
    line.fill = {1.0, 0.85, 0.45, 1};
    drawText(c, "a Grumla production", 256, 404, line);
    return encodePng(c);
}

// A whirlpool: logarithmic spiral arms fading into a dark eye, on black.
std::string paintMalstrom(double arms, double twist, Rgba deep, Rgba foam, uint32_t seed) {
    return pixelPng(256, false, [&](double u, double v) {
        double x = (u - 0.5) * 2, y = (v - 0.5) * 2;
        double r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
        if (r > 1) return Rgba{0, 0, 0, 1};
        double spiral = std::sin(arms * a + twist * std::log(r + 0.02) + 4 * fbm(u, v, 4, 3, seed));
        double band = std::pow(0.5 + 0.5 * spiral, 3);
        double rim = smooth(1.0, 0.75, r) * smooth(0.05, 0.35, r);
        double n = fbm(u, v, 8, 4, seed + 7);
        return scaled(mixc(deep, foam, clamp01(band * 0.9 + (n - 0.5) * 0.4)), rim * (0.35 + 0.65 * band));
    });
}

// ---- strips of text -------------------------------------------------------------------

namespace {

// A seamless strip of text: the texture repeats, so the gap after the last word
// matches the separators between the others.
std::string paintStrip(int w, int h, const std::string& text, const TextStyle& base, bool alpha, Rgba background) {
    Canvas c(w, h, alpha);
    if (!alpha) {
        c.rgb(background.r, background.g, background.b, 1);
        cairo_paint(c.cr);
    }
    TextStyle st = base;
    double natural = textWidth(c, text, st);
    st.scaleX = std::min(base.scaleX, 0.98 * w / natural);
    drawText(c, text, w / 2.0, h / 2.0, st);
    return encodePng(c);
}

}  // namespace

std::string paintGreet() {
    return paintStrip(2048, 128,
                      "greetings to every crew that ever sailed to a demo party \xC2\xB7 to the coders, "
                      "the musicians, the pixel artists and the organisers \xC2\xB7 ",
                      {"DejaVu Serif Bold", 78, {0.22, 0.1, 0.03, 1}, {0.95, 0.75, 0.3, 1}, 5, 0.6}, true, {});
}

std::string paintCred() {
    return paintStrip(1024, 128, "Vorrend \xC2\xB7 code, music and pictures by the Grumla crew \xC2\xB7 ",
                      {"DejaVu Sans Bold", 64, {1.0, 0.85, 0.4, 1}, {0, 0, 0, 0}, 0, 0.6}, false, {0, 0, 0, 1});
}

}  // namespace paint
