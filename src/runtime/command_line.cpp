#include "runtime/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "runtime/build_config.h"

namespace {

// The help laid out as GNU tools lay it out, which help2man turns into the man pages:
// the usage line, what the program does (naming the arguments in the usage line),
// the options ("-h, --help"), the exit status.
class HelpLayout : public CLI::Formatter {
  public:
    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + make_description(app) + make_groups(app, mode) + "\n" + make_footer(app);
    }
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        std::string names = CLI::Formatter::make_option_name(option, positional);
        for (size_t at = names.find(','); at != std::string::npos; at = names.find(',', at + 2))
            names.insert(at + 1, " ");
        return names;
    }
};

}  // namespace

void setUpCommandLine(CLI::App& app, const std::string& description, const std::string& exitStatus) {
    auto layout = std::make_shared<HelpLayout>();
    layout->column_width(20);
    // "Usage:" as GNU tools and help2man have it; "[options]" as man pages put it.
    layout->label("OPTIONS", "options");
    app.formatter(layout);
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("-V,--version", app.get_name() + " " + vorrendVersion, "print the version and exit");
    app.description(description);
    app.footer("Exit status: " + exitStatus);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

int parseCommandLine(CLI::App& app, int argc, const char* const* argv, std::string* out, std::string* err) {
    try {
        app.parse(argc, argv);
        return -1;
    } catch (const CLI::CallForHelp&) {
        *out = app.help();
        return 0;
    } catch (const CLI::CallForVersion& version) {
        *out = std::string(version.what()) + "\n";
        return 0;
    } catch (const CLI::ParseError& error) {
        return usageError(app, error.what(), err);
    }
}

int usageError(const CLI::App& app, const std::string& why, std::string* err) {
    // As GNU tools do: the complaint, then where the options are, not all of them.
    *err = app.get_name() + ": " + why + "\nTry '" + app.get_name() + " --help' for more information.\n";
    return 2;
}

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
