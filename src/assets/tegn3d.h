// 3-D objects: a tegn3d is a list of meshes read from one EBR file.
//
// EBR (little-endian, no padding): int32 meshCount, then per mesh
//   int32 vertexCount, int32 faceCount, int32 nameLength, nameLength bytes,
//   vertexCount x {float x, y, z, u, v}, faceCount x {uint32 i0, i1, i2}.
// A vertex's (u, v) is kept as (s, t) = (1 - u, v).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    float x = 0, y = 0, z = 0;

    void between(const Vec3& from, const Vec3& to);  // this = to - from
    void add(const Vec3& v);
    Vec3 cross(const Vec3& v) const;  // this x v
    void normalize();                 // zero length stays (0, 0, 0)
};

struct mesh {
    std::vector<float> positions;   // vertexCount x (x, y, z), public and writable
    std::vector<uint32_t> indices;  // faceCount x (i0, i1, i2), each < vertexCount
    std::vector<Vec3> normals;      // normalCount = vertexCount
    std::vector<float> texCoords;   // texCoordCount = vertexCount x (s, t)
    uint32_t texture = 0;           // bound before drawing; 0 until setTexture
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t normalCount = 0;
    int32_t texCoordCount = 0;
    std::string name;  // never filled: the file's name bytes are skipped

    void scale(float factor);
    void computeNormals();  // area-weighted, in place, allocates nothing
    void invert();          // positions through the origin; normals kept
    void setTexture(uint32_t tex);
    void draw() const;  // client-side arrays, one glDrawElements
};

struct tegn3d {
    std::vector<mesh> meshes;
    int32_t meshCount = 0;
    std::string name;

    bool loadFromFile(const char* fileName, std::string* error = nullptr);
    // True on success. False, with the message for the user in *error, when the
    // file cannot be opened ("Unable to open object file <path>: <why>", also for a
    // folder, a FIFO or a device; the object keeps what it held) or is malformed ("Damaged object file <path>: <why>";
    // the object is left empty). Shows nothing: loadAssets puts it in a box captioned "tegn3d::loadFromFile".

    bool loadFromMemory(const uint8_t* bytes, size_t size, std::string* error);
    // The parser behind loadFromFile: validates every count and index before it
    // keeps anything. On failure the object is empty and *error says why.

    void draw() const;  // binds each mesh's texture, then draws it
};
