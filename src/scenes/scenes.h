// One function per scene, called by the timeline while demoTime lies inside the
// scene's window. Each clears and draws the whole frame; none swaps buffers.
// Scenes save and restore no GL state: each finds what the previous frame left.
#pragma once

struct tegn3d;

void drawOpeningScene();       //   0 -  20 s
void drawGalleryScene();       //  20 -  35 s
void drawShipScene();          //  35 -  71 s and 126 - 145 s
void drawTunnelScene();        //  71 -  86 s
void drawTreasureRoomScene();  //  86 - 106 s
void drawTorusScene();         // 106 - 126 s

void deformBlob(tegn3d& target);
// Rewrites the first mesh of target from the first mesh of objKule by three sine
// passes of demoTime, then recomputes its normals. Skipped when either mesh is
// missing or the target has fewer vertices than the source.
