// The ground without GL: the height rule and its interpolation, levels of
// detail and the seam pass, the shared index table (in range, and covering
// every tile without gaps or T-junctions for every pairing of levels), tile
// lookup and node filing, placement through a table of kinds, and damaged
// input files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TCamera.h"
#include "engine/TIndexArray.h"
#include "engine/TVertexArray.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TInstanceFactory.h"
#include "scene/TSceneNode.h"
#include "scene/TShadowMap.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

std::string folder() {
    static const std::string f = [] {
        const std::string d = ::testing::TempDir() + "GroundTest_" + std::to_string(getpid());
        fs::create_directories(d);
        openLog((d + "/Log.txt").c_str());
        return d;
    }();
    return f;
}

std::string path(const std::string& name) { return folder() + "/" + name; }

std::string logText() {
    logFlush();
    std::ifstream in(path("Log.txt"), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& name, const Bytes& b) {
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// A TGA whose pixels come from pixel(x, y) as file bytes (B, G, R[, A]).
template <class F>
void writeTga(const std::string& name, int w, int h, int depth, F pixel) {
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = static_cast<unsigned char>(w);
    b[13] = static_cast<unsigned char>(w >> 8);
    b[14] = static_cast<unsigned char>(h);
    b[15] = static_cast<unsigned char>(h >> 8);
    b[16] = static_cast<unsigned char>(depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Bytes p = pixel(x, y);
            b.insert(b.end(), p.begin(), p.begin() + depth / 8);
        }
    writeFile(name, b);
}

// File bytes of a height sample: the 24-bit value 32768 (512 - z) with its
// low byte stored last (the reader swaps the first and third byte).
Bytes heightBytes(float z) {
    const long v = std::lround((512.0 - z) * 32768.0);
    return {static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v),
            255};
}

// A smooth test landscape: z between 390 and 410.
float landscape(int x, int y) { return 400.0f + 6.0f * std::sin(x * 0.21f) + 4.0f * std::cos(y * 0.13f); }

void writeHeights(const std::string& name, int w, int h, int depth = 24) {
    writeTga(name, w, h, depth, [](int x, int y) { return heightBytes(landscape(x, y)); });
}

// An object made by the fake kinds: remembers where it stands.
class Marker : public TRenderable {
public:
    Marker(const TVector& p, bool isStatic, int kindValue) : position(p), staticFlag(isStatic), kind(kindValue) {
        visible = 1;
    }
    void render() override { ++renders; }
    bool getFlag() override { return staticFlag; }
    TVector position;
    bool staticFlag;
    int kind;
    int renders = 0;
};

class FakeKind : public TInstanceFactory {
public:
    FakeKind(int value, bool isStatic, bool makesNothing = false)
        : kind(value), staticFlag(isStatic), nothing(makesNothing) {}
    TRenderable* createInstance(const TVector& p, float angle) override {
        angles.push_back(angle);
        if (nothing) return nullptr;
        Marker* m = new Marker(p, staticFlag, kind);
        made.push_back(m);
        return m;
    }
    int kind;
    bool staticFlag;
    bool nothing;
    std::vector<float> angles;
    std::vector<Marker*> made;
};

std::unique_ptr<TBoden> makeGround(const std::string& heights, const std::string& map, int tiles = 4, int lods = 4,
                                   TInstanceFactory* const* table = nullptr, int tableSize = 0) {
    return std::make_unique<TBoden>(TString(path(heights).c_str()), TString(path(map).c_str()),
                                    TString(path("none.sdm").c_str()), table, tableSize, tiles, lods, nullptr,
                                    nullptr, tiles);
}

// A ground of 64 x 64 samples in 4 x 4 tiles with no level map.
std::unique_ptr<TBoden> plainGround(int lods = 4) {
    writeHeights("plain.tga", 64, 64);
    return makeGround("plain.tga", "no_map.tga", 4, lods);
}

}  // namespace

// ------------------------------------------------------------- heights ----

