// PLACEHOLDER until the mesh module lands: draws whatever it holds, loads nothing.
#include "assets/tegn3d.h"

#include <GL/gl.h>

#include <cmath>

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
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) return;
    float k = 1.0f / length;
    x *= k;
    y *= k;
    z *= k;
}

void mesh::scale(float factor) {
    for (float& p : positions) p *= factor;
}
void mesh::computeNormals() {}
void mesh::invert() {
    for (float& p : positions) p = -p;
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

bool tegn3d::loadFromFile(const char*) { return false; }
bool tegn3d::loadFromMemory(const uint8_t*, size_t, std::string*) { return false; }
void tegn3d::draw() const {
    for (int32_t i = 0; i < meshCount; ++i) {
        glBindTexture(GL_TEXTURE_2D, meshes[i].texture);
        meshes[i].draw();
    }
}
