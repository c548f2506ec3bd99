// The seven objects. Sizes are chosen in model units against each scene's own
// scale factors: the ship is drawn at 0.1 x 0.2 = 0.02 (so 500 units of hull make a
// 10-unit ship), the water at 0.15 x 6 = 0.9, the torus, tunnel and sphere at 0.15,
// the treasure-room cube at 0.1.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "datagen.h"

namespace {

constexpr double pi = 3.14159265358979323846;

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 unit(V3 a) {
    double l = std::sqrt(dot(a, a));
    return l > 0 ? a * (1.0 / l) : a;
}
// Any unit vector at right angles to a.
V3 perpendicular(V3 a) {
    V3 helper = std::fabs(a.z) < 0.9 ? V3{0, 0, 1} : V3{1, 0, 0};
    return unit(cross(a, helper));
}

// Collects one mesh. Triangles are given counter-clockwise as seen from their front.
struct Builder {
    EbrMesh m;
    explicit Builder(const char* name) { m.name = name; }

    uint32_t vertex(V3 p, double u, double v) {
        m.positions.push_back(float(p.x));
        m.positions.push_back(float(p.y));
        m.positions.push_back(float(p.z));
        m.uv.push_back(float(u));
        m.uv.push_back(float(v));
        return uint32_t(m.positions.size() / 3 - 1);
    }
    void tri(uint32_t a, uint32_t b, uint32_t c) {
        m.indices.push_back(a);
        m.indices.push_back(b);
        m.indices.push_back(c);
    }
    // p0..p3 counter-clockwise seen from the front; uv (0,0) at p0, (1,0) at p1.
    void quad(V3 p0, V3 p1, V3 p2, V3 p3, double u0 = 0, double v0 = 0, double u1 = 1, double v1 = 1) {
        uint32_t a = vertex(p0, u0, v0), b = vertex(p1, u1, v0), c = vertex(p2, u1, v1), d = vertex(p3, u0, v1);
        tri(a, b, c);
        tri(a, c, d);
    }

    // A parametric surface over [0,1]^2 sampled (nu + 1) x (nv + 1) times. Its front
    // faces the side of dP/du x dP/dv, or the other side when `flip`.
    void surface(int nu, int nv, const std::function<V3(double, double)>& at,
                 const std::function<std::pair<double, double>(double, double)>& uvAt, bool flip = false) {
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
                // Split along the shorter diagonal's stable choice: a fixed pattern.
                if (!flip) {
                    tri(a, b, c);
                    tri(a, c, d);
                } else {
                    tri(a, c, b);
                    tri(a, d, c);
                }
            }
    }

