// The 36 pictures by file name, each painted with Cairo and Pango by its painter
// (painters.h); the painters keep every file the same from run to run.
#include <pango/pangocairo.h>

#include <functional>
#include <map>

#include "datagen.h"
#include "painters.h"

namespace {

using namespace paint;
using Painter = std::function<std::string()>;

const std::map<std::string, Painter>& painters() {
    static const std::map<std::string, Painter> table = {
        {"pic/blue.jpg", paintBlue},
        {"pic/bakgrunn.jpg", paintBakgrunn},
        {"pic/skuta.jpg", paintSkuta},
        {"pic/lyn.jpg", paintLyn},
        {"pic/skjerm.png", paintSkjerm},
        {"pic/kubetex.png", paintKubetex},
        {"pic/kuletex.png",
         [] {
             return paintMarble({0.1, 0.2, 0.5, 1}, {0.85, 0.9, 1.0, 1}, 241);
         }},
        {"pic/kuletex2.png",
         [] {
             return paintMarble({0.05, 0.3, 0.2, 1}, {0.8, 1.0, 0.85, 1}, 242);
         }},
        {"pic/kuletex3.png", paintKuletex3},
        {"pic/treasureroom.png", paintTreasureroom},
        {"pic/gulv.png", paintGulv},
        {"pic/remember.png", paintRemember},
        {"pic/grumla2.png", paintGrumla2},
        {"pic/vann.png", paintVann},
        {"pic/skutetex/stortflagg2.png", paintStortflagg2},
        {"pic/skutetex/hjul.png", paintHjul},
        {"pic/skutetex/metall.png", paintMetall},
        {"pic/skutetex/ruter.png", paintRuter},
        {"pic/skutetex/sflagg.png", paintSflagg},
        {"pic/skutetex/tau.png", paintTau},
        {"pic/skutetex/tre.png",
         [] {
             return paintPlanks({0.5, 0.3, 0.15, 1}, 8, true, 251, false);
         }},
        {"pic/skutetex/tre2.png",
         [] {
             return paintPlanks({0.78, 0.6, 0.38, 1}, 6, false, 252, true);
         }},
        {"pic/skutetex/tre3.png",
         [] {
             return paintPlanks({0.6, 0.4, 0.2, 1}, 2, false, 253, false);
         }},
        {"pic/skutetex/tre4.png", paintTre4},
        {"pic/loading.png", paintLoading},
        {"pic/legacy/pirat.png", paintPirat},
        {"pic/legacy/finish2.png", paintFinish2},
        {"pic/legacy/kube.png", paintLegacyKube},
        {"pic/legacy/skatt.png", paintSkatt},
        {"pic/stone.png", paintStone},
        {"pic/greet.png", paintGreet},
        {"pic/malstrom.png",
         [] {
             return paintMalstrom(3, 4.0, {0.05, 0.2, 0.6, 1}, {0.7, 0.9, 1.0, 1}, 261);
         }},
        {"pic/malstrom2.png",
         [] {
             return paintMalstrom(5, 5.5, {0.02, 0.35, 0.3, 1}, {0.6, 1.0, 0.85, 1}, 262);
         }},
        {"pic/treasure.png", paintTreasure},
        {"pic/cred.png", paintCred},
        {"pic/tg05.png", paintTg05},
    };
    return table;
}

}  // namespace

std::vector<std::string> pictureNames() {
    std::vector<std::string> names;
    for (const std::string& path : dataManifest())
        if (path.compare(0, 4, "pic/") == 0) names.push_back(path);
    return names;
}

std::string paintPicture(const std::string& relativePath, std::string* error) {
    auto it = painters().find(relativePath);
    if (it == painters().end()) {
        if (error) *error = "no painter for " + relativePath;
        return {};
    }
    return it->second();
}

void releasePictureFonts() { pango_cairo_font_map_set_default(nullptr); }
