// Model, skin-weight and animation files: records written with their own
// write operations and as raw bytes, read back, and damaged copies that the
// readers must refuse without reading past anything.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TMaterialData.h"
#include "platform/crt.h"
#include "scene/TAnimReader.h"
#include "scene/TPffData.h"
#include "scene/TSkinWeights.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

// Raw little-endian file content.
struct Raw {
    Bytes b;
    Raw& i(int v) { return put(&v, 4); }
    Raw& f(float v) { return put(&v, 4); }
    Raw& name(const char* text, size_t size) {
        Bytes field(size, 0);
        std::memcpy(field.data(), text, std::min(size, std::strlen(text)));
        b.insert(b.end(), field.begin(), field.end());
        return *this;
    }
    Raw& identity() {
        for (int k = 0; k < 16; ++k) f(k % 5 == 0 ? 1.0f : 0.0f);
        return *this;
    }
    Raw& put(const void* p, size_t n) {
        const unsigned char* c = static_cast<const unsigned char*>(p);
        b.insert(b.end(), c, c + n);
        return *this;
    }
};

TMaterialData twoLayerMaterial() {
    TTextureLayer layers[2] = {TTextureLayer(TString("tex\\skin.tga"), 2.0f, 0.5f, 0, 7),
                               TTextureLayer(TString("bump.tga"), 1.0f, 3.0f, 1, 1)};
    return TMaterialData(TString("dragonSkin"), TColor(0.1f, 0.2f, 0.3f, 0.4f), TColor(0.5f, 0.6f, 0.7f, 0.8f),
                         TColor(0.9f, 1.0f, 0.0f, 1.0f), 42.5f, 1, layers);
}

// A part of `tris` triangles over `verts` vertices, one texture set of
// `coords` coordinates; corner k of triangle t uses vertex (t + k) % verts.
void fillPart(TMeshPart& p, const char* name, int verts, int tris, int coords) {
    const int counts[1] = {coords};
    p.allocate(verts, 3 * tris, tris, coords > 0 ? 1 : 0, counts);
    p.setName(name);
    for (int v = 0; v < verts; ++v) p.vertices[v] = TVector(float(v), float(2 * v), float(3 * v));
    for (int n = 0; n < 3 * tris; ++n) p.normals[n] = TVector(0.0f, 0.0f, 1.0f);
    for (int t = 0; t < tris; ++t) {
        p.triangles[t] = TIntVector(t % verts, (t + 1) % verts, (t + 2) % verts);
        if (coords > 0) p.texTriangles[0][t] = TIntVector(t % coords, (t + 1) % coords, (t + 2) % coords);
    }
    for (int c = 0; c < coords; ++c) p.texCoords[0][c] = TVector(0.25f * c, 0.5f, 0.0f);
}

class PffFormatTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir() = fs::temp_directory_path() / ("PffFormatTest." + std::to_string(::getpid()));
        fs::create_directories(dir());
        if (!logStream) openLog((dir() / "Log.txt").string().c_str());
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir(), ec);
    }
    static fs::path& dir() {
        static fs::path d;
        return d;
    }

    std::string path(const char* name) const { return (dir() / name).string(); }

    static void writeBytes(const std::string& p, const Bytes& bytes) {
        std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                  static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes readBytes(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Writes a file through the records' own write operations.
    std::string writeWith(const char* name, const std::function<void(int)>& writer) const {
        const std::string p = path(name);
        const int fd = _open(p.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
        writer(fd);
        _close(fd);
        return p;
    }

    // Loads a whole model from bytes; bytesLeft gets what the reader left.
    TPffData* loadModel(const Bytes& bytes, long* bytesLeft = nullptr) const {
        const std::string p = path("model.pff");
        writeBytes(p, bytes);
        const int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
        TPffData* model = TPffData::load(fd, "mods\\test\\model.pff");
        if (bytesLeft) *bytesLeft = _filelength(fd) - _lseek(fd, 0, SEEK_CUR);
        _close(fd);
        return model;
    }

    // A model with one two-layer material, a bone part and a geometry part,
    // followed by the geometry part's skin block.
    Bytes smallSkinnedFile() const {
        const std::string p = writeWith("skinned.pff", [](int fd) {
            const int one = 1, two = 2;
            _write(fd, &one, 4);
            twoLayerMaterial().write(fd);
            _write(fd, &two, 4);
            TMeshPart bone;
            bone.setName("Bone01");
            bone.write(fd);
            TMeshPart body;
            fillPart(body, "_body", 4, 2, 3);
            body.materialIndex = 0;
            body.write(fd);
            TSkinWeights skin;
            skin.allocate(2, 4);
            skin.setName("skin");
            skin.setBoneName(0, "Bone01");
            skin.setBoneName(1, "Bone02");
            for (int k = 0; k < 8; ++k) skin.weights[k] = 0.125f * k;
            skin.write(fd);
        });
        return readBytes(p);
    }

    // The lines the log gained while `action` ran.
    static std::vector<std::string> logLines(const std::function<void()>& action) {
        const fs::path p = dir() / "Log.txt";
        logFlush();
        const auto before = static_cast<std::streamoff>(fs::file_size(p));
        action();
        logFlush();
        std::ifstream in(p, std::ios::binary);
        in.seekg(before);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

// Every index of an accepted model lies inside its array.
void expectConsistent(TPffData& model) {
    for (int i = 0; i <= model.getLastPartIndex(); ++i) {
        TMeshPart* p = model.getPart(i);
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->findBadIndex().empty());
        EXPECT_LE(p->getNormalCount(), 3 * p->getTriangleCount());
        EXPECT_LT(p->getMaterialIndex(), model.getMaterialCount());
        EXPECT_NE(std::memchr(p->name, 0, TMeshPart::kNameSize), nullptr);
    }
}

// ---------------------------------------------------------- materials ----

TEST_F(PffFormatTest, MaterialDefaultsAndCutNames) {
    TTextureLayer layer;
    EXPECT_TRUE(layer.getTextureName().equals("none"));
    EXPECT_EQ(layer.getValue(0), 1.0f);
    EXPECT_EQ(layer.getValue(1), 1.0f);
    EXPECT_EQ(layer.getInteger(), 1);
    EXPECT_EQ(layer.getFlag(), 0);

    TMaterialData def;
    EXPECT_TRUE(def.getName().equals("stdMat"));
    EXPECT_EQ(def.getLastLayerIndex(), -1);
    EXPECT_EQ(def.getFloat(), 0.0f);
    for (const TColor& c : {def.getDiffuse(), def.getAmbient(), def.getSpecular()}) {
        EXPECT_EQ(c.r + c.g + c.b, 0.0f);
        EXPECT_EQ(c.a, 1.0f);
    }

    const std::string longName(300, 'x');
    TTextureLayer cut(TString(longName.c_str()), 1.0f, 1.0f, 0, 0);
    EXPECT_EQ(cut.getTextureName().size(), 127);
    TMaterialData cutMat(TString(longName.c_str()), TColor(), TColor(), TColor(), 0.0f, 12, nullptr);
    EXPECT_EQ(cutMat.getName().size(), 63);
    EXPECT_EQ(cutMat.getLastLayerIndex(), -1);  // no layers given
}

TEST_F(PffFormatTest, MaterialWithTwoLayersRoundTrips) {
    const std::string p = writeWith("mat.bin", [](int fd) { EXPECT_TRUE(twoLayerMaterial().write(fd)); });
    ASSERT_EQ(readBytes(p).size(), 120u + 280u);

    TMaterialData back;
    const int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
    ASSERT_TRUE(back.load(fd, p.c_str()));
    _close(fd);
    const TMaterialData want = twoLayerMaterial();
    EXPECT_TRUE(back.getName().equals("dragonSkin"));
    EXPECT_EQ(back.getFloat(), 42.5f);
    EXPECT_EQ(back.getLastLayerIndex(), 1);
    EXPECT_EQ(back.getDiffuse().b, 0.3f);
    EXPECT_EQ(back.getAmbient().a, 0.8f);
    EXPECT_EQ(back.getSpecular().g, 1.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(back.getLayer(i).getTextureName().equals(want.getLayer(i).getTextureName()));
        EXPECT_EQ(back.getLayer(i).getValue(0), want.getLayer(i).getValue(0));
        EXPECT_EQ(back.getLayer(i).getValue(1), want.getLayer(i).getValue(1));
        EXPECT_EQ(back.getLayer(i).getInteger(), want.getLayer(i).getInteger());
        EXPECT_EQ(back.getLayer(i).getFlag(), 0);
    }
    EXPECT_TRUE(back.getLayer(2).getTextureName().equals("none"));
}

TEST_F(PffFormatTest, MaterialLayerCountOutsideFileRangeIsRefused) {
    for (int n : {-2, 4, 7, 8, 1000}) {
        Raw r;
        r.name("m", 64);
        for (int k = 0; k < 13; ++k) r.f(1.0f);
        r.i(n);
        for (int k = 0; k < 8; ++k) r.name("t.tga", 128).f(1).f(1).i(0);
        writeBytes(path("bad.bin"), r.b);
        TMaterialData m;
        const int fd = _open(path("bad.bin").c_str(), _O_RDONLY | _O_BINARY);
        const auto lines = logLines([&] { EXPECT_FALSE(m.load(fd, "mods\\bad.pff")) << n; });
        _close(fd);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("mods\\bad.pff"), std::string::npos);
        EXPECT_TRUE(m.getName().equals("stdMat"));  // unchanged
    }
}

// A model's material table from raw bytes: name, then diffuse, ambient and
// specular r g b a, the float, the last layer index and the layer records
// (name, s, t, integer). The record's own writer gives the same bytes back.
TEST_F(PffFormatTest, MaterialRecordFieldsInFileOrder) {
    Raw material;
    material.name("fell", 64);
    for (int k = 1; k <= 12; ++k) material.f(k * 0.0625f);  // diffuse 1..4, ambient 5..8, specular 9..12 sixteenths
    material.f(42.5f).i(1);
    material.name("tex\\fell.tga", 128).f(2.0f).f(0.5f).i(3);
    material.name("bump.tga", 128).f(1.5f).f(4.0f).i(1);
    Raw model;
    model.i(1).put(material.b.data(), material.b.size()).i(0);
    TPffData* data = loadModel(model.b);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->getMaterialCount(), 1);
    const TMaterialData m = data->getMaterial(0);
    delete data;
    EXPECT_TRUE(m.getName().equals("fell"));
    const TColor colours[3] = {m.getDiffuse(), m.getAmbient(), m.getSpecular()};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(colours[c].r, (4 * c + 1) * 0.0625f) << c;
        EXPECT_EQ(colours[c].g, (4 * c + 2) * 0.0625f) << c;
        EXPECT_EQ(colours[c].b, (4 * c + 3) * 0.0625f) << c;
        EXPECT_EQ(colours[c].a, (4 * c + 4) * 0.0625f) << c;
    }
    EXPECT_EQ(m.getFloat(), 42.5f);
    ASSERT_EQ(m.getLastLayerIndex(), 1);
    EXPECT_TRUE(m.getLayer(0).getTextureName().equals("tex\\fell.tga"));
    EXPECT_EQ(m.getLayer(0).getValue(0), 2.0f);
    EXPECT_EQ(m.getLayer(0).getValue(1), 0.5f);
    EXPECT_EQ(m.getLayer(0).getInteger(), 3);
    EXPECT_TRUE(m.getLayer(1).getTextureName().equals("bump.tga"));
    EXPECT_EQ(m.getLayer(1).getValue(1), 4.0f);

    const std::string written = writeWith("fell.bin", [&](int fd) { EXPECT_TRUE(m.write(fd)); });
    EXPECT_EQ(readBytes(written), material.b);
}

