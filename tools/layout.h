#pragma once
// The level's layout, shared by every generator that places something: the
// terrain (height image, level map), the way-point file and the minimap all
// read the sites and roads from here, so they agree with each other.
//
// World (x, y) is pixel (column, row) of the 2048 x 2048 terrain images; z
// grows downward and the water lies at z = 500.

#include <cmath>

namespace layout {

constexpr int kWorldSize = 2048;
constexpr float kWaterZ = 500.0f;
constexpr float kIslandRadius = 850.0f;   // sea beyond about this distance from the centre

struct Site {
    float x, y;
};

constexpr Site kCastle = {1024.0f, 1024.0f};

// Dwarf houses on a ring around the castle; one straight road from each house
// to the castle.
constexpr int kHouseCount = 5;
constexpr float kHouseRingRadius = 560.0f;
inline Site house(int i) {
    const float a = (90.0f + 72.0f * i) * 3.14159265f / 180.0f;
    return {kCastle.x + kHouseRingRadius * std::cos(a), kCastle.y + kHouseRingRadius * std::sin(a)};
}

// Defense towers between the roads.
constexpr int kTowerCount = 6;
inline Site tower(int i) {
    if (i == kTowerCount - 1) {
        const float a = 0.0f;
        return {kCastle.x + 680.0f * std::cos(a), kCastle.y + 680.0f * std::sin(a)};
    }
    const float a = (126.0f + 72.0f * i) * 3.14159265f / 180.0f;
    return {kCastle.x + 330.0f * std::cos(a), kCastle.y + 330.0f * std::sin(a)};
}

// Half-width of a road: no tree or tower stands closer to a road's centre line.
constexpr float kRoadHalfWidth = 24.0f;
// Radius of the flat plateau under the castle and of the flat discs under
// houses and towers.
constexpr float kCastlePlateauRadius = 90.0f;
constexpr float kSiteDiscRadius = 30.0f;

}  // namespace layout
