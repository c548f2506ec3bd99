// The 36 pictures, painted with Cairo (gradients, paths, per-pixel noise) and Pango
// (text in DejaVu). Pictures the scenes add onto the frame (GL_ONE, GL_ONE) have
// black backgrounds; pictures they blend by alpha have real transparency. The demo
// shows every square picture on a 4:3 screen through a 1:1 projection, so text is set
// narrower (scaleX) to read with normal proportions.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "datagen.h"
#include "encoders.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// ---- noise ---------------------------------------------------------------------------

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x85ebca6bu;
    h ^= h >> 16;
    return h;
}
double lattice(int x, int y, int period, uint32_t seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return hash3(x, y, seed) / 4294967295.0;
}
// Value noise in [0, 1] that repeats every `period` units in x and y.
double valueNoise(double x, double y, int period, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    double fx = x - xi, fy = y - yi;
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = lattice(xi, yi, period, seed), b = lattice(xi + 1, yi, period, seed);
    double c = lattice(xi, yi + 1, period, seed), d = lattice(xi + 1, yi + 1, period, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}
// Fractal noise over the unit square (u, v in [0, 1)), tileable, in about [0, 1].
double fbm(double u, double v, int basePeriod, int octaves, uint32_t seed, double gain = 0.5) {
    double sum = 0, amp = 1, norm = 0;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(u * period, v * period, period, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= gain;
        period *= 2;
    }
    return sum / norm;
}
double clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
double mix(double a, double b, double t) { return a + (b - a) * t; }
double smooth(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};
Rgba mixc(Rgba p, Rgba q, double t) { return {mix(p.r, q.r, t), mix(p.g, q.g, t), mix(p.b, q.b, t), mix(p.a, q.a, t)}; }

// ---- canvas --------------------------------------------------------------------------

struct Canvas {
    int w, h;
    bool alpha;
    cairo_surface_t* surface;
    cairo_t* cr;
    Canvas(int width, int height, bool withAlpha) : w(width), h(height), alpha(withAlpha) {
        surface = cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
        cr = cairo_create(surface);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
        if (!withAlpha) {
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_paint(cr);
        }
    }
    ~Canvas() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Sets every pixel from fn(u, v) with u, v the pixel centre in [0, 1).
    void pixels(const std::function<Rgba(double, double)>& fn) {
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < w; ++x) {
                Rgba c = fn((x + 0.5) / w, (y + 0.5) / h);
                double a = alpha ? clamp01(c.a) : 1.0;
                auto q = [&](double v) { return uint32_t(std::lround(clamp01(v) * a * 255)); };
                row[x] = (uint32_t(std::lround(a * 255)) << 24) | (q(c.r) << 16) | (q(c.g) << 8) | q(c.b);
            }
        }
        cairo_surface_mark_dirty(surface);
    }
    void rgb(double r, double g, double b, double a = 1) { cairo_set_source_rgba(cr, r, g, b, a); }
};

// Text set with Pango: centred on (cx, cy) in pixels, squeezed horizontally by scaleX.
struct TextStyle {
    const char* font = "DejaVu Serif Bold";
    double size = 40;  // pixels
    Rgba fill{1, 1, 1, 1};
    Rgba outline{0, 0, 0, 0};  // drawn under the fill when its alpha is > 0
    double outlineWidth = 0;
    double scaleX = 0.75;
};
void setFontOptions(PangoContext* context) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
}
PangoLayout* makeLayout(cairo_t* cr, const std::string& text, const TextStyle& st) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    setFontOptions(pango_layout_get_context(layout));
    pango_layout_context_changed(layout);
    PangoFontDescription* desc = pango_font_description_from_string(st.font);
    pango_font_description_set_absolute_size(desc, st.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}
