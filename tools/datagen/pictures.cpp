// The 36 pictures of the manifest, each painted with Cairo and Pango by its painter
// (painters.h), found by the texture the demo loads it into; the painters keep every
// file the same from run to run.
#include <pango/pangocairo.h>

#include <functional>
#include <iterator>
#include <map>

#include "datagen.h"
#include "painters.h"

namespace {

using namespace paint;
using Painter = std::function<std::string()>;

// The painter of the picture behind each of the demo's textures.
const std::map<const uint32_t*, Painter>& painters() {
    static const std::map<const uint32_t*, Painter> table = {
        {&texBlue, paintBlue},
        {&texBakgrunn, paintBakgrunn},
        {&texSkuta, paintSkuta},
        {&texLyn, paintLyn},
        {&texSkjerm, paintSkjerm},
        {&texKubetex, paintKubetex},
        {&texKuletex,
         [] {
             return paintMarble({0.1, 0.2, 0.5, 1}, {0.85, 0.9, 1.0, 1}, 241);
         }},
        {&texKuletex2,
         [] {
             return paintMarble({0.05, 0.3, 0.2, 1}, {0.8, 1.0, 0.85, 1}, 242);
         }},
        {&texKuletex3, paintKuletex3},
        {&texTreasureroom, paintTreasureroom},
        {&texGulv, paintGulv},
        {&texRemember, paintRemember},
        {&texGrumla2, paintGrumla2},
        {&texVann, paintVann},
        {&texStortflagg2, paintStortflagg2},
        {&texHjul, paintHjul},
        {&texMetall, paintMetall},
        {&texRuter, paintRuter},
        {&texSflagg, paintSflagg},
        {&texTau, paintTau},
        {&texTre, paintHull},
        {&texTre2,
         [] {
             return paintPlanks({0.78, 0.6, 0.38, 1}, 6, false, 252, true);
         }},
        {&texTre3,
         [] {
             return paintPlanks({0.6, 0.4, 0.2, 1}, 2, false, 253, false);
         }},
        {&texTre4, paintTre4},
        {&texLoading, paintLoading},
        {&texPirat, paintPirat},
        {&texFinish2, paintFinish2},
        {&texLegacyKube, paintLegacyKube},
        {&texSkatt, paintSkatt},
        {&texStone, paintStone},
        {&texGreet, paintGreet},
        {&texMalstrom,
         [] {
             return paintMalstrom(3, 4.0, {0.05, 0.2, 0.6, 1}, {0.7, 0.9, 1.0, 1}, 261);
         }},
        {&texMalstrom2,
         [] {
             return paintMalstrom(5, 5.5, {0.02, 0.35, 0.3, 1}, {0.6, 1.0, 0.85, 1}, 262);
         }},
        {&texTreasure, paintTreasure},
        {&texCred, paintCred},
        {&texTg05, paintTg05},
    };
    return table;
}

// The 36 pictures of the manifest, in load order.
std::vector<ManifestPicture> manifestPictures() {
    std::vector<ManifestPicture> all(std::begin(jpegManifest), std::end(jpegManifest));
    all.insert(all.end(), std::begin(pngManifest), std::end(pngManifest));
    return all;
}

}  // namespace

std::vector<std::string> pictureNames() {
    std::vector<std::string> names;
    for (const ManifestPicture& picture : manifestPictures()) names.push_back(picture.path);
    return names;
}

std::string paintPicture(const std::string& relativePath, std::string* error) {
    for (const ManifestPicture& picture : manifestPictures()) {
        auto it = painters().find(picture.texture);
        if (relativePath == picture.path && it != painters().end()) return it->second();
    }
    if (error) *error = "no painter for " + relativePath;
    return {};
}

void releasePictureFonts() { pango_cairo_font_map_set_default(nullptr); }
