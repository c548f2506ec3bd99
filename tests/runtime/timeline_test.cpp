#include <GL/gl.h>

#include "gl_test.h"
#include "platform/headless/headless.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"

using Timeline = GLTest;

TEST_F(Timeline, BoundsDrawNothingAndOnlyThePastEndQuits) {
    for (const TimelineWindow& window : timeline)
        for (float bound : {window.from, window.to}) {
            glClearColor(0.25f, 0.5f, 0.75f, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            drawFrameAt(bound);
            EXPECT_EQ(pixel(320, 240), (std::array<int, 3>{64, 128, 191})) << "at " << bound;
        }
    EXPECT_EQ(headlessQuitRequests(), 0);
    drawFrameAt(showEnd + 0.01f);
    EXPECT_EQ(headlessQuitRequests(), 1);
}
