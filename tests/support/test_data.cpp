#include "test_data.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "encoders.h"
#include "runtime/assets.h"

namespace fs = std::filesystem;

const std::vector<TestPicture>& testPictures() {
    static const std::vector<TestPicture> pictures = [] {
        struct Colour {
            const uint32_t* texture;
            uint8_t r, g, b, a;
            int width, height;
        };
        const Colour colours[] = {
            {&texBlue, 40, 60, 200, 255, 32, 32},         {&texBakgrunn, 200, 120, 40, 255, 32, 32},
            {&texSkuta, 30, 160, 90, 255, 32, 32},        {&texLyn, 230, 230, 60, 255, 32, 32},
            {&texSkjerm, 250, 250, 250, 64, 16, 16},      {&texKubetex, 200, 40, 40, 255, 16, 16},
            {&texKuletex, 40, 200, 40, 255, 16, 16},      {&texKuletex2, 120, 40, 200, 255, 16, 16},
            {&texKuletex3, 200, 200, 40, 255, 16, 16},    {&texTreasureroom, 160, 100, 60, 255, 16, 16},
            {&texGulv, 100, 100, 100, 255, 16, 16},       {&texRemember, 220, 160, 200, 255, 16, 16},
            {&texGrumla2, 90, 60, 30, 255, 16, 16},       {&texVann, 20, 90, 200, 160, 16, 16},
            {&texStortflagg2, 220, 30, 120, 255, 16, 16}, {&texHjul, 130, 80, 20, 255, 16, 16},
            {&texMetall, 170, 170, 190, 255, 16, 16},     {&texRuter, 250, 250, 120, 255, 16, 16},
            {&texSflagg, 240, 100, 100, 255, 16, 16},     {&texTau, 190, 160, 110, 255, 16, 16},
            {&texTre, 110, 60, 90, 255, 16, 16},          {&texTre2, 150, 120, 20, 255, 16, 16},
            {&texTre3, 90, 140, 60, 255, 16, 16},         {&texTre4, 60, 110, 110, 255, 16, 16},
            {&texLoading, 255, 128, 0, 255, 16, 16},      {&texPirat, 80, 0, 120, 255, 16, 16},
            {&texFinish2, 0, 200, 200, 255, 16, 16},      {&texLegacyKube, 200, 0, 200, 255, 16, 16},
            {&texSkatt, 230, 180, 120, 255, 16, 16},      {&texStone, 128, 128, 160, 255, 16, 16},
            {&texGreet, 240, 200, 0, 200, 16, 16},        {&texMalstrom, 0, 80, 160, 255, 16, 16},
            {&texMalstrom2, 0, 160, 80, 255, 16, 16},     {&texTreasure, 255, 160, 0, 255, 16, 16},
            {&texCred, 160, 0, 60, 255, 16, 16},          {&texTg05, 60, 0, 255, 255, 16, 16},
        };
        std::vector<TestPicture> list;
        auto add = [&](const ManifestPicture& picture) {
            for (const Colour& c : colours)
                if (c.texture == picture.texture) {
                    list.push_back({dataPath(picture.path), c.texture, c.r, c.g, c.b, c.a, c.width, c.height});
                    return;
                }
            throw std::logic_error(std::string("no test colour for ") + picture.path);
        };
        for (const ManifestPicture& picture : jpegManifest) add(picture);
        for (const ManifestPicture& picture : pngManifest) add(picture);
        return list;
    }();
    return pictures;
}

const TestPicture* findTestPicture(const uint32_t* texture) {
    for (const TestPicture& p : testPictures())
        if (p.texture == texture) return &p;
    return nullptr;
}

// ---- shapes -------------------------------------------------------------------

