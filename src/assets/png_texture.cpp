// PNG pictures to textures: libpng decoding (with gamma and power-of-two sides)
// into level 0, and the prefetch that decodes the start-up's pictures on every core.
#include "assets/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "assets/asset_io.h"

namespace {

struct PngSource {
    const uint8_t* bytes;
    size_t size;
    size_t at;
    char message[200];
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->at) png_error(png, "unexpected end of file");
    std::memcpy(out, source->bytes + source->at, length);
    source->at += length;
}

void pngError(png_structp png, png_const_charp message) {
    PngSource* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// What libpng hands over: 8-bit RGB or RGBA rows, top row first, before gamma.
struct DecodedPng {
    png_uint_32 width = 0, height = 0;
    int channels = 0;
    double fileGamma = 0;  // 0: the file has no gAMA
    std::unique_ptr<uint8_t[]> pixels;
    std::unique_ptr<png_bytep[]> rows;
};

// Only libpng calls and plain data between setjmp and the end: the owners of the
// buffers live in *out, outside this frame.
bool readPng(PngSource* source, DecodedPng* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, source, pngError, pngWarning);
    if (!png) {
        std::snprintf(source->message, sizeof source->message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(source->message, sizeof source->message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        out->pixels.reset();
        out->rows.reset();
        return false;
    }
    png_set_read_fn(png, source, pngRead);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    if (uint64_t(width) * height > maxPicturePixels) png_error(png, "picture too large");
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma) && !(fileGamma > 0 && std::isfinite(fileGamma))) fileGamma = 0;

    // Every file becomes 8-bit RGB, or RGBA when it has any transparency: an alpha
    // channel or a tRNS chunk (palette, grey or RGB).
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    int channels = png_get_channels(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 || rowBytes != size_t(width) * channels)
        png_error(png, "unexpected pixel layout");
    out->pixels.reset(new (std::nothrow) uint8_t[rowBytes * height]);
    out->rows.reset(new (std::nothrow) png_bytep[height]);
    if (!out->pixels || !out->rows) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y) out->rows[y] = out->pixels.get() + y * rowBytes;
    png_read_image(png, out->rows.get());
    // The chunks after the image data are not needed: a file cut after its last
    // row still gives its picture.
    png_destroy_read_struct(&png, &info, nullptr);
    out->width = width;
    out->height = height;
    out->channels = channels;
    out->fileGamma = fileGamma;
    return true;
}

// Screen gamma 2.2, divided by VIEWING_GAMMA when that holds a positive number.
double screenGamma() {
    double screen = 2.2;
    if (const char* text = std::getenv("VIEWING_GAMMA")) {
        char* end = nullptr;
        double v = std::strtod(text, &end);
        while (end && end != text && (*end == ' ' || *end == '\t' || *end == '\n')) ++end;
        if (end != text && end && *end == 0 && v > 0 && std::isfinite(v)) screen = 2.2 / v;
    }
    return screen;
}

int powerOfTwoAtLeast(uint32_t n, int limit) {
    int p = 1;
    while (uint32_t(p) < n && p < limit) p *= 2;
    return p;
}

}  // namespace

bool decodePngForTexture(const uint8_t* bytes, size_t size, int maxTextureSize, pngPixels* out, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (size < 8 || png_sig_cmp(bytes, 0, 8) != 0) {
        *error = "not a PNG file";
        return false;
    }
    PngSource source{bytes, size, 0, {}};
    DecodedPng png;
    if (!readPng(&source, &png)) {
        *error = source.message;
        return false;
    }

    // Gamma on the colour channels, never on alpha; skipped when it would change
    // next to nothing.
    double fileGamma = png.fileGamma > 0 ? png.fileGamma : 1 / 2.2;
    double product = fileGamma * screenGamma();
    const size_t pixelCount = size_t(png.width) * png.height;
    if (std::fabs(product - 1.0) > 0.05) {
        uint8_t table[256];
        for (int c = 0; c < 256; ++c) table[c] = uint8_t(std::lround(255.0 * std::pow(c / 255.0, 1.0 / product)));
        uint8_t* p = png.pixels.get();
        for (size_t i = 0; i < pixelCount; ++i, p += png.channels) {
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }

    // Power-of-two sides, each on its own, by nearest neighbour.
    int limit = maxTextureSize > 0 ? maxTextureSize : 1 << 30;
    int width = powerOfTwoAtLeast(png.width, limit), height = powerOfTwoAtLeast(png.height, limit);
    out->width = width;
    out->height = height;
    out->components = png.channels;
    if (uint32_t(width) == png.width && uint32_t(height) == png.height) {
        out->data = std::move(png.pixels);
        return true;
    }
    const int n = png.channels;
    out->data.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height) * size_t(n)]);
    if (!out->data) {
        *error = "out of memory";
        return false;
    }
    std::vector<uint32_t> sourceX(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        sourceX[x] = std::min(uint32_t(float(x) * float(png.width) / float(width)), png.width - 1);
    for (int y = 0; y < height; ++y) {
        uint32_t sy = std::min(uint32_t(float(y) * float(png.height) / float(height)), png.height - 1);
        const uint8_t* from = png.pixels.get() + size_t(sy) * png.width * n;
        uint8_t* to = out->data.get() + size_t(y) * width * n;
        for (int x = 0; x < width; ++x) std::memcpy(to + size_t(x) * n, from + size_t(sourceX[x]) * n, size_t(n));
    }
    return true;
}

