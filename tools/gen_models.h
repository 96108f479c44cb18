#pragma once
// Shared pieces of the model generator: the set of files it writes (models,
// animations, their textures) with the checks it runs on them, the skeleton
// helper that turns joint rotations into the absolute model-space poses that
// animation keys store, and the texture painters the models' pictures use.
//
// Unit conventions: static models stand with +z up and face -y, in 100 model
// units per world unit (the scene node scales them by 0.01 and flips z); the
// dragon is drawn in drawing units (100 per world unit) facing +y with -z up;
// dwarves face -y with +z up at 200 model units per world unit.

#include <functional>
#include <string>
#include <vector>

#include "common.h"
#include "mesh_builder.h"
#include "pff.h"
#include "vecmath.h"

namespace models {

// Model units per world unit.
constexpr float kStaticScale = 100.0f;
constexpr float kDragonScale = 100.0f;
constexpr float kDwarfScale = 200.0f;

// Skinning limit: from 15 bones on, the bone palette reaches the texture
// matrices.
constexpr int kMaxBones = 14;
// Shared buffers the level builds its meshes into, and the ground's share
// of the index buffer (tiles of 128 x 128 samples, 7 levels of detail).
constexpr long kVertexBufferBytes = 10485760;
constexpr long kIndexBufferBytes = 5242880;

// ----------------------------------------------------------------------------
// Skeleton: bones with joint positions; bind matrices are translations to the
// joints, poses are built from per-bone rotations about the joints.

struct Pose {
    std::vector<gen::M4> rotation;  // per bone, about its joint, in its parent's frame
    gen::V3 rootOffset;             // moves the root joint
};

class Skeleton {
public:
    struct Bone {
        std::string name;
        int parent;  // -1 for the root; parents come before their children
        gen::V3 joint;
    };

    // Adds a bone and returns its index; parent -1 for the root.
    int add(const std::string& name, int parent, gen::V3 joint);
    // Index of the bone, or -1.
    int find(const std::string& name) const;
    int count() const { return static_cast<int>(bones_.size()); }
    const Bone& bone(int i) const { return bones_[static_cast<size_t>(i)]; }
    std::vector<std::string> names() const;

    // The rest pose: every rotation the identity.
    Pose restPose() const;
    // Absolute model-space matrices of every bone for a pose.
    std::vector<gen::M4> absolute(const Pose& pose) const;
    // One bone part per bone, with its bind matrix, in bone order.
    std::vector<pff::Part> boneParts() const;

    // Keys of every bone at frames 0, step, 2 step, ... period; the last key
    // repeats the first so the loop is seamless. The header is the period.
    pff::Animation sample(int period, int step, const std::function<Pose(float phase)>& poseAt) const;
    // The same at the given frames (sorted, from 0 to the period).
    pff::Animation sample(int period, const std::vector<int>& frames,
                          const std::function<Pose(float phase)>& poseAt) const;

private:
    std::vector<Bone> bones_;
};

// Rotation about the z, then y, then x axis of the parent frame (angles in
// degrees): Rz(yaw) * Ry(roll) * Rx(pitch).
gen::M4 rotationDeg(float pitchX, float rollY, float yawZ);

// ----------------------------------------------------------------------------
// The files one run writes, collected first and checked before writing.

struct ModelFile {
    std::string path;   // below the output folder, '/' separated ("mods/drache/mesh.pff")
    pff::Model model;
    bool level = true;  // built into the level's shared buffers
    bool split = false; // built with the vertex-split pass
    float radius = 0;   // bounding radius in world units, from the reference point
    std::string what;   // short description for the summary
};

struct AnimationFile {
    std::string path;
    std::string model;  // path of the skinned model it animates
    pff::Animation animation;
};

struct TextureFile {
    std::string name;  // file name in tex/
    gen::Image image;
};

class ModelSet {
public:
    void addModel(ModelFile f) { models_.push_back(std::move(f)); }
    void addAnimation(AnimationFile f) { animations_.push_back(std::move(f)); }
    void addTexture(TextureFile f) { textures_.push_back(std::move(f)); }
    // Names that a skinned model's skeleton must hold (bones the game looks up).
    void requireBones(const std::string& model, const std::vector<std::string>& bones);