TEST(GroundHeightsTest, FollowTheEncodingAndAre512OutsideTheImage) {
    writeTga("rule.tga", 32, 32, 24, [](int x, int y) -> Bytes {
        if (x == 1 && y == 0) return {255, 255, 255};
        if (x == 2 && y == 0) return {0x12, 0x34, 0x56};
        if (x == 0 && y == 0) return {0, 0, 0};
        return heightBytes(100.25f + x);
    });
    auto ground = makeGround("rule.tga", "no_map.tga", 2);
    EXPECT_FLOAT_EQ(ground->getGridHeight(0, 0), 512.0f);
    EXPECT_NEAR(ground->getGridHeight(1, 0), 0.0000305f, 1e-6f);
    EXPECT_GT(ground->getGridHeight(1, 0), 0.0f);
    // File bytes B G R = 0x12 0x34 0x56: the low byte is the last one.
    EXPECT_FLOAT_EQ(ground->getGridHeight(2, 0), 512.0f - (0x56 + 256.0f * 0x34 + 65536.0f * 0x12) / 32768.0f);
    EXPECT_FLOAT_EQ(ground->getGridHeight(5, 7), 105.25f);
    for (auto p : {std::pair<int, int>{-1, 0}, {0, -1}, {32, 0}, {0, 32}, {1000000, 5}})
        EXPECT_FLOAT_EQ(ground->getGridHeight(p.first, p.second), 512.0f) << p.first << ", " << p.second;
}

