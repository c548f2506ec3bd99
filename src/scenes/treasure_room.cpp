// The treasure room: on white, a cube spinning close to the eye and, far behind
// it, two wobbling sphere-mapped blobs (one filled, one a wireframe around it) that
// tumble and jump with the music; then the room picture, the scrolling greetings
// strip, the treasure picture and the screen frame.
#include <GL/gl.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "scenes/scene_setup.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

namespace {

// The first mesh of the object, or null when it has none.
mesh* firstMesh(tegn3d& object) {
    if (object.meshCount < 1 || object.meshes.empty()) return nullptr;
    return &object.meshes[0];
}

// Vertices a mesh really holds positions for, whatever its count claims.
int32_t usableVertices(const mesh& m) {
    int64_t stored = int64_t(m.positions.size() / 3);
    return m.vertexCount < stored ? m.vertexCount : int32_t(stored);
}

// The blob's rest shape: the never-drawn sphere's first mesh, read only.
const mesh* blobSource() {
    mesh* source = firstMesh(objKule);
    if (!source || usableVertices(*source) < source->vertexCount) return nullptr;
    return source;
}

// A target can take the source's shape when its first mesh has room for every
// source vertex. A sphere file that failed to load leaves the objects empty.
bool deformable(tegn3d& target) {
    const mesh* source = blobSource();
    mesh* dest = firstMesh(target);
    return source && dest && usableVertices(*dest) >= source->vertexCount;
}

}  // namespace

void deformBlob(tegn3d& target) {
    if (!deformable(target)) return;
    const mesh& source = *blobSource();
    mesh& dest = target.meshes[0];
    const float* from = source.positions.data();
    float* to = dest.positions.data();
    const double t = demoTime;

    // Each pass is driven by one coordinate it leaves alone; each stores its
    // results as floats and the next pass reads them back, so the shape is rounded
    // to single precision between passes. The source is read by pass 1 only, so
    // the shape depends on demoTime alone, never on the previous frame.
    auto a = [t](double c) { return 1.5 + 0.5 * std::sin(3.0 * t + 0.5 * c); };
    auto b = [t](double c) { return 1.5 + 0.5 * std::sin(3.5 * t + 0.2 * c); };
    for (int32_t i = 0; i < source.vertexCount; ++i) {
        const float* s = from + 3 * size_t(i);
        float* p = to + 3 * size_t(i);

        double x = s[0], y = s[1], z = s[2];
        p[0] = float(x * a(z));
        p[1] = float(y * b(z));
        p[2] = float(z);

        x = p[0], y = p[1], z = p[2];
        p[0] = float(x * a(y));
        p[2] = float(z * b(y));

        x = p[0], y = p[1], z = p[2];
        p[1] = float(y * a(x));
        p[2] = float(z * b(x));
    }
    dest.computeNormals();
}

void drawTreasureRoomScene() {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    setLens(standardFovy);
    lookAtOriginFrom(35);

    // Cube, 4 units in front of the eye and 2 up, spinning 10 degrees a second.
    // Drawn in the state the previous frame left: no depth test (its triangles
    // cover each other in mesh order), alpha blending, unlit, opaque white.
    glPushMatrix();
    glTranslatef(0.0f, 2.0f, -31.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(float(10.0 * demoTime), 0.0f, 0.0f, -1.0f);
    objKube2.draw();
    glPopMatrix();

    // Blobs, 115 units away and 20 to the right, pushed by the music along every
    // axis and tumbling. Without a loaded sphere there is nothing to shape or draw.
    if (deformable(objKuleTau) && deformable(objKuleTex3)) {
        glPushMatrix();
        double s = musicSpectrum[0];
        glTranslatef(float(2.0 * s - 10.0), float(2.0 * s), float(2.0 * s + 40.0));
        glTranslatef(-10.0f, 0.0f, 40.0f);
        glRotatef(float(50.0 * demoTime), 0.0f, 1.0f, 0.0f);
        glRotatef(float(45.0 * demoTime), 1.0f, 0.0f, 0.0f);

        // Both shapes and their normals are new before either is drawn.
        deformBlob(objKuleTau);
        deformBlob(objKuleTex3);

        // Depth-tested against each other only: the cube wrote no depth. The
        // sphere map follows the new normals and replaces the mesh coordinates.
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);

        // Blending is off, so only the white of this colour counts.
        glColor4f(1.0f, 1.0f, 1.0f, 0.2f);
        glDisable(GL_BLEND);

        glScalef(0.9f, 0.9f, 0.9f);
        objKuleTex3.draw();

        // The wireframe at 1.1 times the filled blob.
        glScalef(1.1f, 1.1f, 1.1f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        objKuleTau.draw();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_DEPTH_TEST);
        glPopMatrix();
    }

    // Room picture, lower left, at eye depth 45.
    beginAlphaOverlay();
    glScalef(5.0f, 5.0f, 5.0f);
    glTranslatef(-2.7f, -1.5f, -10.0f);
    drawSpritePop(texTreasureroom);

    // Greetings: a band 400 units wide at eye depth 180 of which the middle shows;
    // the picture scrolls left a fifth of its width a second and repeats. It keeps
    // the opaque white the room picture left.
    glLoadIdentity();
    glPushMatrix();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glScalef(200.0f, 10.0f, 20.0f);
    glTranslatef(0.0f, -4.0f, -10.0f);
    double u = 0.2 * demoTime;
    drawSpriteSpan(texGreet, float(u), float(u + 1.0));
    glPopMatrix();

    // Treasure picture, upper left, at eye depth 2.
    beginAlphaOverlay();
    glScalef(0.2f, 0.2f, 1.0f);
    glTranslatef(-3.0f, 1.8f, -3.0f);
    drawSpritePop(texTreasure);

    beginAlphaOverlay();
    glTranslatef(0.0f, 0.0f, -3.0f);
    drawSpritePop(texSkjerm);
}
