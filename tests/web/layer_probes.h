// Pictures of the fixed-function features that the show's own pictures do not all
// reach, drawn with the same calls through native GL and through the web layer:
// layer_probe_test.cpp compares the two.
#pragma once

constexpr int probeCount = 4;
constexpr int probeWidth = 640, probeHeight = 480;

void drawProbe(int probe);
// Draws picture `probe` (0 .. probeCount - 1) into a probeWidth x probeHeight
// viewport, from GL's initial state with the depth test on.