// Width in pixels the text takes before squeezing.
double textWidth(Canvas& c, const std::string& text, const TextStyle& st) {
    PangoLayout* layout = makeLayout(c.cr, text, st);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    return w;
}
void drawText(Canvas& c, const std::string& text, double cx, double cy, const TextStyle& st) {
    // The layout is made under the unscaled matrix, so glyph advances and shapes are
    // both squeezed by the scale below.
    PangoLayout* layout = makeLayout(c.cr, text, st);
    cairo_save(c.cr);
    cairo_translate(c.cr, cx, cy);
    cairo_scale(c.cr, st.scaleX, 1);
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    cairo_move_to(c.cr, -logical.width / 2.0, -logical.height / 2.0);
    pango_cairo_layout_path(c.cr, layout);
    if (st.outline.a > 0 && st.outlineWidth > 0) {
        cairo_set_source_rgba(c.cr, st.outline.r, st.outline.g, st.outline.b, st.outline.a);
        cairo_set_line_width(c.cr, st.outlineWidth);
        cairo_set_line_join(c.cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(c.cr);
    }
    cairo_set_source_rgba(c.cr, st.fill.r, st.fill.g, st.fill.b, st.fill.a);
    cairo_fill(c.cr);
    g_object_unref(layout);
    cairo_restore(c.cr);
}

// A path stroked several times, widest and faintest first: a glow on black.
void glowStroke(Canvas& c, double width, Rgba col, int passes = 5) {
    for (int i = passes; i >= 1; --i) {
        double k = double(i) / passes;
        c.rgb(col.r, col.g, col.b, col.a * (i == 1 ? 1.0 : 0.18 * (1 - k) + 0.05));
        cairo_set_line_width(c.cr, width * (1 + 3 * (k - 1.0 / passes)));
        cairo_stroke_preserve(c.cr);
    }
    cairo_new_path(c.cr);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

// ---- encoders ------------------------------------------------------------------------

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}
std::string encodePng(Canvas& c) {
    cairo_surface_flush(c.surface);
    std::string out;
    cairo_surface_write_to_png_stream(c.surface, appendToString, &out);
    return out;
}
std::string encodeJpeg(Canvas& c, int quality) {
    cairo_surface_flush(c.surface);
    const unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    // Cairo keeps native-endian 0xAARRGGBB words; the encoder wants packed RGB.
    std::vector<uint8_t> rgb(size_t(c.w) * size_t(c.h) * 3);
    for (int y = 0; y < c.h; ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint8_t* row = rgb.data() + size_t(y) * size_t(c.w) * 3;
        for (int x = 0; x < c.w; ++x) {
            row[3 * x] = (src[x] >> 16) & 0xff;
            row[3 * x + 1] = (src[x] >> 8) & 0xff;
            row[3 * x + 2] = src[x] & 0xff;
        }
    }
    return ::encodeJpeg(rgb.data(), c.w, c.h, quality);
}

// ---- shared motifs -------------------------------------------------------------------

// A skull with crossed bones, centred at (cx, cy), `s` pixels high.
void skullAndBones(Canvas& c, double cx, double cy, double s, Rgba bone, Rgba dark) {
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, s / 100.0, s / 100.0);
    // bones, crossed below the skull, a knob pair at each end
    c.rgb(bone.r, bone.g, bone.b, bone.a);
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
    c.rgb(dark.r, dark.g, dark.b, dark.a);
    for (int k = -1; k <= 1; k += 2) {
        cairo_save(cr);
        cairo_translate(cr, 13 * k, -10);
        cairo_scale(cr, 1, 1.15);
        cairo_arc(cr, 0, 0, 9, 0, 2 * pi);
        cairo_restore(cr);
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

// A side view of a three-masted ship, bow to the right, `len` pixels long, its
// waterline at (cx, cy).
void shipSilhouette(Canvas& c, double cx, double cy, double len, Rgba hull, Rgba trim, Rgba sail, Rgba lights) {
    cairo_t* cr = c.cr;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    double k = len / 400.0;
    cairo_scale(cr, k, k);
    // masts
    c.rgb(hull.r * 0.8, hull.g * 0.8, hull.b * 0.8, hull.a);
    for (double mx : {-110.0, 0.0, 105.0}) {
        double top = mx == 0 ? -300 : -250;
        cairo_rectangle(cr, mx - 4, top, 8, -top - 40);
    }
    cairo_move_to(cr, 170, -70);
    cairo_line_to(cr, 270, -120);
    cairo_line_to(cr, 268, -112);
    cairo_line_to(cr, 170, -60);
    cairo_fill(cr);
    // sails: bellied rectangles, three per mast
    for (double mx : {-110.0, 0.0, 105.0}) {
        double scale = mx == 0 ? 1.0 : 0.85;
        double tops[3] = {-95, -175, -245};
        double widths[3] = {75, 62, 46};
        for (int s = 0; s < 3; ++s) {
            double top = tops[s] * scale - 10, bottom = (s == 0 ? -60 : tops[s - 1] * scale - 14),
                   w = widths[s] * scale;
            cairo_pattern_t* g = cairo_pattern_create_linear(mx - w, 0, mx + w, 0);
            cairo_pattern_add_color_stop_rgba(g, 0, sail.r * 0.7, sail.g * 0.7, sail.b * 0.7, sail.a);
            cairo_pattern_add_color_stop_rgba(g, 0.6, sail.r, sail.g, sail.b, sail.a);
            cairo_pattern_add_color_stop_rgba(g, 1, sail.r * 0.8, sail.g * 0.8, sail.b * 0.8, sail.a);
            cairo_set_source(cr, g);
            cairo_move_to(cr, mx - w, top);
            cairo_curve_to(cr, mx - w * 0.3, top + 8, mx + w * 0.3, top + 8, mx + w, top);
            cairo_curve_to(cr, mx + w * 1.12, (top + bottom) / 2, mx + w * 1.1, bottom, mx + w * 1.05, bottom);
            cairo_curve_to(cr, mx + w * 0.3, bottom + 12, mx - w * 0.3, bottom + 12, mx - w * 1.05, bottom);
            cairo_curve_to(cr, mx - w * 1.1, bottom, mx - w * 0.9, (top + bottom) / 2, mx - w, top);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
        }
    }
    // jib
    c.rgb(sail.r * 0.9, sail.g * 0.9, sail.b * 0.9, sail.a);
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
    // hull
    cairo_pattern_t* hg = cairo_pattern_create_linear(0, -80, 0, 20);
    cairo_pattern_add_color_stop_rgba(hg, 0, hull.r * 1.2, hull.g * 1.2, hull.b * 1.2, hull.a);
    cairo_pattern_add_color_stop_rgba(hg, 1, hull.r * 0.5, hull.g * 0.5, hull.b * 0.5, hull.a);
    cairo_set_source(cr, hg);
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
    cairo_pattern_destroy(hg);
    // trim lines and stern lanterns
    c.rgb(trim.r, trim.g, trim.b, trim.a);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, -190, -50);
    cairo_curve_to(cr, -60, -40, 90, -40, 185, -50);
    cairo_stroke(cr);
    cairo_move_to(cr, -185, -25);
    cairo_curve_to(cr, -60, -15, 90, -15, 170, -25);
    cairo_stroke(cr);
    c.rgb(lights.r, lights.g, lights.b, lights.a);
    for (int i = 0; i < 4; ++i) cairo_rectangle(cr, -188 + i * 11, -85, 7, 12);
    for (int i = 0; i < 9; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, -120 + i * 30, -33, 4.5, 0, 2 * pi);
    }
    cairo_fill(cr);
    cairo_restore(cr);
}

