// The default data set: every picture, mesh and the soundtrack the demo loads,
// painted, modelled and synthesised here so that a fresh checkout plays out of the
// box. Everything is deterministic: fixed seeds, no time stamps, so two runs write
// byte-identical files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ebr_writer.h"
#include "runtime/assets.h"

// Every file the demo's manifest names, each once, relative to the data folder
// ("pic/blue.jpg", ...), in load order: 4 JPEG, 32 PNG, 7 EBR, then the soundtrack.
const std::vector<std::string>& dataManifest();

// Writes every file of the manifest under dataDir (created as needed), each staged
// (staged_file.h): a file that fails keeps whatever had its name. Symbolic links
// inside dataDir are replaced, never written through. Uses up to `threads` threads;
// the bytes do not depend on it. False on failure, with one line per file that
// failed and its reason ("cannot write .../pic/blue.jpg: No space left on device").
bool generateDataSet(const std::string& dataDir, int threads, std::string* error);

// The program's icon at each size, as an icon theme lays it out: under folder,
// SIZExSIZE/apps/vorrend.png, each staged. False on failure, a line per failed file.
constexpr int iconSizes[] = {256, 48};
bool writeIcons(const std::string& folder, std::string* error);

// ---- meshes (mesh_gen.cpp; the ship in ship_model.cpp) ---------------------------------
// Each returns the meshes of one EBR file, in file order, in model units. Models are
// z-up; the scale factors and transforms of the scenes that draw them decide sizes.
std::vector<EbrMesh> waterObject();         // vann.ebr: sea surface, front towards -z
std::vector<EbrMesh> torusObject();         // torus.ebr
std::vector<EbrMesh> cubeObject();          // cube.ebr: one mesh
std::vector<EbrMesh> sphereObject();        // kule.ebr: one smooth mesh, outward faces
std::vector<EbrMesh> tunnelObject();        // tunnel.ebr: along +y, faces to the axis
std::vector<EbrMesh> shipObject();          // skute2.ebr: a mesh per ShipPart, bow towards +y
std::vector<EbrMesh> treasureCubeObject();  // kube2.ebr: 6 faces, one mesh each

struct NamedMeshFile {
    const char* path;                // relative to the data folder
    std::vector<EbrMesh> (*make)();  // null when no generator makes that object
};
const std::vector<NamedMeshFile>& meshFiles();  // each object file of the manifest once

// ---- pictures (pictures.cpp, painted by the paint_*.cpp files) ------------------------
// Paints one picture of the manifest and returns the encoded file (PNG or JPEG by the
// name's extension). Empty with a reason for a name the manifest lacks or no painter
// makes.
std::string paintPicture(const std::string& relativePath, std::string* error);
std::vector<std::string> pictureNames();  // the 36 picture paths of the manifest, load order
void releasePictureFonts();               // drops the calling thread's font map once it is done painting

// ---- soundtrack (soundtrack.cpp) -------------------------------------------------
constexpr int soundRate = 44100;
constexpr double soundSeconds = 150.0;

// The soundtrack as interleaved stereo floats in [-1, 1], soundRate frames a second.
std::vector<float> synthesiseSoundtrack();

// Encodes interleaved stereo floats as Ogg Vorbis with a fixed stream serial number.
std::string encodeOggVorbis(const std::vector<float>& stereo, int rate, float quality);