// -------------------------------------------------------------- models ----

TEST_F(PffFormatTest, PartsComeInReverseFileOrder) {
    TPffData* empty = loadModel(Raw().i(0).i(0).b);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getLastPartIndex(), -1);
    EXPECT_EQ(empty->getPart(0), nullptr);
    delete empty;

    Raw r;
    r.i(0).i(3);
    for (const char* n : {"P1", "P2", "P3"}) r.name(n, 64).name("none", 64).identity().i(0).i(0).i(0).i(0).i(-7);
    TPffData* model = loadModel(r.b);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->getLastPartIndex(), 2);
    EXPECT_TRUE(model->getPart(0)->getName().equals("P3"));
    EXPECT_TRUE(model->getPart(2)->getName().equals("P1"));
    TListIterator<TMeshPart>* it = model->parts();
    EXPECT_TRUE(it->next()->getName().equals("P3"));
    EXPECT_TRUE(it->next()->getName().equals("P2"));
    delete it;
    EXPECT_EQ(model->getPart(1)->getMaterialIndex(), -1);  // -7 reads as -1
    EXPECT_TRUE(model->getPart(1)->getParentName().equals("none"));
    EXPECT_TRUE(model->getMaterial(5).getName().equals("stdMat"));
    delete model;
}

TEST_F(PffFormatTest, EmptyTextureSetsContributeNoBytes) {
    // Sets 0 and 2 empty (counts 0 and -3), set 1 with two coordinates.
    Raw r;
    r.i(0).i(1).name("_quad", 64).name("none", 64).identity();
    r.i(3).i(3).i(1).i(3).i(0).i(2).i(-3).i(-1);
    for (int k = 0; k < 9; ++k) r.f(float(k));      // vertices
    for (int k = 0; k < 9; ++k) r.f(0.5f);          // normals
    r.i(0).i(1).i(2);                               // triangle
    r.i(1).i(0).i(1);                               // texture triangle of set 1
    for (int k = 0; k < 6; ++k) r.f(0.1f * k);      // its coordinates
    r.i(0x5a5a5a5a);                                // whatever follows the model
    long left = 0;
    TPffData* model = loadModel(r.b, &left);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(left, 4);
    TMeshPart* p = model->getPart(0);
    EXPECT_EQ(p->getTexSetCount(), 3);
    EXPECT_TRUE(p->hasTexTriangles());
    EXPECT_EQ(p->texCoords[0], nullptr);
    EXPECT_EQ(p->texTriangles[2], nullptr);
    EXPECT_EQ(p->getTexTriangle(0, 1), TIntVector(1, 0, 1));
    EXPECT_FLOAT_EQ(p->getTexCoord(1, 1).y, 0.4f);
    EXPECT_EQ(p->getTexCoord(0, 0).x, 0.0f);  // empty set reads as zeros

    model->splitVertices();
    EXPECT_EQ(p->getTexCoordCount(0), 0);
    EXPECT_EQ(p->getTexCoordCount(2), -3);
    EXPECT_EQ(p->getTexCoordCount(1), 3);
    delete model;
}

