// Where both programs find their data.
#include <gtest/gtest.h>

#include <filesystem>

#include "gl_test.h"
#include "runtime/data_folder.h"

namespace fs = std::filesystem;

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
    EXPECT_EQ(fs::path(executablePath()).filename(), "test_player");
}
