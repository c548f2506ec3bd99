// Pictures to OpenGL textures. Both paths leave the new texture bound to
// GL_TEXTURE_2D and need a current context. Texture data is top row first: the
// picture's top-left pixel is texel (s, t) = (0, 0).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

// A decoded JPEG: 8-bit RGB rows, top row first, no padding (rowSpan = 3 x width).
struct jpgImage {
    int32_t rowSpan = 0;
    uint32_t width = 0;
    int32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels;
};

void loadJpgTexture(uint32_t* textures, const char* fileName, int slot);
// Decodes the file and builds a mipmapped RGB texture (min GL_LINEAR_MIPMAP_NEAREST,
// mag GL_LINEAR) into textures[slot]. A null name does nothing. A file that cannot
// be loaded shows "Unable to load JPG File!" and ends the process with status 1.

std::unique_ptr<jpgImage> loadJpgImage(const char* fileName, std::string* error);
// Null with a reason when the file cannot be opened or decoded.

std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t* bytes, size_t size, std::string* error);
// The decoder behind loadJpgImage, on bytes in memory (tests, fuzzers).

uint32_t pngBind(const char* fileName, int mipmap, int transparency, void* info,
                 int wrap, int minFilter, int magFilter);
// Generates, binds and parameterises a texture, then loads the PNG into level 0.
// 0 on any failure (the generated name stays allocated and bound).

// Pixel transform of pngBind, without GL (tests, fuzzers): the RGB or RGBA pixels
// pngBind would upload, after expansion, gamma and power-of-two resize.
struct pngPixels {
    int width = 0, height = 0, components = 0;
    std::unique_ptr<uint8_t[]> data;
};
bool decodePngForTexture(const uint8_t* bytes, size_t size, int maxTextureSize,
                         pngPixels* out, std::string* error);