TEST_F(PffFormatTest, PartRoundTripsThroughWrite) {
    TMeshPart part;
    fillPart(part, "_hull", 5, 4, 3);
    part.setParentName("Bone07");
    part.matrix.m[13] = 9.0f;
    part.materialIndex = 2;
    const std::string p = writeWith("part.bin", [&](int fd) { EXPECT_TRUE(part.write(fd)); });
    const int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
    TMeshPart* back = TMeshPart::load(fd, p.c_str());
    _close(fd);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->getParentName().equals("Bone07"));
    EXPECT_EQ(back->getMatrix().m[13], 9.0f);
    EXPECT_EQ(back->getMaterialIndex(), 2);
    ASSERT_EQ(back->getTriangleCount(), 4);
    ASSERT_EQ(back->getNormalCount(), 12);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(back->getTriangle(t), part.getTriangle(t));
        EXPECT_EQ(back->getTexTriangle(t, 0), part.getTexTriangle(t, 0));
    }
    EXPECT_EQ(back->getVertex(4).z, 12.0f);
    EXPECT_EQ(back->getTexCoord(2, 0).x, 0.5f);
    delete back;
}

TEST_F(PffFormatTest, MaterialIndexMustNameATableEntry) {
    for (int index : {0, 1}) {
        Raw r;
        r.i(1).name("m", 64);
        for (int k = 0; k < 13; ++k) r.f(1.0f);
        r.i(-1).i(1).name("_a", 64).name("none", 64).identity().i(0).i(0).i(0).i(0).i(index);
        std::vector<std::string> lines;
        TPffData* model = nullptr;
        lines = logLines([&] { model = loadModel(r.b); });
        EXPECT_EQ(model != nullptr, index == 0);
        EXPECT_EQ(lines.size(), index == 0 ? 0u : 1u);
        if (model) {
            EXPECT_TRUE(model->getMaterial(0).getName().equals("m"));
        }
        delete model;
    }
}

// --------------------------------------------------------- vertex split ----

TEST_F(PffFormatTest, SplitPassGivesEachUseItsOwnVertex) {
    // Vertex 0 is a cube corner met by three faces, each with its own
    // coordinate; vertex 1 is met twice with the same coordinate.
    TMeshPart part;
    const int counts[2] = {4, 0};
    part.allocate(4, 9, 3, 2, counts);
    part.triangles[0] = TIntVector(0, 1, 2);
    part.triangles[1] = TIntVector(0, 3, 1);
    part.triangles[2] = TIntVector(2, 3, 0);
    part.texTriangles[0][0] = TIntVector(0, 3, 3);
    part.texTriangles[0][1] = TIntVector(1, 3, 3);
    part.texTriangles[0][2] = TIntVector(3, 3, 2);
    for (int v = 0; v < 4; ++v) part.vertices[v] = TVector(float(v), 0.0f, 0.0f);
    for (int c = 0; c < 4; ++c) part.texCoords[0][c] = TVector(0.1f * c, 0.0f, 0.0f);
    part.normals[4] = TVector(0.0f, 1.0f, 0.0f);

    part.splitVertices();
    EXPECT_EQ(part.getVertexCount(), 6);  // 0 three times, 1, 2, 3 once
    EXPECT_EQ(part.getTexCoordCount(0), 6);
    EXPECT_EQ(part.getTexCoordCount(1), 0);
    EXPECT_EQ(part.getStoredVertexCount(), 4);
    EXPECT_EQ(part.getNormalCount(), 9);
    EXPECT_EQ(part.getNormal(4).y, 1.0f);
    EXPECT_EQ(part.getVertexSplits()[0].count(), 3);
    EXPECT_EQ(part.getVertexSplits()[1].count(), 1);
    EXPECT_EQ(part.getTriangle(0), TIntVector(0, 1, 2));
    EXPECT_EQ(part.getTriangle(1), TIntVector(3, 4, 1));
    EXPECT_EQ(part.getTriangle(2), TIntVector(2, 4, 5));
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(part.getTexTriangle(t, 0), part.getTriangle(t));
        for (int k = 0; k < 3; ++k) {
            // Every new vertex keeps its stored position and its coordinate.
            const int v = part.getTriangle(t)[k];
            EXPECT_GE(v, 0);
            EXPECT_LT(v, 6);
        }
    }
    EXPECT_EQ(part.getVertex(3).x, 0.0f);
    EXPECT_EQ(part.getVertex(4).x, 3.0f);
    EXPECT_FLOAT_EQ(part.getTexCoord(3, 0).x, 0.1f);
    EXPECT_FLOAT_EQ(part.getTexCoord(5, 0).x, 0.2f);
}

