// The pictures of the first two scenes: the Opening's storm, ship, lightning and
// loading word, and the Gallery's chart, title and four pictures added onto black.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "painters.h"

namespace paint {

// ---- the Opening ----------------------------------------------------------------------

std::string paintBlue() {
    Canvas c(256, 256, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 4, 11) - 0.5;
        return Rgba{0.05 + 0.1 * v + n * 0.05, 0.2 + 0.25 * v + n * 0.08, 0.55 + 0.35 * v + n * 0.1};
    });
    return encodeJpeg(c, 90);
}

// The Opening's backdrop: a storm at sea, horizon a little above the middle.
std::string paintBakgrunn() {
    Canvas c(512, 512, false);
    const double horizon = 0.44;
    c.pixels([&](double u, double v) {
        if (v < horizon) {
            double cloud = fbm(u * 1.0, v * 1.6, 3, 6, 21);
            double glow = std::exp(-((u - 0.3) * (u - 0.3) * 6 + (v - 0.12) * (v - 0.12) * 14));
            double k = 0.12 + 0.35 * smooth(0.35, 0.8, cloud) + 0.35 * glow * cloud + 0.25 * (v / horizon);
            return Rgba{0.28 * k + 0.02, 0.33 * k + 0.03, 0.42 * k + 0.06};
        }
        double d = (v - horizon) / (1 - horizon);
        double waves = fbm(u * 0.6, d * d * 3.0 + d * 0.5, 4, 6, 33);
        double crest = smooth(0.62, 0.78, fbm(u * 1.3, d * 4.0, 6, 5, 34)) * (0.3 + 0.7 * d);
        double k = 0.1 + 0.2 * waves + 0.06 * (1 - d);
        return Rgba{0.05 + 0.35 * k + 0.6 * crest, 0.12 + 0.45 * k + 0.62 * crest, 0.18 + 0.5 * k + 0.65 * crest};
    });
    // rain
    cairo_set_line_width(c.cr, 1.0);
    for (int i = 0; i < 420; ++i) {
        double x = unitHash(i, 1, 77) * 560 - 20, y = unitHash(i, 2, 77) * 512;
        double len = 14 + 20 * unitHash(i, 3, 77);
        c.rgb(0.7, 0.75, 0.85, 0.18);
        cairo_move_to(c.cr, x, y);
        cairo_line_to(c.cr, x - len * 0.35, y + len);
        cairo_stroke(c.cr);
    }
    return encodeJpeg(c, 90);
}

// The Opening's ship: added onto the sea, so a bright ship on black.
std::string paintSkuta() {
    Canvas ship(512, 512, false);
    shipSilhouette(ship, 250, 360, 400, {0.55, 0.33, 0.16, 1}, {0.95, 0.75, 0.25, 1}, {0.92, 0.88, 0.76, 1},
                   {1.0, 0.85, 0.4, 1});
    // spray along the waterline
    cairo_set_line_cap(ship.cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 60; ++i) {
        double x = 40 + i * 7.5, y = 378 + 6 * std::sin(i * 0.7);
        ship.rgb(0.55, 0.7, 0.85, 0.5);
        cairo_set_line_width(ship.cr, 3 + (i % 3));
        cairo_move_to(ship.cr, x, y);
        cairo_line_to(ship.cr, x + 6, y + 2 * std::cos(i * 1.3));
        cairo_stroke(ship.cr);
    }
    return encodeJpeg(ship, 92);
}

