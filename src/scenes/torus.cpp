// The torus: through a 150-degree lens a stone torus spins fast about the vertical
// axis, pushed by the music, while the additive credits strip crosses the bottom of
// the screen from right to left.
#include <GL/gl.h>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "scenes/scene_setup.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

void drawTorusScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    setLens(150.0);
    lookAtOriginFrom(19);

    // Torus: opaque, and otherwise in the treasure room's state: no depth test (its
    // triangles are painted in index order), unlit, unfogged, white. The music
    // pushes it away, up and to the left; the spin angle grows without bound.
    glPushMatrix();
    glDisable(GL_BLEND);
    float push = musicSpectrum[0] + musicSpectrum[0];
    glTranslatef(push, push, push);
    glRotatef(demoTime * -390.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    objTorus.draw();
    glPopMatrix();

    // Credits: 400 units long at 39 units from the eye, moving 60 units a second
    // towards world +x (the left of the screen); centred at 116 s. The eye looks
    // along +z, so s is mirrored for the picture to read left to right.
    glPushMatrix();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glScalef(200.0f, 20.0f, 20.0f);
    glTranslatef(float(t106 * 0.3 - 3.0), -6.2f, 0.0f);
    drawSpriteSpan(texCred, 1.0f, 0.0f);
    glPopMatrix();
}