// The split pass as first written: each corner walks the earlier uses of
// its vertex for one that matches (equal index in every set, or -1 on
// either side). Quadratic, kept here as the reference for the pass.
struct SplitResult {
    std::vector<TVector> vertices;
    std::vector<std::vector<TVector>> coords;  // per set; empty for an empty set
    std::vector<TIntVector> triangles;
    std::vector<std::vector<TIntVector>> texTriangles;
    std::vector<std::vector<std::vector<int>>> uses;  // per stored vertex: {triangle, corner, new index}
};

SplitResult referenceSplit(const TMeshPart& p) {
    const int sets = p.getTexSetCount();
    auto indexOf = [&](int t, int k, int s) { return p.getTexCoordCount(s) < 1 ? -1 : p.getTexTriangle(t, s)[k]; };
    struct Use {
        int t, k, newIndex;
        std::vector<int> index;
    };
    std::vector<std::vector<Use>> uses(static_cast<size_t>(p.getVertexCount()));
    SplitResult r;
    r.coords.resize(static_cast<size_t>(sets));
    auto find = [&](int v, const std::vector<int>& index) -> const Use* {
        for (const Use& u : uses[static_cast<size_t>(v)]) {
            bool same = true;
            for (int s = 0; s < sets && same; ++s)
                same = u.index[s] == index[s] || u.index[s] == -1 || index[s] == -1;
            if (same) return &u;
        }
        return nullptr;
    };
    for (int t = 0; t < p.getTriangleCount(); ++t) {
        for (int k = 0; k < 3; ++k) {
            const int v = p.getTriangle(t)[k];
            std::vector<int> index(static_cast<size_t>(sets));
            for (int s = 0; s < sets; ++s) index[s] = indexOf(t, k, s);
            if (find(v, index)) continue;
            uses[static_cast<size_t>(v)].push_back(Use{t, k, static_cast<int>(r.vertices.size()), index});
            r.vertices.push_back(p.getVertex(v));
            for (int s = 0; s < sets; ++s)
                if (index[s] >= 0) r.coords[s].push_back(p.getTexCoord(index[s], s));
        }
    }
    // A set keeps a list of texture triangles while it has coordinates.
    for (int s = 0; s < sets; ++s)
        if (p.getTexCoordCount(s) >= 1 && !r.vertices.empty()) r.texTriangles.emplace_back();
    for (int t = 0; t < p.getTriangleCount(); ++t) {
        TIntVector tri;
        for (int k = 0; k < 3; ++k) {
            std::vector<int> index(static_cast<size_t>(sets));
            for (int s = 0; s < sets; ++s) index[s] = indexOf(t, k, s);
            tri[k] = find(p.getTriangle(t)[k], index)->newIndex;
        }
        r.triangles.push_back(tri);
        for (auto& list : r.texTriangles) list.push_back(tri);
    }
    for (const auto& list : uses) {
        r.uses.emplace_back();
        for (const Use& u : list) r.uses.back().push_back({u.t, u.k, u.newIndex});
    }
    return r;
}

// The part after splitVertices in the reference's shape.
SplitResult splitResultOf(const TMeshPart& p) {
    SplitResult r;
    for (int v = 0; v < p.getVertexCount(); ++v) r.vertices.push_back(p.getVertex(v));
    r.coords.resize(static_cast<size_t>(p.getTexSetCount()));
    for (int s = 0; s < p.getTexSetCount(); ++s) {
        for (int c = 0; c < p.getTexCoordCount(s); ++c) r.coords[s].push_back(p.getTexCoord(c, s));
        if (p.getTexCoordCount(s) >= 1) r.texTriangles.emplace_back();
    }
    for (int t = 0; t < p.getTriangleCount(); ++t) {
        r.triangles.push_back(p.getTriangle(t));
        int list = 0;
        for (int s = 0; s < p.getTexSetCount(); ++s)
            if (p.getTexCoordCount(s) >= 1) r.texTriangles[list++].push_back(p.getTexTriangle(t, s));
    }
    for (int v = 0; v < p.getVertexSplitCount(); ++v) {
        r.uses.emplace_back();
        for (TListNode<TVertexSplit>* n = p.getVertexSplits()[v].head; n; n = n->next)
            r.uses.back().push_back({n->value->triangle, n->value->corner, n->value->newIndex});
    }
    return r;
}

bool sameVectors(const std::vector<TVector>& a, const std::vector<TVector>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) return false;
    return true;
}

// Splits the part and compares everything with the reference run on it.
void expectSplitAsReference(TMeshPart& part, const std::string& what) {
    const SplitResult want = referenceSplit(part);
    part.splitVertices();
    const SplitResult got = splitResultOf(part);
    EXPECT_TRUE(sameVectors(got.vertices, want.vertices)) << what;
    ASSERT_EQ(got.coords.size(), want.coords.size()) << what;
    for (size_t s = 0; s < want.coords.size(); ++s) EXPECT_TRUE(sameVectors(got.coords[s], want.coords[s])) << what;
    EXPECT_EQ(got.triangles, want.triangles) << what;
    EXPECT_EQ(got.texTriangles, want.texTriangles) << what;
    EXPECT_EQ(got.uses, want.uses) << what;
}