namespace {

struct V3 {
    float x, y, z;
};
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 crossV(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

uint32_t addVertex(EbrMesh& m, V3 p, float u, float v) {
    m.positions.insert(m.positions.end(), {p.x, p.y, p.z});
    m.uv.insert(m.uv.end(), {u, v});
    return uint32_t(m.positions.size() / 3 - 1);
}

V3 vertexAt(const EbrMesh& m, uint32_t i) {
    return {m.positions[3 * i], m.positions[3 * i + 1], m.positions[3 * i + 2]};
}

// Adds the triangle wound so that its front faces along `outward`; zero-area
// triangles (at a sphere's poles) are left out.
void addFace(EbrMesh& m, uint32_t a, uint32_t b, uint32_t c, V3 outward) {
    V3 pa = vertexAt(m, a), n = crossV(sub(vertexAt(m, b), pa), sub(vertexAt(m, c), pa));
    if (dot(n, n) == 0) return;
    if (dot(n, outward) >= 0)
        m.indices.insert(m.indices.end(), {a, b, c});
    else
        m.indices.insert(m.indices.end(), {a, c, b});
}

V3 centroid(const EbrMesh& m, uint32_t a, uint32_t b, uint32_t c) {
    V3 pa = vertexAt(m, a), pb = vertexAt(m, b), pc = vertexAt(m, c);
    return {(pa.x + pb.x + pc.x) / 3, (pa.y + pb.y + pc.y) / 3, (pa.z + pb.z + pc.z) / 3};
}

// A (rows + 1) x (cols + 1) vertex lattice from position(i, j), two faces a cell.
template <class Position, class Outward>
EbrMesh lattice(const char* name, int rows, int cols, Position position, Outward outward) {
    EbrMesh m{name, {}, {}, {}};
    for (int i = 0; i <= rows; ++i)
        for (int j = 0; j <= cols; ++j) addVertex(m, position(i, j), float(j) / cols, float(i) / rows);
    auto at = [&](int i, int j) { return uint32_t(i * (cols + 1) + j); };
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            uint32_t a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
            addFace(m, a, b, c, outward(centroid(m, a, b, c)));
            addFace(m, a, c, d, outward(centroid(m, a, c, d)));
        }
    return m;
}

constexpr float pi = 3.14159265358979f;

}  // namespace

EbrMesh makeSphere(float radius, int rings, int segments) {
    // One vertex at each pole, so that every vertex lies on a face; the inner rings
    // repeat their first vertex at u = 1 for the texture seam.
    EbrMesh m{"sphere", {}, {}, {}};
    uint32_t top = addVertex(m, {0, radius, 0}, 0.5f, 0);
    for (int i = 1; i < rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            float theta = pi * i / rings, phi = 2 * pi * j / segments;
            addVertex(m,
                      {radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                       radius * std::sin(theta) * std::sin(phi)},
                      float(j) / segments, float(i) / rings);
        }
    uint32_t bottom = addVertex(m, {0, -radius, 0}, 0.5f, 1);
    auto at = [&](int ring, int j) { return uint32_t(1 + (ring - 1) * (segments + 1) + j); };
    for (int j = 0; j < segments; ++j) {
        addFace(m, top, at(1, j), at(1, j + 1), centroid(m, top, at(1, j), at(1, j + 1)));
        addFace(m, bottom, at(rings - 1, j), at(rings - 1, j + 1),
                centroid(m, bottom, at(rings - 1, j), at(rings - 1, j + 1)));
    }
    for (int i = 1; i + 1 < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            uint32_t a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
            addFace(m, a, b, c, centroid(m, a, b, c));
            addFace(m, a, c, d, centroid(m, a, c, d));
        }
    return m;
}

EbrMesh makeBox(float cx, float cy, float cz, float sx, float sy, float sz) {
    EbrMesh m{"box", {}, {}, {}};
    for (int axis = 0; axis < 3; ++axis)
        for (int sign = -1; sign <= 1; sign += 2) {
            float half[3] = {sx / 2, sy / 2, sz / 2};
            uint32_t first = 0;
            for (int k = 0; k < 4; ++k) {
                float p[3];
                p[axis] = sign * half[axis];
                p[(axis + 1) % 3] = (k == 1 || k == 2 ? 1 : -1) * half[(axis + 1) % 3];
                p[(axis + 2) % 3] = (k >= 2 ? 1 : -1) * half[(axis + 2) % 3];
                uint32_t index =
                    addVertex(m, {cx + p[0], cy + p[1], cz + p[2]}, k == 1 || k == 2 ? 1.f : 0.f, k >= 2 ? 1.f : 0.f);
                if (k == 0) first = index;
            }
            V3 out{0, 0, 0};
            (axis == 0 ? out.x : axis == 1 ? out.y : out.z) = float(sign);
            addFace(m, first, first + 1, first + 2, out);
            addFace(m, first, first + 2, first + 3, out);
        }
    return m;
}