TEST(GroundHeightsTest, AreInterpolatedBilinearly) {
    auto ground = plainGround();
    EXPECT_FLOAT_EQ(ground->getHeight(TVector(10, 20, 0)), ground->getGridHeight(10, 20));
    const float mid = (ground->getGridHeight(10, 20) + ground->getGridHeight(11, 20)) * 0.5f;
    EXPECT_NEAR(ground->getHeight(TVector(10.5f, 20, 0)), mid, 1e-3f);
    const float h00 = ground->getGridHeight(3, 4), h10 = ground->getGridHeight(4, 4);
    const float h01 = ground->getGridHeight(3, 5), h11 = ground->getGridHeight(4, 5);
    const float expected = (h00 * 0.75f + h10 * 0.25f) * 0.25f + (h01 * 0.75f + h11 * 0.25f) * 0.75f;
    EXPECT_NEAR(ground->getHeight(TVector(3.25f, 4.75f, 99)), expected, 1e-3f);
    // At the far edge the samples beyond are 512.
    EXPECT_NEAR(ground->getHeight(TVector(63.5f, 10, 0)), (ground->getGridHeight(63, 10) + 512.0f) * 0.5f, 1e-3f);
    EXPECT_FLOAT_EQ(ground->getHeight(TVector(5000, 10, 0)), 512.0f);
    EXPECT_FLOAT_EQ(ground->getHeight(TVector(-3e9f, 1e20f, 0)), 512.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(ground->getHeight(TVector(nan, 10, 0)), 512.0f);
}

TEST(GroundHeightsTest, TilesHoldTheirSamples) {
    auto ground = plainGround();
    ASSERT_EQ(ground->tilesX * ground->tilesY, 16);
    EXPECT_EQ(ground->samplesX, 17);
    const TBodenTile* tile = ground->tiles[1 * 4 + 2];  // row 1, column 2
    EXPECT_EQ(tile->x0, 32);
    EXPECT_EQ(tile->y0, 16);
    const float* v = tile->vertices->data + 3 * (5 * 17 + 16);  // row 5, column 16
    EXPECT_FLOAT_EQ(v[0], 48.0f);
    EXPECT_FLOAT_EQ(v[1], 21.0f);
    EXPECT_FLOAT_EQ(v[2], ground->getGridHeight(48, 21));
    EXPECT_LE(tile->minZ, tile->centre.z);
    EXPECT_GE(tile->maxZ, tile->centre.z);
    EXPECT_NEAR(tile->centre.x, 40.0f, 1e-3f);
    EXPECT_NEAR(tile->centre.y, 24.0f, 1e-3f);
    for (int i = 0; i < 17 * 17; ++i) {
        const float* p = tile->vertices->data + 3 * i;
        EXPECT_LE((TVector(p[0], p[1], p[2]) - tile->centre).length(), tile->radius + 1e-3f);
    }
    // Neighbours.
    const TBodenTile* t = ground->tiles[5];
    EXPECT_EQ(t->north, ground->tiles[1]);
    EXPECT_EQ(t->east, ground->tiles[6]);
    EXPECT_EQ(t->south, ground->tiles[9]);
    EXPECT_EQ(t->west, ground->tiles[4]);
    EXPECT_EQ(ground->tiles[0]->north, nullptr);
    EXPECT_EQ(ground->tiles[0]->west, nullptr);
    EXPECT_EQ(ground->tiles[15]->south, nullptr);
    EXPECT_EQ(ground->tiles[15]->east, nullptr);
}

// ----------------------------------------------------- level of detail ----

TEST(GroundDetailTest, LevelGrowsWithTheDistanceRatio) {
    EXPECT_EQ(TBoden::levelForRatio(0.0f, 7), 0);
    EXPECT_EQ(TBoden::levelForRatio(1.0f, 7), 0);
    EXPECT_EQ(TBoden::levelForRatio(1.9f, 7), 0);
    EXPECT_EQ(TBoden::levelForRatio(2.5f, 7), 1);
    EXPECT_EQ(TBoden::levelForRatio(3.0f, 7), 2);
    EXPECT_EQ(TBoden::levelForRatio(4.99f, 7), 2);
    EXPECT_EQ(TBoden::levelForRatio(5.0f, 7), 3);
    EXPECT_EQ(TBoden::levelForRatio(8.9f, 7), 3);
    EXPECT_EQ(TBoden::levelForRatio(100.0f, 7), 7);
    EXPECT_EQ(TBoden::levelForRatio(1e30f, 7), 7);
    EXPECT_EQ(TBoden::levelForRatio(std::numeric_limits<float>::quiet_NaN(), 7), 0);
}

TEST(GroundDetailTest, UpdateChoosesLevelsByDistanceAndKeepsVisibleNeighboursOneApart) {
    auto ground = plainGround(7);
    TCamera camera;
    camera.setDirection(TVector(-1, 0, 0));  // looking along +x
    camera.setPosition(TVector(40.0f, 32.0f, 380.0f) * 100.0f);
    ground->update(&camera, 100.0f, 100000.0f);
    const float span = (16 + 1) * 0.5f;
    int visible = 0;
    for (int i = 0; i < 16; ++i) {
        const TBodenTile* t = ground->tiles[i];
        visible += t->visible;
        if (!t->visible) {
            const float r = (t->centre - TVector(40.0f, 32.0f, 380.0f)).length() / span;
            EXPECT_EQ(t->level, TBoden::levelForRatio(r, 7));
        }
    }
    EXPECT_EQ(ground->drawList.count(), visible);
    EXPECT_GT(visible, 0);
    EXPECT_FALSE(ground->tiles[4]->visible);  // behind the camera
    EXPECT_TRUE(ground->tiles[4 + 3]->visible);

    // Close to the ground over tile 0: level 0 there, coarser further out.
    camera.setPosition((ground->tiles[0]->centre + TVector(0, 0, -2.0f)) * 100.0f);
    ground->update(&camera, 100.0f, 100000.0f);
    EXPECT_EQ(ground->tiles[0]->level, 0);
    EXPECT_GT(ground->tiles[15]->level, 1);
    for (int i = 0; i < 16; ++i) {
        const TBodenTile* t = ground->tiles[i];
        for (const TBodenTile* n : {t->north, t->east, t->south, t->west})
            if (t->visible && n && n->visible) {
                EXPECT_LE(std::abs(n->level - t->level), 1) << i;
            }
    }
}

TEST(GroundDetailTest, SeamPassLowersOnlyVisibleNeighbours) {
    auto ground = plainGround(7);
    ground->drawList.clear();
    TBodenTile* a = ground->tiles[0];
    TBodenTile* b = ground->tiles[1];   // east of a
    TBodenTile* c = ground->tiles[4];   // south of a
    TBodenTile* d = ground->tiles[2];   // east of b
    for (TBodenTile* t : {a, b, c, d}) t->visible = 1;
    c->visible = 0;
    a->level = 1;
    b->level = 4;
    c->level = 6;
    d->level = 6;
    ground->drawList.pushBack(a, false);
    ground->drawList.pushBack(b, false);
    ground->drawList.pushBack(d, false);
    ground->relaxSeams();
    EXPECT_EQ(a->level, 1);
    EXPECT_EQ(b->level, 2);
    EXPECT_EQ(d->level, 3);  // through b, in a second pass if needed
    EXPECT_EQ(c->level, 6);  // not visible: never raised
}

// ------------------------------------------------------- index table ----

namespace {

struct Triangle {
    int v[3];
};

// The triangles a tile draws at its level with its neighbours' levels.
std::vector<Triangle> drawnTriangles(const TBoden& ground, const TBodenTile& tile) {
    TBodenTile::Range ranges[3];
    tile.drawnRanges(0, ranges);
    std::vector<Triangle> out;
    for (const auto& r : ranges)
        for (int t = r.first; t < r.end; ++t) {
            const int* c = ground.indices->data + 3 * t;
            out.push_back({{c[0], c[1], c[2]}});
        }
    return out;
}

bool inside(double px, double py, const double (&x)[3], const double (&y)[3]) {
    const double d = (y[1] - y[2]) * (x[0] - x[2]) + (x[2] - x[1]) * (y[0] - y[2]);
    if (std::fabs(d) < 1e-12) return false;
    const double a = ((y[1] - y[2]) * (px - x[2]) + (x[2] - x[1]) * (py - y[2])) / d;
    const double b = ((y[2] - y[0]) * (px - x[2]) + (x[0] - x[2]) * (py - y[2])) / d;
    return a >= -1e-9 && b >= -1e-9 && 1.0 - a - b >= -1e-9;
}

}  // namespace

TEST(GroundIndicesTest, StayInsideEveryTileWhateverItsShape) {
    // Tiles of 24 x 40 samples: no level divides both evenly.
    writeHeights("odd.tga", 48, 80);
    auto ground = makeGround("odd.tga", "no_map.tga", 2, 7);
    ASSERT_EQ(ground->tileWidth, 24);
    ASSERT_EQ(ground->tileHeight, 40);
    const int vertexCount = ground->samplesX * ground->samplesY;
    ASSERT_GT(ground->triangleCount, 0);
    for (int i = 0; i < 3 * ground->triangleCount; ++i) {
        ASSERT_GE(ground->indices->data[i], 0);
        ASSERT_LT(ground->indices->data[i], vertexCount);
    }
    EXPECT_EQ(ground->levelStart[0], 0);
    for (int l = 0; l <= 7; ++l) EXPECT_LE(ground->levelStart[l], ground->levelStart[l + 1]);
    for (int i = 0; i < 6 * 8; ++i) EXPECT_LE(ground->seamRanges[i], ground->seamRanges[i + 1]);
    EXPECT_EQ(ground->seamRanges[6 * 8], ground->triangleCount);
}

// Every level against each neighbour level one apart, and no neighbour: the
// tile is covered without holes, and every segment of the edge that the
// tile across draws (samples 2^level of that tile apart) is also an edge of
// one of this tile's triangles, so the two surfaces close along the seam.
TEST(GroundIndicesTest, TilesOfAnyTwoNeighbouringLevelsMeetWithoutGaps) {
    writeHeights("seams.tga", 96, 96);
    const int lods = 5;
    auto ground = makeGround("seams.tga", "no_map.tga", 3, lods);
    TBodenTile* tile = ground->tiles[4];  // the middle one
    const int w = ground->tileWidth, cols = ground->samplesX;
    const int kNone = -100;

    auto hasEdge = [&](const std::vector<Triangle>& tris, int a, int b) {
        for (const auto& t : tris) {
            bool ha = false, hb = false;
            for (int v : t.v) {
                ha = ha || v == a;
                hb = hb || v == b;
            }
            if (ha && hb) return true;
        }
        return false;
    };
    // The edge from (r0, c0) to (r1, c1), walked in steps of step.
    auto sealed = [&](const std::vector<Triangle>& tris, bool alongRow, int fixed, int step) {
        for (int k = 0; k + step <= w; k += step) {
            const int a = alongRow ? fixed * cols + k : k * cols + fixed;
            const int b = alongRow ? fixed * cols + k + step : (k + step) * cols + fixed;
            if (!hasEdge(tris, a, b)) return false;
        }
        return true;
    };

    for (int level = 0; level < lods; ++level) {
        for (int south : {level - 1, level, level + 1, kNone}) {
            for (int east : {level - 1, level, level + 1, kNone}) {
                if ((south != kNone && (south < 0 || south >= lods)) || (east != kNone && (east < 0 || east >= lods)))
                    continue;
                tile->level = level;
                tile->south = south == kNone ? nullptr : ground->tiles[7];
                tile->east = east == kNone ? nullptr : ground->tiles[5];
                ground->tiles[7]->level = south;
                ground->tiles[5]->level = east;
                const std::vector<Triangle> tris = drawnTriangles(*ground, *tile);
                const std::string what = "level " + std::to_string(level) + ", south " + std::to_string(south) +
                                         ", east " + std::to_string(east);

                for (int j = 0; j < w; ++j) {
                    for (int i = 0; i < w; ++i) {
                        const double px = i + 0.31, py = j + 0.67;
                        bool covered = false;
                        for (const auto& t : tris) {
                            const double x[3] = {double(t.v[0] % cols), double(t.v[1] % cols), double(t.v[2] % cols)};
                            const double y[3] = {double(t.v[0] / cols), double(t.v[1] / cols), double(t.v[2] / cols)};
                            if (inside(px, py, x, y)) {
                                covered = true;
                                break;
                            }
                        }
                        ASSERT_TRUE(covered) << what << ": hole at (" << px << ", " << py << ")";
                    }
                }
                // North and west: the tiles there meet this one's own level.
                EXPECT_TRUE(sealed(tris, true, 0, 1 << level)) << what << ": north edge";
                EXPECT_TRUE(sealed(tris, false, 0, 1 << level)) << what << ": west edge";
                if (south != kNone) {
                    EXPECT_TRUE(sealed(tris, true, w, 1 << south)) << what << ": south edge";
                }
                if (east != kNone) {
                    EXPECT_TRUE(sealed(tris, false, w, 1 << east)) << what << ": east edge";
                }
            }
        }
    }
}

// ------------------------------------------------------ tiles as nodes ----

TEST(GroundTilesTest, AreFoundByPositionUpToTheEdges) {
    auto ground = plainGround();
    EXPECT_EQ(ground->getTileAt(TVector(0, 0, 0)), ground->tiles[0]);
    EXPECT_EQ(ground->getTileAt(TVector(15.99f, 0, 0)), ground->tiles[0]);
    EXPECT_EQ(ground->getTileAt(TVector(16, 0, 0)), ground->tiles[1]);
    EXPECT_EQ(ground->getTileAt(TVector(17, 33, 500)), ground->tiles[2 * 4 + 1]);
    EXPECT_EQ(ground->getTileAt(TVector(63.9f, 63.9f, 0)), ground->tiles[15]);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const TVector& p : {TVector(64, 0, 0), TVector(0, 64, 0), TVector(-0.1f, 5, 0), TVector(5, -3, 0),
                             TVector(1e20f, 5, 0), TVector(nan, 5, 0)})
        EXPECT_EQ(ground->getTileAt(p), nullptr) << p.x << ", " << p.y;
    TBodenTile* tile = ground->tiles[1];  // x 16 .. 33 (closed), y 0 .. 17
    EXPECT_TRUE(tile->contains(TVector(16, 0, 0)));
    EXPECT_TRUE(tile->contains(TVector(33, 17, 0)));
    EXPECT_FALSE(tile->contains(TVector(33.01f, 5, 0)));
    EXPECT_FALSE(tile->contains(TVector(15.99f, 5, 0)));
    EXPECT_FALSE(tile->contains(TVector(20, 17.5f, 0)));
    EXPECT_EQ(tile->getTileAt(TVector(40, 40, 0)), ground->tiles[10]);
    EXPECT_EQ(tile->getTileAt(TVector(-40, 40, 0)), nullptr);
}

