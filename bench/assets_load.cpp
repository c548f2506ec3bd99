// Time of loadAssets on a data set shaped like the real one: 36 pictures of
// 256 x 256 to 512 x 512 (the 4 JPEG ones at 512 x 512, some PNG ones with alpha),
// and the 7 object files with a few thousand vertices each. Prints the best and
// median of several runs and where the time goes. Goal: under 100 ms. On a busy
// machine the figures rise with the load; the CPU time is the steadier one.
#include <GL/gl.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/textures.h"
#include "bench_clock.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "test_data.h"

namespace fs = std::filesystem;

static double msSince(Clock::time_point start) { return 1e3 * secondsSince(start); }

// Smooth gradients with some texture: compresses like a photograph, not like a
// flat colour.
static std::vector<uint8_t> picture(int w, int h, int channels, int seed) {
    std::vector<uint8_t> p(size_t(w) * h * channels);
    uint32_t noise = 12345u + uint32_t(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint8_t* px = &p[(size_t(y) * w + x) * channels];
            px[0] = uint8_t(x * 255 / w + (noise >> 29));
            px[1] = uint8_t(y * 255 / h + seed * 9);
            px[2] = uint8_t((x + y) * 127 / (w + h) + (noise >> 28));
            if (channels == 4) px[3] = uint8_t(255 - x * 200 / w);
        }
    return p;
}

static void write(const fs::path& root, const std::string& path, const std::string& bytes) {
    fs::create_directories((root / path).parent_path());
    std::ofstream(root / path, std::ios::binary) << bytes;
}

static void writeBenchDataSet(const fs::path& root) {
    const auto& pictures = testPictures();
    for (size_t i = 0; i < pictures.size(); ++i) {
        const std::string& path = pictures[i].path;
        if (i < 4) {
            write(root, path, encodeJpeg(512, 512, picture(512, 512, 3, int(i)), false, 90));
            continue;
        }
        int side = i % 3 == 0 ? 512 : 256;
        int channels = pictures[i].a < 255 || i % 4 == 0 ? 4 : 3;
        PngLayout layout;
        layout.width = layout.height = side;
        layout.colorType = channels == 4 ? 6 : 2;
        std::vector<uint8_t> p = picture(side, side, channels, int(i));
        layout.samples.assign(p.begin(), p.end());
        write(root, path, encodePng(layout));
    }
    auto ebr = [&](const tegn3d& object, std::vector<EbrMesh> meshes) {
        write(root, dataPath(manifestEntryOf(object)->path), writeEbr(meshes));
    };
    ebr(objVann, {makeGrid(400, 48)});
    ebr(objTorus, {makeTorus(20, 6, 48, 24)});
    ebr(objCube, {makeBox(0, 0, 0, 20, 20, 20)});
    ebr(objKule, {makeSphere(30, 32, 48)});  // the file of all four sphere objects
    ebr(objTunnel, {makeCylinder(20, 200, 64, true)});
    std::vector<EbrMesh> ship;
    for (int i = 0; i < 12; ++i) ship.push_back(i % 2 ? makeSphere(4, 16, 24) : makeBox(i * 3.0f, 0, 0, 3, 4, 5));
    ebr(objSkute, ship);
    std::vector<EbrMesh> faces(6, makeGrid(20, 8));
    ebr(objKube2, faces);
}

static void forgetAssets() {
    for (const ManifestPicture& p : jpegManifest) glDeleteTextures(1, p.texture), *p.texture = 0;
    for (const ManifestPicture& p : pngManifest) glDeleteTextures(1, p.texture), *p.texture = 0;
    for (const ManifestObject& o : objectManifest) *o.object = tegn3d{};
}

int main() {
    std::string error;
    OffscreenGL* gl = createOffscreenGL(640, 480, &error);
    if (!gl) {
        std::fprintf(stderr, "offscreen GL: %s\n", error.c_str());
        return 1;
    }
    char pattern[] = "/tmp/vorrend-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    fs::path root = pattern;
    writeBenchDataSet(root);
    uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) bytes += entry.file_size();
    fs::path previous = fs::current_path();
    fs::current_path(root);

    const int runs = 7;
    std::vector<double> total, cpu, jpeg, png, pngPrefetched, objects;
    for (int run = 0; run < runs; ++run) {
        forgetAssets();
        glFinish();
        Clock::time_point start = Clock::now();
        double cpuStart = processorSeconds();
        loadAssets(mainWindow);
        glFinish();
        total.push_back(msSince(start));
        cpu.push_back(1e3 * (processorSeconds() - cpuStart));

        // The same three groups again, timed apart.
        forgetAssets();
        start = Clock::now();
        for (const ManifestPicture& p : jpegManifest)
            loadJpgTexture(jpgTextures, dataPath(p.path).c_str(), int(p.texture - jpgTextures));
        glFinish();
        jpeg.push_back(msSince(start));
        start = Clock::now();
        for (const ManifestPicture& p : pngManifest)
            *p.texture = pngBind(dataPath(p.path).c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR);
        glFinish();
        png.push_back(msSince(start));
        for (const ManifestPicture& p : pngManifest) glDeleteTextures(1, p.texture), *p.texture = 0;
        start = Clock::now();
        std::vector<std::string> paths;
        const char* names[32];
        for (const ManifestPicture& p : pngManifest) paths.push_back(dataPath(p.path));
        for (int i = 0; i < 32; ++i) names[i] = paths[i].c_str();
        startPngPrefetch(names, 32);
        for (int i = 0; i < 32; ++i)
            *pngManifest[i].texture = pngBind(names[i], 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR);
        finishPngPrefetch();
        glFinish();
        pngPrefetched.push_back(msSince(start));
        start = Clock::now();
        for (const ManifestObject& o : objectManifest) {
            o.object->loadFromFile(dataPath(o.path).c_str());
            for (mesh& m : o.object->meshes) m.scale(o.scale), m.computeNormals();
        }
        objects.push_back(msSince(start));
    }
    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("%-28s best %7.1f ms   median %7.1f ms\n", what, v.front(), v[v.size() / 2]);
    };
    std::printf("data set: 36 pictures (4 JPEG 512x512, PNG 256x256 and 512x512), 7 object files, %.1f MB\n",
                bytes / 1e6);
    report("loadAssets (goal < 100 ms)", total);
    report("  its CPU time", cpu);
    report("  4 JPEG + mipmaps", jpeg);
    report("  32 PNG, one thread", png);
    report("  32 PNG, decoded ahead", pngPrefetched);
    report("  10 objects", objects);

    fs::current_path(previous);
    fs::remove_all(root);
    destroyOffscreenGL(gl);
    return 0;
}
