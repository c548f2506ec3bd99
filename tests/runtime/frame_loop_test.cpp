// The frame and the main loop with scenes and music replaced by recorders, so the
// order of every call can be checked. Built with the timeline and clock sources and
// the headless backend only.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "gl_test.h"
#include "platform/bass.h"
#include "platform/headless/headless.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"
#include "scenes/scenes.h"

namespace {
std::vector<std::string> calls;
int quitAfterFrames = -1;  // a scene posts a quit request on this frame
int framesDrawn = 0;

void scene(const char* name) {
    calls.push_back(std::string(name) + (glIsEnabled(GL_TEXTURE_2D) ? "" : " (texturing off)"));
    if (++framesDrawn == quitAfterFrames) postQuitMessage(7);
}

std::vector<std::string> callsAt(float time) {
    calls.clear();
    drawFrameAt(time);
    return calls;
}
using Calls = std::vector<std::string>;
}  // namespace

void drawOpeningScene() { scene("opening"); }
void drawGalleryScene() { scene("gallery"); }
void drawShipScene() { scene("ship"); }
void drawTunnelScene() { scene("tunnel"); }
void drawTreasureRoomScene() { scene("treasure room"); }
void drawTorusScene() { scene("torus"); }
void deformBlob(tegn3d&) {}

bool BASS_Init(int device, uint32_t frequency, uint32_t flags, DemoWindow window, const void* clsid) {
    calls.push_back("init " + std::to_string(device) + " " + std::to_string(frequency) + " " + std::to_string(flags) +
                    (window == mainWindow ? " mainWindow" : " ?") + (clsid ? " ?" : ""));
    return true;
}
HSTREAM BASS_StreamCreateFile(bool fromMemory, const char* file, uint64_t offset, uint64_t length, uint32_t flags) {
    calls.push_back(std::string("create ") + (fromMemory ? "memory " : "") + file + " " + std::to_string(offset) + " " +
                    std::to_string(length) + " " + std::to_string(flags));
    return 42;
}
bool BASS_StreamPlay(HSTREAM handle, bool flush, uint32_t flags) {
    calls.push_back("play " + std::to_string(handle) + (flush ? " flush" : "") + " " + std::to_string(flags));
    return true;
}
int32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
    calls.push_back("spectrum " + std::to_string(handle) + (buffer == musicSpectrum ? "" : " ?") +
                    (length == BASS_DATA_FFT512 ? "" : " ?"));
    return 1024;
}
uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double seconds) {
    calls.push_back("bytes " + std::to_string(handle) + " " + std::to_string(seconds));
    return 1000;
}
bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position, uint32_t mode) {
    calls.push_back("position " + std::to_string(handle) + " " + std::to_string(position) + " " + std::to_string(mode));
    return true;
}
void BASS_Free() {}

class FrameLoop : public GLTest {
  protected:
    void SetUp() override {
        GLTest::SetUp();
        calls.clear();
        quitAfterFrames = -1;
        framesDrawn = 0;
        musicStream = 0;
        glDisable(GL_TEXTURE_2D);
    }
    void TearDown() override { showStart = -1; }
    static void setClockTo(double seconds) { startDemoClockAt(float(seconds)); }
};

TEST_F(FrameLoop, EachSceneRunsInsideItsOpenWindowOnly) {
    // Each scene's recorder is named by its draw function, so a row that called the
    // wrong scene would show here.
    for (const TimelineWindow& w : timeline) {
        for (float t : {std::nextafter(w.from, 1000.0f), w.from + 0.5f, w.to - 0.5f, std::nextafter(w.to, 0.0f)}) {
            Calls expected = {sceneName(w.scene)};
            if (w.playsMusic) expected = {"play 0 0", sceneName(w.scene)};  // the music first
            EXPECT_EQ(callsAt(t), expected) << "at " << t;
        }
        for (float bound : {w.from, w.to}) EXPECT_EQ(callsAt(bound), Calls{}) << "at " << bound;
    }
    for (float before : {-1.0f, -1e-6f}) EXPECT_EQ(callsAt(before), Calls{}) << "at " << before;
    EXPECT_EQ(headlessQuitRequests(), 0);
    // Only the opening window plays the music; the frame turns texturing on first.
    EXPECT_EQ(callsAt(windowOf(Scene::opening).to - 0.01f), (Calls{"play 0 0", "opening"}));
}

