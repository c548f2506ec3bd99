#include "scenes/scene_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

const float fogGrey[4] = {0.5f, 0.5f, 0.5f, 1.0f};

// w = 1: a point lamp up and right behind the viewer. Across the wide water of the
// ship scene the direction to it changes, so the surface shades from near to far
// instead of showing one flat tone; the tunnel uses the same lamp, so the ship looks
// lit alike in both.
static const float lampPosition[4] = {30.0f, 30.0f, 50.0f, 1.0f};

void setLens(double fovy) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
}

void lookAtOriginFrom(double distance) {
    glLoadIdentity();
    gluLookAt(0, 0, -distance, 0, 0, 0, 0, 1, 0);
}

void beginLitFrame(float clearGrey) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glShadeModel(GL_SMOOTH);
    glClearColor(clearGrey, clearGrey, clearGrey, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void switchOnLamp() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_POSITION, lampPosition);
}
