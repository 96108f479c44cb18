// The generated models, animations and model textures, read back with a
// reader of this test's own: every file the game loads is there and parses
// to its last byte, fits its object's collision spheres, and carries the
// bones, weights, materials and animation loops the game relies on.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace {

struct Vec {
    float x = 0, y = 0, z = 0;
};

float dist(Vec a, Vec b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)); }

std::vector<unsigned char> readAll(const std::string& path) {
    std::vector<unsigned char> d;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return d;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
    std::fclose(f);
    return d;
}

// Little-endian cursor that records any read past the end.
struct Cursor {
    const std::vector<unsigned char>& d;
    size_t p = 0;
    bool overrun = false;

    explicit Cursor(const std::vector<unsigned char>& data) : d(data) {}
    bool take(void* out, size_t n) {
        if (p + n > d.size()) {
            overrun = true;
            return false;
        }
        std::memcpy(out, &d[p], n);
        p += n;
        return true;
    }
    int32_t i32() {
        int32_t v = 0;
        take(&v, 4);
        return v;
    }
    float f32() {
        float v = 0;
        take(&v, 4);
        return v;
    }
    Vec vec() { return {f32(), f32(), f32()}; }
    // A zero-terminated name in a field; an unterminated field is an error.
    std::string name(size_t field, bool& terminated) {
        std::vector<char> b(field, 0);
        take(b.data(), field);
        terminated = std::memchr(b.data(), 0, field) != nullptr;
        return std::string(b.data(), strnlen(b.data(), field));
    }
    bool atEnd() const { return p == d.size(); }
};

struct Layer {
    std::string texture;
    int32_t set;
};
struct Material {
    std::string name;
    std::vector<Layer> layers;
};
struct Part {
    std::string name, parent;
    float matrix[16];
    std::vector<Vec> vertices;
    int32_t normals = 0, triangles = 0, sets = 0, material = -1;
    std::vector<int32_t> tri;
    bool indicesOk = true;
    bool geometry() const { return !name.empty() && name[0] == '_'; }
};
struct Skin {
    std::vector<std::string> bones;
    int32_t vertices = 0;
    std::vector<float> weights;
};
struct Model {
    bool ok = false;
    std::vector<Material> materials;
    std::vector<Part> parts;  // file order
    std::vector<Skin> skins;
};

Model loadModel(const std::string& relPath, bool skinned) {
    Model m;
    const std::vector<unsigned char> data = readAll(binaryDir() + "/" + relPath);
    if (data.empty()) return m;
    Cursor c(data);
    bool term = true, allTerm = true;
    const int32_t materialCount = c.i32();
    for (int32_t i = 0; i < materialCount && !c.overrun; ++i) {
        Material mat;
        mat.name = c.name(64, term);
        allTerm &= term;
        for (int k = 0; k < 13; ++k) c.f32();
        const int32_t last = c.i32();
        if (last < -1 || last > 3) return m;
        for (int32_t l = 0; l <= last; ++l) {
            Layer layer;
            layer.texture = c.name(128, term);
            allTerm &= term;
            c.f32();
            c.f32();
            layer.set = c.i32();
            mat.layers.push_back(layer);
        }
        m.materials.push_back(mat);
    }
    const int32_t partCount = c.i32();
    for (int32_t i = 0; i < partCount && !c.overrun; ++i) {
        Part p;
        p.name = c.name(64, term);
        allTerm &= term;
        p.parent = c.name(64, term);
        allTerm &= term;
        for (float& v : p.matrix) v = c.f32();
        const int32_t nv = c.i32();
        p.normals = c.i32();
        p.triangles = c.i32();
        p.sets = c.i32();
        if (nv < 0 || p.normals < 0 || p.triangles < 0 || p.sets < 0 || p.sets > 8) return m;
        std::vector<int32_t> counts(static_cast<size_t>(p.sets));
        for (int32_t& n : counts) n = c.i32();
        p.material = c.i32();
        for (int32_t k = 0; k < nv && !c.overrun; ++k) p.vertices.push_back(c.vec());
        for (int32_t k = 0; k < p.normals; ++k) c.vec();
        for (int32_t k = 0; k < 3 * p.triangles && !c.overrun; ++k) {
            p.tri.push_back(c.i32());
            if (p.tri.back() < 0 || p.tri.back() >= nv) p.indicesOk = false;
        }
        for (int32_t n : counts)
            if (n > 0)
                for (int32_t k = 0; k < 3 * p.triangles && !c.overrun; ++k) {
                    const int32_t t = c.i32();
                    if (t < 0 || t >= n) p.indicesOk = false;
                }
        for (int32_t n : counts)
            for (int32_t k = 0; k < n && !c.overrun; ++k) c.vec();
        m.parts.push_back(p);
    }
    if (skinned) {
        Skin s;
        c.name(64, term);
        allTerm &= term;
        const int32_t n = c.i32();
        s.vertices = c.i32();
        if (n < 0 || n > 64 || s.vertices < 0) return m;
        for (int32_t b = 0; b < n; ++b) {
            s.bones.push_back(c.name(64, term));
            allTerm &= term;
        }
        for (int64_t k = 0; k < static_cast<int64_t>(n) * s.vertices && !c.overrun; ++k) s.weights.push_back(c.f32());
        m.skins.push_back(s);
    }
    m.ok = !c.overrun && c.atEnd() && allTerm;
    return m;
}

