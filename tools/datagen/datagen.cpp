// Writes the whole data folder. Pictures, meshes and the soundtrack are independent,
// so they are made on separate threads; each file's bytes depend only on its own
// generator, never on the order the threads finish in.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "datagen.h"
#include "painters.h"
#include "staged_file.h"

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

// The folders from root down to the file's, made as needed. A symbolic link in
// their place is replaced by a real folder, never followed: nothing is written
// outside root. False, with the reason, when one cannot be made.
bool makeFolders(const fs::path& root, const fs::path& relativeFolder, std::string* error) {
    static std::mutex lock;  // the jobs share folders
    std::lock_guard<std::mutex> hold(lock);
    std::error_code ec;
    fs::create_directories(root, ec);
    fs::path folder = root;
    for (const fs::path& part : relativeFolder) {
        folder /= part;
        const fs::file_status status = fs::symlink_status(folder, ec);
        ec.clear();  // a folder not there yet is no error
        if (fs::is_symlink(status)) fs::remove(folder, ec);
        if (!ec && !fs::is_directory(status) && !fs::create_directory(folder, ec) && !ec)
            ec = std::make_error_code(std::errc::not_a_directory);  // a file in its place
        if (ec) {
            *error = "cannot make the folder " + folder.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

// Staged and renamed into place: never a cut file under the final name, and a
// symbolic link of that name is replaced, not written through.
bool writeFile(const fs::path& root, const std::string& relative, const std::string& bytes, std::string* error) {
    const fs::path path = root / relative;
    return makeFolders(root, fs::path(relative).parent_path(), error) && writeStagedFile(path.string(), bytes, error);
}

}  // namespace

bool generateDataSet(const std::string& dataDir, int threads, std::string* error) {
    const fs::path root(dataDir);
    std::mutex lock;
    std::vector<std::string> failures;  // every file that failed, with its reason
    auto fail = [&](const std::string& why) {
        std::lock_guard<std::mutex> guard(lock);
        failures.push_back(why);
    };

    // Jobs, longest first: the soundtrack, then pictures and meshes.
    std::vector<std::function<void()>> jobs;
    jobs.push_back([&] {
        std::vector<float> music = synthesiseSoundtrack();
        std::string ogg = encodeOggVorbis(music, soundRate, 0.4f);
        std::string why;
        if (ogg.empty())
            fail("the Vorbis encoder refused its settings");
        else if (!writeFile(root, soundtrackFile, ogg, &why))
            fail(why);
    });
    // Pango keeps per-thread font state; one thread paints every picture.
    jobs.push_back([&] {
        for (const std::string& name : pictureNames()) {
            std::string why, bytes = paintPicture(name, &why);
            if (bytes.empty())
                fail(why.empty() ? "cannot encode " + name : why);
            else if (!writeFile(root, name, bytes, &why))
                fail(why);
        }
        releasePictureFonts();
        for (const NamedMeshFile& file : meshFiles()) {
            std::string why;
            if (!file.make)
                fail(std::string("no generator for ") + file.path);
            else if (!writeFile(root, file.path, writeEbr(file.make()), &why))
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
    if (failures.empty()) return true;
    // In a fixed order, whichever thread failed first.
    std::sort(failures.begin(), failures.end());
    if (error) {
        error->clear();
        for (const std::string& line : failures) *error += (error->empty() ? "" : "\n") + line;
    }
    return false;
}

bool writeIcons(const std::string& folder, std::string* error) {
    bool written = true;
    for (int size : iconSizes) {
        const std::string side = std::to_string(size);
        std::string why;
        if (!writeFile(folder, side + "x" + side + "/apps/vorrend.png", paint::paintIcon(size), &why)) {
            if (error) *error += (error->empty() ? "" : "\n") + why;
            written = false;
        }
    }
    return written;
}
