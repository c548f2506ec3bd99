// Any bytes as a JPEG picture: a decoded image must be whole, a failure must say why.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/textures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    std::unique_ptr<jpgImage> image = decodeJpgMemory(data, size, &why);
    if (!image) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    if (image->rowSpan != int32_t(3 * image->width) || !image->pixels) __builtin_trap();
    // Touch the first and last byte: the buffer must hold every row.
    size_t bytes = size_t(image->rowSpan) * size_t(image->height);
    volatile uint8_t sink = image->pixels[0] ^ image->pixels[bytes - 1];
    (void)sink;
    return 0;
}
