// Scene costs: the treasure room's blob deformation on the processor, and frames
// per second of every scene at 640 x 480 in the offscreen context. Prints figures;
// asserts nothing.
//
//   bench_scenes [FOLDER]   FOLDER holds data/ (the build folder does; default: the
//                           current one). Without data there, built-in stand-ins of
//                           similar size are measured instead, and stderr says so.
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "platform/headless/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/projection.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"
#include "scenes/scenes.h"
#include "test_shapes.h"

namespace {

const int width = 640, height = 480;

uint32_t patternTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    const int size = 256;
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint8_t* p = &rgba[4 * (size_t(y) * size + x)];
            int shade = ((x / 16 + y / 16) & 1) ? 255 : 160;
            p[0] = uint8_t(r * shade / 255), p[1] = uint8_t(g * shade / 255), p[2] = uint8_t(b * shade / 255);
            p[3] = a;
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return name;
}

mesh torusMesh(int around, int tube, float big, float small, uint32_t texture) {
    const double pi = std::acos(-1.0);
    mesh m;
    for (int i = 0; i < around; ++i)
        for (int j = 0; j < tube; ++j) {
            double u = 2 * pi * i / around, v = 2 * pi * j / tube;
            m.positions.push_back(float((big + small * std::cos(v)) * std::cos(u)));
            m.positions.push_back(float(small * std::sin(v)));
            m.positions.push_back(float((big + small * std::cos(v)) * std::sin(u)));
            m.texCoords.push_back(float(i) / around);
            m.texCoords.push_back(float(j) / tube);
        }
    for (int i = 0; i < around; ++i)
        for (int j = 0; j < tube; ++j) {
            uint32_t a = uint32_t(i * tube + j), b = uint32_t(((i + 1) % around) * tube + j);
            uint32_t c = uint32_t(((i + 1) % around) * tube + (j + 1) % tube), d = uint32_t(i * tube + (j + 1) % tube);
            m.indices.insert(m.indices.end(), {a, b, c, a, c, d});
        }
    m.vertexCount = m.normalCount = m.texCoordCount = int32_t(m.positions.size() / 3);
    m.faceCount = int32_t(m.indices.size() / 3);
    m.normals.resize(size_t(m.vertexCount));
    m.texture = texture;
    m.computeNormals();
    return m;
}

void shiftMesh(mesh& m, float x, float y, float z) {
    for (size_t i = 0; i < m.positions.size(); i += 3) {
        m.positions[i] += x;
        m.positions[i + 1] += y;
        m.positions[i + 2] += z;
    }
}

tegn3d objectOf(std::vector<mesh> meshes) {
    tegn3d object;
    object.meshCount = int32_t(meshes.size());
    object.meshes = std::move(meshes);
    return object;
}

// Stand-ins at the demo's scale, in loaded units: a sphere of about 3000 vertices
// for the blobs, a torus, a tube around the eye, a water sheet, a ship of 12 parts,
// a cube of 6 faces.
void makeStandInAssets() {
    for (uint32_t& t : jpgTextures) t = patternTexture(200, 120, 40, 255);
    uint32_t opaque = patternTexture(90, 160, 220, 255), seeThrough = patternTexture(250, 250, 250, 64);
    for (uint32_t* global :
         {&texKubetex,  &texKuletex,    &texKuletex2,    &texKuletex3, &texTreasureroom, &texGulv,     &texRemember,
          &texGrumla2,  &texVann,       &texStortflagg2, &texHjul,     &texMetall,       &texRuter,    &texSflagg,
          &texTau,      &texTre,        &texTre2,        &texTre3,     &texTre4,         &texLoading,  &texPirat,
          &texFinish2,  &texLegacyKube, &texSkatt,       &texStone,    &texGreet,        &texMalstrom, &texMalstrom2,
          &texTreasure, &texCred,       &texTg05})
        *global = opaque;
    texSkjerm = seeThrough;

    mesh sphere = makeSphereMesh(50, 60, 4.5f, 0);
    objKule = objectOf({sphere});
    sphere.texture = texTau;
    objKuleTau = objectOf({sphere});
    sphere.texture = texKuletex3;
    objKuleTex3 = objectOf({sphere});
    objTorus = objectOf({torusMesh(64, 32, 6.0f, 2.0f, texStone)});
    objTunnel = objectOf({makeSphereMesh(32, 64, 40.0f, texVann)});
    objVann = objectOf({makeBoxMesh(0, 0, 0, 60, 60, 0.01f, texVann)});
    // The ship: a hull and eleven smaller parts along it, some 60 units long.
    std::vector<mesh> ship{makeBoxMesh(0, 0, 0, 30, 6, 5, texTre)}, cube;
    for (int i = 0; i < 11; ++i) {
        ship.push_back(makeSphereMesh(10, 14, 3.0f, texTre));
        shiftMesh(ship.back(), float(i - 5) * 5, 0, 8);
    }
    // The cube: its six faces, one mesh each, 1.6 units a side.
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-0.8f, 0.8f}) {
            mesh face = makeBoxMesh(0, 0, 0, 0.8f, 0.8f, 0.8f, texKubetex);
            // Keep the two triangles of the box's face on this side; the box
            // lists its faces -z, +z, -y, +y, -x, +x.
            int first = 2 * (2 * (2 - axis) + (side > 0 ? 1 : 0));
            face.indices =
                std::vector<uint32_t>(face.indices.begin() + 3 * first, face.indices.begin() + 3 * first + 6);
            face.faceCount = 2;
            cube.push_back(face);
        }
    objSkute = objectOf(ship);
    objKube2 = objectOf(cube);
}

