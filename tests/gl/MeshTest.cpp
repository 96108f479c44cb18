// Meshes, scene nodes and skinned meshes on a real GL context: small models
// written here record by record, built into arrays and buffers, drawn; the
// skinning row stream read back from GL; and, when the generated data set
// is present, every generated model loaded and drawn once.

#include <gtest/gtest.h>

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TMaterial.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"
#include "platform/win32.h"
#include "scene/TBone.h"
#include "scene/TMesh.h"
#include "scene/TMeshPart.h"
#include "scene/TSceneNode.h"
#include "scene/TSkinWeights.h"
#include "scene/TSkinnedMesh.h"
#include "scene/TSkinnedMeshInstance.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------- model files ----

struct Tri {
    int a, b, c;
};

// A part described in the test: vertices, triangles, one normal per corner
// (default +z) and optional texture set 0 (coordinates and texture
// triangles).
struct PartShape {
    std::string name;
    std::string parent = "none";
    int material = 0;
    std::vector<TVector> vertices;
    std::vector<Tri> triangles;
    std::vector<TVector> normals;
    std::vector<TVector> coords;
    std::vector<Tri> texTriangles;
    TMatrix matrix;
};

// One layer reading texture-coordinate set `set`; the texture file (which
// does not exist: a stand-in is made) is named after the material so that
// no other material's texture is shared.
TMaterialData material(const char* name, int set = 0) {
    const std::string texture = std::string(name) + ".tga";
    TTextureLayer layer(TString(texture.c_str()), 1.0f, 1.0f, set, 0);
    return TMaterialData(TString(name), TColor(1, 1, 1, 1), TColor(0.2f, 0.2f, 0.2f, 1), TColor(0, 0, 0, 1), 0.0f,
                         0, &layer);
}

void writeInt(int fd, int v) { ASSERT_EQ(::write(fd, &v, 4), 4); }

TMeshPart* makePart(const PartShape& s) {
    TMeshPart* p = new TMeshPart();
    const int sets = s.coords.empty() ? 0 : 1;
    const int counts[1] = {static_cast<int>(s.coords.size())};
    const int tris = static_cast<int>(s.triangles.size());
    const int normals = s.normals.empty() ? 3 * tris : static_cast<int>(s.normals.size());
    p->allocate(static_cast<int>(s.vertices.size()), normals, tris, sets, counts);
    p->setName(s.name.c_str());
    p->setParentName(s.parent.c_str());
    p->matrix = s.matrix;
    p->materialIndex = s.material;
    for (size_t i = 0; i < s.vertices.size(); ++i) p->vertices[i] = s.vertices[i];
    for (int i = 0; i < normals; ++i)
        p->normals[i] = s.normals.empty() ? TVector(0, 0, 1) : s.normals[static_cast<size_t>(i)];
    for (int t = 0; t < tris; ++t) {
        const Tri& r = s.triangles[static_cast<size_t>(t)];
        p->triangles[t] = TIntVector(r.a, r.b, r.c);
        if (sets) {
            const Tri& q = s.texTriangles[static_cast<size_t>(t)];
            p->texTriangles[0][t] = TIntVector(q.a, q.b, q.c);
        }
    }
    for (size_t i = 0; i < s.coords.size(); ++i) p->texCoords[0][i] = s.coords[i];
    return p;
}

PartShape bone(const std::string& name, const std::string& parent, const TVector& at = TVector()) {
    PartShape s;
    s.name = name;
    s.parent = parent;
    s.material = -1;
    s.matrix = TMatrix::translation(at);
    return s;
}

// A one-triangle geometry part of three fresh vertices at height z.
PartShape triangle(const std::string& name, int materialIndex, float z = 0.0f) {
    PartShape s;
    s.name = name;
    s.material = materialIndex;
    s.vertices = {TVector(0, 0, z), TVector(1, 0, z), TVector(0, 1, z)};
    s.triangles = {{0, 1, 2}};
    return s;
}

struct SkinBlock {
    std::vector<std::string> bones;
    int vertexCount;
    std::map<std::pair<int, int>, float> weights;  // (bone, vertex) -> weight
};

// Writes the file record by record: materials, parts, then skin blocks.
std::string writeModel(const std::string& file, const std::vector<TMaterialData>& materials,
                       const std::vector<PartShape>& parts, const std::vector<SkinBlock>& blocks = {}) {
    const std::string dir = binaryDir() + "/meshtest_models";
    fs::create_directories(dir);
    const std::string path = dir + "/" + file;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    writeInt(fd, static_cast<int>(materials.size()));
    for (const TMaterialData& m : materials) EXPECT_TRUE(m.write(fd));
    writeInt(fd, static_cast<int>(parts.size()));
    for (const PartShape& s : parts) {
        TMeshPart* p = makePart(s);
        EXPECT_TRUE(p->write(fd));
        delete p;
    }
    for (const SkinBlock& b : blocks) {
        TSkinWeights w;
        w.allocate(static_cast<int>(b.bones.size()), b.vertexCount);
        w.setName("skin");
        for (size_t i = 0; i < b.bones.size(); ++i) w.setBoneName(static_cast<int>(i), b.bones[i].c_str());
        for (const auto& e : b.weights)
            w.weights[static_cast<size_t>(e.first.second) * b.bones.size() + static_cast<size_t>(e.first.first)] =
                e.second;
        EXPECT_TRUE(w.write(fd));
    }
    ::close(fd);
    return "meshtest_models\\" + file;
}

