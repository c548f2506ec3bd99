#include "runtime/player_options.h"

#include "runtime/command_line.h"
#include "runtime/timeline_table.h"

namespace {

// No larger than any screen has.
constexpr int largestWindow = 16384;

// The option's texts, the values as written.
struct PlayerArgs {
    std::string window, display, from, time, data;
};

void describe(CLI::App& app, PlayerArgs* a) {
    const std::string end = std::to_string(int(showEnd));
    setUpCommandLine(app,
                     "Plays the demo full screen for " + end +
                         " seconds; Escape or closing the window ends it\n"
                         "early. With --from, the frames before T are drawn unseen first, so the picture\n"
                         "and the music at T are those of a whole run. --time shows the picture at T alone,\n"
                         "as vorrend-capture --time T draws it, silent, until Escape. Without --data the\n"
                         "data is data/ in the working directory, else the data installed with the program.",
                     "0 when the show ends, by itself or ended early; 1 when it cannot\n"
                     "start (no data folder, no display); 2 on a usage error.");
    app.add_option("--window", a->window, "a resizable window, not full screen (960x720)")
        ->expected(0, 1)
        ->type_name("[WxH]");
    app.add_option("--display", a->display, "the screen full screen covers (0, the first)")->type_name("N");
    app.add_option("--from", a->from, "start at T seconds, 0 <= T < " + end)->type_name("T");
    app.add_option("--time", a->time, "hold the picture at T seconds, 0 < T <= " + end)->type_name("T");
    app.add_option("--data", a->data, "the data folder (with pic/, objects/, sound/)")->type_name("DIR");
}

}  // namespace

int parsePlayerArgs(int argc, const char* const* argv, PlayerOptions* options, std::string* out, std::string* err) {
    CLI::App app("", "vorrend");
    PlayerArgs a;
    describe(app, &a);
    int code = parseCommandLine(app, argc, argv, out, err);
    if (code >= 0) return code;

    PlayerOptions o;
    if (app.count("--window")) {
        o.window = true;
        o.width = 960;
        o.height = 720;
        if (!a.window.empty() && (!parseSize(a.window, &o.width, &o.height) || o.width < 1 || o.height < 1 ||
                                  o.width > largestWindow || o.height > largestWindow))
            return usageError(app, "--window wants WIDTHxHEIGHT such as 800x600, not '" + a.window + "'", err);
    }
    int64_t screen = 0;
    if (app.count("--display") && !parseWhole(a.display, &screen))
        return usageError(app, "--display wants a screen number such as 0 or 1, not '" + a.display + "'", err);
    o.display = int(screen);
    if (app.count("--from")) {
        double seconds = -1;
        // In single precision, as the clock counts: 144.99999999 would be the end itself.
        if (!parseSeconds(a.from, &seconds) || !(seconds >= 0 && float(seconds) < showEnd))
            return usageError(app,
                              "--from wants seconds from 0 up to (not including) " + std::to_string(int(showEnd)) +
                                  ", not '" + a.from + "'",
                              err);
        o.from = float(seconds);
    }
    if (app.count("--time")) {
        double seconds = -1;
        // The clock is a float: a time that rounds to 0 there would show no scene.
        if (app.count("--from")) return usageError(app, "--time takes no --from", err);
        if (!parseSeconds(a.time, &seconds) || !(seconds > 0 && seconds <= showEnd && float(seconds) > 0.0f))
            return usageError(
                app,
                "--time wants seconds after 0 and up to " + std::to_string(int(showEnd)) + ", not '" + a.time + "'",
                err);
        o.time = seconds;
    }
    if (app.count("--data") && a.data.empty()) return usageError(app, "--data wants a folder", err);
    o.data = a.data;
    *options = o;
    return -1;
}

int playerUsageError(const std::string& why, std::string* err) {
    CLI::App app("", "vorrend");
    PlayerArgs a;
    describe(app, &a);
    return usageError(app, why, err);
}
