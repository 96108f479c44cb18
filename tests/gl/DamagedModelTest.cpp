// Damaged copies of the generated dragon and dwarf models and of a dragon
// animation, loaded as the game loads them: cut at many places (inside the
// skin block and inside a key record among them), counts overwritten with
// huge or negative values, names without their terminating zero, a skin
// block whose vertex count shrank. Each copy is logged and treated as
// missing; a parent name that names no part only makes its bone a root.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "engine/Log.h"
#include "engine/TEngine.h"
#include "scene/TBone.h"
#include "scene/TMesh.h"
#include "scene/TMeshPart.h"
#include "scene/TSkinnedMesh.h"
#include "scene/TSkinnedMeshInstance.h"
#include "support/TestPaths.h"

namespace {

using Bytes = std::vector<unsigned char>;

const int kHuge = 0x7fffffff;
const size_t kName = 64;
const size_t kKeyBytes = kName + 16 * 4 + 4;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

int getInt(const Bytes& b, size_t at) {
    int v = 0;
    std::memcpy(&v, &b.at(at + 3) - 3, 4);
    return v;
}

void putInt(Bytes& b, size_t at, int v) { std::memcpy(&b.at(at + 3) - 3, &v, 4); }

// Fills a name field with letters: no terminating zero left.
void fillName(Bytes& b, size_t at) { std::memset(&b.at(at + kName - 1) - (kName - 1), 'X', kName); }

void putName(Bytes& b, size_t at, const char* text) {
    std::memset(&b.at(at + kName - 1) - (kName - 1), 0, kName);
    std::memcpy(&b.at(at), text, std::strlen(text));
}

// Where the records of a skinned model file lie.
struct Layout {
    struct Part {
        size_t at = 0;      // the name; the parent name follows
        size_t counts = 0;  // V, N, T, S, the S set counts, the material index
        size_t arrays = 0;  // vertices, normals, triangles, texture triangles, coordinates
        size_t end = 0;
        int v = 0, n = 0, t = 0, s = 0;
        std::string name;
    };
    size_t layerCount = 0;  // of the first material
    size_t partCount = 0;
    std::vector<Part> parts;
    size_t geometry = 0;  // index of the geometry part
    size_t skin = 0;      // the skin block: name, bone count, vertex count, names, weights
    int skinBones = 0, skinVertices = 0;
};

Layout parse(const Bytes& b) {
    Layout l;
    size_t at = 4;
    const int materials = getInt(b, 0);
    for (int m = 0; m < materials; ++m) {
        if (m == 0) l.layerCount = at + kName + 13 * 4;
        const int lastLayer = getInt(b, at + kName + 13 * 4);
        at += kName + 14 * 4 + static_cast<size_t>(lastLayer + 1) * (128 + 3 * 4);
    }
    l.partCount = at;
    const int parts = getInt(b, at);
    at += 4;
    for (int i = 0; i < parts; ++i) {
        Layout::Part p;
        p.at = at;
        p.name = reinterpret_cast<const char*>(&b.at(at));
        p.counts = at + 2 * kName + 16 * 4;
        p.v = getInt(b, p.counts), p.n = getInt(b, p.counts + 4);
        p.t = getInt(b, p.counts + 8), p.s = getInt(b, p.counts + 12);
        p.arrays = p.counts + 16 + 4 * static_cast<size_t>(p.s) + 4;
        size_t end = p.arrays + 12 * static_cast<size_t>(p.v + p.n + p.t);
        for (int s = 0; s < p.s; ++s) {
            const int count = getInt(b, p.counts + 16 + 4 * static_cast<size_t>(s));
            if (count >= 1) end += 12 * static_cast<size_t>(p.t + count);
        }
        p.end = at = end;
        if (p.name[0] == '_') l.geometry = l.parts.size();
        l.parts.push_back(p);
    }
    l.skin = at;
    l.skinBones = getInt(b, at + kName);
    l.skinVertices = getInt(b, at + kName + 4);
    return l;
}

// A damage to a model file; `stillLoads` for the one damage the skeleton
// rules absorb.
struct Damage {
    const char* what;
    std::function<void(Bytes&, const Layout&)> apply;
    bool stillLoads = false;
};

void cut(Bytes& b, size_t size) { b.resize(size); }

std::vector<Damage> modelDamages() {
    using L = const Layout&;
    const auto geo = [](L l) -> const Layout::Part& { return l.parts[l.geometry]; };
    return {
        {"empty file", [](Bytes& b, L) { cut(b, 0); }},
        {"cut in the material count", [](Bytes& b, L) { cut(b, 2); }},
        {"cut in the material record", [](Bytes& b, L) { cut(b, 4 + 40); }},
        {"cut in the part count", [](Bytes& b, L l) { cut(b, l.partCount + 2); }},
        {"cut in a bone's name", [](Bytes& b, L l) { cut(b, l.parts[0].at + 10); }},
        {"cut in a bone's matrix", [](Bytes& b, L l) { cut(b, l.parts[1].at + 2 * kName + 30); }},
        {"cut in the geometry's counts", [=](Bytes& b, L l) { cut(b, geo(l).counts + 6); }},
        {"cut in the vertices", [=](Bytes& b, L l) { cut(b, geo(l).arrays + 6 * geo(l).v + 5); }},
        {"cut in the texture coordinates", [=](Bytes& b, L l) { cut(b, geo(l).end - 7); }},
        {"cut before the skin block", [](Bytes& b, L l) { cut(b, l.skin); }},
        {"cut in the skin block's counts", [](Bytes& b, L l) { cut(b, l.skin + kName + 6); }},
        {"cut in the skin's bone names", [](Bytes& b, L l) { cut(b, l.skin + kName + 8 + 2 * kName + 10); }},
        {"cut in the skin weights", [](Bytes& b, L) { cut(b, b.size() - 6); }},
        {"huge material count", [](Bytes& b, L) { putInt(b, 0, kHuge); }},
        {"negative material count", [](Bytes& b, L) { putInt(b, 0, -3); }},
        {"huge layer count", [](Bytes& b, L l) { putInt(b, l.layerCount, 1000); }},
        {"huge part count", [](Bytes& b, L l) { putInt(b, l.partCount, kHuge); }},
        {"negative part count", [](Bytes& b, L l) { putInt(b, l.partCount, -1); }},
        {"huge vertex count", [=](Bytes& b, L l) { putInt(b, geo(l).counts, kHuge); }},
        {"negative vertex count", [=](Bytes& b, L l) { putInt(b, geo(l).counts, -7); }},
        {"huge normal count", [=](Bytes& b, L l) { putInt(b, geo(l).counts + 4, kHuge); }},
        {"huge triangle count", [=](Bytes& b, L l) { putInt(b, geo(l).counts + 8, 0x20000000); }},
        {"huge texture-set count", [=](Bytes& b, L l) { putInt(b, geo(l).counts + 12, 100000); }},
        {"negative texture-set count", [=](Bytes& b, L l) { putInt(b, geo(l).counts + 12, -2); }},
        {"huge coordinate count", [=](Bytes& b, L l) { putInt(b, geo(l).counts + 16, kHuge); }},
        {"material index beyond the table",
         [=](Bytes& b, L l) { putInt(b, geo(l).counts + 16 + 4 * static_cast<size_t>(geo(l).s), 99); }},
        {"corner beyond the vertices",
         [=](Bytes& b, L l) { putInt(b, geo(l).arrays + 12 * static_cast<size_t>(geo(l).v + geo(l).n), geo(l).v); }},
        {"huge skin bone count", [](Bytes& b, L l) { putInt(b, l.skin + kName, kHuge); }},
        {"negative skin bone count", [](Bytes& b, L l) { putInt(b, l.skin + kName, -4); }},
        {"huge skin vertex count", [](Bytes& b, L l) { putInt(b, l.skin + kName + 4, kHuge); }},
        {"shrunk skin vertex count", [](Bytes& b, L l) { putInt(b, l.skin + kName + 4, l.skinVertices - 1); }},
        {"material name without zero", [](Bytes& b, L) { fillName(b, 4); }},
        {"bone name without zero", [](Bytes& b, L l) { fillName(b, l.parts[0].at); }},
        {"parent name without zero", [](Bytes& b, L l) { fillName(b, l.parts[1].at + kName); }},
        {"skin bone name without zero", [](Bytes& b, L l) { fillName(b, l.skin + kName + 8 + kName); }},
        {"parent that does not exist", [](Bytes& b, L l) { putName(b, l.parts[2].at + kName, "Nirgendwo"); },
         true},
    };
}

class DamagedModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
        folder = ::testing::TempDir() + "DamagedModelTest_" + std::to_string(getpid());
        std::filesystem::create_directories(folder);
        logPath = folder + "/Log.txt";
        openLog(logPath.c_str());
    }
    void TearDown() override { gametest::closeEngine(); }

    // What the log gained since the last call. Without flushing first, only
    // what its writers have flushed already.
    std::string newLogText(bool flushFirst = true) {
        if (flushFirst) logFlush();
        const Bytes all = readFile(logPath);
        const std::string text(all.begin() + static_cast<long>(std::min(logSeen, all.size())), all.end());
        logSeen = all.size();
        return text;
    }

    // Every damage applied to a copy of the model, each copy loaded, drawn
    // and animated as a template and as an instance.
    void damageModel(const std::string& model, const char* animation) {
        const Bytes original = readFile(binaryDir() + "/" + model);
        ASSERT_GT(original.size(), 1000u) << model;
        const Layout layout = parse(original);
        ASSERT_EQ(layout.skin + kName + 8 + static_cast<size_t>(layout.skinBones) * (kName + 4 * layout.skinVertices),
                  original.size())
            << model << " does not read as a skinned model with one skin block";
        const std::string animationFile = binaryDir() + "/" + animation;

        const std::vector<Damage> damages = modelDamages();
        for (size_t i = 0; i < damages.size(); ++i) {
            const Damage& d = damages[i];
            SCOPED_TRACE(model + ": " + d.what);
            Bytes bytes = original;
            d.apply(bytes, layout);
            const std::string file = folder + "/damaged" + std::to_string(i) + ".pff";
            writeFile(file, bytes);
            newLogText();

            TSkinnedMesh mesh(TString(file.c_str()), nullptr, nullptr, engine, true);
            const std::string log = newLogText();
            EXPECT_EQ(d.stillLoads, mesh.isLoaded());
            if (d.stillLoads) expectBoneIsARoot(mesh, layout.parts[2].name, log);
            else EXPECT_NE(std::string::npos, log.find("damaged" + std::to_string(i) + ".pff")) << log;

            mesh.render();
            const int track = mesh.loadAnimation(TString(animationFile.c_str()));
            TSkinnedMeshInstance* instance = static_cast<TSkinnedMeshInstance*>(mesh.createInstance(TVector(), 0.0f));
            instance->startAnimation(track, TSkeleton::kRestartTime);
            for (int step = 0; step < 5; ++step) {
                instance->advance(700);
                instance->render();
            }
            delete instance;
        }
    }

    // The bone whose parent names no part stands as a root of its own tree
    // with its children, and the split is logged.
    static void expectBoneIsARoot(const TSkinnedMesh& mesh, const std::string& name, const std::string& log) {
        const TBone* bone = mesh.findBone(TString(name.c_str()));
        ASSERT_NE(nullptr, bone);
        EXPECT_EQ(nullptr, bone->parent);
        EXPECT_EQ(2, mesh.roots.count());
        EXPECT_NE(std::string::npos, log.find("trees")) << log;
        EXPECT_NE(std::string::npos, log.find("'" + name + "'")) << log;
    }

    TEngine* engine = nullptr;
    std::string folder;
    std::string logPath;
    size_t logSeen = 0;
};

