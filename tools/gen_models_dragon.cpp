// The dragon: a skinned model of 14 bones (torso, neck, head with horns,
// three tail segments, two wings of two bones each, arms, hind legs) with its
// six flight animations, its colour texture and its normal map.
//
// Drawing units (100 per world unit), facing +y, -z up, +x its left side; the
// game's collision sphere has radius 1.5 world units.

#include <cmath>

#include "gen_models.h"

namespace models {

namespace {

constexpr int kTex = 256;
const char* const kModelPath = "mods/drache/mesh.pff";
const char* const kMaterial = "drachenhaut";
const char* const kColourTexture = "drache_haut.tga";
const char* const kNormalTexture = "drache_normal.tga";

// Atlas regions (pixels, rows from the top).
const Rect kScales = {0, 0, 128, 128};
const Rect kBelly = {128, 0, 256, 128};
const Rect kMembrane = {0, 128, 128, 256};
const Rect kHorn = {128, 128, 192, 256};
const Rect kEye = {192, 128, 256, 192};
const Rect kDark = {192, 192, 256, 256};

UvRect uv(Rect r) { return UvRect::pixels(r.x0, r.y0, r.x1, r.y1, kTex); }

// Bone indices, filled when the skeleton is made.
struct Bones {
    int pelvis, chest, neck, head, tail1, tail2, tail3, legs, armR, armL, wingR, tipR, wingL, tipL;
};

Bones boneIndices(const Skeleton& s) {
    return {s.find("Bone01"), s.find("Bone05"), s.find("Bone02"), s.find("Bone03"), s.find("Bone06"),
            s.find("Bone07"), s.find("Bone08"), s.find("Bone09"), s.find("Bone12"), s.find("Bone20"),
            s.find("Bone13"), s.find("Bone14"), s.find("Bone21"), s.find("Bone22")};
}

// Weights along the body axis: each stretch between two boundaries belongs
// to one bone, blended over 14 units around each boundary.
gen::BoneWeights spineWeights(const Bones& b, float y) {
    struct Boundary {
        float y;
        int lower, upper;
    };
    const Boundary bounds[] = {{-110, b.tail3, b.tail2}, {-80, b.tail2, b.tail1}, {-45, b.tail1, b.pelvis},
                               {5, b.pelvis, b.chest},   {45, b.chest, b.neck},   {86, b.neck, b.head}};
    const float half = 7.0f;
    for (const Boundary& d : bounds) {
        if (y < d.y - half) return gen::BoneWeights::single(d.lower);
        if (y <= d.y + half) return gen::BoneWeights::blend(d.lower, d.upper, (y - d.y + half) / (2 * half));
    }
    return gen::BoneWeights::single(b.head);
}

// Wing weights by distance from the body: chest, wing, then wing tip.
gen::BoneWeights wingWeights(const Bones& b, V3 p) {
    const bool left = p.x > 0.0f;
    const float x = std::fabs(p.x);
    const int wing = left ? b.wingL : b.wingR, tip = left ? b.tipL : b.tipR;
    if (x < 24.0f) return gen::BoneWeights::blend(b.chest, wing, (x - 16.0f) / 8.0f);
    return gen::BoneWeights::blend(wing, tip, (x - 72.0f) / 16.0f);
}

void buildBody(MeshBuilder& m, const Bones& b) {
    const DragonAnchors& a = dragonAnchors();
    m.setWeights([b](V3 p) { return spineWeights(b, p.y); });
    // Torso: scaly back and sides, striped belly (z grows toward the belly).
    m.setUv(uv(kScales));
    m.ellipsoid(a.torsoCentre, a.torsoRadii, 14, 8, -1.0f, 0.4f);
    m.setUv(uv(kBelly));
    m.ellipsoid(a.torsoCentre, a.torsoRadii, 14, 3, 0.4f, 1.0f);
    // Tail in three tapering segments ending in a spade.
    m.setUv(uv(kScales));
    m.tube({0, -40, 0}, {0, -80, -2}, 16, 11, 10, false, false);
    m.tube({0, -80, -2}, {0, -110, 0}, 11, 6, 10, false, false);
    m.tube({0, -110, 0}, {0, -132, 2}, 6, 1.5f, 8, false, true);
    m.setUv(uv(kDark));
    m.prism({0, -131, 1}, {1, 0, 0}, {0, 1, 0}, {{0, -15}, {8, -6}, {0, 2}, {-8, -6}}, 2.0f);
    // Neck and head.
    m.setUv(uv(kScales));
    m.tube({0, 35, -8}, {0, 60, -20}, 14, 11, 10, false, false);
    m.tube({0, 60, -20}, {0, 88, -32}, 11, 10, 10, false, false);
    m.ellipsoid(a.headCentre, a.headRadii, 12, 8);
    m.tube({0, 108, -33}, {0, 128, -29}, 9, 5, 10, false, true);  // snout
    m.setUv(uv(kBelly));
    m.tube({0, 100, -26}, {0, 124, -23}, 7, 4, 8, false, true);  // lower jaw
    m.setUv(uv(kEye));
    m.ellipsoid({9, 106, -39}, {3, 3, 3}, 6, 4);
    m.ellipsoid({-9, 106, -39}, {3, 3, 3}, 6, 4);
    m.setUv(uv(kHorn));
    m.tube({7, 92, -42}, {12, 74, -58}, 3.5f, 0, 6, true, false);
    m.tube({-7, 92, -42}, {-12, 74, -58}, 3.5f, 0, 6, true, false);
    // Spikes along the back and the tail.
    m.setUv(uv(kDark));
    const float spikes[][2] = {{55, -30}, {35, -25}, {12, -25}, {-12, -25}, {-35, -22}, {-55, -17}, {-75, -13}, {-95, -9}};
    for (const auto& s : spikes) m.tube({0, s[0] + 4, s[1] + 2}, {0, s[0] - 4, s[1] - 9}, 4, 0, 4, true, false);
}

void buildWing(MeshBuilder& m, const Bones& b, float side) {
    m.setTransform(M4::scale({side, 1, 1}));
    m.setWeights([b](V3 p) { return wingWeights(b, p); });
    m.setUv(uv(kHorn));
    m.tube({20, 15, -15}, {80, 5, -20}, 6, 4, 8, false, false);
    m.tube({80, 5, -20}, {145, -10, -15}, 4, 0, 8, true, false);
    m.tube({80, 5, -20}, {120, -35, -18}, 2.5f, 0.5f, 5, false, true);
    m.setUv(uv(kMembrane));
    m.prism({0, 0, -19}, {1, 0, 0}, {0, 1, 0}, {{18, -25}, {45, -40}, {75, -30}, {80, 6}, {20, 18}}, 2.0f);
    m.prism({0, 0, -19}, {1, 0, 0}, {0, 1, 0}, {{75, -30}, {118, -34}, {145, -10}, {80, 6}}, 2.0f);
    m.setTransform(M4());
}

void buildArm(MeshBuilder& m, const Bones& b, float side) {
    const DragonAnchors& a = dragonAnchors();
    const int arm = side > 0 ? b.armL : b.armR;
    m.setTransform(M4::scale({side, 1, 1}));
    m.setWeights([b, arm](V3 p) { return gen::BoneWeights::blend(b.chest, arm, (p.z - 2.0f) / 8.0f); });
    m.setUv(uv(kScales));
    m.tube(a.armTop, a.armElbow, 7, 5.5f, 8, true, false);
    m.tube(a.armElbow, a.armWrist, 5.5f, 4.5f, 8, false, false);
    m.ellipsoid({20, 46, 44}, {5, 7, 3}, 8, 4);
    m.setUv(uv(kHorn));
    for (float dx : {-3.0f, 0.0f, 3.0f}) m.tube({20 + dx, 50, 44}, {20 + dx * 1.4f, 57, 46}, 1.5f, 0, 4, true, false);
    m.setTransform(M4());
}

void buildHindLeg(MeshBuilder& m, const Bones& b, float side) {
    m.setTransform(M4::scale({side, 1, 1}));
    m.setWeights([b](V3 p) { return gen::BoneWeights::blend(b.pelvis, b.legs, (p.z - 4.0f) / 10.0f); });
    m.setUv(uv(kScales));
    m.ellipsoid({17, -22, 12}, {9, 13, 12}, 10, 6);
    m.tube({18, -20, 18}, {19, -14, 40}, 6, 4.5f, 8, false, false);
    m.ellipsoid({19, -10, 43}, {5, 9, 3}, 8, 4);
    m.setUv(uv(kHorn));
    for (float dx : {-3.0f, 0.0f, 3.0f}) m.tube({19 + dx, -3, 43}, {19 + dx * 1.4f, 4, 45}, 1.5f, 0, 4, true, false);
    m.setTransform(M4());
}

// ---------------------------------------------------------------------------
// Textures

gen::Image colourTexture() {
    gen::Rng rng(0xd7a6e);
    gen::Image img(kTex, kTex, 3);
    paintScales(img, kScales, {0.38f, 0.62f, 0.26f}, {0.1f, 0.28f, 0.09f}, 10, rng);
    paintStripes(img, kBelly, {0.86f, 0.76f, 0.46f}, {0.72f, 0.6f, 0.34f}, 8);
    paintFill(img, kMembrane, {0.55f, 0.16f, 0.12f}, 0.08f, rng);
    // Veins running across the membrane.
    for (int v = 0; v < 6; ++v) {
        const int x0 = kMembrane.x0 + 10 + v * 20;
        for (int y = kMembrane.y0; y < kMembrane.y1; ++y) {
            const int x = x0 + static_cast<int>(6.0f * std::sin(y * 0.08f + v));
            for (int dx = 0; dx < 2; ++dx) img.set(x + dx, y, 90, 25, 20);
        }
    }
    paintFill(img, kHorn, {0.9f, 0.86f, 0.74f}, 0.06f, rng);
    paintFill(img, kEye, {1.0f, 0.82f, 0.1f}, 0.05f, rng);
    paintFill(img, kDark, {0.38f, 0.1f, 0.08f}, 0.1f, rng);
    return img;
}

// Normal map: (n + 1) / 2 per channel, flat surfaces (128, 128, 255); domed
// scales on the back, ridges across the belly and veins on the membrane.
gen::Image normalTexture() {
    gen::Image img(kTex, kTex, 3);
    const auto store = [&](int x, int y, V3 n) {
        n = gen::normalize(n);
        img.set(x, y, static_cast<uint8_t>(std::lround((n.x * 0.5f + 0.5f) * 255.0f)),
                static_cast<uint8_t>(std::lround((n.y * 0.5f + 0.5f) * 255.0f)),
                static_cast<uint8_t>(std::lround((n.z * 0.5f + 0.5f) * 255.0f)));
    };
    for (int y = 0; y < kTex; ++y)
        for (int x = 0; x < kTex; ++x) store(x, y, {0, 0, 1});
    for (int y = kScales.y0; y < kScales.y1; ++y)
        for (int x = kScales.x0; x < kScales.x1; ++x) {
            const int size = 10, row = (y - kScales.y0) / size;
            const float cx = (x - kScales.x0 + (row % 2) * size * 0.5f) / size;
            const float fx = cx - std::floor(cx) - 0.5f;
            const float fy = static_cast<float>((y - kScales.y0) % size) / size - 0.5f;
            store(x, y, {fx * 1.6f, -fy * 1.6f, 1.0f});
        }
    for (int y = kBelly.y0; y < kBelly.y1; ++y)
        for (int x = kBelly.x0; x < kBelly.x1; ++x) store(x, y, {0, 0.6f * std::sin((y - kBelly.y0) * gen::kPi / 8.0f), 1});
    for (int v = 0; v < 6; ++v) {
        const int x0 = kMembrane.x0 + 10 + v * 20;
        for (int y = kMembrane.y0; y < kMembrane.y1; ++y) {
            const int x = x0 + static_cast<int>(6.0f * std::sin(y * 0.08f + v));
            store(x - 1, y, {-0.7f, 0, 1});
            store(x + 2, y, {0.7f, 0, 1});
        }
    }
    return img;
}

// ---------------------------------------------------------------------------
// Animations. Angles in degrees; wing "up" is toward -z. For a wing on side s
// (+1 left, -1 right) a roll of s * a lifts it by a and a yaw of -s * a sweeps
// it back by a. A positive pitch lowers what lies ahead of a joint.

struct Flight {
    float flap = 0, flapBias = 0, tipLag = 0.7f, tip = 0, tipBias = 0;
    float sweep = 0, tipSweep = 0;
    float bodyPitch = 0, bodyRoll = 0, bob = 0;
    float neckPitch = 0, headPitch = 0, neckYaw = 0, headYaw = 0;
    float tailWave = 0, tailYaw = 0, tailPitch = 0;
    float arms = 0, legs = 0;
};

Pose flightPose(const Skeleton& s, const Bones& b, const Flight& f, float phase) {
    const float w = 2.0f * gen::kPi * phase;
    Pose p = s.restPose();
    const auto set = [&](int bone, float pitch, float roll, float yaw) {
        p.rotation[static_cast<size_t>(bone)] = rotationDeg(pitch, roll, yaw);
    };
    const float flap = f.flapBias + f.flap * std::sin(w);
    const float tip = f.tipBias + f.tip * std::sin(w - f.tipLag);
    set(b.pelvis, f.bodyPitch, f.bodyRoll, 0);
    p.rootOffset = {0, 0, f.bob * std::sin(w)};
    set(b.neck, f.neckPitch + 3.0f * std::sin(w + 1.0f), 0, f.neckYaw);
    set(b.head, f.headPitch + 3.0f * std::sin(w + 1.5f), 0, f.headYaw);
    set(b.tail1, f.tailPitch, 0, f.tailYaw * 0.6f + f.tailWave * 0.6f * std::sin(w - 1.0f));
    set(b.tail2, 0.5f * f.tailPitch, 0, f.tailYaw * 0.8f + f.tailWave * 0.8f * std::sin(w - 1.8f));
    set(b.tail3, 0, 0, f.tailYaw + f.tailWave * std::sin(w - 2.6f));
    set(b.legs, f.legs, 0, 0);
    set(b.armL, f.arms + 4.0f * std::sin(w), 0, 0);
    set(b.armR, f.arms + 4.0f * std::sin(w + 0.5f), 0, 0);
    for (float side : {1.0f, -1.0f}) {
        const bool left = side > 0;
        set(left ? b.wingL : b.wingR, 0, side * flap, -side * f.sweep);
        set(left ? b.tipL : b.tipR, 0, side * tip, -side * f.tipSweep);
    }
    return p;
}

pff::Animation flightAnimation(const Skeleton& s, const Bones& b, int period, const Flight& f) {
    return s.sample(period, period / 12, [&](float phase) { return flightPose(s, b, f, phase); });
}

void addAnimations(ModelSet& set, const Skeleton& s, const Bones& b) {
    // Cruise: slow, even wing beats.
    Flight cruise;
    cruise.flap = 28;
    cruise.tip = 18;
    cruise.sweep = 4;
    cruise.bob = 3;
    cruise.neckPitch = -4;
    cruise.tailWave = 9;
    cruise.arms = 60;
    cruise.legs = 65;
    // Speeding up: fast, deep beats, neck stretched, nose slightly down.
    Flight fast = cruise;
    fast.flap = 42;
    fast.tip = 32;
    fast.tipLag = 0.9f;
    fast.bob = 5;
    fast.bodyPitch = 6;
    fast.neckPitch = 8;
    fast.tailWave = 12;
    fast.arms = 80;
    fast.legs = 85;
    // Dive: wings folded back along the body, tail straight.
    Flight dive;
    dive.flap = 3;
    dive.flapBias = 12;
    dive.tip = 4;
    dive.tipBias = -12;
    dive.sweep = 40;
    dive.tipSweep = 35;
    dive.neckPitch = 10;
    dive.tailWave = 3;
    dive.arms = 90;
    dive.legs = 95;
    // Slowing down: nose up, wings forward in braking strokes, legs forward.
    Flight brake;
    brake.flap = 35;
    brake.flapBias = 10;
    brake.tip = 25;
    brake.tipBias = -10;
    brake.sweep = -18;
    brake.bodyPitch = -22;
    brake.neckPitch = 12;
    brake.headPitch = 6;
    brake.tailPitch = 8;
    brake.tailWave = 6;
    brake.arms = -30;
    brake.legs = -35;
    // Banking to its left (+x side down), head into the turn.
    Flight left = cruise;
    left.flap = 15;
    left.tip = 10;
    left.bodyRoll = -25;
    left.neckYaw = -12;
    left.headYaw = -8;
    left.tailYaw = -10;
    left.tailWave = 5;
    Flight right = left;
    right.bodyRoll = 25;
    right.neckYaw = 12;
    right.headYaw = 8;
    right.tailYaw = 10;

    // Track order of the level set-up: cruise, speed-up, dive, slow down,
    // the sideways animation of the left arrow key, then of the right one.
    const struct {
        const char* file;
        int period;
        const Flight* flight;
    } tracks[] = {{"mods/drache/ani2.pff", 6000, &cruise},     {"mods/drache/ani.pff", 3000, &fast},
                  {"mods/drache/ani4.pff", 4800, &dive},       {"mods/drache/ani_back.pff", 4800, &brake},
                  {"mods/drache/ani_right.pff", 4800, &left},  {"mods/drache/ani_left.pff", 4800, &right}};
    for (const auto& t : tracks) set.addAnimation({t.file, kModelPath, flightAnimation(s, b, t.period, *t.flight)});
}

}  // namespace

Skeleton dragonSkeleton() {
    Skeleton s;
    const int pelvis = s.add("Bone01", -1, {0, -20, 0});
    const int chest = s.add("Bone05", pelvis, {0, 20, -5});
    const int neck = s.add("Bone02", chest, {0, 45, -12});
    s.add("Bone03", neck, {0, 88, -32});
    const int tail1 = s.add("Bone06", pelvis, {0, -45, 0});
    const int tail2 = s.add("Bone07", tail1, {0, -80, -2});
    s.add("Bone08", tail2, {0, -110, 0});
    s.add("Bone09", pelvis, {0, -22, 15});
    s.add("Bone12", chest, {-18, 30, 8});
    s.add("Bone20", chest, {18, 30, 8});
    const int wingR = s.add("Bone13", chest, {-20, 15, -15});
    s.add("Bone14", wingR, {-80, 5, -20});
    const int wingL = s.add("Bone21", chest, {20, 15, -15});
    s.add("Bone22", wingL, {80, 5, -20});
    return s;
}

const DragonAnchors& dragonAnchors() {
    static const DragonAnchors anchors;
    return anchors;
}

void buildDragon(ModelSet& set) {
    const Skeleton skeleton = dragonSkeleton();
    const Bones b = boneIndices(skeleton);

    MeshBuilder mesh;
    buildBody(mesh, b);
    for (float side : {1.0f, -1.0f}) {
        buildWing(mesh, b, side);
        buildArm(mesh, b, side);
        buildHindLeg(mesh, b, side);
    }

    // Colour, normal map and the engine's normalisation cube map; the cube
    // map's own layer value is 1, so the part carries a second (identical)
    // coordinate set for it.
    pff::Material material = textureMaterial(kMaterial, kColourTexture);
    material.ambient = {0.35f, 0.35f, 0.35f, 1.0f};
    material.specular = {0.5f, 0.5f, 0.5f, 1.0f};
    material.layers.push_back({kNormalTexture, 1.0f, 1.0f, 0});
    material.layers.push_back({"normC", 1.0f, 1.0f, 0});

    ModelFile f;
    f.path = kModelPath;
    f.what = "dragon (skinned)";
    f.split = true;
    f.model.materials.push_back(material);
    f.model.parts = skeleton.boneParts();
    f.model.parts.push_back(mesh.toPart("_drache", 0, 2));
    f.model.skins.push_back(mesh.toSkin("drache_haut", skeleton.names()));
    f.radius = mesh.radiusAround({0, 0, 0}) / kDragonScale;
    set.addModel(f);
    set.requireBones(kModelPath, {"Bone03", "Bone05", "Bone06", "Bone09", "Bone12", "Bone20"});

    addAnimations(set, skeleton, b);
    set.addTexture({kColourTexture, colourTexture()});
    set.addTexture({kNormalTexture, normalTexture()});
}

}  // namespace models