// ---------------------------------------------------------- GL fixture ----

HWND makeWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "meshtest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "meshtest", "meshtest", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
}

class MeshTest : public ::testing::Test {
protected:
    static TEngine* engine;

    static void SetUpTestSuite() {
        HWND window = makeWindow();
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(320, 240, window, nullptr, nullptr);
    }
    static void TearDownTestSuite() { TEngine::destroyInstance(); }

    void SetUp() override {
        ASSERT_NE(engine, nullptr);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    static TMesh* load(const std::string& name, TBufferObject* vb = nullptr, TBufferObject* ib = nullptr,
                       bool split = false) {
        return new TMesh(TString(name.c_str()), vb, ib, engine, split);
    }
    static const float* vertexAt(const TMesh& m, int v) { return m.vertexArray->data + 4 * v; }
    static const float* normalAt(const TMesh& m, int v) { return m.normalArray->data + 3 * v; }
};

TEngine* MeshTest::engine = nullptr;

std::vector<float> bufferContents(GLenum target, const TBufferObject* b, intptr_t offset, size_t floats) {
    std::vector<float> out(floats);
    glBindBufferARB(target, b->name);
    glGetBufferSubDataARB(target, offset, static_cast<GLsizeiptrARB>(floats * 4), out.data());
    glBindBufferARB(target, 0);
    return out;
}

// ---------------------------------------------------------------- TMesh ----

TEST_F(MeshTest, GroupsFollowReverseFileOrderAndShareMaterials) {
    PartShape first = triangle("_first", 0);
    PartShape second = triangle("_second", 1, 2.0f);
    second.vertices.push_back(TVector(1, 1, 2));
    second.triangles.push_back({1, 3, 2});
    const std::string file = writeModel("groups.pff", {material("meshtest_a"), material("meshtest_b")},
                                        {first, second, bone("Bone", "none")});
    TMesh* mesh = load(file);
    ASSERT_TRUE(mesh->isLoaded());
    EXPECT_EQ(mesh->lastGroup, 1);
    TMaterial* a = engine->findMaterial(TString("meshtest_a"));
    TMaterial* b = engine->findMaterial(TString("meshtest_b"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    // The last geometry part of the file is group 0.
    EXPECT_EQ(mesh->groups[0].material, b);
    EXPECT_EQ(mesh->groups[0].firstTriangle, 0);
    EXPECT_EQ(mesh->groups[1].material, a);
    EXPECT_EQ(mesh->groups[1].firstTriangle, 2);
    EXPECT_EQ(mesh->groups[2].firstTriangle, 3);
    // Group 1's corners sit behind group 0's four vertices.
    EXPECT_EQ(mesh->indexArray->data[6], 4);
    EXPECT_EQ(mesh->indexArray->data[8], 6);
    EXPECT_FLOAT_EQ(vertexAt(*mesh, 3)[2], 2.0f);
    EXPECT_FLOAT_EQ(vertexAt(*mesh, 3)[3], 1.0f);
    // The last vertex is the light's apex at infinity.
    ASSERT_EQ(mesh->vertexArray->count, 8);
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(vertexAt(*mesh, 7)[k], engine->lightPosition[k]);

    TMesh* again = load(file);
    EXPECT_EQ(again->groups[0].material, b);
    EXPECT_EQ(engine->findMaterial(TString("meshtest_b")), b);
    mesh->draw(false);
    mesh->draw(true);
    delete again;
    delete mesh;
}

TEST_F(MeshTest, ModelsWithoutGeometryOrMaterialAreMissing) {
    const std::string bones = writeModel("bones.pff", {material("meshtest_c")}, {bone("A", "none"), bone("B", "A")});
    TMesh* noGeometry = load(bones);
    EXPECT_FALSE(noGeometry->isLoaded());
    EXPECT_EQ(noGeometry->lastGroup, -1);
    EXPECT_NE(noGeometry->vertexArray, nullptr);  // the arrays still exist
    noGeometry->draw(false);
    noGeometry->draw(true);

    const std::string bare = writeModel("bare.pff", {material("meshtest_c")}, {triangle("_t", -1)});
    TMesh* noMaterial = load(bare);
    EXPECT_FALSE(noMaterial->isLoaded());
    EXPECT_EQ(noMaterial->getGroupMaterial(0), nullptr);
    noMaterial->draw(false);

    TMesh* absent = load("meshtest_models\\absent.pff");
    EXPECT_FALSE(absent->isLoaded());
    absent->draw(false);
    absent->renderSecondPass();

    // A cut-off file: the reader refuses it, the mesh is missing.
    const std::string cut = writeModel("cut.pff", {material("meshtest_c")}, {triangle("_t", 0)});
    fs::resize_file(binaryDir() + "/meshtest_models/cut.pff", 200);
    TMesh* damaged = load(cut);
    EXPECT_FALSE(damaged->isLoaded());
    damaged->draw(false);

    // A later group without material draws with the material in use.
    const std::string mixed =
        writeModel("mixed.pff", {material("meshtest_c")}, {triangle("_bare", -1), triangle("_skin", 0)});
    TMesh* partly = load(mixed);
    EXPECT_TRUE(partly->isLoaded());
    EXPECT_EQ(partly->getGroupMaterial(1), nullptr);
    partly->draw(false);
    partly->immediateMode = 1;
    partly->draw(false);
    partly->draw(true);

    for (TMesh* m : {noGeometry, noMaterial, absent, damaged, partly}) delete m;
}

TEST_F(MeshTest, NormalsAverageAndTurnWithThePartMatrix) {
    PartShape s;
    s.name = "_fold";
    s.vertices = {TVector(0, 0, 0), TVector(1, 0, 0), TVector(0, 1, 0), TVector(0, 0, 1)};
    s.triangles = {{0, 1, 2}, {0, 2, 3}};
    s.normals = {TVector(0, 0, 1), TVector(0, 0, 1), TVector(0, 0, 1),
                 TVector(1, 0, 0), TVector(1, 0, 0), TVector(1, 0, 0)};
    PartShape turned = triangle("_turned", 0);
    turned.normals = {TVector(1, 0, 0), TVector(1, 0, 0), TVector(1, 0, 0)};
    turned.matrix = TMatrix::rotationZ(static_cast<float>(M_PI / 2));
    turned.matrix.m[12] = 50.0f;  // translation does not move normals
    const std::string file = writeModel("normals.pff", {material("meshtest_d")}, {turned, s});
    TMesh* mesh = load(file);
    ASSERT_TRUE(mesh->isLoaded());
    // Group 0 is "_fold": vertex 0 has (0, 0, 1) and (1, 0, 0).
    EXPECT_NEAR(normalAt(*mesh, 0)[0], 0.70710678f, 1e-5f);
    EXPECT_NEAR(normalAt(*mesh, 0)[1], 0.0f, 1e-6f);
    EXPECT_NEAR(normalAt(*mesh, 0)[2], 0.70710678f, 1e-5f);
    EXPECT_NEAR(normalAt(*mesh, 1)[2], 1.0f, 1e-6f);
    EXPECT_NEAR(normalAt(*mesh, 3)[0], 1.0f, 1e-6f);
    // Group 1 ("_turned", vertices 4..6): +x turned a quarter to +y.
    EXPECT_NEAR(normalAt(*mesh, 4)[0], 0.0f, 1e-6f);
    EXPECT_NEAR(normalAt(*mesh, 4)[1], 1.0f, 1e-6f);
    // Shadow rows: (a, b, V), (b, c, V), (c, a, V) with V the apex.
    const int V = mesh->vertexArray->count - 1;
    const int expected[9] = {0, 2, V, 2, 3, V, 3, 0, V};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(mesh->shadowIndexArray->data[9 + k], expected[k]) << k;
    EXPECT_EQ(mesh->shadowIndexArray->count, 9);
    delete mesh;
}

TEST_F(MeshTest, TextureCoordinatesWithAndWithoutSplit) {
    // Vertex 0 is used with coordinate 0 by the first triangle and with
    // coordinate 3 by the second.
    PartShape s;
    s.name = "_seam";
    s.vertices = {TVector(0, 0, 0), TVector(1, 0, 0), TVector(0, 1, 0), TVector(1, 1, 0)};
    s.triangles = {{0, 1, 2}, {0, 3, 1}};
    s.coords = {TVector(0.1f, 0.2f, 0), TVector(0.3f, 0.4f, 0), TVector(0.5f, 0.6f, 0), TVector(0.7f, 0.8f, 0),
                TVector(0.9f, 1.0f, 0)};
    s.texTriangles = {{0, 1, 2}, {3, 4, 1}};
    const std::string file = writeModel("seam.pff", {material("meshtest_e")}, {s});

    TMesh* plain = load(file);
    ASSERT_TRUE(plain->isLoaded());
    ASSERT_EQ(plain->texSetCount, 1);
    EXPECT_EQ(plain->vertexArray->count, 5);
    EXPECT_FLOAT_EQ(plain->texCoordArrays[0]->data[0], 0.7f);  // the later triangle wins
    EXPECT_FLOAT_EQ(plain->texCoordArrays[0]->data[1], 0.8f);

    TMesh* split = load(file, nullptr, nullptr, true);
    ASSERT_TRUE(split->isLoaded());
    EXPECT_EQ(split->vertexArray->count, 6);  // vertex 0 became two
    EXPECT_FLOAT_EQ(split->texCoordArrays[0]->data[0], 0.1f);
    const int second = split->indexArray->data[3];
    EXPECT_NE(second, 0);
    EXPECT_FLOAT_EQ(split->texCoordArrays[0]->data[2 * second], 0.7f);
    split->draw(false);
    delete split;
    delete plain;
}

TEST_F(MeshTest, LayerSetOutOfRangeFallsBackToSetZero) {
    PartShape s = triangle("_t", 0);
    s.coords = {TVector(0.25f, 0.5f, 0), TVector(1, 0, 0), TVector(0, 1, 0)};
    s.texTriangles = {{0, 1, 2}};
    const std::string file = writeModel("badset.pff", {material("meshtest_badset", 5)}, {s});
    TMesh* mesh = load(file);
    ASSERT_TRUE(mesh->isLoaded());
    mesh->draw(false);
    mesh->immediateMode = 1;
    mesh->draw(false);
    delete mesh;

    // No texture-coordinate set at all: the layer draws without coordinates.
    const std::string none = writeModel("noset.pff", {material("meshtest_noset", 0)}, {triangle("_t", 0)});
    TMesh* bare = load(none);
    ASSERT_TRUE(bare->isLoaded());
    EXPECT_EQ(bare->texSetCount, 0);
    bare->draw(false);
    bare->immediateMode = 1;
    bare->draw(false);
    delete bare;
}

TEST_F(MeshTest, ArraysAreAppendedAtTheBuffersFillOffsets) {
    PartShape s = triangle("_t", 0);
    s.coords = {TVector(0.25f, 0.5f, 0), TVector(1, 0, 0), TVector(0, 1, 0)};
    s.texTriangles = {{0, 1, 2}};
    PartShape second = triangle("_u", 0, 3.0f);  // no coordinates of its own
    const std::string file = writeModel("buffers.pff", {material("meshtest_f")}, {second, s});
    TBufferObject* vb = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 4096, GL_STATIC_DRAW_ARB);
    TBufferObject* ib = engine->createBufferObject(GL_ELEMENT_ARRAY_BUFFER_ARB, 4096, GL_STATIC_DRAW_ARB);
    vb->fillOffset = 64;  // behind an earlier mesh
    ib->fillOffset = 12;
    TMesh* mesh = load(file, vb, ib);
    ASSERT_TRUE(mesh->isLoaded());
    const int rows = mesh->vertexArray->count;  // 7
    ASSERT_EQ(rows, 7);
    EXPECT_EQ(mesh->vertexBuffer, vb);
    EXPECT_EQ(mesh->vertexArray->buffer, vb);
    EXPECT_EQ(reinterpret_cast<intptr_t>(mesh->vertexArray->pointer), 64);
    EXPECT_EQ(reinterpret_cast<intptr_t>(mesh->normalArray->pointer), 64 + rows * 16);
    EXPECT_EQ(reinterpret_cast<intptr_t>(mesh->texCoordArrays[0]->pointer), 64 + rows * 28);
    EXPECT_EQ(vb->fillOffset, 64 + rows * 36);
    EXPECT_EQ(reinterpret_cast<intptr_t>(mesh->indexArray->pointer), 12);
    EXPECT_EQ(reinterpret_cast<intptr_t>(mesh->shadowIndexArray->pointer), 12 + 2 * 12);
    EXPECT_EQ(ib->fillOffset, 12 + 2 * 12 + 2 * 36);

    const std::vector<float> vertices = bufferContents(GL_ARRAY_BUFFER_ARB, vb, 64, static_cast<size_t>(rows) * 4);
    EXPECT_EQ(std::memcmp(vertices.data(), mesh->vertexArray->data, vertices.size() * 4), 0);
    const std::vector<float> coords =
        bufferContents(GL_ARRAY_BUFFER_ARB, vb, 64 + rows * 28, static_cast<size_t>(rows) * 2);
    EXPECT_EQ(std::memcmp(coords.data(), mesh->texCoordArrays[0]->data, coords.size() * 4), 0);
    std::vector<int> shadow(18);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, ib->name);
    glGetBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 36, 72, shadow.data());
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    EXPECT_EQ(std::memcmp(shadow.data(), mesh->shadowIndexArray->data, 72), 0);
    mesh->draw(false);
    mesh->draw(true);

