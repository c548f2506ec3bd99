// JPEG pictures to textures: libjpeg (API 62) decoding, a full mipmap chain.
#include "assets/textures.h"

#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE first

#include <GL/gl.h>
#include <GL/glu.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <new>

#include "assets/asset_io.h"

namespace {

// libjpeg's default error exit ends the process; ours jumps back to decodeJpg with
// the message, so a damaged file is an ordinary failure.
struct JpegErrors {
    jpeg_error_mgr pub;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    longjmp(errors->escape, 1);
}

void jpegQuiet(j_common_ptr) {}  // warnings (corrupt data that still decodes) stay silent

// A progressive file can hold thousands of tiny scans, each one a full pass over
// the coefficients; no honest picture needs more than a few dozen.
constexpr long maxJpegScans = 256;

void jpegScanLimit(j_common_ptr info) {
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxJpegScans) {
        JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "more than %ld progressive scans", maxJpegScans);
        longjmp(errors->escape, 1);
    }
}

struct JpegDecoder {
    jpeg_decompress_struct info;
    JpegErrors errors;
    jpeg_progress_mgr progress;
};

void setUpJpegDecoder(JpegDecoder* d) {
    d->info.err = jpeg_std_error(&d->errors.pub);
    d->errors.pub.error_exit = jpegErrorExit;
    d->errors.pub.output_message = jpegQuiet;
    d->errors.message[0] = 0;
    jpeg_create_decompress(&d->info);
    d->progress.progress_monitor = jpegScanLimit;
    d->info.progress = &d->progress;
    // libjpeg's own working memory (coefficient buffers of progressive files).
    d->info.mem->max_memory_to_use = 512L << 20;
}

// Reads the header and the rows of a decompressor whose source is set. Colour and
// grey files come out as 8-bit RGB; other colour spaces are refused. False with a
// reason on any error; the caller destroys the decompressor either way.
bool decodeJpg(JpegDecoder* d, jpgImage* image, std::string* error) {
    j_decompress_ptr info = &d->info;
    if (setjmp(d->errors.escape)) {
        image->pixels.reset();
        *error = d->errors.message;
        return false;
    }
    jpeg_read_header(info, TRUE);
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info->out_color_space = JCS_RGB;  // grey too: the texture is always RGB
        break;
    default:
        *error = "unsupported colour space (only grey and colour JPEG pictures are supported)";
        return false;
    }
    if (uint64_t(info->image_width) * info->image_height > maxPicturePixels) {
        *error = "picture of " + std::to_string(info->image_width) + " x " + std::to_string(info->image_height) +
                 " pixels is too large";
        return false;
    }
    jpeg_start_decompress(info);
    if (info->output_components != 3) {
        *error = "decoder gave " + std::to_string(info->output_components) + " components, not 3";
        return false;
    }
    image->width = info->output_width;
    image->height = int32_t(info->output_height);
    image->rowSpan = int32_t(3 * info->output_width);
    size_t bytes = size_t(image->rowSpan) * size_t(image->height);
    image->pixels.reset(new (std::nothrow) uint8_t[bytes]);
    if (!image->pixels) {
        *error = "out of memory";
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->pixels.get() + size_t(info->output_scanline) * size_t(image->rowSpan);
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

// GLU's choice of mipmap size for a side: the nearest power of two (3 x 2^k and
// above round up), halved until the GL takes it.
int mipmapSide(int side, int maxSize) {
    int power = 1;
    for (uint32_t v = uint32_t(std::max(side, 1));; v >>= 1, power *= 2) {
        if (v == 1) break;
        if (v == 3) {
            power *= 4;
            break;
        }
    }
    while (maxSize > 0 && power > maxSize) power /= 2;
    return power;
}

// Level 0 at the power-of-two size GLU would choose, then the smaller levels, into
// the bound texture.
void uploadMipmaps(const jpgImage& image) {
    // Rows are packed with no padding: any width must upload as it stands.
    TightRowAlignment tightRows;
    // gluBuild2DMipmaps picks the same power-of-two size, but when it rescales a
    // picture itself the last row of level 0 comes out black; so rescale first
    // (gluScaleImage gets it right) and let it only build the smaller levels.
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    int width = mipmapSide(int(image.width), maxSize), height = mipmapSide(image.height, maxSize);
    const uint8_t* pixels = image.pixels.get();
    std::unique_ptr<uint8_t[]> scaled;
    if (width != int(image.width) || height != image.height) {
        scaled.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height) * 3]);
        if (scaled && gluScaleImage(GL_RGB, GLint(image.width), image.height, GL_UNSIGNED_BYTE, pixels, width, height,
                                    GL_UNSIGNED_BYTE, scaled.get()) == 0)
            pixels = scaled.get();
        else
            width = int(image.width), height = image.height;  // leave it to GLU after all
    }
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

}  // namespace

std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t* bytes, size_t size, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (size == 0) {
        *error = "empty file";
        return nullptr;
    }
    auto image = std::make_unique<jpgImage>();
    JpegDecoder d;
    setUpJpegDecoder(&d);
    jpeg_mem_src(&d.info, bytes, static_cast<unsigned long>(size));
    bool ok = decodeJpg(&d, image.get(), error);
    jpeg_destroy_decompress(&d.info);
    if (!ok) return nullptr;
    return image;
}

std::unique_ptr<jpgImage> loadJpgImage(const char* fileName, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    std::FILE* file = nullptr;
    if (!openForReading(fileName, &file, error)) return nullptr;
    auto image = std::make_unique<jpgImage>();
    JpegDecoder d;
    setUpJpegDecoder(&d);
    jpeg_stdio_src(&d.info, file);
    bool ok = decodeJpg(&d, image.get(), error);
    jpeg_destroy_decompress(&d.info);
    std::fclose(file);
    if (!ok) return nullptr;
    return image;
}

bool loadJpgTexture(uint32_t* textures, const char* fileName, int slot, std::string* error) {
    if (!fileName) return true;
    std::unique_ptr<jpgImage> image = loadJpgImage(fileName, error);
    if (!image) return false;
    // Without a GL context (start-up could not make one) there is nothing to upload
    // to, and GLU would crash asking for the GL version.
    if (!glGetString(GL_VERSION)) return true;
    glGenTextures(1, &textures[slot]);
    glBindTexture(GL_TEXTURE_2D, textures[slot]);
    uploadMipmaps(*image);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}
