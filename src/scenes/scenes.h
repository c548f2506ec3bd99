// One function per scene, called by the frame while demoTime lies inside one of the
// scene's windows (runtime/timeline_table.h; the Ship scene has two). Each clears
// and draws the whole frame; none swaps buffers.
// Scenes save and restore no GL state: each finds what the previous frame left.
#pragma once

struct tegn3d;

void drawOpeningScene();
void drawGalleryScene();
void drawShipScene();
void drawTunnelScene();
void drawTreasureRoomScene();
void drawTorusScene();

void deformBlob(tegn3d& target);
// Rewrites the first mesh of target from the first mesh of objKule by three sine
// passes of demoTime, then recomputes its normals. Skipped when either mesh is
// missing or the target has fewer vertices than the source.
