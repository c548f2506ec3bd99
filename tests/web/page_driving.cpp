#include "page_driving.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "capture.h"

PageRun drive(const std::string& stepsJson, const ScratchDir& out, const std::string& folder) {
    out.write("steps.json", stepsJson);
    PageRun run;
    run.process =
        runProgram({findProgram("node"), VORREND_PAGE_DRIVER, folder, out.path(), out.file("steps.json")}, out.path());
    std::ifstream report(out.file("report"));
    for (std::string line; std::getline(report, line);) {
        std::istringstream words(line);
        std::string kind, first, rest;
        words >> kind >> first;
        std::getline(words, rest);
        if (kind == "value") run.values[first] = rest.empty() ? rest : rest.substr(1);
        if (kind == "missing" || (kind == "console" && (first == "error" || first == "exception" || first == "assert")))
            run.complaints.push_back(line);
    }
    return run;
}

std::vector<double> numbers(const std::string& json) {
    std::string text = json;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '[' || c == ']' || c == ','; }, ' ');
    std::istringstream in(text);
    std::vector<double> list;
    for (double v; in >> v;) list.push_back(v);
    return list;
}

std::string base64Of(const std::string& bytes) {
    return "(() => { const b = " + bytes +
           "; let s = ''; for (let i = 0; i < b.length; i += 32768) "
           "s += String.fromCharCode.apply(null, b.subarray(i, i + 32768)); return btoa(s); })()";
}

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width, int height) {
    Difference d;
    int64_t sum = 0, over8 = 0, over32 = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = (size_t(y) * width + x) * 4;
            int most = 0;
            for (int c = 0; c < 3; ++c) {
                const int delta = std::abs(int(a[at + c]) - int(b[at + c]));
                sum += delta;
                most = std::max(most, delta);
            }
            over8 += most > 8;
            over32 += most > 32;
            if (most > d.worst) d.worst = most, d.worstX = x, d.worstY = height - 1 - y;
        }
    d.mean = double(sum) / (double(width) * height * 3);
    d.over8 = double(over8) / (double(width) * height);
    d.over32 = double(over32) / (double(width) * height);
    return d;
}

std::string describe(const Difference& d) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "mean difference %.3f, pixels off by more than 8 levels %.3f%%, by more than 32 %.3f%%, "
                  "worst %d at (%d, %d)",
                  d.mean, 100 * d.over8, 100 * d.over32, d.worst, d.worstX, d.worstY);
    return text;
}

void expectClose(const Difference& d, const std::string& what) {
    std::printf("%s: %s\n", what.c_str(), describe(d).c_str());
    EXPECT_LT(d.mean, 0.6) << what;
    EXPECT_LT(d.over8, 0.005) << what;
    EXPECT_LT(d.over32, 0.002) << what;
}
