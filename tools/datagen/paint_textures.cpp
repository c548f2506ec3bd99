// Textures the meshes wear: the sea, the ship's wood, rope, cloth, wheel and windows,
// and the surfaces of the torus, the treasure room's cube and its blobs. Most of them
// tile, so their noise repeats across the picture's edges.
#include <algorithm>
#include <cmath>

#include "painters.h"

namespace paint {

// ---- the sea --------------------------------------------------------------------------

// Sea water that tiles: the ship's sea and the tunnel's walls. Nearly opaque, since
// both are blended by alpha over grey.
std::string paintVann() {
    return pixelPng(256, true, [](double u, double v) {
        double n = fbm(u, v, 4, 6, 131);
        double w = fbm(u + 0.3 * n, v + 0.2 * n, 8, 4, 132);
        double crest = smooth(0.62, 0.8, w);
        // Deep, saturated blue-green: the Ship scene lights the water at about a sixth
        // and fogs it grey, so only strong colour still reads as sea.
        // It is blended over the scene's light grey clear, a little of which shows
        // through as the sky's sheen.
        Rgba sea = mixc({0.0, 0.5, 0.72, 0.92}, {0.3, 1.0, 1.0, 0.92}, smooth(0.25, 0.8, n));
        return mixc(sea, {0.95, 1.0, 1.0, 1}, crest);
    });
}

// ---- the ship -------------------------------------------------------------------------

// Sail cloth with the ship's emblem: the ship's sails and its flag.
std::string paintStortflagg2() {
    const int S = 256;
    Canvas c(S, S, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 5, 141);
        double seam = smooth(0.0, 0.02, std::fabs(std::fmod(u * 5, 1.0) - 0.5) - 0.47);
        double k = (0.8 + 0.2 * n) * (1 - 0.25 * seam);
        return Rgba{0.96 * k, 0.86 * k, 0.66 * k};  // weathered canvas, warm against the grey fog
    });
    skullAndBones(c, S / 2.0, S / 2.0 + 6, 150, {0.12, 0.1, 0.1, 1}, {0.88, 0.84, 0.72, 1});
    return encodePng(c);
}

// The ship's wheel, projected flat onto the wheel's geometry.
std::string paintHjul() {
    const int S = 256;
    Canvas c(S, S, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 4, 151);
        return Rgba{0.4 + 0.15 * n, 0.24 + 0.1 * n, 0.1};
    });
    cairo_t* cr = c.cr;
    cairo_translate(cr, S / 2.0, S / 2.0);
    const double R = 18.0 / 24.0 * S / 2;  // the rim radius in the geometry's projection
    // the rim, then a brass band along it
    c.rgb(0.55, 0.33, 0.14, 1);
    cairo_set_line_width(cr, 14);
    cairo_arc(cr, 0, 0, R, 0, 2 * pi);
    cairo_stroke(cr);
    c.rgb(0.85, 0.65, 0.25, 1);
    cairo_set_line_width(cr, 3);
    cairo_arc(cr, 0, 0, R, 0, 2 * pi);
    cairo_stroke(cr);
    for (int k = 0; k < 8; ++k) {
        double a = k * pi / 4;
        c.rgb(0.6, 0.37, 0.16, 1);
        cairo_set_line_width(cr, 10);
        cairo_move_to(cr, 12 * std::cos(a), 12 * std::sin(a));
        cairo_line_to(cr, (S / 2.0 - 4) * std::cos(a), (S / 2.0 - 4) * std::sin(a));
        cairo_stroke(cr);
    }
    useGradient(cr, cairo_pattern_create_radial(-5, -5, 2, 0, 0, 22), {{0, {1, 0.9, 0.55}}, {1, {0.6, 0.42, 0.12}}});
    cairo_arc(cr, 0, 0, 22, 0, 2 * pi);
    cairo_fill(cr);
    return encodePng(c);
}

