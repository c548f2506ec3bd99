// The asset table: every texture and object the scenes draw, loaded once by
// loadAssets before the first frame and read-only afterwards (except the two blob
// meshes the treasure room reshapes every frame). A texture name of 0 is a PNG
// that did not load.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "assets/tegn3d.h"
#include "runtime/manifest.h"

// The window (platform/window.h's DemoWindow), named here without its header, which
// every scene would otherwise see through this one.
struct DemoWindowImpl;

extern uint32_t jpgTextures[4];  // blue, bakgrunn, skuta, lyn
inline uint32_t& texBlue = jpgTextures[0];
inline uint32_t& texBakgrunn = jpgTextures[1];
inline uint32_t& texSkuta = jpgTextures[2];
inline uint32_t& texLyn = jpgTextures[3];

extern uint32_t texSkjerm, texKubetex, texKuletex, texKuletex2, texKuletex3, texTreasureroom, texGulv, texRemember,
    texGrumla2, texVann, texStortflagg2, texHjul, texMetall, texRuter, texSflagg, texTau, texTre, texTre2, texTre3,
    texTre4, texLoading, texPirat, texFinish2, texLegacyKube, texSkatt, texStone, texGreet, texMalstrom, texMalstrom2,
    texTreasure, texCred, texTg05;

extern tegn3d objVann, objTorus, objCube, objKule, objKuleFlipped, objKuleTau, objKuleTex3, objTunnel, objSkute,
    objKube2;

void loadAssets(DemoWindowImpl* window);
// Records the window, creates the GL context for its picture with the start-up
// projection, then loads the 4 JPEG and 32 PNG pictures and the 10 objects from
// data/ in manifest order. Here, not in the loaders, failures get their
// consequences: a missing or damaged JPEG prints its reason on stderr, shows
// "Unable to load JPG File!" (caption "Error") and ends the process with status 1;
// a PNG that fails leaves 0 and prints its reason on stderr; an object that fails
// shows its message (caption "tegn3d::loadFromFile"), stays empty and the steps
// for meshes it lacks are skipped. A JPEG that decodes in spite of damage (cut
// short, say) prints the decoder's warning on stderr and is used as it came.

void collectAssetProblems(std::vector<std::string>* problems);
// From here loadAssets puts one line for each data file that fails or loads
// damaged, naming the file and why, into *problems instead of showing or printing
// it, and goes on loading whatever fails: the caller decides what follows. Null
// restores the player's ways above.

extern char fileBeingLoaded[512];
// The data file loadAssets is reading, empty outside it: what the web page names
// when the program stops on a fault while loading.
