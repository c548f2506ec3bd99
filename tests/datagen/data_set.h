// The generated data set the datagen tests read, and the helpers they share to read
// it. The set is generated once per test binary.
#pragma once
#include <cstdint>
#include <string>

#include "assets/tegn3d.h"

// One generated data set shared by every test of the binary: the one the CTest setup
// test wrote (VORREND_DATAGEN_DIR), or a fresh one in a scratch folder.
const std::string& dataDir();
std::string dataFile(const std::string& relative);

std::string readAll(const std::string& path);

// Loads the file of one of the demo's objects and scales every mesh by the
// manifest's factor, with normals, as the asset loader does.
tegn3d loadObject(const tegn3d& demoObject);

// The file of the picture the demo loads into that texture global.
std::string pictureOf(const uint32_t& texture);
