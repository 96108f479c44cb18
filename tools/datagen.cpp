// datagen: writes the default data set into the folder given as its argument.
// The output is the same on every run (fixed random seeds).

#include <cstdio>
#include <string>

#include "generators.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: datagen <output folder>\n");
        return 2;
    }
    const std::string out = argv[1];
    struct Step {
        const char* name;
        bool (*run)(const std::string&);
    };
    const Step steps[] = {
        {"config", generateConfig},     {"textures", generateTextures},
        {"terrain", generateTerrain},   {"sounds", generateSounds},
        {"models", generateModels},     {"items", generateItems},
        {"way points", generateWayPoints}, {"programs", generatePrograms},
    };
    for (const Step& s : steps) {
        if (!s.run(out)) {
            std::fprintf(stderr, "datagen: generating the %s failed\n", s.name);
            return 1;
        }
    }
    return 0;
}
