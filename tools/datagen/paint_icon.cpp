// The program's icon: the Tunnel's ship under full sail in a maelstrom, seen through a
// brass porthole like the screen frame's. No words, so it reads at every size.
#include <cmath>

#include "painters.h"

namespace paint {

std::string paintIcon(int size) {
    Canvas c(size, size, true);
    const double glass = 0.8;  // the porthole's radius; the ring reaches 1 (radii in half sizes)
    const double pixel = 2.0 / size;
    c.pixels([&](double u, double v) {
        const double x = (u - 0.5) * 2, y = (v - 0.5) * 2;
        const double r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
        // The swirl of the Tunnel's maelstrom pictures, darker towards its eye.
        const double spiral = std::sin(3 * a + 4.5 * std::log(r / glass + 0.02) + 3 * fbm(u, v, 4, 3, 271));
        const double band = std::pow(0.5 + 0.5 * spiral, 3);
        const Rgba water = scaled(mixc({0.02, 0.16, 0.3, 1}, {0.55, 0.95, 0.9, 1}, clamp01(band * 0.85)),
                                  0.45 + 0.55 * smooth(0, glass, r));
        // A brass ring, lit from the top left, darker where it meets the glass.
        const double across = clamp01((r - glass) / (1 - glass)), light = 0.5 - 0.35 * (x + y) / (r + 1e-9);
        const double grain = 0.85 + 0.3 * fbm(u, v, 16, 3, 272);
        const Rgba brass = scaled(mixc({0.4, 0.28, 0.1, 1}, {0.95, 0.78, 0.38, 1}, clamp01(light)),
                                  grain * (0.7 + 0.5 * std::sin(pi * across)));
        Rgba colour = mixc(water, brass, clamp01((r - glass) / pixel + 0.5));
        colour.a = clamp01((1 - r) / pixel + 0.5);
        return colour;
    });
    cairo_t* cr = c.cr;
    cairo_scale(cr, size / 256.0, size / 256.0);
    // Rivets around the ring.
    for (int k = 0; k < 12; ++k) {
        const double angle = 2 * pi * (k + 0.5) / 12, x = 128 + 115 * std::cos(angle), y = 128 + 115 * std::sin(angle);
        useGradient(cr, cairo_pattern_create_radial(x - 1.5, y - 1.5, 0.5, x, y, 5),
                    {{0, {1, 0.92, 0.6}}, {1, {0.35, 0.25, 0.1}}});
        cairo_arc(cr, x, y, 4.5, 0, 2 * pi);
        cairo_fill(cr);
    }
    // The ship, kept inside the glass.
    cairo_arc(cr, 128, 128, 128 * glass, 0, 2 * pi);
    cairo_clip(cr);
    shipSilhouette(c, 112, 172, 160, {0.55, 0.3, 0.14, 1}, {0.95, 0.75, 0.25, 1}, {0.95, 0.9, 0.78, 1},
                   {1, 0.85, 0.4, 1});
    return encodePng(c);
}

}  // namespace paint
