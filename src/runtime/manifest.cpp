// The asset table and the load manifest: plain data, no GL.
#include "runtime/manifest.h"

#include "runtime/assets.h"

uint32_t jpgTextures[4] = {};
uint32_t texSkjerm, texKubetex, texKuletex, texKuletex2, texKuletex3, texTreasureroom, texGulv, texRemember, texGrumla2,
    texVann, texStortflagg2, texHjul, texMetall, texRuter, texSflagg, texTau, texTre, texTre2, texTre3, texTre4,
    texLoading, texPirat, texFinish2, texLegacyKube, texSkatt, texStone, texGreet, texMalstrom, texMalstrom2,
    texTreasure, texCred, texTg05;

tegn3d objVann, objTorus, objCube, objKule, objKuleFlipped, objKuleTau, objKuleTex3, objTunnel, objSkute, objKube2;

std::string dataRoot = defaultDataRoot;

void setDataRoot(const std::string& folder) {
    dataRoot = folder;
    if (!dataRoot.empty() && dataRoot.back() != '/') dataRoot += '/';
}

std::string dataPath(const std::string& relative) { return dataRoot + relative; }

const ManifestPicture jpegManifest[4] = {
    {"pic/blue.jpg", &texBlue},
    {"pic/bakgrunn.jpg", &texBakgrunn},
    {"pic/skuta.jpg", &texSkuta},
    {"pic/lyn.jpg", &texLyn},
};

const ManifestPicture pngManifest[32] = {
    {"pic/skjerm.png", &texSkjerm},
    {"pic/kubetex.png", &texKubetex},
    {"pic/kuletex.png", &texKuletex},
    {"pic/kuletex2.png", &texKuletex2},
    {"pic/kuletex3.png", &texKuletex3},
    {"pic/treasureroom.png", &texTreasureroom},
    {"pic/gulv.png", &texGulv},
    {"pic/remember.png", &texRemember},
    {"pic/grumla2.png", &texGrumla2},
    {"pic/vann.png", &texVann},
    {"pic/skutetex/stortflagg2.png", &texStortflagg2},
    {"pic/skutetex/hjul.png", &texHjul},
    {"pic/skutetex/metall.png", &texMetall},
    {"pic/skutetex/ruter.png", &texRuter},
    {"pic/skutetex/sflagg.png", &texSflagg},
    {"pic/skutetex/tau.png", &texTau},
    {"pic/skutetex/tre.png", &texTre},
    {"pic/skutetex/tre2.png", &texTre2},
    {"pic/skutetex/tre3.png", &texTre3},
    {"pic/skutetex/tre4.png", &texTre4},
    {"pic/loading.png", &texLoading},
    {"pic/legacy/pirat.png", &texPirat},
    {"pic/legacy/finish2.png", &texFinish2},
    {"pic/legacy/kube.png", &texLegacyKube},
    {"pic/legacy/skatt.png", &texSkatt},
    {"pic/stone.png", &texStone},
    {"pic/greet.png", &texGreet},
    {"pic/malstrom.png", &texMalstrom},
    {"pic/malstrom2.png", &texMalstrom2},
    {"pic/treasure.png", &texTreasure},
    {"pic/cred.png", &texCred},
    {"pic/tg05.png", &texTg05},
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
    {meshOf(ShipPart::hull), &texTre},          {meshOf(ShipPart::deck), &texTre2},
    {meshOf(ShipPart::shrouds), &texTau},       {meshOf(ShipPart::stays), &texTau},
    {meshOf(ShipPart::masts), &texTre3},        {meshOf(ShipPart::castles), &texTre4},
    {meshOf(ShipPart::ropes), &texTau},         {meshOf(ShipPart::wheel), &texHjul},
    {meshOf(ShipPart::windows), &texRuter},     {meshOf(ShipPart::rails), &texTre4},
    {meshOf(ShipPart::sails), &texStortflagg2},
};
const ManifestTexture kube2Textures[] = {{0, &texKubetex}, {1, &texKubetex}, {2, &texKubetex},
                                         {3, &texKubetex}, {4, &texKubetex}, {5, &texKubetex}};

// Four objects load their own copy of the sphere.
constexpr char sphereFile[] = "objects/kule.ebr";

// Single precision on purpose: 0.15f is 0x3E19999A, 0.1f is 0x3DCCCCCD.
constexpr float objectScale = 0.15f, shipScale = 0.1f;

template <size_t N>
constexpr int countOf(const ManifestTexture (&)[N]) {
    return int(N);
}

}  // namespace

const ManifestObject objectManifest[10] = {
    {&objVann, "objects/vann.ebr", objectScale, false, false, vannTextures, countOf(vannTextures)},
    {&objTorus, "objects/torus.ebr", objectScale, false, false, torusTextures, countOf(torusTextures)},
    {&objCube, "objects/cube.ebr", objectScale, false, false, cubeTextures, countOf(cubeTextures)},
    {&objKule, sphereFile, objectScale, false, false, nullptr, 0},
    {&objKuleFlipped, sphereFile, objectScale, false, true, kuleFlippedTextures, countOf(kuleFlippedTextures)},
    {&objKuleTau, sphereFile, objectScale, false, false, kuleTauTextures, countOf(kuleTauTextures)},
    {&objKuleTex3, sphereFile, objectScale, false, false, kuleTex3Textures, countOf(kuleTex3Textures)},
    {&objTunnel, "objects/tunnel.ebr", objectScale, false, false, tunnelTextures, countOf(tunnelTextures)},
    {&objSkute, "objects/skute2.ebr", shipScale, true, false, skuteTextures, countOf(skuteTextures)},
    {&objKube2, "objects/kube2.ebr", shipScale, true, false, kube2Textures, countOf(kube2Textures)},
};

bool firstOfItsFile(const ManifestObject& entry) {
    for (const ManifestObject& earlier : objectManifest) {
        if (&earlier == &entry) return true;
        if (std::string(earlier.path) == entry.path) return false;
    }
    return false;
}

const ManifestObject* manifestEntryOf(const tegn3d& object) {
    for (const ManifestObject& entry : objectManifest)
        if (entry.object == &object) return &entry;
    return nullptr;
}
