// What every picture painter draws with: tileable noise, a Cairo canvas filled pixel
// by pixel or with paths, gradients, text set with Pango (in DejaVu), and the PNG and
// JPEG encoders. A named namespace keeps these short names out of the way of the
// programs and tests that link the generator.
#pragma once
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace paint {

constexpr double pi = 3.14159265358979323846;

// ---- noise and arithmetic -------------------------------------------------------------

uint32_t hash3(int32_t x, int32_t y, uint32_t seed);
// hash3 as a fraction in [0, 1].
double unitHash(int32_t x, int32_t y, uint32_t seed);
// unitHash on a grid that repeats every `period` cells in x and y.
double lattice(int x, int y, int period, uint32_t seed);
// Value noise in [0, 1] that repeats every `period` units in x and y.
double valueNoise(double x, double y, int period, uint32_t seed);
// Fractal noise over the unit square (u, v in [0, 1)), tileable, in about [0, 1].
double fbm(double u, double v, int basePeriod, int octaves, uint32_t seed, double gain = 0.5);

inline double clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline double smooth(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};
inline Rgba mixc(Rgba p, Rgba q, double t) {
    return {mix(p.r, q.r, t), mix(p.g, q.g, t), mix(p.b, q.b, t), mix(p.a, q.a, t)};
}
// The colour k times as bright, alpha kept.
inline Rgba scaled(Rgba c, double k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

// ---- canvas ---------------------------------------------------------------------------

// A Cairo image surface and its context; without alpha it starts black.
struct Canvas {
    int w, h;
    bool alpha;
    cairo_surface_t* surface;
    cairo_t* cr;
    Canvas(int width, int height, bool withAlpha);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Sets every pixel from fn(u, v) with u, v the pixel centre in [0, 1).
    void pixels(const std::function<Rgba(double, double)>& fn);
    void rgb(double r, double g, double b, double a = 1) { cairo_set_source_rgba(cr, r, g, b, a); }
    void rgb(Rgba c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }
};
// A size x size PNG picture made by its pixel function alone (see Canvas::pixels).
std::string pixelPng(int size, bool alpha, const std::function<Rgba(double, double)>& fn);

// ---- paths and fills ------------------------------------------------------------------

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A rounded panel filled with `fill` and edged with a line of `edge`.
void panel(Canvas& c, double x, double y, double w, double h, double r, Rgba fill, Rgba edge, double edgeWidth);
// A circle of radius r about (x, y), squashed to `squash` of its height, as a new path.
void ellipse(cairo_t* cr, double x, double y, double r, double squash);
// The path so far, stroked several times, widest and faintest first: a glow on black.
void glowStroke(Canvas& c, double width, Rgba col, int passes = 5);

struct Stop {
    double at;
    Rgba colour;
};
// Gives a fresh gradient its stops and makes it the source. The context keeps the
// reference it needs, so the caller keeps none.
void useGradient(cairo_t* cr, cairo_pattern_t* gradient, std::initializer_list<Stop> stops);

// ---- text -----------------------------------------------------------------------------

// Text set with Pango: centred on (cx, cy) in pixels, squeezed horizontally by scaleX.
// The demo shows square pictures on a 4:3 screen, so text is set narrower to read
// with normal proportions.
struct TextStyle {
    const char* font = "DejaVu Serif Bold";
    double size = 40;  // pixels
    Rgba fill{1, 1, 1, 1};
    Rgba outline{0, 0, 0, 0};  // drawn under the fill when its alpha is > 0
    double outlineWidth = 0;
    double scaleX = 0.75;
};
// Width in pixels the text takes before squeezing.
double textWidth(Canvas& c, const std::string& text, const TextStyle& st);
void drawText(Canvas& c, const std::string& text, double cx, double cy, const TextStyle& st);

// Where drawText put each text, so a picture's words can be checked against the place
// the demo shows it: the ink box on the canvas in pixels, and the height of its
// smallest letters (the x-height for text with lower case, else the capital height).
struct TextMark {
    std::string text;
    double x0, y0, x1, y1;
    double letterHeight;
};
// The marks drawn on the calling thread since the last call.
std::vector<TextMark> takeTextMarks();

// ---- encoders -------------------------------------------------------------------------

std::string encodePng(Canvas& c);
std::string encodeJpeg(Canvas& c, int quality);

}  // namespace paint
