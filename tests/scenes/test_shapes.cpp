#include "test_shapes.h"

#include <cmath>

static void finish(mesh& m) {
    m.vertexCount = m.normalCount = m.texCoordCount = int32_t(m.positions.size() / 3);
    m.faceCount = int32_t(m.indices.size() / 3);
    m.normals.assign(size_t(m.vertexCount), Vec3{});
    m.texCoords.assign(2 * size_t(m.vertexCount), 0.5f);
    m.computeNormals();
}

mesh makeBoxMesh(float x, float y, float z, float hx, float hy, float hz, uint32_t texture) {
    mesh m;
    for (int i = 0; i < 8; ++i) {
        m.positions.push_back(x + (i & 1 ? hx : -hx));
        m.positions.push_back(y + (i & 2 ? hy : -hy));
        m.positions.push_back(z + (i & 4 ? hz : -hz));
    }
    // Two triangles per face, counter-clockwise seen from outside.
    m.indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                 2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    m.texture = texture;
    finish(m);
    return m;
}

std::vector<mesh> makeAxesMarker(float length, float half, uint32_t xTexture, uint32_t yTexture, uint32_t zTexture) {
    float mid = (length - half) / 2, reach = (length + half) / 2;
    return {makeBoxMesh(mid, 0, 0, reach, half, half, xTexture), makeBoxMesh(0, mid, 0, half, reach, half, yTexture),
            makeBoxMesh(0, 0, mid, half, half, reach, zTexture)};
}

mesh makeSphereMesh(int rings, int segments, float r, uint32_t texture) {
    const double pi = std::acos(-1.0);
    mesh m;
    m.positions = {0, r, 0};
    for (int ring = 1; ring < rings; ++ring) {
        double polar = pi * ring / rings;
        for (int seg = 0; seg < segments; ++seg) {
            double around = 2 * pi * seg / segments;
            m.positions.push_back(float(r * std::sin(polar) * std::cos(around)));
            m.positions.push_back(float(r * std::cos(polar)));
            m.positions.push_back(float(-r * std::sin(polar) * std::sin(around)));
        }
    }
    m.positions.insert(m.positions.end(), {0, -r, 0});
    const uint32_t south = uint32_t((rings - 1) * segments + 1);
    auto at = [segments](int ring, int seg) { return uint32_t(1 + (ring - 1) * segments + seg % segments); };
    for (int seg = 0; seg < segments; ++seg) {
        m.indices.insert(m.indices.end(), {0, at(1, seg), at(1, seg + 1)});
        for (int ring = 1; ring < rings - 1; ++ring)
            m.indices.insert(m.indices.end(), {at(ring, seg), at(ring + 1, seg), at(ring + 1, seg + 1), at(ring, seg),
                                               at(ring + 1, seg + 1), at(ring, seg + 1)});
        m.indices.insert(m.indices.end(), {at(rings - 1, seg), south, at(rings - 1, seg + 1)});
    }
    m.texture = texture;
    finish(m);
    return m;
}
