// The generated data set: complete, loadable by the demo's own loaders, framed for
// the scenes that draw it, a soundtrack that follows the timeline, and the same
// bytes on every run. The set is generated once per test binary.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

#include "assets/tegn3d.h"
#include "assets/textures.h"
#include "datagen.h"
#include "gl_test.h"
#include "paint_kit.h"
#include "runtime/assets.h"
#include "runtime/timeline_table.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

// fontconfig keeps its configuration for the whole process; under LeakSanitizer that
// one-time allocation is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One generated data set shared by every test of the binary: the one the CTest
// setup test wrote, or a fresh one in a scratch folder.
const std::string& dataDir() {
    static ScratchDir scratch;
    static const std::string dir = [] {
        if (const char* given = std::getenv("VORREND_DATAGEN_DIR")) return std::string(given);
        std::string error;
        EXPECT_TRUE(generateDataSet(scratch.file("data"), 2, &error)) << error;
        return scratch.file("data");
    }();
    return dir;
}
std::string dataFile(const std::string& relative) { return dataDir() + "/" + relative; }

// Loads the file of one of the demo's objects and scales every mesh by the
// manifest's factor, with normals, as the asset loader does.
tegn3d loadObject(const tegn3d& demoObject) {
    const ManifestObject& entry = *manifestEntryOf(demoObject);
    tegn3d object;
    EXPECT_TRUE(object.loadFromFile(dataFile(entry.path).c_str())) << entry.path;
    for (mesh& m : object.meshes) {
        m.scale(entry.scale);
        m.computeNormals();
    }
    return object;
}

// The file of the picture the demo loads into that texture global.
std::string pictureOf(const uint32_t& texture) {
    for (const ManifestPicture& picture : jpegManifest)
        if (picture.texture == &texture) return picture.path;
    for (const ManifestPicture& picture : pngManifest)
        if (picture.texture == &texture) return picture.path;
    ADD_FAILURE() << "no picture for that texture";
    return "";
}

// ---- a little fixed-function matrix maths, as OpenGL composes it -----------------
struct Mat {
    std::array<double, 16> m{};  // column-major
    static Mat identity() {
        Mat r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
        return r;
    }
    Mat operator*(const Mat& b) const {
        Mat r;
        for (int c = 0; c < 4; ++c)
            for (int row = 0; row < 4; ++row) {
                double s = 0;
                for (int k = 0; k < 4; ++k) s += m[k * 4 + row] * b.m[c * 4 + k];
                r.m[c * 4 + row] = s;
            }
        return r;
    }
    std::array<double, 4> apply(double x, double y, double z, double w = 1) const {
        std::array<double, 4> out{};
        for (int row = 0; row < 4; ++row) out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
        return out;
    }
};
Mat translate(double x, double y, double z) {
    Mat r = Mat::identity();
    r.m[12] = x, r.m[13] = y, r.m[14] = z;
    return r;
}
Mat scaleBy(double x, double y, double z) {
    Mat r = Mat::identity();
    r.m[0] = x, r.m[5] = y, r.m[10] = z;
    return r;
}
Mat rotate(double degrees, double x, double y, double z) {
    double l = std::sqrt(x * x + y * y + z * z);
    x /= l, y /= l, z /= l;
    double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat r = Mat::identity();
    r.m[0] = t * x * x + c, r.m[4] = t * x * y - s * z, r.m[8] = t * x * z + s * y;
    r.m[1] = t * x * y + s * z, r.m[5] = t * y * y + c, r.m[9] = t * y * z - s * x;
    r.m[2] = t * x * z - s * y, r.m[6] = t * y * z + s * x, r.m[10] = t * z * z + c;
    return r;
}
// gluLookAt(0, 0, -d, 0, 0, 0, 0, 1, 0): a half turn about y, then the eye moved back.
Mat lookAlongZ(double d) { return translate(0, 0, -d) * rotate(180, 0, 1, 0); }
// Fraction of the view's half-extent at which an eye-space point lands (45 degrees).
std::array<double, 2> onScreen(const std::array<double, 4>& eye) {
    double k = 1 / (std::tan(22.5 * M_PI / 180) * -eye[2]);
    return {eye[0] * k, eye[1] * k};
}

// ---- the files ---------------------------------------------------------------------

// The generated folder holds exactly the files the demo opens, each listed once.
TEST(DataSet, HoldsEveryFileTheDemoLoadsUnderItsName) {
    std::set<std::string> opened;
    for (const ManifestPicture& p : jpegManifest) opened.insert(p.path);
    for (const ManifestPicture& p : pngManifest) opened.insert(p.path);
    for (const ManifestObject& o : objectManifest) opened.insert(o.path);
    opened.insert(soundtrackFile);
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataDir()))
        if (entry.is_regular_file())
            written.insert(std::filesystem::relative(entry.path(), dataDir()).generic_string());
    EXPECT_EQ(written, opened);
    const std::vector<std::string>& listed = dataManifest();
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), opened);
    EXPECT_EQ(listed.size(), opened.size()) << "each file once";
    for (const std::string& path : opened) {
        std::error_code ec;
        EXPECT_GT(std::filesystem::file_size(dataFile(path), ec), 100u) << path;
    }
}

