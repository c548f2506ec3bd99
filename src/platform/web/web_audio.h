// What the web audio backend (audio_web.cpp) offers the web entry beside the
// player calls of bass.h.
#pragma once
#include <vector>

void unlockAudio();
// Lets the page's audio run: call it while handling the viewer's click or key.

const std::vector<float>* musicMono(int* rate);
// The stream's soundtrack mixed to mono, as the spectrum hears it; null without one.
