#pragma once
// Writers of ".pff" model and animation files: material records, part
// records, skin-weight blocks and animation keys, little-endian and without
// padding. Written from the record layouts alone, independent of the game's
// reader, so the two sides check each other through the tests.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vecmath.h"

namespace pff {

// Field sizes of the records (names are zero-terminated inside them).
constexpr size_t kNameField = 64;
constexpr size_t kTextureField = 128;
constexpr size_t kMaterialHeaderBytes = 120;
constexpr size_t kLayerBytes = 140;
constexpr size_t kKeyBytes = 64 + 64 + 4;

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

struct Layer {
    std::string texture;  // file name, read from "tex\" by the game
    float s = 1.0f, t = 1.0f;
    int32_t set = 0;  // texture-coordinate set the mesh draws this layer with
};

struct Material {
    std::string name;
    Color diffuse, ambient, specular;
    float value = 2.0f;
    std::vector<Layer> layers;  // at most 4 (the model reader's limit)
};

using Tri = std::array<int32_t, 3>;

// One set of texture coordinates: its own triangles and (u, v, 0) entries.
struct TexSet {
    std::vector<Tri> triangles;
    std::vector<gen::V3> coords;
};

// A part: geometry when the name starts with "_", otherwise a bone.
struct Part {
    std::string name;
    std::string parent = "none";
    gen::M4 matrix;
    std::vector<gen::V3> vertices;
    std::vector<gen::V3> normals;  // one per triangle corner
    std::vector<Tri> triangles;
    std::vector<TexSet> sets;
    int32_t material = -1;

    bool isGeometry() const { return !name.empty() && name[0] == '_'; }
};

// Weights of n bones on the m vertices of one geometry part, vertex-major.
struct SkinBlock {
    std::string name;
    std::vector<std::string> bones;
    int32_t vertexCount = 0;
    std::vector<float> weights;  // weights[n * vertex + bone]
};

struct Model {
    std::vector<Material> materials;
    std::vector<Part> parts;      // in file order
    std::vector<SkinBlock> skins;  // skinned models only
};

struct AnimKey {
    std::string bone;
    gen::M4 matrix;
    int32_t frame = 0;
};

struct Animation {
    int32_t header = 0;  // the track's end time
    std::vector<AnimKey> keys;
};

void putMaterial(std::vector<uint8_t>& out, const Material& m);
void putPart(std::vector<uint8_t>& out, const Part& p);
void putSkin(std::vector<uint8_t>& out, const SkinBlock& s);

// The whole file: materials, parts, then the skin blocks (if any).
std::vector<uint8_t> modelBytes(const Model& model);
std::vector<uint8_t> animationBytes(const Animation& anim);

// Checks a model against what the records can hold and what the mesh code
// expects: names fit their fields, counts agree, indices are in range,
// material indices exist, skin blocks match their parts. Returns an empty
// string when it is sound, else the first problem found.
std::string validate(const Model& model);

}  // namespace pff
