#include "terrain_pictures.h"

#include <algorithm>
#include <cmath>

#include "common.h"
#include "terrain.h"

namespace terrain {

namespace {

// Direction toward the sun in (x, y, up): the engine's light (0, -0.707, -0.707)
// with z pointing down. The sun stands 45 degrees high, so a shadow ray drops
// one unit of height per unit of ground.
constexpr float kSunY = -0.70710678f;
constexpr float kSunUp = 0.70710678f;

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(std::min(255.0f, std::max(0.0f, v)))); }

struct Rgb {
    float r, g, b;
};

Rgb mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Steepness: length of the height gradient at a pixel.
float slope(const HeightGrid& g, int x, int y) {
    const float dx = (g.at(x + 1, y) - g.at(x - 1, y)) * 0.5f;
    const float dy = (g.at(x, y + 1) - g.at(x, y - 1)) * 0.5f;
    return std::sqrt(dx * dx + dy * dy);
}

// Darkens a soft disc where an object throws its shadow (away from the sun).
void objectShadow(std::vector<uint8_t>& light, int w, int h, const MapObject& o) {
    float radius = 4.0f, offset = 6.0f;
    if (o.code == kMapCastle) radius = 16.0f, offset = 16.0f;
    if (o.code == kMapTower) radius = 5.0f, offset = 12.0f;
    if (o.code == kMapHouse) radius = 5.0f, offset = 5.0f;
    const float cx = static_cast<float>(o.x), cy = static_cast<float>(o.y) + offset;
    const int r = static_cast<int>(radius) + 2;
    for (int y = static_cast<int>(cy) - r; y <= static_cast<int>(cy) + r; ++y) {
        for (int x = o.x - r; x <= o.x + r; ++x) {
            if (x < 0 || y < 0 || x >= w || y >= h) continue;
            const float d = std::hypot(x - cx, y - cy);
            const float f = 1.0f - 0.45f * (1.0f - smoothstep(radius - 1.5f, radius + 1.0f, d));
            uint8_t& p = light[static_cast<size_t>(y) * w + x];
            p = toByte(p * f);
        }
    }
}

gen::Image minimap(const HeightGrid& g, const std::vector<uint8_t>& light) {
    constexpr int kSize = 256;
    gen::Image img(kSize, kSize, 3);
    const int step = g.width / kSize;
    for (int j = 0; j < kSize; ++j) {
        for (int i = 0; i < kSize; ++i) {
            const int x = i * step + step / 2, y = j * step + step / 2;
            const float z = g.at(x, y);
            Rgb c;
            if (z >= 500.0f) {
                c = mix({110, 180, 240}, {40, 90, 190}, std::min(1.0f, (z - 500.0f) / 11.0f));
            } else if (z >= 491.0f) {
                c = {240, 225, 170};
            } else {
                c = mix({125, 205, 95}, {70, 150, 60}, smoothstep(480.0f, 430.0f, z));
                c = mix(c, {170, 162, 150}, smoothstep(420.0f, 405.0f, z));
                if (roadDistance(static_cast<float>(x), static_cast<float>(y)) < 10.0f) c = {190, 140, 90};
            }
            const float l = z >= 500.0f ? 1.0f : 0.4f + 0.6f * light[static_cast<size_t>(y) * g.width + x] / 203.0f;
            img.set(i, j, toByte(c.r * l), toByte(c.g * l), toByte(c.b * l));
        }
    }
    return img;
}