struct Key {
    std::string bone;
    float matrix[16];
    int32_t frame;
};
struct Animation {
    bool ok = false;
    int32_t header = 0;
    std::vector<Key> keys;
};

Animation loadAnimation(const std::string& relPath) {
    Animation a;
    const std::vector<unsigned char> data = readAll(binaryDir() + "/" + relPath);
    if (data.size() < 4) return a;
    Cursor c(data);
    a.header = c.i32();
    bool term = true;
    while (!c.atEnd() && !c.overrun) {
        Key k;
        k.bone = c.name(64, term);
        for (float& v : k.matrix) v = c.f32();
        k.frame = c.i32();
        if (!term) return a;
        a.keys.push_back(k);
    }
    a.ok = !c.overrun;
    return a;
}

struct Tga {
    int width = 0, height = 0, bits = 0;
    std::vector<unsigned char> pixels;
};

bool loadTga(const std::string& name, Tga& t) {
    const std::vector<unsigned char> d = readAll(binaryDir() + "/tex/" + name);
    if (d.size() < 18 || d[0] != 0 || d[2] != 2) return false;
    t.width = d[12] | (d[13] << 8);
    t.height = d[14] | (d[15] << 8);
    t.bits = d[16];
    if (t.bits != 24 && t.bits != 32) return false;
    const size_t bytes = static_cast<size_t>(t.width) * t.height * (t.bits / 8);
    if (d.size() != 18 + bytes) return false;
    t.pixels.assign(d.begin() + 18, d.end());
    return true;
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

struct ModelSpec {
    const char* path;
    bool skinned;
};

// Every model the game loads (exact case), and the item models.
const ModelSpec kModels[] = {
    {"mods/drache/mesh.pff", true},          {"mods/zwerg/mesh.pff", true},
    {"mods/zwerg/mesh_impostor.pff", false}, {"mods/zwerg/pfeil.pff", false},
    {"mods/zwerg/defensetower.pff", false},  {"mods/burg/mesh.pff", false},
    {"mods/haus/mesh.pff", false},           {"mods/ballon/mesh.pff", false},
    {"mods/baum/treemod.pff", false},        {"mods/gold/mesh.pff", false},
    {"mods/gold/equippedmesh.PFF", false},   {"mods/items/eisenhelm.pff", false},
    {"mods/items/hoernerhelm.pff", false},   {"mods/items/kettenhemd.pff", false},
    {"mods/items/schuppenpanzer.pff", false}, {"mods/items/schwanzring.pff", false},
    {"mods/items/armschutz_links.pff", false}, {"mods/items/armschutz_rechts.pff", false},
};

const Part* geometry(const Model& m) {
    for (const Part& p : m.parts)
        if (p.geometry()) return &p;
    return nullptr;
}

// Largest distance of a vertex from the nearest of the given centres.
float coverage(const Model& m, const std::vector<Vec>& centres) {
    float r = 0;
    for (const Part& p : m.parts)
        for (const Vec& v : p.vertices) {
            float best = 1e30f;
            for (const Vec& c : centres) best = std::fmin(best, dist(v, c));
            r = std::fmax(r, best);
        }
    return r;
}

Vec translation(const float* m) { return {m[12], m[13], m[14]}; }

}  // namespace

