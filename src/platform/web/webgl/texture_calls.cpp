// Texture objects: WebGL's own, with what GL's completeness rule needs to know kept
// beside each (its levels and its minification filter), and GLU's mipmaps and scaling.
#include <GL/gl.h>
#include <GL/glu.h>

#include <map>
#include <vector>

#include "layer_state.h"
#include "webgl_calls.h"

namespace {
struct TextureLevels {
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;  // GL's initial value
    std::vector<std::pair<int, int>> sizes;       // per level; (0, 0) where none was given
};
std::map<GLuint, TextureLevels> textures;

bool usesMipmaps(GLenum filter) { return filter != GL_NEAREST && filter != GL_LINEAR; }

int componentsOf(GLenum format) { return format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0; }

// Rows as GL reads them from client memory: padded to the unpack alignment.
size_t rowBytes(int width, int components) {
    const size_t bytes = size_t(width) * components, align = size_t(layer.unpackAlignment);
    return (bytes + align - 1) / align * align;
}

// A copy with the padding taken out, for the arithmetic that wants packed rows.
std::vector<uint8_t> packedRows(const void* pixels, int width, int height, int components) {
    std::vector<uint8_t> packed(size_t(width) * height * components);
    const size_t from = rowBytes(width, components), to = size_t(width) * components;
    for (int y = 0; y < height; ++y)
        std::copy_n(static_cast<const uint8_t*>(pixels) + y * from, to, packed.data() + y * to);
    return packed;
}

void uploadPacked(GLint level, int internalComponents, int components, int width, int height, const uint8_t* pixels) {
    const GLint unpack = layer.unpackAlignment;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, level, internalComponents, width, height, 0, components == 4 ? GL_RGBA : GL_RGB,
                 GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
}
}  // namespace

bool textureComplete(GLuint name) {
    auto found = textures.find(name);
    if (name == 0 || found == textures.end()) return false;
    const TextureLevels& t = found->second;
    if (t.sizes.empty() || t.sizes[0].first == 0) return false;
    if (!usesMipmaps(t.minFilter)) return true;
    int width = t.sizes[0].first, height = t.sizes[0].second;
    for (size_t level = 1; width > 1 || height > 1; ++level) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        if (level >= t.sizes.size() || t.sizes[level] != std::make_pair(width, height)) return false;
    }
    return true;
}

extern "C" {

void glGenTextures(GLsizei n, GLuint* names) {
    if (!layerStarted) return;
    emscripten_glGenTextures(n, names);
    for (GLsizei i = 0; i < n; ++i) textures[names[i]] = TextureLevels();
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) return;
    layer.boundTexture = name;
    if (layerStarted) emscripten_glBindTexture(GL_TEXTURE_2D, name);
}

void glTexParameteri(GLenum target, GLenum name, GLint param) {
    if (target != GL_TEXTURE_2D || !layerStarted || layer.boundTexture == 0) return;
    if (name == GL_TEXTURE_MIN_FILTER) textures[layer.boundTexture].minFilter = GLenum(param);
    // WebGL has no border to clamp to: the edge is the nearest it has.
    if ((name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) && param == GL_CLAMP) param = GL_CLAMP_TO_EDGE;
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, param);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    if (target != GL_TEXTURE_2D || !layerStarted || layer.boundTexture == 0 || border != 0 || level < 0) return;
    const int components = internalFormat == 4 || internalFormat == GL_RGBA ? 4 : 3;
    if (type != GL_UNSIGNED_BYTE || componentsOf(format) == 0) return;
    // GL 1.1 names formats by their component count; WebGL 2 wants sized ones, and
    // takes client data in the same layout only.
    std::vector<uint8_t> converted;
    if (componentsOf(format) != components && pixels) {
        std::vector<uint8_t> packed = packedRows(pixels, width, height, componentsOf(format));
        converted.resize(size_t(width) * height * components);
        for (size_t i = 0, n = size_t(width) * height; i < n; ++i)
            for (int k = 0; k < components; ++k)
                converted[i * components + k] = k < componentsOf(format) ? packed[i * componentsOf(format) + k] : 255;
        return uploadPacked(level, components, components, width, height, converted.data());
    }
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, components == 4 ? GL_RGBA8 : GL_RGB8, width, height, 0,
                            components == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    std::vector<std::pair<int, int>>& sizes = textures[layer.boundTexture].sizes;
    if (sizes.size() <= size_t(level)) sizes.resize(size_t(level) + 1);
    sizes[size_t(level)] = {width, height};
}

GLint gluScaleImage(GLenum format, GLint widthIn, GLint heightIn, GLenum typeIn, const void* dataIn, GLint widthOut,
                    GLint heightOut, GLenum typeOut, GLvoid* dataOut) {
    const int components = componentsOf(format);
    if (components == 0 || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE)
        return 100900;                                                                    // GLU_INVALID_ENUM
    if (widthIn <= 0 || heightIn <= 0 || widthOut <= 0 || heightOut <= 0) return 100901;  // GLU_INVALID_VALUE
    // Both sides packed with the unpack and pack alignment, as GLU reads and writes them.
    std::vector<uint8_t> in = packedRows(dataIn, widthIn, heightIn, components);
    std::vector<uint8_t> out(size_t(widthOut) * heightOut * components);
    scaleImage(in.data(), widthIn, heightIn, components, out.data(), widthOut, heightOut);
    const size_t packed = size_t(widthOut) * components, align = size_t(layer.packAlignment);
    const size_t padded = (packed + align - 1) / align * align;
    for (int y = 0; y < heightOut; ++y)
        std::copy_n(out.data() + y * packed, packed, static_cast<uint8_t*>(dataOut) + y * padded);
    return 0;
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                        const void* data) {
    const int given = componentsOf(format);
    if (target != GL_TEXTURE_2D || given == 0 || type != GL_UNSIGNED_BYTE) return 100900;  // GLU_INVALID_ENUM
    if (width < 1 || height < 1 || (components != 3 && components != 4)) return 100901;    // GLU_INVALID_VALUE
    // The callers hand sides that are powers of two no larger than the GL takes, so
    // each level is the previous one halved, as GLU makes them.
    std::vector<uint8_t> level = packedRows(data, width, height, given);
    for (GLint l = 0;; ++l) {
        uploadPacked(l, components, given, width, height, level.data());
        if (width == 1 && height == 1) break;
        level = halveImage(level.data(), width, height, given);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    return 0;
}

}  // extern "C"
