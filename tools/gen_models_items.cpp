// Models the dragon wears: the gold sack and the items of the item table
// (helmets, armour, a tail ring, arm guards).
//
// A worn model is drawn with the current skinning matrix of its bone, which
// carries the dragon's bind pose to its animated pose; so these models are
// made in the dragon's own space at its bind pose (drawing units, facing +y,
// -z up, +x its left), fitted around the body part their bone moves.

#include <cmath>

#include "gen_models.h"

namespace models {

namespace {

constexpr int kTex = 64;
const char* const kIron = "ruestung_eisen.tga";
const char* const kGold = "ruestung_gold.tga";

UvRect uv(Rect r) { return UvRect::pixels(r.x0, r.y0, r.x1, r.y1, kTex); }

const Rect kPlate = {0, 0, 64, 32};  // smooth metal
const Rect kRings = {0, 32, 32, 64};  // chain links or scales
const Rect kTrim = {32, 32, 64, 64};  // rivets and horns

gen::Image metalTexture(Rgb light, Rgb dark, uint32_t seed) {
    gen::Rng rng(seed);
    gen::Image img(kTex, kTex, 3);
    paintFill(img, kPlate, light, 0.07f, rng);
    paintScales(img, kRings, light, dark, 6, rng);
    paintBlocks(img, kTrim, light, dark, 8, 8, rng);
    return img;
}

void addWorn(ModelSet& set, const std::string& gamePath, const std::string& what, const std::string& material,
             const std::string& texture, const MeshBuilder& m, const std::string& part) {
    ModelFile f;
    f.path = outputPath(gamePath);
    f.what = what;
    f.model = singlePartModel(textureMaterial(material, texture), m, part);
    // Worn models sit on the dragon; their size is reported around their own
    // middle.
    float lo[3], hi[3];
    for (int axis = 0; axis < 3; ++axis) m.extent(axis, lo[axis], hi[axis]);
    f.radius = m.radiusAround({(lo[0] + hi[0]) * 0.5f, (lo[1] + hi[1]) * 0.5f, (lo[2] + hi[2]) * 0.5f}) / kDragonScale;
    set.addModel(f);
}

MeshBuilder helmet(bool horned) {
    const DragonAnchors& a = dragonAnchors();
    MeshBuilder m;
    m.setUv(uv(kPlate));
    const V3 c = a.headCentre + V3(0, -3, -2);
    const V3 r = a.headRadii + V3(3, -1, 3);
    m.ellipsoid(c, r, 12, 5, -1.0f, 0.15f);
    m.setUv(uv(kTrim));
    m.ellipsoid(c, r * 1.07f, 12, 1, 0.0f, 0.2f);
    m.box(c + V3(0, r.y - 1, -2), {2.5f, 2.5f, 9});  // nose guard
    if (horned)
        for (float s : {1.0f, -1.0f}) {
            const V3 base = c + V3(s * (r.x - 2), 0, -r.z * 0.5f);
            const V3 mid = base + V3(s * 16, -2, -10);
            m.tube(base, mid, 4, 2.5f, 6, true, false);
            m.tube(mid, mid + V3(s * 4, -8, -14), 2.5f, 0, 6, false, false);
        }
    return m;
}

MeshBuilder chestArmour(bool heavy) {
    const DragonAnchors& a = dragonAnchors();
    MeshBuilder m;
    m.setUv(uv(kRings));
    const float y0 = heavy ? -22.0f : -6.0f, y1 = heavy ? 40.0f : 34.0f;
    // An elliptic shell around the torso (flattened vertically like it).
    m.setTransform(M4::translation(a.torsoCentre) * M4::scale({1, 1, 0.86f}));
    const auto radiusAt = [&](float y) {
        const float t = y / a.torsoRadii.y;
        return a.torsoRadii.x * std::sqrt(std::fmax(0.05f, 1.0f - t * t)) + 3.0f;
    };
    const int bands = 4;
    for (int i = 0; i < bands; ++i) {
        const float ya = y0 + (y1 - y0) * i / bands, yb = y0 + (y1 - y0) * (i + 1) / bands;
        m.tube({0, ya, 0}, {0, yb, 0}, radiusAt(ya), radiusAt(yb), 14, false, false);
    }
    m.setTransform(M4());
    m.setUv(uv(kTrim));
    if (heavy)
        for (float y : {-12.0f, 4.0f, 20.0f, 34.0f}) {
            const float top = a.torsoCentre.z - a.torsoRadii.z * std::sqrt(std::fmax(0.0f, 1.0f - y * y / 2704.0f));
            m.tube({0, y + 3, top + 2}, {0, y - 4, top - 10}, 4, 0, 5, true, false);
        }
    return m;
}

MeshBuilder tailRing() {
    const DragonAnchors& a = dragonAnchors();
    MeshBuilder m;
    m.setUv(uv(kPlate));
    m.torus(a.tailRingCentre, {0, 1, 0}, a.tailRadiusAtRing + 2.5f, 3.0f, 16, 6);
    m.setUv(uv(kTrim));
    m.torus(a.tailRingCentre + V3(0, 5, 0), {0, 1, 0}, a.tailRadiusAtRing + 1.5f, 1.8f, 16, 4);
    return m;
}

MeshBuilder armGuard(float side) {
    const DragonAnchors& a = dragonAnchors();
    MeshBuilder m;
    m.setTransform(M4::scale({side, 1, 1}));
    m.setUv(uv(kPlate));
    const V3 from = gen::lerp(a.armTop, a.armElbow, 0.35f), to = gen::lerp(a.armElbow, a.armWrist, 0.6f);
    m.tube(from, a.armElbow, 8.5f, 7.5f, 8, true, false);
    m.tube(a.armElbow, to, 7.5f, 6.5f, 8, false, true);
    m.setUv(uv(kTrim));
    m.tube(a.armElbow + V3(4, 2, -2), a.armElbow + V3(9, -8, -2), 2.5f, 0, 5, true, false);
    m.setTransform(M4());
    return m;
}

MeshBuilder goldSack() {
    const DragonAnchors& a = dragonAnchors();
    MeshBuilder m;
    m.setUv(UvRect::pixels(0, 0, 64, 48, kTex));
    m.ellipsoid(a.sackCentre, {12, 12, 13}, 10, 6);
    m.setUv(UvRect::pixels(0, 48, 64, 64, kTex));
    m.tube(a.sackCentre + V3(0, 0, -11), a.sackCentre + V3(0, 0, -17), 5, 7.5f, 8, false, true);
    m.torus(a.sackCentre + V3(0, 0, -12), {0, 0, 1}, 5.5f, 1.5f, 10, 4);
    return m;
}

gen::Image sackTexture() {
    gen::Rng rng(0x5ac);
    gen::Image img(kTex, kTex, 3);
    paintFill(img, {0, 0, 64, 48}, {0.55f, 0.38f, 0.2f}, 0.12f, rng);
    // A gold coin sign on the front.
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const float dx = x - 48.0f, dy = y - 26.0f;
            if (dx * dx + dy * dy < 64.0f) img.set(x, y, 240, 200, 60);
        }
    paintFill(img, {0, 48, 64, 64}, {0.75f, 0.65f, 0.4f}, 0.08f, rng);
    return img;
}

}  // namespace

