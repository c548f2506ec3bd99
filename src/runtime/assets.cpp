// The asset table and the load manifest.
#include "runtime/assets.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/textures.h"
#include "runtime/projection.h"

uint32_t jpgTextures[4] = {};
uint32_t texSkjerm, texKubetex, texKuletex, texKuletex2, texKuletex3, texTreasureroom, texGulv, texRemember, texGrumla2,
    texVann, texStortflagg2, texHjul, texMetall, texRuter, texSflagg, texTau, texTre, texTre2, texTre3, texTre4,
    texLoading, texPirat, texFinish2, texLegacyKube, texSkatt, texStone, texGreet, texMalstrom, texMalstrom2,
    texTreasure, texCred, texTg05;

tegn3d objVann, objTorus, objCube, objKule, objKuleFlipped, objKuleTau, objKuleTex3, objTunnel, objSkute, objKube2;

const ManifestPicture jpegManifest[4] = {
    {"data/pic/blue.jpg", &jpgTextures[0]},
    {"data/pic/bakgrunn.jpg", &jpgTextures[1]},
    {"data/pic/skuta.jpg", &jpgTextures[2]},
    {"data/pic/lyn.jpg", &jpgTextures[3]},
};

const ManifestPicture pngManifest[32] = {
    {"data/pic/skjerm.png", &texSkjerm},
    {"data/pic/kubetex.png", &texKubetex},
    {"data/pic/kuletex.png", &texKuletex},
    {"data/pic/kuletex2.png", &texKuletex2},
    {"data/pic/kuletex3.png", &texKuletex3},
    {"data/pic/treasureroom.png", &texTreasureroom},
    {"data/pic/gulv.png", &texGulv},
    {"data/pic/remember.png", &texRemember},
    {"data/pic/grumla2.png", &texGrumla2},
    {"data/pic/vann.png", &texVann},
    {"data/pic/skutetex/stortflagg2.png", &texStortflagg2},
    {"data/pic/skutetex/hjul.png", &texHjul},
    {"data/pic/skutetex/metall.png", &texMetall},
    {"data/pic/skutetex/ruter.png", &texRuter},
    {"data/pic/skutetex/sflagg.png", &texSflagg},
    {"data/pic/skutetex/tau.png", &texTau},
    {"data/pic/skutetex/tre.png", &texTre},
    {"data/pic/skutetex/tre2.png", &texTre2},
    {"data/pic/skutetex/tre3.png", &texTre3},
    {"data/pic/skutetex/tre4.png", &texTre4},
    {"data/pic/loading.png", &texLoading},
    {"data/pic/legacy/pirat.png", &texPirat},
    {"data/pic/legacy/finish2.png", &texFinish2},
    {"data/pic/legacy/kube.png", &texLegacyKube},
    {"data/pic/legacy/skatt.png", &texSkatt},
    {"data/pic/stone.png", &texStone},
    {"data/pic/greet.png", &texGreet},
    {"data/pic/malstrom.png", &texMalstrom},
    {"data/pic/malstrom2.png", &texMalstrom2},
    {"data/pic/treasure.png", &texTreasure},
    {"data/pic/cred.png", &texCred},
    {"data/pic/tg05.png", &texTg05},
};

namespace {

const ManifestTexture vannTextures[] = {{0, &texVann}};
const ManifestTexture torusTextures[] = {{0, &texStone}};
const ManifestTexture cubeTextures[] = {{0, &texKuletex}};
const ManifestTexture kuleFlippedTextures[] = {{0, &texKuletex2}};
const ManifestTexture kuleTauTextures[] = {{0, &texTau}};
const ManifestTexture kuleTex3Textures[] = {{0, &texKuletex3}};
const ManifestTexture tunnelTextures[] = {{0, &texVann}};
const ManifestTexture skuteTextures[] = {
    {0, &texTre}, {1, &texTre2}, {2, &texTau},   {3, &texTau},  {4, &texTre3},         {5, &texTre4},
    {6, &texTau}, {7, &texHjul}, {8, &texRuter}, {9, &texTre4}, {10, &texStortflagg2},
};
const ManifestTexture kube2Textures[] = {{0, &texKubetex}, {1, &texKubetex}, {2, &texKubetex},
                                         {3, &texKubetex}, {4, &texKubetex}, {5, &texKubetex}};

// Single precision on purpose: 0.15f is 0x3E19999A, 0.1f is 0x3DCCCCCD.
constexpr float objectScale = 0.15f, shipScale = 0.1f;

template <size_t N>
constexpr int countOf(const ManifestTexture (&)[N]) {
    return int(N);
}

}  // namespace