std::string paintLyn() {
    Canvas c(256, 256, false);
    // The bolt: a jagged path with two branches, glowing blue-white.
    uint32_t seed = 5;
    auto rnd = [&](int i) { return unitHash(i, int(seed), 99) - 0.5; };
    std::vector<std::pair<double, double>> main;
    double x = 150, y = 0;
    for (int i = 0; i < 14; ++i) {
        main.push_back({x, y});
        x += rnd(i) * 50 - 4;
        y += 18 + 6 * rnd(i + 50);
    }
    auto path = [&](const std::vector<std::pair<double, double>>& pts) {
        cairo_move_to(c.cr, pts[0].first, pts[0].second);
        for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(c.cr, pts[i].first, pts[i].second);
    };
    cairo_set_line_join(c.cr, CAIRO_LINE_JOIN_MITER);
    path(main);
    glowStroke(c, 7, {0.85, 0.9, 1.0, 1}, 6);
    for (int b = 0; b < 2; ++b) {
        std::vector<std::pair<double, double>> branch;
        auto start = main[size_t(4 + b * 4)];
        double bx = start.first, by = start.second;
        for (int i = 0; i < 6; ++i) {
            branch.push_back({bx, by});
            bx += (b ? 14 : -16) + rnd(100 + i + b * 10) * 20;
            by += 14;
        }
        path(branch);
        glowStroke(c, 4, {0.75, 0.8, 1.0, 1}, 5);
    }
    return encodeJpeg(c, 92);
}

// The Opening's caption below the storm: the crew's name in brass letters. Only
// words: a bar or a ring here would look like progress that never moves.
std::string paintLoading() {
    Canvas c(512, 512, true);
    // Capitals, so every letter is full height: the picture is shown 83 pixels tall,
    // its top fifth behind the storm picture's lower edge.
    TextStyle st{"DejaVu Sans Bold", 128, {1.0, 0.82, 0.36, 1}, {0.12, 0.06, 0.0, 0.95}, 10};
    for (auto [word, y] : {std::pair{"GRUMLA", 222.0}, {"PRESENTS", 416.0}}) {
        TextStyle line = st;
        line.scaleX = std::min(st.scaleX, 480 / textWidth(c, word, st));
        drawText(c, word, 256, y, line);
    }
    return encodePng(c);
}

// ---- the Gallery ----------------------------------------------------------------------

// The Gallery's opening picture: an old chart on parchment with a ship sketched on it.
std::string paintRemember() {
    Canvas c(512, 512, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 6, 111);
        double x = u - 0.5, y = v - 0.5;
        double vignette = 1 - 1.4 * (x * x + y * y);
        double k = (0.75 + 0.25 * n) * vignette;
        return Rgba{0.86 * k, 0.72 * k, 0.5 * k};
    });
    shipSilhouette(c, 256, 335, 205, {0.35, 0.2, 0.1, 0.8}, {0.3, 0.15, 0.05, 0.8}, {0.6, 0.45, 0.28, 0.6},
                   {0.35, 0.2, 0.1, 0.8});
    // wavy sea lines under the ship
    cairo_set_line_width(c.cr, 2);
    c.rgb(0.35, 0.2, 0.1, 0.7);
    for (int i = 0; i < 5; ++i) {
        double y = 350 + i * 12;
        cairo_move_to(c.cr, 110, y);
        for (int k = 0; k < 12; ++k) cairo_rel_curve_to(c.cr, 6, -5, 18, -5, 24, 0);
        cairo_stroke(c.cr);
    }
    TextStyle st{"DejaVu Serif Italic", 64, {0.3, 0.15, 0.06, 0.9}};
    drawText(c, "remember", 256, 118, st);
    st.size = 27;
    st.font = "DejaVu Serif";
    drawText(c, "the storm \xC2\xB7 the sea \xC2\xB7 the treasure", 256, 432, st);
    return encodePng(c);
}

// The Gallery's title, over the grid in the middle 80 % of the view.
std::string paintGrumla2() {
    Canvas c(512, 512, true);
    panel(c, 36, 150, 440, 212, 36, {0.03, 0.05, 0.1, 0.62}, {0.9, 0.7, 0.25, 0.9}, 4);
    drawText(c, "Vorrend", 256, 235, {"DejaVu Serif Bold", 112, {1.0, 0.82, 0.32, 1}, {0.25, 0.1, 0.0, 1}, 8});
    drawText(c, "by Grumla", 256, 318, {"DejaVu Sans", 40, {0.92, 0.95, 1.0, 1}, {0, 0, 0, 0.8}, 4});
    return encodePng(c);
}