std::string paintMetall() {
    Canvas c(256, 256, false);
    c.pixels([](double u, double v) {
        double brush = fbm(u * 8, v * 0.25, 4, 4, 161);
        double k = 0.45 + 0.25 * brush + 0.1 * std::sin(v * pi);
        return Rgba{k, k * 1.02, k * 1.06};
    });
    for (int i = 0; i < 4; ++i) {
        double x = i % 2 ? 230 : 26, y = i / 2 ? 230 : 26;
        c.rgb(0.8, 0.8, 0.85, 1);
        cairo_arc(c.cr, x, y, 7, 0, 2 * pi);
        cairo_fill(c.cr);
    }
    return encodePng(c);
}

// Cabin windows: small leaded panes lit from inside.
std::string paintRuter() {
    const int S = 128;
    Canvas c(S, S, false);
    c.pixels([](double u, double v) {
        double glow = std::exp(-((u - 0.5) * (u - 0.5) + (v - 0.6) * (v - 0.6)) * 5);
        double n = fbm(u, v, 4, 3, 171);
        return Rgba{0.75 + 0.25 * glow, 0.5 + 0.35 * glow + 0.05 * n, 0.12 + 0.2 * glow};
    });
    c.rgb(0.28, 0.15, 0.06, 1);
    cairo_set_line_width(c.cr, 12);
    cairo_rectangle(c.cr, 6, 6, S - 12, S - 12);
    cairo_stroke(c.cr);
    cairo_set_line_width(c.cr, 4);
    for (int i = 1; i < 3; ++i) {
        cairo_move_to(c.cr, i * S / 3.0, 0);
        cairo_line_to(c.cr, i * S / 3.0, S);
    }
    cairo_move_to(c.cr, 0, S / 2.0);
    cairo_line_to(c.cr, S, S / 2.0);
    cairo_stroke(c.cr);
    return encodePng(c);
}

std::string paintSflagg() {
    Canvas c(256, 256, true);
    cairo_move_to(c.cr, 10, 40);
    cairo_curve_to(c.cr, 90, 60, 160, 90, 246, 128);
    cairo_curve_to(c.cr, 160, 166, 90, 196, 10, 216);
    cairo_close_path(c.cr);
    c.rgb(0.7, 0.08, 0.06, 1);
    cairo_fill(c.cr);
    skullAndBones(c, 80, 128, 80, {0.95, 0.92, 0.85, 1}, {0.7, 0.08, 0.06, 1});
    return encodePng(c);
}

// Rope: strands twisting along the picture, tiling both ways.
std::string paintTau() {
    return pixelPng(128, false, [](double u, double v) {
        double strand = 0.5 + 0.5 * std::sin(2 * pi * (u * 4 + v * 4));
        double fibre = fbm(u, v, 16, 3, 181);
        double k = 0.35 + 0.5 * std::pow(strand, 0.6) + 0.15 * fibre;
        return Rgba{0.72 * k, 0.58 * k, 0.38 * k};
    });
}

namespace {

// One pixel of plank wood: `planks` planks over the picture, along s when `across`,
// tiling both ways.
Rgba plankAt(double u, double v, Rgba base, int planks, bool across, uint32_t seed, bool nails) {
    double along = across ? u : v, over = across ? v : u;
    double p = over * planks;
    int index = int(std::floor(p));
    double f = p - index;
    double shade = 0.8 + 0.35 * lattice(index, 0, planks, seed);
    double grain = fbm(across ? u : u * 0.1 + index * 0.37, across ? v * 0.1 + index * 0.37 : v, 4, 5, seed + 1);
    double lines = 0.5 + 0.5 * std::sin((across ? v : u) * planks * 2 * pi * 3 + grain * 10);
    double seam = smooth(0.0, 0.06, f) * smooth(1.0, 0.94, f);
    double k = shade * (0.75 + 0.2 * lines + 0.15 * grain) * (0.35 + 0.65 * seam);
    // butt joints, staggered
    double joint = std::fmod(along + lattice(index, 1, planks, seed), 0.5);
    if (joint < 0.008) k *= 0.45;
    Rgba col{base.r * k, base.g * k, base.b * k};
    if (nails) {
        double d = std::fabs(joint - 0.02) * 256, e = std::fabs(f - 0.5) * 256 / planks;
        if (d < 2.5 && e < 2.5) col = {0.15, 0.13, 0.12};
    }
    return col;
}

}  // namespace

