// The window state that the runtime and the window backends share (platform/window.h),
// defined here once whichever backend a target links.
#include "platform/window.h"

DemoWindow mainWindow = nullptr;
DemoRect clientRect = {0, 0, 0, 0};
void* glContext = nullptr;
bool fullScreen = true;
int fullScreenDisplay = 0;
int pictureOriginX = 0;
int pictureOriginY = 0;