// A whirlpool: logarithmic spiral arms fading into a dark eye, on black.
Rgba whirl(double u, double v, double arms, double twist, Rgba deep, Rgba foam, uint32_t seed, double squash = 1) {
    double x = (u - 0.5) * 2, y = (v - 0.5) * 2 / squash;
    double r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
    if (r > 1) return {0, 0, 0, 1};
    double spiral = std::sin(arms * a + twist * std::log(r + 0.02) + 4 * fbm(u, v, 4, 3, seed));
    double band = std::pow(0.5 + 0.5 * spiral, 3);
    double rim = smooth(1.0, 0.75, r) * smooth(0.05, 0.35, r);
    double n = fbm(u, v, 8, 4, seed + 7);
    Rgba c = mixc(deep, foam, clamp01(band * 0.9 + (n - 0.5) * 0.4));
    double k = rim * (0.35 + 0.65 * band);
    return {c.r * k, c.g * k, c.b * k, 1};
}

// ---- the pictures --------------------------------------------------------------------

using Painter = std::function<std::string()>;

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
    {
        cairo_set_line_width(c.cr, 1.0);
        for (int i = 0; i < 420; ++i) {
            double x = hash3(i, 1, 77) / 4294967295.0 * 560 - 20, y = hash3(i, 2, 77) / 4294967295.0 * 512;
            double len = 14 + 20 * (hash3(i, 3, 77) / 4294967295.0);
            c.rgb(0.7, 0.75, 0.85, 0.18);
            cairo_move_to(c.cr, x, y);
            cairo_line_to(c.cr, x - len * 0.35, y + len);
            cairo_stroke(c.cr);
        }
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
    auto rnd = [&](int i) { return hash3(i, int(seed), 99) / 4294967295.0 - 0.5; };
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
            double light = 0.75 + 0.35 * bevel;
            return Rgba{col.r * light, col.g * light, col.b * light, 1};
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
            cairo_pattern_t* g = cairo_pattern_create_radial(x - 1.5, y - 1.5, 0.5, x, y, 5);
            cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.92, 0.6, 1);
            cairo_pattern_add_color_stop_rgba(g, 1, 0.35, 0.25, 0.1, 1);
            cairo_set_source(c.cr, g);
            cairo_arc(c.cr, x, y, 5, 0, 2 * pi);
            cairo_fill(c.cr);
            cairo_pattern_destroy(g);
        }
    return encodePng(c);
}

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
    Canvas c(256, 256, false);
    c.pixels([&](double u, double v) {
        double n = fbm(u, v, 4, 6, seed);
        double vein = 0.5 + 0.5 * std::sin((u + v) * 2 * pi * 3 + n * 12);
        return mixc(a, b, std::pow(vein, 3));
    });
    return encodePng(c);
}

