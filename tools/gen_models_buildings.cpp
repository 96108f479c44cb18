// Models of the things that stand in the world: the castle, the dwarf house,
// the defense tower, the balloon, the tree and the gold pile.
//
// All stand with +z up and face -y, 100 model units per world unit, with
// their origin at the point the game places them (the ground, or the
// balloon's centre).

#include <cmath>

#include "gen_models.h"

namespace models {

namespace {

// An atlas being painted and the UV rectangles of its regions.
struct Atlas {
    int size;
    gen::Image image;
    Atlas(int s, int channels) : size(s), image(s, s, channels) {}
    UvRect uv(Rect r) const { return UvRect::pixels(r.x0, r.y0, r.x1, r.y1, size); }
};

// The largest distance of a vertex from the nearest of the object's
// collision-sphere centres, in world units.
float coverRadius(const MeshBuilder& m, const std::vector<V3>& centres) {
    float r = 0.0f;
    for (const V3& p : m.positions()) {
        float best = -1.0f;
        for (const V3& c : centres) {
            const float d = gen::length(p - c);
            if (best < 0.0f || d < best) best = d;
        }
        r = std::fmax(r, best);
    }
    return r / kStaticScale;
}

void addStatic(ModelSet& set, const std::string& path, const std::string& what, const std::string& material,
               const std::string& texture, const MeshBuilder& m, const std::string& part, bool split,
               const std::vector<V3>& sphereCentres = {V3(0, 0, 0)}) {
    ModelFile f;
    f.path = path;
    f.what = what;
    f.split = split;
    f.model = singlePartModel(textureMaterial(material, texture), m, part);
    f.radius = coverRadius(m, sphereCentres);
    set.addModel(f);
}

// Merlons along a wall top from a to b (spacing and size in model units).
void merlons(MeshBuilder& m, V3 a, V3 b, float spacing, V3 half) {
    const float len = gen::length(b - a);
    const int n = static_cast<int>(len / spacing);
    for (int i = 0; i <= n; ++i) m.box(gen::lerp(a, b, n > 0 ? static_cast<float>(i) / n : 0.0f), half);
}

// A ring of merlons on a round top.
void merlonRing(MeshBuilder& m, V3 centre, float radius, int count, V3 half) {
    for (int i = 0; i < count; ++i) {
        const float a = 2.0f * gen::kPi * i / count;
        m.setTransform(M4::translation(centre + V3(std::cos(a), std::sin(a), 0) * radius) * M4::rotationZ(a));
        m.box({0, 0, 0}, half);
    }
    m.setTransform(M4());
}

// ---------------------------------------------------------------------------

void buildCastle(ModelSet& set) {
    Atlas atlas(256, 3);
    gen::Rng rng(0xb086);
    const Rect stone = {0, 0, 128, 128}, roof = {128, 0, 256, 128}, door = {0, 128, 64, 256},
               flag = {64, 128, 128, 192}, window = {128, 128, 192, 192}, keepStone = {128, 192, 256, 256},
               pole = {64, 192, 128, 256};
    paintBlocks(atlas.image, stone, {0.66f, 0.63f, 0.57f}, {0.35f, 0.33f, 0.3f}, 32, 16, rng);
    paintScales(atlas.image, roof, {0.3f, 0.36f, 0.6f}, {0.12f, 0.14f, 0.3f}, 12, rng);
    paintPlanks(atlas.image, door, {0.5f, 0.32f, 0.16f}, 12, true, rng);
    paintStripes(atlas.image, flag, {0.8f, 0.08f, 0.08f}, {0.95f, 0.8f, 0.15f}, 16);
    paintFill(atlas.image, window, {0.08f, 0.07f, 0.1f}, 0.1f, rng);
    paintBlocks(atlas.image, keepStone, {0.78f, 0.74f, 0.66f}, {0.42f, 0.4f, 0.36f}, 32, 16, rng);
    paintFill(atlas.image, pole, {0.45f, 0.3f, 0.15f}, 0.1f, rng);

    // The castle's two collision spheres (radius 10 at its foot and 15 above
    // it) leave room for a wide, low ring of walls and a tall, narrow keep.
    MeshBuilder m;
    // Plinth reaching below the ground, curtain walls with a gate facing -y.
    m.setUv(atlas.uv(stone));
    m.box({0, 0, -40}, {620, 620, 80});
    m.box({0, 500, 175}, {500, 35, 175});
    m.box({500, 0, 175}, {35, 500, 175});
    m.box({-500, 0, 175}, {35, 500, 175});
    m.box({300, -500, 175}, {200, 35, 175});
    m.box({-300, -500, 175}, {200, 35, 175});
    m.box({0, -500, 290}, {100, 35, 60});
    const V3 merlon(24, 40, 24), merlonX(40, 24, 24);
    merlons(m, {-420, 500, 374}, {420, 500, 374}, 105, merlon);
    merlons(m, {-420, -500, 374}, {420, -500, 374}, 105, merlon);
    merlons(m, {500, -420, 374}, {500, 420, 374}, 105, merlonX);
    merlons(m, {-500, -420, 374}, {-500, 420, 374}, 105, merlonX);
    m.setUv(atlas.uv(door));
    m.box({0, -505, 115}, {100, 25, 115});
    // Corner towers with pointed roofs and windows.
    for (int i = 0; i < 4; ++i) {
        const float x = (i & 1) ? 500.0f : -500.0f, y = (i & 2) ? 500.0f : -500.0f;
        m.setUv(atlas.uv(stone));
        m.tube({x, y, -80}, {x, y, 450}, 120, 110, 10, false, true);
        m.setUv(atlas.uv(roof));
        m.tube({x, y, 440}, {x, y, 670}, 135, 0, 10, true, false);
        m.setUv(atlas.uv(window));
        const V3 out = gen::normalize(V3(x, y, 0));
        m.setTransform(M4::translation(V3(x, y, 330) + out * 110) * M4::rotationZ(std::atan2(out.y, out.x)));
        m.box({0, 0, 0}, {10, 18, 35});
        m.setTransform(M4());
    }
    // The keep with an overhanging parapet, a round tower and the flag.
    m.setUv(atlas.uv(keepStone));
    m.box({0, 80, 650}, {250, 250, 650});
    m.box({0, 80, 1330}, {310, 310, 40});
    merlons(m, {-270, -210, 1394}, {270, -210, 1394}, 108, merlon);
    merlons(m, {-270, 370, 1394}, {270, 370, 1394}, 108, merlon);
    merlons(m, {290, -110, 1394}, {290, 270, 1394}, 95, merlonX);
    merlons(m, {-290, -110, 1394}, {-290, 270, 1394}, 95, merlonX);
    m.tube({0, 80, 1360}, {0, 80, 1900}, 130, 120, 12, false, false);
    m.setUv(atlas.uv(roof));
    m.tube({0, 80, 1890}, {0, 80, 2280}, 160, 0, 12, true, false);
    m.setUv(atlas.uv(window));
    for (float x : {-120.0f, 120.0f}) {
        m.box({x, -172, 1000}, {30, 4, 55});
        m.box({x, -172, 620}, {30, 4, 55});
    }
    m.box({0, -42, 1650}, {22, 4, 45});
    m.setUv(atlas.uv(pole));
    m.tube({0, 80, 2270}, {0, 80, 2440}, 7, 7, 6, false, true);
    m.setUv(atlas.uv(flag));
    m.card({7, 80, 2350}, {110, 80, 2360}, {110, 80, 2425}, {7, 80, 2430}, 2.0f);
    addStatic(set, "mods/burg/mesh.pff", "castle", "burgstein", "burg_stein.tga", m, "_burg", true,
              {V3(0, 0, 0), V3(0, 0, 1500)});
    set.addTexture({"burg_stein.tga", atlas.image});
}

void buildHouse(ModelSet& set) {
    Atlas atlas(128, 3);
    gen::Rng rng(0x4a05);
    const Rect wall = {0, 0, 64, 64}, roof = {64, 0, 128, 64}, door = {0, 64, 32, 128}, window = {32, 64, 64, 96},
               stone = {64, 64, 128, 128}, shutter = {32, 96, 64, 128};
    paintPlanks(atlas.image, wall, {0.62f, 0.44f, 0.26f}, 8, false, rng);
    paintScales(atlas.image, roof, {0.62f, 0.5f, 0.22f}, {0.36f, 0.26f, 0.1f}, 8, rng);
    paintPlanks(atlas.image, door, {0.38f, 0.22f, 0.1f}, 8, true, rng);
    paintFill(atlas.image, window, {0.95f, 0.8f, 0.35f}, 0.06f, rng);
    paintBlocks(atlas.image, stone, {0.55f, 0.53f, 0.5f}, {0.3f, 0.29f, 0.27f}, 16, 8, rng);
    paintPlanks(atlas.image, shutter, {0.3f, 0.45f, 0.25f}, 6, true, rng);

    MeshBuilder m;
    m.setUv(atlas.uv(stone));
    m.box({0, 0, -15}, {106, 91, 17});
    m.box({55, 30, 142}, {12, 12, 38});  // chimney
    m.setUv(atlas.uv(wall));
    m.box({0, 0, 48}, {100, 85, 50});
    m.setUv(atlas.uv(roof));
    m.prism({-112, 0, 0}, {0, 1, 0}, {0, 0, 1}, {{-100, 92}, {100, 92}, {0, 165}}, 224);
    m.setUv(atlas.uv(door));
    m.box({0, -86, 35}, {22, 3, 35});
    for (float x : {-101.0f, 101.0f}) {
        m.setUv(atlas.uv(window));
        m.box({x, 0, 60}, {2, 18, 16});
        m.setUv(atlas.uv(shutter));
        m.box({x, -26, 60}, {3, 8, 17});
        m.box({x, 26, 60}, {3, 8, 17});
    }
    m.setUv(atlas.uv(window));
    m.box({-55, -86, 62}, {16, 2, 14});

    addStatic(set, "mods/haus/mesh.pff", "dwarf house", "zwergenhaus", "haus_holz.tga", m, "_haus", false);
    set.addTexture({"haus_holz.tga", atlas.image});
}

void buildTower(ModelSet& set) {
    Atlas atlas(128, 3);
    gen::Rng rng(0x70e5);
    const Rect stone = {0, 0, 64, 128}, crystal = {64, 0, 128, 64}, slate = {64, 64, 128, 96},
               dark = {64, 96, 96, 128}, wood = {96, 96, 128, 128};
    paintBlocks(atlas.image, stone, {0.55f, 0.5f, 0.46f}, {0.28f, 0.25f, 0.22f}, 16, 8, rng);
    paintFill(atlas.image, crystal, {0.7f, 0.35f, 0.95f}, 0.2f, rng);
    paintScales(atlas.image, slate, {0.35f, 0.35f, 0.4f}, {0.15f, 0.15f, 0.2f}, 8, rng);
    paintFill(atlas.image, dark, {0.06f, 0.05f, 0.08f}, 0.1f, rng);
    paintPlanks(atlas.image, wood, {0.45f, 0.28f, 0.13f}, 6, true, rng);

    MeshBuilder m;
    m.setUv(atlas.uv(stone));
    m.tube({0, 0, -100}, {0, 0, 1100}, 260, 210, 12, false, false);
    m.tube({0, 0, 1080}, {0, 0, 1180}, 250, 250, 12, true, true);
    merlonRing(m, {0, 0, 1215}, 232, 8, {22, 40, 35});
    // Crystal floating above the top, where the magic gathers.
    m.setUv(atlas.uv(crystal));
    m.tube({0, 0, 1230}, {0, 0, 1320}, 0, 55, 6, false, false);
    m.tube({0, 0, 1320}, {0, 0, 1460}, 55, 0, 6, false, false);
    // Door, windows and a buttress ring at the foot.
    m.setUv(atlas.uv(wood));
    m.setTransform(M4::translation({0, -255, 0}));
    m.box({0, 0, 90}, {50, 12, 90});
    m.setUv(atlas.uv(dark));
    for (int i = 0; i < 4; ++i) {
        const float a = gen::kPi * 0.25f + 0.5f * gen::kPi * i;
        m.setTransform(M4::translation(V3(std::cos(a), std::sin(a), 0) * 228 + V3(0, 0, 700)) * M4::rotationZ(a));
        m.box({0, 0, 0}, {10, 20, 50});
    }
    m.setTransform(M4());
    m.setUv(atlas.uv(slate));
    m.tube({0, 0, -20}, {0, 0, 80}, 300, 262, 12, false, true);

    addStatic(set, "mods/zwerg/defensetower.pff", "defense tower", "turmstein", "turm_stein.tga", m, "_turm", true,
              {V3(0, 0, 0), V3(0, 0, 400), V3(0, 0, 800), V3(0, 0, 1200)});
    set.addTexture({"turm_stein.tga", atlas.image});
}

void buildBalloon(ModelSet& set) {
    Atlas atlas(128, 3);
    gen::Rng rng(0xba11);
    const Rect cloth = {0, 0, 128, 64}, wicker = {0, 64, 64, 128}, rope = {64, 64, 128, 128};
    // Vertical gores in two colours around the envelope.
    for (int y = cloth.y0; y < cloth.y1; ++y)
        for (int x = cloth.x0; x < cloth.x1; ++x) {
            const bool red = (x / 16) % 2 == 0;
            const float n = 1.0f + 0.05f * (rng.uniform() * 2.0f - 1.0f);
            const float r = red ? 0.85f : 0.95f, g = red ? 0.15f : 0.8f, b = red ? 0.1f : 0.2f;
            atlas.image.set(x, y, static_cast<uint8_t>(std::fmin(255.0f, r * 255 * n)),
                            static_cast<uint8_t>(std::fmin(255.0f, g * 255 * n)),
                            static_cast<uint8_t>(std::fmin(255.0f, b * 255 * n)));
        }
    paintPlanks(atlas.image, wicker, {0.65f, 0.48f, 0.25f}, 4, false, rng);
    paintFill(atlas.image, rope, {0.8f, 0.75f, 0.6f}, 0.05f, rng);

    MeshBuilder m;
    m.setUv(atlas.uv(cloth));
    m.ellipsoid({0, 0, 50}, {120, 120, 135}, 16, 10);
    m.tube({0, 0, -60}, {0, 0, -95}, 62, 25, 16, false, false);
    m.setUv(atlas.uv(wicker));
    m.box({0, 0, -160}, {35, 35, 25});
    m.setUv(atlas.uv(rope));
    for (int i = 0; i < 4; ++i) {
        const float sx = (i & 1) ? 1.0f : -1.0f, sy = (i & 2) ? 1.0f : -1.0f;
        m.tube({sx * 32, sy * 32, -136}, {sx * 62, sy * 62, -40}, 2, 2, 4, false, false);
    }

    addStatic(set, "mods/ballon/mesh.pff", "balloon", "ballonstoff", "ballon_stoff.tga", m, "_ballon", false);
    set.addTexture({"ballon_stoff.tga", atlas.image});
}

void buildTree(ModelSet& set) {
    Atlas atlas(128, 4);
    gen::Rng rng(0x7733);
    const Rect bark = {0, 0, 32, 128}, leaves = {32, 0, 128, 128};
    paintPlanks(atlas.image, bark, {0.4f, 0.28f, 0.16f}, 5, true, rng);
    // Leaves: dark green everywhere (so filtered edges stay green), opaque
    // only inside the leaf clusters.
    paintFill(atlas.image, leaves, {0.12f, 0.3f, 0.08f}, 0.0f, rng);
    paintAlpha(atlas.image, leaves, 0);
    const float cx = 80.0f, cy = 64.0f;
    for (int i = 0; i < 260; ++i) {
        const float a = rng.uniform() * 2.0f * gen::kPi, d = std::sqrt(rng.uniform()) * 42.0f;
        const float x = cx + std::cos(a) * d, y = cy + std::sin(a) * d * 1.4f;
        const float r = 3.0f + rng.uniform() * 4.0f;
        const float g = 0.35f + 0.35f * rng.uniform();
        for (int py = static_cast<int>(y - r); py <= static_cast<int>(y + r); ++py)
            for (int px = static_cast<int>(x - r); px <= static_cast<int>(x + r); ++px) {
                if (px < leaves.x0 + 1 || px >= leaves.x1 - 1 || py < leaves.y0 + 1 || py >= leaves.y1 - 1) continue;
                const float dx = px - x, dy = py - y;
                if (dx * dx + dy * dy > r * r) continue;
                const float shade = 0.8f + 0.4f * (-dx - dy) / (2.0f * r);
                atlas.image.set(px, py, static_cast<uint8_t>(40 * shade), static_cast<uint8_t>(255 * g * shade),
                                static_cast<uint8_t>(30 * shade), 255);
            }
    }

    MeshBuilder m;
    m.setUv(atlas.uv(bark));
    m.tube({0, 0, -20}, {0, 0, 210}, 18, 9, 6, false, true);
    m.tube({0, 0, 120}, {45, 20, 190}, 7, 3, 5, false, true);
    m.tube({0, 0, 140}, {-40, -25, 200}, 6, 3, 5, false, true);
    // Leaf cards: three upright ones crossing at the trunk, two tilted ones.
    m.setUv(atlas.uv(leaves));
    for (int i = 0; i < 3; ++i) {
        const float a = gen::kPi * i / 3.0f;
        const V3 d(std::cos(a) * 115, std::sin(a) * 115, 0);
        m.quad(V3(0, 0, 105) - d, V3(0, 0, 105) + d, V3(0, 0, 335) + d, V3(0, 0, 335) - d);
    }
    m.quad({-100, -100, 230}, {100, -100, 200}, {100, 100, 240}, {-100, 100, 210});
    m.quad({-90, 90, 270}, {-90, -90, 250}, {90, -90, 285}, {90, 90, 265});

    ModelFile f;
    f.path = "mods/baum/treemod.pff";
    f.what = "tree";
    pff::Material mat = textureMaterial("baumlaub", "baum.tga");
    f.model = singlePartModel(mat, m, "_baum");
    f.radius = m.radiusAround({0, 0, 0}) / kStaticScale;
    set.addModel(f);
    set.addTexture({"baum.tga", atlas.image});
}

void buildGoldPile(ModelSet& set) {
    Atlas atlas(64, 3);
    gen::Rng rng(0x901d);
    const Rect coins = {0, 0, 64, 48}, bar = {0, 48, 64, 64};
    paintScales(atlas.image, coins, {1.0f, 0.86f, 0.3f}, {0.62f, 0.45f, 0.08f}, 8, rng);
    paintFill(atlas.image, bar, {0.95f, 0.78f, 0.25f}, 0.08f, rng);

    MeshBuilder m;
    m.setUv(atlas.uv(coins));
    m.ellipsoid({0, 0, -5}, {90, 90, 50}, 12, 5, 0.1f, 1.0f);
    for (int i = 0; i < 12; ++i) {
        const float a = rng.uniform() * 2.0f * gen::kPi, d = 30.0f + rng.uniform() * 75.0f;
        const float x = std::cos(a) * d, y = std::sin(a) * d;
        const float z = d < 90 ? 50.0f * std::sqrt(std::fmax(0.0f, 1.0f - d * d / 8100.0f)) - 5.0f : 0.0f;
        m.setTransform(M4::translation({x, y, z}) * M4::rotationZ(a) * M4::rotationY(0.4f * (rng.uniform() - 0.5f)));
        m.tube({0, 0, 0}, {0, 0, 3}, 12, 12, 8, true, true);
    }
    m.setUv(atlas.uv(bar));
    m.setTransform(M4::translation({30, -40, 30}) * M4::rotationZ(0.5f) * M4::rotationY(-0.35f));
    m.box({0, 0, 0}, {26, 10, 7});
    m.setTransform(M4::translation({-45, 20, 20}) * M4::rotationZ(-0.8f) * M4::rotationY(0.3f));
    m.box({0, 0, 0}, {26, 10, 7});
    m.setTransform(M4());

    addStatic(set, "mods/gold/mesh.pff", "gold pile", "goldhaufen", "gold_muenzen.tga", m, "_gold", false);
    set.addTexture({"gold_muenzen.tga", atlas.image});
}

}  // namespace

void buildBuildings(ModelSet& set) {
    buildCastle(set);
    buildHouse(set);
    buildTower(set);
    buildBalloon(set);
    buildTree(set);
    buildGoldPile(set);
}

}  // namespace models
