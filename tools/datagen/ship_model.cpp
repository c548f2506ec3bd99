// The ship: z up, bow at +y, keel at z = -110, waterline near z = -65 (the Ship scene
// puts the model's origin 1.3 units, 65 model units, above the water). 520 long, 130
// wide, main mast top at z = 300. A mesh for each ShipPart, in the order the manifest
// names them to give each its texture.
#include <algorithm>
#include <array>
#include <utility>

#include "datagen.h"
#include "mesh_kit.h"

using namespace model;

namespace {

// ---- the hull's lines -----------------------------------------------------------------

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

// The fore, main and mizzen masts, each with up to three yards.
struct Mast {
    double y, base, top;
    double yards[3][2];  // height, half length; a half length of 0: no yard
};
using Masts = std::array<Mast, 3>;
Masts shipMasts() {
    return {{
        {135, deckZ(tOf(135)), 262, {{70, 100}, {150, 80}, {225, 55}}},
        {0, deckZ(0.5), 300, {{80, 115}, {175, 92}, {262, 66}}},
        {-120, castleTop, 250, {{110, 70}, {185, 56}, {0, 0}}},
    }};
}

// ---- the parts, one mesh each ---------------------------------------------------------

EbrMesh hullMesh() {
    Builder hull("hull");
    // t runs along +y, s from port to starboard under the keel. dP/dt x dP/ds points
    // outwards (at the keel: +y x +x = -z). The picture runs down each side from the
    // gunwale (0) to the keel (1), so its bands follow the waterline on both sides.
    hull.surface(
        48, 28, [](double t, double s) { return hullPoint(t, s * 2 - 1); },
        [](double t, double s) { return std::make_pair(t * 9, 1 - std::fabs(2 * s - 1)); });
    // Flat transom at the stern, facing -y.
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
    // Keel and rudder: a thin fin along the bottom.
    hull.box({0, -250, -80}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 3, 14, 35, 0.05);
    return std::move(hull.m);
}

// From stern to bow between the hull's sides, a little below the gunwale.
EbrMesh deckMesh() {
    Builder deck("deck");
    deck.surface(
        40, 8,
        [](double t, double s) {
            double tt = 0.01 + 0.97 * t;
            double w = hullHalfBeam(tt) * 0.97;
            return V3{(s * 2 - 1) * w, yOf(tt), deckZ(tt)};
        },
        [](double t, double s) { return std::make_pair(s * 2, t * 8); },
        true);  // +y x +x = -z: flip so the planks face up
    return std::move(deck.m);
}

// The raised stern with the captain's cabin, and the forecastle.
EbrMesh castlesMesh() {
    Builder castles("castles");
    double y0 = -shipHalfLength + 4, y1 = castleEnd, zc0 = deckZ(0.2) - 2;
    double w = hullHalfBeam(0.1) * 0.95;
    castles.box({0, (y0 + y1) / 2, (zc0 + castleTop) / 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, w, (y1 - y0) / 2,
                (castleTop - zc0) / 2, 0.03);
    double f0 = foreStart, f1 = 228, zf0 = deckZ(0.85) - 2;
    double wf = hullHalfBeam(tOf(f1)) * 0.95;
    castles.box({0, (f0 + f1) / 2, (zf0 + foreTop) / 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, wf, (f1 - f0) / 2,
                (foreTop - zf0) / 2, 0.03);
    return std::move(castles.m);
}

// Masts, yards, bowsprit and the lookout platform.
EbrMesh sparsMesh(const Masts& masts) {
    Builder spars("masts");
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
    return std::move(spars.m);
}

// Every square sail hangs from its yard down to the next one (or the deck), bellied
// forwards by the wind from astern. v runs down the whole mast so the big emblem of
// the sail cloth spreads across each mast's sails.
void squareSails(Builder& sails, const Mast& m) {
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

// The square sails, the jib and the flag, all of the sail cloth.
EbrMesh sailsMesh(const Masts& masts) {
    Builder sails("sails");
    for (const Mast& m : masts) squareSails(sails, m);
    // The jib between the bowsprit and the fore mast.
    V3 a{0, 135, 225}, bsp{0, 380, 52}, c{0, 200, 30};
    sails.surface(
        10, 10,
        [&](double u, double v) {
            V3 top = a + (bsp - a) * u;
            V3 p = top + (c + (bsp - c) * u - top) * v;
            return p + V3{10 * std::sin(pi * u) * std::sin(pi * v), 0, 0};
        },
        [](double u, double v) { return std::make_pair(1 - u, v); });
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
    return std::move(sails.m);
}

// From below each mast's upper yards down to the hull's sides, with ratlines.
EbrMesh shroudsMesh(const Masts& masts) {
    Builder shrouds("shrouds");
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
    return std::move(shrouds.m);
}

// Fore and aft between the mast heads, to the bowsprit and the stern.
EbrMesh staysMesh() {
    Builder stays("stays");
    stays.beam({0, 140, 258}, {0, 385, 55}, 1.6);
    stays.beam({0, 5, 296}, {0, 138, 200}, 1.6);
    stays.beam({0, 2, 240}, {0, 230, 40}, 1.6);
    stays.beam({0, -115, 246}, {0, -4, 220}, 1.6);
    stays.beam({0, -118, 200}, {0, -250, castleTop + 20}, 1.6);
    stays.beam({0, 0, 300}, {0, 0, 344}, 1.0);  // flag halyard
    return std::move(stays.m);
}

// Yard lifts from mast heads to yard arms, an anchor cable, coils on deck.
EbrMesh ropesMesh(const Masts& masts) {
    Builder ropes("ropes");
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
    return std::move(ropes.m);
}

// The wheel on the sterncastle, upright across the ship, facing the bow. Its uv
// project the picture's wheel onto the geometry's wheel.
EbrMesh wheelMesh() {
    const V3 c{0, -165, castleTop + 26};
    const double R = 18;
    Builder wheel("wheel");
    // Gives a part the projected uv and appends it to the wheel.
    auto add = [&](Builder& part) {
        for (size_t i = 0; i < part.m.positions.size() / 3; ++i) {
            V3 p = part.position(i);
            part.m.uv[2 * i] = float(0.5 + (p.x - c.x) / (2 * (R + 6)));
            part.m.uv[2 * i + 1] = float(0.5 - (p.z - c.z) / (2 * (R + 6)));
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
    return std::move(wheel.m);
}

// A row across the transom and three along each side of the cabin.
EbrMesh windowsMesh() {
    Builder windows("windows");
    const double yStern = -shipHalfLength - 0.8;
    for (int k = 0; k < 5; ++k) {
        double x = -44 + k * 22;
        double z0 = castleTop - 30, z1 = castleTop - 10;
        // Facing -y: seen from behind, +x is on the right. s = 1 - u runs left to right.
        windows.quad({x - 8, yStern, z0}, {x + 8, yStern, z0}, {x + 8, yStern, z1}, {x - 8, yStern, z1}, 1, 1, 0, 0);
    }
    double w = hullHalfBeam(0.1) * 0.95 + 0.8;
    for (int k = 0; k < 3; ++k) {
        double y = -235 + k * 30, z0 = castleTop - 24, z1 = castleTop - 8;
        windows.quad({w, y - 8, z0}, {w, y + 8, z0}, {w, y + 8, z1}, {w, y - 8, z1}, 1, 1, 0, 0);
        windows.quad({-w, y + 8, z0}, {-w, y - 8, z0}, {-w, y - 8, z1}, {-w, y + 8, z1}, 1, 1, 0, 0);
    }
    return std::move(windows.m);
}

// Posts and a top rail along both gunwales and around the castle decks.
EbrMesh railsMesh() {
    Builder rails("rails");
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
    return std::move(rails.m);
}

}  // namespace

std::vector<EbrMesh> shipObject() {
    const Masts masts = shipMasts();
    // Each part at its place in the file, where the manifest gives it its texture.
    std::vector<EbrMesh> out(static_cast<size_t>(ShipPart::count));
    auto put = [&](ShipPart part, EbrMesh m) { out[size_t(meshOf(part))] = std::move(m); };
    put(ShipPart::hull, hullMesh());
    put(ShipPart::deck, deckMesh());
    put(ShipPart::shrouds, shroudsMesh(masts));
    put(ShipPart::stays, staysMesh());
    put(ShipPart::masts, sparsMesh(masts));
    put(ShipPart::castles, castlesMesh());
    put(ShipPart::ropes, ropesMesh(masts));
    put(ShipPart::wheel, wheelMesh());
    put(ShipPart::windows, windowsMesh());
    put(ShipPart::rails, railsMesh());
    put(ShipPart::sails, sailsMesh(masts));
    return out;
}
