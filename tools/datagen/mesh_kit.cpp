#include "mesh_kit.h"

namespace model {

V3 perpendicular(V3 a) {
    V3 helper = std::fabs(a.z) < 0.9 ? V3{0, 0, 1} : V3{1, 0, 0};
    return unit(cross(a, helper));
}

uint32_t Builder::vertex(V3 p, double u, double v) {
    m.positions.push_back(float(p.x));
    m.positions.push_back(float(p.y));
    m.positions.push_back(float(p.z));
    m.uv.push_back(float(u));
    m.uv.push_back(float(v));
    return uint32_t(m.positions.size() / 3 - 1);
}

void Builder::tri(uint32_t a, uint32_t b, uint32_t c) {
    m.indices.push_back(a);
    m.indices.push_back(b);
    m.indices.push_back(c);
}

void Builder::quad(V3 p0, V3 p1, V3 p2, V3 p3, double u0, double v0, double u1, double v1) {
    uint32_t a = vertex(p0, u0, v0), b = vertex(p1, u1, v0), c = vertex(p2, u1, v1), d = vertex(p3, u0, v1);
    tri(a, b, c);
    tri(a, c, d);
}

void Builder::surface(int nu, int nv, const std::function<V3(double, double)>& at,
                      const std::function<std::pair<double, double>(double, double)>& uvAt, bool flip) {
    uint32_t base = uint32_t(m.positions.size() / 3);
    for (int i = 0; i <= nu; ++i)
        for (int j = 0; j <= nv; ++j) {
            double u = double(i) / nu, v = double(j) / nv;
            auto [tu, tv] = uvAt(u, v);
            vertex(at(u, v), tu, tv);
        }
    auto idx = [&](int i, int j) { return base + uint32_t(i * (nv + 1) + j); };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            uint32_t a = idx(i, j), b = idx(i + 1, j), c = idx(i + 1, j + 1), d = idx(i, j + 1);
            // Every cell splits along the same diagonal: a fixed pattern.
            if (!flip) {
                tri(a, b, c);
                tri(a, c, d);
            } else {
                tri(a, c, b);
                tri(a, d, c);
            }
        }
}

void Builder::tube(V3 a, V3 b, double ra, double rb, int sides, double uRepeat, double vRepeat) {
    V3 axis = unit(b - a), e1 = perpendicular(axis), e2 = cross(axis, e1);
    surface(
        sides, 1,
        [&](double u, double v) {
            double ang = 2 * pi * u, r = ra + (rb - ra) * v;
            return a + (b - a) * v + e1 * (r * std::cos(ang)) + e2 * (r * std::sin(ang));
        },
        // dP/du x dP/dv = tangent x axis, outward in the right-handed (e1, e2, axis).
        [&](double u, double v) { return std::make_pair(u * uRepeat, v * vRepeat); });
}

void Builder::disc(V3 c, V3 n, double r, int sides, double uvScale) {
    V3 e1 = perpendicular(n), e2 = cross(n, e1);
    uint32_t centre = vertex(c, 0.5, 0.5);
    for (int i = 0; i <= sides; ++i) {
        double ang = 2 * pi * i / sides;
        double cs = std::cos(ang), sn = std::sin(ang);
        uint32_t k = vertex(c + e1 * (r * cs) + e2 * (r * sn), 0.5 + 0.5 * cs * uvScale, 0.5 - 0.5 * sn * uvScale);
        if (i > 0) tri(centre, k - 1, k);
    }
}

void Builder::twoSided(double gap) {
    const size_t vertices = m.positions.size() / 3, triangles = m.indices.size() / 3;
    std::vector<V3> normals(vertices);
    for (size_t t = 0; t < triangles; ++t) {
        uint32_t a = m.indices[3 * t], b = m.indices[3 * t + 1], c = m.indices[3 * t + 2];
        V3 n = cross(position(b) - position(a), position(c) - position(a));
        for (uint32_t k : {a, b, c}) normals[k] = normals[k] + n;
    }
    const uint32_t base = uint32_t(vertices);
    for (size_t k = 0; k < vertices; ++k) vertex(position(k) - unit(normals[k]) * gap, m.uv[2 * k], m.uv[2 * k + 1]);
    for (size_t t = 0; t < triangles; ++t)
        tri(base + m.indices[3 * t], base + m.indices[3 * t + 2], base + m.indices[3 * t + 1]);
}

void Builder::box(V3 c, V3 ax, V3 ay, V3 az, double hx, double hy, double hz, double uvScale) {
    V3 X = ax * hx, Y = ay * hy, Z = az * hz;
    auto face = [&](V3 centre, V3 right, V3 up, double w, double h) {
        // front faces right x up
        quad(centre - right - up, centre + right - up, centre + right + up, centre - right + up, 0, 0, w * uvScale,
             h * uvScale);
    };
    face(c + Z, X, Y, hx, hy);  // +z
    face(c - Z, Y, X, hy, hx);  // -z
    face(c + X, Y, Z, hy, hz);  // +x
    face(c - X, Z, Y, hz, hy);  // -x
    face(c + Y, Z, X, hz, hx);  // +y
    face(c - Y, X, Z, hx, hz);  // -y
}

void Builder::beam(V3 a, V3 b, double r, double uvPerUnit) {
    V3 axis = b - a;
    double len = std::sqrt(dot(axis, axis));
    V3 az = unit(axis), ax = perpendicular(az), ay = cross(az, ax);
    box((a + b) * 0.5, ax, ay, az, r, r, len / 2, uvPerUnit);
}

}  // namespace model
