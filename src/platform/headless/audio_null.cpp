// No sound device: every call fails without effect and the spectrum stays as it is.
#include "platform/bass.h"

bool BASS_Init(int, uint32_t, uint32_t, DemoWindow, const void*) { return false; }
HSTREAM BASS_StreamCreateFile(bool, const char*, uint64_t, uint64_t, uint32_t) { return 0; }
bool BASS_StreamPlay(HSTREAM, bool, uint32_t) { return false; }
int32_t BASS_ChannelGetData(uint32_t, void*, uint32_t) { return -1; }
uint64_t BASS_ChannelSeconds2Bytes(uint32_t, double) { return uint64_t(-1); }
bool BASS_ChannelSetPosition(uint32_t, uint64_t, uint32_t) { return false; }
void BASS_Free() {}
