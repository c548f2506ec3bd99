// JPEG pictures decoded with libjpeg (API 62). texture_upload.cpp makes textures
// of them.
#include <cstddef>
#include <cstdio>  // jpeglib.h needs size_t and FILE first

#include <jpeglib.h>

#include <csetjmp>
#include <new>

#include "assets/asset_io.h"
#include "assets/textures.h"

namespace {

// libjpeg's default error exit ends the process; ours jumps back to decodeJpg with
// the message, so a damaged file is an ordinary failure. Its warnings (data that
// still decodes, damaged) are kept for the caller rather than printed.
struct JpegErrors {
    jpeg_error_mgr pub;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    char warning[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    longjmp(errors->escape, 1);
}

// libjpeg's own emit_message passes on the first warning of a file only, as its
// standard error manager prints it.
void jpegKeepWarning(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    if (!errors->warning[0]) (*info->err->format_message)(info, errors->warning);
}

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
    d->errors.pub.output_message = jpegKeepWarning;
    d->errors.message[0] = 0;
    d->errors.warning[0] = 0;
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

}  // namespace

std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t* bytes, size_t size, std::string* error, std::string* damage) {
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
    if (damage) *damage = d.errors.warning;
    return image;
}

std::unique_ptr<jpgImage> loadJpgImage(const char* fileName, std::string* error, std::string* damage) {
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
    if (damage) *damage = d.errors.warning;
    return image;
}