TEST(DataSet, JpegPicturesDecodeAsRgbWithRowsTheUploadCanRead) {
    for (const std::string& name :
         {pictureOf(texBlue), pictureOf(texBakgrunn), pictureOf(texSkuta), pictureOf(texLyn)}) {
        std::string error;
        std::unique_ptr<jpgImage> image = loadJpgImage(dataFile(name).c_str(), &error);
        ASSERT_TRUE(image) << name << ": " << error;
        EXPECT_EQ(image->rowSpan, int32_t(image->width * 3)) << name;
        EXPECT_EQ(image->width % 4, 0u) << name << ": unpack alignment 4 needs whole words a row";
        EXPECT_GE(image->height, 128) << name;
    }
}

struct DecodedPng {
    pngPixels px;
    std::array<int, 4> at(double u, double v) const {
        int x = std::min(px.width - 1, int(u * px.width)), y = std::min(px.height - 1, int(v * px.height));
        const uint8_t* p = px.data.get() + (size_t(y) * px.width + x) * px.components;
        return {p[0], p[1], p[2], px.components == 4 ? p[3] : 255};
    }
};
DecodedPng decodePng(const std::string& name) {
    std::string bytes = readAll(dataFile(name)), error;
    DecodedPng out;
    EXPECT_TRUE(
        decodePngForTexture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 4096, &out.px, &error))
        << name << ": " << error;
    return out;
}

TEST(DataSet, PngPicturesDecodeWithTransparencyWhereTheyAreBlendedByAlpha) {
    for (const std::string& name : pictureNames())
        if (name.size() > 4 && name.substr(name.size() - 4) == ".png") {
            DecodedPng png = decodePng(name);
            EXPECT_GT(png.px.width, 0) << name;
        }
    // Alpha-blended overlays must be see-through around what they show.
    for (const std::string& name : {pictureOf(texGrumla2), pictureOf(texLoading), pictureOf(texTreasure),
                                    pictureOf(texTreasureroom), pictureOf(texTg05), pictureOf(texGreet)}) {
        DecodedPng png = decodePng(name);
        ASSERT_EQ(png.px.components, 4) << name;
        EXPECT_EQ(png.at(0.01, 0.01)[3], 0) << name << " top left";
        EXPECT_EQ(png.at(0.99, 0.99)[3], 0) << name << " bottom right";
    }
    // The screen frame: opaque where it shows, clear in the middle.
    DecodedPng frame = decodePng(pictureOf(texSkjerm));
    ASSERT_EQ(frame.px.components, 4);
    EXPECT_EQ(frame.at(0.5, 0.5)[3], 0);
    EXPECT_EQ(frame.at(0.3, 0.7)[3], 0);
    for (auto [u, v] : {std::pair{0.1, 0.5}, {0.9, 0.5}, {0.5, 0.1}, {0.5, 0.9}, {0.1, 0.1}})
        EXPECT_EQ(frame.at(u, v)[3], 255) << u << "," << v;
    // The closing picture covers the view at full opacity: its middle stays clear.
    EXPECT_EQ(decodePng(pictureOf(texTg05)).at(0.5, 0.5)[3], 0);
}

TEST(DataSet, AdditivePicturesHaveBlackBackgrounds) {
    for (const std::string& name :
         {pictureOf(texPirat), pictureOf(texSkatt), pictureOf(texFinish2), pictureOf(texLegacyKube),
          pictureOf(texMalstrom), pictureOf(texMalstrom2), pictureOf(texCred)}) {
        DecodedPng png = decodePng(name);
        for (auto [u, v] : {std::pair{0.01, 0.01}, {0.99, 0.01}, {0.01, 0.99}, {0.99, 0.99}}) {
            auto c = png.at(u, v);
            EXPECT_LT(c[0] + c[1] + c[2], 12) << name << " at " << u << "," << v;
        }
    }
    for (const std::string& name : {pictureOf(texSkuta), pictureOf(texLyn)}) {
        std::string error;
        auto image = loadJpgImage(dataFile(name).c_str(), &error);
        ASSERT_TRUE(image);
        const uint8_t* p = image->pixels.get();
        EXPECT_LT(p[0] + p[1] + p[2], 24) << name;
    }
}