    // A buffer without room for the whole mesh is left alone.
    TBufferObject* small = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 100, GL_STATIC_DRAW_ARB);
    TMesh* crowded = load(file, small, nullptr);
    ASSERT_TRUE(crowded->isLoaded());
    EXPECT_EQ(small->fillOffset, 0);
    EXPECT_EQ(crowded->vertexBuffer, nullptr);
    EXPECT_FALSE(crowded->vertexArray->inBuffer());
    crowded->draw(false);
    delete crowded;
    delete mesh;
}

// ------------------------------------------------------------ TSceneNode ----

// A tile covering x in [x0, x0 + 10); getTileAt finds the neighbours it
// knows, null beyond them.
class FakeTile : public TNodeContainer {
public:
    explicit FakeTile(float left) : x0(left) {}
    float x0;
    std::vector<FakeTile*> world;
    std::vector<TRenderable*> nodes;
    int removals = 0;
    int nextHandle = 1;

    void removeChild(int handle) override {
        ++removals;
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i]->handle != handle) continue;
            nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
    void addChild(TRenderable* node) override {
        node->handle = nextHandle++;
        node->registry = this;
        nodes.push_back(node);
    }
    bool contains(const TVector& p) override { return p.x >= x0 && p.x < x0 + 10.0f; }
    TNodeContainer* getTileAt(const TVector& p) override {
        for (FakeTile* t : world)
            if (t->contains(p)) return t;
        return nullptr;
    }
};