// A reflection map for the sphere-mapped blob: gold, bright sky above a dark floor.
std::string paintKuletex3() {
    Canvas c(256, 256, false);
    c.pixels([](double u, double v) {
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
    return encodePng(c);
}

// A carved wooden sign: lower left of the treasure room, blended over white.
std::string paintTreasureroom() {
    const int S = 512;
    Canvas c(S, S, true);
    roundedRect(c.cr, 40, 150, 432, 212, 30);
    cairo_clip_preserve(c.cr);
    cairo_pattern_t* wood = cairo_pattern_create_linear(0, 150, 0, 362);
    cairo_pattern_add_color_stop_rgb(wood, 0, 0.5, 0.3, 0.14);
    cairo_pattern_add_color_stop_rgb(wood, 1, 0.3, 0.16, 0.07);
    cairo_set_source(c.cr, wood);
    cairo_fill(c.cr);
    cairo_pattern_destroy(wood);
    cairo_set_line_width(c.cr, 1.2);
    for (int i = 0; i < 30; ++i) {
        double y = 158 + i * 7 + 3 * std::sin(i * 1.7);
        c.rgb(0.2, 0.1, 0.04, 0.35);
        cairo_move_to(c.cr, 40, y);
        cairo_curve_to(c.cr, 180, y + 4 * std::sin(i), 320, y - 4 * std::cos(i), 472, y + 2);
        cairo_stroke(c.cr);
    }
    cairo_reset_clip(c.cr);
    roundedRect(c.cr, 40, 150, 432, 212, 30);
    c.rgb(0.85, 0.65, 0.2, 1);
    cairo_set_line_width(c.cr, 10);
    cairo_stroke(c.cr);
    TextStyle st;
    st.size = 60;
    st.fill = {1.0, 0.84, 0.3, 1};
    st.outline = {0.2, 0.08, 0.0, 1};
    st.outlineWidth = 6;
    drawText(c, "The Treasure", 256, 218, st);
    drawText(c, "Room", 256, 295, st);
    return encodePng(c);
}

std::string paintGulv() {
    Canvas c(256, 256, false);
    c.pixels([](double u, double v) {
        double tx = std::fmod(u * 4, 1.0), ty = std::fmod(v * 4, 1.0);
        double joint = smooth(0.0, 0.05, std::min(std::min(tx, 1 - tx), std::min(ty, 1 - ty)));
        double n = fbm(u, v, 8, 5, 91);
        double k = (0.35 + 0.3 * n) * (0.3 + 0.7 * joint);
        return Rgba{k * 1.05, k, k * 0.9};
    });
    return encodePng(c);
}

// The Gallery's opening picture: an old chart on parchment with a ship sketched on it.
std::string paintRemember() {
    const int S = 512;
    Canvas c(S, S, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 6, 111);
        double x = u - 0.5, y = v - 0.5;
        double vignette = 1 - 1.4 * (x * x + y * y);
        double k = (0.75 + 0.25 * n) * vignette;
        return Rgba{0.86 * k, 0.72 * k, 0.5 * k};
    });
    shipSilhouette(c, 256, 335, 205, {0.35, 0.2, 0.1, 0.8}, {0.3, 0.15, 0.05, 0.8}, {0.6, 0.45, 0.28, 0.6},
                   {0.35, 0.2, 0.1, 0.8});
    // compass rose at the lower right, wavy sea lines
    cairo_set_line_width(c.cr, 2);
    c.rgb(0.35, 0.2, 0.1, 0.7);
    for (int i = 0; i < 5; ++i) {
        double y = 350 + i * 12;
        cairo_move_to(c.cr, 110, y);
        for (int k = 0; k < 12; ++k) cairo_rel_curve_to(c.cr, 6, -5, 18, -5, 24, 0);
        cairo_stroke(c.cr);
    }
    TextStyle st;
    st.font = "DejaVu Serif Italic";
    st.size = 64;
    st.fill = {0.3, 0.15, 0.06, 0.9};
    drawText(c, "remember", 256, 118, st);
    st.size = 22;
    st.font = "DejaVu Serif";
    drawText(c, "the storm \xC2\xB7 the sea \xC2\xB7 the treasure", 256, 432, st);
    return encodePng(c);
}