// Textures that repeat across a surface must not show a seam where they wrap: the
// step from the last column to the first (and last row to first) is no bigger than
// the biggest step inside the picture.
TEST(DataSet, RepeatingTexturesWrapWithoutASeam) {
    for (const std::string& name : {pictureOf(texVann), pictureOf(texStone), pictureOf(texTau), pictureOf(texTre),
                                    pictureOf(texTre2), pictureOf(texTre3), pictureOf(texTre4)}) {
        DecodedPng png = decodePng(name);
        const int w = png.px.width, h = png.px.height, n = png.px.components;
        auto value = [&](int x, int y) {
            const uint8_t* p = png.px.data.get() + (size_t(y) * w + x) * n;
            return p[0] + p[1] + p[2];
        };
        auto columnStep = [&](int a, int b) {
            double sum = 0;
            for (int y = 0; y < h; ++y) sum += std::abs(value(a, y) - value(b, y));
            return sum / h;
        };
        auto rowStep = [&](int a, int b) {
            double sum = 0;
            for (int x = 0; x < w; ++x) sum += std::abs(value(x, a) - value(x, b));
            return sum / w;
        };
        double inside = 0, insideRows = 0;
        for (int x = 0; x + 1 < w; ++x) inside = std::max(inside, columnStep(x, x + 1));
        for (int y = 0; y + 1 < h; ++y) insideRows = std::max(insideRows, rowStep(y, y + 1));
        EXPECT_LE(columnStep(w - 1, 0), 1.1 * inside + 4) << name << " seam between right and left edge";
        EXPECT_LE(rowStep(h - 1, 0), 1.1 * insideRows + 4) << name << " seam between bottom and top edge";
    }
}

// The scrolling strips repeat too: no letter may be cut where the picture wraps.
TEST(DataSet, TextStripsWrapBetweenWords) {
    DecodedPng greet = decodePng(pictureOf(texGreet)), cred = decodePng(pictureOf(texCred));
    for (double v = 0.02; v < 1; v += 0.04) {
        EXPECT_EQ(greet.at(0.001, v)[3], 0) << v;
        EXPECT_EQ(greet.at(0.999, v)[3], 0) << v;
        auto left = cred.at(0.001, v), right = cred.at(0.999, v);
        EXPECT_LT(left[0] + left[1] + left[2], 12) << v;
        EXPECT_LT(right[0] + right[1] + right[2], 12) << v;
    }
}

// Full-view overlays lie under the screen frame, whose window spans 13.5 % to 86.5 %
// of the view's picture: the closing text and the title must sit inside it.
TEST(DataSet, ClosingPictureKeepsItsTextInsideTheScreenFrame) {
    DecodedPng closing = decodePng(pictureOf(texTg05));
    for (double u = 0.005; u < 1; u += 0.01)
        for (double v : {0.05, 0.12, 0.88, 0.95}) ASSERT_LT(closing.at(u, v)[3], 8) << u << "," << v;
    for (double v = 0.005; v < 1; v += 0.01)
        for (double u : {0.05, 0.12, 0.88, 0.95}) ASSERT_LT(closing.at(u, v)[3], 160) << u << "," << v;
}

// Where each picture with words lands on the 640 x 480 screen: the whole picture's
// rectangle, from the transforms of the scene that shows it, and whether the screen
// frame lies over it. The strips scroll sideways, so only their rows are fixed.
struct TextPlacement {
    const char* picture;
    double x0, y0, x1, y1;
    bool framed, scrolls;
};
const TextPlacement textPlacements[] = {
    {"pic/loading.png", 264.82, 302.08, 375.18, 384.85, false, false},        // eye depth 14, below the centre
    {"pic/remember.png", -66.27, -49.71, 706.27, 529.71, false, false},       // eye depth 2, past every edge
    {"pic/grumla2.png", 62.48, 46.86, 577.52, 433.14, false, false},          // eye depth 3
    {"pic/legacy/finish2.png", 78.58, 276.21, 271.72, 421.07, false, false},  // bottom left of the grid
    {"pic/treasureroom.png", 2.39, 272.19, 174.07, 400.95, true, false},      // eye depth 45, scaled by 5
    {"pic/treasure.png", 10.98, 77.76, 165.49, 193.65, true, false},          // eye depth 2, scaled by 0.2
    {"pic/greet.png", 0, 336.57, 640, 400.95, true, true},                    // eye depth 180
    {"pic/tg05.png", -66.27, -49.71, 706.27, 529.71, true, false},
    {"pic/cred.png", 0, 411.49, 640, 477.45, false, true},  // eye depth 39 under the 150-degree lens
};

