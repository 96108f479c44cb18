// The dwarf: a skinned model of 11 bones (pelvis, torso, head, two-part arms
// and legs) with a long beard, a pointed hat, a quiver and a bow in its left
// hand; its walk and shooting animations, its low-detail impostor and the
// arrow it shoots.
//
// Dwarf units: 200 per world unit (the instance scales by 0.01 and 0.5),
// +z up, facing -y, +x its left side; collision sphere 1.0 world units around
// its feet.

#include <algorithm>
#include <cmath>

#include "gen_models.h"

namespace models {

namespace {

constexpr int kTex = 128;
const char* const kModelPath = "mods/zwerg/mesh.pff";
const char* const kTexture = "zwerg_kleid.tga";

const Rect kTunic = {0, 0, 64, 64};
const Rect kTrousers = {64, 0, 128, 32};
const Rect kBoots = {64, 32, 128, 64};
const Rect kSkin = {0, 64, 32, 96};
const Rect kBeard = {32, 64, 64, 96};
const Rect kHat = {64, 64, 96, 96};
const Rect kWood = {96, 64, 128, 96};
const Rect kBelt = {0, 96, 32, 128};
const Rect kMetal = {32, 96, 64, 128};
const Rect kString = {64, 96, 96, 128};
const Rect kFeather = {96, 96, 128, 128};

UvRect uv(Rect r) { return UvRect::pixels(r.x0, r.y0, r.x1, r.y1, kTex); }

struct Bones {
    int pelvis, torso, head, upperL, lowerL, upperR, lowerR, thighL, shinL, thighR, shinR;
};

Skeleton dwarfSkeleton() {
    Skeleton s;
    const int pelvis = s.add("Becken", -1, {0, 0, 55});
    const int torso = s.add("Rumpf", pelvis, {0, 0, 75});
    s.add("Kopf", torso, {0, 0, 118});
    const int upperL = s.add("OberarmL", torso, {28, 0, 108});
    s.add("UnterarmL", upperL, {31, 0, 84});
    const int upperR = s.add("OberarmR", torso, {-28, 0, 108});
    s.add("UnterarmR", upperR, {-31, 0, 84});
    const int thighL = s.add("BeinL", pelvis, {12, 0, 55});
    s.add("KnieL", thighL, {12, 0, 28});
    const int thighR = s.add("BeinR", pelvis, {-12, 0, 55});
    s.add("KnieR", thighR, {-12, 0, 28});
    return s;
}

Bones boneIndices(const Skeleton& s) {
    return {s.find("Becken"),   s.find("Rumpf"), s.find("Kopf"),  s.find("OberarmL"),
            s.find("UnterarmL"), s.find("OberarmR"), s.find("UnterarmR"), s.find("BeinL"),
            s.find("KnieL"),    s.find("BeinR"), s.find("KnieR")};
}

// ---------------------------------------------------------------------------
// Geometry

void buildLeg(MeshBuilder& m, const Bones& b, float side) {
    const int thigh = side > 0 ? b.thighL : b.thighR, shin = side > 0 ? b.shinL : b.shinR;
    m.setTransform(M4::scale({side, 1, 1}));
    m.setWeights([=](V3 p) {
        if (p.z > 50.0f) return gen::BoneWeights::blend(thigh, b.pelvis, (p.z - 50.0f) / 8.0f);
        return gen::BoneWeights::blend(shin, thigh, (p.z - 25.0f) / 6.0f);
    });
    m.setUv(uv(kBoots));
    m.box({12, -4, 6}, {7, 11, 6});
    m.setUv(uv(kTrousers));
    m.tube({12, 0, 10}, {12, 0, 30}, 6.5f, 7.5f, 8, false, false);
    m.tube({12, 0, 30}, {12, 0, 56}, 7.5f, 9, 8, false, false);
    m.setTransform(M4());
}

void buildArm(MeshBuilder& m, const Bones& b, float side) {
    const int upper = side > 0 ? b.upperL : b.upperR, lower = side > 0 ? b.lowerL : b.lowerR;
    m.setTransform(M4::scale({side, 1, 1}));
    m.setWeights([=](V3 p) {
        return gen::BoneWeights::blend(lower, upper, (p.z - 81.0f) / 6.0f);
    });
    m.setUv(uv(kTunic));
    m.ellipsoid({28, 0, 108}, {9.5f, 9.5f, 9.5f}, 8, 5);
    m.tube({28, 0, 108}, {31, 0, 84}, 8, 7, 8, false, false);
    m.tube({31, 0, 84}, {33, -6, 63}, 7, 6, 8, false, false);
    m.setUv(uv(kSkin));
    m.ellipsoid({33, -7, 58}, {6, 6, 6}, 8, 5);
    m.setTransform(M4());
}

// The bow lies along y in the left hand, its limbs curving up from the
// grip; raising the arm forward stands it upright with the grip ahead.
void buildBow(MeshBuilder& m, const Bones& b) {
    m.setBone(b.lowerL);
    m.setUv(uv(kWood));
    const int n = 8;
    V3 prev;
    for (int i = 0; i <= n; ++i) {
        const float a = -1.0f + 2.0f * i / n;
        const V3 p(35, -7 + 45 * a, 58 + 12 * a * a);
        if (i > 0) m.tube(prev, p, 2.4f, 2.4f, 5, i == 1, i == n);
        prev = p;
    }
    m.setUv(uv(kString));
    m.tube({35, -52, 70}, {35, 38, 70}, 0.7f, 0.7f, 4, false, false);
}

void buildBody(MeshBuilder& m, const Bones& b) {
    m.setWeights([b](V3 p) { return gen::BoneWeights::blend(b.pelvis, b.torso, (p.z - 65.0f) / 20.0f); });
    m.setUv(uv(kTunic));
    m.tube({0, 0, 40}, {0, 0, 112}, 27, 22, 10, true, true);
    m.setUv(uv(kBelt));
    m.tube({0, 0, 62}, {0, 0, 70}, 28.5f, 28, 10, false, false);
    m.setUv(uv(kMetal));
    m.box({0, -28.5f, 66}, {5, 1.5f, 4});
    // Quiver on the back with three fletchings showing.
    m.setBone(b.torso);
    m.setUv(uv(kWood));
    m.tube({-8, 24, 68}, {8, 26, 112}, 7, 7, 8, true, true);
    m.setUv(uv(kFeather));
    for (float dx : {-3.0f, 0.0f, 3.0f}) m.box({8 + dx, 26, 118}, {1.2f, 3, 7});

    // Head, nose, beard and hat.
    m.setWeights([b](V3 p) { return gen::BoneWeights::blend(b.torso, b.head, (p.z - 112.0f) / 8.0f); });
    m.setUv(uv(kSkin));
    m.ellipsoid({0, 0, 130}, {15, 15, 16}, 10, 7);
    m.ellipsoid({0, -15, 129}, {4, 5, 4}, 6, 4);
    m.setBone(b.head);
    m.setUv(uv(kBeard));
    m.tube({0, -17, 124}, {0, -31, 78}, 13, 2, 10, true, true);
    m.setUv(uv(kHat));
    m.tube({0, 0, 138}, {0, 0, 142}, 19, 19, 12, true, true);
    m.tube({0, 0, 141}, {0, 7, 190}, 15, 0, 10, false, false);
}

// ---------------------------------------------------------------------------
// Animations: per-bone angles (pitch about x, roll about y, yaw about z, in
// degrees) blended between key poses. A negative pitch swings a hanging
// limb forward (-y); a positive knee or elbow pitch bends it back.

struct Angles {
    float pitch = 0, roll = 0, yaw = 0;
};

struct KeyPose {
    float phase;
    std::vector<Angles> bones;
    V3 rootOffset;
};

Pose toPose(const std::vector<Angles>& a, V3 offset) {
    Pose p;
    for (const Angles& x : a) p.rotation.push_back(rotationDeg(x.pitch, x.roll, x.yaw));
    p.rootOffset = offset;
    return p;
}

// Eased blend between key poses (the last key must be at phase 1).
Pose blendPoses(const std::vector<KeyPose>& keys, float phase) {
    size_t i = 0;
    while (i + 2 < keys.size() && keys[i + 1].phase <= phase) ++i;
    const KeyPose& a = keys[i];
    const KeyPose& b = keys[i + 1];
    float t = (phase - a.phase) / (b.phase - a.phase);
    t = std::fmin(1.0f, std::fmax(0.0f, t));
    t = 0.5f - 0.5f * std::cos(t * gen::kPi);
    std::vector<Angles> mix(a.bones.size());
    for (size_t k = 0; k < mix.size(); ++k) {
        mix[k].pitch = a.bones[k].pitch + (b.bones[k].pitch - a.bones[k].pitch) * t;
        mix[k].roll = a.bones[k].roll + (b.bones[k].roll - a.bones[k].roll) * t;
        mix[k].yaw = a.bones[k].yaw + (b.bones[k].yaw - a.bones[k].yaw) * t;
    }
    return toPose(mix, gen::lerp(a.rootOffset, b.rootOffset, t));
}

Pose walkPose(const Skeleton& s, const Bones& b, float phase) {
    const float w = 2.0f * gen::kPi * phase;
    std::vector<Angles> a(static_cast<size_t>(s.count()));
    const auto at = [&](int i) -> Angles& { return a[static_cast<size_t>(i)]; };
    at(b.thighL).pitch = -35.0f * std::sin(w);
    at(b.thighR).pitch = 35.0f * std::sin(w);
    at(b.shinL).pitch = 5.0f + 45.0f * std::fmax(0.0f, std::cos(w));
    at(b.shinR).pitch = 5.0f + 45.0f * std::fmax(0.0f, -std::cos(w));
    at(b.upperL).pitch = 24.0f * std::sin(w);
    at(b.upperR).pitch = -24.0f * std::sin(w);
    at(b.lowerL).pitch = -20.0f;
    at(b.lowerR).pitch = -20.0f;
    at(b.pelvis).roll = 3.0f * std::sin(w);
    at(b.torso).yaw = 6.0f * std::sin(w);
    at(b.torso).pitch = -4.0f;  // leaning into the walk
    at(b.head).yaw = -5.0f * std::sin(w);
    // Hips lowest with the legs apart, highest as they pass.
    return toPose(a, {0, 0, 2.5f * (std::cos(2.0f * w) - 1.0f)});
}

pff::Animation shootAnimation(const Skeleton& s, const Bones& b) {
    const size_t n = static_cast<size_t>(s.count());
    std::vector<Angles> stance(n);
    stance[static_cast<size_t>(b.thighL)].pitch = -14;
    stance[static_cast<size_t>(b.thighR)].pitch = 12;
    stance[static_cast<size_t>(b.shinL)].pitch = 8;
    stance[static_cast<size_t>(b.shinR)].pitch = 10;
    std::vector<Angles> raised = stance;
    raised[static_cast<size_t>(b.upperL)] = {-85, 0, -8};
    raised[static_cast<size_t>(b.upperR)] = {-80, 0, 25};
    raised[static_cast<size_t>(b.lowerR)] = {-10, 0, 0};
    raised[static_cast<size_t>(b.torso)] = {0, 0, -10};
    std::vector<Angles> drawn = raised;
    drawn[static_cast<size_t>(b.lowerR)] = {105, 0, 0};
    drawn[static_cast<size_t>(b.upperR)] = {-85, 0, 10};
    drawn[static_cast<size_t>(b.torso)] = {0, 0, -18};
    drawn[static_cast<size_t>(b.head)] = {6, 0, 10};
    std::vector<Angles> loosed = drawn;
    loosed[static_cast<size_t>(b.lowerR)] = {40, 0, 0};
    loosed[static_cast<size_t>(b.upperR)] = {-70, 0, -15};
    // One track spans the three seconds a dwarf aims (the skeleton runs ten
    // times game time, which runs five times the wall clock): raise the bow,
    // draw, hold, and loose just before the arrow leaves.
    const int period = 150000;
    const V3 low(0, 0, -3);
    const std::vector<KeyPose> keys = {{0.0f, stance, low},  {0.1f, raised, low},   {0.25f, drawn, low},
                                       {0.96f, drawn, low},  {0.975f, loosed, low}, {1.0f, stance, low}};
    std::vector<int> frames;
    for (size_t k = 0; k + 1 < keys.size(); ++k) {
        const int from = static_cast<int>(keys[k].phase * period), to = static_cast<int>(keys[k + 1].phase * period);
        const int steps = std::max(1, (to - from) / 4000);
        for (int i = 0; i < steps; ++i) frames.push_back(from + (to - from) * i / steps);
    }
    frames.push_back(period);
    return s.sample(period, frames, [&](float phase) { return blendPoses(keys, phase); });
}

// ---------------------------------------------------------------------------
// Impostor and arrow

void buildImpostor(MeshBuilder& m) {
    m.setUv(uv(kBoots));
    m.box({12, -4, 6}, {7, 11, 6});
    m.box({-12, -4, 6}, {7, 11, 6});
    m.setUv(uv(kTrousers));
    m.box({12, 0, 33}, {8, 8, 22});
    m.box({-12, 0, 33}, {8, 8, 22});
    m.setUv(uv(kTunic));
    m.tube({0, 0, 40}, {0, 0, 112}, 27, 22, 6, true, true);
    m.box({31, 0, 86}, {6, 6, 24});
    m.box({-31, 0, 86}, {6, 6, 24});
    m.setUv(uv(kSkin));
    m.ellipsoid({0, 0, 130}, {15, 15, 16}, 6, 4);
    m.setUv(uv(kBeard));
    m.tube({0, -17, 124}, {0, -31, 78}, 13, 2, 6, true, true);
    m.setUv(uv(kHat));
    m.tube({0, 0, 138}, {0, 7, 190}, 18, 0, 6, true, false);
    m.setUv(uv(kWood));
    m.box({35, -7, 62}, {2, 45, 2});
}

// Arrow, 100 units per world unit, flying along +z.
void buildArrow(ModelSet& set) {
    const int tex = 64;
    gen::Rng rng(0xa770);
    gen::Image img(tex, tex, 3);
    const Rect shaft = {0, 0, 32, 64}, head = {32, 0, 64, 32}, feather = {32, 32, 64, 64};
    paintPlanks(img, shaft, {0.62f, 0.45f, 0.25f}, 40, true, rng);
    paintFill(img, head, {0.55f, 0.56f, 0.6f}, 0.08f, rng);
    paintStripes(img, feather, {0.85f, 0.15f, 0.1f}, {0.95f, 0.95f, 0.92f}, 6);

    MeshBuilder m;
    m.setUv(UvRect::pixels(shaft.x0, shaft.y0, shaft.x1, shaft.y1, tex));
    m.tube({0, 0, -55}, {0, 0, 40}, 2.5f, 2.5f, 6, true, false);
    m.setUv(UvRect::pixels(head.x0, head.y0, head.x1, head.y1, tex));
    m.tube({0, 0, 40}, {0, 0, 57}, 5.5f, 0, 6, true, false);
    m.setUv(UvRect::pixels(feather.x0, feather.y0, feather.x1, feather.y1, tex));
    for (int k = 0; k < 3; ++k) {
        const float a = 2.0f * gen::kPi * k / 3.0f;
        const V3 out(std::cos(a), std::sin(a), 0);
        m.card(out * 2.0f + V3(0, 0, -54), out * 9.0f + V3(0, 0, -52), out * 9.0f + V3(0, 0, -38),
               out * 2.0f + V3(0, 0, -33), 0.6f);
    }
    ModelFile f;
    f.path = "mods/zwerg/pfeil.pff";
    f.what = "arrow";
    f.model = singlePartModel(textureMaterial("pfeil_holz", "pfeil.tga"), m, "_pfeil");
    f.radius = m.radiusAround({0, 0, 0}) / kStaticScale;
    set.addModel(f);
    set.addTexture({"pfeil.tga", img});
}

gen::Image dwarfTexture() {
    gen::Rng rng(0x2e59);
    gen::Image img(kTex, kTex, 3);
    paintFill(img, kTunic, {0.22f, 0.38f, 0.68f}, 0.1f, rng);
    paintFill(img, kTrousers, {0.45f, 0.3f, 0.17f}, 0.1f, rng);
    paintFill(img, kBoots, {0.25f, 0.14f, 0.07f}, 0.08f, rng);
    paintFill(img, kSkin, {0.95f, 0.74f, 0.6f}, 0.04f, rng);
    paintFill(img, kBeard, {0.9f, 0.9f, 0.87f}, 0.08f, rng);
    paintFill(img, kHat, {0.82f, 0.12f, 0.1f}, 0.08f, rng);
    paintPlanks(img, kWood, {0.55f, 0.34f, 0.15f}, 16, false, rng);
    paintFill(img, kBelt, {0.2f, 0.12f, 0.06f}, 0.06f, rng);
    paintFill(img, kMetal, {0.75f, 0.7f, 0.4f}, 0.1f, rng);
    paintFill(img, kString, {0.92f, 0.9f, 0.8f}, 0.03f, rng);
    paintStripes(img, kFeather, {0.85f, 0.15f, 0.1f}, {0.95f, 0.95f, 0.92f}, 5);
    return img;
}

}  // namespace

void buildDwarf(ModelSet& set) {
    const Skeleton skeleton = dwarfSkeleton();
    const Bones b = boneIndices(skeleton);

    MeshBuilder mesh;
    buildBody(mesh, b);
    for (float side : {1.0f, -1.0f}) {
        buildLeg(mesh, b, side);
        buildArm(mesh, b, side);
    }
    buildBow(mesh, b);

    ModelFile f;
    f.path = kModelPath;
    f.what = "dwarf (skinned)";
    f.model.materials.push_back(textureMaterial("zwergenkleid", kTexture));
    f.model.parts = skeleton.boneParts();
    f.model.parts.push_back(mesh.toPart("_zwerg", 0));
    f.model.skins.push_back(mesh.toSkin("zwerg_haut", skeleton.names()));
    f.radius = mesh.radiusAround({0, 0, 0}) / kDwarfScale;
    set.addModel(f);

    set.addAnimation({"mods/zwerg/ani1.pff", kModelPath,
                      skeleton.sample(12000, 1000, [&](float phase) { return walkPose(skeleton, b, phase); })});
    set.addAnimation({"mods/zwerg/ani_shoot.pff", kModelPath, shootAnimation(skeleton, b)});

    MeshBuilder impostor;
    buildImpostor(impostor);
    ModelFile imp;
    imp.path = "mods/zwerg/mesh_impostor.pff";
    imp.what = "dwarf impostor";
    imp.model = singlePartModel(textureMaterial("zwergenbild", kTexture), impostor, "_zwergbild");
    imp.radius = impostor.radiusAround({0, 0, 0}) / kDwarfScale;
    set.addModel(imp);

    set.addTexture({kTexture, dwarfTexture()});
    buildArrow(set);
}

}  // namespace models
