// Writes the GPU programs into programs/: the ARB vertex and fragment
// programs both builds load, and the NV twins of the fragment programs that
// game_nv loads (the same name with ".nv" appended).
#include <string>

#include "common.h"
#include "generators.h"
#include "programs_arb.inc"
#include "programs_nv.inc"

bool generatePrograms(const std::string& out) {
    struct File {
        const char* name;
        std::string text;
    };
    const File files[] = {
        {"standard_vp.txt", programs::standardVp()},
        {"noskinning_vp.txt", programs::dwarfVp()},
        {"noskinning_vp_fp.txt", programs::dragonVp()},
        {"particle_vp.txt", programs::particleVp()},
        {"floor_vp_fp.txt", programs::floorVp(false)},
        {"floor_vp_fp_clipping.txt", programs::floorVp(true)},
        {"wasser_vp.txt", programs::waterVp()},
        {"normalmap_fp.txt", programs::normalmapFp()},
        {"floor_fp.txt", programs::floorFp(false)},
        {"floor_fp_clipping.txt", programs::floorFp(true)},
        {"wasser_fp.txt", programs::waterFp()},
        {"normalmap_fp.txt.nv", programs::normalmapFpNv()},
        {"floor_fp.txt.nv", programs::floorFpNv(false)},
        {"floor_fp_clipping.txt.nv", programs::floorFpNv(true)},
        {"wasser_fp.txt.nv", programs::waterFpNv()},
    };
    for (const File& f : files)
        if (!gen::writeText(out + "/programs/" + f.name, f.text)) return false;
    return true;
}