TEST_F(PffFormatTest, SplitPassGivesWhatTheWalkGaveOnEveryModel) {
    // Every generated model, part by part.
    const fs::path mods = fs::path(binaryDir()) / "mods";
    int parts = 0;
    if (fs::exists(mods)) {
        for (const auto& entry : fs::recursive_directory_iterator(mods)) {
            std::string ext = entry.path().extension().string();
            for (char& ch : ext) ch = char(std::tolower(static_cast<unsigned char>(ch)));
            if (!entry.is_regular_file() || ext != ".pff" || entry.path().stem().string().rfind("ani", 0) == 0) continue;
            const std::string p = entry.path().string();
            const int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
            TPffData* model = TPffData::load(fd, p.c_str());
            _close(fd);
            ASSERT_NE(model, nullptr) << p;
            for (int i = 0; i <= model->getLastPartIndex(); ++i, ++parts)
                expectSplitAsReference(*model->getPart(i), p + " part " + std::to_string(i));
            delete model;
        }
    }
    EXPECT_GT(parts, 20) << "generated models missing";

    // Random parts: few vertices met often, up to four sets of which some
    // are empty, coordinates shared or not.
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int verts = 1 + int(random() % 6), tris = int(random() % 40), sets = int(random() % 5);
        std::vector<int> counts(static_cast<size_t>(sets) + 1);
        for (int s = 0; s < sets; ++s) counts[s] = random() % 3 == 0 ? 0 : 1 + int(random() % 4);
        TMeshPart part;
        part.allocate(verts, 3 * tris, tris, sets, counts.data());
        for (int v = 0; v < verts; ++v) part.vertices[v] = TVector(float(v), float(round), 0.0f);
        for (int t = 0; t < tris; ++t) {
            part.triangles[t] = TIntVector(int(random() % verts), int(random() % verts), int(random() % verts));
            for (int s = 0; s < sets; ++s) {
                if (counts[s] < 1) continue;
                part.texTriangles[s][t] = TIntVector(int(random() % counts[s]), int(random() % counts[s]),
                                                     int(random() % counts[s]));
            }
        }
        for (int s = 0; s < sets; ++s)
            for (int c = 0; c < counts[s]; ++c) part.texCoords[s][c] = TVector(float(c), float(s), 0.5f);
        expectSplitAsReference(part, "random part " + std::to_string(round));
    }
}

TEST_F(PffFormatTest, SplitPassIsLinearInTheCorners) {
    // 12 000 triangles whose corners all lie on vertex 0, each corner with a
    // coordinate of its own: 36 000 distinct uses of one vertex, which a
    // walk over the earlier uses takes minutes for.
    const int tris = 12000;
    const int counts[1] = {3 * tris};
    TMeshPart part;
    part.allocate(1, 0, tris, 1, counts);
    for (int t = 0; t < tris; ++t) {
        part.triangles[t] = TIntVector(0, 0, 0);
        part.texTriangles[0][t] = TIntVector(3 * t, 3 * t + 1, 3 * t + 2);
    }
    for (int c = 0; c < counts[0]; ++c) part.texCoords[0][c] = TVector(float(c), 0.0f, 0.0f);
    const auto start = std::chrono::steady_clock::now();
    part.splitVertices();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(part.getVertexCount(), 3 * tris);
    EXPECT_EQ(part.getVertexSplits()[0].count(), 3 * tris);
    EXPECT_EQ(part.getTriangle(tris - 1), TIntVector(3 * tris - 3, 3 * tris - 2, 3 * tris - 1));
    EXPECT_FLOAT_EQ(part.getTexCoord(3 * tris - 1, 0).x, float(3 * tris - 1));
    EXPECT_LT(seconds, 5.0);
}

// -------------------------------------------------------- skin weights ----