TEST(ModelDataTest, EveryModelParsesToItsEndWithOneUniquelyNamedMaterial) {
    const std::set<std::string> engineMaterials = {"stdMat",    "boden",      "wasser",       "feuer",
                                                   "feuerpartikel", "blutpartikel", "magiepartikel", "minimapmat",
                                                   "skyboxmat", "burgMenu",   "equipmentMenu", "topbar"};
    std::set<std::string> names;
    for (const ModelSpec& spec : kModels) {
        SCOPED_TRACE(spec.path);
        const Model m = loadModel(spec.path, spec.skinned);
        ASSERT_TRUE(m.ok);
        ASSERT_EQ(m.materials.size(), 1u);
        EXPECT_EQ(engineMaterials.count(m.materials[0].name), 0u);
        EXPECT_TRUE(names.insert(m.materials[0].name).second) << m.materials[0].name;
        int geometryParts = 0;
        for (const Part& p : m.parts) {
            if (!p.geometry()) {
                EXPECT_TRUE(p.vertices.empty());
                EXPECT_EQ(p.triangles, 0);
                continue;
            }
            ++geometryParts;
            EXPECT_EQ(p.normals, 3 * p.triangles) << "one normal per corner";
            EXPECT_TRUE(p.indicesOk);
            EXPECT_EQ(p.material, 0);
            EXPECT_GT(p.triangles, 0);
            for (const Layer& l : m.materials[0].layers) EXPECT_EQ(l.set, 0);
        }
        EXPECT_EQ(geometryParts, 1);
    }
}

TEST(ModelDataTest, MaterialTexturesExistAsPowerOfTwoTgas) {
    for (const ModelSpec& spec : kModels) {
        const Model m = loadModel(spec.path, spec.skinned);
        ASSERT_TRUE(m.ok) << spec.path;
        for (const Layer& l : m.materials[0].layers) {
            if (l.texture == "normC") continue;  // made by the engine
            SCOPED_TRACE(std::string(spec.path) + " " + l.texture);
            Tga t;
            ASSERT_TRUE(loadTga(l.texture, t));
            EXPECT_TRUE(powerOfTwo(t.width) && powerOfTwo(t.height));
        }
    }
    // The tree's leaves are cut out: its picture has clear and opaque texels.
    Tga tree;
    ASSERT_TRUE(loadTga("baum.tga", tree));
    ASSERT_EQ(tree.bits, 32);
    int clear = 0, opaque = 0;
    for (size_t i = 3; i < tree.pixels.size(); i += 4) {
        clear += tree.pixels[i] == 0;
        opaque += tree.pixels[i] == 255;
    }
    EXPECT_GT(clear, 1000);
    EXPECT_GT(opaque, 1000);
}

