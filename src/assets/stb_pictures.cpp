// Pictures decoded with stb_image, for the web build; the native program keeps
// libjpeg and libpng. The texture code takes the same jpgImage and DecodedPicture
// from either. There are no threads on the page: nothing is prefetched.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "assets/asset_io.h"
#include "assets/picture_decoding.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG  // the reasons in words, not codes
#include <stb_image.h>

namespace {

uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// What stb_image does not say about a PNG file: whether it is transparent (an alpha
// channel or a tRNS chunk) and its gAMA. Every chunk up to IEND must lie within the
// file: stb_image grows its buffer to an IDAT's stated length before it reads, so a
// few bytes claiming a gigabyte would cost a gigabyte.
struct PngFacts {
    uint32_t width = 0, height = 0;
    bool transparent = false;
    double gamma = 0;
};

bool readPngFacts(const uint8_t* bytes, size_t size, PngFacts* facts, std::string* error) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 8 || !std::equal(signature, signature + 8, bytes)) {
        *error = "not a PNG file";
        return false;
    }
    bool inImageData = false;  // the facts come before the first IDAT; later chunks are only checked
    for (size_t at = 8;; at += size_t(bigEndian32(bytes + at)) + 12) {
        // A file that ends before IEND, or within a chunk's length, type, data or CRC, is cut.
        const size_t left = size - at;
        if (left < 12 || bigEndian32(bytes + at) > left - 12) {
            *error = "unexpected end of file";
            return false;
        }
        const uint32_t length = bigEndian32(bytes + at);
        const uint8_t* type = bytes + at + 4;
        const uint8_t* data = bytes + at + 8;
        auto is = [&](const char* name) { return std::equal(name, name + 4, reinterpret_cast<const char*>(type)); };
        if (is("IEND")) break;
        inImageData = inImageData || is("IDAT");
        if (!inImageData) {
            if (is("IHDR") && length >= 13) {
                facts->width = bigEndian32(data);
                facts->height = bigEndian32(data + 4);
                const uint8_t colourType = data[9];
                facts->transparent = colourType == 4 || colourType == 6;  // grey or colour with alpha
            } else if (is("tRNS")) {
                facts->transparent = true;
            } else if (is("gAMA") && length >= 4) {
                facts->gamma = bigEndian32(data) / 100000.0;
            }
        }
    }
    return true;
}

// Whether a JPEG file holds its end-of-image marker. The marker segments before the
// first scan are walked by their lengths (an APP1 thumbnail has one of its own);
// from the scan on, a 0xff byte in the data is stuffed with a 0, so FF D9 is the end.
bool hasJpegEnd(const uint8_t* bytes, size_t size) {
    size_t at = 2;
    while (at + 4 <= size && bytes[at] == 0xff && bytes[at + 1] != 0xda)
        at += 2 + (size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    for (; at + 1 < size; ++at)
        if (bytes[at] == 0xff && bytes[at + 1] == 0xd9) return true;
    return false;
}

}  // namespace

std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t* bytes, size_t size, std::string* error, std::string* damage) {
    std::string ignored;
    if (!error) error = &ignored;
    if (size == 0) {
        *error = "empty file";
        return nullptr;
    }
    // stb_image refuses a file cut short, where libjpeg ends it with a marker of its
    // own, warns and decodes the rest as grey: do as it does, so that both programs
    // take the same file the same way.
    std::vector<uint8_t> ended;
    if (size > 2 && !hasJpegEnd(bytes, size)) {
        ended.assign(bytes, bytes + size);
        ended.insert(ended.end(), {0xff, 0xd9});
        bytes = ended.data();
        size = ended.size();
    }
    if (damage) *damage = ended.empty() ? "" : jpegCutShort;
    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_memory(bytes, int(size), &width, &height, &components)) {
        *error = stbi_failure_reason();
        return nullptr;
    }
    if (components != 1 && components != 3) {
        *error = "unsupported colour space (only grey and colour JPEG pictures are supported)";
        return nullptr;
    }
    if (uint64_t(width) * uint64_t(height) > maxPicturePixels) {
        *error = "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
        return nullptr;
    }
    // Grey comes out as R = G = B: the texture is always RGB.
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &components, 3);
    if (!pixels) {
        *error = stbi_failure_reason();
        return nullptr;
    }
    auto image = std::make_unique<jpgImage>();
    image->width = uint32_t(width);
    image->height = height;
    image->rowSpan = 3 * width;
    const size_t bytesOut = size_t(image->rowSpan) * size_t(height);
    image->pixels.reset(new uint8_t[bytesOut]);
    std::copy(pixels, pixels + bytesOut, image->pixels.get());
    stbi_image_free(pixels);
    return image;
}

std::unique_ptr<jpgImage> loadJpgImage(const char* fileName, std::string* error, std::string* damage) {
    std::string ignored;
    if (!error) error = &ignored;
    std::FILE* file = nullptr;
    if (!openForReading(fileName, &file, error)) return nullptr;
    std::vector<uint8_t> bytes;
    const bool read = readWholeFile(file, &bytes, error);
    std::fclose(file);
    return read ? decodeJpgMemory(bytes.data(), bytes.size(), error, damage) : nullptr;
}

bool decodePngPicture(const uint8_t* bytes, size_t size, DecodedPicture* out, std::string* error) {
    PngFacts facts;
    if (!readPngFacts(bytes, size, &facts, error)) return false;
    if (uint64_t(facts.width) * facts.height > maxPicturePixels) {
        *error = "picture too large";
        return false;
    }
    const int channels = facts.transparent ? 4 : 3;
    int width = 0, height = 0, inFile = 0;
    // Palettes and grey are expanded to RGB, tRNS becomes alpha, 16-bit samples are
    // cut to their high byte (libpng rounds them: at most one step apart).
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &inFile, channels);
    if (!pixels) {
        *error = stbi_failure_reason();
        return false;
    }
    out->width = uint32_t(width);
    out->height = uint32_t(height);
    out->channels = channels;
    out->fileGamma = facts.gamma > 0 ? facts.gamma : 0;
    const size_t bytesOut = size_t(width) * size_t(height) * size_t(channels);
    out->pixels.reset(new uint8_t[bytesOut]);
    std::copy(pixels, pixels + bytesOut, out->pixels.get());
    stbi_image_free(pixels);
    return true;
}

void startPngPrefetch(const char* const*, int) {}
void finishPngPrefetch() {}
int takePrefetched(const char*, pngPixels*, std::string*) { return -1; }
