// Set-up that several scenes share. Each helper is a fixed run of GL calls, so a
// scene that calls one issues exactly the calls it would otherwise write out.
#pragma once

// The lens of the start-up projection, which the Opening and Gallery scenes draw with
// and the Ship, Tunnel and Treasure room scenes set again.
const double standardFovy = 45.0;

// Grey (0.5, 0.5, 0.5, 1): the fog colour of the lit scenes.
extern const float fogGrey[4];

// Projection identity, gluPerspective(fovy, 1, 1, 1000), then back to the modelview.
// Aspect 1.0 whatever the picture's shape: every scene is framed for it.
void setLens(double fovy);

// Identity, then the eye at (0, 0, -distance) looking at the origin, y up: world +x
// shows on the left of the screen.
void lookAtOriginFrom(double distance);

// The start of the lit scenes: the clear, with whatever clear colour the previous
// frame left, then (grey, grey, grey, 1) for the next one, smooth shading, clear
// depth 1 and the depth test with GL_LEQUAL.
void beginLitFrame(float clearGrey);

// Lighting and light 0 on, light 0 at (30, 30, 50), placed by the modelview in force.
void switchOnLamp();