// Planks running across the picture (the s direction), tiling both ways.
std::string paintPlanks(Rgba base, int planks, bool across, uint32_t seed, bool nails) {
    return pixelPng(256, false, [&](double u, double v) { return plankAt(u, v, base, planks, across, seed, nails); });
}

// The hull's side, t from the gunwale (0) down to the keel (1), s along the ship nine
// times over. Painted in strong colours, since the Ship scene's grey fog takes about
// 40 % of them away: a gilded wale, a black strake, a yellow band with two gun ports a
// repeat, brown planking, a white boot-top at the waterline (t about 0.48), copper
// below.
std::string paintHull() {
    return pixelPng(256, false, [](double u, double v) {
        const Rgba gold{1.0, 0.78, 0.25}, black{0.16, 0.13, 0.12}, yellow{1.0, 0.74, 0.16}, brown{0.62, 0.3, 0.1},
            white{0.95, 0.92, 0.85}, copper{0.75, 0.32, 0.14};
        Rgba paint = v < 0.035   ? gold
                     : v < 0.1   ? black
                     : v < 0.21  ? yellow
                     : v < 0.235 ? black
                     : v < 0.45  ? brown
                     : v < 0.48  ? white
                                 : copper;
        Rgba wood = plankAt(u, v, paint, 14, true, 251, false);
        // Gun ports: dark squares framed in red, in the yellow band.
        double du = std::fabs(std::fmod(u * 2, 1.0) - 0.5) / 2, dv = std::fabs(v - 0.155);
        if (du < 0.065 && dv < 0.03) return Rgba{0.04, 0.03, 0.03};
        if (du < 0.085 && dv < 0.04) return Rgba{0.55, 0.08, 0.05};
        return wood;
    });
}

std::string paintTre4() {
    return pixelPng(256, false, [](double u, double v) {
        double grain = fbm(u, v * 0.2, 4, 5, 191);
        double panel = std::fmod(v * 4, 1.0);
        double trim = panel < 0.06 ? 1.0 : 0.0;
        double k = 0.75 + 0.3 * grain;
        Rgba red{0.45 * k, 0.1 * k, 0.07 * k};
        Rgba gold{0.85 * k, 0.65 * k, 0.22 * k};
        double bevel = smooth(0.06, 0.1, panel) * smooth(1.0, 0.92, panel);
        return scaled(mixc(red, gold, trim), 0.7 + 0.3 * bevel);
    });
}

// ---- the torus and the treasure room --------------------------------------------------

// Translucent gold-rimmed glass with a compass rose: the spinning treasure cube.
std::string paintKubetex() {
    const int S = 256;
    Canvas c(S, S, true);
    c.pixels([&](double u, double v) {
        double n = fbm(u, v, 4, 4, 71);
        double edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v)) * S;
        if (edge < 16) {
            double bev = 0.7 + 0.5 * std::sin(edge / 16 * pi);
            return Rgba{0.95 * bev, 0.72 * bev, 0.25 * bev, 0.95};
        }
        return Rgba{0.75 + 0.2 * n, 0.55 + 0.2 * n, 0.2, 0.28 + 0.12 * n};
    });
    cairo_t* cr = c.cr;
    cairo_translate(cr, S / 2.0, S / 2.0);
    for (int i = 0; i < 8; ++i) {
        double a = i * pi / 4, len = i % 2 ? 55 : 95;
        cairo_move_to(cr, len * std::cos(a), len * std::sin(a));
        cairo_line_to(cr, 14 * std::cos(a + pi / 2), 14 * std::sin(a + pi / 2));
        cairo_line_to(cr, 14 * std::cos(a - pi / 2), 14 * std::sin(a - pi / 2));
        cairo_close_path(cr);
        c.rgb(i % 2 ? 0.85 : 1.0, i % 2 ? 0.6 : 0.85, 0.2, 0.85);
        cairo_fill(cr);
    }
    cairo_arc(cr, 0, 0, 70, 0, 2 * pi);
    c.rgb(1, 0.85, 0.4, 0.7);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    return encodePng(c);
}

