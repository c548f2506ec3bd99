// The player's command line and where both programs find their data.
#include <gtest/gtest.h>

#include <filesystem>

#include "gl_test.h"
#include "runtime/build_config.h"
#include "runtime/data_folder.h"
#include "runtime/player_options.h"

namespace fs = std::filesystem;

namespace {
struct Parsed {
    int code;
    PlayerOptions options;
    std::string out, err;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vorrend");
    Parsed p;
    p.code = parsePlayerArgs(int(args.size()), args.data(), &p.options, &p.out, &p.err);
    return p;
}

PlayerOptions windowed(int width, int height) {
    PlayerOptions o;
    o.window = true;
    o.width = width;
    o.height = height;
    return o;
}
}  // namespace

TEST(PlayerOptions, EachArgumentListGivesItsOptions) {
    const PlayerOptions plain;
    PlayerOptions at80 = windowed(960, 720), second = windowed(1000, 500), fromZero, lastData, late, still, end;
    at80.from = 80;
    second.display = 1;
    fromZero.from = 0;
    lastData.data = "/y";
    late.from = 144.99f;
    still = windowed(640, 480);
    still.time = 21.15;
    end.time = 145;
    const std::vector<std::pair<std::vector<const char*>, PlayerOptions>> cases = {
        {{}, plain},
        {{"--window"}, windowed(960, 720)},
        {{"--window", "800x600"}, windowed(800, 600)},
        {{"--window=1000x500", "--display", "1"}, second},
        {{"--window", "--from", "80"}, at80},  // a bare --window leaves the next option alone
        {{"--from=0"}, fromZero},
        {{"--from", "144.99"}, late},
        {{"--window", "640x480", "--time", "21.15"}, still},
        {{"--time=145"}, end},
        {{"--data", "/x", "--data", "/y"}, lastData},  // the last of a repeated option
    };
    for (const auto& [args, want] : cases) {
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        Parsed p = parse(args);
        ASSERT_EQ(p.code, -1) << shown << p.err;
        EXPECT_EQ(p.out + p.err, "") << shown;
        const PlayerOptions& o = p.options;
        EXPECT_EQ(o.window, want.window) << shown;
        EXPECT_EQ(o.width, want.width) << shown;
        EXPECT_EQ(o.height, want.height) << shown;
        EXPECT_EQ(o.display, want.display) << shown;
        EXPECT_EQ(o.from, want.from) << shown;
        EXPECT_EQ(o.time, want.time) << shown;
        EXPECT_EQ(o.data, want.data) << shown;
    }
}

TEST(PlayerOptions, HelpAndVersionEndWithZeroAndUsageErrorsWithTwo) {
    EXPECT_EQ(parse({"-h"}).code, 0);
    // Laid out as GNU tools lay it out, for help2man's man page: the usage line, what
    // the program does, the options as "-h, --help", the exit status last.
    const std::string help = parse({"--help"}).out;
    EXPECT_EQ(help.rfind("Usage: vorrend [options]\nPlays the demo", 0), 0u) << help;
    EXPECT_LT(help.find("\n  -h, --help "), help.find("\nExit status: 0 ")) << help;
    EXPECT_NE(help.find("\nExit status: 0 "), std::string::npos) << help;
    EXPECT_EQ(parse({"-V"}).out, std::string("vorrend ") + vorrendVersion + "\n");
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},          {"stray"},
        {"--window", "800"},  {"--window", "0x600"},
        {"--window", "8x6x"}, {"--window", "99999x600"},
        {"--display", "-1"},  {"--display", "one"},
        {"--from", "145"},    {"--from", "-0.5"},
        {"--from", "nan"},    {"--from", "144.999999"},  // 145 in single precision
        {"--from"},           {"--data"},
        {"--data="},          {"--time", "0"},
        {"--time", "145.01"}, {"--time", "1e-50"},
    };
    for (const auto& args : bad) {
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        Parsed p = parse(args);
        EXPECT_EQ(p.code, 2) << shown;
        EXPECT_EQ(p.out, "") << shown;
        const size_t lineEnd = p.err.find('\n');
        EXPECT_EQ(p.err.rfind("vorrend: ", 0), 0u) << p.err;
        EXPECT_EQ(p.err.substr(lineEnd + 1), "Try 'vorrend --help' for more information.\n") << p.err;
    }
    EXPECT_EQ(parse({"--time", "20", "--from", "10"}).err.rfind("vorrend: --time takes no --from\n", 0), 0u);
}

// The working directory's data/, then the installed data, then the build tree's;
// --data instead of all of them.
TEST(DataFolder, FirstPlaceThatHasItWins) {
    ScratchDir root;
    auto folder = [&](const std::string& path) { fs::create_directories(root.file(path)); };
    folder("with/data");
    folder("without");
    folder("prefix/bin");
    folder("prefix/share/vorrend/data");
    folder("build/data");
    folder("both/bin/data");
    folder("both/share/vorrend/data");
    folder("bare");
    root.write("lonely/data", "a file, not a folder");
    const std::string r = root.path() + "/";
    struct Case {
        std::string cwd, chosen, exe, folder, error;
    };
    const std::vector<Case> cases = {
        {"with", "", r + "prefix/bin/vorrend", "data/", ""},
        {"without", "", r + "prefix/bin/vorrend", r + "prefix/share/vorrend/data/", ""},
        {"without", "", r + "build/vorrend", r + "build/data/", ""},
        {"without", "", r + "both/bin/vorrend", r + "both/share/vorrend/data/", ""},
        {"lonely", "", r + "build/vorrend", r + "build/data/", ""},
        {"with", r + "build/data", "", r + "build/data/", ""},
        {"with", r + "nope", "", "", "--data " + r + "nope: no such folder"},
        {"without", "", r + "bare/vorrend", "",
         "no data folder; looked in " + r + "without/data/, " + r + "share/vorrend/data/, " + r + "bare/data/"},
        {"without", "", "", "", "no data folder; looked in " + r + "without/data/"},
    };
    for (const Case& c : cases) {
        std::string found, error;
        bool ok = false;
        inDirectory(root.file(c.cwd), [&] { ok = findDataFolder(c.chosen, c.exe, &found, &error); });
        EXPECT_EQ(ok, c.error.empty()) << c.cwd << " " << c.exe << " " << error;
        EXPECT_EQ(found, c.folder) << c.cwd << " " << c.exe;
        EXPECT_EQ(error, c.error) << c.cwd << " " << c.exe;
    }
    EXPECT_EQ(fs::path(executablePath()).stem(), "test_player");
}
