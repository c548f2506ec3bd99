// What the web tests share: running page_driver.mjs on a folder, reading what it
// reported, and comparing two pictures.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "capture_cli.h"
#include "gl_test.h"

inline const std::string pageDir = VORREND_PAGE_DIR;    // the page, as scripts/web.sh builds it
inline const std::string probeDir = VORREND_PROBE_DIR;  // the layer's probe page, in the web build tree

// Skips the test when `file` was not built, unless VORREND_WEB_REQUIRED=1 (the test
// script) makes that a failure.
#define REQUIRE_BUILT(file)                                                              \
    do {                                                                                 \
        if (std::ifstream(file).good()) break;                                           \
        const char* required = std::getenv("VORREND_WEB_REQUIRED");                      \
        if (required && std::string(required) == "1") FAIL() << "not built: " << (file); \
        GTEST_SKIP() << "not built: " << (file) << " (scripts/web.sh builds it)";        \
    } while (0)

struct PageRun {
    ProcessResult process;
    std::map<std::string, std::string> values;  // as JSON
    std::vector<std::string> complaints;        // console errors, exceptions, files the page lacked
};

PageRun drive(const std::string& stepsJson, const ScratchDir& out, const std::string& folder = pageDir);
// Runs the driver's steps on folder, out holding what it saves.

std::vector<double> numbers(const std::string& json);  // the numbers of a JSON array

std::string base64Of(const std::string& bytes);
// A JavaScript expression for the base64 text of the Uint8Array `bytes` names.

struct Difference {
    double mean = 0;                        // over every channel of every pixel, in levels of 255
    double over8 = 0;                       // share of pixels with a channel more than 8 levels off
    double over32 = 0;                      // share of pixels with a channel more than 32 levels off
    int worst = 0, worstX = 0, worstY = 0;  // the largest, and where (y from the top)
};

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width, int height);
// Two RGBA pictures of rows from the bottom up, as glReadPixels gives them.

std::string describe(const Difference& d);

void expectClose(const Difference& d, const std::string& what);
// The tolerance of the web tests: texture filtering, polygon edges and lines land a
// little differently on SwiftShader than on Mesa, so a few scattered pixels may be
// far off, but the picture as a whole is within a level: a mean under 0.6, under
// 0.5% of the pixels more than 8 levels off, under 0.2% more than 32.