    // Runs every check; false with a message on standard error for the first
    // failure.
    bool check() const;
    // Writes all files below `out`; false when a write fails.
    bool write(const std::string& out) const;

    const std::vector<ModelFile>& models() const { return models_; }
    const std::vector<AnimationFile>& animations() const { return animations_; }
    const std::vector<TextureFile>& textures() const { return textures_; }

    // Bytes the level's meshes take in the shared vertex and index buffers.
    long vertexBufferUse() const;
    long indexBufferUse() const;

private:
    bool checkSkinned(const ModelFile& f) const;
    bool checkAnimation(const AnimationFile& a) const;

    std::vector<ModelFile> models_;
    std::vector<AnimationFile> animations_;
    std::vector<TextureFile> textures_;
    std::vector<std::pair<std::string, std::vector<std::string>>> requiredBones_;
};

// Index-buffer bytes of the ground's shared index array: the interior and
// seam triangles of every level of detail of a tile.
long groundIndexBytes(int tileSize, int lodCount);

// A one-material model: the material (with its texture layers) and the
// builder's part; `sets` copies of the texture coordinates.
pff::Model singlePartModel(const pff::Material& material, const gen::MeshBuilder& mesh, const std::string& partName,
                           int sets = 1);
// A plain material with one texture layer on coordinate set 0.
pff::Material textureMaterial(const std::string& name, const std::string& texture);

// The dragon's skeleton (drawing units, facing +y, -z up, +x its left) and
// the places on its body that worn items fit around.
Skeleton dragonSkeleton();
struct DragonAnchors {
    gen::V3 headCentre{0, 98, -34}, headRadii{12, 18, 11};
    gen::V3 chestCentre{0, 18, -2}, torsoRadii{26, 52, 22}, torsoCentre{0, 0, -2};
    gen::V3 tailRingCentre{0, -58, -1};
    float tailRadiusAtRing = 14.5f;
    gen::V3 armTop{18, 28, 5}, armElbow{20, 38, 28}, armWrist{20, 44, 42};  // left arm; the right mirrors x
    gen::V3 sackCentre{0, -18, 42};
};
const DragonAnchors& dragonAnchors();

// The builders, one per topic; each adds its files to the set.
void buildDragon(ModelSet& set);
void buildDwarf(ModelSet& set);
void buildBuildings(ModelSet& set);
void buildItems(ModelSet& set);

// ----------------------------------------------------------------------------
// Texture painters: an atlas is painted region by region.

struct Rgb {
    float r, g, b;
};
struct Rect {
    int x0, y0, x1, y1;  // [x0, x1) x [y0, y1), rows from the top
};

// Base colour with per-pixel brightness noise of the given amplitude.
void paintFill(gen::Image& img, Rect r, Rgb c, float noise, gen::Rng& rng);
// Rows of blocks (stone or bricks) with darker joints.
void paintBlocks(gen::Image& img, Rect r, Rgb stone, Rgb joint, int blockW, int blockH, gen::Rng& rng);
// Planks running vertically (or horizontally) with grain.
void paintPlanks(gen::Image& img, Rect r, Rgb wood, int plankSize, bool vertical, gen::Rng& rng);
// Overlapping round scales (roof shingles, dragon skin).
void paintScales(gen::Image& img, Rect r, Rgb light, Rgb dark, int size, gen::Rng& rng);
// Horizontal bands of alternating colours.
void paintStripes(gen::Image& img, Rect r, Rgb a, Rgb b, int band);
// Sets alpha of a region (32-bit pictures only).
void paintAlpha(gen::Image& img, Rect r, uint8_t alpha);

// Item definitions shared by the item models and the item table.
struct ItemDef {
    std::string name;   // shown in the menus
    std::string model;  // game path of the model, backslash separated
    float weight, value, armour;
    int slot;           // 1 head, 2 chest, 3 tail, 4 left arm, 5 right arm
};
const std::vector<ItemDef>& itemDefinitions();

// Game path ("mods\a\b.pff") to output path ("mods/a/b.pff").
std::string outputPath(const std::string& gamePath);

}  // namespace models