EbrMesh makeGrid(float size, int cells) {
    return lattice(
        "grid", cells, cells,
        [&](int i, int j) {
            return V3{size * (float(j) / cells - 0.5f), size * (0.5f - float(i) / cells), 0};
        },
        [](V3) {
            return V3{0, 0, 1};
        });
}

EbrMesh makeTorus(float major, float minor, int rings, int sides) {
    return lattice(
        "torus", sides, rings,
        [&](int i, int j) {
            float phi = 2 * pi * j / rings, theta = 2 * pi * i / sides;
            float r = major + minor * std::cos(theta);
            return V3{r * std::cos(phi), minor * std::sin(theta), r * std::sin(phi)};
        },
        [&](V3 c) {
            float d = std::sqrt(c.x * c.x + c.z * c.z);
            return V3{c.x - major * c.x / d, c.y, c.z - major * c.z / d};
        });
}

EbrMesh makeCylinder(float radius, float length, int segments, bool inward) {
    return lattice(
        "cylinder", 4, segments,
        [&](int i, int j) {
            float phi = 2 * pi * j / segments;
            return V3{radius * std::cos(phi), length * (0.5f - i / 4.0f), radius * std::sin(phi)};
        },
        [&](V3 c) {
            return inward ? V3{-c.x, 0, -c.z} : V3{c.x, 0, c.z};
        });
}

const std::vector<TestObject>& testObjects() {
    static const std::vector<TestObject> objects = [] {
        std::vector<std::pair<const tegn3d*, std::vector<EbrMesh>>> shapes;
        shapes.push_back({&objVann, {makeGrid(400, 8)}});
        shapes.push_back({&objTorus, {makeTorus(20, 6, 16, 8)}});
        shapes.push_back({&objCube, {makeBox(0, 0, 0, 20, 20, 20)}});
        shapes.push_back({&objKule, {makeSphere(30, 8, 12)}});
        shapes.push_back({&objTunnel, {makeCylinder(20, 200, 12, true)}});
        // Boxes along the keel, one more than the ship's parts: the last gets no texture.
        std::vector<EbrMesh> ship;
        for (int i = 0; i < meshOf(ShipPart::count) + 1; ++i)
            ship.push_back(makeBox(-20 + 4.0f * i, i % 3 * 4.0f, 0, 3, 2 + i % 4, 6));
        shapes.push_back({&objSkute, ship});
        std::vector<EbrMesh> cubeFaces;
        EbrMesh cube = makeBox(0, 0, 0, 20, 20, 20);
        for (int face = 0; face < 6; ++face) {
            EbrMesh m{"face" + std::to_string(face), {}, {}, {}};
            m.positions.assign(cube.positions.begin() + 12 * face, cube.positions.begin() + 12 * face + 12);
            m.uv.assign(cube.uv.begin() + 8 * face, cube.uv.begin() + 8 * face + 8);
            for (int k = 0; k < 6; ++k) m.indices.push_back(cube.indices[6 * face + k] - 4 * face);
            cubeFaces.push_back(m);
        }
        shapes.push_back({&objKube2, cubeFaces});

        std::vector<TestObject> list;
        for (const ManifestObject& entry : objectManifest) {
            if (!firstOfItsFile(entry)) continue;
            auto shape = std::find_if(shapes.begin(), shapes.end(), [&](auto& s) { return s.first == entry.object; });
            if (shape == shapes.end()) throw std::logic_error(std::string("no test shape for ") + entry.path);
            list.push_back({dataPath(entry.path), entry.object, shape->second});
        }
        return list;
    }();
    return objects;
}

const TestObject& testObjectOf(const tegn3d& object) {
    const ManifestObject* entry = manifestEntryOf(object);
    for (const TestObject& o : testObjects())
        if (entry && o.path == dataPath(entry->path)) return o;
    throw std::logic_error("not an object of the manifest");
}

// ---- encoders -----------------------------------------------------------------

std::string encodeJpeg(int width, int height, const std::vector<uint8_t>& pixels, bool grey, int quality) {
    if (pixels.size() < size_t(width) * height * (grey ? 1 : 3)) throw std::runtime_error("encodeJpeg: too few pixels");
    std::string out = encodeJpeg(pixels.data(), width, height, quality, grey ? 1 : 3);
    if (out.empty()) throw std::runtime_error("encodeJpeg failed");
    return out;
}

