// One function per scene, called by the frame while demoTime lies inside one of the
// scene's windows (runtime/timeline_table.h; the Ship scene has two). Each clears
// and draws the whole frame; none swaps buffers.
// Scenes save and restore no GL state: each finds what the previous frame left.
#pragma once

struct tegn3d;

// Times inside their windows at which scenes switch a layer or a camera (the
// windows' own bounds are the timeline's). A frame exactly on one is drawn in a way
// no frame just beside it is: the capture tool keeps its frames off them.
inline constexpr float galleryPictureFrom[4] = {23.0f, 25.0f, 27.0f, 29.0f};  // the grid, picture by picture
inline constexpr float galleryTitleFrom = 29.0f;                              // the title overlay
inline constexpr float shipFarCameraFrom = 47.0f;  // the near camera before, the far one after, none on it
inline constexpr float sceneSwitchTimes[] = {galleryPictureFrom[0], galleryPictureFrom[1], galleryPictureFrom[2],
                                             galleryPictureFrom[3], galleryTitleFrom,      shipFarCameraFrom};

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
