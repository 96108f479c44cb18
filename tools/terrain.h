#pragma once
// The level's ground as a function: the island's height at any world point,
// the road network, the way-point sites along the roads and the 24-bit height
// encoding. The terrain images and the way-point file are both built from it,
// so roads, sites and heights agree.
//
// World (x, y) is pixel (column, row); z grows downward, water at z = 500.

#include <cstdint>
#include <vector>

#include "layout.h"

namespace terrain {

// A whole-pixel position on the terrain images.
struct Pixel {
    int x, y;
};

// The map pixel of a site (its nearest pixel).
Pixel sitePixel(layout::Site site);

// Land is at z < kLandZ; the sea floor lies below the water (z > 500).
constexpr float kLandZ = 495.0f;
// The castle stands on a raised plateau at this height.
constexpr float kCastlePlateauZ = 462.0f;
// Castle end points lie on a ring of this radius around the castle; a house's
// end point lies this far from the house toward the castle.
constexpr float kCastleRingRadius = 50.0f;
constexpr float kHouseEndDistance = 20.0f;
// Way points along a road are at least this far apart.
constexpr float kWayPointSpacing = 50.0f;
// Half-width of the visible road surface (trees keep further off, see layout).
constexpr float kRoadSurfaceHalfWidth = 7.0f;

// Ends of road `house`: the castle end on the castle ring and the house end
// near the house, both whole-pixel positions.
Pixel castleEnd(int house);
Pixel houseEnd(int house);

// Ground z at a world point, before quantisation (always within 0 .. 512).
float groundZ(float x, float y);
// Radius of the coastline in the direction `angle` (radians) from the centre.
float coastRadius(float angle);
// Distance to the nearest road centre line (the roads from the houses to the
// castle ring, and the ring itself).
float roadDistance(float x, float y);

// 24-bit fixed point: z = 512 - value / 32768. `encodeHeight` rounds and
// clamps to 0 .. 2^24 - 1.
uint32_t encodeHeight(float z);
float decodeHeight(uint32_t value);

// Smooth value noise on a square lattice of `cells` x `cells` cells with
// values in 0 .. 1; `periodic` wraps the lattice so tiles repeat seamlessly.
class ValueNoise {
public:
    ValueNoise(int cells, uint64_t seed, bool periodic);
    // u, v in lattice cells (0 .. cells).
    float at(float u, float v) const;

private:
    float value(int i, int j) const;
    int cells_;
    bool periodic_;
    std::vector<float> values_;  // (cells + 1) squared
};

float smoothstep(float edge0, float edge1, float x);

}  // namespace terrain
