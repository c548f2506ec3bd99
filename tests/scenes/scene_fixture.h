// Shared helpers for the scene tests: plain-colour textures made on the spot,
// small in-memory meshes, a fixture that starts every test from the start-up state
// with neutral assets, and the arithmetic to find an eye-space point on screen.
#pragma once
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <vector>

#include "assets/tegn3d.h"
#include "gl_test.h"

using Rgb = std::array<int, 3>;

struct Rgba8 {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A texture from RGBA bytes, top row first (texel (0, 0) is the top-left pixel),
// GL_REPEAT in s and t like the demo's pictures, GL_NEAREST so edges stay crisp.
// Deleted by SceneTest::TearDown.
uint32_t makeTexture(int width, int height, const std::vector<uint8_t>& rgba);
uint32_t makeSolidTexture(Rgba8 colour);
// A 2 x 2 picture, one colour per quarter: shows orientation and mirroring.
uint32_t makeQuadrantTexture(Rgba8 topLeft, Rgba8 topRight, Rgba8 bottomLeft, Rgba8 bottomRight);

// A flat rectangle centred on the origin in the plane z = 0, normal +z, two
// triangles. Seen from +z (the default eye looking down -z after a translate):
// s = 0 on the left, t = 0 on top, like the sprite.
mesh makeQuadMesh(float halfWidth, float halfHeight, uint32_t texture);
// The same rectangle moved by (x, y, z).
mesh makeQuadMesh(float halfWidth, float halfHeight, uint32_t texture, float x, float y, float z);
tegn3d makeObject(std::vector<mesh> meshes);

// Sets every texture global (jpgTextures and texSkjerm ... texTg05) to one name.
void setAllTextureGlobals(uint32_t texture);
// Empties the ten objects.
void clearAllObjects();

// GLTest plus: GL_TEXTURE_2D on (the frame function's job), musicSpectrum zeroed,
// the ten objects empty and every texture global set to `invisible`, a transparent
// black texture. Invisible adds nothing to additive layers and shows nothing
// through alpha layers; a layer drawn with blending off paints it black. (Name 0
// would paint the plain current colour instead.)
class SceneTest : public GLTest {
  public:
    void SetUp() override;
    void TearDown() override;
    static uint32_t invisible;
};

// One GL state value, as glGetIntegerv or glGetFloatv give it.
GLint intParam(GLenum name);
float floatParam(GLenum name);
// Four of them: GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE.
std::array<float, 4> float4Param(GLenum name);
// Front and back faces both in GL_FILL.
bool fillsPolygons();

// What one scene hands the next: StateChain checks that each scene leaves it, and the
// tests of the scene after start from it. Lighting is off after every scene.
struct HandedOver {
    bool depthTest;             // with GL_LEQUAL
    bool fog;                   // GL_LINEAR from 8 to 75
    GLenum blendSrc, blendDst;  // blending on
    std::array<float, 4> clear;
};
extern const HandedOver leftByShip, leftByTunnel, leftByTreasureRoom;
// Sets that state, with opaque white as the current colour.
void enter(const HandedOver& state);

// Frames from `from` up to, not including, `to`, every 1/60 s, as the live demo
// would draw them: the state chain between scenes included.
void playFrames(float from, float to);

// Where the eye-space point (x, y, z), z < 0, lands under the start-up projection
// (45 degrees, aspect 1) on the 640 x 480 picture: column, and row from the top.
struct PixelPos {
    double x, y;
};
PixelPos eyeToPixel(double x, double y, double z);

// makeAxesMarker (test_shapes.h) with arms red along x, green along y, blue along z.
std::vector<mesh> makeColouredAxes(float length, float half, uint8_t alpha = 255);
// Where its red, green and blue arms' tips (0.8 of an arm) land, in pixels: each shows
// its colour there. A turn of the wrong sign, axis, order or clock moves a tip away.
using ArmTips = std::array<std::array<int, 2>, 3>;
::testing::AssertionResult armsLand(const ArmTips& tips);

// 'r', 'g', 'b' or 'y' when that colour clearly leads the pixel, '?' otherwise.
char hueOf(const Rgb& p);

// 0..1 (clamped) to 0..255, rounded.
Rgb rgb(double r, double g, double b);

// Each channel of `actual` within `tolerance` of `expected`.
::testing::AssertionResult pixelNear(const Rgb& actual, const Rgb& expected, int tolerance = 2);
