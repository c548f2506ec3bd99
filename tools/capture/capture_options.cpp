// The command line of vorrend-capture.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "capture.h"
#include "runtime/command_line.h"

namespace {

// The end of the show as the messages print it: "145".
std::string showEndText() {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(showEnd));
    return text;
}

// The videos ffmpeg writes for us, by the output's extension.
const char* const videoExtensions[] = {".mp4", ".mkv", ".webm"};

// The output's extension in lower case ("" for none, as for "frames" or "out/").
std::string extensionOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
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

struct Arguments {
    std::string size, fps, time, from, to, out, data, aa, crf;
    bool lossless = false, allowDamaged = false;
};

void describe(CLI::App& app, Arguments* a) {
    const std::string end = showEndText();
    setUpCommandLine(app,
                     "Renders the demo headless: one picture (--time), a folder of frames\n"
                     "frame-000001.png ... with soundtrack.wav, or a video encoded by ffmpeg. With\n"
                     "--time, --fps is the rate of the frames that lead up to the picture. Without\n"
                     "--data the data is data/ in the working directory, else the data installed\n"
                     "with the program.",
                     "0 when everything asked for is written; 1 when capturing fails or a data\n"
                     "file is missing or damaged (what it wrote is removed); 2 on a usage error;\n"
                     "130 after Ctrl+C, which keeps what was captured.");
    app.add_option("--out", a->out, "a folder, a .mp4, .mkv or .webm video, or with --time a .png")->type_name("PATH");
    app.add_option("--size", a->size, "picture size, 4:3 (default 640x480; even for videos)")->type_name("WxH");
    app.add_option("--fps", a->fps, "frames per second, whole or such as 60000/1001 (60)")->type_name("N");
    app.add_option("--from", a->from, "first second of the span (default 0)")->type_name("A");
    app.add_option("--to", a->to, "last second of the span (default and at most " + end + ")")->type_name("B");
    app.add_option("--time", a->time, "one picture of the demo at T seconds (0 < T <= " + end + ")")->type_name("T");
    app.add_option("--data", a->data, "the data folder (with pic/, objects/, sound/)")->type_name("DIR");
    app.add_option("--aa", a->aa, "samples per pixel: 1 (default) or as the renderer offers")->type_name("N");
    app.add_option("--crf", a->crf,
                   "quality, lower is better: 0-51 for .mp4, .mkv (" + std::to_string(defaultCrf("a.mp4")) +
                       "), 0-63 for .webm (" + std::to_string(defaultCrf("a.webm")) + ")")
        ->type_name("N");
    app.add_flag("--lossless", a->lossless,
                 "an archive copy: FFV1 and FLAC in .mkv, or RGB H.264 at qp 0 and ALAC in .mp4");
    app.add_flag("--allow-damaged-data", a->allowDamaged,
                 "render even with data files missing or damaged (shown absent or grey)");
}

}  // namespace

