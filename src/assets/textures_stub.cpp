// PLACEHOLDER until the texture loaders land.
#include "assets/textures.h"

void loadJpgTexture(uint32_t*, const char*, int) {}
std::unique_ptr<jpgImage> loadJpgImage(const char*, std::string*) { return nullptr; }
std::unique_ptr<jpgImage> decodeJpgMemory(const uint8_t*, size_t, std::string*) { return nullptr; }
uint32_t pngBind(const char*, int, int, void*, int, int, int) { return 0; }
bool decodePngForTexture(const uint8_t*, size_t, int, pngPixels*, std::string*) { return false; }