// The Gallery's title, over the grid in the middle 80 % of the view.
std::string paintGrumla2() {
    const int S = 512;
    Canvas c(S, S, true);
    roundedRect(c.cr, 36, 150, 440, 212, 36);
    c.rgb(0.03, 0.05, 0.1, 0.62);
    cairo_fill_preserve(c.cr);
    c.rgb(0.9, 0.7, 0.25, 0.9);
    cairo_set_line_width(c.cr, 4);
    cairo_stroke(c.cr);
    TextStyle title;
    title.size = 112;
    title.fill = {1.0, 0.82, 0.32, 1};
    title.outline = {0.25, 0.1, 0.0, 1};
    title.outlineWidth = 8;
    drawText(c, "Vorrend", 256, 235, title);
    TextStyle by;
    by.font = "DejaVu Sans";
    by.size = 40;
    by.fill = {0.92, 0.95, 1.0, 1};
    by.outline = {0, 0, 0, 0.8};
    by.outlineWidth = 4;
    drawText(c, "by Grumla", 256, 318, by);
    return encodePng(c);
}

// Sea water that tiles: the ship's sea and the tunnel's walls. Nearly opaque, since
// both are blended by alpha over grey.
std::string paintVann() {
    Canvas c(256, 256, true);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 6, 131);
        double w = fbm(u + 0.3 * n, v + 0.2 * n, 8, 4, 132);
        double crest = smooth(0.62, 0.8, w);
        // Bright: the ship scene lights it at about half strength and fogs it grey.
        return Rgba{0.2 + 0.3 * n + 0.5 * crest, 0.5 + 0.3 * n + 0.4 * crest, 0.65 + 0.25 * n + 0.3 * crest,
                    0.9 + 0.1 * crest};
    });
    return encodePng(c);
}

// Sail cloth with the ship's emblem: the ship's sails and its flag.
std::string paintStortflagg2() {
    const int S = 256;
    Canvas c(S, S, false);
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 5, 141);
        double seam = smooth(0.0, 0.02, std::fabs(std::fmod(u * 5, 1.0) - 0.5) - 0.47);
        double k = (0.8 + 0.2 * n) * (1 - 0.25 * seam);
        return Rgba{0.9 * k, 0.86 * k, 0.74 * k};
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
    cairo_pattern_t* g = cairo_pattern_create_radial(-5, -5, 2, 0, 0, 22);
    cairo_pattern_add_color_stop_rgb(g, 0, 1, 0.9, 0.55);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.6, 0.42, 0.12);
    cairo_set_source(cr, g);
    cairo_arc(cr, 0, 0, 22, 0, 2 * pi);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
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
    Canvas c(128, 128, false);
    c.pixels([](double u, double v) {
        double strand = 0.5 + 0.5 * std::sin(2 * pi * (u * 4 + v * 4));
        double fibre = fbm(u, v, 16, 3, 181);
        double k = 0.35 + 0.5 * std::pow(strand, 0.6) + 0.15 * fibre;
        return Rgba{0.72 * k, 0.58 * k, 0.38 * k};
    });
    return encodePng(c);
}

// Planks running across the picture (the s direction), tiling both ways.
std::string paintPlanks(Rgba base, int planks, bool across, uint32_t seed, bool nails) {
    Canvas c(256, 256, false);
    c.pixels([&](double u, double v) {
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
    });
    return encodePng(c);
}

