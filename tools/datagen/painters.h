// The painters of the data set's pictures: each returns one encoded file. Pictures
// the scenes add onto the frame (GL_ONE, GL_ONE) have black backgrounds; pictures
// they blend by alpha have real transparency. pictures.cpp names the file each one
// paints.
#pragma once
#include <string>

#include "paint_kit.h"

namespace paint {

// ---- motifs more than one picture shows (paint_motifs.cpp) ----------------------------
// A skull with crossed bones, centred at (cx, cy), `s` pixels high.
void skullAndBones(Canvas& c, double cx, double cy, double s, Rgba bone, Rgba dark);
// A side view of a three-masted ship, bow to the right, `len` pixels long, its
// waterline at (cx, cy).
void shipSilhouette(Canvas& c, double cx, double cy, double len, Rgba hull, Rgba trim, Rgba sail, Rgba lights);
// A coin lying flat at (x, y): a disc of radius r squashed to `squash` of its height,
// shaded from a highlight up and left of its centre out to the rim.
void coin(cairo_t* cr, double x, double y, double r, double squash, std::initializer_list<Stop> shades);

// ---- the Opening's and the Gallery's pictures (paint_opening.cpp) ---------------------
std::string paintBlue(), paintBakgrunn(), paintSkuta(), paintLyn(), paintLoading(), paintRemember(), paintGrumla2(),
    paintPirat(), paintFinish2(), paintLegacyKube(), paintSkatt();

// ---- textures the meshes wear (paint_textures.cpp) ------------------------------------
std::string paintVann(), paintStortflagg2(), paintHjul(), paintMetall(), paintRuter(), paintSflagg(), paintTau();
std::string paintPlanks(Rgba base, int planks, bool across, uint32_t seed, bool nails), paintHull();
std::string paintTre4(), paintKubetex();
std::string paintMarble(Rgba a, Rgba b, uint32_t seed);
std::string paintKuletex3(), paintGulv(), paintStone();

// ---- overlays, signs and strips of text (paint_overlays.cpp) --------------------------
std::string paintSkjerm(), paintTreasureroom(), paintTreasure(), paintTg05();
std::string paintMalstrom(double arms, double twist, Rgba deep, Rgba foam, uint32_t seed);
std::string paintGreet(), paintCred();

// ---- the program's icon (paint_icon.cpp) ---------------------------------------------
// size x size pixels with transparency, no text.
std::string paintIcon(int size);

}  // namespace paint
