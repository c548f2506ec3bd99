// The web layer against Mesa on the features the show's pictures do not all reach
// (layer_probes.cpp): each probe drawn natively here and through the layer in
// headless Chromium (build/web/probe/, which scripts/web.sh builds).
#include <GL/gl.h>

#include <fstream>
#include <string>
#include <vector>

#include "gl_test.h"
#include "layer_probes.h"
#include "page_driving.h"

namespace {

TEST_F(GLTest, ProbesMatchMesa) {
    REQUIRE_BUILT(probeDir + "/layer_probe.html");
    ScratchDir out;
    std::string steps = "[";
    for (int n = 0; n < probeCount; ++n)
        steps += std::string(n ? ", " : "") + "{\"open\": \"layer_probe.html?n=" + std::to_string(n) +
                 "\"}, {\"wait\": \"Module.probe !== undefined\"}, {\"save\": \"probe-" + std::to_string(n) +
                 ".rgba\", \"js\": \"" + base64Of("Module.probe") + "\"}";
    PageRun run = drive(steps + "]", out, probeDir);
    ASSERT_EQ(run.process.exitCode, 0) << run.process.errorText;
    EXPECT_TRUE(run.complaints.empty()) << run.complaints.front();
    for (int n = 0; n < probeCount; ++n) {
        resetStartupGLState(width, height);
        drawProbe(n);
        std::vector<uint8_t> native(size_t(probeWidth) * probeHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, probeWidth, probeHeight, GL_RGBA, GL_UNSIGNED_BYTE, native.data());
        std::ifstream file(out.file("probe-" + std::to_string(n) + ".rgba"), std::ios::binary);
        std::vector<uint8_t> web((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_EQ(web.size(), native.size()) << "probe " << n;
        const Difference d = compare(native, web, probeWidth, probeHeight);
        expectClose(d, "probe " + std::to_string(n));
    }
}

}  // namespace