TEST(GroundTilesTest, FileNodesAndLoseEachExactlyOnce) {
    auto ground = plainGround();
    TBodenTile* tile = ground->tiles[0];
    std::vector<Marker*> nodes;
    for (int i = 0; i < 3; ++i) {
        nodes.push_back(new Marker(TVector(1, 1, 0), false, 0));
        tile->addChild(nodes.back());
    }
    EXPECT_EQ(tile->children.count(), 3);
    for (Marker* m : nodes) {
        EXPECT_EQ(m->registry, tile);
        EXPECT_EQ(m->ownerData, &tile->level);
        EXPECT_NE(m->handle, 0);
    }
    EXPECT_NE(nodes[0]->handle, nodes[1]->handle);
    const int handle = nodes[1]->handle;
    delete nodes[1];  // leaves the tile through its destructor
    EXPECT_EQ(tile->children.count(), 2);
    EXPECT_EQ(tile->children.at(0), nodes[2]);
    EXPECT_EQ(tile->children.at(1), nodes[0]);
    tile->removeChild(handle);  // gone already: nothing changes
    tile->removeChild(12345);
    EXPECT_EQ(tile->children.count(), 2);
    tile->removeChild(nodes[0]->handle);
    EXPECT_EQ(nodes[0]->registry, nullptr);
    EXPECT_EQ(tile->children.count(), 1);
    delete nodes[0];
    delete nodes[2];
    EXPECT_TRUE(tile->children.isEmpty());
}

