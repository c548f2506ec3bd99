#include "capture_cli.h"

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "gl_test.h"
#include "runtime/manifest.h"
#include "test_data.h"
#include "test_ogg.h"

ProcessResult runProgram(const std::vector<std::string>& args, const std::string& workingDir,
                         const std::string& pathVariable, const InterruptWhen& interruptWhen, long fileSizeLimit,
                         const RunMore& more) {
    ProcessResult result;
    char errorFile[] = "/tmp/vorrend-capture-test-XXXXXX";
    int errorFd = mkstemp(errorFile);
    if (errorFd < 0) return result;
    // Everything the child needs is made before fork: tests may run several at once
    // from threads, and after fork only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (pathVariable.empty() || std::strncmp(*e, "PATH=", 5) != 0) environment.push_back(*e);
    if (!pathVariable.empty()) environment.push_back("PATH=" + pathVariable);
    environment.insert(environment.end(), more.environment.begin(), more.environment.end());
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(errorFd, 2);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        if (chdir(workingDir.c_str()) != 0) _exit(126);
        if (fileSizeLimit > 0) {
            // Ignored, SIGXFSZ stays ignored across exec: a write past the limit fails.
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit = {rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    // A hung child must not hang the test run: it is killed after two minutes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    int status = 0;
    bool interrupted = false;
    std::chrono::steady_clock::time_point interruptedAt;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        if (interruptWhen && !interrupted && interruptWhen()) {
            kill(pid, more.interruptSignal);
            interrupted = true;
            interruptedAt = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (interrupted)
        result.secondsToExit = std::chrono::duration<double>(std::chrono::steady_clock::now() - interruptedAt).count();
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::ifstream in(errorFile);
    std::stringstream text;
    text << in.rdbuf();
    result.errorText = text.str();
    close(errorFd);
    unlink(errorFile);
    return result;
}

ProcessResult runCapture(const std::vector<std::string>& args, const std::string& workingDir,
                         const std::string& pathVariable, const InterruptWhen& interruptWhen, long fileSizeLimit,
                         const RunMore& more) {
    std::vector<std::string> all = {VORREND_CAPTURE};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram(all, workingDir, pathVariable, interruptWhen, fileSizeLimit, more);
}

std::string folderWithData() {
    static std::deque<ScratchDir> folders;
    const ScratchDir& folder = folders.emplace_back();
    std::error_code ec;
    std::filesystem::create_directory_symlink(captureDataDir() + "/data", folder.file("data"), ec);
    return folder.path();
}

std::vector<std::string> folderListing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<ProcessResult> runCaptures(const std::vector<std::vector<std::string>>& runs,
                                       const std::string& workingDir) {
    std::vector<ProcessResult> results(runs.size());
    // Two at a time: most of a short capture is start-up, and the machine has two cores.
    for (size_t i = 0; i < runs.size(); i += 2) {
        auto second = std::async(std::launch::async, [&, i] {
            if (i + 1 < runs.size()) results[i + 1] = runCapture(runs[i + 1], workingDir);
        });
        results[i] = runCapture(runs[i], workingDir);
        second.wait();
    }
    return results;
}

bool readPngFile(const std::string& path, Picture* picture) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8) {
            picture->width = int(png_get_image_width(png, info));
            picture->height = int(png_get_image_height(png, info));
            picture->rgb.resize(size_t(picture->width) * picture->height * 3);
            for (int y = 0; y < picture->height; ++y)
                png_read_row(png, picture->rgb.data() + size_t(y) * picture->width * 3, nullptr);
            ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

float captureSoundSample(int64_t frame, int) {
    // A level held for a tenth of a second, from a hash of the step number.
    uint32_t step = uint32_t(frame / (captureSoundRate / 10));
    uint32_t hash = step * 2654435761u;
    float level = float((hash >> 12) & 1023) / 1023.0f;
    return 0.7f * level - 0.1f;
}

const std::string& captureDataDir() {
    static ScratchDir dir;
    static bool written = [] {
        bool ok = writeTestDataSet(dir.path()) && writeTestOgg(dir.path() + "/" + dataPath(soundtrackFile), 130.0,
                                                               captureSoundSample, 1, captureSoundRate);
        if (!ok) std::fprintf(stderr, "cannot write the capture test data to %s\n", dir.path().c_str());
        return ok;
    }();
    (void)written;
    return dir.path();
}

std::string timeText(double seconds) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", seconds);
    return text;
}