std::string paintMarble(Rgba a, Rgba b, uint32_t seed) {
    return pixelPng(256, false, [&](double u, double v) {
        double n = fbm(u, v, 4, 6, seed);
        double vein = 0.5 + 0.5 * std::sin((u + v) * 2 * pi * 3 + n * 12);
        return mixc(a, b, std::pow(vein, 3));
    });
}

// A reflection map for the sphere-mapped blob: gold, bright sky above a dark floor.
std::string paintKuletex3() {
    return pixelPng(256, false, [](double u, double v) {
        double x = u * 2 - 1, y = v * 2 - 1, r = std::sqrt(x * x + y * y);
        if (r > 1) return Rgba{0.3, 0.18, 0.05};
        double sky = smooth(0.15, -0.1, y);
        double hi = std::exp(-((x + 0.35) * (x + 0.35) + (y + 0.45) * (y + 0.45)) * 18);
        double bands = 0.5 + 0.5 * std::sin(y * 14 + std::sin(x * 3) * 2);
        Rgba floor{0.35 + 0.1 * bands, 0.2 + 0.06 * bands, 0.05};
        Rgba top{1.0, 0.82 + 0.1 * bands, 0.35 + 0.2 * bands};
        Rgba col = mixc(floor, top, sky);
        col.r = std::min(1.0, col.r + hi);
        col.g = std::min(1.0, col.g + hi);
        col.b = std::min(1.0, col.b + hi * 0.9);
        double edge = smooth(0.8, 1.0, r);
        return mixc(col, Rgba{0.4, 0.25, 0.08}, edge * 0.6);
    });
}

std::string paintGulv() {
    return pixelPng(256, false, [](double u, double v) {
        double tx = std::fmod(u * 4, 1.0), ty = std::fmod(v * 4, 1.0);
        double joint = smooth(0.0, 0.05, std::min(std::min(tx, 1 - tx), std::min(ty, 1 - ty)));
        double n = fbm(u, v, 8, 5, 91);
        double k = (0.35 + 0.3 * n) * (0.3 + 0.7 * joint);
        return Rgba{k * 1.05, k, k * 0.9};
    });
}

// Stone that tiles: cobbles of the torus.
std::string paintStone() {
    const int cells = 6;
    return pixelPng(256, false, [&](double u, double v) {
        // distance to the two nearest jittered cell centres, wrapping
        double x = u * cells, y = v * cells, d1 = 9, d2 = 9;
        int best = 0;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                int cx = int(std::floor(x)) + i, cy = int(std::floor(y)) + j;
                double px = cx + 0.2 + 0.6 * lattice(cx, cy, cells, 221),
                       py = cy + 0.2 + 0.6 * lattice(cx, cy, cells, 222);
                double d = std::hypot(px - x, py - y);
                if (d < d1) {
                    d2 = d1;
                    d1 = d;
                    best = (((cx % cells) + cells) % cells) * 31 + (((cy % cells) + cells) % cells);
                } else if (d < d2) {
                    d2 = d;
                }
            }
        double joint = smooth(0.0, 0.12, d2 - d1);
        double n = fbm(u, v, 8, 5, 223);
        double tone = 0.75 + 0.3 * unitHash(best, 0, 224);
        double k = (0.35 + 0.35 * n) * tone * (0.25 + 0.75 * joint) * (1.1 - 0.3 * d1);
        return Rgba{k * 1.08, k, k * 0.88};
    });
}

}  // namespace paint