TEST(GroundTilesTest, NodesMoveBetweenTilesAndKeepTheirTileBeyondTheGround) {
    auto ground = plainGround();
    TSceneNode* node = new TSceneNode(nullptr, TVector(5, 5, 0), 0.0f, nullptr, true);
    ground->tiles[0]->addChild(node);
    node->position = TVector(10, 16.5f, 0);  // still inside tile 0's closed range
    node->updateTile();
    EXPECT_EQ(node->registry, ground->tiles[0]);
    node->position = TVector(40, 20, 0);
    node->updateTile();
    EXPECT_EQ(node->registry, ground->tiles[4 + 2]);
    EXPECT_TRUE(ground->tiles[0]->children.isEmpty());
    EXPECT_EQ(ground->tiles[6]->children.count(), 1);
    node->position = TVector(40, -20, 0);  // beyond the ground
    node->updateTile();
    EXPECT_EQ(node->registry, ground->tiles[6]);
    EXPECT_EQ(ground->tiles[6]->children.count(), 1);
    delete node;
    EXPECT_TRUE(ground->tiles[6]->children.isEmpty());
}

TEST(GroundTilesTest, NodesOutlivingTheGroundAreUnfiled) {
    Marker* node = new Marker(TVector(1, 1, 0), false, 0);
    {
        auto ground = plainGround();
        ground->tiles[3]->addChild(node);
    }
    EXPECT_EQ(node->registry, nullptr);
    delete node;  // must not reach into the deleted tile
}