TEST_F(FrameLoop, EveryFramePastTheEndQuitsAndDrawsNothing) {
    for (float t : {std::nextafter(showEnd, 1000.0f), showEnd + 2, showEnd + 5, showEnd + 6, 3600.0f}) {
        int before = headlessQuitRequests();
        EXPECT_EQ(callsAt(t), Calls{}) << t;
        EXPECT_EQ(headlessQuitRequests(), before + 1) << "a stall past the end must still quit, at " << t;
    }
}

TEST_F(FrameLoop, ClocksFollowDemoTime) {
    setDemoClocks(18.75f);
    EXPECT_EQ(introSlide, 18.75f);
    setDemoClocks(19.0f);
    EXPECT_EQ(introSlide, 19.0f);
    setDemoClocks(19.5f);
    EXPECT_EQ(introSlide, 19.0f);
    setDemoClocks(140.25f);
    EXPECT_EQ(introSlide, 19.0f);
    EXPECT_EQ(t19, 121.25f);
    EXPECT_EQ(t31, 109.25f);
    EXPECT_EQ(t52, 88.25f);
    EXPECT_EQ(t69, 71.25f);
    EXPECT_EQ(t71, 69.25f);
    EXPECT_EQ(t106, 34.25f);
    EXPECT_EQ(t126, 14.25f);
    // Differences of single-precision values, rounded to single precision.
    setDemoClocks(100.1f);
    EXPECT_EQ(t71, 100.1f - 71.0f);

    setClockTo(12.5);
    EXPECT_NEAR(readDemoClock(), 12.5f, 0.05f);
}

TEST_F(FrameLoop, AFrameFetchesTheSpectrumBeforeThePlayRequestAndSwaps) {
    musicStream = 42;
    setClockTo(3.0);
    int swaps = headlessSwapCount();
    renderFrame();
    EXPECT_EQ(calls, (Calls{"spectrum 42", "play 42 0", "opening"}));
    EXPECT_EQ(headlessSwapCount(), swaps + 1);
    EXPECT_NEAR(demoTime, 3.0f, 0.05f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(FrameLoop, LoopSetsUpTheMusicAndTakesOneEventPerPass) {
    // Three events waiting before the quit request: all are handled, no frame is
    // drawn while any waits, and the loop returns the request's code.
    headlessQueueOtherEvent();
    headlessQueueOtherEvent();
    headlessQueueOtherEvent();
    postQuitMessage(0);
    setClockTo(1.0);
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(calls, (Calls{"init 1 44100 0 mainWindow", "create data/sound/vorrend.ogg 0 0 0"}));
    EXPECT_EQ(framesDrawn, 0);
}

TEST_F(FrameLoop, LoopDrawsFramesUntilAQuitRequestIsTaken) {
    quitAfterFrames = 3;
    setClockTo(1.0);
    EXPECT_EQ(runMainLoop(), 7);
    EXPECT_EQ(framesDrawn, 3) << "no frame after the request";
    // shutdownWindow posts one more request, which nobody takes.
    EXPECT_EQ(headlessQuitRequests(), 2);
}

// The frames before the start come first, before the music exists, so the
// Opening's play request among them finds no stream; then the music goes to the
// start and plays, and the first frame is the start's.
TEST_F(FrameLoop, AShowStartedPartWayDrawsItsHistoryThenStartsTheMusicAndTheClockThere) {
    showStart = windowOf(Scene::tunnel).from + 9.0f;
    quitAfterFrames = 6;
    setClockTo(0.5);
    EXPECT_EQ(runMainLoop(), 7);
    EXPECT_EQ(calls, (Calls{"play 0 0", "opening", "gallery", "ship", "tunnel", "tunnel", "init 1 44100 0 mainWindow",
                            "create data/sound/vorrend.ogg 0 0 0", "bytes 42 80.000000", "position 42 1000 0",
                            "play 42 0", "spectrum 42", "tunnel"}));
    EXPECT_GE(demoTime, 80.0f);
    EXPECT_LT(demoTime, 80.5f);
}

TEST_F(FrameLoop, TheEndOfTheTimelinePostsExactlyOneQuitRequest) {
    setClockTo(showEnd + 0.5);
    int swaps = headlessSwapCount();
    EXPECT_EQ(runMainLoop(), 0);
    EXPECT_EQ(headlessSwapCount(), swaps + 1) << "the quitting frame still swaps";
    EXPECT_EQ(headlessQuitRequests(), 2) << "one from the last frame, one from shutdownWindow";
    EXPECT_EQ(calls, (Calls{"init 1 44100 0 mainWindow", "create data/sound/vorrend.ogg 0 0 0", "spectrum 42"}));
}
