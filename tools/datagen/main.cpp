// vorrend-datagen: writes the demo's data folder, or the program's icons.
#include <algorithm>
#include <cstdio>
#include <string>

#include "datagen.h"
#include "runtime/command_line.h"

int main(int argc, char** argv) {
    CLI::App app("", "vorrend-datagen");
    setUpCommandLine(app,
                     "Writes every picture, mesh and the soundtrack the demo loads into FOLDER (default\n"
                     "data/ in the working directory): painted, modelled and synthesised here, the same\n"
                     "bytes on every run. With --icons, writes the program's icon instead.",
                     "0 when every file is written; 1 when one cannot be (each such file\n"
                     "keeps what it held, and is named with the reason); 2 on a usage error.");
    std::string folder = defaultDataRoot, icons;
    CLI::Option* folderOption = app.add_option("FOLDER", folder);
    app.add_option("--icons", icons, "write the icon at each size into DIR/SIZExSIZE/apps/")
        ->option_text("DIR")
        ->excludes(folderOption);
    std::string out, error;
    const int code = parseCommandLine(app, argc, argv, &out, &error);
    if (code >= 0) {
        std::fputs(out.c_str(), stdout);
        std::fputs(error.c_str(), stderr);
        return code;
    }
    const bool forIcons = app.count("--icons") > 0;
    if ((forIcons ? icons : folder).empty()) {
        usageError(app, forIcons ? "--icons wants a folder" : "FOLDER must not be empty", &error);
        std::fputs(error.c_str(), stderr);
        return 2;
    }
    const bool written = forIcons ? writeIcons(icons, &error) : generateDataSet(folder, 2, &error);
    if (!written) {
        for (size_t at = 0, end; at < error.size(); at = end + 1) {
            end = std::min(error.find('\n', at), error.size());
            std::fprintf(stderr, "vorrend-datagen: %s\n", error.substr(at, end - at).c_str());
        }
        return 1;
    }
    return 0;
}
