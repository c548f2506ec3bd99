// Prints how long the data generator takes, part by part and as a whole. The whole
// folder should take well under a minute on a 2-core machine.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_clock.h"
#include "datagen.h"

int main() {
    auto t = Clock::now();
    size_t pictureBytes = 0;
    for (const std::string& name : pictureNames()) pictureBytes += paintPicture(name, nullptr).size();
    releasePictureFonts();
    std::printf("pictures   %6.2f s  (%zu, %zu bytes)\n", secondsSince(t), pictureNames().size(), pictureBytes);

    t = Clock::now();
    size_t meshBytes = 0;
    for (const NamedMeshFile& file : meshFiles()) meshBytes += writeEbr(file.make()).size();
    std::printf("meshes     %6.2f s  (%zu files, %zu bytes)\n", secondsSince(t), meshFiles().size(), meshBytes);

    t = Clock::now();
    std::vector<float> music = synthesiseSoundtrack();
    std::printf("synthesis  %6.2f s  (%.0f s of stereo)\n", secondsSince(t), double(music.size()) / 2 / soundRate);

    t = Clock::now();
    std::string ogg = encodeOggVorbis(music, soundRate, 0.4f);
    std::printf("encoding   %6.2f s  (%zu bytes)\n", secondsSince(t), ogg.size());

    const std::string dir = (std::filesystem::temp_directory_path() / "vorrend-bench-datagen").string();
    for (int threads : {1, 2}) {
        std::filesystem::remove_all(dir);
        t = Clock::now();
        std::string error;
        bool ok = generateDataSet(dir, threads, &error);
        std::printf("whole set  %6.2f s  with %d thread%s%s%s\n", secondsSince(t), threads, threads > 1 ? "s" : "",
                    ok ? "" : ", failed: ", error.c_str());
    }
    std::filesystem::remove_all(dir);
    return 0;
}