std::string paintPirat() {
    Canvas c(512, 512, false);
    cairo_t* cr = c.cr;
    // crossed sabres
    for (int k = -1; k <= 1; k += 2) {
        cairo_save(cr);
        cairo_translate(cr, 256, 300);
        cairo_rotate(cr, k * 0.7);
        c.rgb(0.75, 0.8, 0.9, 1);
        cairo_move_to(cr, -6, -200);
        cairo_curve_to(cr, 14, -120, 14, 40, 4, 150);
        cairo_line_to(cr, -8, 150);
        cairo_curve_to(cr, -2, 40, -4, -120, -6, -200);
        cairo_fill(cr);
        c.rgb(0.95, 0.75, 0.25, 1);
        cairo_rectangle(cr, -30, 140, 60, 10);
        cairo_rectangle(cr, -7, 150, 14, 50);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    // the skull face
    skullAndBones(c, 256, 290, 260, {0.92, 0.88, 0.78, 1}, {0, 0, 0, 1});
    // tricorn hat
    c.rgb(0.18, 0.12, 0.3, 1);
    cairo_move_to(cr, 110, 220);
    cairo_curve_to(cr, 150, 110, 362, 110, 402, 220);
    cairo_curve_to(cr, 330, 190, 182, 190, 110, 220);
    cairo_fill(cr);
    c.rgb(0.95, 0.75, 0.25, 1);
    cairo_set_line_width(cr, 6);
    cairo_move_to(cr, 118, 214);
    cairo_curve_to(cr, 190, 186, 322, 186, 394, 214);
    cairo_stroke(cr);
    skullAndBones(c, 256, 165, 44, {0.95, 0.92, 0.85, 1}, {0.18, 0.12, 0.3, 1});
    // eye patch
    c.rgb(0.05, 0.05, 0.05, 1);
    cairo_arc(cr, 222, 262, 26, 0, 2 * pi);
    cairo_fill(cr);
    c.rgb(0.3, 0.25, 0.2, 1);
    cairo_set_line_width(cr, 5);
    cairo_move_to(cr, 150, 220);
    cairo_line_to(cr, 360, 300);
    cairo_stroke(cr);
    return encodePng(c);
}

std::string paintSkatt() {
    Canvas c(512, 512, false);
    cairo_t* cr = c.cr;
    // glow behind
    useGradient(cr, cairo_pattern_create_radial(256, 250, 10, 256, 250, 220),
                {{0, {1, 0.8, 0.3, 0.7}}, {1, {0, 0, 0, 0}}});
    cairo_paint(cr);
    // chest body and lid
    c.rgb(0.45, 0.25, 0.1, 1);
    cairo_rectangle(cr, 116, 260, 280, 150);
    cairo_fill(cr);
    c.rgb(0.38, 0.2, 0.08, 1);
    cairo_move_to(cr, 116, 200);
    cairo_curve_to(cr, 150, 110, 362, 110, 396, 200);
    cairo_line_to(cr, 396, 220);
    cairo_line_to(cr, 116, 220);
    cairo_close_path(cr);
    cairo_fill(cr);
    c.rgb(0.9, 0.7, 0.2, 1);
    for (double x : {140.0, 246.0, 352.0}) cairo_rectangle(cr, x, 260, 20, 150);
    cairo_rectangle(cr, 116, 255, 280, 12);
    cairo_fill(cr);
    // coins heaped in the chest and spilling out
    for (int i = 0; i < 70; ++i) {
        double a = unitHash(i, 1, 201), b = unitHash(i, 2, 201);
        double x = i < 50 ? 130 + a * 252 : 90 + a * 330, y = i < 50 ? 265 - b * 50 : 420 + b * 40;
        coin(cr, x, y, 13, 0.6, {{0, {1, 0.95, 0.6}}, {1, {0.8, 0.55, 0.1}}});
    }
    // gems
    const Rgba gems[3] = {{0.9, 0.1, 0.2, 1}, {0.1, 0.8, 0.3, 1}, {0.2, 0.4, 1.0, 1}};
    for (int i = 0; i < 3; ++i) {
        double x = 190 + i * 70, y = 232;
        c.rgb(gems[i]);
        cairo_move_to(cr, x, y - 14);
        cairo_line_to(cr, x + 12, y);
        cairo_line_to(cr, x, y + 14);
        cairo_line_to(cr, x - 12, y);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    return encodePng(c);
}

std::string paintFinish2() {
    Canvas c(512, 512, false);
    // a torn chart: parchment noise cut to a ragged outline
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 5, 211);
        return scaled({0.75, 0.6, 0.38}, 0.7 + 0.3 * n);
    });
    Canvas chart(c.w, c.h, false);
    cairo_t* cr = chart.cr;
    cairo_set_source_surface(cr, c.surface, 0, 0);
    cairo_move_to(cr, 70, 90);
    for (int i = 0; i <= 10; ++i) cairo_line_to(cr, 70 + i * 37, 90 + 8 * std::sin(i * 2.1));
    for (int i = 0; i <= 10; ++i) cairo_line_to(cr, 442 + 8 * std::sin(i * 1.7), 90 + i * 33);
    for (int i = 10; i >= 0; --i) cairo_line_to(cr, 70 + i * 37, 420 + 8 * std::cos(i * 1.9));
    cairo_close_path(cr);
    cairo_fill(cr);
    // an island, a dotted route and the cross where it ends, high on the chart so the
    // word below has room (the picture is shown at about a third of its size, and the
    // gallery's title panel comes down over its top)
    cairo_translate(cr, 0, -38);
    chart.rgb(0.35, 0.45, 0.2, 1);
    cairo_move_to(cr, 250, 190);
    cairo_curve_to(cr, 340, 150, 420, 230, 380, 300);
    cairo_curve_to(cr, 340, 370, 230, 360, 220, 290);
    cairo_curve_to(cr, 210, 240, 220, 200, 250, 190);
    cairo_fill(cr);
    chart.rgb(0.5, 0.15, 0.08, 1);
    cairo_set_line_width(cr, 5);
    double dash[2] = {12, 10};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, 100, 380);
    cairo_curve_to(cr, 160, 300, 120, 200, 200, 170);
    cairo_curve_to(cr, 260, 150, 300, 260, 320, 260);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    chart.rgb(0.85, 0.1, 0.05, 1);
    cairo_set_line_width(cr, 10);
    cairo_move_to(cr, 305, 245);
    cairo_line_to(cr, 335, 275);
    cairo_move_to(cr, 335, 245);
    cairo_line_to(cr, 305, 275);
    cairo_stroke(cr);
    cairo_identity_matrix(cr);
    drawText(chart, "finish", 262, 372, {"DejaVu Serif Bold", 100, {0.45, 0.12, 0.05, 1}});
    return encodePng(chart);
}