// ----------------------------------------------------------- placement ----

TEST(GroundPlacementTest, MakesOneObjectPerMapPixelThroughItsKind) {
    writeHeights("place_h.tga", 64, 64);
    struct Pixel {
        int x, y, v;
    };
    const std::vector<Pixel> pixels = {{3, 4, 50}, {20, 5, 100}, {40, 40, 150}, {41, 42, 150},
                                       {10, 50, 17}, {11, 52, 17}, {12, 54, 99}, {63, 63, 200}};
    writeTga("place_m.tga", 64, 64, 24, [&](int x, int y) -> Bytes {
        for (const Pixel& p : pixels)
            if (p.x == x && p.y == y) return {0, 0, static_cast<unsigned char>(p.v)};
        return {0, 0, 0};
    });
    FakeKind tower(50, false), castle(100, false), tree(150, true), missingHouse(200, false, true);
    TInstanceFactory* table[256] = {};
    table[50] = &tower;
    table[100] = &castle;
    table[150] = &tree;
    table[200] = &missingHouse;
    auto ground = makeGround("place_h.tga", "place_m.tga", 4, 4, table, 256);

    ASSERT_EQ(tower.made.size(), 1u);
    ASSERT_EQ(castle.made.size(), 1u);
    ASSERT_EQ(tree.made.size(), 2u);
    EXPECT_EQ(missingHouse.angles.size(), 1u);  // asked, made nothing
    for (float a : tree.angles) EXPECT_EQ(a, 0.0f);
    const Marker* t = tower.made[0];
    EXPECT_FLOAT_EQ(t->position.x, 3.0f);
    EXPECT_FLOAT_EQ(t->position.y, 4.0f);
    EXPECT_FLOAT_EQ(t->position.z, ground->getGridHeight(3, 4));

    // Moving kinds are filed as children, static ones kept by the tile.
    TBodenTile* first = ground->tiles[0];
    EXPECT_EQ(first->objectCount, 1);
    EXPECT_EQ(first->children.at(0), tower.made[0]);
    EXPECT_EQ(tower.made[0]->registry, first);
    EXPECT_EQ(castle.made[0]->registry, ground->tiles[1]);
    TBodenTile* forest = ground->tiles[2 * 4 + 2];
    EXPECT_EQ(forest->staticCount, 2);
    EXPECT_TRUE(forest->children.isEmpty());
    EXPECT_EQ(forest->staticObjects[0], tree.made[0]);
    EXPECT_EQ(tree.made[0]->registry, nullptr);
    EXPECT_EQ(tree.made[1]->ownerData, &forest->level);
    EXPECT_EQ(ground->tiles[15]->objectCount, 0);

    const std::string log = logText();
    EXPECT_NE(log.find("place_m.tga': 3 pixels have a value without a kind (17, 99)"), std::string::npos) << log;

    delete tower.made[0];
    delete castle.made[0];
}