// Painted panelling of the castles and rails: dark red with gold trim.
std::string paintTre4() {
    Canvas c(256, 256, false);
    c.pixels([](double u, double v) {
        double grain = fbm(u, v * 0.2, 4, 5, 191);
        double panel = std::fmod(v * 4, 1.0);
        double trim = panel < 0.06 ? 1.0 : 0.0;
        double k = 0.75 + 0.3 * grain;
        Rgba red{0.45 * k, 0.1 * k, 0.07 * k};
        Rgba gold{0.85 * k, 0.65 * k, 0.22 * k};
        Rgba col = mixc(red, gold, trim);
        double bevel = smooth(0.06, 0.1, panel) * smooth(1.0, 0.92, panel);
        return Rgba{col.r * (0.7 + 0.3 * bevel), col.g * (0.7 + 0.3 * bevel), col.b * (0.7 + 0.3 * bevel)};
    });
    return encodePng(c);
}

// The Opening's word below the picture: white letters, a brass progress bar.
std::string paintLoading() {
    const int S = 512;
    Canvas c(S, S, true);
    TextStyle st;
    st.font = "DejaVu Sans Bold";
    st.size = 104;
    st.fill = {0.95, 0.95, 1.0, 1};
    st.outline = {0.05, 0.1, 0.25, 0.9};
    st.outlineWidth = 8;
    drawText(c, "loading", 256, 210, st);
    roundedRect(c.cr, 86, 300, 340, 44, 22);
    c.rgb(0.1, 0.12, 0.2, 0.8);
    cairo_fill_preserve(c.cr);
    c.rgb(0.9, 0.9, 1.0, 0.9);
    cairo_set_line_width(c.cr, 5);
    cairo_stroke(c.cr);
    roundedRect(c.cr, 96, 310, 220, 24, 12);
    c.rgb(1.0, 0.75, 0.25, 1);
    cairo_fill(c.cr);
    return encodePng(c);
}

// ---- the gallery's four pictures, added onto black -----------------------------------

std::string paintPirat() {
    const int S = 512;
    Canvas c(S, S, false);
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
    const int S = 512;
    Canvas c(S, S, false);
    cairo_t* cr = c.cr;
    // glow behind
    cairo_pattern_t* g = cairo_pattern_create_radial(256, 250, 10, 256, 250, 220);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.8, 0.3, 0.7);
    cairo_pattern_add_color_stop_rgba(g, 1, 0, 0, 0, 0);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
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
        double a = hash3(i, 1, 201) / 4294967295.0, b = hash3(i, 2, 201) / 4294967295.0;
        double x = i < 50 ? 130 + a * 252 : 90 + a * 330, y = i < 50 ? 265 - b * 50 : 420 + b * 40;
        cairo_pattern_t* cg = cairo_pattern_create_radial(x - 3, y - 3, 1, x, y, 13);
        cairo_pattern_add_color_stop_rgb(cg, 0, 1, 0.95, 0.6);
        cairo_pattern_add_color_stop_rgb(cg, 1, 0.8, 0.55, 0.1);
        cairo_set_source(cr, cg);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1, 0.6);
        cairo_arc(cr, 0, 0, 13, 0, 2 * pi);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(cg);
    }
    // gems
    const Rgba gems[3] = {{0.9, 0.1, 0.2, 1}, {0.1, 0.8, 0.3, 1}, {0.2, 0.4, 1.0, 1}};
    for (int i = 0; i < 3; ++i) {
        double x = 190 + i * 70, y = 232;
        c.rgb(gems[i].r, gems[i].g, gems[i].b, 1);
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
    const int S = 512;
    Canvas c(S, S, false);
    cairo_t* cr = c.cr;
    // a torn chart: parchment noise cut to a ragged outline
    c.pixels([](double u, double v) {
        double n = fbm(u, v, 4, 5, 211);
        return Rgba{0.75 * (0.7 + 0.3 * n), 0.6 * (0.7 + 0.3 * n), 0.38 * (0.7 + 0.3 * n)};
    });
    Canvas chart(S, S, false);
    cairo_set_source_surface(chart.cr, c.surface, 0, 0);
    cairo_move_to(chart.cr, 70, 90);
    for (int i = 0; i <= 10; ++i) cairo_line_to(chart.cr, 70 + i * 37, 90 + 8 * std::sin(i * 2.1));
    for (int i = 0; i <= 10; ++i) cairo_line_to(chart.cr, 442 + 8 * std::sin(i * 1.7), 90 + i * 33);
    for (int i = 10; i >= 0; --i) cairo_line_to(chart.cr, 70 + i * 37, 420 + 8 * std::cos(i * 1.9));
    cairo_close_path(chart.cr);
    cairo_fill(chart.cr);
    cr = chart.cr;
    // an island, a dotted route and the cross where it ends
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
    TextStyle st;
    st.size = 56;
    st.fill = {0.45, 0.12, 0.05, 1};
    drawText(chart, "finish", 170, 130 + 200, st);
    return encodePng(chart);
}

