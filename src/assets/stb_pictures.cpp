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

// stb_image (2.27) trusts a file's Huffman tables in two ways that read and write out
// of bounds, so both are refused here with libjpeg's words before it sees the file:
// - A table of more than 256 codes: stbi__build_huffman and the DHT reading write its
//   code lengths, codes and values past their arrays, up to 16 x 255 of each.
// - A scan decoding with a table the file has not defined by then: stb_image's tables
//   lie in memory it never clears, and an undefined table's code-length search
//   (stbi__jpeg_huff_decode) runs past the end of its arrays.
// The walk reads the markers as stb_image does: bytes past the end as zeros, stray bytes
// before the frame header stepped over, a table segment table by table for as long as
// its length lasts, the entropy-coded data up to the next marker other than a restart
// (stb_image steps over fill bytes there too).
// Where stb_image would stop at an error the walk may go on, and see more, never less.
bool jpegTablesSound(const uint8_t* bytes, size_t size, std::string* error) {
    const auto byte = [&](size_t at) -> unsigned { return at < size ? bytes[at] : 0; };
    if (size < 2) return true;  // stb_image finds no tables in it
    // stb_image would step over 0xFF bytes ahead of the first marker; libjpeg does not,
    // and the walk and the tables put in need the first marker where it belongs.
    if (bytes[0] != 0xFF || bytes[1] != 0xD8) {
        char words[64];
        std::snprintf(words, sizeof words, "Not a JPEG file: starts with 0x%02x 0x%02x", bytes[0], bytes[1]);
        *error = words;
        return false;
    }
    bool defined[2][4] = {};  // [DC, AC][slot]
    bool progressive = false, framed = false;
    for (size_t at = 2; at + 1 < size;) {
        const unsigned marker = byte(at + 1);
        if (byte(at) != 0xFF && !framed) {
            ++at;  // stb_image steps over stray bytes until the frame header
            continue;
        }
        if (byte(at) != 0xFF || marker == 0xD9) break;  // out of step, or the end: stb_image's to judge
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += marker == 0xFF ? 1 : 2;  // a fill byte; markers without a length
            continue;
        }
        const size_t length = byte(at + 2) << 8 | byte(at + 3), body = at + 4;
        if (length < 2) break;
        at += 2 + length;
        if (marker >= 0xC0 && marker <= 0xC2 && !framed) {
            framed = true;
            progressive = marker == 0xC2;
        } else if (marker == 0xC4) {
            for (int64_t left = int64_t(length) - 2, p = int64_t(body); left > 0;) {
                const unsigned kind = byte(size_t(p)) >> 4, slot = byte(size_t(p)) & 15;
                if (kind > 1 || slot > 3) break;  // stb_image refuses the segment
                unsigned codes = 0;
                for (int i = 1; i <= 16; ++i) codes += byte(size_t(p) + i);
                if (codes > 256) {
                    *error = "Bogus Huffman table definition";
                    return false;
                }
                defined[kind][slot] = true;
                left -= 17 + codes;
                p += 17 + codes;
            }
        } else if (marker == 0xDA) {
            // Progressive scans: the first DC scan decodes with its DC tables, AC scans
            // with their AC tables, DC refinement with none.
            const size_t components = byte(body);
            const unsigned spectralStart = byte(body + 1 + 2 * components), high = byte(body + 3 + 2 * components) >> 4;
            const bool dc = !progressive || (spectralStart == 0 && high == 0), ac = !progressive || spectralStart > 0;
            for (size_t c = 0; c < components; ++c) {
                const unsigned dcSlot = byte(body + 2 + 2 * c) >> 4, acSlot = byte(body + 2 + 2 * c) & 15;
                if (dcSlot > 3 || acSlot > 3) continue;  // stb_image refuses the scan itself
                const int missing = dc && !defined[0][dcSlot]   ? int(dcSlot)
                                    : ac && !defined[1][acSlot] ? int(acSlot)
                                                                : -1;
                if (missing >= 0) {
                    char words[64];
                    std::snprintf(words, sizeof words, "Huffman table 0x%02x was not defined", missing);
                    *error = words;
                    return false;
                }
            }
            // The entropy-coded data: a 0xFF, after any 0xFF fill bytes, is data before a
            // 0 and a restart before 0xD0..0xD7, otherwise the next marker.
            while (at < size) {
                size_t next = at;
                while (next < size && bytes[next] == 0xFF) ++next;
                if (next > at && next < size && bytes[next] != 0 && (bytes[next] & 0xF8) != 0xD0) {
                    at = next - 1;
                    break;
                }
                at = next + 1;
            }
        }
    }
    return true;
}

// The file with a table in every slot, DC and AC, ahead of its own (one code each,
// symbol 0), put in after its first marker: should the walk above ever part from
// stb_image's reading, stb_image still never meets an undefined table. A good file's
// own tables replace these before any of its scans reads them.
std::vector<uint8_t> withEveryTable(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> out(bytes, bytes + 2);
    const uint8_t header[] = {0xFF, 0xC4, 0, 2 + 8 * 18};
    out.insert(out.end(), header, header + 4);
    for (uint8_t slot = 0; slot < 8; ++slot) {
        uint8_t table[18] = {uint8_t((slot >> 2) << 4 | (slot & 3)), 1};
        out.insert(out.end(), table, table + 18);
    }
    out.insert(out.end(), bytes + 2, bytes + size);
    return out;
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
    // Before stb_image reads anything, on the bytes it will read (the end marker put
    // in counts, where a table cut short would take it for code counts): its header
    // reading builds the tables too.
    if (!jpegTablesSound(bytes, size, error)) return nullptr;
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
    const std::vector<uint8_t> guarded = withEveryTable(bytes, size);
    stbi_uc* pixels = stbi_load_from_memory(guarded.data(), int(guarded.size()), &width, &height, &components, 3);
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