TEST_F(MeshTest, SceneNodesScaleTurnAndMoveForward) {
    const std::string file = writeModel("node.pff", {material("meshtest_g")}, {triangle("_t", 0)});
    TMesh* mesh = load(file);
    TSceneNode* node = static_cast<TSceneNode*>(mesh->createInstance(TVector(5, 5, 5), 0.0f));
    const float diag[16] = {0.01f, 0, 0, 0, 0, 0.01f, 0, 0, 0, 0, -0.01f, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(node->matrix.m[i], diag[i], 1e-7f) << i;
    EXPECT_EQ(node->mesh, mesh);
    node->moveForward(100.0f);
    EXPECT_NEAR(node->position.x, 5.0f, 1e-5f);
    EXPECT_NEAR(node->position.y, 4.0f, 1e-5f);
    EXPECT_NEAR(node->position.z, 5.0f, 1e-5f);
    node->render();

    TSceneNode* turned = static_cast<TSceneNode*>(mesh->createInstance(TVector(0, 0, 0), float(M_PI / 2)));
    turned->moveForward(100.0f);
    EXPECT_NEAR(turned->position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(turned->position.y, 0.0f, 1e-5f);
    turned->rotate(float(-M_PI / 2));  // back to facing -y
    turned->moveForward(100.0f);
    EXPECT_NEAR(turned->position.y, -1.0f, 1e-5f);
    EXPECT_NEAR(turned->matrix.m[10], -0.01f, 1e-7f);

    TSceneNode plain(engine, TVector(1, 2, 3), 1.0f, mesh, false);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(plain.matrix.m[i], TMatrix().m[i]);
    EXPECT_FALSE(plain.getFlag());
    mesh->immediateMode = 1;
    EXPECT_TRUE(plain.getFlag());
    delete turned;
    delete node;
    delete mesh;
}

TEST_F(MeshTest, SceneNodesRefileAcrossTilesAndLeaveOnce) {
    FakeTile left(0.0f), right(10.0f);
    left.world = right.world = {&left, &right};
    TSceneNode* node = new TSceneNode(engine, TVector(2, 0, 0), 0.0f, nullptr, true);
    node->updateTile();  // not filed: nothing to do
    left.addChild(node);

    node->position = TVector(8, 0, 0);
    node->updateTile();
    EXPECT_EQ(left.removals, 0);
    EXPECT_EQ(node->registry, &left);

    node->position = TVector(12, 0, 0);
    node->updateTile();
    EXPECT_EQ(left.removals, 1);
    EXPECT_TRUE(left.nodes.empty());
    ASSERT_EQ(right.nodes.size(), 1u);
    EXPECT_EQ(node->registry, &right);

    node->position = TVector(25, 0, 0);  // beyond the ground: keeps its tile
    node->updateTile();
    EXPECT_EQ(node->registry, &right);
    EXPECT_EQ(right.removals, 0);

    delete node;
    EXPECT_EQ(right.removals, 1);
    EXPECT_TRUE(right.nodes.empty());
    EXPECT_EQ(left.removals, 1);
}

// ------------------------------------------------------------- skinning ----

// A skeleton of n bones ("B0" root, the others its children, created in
// index order so that traversal order is the index) and one geometry part
// last in the file, as skinned models are laid out.
std::string writeSkinned(const std::string& file, int n, const SkinBlock& block) {
    std::vector<PartShape> parts = {bone("B0", "none", TVector(0, 0, 1))};
    for (int i = n - 1; i >= 1; --i) parts.push_back(bone("B" + std::to_string(i), "B0", TVector(float(i), 0, 0)));
    parts.push_back(triangle("_skin", 0));
    return writeModel(file, {material("meshtest_skin")}, parts, {block});
}

TEST_F(MeshTest, SkinnedMeshSelectsTheFourHeaviestBones) {
    SkinBlock block{{}, 3, {}};
    for (int i = 0; i < 9; ++i)
        if (i != 8) block.bones.push_back("B" + std::to_string(i));  // B8 named by no block
    std::reverse(block.bones.begin(), block.bones.end());             // block order is not bone order
    auto at = [&](const std::string& name) {
        return static_cast<int>(std::find(block.bones.begin(), block.bones.end(), name) - block.bones.begin());
    };
    block.weights[{at("B4"), 0}] = 0.5f;
    block.weights[{at("B1"), 0}] = 0.3f;
    block.weights[{at("B7"), 0}] = 0.2f;
    block.weights[{at("B2"), 1}] = 1.0f;
    const std::string file = writeSkinned("nine.pff", 9, block);
    TSkinnedMesh* mesh = new TSkinnedMesh(TString(file.c_str()), nullptr, nullptr, engine, true);
    ASSERT_TRUE(mesh->isLoaded());
    ASSERT_EQ(mesh->boneCount, 9);
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(mesh->bones[i]->name.equals(("B" + std::to_string(i)).c_str())) << i;

    const float* w = mesh->weightArray->data;
    const float* idx = mesh->boneIndexArray->data;
    const float weights0[4] = {0.5f, 0.3f, 0.2f, 0.0f}, bones0[4] = {4, 1, 7, 0};
    for (int s = 0; s < 4; ++s) {
        EXPECT_FLOAT_EQ(w[s], weights0[s]) << s;
        EXPECT_FLOAT_EQ(idx[s], bones0[s]) << s;
    }
    EXPECT_FLOAT_EQ(w[4], 1.0f);
    EXPECT_FLOAT_EQ(idx[4], 2.0f);
    EXPECT_FLOAT_EQ(idx[5], 0.0f);  // equal weights: the lower bone first
    EXPECT_FLOAT_EQ(idx[6], 1.0f);
    for (int v = 0; v < 3; ++v) EXPECT_FLOAT_EQ(mesh->getVertexWeight(v, 8), 0.0f);
    EXPECT_EQ(mesh->palette[4], &mesh->bones[4]->skinMatrix);
    delete mesh;

    // Two bones: the slots beyond them carry weight 0.
    SkinBlock pair{{"B0", "B1"}, 3, {{{0, 0}, 0.6f}, {{1, 0}, 0.4f}}};
    const std::string two = writeSkinned("two.pff", 2, pair);
    TSkinnedMesh* small = new TSkinnedMesh(TString(two.c_str()), nullptr, nullptr, engine, false);
    ASSERT_TRUE(small->isLoaded());
    const float expectW[4] = {0.6f, 0.4f, 0.0f, 0.0f}, expectI[4] = {0, 1, 0, 0};
    for (int s = 0; s < 4; ++s) {
        EXPECT_FLOAT_EQ(small->weightArray->data[s], expectW[s]) << s;
        EXPECT_FLOAT_EQ(small->boneIndexArray->data[s], expectI[s]) << s;
    }
    delete small;
}

TEST_F(MeshTest, BadSkinnedModelsAreMissing) {
    // A block of another vertex count than its part.
    SkinBlock wrong{{"B0"}, 4, {}};
    TSkinnedMesh* mismatch =
        new TSkinnedMesh(TString(writeSkinned("mismatch.pff", 1, wrong).c_str()), nullptr, nullptr, engine, true);
    EXPECT_FALSE(mismatch->isLoaded());
    mismatch->drawSkinned(false);

    // Eighteen bones cannot be drawn.
    SkinBlock many{{"B0"}, 3, {{{0, 0}, 1.0f}}};
    TSkinnedMesh* tooMany =
        new TSkinnedMesh(TString(writeSkinned("many.pff", 18, many).c_str()), nullptr, nullptr, engine, false);
    EXPECT_FALSE(tooMany->isLoaded());
    tooMany->drawSkinned(false);

    // No skin block at all.
    const std::string plain = writeModel("noskin.pff", {material("meshtest_skin")}, {triangle("_t", 0)});
    TSkinnedMesh* noSkin = new TSkinnedMesh(TString(plain.c_str()), nullptr, nullptr, engine, true);
    EXPECT_FALSE(noSkin->isLoaded());

    TSkinnedMesh* absent =
        new TSkinnedMesh(TString("meshtest_models\\absent.pff"), nullptr, nullptr, engine, true);
    EXPECT_FALSE(absent->isLoaded());
    TSkinnedMeshInstance* copy = static_cast<TSkinnedMeshInstance*>(absent->createInstance(TVector(), 0.0f));
    copy->render();
    copy->advance(100);
    delete copy;
    for (TSkinnedMesh* m : {mismatch, tooMany, noSkin, absent}) delete m;
}

using GetMatrixProc = void (*)(GLenum, GLuint, GLfloat*);

struct StreamReader {
    GetMatrixProc env = reinterpret_cast<GetMatrixProc>(SDL_GL_GetProcAddress("glGetProgramEnvParameterfvARB"));
    GetMatrixProc local = reinterpret_cast<GetMatrixProc>(SDL_GL_GetProcAddress("glGetProgramLocalParameterfvARB"));

    static std::vector<float> matrix(GLenum mode) {
        std::vector<float> m(16);
        glMatrixMode(mode);
        glGetFloatv(mode == GL_TEXTURE ? GL_TEXTURE_MATRIX : GL_CURRENT_MATRIX_ARB, m.data());
        glMatrixMode(GL_MODELVIEW);
        return m;
    }
    std::vector<float> parameter(bool isLocal, int i) const {
        std::vector<float> v(4);
        (isLocal ? local : env)(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(i), v.data());
        return v;
    }
};

// Row n of the stream: row n % 3 of bone n / 3, whose skin matrix holds
// 1000 b + i in element i.
std::vector<float> streamRow(int n) {
    const int b = n / 3, r = n % 3;
    return {1000.0f * b + r, 1000.0f * b + 4 + r, 1000.0f * b + 8 + r, 1000.0f * b + 12 + r};
}

std::vector<float> matrixRow(const std::vector<float>& m, int r) { return {m[r], m[4 + r], m[8 + r], m[12 + r]}; }

class SkinStreamTest : public MeshTest {
protected:
    TSkinnedMesh* makeStream(int bones, int& program) {
        SkinBlock block{{"B0"}, 3, {{{0, 0}, 1.0f}}};
        const std::string file = writeSkinned("stream" + std::to_string(bones) + ".pff", bones, block);
        TSkinnedMesh* mesh = new TSkinnedMesh(TString(file.c_str()), nullptr, nullptr, engine, false);
        EXPECT_TRUE(mesh->isLoaded());
        for (int b = 0; b < mesh->boneCount; ++b)
            for (int i = 0; i < 16; ++i) mesh->bones[b]->skinMatrix.m[i] = 1000.0f * b + i;
        const std::string dir = binaryDir() + "/meshtest_models";
        const std::string vp = "skin_vp" + std::to_string(bones) + ".txt";  // one per test: they run side by side
        std::ofstream(dir + "/" + vp, std::ios::binary)
            << "!!ARBvp1.0\nMOV result.position, vertex.position;\nMOV result.color, vertex.color;\nEND\n";
        program = engine->loadVertexProgram(TString(("meshtest_models\\" + vp).c_str()));
        mesh->getGroupMaterial(0)->vertexProgramSlot = program;
        engine->setMaterial(nullptr);
        engine->setMaterial(mesh->getGroupMaterial(0));
        return mesh;
    }
};

TEST_F(SkinStreamTest, FiveBonesFillFourProgramMatrices) {
    StreamReader read;
    ASSERT_NE(read.env, nullptr);
    int program = -1;
    TSkinnedMesh* mesh = makeStream(5, program);
    ASSERT_GE(program, 0);
    const float sentinel[4] = {-7, -7, -7, -7};
    glProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, 0, sentinel);
    glMatrixMode(GL_MATRIX5_ARB);
    glLoadIdentity();
    glScalef(3, 3, 3);
    glMatrixMode(GL_MODELVIEW);

    EXPECT_FALSE(mesh->loadPalette());
    for (int n = 0; n < 15; ++n) {
        const std::vector<float> m = StreamReader::matrix(GL_MATRIX1_ARB + n / 4);
        EXPECT_EQ(matrixRow(m, n % 4), streamRow(n)) << "row " << n;
    }
    const std::vector<float> fourth = StreamReader::matrix(GL_MATRIX4_ARB);
    EXPECT_EQ(matrixRow(fourth, 3), (std::vector<float>{0, 0, 0, 1}));
    EXPECT_FLOAT_EQ(StreamReader::matrix(GL_MATRIX5_ARB)[0], 3.0f);
    EXPECT_EQ(read.parameter(false, 0), (std::vector<float>{-7, -7, -7, -7}));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    mesh->unloadPalette(false);
    mesh->drawSkinned(false);
    mesh->drawSkinned(true);
    delete mesh;
}

TEST_F(SkinStreamTest, FifteenBonesReachParametersAndTextureMatrices) {
    StreamReader read;
    ASSERT_NE(read.env, nullptr);
    ASSERT_NE(read.local, nullptr);
    int program = -1;
    TSkinnedMesh* mesh = makeStream(15, program);
    ASSERT_GE(program, 0);
    GLint depth[2] = {0, 0};

    ASSERT_TRUE(mesh->loadPalette());
    for (int n = 0; n < 28; ++n)
        EXPECT_EQ(matrixRow(StreamReader::matrix(GL_MATRIX1_ARB + n / 4), n % 4), streamRow(n)) << "row " << n;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(read.parameter(false, i), streamRow(28 + i)) << "env " << i;
        EXPECT_EQ(read.parameter(true, i), streamRow(36 + i)) << "local " << i;
    }
    for (int unit = 0; unit < 2; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &depth[unit]);
        const std::vector<float> t = StreamReader::matrix(GL_TEXTURE);
        if (unit == 0) {
            EXPECT_EQ(matrixRow(t, 0), streamRow(44));
            EXPECT_EQ(matrixRow(t, 1), (std::vector<float>{0, 1, 0, 0}));
        } else {
            EXPECT_EQ(t, (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
        }
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    mesh->unloadPalette(true);
    for (int unit = 0; unit < 2; ++unit) {
        GLint after = 0;
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &after);
        EXPECT_EQ(after, depth[unit] - 1) << unit;
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    mesh->drawSkinned(false);
    delete mesh;
}

TEST_F(MeshTest, InstancesShareArraysAndMoveAlongPlusY) {
    SkinBlock block{{"B0", "B1"}, 3, {{{0, 0}, 1.0f}, {{1, 1}, 1.0f}, {{0, 2}, 1.0f}}};
    const std::string file = writeSkinned("inst.pff", 2, block);
    TSkinnedMesh* templ = new TSkinnedMesh(TString(file.c_str()), nullptr, nullptr, engine, true);
    ASSERT_TRUE(templ->isLoaded());
    TSkinnedMeshInstance* a = static_cast<TSkinnedMeshInstance*>(templ->createInstance(TVector(1, 2, 3), 0.0f));
    EXPECT_EQ(a->vertexArray, templ->vertexArray);
    EXPECT_EQ(a->weightArray, templ->weightArray);
    EXPECT_EQ(a->groups, templ->groups);
    EXPECT_EQ(a->built, 0);
    EXPECT_NE(a->bones[0], templ->bones[0]);
    EXPECT_EQ(a->palette[1], &a->bones[1]->skinMatrix);
    EXPECT_EQ(a->currentTrack, -1);

    a->moveForward(10.0f);
    EXPECT_NEAR(a->position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(a->position.y, 12.0f, 1e-5f);
    EXPECT_NEAR(a->position.z, 3.0f, 1e-5f);
    a->rotateZ2(float(M_PI / 2));  // cached facing stays
    a->moveForward(10.0f);
    EXPECT_NEAR(a->position.y, 22.0f, 1e-5f);
    a->rotateZ(0.0f);  // clears the cache: now facing -x
    a->moveForward(10.0f);
    EXPECT_NEAR(a->position.x, -9.0f, 1e-4f);
    EXPECT_NEAR(a->position.y, 22.0f, 1e-4f);
    a->rotateX(float(M_PI / 2));
    a->moveForward(1.0f);
    EXPECT_NEAR(a->position.z, 4.0f, 1e-4f);

    a->render();
    a->renderSecondPass();
    TSkinnedMeshInstance* b = static_cast<TSkinnedMeshInstance*>(a->createInstance(TVector(), 0.0f));
    delete a;  // frees none of the shared arrays
    b->render();
    templ->render();
    delete b;
    delete templ;
}

// ------------------------------------------------------ generated models ----

TEST_F(MeshTest, GeneratedModelsLoadAndDraw) {
    const fs::path mods = fs::path(binaryDir()) / "mods";
    if (!fs::exists(mods)) GTEST_SKIP() << "no generated models in " << mods;
    TBufferObject* vb = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 16 << 20, GL_STATIC_DRAW_ARB);
    TBufferObject* ib = engine->createBufferObject(GL_ELEMENT_ARRAY_BUFFER_ARB, 16 << 20, GL_STATIC_DRAW_ARB);
    const std::map<std::string, std::vector<std::string>> animations = {
        {"drache", {"ani2", "ani", "ani4", "ani_back", "ani_right", "ani_left"}},
        {"zwerg", {"ani1", "ani_shoot"}}};
    int models = 0;
    for (const auto& entry : fs::recursive_directory_iterator(mods)) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string stem = entry.path().stem().string();
        if (ext != ".pff" || stem.rfind("ani", 0) == 0) continue;
        const std::string folder = entry.path().parent_path().filename().string();
        const std::string name = fs::relative(entry.path(), binaryDir()).string();
        SCOPED_TRACE(name);
        ++models;
        const auto anims = animations.find(folder);
        if (stem == "mesh" && anims != animations.end()) {
            TSkinnedMesh* mesh = new TSkinnedMesh(TString(name.c_str()), vb, ib, engine, true);
            ASSERT_TRUE(mesh->isLoaded());
            EXPECT_LE(mesh->boneCount, 14);
            for (size_t t = 0; t < anims->second.size(); ++t) {
                const std::string ani = "mods\\" + folder + "\\" + anims->second[t] + ".pff";
                EXPECT_EQ(mesh->loadAnimation(TString(ani.c_str())), static_cast<int>(t)) << ani;
            }
            TSkinnedMeshInstance* one = static_cast<TSkinnedMeshInstance*>(mesh->createInstance(TVector(), 0.0f));
            one->startAnimation(0, -1000);
            for (int i = 0; i < 20; ++i) one->advance(100);
            one->render();
            one->renderSecondPass();
            delete one;
            delete mesh;
        } else {
            TMesh* mesh = load(name, vb, ib, true);
            EXPECT_TRUE(mesh->isLoaded());
            mesh->render();
            mesh->renderSecondPass();
            delete mesh;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    EXPECT_GT(models, 0);
}

}  // namespace