// Every word the pictures show reads at 640 x 480: its smallest letters at least 14
// pixels tall, nothing cut by the picture's edge, the screen's edge or the frame.
TEST(Framing, TextIsLegibleAndUncutAt640x480) {
    // The frame fills the view at eye depth 2, 1.207 times the view's size.
    DecodedPng frame = decodePng("pic/skjerm.png");
    auto frameAlphaAt = [&](double x, double y) {
        const double k = 2 * 1.207107;
        return frame.at(0.5 + (x / 320 - 1) / k, 0.5 + (y / 240 - 1) / k)[3];
    };
    paint::takeTextMarks();  // whatever this thread painted before
    for (const std::string& name : pictureNames()) {
        std::string error;
        ASSERT_FALSE(paintPicture(name, &error).empty()) << name << ": " << error;
        std::vector<paint::TextMark> marks = paint::takeTextMarks();
        const TextPlacement* place = nullptr;
        for (const TextPlacement& p : textPlacements)
            if (name == p.picture) place = &p;
        if (!place) {
            EXPECT_TRUE(marks.empty()) << name << " shows words the table does not place";
            continue;
        }
        ASSERT_FALSE(marks.empty()) << name;
        DecodedPng png = decodePng(name);
        const double w = png.px.width, h = png.px.height;
        const double sx = (place->x1 - place->x0) / w, sy = (place->y1 - place->y0) / h;
        for (const paint::TextMark& m : marks) {
            const std::string what = name + " \"" + m.text + "\"";
            EXPECT_GE(m.letterHeight * sy, 14.0) << what;
            EXPECT_TRUE(m.x0 >= 0 && m.y0 >= 0 && m.x1 <= w && m.y1 <= h) << what << " runs off its picture";
            double x0 = place->x0 + m.x0 * sx, x1 = place->x0 + m.x1 * sx;
            double y0 = place->y0 + m.y0 * sy, y1 = place->y0 + m.y1 * sy;
            if (place->scrolls) x0 = x1 = 320;
            EXPECT_TRUE(x0 >= 0 && y0 >= 0 && x1 <= 640 && y1 <= 480) << what << " runs off the screen";
            if (!place->framed) continue;
            for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}})
                EXPECT_LT(frameAlphaAt(x, y), 40) << what << " lies under the frame at " << x << "," << y;
        }
    }
}

// ---- the meshes --------------------------------------------------------------------

TEST(DataSet, ObjectsRoundTripThroughTheLoader) {
    for (const NamedMeshFile& file : meshFiles()) {
        std::vector<EbrMesh> made = file.make();
        tegn3d object;
        ASSERT_TRUE(object.loadFromFile(dataFile(file.path).c_str())) << file.path;
        ASSERT_EQ(object.meshCount, int32_t(made.size())) << file.path;
        for (size_t k = 0; k < made.size(); ++k) {
            const mesh& m = object.meshes[k];
            ASSERT_EQ(size_t(m.vertexCount) * 3, made[k].positions.size()) << file.path << " mesh " << k;
            EXPECT_EQ(m.positions, made[k].positions) << file.path << " mesh " << k;
            EXPECT_EQ(m.indices, made[k].indices) << file.path << " mesh " << k;
            for (int32_t v = 0; v < m.vertexCount; ++v) {
                EXPECT_EQ(m.texCoords[2 * v], 1.0f - made[k].uv[2 * v]);
                EXPECT_EQ(m.texCoords[2 * v + 1], made[k].uv[2 * v + 1]);
            }
        }
    }
}

TEST(DataSet, ObjectsMeetTheLimitsAndHaveAFiniteNormalAtEveryVertex) {
    for (const ManifestObject& entry : objectManifest) {
        tegn3d object = loadObject(*entry.object);
        ASSERT_GE(object.meshCount, 1) << entry.path;
        for (int32_t k = 0; k < object.meshCount; ++k)
            for (const Vec3& n : object.meshes[k].normals)
                ASSERT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-3f) << entry.path << " mesh " << k;
    }
    // A mesh for every part of the ship, each with something to show.
    tegn3d ship = loadObject(objSkute);
    EXPECT_EQ(ship.meshCount, meshOf(ShipPart::count));
    for (const mesh& m : ship.meshes) EXPECT_GT(m.faceCount, 0);
    EXPECT_GE(loadObject(objKube2).meshCount, 6);
    tegn3d sphere = loadObject(objKule);
    EXPECT_GE(sphere.meshes[0].vertexCount, 2000);
    EXPECT_LE(sphere.meshes[0].vertexCount, 10000);
    EXPECT_GE(loadObject(objTunnel).meshes[0].vertexCount, 2000);
    EXPECT_GE(loadObject(objTorus).meshes[0].vertexCount, 2000);
}

