// The scratch folder of gl_test.h for the Windows unit tests, which have no
// offscreen GL and no mkdtemp.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gl_test.h"

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    for (unsigned attempt = 0;; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() /
            ("vorrend-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate.generic_string();
            return;
        }
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& bytes) const {
    const fs::path target = fs::path(path_) / name;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
}