    // A tube from a to b with radii ra, rb, `sides` around, open ends; uv wraps
    // `uRepeat` times around and runs `vRepeat` times along. Faces outwards.
    void tube(V3 a, V3 b, double ra, double rb, int sides, double uRepeat = 1, double vRepeat = 1) {
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

    // A closed disc fan at centre c with normal n (front towards n), radius r.
    void disc(V3 c, V3 n, double r, int sides, double uvScale = 1) {
        V3 e1 = perpendicular(n), e2 = cross(n, e1);
        uint32_t centre = vertex(c, 0.5, 0.5);
        uint32_t first = 0;
        for (int i = 0; i <= sides; ++i) {
            double ang = 2 * pi * i / sides;
            double cs = std::cos(ang), sn = std::sin(ang);
            uint32_t k = vertex(c + e1 * (r * cs) + e2 * (r * sn), 0.5 + 0.5 * cs * uvScale, 0.5 - 0.5 * sn * uvScale);
            if (i == 0)
                first = k;
            else
                tri(centre, k - 1, k);
        }
        (void)first;
    }

    // Adds a copy of every triangle so far, facing the other way and moved `gap`
    // behind the surface along its smooth vertex normals.
    void twoSided(double gap) {
        const size_t vertices = m.positions.size() / 3, triangles = m.indices.size() / 3;
        std::vector<V3> normals(vertices);
        auto at = [&](size_t k) { return V3{m.positions[3 * k], m.positions[3 * k + 1], m.positions[3 * k + 2]}; };
        for (size_t t = 0; t < triangles; ++t) {
            uint32_t a = m.indices[3 * t], b = m.indices[3 * t + 1], c = m.indices[3 * t + 2];
            V3 n = cross(at(b) - at(a), at(c) - at(a));
            for (uint32_t k : {a, b, c}) normals[k] = normals[k] + n;
        }
        const uint32_t base = uint32_t(vertices);
        for (size_t k = 0; k < vertices; ++k) vertex(at(k) - unit(normals[k]) * gap, m.uv[2 * k], m.uv[2 * k + 1]);
        for (size_t t = 0; t < triangles; ++t)
            tri(base + m.indices[3 * t], base + m.indices[3 * t + 2], base + m.indices[3 * t + 1]);
    }

    // A box with centre c, half extents along three orthonormal axes, outward faces.
    void box(V3 c, V3 ax, V3 ay, V3 az, double hx, double hy, double hz, double uvScale = 1) {
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

    // A square beam from a to b, thickness 2r: ropes, spokes, posts.
    void beam(V3 a, V3 b, double r, double uvPerUnit = 0.05) {
        V3 axis = b - a;
        double len = std::sqrt(dot(axis, axis));
        V3 az = unit(axis), ax = perpendicular(az), ay = cross(az, ax);
        box((a + b) * 0.5, ax, ay, az, r, r, len / 2, uvPerUnit);
    }
};

std::vector<EbrMesh> one(Builder& b) { return {std::move(b.m)}; }

}  // namespace

// ---- water -------------------------------------------------------------------------
// The Ship scene turns the water 75 degrees about x, which sends model -z to the sky,
// towards light 0 and towards every camera of the scene: that is the lit, visible side.
std::vector<EbrMesh> waterObject() {
    Builder b("water");
    const double half = 110.0;  // x 0.9 in the scene: about 100 units each way, beyond the fog
    b.surface(
        64, 64,
        [&](double u, double v) {
            double x = (u * 2 - 1) * half, y = (v * 2 - 1) * half;
            double swell = 0.35 * std::sin(x * 0.21 + y * 0.05) + 0.25 * std::sin(y * 0.33 - x * 0.11) +
                           0.12 * std::sin((x + y) * 0.57);
            return V3{x, y, -swell};
        },
        [&](double u, double v) { return std::make_pair(u * 12, v * 12); },
        // dP/du x dP/dv = x x y = +z; the front must face -z.
        true);
    return one(b);
}

// ---- torus ---------------------------------------------------------------------------
// The Torus scene turns the mesh 90 degrees about x and spins it about the vertical.
// Its axis lies between model y and z, so after the quarter turn the ring leans 35
// degrees off the vertical and never shows itself exactly edge-on while it spins.
std::vector<EbrMesh> torusObject() {
    Builder b("torus");
    const double ringRadius = 80, tubeRadius = 30;  // x 0.15: 12 and 4.5 units
    const double tilt = 35 * pi / 180;
    V3 axis{0, std::cos(tilt), std::sin(tilt)};
    V3 e1{1, 0, 0}, e2 = cross(axis, e1);  // (e1, e2, axis) right-handed
    b.surface(
        96, 40,
        [&](double u, double v) {
            double a = 2 * pi * u, t = 2 * pi * v;
            V3 radial = e1 * std::cos(a) + e2 * std::sin(a);
            return radial * (ringRadius + tubeRadius * std::cos(t)) + axis * (tubeRadius * std::sin(t));
        },
        [&](double u, double v) { return std::make_pair(u * 8, v * 2); });
    // dP/du runs along the ring and dP/dv around the tube: with (e1, e2, axis)
    // right-handed their cross product points away from the tube's core.

    // The scene draws the torus without a depth test, painting triangles in index
    // order: the wall around the hole goes first and the outer rim last, so the
    // outside, which shows at most angles, is painted over the inside.
    std::vector<std::array<uint32_t, 3>> tris;
    for (size_t i = 0; i < b.m.indices.size(); i += 3)
        tris.push_back({b.m.indices[i], b.m.indices[i + 1], b.m.indices[i + 2]});
    auto reach = [&](const std::array<uint32_t, 3>& t) {
        double sum = 0;
        for (uint32_t k : t) {
            V3 p{b.m.positions[3 * k], b.m.positions[3 * k + 1], b.m.positions[3 * k + 2]};
            V3 offAxis = p - axis * dot(p, axis);
            sum += std::sqrt(dot(offAxis, offAxis));
        }
        return sum;
    };
    std::stable_sort(tris.begin(), tris.end(), [&](const auto& x, const auto& y) { return reach(x) < reach(y); });
    b.m.indices.clear();
    for (const auto& t : tris) b.m.indices.insert(b.m.indices.end(), t.begin(), t.end());
    return one(b);
}

// ---- cube.ebr ----------------------------------------------------------------------
std::vector<EbrMesh> cubeObject() {
    Builder b("cube");
    b.box({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 10, 10, 10, 0.1);
    return one(b);
}

// ---- sphere ------------------------------------------------------------------------
// x 0.15 makes radius 5, which the treasure room's sine passes stretch up to four-fold
// at 115 units from the eye. 64 x 48 bands give smooth blobs; the poles are fans of
// real triangles so every vertex gets a finite normal.
std::vector<EbrMesh> sphereObject() {
    Builder b("sphere");
    const double r = 33.0;
    const int seg = 64, rings = 48;
    auto at = [&](int i, int j) {  // j = 0 north pole .. rings south pole
        double th = pi * j / rings, ph = 2 * pi * i / seg;
        return V3{r * std::sin(th) * std::cos(ph), r * std::sin(th) * std::sin(ph), r * std::cos(th)};
    };
    // Rows 1 .. rings-1 as a grid, poles as one vertex per segment.
    std::vector<std::vector<uint32_t>> row(rings + 1);
    for (int j = 1; j < rings; ++j)
        for (int i = 0; i <= seg; ++i) row[j].push_back(b.vertex(at(i, j), double(i) / seg, double(j) / rings));
    for (int i = 0; i < seg; ++i) {
        row[0].push_back(b.vertex({0, 0, r}, (i + 0.5) / seg, 0));
        row[rings].push_back(b.vertex({0, 0, -r}, (i + 0.5) / seg, 1));
    }
    // Outward: seen from outside, increasing i runs counter-clockwise around +z, and
    // increasing j runs downwards.
    for (int i = 0; i < seg; ++i) {
        b.tri(row[0][i], row[1][i], row[1][i + 1]);
        b.tri(row[rings][i], row[rings - 1][i + 1], row[rings - 1][i]);
    }
    for (int j = 1; j < rings - 1; ++j)
        for (int i = 0; i < seg; ++i) {
            uint32_t a = row[j][i], c = row[j][i + 1], d = row[j + 1][i], e = row[j + 1][i + 1];
            b.tri(a, d, e);
            b.tri(a, e, c);
        }
    return one(b);
}

// ---- tunnel ----------------------------------------------------------------------
// The Tunnel scene lays model y along the line of sight with the eye 2 units (13.3
// model units) behind the origin, so the tube starts behind the eye and runs far
// ahead. Faces and normals point to the axis: the camera sees the inside.
std::vector<EbrMesh> tunnelObject() {
    Builder b("tunnel");
    const double y0 = -60, y1 = 1500;
    b.surface(
        96, 40,
        [&](double u, double v) {
            double y = y0 + (y1 - y0) * u, a = 2 * pi * v;
            double r = 26 + 4 * std::sin(y * 0.013) + 1.5 * std::sin(3 * a + y * 0.02);
            return V3{r * std::cos(a), y, r * std::sin(a)};
        },
        [&](double u, double v) { return std::make_pair(u * (y1 - y0) / 60.0, v * 3); },
        // dP/du = +y, dP/dv = around: y x tangent points out of the tube; flip.
        true);
    return one(b);
}

// ---- treasure-room cube --------------------------------------------------------------
// x 0.1: a 2.6-unit cube 4 units in front of the eye and 2 up, so its underside and the
// lower part of its near face fill the top of the view as it spins. The scene's
// quarter turn about x sends model -z up the screen, so the side pictures stand on
// model +z.
std::vector<EbrMesh> treasureCubeObject() {
    std::vector<EbrMesh> faces;
    const double h = 13;
    struct F {
        const char* name;
        V3 n, right, up;
    };
    const F list[6] = {
        {"front", {0, -1, 0}, {-1, 0, 0}, {0, 0, -1}}, {"back", {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {"left", {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},   {"right", {1, 0, 0}, {0, -1, 0}, {0, 0, -1}},
        {"top", {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},      {"bottom", {0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
    };
    for (const F& f : list) {
        Builder b(f.name);
        V3 c = f.n * h, r = f.right * h, u = f.up * h;
        // uv v = 0 at the top edge so the picture stands upright on the sides.
        b.quad(c - r - u, c + r - u, c + r + u, c - r + u, 1, 1, 0, 0);
        faces.push_back(std::move(b.m));
    }
    return faces;
}

// ---- the ship ----------------------------------------------------------------------
// z up, bow at +y, keel at z = -110, waterline near z = -65 (the Ship scene puts the
// model's origin 1.3 units, 65 model units, above the water). 520 long, 130 wide,
// main mast top at z = 300.
namespace {

constexpr double shipHalfLength = 260;

double hullHalfBeam(double t) {  // t = 0 stern .. 1 bow
    if (t <= 0.45) return 65 * (0.8 + 0.2 * t / 0.45);
    double k = (t - 0.45) / 0.55;
    return 65 * (1 - k * k);
}
double keelZ(double t) {
    double k = t > 0.75 ? (t - 0.75) / 0.25 : 0;
    return -110 + 70 * k * k;
}
double gunwaleZ(double t) {
    double s = 2 * t - 1;
    return -12 + 28 * s * s;
}
double deckZ(double t) { return gunwaleZ(t) - 14; }
double tOf(double y) { return (y + shipHalfLength) / (2 * shipHalfLength); }
double yOf(double t) { return -shipHalfLength + 2 * shipHalfLength * t; }

// Hull cross-section: s in [-1, 1] from port gunwale through the keel to starboard.
V3 hullPoint(double t, double s) {
    double phi = s * pi / 2, w = hullHalfBeam(t), top = gunwaleZ(t), bottom = keelZ(t);
    double c = std::cos(phi);
    return {w * std::sin(phi), yOf(t), top - (top - bottom) * std::pow(std::max(c, 0.0), 1.6)};
}

const double castleTop = 40;    // the sterncastle's deck
const double castleEnd = -150;  // its front wall
const double foreStart = 170, foreTop = 32;

}  // namespace

std::vector<EbrMesh> shipObject() {
    Builder hull("hull"), deck("deck"), shrouds("shrouds"), stays("stays"), spars("masts"), castles("castles"),
        ropes("ropes"), wheel("wheel"), windows("windows"), rails("rails"), sails("sails");

    // Hull: t runs along +y, s from port to starboard under the keel. dP/dt x dP/ds
    // points outwards (at the keel: +y x +x = -z).
    hull.surface(
        48, 28, [](double t, double s) { return hullPoint(t, s * 2 - 1); },
        [](double t, double s) { return std::make_pair(t * 9, s * 3); });
    // Flat transom at the stern, facing -y.
    {
        const int n = 28;
        uint32_t centre = hull.vertex({0, -shipHalfLength, (gunwaleZ(0) + keelZ(0)) / 2}, 0.5, 0.5);
        uint32_t prev = 0;
        for (int i = 0; i <= n; ++i) {
            V3 p = hullPoint(0, double(i) / n * 2 - 1);
            uint32_t k = hull.vertex(p, 0.5 + p.x / 140, 0.5 - p.z / 140);
            // Seen from behind (-y), +x is on the right: port, keel, starboard runs
            // counter-clockwise.
            if (i > 0) hull.tri(centre, prev, k);
            prev = k;
        }
    }
    // Keel and rudder: a thin fin along the bottom.
    hull.box({0, -250, -80}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 3, 14, 35, 0.05);

    // Deck: from stern to bow between the hull's sides, a little below the gunwale.
    deck.surface(
        40, 8,
        [](double t, double s) {
            double tt = 0.01 + 0.97 * t;
            double w = hullHalfBeam(tt) * 0.97;
            return V3{(s * 2 - 1) * w, yOf(tt), deckZ(tt)};
        },
        [](double t, double s) { return std::make_pair(s * 2, t * 8); },
        true);  // +y x +x = -z: flip so the planks face up

    // Castles: the raised stern with the captain's cabin, and the forecastle.
    {
        double y0 = -shipHalfLength + 4, y1 = castleEnd, zc0 = deckZ(0.2) - 2;
        double w = hullHalfBeam(0.1) * 0.95;
        castles.box({0, (y0 + y1) / 2, (zc0 + castleTop) / 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, w, (y1 - y0) / 2,
                    (castleTop - zc0) / 2, 0.03);
        double f0 = foreStart, f1 = 228, zf0 = deckZ(0.85) - 2;
        double wf = hullHalfBeam(tOf(f1)) * 0.95;
        castles.box({0, (f0 + f1) / 2, (zf0 + foreTop) / 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, wf, (f1 - f0) / 2,
                    (foreTop - zf0) / 2, 0.03);
    }

    // Masts, yards, bowsprit and the lookout platform.
    struct Mast {
        double y, base, top;
        double yards[3][2];  // height, half length
    };
    const Mast masts[3] = {
        {135, deckZ(tOf(135)), 262, {{70, 100}, {150, 80}, {225, 55}}},
        {0, deckZ(0.5), 300, {{80, 115}, {175, 92}, {262, 66}}},
        {-120, castleTop, 250, {{110, 70}, {185, 56}, {0, 0}}},
    };
    for (const Mast& m : masts) {
        spars.tube({0, m.y, m.base - 5}, {0, m.y, m.top}, 6, 3.2, 12, 1, 6);
        for (auto& yd : m.yards) {
            if (yd[1] == 0) continue;
            spars.tube({-yd[1], m.y + 6, yd[0]}, {yd[1], m.y + 6, yd[0]}, 3, 3, 8, 1, 4);
        }
    }
    spars.tube({0, 225, 0}, {0, 390, 55}, 6, 3, 10, 1, 4);     // bowsprit
    spars.tube({0, 0, 205}, {0, 0, 213}, 24, 24, 20, 2, 0.2);  // lookout platform wall
    spars.disc({0, 0, 205}, {0, 0, -1}, 24, 20);
    spars.disc({0, 0, 213}, {0, 0, 1}, 24, 20);

    // Sails: every square sail hangs from its yard down to the next one (or the deck),
    // bellied forwards by the wind from astern. v runs down the whole mast so the big
    // emblem of the sail cloth spreads across each mast's sails.
    for (const Mast& m : masts) {
        double topZ = 0, botZ = 0;
        int count = 0;
        for (auto& yd : m.yards)
            if (yd[1] > 0) count++;
        topZ = m.yards[count - 1][0];
        botZ = m.yards[0][0] - (m.y == 0 || m.y == 135 ? 70 : 45);
        for (int k = 0; k < count; ++k) {
            double zTop = m.yards[k][0], halfTop = m.yards[k][1] * 0.95;
            double zBot = k == 0 ? botZ : m.yards[k - 1][0] + 4;
            double halfBot = k == 0 ? halfTop * 1.05 : m.yards[k - 1][1] * 0.95;
            if (k > 0) zTop = m.yards[k][0];
            sails.surface(
                16, 10,
                [&](double u, double v) {
                    double z = zTop - (zTop - zBot) * v, half = halfTop + (halfBot - halfTop) * v;
                    double x = (u * 2 - 1) * half, bulge = 22 * (1 - (2 * u - 1) * (2 * u - 1)) * std::sin(pi * v);
                    return V3{x, m.y + 9 + bulge, z};
                },
                [&](double u, double v) {
                    double z = zTop - (zTop - zBot) * v;
                    return std::make_pair(1 - u, (topZ - z) / (topZ - botZ));
                });
        }
    }
    // The jib between the bowsprit and the fore mast.
    {
        V3 a{0, 135, 225}, bsp{0, 380, 52}, c{0, 200, 30};
        sails.surface(
            10, 10,
            [&](double u, double v) {
                V3 top = a + (bsp - a) * u;
                V3 p = top + (c + (bsp - c) * u - top) * v;
                return p + V3{10 * std::sin(pi * u) * std::sin(pi * v), 0, 0};
            },
            [](double u, double v) { return std::make_pair(1 - u, v); });
    }
    // The flag at the main mast's top, streaming aft.
    sails.surface(
        12, 6,
        [](double u, double v) {
            double y = -2 - 80 * u, z = 342 - 48 * v;
            return V3{6 * std::sin(u * 5.0) * u, y, z};
        },
        [](double u, double v) { return std::make_pair(u, v); });

    // Lighting is one-sided: the back of a sail would be shaded with its front's
    // normal and go dark whenever the light is behind it. A second skin, a hair behind
    // and facing the other way, wins the depth test from that side instead.
    sails.twoSided(1.2);

    // Shrouds: from below each mast's upper yards down to the hull's sides.
    for (const Mast& m : masts) {
        double topZ = m.yards[1][0] - 8;
        double baseZ = m.y == -120 ? castleTop : gunwaleZ(tOf(m.y));
        double w = m.y == -120 ? hullHalfBeam(0.1) * 0.95 : hullHalfBeam(tOf(m.y));
        for (int side = -1; side <= 1; side += 2)
            for (int k = -2; k <= 1; ++k) {
                V3 top{side * 5.0, m.y + 2, topZ};
                V3 bottom{side * (w + 2), m.y + k * 14.0 + 7, baseZ};
                shrouds.beam(top, bottom, 1.4);
            }
        // Ratlines: rungs between the middle shrouds.
        for (int side = -1; side <= 1; side += 2)
            for (int r = 1; r < 8; ++r) {
                double f = r / 8.0;
                V3 top{side * 5.0, m.y + 2, topZ};
                V3 b0{side * (w + 2), m.y - 21, baseZ}, b1{side * (w + 2), m.y + 21, baseZ};
                shrouds.beam(b0 + (top - b0) * f, b1 + (top - b1) * f, 0.9);
            }
    }

    // Stays: fore and aft between the mast heads, to the bowsprit and the stern.
    stays.beam({0, 140, 258}, {0, 385, 55}, 1.6);
    stays.beam({0, 5, 296}, {0, 138, 200}, 1.6);
    stays.beam({0, 2, 240}, {0, 230, 40}, 1.6);
    stays.beam({0, -115, 246}, {0, -4, 220}, 1.6);
    stays.beam({0, -118, 200}, {0, -250, castleTop + 20}, 1.6);
    stays.beam({0, 0, 300}, {0, 0, 344}, 1.0);  // flag halyard

    // Ropes: yard lifts from mast heads to yard arms, an anchor cable, coils on deck.
    for (const Mast& m : masts)
        for (auto& yd : m.yards) {
            if (yd[1] == 0) continue;
            for (int side = -1; side <= 1; side += 2)
                ropes.beam({0, m.y + 3, std::min(m.top - 4, yd[0] + 50)}, {side * yd[1] * 0.97, m.y + 6, yd[0]}, 1.0);
        }
    ropes.beam({hullHalfBeam(0.9) * 0.7, 232, gunwaleZ(0.92)}, {55, 255, -75}, 2.2);
    for (double cy : {60.0, -60.0})
        for (int side = -1; side <= 1; side += 2) {
            V3 c{side * 38.0, cy, deckZ(tOf(cy)) + 1};
            for (int turn = 0; turn < 3; ++turn)
                ropes.tube(c + V3{0, 0, turn * 3.5}, c + V3{0, 0, turn * 3.5 + 3.5}, 12 - turn * 2.5, 12 - turn * 2.5,
                           14, 3, 0.3);
        }

    // The wheel on the sterncastle, upright across the ship, facing the bow. uv
    // project the picture's wheel onto the geometry's wheel.
    {
        const V3 c{0, -165, castleTop + 26};
        const double R = 18;
        auto uvOf = [&](V3 p) {
            return std::make_pair(0.5 + (p.x - c.x) / (2 * (R + 6)), 0.5 - (p.z - c.z) / (2 * (R + 6)));
        };
        auto add = [&](Builder& part) {
            for (size_t i = 0; i < part.m.positions.size() / 3; ++i) {
                V3 p{part.m.positions[3 * i], part.m.positions[3 * i + 1], part.m.positions[3 * i + 2]};
                auto [u, v] = uvOf(p);
                part.m.uv[2 * i] = float(u);
                part.m.uv[2 * i + 1] = float(v);
            }
            uint32_t base = uint32_t(wheel.m.positions.size() / 3);
            wheel.m.positions.insert(wheel.m.positions.end(), part.m.positions.begin(), part.m.positions.end());
            wheel.m.uv.insert(wheel.m.uv.end(), part.m.uv.begin(), part.m.uv.end());
            for (uint32_t k : part.m.indices) wheel.m.indices.push_back(base + k);
        };
        Builder rim("rim");
        rim.surface(
            40, 8,
            [&](double u, double v) {
                double a = 2 * pi * u, t = 2 * pi * v;
                double rr = R + 2.2 * std::cos(t);
                return V3{c.x + rr * std::cos(a), c.y + 2.2 * std::sin(t), c.z + rr * std::sin(a)};
            },
            [](double, double) { return std::make_pair(0.0, 0.0); }, true);
        add(rim);
        Builder spokes("spokes");
        for (int k = 0; k < 8; ++k) {
            double a = 2 * pi * k / 8;
            V3 dir{std::cos(a), 0, std::sin(a)};
            spokes.beam(c + dir * 3, c + dir * (R + 6), 1.3);
        }
        spokes.tube(c + V3{0, -5, 0}, c + V3{0, 5, 0}, 4, 4, 12);
        spokes.beam(c + V3{0, 3, 0}, c + V3{0, 3, -(castleTop + 26 - castleTop)}, 2.5);  // the post
        add(spokes);
    }

    // Windows: a row across the transom and three along each side of the cabin.
    {
        const double yStern = -shipHalfLength - 0.8;
        for (int k = 0; k < 5; ++k) {
            double x = -44 + k * 22;
            double z0 = castleTop - 30, z1 = castleTop - 10;
            // Facing -y: seen from behind, +x is on the right. s = 1 - u runs left to right.
            windows.quad({x - 8, yStern, z0}, {x + 8, yStern, z0}, {x + 8, yStern, z1}, {x - 8, yStern, z1}, 1, 1, 0,
                         0);
        }
        double w = hullHalfBeam(0.1) * 0.95 + 0.8;
        for (int k = 0; k < 3; ++k) {
            double y = -235 + k * 30, z0 = castleTop - 24, z1 = castleTop - 8;
            windows.quad({w, y - 8, z0}, {w, y + 8, z0}, {w, y + 8, z1}, {w, y - 8, z1}, 1, 1, 0, 0);
            windows.quad({-w, y + 8, z0}, {-w, y - 8, z0}, {-w, y - 8, z1}, {-w, y + 8, z1}, 1, 1, 0, 0);
        }
    }

    // Rails: posts and a top rail along both gunwales and around the castle decks.
    {
        auto railLine = [&](const std::function<V3(double)>& at, int posts) {
            for (int i = 0; i <= posts; ++i) {
                V3 p = at(double(i) / posts);
                rails.beam(p, p + V3{0, 0, 12}, 1.6);
            }
            for (int i = 0; i < posts; ++i)
                rails.beam(at(double(i) / posts) + V3{0, 0, 12}, at(double(i + 1) / posts) + V3{0, 0, 12}, 1.8);
        };
        for (int side = -1; side <= 1; side += 2) {
            railLine(
                [&](double f) {
                    double t = 0.32 + 0.4 * f;
                    return V3{side * hullHalfBeam(t) * 0.98, yOf(t), gunwaleZ(t)};
                },
                14);
            double w = hullHalfBeam(0.1) * 0.93;
            railLine(
                [&](double f) {
                    return V3{side * w, -shipHalfLength + 6 + f * (castleEnd - (-shipHalfLength + 6)), castleTop};
                },
                6);
            double wf = hullHalfBeam(tOf(228)) * 0.93;
            railLine([&](double f) { return V3{side * wf, foreStart + f * 56, foreTop}; }, 3);
        }
        railLine(
            [&](double f) {
                double w = hullHalfBeam(0.1) * 0.93;
                return V3{-w + 2 * w * f, castleEnd, castleTop};
            },
            6);
    }

    std::vector<EbrMesh> out;
    for (Builder* b : {&hull, &deck, &shrouds, &stays, &spars, &castles, &ropes, &wheel, &windows, &rails, &sails})
        out.push_back(std::move(b->m));
    return out;
}

const std::vector<NamedMeshFile>& meshFiles() {
    static const std::vector<NamedMeshFile> files = {
        {"objects/vann.ebr", waterObject},         {"objects/torus.ebr", torusObject},
        {"objects/cube.ebr", cubeObject},          {"objects/kule.ebr", sphereObject},
        {"objects/tunnel.ebr", tunnelObject},      {"objects/skute2.ebr", shipObject},
        {"objects/kube2.ebr", treasureCubeObject},
    };
    return files;
}
