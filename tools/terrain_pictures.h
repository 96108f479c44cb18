#pragma once
// The pictures made from the finished ground: the light map with cast
// shadows, the minimap, the ground's blend map and its three repeating
// surface textures. All world-covering pictures map world (x, y) to texture
// (x / 2048, y / 2048), first row = world y 0.

#include <cstdint>
#include <string>
#include <vector>

namespace terrain {

// Level-map codes (first byte of a pixel).
constexpr uint8_t kMapTower = 50;
constexpr uint8_t kMapCastle = 100;
constexpr uint8_t kMapTree = 150;
constexpr uint8_t kMapHouse = 200;

// The quantised ground: z of every pixel, row after row.
struct HeightGrid {
    int width = 0;
    int height = 0;
    std::vector<float> z;
    // z at the pixel, clamped to the image.
    float at(int x, int y) const {
        x = x < 0 ? 0 : (x >= width ? width - 1 : x);
        y = y < 0 ? 0 : (y >= height ? height - 1 : y);
        return z[static_cast<size_t>(y) * width + x];
    }
};

struct MapObject {
    int x, y;
    uint8_t code;
};

// Writes terrain/shadowtest.sdm and tex/minimap.tga, tex/bodenalpha.tga,
// tex/tile1.tga .. tile3.tga below `out`. False, after a message on standard
// error, when a file cannot be written.
bool writeGroundPictures(const std::string& out, const HeightGrid& ground, const std::vector<MapObject>& objects);

// The light map alone: width x height luminance bytes, row after row.
std::vector<uint8_t> lightMap(const HeightGrid& ground, const std::vector<MapObject>& objects);

}  // namespace terrain