int parseCaptureArgs(int argc, const char* const* argv, CaptureOptions* options, std::string* out, std::string* err) {
    CLI::App app("", "vorrend-capture");
    Arguments a;
    describe(app, &a);
    int code = parseCommandLine(app, argc, argv, out, err);
    if (code >= 0) return code;
    auto fail = [&](const std::string& why) { return usageError(app, why, err); };

    CaptureOptions o;
    const bool haveFrom = app.count("--from") > 0, haveTo = app.count("--to") > 0;
    o.single = app.count("--time") > 0;
    if (app.count("--size") && !parseSize(a.size, &o.width, &o.height))
        return fail("--size wants WIDTHxHEIGHT such as 640x480, not '" + a.size + "'");
    if (app.count("--fps") && !parseRate(a.fps, &o.fps))
        return fail("--fps wants a whole number or a fraction such as 60000/1001, not '" + a.fps + "'");
    if (o.single && !parseSeconds(a.time, &o.time)) return fail("--time wants seconds, not '" + a.time + "'");
    if (haveFrom && !parseSeconds(a.from, &o.from)) return fail("--from wants seconds, not '" + a.from + "'");
    if (haveTo && !parseSeconds(a.to, &o.to)) return fail("--to wants seconds, not '" + a.to + "'");
    if (app.count("--data") && a.data.empty()) return fail("--data wants a folder");
    int64_t whole = 0;
    if (app.count("--aa")) {
        if (!parseWhole(a.aa, &whole) || whole < 1 || whole > maxSamples)
            return fail("--aa wants samples per pixel from 1 to " + std::to_string(maxSamples) + ", not '" + a.aa +
                        "'");
        o.samples = int(whole);
    }
    const bool haveCrf = app.count("--crf") > 0;
    if (haveCrf) {
        if (!parseWhole(a.crf, &whole) || whole > 63) return fail("--crf wants 0 to 63, not '" + a.crf + "'");
        o.crf = int(whole);
    }
    o.lossless = a.lossless;
    o.allowDamaged = a.allowDamaged;
    o.data = a.data;
    o.out = a.out;

    if (o.out.empty()) return fail("--out is required");
    // 4:3 exactly: every scene is framed for it, so other shapes would be stretched.
    if (o.width < 4 || o.height < 3 || int64_t(o.width) * 3 != int64_t(o.height) * 4)
        return fail("the size must be 4:3 (such as 640x480 or 1440x1080), not " + std::to_string(o.width) + "x" +
                    std::to_string(o.height));
    if (o.width > 8192) return fail("the size can be at most 8192x6144");
    double rate = o.fps.value();
    if (rate < 1 || rate > 1000) return fail("--fps must lie between 1 and 1000 frames per second");

    const std::string extension = extensionOf(o.out);
    if (o.single) {
        if (haveFrom || haveTo) return fail("--time takes no --from or --to");
        if (extension != ".png") return fail("with --time, --out must name a .png file");
        // The demo's clock is a float: a time that rounds to 0 there would show no scene.
        if (!(o.time > 0 && o.time <= showEnd && float(o.time) > 0.0f))
            return fail("--time must lie after 0 and at most at " + showEndText() + " seconds, where the demo ends");
        o.kind = OutputKind::picture;
    } else {
        if (extension == ".png")
            return fail("a .png output needs --time; for a span give a folder or a .mp4, .mkv or .webm file");
        o.kind = OutputKind::folder;
        for (const char* video : videoExtensions)
            if (extension == video) o.kind = OutputKind::video;
        // "a.avi" is not a folder anybody means: refuse it rather than fill a folder so named.
        std::error_code ec;
        if (o.kind == OutputKind::folder && !extension.empty() && !std::filesystem::is_directory(o.out, ec))
            return fail("--out " + o.out + ": " + extension +
                        " is not a video this tool writes (.mp4, .mkv or .webm); for a folder of PNG frames "
                        "give a name without an extension, or end it with /");
        if (!(o.from >= 0 && o.from < showEnd))
            return fail("--from must lie from 0 to before " + showEndText() + " seconds, where the demo ends, not " +
                        a.from);
        if (o.to > showEnd) return fail("--to cannot lie after " + showEndText() + " seconds, where the demo ends");
        if (o.to <= o.from) return fail("--to must lie after --from");
        // A hair of tolerance so that 21.1 - 21 at 10 fps still counts one frame.
        o.frameCount = int64_t(std::floor((o.to - o.from) * rate + 1e-6));
        if (o.frameCount < 1) return fail("the span is shorter than one frame");
        if (o.kind == OutputKind::video && (o.width % 2 || o.height % 2))
            return fail("a video needs an even width and height (such as 640x480)");
    }
    if (o.kind != OutputKind::video && (haveCrf || o.lossless))
        return fail(std::string(haveCrf ? "--crf" : "--lossless") +
                    " is for videos; pictures and folders of frames are lossless PNG already");
    if (haveCrf && o.lossless) return fail("--crf and --lossless exclude each other");
    if (o.lossless && extension == ".webm")
        return fail(
            "--lossless writes .mkv or .mp4; WebM carries only lossy sound (Opus or Vorbis), so it cannot hold "
            "an exact copy");
    if (haveCrf && o.crf > maxCrf(o.out))
        return fail("--crf for a " + extension + " video lies between 0 and " + std::to_string(maxCrf(o.out)));
    *options = o;
    return -1;
}