TEST(ModelDataTest, DragonMaterialCarriesColourNormalMapAndCubeMap) {
    const Model m = loadModel("mods/drache/mesh.pff", true);
    ASSERT_TRUE(m.ok);
    const std::vector<Layer>& layers = m.materials[0].layers;
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[2].texture, "normC");
    // The cube map's own layer value is 1: the part needs a second set.
    const Part* g = geometry(m);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->sets, 2);
    Tga normal;
    ASSERT_TRUE(loadTga(layers[1].texture, normal));
    // Flat texels of the normal map point straight out: (128, 128, 255).
    size_t flat = 0;
    for (size_t i = 0; i + 2 < normal.pixels.size(); i += normal.bits / 8)
        flat += normal.pixels[i] == 255 && normal.pixels[i + 1] == 128 && normal.pixels[i + 2] == 128;
    EXPECT_GT(flat, normal.pixels.size() / 30);
}

TEST(ModelDataTest, SkinnedModelsHaveBonesFirstAndSoundWeights) {
    const struct {
        const char* path;
        std::vector<std::string> required;
    } models[] = {{"mods/drache/mesh.pff", {"Bone03", "Bone05", "Bone06", "Bone09", "Bone12", "Bone20"}},
                  {"mods/zwerg/mesh.pff", {}}};
    for (const auto& spec : models) {
        SCOPED_TRACE(spec.path);
        const Model m = loadModel(spec.path, true);
        ASSERT_TRUE(m.ok);
        ASSERT_TRUE(m.parts.back().geometry()) << "geometry part last";
        std::set<std::string> bones;
        int roots = 0;
        for (size_t i = 0; i + 1 < m.parts.size(); ++i) {
            const Part& p = m.parts[i];
            EXPECT_FALSE(p.geometry());
            bones.insert(p.name);
            if (p.parent == "none") ++roots;
            for (int r = 0; r < 3; ++r) {
                const float len = std::sqrt(p.matrix[r] * p.matrix[r] + p.matrix[4 + r] * p.matrix[4 + r] +
                                            p.matrix[8 + r] * p.matrix[8 + r]);
                EXPECT_NEAR(len, 1.0f, 1e-4f) << p.name;
            }
        }
        EXPECT_EQ(roots, 1);
        EXPECT_LE(bones.size(), 14u);
        for (const std::string& b : spec.required) EXPECT_EQ(bones.count(b), 1u) << b;
        ASSERT_EQ(m.skins.size(), 1u);
        const Skin& s = m.skins[0];
        EXPECT_EQ(s.vertices, static_cast<int32_t>(m.parts.back().vertices.size()));
        for (const std::string& b : s.bones) EXPECT_EQ(bones.count(b), 1u) << b;
        const size_t n = s.bones.size();
        for (int32_t v = 0; v < s.vertices; ++v) {
            int nonZero = 0;
            float sum = 0;
            for (size_t b = 0; b < n; ++b) {
                const float w = s.weights[n * static_cast<size_t>(v) + b];
                ASSERT_GE(w, 0.0f);
                nonZero += w > 0.0f;
                sum += w;
            }
            ASSERT_LE(nonZero, 4) << "vertex " << v;
            ASSERT_NEAR(sum, 1.0f, 1e-4f) << "vertex " << v;
        }
    }
}