TEST_F(DamagedModelTest, DamagedDragonModels) { damageModel("mods/drache/mesh.pff", "mods/drache/ani2.pff"); }

TEST_F(DamagedModelTest, DamagedDwarfModels) { damageModel("mods/zwerg/mesh.pff", "mods/zwerg/ani1.pff"); }

// Damaged animations take no track: the next good file still gets the
// first one, and the model animates with it.
TEST_F(DamagedModelTest, DamagedAnimationsTakeNoTrack) {
    const Bytes original = readFile(binaryDir() + "/mods/drache/ani2.pff");
    ASSERT_GT(original.size(), 4 + 10 * kKeyBytes);
    const size_t key = 4 + 3 * kKeyBytes;  // the fourth key record
    const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> damages = {
        {"empty file", [](Bytes& b) { cut(b, 0); }},
        {"cut in the header", [](Bytes& b) { cut(b, 2); }},
        {"cut in a key's bone name", [=](Bytes& b) { cut(b, key + 20); }},
        {"cut in a key's matrix", [=](Bytes& b) { cut(b, key + kName + 30); }},
        {"cut in a key's frame", [=](Bytes& b) { cut(b, key + kKeyBytes - 2); }},
        {"cut one byte short", [](Bytes& b) { cut(b, b.size() - 1); }},
        {"bone name without zero", [=](Bytes& b) { fillName(b, key); }},
    };

    TSkinnedMesh mesh(TString((binaryDir() + "/mods/drache/mesh.pff").c_str()), nullptr, nullptr, engine, true);
    ASSERT_TRUE(mesh.isLoaded());
    for (size_t i = 0; i < damages.size(); ++i) {
        SCOPED_TRACE(damages[i].first);
        Bytes bytes = original;
        damages[i].second(bytes);
        const std::string file = folder + "/damaged_ani" + std::to_string(i) + ".pff";
        writeFile(file, bytes);
        newLogText();
        EXPECT_EQ(-1, mesh.loadAnimation(TString(file.c_str())));
        const std::string log = newLogText();
        EXPECT_NE(std::string::npos, log.find("damaged_ani" + std::to_string(i) + ".pff")) << log;
    }
    for (int b = 0; b < mesh.boneCount; ++b)
        for (int t = 0; t < TSkeleton::kTrackCount; ++t) EXPECT_TRUE(mesh.bones[b]->tracks[t].isEmpty());

    EXPECT_EQ(0, mesh.loadAnimation(TString((binaryDir() + "/mods/drache/ani2.pff").c_str())));
    mesh.startAnimation(0, TSkeleton::kRestartTime);
    mesh.advance(1000);
    mesh.render();
}

