// What the object models are built with: a small vector type and a builder that
// collects one mesh from quads, parametric surfaces, tubes, discs, boxes and beams.
// A named namespace keeps these short names out of the way of the programs and tests
// that link the generator.
#pragma once
#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "ebr_writer.h"

namespace model {

constexpr double pi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline V3 unit(V3 a) {
    double l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0 / l) : a;
}
// Any unit vector at right angles to a.
V3 perpendicular(V3 a);

// Collects one mesh. Triangles are given counter-clockwise as seen from their front.
struct Builder {
    EbrMesh m;
    explicit Builder(const char* name) { m.name = name; }

    uint32_t vertex(V3 p, double u, double v);
    V3 position(size_t k) const { return {m.positions[3 * k], m.positions[3 * k + 1], m.positions[3 * k + 2]}; }
    void tri(uint32_t a, uint32_t b, uint32_t c);
    // p0..p3 counter-clockwise seen from the front; uv (0,0) at p0, (1,0) at p1.
    void quad(V3 p0, V3 p1, V3 p2, V3 p3, double u0 = 0, double v0 = 0, double u1 = 1, double v1 = 1);

    // A parametric surface over [0,1]^2 sampled (nu + 1) x (nv + 1) times. Its front
    // faces the side of dP/du x dP/dv, or the other side when `flip`.
    void surface(int nu, int nv, const std::function<V3(double, double)>& at,
                 const std::function<std::pair<double, double>(double, double)>& uvAt, bool flip = false);
    // A tube from a to b with radii ra, rb, `sides` around, open ends; uv wraps
    // `uRepeat` times around and runs `vRepeat` times along. Faces outwards.
    void tube(V3 a, V3 b, double ra, double rb, int sides, double uRepeat = 1, double vRepeat = 1);
    // A closed disc fan at centre c with normal n (front towards n), radius r.
    void disc(V3 c, V3 n, double r, int sides, double uvScale = 1);
    // Adds a copy of every triangle so far, facing the other way and moved `gap`
    // behind the surface along its smooth vertex normals.
    void twoSided(double gap);
    // A box with centre c, half extents along three orthonormal axes, outward faces.
    void box(V3 c, V3 ax, V3 ay, V3 az, double hx, double hy, double hz, double uvScale = 1);
    // A square beam from a to b, thickness 2r: ropes, spokes, posts.
    void beam(V3 a, V3 b, double r, double uvPerUnit = 0.05);
};

inline std::vector<EbrMesh> one(Builder& b) { return {std::move(b.m)}; }

}  // namespace model
