// The window state that the runtime and the window backends share (platform/window.h),
// defined here once whichever backend a target links, and the picture's fit.
#include "platform/window.h"

#include <cstdint>

DemoWindow mainWindow = nullptr;
DemoRect clientRect = {0, 0, 0, 0};
void* glContext = nullptr;
bool fullScreen = true;
int fullScreenDisplay = 0;
int pictureOriginX = 0;
int pictureOriginY = 0;

DemoRect fitPicture(int drawableWidth, int drawableHeight) {
    int width = drawableWidth, height = drawableWidth * 3 / 4;
    if (int64_t(drawableWidth) * 3 > int64_t(drawableHeight) * 4) {
        height = drawableHeight;
        width = drawableHeight * 4 / 3;
    }
    pictureOriginX = (drawableWidth - width) / 2;
    pictureOriginY = (drawableHeight - height) / 2;
    return {0, 0, width, height};
}
