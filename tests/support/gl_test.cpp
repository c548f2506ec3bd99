#include "gl_test.h"

#include <GL/gl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/headless/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/projection.h"

namespace fs = std::filesystem;

static OffscreenGL* sharedContext() {
    static OffscreenGL* gl = [] {
        std::string error;
        OffscreenGL* made = createOffscreenGL(GLTest::width, GLTest::height, &error);
        if (!made) {
            std::fprintf(stderr, "offscreen GL: %s\n", error.c_str());
            std::abort();
        }
        return made;
    }();
    return gl;
}

void resetStartupGLState(int width, int height) {
    // Back to OpenGL's initial values for everything the scenes touch.
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthFunc(GL_LESS);
    glClearDepth(1.0);
    glClearColor(0, 0, 0, 0);
    glColor4f(1, 1, 1, 1);
    glShadeModel(GL_SMOOTH);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 1.0f);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 1.0f);
    const float black[4] = {0, 0, 0, 0};
    glFogfv(GL_FOG_COLOR, black);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    headlessReset();
    headlessSetPictureSize(width, height);
    clientRect = getClientRect(mainWindow);
    createGLContext(width, height);
    setProjection(width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLTest::SetUp() {
    sharedContext();
    resetStartupGLState(width, height);
}

std::array<int, 3> GLTest::pixel(int x, int y) {
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "vorrend-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& bytes) const {
    fs::path target = fs::path(path_) / name;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
}

namespace {
// A figure of /proc/self/status, in KiB.
[[maybe_unused]] size_t statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stoul(line.substr(std::strlen(field)));
    return 0;
}
}  // namespace

int addressSpaceGrownMiB(const std::function<void()>& work) {
#if defined(__SANITIZE_ADDRESS__)
    (void)work;
    return 0;
#else
    const pid_t child = fork();
    if (child == 0) {
        const size_t before = statusKiB("VmSize:");
        work();
        _exit(int(std::min<size_t>((statusKiB("VmPeak:") - before) >> 10, 255)));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 255;
    return WEXITSTATUS(status);
#endif
}
