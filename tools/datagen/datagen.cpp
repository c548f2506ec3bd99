// Writes the whole data folder. Pictures, meshes and the soundtrack are independent,
// so they are made on separate threads; each file's bytes depend only on its own
// generator, never on the order the threads finish in.
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "datagen.h"
#include "painters.h"

namespace fs = std::filesystem;

const std::vector<std::string>& dataManifest() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> list;
        for (const ManifestPicture& picture : jpegManifest) list.push_back(picture.path);
        for (const ManifestPicture& picture : pngManifest) list.push_back(picture.path);
        for (const ManifestObject& object : objectManifest)
            if (firstOfItsFile(object)) list.push_back(object.path);
        list.push_back(soundtrackFile);
        return list;
    }();
    return files;
}

namespace {

bool writeFile(const fs::path& path, const std::string& bytes, std::string* error) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        *error = "cannot write " + path.string();
        return false;
    }
    return true;
}

}  // namespace

bool generateDataSet(const std::string& dataDir, int threads, std::string* error) {
    const fs::path root(dataDir);
    std::mutex lock;
    std::string firstError;
    auto fail = [&](const std::string& why) {
        std::lock_guard<std::mutex> guard(lock);
        if (firstError.empty()) firstError = why;
    };

    // Jobs, longest first: the soundtrack, then pictures and meshes.
    std::vector<std::function<void()>> jobs;
    jobs.push_back([&] {
        std::vector<float> music = synthesiseSoundtrack();
        std::string ogg = encodeOggVorbis(music, soundRate, 0.4f);
        std::string why;
        if (ogg.empty())
            fail("the Vorbis encoder refused its settings");
        else if (!writeFile(root / soundtrackFile, ogg, &why))
            fail(why);
    });
    // Pango keeps per-thread font state; one thread paints every picture.
    jobs.push_back([&] {
        for (const std::string& name : pictureNames()) {
            std::string why, bytes = paintPicture(name, &why);
            if (bytes.empty())
                fail(why.empty() ? "cannot encode " + name : why);
            else if (!writeFile(root / name, bytes, &why))
                fail(why);
        }
        releasePictureFonts();
        for (const NamedMeshFile& file : meshFiles()) {
            std::string why;
            if (!file.make)
                fail(std::string("no generator for ") + file.path);
            else if (!writeFile(root / file.path, writeEbr(file.make()), &why))
                fail(why);
        }
    });

    if (threads <= 1) {
        for (auto& job : jobs) job();
    } else {
        std::vector<std::thread> workers;
        for (auto& job : jobs) workers.emplace_back(job);
        for (auto& w : workers) w.join();
    }
    if (!firstError.empty()) {
        if (error) *error = firstError;
        return false;
    }
    return true;
}

bool writeIcons(const std::string& folder, std::string* error) {
    for (int size : iconSizes) {
        const std::string side = std::to_string(size);
        std::string why;
        if (!writeFile(fs::path(folder) / (side + "x" + side) / "apps" / "vorrend.png", paint::paintIcon(size), &why)) {
            if (error) *error = why;
            return false;
        }
    }
    return true;
}