TEST_F(PffFormatTest, SkinWeightsLoadLookUpAndFollowTheSplit) {
    TSkinWeights skin;
    skin.allocate(2, 3);
    skin.setName("skin");
    skin.setBoneName(0, "Bone01");
    skin.setBoneName(1, "Bone02");
    for (int k = 0; k < 6; ++k) skin.weights[k] = float(k);
    const std::string p = writeWith("skin.bin", [&](int fd) { EXPECT_TRUE(skin.write(fd)); });
    EXPECT_EQ(readBytes(p).size(), 64u + 8u + 128u + 24u);

    int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
    TSkinWeights* back = TSkinWeights::load(fd, p.c_str(), 3);
    _close(fd);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getWeight(1, 2), 5.0f);  // element 2 * 2 + 1
    EXPECT_EQ(back->getWeight(0, 1), 2.0f);
    EXPECT_EQ(back->getWeight(2, 0), 0.0f);
    EXPECT_EQ(back->getWeight(0, 3), 0.0f);
    EXPECT_EQ(back->findBone(TString("Bone02")), 1);
    EXPECT_EQ(back->findBone(TString("Bone0")), -1);

    // Vertex 0 split into two copies: both carry its weights.
    TMeshPart part;
    const int counts[1] = {3};
    part.allocate(3, 0, 2, 1, counts);
    part.triangles[0] = TIntVector(0, 1, 2);
    part.triangles[1] = TIntVector(2, 1, 0);
    part.texTriangles[0][0] = TIntVector(0, 1, 2);
    part.texTriangles[0][1] = TIntVector(2, 1, 1);
    EXPECT_EQ(back->remapToPart(part), -1);  // not split yet
    part.splitVertices();
    ASSERT_EQ(part.getVertexCount(), 4);
    ASSERT_EQ(back->remapToPart(part), 4);
    EXPECT_EQ(back->getWeight(1, part.getTriangle(1)[2]), 1.0f);
    EXPECT_EQ(back->getWeight(1, part.getTriangle(0)[0]), 1.0f);
    EXPECT_EQ(back->getWeight(0, part.getTriangle(0)[2]), 4.0f);
    delete back;

    // A block made for another vertex count is refused, with one log line.
    fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
    const auto lines = logLines([&] { EXPECT_EQ(TSkinWeights::load(fd, "mods\\x.pff", 4), nullptr); });
    _close(fd);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("3 vertices"), std::string::npos);
}

// ----------------------------------------------------------- animation ----

TEST_F(PffFormatTest, AnimationKeysInReverseOrder) {
    writeBytes(path("head.pff"), Raw().i(1000).b);
    {
        TAnimReader reader(path("head.pff").c_str());
        TList<TAnimKey> keys;
        EXPECT_TRUE(reader.readKeys(keys));
        EXPECT_EQ(keys.count(), 0);
        int header = 0;
        reader.getHeader(header);
        EXPECT_EQ(header, 1000);
    }
    Raw r;
    r.i(500).name("Bone01", 64).identity().i(0).name("Bone02", 64).identity().i(250);
    writeBytes(path("keys.pff"), r.b);
    TAnimReader reader(TString(path("keys.pff").c_str()));
    TList<TAnimKey> keys;
    ASSERT_TRUE(reader.readKeys(keys));
    ASSERT_EQ(keys.count(), 2);
    EXPECT_TRUE(keys.at(0)->getBoneName().equals("Bone02"));
    EXPECT_EQ(keys.at(0)->getFrame(), 250);
    EXPECT_EQ(keys.at(1)->getMatrix().m[15], 1.0f);

    // Missing file, a key cut short, a bone name without its zero.
    TAnimReader missing(path("nothing.pff").c_str());
    EXPECT_FALSE(missing.isValid());
    EXPECT_FALSE(missing.readKeys(keys));
    Raw cut = r;
    cut.b.pop_back();
    Raw noZero = Raw().i(1).name(std::string(64, 'b').c_str(), 64).identity().i(0);
    for (const Raw* bad : {&cut, &noZero}) {
        writeBytes(path("bad.pff"), bad->b);
        TAnimReader damaged(path("bad.pff").c_str());
        const auto lines = logLines([&] { EXPECT_FALSE(damaged.readKeys(keys)); });
        EXPECT_EQ(lines.size(), 1u);
        EXPECT_EQ(keys.count(), 2);
    }
}

// ------------------------------------------------------- damaged files ----

TEST_F(PffFormatTest, EveryTruncationIsRefused) {
    const Bytes full = smallSkinnedFile();
    long modelEnd = 0;
    TPffData* model = loadModel(full, &modelEnd);
    ASSERT_NE(model, nullptr);
    modelEnd = long(full.size()) - modelEnd;
    EXPECT_EQ(full.size() - size_t(modelEnd), 64u + 8u + 128u + 32u);
    delete model;

    for (size_t cut = 0; cut < full.size(); ++cut) {
        const Bytes part(full.begin(), full.begin() + long(cut));
        std::vector<std::string> lines;
        lines = logLines([&] {
            writeBytes(path("cut.pff"), part);
            const int fd = _open(path("cut.pff").c_str(), _O_RDONLY | _O_BINARY);
            TPffData* m = TPffData::load(fd, "cut.pff");
            if (long(cut) < modelEnd) {
                EXPECT_EQ(m, nullptr) << cut;
            } else {
                EXPECT_NE(m, nullptr) << cut;
                if (m) {
                    EXPECT_EQ(TSkinWeights::load(fd, "cut.pff", m->getPart(0)->getStoredVertexCount()), nullptr);
                }
            }
            delete m;
            _close(fd);
        });
        EXPECT_EQ(lines.size(), 1u) << cut;
    }
}

