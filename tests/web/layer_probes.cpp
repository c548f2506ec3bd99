#include "layer_probes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "assets/tegn3d.h"

namespace {

// A checker of two colours with a gradient, so filtering and mipmaps show.
unsigned checkerTexture(int width, int height, bool mipmaps) {
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(size_t(y) * width + x) * 3];
            const bool dark = ((x / 8) + (y / 8)) % 2;
            p[0] = uint8_t(dark ? 40 : 230);
            p[1] = uint8_t(255 * x / width);
            p[2] = uint8_t(dark ? 200 : 255 * y / height);
        }
    unsigned name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (mipmaps) {
        // The JPEG path: a side that is no power of two scaled first, then the chain.
        int w = 1, h = 1;
        while (w < width) w *= 2;
        while (h < height) h *= 2;
        std::vector<uint8_t> scaled(size_t(w) * h * 3);
        gluScaleImage(GL_RGB, width, height, GL_UNSIGNED_BYTE, pixels.data(), w, h, GL_UNSIGNED_BYTE, scaled.data());
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, GL_RGB, GL_UNSIGNED_BYTE, scaled.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return name;
}

void quad(float x0, float y0, float z0, float x1, float y1, float z1, float repeat) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y0, z0);
    glTexCoord2f(repeat, 0);
    glVertex3f(x1, y0, z0);
    glTexCoord2f(repeat, repeat);
    glVertex3f(x1, y1, z1);
    glTexCoord2f(0, repeat);
    glVertex3f(x0, y1, z1);
    glEnd();
}

// A sphere of radius 1 with unit normals, drawn as the demo draws its meshes.
void sphere() {
    static mesh ball;
    const int slices = 24, stacks = 16;
    if (ball.indices.empty()) {
        for (int i = 0; i <= stacks; ++i)
            for (int j = 0; j <= slices; ++j) {
                const double theta = M_PI * i / stacks, phi = 2 * M_PI * j / slices;
                const Vec3 n{float(std::sin(theta) * std::cos(phi)), float(std::cos(theta)),
                             float(std::sin(theta) * std::sin(phi))};
                ball.positions.insert(ball.positions.end(), {n.x, n.y, n.z});
                ball.normals.push_back(n);
                ball.texCoords.insert(ball.texCoords.end(), {float(j) / slices, float(i) / stacks});
            }
        for (int i = 0; i < stacks; ++i)
            for (int j = 0; j < slices; ++j) {
                const uint32_t a = uint32_t(i * (slices + 1) + j), b = a + slices + 1;
                ball.indices.insert(ball.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
            }
        ball.faceCount = int32_t(ball.indices.size() / 3);
    }
    ball.draw();
}

// A wall far away, mipmapped from a picture whose sides are no powers of two; then
// white floors running from the eye into an orange fog, one for each fog mode:
// linear, exp and exp2.
void fogs() {
    glEnable(GL_TEXTURE_2D);
    checkerTexture(100, 60, true);
    quad(-12, 9, -40, 12, 1, -40, 6);
    glDisable(GL_TEXTURE_2D);
    const float orange[4] = {0.9f, 0.4f, 0.1f, 1};
    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, orange);
    glFogf(GL_FOG_START, 2);
    glFogf(GL_FOG_END, 30);
    const struct {
        GLint mode;
        float density, x;
    } floors[] = {{GL_LINEAR, 0, -7.5f}, {GL_EXP, 0.08f, -2.4f}, {GL_EXP2, 0.1f, 2.7f}};
    for (const auto& f : floors) {
        glFogi(GL_FOG_MODE, f.mode);
        glFogf(GL_FOG_DENSITY, f.density);
        quad(f.x, -1, -1.5f, f.x + 4.8f, -1, -60, 1);
    }
}

// Spheres lit by a light from a direction and from a point, one under an uneven
// scale (its normals lengthen), one sphere-mapped as the treasure room's blobs.
void lights() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float direction[4] = {1, 1, 1, 0}, point[4] = {2, 3, -2, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glPushMatrix();
    glTranslatef(-2.6f, 0.8f, -7);
    sphere();
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_POSITION, point);
    glPushMatrix();
    glTranslatef(0, 0.8f, -7);
    glRotatef(30, 1, 1, 0);
    glScalef(1, 0.6f, 1.4f);
    sphere();
    glPopMatrix();
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    checkerTexture(64, 64, false);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glPushMatrix();
    glTranslatef(2.6f, 0.8f, -7);
    glScalef(0.9f, 0.9f, 0.9f);
    sphere();
    glPopMatrix();
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    // Below: the same sphere as outlines, lit, over a quad's outline.
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4f(1, 0.9f, 0.2f, 1);
    glDisable(GL_TEXTURE_2D);
    quad(-3.5f, -3.2f, -8, -0.5f, -0.8f, -8, 1);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(1.5f, -2, -8);
    glRotatef(20, 0, 1, 0);
    sphere();
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// The texture matrix moving, turning and scaling coordinates, and textures that are
// not complete (none bound, mipmaps asked for but not given): plain colour.
void textures() {
    glEnable(GL_TEXTURE_2D);
    checkerTexture(64, 64, false);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.3f, -0.2f, 0);
    glRotatef(25, 0, 0, 1);
    glScalef(1.5f, 0.7f, 1);
    glMatrixMode(GL_MODELVIEW);
    quad(-3.5f, 2.5f, -7, -0.5f, -0.5f, -7, 1);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    const unsigned incomplete = checkerTexture(64, 64, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glColor4f(0.9f, 0.4f, 0.1f, 1);
    quad(0.5f, 2.5f, -7, 3.5f, -0.5f, -7, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(0.2f, 0.8f, 0.4f, 1);
    quad(-1.5f, -1, -7, 1.5f, -2.8f, -7, 1);
    glBindTexture(GL_TEXTURE_2D, incomplete);
}

// Colours beyond 0 .. 1 under the additive and the alpha blend: each component
// clamped before it is blended.
void colours() {
    glEnable(GL_TEXTURE_2D);
    checkerTexture(64, 64, false);
    glDisable(GL_DEPTH_TEST);
    quad(-3.5f, 2.5f, -7, 3.5f, -2.5f, -7, 2);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(-0.5f, 0.3f, 2, 1);
    quad(-3, 2, -6, -0.5f, -0.5f, -6, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 0.5f, 0.5f, 1.6f);
    quad(0.5f, 2, -6, 3, -0.5f, -6, 1);
    glColor4f(1, 1, 1, -0.4f);
    quad(-3, -0.5f, -6, -0.5f, -2.2f, -6, 1);
    glColor4f(0.2f, 0.6f, 1, 0.5f);
    quad(0.5f, -0.5f, -6, 3, -2.2f, -6, 1);
}

}  // namespace

void drawProbe(int probe) {
    glViewport(0, 0, probeWidth, probeHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, double(probeWidth) / probeHeight, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.1f, 0.15f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    switch (probe) {
    case 0:
        return fogs();
    case 1:
        return lights();
    case 2:
        return textures();
    default:
        return colours();
    }
}
