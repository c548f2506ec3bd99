// What the headless backend records instead of showing it, for tests and tools.
#pragma once
#include <string>
#include <vector>

struct HeadlessMessage {
    std::string caption, text;
};

std::vector<HeadlessMessage>& headlessMessages();    // every message box, in order
int headlessQuitRequests();                          // quit requests posted so far
void headlessReset();                                // forget both, empty the queue
void headlessSetPictureSize(int width, int height);  // the drawable getClientRect fits
void headlessQueueOtherEvent();                      // an event that is not a quit
int headlessSwapCount();                             // frames presented so far