TEST_F(PffFormatTest, CorruptedBytesNeverGiveAnInconsistentModel) {
    const Bytes full = smallSkinnedFile();
    for (size_t at = 0; at < full.size(); ++at) {
        for (unsigned char value : {0x00, 0x7f, 0x80, 0xff}) {
            Bytes bad = full;
            bad[at] = value;
            TPffData* model = loadModel(bad);
            if (model) expectConsistent(*model);
            delete model;
        }
    }
}

TEST_F(PffFormatTest, DamagedPartsAreRefusedWithOneLine) {
    // A part header with the given counts, then `arrays` bytes of zeros.
    auto part = [](const char* name, int v, int n, int t, std::vector<int> sets, int arrays) {
        Raw r;
        r.i(0).i(1).name(name, 64).name("none", 64).identity().i(v).i(n).i(t).i(int(sets.size()));
        for (int c : sets) r.i(c);
        r.i(-1);
        r.b.resize(r.b.size() + size_t(arrays), 0);
        return r;
    };
    struct Case {
        const char* why;
        Raw raw;
        const char* cause;
    };
    Raw badCorner = part("_a", 2, 3, 1, {}, 24 + 36 + 12);
    const int three = 3;
    std::memcpy(&badCorner.b[badCorner.b.size() - 8], &three, 4);
    Raw badTexIndex = part("_a", 3, 0, 1, {2}, 36 + 12 + 12 + 24);
    const int minusOne = -1;
    std::memcpy(&badTexIndex.b[badTexIndex.b.size() - 24 - 4], &minusOne, 4);
    std::vector<Case> cases = {
        {"vertices beyond the file", part("_a", 100000000, 0, 0, {}, 12), "need"},
        {"triangles beyond the file", part("_a", 0, 0, 0x7fffffff, {}, 0), "need"},
        {"negative count", part("_a", -1, 0, 0, {}, 0), "negative"},
        {"too many sets", part("_a", 0, 0, 0, std::vector<int>(257, 0), 0), "257 texture sets"},
        {"more normals than corners", part("_a", 3, 4, 1, {}, 36 + 48 + 12), "normals"},
        {"corner out of range", badCorner, "names vertex 3 of 2"},
        {"texture index out of range", badTexIndex, "names coordinate -1 of 2"},
        {"name without zero", part(std::string(64, 'n').c_str(), 0, 0, 0, {}, 0), "terminating zero"},
        {"huge material count", Raw().i(0x10000000).i(0), "materials need"},
        {"negative part count", Raw().i(0).i(-1), "negative part count"},
    };
    for (const Case& c : cases) {
        TPffData* model = nullptr;
        const auto lines = logLines([&] { model = loadModel(c.raw.b); });
        EXPECT_EQ(model, nullptr) << c.why;
        delete model;
        ASSERT_EQ(lines.size(), 1u) << c.why;
        EXPECT_NE(lines[0].find("mods\\test\\model.pff"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.cause), std::string::npos) << c.why << ": " << lines[0];
    }
    // A file that did not open.
    const auto lines = logLines([] { EXPECT_EQ(TPffData::load(-1, "mods\\gone.pff"), nullptr); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Model file 'mods\\gone.pff': cannot be read");

    // 256 sets is the most a part may have.
    TPffData* model = loadModel(part("_a", 0, 0, 0, std::vector<int>(256, 0), 0).b);
    EXPECT_NE(model, nullptr);
    delete model;
}

// ------------------------------------------------------ generated files ----

TEST_F(PffFormatTest, GeneratedModelsLoad) {
    const fs::path mods = fs::path(binaryDir()) / "mods";
    if (!fs::exists(mods)) GTEST_SKIP() << "no generated models";
    int seen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(mods)) {
        std::string ext = entry.path().extension().string();
        for (char& ch : ext) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        if (!entry.is_regular_file() || ext != ".pff") continue;
        ++seen;
        const std::string p = entry.path().string();
        const std::string stem = entry.path().stem().string();
        if (stem.rfind("ani", 0) == 0) {
            TAnimReader reader(p.c_str());
            TList<TAnimKey> keys;
            EXPECT_TRUE(reader.readKeys(keys)) << p;
            EXPECT_GT(keys.count(), 0) << p;
            continue;
        }
        const int fd = _open(p.c_str(), _O_RDONLY | _O_BINARY);
        TPffData* model = TPffData::load(fd, p.c_str());
        ASSERT_NE(model, nullptr) << p;
        expectConsistent(*model);
        // A skinned model carries one skin block per geometry part, in list order.
        for (int g = 0; _filelength(fd) > _lseek(fd, 0, SEEK_CUR); ++g) {
            TMeshPart* part = model->getPart(g);
            ASSERT_NE(part, nullptr) << p;
            EXPECT_EQ(part->name[0], '_') << p;
            TSkinWeights* skin = TSkinWeights::load(fd, p.c_str(), part->getStoredVertexCount());
            ASSERT_NE(skin, nullptr) << p;
            delete skin;
        }
        delete model;
        _close(fd);
    }
    EXPECT_GT(seen, 0);
}

}  // namespace
