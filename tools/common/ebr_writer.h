// Writes EBR mesh files (the format tegn3d::loadFromFile reads; see tegn3d.h).
// Used by the data generator and by tests and benchmarks that need files of their own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct EbrMesh {
    std::string name;               // written as its bytes, no terminator
    std::vector<float> positions;   // x, y, z per vertex
    std::vector<float> uv;          // u, v per vertex, as stored in the file (s = 1 - u)
    std::vector<uint32_t> indices;  // i0, i1, i2 per triangle, counter-clockwise = front
};

std::string writeEbr(const std::vector<EbrMesh>& meshes);
// The whole file as bytes. The vertex count is positions.size() / 3 and the face
// count indices.size() / 3; a uv list shorter than the vertices is padded with 0.
// Writes what it is given: indices are not checked, so tests can make bad files.

bool writeEbrFile(const std::string& path, const std::vector<EbrMesh>& meshes);
// writeEbr to a file; false when the file cannot be written.

// Little-endian pieces, for tests that build damaged files by hand.
void appendU32(std::string& out, uint32_t value);
void appendI32(std::string& out, int32_t value);
void appendF32(std::string& out, float value);
