// The data folder and every file the demo reads from it, in load order, with what
// becomes of each. Plain data without GL (manifest.cpp links nothing but the asset
// table it fills), so the data generator and the test data writer read the same
// table as loadAssets.
#pragma once
#include <cstdint>
#include <string>

struct tegn3d;

// Every path below is relative to the data folder; dataPath is the one place that
// joins the two. The data folder is "data/" under the working directory unless the
// program found it elsewhere (data_folder.h) before loading anything.
inline constexpr char defaultDataRoot[] = "data/";
extern std::string dataRoot;                        // ends in '/'; defaultDataRoot at start
void setDataRoot(const std::string& folder);        // a '/' is added when missing
std::string dataPath(const std::string& relative);  // "pic/blue.jpg" -> "data/pic/blue.jpg"

struct ManifestPicture {
    const char* path;
    uint32_t* texture;  // JPEG: its slot of jpgTextures; PNG: its global
};

// The ship's meshes, in the order of its file. The data generator builds them in
// this order and the manifest gives each its texture by name.
enum class ShipPart { hull, deck, shrouds, stays, masts, castles, ropes, wheel, windows, rails, sails, count };
constexpr int meshOf(ShipPart part) { return int(part); }

struct ManifestTexture {
    int mesh;
    uint32_t* texture;
};
struct ManifestObject {
    tegn3d* object;
    const char* path;
    float scale;
    bool everyMesh;  // scale and normals on every mesh, else on mesh 0 alone
    bool invert;     // after the normals: positions mirrored, normals kept
    const ManifestTexture* textures;
    int textureCount;  // set in this order, after the geometry of every mesh
};

extern const ManifestPicture jpegManifest[4];
extern const ManifestPicture pngManifest[32];
extern const ManifestObject objectManifest[10];
inline constexpr char soundtrackFile[] = "sound/vorrend.ogg";

bool firstOfItsFile(const ManifestObject& entry);
// True for the first object that loads its file (four objects share the sphere's):
// each object file once.

const ManifestObject* manifestEntryOf(const tegn3d& object);
// The object's row, or null for an object the manifest does not load.
