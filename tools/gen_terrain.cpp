// Writes the level's ground: the height image, the level map with the castle,
// houses, towers and trees, the light map and the ground's pictures. It
// checks its own output before it reports success.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common.h"
#include "generators.h"
#include "layout.h"
#include "terrain.h"
#include "terrain_pictures.h"

namespace {

using terrain::HeightGrid;
using terrain::MapObject;

constexpr int kSize = layout::kWorldSize;
constexpr int kTreeTarget = 420;
constexpr float kTreeSpacing = 9.0f;
constexpr float kTreeMaxZ = 490.0f;

// Heights quantised exactly as the image stores them.
HeightGrid buildHeights() {
    HeightGrid g;
    g.width = g.height = kSize;
    g.z.resize(static_cast<size_t>(kSize) * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            g.z[static_cast<size_t>(y) * kSize + x] = terrain::decodeHeight(
                terrain::encodeHeight(terrain::groundZ(static_cast<float>(x), static_cast<float>(y))));
    return g;
}

std::vector<MapObject> placeSites() {
    std::vector<MapObject> objects;
    const terrain::Pixel c = terrain::sitePixel(layout::kCastle);
    objects.push_back({c.x, c.y, terrain::kMapCastle});
    for (int i = 0; i < layout::kHouseCount; ++i) {
        const terrain::Pixel p = terrain::sitePixel(layout::house(i));
        objects.push_back({p.x, p.y, terrain::kMapHouse});
    }
    for (int i = 0; i < layout::kTowerCount; ++i) {
        const terrain::Pixel p = terrain::sitePixel(layout::tower(i));
        objects.push_back({p.x, p.y, terrain::kMapTower});
    }
    return objects;
}

// How far a tree keeps from a placed object of each kind.
float clearance(uint8_t code) {
    switch (code) {
        case terrain::kMapCastle: return layout::kCastlePlateauRadius + 40.0f;
        case terrain::kMapHouse: return 45.0f;
        case terrain::kMapTower: return 40.0f;
        default: return kTreeSpacing;
    }
}

// Trees in loose woods: off the roads, the buildings and the water.
void placeTrees(const HeightGrid& g, std::vector<MapObject>& objects) {
    gen::Rng rng(0x73ee5ull);
    const terrain::ValueNoise woods(12, 0xf0e57ull, false);
    int placed = 0;
    for (int attempt = 0; attempt < 60000 && placed < kTreeTarget; ++attempt) {
        const int x = 8 + static_cast<int>(rng.next() % (kSize - 16));
        const int y = 8 + static_cast<int>(rng.next() % (kSize - 16));
        const float wood = terrain::smoothstep(0.42f, 0.68f, woods.at(x * 12.0f / kSize, y * 12.0f / kSize));
        if (rng.uniform() > 0.04f + 0.96f * wood) continue;
        if (g.at(x, y) >= kTreeMaxZ) continue;
        if (terrain::roadDistance(static_cast<float>(x), static_cast<float>(y)) < layout::kRoadHalfWidth + 6.0f)
            continue;
        bool free = true;
        for (const MapObject& o : objects) {
            if (std::hypot(static_cast<float>(x - o.x), static_cast<float>(y - o.y)) < clearance(o.code)) {
                free = false;
                break;
            }
        }
        if (!free) continue;
        objects.push_back({x, y, terrain::kMapTree});
        ++placed;
    }
}

gen::Image heightImage(const HeightGrid& g) {
    gen::Image img(kSize, kSize, 3);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const uint32_t v = terrain::encodeHeight(g.at(x, y));
            img.set(x, y, static_cast<uint8_t>(v & 0xff), static_cast<uint8_t>((v >> 8) & 0xff),
                    static_cast<uint8_t>(v >> 16));
        }
    }
    return img;
}

// The code goes into all three bytes, so the map reads the same in either
// byte order.
gen::Image levelMap(const std::vector<MapObject>& objects) {
    gen::Image img(kSize, kSize, 3);
    for (const MapObject& o : objects) img.set(o.x, o.y, o.code, o.code, o.code);
    return img;
}

bool fail(const char* what) {
    std::fprintf(stderr, "datagen: terrain check failed: %s\n", what);
    return false;
}

// Checks the level map as written: codes, counts, one castle, isolated pixels,
// everything standing on dry land, trees off the roads.
bool checkMap(const gen::Image& map, const HeightGrid& g) {
    int counts[256] = {};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const uint8_t v = map.at(x, y)[0];
            if (v == 0) continue;
            ++counts[v];
            if (v != terrain::kMapTower && v != terrain::kMapCastle && v != terrain::kMapTree && v != terrain::kMapHouse)
                return fail("level map holds an unknown code");
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < kSize && y + dy < kSize &&
                        map.at(x + dx, y + dy)[0] != 0)
                        return fail("two level-map objects touch");
            if (g.at(x, y) >= terrain::kLandZ) return fail("a level-map object stands in the water");
            if (v == terrain::kMapTree &&
                terrain::roadDistance(static_cast<float>(x), static_cast<float>(y)) < layout::kRoadHalfWidth)
                return fail("a tree stands on a road");
        }
    }
    if (counts[terrain::kMapCastle] != 1) return fail("the castle pixel is not unique");
    if (counts[terrain::kMapHouse] != layout::kHouseCount) return fail("wrong number of houses");
    if (counts[terrain::kMapTower] != layout::kTowerCount) return fail("wrong number of towers");
    if (counts[terrain::kMapTree] < 200) return fail("too few trees");
    return true;
}

// Checks the heights: within range, the sites flat, the island ringed by sea.
bool checkHeights(const HeightGrid& g, const std::vector<MapObject>& objects) {
    for (float z : g.z)
        if (!(z > 0.0f && z <= 512.0f)) return fail("height out of range");
    for (const MapObject& o : objects) {
        if (o.code == terrain::kMapTree) continue;
        const float r = o.code == terrain::kMapCastle ? layout::kCastlePlateauRadius : layout::kSiteDiscRadius;
        const float z0 = g.at(o.x, o.y);
        for (int dy = -static_cast<int>(r); dy <= static_cast<int>(r); ++dy)
            for (int dx = -static_cast<int>(r); dx <= static_cast<int>(r); ++dx)
                if (dx * dx + dy * dy <= r * r && std::fabs(g.at(o.x + dx, o.y + dy) - z0) > 0.01f)
                    return fail("ground under a building is not flat");
    }
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float r = std::hypot(x - layout::kCastle.x, y - layout::kCastle.y);
            if (r > layout::kIslandRadius + 110.0f && g.at(x, y) <= 500.0f) return fail("land beyond the coast");
        }
    }
    return true;
}

}  // namespace

bool generateTerrain(const std::string& out) {
    const HeightGrid ground = buildHeights();
    std::vector<MapObject> objects = placeSites();
    placeTrees(ground, objects);
    const gen::Image map = levelMap(objects);
    if (!checkHeights(ground, objects) || !checkMap(map, ground)) return false;
    return gen::writeTga(out + "/terrain/bodenheight1.tga", heightImage(ground), false) &&
           gen::writeTga(out + "/terrain/LevelMap_1.tga", map, false) &&
           terrain::writeGroundPictures(out, ground, objects);
}
