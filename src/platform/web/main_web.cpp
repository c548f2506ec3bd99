// The demo's entry in a web page. The browser runs the loop: the page fetches the
// data, the start card waits for a click or a key (browsers allow sound only then),
// and from then on one frame is drawn per animation frame until the timeline or
// Escape ends the show on the end card, which can play it again.
//
// Test hooks in the page's address:
//   ?time=T  the picture at T, rendered after the frames that lead up to it as
//            vorrend-capture --time T renders them (its frame plan and spectra), then
//            nothing more; the picture and its spectrum are left for the caller in
//            Module.vorrend.picture and Module.vorrend.spectrum.
//   ?from=T  the show starts at T: the state at T from the same frame plan, the
//            clock and the music from T.
#include <GL/gl.h>
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/bass.h"
#include "platform/web/web_audio.h"
#include "platform/web/web_page.h"
#include "platform/web/webgl/fixed_function.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/manifest.h"
#include "runtime/show.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"
#include "sound/spectrum.h"

namespace {

double startAt = 0;  // ?from
DemoWindow pageWindow = nullptr;

// The page's side of these, in web/page.js.
// clang-format off
EM_JS(double, pageParameter, (const char* name), { return Module.vorrend.parameter(UTF8ToString(name)); });
EM_JS(void, fetchDataFiles, (const char* const* paths, int count, const char* soundtrack), {
    Module.vorrend.fetchData(paths, count, UTF8ToString(soundtrack));
});
EM_JS(void, leavePicture, (const unsigned char* rgba, int width, int height, const float* spectrum), {
    Module.vorrend.leavePicture(rgba, width, height, spectrum);
});
EM_JS(void, countFrame, (float time, double workMs), { Module.vorrend.countFrame(time, workMs); });
// clang-format on

// Every file the show reads, each once, and the soundtrack among them.
std::vector<std::string> dataFiles() {
    std::vector<std::string> files;
    for (const ManifestPicture& picture : jpegManifest) files.push_back(dataPath(picture.path));
    for (const ManifestPicture& picture : pngManifest) files.push_back(dataPath(picture.path));
    for (const ManifestObject& object : objectManifest)
        if (firstOfItsFile(object)) files.push_back(dataPath(object.path));
    files.push_back(dataPath(soundtrackFile));
    return files;
}

// What a planned frame hears: the spectrum taken as vorrend-capture takes it (the
// 512 frames before the music's position, rounded to a frame) from the page's mono
// mix; nothing without a soundtrack.
void heardOnPage(double musicSeconds, float magnitudes[256]) {
    int rate = 0;
    if (const std::vector<float>* mono = musicMono(&rate))
        spectrumOfPlayed(*mono, std::llround(musicSeconds * rate), magnitudes);
}

void renderPictureAt(double time) {
    drawPictureAt(showPlanRate, time, heardOnPage);
    const int width = clientRect.right, height = clientRect.bottom;
    std::vector<unsigned char> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(pictureOriginX, pictureOriginY, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    leavePicture(rgba.data(), width, height, musicSpectrum);
}

void endShow();

void playFrame() {
    int code = 0;
    const double started = emscripten_get_now();
    if (!playLiveFrame(&code)) return endShow();
    countFrame(demoTime, emscripten_get_now() - started);
}

// The show from `startAt` as the native loop starts it (its state from the frame
// plan, the music and the clock from there), from the state and picture of start-up.
void beginShow() {
    restoreStartupState();
    fitPictureToPage();  // the page may have changed size since start-up
    std::fill(std::begin(musicSpectrum), std::end(musicSpectrum), 0.0f);
    while (peekDemoEvent(nullptr) != DemoEventKind::none) {
    }
    startShowAt(startAt);
    showPageCard(PageCard::none);
    emscripten_set_main_loop(playFrame, 0, false);
}

void startShow() {
    unlockAudio();
    beginShow();
}

void endShow() {
    emscripten_cancel_main_loop();
    finishShow();  // its quit request waits in the queue until the next start
    showPageCard(PageCard::end);
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void vorrendDataLoaded() {
    loadAssets(pageWindow);
    if (!glContext) return showPageCard(PageCard::failure);  // its note says why
    saveStartupState();
    openMusic();
    const double time = pageParameter("time");
    if (std::isfinite(time)) {
        showPageCard(PageCard::none);
        renderPictureAt(time);
        return;
    }
    const double from = pageParameter("from");
    if (std::isfinite(from)) startAt = std::clamp(from, 0.0, double(showEnd));
    showPageCard(PageCard::start);
}

int main() {
    pageWindow = createDemoWindow("Vorrend - Grumla 2", 640, 480, fullScreen);
    if (!pageWindow) return 1;
    setPageRequests(startShow, beginShow);
    const std::vector<std::string> files = dataFiles();
    std::vector<const char*> paths;
    for (const std::string& file : files) paths.push_back(file.c_str());
    static const std::string soundtrack = dataPath(soundtrackFile);
    fetchDataFiles(paths.data(), int(paths.size()), soundtrack.c_str());
    return 0;
}
