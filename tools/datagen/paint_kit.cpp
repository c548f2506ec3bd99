#include "paint_kit.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <utility>
#include <vector>

#include "encoders.h"

namespace paint {

// ---- noise ----------------------------------------------------------------------------

uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x85ebca6bu;
    h ^= h >> 16;
    return h;
}
double unitHash(int32_t x, int32_t y, uint32_t seed) { return hash3(x, y, seed) / 4294967295.0; }
double lattice(int x, int y, int period, uint32_t seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return unitHash(x, y, seed);
}
double valueNoise(double x, double y, int period, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    double fx = x - xi, fy = y - yi;
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = lattice(xi, yi, period, seed), b = lattice(xi + 1, yi, period, seed);
    double c = lattice(xi, yi + 1, period, seed), d = lattice(xi + 1, yi + 1, period, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}
double fbm(double u, double v, int basePeriod, int octaves, uint32_t seed, double gain) {
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

// ---- canvas ---------------------------------------------------------------------------

Canvas::Canvas(int width, int height, bool withAlpha) : w(width), h(height), alpha(withAlpha) {
    surface = cairo_image_surface_create(withAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, w, h);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    if (!withAlpha) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
    }
}
Canvas::~Canvas() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
void Canvas::pixels(const std::function<Rgba(double, double)>& fn) {
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
std::string pixelPng(int size, bool alpha, const std::function<Rgba(double, double)>& fn) {
    Canvas c(size, size, alpha);
    c.pixels(fn);
    return encodePng(c);
}

// ---- paths and fills ------------------------------------------------------------------

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}
void panel(Canvas& c, double x, double y, double w, double h, double r, Rgba fill, Rgba edge, double edgeWidth) {
    roundedRect(c.cr, x, y, w, h, r);
    c.rgb(fill);
    cairo_fill_preserve(c.cr);
    c.rgb(edge);
    cairo_set_line_width(c.cr, edgeWidth);
    cairo_stroke(c.cr);
}
void ellipse(cairo_t* cr, double x, double y, double r, double squash) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1, squash);
    cairo_arc(cr, 0, 0, r, 0, 2 * pi);
    cairo_restore(cr);
}
void glowStroke(Canvas& c, double width, Rgba col, int passes) {
    for (int i = passes; i >= 1; --i) {
        double k = double(i) / passes;
        c.rgb(col.r, col.g, col.b, col.a * (i == 1 ? 1.0 : 0.18 * (1 - k) + 0.05));
        cairo_set_line_width(c.cr, width * (1 + 3 * (k - 1.0 / passes)));
        cairo_stroke_preserve(c.cr);
    }
    cairo_new_path(c.cr);
}
void useGradient(cairo_t* cr, cairo_pattern_t* gradient, std::initializer_list<Stop> stops) {
    for (const Stop& s : stops)
        cairo_pattern_add_color_stop_rgba(gradient, s.at, s.colour.r, s.colour.g, s.colour.b, s.colour.a);
    cairo_set_source(cr, gradient);
    cairo_pattern_destroy(gradient);
}

// ---- text -----------------------------------------------------------------------------

namespace {

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

thread_local std::vector<TextMark> textMarks;

double inkHeight(cairo_t* cr, const char* sample, const TextStyle& st) {
    PangoLayout* layout = makeLayout(cr, sample, st);
    PangoRectangle ink;
    pango_layout_get_extents(layout, &ink, nullptr);
    g_object_unref(layout);
    return double(ink.height) / PANGO_SCALE;
}

}  // namespace

std::vector<TextMark> takeTextMarks() { return std::exchange(textMarks, {}); }

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
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    cairo_move_to(c.cr, -logical.width / 2.0, -logical.height / 2.0);
    pango_cairo_layout_path(c.cr, layout);
    if (st.outline.a > 0 && st.outlineWidth > 0) {
        c.rgb(st.outline);
        cairo_set_line_width(c.cr, st.outlineWidth);
        cairo_set_line_join(c.cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(c.cr);
    }
    c.rgb(st.fill);
    cairo_fill(c.cr);

    bool lowerCase = false;
    for (unsigned char ch : text) lowerCase = lowerCase || (ch >= 'a' && ch <= 'z');
    // The ink box, widened by the outline's half width.
    PangoRectangle ink;
    pango_layout_get_extents(layout, &ink, nullptr);
    double edge = st.outline.a > 0 ? st.outlineWidth / 2 : 0;
    double x0 = double(ink.x) / PANGO_SCALE - logical.width / 2.0 - edge;
    double y0 = double(ink.y) / PANGO_SCALE - logical.height / 2.0 - edge;
    double x1 = x0 + double(ink.width) / PANGO_SCALE + 2 * edge, y1 = y0 + double(ink.height) / PANGO_SCALE + 2 * edge;
    double across = 0, letterHeight = inkHeight(c.cr, lowerCase ? "x" : "H", st);
    cairo_user_to_device(c.cr, &x0, &y0);
    cairo_user_to_device(c.cr, &x1, &y1);
    cairo_user_to_device_distance(c.cr, &across, &letterHeight);
    textMarks.push_back({text, x0, y0, x1, y1, letterHeight});
    g_object_unref(layout);
    cairo_restore(c.cr);
}

// ---- encoders -------------------------------------------------------------------------

namespace {

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

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

}  // namespace paint
