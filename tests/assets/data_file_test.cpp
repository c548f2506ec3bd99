// Opening data files: regular files only, within the caller's limit, each refusal
// with its reason; the same on every platform.
#include <gtest/gtest.h>

#include <filesystem>

#include "assets/data_file.h"
#include "gl_test.h"

TEST(DataFile, OnlyRegularFilesWithinTheLimitOpen) {
    ScratchDir dir;
    dir.write("small.bin", "abc");
    dir.write("big.bin", std::string((1 << 20) + 1, 'x'));
    std::filesystem::create_directories(dir.file("folder"));
    struct Case {
        std::string name, why;
    };
    const Case cases[] = {
        {"small.bin", ""},
        {"big.bin", "larger than 1 MiB"},
        {"folder", "Is a directory"},
        {"missing.bin", "No such file or directory"},
    };
    for (const Case& c : cases) {
        std::string why;
        std::FILE* file = openDataFile(dir.file(c.name).c_str(), uint64_t(1) << 20, &why);
        EXPECT_EQ(file != nullptr, c.why.empty()) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        if (!file) continue;
        char bytes[8] = {};
        EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, file), 3u);
        EXPECT_STREQ(bytes, "abc");
        std::fclose(file);
    }
}
