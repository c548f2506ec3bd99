// A quit signal noted for the long steps of start-up. The signal handlers of the
// player (platform/window_sdl.cpp) and the capture tool set it; loading the data
// and opening the soundtrack look at it between pieces of work and give up early,
// so that Ctrl+C or a kill is honoured within a second however large the files.
#pragma once
#include <csignal>

inline volatile std::sig_atomic_t stopRequested = 0;
