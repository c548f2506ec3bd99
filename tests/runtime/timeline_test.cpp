#include <GL/gl.h>

#include "gl_test.h"
#include "platform/headless.h"
#include "runtime/timeline.h"

using Timeline = GLTest;

TEST_F(Timeline, BoundsDrawNothingAndOnlyThePastEndQuits) {
    for (float bound : {20.0f, 35.0f, 71.0f, 86.0f, 106.0f, 126.0f, 145.0f}) {
        glClearColor(0.25f, 0.5f, 0.75f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        drawFrameAt(bound);
        EXPECT_EQ(pixel(320, 240), (std::array<int, 3>{64, 128, 191})) << "at " << bound;
    }
    EXPECT_EQ(headlessQuitRequests(), 0);
    drawFrameAt(145.01f);
    EXPECT_EQ(headlessQuitRequests(), 1);
}