void benchDeformation() {
    if (objKule.meshes.empty() || objKuleTau.meshes.empty() || objKuleTex3.meshes.empty()) {
        std::printf("blob deformation: no sphere loaded\n");
        return;
    }
    const mesh& m = objKule.meshes[0];
    std::printf("blob deformation: sphere of %d vertices, %d faces\n", m.vertexCount, m.faceCount);
    const int frames = 300;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        setDemoClocks(windowOf(Scene::treasureRoom).from + i * 0.05f);
        deformBlob(objKuleTau);
        deformBlob(objKuleTex3);
    }
    double both = secondsSince(start) / frames;
    start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        objKuleTau.meshes[0].computeNormals();
        objKuleTex3.meshes[0].computeNormals();
    }
    double normals = secondsSince(start) / frames;
    std::printf("  both blobs with normals: %8.1f us a frame\n", both * 1e6);
    std::printf("  of which the normals:    %8.1f us a frame\n", normals * 1e6);
}

void benchScenes() {
    std::printf("frames per second at %d x %d (each frame finished, as a swap would):\n", width, height);
    for (const TimelineWindow& w : timeline) {
        const int warmUp = 10, frames = 120;
        float step = (w.to - w.from - 1.0f) / (warmUp + frames);
        for (int i = 0; i < warmUp; ++i) drawFrameAt(w.from + 0.5f + i * step);
        glFinish();
        Clock::time_point start = Clock::now();
        double processor = processorSeconds();
        for (int i = warmUp; i < warmUp + frames; ++i) {
            drawFrameAt(w.from + 0.5f + i * step);
            glFinish();
        }
        double seconds = secondsSince(start);
        processor = processorSeconds() - processor;
        std::printf("  %-14s %7.1f fps  (%5.2f ms a frame, %5.2f ms of processor time; from %g s)\n",
                    sceneName(w.scene), frames / seconds, seconds / frames * 1e3, processor / frames * 1e3, w.from);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage =
        "usage: bench_scenes [FOLDER]\n"
        "Frames per second of every scene at 640x480 offscreen, on the data in FOLDER/data\n"
        "(FOLDER is the build folder, or any folder holding data/; default the current one).\n";
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        const bool help = argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help");
        std::fputs(usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    if (argc > 1 && chdir(argv[1]) != 0) {
        std::fprintf(stderr, "bench_scenes: cannot enter %s\n", argv[1]);
        return 1;
    }
    std::string error;
    if (!createOffscreenGL(width, height, &error)) {
        std::fprintf(stderr, "bench_scenes: no offscreen GL context: %s\n", error.c_str());
        return 1;
    }
    headlessSetPictureSize(width, height);
    DemoWindow window = createDemoWindow("bench", width, height, fullScreen);
    const std::string probe = dataPath(manifestEntryOf(objKule)->path);
    bool realData = access(probe.c_str(), R_OK) == 0;
    if (!realData)
        std::fprintf(stderr,
                     "bench_scenes: WARNING: no %s in %s: measuring built-in stand-ins, not the demo's data.\n"
                     "  Give the folder that holds data/, e.g. bench_scenes build from the repository.\n",
                     probe.c_str(), std::filesystem::current_path().c_str());
    if (realData) {
        loadAssets(window);
    } else {
        mainWindow = window;
        clientRect = getClientRect(window);
        createGLContext(width, height);
        setProjection(width, height);
        makeStandInAssets();
    }
    std::printf("renderer: %s; assets: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                realData ? "data/ folder" : "built-in stand-ins");
    musicSpectrum[0] = 0.5f;
    benchDeformation();
    benchScenes();
    return 0;
}
