// Decoded pictures to textures, whichever decoder made them: the power-of-two rule,
// the gamma rule, the transparency rule and the mipmaps, then the upload.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "assets/asset_io.h"
#include "assets/picture_decoding.h"

namespace {

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

// Screen gamma 2.2, divided by VIEWING_GAMMA when that holds a positive number.
double screenGamma() {
    double screen = 2.2;
    if (const char* text = std::getenv("VIEWING_GAMMA")) {
        char* end = nullptr;
        double v = std::strtod(text, &end);
        while (end && end != text && (*end == ' ' || *end == '\t' || *end == '\n')) ++end;
        if (end != text && end && *end == 0 && v > 0 && std::isfinite(v)) screen = 2.2 / v;
    }
    return screen;
}

int powerOfTwoAtLeast(uint32_t n, int limit) {
    int p = 1;
    while (uint32_t(p) < n && p < limit) p *= 2;
    return p;
}

bool readFile(const char* fileName, std::vector<uint8_t>* bytes, std::string* error) {
    std::FILE* file = nullptr;
    if (!openForReading(fileName, &file, error)) return false;
    bool read = readWholeFile(file, bytes, error);
    std::fclose(file);
    return read;
}

}  // namespace

bool loadJpgTexture(uint32_t* textures, const char* fileName, int slot, std::string* error, std::string* damage) {
    if (!fileName) return true;
    std::unique_ptr<jpgImage> image = loadJpgImage(fileName, error, damage);
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

bool decodePngForTexture(const uint8_t* bytes, size_t size, int maxTextureSize, pngPixels* out, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    DecodedPicture png;
    if (!decodePngPicture(bytes, size, &png, error)) return false;

    // Gamma on the colour channels, never on alpha; skipped when it would change
    // next to nothing.
    double fileGamma = png.fileGamma > 0 ? png.fileGamma : 1 / 2.2;
    double product = fileGamma * screenGamma();
    const size_t pixelCount = size_t(png.width) * png.height;
    if (std::fabs(product - 1.0) > 0.05) {
        uint8_t table[256];
        for (int c = 0; c < 256; ++c) table[c] = uint8_t(std::lround(255.0 * std::pow(c / 255.0, 1.0 / product)));
        uint8_t* p = png.pixels.get();
        for (size_t i = 0; i < pixelCount; ++i, p += png.channels) {
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }

    // Power-of-two sides, each on its own, by nearest neighbour.
    int limit = maxTextureSize > 0 ? maxTextureSize : 1 << 30;
    int width = powerOfTwoAtLeast(png.width, limit), height = powerOfTwoAtLeast(png.height, limit);
    out->width = width;
    out->height = height;
    out->components = png.channels;
    if (uint32_t(width) == png.width && uint32_t(height) == png.height) {
        out->data = std::move(png.pixels);
        return true;
    }
    const int n = png.channels;
    out->data.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height) * size_t(n)]);
    if (!out->data) {
        *error = "out of memory";
        return false;
    }
    std::vector<uint32_t> sourceX(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        sourceX[x] = std::min(uint32_t(float(x) * float(png.width) / float(width)), png.width - 1);
    for (int y = 0; y < height; ++y) {
        uint32_t sy = std::min(uint32_t(float(y) * float(png.height) / float(height)), png.height - 1);
        const uint8_t* from = png.pixels.get() + size_t(sy) * png.width * n;
        uint8_t* to = out->data.get() + size_t(y) * width * n;
        for (int x = 0; x < width; ++x) std::memcpy(to + size_t(x) * n, from + size_t(sourceX[x]) * n, size_t(n));
    }
    return true;
}

bool readPngForTexture(const char* fileName, int maxTextureSize, pngPixels* out, std::string* error) {
    std::vector<uint8_t> bytes;
    return readFile(fileName, &bytes, error) &&
           decodePngForTexture(bytes.data(), bytes.size(), maxTextureSize, out, error);
}

uint32_t pngBind(const char* fileName, int mipmap, int, void*, int wrap, int minFilter, int magFilter,
                 std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) {
        *error = "no GL context to hold the texture";
        return 0;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);

    pngPixels picture;
    int prefetched = takePrefetched(fileName, &picture, error);
    if (prefetched == 0) return 0;
    if (prefetched < 0) {
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        if (!readPngForTexture(fileName, maxSize, &picture, error)) return 0;
    }

    TightRowAlignment tightRows;
    GLenum format = picture.components == 4 ? GL_RGBA : GL_RGB;
    if (mipmap == 0)
        glTexImage2D(GL_TEXTURE_2D, 0, picture.components, picture.width, picture.height, 0, format, GL_UNSIGNED_BYTE,
                     picture.data.get());
    else
        gluBuild2DMipmaps(GL_TEXTURE_2D, picture.components, picture.width, picture.height, format, GL_UNSIGNED_BYTE,
                          picture.data.get());
    return name;
}
