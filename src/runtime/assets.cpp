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

static void prepareObject(const ManifestObject& entry) {
    tegn3d& object = *entry.object;
    std::string why;
    if (!object.loadFromFile(dataPath(entry.path).c_str(), &why)) showMessageBox(why.c_str(), "tegn3d::loadFromFile");
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
[[noreturn]] static void stopOnJpeg(const char* path, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", path, why.c_str());
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

    for (const ManifestPicture& picture : jpegManifest) {
        const std::string path = dataPath(picture.path);
        std::string why;
        if (!loadJpgTexture(jpgTextures, path.c_str(), int(picture.texture - jpgTextures), &why))
            stopOnJpeg(path.c_str(), why);
    }
    // Decoding the PNG files is most of the load: it runs on every core meanwhile.
    std::vector<std::string> pngPaths;
    std::vector<const char*> pngNames;
    for (const ManifestPicture& picture : pngManifest) pngPaths.push_back(dataPath(picture.path));
    for (const std::string& path : pngPaths) pngNames.push_back(path.c_str());
    startPngPrefetch(pngNames.data(), int(pngNames.size()));
    for (int i = 0; i < 32; ++i) {
        std::string why;
        *pngManifest[i].texture = pngBind(pngNames[i], 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR, &why);
        // No box: whatever uses the picture shows the default texture instead.
        if (!*pngManifest[i].texture && hasContext) std::fprintf(stderr, "%s: %s\n", pngNames[i], why.c_str());
    }
    finishPngPrefetch();
    for (const ManifestObject& entry : objectManifest) prepareObject(entry);
}
