// Pictures to OpenGL textures: JPEG in jpeg_texture.cpp, PNG in png_texture.cpp.
// Both paths leave the new texture bound to GL_TEXTURE_2D and need a current
// context. Texture data is top row first: the picture's top-left pixel is texel
// (s, t) = (0, 0). A failure comes back with its reason; the loaders show nothing
// and never end the process (loadAssets decides what a failure means).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The largest picture either path accepts, in pixels (width x height, computed in
// 64 bits before anything is allocated).
constexpr uint64_t maxPicturePixels = 16u << 20;

// A decoded JPEG: 8-bit RGB rows, top row first, no padding (rowSpan = 3 x width).
struct jpgImage {
    int32_t rowSpan = 0;
    uint32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels;
};

bool loadJpgTexture(uint32_t* textures, const char* fileName, int slot, std::string* error = nullptr,
                    std::string* damage = nullptr);
// Decodes the file and builds a mipmapped RGB texture (min GL_LINEAR_MIPMAP_NEAREST,
// mag GL_LINEAR) into textures[slot]; rows of any width upload correctly and the
// unpack alignment is restored. A null name does nothing. False with the reason
// when the file cannot be loaded (missing, damaged, unsupported); the slot is then
// left as it was. True for a file that decodes in spite of damage too, with the
// decoder's first warning in *damage (libjpeg's "Premature end of JPEG file" for a
// cut file, whose missing rows come out grey); *damage stays empty for a whole file.

std::unique_ptr<jpgImage> loadJpgImage(const char* fileName, std::string* error, std::string* damage = nullptr);
// Null with a reason when the file cannot be opened or decoded. Colour and grey
// JPEG pictures give RGB; CMYK and others are refused; libjpeg errors never end
// the process. Damage it decodes through goes into *damage, as above.

std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t* bytes, size_t size, std::string* error,
                                          std::string* damage = nullptr);
// The decoder behind loadJpgImage, on bytes in memory (tests, fuzzers).

// What libjpeg says of a file that ends before its end-of-image marker; the web
// page's decoder reports such a file in the same words.
inline constexpr char jpegCutShort[] = "Premature end of JPEG file";

uint32_t pngBind(const char* fileName, int mipmap, int transparency, void* info, int wrap, int minFilter, int magFilter,
                 std::string* error = nullptr);
// Generates and binds a texture, sets wrap s, wrap t (both `wrap`), magnification
// and minification filter, and only then reads the file; uploads level 0 (mipmap
// 0; any other value builds the whole chain) with pack and unpack alignment 1,
// both restored. Returns the name, or 0 with the decoder's reason on any failure
// (missing file, not a PNG, damaged, too large, no GL context), the generated name
// then staying allocated, bound and parameterised. Transparency is always kept
// (the demo's -2); info is not filled.

// Decoded pictures that the prefetch holds ahead of pngBind: about two of the
// largest (4096 x 4096, 48 or 64 MiB each).
constexpr size_t prefetchBudget = size_t(128) << 20;

void startPngPrefetch(const char* const* fileNames, int count);
// Starts reading and decoding these PNG files on background threads (as many as
// the machine has cores, up to 4), so that a start-up loading many pictures uses
// every core. pngBind of a listed name then takes the decoded picture (waiting
// for it) instead of reading the file; everything pngBind does with GL stays on
// the calling thread, in the caller's order. Needs the current context. Pictures
// decoded and not yet taken hold at most prefetchBudget bytes, besides one being
// decoded on each thread and those pngBind has asked for.
void finishPngPrefetch();
// Joins the threads and drops pictures that no pngBind took.

// Pixel transform of pngBind, without GL (tests, fuzzers): the RGB or RGBA pixels
// pngBind would upload, top row first.
//  - RGBA when the file has an alpha channel or a tRNS chunk, else RGB; grey
//    becomes R = G = B, palettes are expanded, 16-bit samples become 8-bit.
//  - Gamma: colour channels (never alpha) become 255 (c / 255)^(1 / (f s)),
//    rounded, with f the file's gAMA (1 / 2.2 without one) and s the screen gamma,
//    2.2 or 2.2 / v when VIEWING_GAMMA holds a positive number v (read every call);
//    skipped when f s is within 0.05 of 1.
//  - Each side rounds up to a power of two, at most maxTextureSize (no limit when
//    0), by nearest neighbour: source = (int)(destination * old / new) in float.
struct pngPixels {
    int width = 0, height = 0, components = 0;
    std::unique_ptr<uint8_t[]> data;
};
bool decodePngForTexture(const uint8_t* bytes, size_t size, int maxTextureSize, pngPixels* out, std::string* error);