TEST(ModelDataTest, AnimationsLoopOverEveryBone) {
    const struct {
        const char* model;
        const char* anim;
    } anims[] = {{"mods/drache/mesh.pff", "mods/drache/ani2.pff"},     {"mods/drache/mesh.pff", "mods/drache/ani.pff"},
                 {"mods/drache/mesh.pff", "mods/drache/ani4.pff"},     {"mods/drache/mesh.pff", "mods/drache/ani_back.pff"},
                 {"mods/drache/mesh.pff", "mods/drache/ani_right.pff"}, {"mods/drache/mesh.pff", "mods/drache/ani_left.pff"},
                 {"mods/zwerg/mesh.pff", "mods/zwerg/ani1.pff"},       {"mods/zwerg/mesh.pff", "mods/zwerg/ani_shoot.pff"}};
    for (const auto& spec : anims) {
        SCOPED_TRACE(spec.anim);
        const Model m = loadModel(spec.model, true);
        const Animation a = loadAnimation(spec.anim);
        ASSERT_TRUE(m.ok);
        ASSERT_TRUE(a.ok);
        ASSERT_GT(a.header, 0);
        for (size_t i = 0; i + 1 < m.parts.size(); ++i) {
            const std::string& bone = m.parts[i].name;
            const Key* first = nullptr;
            const Key* last = nullptr;
            int count = 0;
            for (const Key& k : a.keys) {
                if (k.bone != bone) continue;
                ++count;
                if (!first || k.frame < first->frame) first = &k;
                if (!last || k.frame > last->frame) last = &k;
            }
            ASSERT_GE(count, 3) << bone;
            EXPECT_EQ(first->frame, 0);
            EXPECT_EQ(last->frame, a.header) << "the header is the track's end";
            for (int e = 0; e < 16; ++e) EXPECT_EQ(first->matrix[e], last->matrix[e]) << bone << " loop not closed";
        }
        for (const Key& k : a.keys) {
            bool known = false;
            for (const Part& p : m.parts) known |= !p.geometry() && p.name == k.bone;
            EXPECT_TRUE(known) << k.bone;
        }
    }
}

namespace {

// Per track: the lowest and highest z the left wing tip's joint reaches, and
// the mean z of the left and the right tip (z grows downward for the dragon).
struct WingTrack {
    float minZ = 1e30f, maxZ = -1e30f, leftMean = 0, rightMean = 0;
};

WingTrack wingTrack(const char* anim) {
    WingTrack w;
    const Animation a = loadAnimation(anim);
    int nl = 0, nr = 0;
    for (const Key& k : a.keys) {
        const Vec t = translation(k.matrix);
        if (k.bone == "Bone22") {
            w.minZ = std::fmin(w.minZ, t.z);
            w.maxZ = std::fmax(w.maxZ, t.z);
            w.leftMean += t.z;
            ++nl;
        } else if (k.bone == "Bone14") {
            w.rightMean += t.z;
            ++nr;
        }
    }
    if (nl) w.leftMean /= nl;
    if (nr) w.rightMean /= nr;
    return w;
}

}  // namespace

TEST(ModelDataTest, DragonTracksBeatBankAndDiffer) {
    const WingTrack cruise = wingTrack("mods/drache/ani2.pff");
    const WingTrack fast = wingTrack("mods/drache/ani.pff");
    const WingTrack dive = wingTrack("mods/drache/ani4.pff");
    // Wing beats: the wing joint moves up and down; faster flight beats deeper,
    // the dive holds the wings still.
    EXPECT_GT(cruise.maxZ - cruise.minZ, 40.0f);
    EXPECT_GT(fast.maxZ - fast.minZ, cruise.maxZ - cruise.minZ);
    EXPECT_LT(dive.maxZ - dive.minZ, 20.0f);
    // Track 4 (the left arrow) banks to the dragon's left: its +x wing lies lower.
    const WingTrack left = wingTrack("mods/drache/ani_right.pff");
    const WingTrack right = wingTrack("mods/drache/ani_left.pff");
    EXPECT_GT(left.leftMean, left.rightMean + 20.0f);
    EXPECT_LT(right.leftMean, right.rightMean - 20.0f);
}

