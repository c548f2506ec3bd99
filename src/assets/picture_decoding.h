// The seam between a picture decoder and the texture code (texture_upload.cpp):
// libjpeg and libpng in the native program (jpeg_texture.cpp, png_texture.cpp),
// stb_image on the web (stb_pictures.cpp). The JPEG half is loadJpgImage and
// decodeJpgMemory of textures.h; the PNG half is below.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "assets/textures.h"

// A PNG file's picture as decoded, before the texture rules (gamma, power-of-two
// sides) are applied: 8-bit RGB or RGBA rows, top row first.
struct DecodedPicture {
    uint32_t width = 0, height = 0;
    int channels = 0;      // 4 when the file has an alpha channel or a tRNS chunk, else 3
    double fileGamma = 0;  // the file's gAMA; 0 without one
    std::unique_ptr<uint8_t[]> pixels;
};

bool decodePngPicture(const uint8_t* bytes, size_t size, DecodedPicture* out, std::string* error);
// False with the decoder's reason for a file that is not a PNG, is damaged, or is
// larger than maxPicturePixels (refused before anything that size is allocated).

int takePrefetched(const char* fileName, pngPixels* out, std::string* error);
// The picture startPngPrefetch decoded for this name, waiting for it: 1 decoded, 0
// failed (with the reason), -1 not prefetched (pngBind reads the file itself).

bool readPngForTexture(const char* fileName, int maxTextureSize, pngPixels* out, std::string* error);
// The file read whole and decoded with decodePngForTexture.