std::string paintLegacyKube() {
    const int S = 512;
    Canvas c(S, S, false);
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

// Stone that tiles: cobbles of the torus.
std::string paintStone() {
    Canvas c(256, 256, false);
    const int cells = 6;
    c.pixels([&](double u, double v) {
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
        double tone = 0.75 + 0.3 * (hash3(best, 0, 224) / 4294967295.0);
        double k = (0.35 + 0.35 * n) * tone * (0.25 + 0.75 * joint) * (1.1 - 0.3 * d1);
        return Rgba{k * 1.08, k, k * 0.88};
    });
    return encodePng(c);
}

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

std::string paintGreet() {
    TextStyle st;
    st.font = "DejaVu Serif Bold";
    st.size = 78;
    st.fill = {0.22, 0.1, 0.03, 1};
    st.outline = {0.95, 0.75, 0.3, 1};
    st.outlineWidth = 5;
    st.scaleX = 0.6;
    return paintStrip(2048, 128,
                      "greetings to every crew that ever sailed to a demo party \xC2\xB7 to the coders, "
                      "the musicians, the pixel artists and the organisers \xC2\xB7 ",
                      st, true, {});
}

std::string paintCred() {
    TextStyle st;
    st.font = "DejaVu Sans Bold";
    st.size = 64;
    st.fill = {1.0, 0.85, 0.4, 1};
    st.scaleX = 0.6;
    return paintStrip(1024, 128, "Vorrend \xC2\xB7 code, music and pictures by the Grumla crew \xC2\xB7 ", st, false,
                      {0, 0, 0, 1});
}

std::string paintMalstrom(double arms, double twist, Rgba deep, Rgba foam, uint32_t seed) {
    Canvas c(256, 256, false);
    c.pixels([&](double u, double v) { return whirl(u, v, arms, twist, deep, foam, seed); });
    return encodePng(c);
}

// The small picture at the top left of the treasure room: a heap of gold.
std::string paintTreasure() {
    const int S = 256;
    Canvas c(S, S, true);
    cairo_t* cr = c.cr;
    for (int i = 0; i < 90; ++i) {
        double a = hash3(i, 1, 231) / 4294967295.0, b = hash3(i, 2, 231) / 4294967295.0;
        // a heap: wider at the bottom
        double y = 90 + b * 120, spread = 20 + (y - 90) * 0.85;
        double x = 128 + (a * 2 - 1) * spread;
        cairo_pattern_t* g = cairo_pattern_create_radial(x - 3, y - 3, 1, x, y, 14);
        cairo_pattern_add_color_stop_rgb(g, 0, 1, 0.95, 0.6);
        cairo_pattern_add_color_stop_rgb(g, 0.8, 0.85, 0.6, 0.12);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.45, 0.3, 0.05);
        cairo_set_source(cr, g);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1, 0.65);
        cairo_arc(cr, 0, 0, 14, 0, 2 * pi);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    TextStyle st;
    st.font = "DejaVu Sans Bold";
    st.size = 34;
    st.fill = {0.55, 0.3, 0.02, 1};
    st.outline = {1, 0.95, 0.7, 1};
    st.outlineWidth = 4;
    drawText(c, "treasure!", 128, 46, st);
    return encodePng(c);
}