// Smooth shading and sphere mapping need normals on the outside of closed shapes.
TEST(Framing, ClosedShapesFaceOutwards) {
    const mesh sphere = loadObject(objKule).meshes[0];
    for (int32_t v = 0; v < sphere.vertexCount; ++v) {
        const Vec3& n = sphere.normals[v];
        const float* p = &sphere.positions[3 * v];
        ASSERT_GT(n.x * p[0] + n.y * p[1] + n.z * p[2], 0) << "sphere vertex " << v;
    }
    // The torus: away from the circle through the middle of its tube.
    const mesh torus = loadObject(objTorus).meshes[0];
    const double tilt = 35 * M_PI / 180, ay = std::cos(tilt), az = std::sin(tilt), ring = 80 * 0.15;
    for (int32_t v = 0; v < torus.vertexCount; ++v) {
        const float* p = &torus.positions[3 * v];
        double along = p[1] * ay + p[2] * az;
        double rx = p[0], ry = p[1] - along * ay, rz = p[2] - along * az, r = std::sqrt(rx * rx + ry * ry + rz * rz);
        double cx = rx / r * ring, cy = ry / r * ring, cz = rz / r * ring;  // nearest point of the core circle
        const Vec3& n = torus.normals[v];
        ASSERT_GT(n.x * (p[0] - cx) + n.y * (p[1] - cy) + n.z * (p[2] - cz), 0) << "torus vertex " << v;
    }
    // Every face of the treasure cube faces away from its centre.
    tegn3d cube = loadObject(objKube2);
    for (const mesh& face : cube.meshes)
        for (int32_t v = 0; v < face.vertexCount; ++v) {
            const float* p = &face.positions[3 * v];
            EXPECT_GT(face.normals[v].x * p[0] + face.normals[v].y * p[1] + face.normals[v].z * p[2], 0);
        }
}

// The ship's hull, deck and windows face the viewer from outside the ship.
TEST(Framing, ShipPartsFaceOutwardAndUp) {
    tegn3d ship = loadObject(objSkute);
    const mesh& hull = ship.meshes[meshOf(ShipPart::hull)];
    int outward = 0, midships = 0;
    for (int32_t v = 0; v < hull.vertexCount; ++v) {
        const float* p = &hull.positions[3 * v];
        if (std::fabs(p[1]) > 15) continue;  // the middle of the hull, clear of stern and keel fin
        ++midships;
        // away from the line along the ship at mid-hull height
        if (hull.normals[v].x * p[0] + hull.normals[v].z * (p[2] + 6.0f) > 0) ++outward;
    }
    EXPECT_GT(midships, 100);
    EXPECT_GE(outward, midships * 99 / 100);
    for (const Vec3& n : ship.meshes[meshOf(ShipPart::deck)].normals) ASSERT_GT(n.z, 0.9f) << "deck planks face up";
    const mesh& windows = ship.meshes[meshOf(ShipPart::windows)];
    for (int32_t v = 0; v < windows.vertexCount; ++v) {
        const float* p = &windows.positions[3 * v];
        const Vec3& n = windows.normals[v];
        ASSERT_GT(n.x * p[0] + n.y * (p[1] + 20.0f), 0) << "window " << v / 4 << " faces into the cabin";
    }
}

// The treasure room turns the cube 90 degrees about x before its spin: the pictures on
// its sides must stand upright, the top of the picture (t = 0) higher on the screen.
TEST(Framing, TreasureCubeSidePicturesStandUpright) {
    tegn3d cube = loadObject(objKube2);
    Mat model = translate(0, 2, -31) * rotate(90, 1, 0, 0);
    int sides = 0;
    for (const mesh& face : cube.meshes) {
        if (std::fabs(face.normals[0].z) > 0.5f) continue;  // top and bottom
        ++sides;
        double topY = 0, bottomY = 0;
        for (int32_t v = 0; v < face.vertexCount; ++v) {
            double y = model.apply(face.positions[3 * v], face.positions[3 * v + 1], face.positions[3 * v + 2])[1];
            (face.texCoords[2 * v + 1] < 0.5f ? topY : bottomY) += y;
        }
        EXPECT_GT(topY, bottomY);
    }
    EXPECT_EQ(sides, 4);
}

// The ship scene turns the water by 75 degrees; light 0 sits at (30, 30, 50) in eye
// space, and the camera looks at the water from above.
TEST(Framing, WaterShowsItsLitSideToLightAndCamera) {
    tegn3d water = loadObject(objVann);
    const mesh& m = water.meshes[0];
    Mat model = lookAlongZ(35) * translate(0, -1.5, 0) * rotate(75, 1, 0, 0) * scaleBy(6, 6, 6);
    const double light[3] = {30 / 65.6, 30 / 65.6, 50 / 65.6};
    int lit = 0, facing = 0;
    for (int32_t v = 0; v < m.vertexCount; ++v) {
        const Vec3& n = m.normals[v];
        auto e = model.apply(n.x, n.y, n.z, 0);  // a direction: no translation
        if (e[0] * light[0] + e[1] * light[1] + e[2] * light[2] > 0) ++lit;
        auto p = model.apply(m.positions[3 * v], m.positions[3 * v + 1], m.positions[3 * v + 2]);
        if (-(p[0] * e[0] + p[1] * e[1] + p[2] * e[2]) > 0) ++facing;  // towards the eye at the origin
    }
    EXPECT_GT(lit, m.vertexCount * 99 / 100);
    EXPECT_GT(facing, m.vertexCount * 95 / 100);
}

