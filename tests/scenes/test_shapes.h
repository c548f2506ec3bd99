// Closed shapes for the tests and benchmarks of the 3-D scenes: they stay visible
// from any side, so a layer's placement can be checked whatever it turns.
#pragma once
#include <cstdint>
#include <vector>

#include "assets/tegn3d.h"

// An axis-aligned box centred on (x, y, z) with half-extents (hx, hy, hz): 8
// vertices, 12 triangles, normals computed.
mesh makeBoxMesh(float x, float y, float z, float hx, float hy, float hz, uint32_t texture);

// A sphere of radius r about the origin, `rings` bands from pole to pole and
// `segments` around; (rings - 1) * segments + 2 vertices, normals computed.
mesh makeSphereMesh(int rings, int segments, float r, uint32_t texture);

// The asymmetric marker: three arms from the origin along +x, +y and +z, each a box
// `length` long and 2 `half` across, one mesh per arm so each shows its own
// texture. Where each arm's tip lands shows a turn's sign, axis and order.
std::vector<mesh> makeAxesMarker(float length, float half, uint32_t xTexture, uint32_t yTexture, uint32_t zTexture);