// ---- PNG prefetch -----------------------------------------------------------------

namespace {

bool readFile(const char* fileName, std::vector<uint8_t>* bytes, std::string* error) {
    std::FILE* file = nullptr;
    if (!openForReading(fileName, &file, error)) return false;
    bool read = readWholeFile(file, bytes, error);
    std::fclose(file);
    return read;
}

// Read and decoded, or the reason why not.
bool readPngForTexture(const char* fileName, int maxTextureSize, pngPixels* out, std::string* error) {
    std::vector<uint8_t> bytes;
    return readFile(fileName, &bytes, error) &&
           decodePngForTexture(bytes.data(), bytes.size(), maxTextureSize, out, error);
}

// One file of the list: decoded by a worker, taken once by pngBind.
struct PrefetchItem {
    std::string path;
    bool done = false, taken = false, decoded = false;
    pngPixels pixels;
    std::string error;  // why it was not decoded
};

struct PngPrefetch {
    std::vector<PrefetchItem> items;
    int maxTextureSize = 0;
    std::atomic<size_t> next{0};
    std::mutex lock;
    std::condition_variable ready;
    std::vector<std::thread> workers;
};

PngPrefetch* prefetch = nullptr;

void prefetchWorker(PngPrefetch* p) {
    for (size_t i; (i = p->next.fetch_add(1)) < p->items.size();) {
        PrefetchItem& item = p->items[i];
        pngPixels pixels;
        std::string why;
        bool decoded = readPngForTexture(item.path.c_str(), p->maxTextureSize, &pixels, &why);
        std::lock_guard<std::mutex> hold(p->lock);
        item.decoded = decoded;
        item.pixels = std::move(pixels);
        item.error = std::move(why);
        item.done = true;
        p->ready.notify_all();
    }
}

// The prefetched picture for a path, waiting for its worker: 1 decoded, 0 failed
// (with the reason), -1 not in the list (or already taken: read the file again).
int takePrefetched(const char* fileName, pngPixels* out, std::string* error) {
    if (!prefetch || !fileName) return -1;
    for (PrefetchItem& item : prefetch->items) {
        if (item.taken || item.path != fileName) continue;
        std::unique_lock<std::mutex> hold(prefetch->lock);
        prefetch->ready.wait(hold, [&] { return item.done; });
        item.taken = true;
        *out = std::move(item.pixels);
        *error = std::move(item.error);
        return item.decoded ? 1 : 0;
    }
    return -1;
}

}  // namespace

void startPngPrefetch(const char* const* fileNames, int count) {
    finishPngPrefetch();
    auto* p = new PngPrefetch;
    for (int i = 0; i < count; ++i) p->items.emplace_back().path = fileNames[i] ? fileNames[i] : "";
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &p->maxTextureSize);
    unsigned threads = std::min(std::max(std::thread::hardware_concurrency(), 1u), 4u);
    try {
        for (unsigned i = 0; i < threads; ++i) p->workers.emplace_back(prefetchWorker, p);
    } catch (const std::system_error&) {
        // No threads to be had: whatever started finishes the list, or pngBind reads alone.
        if (p->workers.empty()) {
            delete p;
            return;
        }
    }
    prefetch = p;
}

void finishPngPrefetch() {
    if (!prefetch) return;
    prefetch->next = prefetch->items.size();  // no new work
    for (std::thread& t : prefetch->workers) t.join();
    delete prefetch;
    prefetch = nullptr;
}

uint32_t pngBind(const char* fileName, int mipmap, int, void*, int wrap, int minFilter, int magFilter,
                 std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        *error = "no GL context to hold the texture";
        return 0;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);

    pngPixels picture;
    int prefetched = takePrefetched(fileName, &picture, error);
    if (prefetched == 0) return 0;
    if (prefetched < 0) {
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        if (!readPngForTexture(fileName, maxSize, &picture, error)) return 0;
    }

    TightRowAlignment tightRows;
    GLenum format = picture.components == 4 ? GL_RGBA : GL_RGB;
    if (mipmap == 0)
        glTexImage2D(GL_TEXTURE_2D, 0, picture.components, picture.width, picture.height, 0, format, GL_UNSIGNED_BYTE,
                     picture.data.get());
    else
        gluBuild2DMipmaps(GL_TEXTURE_2D, picture.components, picture.width, picture.height, format, GL_UNSIGNED_BYTE,
                          picture.data.get());
    return name;
}
