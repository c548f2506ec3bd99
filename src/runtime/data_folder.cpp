#include "runtime/data_folder.h"

#include <filesystem>
#include <vector>

#include "runtime/build_config.h"
#include "runtime/manifest.h"

namespace fs = std::filesystem;

namespace {
bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::string asFolder(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}
}  // namespace

bool findDataFolder(const std::string& chosen, const std::string& executable, std::string* folder, std::string* error) {
    if (!chosen.empty()) {
        if (isFolder(chosen)) {
            *folder = asFolder(chosen);
            return true;
        }
        *error = "--data " + chosen + ": no such folder";
        return false;
    }
    if (isFolder(defaultDataRoot)) {
        *folder = defaultDataRoot;
        return true;
    }
    std::error_code ec;
    std::vector<std::string> looked = {(fs::current_path(ec) / defaultDataRoot).lexically_normal().generic_string()};
    if (!executable.empty()) {
        const fs::path bin = fs::path(executable).parent_path();
        for (const fs::path& candidate : {bin / installedDataFromBin, bin / defaultDataRoot}) {
            const fs::path place = candidate.lexically_normal();
            if (isFolder(place)) {
                *folder = asFolder(place.generic_string());
                return true;
            }
            looked.push_back(asFolder(place.generic_string()));
        }
    }
    std::string places;
    for (const std::string& place : looked) places += (places.empty() ? "" : ", ") + place;
    *error = "no data folder; looked in " + places;
    return false;
}
