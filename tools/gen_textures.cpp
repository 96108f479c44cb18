// Writes the game's own textures into tex/ (the models', the ground's and the
// minimap's pictures come from their own generators) and checks the set: every
// name the game loads is there, sizes are powers of two, the slices of each 3D
// texture and the faces of the sky cube share one size.

#include <cstdio>
#include <string>

#include "gen_textures.h"
#include "generators.h"

namespace textures {

void TextureSet::write(const std::string& name, const gen::Image& img, bool bottomUp) {
    if (!gen::writeTga(dir_ + name, img, bottomUp)) ok_ = false;
    entries_.push_back({name, img.width, img.height, img.channels * 8});
}

const TextureSet::Entry* TextureSet::find(const std::string& name) const {
    for (const Entry& e : entries_)
        if (e.name == name) return &e;
    return nullptr;
}

namespace {

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Names (with numbered slices spelled out) the game loads from tex/ itself.
std::vector<std::string> expectedNames() {
    std::vector<std::string> names = {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga", "bluesky_lf.tga",
                                      "bluesky_up.tga", "bloodparticle.tga", "magicparticle.tga",
                                      "perlinnormals.tga", "menu_elemente.tga", "loading_2.tga", "menu_512.tga",
                                      "menu_nebel.tga", "startup.tga", "Logo_neu.tga", "logo_sky.tga",
                                      "sky_new.tga", "cloud.tga", "cloud_small.tga", "Wolkenbank.tga",
                                      "Nacht.tga", "Nebel.tga"};
    for (int i = 0; i < 4; ++i) names.push_back("fireball" + std::to_string(i) + ".tga");
    for (int i = 0; i < 16; ++i) names.push_back("fires" + std::to_string(i) + ".tga");
    return names;
}

bool sameSize(const TextureSet& set, const std::string& what, const std::vector<std::string>& names) {
    const TextureSet::Entry* first = set.find(names.front());
    for (const std::string& n : names) {
        const TextureSet::Entry* e = set.find(n);
        if (!first || !e) continue;  // reported as missing
        if (e->width != first->width || e->height != first->height || e->depth != first->depth) {
            std::fprintf(stderr, "datagen: %s: %s is %dx%dx%d, %s is %dx%dx%d\n", what.c_str(), n.c_str(), e->width,
                         e->height, e->depth, names.front().c_str(), first->width, first->height, first->depth);
            return false;
        }
    }
    return true;
}

std::vector<std::string> numbered(const std::string& base, int count) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back(base + std::to_string(i) + ".tga");
    return v;
}

bool checkSet(const TextureSet& set) {
    bool ok = true;
    for (const std::string& n : expectedNames())
        if (!set.find(n)) {
            std::fprintf(stderr, "datagen: texture %s was not written\n", n.c_str());
            ok = false;
        }
    for (const TextureSet::Entry& e : set.entries())
        if (!isPowerOfTwo(e.width) || !isPowerOfTwo(e.height) || (e.depth != 24 && e.depth != 32)) {
            std::fprintf(stderr, "datagen: texture %s is %dx%d at %d bits\n", e.name.c_str(), e.width, e.height,
                         e.depth);
            ok = false;
        }
    ok = sameSize(set, "3D texture fireball", numbered("fireball", 4)) && ok;
    ok = sameSize(set, "3D texture fires", numbered("fires", 16)) && ok;
    ok = sameSize(set, "sky cube",
                  {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga", "bluesky_lf.tga", "bluesky_up.tga"}) &&
         ok;
    if (const TextureSet::Entry* e = set.find("bluesky_up.tga"))
        if (e->width != e->height) {
            std::fprintf(stderr, "datagen: sky cube faces must be square\n");
            ok = false;
        }
    return ok;
}

}  // namespace

const char* const kTitle = "KORVALIS";

}  // namespace textures

bool generateTextures(const std::string& out) {
    if (!gen::makeDirs(out + "/tex")) return false;
    textures::TextureSet set(out + "/tex/");
    textures::writeSkyTextures(set);
    textures::writeCloudTextures(set);
    textures::writeEffectTextures(set);
    textures::writeMenuTextures(set);
    textures::writeScreenTextures(set);
    return set.ok() && textures::checkSet(set);
}