TEST(Framing, TunnelSurroundsTheEyeAndFacesItsAxis) {
    tegn3d tunnel = loadObject(objTunnel);
    const mesh& m = tunnel.meshes[0];
    float yMin = 1e9f, yMax = -1e9f;
    for (int32_t v = 0; v < m.vertexCount; ++v) {
        float x = m.positions[3 * v], y = m.positions[3 * v + 1], z = m.positions[3 * v + 2];
        yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        const Vec3& n = m.normals[v];
        ASSERT_LT(n.x * x + n.z * z, 0) << "vertex " << v << " faces away from the axis";
        EXPECT_GT(std::hypot(x, z), 2.0f) << "the near plane is 1 unit from the eye";
    }
    // The eye is 2 units behind the tunnel's origin along its axis, and looks along it.
    EXPECT_LT(yMin, -2.0f);
    EXPECT_GT(yMax, 100.0f);
}

// The ship stands on the water in the Ship scene: keel below the surface, deck above.
TEST(Framing, ShipFloatsUprightOnTheWater) {
    tegn3d ship = loadObject(objSkute);
    Mat shipToWorld = translate(0, -1.5, -5) * rotate(-100, 1, 0, 0) * rotate(-25, 0, 0, 1) * scaleBy(0.2, 0.2, 0.2);
    // The water plane: through (0, -1.5, 0), model -z of the water turned by 75 degrees.
    auto up = (rotate(75, 1, 0, 0)).apply(0, 0, -1, 0);
    auto height = [&](float x, float y, float z) {
        auto p = shipToWorld.apply(x, y, z);
        return p[0] * up[0] + (p[1] + 1.5) * up[1] + p[2] * up[2];
    };
    float lowest = 1e9f, highest = -1e9f;
    const mesh& hull = ship.meshes[meshOf(ShipPart::hull)];
    for (const float* p = hull.positions.data(); p < hull.positions.data() + hull.positions.size(); p += 3)
        lowest = std::min<float>(lowest, float(height(p[0], p[1], p[2])));
    for (const mesh& m : ship.meshes)
        for (size_t i = 0; i < m.positions.size(); i += 3)
            highest = std::max<float>(highest, float(height(m.positions[i], m.positions[i + 1], m.positions[i + 2])));
    EXPECT_LT(lowest, -0.3f) << "the keel sits in the water";
    EXPECT_GT(highest, 4.0f) << "the masts rise well above it";
    EXPECT_GT(height(0, 0, -2.6f), 0.3f) << "the deck (model z -26, loaded at 0.1) is above the water";
}

// Every part of the ship close-up lies inside the tunnel scene's view, from the
// window's start (t71 = 0) to its end.
TEST(Framing, ShipCloseUpStaysInView) {
    tegn3d ship = loadObject(objSkute);
    const double length = windowOf(Scene::tunnel).to - windowOf(Scene::tunnel).from;
    for (double t71 : {0.0, length / 2, length}) {
        Mat model = translate(0.3, -0.3, -2) * rotate(-70, 1, 0, 0) * rotate(1.5 * t71 - 20, 0, 1, 0) *
                    rotate(-90, 0, 0, 1) * rotate(5 * std::sin(1.15 * t71), 0, 1, 0) * scaleBy(0.003, 0.01, 0.01);
        double width = 0;
        double xMin = 9, xMax = -9;
        for (const mesh& m : ship.meshes)
            for (size_t i = 0; i < m.positions.size(); i += 3) {
                auto e = model.apply(m.positions[i], m.positions[i + 1], m.positions[i + 2]);
                ASSERT_LT(e[2], -1.0) << "behind the near plane at t71 " << t71;
                auto s = onScreen(e);
                ASSERT_LT(std::fabs(s[0]), 1.0) << "off screen sideways at t71 " << t71;
                ASSERT_LT(std::fabs(s[1]), 1.0) << "off screen vertically at t71 " << t71;
                xMin = std::min(xMin, s[0]), xMax = std::max(xMax, s[0]);
            }
        width = xMax - xMin;
        EXPECT_GT(width, 0.3) << "a close-up, not a speck";
    }
}