const std::vector<ItemDef>& itemDefinitions() {
    // In the order the castle menu lists them.
    static const std::vector<ItemDef> items = {
        {"Eisenhelm", "mods\\items\\eisenhelm.pff", 20, 25, 5, 1},
        {"Hoernerhelm", "mods\\items\\hoernerhelm.pff", 35, 100, 10, 1},
        {"Kettenhemd", "mods\\items\\kettenhemd.pff", 60, 144, 12, 2},
        {"Schuppenpanzer", "mods\\items\\schuppenpanzer.pff", 90, 400, 20, 2},
        {"Schwanzring", "mods\\items\\schwanzring.pff", 15, 16, 4, 3},
        {"Armschutz links", "mods\\items\\armschutz_links.pff", 25, 36, 6, 4},
        {"Armschutz rechts", "mods\\items\\armschutz_rechts.pff", 25, 36, 6, 5},
    };
    return items;
}

void buildItems(ModelSet& set) {
    const std::vector<ItemDef>& items = itemDefinitions();
    addWorn(set, items[0].model, "helmet (Bone03)", "eisenhelm", kIron, helmet(false), "_helm");
    addWorn(set, items[1].model, "horned helmet (Bone03)", "hoernerhelm", kGold, helmet(true), "_helm");
    addWorn(set, items[2].model, "chain mail (Bone05)", "kettenhemd", kIron, chestArmour(false), "_ruestung");
    addWorn(set, items[3].model, "scale armour (Bone05)", "schuppenpanzer", kGold, chestArmour(true), "_ruestung");
    addWorn(set, items[4].model, "tail ring (Bone06)", "schwanzring", kGold, tailRing(), "_ring");
    addWorn(set, items[5].model, "left arm guard (Bone20)", "armschutz_links", kIron, armGuard(1.0f), "_arm");
    addWorn(set, items[6].model, "right arm guard (Bone12)", "armschutz_rechts", kIron, armGuard(-1.0f), "_arm");
    set.addTexture({kIron, metalTexture({0.72f, 0.74f, 0.78f}, {0.3f, 0.32f, 0.36f}, 0x1e0)});
    set.addTexture({kGold, metalTexture({1.0f, 0.84f, 0.32f}, {0.55f, 0.4f, 0.08f}, 0x601d)});

    addWorn(set, "mods\\gold\\equippedmesh.PFF", "gold sack (Bone09)", "goldsack", "goldsack.tga", goldSack(), "_sack");
    set.addTexture({"goldsack.tga", sackTexture()});
}

}  // namespace models
