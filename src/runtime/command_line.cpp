#include "runtime/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "runtime/build_config.h"

void setUpCommandLine(CLI::App& app, const std::string& notes) {
    app.set_version_flag("-V,--version", app.get_name() + " " + vorrendVersion);
    app.footer(notes);
    app.get_formatter()->column_width(20);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // CLI11's own words for the usage line and the options' heading, as man pages put them.
    app.get_formatter()->label("Usage", "usage");
    app.get_formatter()->label("OPTIONS", "options");
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
    *err = app.get_name() + ": " + why + "\n" + app.help();
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
