#include "data_set.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "datagen.h"
#include "gl_test.h"
#include "runtime/assets.h"

// fontconfig keeps its configuration for the whole process; under LeakSanitizer that
// one-time allocation is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string& dataDir() {
    static ScratchDir scratch;
    static const std::string dir = [] {
        if (const char* given = std::getenv("VORREND_DATAGEN_DIR")) return std::string(given);
        std::string error;
        EXPECT_TRUE(generateDataSet(scratch.file("data"), 2, &error)) << error;
        return scratch.file("data");
    }();
    return dir;
}
std::string dataFile(const std::string& relative) { return dataDir() + "/" + relative; }

tegn3d loadObject(const tegn3d& demoObject) {
    const ManifestObject& entry = *manifestEntryOf(demoObject);
    tegn3d object;
    EXPECT_TRUE(object.loadFromFile(dataFile(entry.path).c_str())) << entry.path;
    for (mesh& m : object.meshes) {
        m.scale(entry.scale);
        m.computeNormals();
    }
    return object;
}

std::string pictureOf(const uint32_t& texture) {
    for (const ManifestPicture& picture : jpegManifest)
        if (picture.texture == &texture) return picture.path;
    for (const ManifestPicture& picture : pngManifest)
        if (picture.texture == &texture) return picture.path;
    ADD_FAILURE() << "no picture for that texture";
    return "";
}