TEST(ModelDataTest, ModelsFitTheirCollisionSpheres) {
    // Static models: 100 units per world unit, +z up; dwarf 200, dragon 100.
    const struct {
        const char* path;
        bool skinned;
        std::vector<Vec> centres;
        float radius;
    } fits[] = {
        {"mods/drache/mesh.pff", true, {{0, 0, 0}}, 150.0f},
        {"mods/zwerg/mesh.pff", true, {{0, 0, 0}}, 200.0f},
        {"mods/zwerg/mesh_impostor.pff", false, {{0, 0, 0}}, 200.0f},
        {"mods/zwerg/pfeil.pff", false, {{0, 0, 0}}, 100.0f},
        {"mods/haus/mesh.pff", false, {{0, 0, 0}}, 200.0f},
        {"mods/ballon/mesh.pff", false, {{0, 0, 0}}, 200.0f},
        {"mods/gold/mesh.pff", false, {{0, 0, 0}}, 200.0f},
        {"mods/burg/mesh.pff", false, {{0, 0, 0}, {0, 0, 1500}}, 1000.0f},
        {"mods/zwerg/defensetower.pff", false, {{0, 0, 0}, {0, 0, 400}, {0, 0, 800}, {0, 0, 1200}}, 400.0f},
    };
    for (const auto& f : fits) {
        const Model m = loadModel(f.path, f.skinned);
        ASSERT_TRUE(m.ok) << f.path;
        EXPECT_LE(coverage(m, f.centres), f.radius) << f.path;
    }
    // The arrow flies along +z: it is long in z and thin across.
    const Model arrow = loadModel("mods/zwerg/pfeil.pff", false);
    float zMin = 1e30f, zMax = -1e30f, across = 0;
    for (const Vec& v : geometry(arrow)->vertices) {
        zMin = std::fmin(zMin, v.z);
        zMax = std::fmax(zMax, v.z);
        across = std::fmax(across, std::hypot(v.x, v.y));
    }
    EXPECT_GT(zMax - zMin, 8.0f * across);
}

TEST(ModelDataTest, LevelMeshesFitTheSharedBuffers) {
    // Per mesh: (V + 1) vertices of position, normal and one coordinate pair
    // per set (plus weights and bone indices when skinned); 12 surface and 36
    // shadow index bytes per triangle. The ground adds its shared indices.
    long vertexBytes = 0, indexBytes = 548904;
    for (const ModelSpec& spec : kModels) {
        const Model m = loadModel(spec.path, spec.skinned);
        ASSERT_TRUE(m.ok) << spec.path;
        const Part* g = geometry(m);
        const long perVertex = 16 + 12 + 8 * g->sets + (spec.skinned ? 32 : 0);
        vertexBytes += (static_cast<long>(g->vertices.size()) + 1) * perVertex;
        indexBytes += static_cast<long>(g->triangles) * 48;
    }
    EXPECT_LE(vertexBytes, 10485760);
    EXPECT_LE(indexBytes, 5242880);
}

namespace {

Vec transformPoint(const float* m, Vec p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// pose · inverse(bind) for a rigid bind matrix.
void skinMatrix(const float* pose, const float* bind, float* out) {
    float inv[16] = {0};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) inv[4 * c + r] = bind[4 * r + c];
    const Vec t = {bind[12], bind[13], bind[14]};
    inv[12] = -(inv[0] * t.x + inv[4] * t.y + inv[8] * t.z);
    inv[13] = -(inv[1] * t.x + inv[5] * t.y + inv[9] * t.z);
    inv[14] = -(inv[2] * t.x + inv[6] * t.y + inv[10] * t.z);
    inv[15] = 1;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += pose[4 * k + r] * inv[4 * c + k];
            out[4 * c + r] = s;
        }
}

}  // namespace

