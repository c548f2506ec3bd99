// Any bytes as a PNG picture through pngBind's pixel path (expansion, gamma,
// power-of-two resize); the texture size limit keeps each run small.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/textures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pngPixels out;
    std::string why;
    if (!decodePngForTexture(data, size, 1024, &out, &why)) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    if ((out.components != 3 && out.components != 4) || out.width < 1 || out.height < 1 || out.width > 1024 ||
        out.height > 1024 || (out.width & (out.width - 1)) || (out.height & (out.height - 1)))
        __builtin_trap();
    size_t bytes = size_t(out.width) * size_t(out.height) * size_t(out.components);
    volatile uint8_t sink = out.data[0] ^ out.data[bytes - 1];
    (void)sink;
    return 0;
}