// The torus spins about the vertical under a 150-degree lens: at no angle may it turn
// into a thin line, and it stays within the view.
TEST(Framing, TorusNeverSpinsEdgeOnAndStaysInView) {
    tegn3d torus = loadObject(objTorus);
    const mesh& m = torus.meshes[0];
    const double halfView = std::tan(75 * M_PI / 180);
    for (int angle = 0; angle < 360; angle += 10) {
        Mat model = lookAlongZ(19) * rotate(angle, 0, 1, 0) * rotate(90, 1, 0, 0);
        double xMin = 9, xMax = -9, yMin = 9, yMax = -9;
        for (size_t i = 0; i < m.positions.size(); i += 3) {
            auto e = model.apply(m.positions[i], m.positions[i + 1], m.positions[i + 2]);
            ASSERT_LT(e[2], -1.0);
            double x = e[0] / (-e[2] * halfView), y = e[1] / (-e[2] * halfView);
            xMin = std::min(xMin, x), xMax = std::max(xMax, x), yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        }
        EXPECT_GT(xMax - xMin, 0.3) << angle;
        EXPECT_GT(yMax - yMin, 0.3) << angle;
        EXPECT_LT(std::max({-xMin, xMax, -yMin, yMax}), 1.0) << angle;
    }
}

// The treasure room stretches the sphere up to four-fold (times 0.9 and 0.99 for the
// two blobs) around a centre 20 units off the line of sight, 115 units away.
TEST(Framing, BlobsStayInViewAtTheirLargest) {
    tegn3d sphere = loadObject(objKule);
    float radius = 0;
    for (size_t i = 0; i < sphere.meshes[0].positions.size(); ++i)
        radius = std::max(radius, std::fabs(sphere.meshes[0].positions[i]));
    double halfView = 115 * std::tan(22.5 * M_PI / 180);
    EXPECT_LT(20 + 4 * 0.99 * radius, halfView);
    EXPECT_GT(4 * radius, 0.15 * halfView) << "big enough to see";
}

// ---- the soundtrack ----------------------------------------------------------------

const DecodedSound& soundtrack() {
    static DecodedSound sound;
    static bool decoded = decodeOggFile(dataFile(soundtrackFile), &sound);
    EXPECT_TRUE(decoded);
    return sound;
}
float peakBetween(const DecodedSound& s, double t0, double t1) {
    float peak = 0;
    size_t a = size_t(t0 * s.rate) * 2, b = std::min(s.samples.size(), size_t(t1 * s.rate) * 2);
    for (size_t i = a; i < b; ++i) peak = std::max(peak, std::fabs(s.samples[i]));
    return peak;
}

TEST(Soundtrack, LastsAboutTheTimelineAndNeverClips) {
    const DecodedSound& s = soundtrack();
    ASSERT_EQ(s.channels, 2);
    ASSERT_EQ(s.rate, 44100);
    double seconds = double(s.frames()) / s.rate;
    EXPECT_GT(seconds, 148.0);
    EXPECT_LT(seconds, 152.0);
    EXPECT_LT(peakBetween(s, 0, seconds), 0.89f) << "headroom of 1 dB";
    // Every section is heard, and the outro is over by the end of the show.
    for (double t = 1; t < showEnd - 2; t += 4) EXPECT_GT(peakBetween(s, t, t + 2), 0.05f) << "silent at " << t << " s";
    EXPECT_LT(peakBetween(s, showEnd + 0.5, seconds), 0.01f);
}

// The torus and the blobs move with musicSpectrum[0], by twice its value: every beat
// of their scenes must read at least 0.35 on the frames just after it, as the capture
// tool hears the music at 60 frames a second, and fall back before the next.
TEST(Soundtrack, KickMakesTheLowestSpectrumBinJumpOnEveryBeat) {
    const DecodedSound& s = soundtrack();
    std::vector<float> mono = mixToMono(s);
    float mags[256];
    auto lowestAt = [&](int frame) {
        spectrumOfPlayed(mono, std::llround((frame - 1) / 60.0 * s.rate), mags);
        return mags[0];
    };
    for (Scene scene : {Scene::treasureRoom, Scene::torus}) {
        const double from = windowOf(scene).from, to = windowOf(scene).to - 0.5;
        double weakest = 1, before = 0, beats = 0;
        for (double t = from; t < to; t += 0.5, ++beats) {
            double strongest = 0;
            for (int f = int(std::ceil(t * 60)); f <= int(t * 60) + 9; ++f)
                strongest = std::max(strongest, double(lowestAt(f)));
            weakest = std::min(weakest, strongest);
            before += lowestAt(int(t * 60) + 29);
        }
        EXPECT_GE(weakest, 0.35) << "the weakest beat from " << from << " s";
        EXPECT_LT(before / beats, 0.05) << "just before the beats from " << from << " s";
    }
}