TEST(GroundPlacementTest, NeedsAUsableLevelMapOfTheHeightsSize) {
    writeHeights("pm_h.tga", 64, 64);
    const auto one = [](int x, int y) -> Bytes { return {0, 0, static_cast<unsigned char>(x == 5 && y == 5 ? 50 : 0), 0}; };
    writeTga("pm_32.tga", 64, 64, 32, one);
    writeTga("pm_small.tga", 32, 64, 24, one);
    writeFile("pm_short.tga", Bytes(30, 0));
    FakeKind tower(50, false);
    TInstanceFactory* table[256] = {};
    table[50] = &tower;
    for (const char* map : {"pm_32.tga", "pm_small.tga", "pm_short.tga", "pm_missing.tga"}) {
        auto ground = makeGround("pm_h.tga", map, 4, 4, table, 256);
        EXPECT_EQ(ground->tilesX, 4) << map;
        const std::string log = logText();
        EXPECT_NE(log.find(std::string("level map '") + path(map) + "'"), std::string::npos) << map;
    }
    EXPECT_TRUE(tower.made.empty());
    EXPECT_NE(logText().find("is 32-bit, not 24-bit; no objects are placed"), std::string::npos);
    EXPECT_NE(logText().find("is 32 x 64 pixels, the height image 64 x 64"), std::string::npos);

    // A table shorter than the map's values places what it has.
    writeTga("pm_ok.tga", 64, 64, 24, one);
    auto ground = makeGround("pm_h.tga", "pm_ok.tga", 4, 4, table, 50);
    EXPECT_TRUE(tower.made.empty());
}

// --------------------------------------------------------- damaged input ----

