// PLACEHOLDER until the manifest lands: the globals, and the context set-up.
#include "runtime/assets.h"

uint32_t jpgTextures[4] = {};
uint32_t texSkjerm, texKubetex, texKuletex, texKuletex2, texKuletex3, texTreasureroom, texGulv, texRemember,
    texGrumla2, texVann, texStortflagg2, texHjul, texMetall, texRuter, texSflagg, texTau, texTre, texTre2, texTre3,
    texTre4, texLoading, texPirat, texFinish2, texLegacyKube, texSkatt, texStone, texGreet, texMalstrom,
    texMalstrom2, texTreasure, texCred, texTg05;

tegn3d objVann, objTorus, objCube, objKule, objKuleFlipped, objKuleTau, objKuleTex3, objTunnel, objSkute, objKube2;

void loadAssets(DemoWindow window) {
    mainWindow = window;
    clientRect = getClientRect(window);
    createGLContext(clientRect.right - clientRect.left, clientRect.bottom - clientRect.top);
}
