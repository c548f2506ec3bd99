// The seven objects. Sizes are chosen in model units against each scene's own
// scale factors: the ship is drawn at 0.1 x 0.2 = 0.02 (so 500 units of hull make a
// 10-unit ship), the water at 0.15 x 6 = 0.9, the torus, tunnel and sphere at 0.15,
// the treasure-room cube at 0.1.
#include <algorithm>
#include <array>
#include <utility>

#include "datagen.h"
#include "mesh_kit.h"

using namespace model;

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
            V3 p = b.position(k);
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

const std::vector<NamedMeshFile>& meshFiles() {
    static const std::vector<NamedMeshFile> files = [] {
        // The generator of each object; objects that share a file share the first's.
        const std::pair<const tegn3d*, std::vector<EbrMesh> (*)()> makers[] = {
            {&objVann, waterObject},         {&objTorus, torusObject},   {&objCube, cubeObject},
            {&objKule, sphereObject},        {&objTunnel, tunnelObject}, {&objSkute, shipObject},
            {&objKube2, treasureCubeObject},
        };
        std::vector<NamedMeshFile> list;
        for (const ManifestObject& entry : objectManifest) {
            if (!firstOfItsFile(entry)) continue;
            NamedMeshFile file{entry.path, nullptr};
            for (auto [object, make] : makers)
                if (object == entry.object) file.make = make;
            list.push_back(file);
        }
        return list;
    }();
    return files;
}