TEST(ModelDataTest, AnimatedMeshesKeepTheirShape) {
    // Skinning every vertex with every key pose keeps the body together: no
    // vertex flies off (a weight on the wrong bone or a pose that is not
    // absolute would throw vertices far out).
    const struct {
        const char* model;
        std::vector<const char*> anims;
        float limit;
    } cases[] = {{"mods/drache/mesh.pff",
                  {"mods/drache/ani2.pff", "mods/drache/ani.pff", "mods/drache/ani4.pff", "mods/drache/ani_back.pff",
                   "mods/drache/ani_right.pff", "mods/drache/ani_left.pff"},
                  175.0f},
                 {"mods/zwerg/mesh.pff", {"mods/zwerg/ani1.pff", "mods/zwerg/ani_shoot.pff"}, 220.0f}};
    for (const auto& c : cases) {
        const Model m = loadModel(c.model, true);
        ASSERT_TRUE(m.ok);
        const Part& g = m.parts.back();
        const Skin& s = m.skins[0];
        std::map<std::string, const Part*> bones;
        for (const Part& p : m.parts)
            if (!p.geometry()) bones[p.name] = &p;
        for (const char* animPath : c.anims) {
            SCOPED_TRACE(animPath);
            const Animation a = loadAnimation(animPath);
            ASSERT_TRUE(a.ok);
            std::map<int32_t, std::map<std::string, const Key*>> frames;
            for (const Key& k : a.keys) frames[k.frame][k.bone] = &k;
            for (const auto& frame : frames) {
                std::vector<std::vector<float>> skins;
                for (const std::string& b : s.bones) {
                    std::vector<float> sm(16, 0.0f);
                    ASSERT_EQ(frame.second.count(b), 1u) << b << " at " << frame.first;
                    skinMatrix(frame.second.at(b)->matrix, bones.at(b)->matrix, sm.data());
                    skins.push_back(sm);
                }
                float farthest = 0;
                for (size_t v = 0; v < g.vertices.size(); ++v) {
                    Vec p;
                    for (size_t b = 0; b < s.bones.size(); ++b) {
                        const float w = s.weights[s.bones.size() * v + b];
                        if (w <= 0) continue;
                        const Vec q = transformPoint(skins[b].data(), g.vertices[v]);
                        p = {p.x + q.x * w, p.y + q.y * w, p.z + q.z * w};
                    }
                    farthest = std::fmax(farthest, dist(p, Vec()));
                }
                EXPECT_LT(farthest, c.limit) << "frame " << frame.first;
            }
        }
    }
}

TEST(ModelDataTest, WornItemsSitAtTheirSlotsBones) {
    // A worn model is drawn with its bone's skinning matrix, so it is made at
    // the dragon's bind pose around that bone: the bone's joint is the nearest.
    const Model dragon = loadModel("mods/drache/mesh.pff", true);
    ASSERT_TRUE(dragon.ok);
    const auto nearestBone = [&](const std::string& path) {
        const Model m = loadModel(path, false);
        Vec mid;
        const Part* g = geometry(m);
        if (!m.ok || !g) return std::string("(unreadable)");
        for (const Vec& v : g->vertices) mid = {mid.x + v.x, mid.y + v.y, mid.z + v.z};
        const float n = static_cast<float>(g->vertices.size());
        mid = {mid.x / n, mid.y / n, mid.z / n};
        std::string best;
        float bestDist = 1e30f;
        for (const Part& p : dragon.parts)
            if (!p.geometry() && dist(translation(p.matrix), mid) < bestDist) {
                bestDist = dist(translation(p.matrix), mid);
                best = p.name;
            }
        return best;
    };
    EXPECT_EQ(nearestBone("mods/gold/equippedmesh.PFF"), "Bone09");
    const char* slotBones[] = {"", "Bone03", "Bone05", "Bone06", "Bone20", "Bone12"};
    const std::vector<unsigned char> table = readAll(binaryDir() + "/itemdata/items.itm");
    ASSERT_GE(table.size(), 4u);
    int32_t count;
    std::memcpy(&count, table.data(), 4);
    ASSERT_EQ(table.size(), 4u + 176u * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const size_t at = 4 + 176 * static_cast<size_t>(i);
        std::string model(reinterpret_cast<const char*>(&table[at + 32]), strnlen(reinterpret_cast<const char*>(&table[at + 32]), 128));
        for (char& ch : model)
            if (ch == '\\') ch = '/';
        int32_t slot;
        std::memcpy(&slot, &table[at + 172], 4);
        ASSERT_GE(slot, 1);
        ASSERT_LE(slot, 5);
        EXPECT_EQ(nearestBone(model), slotBones[slot]) << model;
    }
}
