// Test helpers shared by every test binary: an offscreen GL context with the demo's
// start-up state, pixel reads, and a scratch folder.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct OffscreenGL;

// One 640 x 480 offscreen context per test binary, created on first use and made
// current; each test starts from a fresh start-up state (see GLTest::SetUp).
class GLTest : public ::testing::Test {
  public:
    void SetUp() override;
    // RGB of the pixel at (x, y), y counted from the top of the picture.
    static std::array<int, 3> pixel(int x, int y);
    static constexpr int width = 640, height = 480;
};

// Resets the GL state to what start-up leaves: the OpenGL initial values, the depth
// test on, viewport and projection of the start-up picture, identity matrices.
void resetStartupGLState(int width, int height);

// A folder under the system's temp directory, removed with the object.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;  // makes parent folders
  private:
    std::string path_;
};

// The MiB by which work() grows the address space, run in a child process (255 at
// most, and when the child dies): a damaged file that makes a decoder allocate
// gigabytes shows even when the memory is never touched. 0 under AddressSanitizer,
// which maps memory its own way.
int addressSpaceGrownMiB(const std::function<void()>& work);

// Runs fn with the working directory changed to dir, then changes back.
template <class F>
void inDirectory(const std::string& dir, F fn);
#include "gl_test_inl.h"
