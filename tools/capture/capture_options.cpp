// The command line of vorrend-capture.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture.h"
#include "runtime/manifest.h"

namespace {

// The end of the show as the messages print it: "145".
std::string showEndText() {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(showEnd));
    return text;
}

}  // namespace

const char* captureUsage() {
    static const std::string usage = [] {
        char text[1024];
        std::snprintf(text, sizeof text,
                      "usage: vorrend-capture [--size WxH] [--fps N] [--from A] [--to B] --out PATH\n"
                      "       vorrend-capture [--size WxH] --time T --out FILE.png\n"
                      "The data is %s in the working directory, else the data installed with it.\n"
                      "  --out PATH   a folder (frame-000001.png ... and soundtrack.wav), or a video\n"
                      "               file ending in .mp4, .mkv or .webm (needs ffmpeg)\n"
                      "  --size WxH   picture size, 4:3 (default 640x480; videos need even sizes)\n"
                      "  --fps N      frames per second, whole or a fraction such as 60000/1001 (default 60);\n"
                      "               with --time, the rate of the frames that lead up to the picture\n"
                      "  --from A     first second of the span (default 0)\n"
                      "  --to B       last second of the span (default and at most %g)\n"
                      "  --time T     one picture of the demo at T seconds (0 < T <= %g)\n",
                      defaultDataRoot, double(showEnd), double(showEnd));
        return std::string(text);
    }();
    return usage.c_str();
}

namespace {

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
    return true;
}

// A whole decimal number that fits comfortably, all of the text consumed.
bool parseWhole(const std::string& text, int64_t* value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *value = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

bool parseSeconds(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool parseSize(const std::string& text, int* width, int* height) {
    size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    int64_t w = 0, h = 0;
    if (!parseWhole(text.substr(0, x), &w) || !parseWhole(text.substr(x + 1), &h)) return false;
    *width = int(w);
    *height = int(h);
    return true;
}

bool parseRate(const std::string& text, FrameRate* fps) {
    size_t slash = text.find('/');
    int64_t num = 0, den = 1;
    if (slash == std::string::npos) {
        if (!parseWhole(text, &num)) return false;
    } else if (!parseWhole(text.substr(0, slash), &num) || !parseWhole(text.substr(slash + 1), &den)) {
        return false;
    }
    if (num <= 0 || den <= 0) return false;
    fps->num = num;
    fps->den = den;
    return true;
}

bool fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

}  // namespace

bool parseCaptureArgs(int argc, const char* const* argv, CaptureOptions* options, std::string* error) {
    CaptureOptions o;
    bool haveFrom = false, haveTo = false, haveOut = false;
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") return fail(error, "");
        if (flag.rfind("--", 0) != 0) return fail(error, "unexpected argument '" + flag + "'");
        if (i + 1 >= argc) return fail(error, flag + " needs a value");
        std::string value = argv[++i];
        if (flag == "--size") {
            if (!parseSize(value, &o.width, &o.height))
                return fail(error, "--size wants WIDTHxHEIGHT such as 640x480, not '" + value + "'");
        } else if (flag == "--fps") {
            if (!parseRate(value, &o.fps))
                return fail(error, "--fps wants a whole number or a fraction such as 60000/1001, not '" + value + "'");
        } else if (flag == "--time") {
            if (!parseSeconds(value, &o.time)) return fail(error, "--time wants seconds, not '" + value + "'");
            o.single = true;
        } else if (flag == "--from") {
            if (!parseSeconds(value, &o.from)) return fail(error, "--from wants seconds, not '" + value + "'");
            haveFrom = true;
        } else if (flag == "--to") {
            if (!parseSeconds(value, &o.to)) return fail(error, "--to wants seconds, not '" + value + "'");
            haveTo = true;
        } else if (flag == "--out") {
            o.out = value;
            haveOut = !value.empty();
        } else {
            return fail(error, "unknown option " + flag);
        }
    }

    if (!haveOut) return fail(error, "--out is required");
    // 4:3 exactly: every scene is framed for it, so other shapes would be stretched.
    if (o.width < 4 || o.height < 3 || int64_t(o.width) * 3 != int64_t(o.height) * 4)
        return fail(error, "the size must be 4:3 (such as 640x480 or 1440x1080), not " + std::to_string(o.width) + "x" +
                               std::to_string(o.height));
    if (o.width > 8192) return fail(error, "the size can be at most 8192x6144");
    double rate = o.fps.value();
    if (rate < 1 || rate > 1000) return fail(error, "--fps must lie between 1 and 1000 frames per second");

    if (o.single) {
        if (haveFrom || haveTo) return fail(error, "--time takes no --from or --to");
        if (!endsWith(o.out, ".png")) return fail(error, "with --time, --out must name a .png file");
        // The demo's clock is a float: a time that rounds to 0 there would show no scene.
        if (!(o.time > 0 && o.time <= showEnd && float(o.time) > 0.0f))
            return fail(error,
                        "--time must lie after 0 and at most at " + showEndText() + " seconds, where the demo ends");
        o.kind = OutputKind::picture;
    } else {
        if (endsWith(o.out, ".png"))
            return fail(error, "a .png output needs --time; for a span give a folder or a .mp4, .mkv or .webm file");
        o.kind = endsWith(o.out, ".mp4") || endsWith(o.out, ".mkv") || endsWith(o.out, ".webm") ? OutputKind::video
                                                                                                : OutputKind::folder;
        if (o.from < 0) return fail(error, "--from cannot lie before 0 seconds");
        if (o.to > showEnd)
            return fail(error, "--to cannot lie after " + showEndText() + " seconds, where the demo ends");
        if (o.to <= o.from) return fail(error, "--to must lie after --from");
        // A hair of tolerance so that 21.1 - 21 at 10 fps still counts one frame.
        o.frameCount = int64_t(std::floor((o.to - o.from) * rate + 1e-6));
        if (o.frameCount < 1) return fail(error, "the span is shorter than one frame");
        if (o.kind == OutputKind::video && (o.width % 2 || o.height % 2))
            return fail(error, "a video needs an even width and height (such as 640x480)");
    }
    *options = o;
    return true;
}
