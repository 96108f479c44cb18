#include "model_set.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "layout.h"

namespace models {

namespace {

// The ground cuts the level into 16 x 16 tiles drawn at 7 levels of detail;
// its shared index array goes into the same index buffer as the meshes.
constexpr int kGroundTileSize = layout::kWorldSize / 16;
constexpr int kGroundLevels = 7;

}  // namespace

using gen::M4;

long groundIndexBytes(int tileSize, int lodCount) {
    const int w = tileSize, h = tileSize;
    long triangles = 0;
    for (int level = 0; level <= lodCount; ++level) {
        const int s = 1 << level;
        for (int r = 0; r < h - s; r += s)
            for (int c = 0; c < w - s; c += s) triangles += 2;
    }
    for (int level = 0; level <= lodCount; ++level) {
        const int s = 1 << level;
        long quads = 0, pairs = 0;
        for (int c = 0; c < w + 1 - s; c += s) ++quads;
        for (int c = 0; c < w + 1 - 2 * s; c += 2 * s) ++pairs;
        const long band = (level == 0 ? 2 : 3) * quads + 2 * quads + 3 * pairs;
        triangles += 2 * band;  // south and east bands
    }
    return triangles * 3 * 4;
}


namespace {

bool fail(const std::string& what) {
    std::fprintf(stderr, "datagen: models: %s\n", what.c_str());
    return false;
}

// Materials and textures the engine makes itself; model materials must not
// take these names, and layers may name only "normC" among the textures.
const std::set<std::string>& engineMaterials() {
    static const std::set<std::string> names = {
        "stdMat",     "boden",      "wasser",        "feuer",     "feuerpartikel", "blutpartikel", "magiepartikel",
        "minimapmat", "skyboxmat",  "burgMenu",      "equipmentMenu", "loading",   "startup",      "topbar",
        "nebel",      "cloud",      "logo_neu",      "logo_sky",  "sky_new",       "menu_512",     "menu_nebel",
        "Nacht",      "Wolkenbank", "test",          "pure"};
    return names;
}

bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

bool rigid(const M4& m) {
    for (int r = 0; r < 3; ++r) {
        const float len = std::sqrt(m.m[r] * m.m[r] + m.m[4 + r] * m.m[4 + r] + m.m[8 + r] * m.m[8 + r]);
        if (std::fabs(len - 1.0f) > 1e-3f) return false;
    }
    return true;
}

int usedVertices(const pff::Part& p) {
    std::vector<char> used(p.vertices.size(), 0);
    for (const pff::Tri& t : p.triangles)
        for (int32_t i : t) used[static_cast<size_t>(i)] = 1;
    return static_cast<int>(std::count(used.begin(), used.end(), 1));
}

}  // namespace

void ModelSet::requireBones(const std::string& model, const std::vector<std::string>& bones) {
    requiredBones_.push_back({model, bones});
}

bool ModelSet::checkSkinned(const ModelFile& f) const {
    const pff::Model& m = f.model;
    int bones = 0;
    bool geometrySeen = false;
    for (const pff::Part& p : m.parts) {
        if (p.isGeometry()) {
            geometrySeen = true;
            continue;
        }
        if (geometrySeen) return fail(f.path + ": bone '" + p.name + "' after the geometry part");
        if (!rigid(p.matrix)) return fail(f.path + ": bone '" + p.name + "' has a scaled matrix");
        ++bones;
    }
    if (bones > kMaxBones) return fail(f.path + ": more than 14 bones");
    if (m.skins.size() != 1) return fail(f.path + ": one skin block expected");
    const pff::SkinBlock& s = m.skins[0];
    const size_t n = s.bones.size();
    for (int32_t v = 0; v < s.vertexCount; ++v) {
        int nonZero = 0;
        float sum = 0.0f;
        for (size_t b = 0; b < n; ++b) {
            const float w = s.weights[n * static_cast<size_t>(v) + b];
            if (w < 0.0f) return fail(f.path + ": negative skin weight");
            if (w > 0.0f) ++nonZero;
            sum += w;
        }
        if (nonZero > 4) return fail(f.path + ": a vertex with more than 4 bone weights");
        if (std::fabs(sum - 1.0f) > 1e-4f) return fail(f.path + ": skin weights do not sum to 1");
    }
    for (const std::string& b : s.bones) {
        const bool known = std::any_of(m.parts.begin(), m.parts.end(),
                                       [&](const pff::Part& p) { return !p.isGeometry() && p.name == b; });
        if (!known) return fail(f.path + ": skin block names unknown bone '" + b + "'");
    }
    return true;
}

bool ModelSet::checkAnimation(const AnimationFile& a) const {
    const ModelFile* model = nullptr;
    for (const ModelFile& f : models_)
        if (f.path == a.model) model = &f;
    if (!model) return fail(a.path + ": animates an unknown model");
    std::set<std::string> bones;
    for (const pff::Part& p : model->model.parts)
        if (!p.isGeometry()) bones.insert(p.name);
    const pff::Animation& anim = a.animation;
    int lastFrame = 0;
    for (const pff::AnimKey& k : anim.keys) {
        if (!bones.count(k.bone)) return fail(a.path + ": key for unknown bone '" + k.bone + "'");
        if (!rigid(k.matrix)) return fail(a.path + ": key matrix of '" + k.bone + "' is not rigid");
        lastFrame = std::max(lastFrame, k.frame);
    }
    if (anim.header != lastFrame) return fail(a.path + ": header is not the track's end");
    for (const std::string& b : bones) {
        const pff::AnimKey* first = nullptr;
        const pff::AnimKey* last = nullptr;
        for (const pff::AnimKey& k : anim.keys) {
            if (k.bone != b) continue;
            if (!first || k.frame < first->frame) first = &k;
            if (!last || k.frame >= last->frame) last = &k;
        }
        if (!first) return fail(a.path + ": no keys for bone '" + b + "'");
        if (first->frame != 0 || last->frame != anim.header) return fail(a.path + ": keys of '" + b + "' miss an end");
        for (int i = 0; i < 16; ++i)
            if (first->matrix.m[i] != last->matrix.m[i]) return fail(a.path + ": loop of '" + b + "' is not closed");
    }
    return true;
}

long ModelSet::vertexBufferUse() const {
    long bytes = 0;
    for (const ModelFile& f : models_) {
        if (!f.level) continue;
        long vertices = 1;  // the shadow apex
        size_t sets = 0;
        for (const pff::Part& p : f.model.parts) {
            if (!p.isGeometry()) continue;
            vertices += f.split ? usedVertices(p) : static_cast<long>(p.vertices.size());
            sets = std::max(sets, p.sets.size());
        }
        long perVertex = 16 + 12 + 8 * static_cast<long>(sets);
        if (!f.model.skins.empty()) perVertex += 16 + 16;  // weights and bone indices
        bytes += vertices * perVertex;
    }
    return bytes;
}

long ModelSet::indexBufferUse() const {
    long bytes = groundIndexBytes(kGroundTileSize, kGroundLevels);
    for (const ModelFile& f : models_) {
        if (!f.level) continue;
        for (const pff::Part& p : f.model.parts) bytes += static_cast<long>(p.triangles.size()) * (3 + 9) * 4;
    }
    return bytes;
}

bool ModelSet::check() const {
    std::set<std::string> materialNames;
    std::set<std::string> textureNames;
    for (const TextureFile& t : textures_) {
        if (!textureNames.insert(t.name).second) return fail("texture " + t.name + " written twice");
        if (!isPowerOfTwo(t.image.width) || !isPowerOfTwo(t.image.height))
            return fail("texture " + t.name + " is not a power of two");
        if (t.image.channels != 3 && t.image.channels != 4) return fail("texture " + t.name + " is not 24 or 32 bit");
    }
    for (const ModelFile& f : models_) {
        const std::string problem = pff::validate(f.model);
        if (!problem.empty()) return fail(f.path + ": " + problem);
        if (f.model.materials.size() != 1) return fail(f.path + ": one material per file expected");
        for (const pff::Material& m : f.model.materials) {
            if (engineMaterials().count(m.name)) return fail(f.path + ": material name " + m.name + " is the engine's");
            if (!materialNames.insert(m.name).second) return fail(f.path + ": material name " + m.name + " used twice");
            for (const pff::Layer& l : m.layers)
                if (l.texture != "normC" && !textureNames.count(l.texture))
                    return fail(f.path + ": texture " + l.texture + " is not written");
        }
        if (!f.model.skins.empty() && !checkSkinned(f)) return false;
    }
    for (const auto& req : requiredBones_) {
        const ModelFile* model = nullptr;
        for (const ModelFile& f : models_)
            if (f.path == req.first) model = &f;
        if (!model) return fail("missing model " + req.first);
        for (const std::string& b : req.second) {
            const bool found = std::any_of(model->model.parts.begin(), model->model.parts.end(),
                                           [&](const pff::Part& p) { return !p.isGeometry() && p.name == b; });
            if (!found) return fail(req.first + ": bone " + b + " missing");
        }
    }
    for (const AnimationFile& a : animations_)
        if (!checkAnimation(a)) return false;
    if (vertexBufferUse() > kVertexBufferBytes) return fail("level meshes overflow the shared vertex buffer");
    if (indexBufferUse() > kIndexBufferBytes) return fail("level meshes overflow the shared index buffer");
    return true;
}

bool ModelSet::write(const std::string& out) const {
    for (const ModelFile& f : models_)
        if (!gen::writeFile(out + "/" + f.path, pff::modelBytes(f.model))) return false;
    for (const AnimationFile& a : animations_)
        if (!gen::writeFile(out + "/" + a.path, pff::animationBytes(a.animation))) return false;
    for (const TextureFile& t : textures_)
        if (!gen::writeTga(out + "/tex/" + t.name, t.image)) return false;
    return true;
}

}  // namespace models
