// Any bytes as an EBR file: the loader must refuse or load them, and a loaded
// object must survive every mesh operation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/tegn3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tegn3d object;
    std::string why;
    if (!object.loadFromMemory(data, size, &why)) {
        if (object.meshCount != 0 || !object.meshes.empty()) __builtin_trap();
        return 0;
    }
    for (mesh& m : object.meshes) {
        if (m.positions.size() != size_t(m.vertexCount) * 3 || m.normals.size() != size_t(m.vertexCount) ||
            m.texCoords.size() != size_t(m.vertexCount) * 2 || m.indices.size() != size_t(m.faceCount) * 3)
            __builtin_trap();
        m.scale(0.15f);
        m.computeNormals();
        m.invert();
    }
    return 0;
}