// Blend weights of the three surface textures: red grass (tile1), green rock
// (tile2), blue sand and earth (tile3); they add up to 255.
gen::Image blendMap(const HeightGrid& g) {
    constexpr int kSize = 512;
    gen::Image img(kSize, kSize, 3);
    const int step = g.width / kSize;
    for (int j = 0; j < kSize; ++j) {
        for (int i = 0; i < kSize; ++i) {
            const int x = i * step + step / 2, y = j * step + step / 2;
            const float z = g.at(x, y);
            const float road =
                1.0f - smoothstep(kRoadSurfaceHalfWidth - 2.0f, kRoadSurfaceHalfWidth + 3.0f,
                                  roadDistance(static_cast<float>(x), static_cast<float>(y)));
            const float sand = std::max(smoothstep(488.0f, 496.0f, z), road);
            const float rock = std::max(smoothstep(0.45f, 0.9f, slope(g, x, y)), smoothstep(430.0f, 410.0f, z));
            const float w2 = rock * (1.0f - sand);
            const int r = static_cast<int>(std::lround((1.0f - sand - w2) * 255.0f));
            const int gr = static_cast<int>(std::lround(w2 * 255.0f));
            img.set(i, j, static_cast<uint8_t>(r), static_cast<uint8_t>(gr), static_cast<uint8_t>(255 - r - gr));
        }
    }
    return img;
}

// A seamless surface texture: a colour ramp over periodic noise, with thin
// darker veins where `veins` is set.
gen::Image surface(uint64_t seed, Rgb dark, Rgb bright, bool veins) {
    constexpr int kSize = 256;
    const ValueNoise coarse(8, seed, true), mid(32, seed + 1, true), fine(128, seed + 2, true);
    const ValueNoise vein(16, seed + 3, true);
    gen::Image img(kSize, kSize, 3);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float u = static_cast<float>(x) / kSize, v = static_cast<float>(y) / kSize;
            float n = 0.4f * coarse.at(u * 8, v * 8) + 0.35f * mid.at(u * 32, v * 32) + 0.25f * fine.at(u * 128, v * 128);
            if (veins) n *= 0.55f + 0.45f * smoothstep(0.0f, 0.05f, std::fabs(vein.at(u * 16, v * 16) - 0.5f));
            const Rgb c = mix(dark, bright, std::min(1.0f, std::max(0.0f, (n - 0.25f) * 2.0f)));
            img.set(x, y, toByte(c.r), toByte(c.g), toByte(c.b));
        }
    }
    return img;
}

}  // namespace

std::vector<uint8_t> lightMap(const HeightGrid& g, const std::vector<MapObject>& objects) {
    const int w = g.width, h = g.height;
    std::vector<uint8_t> light(static_cast<size_t>(w) * h);
    for (int x = 0; x < w; ++x) {
        // Highest shadow ray (as elevation 512 - z) arriving at this row from
        // the rows toward the sun.
        float ray = -1.0e9f;
        for (int y = 0; y < h; ++y) {
            const float e = 512.0f - g.at(x, y);
            const float shade = 1.0f - 0.7f * smoothstep(0.0f, 3.0f, ray - e);
            ray = std::max(ray, e) - 1.0f;
            const float nx = -(g.at(x - 1, y) - g.at(x + 1, y)) * 0.5f;  // -d(elevation)/dx
            const float ny = -(g.at(x, y - 1) - g.at(x, y + 1)) * 0.5f;
            const float diffuse = std::max(0.0f, (ny * kSunY + kSunUp) / std::sqrt(nx * nx + ny * ny + 1.0f));
            light[static_cast<size_t>(y) * w + x] = toByte(255.0f * (0.3f + 0.7f * diffuse * shade));
        }
    }
    for (const MapObject& o : objects) objectShadow(light, w, h, o);
    return light;
}

bool writeGroundPictures(const std::string& out, const HeightGrid& g, const std::vector<MapObject>& objects) {
    const std::vector<uint8_t> light = lightMap(g, objects);
    return gen::writeFile(out + "/terrain/shadowtest.sdm", light) &&
           gen::writeTga(out + "/tex/minimap.tga", minimap(g, light), false) &&
           gen::writeTga(out + "/tex/bodenalpha.tga", blendMap(g), false) &&
           gen::writeTga(out + "/tex/tile1.tga", surface(0x6a55ull, {48, 104, 36}, {118, 172, 74}, false)) &&
           gen::writeTga(out + "/tex/tile2.tga", surface(0x70c4ull, {88, 84, 78}, {168, 162, 150}, true)) &&
           gen::writeTga(out + "/tex/tile3.tga", surface(0x5a2dull, {150, 124, 84}, {214, 192, 142}, false));
}

}  // namespace terrain
