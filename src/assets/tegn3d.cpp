// Meshes: the EBR reader, normals and vertex-array drawing.
#include "assets/tegn3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "assets/asset_io.h"
#include "assets/data_file.h"

void Vec3::between(const Vec3& from, const Vec3& to) {
    x = to.x - from.x;
    y = to.y - from.y;
    z = to.z - from.z;
}

void Vec3::add(const Vec3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
}

Vec3 Vec3::cross(const Vec3& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }

void Vec3::normalize() {
    // The length in double: squares of tiny floats would underflow to 0 in float and
    // leave a short, non-unit normal. A zero sum stays (0, 0, 0) instead of becoming
    // NaN, which would poison the lighting of every frame.
    double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0.0) {
        x = y = z = 0.0f;
        return;
    }
    double k = 1.0 / length;
    x = float(x * k);
    y = float(y * k);
    z = float(z * k);
}

// The loops run over the counts but never past the arrays, whatever a caller did
// to either.
static size_t vertexLimit(const mesh& m) {
    size_t n = m.vertexCount > 0 ? size_t(m.vertexCount) : 0;
    n = std::min(n, m.positions.size() / 3);
    return std::min(n, m.normals.size());
}

void mesh::scale(float factor) {
    size_t n = std::min(size_t(std::max(vertexCount, 0)) * 3, positions.size());
    for (size_t i = 0; i < n; ++i) positions[i] *= factor;
}

void mesh::computeNormals() {
    Vec3* n = normals.data();
    const size_t vertices = vertexLimit(*this);
    for (size_t i = 0; i < vertices; ++i) n[i] = Vec3{};
    const float* p = positions.data();
    const size_t limit = vertices;
    const size_t faces = std::min(size_t(std::max(faceCount, 0)), indices.size() / 3);
    for (size_t f = 0; f < faces; ++f) {
        uint32_t a = indices[3 * f], b = indices[3 * f + 1], c = indices[3 * f + 2];
        // The loader refuses such faces; a scene that rewrote the indices must not
        // make us write outside the arrays.
        if (a >= limit || b >= limit || c >= limit) continue;
        Vec3 pa{p[3 * a], p[3 * a + 1], p[3 * a + 2]};
        Vec3 pb{p[3 * b], p[3 * b + 1], p[3 * b + 2]};
        Vec3 pc{p[3 * c], p[3 * c + 1], p[3 * c + 2]};
        Vec3 e1, e2;
        e1.between(pa, pb);
        e2.between(pa, pc);
        Vec3 faceNormal = e1.cross(e2);  // twice the area: big faces weigh more
        n[a].add(faceNormal);
        n[b].add(faceNormal);
        n[c].add(faceNormal);
    }
    for (size_t i = 0; i < vertices; ++i) n[i].normalize();
}

void mesh::invert() {
    size_t n = std::min(size_t(std::max(vertexCount, 0)) * 3, positions.size());
    for (size_t i = 0; i < n; ++i) positions[i] = -positions[i];
}

void mesh::setTexture(uint32_t tex) { texture = tex; }