std::string paintLegacyKube() {
    Canvas c(512, 512, false);
    // a wire cube in perspective, glowing
    double pts[8][2];
    for (int i = 0; i < 8; ++i) {
        double x = (i & 1) ? 1 : -1, y = (i & 2) ? 1 : -1, z = (i & 4) ? 1 : -1;
        double a = 0.6, b = 0.45;
        double x1 = x * std::cos(a) - z * std::sin(a), z1 = x * std::sin(a) + z * std::cos(a);
        double y1 = y * std::cos(b) - z1 * std::sin(b), z2 = y * std::sin(b) + z1 * std::cos(b);
        double p = 3.2 / (z2 + 4.2);
        pts[i][0] = 256 + 150 * x1 * p;
        pts[i][1] = 256 - 150 * y1 * p;
    }
    const int edges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                              {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    cairo_set_line_cap(c.cr, CAIRO_LINE_CAP_ROUND);
    for (auto& e : edges) {
        cairo_move_to(c.cr, pts[e[0]][0], pts[e[0]][1]);
        cairo_line_to(c.cr, pts[e[1]][0], pts[e[1]][1]);
    }
    glowStroke(c, 5, {0.3, 0.9, 1.0, 1}, 6);
    for (auto& p : pts) {
        cairo_arc(c.cr, p[0], p[1], 7, 0, 2 * pi);
        c.rgb(1, 1, 1, 1);
        cairo_fill(c.cr);
    }
    return encodePng(c);
}

}  // namespace paint
