// vorrend-datagen [DATA_DIR]: writes every picture, mesh and the soundtrack of the
// demo into DATA_DIR (default: the demo's own data folder, data/).
#include <cstdio>
#include <string>

#include "datagen.h"

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : dataRoot;
    std::string error;
    if (!generateDataSet(dir, 2, &error)) {
        std::fprintf(stderr, "vorrend-datagen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
