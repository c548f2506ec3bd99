// PNG pictures decoded with libpng, and the prefetch that decodes the start-up's
// pictures on every core. texture_upload.cpp makes textures of them.
#include <GL/gl.h>
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

#include "assets/picture_decoding.h"
#include "runtime/stop_request.h"

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

// After every row: a quit signal ends even the largest picture's decoding at once.
void pngRowDone(png_structp png, png_uint_32, int) {
    if (stopRequested) png_error(png, "interrupted");
}

// Only libpng calls and plain data between setjmp and the end: the owners of the
// buffers live in *out and *rows, outside this frame.
bool readPng(PngSource* source, DecodedPicture* out, std::unique_ptr<png_bytep[]>* rows) {
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
        rows->reset();
        return false;
    }
    png_set_read_fn(png, source, pngRead);
    png_set_read_status_fn(png, pngRowDone);
    png_set_chunk_malloc_max(png, 8u << 20);
    // libpng only warns about a chunk over that limit and then allocates its stated
    // length, so a 100-byte file could ask for 2 GiB. The chunks it buffers whole
    // are text and metadata that no texture uses: skip them unread.
    static const png_byte unusedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unusedChunks, 7);
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
    rows->reset(new (std::nothrow) png_bytep[height]);
    if (!out->pixels || !*rows) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = out->pixels.get() + y * rowBytes;
    png_read_image(png, rows->get());
    // The chunks after the image data are not needed: a file cut after its last
    // row still gives its picture.
    png_destroy_read_struct(&png, &info, nullptr);
    out->width = width;
    out->height = height;
    out->channels = channels;
    out->fileGamma = fileGamma;
    return true;
}

}  // namespace

bool decodePngPicture(const uint8_t* bytes, size_t size, DecodedPicture* out, std::string* error) {
    if (size < 8 || png_sig_cmp(bytes, 0, 8) != 0) {
        *error = "not a PNG file";
        return false;
    }
    PngSource source{bytes, size, 0, {}};
    std::unique_ptr<png_bytep[]> rows;
    if (!readPng(&source, out, &rows)) {
        *error = source.message;
        return false;
    }
    return true;
}

// ---- PNG prefetch -----------------------------------------------------------------

namespace {

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
    std::condition_variable ready;  // an item done or taken, or one asked for
    std::vector<std::thread> workers;
    size_t held = 0;    // bytes of decoded pictures not yet taken
    size_t wanted = 0;  // the furthest item pngBind has asked for
    bool finishing = false;
};

PngPrefetch* prefetch = nullptr;

size_t pictureBytes(const pngPixels& pixels) {
    return size_t(pixels.width) * size_t(pixels.height) * size_t(pixels.components);
}

void prefetchWorker(PngPrefetch* p) {
    for (size_t i; (i = p->next.fetch_add(1)) < p->items.size();) {
        PrefetchItem& item = p->items[i];
        {
            // Decoding ahead of pngBind holds its pictures: within the budget, apart
            // from the ones it has already asked for, so it never waits on itself.
            std::unique_lock<std::mutex> hold(p->lock);
            p->ready.wait(hold, [&] { return p->held < prefetchBudget || i <= p->wanted; });
            if (p->finishing) break;
        }
        pngPixels pixels;
        std::string why;
        bool decoded = readPngForTexture(item.path.c_str(), p->maxTextureSize, &pixels, &why);
        std::lock_guard<std::mutex> hold(p->lock);
        item.decoded = decoded;
        p->held += pictureBytes(pixels);
        item.pixels = std::move(pixels);
        item.error = std::move(why);
        item.done = true;
        p->ready.notify_all();
    }
}

}  // namespace

// An already taken name counts as not prefetched: pngBind reads the file again.
int takePrefetched(const char* fileName, pngPixels* out, std::string* error) {
    if (!prefetch || !fileName) return -1;
    for (size_t i = 0; i < prefetch->items.size(); ++i) {
        PrefetchItem& item = prefetch->items[i];
        if (item.taken || item.path != fileName) continue;
        std::unique_lock<std::mutex> hold(prefetch->lock);
        prefetch->wanted = std::max(prefetch->wanted, i);
        prefetch->ready.notify_all();
        prefetch->ready.wait(hold, [&] { return item.done; });
        item.taken = true;
        prefetch->held -= pictureBytes(item.pixels);
        prefetch->ready.notify_all();
        *out = std::move(item.pixels);
        *error = std::move(item.error);
        return item.decoded ? 1 : 0;
    }
    return -1;
}

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
    {
        std::lock_guard<std::mutex> hold(prefetch->lock);
        prefetch->next = prefetch->items.size();  // no new work
        prefetch->finishing = true;               // nor any waiting for room
        prefetch->ready.notify_all();
    }
    for (std::thread& t : prefetch->workers) t.join();
    delete prefetch;
    prefetch = nullptr;
}