const ManifestObject objectManifest[10] = {
    {&objVann, "data/objects/vann.ebr", objectScale, false, false, vannTextures, countOf(vannTextures)},
    {&objTorus, "data/objects/torus.ebr", objectScale, false, false, torusTextures, countOf(torusTextures)},
    {&objCube, "data/objects/cube.ebr", objectScale, false, false, cubeTextures, countOf(cubeTextures)},
    {&objKule, "data/objects/kule.ebr", objectScale, false, false, nullptr, 0},
    {&objKuleFlipped, "data/objects/kule.ebr", objectScale, false, true, kuleFlippedTextures,
     countOf(kuleFlippedTextures)},
    {&objKuleTau, "data/objects/kule.ebr", objectScale, false, false, kuleTauTextures, countOf(kuleTauTextures)},
    {&objKuleTex3, "data/objects/kule.ebr", objectScale, false, false, kuleTex3Textures, countOf(kuleTex3Textures)},
    {&objTunnel, "data/objects/tunnel.ebr", objectScale, false, false, tunnelTextures, countOf(tunnelTextures)},
    {&objSkute, "data/objects/skute2.ebr", shipScale, true, false, skuteTextures, countOf(skuteTextures)},
    {&objKube2, "data/objects/kube2.ebr", shipScale, true, false, kube2Textures, countOf(kube2Textures)},
};

static void prepareObject(const ManifestObject& entry) {
    tegn3d& object = *entry.object;
    std::string why;
    if (!object.loadFromFile(entry.path, &why)) showMessageBox(why.c_str(), "tegn3d::loadFromFile");
    // A file may hold fewer meshes than the manifest addresses: skip the rest.
    int treated = entry.everyMesh ? object.meshCount : (object.meshCount > 0 ? 1 : 0);
    for (int i = 0; i < treated; ++i) {
        mesh& m = object.meshes[i];
        m.scale(entry.scale);
        m.computeNormals();
        if (entry.invert) m.invert();
    }
    for (int i = 0; i < entry.textureCount; ++i) {
        const ManifestTexture& t = entry.textures[i];
        if (t.mesh < object.meshCount) object.meshes[t.mesh].setTexture(*t.texture);
    }
}

// The demo cannot start without its pictures: a failure, not a normal end.
[[noreturn]] static void stopOnJpeg(const char* path, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", path, why.c_str());
    showMessageBox("Unable to load JPG File!", "Error");
    std::exit(1);
}

void loadAssets(DemoWindow window) {
    mainWindow = window;
    clientRect = getClientRect(window);
    const int width = clientRect.right - clientRect.left, height = clientRect.bottom - clientRect.top;
    // Without a context start-up goes on (the quit request is queued), and every
    // picture would fail alike: they are not reported one by one then.
    const bool hasContext = createGLContext(width, height);
    if (hasContext) setProjection(width, height);

    for (int slot = 0; slot < 4; ++slot) {
        std::string why;
        if (!loadJpgTexture(jpgTextures, jpegManifest[slot].path, slot, &why)) stopOnJpeg(jpegManifest[slot].path, why);
    }
    // Decoding the PNG files is most of the load: it runs on every core meanwhile.
    const char* pngPaths[32];
    for (int i = 0; i < 32; ++i) pngPaths[i] = pngManifest[i].path;
    startPngPrefetch(pngPaths, 32);
    for (const ManifestPicture& picture : pngManifest) {
        std::string why;
        *picture.texture = pngBind(picture.path, 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR, &why);
        // No box: whatever uses the picture shows the default texture instead.
        if (!*picture.texture && hasContext) std::fprintf(stderr, "%s: %s\n", picture.path, why.c_str());
    }
    finishPngPrefetch();
    for (const ManifestObject& entry : objectManifest) prepareObject(entry);
}
