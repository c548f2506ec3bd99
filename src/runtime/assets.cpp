// Start-up loading: the manifest (manifest.cpp) into the asset table.
#include "runtime/assets.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/textures.h"
#include "platform/window.h"
#include "runtime/projection.h"
#include "runtime/stop_request.h"

char fileBeingLoaded[512] = "";

static void noteLoading(const std::string& path) {
    std::snprintf(fileBeingLoaded, sizeof fileBeingLoaded, "%s", path.c_str());
}

static std::vector<std::string>* problems = nullptr;  // collectAssetProblems

void collectAssetProblems(std::vector<std::string>* list) { problems = list; }

static void prepareObject(const ManifestObject& entry) {
    tegn3d& object = *entry.object;
    noteLoading(dataPath(entry.path));
    std::string why;
    // The loader's message names the file. Four objects share the sphere's: four
    // boxes, but one line for the file.
    if (!object.loadFromFile(dataPath(entry.path).c_str(), &why)) {
        if (!problems)
            showMessageBox(why.c_str(), "tegn3d::loadFromFile");
        else if (firstOfItsFile(entry))
            problems->push_back(why);
    }
    // A file may hold fewer meshes than the manifest addresses: skip the rest.
    int treated = entry.everyMesh ? object.meshCount : (object.meshCount > 0 ? 1 : 0);
    for (int i = 0; i < treated; ++i) {
        mesh& m = object.meshes[i];
        m.scale(entry.scale);
        m.computeNormals();
        if (entry.invert) m.invert();
    }
    for (int i = 0; i < entry.textureCount; ++i) {
        const ManifestTexture& t = entry.textures[i];
        if (t.mesh < object.meshCount) object.meshes[t.mesh].setTexture(*t.texture);
    }
}

// The demo cannot start without its pictures: a failure, not a normal end.
[[noreturn]] static void stopOnJpeg(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    showMessageBox("Unable to load JPG File!", "Error");
    std::exit(1);
}

void loadAssets(DemoWindow window) {
    mainWindow = window;
    clientRect = getClientRect(window);
    const int width = clientRect.right - clientRect.left, height = clientRect.bottom - clientRect.top;
    // Without a context start-up goes on (the quit request is queued), and every
    // picture would fail alike: they are not reported one by one then.
    const bool hasContext = createGLContext(width, height);
    if (hasContext) setProjection(width, height);

    // A quit signal ends loading between files (each takes well under a second):
    // the frame loop then quits before its first frame.
    for (const ManifestPicture& picture : jpegManifest) {
        if (stopRequested) return;
        const std::string path = dataPath(picture.path);
        noteLoading(path);
        std::string why, damage;
        if (!loadJpgTexture(jpgTextures, path.c_str(), int(picture.texture - jpgTextures), &why, &damage)) {
            if (!problems) stopOnJpeg(path + ": " + why);
            problems->push_back(path + ": " + why);
        } else if (!damage.empty()) {
            // The picture shows as it came; the warning goes to stderr as libjpeg's
            // own error manager prints it, with the file's name.
            if (problems)
                problems->push_back(path + ": " + damage);
            else
                std::fprintf(stderr, "%s: %s\n", path.c_str(), damage.c_str());
        }
    }
    // Decoding the PNG files is most of the load: it runs on every core meanwhile.
    std::vector<std::string> pngPaths;
    std::vector<const char*> pngNames;
    for (const ManifestPicture& picture : pngManifest) pngPaths.push_back(dataPath(picture.path));
    for (const std::string& path : pngPaths) pngNames.push_back(path.c_str());
    startPngPrefetch(pngNames.data(), int(pngNames.size()));
    for (int i = 0; i < 32 && !stopRequested; ++i) {
        std::string why;
        noteLoading(pngNames[i]);
        *pngManifest[i].texture = pngBind(pngNames[i], 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR, &why);
        // No box: whatever uses the picture shows the default texture instead.
        if (*pngManifest[i].texture) continue;
        if (problems)
            problems->push_back(std::string(pngNames[i]) + ": " + why);
        else if (hasContext && !stopRequested)
            std::fprintf(stderr, "%s: %s\n", pngNames[i], why.c_str());
    }
    finishPngPrefetch();
    for (const ManifestObject& entry : objectManifest)
        if (!stopRequested) prepareObject(entry);
    noteLoading("");
}
