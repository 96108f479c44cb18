// Models generator: builds every model, animation and model texture of the
// default data set, checks them against what the game looks up and what its
// buffers hold, then writes them.

#include "gen_models.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "generators.h"

namespace models {

using gen::M4;
using gen::V3;

// ---------------------------------------------------------------------------
// Skeleton

int Skeleton::add(const std::string& name, int parent, V3 joint) {
    bones_.push_back({name, parent, joint});
    return count() - 1;
}

int Skeleton::find(const std::string& name) const {
    for (int i = 0; i < count(); ++i)
        if (bones_[static_cast<size_t>(i)].name == name) return i;
    return -1;
}

std::vector<std::string> Skeleton::names() const {
    std::vector<std::string> n;
    for (const Bone& b : bones_) n.push_back(b.name);
    return n;
}

Pose Skeleton::restPose() const {
    Pose p;
    p.rotation.assign(bones_.size(), M4::identity());
    return p;
}

std::vector<M4> Skeleton::absolute(const Pose& pose) const {
    std::vector<M4> abs(bones_.size());
    for (size_t i = 0; i < bones_.size(); ++i) {
        const Bone& b = bones_[i];
        const M4& r = i < pose.rotation.size() ? pose.rotation[i] : M4();
        if (b.parent < 0)
            abs[i] = M4::translation(b.joint + pose.rootOffset) * r;
        else {
            const Bone& p = bones_[static_cast<size_t>(b.parent)];
            abs[i] = abs[static_cast<size_t>(b.parent)] * M4::translation(b.joint - p.joint) * r;
        }
    }
    return abs;
}

std::vector<pff::Part> Skeleton::boneParts() const {
    std::vector<pff::Part> parts;
    for (const Bone& b : bones_) {
        pff::Part p;
        p.name = b.name;
        p.parent = b.parent < 0 ? "none" : bones_[static_cast<size_t>(b.parent)].name;
        p.matrix = M4::translation(b.joint);
        parts.push_back(p);
    }
    return parts;
}

pff::Animation Skeleton::sample(int period, int step, const std::function<Pose(float)>& poseAt) const {
    std::vector<int> frames;
    for (int frame = 0; frame < period; frame += step) frames.push_back(frame);
    frames.push_back(period);
    return sample(period, frames, poseAt);
}

pff::Animation Skeleton::sample(int period, const std::vector<int>& frames,
                                const std::function<Pose(float)>& poseAt) const {
    pff::Animation anim;
    anim.header = period;
    const std::vector<M4> first = absolute(poseAt(0.0f));
    for (int frame : frames) {
        const std::vector<M4> abs =
            (frame == 0 || frame == period) ? first : absolute(poseAt(static_cast<float>(frame) / period));
        for (size_t i = 0; i < bones_.size(); ++i) anim.keys.push_back({bones_[i].name, abs[i], frame});
    }
    return anim;
}

M4 rotationDeg(float pitchX, float rollY, float yawZ) {
    return M4::rotationZ(gen::radians(yawZ)) * M4::rotationY(gen::radians(rollY)) *
           M4::rotationX(gen::radians(pitchX));
}

// ---------------------------------------------------------------------------
// Helpers shared by the builders

pff::Model singlePartModel(const pff::Material& material, const gen::MeshBuilder& mesh, const std::string& partName,
                           int sets) {
    pff::Model m;
    m.materials.push_back(material);
    m.parts.push_back(mesh.toPart(partName, 0, sets));
    return m;
}

pff::Material textureMaterial(const std::string& name, const std::string& texture) {
    pff::Material m;
    m.name = name;
    m.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m.ambient = {0.4f, 0.4f, 0.4f, 1.0f};
    m.specular = {0.2f, 0.2f, 0.2f, 1.0f};
    m.value = 2.0f;
    pff::Layer l;
    l.texture = texture;
    l.set = 0;
    m.layers.push_back(l);
    return m;
}

std::string outputPath(const std::string& gamePath) {
    std::string p = gamePath;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

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

// ---------------------------------------------------------------------------
// Checks

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
    long bytes = groundIndexBytes(128, 7);
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

namespace {

// With DATAGEN_VERBOSE set, lists what was written (for the data notes).
void printSummary(const ModelSet& set) {
    for (const ModelFile& f : set.models()) {
        int bones = 0, vertices = 0, triangles = 0;
        for (const pff::Part& p : f.model.parts) {
            if (!p.isGeometry()) ++bones;
            vertices += static_cast<int>(p.vertices.size());
            triangles += static_cast<int>(p.triangles.size());
        }
        std::string layers;
        for (const pff::Layer& l : f.model.materials[0].layers) layers += " " + l.texture;
        std::printf("%-32s %-22s parts %zu bones %d v %d t %d radius %.2f material %s:%s\n", f.path.c_str(),
                    f.what.c_str(), f.model.parts.size(), bones, vertices, triangles, f.radius,
                    f.model.materials[0].name.c_str(), layers.c_str());
    }
    for (const AnimationFile& a : set.animations())
        std::printf("%-32s keys %zu end %d\n", a.path.c_str(), a.animation.keys.size(), a.animation.header);
    for (const TextureFile& t : set.textures())
        std::printf("tex/%-28s %dx%d %d bit\n", t.name.c_str(), t.image.width, t.image.height, t.image.channels * 8);
    std::printf("vertex buffer %ld of %ld bytes, index buffer %ld of %ld bytes (ground %ld)\n", set.vertexBufferUse(),
                kVertexBufferBytes, set.indexBufferUse(), kIndexBufferBytes, groundIndexBytes(128, 7));
}

}  // namespace

}  // namespace models

bool generateModels(const std::string& out) {
    models::ModelSet set;
    models::buildDragon(set);
    models::buildDwarf(set);
    models::buildBuildings(set);
    models::buildItems(set);
    if (!set.check()) return false;
    if (std::getenv("DATAGEN_VERBOSE")) models::printSummary(set);
    return set.write(out);
}
