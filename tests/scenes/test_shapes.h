// Closed shapes for the tests and benchmarks of the 3-D scenes: they stay visible
// from any side, so a layer's placement can be checked whatever it turns.
#pragma once
#include <cstdint>

#include "assets/tegn3d.h"

// An axis-aligned box centred on (x, y, z) with half-extents (hx, hy, hz): 8
// vertices, 12 triangles, normals computed.
mesh makeBoxMesh(float x, float y, float z, float hx, float hy, float hz, uint32_t texture);

// A sphere of radius r about the origin, `rings` bands from pole to pole and
// `segments` around; (rings - 1) * segments + 2 vertices, normals computed.
mesh makeSphereMesh(int rings, int segments, float r, uint32_t texture);
