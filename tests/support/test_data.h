// A complete, small data set for tests and tools: every picture and object file the
// demo loads, with plain colours and simple shapes, plus the encoders that make
// them (also handy for tests that need a picture of their own).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ebr_writer.h"

struct tegn3d;

// One picture of the set for each picture of the manifest: a plain colour over the
// whole picture. JPEG pictures have no alpha (a = 255); they decode to their colour
// within +-2 per channel. A PNG with a < 255 is written as RGBA, every other PNG as
// RGB.
struct TestPicture {
    std::string path;         // as the demo opens it, e.g. "data/pic/bakgrunn.jpg"
    const uint32_t* texture;  // the global the demo loads it into
    uint8_t r, g, b, a;
    int width, height;
};

// The 36 pictures in the demo's load order (4 JPEG, then 32 PNG). Colours:
//   texBlue 40,60,200  texBakgrunn 200,120,40  texSkuta 30,160,90  texLyn 230,230,60
//   texSkjerm 250,250,250 at alpha 64 (a see-through frame), texVann 20,90,200 at
//   alpha 160, texGreet 240,200,0 at alpha 200; the rest opaque and listed in
//   test_data.cpp, no two within 16 of each other in every channel.
const std::vector<TestPicture>& testPictures();

const TestPicture* findTestPicture(const uint32_t* texture);
// The picture the demo loads into that texture global, or null.

// One file for each object file of the manifest: objKule's sphere of radius 30 (8
// rings x 12 segments, shared by the four sphere objects), objSkute one box more
// than its ShipPart meshes, objKube2 the 6 faces of a cube as 6 meshes; objVann a
// grid, objTorus a torus, objCube a box, objTunnel an open cylinder seen from
// inside.
struct TestObject {
    std::string path;      // as the demo opens it, e.g. "data/objects/kule.ebr"
    const tegn3d* object;  // the first object that loads it
    std::vector<EbrMesh> meshes;
};
const std::vector<TestObject>& testObjects();

const TestObject& testObjectOf(const tegn3d& object);
// The file that object loads (for objKuleTau, the sphere's).

bool writeTestDataSet(const std::string& dir);
// Writes every picture and object of the set under dir at the paths the demo opens
// (dir/data/pic/..., dir/data/objects/...), making folders as needed; dir can then
// be the demo's working directory. No soundtrack: see test_ogg.h. False when a file
// cannot be written.

// Shapes (faces counter-clockwise seen from outside, u/v over [0, 1]).
EbrMesh makeSphere(float radius, int rings, int segments);
EbrMesh makeBox(float cx, float cy, float cz, float sx, float sy, float sz);
EbrMesh makeGrid(float size, int cells);  // in the plane z = 0, facing +z
EbrMesh makeTorus(float major, float minor, int rings, int sides);
EbrMesh makeCylinder(float radius, float length, int segments, bool inward);

// Encoders. Pixels are row-major, top row first.
std::string encodeJpeg(int width, int height, const std::vector<uint8_t>& pixels, bool grey = false, int quality = 95);
// pixels: RGB, or one byte a pixel when grey (written as a 1-component JPEG).

struct PngLayout {
    int width = 1, height = 1;
    int colorType = 2;                        // PNG colour types: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;                         // 1, 2, 4, 8 or 16, as the colour type allows
    std::vector<uint16_t> samples;            // channels of each pixel (palette: the index)
    std::vector<uint8_t> palette;             // RGB triples (colour type 3)
    std::vector<uint8_t> paletteAlpha;        // tRNS of a palette
    std::vector<uint16_t> transparentColour;  // tRNS of grey (1 value) or RGB (3 values)
    double gamma = 0;                         // a gAMA chunk with this file gamma when > 0
    bool interlaced = false;
};
std::string encodePng(const PngLayout& layout);

std::string plainPng(int width, int height, uint8_t r, uint8_t g, uint8_t b, int a = 255);
// RGB when a is 255, else RGBA.
std::string plainJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b);