void mesh::draw() const {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glNormalPointer(GL_FLOAT, 0, normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glDrawElements(GL_TRIANGLES, faceCount * 3, GL_UNSIGNED_INT, indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

namespace {

// Little-endian reads from a byte range that never go past its end.
struct ByteReader {
    const uint8_t* bytes;
    size_t size;
    size_t at = 0;

    size_t remaining() const { return size - at; }
    bool u32(uint32_t* out) {
        if (remaining() < 4) return false;
        const uint8_t* b = bytes + at;
        *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        at += 4;
        return true;
    }
    bool i32(int32_t* out) {
        uint32_t u;
        if (!u32(&u)) return false;
        std::memcpy(out, &u, 4);
        return true;
    }
    bool f32(float* out) {
        uint32_t u;
        if (!u32(&u)) return false;
        std::memcpy(out, &u, 4);
        return true;
    }
};

struct BlockHeader {
    int32_t vertexCount, faceCount;
    uint32_t nameLength;
};

// Reads one block's counts and checks that the whole block lies inside the bytes.
bool readBlockHeader(ByteReader& in, int32_t meshIndex, BlockHeader* h, std::string* why) {
    auto fail = [&](const std::string& what) {
        *why = "mesh " + std::to_string(meshIndex) + ": " + what;
        return false;
    };
    if (!in.i32(&h->vertexCount) || !in.i32(&h->faceCount) || !in.u32(&h->nameLength))
        return fail("the file ends inside the mesh header");
    if (h->vertexCount < 0) return fail("negative vertex count " + std::to_string(h->vertexCount));
    if (h->faceCount < 0) return fail("negative face count " + std::to_string(h->faceCount));
    // 64-bit sums: no count can wrap around and pass the test.
    uint64_t need = uint64_t(h->nameLength) + 20ull * uint64_t(h->vertexCount) + 12ull * uint64_t(h->faceCount);
    if (need > in.remaining())
        return fail(std::to_string(h->vertexCount) + " vertices, " + std::to_string(h->faceCount) + " faces and a " +
                    std::to_string(h->nameLength) + "-byte name need " + std::to_string(need) + " bytes, only " +
                    std::to_string(in.remaining()) + " remain");
    // glDrawElements takes faceCount * 3 as a GLsizei.
    if (h->faceCount > std::numeric_limits<int32_t>::max() / 3) return fail("too many faces");
    return true;
}

// First pass: walks the whole file and checks every count and index, allocating nothing.
bool validateEbr(const uint8_t* bytes, size_t size, std::string* why) {
    ByteReader in{bytes, size};
    int32_t meshCount;
    if (!in.i32(&meshCount)) {
        *why = "the file is shorter than its 4-byte mesh count";
        return false;
    }
    if (meshCount < 0) {
        *why = "negative mesh count " + std::to_string(meshCount);
        return false;
    }
    if (uint64_t(meshCount) * 12 > in.remaining()) {
        *why = "mesh count " + std::to_string(meshCount) + " cannot fit in the " + std::to_string(size) + " bytes";
        return false;
    }
    // A mesh takes far more memory than its 12 bytes of header: a file of little but
    // empty meshes would cost over ten times its size. Their records may take no more
    // than the file itself (and a megabyte), so that a loaded file stays within about
    // three times its size (its vertices take 1.6 times theirs).
    const uint64_t records = uint64_t(meshCount) * sizeof(mesh);
    if (records > size + (uint64_t(1) << 20)) {
        *why = "mesh count " + std::to_string(meshCount) + " is implausible for a file of " + std::to_string(size) +
               " bytes (their records alone would take " + std::to_string(records) + " bytes of memory)";
        return false;
    }
    for (int32_t j = 0; j < meshCount; ++j) {
        BlockHeader h;
        if (!readBlockHeader(in, j, &h, why)) return false;
        in.at += h.nameLength + 20 * size_t(h.vertexCount);
        for (int64_t k = 0; k < int64_t(h.faceCount) * 3; ++k) {
            uint32_t index = 0;
            in.u32(&index);  // inside the block: its size was checked
            if (index >= uint32_t(h.vertexCount)) {
                *why = "mesh " + std::to_string(j) + ": face " + std::to_string(k / 3) + " uses vertex " +
                       std::to_string(index) + " of only " + std::to_string(h.vertexCount);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool tegn3d::loadFromMemory(const uint8_t* bytes, size_t size, std::string* error) {
    meshes.clear();
    meshCount = 0;
    std::string why;
    if (!validateEbr(bytes, size, &why)) {
        if (error) *error = why;
        return false;
    }
    // Second pass: the bytes are known to be well formed, so no read below can fail.
    ByteReader in{bytes, size};
    int32_t count = 0;
    in.i32(&count);
    std::vector<mesh> loaded(static_cast<size_t>(count));
    for (mesh& m : loaded) {
        BlockHeader h{};
        readBlockHeader(in, 0, &h, &why);
        in.at += h.nameLength;  // the name is not kept
        m.vertexCount = m.normalCount = m.texCoordCount = h.vertexCount;
        m.faceCount = h.faceCount;
        m.positions.resize(size_t(h.vertexCount) * 3);
        m.normals.assign(size_t(h.vertexCount), Vec3{});
        m.texCoords.resize(size_t(h.vertexCount) * 2);
        m.indices.resize(size_t(h.faceCount) * 3);
        for (int32_t k = 0; k < h.vertexCount; ++k) {
            float u, v;
            in.f32(&m.positions[3 * k]);
            in.f32(&m.positions[3 * k + 1]);
            in.f32(&m.positions[3 * k + 2]);
            in.f32(&u);
            in.f32(&v);
            m.texCoords[2 * k] = 1.0f - u;
            m.texCoords[2 * k + 1] = v;
        }
        for (uint32_t& index : m.indices) in.u32(&index);
    }
    meshes.swap(loaded);
    meshCount = count;
    return true;
}

bool tegn3d::loadFromFile(const char* fileName, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    std::string why;
    std::FILE* file = openDataFile(fileName, maxDataFileBytes, &why);
    if (!file) {
        *error = std::string("Unable to open object file ") + (fileName ? fileName : "(null)") + ": " + why;
        return false;
    }
    std::vector<uint8_t> bytes;
    bool read = readWholeFile(file, &bytes, &why);
    std::fclose(file);
    if (read && loadFromMemory(bytes.data(), bytes.size(), &why)) return true;
    meshes.clear();
    meshCount = 0;
    *error = std::string("Damaged object file ") + fileName + ": " + why;
    return false;
}

void tegn3d::draw() const {
    for (int32_t i = 0; i < meshCount; ++i) {
        // A mesh without faces draws nothing, and the meshes after it set the same
        // state again: only the last one's texture and arrays are left behind.
        if (meshes[i].faceCount <= 0 && i + 1 < meshCount) continue;
        glBindTexture(GL_TEXTURE_2D, meshes[i].texture);
        meshes[i].draw();
    }
}