double rmsBetween(const DecodedSound& s, double t0, double t1) {
    double sum = 0;
    size_t a = size_t(t0 * s.rate) * 2, b = std::min(s.samples.size(), size_t(t1 * s.rate) * 2);
    for (size_t i = a; i < b; ++i) sum += double(s.samples[i]) * s.samples[i];
    return std::sqrt(sum / double(b - a));
}

// The music follows the timeline: a calm intro without a beat, the full band on the
// ship, and an outro that fades.
TEST(Soundtrack, SectionsFollowTheTimeline) {
    const DecodedSound& s = soundtrack();
    std::vector<float> mono = mixToMono(s);
    float mags[256];
    double onBeat = 0, beforeBeat = 0;
    const TimelineWindow &opening = windowOf(Scene::opening), &ship = windowOf(Scene::ship),
                         &treasureRoom = windowOf(Scene::treasureRoom), &torus = windowOf(Scene::torus),
                         &closing = windowOf(Scene::ship, 1);
    for (double t = opening.from + 2; t < opening.to - 2; t += 0.5) {
        spectrumOfPlayed(mono, int64_t((t + 0.04) * s.rate), mags);
        onBeat += mags[0];
        spectrumOfPlayed(mono, int64_t((t + 0.49) * s.rate), mags);
        beforeBeat += mags[0];
    }
    EXPECT_LT(onBeat, 1.5 * beforeBeat) << "no kick in the intro";
    EXPECT_LT(rmsBetween(s, opening.from, opening.to), 0.7 * rmsBetween(s, ship.from + 5, ship.to - 1))
        << "the intro is calmer than the main theme";
    EXPECT_GT(rmsBetween(s, torus.from + 2, torus.to), 0.9 * rmsBetween(s, treasureRoom.from + 2, treasureRoom.to))
        << "the torus part is at least as loud";
    EXPECT_LT(rmsBetween(s, showEnd - 5, showEnd), 0.5 * rmsBetween(s, closing.from, closing.from + 8))
        << "the outro fades";
    // The beat stops for the last quarter second before each later scene and lands on
    // its first frame.
    for (double cut : {windowOf(Scene::tunnel).from, treasureRoom.from, torus.from, closing.from})
        EXPECT_LT(rmsBetween(s, cut - 0.2, cut), 0.2 * rmsBetween(s, cut, cut + 0.2)) << "no break before " << cut;
    // Between them the music breathes: its quietest two seconds lie well below its loudest.
    double quietest = 1, loudest = 0;
    for (double t = 37; t < 133; t += 1) {
        quietest = std::min(quietest, rmsBetween(s, t, t + 2));
        loudest = std::max(loudest, rmsBetween(s, t, t + 2));
    }
    EXPECT_GT(loudest, 2 * quietest) << "flat from 37 to 135 s";
}

// The encoder keeps every frame and the level of what it is given, and writes the
// same stream serial number every time.
TEST(Soundtrack, EncoderKeepsLengthAndLevel) {
    const int rate = 44100, frames = rate + 123;
    std::vector<float> stereo(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        stereo[2 * i] = 0.5f * float(std::sin(2 * M_PI * 440 * i / rate));
        stereo[2 * i + 1] = 0.25f * float(std::sin(2 * M_PI * 660 * i / rate));
    }
    std::string ogg = encodeOggVorbis(stereo, rate, 0.4f);
    ASSERT_GT(ogg.size(), 58u);
    EXPECT_EQ(ogg.substr(0, 4), "OggS");
    EXPECT_EQ(ogg, encodeOggVorbis(stereo, rate, 0.4f));
    ScratchDir dir;
    dir.write("tone.ogg", ogg);
    DecodedSound back;
    ASSERT_TRUE(decodeOggFile(dir.file("tone.ogg"), &back));
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.frames(), frames);
    EXPECT_NEAR(rmsBetween(back, 0.1, 0.9), std::sqrt((0.5 * 0.5 + 0.25 * 0.25) / 4), 0.02);
}

// ---- determinism -------------------------------------------------------------------

TEST(DataSet, TwoRunsWriteTheSameBytes) {
    ScratchDir again;
    std::string error;
    ASSERT_TRUE(generateDataSet(again.file("data"), 1, &error)) << error;
    for (const std::string& path : dataManifest())
        EXPECT_TRUE(readAll(dataFile(path)) == readAll(again.file("data/" + path))) << path << " differs";
}

#ifdef VORREND_BUILD_DATA_DIR
// The build's own data folder is what the generator makes: not stale, not partial.
TEST(DataSet, BuildFolderMatchesTheGenerator) {
    const std::string built = VORREND_BUILD_DATA_DIR;
    if (!std::filesystem::exists(built + "/.generated")) GTEST_SKIP() << "no generated data in " << built;
    for (const std::string& path : dataManifest())
        EXPECT_TRUE(readAll(dataFile(path)) == readAll(built + "/" + path)) << path;
}
#endif

}  // namespace
