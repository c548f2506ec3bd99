// Writes the whole data folder. Pictures, meshes and the soundtrack are independent,
// so they are made on separate threads; each file's bytes depend only on its own
// generator, never on the order the threads finish in.
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "datagen.h"

namespace fs = std::filesystem;

const std::vector<std::string>& dataManifest() {
    static const std::vector<std::string> files = {
        "pic/blue.jpg",
        "pic/bakgrunn.jpg",
        "pic/skuta.jpg",
        "pic/lyn.jpg",
        "pic/skjerm.png",
        "pic/kubetex.png",
        "pic/kuletex.png",
        "pic/kuletex2.png",
        "pic/kuletex3.png",
        "pic/treasureroom.png",
        "pic/gulv.png",
        "pic/remember.png",
        "pic/grumla2.png",
        "pic/vann.png",
        "pic/skutetex/stortflagg2.png",
        "pic/skutetex/hjul.png",
        "pic/skutetex/metall.png",
        "pic/skutetex/ruter.png",
        "pic/skutetex/sflagg.png",
        "pic/skutetex/tau.png",
        "pic/skutetex/tre.png",
        "pic/skutetex/tre2.png",
        "pic/skutetex/tre3.png",
        "pic/skutetex/tre4.png",
        "pic/loading.png",
        "pic/legacy/pirat.png",
        "pic/legacy/finish2.png",
        "pic/legacy/kube.png",
        "pic/legacy/skatt.png",
        "pic/stone.png",
        "pic/greet.png",
        "pic/malstrom.png",
        "pic/malstrom2.png",
        "pic/treasure.png",
        "pic/cred.png",
        "pic/tg05.png",
        "objects/vann.ebr",
        "objects/torus.ebr",
        "objects/cube.ebr",
        "objects/kule.ebr",
        "objects/tunnel.ebr",
        "objects/skute2.ebr",
        "objects/kube2.ebr",
        "sound/vorrend.ogg",
    };
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
        else if (!writeFile(root / "sound/vorrend.ogg", ogg, &why))
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
            if (!writeFile(root / file.path, writeEbr(file.make()), &why)) fail(why);
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