namespace {

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

int channelsOf(int colorType) {
    switch (colorType) {
    case 0:
    case 3:
        return 1;
    case 4:
        return 2;
    case 2:
        return 3;
    default:
        return 4;
    }
}

}  // namespace

namespace {

// The libpng calls alone, on rows made beforehand: nothing here needs a destructor
// that a longjmp could skip.
bool writePng(const PngLayout& layout, png_bytep* rows, png_colorp palette, int paletteSize, std::string* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, pngAppend, nullptr);
    png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), layout.bitDepth, layout.colorType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (paletteSize > 0) png_set_PLTE(png, info, palette, paletteSize);
    png_color_16 transparent{};
    if (!layout.paletteAlpha.empty()) {
        png_set_tRNS(png, info, layout.paletteAlpha.data(), int(layout.paletteAlpha.size()), nullptr);
    } else if (layout.transparentColour.size() == 1) {
        transparent.gray = layout.transparentColour[0];
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    } else if (layout.transparentColour.size() == 3) {
        transparent.red = layout.transparentColour[0];
        transparent.green = layout.transparentColour[1];
        transparent.blue = layout.transparentColour[2];
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    }
    if (layout.gamma > 0) png_set_gAMA(png, info, layout.gamma);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string encodePng(const PngLayout& layout) {
    const int channels = channelsOf(layout.colorType);
    const size_t rowBytes = (size_t(layout.width) * channels * layout.bitDepth + 7) / 8;
    std::vector<uint8_t> image(rowBytes * layout.height, 0);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            for (int c = 0; c < channels; ++c) {
                size_t sampleIndex = (size_t(y) * layout.width + x) * channels + c;
                unsigned value = sampleIndex < layout.samples.size() ? layout.samples[sampleIndex] : 0;
                uint8_t* row = image.data() + y * rowBytes;
                size_t bit = (size_t(x) * channels + c) * layout.bitDepth;
                if (layout.bitDepth == 16) {
                    row[bit / 8] = uint8_t(value >> 8);
                    row[bit / 8 + 1] = uint8_t(value);
                } else if (layout.bitDepth == 8) {
                    row[bit / 8] = uint8_t(value);
                } else {  // sub-byte samples, most significant first
                    int shift = 8 - layout.bitDepth - int(bit % 8);
                    row[bit / 8] |= uint8_t((value & ((1u << layout.bitDepth) - 1)) << shift);
                }
            }
    std::vector<png_bytep> rows(layout.height);
    for (int y = 0; y < layout.height; ++y) rows[y] = image.data() + y * rowBytes;
    std::vector<png_color> palette(layout.palette.size() / 3);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {layout.palette[3 * i], layout.palette[3 * i + 1], layout.palette[3 * i + 2]};
    std::string out;
    if (!writePng(layout, rows.data(), palette.data(), int(palette.size()), &out))
        throw std::runtime_error("encodePng failed");
    return out;
}

std::string plainPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, int a) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = a == 255 ? 2 : 6;
    for (int i = 0; i < width * height; ++i) {
        layout.samples.insert(layout.samples.end(), {r, g, b});
        if (a != 255) layout.samples.push_back(uint16_t(a));
    }
    return encodePng(layout);
}

std::string plainJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b});
    return encodeJpeg(width, height, pixels);
}

bool writeTestDataSet(const std::string& dir) {
    auto write = [&](const std::string& path, const std::string& bytes) {
        fs::path target = fs::path(dir) / path;
        std::error_code ignored;
        fs::create_directories(target.parent_path(), ignored);
        std::ofstream out(target, std::ios::binary);
        out << bytes;
        return bool(out.flush());
    };
    bool ok = true;
    for (const TestPicture& p : testPictures()) {
        bool jpeg = p.path.compare(p.path.size() - 4, 4, ".jpg") == 0;
        ok &= write(p.path, jpeg ? plainJpeg(p.width, p.height, p.r, p.g, p.b)
                                 : plainPng(p.width, p.height, p.r, p.g, p.b, p.a));
    }
    for (const TestObject& o : testObjects()) ok &= write(o.path, writeEbr(o.meshes));
    return ok;
}
