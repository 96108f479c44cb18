#pragma once
// The set of files one generator run writes (models, animations, their
// textures), collected first, checked as a whole against what the game looks
// up and what its shared buffers hold, and only then written.

#include <string>
#include <utility>
#include <vector>

#include "common.h"
#include "pff.h"

namespace models {

// Skinning limit: from 15 bones on, the bone palette reaches the texture
// matrices.
constexpr int kMaxBones = 14;
// Shared buffers the level builds its meshes into.
constexpr long kVertexBufferBytes = 10485760;
constexpr long kIndexBufferBytes = 5242880;


struct ModelFile {
    std::string path;   // below the output folder, '/' separated ("mods/drache/mesh.pff")
    pff::Model model;
    bool level = true;  // built into the level's shared buffers
    bool split = false; // built with the vertex-split pass
    float radius = 0;   // world units: farthest vertex from its nearest collision-sphere centre
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

}  // namespace models