// The closing picture: it covers the view at full opacity from 136 s on, so it is
// text in the top and bottom bands over transparency, the middle left clear.
std::string paintTg05() {
    const int S = 512;
    Canvas c(S, S, true);
    // Everything stays inside the screen frame's window, 15 % to 85 % of the picture.
    cairo_pattern_t* top = cairo_pattern_create_linear(0, 70, 0, 210);
    cairo_pattern_add_color_stop_rgba(top, 0, 0, 0, 0, 0.5);
    cairo_pattern_add_color_stop_rgba(top, 1, 0, 0, 0, 0);
    cairo_set_source(c.cr, top);
    cairo_rectangle(c.cr, 0, 70, S, 140);
    cairo_fill(c.cr);
    cairo_pattern_destroy(top);
    cairo_pattern_t* bottom = cairo_pattern_create_linear(0, 320, 0, 442);
    cairo_pattern_add_color_stop_rgba(bottom, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(bottom, 1, 0, 0, 0, 0.5);
    cairo_set_source(c.cr, bottom);
    cairo_rectangle(c.cr, 0, 320, S, 122);
    cairo_fill(c.cr);
    cairo_pattern_destroy(bottom);
    TextStyle title;
    title.size = 76;
    title.fill = {1.0, 0.82, 0.32, 1};
    title.outline = {0.2, 0.08, 0.0, 1};
    title.outlineWidth = 7;
    drawText(c, "Vorrend", 256, 132, title);
    TextStyle line;
    line.font = "DejaVu Sans Bold";
    line.size = 30;
    line.fill = {1, 1, 1, 1};
    line.outline = {0, 0, 0, 0.9};
    line.outlineWidth = 4;
    drawText(c, "thanks for watching", 256, 370, line);
    line.size = 22;
    line.fill = {1.0, 0.85, 0.45, 1};
    drawText(c, "a Grumla production", 256, 404, line);
    return encodePng(c);
}

const std::map<std::string, Painter>& painters() {
    static const std::map<std::string, Painter> table = {
        {"pic/blue.jpg", paintBlue},
        {"pic/bakgrunn.jpg", paintBakgrunn},
        {"pic/skuta.jpg", paintSkuta},
        {"pic/lyn.jpg", paintLyn},
        {"pic/skjerm.png", paintSkjerm},
        {"pic/kubetex.png", paintKubetex},
        {"pic/kuletex.png",
         [] {
             return paintMarble({0.1, 0.2, 0.5, 1}, {0.85, 0.9, 1.0, 1}, 241);
         }},
        {"pic/kuletex2.png",
         [] {
             return paintMarble({0.05, 0.3, 0.2, 1}, {0.8, 1.0, 0.85, 1}, 242);
         }},
        {"pic/kuletex3.png", paintKuletex3},
        {"pic/treasureroom.png", paintTreasureroom},
        {"pic/gulv.png", paintGulv},
        {"pic/remember.png", paintRemember},
        {"pic/grumla2.png", paintGrumla2},
        {"pic/vann.png", paintVann},
        {"pic/skutetex/stortflagg2.png", paintStortflagg2},
        {"pic/skutetex/hjul.png", paintHjul},
        {"pic/skutetex/metall.png", paintMetall},
        {"pic/skutetex/ruter.png", paintRuter},
        {"pic/skutetex/sflagg.png", paintSflagg},
        {"pic/skutetex/tau.png", paintTau},
        {"pic/skutetex/tre.png",
         [] {
             return paintPlanks({0.5, 0.3, 0.15, 1}, 8, true, 251, false);
         }},
        {"pic/skutetex/tre2.png",
         [] {
             return paintPlanks({0.78, 0.6, 0.38, 1}, 6, false, 252, true);
         }},
        {"pic/skutetex/tre3.png",
         [] {
             return paintPlanks({0.6, 0.4, 0.2, 1}, 2, false, 253, false);
         }},
        {"pic/skutetex/tre4.png", paintTre4},
        {"pic/loading.png", paintLoading},
        {"pic/legacy/pirat.png", paintPirat},
        {"pic/legacy/finish2.png", paintFinish2},
        {"pic/legacy/kube.png", paintLegacyKube},
        {"pic/legacy/skatt.png", paintSkatt},
        {"pic/stone.png", paintStone},
        {"pic/greet.png", paintGreet},
        {"pic/malstrom.png",
         [] {
             return paintMalstrom(3, 4.0, {0.05, 0.2, 0.6, 1}, {0.7, 0.9, 1.0, 1}, 261);
         }},
        {"pic/malstrom2.png",
         [] {
             return paintMalstrom(5, 5.5, {0.02, 0.35, 0.3, 1}, {0.6, 1.0, 0.85, 1}, 262);
         }},
        {"pic/treasure.png", paintTreasure},
        {"pic/cred.png", paintCred},
        {"pic/tg05.png", paintTg05},
    };
    return table;
}

}  // namespace

std::vector<std::string> pictureNames() {
    std::vector<std::string> names;
    for (const std::string& path : dataManifest())
        if (path.compare(0, 4, "pic/") == 0) names.push_back(path);
    return names;
}

std::string paintPicture(const std::string& relativePath, std::string* error) {
    auto it = painters().find(relativePath);
    if (it == painters().end()) {
        if (error) *error = "no painter for " + relativePath;
        return {};
    }
    return it->second();
}

void releasePictureFonts() { pango_cairo_font_map_set_default(nullptr); }