// A line a loader writes is in the file at once, so a crash right after it
// cannot lose it.
TEST_F(DamagedModelTest, LoaderLinesReachTheFileAtOnce) {
    newLogText();
    const std::string absent = folder + "/absent.pff";
    TMesh mesh(TString(absent.c_str()), nullptr, nullptr, engine, false);
    EXPECT_FALSE(mesh.isLoaded());
    EXPECT_NE(std::string::npos, newLogText(false).find("Mesh: model file '" + absent + "'"));

    TSkinnedMesh dragon(TString((binaryDir() + "/mods/drache/mesh.pff").c_str()), nullptr, nullptr, engine, true);
    ASSERT_TRUE(dragon.isLoaded());
    newLogText();
    EXPECT_EQ(-1, dragon.loadAnimation(TString(absent.c_str())));
    EXPECT_NE(std::string::npos, newLogText(false).find("Skeleton: animation '" + absent + "' not loaded"));

    TMeshPart part;
    const int noCoordinates[1] = {0};
    part.allocate(3, 3, 1, 0, noCoordinates);
    part.setName("_broken");
    part.triangles[0] = TIntVector(0, 1, 7);
    part.splitVertices();
    EXPECT_NE(std::string::npos, newLogText(false).find("Model part '_broken': triangle 0 corner 2"));

    EXPECT_EQ(-1, engine->loadVertexProgram(TString("programs\\absent_vp.txt")));
    EXPECT_NE(std::string::npos, newLogText(false).find("program file 'programs\\absent_vp.txt' cannot be read"));
}

}  // namespace