TEST(GroundDamagedInputTest, UnusableHeightsGiveAFlatGroundWithoutTiles) {
    writeHeights("bad_size.tga", 62, 64);
    writeTga("bad_depth.tga", 64, 64, 16, [](int, int) { return Bytes{1, 2, 3}; });
    writeFile("bad_short.tga", Bytes(40, 0));
    writeTga("map64.tga", 64, 64, 24, [](int x, int) -> Bytes { return {0, 0, static_cast<unsigned char>(x == 1 ? 50 : 0)}; });
    FakeKind tower(50, false);
    TInstanceFactory* table[256] = {};
    table[50] = &tower;
    for (const char* heights : {"bad_size.tga", "bad_depth.tga", "bad_short.tga", "missing.tga"}) {
        auto ground = makeGround(heights, "map64.tga", 4, 4, table, 256);
        EXPECT_EQ(ground->tilesX * ground->tilesY, 0) << heights;
        EXPECT_FLOAT_EQ(ground->getGridHeight(3, 3), 512.0f);
        EXPECT_FLOAT_EQ(ground->getHeight(TVector(3.5f, 3.5f, 0)), 512.0f);
        EXPECT_EQ(ground->getTileAt(TVector(3, 3, 0)), nullptr);
        TCamera camera;
        ground->update(&camera, 100.0f, 100000.0f);
        EXPECT_TRUE(ground->drawList.isEmpty());
        EXPECT_NE(logText().find(std::string("height image '") + path(heights) + "'"), std::string::npos) << heights;
    }
    EXPECT_TRUE(tower.made.empty());
    EXPECT_NE(logText().find("(62 x 64 pixels, 4 x 4 tiles); the ground is flat at height 512"), std::string::npos);

    // Tile counts that cannot cut the image.
    writeHeights("fine.tga", 64, 64);
    auto none = makeGround("fine.tga", "map64.tga", 0, 4);
    EXPECT_EQ(none->tilesX * none->tilesY, 0);
    // 32-bit heights read the same first three bytes.
    writeHeights("deep.tga", 64, 64, 32);
    auto deep = makeGround("deep.tga", "map64.tga", 4, 4);
    ASSERT_EQ(deep->tilesX, 4);
    auto plain = makeGround("fine.tga", "map64.tga", 4, 4);
    EXPECT_FLOAT_EQ(deep->getGridHeight(7, 9), plain->getGridHeight(7, 9));
}

TEST(GroundDamagedInputTest, ShadowMapsReadExactlyTheirBytesOrTurnWhite) {
    auto ground = plainGround();
    Bytes exact(64 * 64);
    for (size_t i = 0; i < exact.size(); ++i) exact[i] = static_cast<unsigned char>(i * 7);
    writeFile("exact.sdm", exact);
    Bytes longer = exact;
    longer.resize(exact.size() + 100, 1);
    writeFile("long.sdm", longer);
    writeFile("short.sdm", Bytes(exact.begin(), exact.begin() + 1000));

    TShadowMap map(ground.get(), TString(path("exact.sdm").c_str()), 1);
    ASSERT_TRUE(map.hasPixels());
    EXPECT_EQ(map.width, 64);
    EXPECT_EQ(map.height, 64);
    EXPECT_EQ(map.components, 1);
    EXPECT_EQ(*map.pixelAddress(5, 3), exact[3 * 64 + 5]);
    TShadowMap half(ground.get(), TString(path("exact.sdm").c_str()), 2);
    EXPECT_EQ(half.width, 32);
    EXPECT_EQ(*half.pixelAddress(5, 3), exact[3 * 32 + 5]);

    TShadowMap tooLong(ground.get(), TString(path("long.sdm").c_str()), 1);
    EXPECT_EQ(*tooLong.pixelAddress(63, 63), exact.back());
    EXPECT_NE(logText().find("long.sdm': 100 bytes beyond the 64 x 64 map are ignored"), std::string::npos);

    for (const char* name : {"short.sdm", "missing.sdm"}) {
        TShadowMap white(ground.get(), TString(path(name).c_str()), 1);
        ASSERT_TRUE(white.hasPixels()) << name;
        for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(white.pixels[i], 255) << name;
    }
    EXPECT_NE(logText().find("short.sdm': holds 1000 of the 4096 bytes of a 64 x 64 map"), std::string::npos);
    EXPECT_NE(logText().find("missing.sdm': cannot be opened"), std::string::npos);

    // No heights: no map at all (the engine then uses a white stand-in).
    auto flat = makeGround("missing.tga", "no_map.tga");
    TShadowMap empty(flat.get(), TString(path("exact.sdm").c_str()), 1);
    EXPECT_FALSE(empty.hasPixels());
}
