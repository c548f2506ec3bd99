// Staged files: any name the folder takes can be staged, its temporary cut to fit,
// and nothing but the committed files stays behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "gl_test.h"
#include "staged_file.h"

TEST(StagedFile, EveryNameTheFolderTakesAndNoTemporaryLeft) {
    ScratchDir dir;
    std::set<std::string> names;
    for (size_t length : {1, 247, 248, 255}) {
        const std::string name(length, 'n'), path = dir.file(name);
        std::string error;
        EXPECT_TRUE(writeStagedFile(path, name, &error)) << length << ": " << error;
        names.insert(name);
    }
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        found.insert(entry.path().filename().string());
    EXPECT_EQ(found, names);
}
