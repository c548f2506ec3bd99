#include "assets/asset_io.h"

#include <GL/gl.h>

#include "assets/data_file.h"

bool openForReading(const char* fileName, std::FILE** file, std::string* error) {
    std::string why;
    *file = openDataFile(fileName, maxDataFileBytes, &why);
    if (*file) return true;
    if (error) *error = fileName ? "cannot open: " + why : why;
    return false;
}

bool readWholeFile(std::FILE* file, std::vector<uint8_t>* bytes, std::string* error) {
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        // A file that grew after it was opened is still held to the limit.
        if (bytes->size() + got > maxDataFileBytes) {
            if (error) *error = "larger than " + std::to_string(maxDataFileBytes >> 20) + " MiB";
            return false;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    if (!std::ferror(file)) return true;
    if (error) *error = "read error";
    return false;
}

TightRowAlignment::TightRowAlignment() {
    GLint pack = 4, unpack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    pack_ = pack;
    unpack_ = unpack;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

TightRowAlignment::~TightRowAlignment() {
    glPixelStorei(GL_PACK_ALIGNMENT, pack_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_);
}
