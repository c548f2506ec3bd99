#include "ebr_writer.h"

#include <cstdio>
#include <cstring>

void appendU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(char((value >> shift) & 0xff));
}

void appendI32(std::string& out, int32_t value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    appendU32(out, bits);
}

void appendF32(std::string& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    appendU32(out, bits);
}

std::string writeEbr(const std::vector<EbrMesh>& meshes) {
    std::string out;
    appendI32(out, int32_t(meshes.size()));
    for (const EbrMesh& m : meshes) {
        size_t vertices = m.positions.size() / 3;
        appendI32(out, int32_t(vertices));
        appendI32(out, int32_t(m.indices.size() / 3));
        appendU32(out, uint32_t(m.name.size()));
        out += m.name;
        for (size_t k = 0; k < vertices; ++k) {
            for (int c = 0; c < 3; ++c) appendF32(out, m.positions[3 * k + c]);
            for (int c = 0; c < 2; ++c) appendF32(out, 2 * k + c < m.uv.size() ? m.uv[2 * k + c] : 0.0f);
        }
        for (size_t f = 0; f + 2 < m.indices.size(); f += 3)
            for (int c = 0; c < 3; ++c) appendU32(out, m.indices[f + c]);
    }
    return out;
}

bool writeEbrFile(const std::string& path, const std::vector<EbrMesh>& meshes) {
    std::string bytes = writeEbr(meshes);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
