#include "terrain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common.h"

namespace terrain {

namespace {

struct Segment {
    float ax, ay, bx, by;
};

float segmentDistance(const Segment& s, float x, float y) {
    const float dx = s.bx - s.ax, dy = s.by - s.ay;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((x - s.ax) * dx + (y - s.ay) * dy) / len2 : 0.0f;
    t = std::min(1.0f, std::max(0.0f, t));
    const float px = s.ax + t * dx - x, py = s.ay + t * dy - y;
    return std::sqrt(px * px + py * py);
}

// Unit vector from the castle toward house `i`.
void roadDirection(int i, float& ux, float& uy) {
    const Pixel h = sitePixel(layout::house(i));
    const Pixel c = sitePixel(layout::kCastle);
    const float dx = static_cast<float>(h.x - c.x), dy = static_cast<float>(h.y - c.y);
    const float len = std::sqrt(dx * dx + dy * dy);
    ux = dx / len;
    uy = dy / len;
}

// The noise fields of the island, built once.
struct Fields {
    ValueNoise hills1{8, 0x51a7e11ull, false};    // cells of 256
    ValueNoise hills2{16, 0x3bd1c0ffull, false};  // 128
    ValueNoise hills3{32, 0x77aa01ull, false};    // 64
    ValueNoise hills4{64, 0x1234567ull, false};   // 32
    ValueNoise swell{10, 0xabcdefull, false};     // gentle undulation
    Segment roads[layout::kHouseCount];
};

const Fields& fields() {
    static const Fields f = [] {
        Fields r;
        for (int i = 0; i < layout::kHouseCount; ++i) {
            const Pixel a = castleEnd(i);
            const Pixel h = sitePixel(layout::house(i));
            r.roads[i] = {static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(h.x),
                          static_cast<float>(h.y)};
        }
        return r;
    }();
    return f;
}

// The coast radius from a table (the island's outline is smooth).
float coastRadiusTabled(float angle) {
    constexpr int kSteps = 4096;
    constexpr float kTwoPi = 6.28318531f;
    static const std::vector<float> table = [] {
        std::vector<float> t(kSteps + 1);
        for (int i = 0; i <= kSteps; ++i) t[i] = coastRadius(kTwoPi * i / kSteps);
        return t;
    }();
    float u = angle / kTwoPi;
    u = (u - std::floor(u)) * kSteps;
    const int i = std::min(kSteps - 1, static_cast<int>(u));
    return table[i] + (table[i + 1] - table[i]) * (u - i);
}

// The island without the flattened sites: coast, swell and hills.
float naturalZ(float x, float y) {
    const Fields& f = fields();
    const float dx = x - layout::kCastle.x, dy = y - layout::kCastle.y;
    const float r = std::sqrt(dx * dx + dy * dy);
    const float d = coastRadiusTabled(std::atan2(dy, dx)) - r;  // inland distance
    if (d < 0.0f) return 500.0f + 11.0f * (1.0f - std::exp(0.0509f * d));
    float z = 500.0f - 28.0f * (1.0f - std::exp(-d / 50.0f));
    const float u = x / 2048.0f, v = y / 2048.0f;
    z += 4.0f * (2.0f * f.swell.at(u * 10.0f, v * 10.0f) - 1.0f) * smoothstep(20.0f, 120.0f, d);
    const float n = 0.45f * f.hills1.at(u * 8.0f, v * 8.0f) + 0.3f * f.hills2.at(u * 16.0f, v * 16.0f) +
                    0.17f * f.hills3.at(u * 32.0f, v * 32.0f) + 0.08f * f.hills4.at(u * 64.0f, v * 64.0f);
    const float shape = smoothstep(0.4f, 0.8f, n);
    const float amp = 70.0f * smoothstep(60.0f, 260.0f, d) *
                      smoothstep(layout::kRoadHalfWidth + 10.0f, layout::kRoadHalfWidth + 90.0f, roadDistance(x, y));
    return z - amp * shape;
}

struct Disc {
    float x, y, radius, margin, z;
};

// The flat places: the castle plateau, then the houses' and towers' discs.
const std::vector<Disc>& discs() {
    static const std::vector<Disc> d = [] {
        std::vector<Disc> r;
        const Pixel c = sitePixel(layout::kCastle);
        r.push_back({static_cast<float>(c.x), static_cast<float>(c.y), layout::kCastlePlateauRadius, 70.0f,
                     kCastlePlateauZ});
        auto add = [&r](layout::Site s) {
            const Pixel p = sitePixel(s);
            const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
            r.push_back({x, y, layout::kSiteDiscRadius, 35.0f, naturalZ(x, y)});
        };
        for (int i = 0; i < layout::kHouseCount; ++i) add(layout::house(i));
        for (int i = 0; i < layout::kTowerCount; ++i) add(layout::tower(i));
        return r;
    }();
    return d;
}

}  // namespace

float smoothstep(float edge0, float edge1, float x) {
    float t = (x - edge0) / (edge1 - edge0);
    t = std::min(1.0f, std::max(0.0f, t));
    return t * t * (3.0f - 2.0f * t);
}

Pixel sitePixel(layout::Site site) {
    return {static_cast<int>(std::lround(site.x)), static_cast<int>(std::lround(site.y))};
}

Pixel castleEnd(int house) {
    float ux, uy;
    roadDirection(house, ux, uy);
    const Pixel c = sitePixel(layout::kCastle);
    return sitePixel({c.x + kCastleRingRadius * ux, c.y + kCastleRingRadius * uy});
}

Pixel houseEnd(int house) {
    float ux, uy;
    roadDirection(house, ux, uy);
    const Pixel h = sitePixel(layout::house(house));
    return sitePixel({h.x - kHouseEndDistance * ux, h.y - kHouseEndDistance * uy});
}

float coastRadius(float angle) {
    return layout::kIslandRadius + 30.0f * std::sin(3.0f * angle + 0.7f) + 18.0f * std::sin(5.0f * angle + 2.1f) +
           8.0f * std::sin(11.0f * angle + 0.3f);
}
float roadDistance(float x, float y) {
    const Fields& f = fields();
    const float dx = x - layout::kCastle.x, dy = y - layout::kCastle.y;
    float best = std::fabs(std::sqrt(dx * dx + dy * dy) - kCastleRingRadius);
    for (const Segment& s : f.roads) best = std::min(best, segmentDistance(s, x, y));
    return best;
}

float groundZ(float x, float y) {
    float z = naturalZ(x, y);
    for (const Disc& d : discs()) {
        const float dx = x - d.x, dy = y - d.y, reach = d.radius + d.margin;
        if (dx * dx + dy * dy >= reach * reach) continue;
        const float w = 1.0f - smoothstep(d.radius, reach, std::sqrt(dx * dx + dy * dy));
        z += (d.z - z) * w;
    }
    return std::min(512.0f, std::max(0.0f, z));
}

uint32_t encodeHeight(float z) {
    const double v = std::round((512.0 - static_cast<double>(z)) * 32768.0);
    return static_cast<uint32_t>(std::min(16777215.0, std::max(0.0, v)));
}

float decodeHeight(uint32_t value) { return 512.0f - static_cast<float>(value) / 32768.0f; }

ValueNoise::ValueNoise(int cells, uint64_t seed, bool periodic)
    : cells_(cells), periodic_(periodic), values_(static_cast<size_t>(cells + 1) * (cells + 1)) {
    gen::Rng rng(seed);
    for (float& v : values_) v = rng.uniform();
}

float ValueNoise::value(int i, int j) const {
    if (periodic_) {
        i = ((i % cells_) + cells_) % cells_;
        j = ((j % cells_) + cells_) % cells_;
    } else {
        i = std::min(cells_, std::max(0, i));
        j = std::min(cells_, std::max(0, j));
    }
    return values_[j * (cells_ + 1) + i];
}

float ValueNoise::at(float u, float v) const {
    const float fu = std::floor(u), fv = std::floor(v);
    const int i = static_cast<int>(fu), j = static_cast<int>(fv);
    float tu = u - fu, tv = v - fv;
    tu = tu * tu * (3.0f - 2.0f * tu);
    tv = tv * tv * (3.0f - 2.0f * tv);
    const float a = value(i, j) + (value(i + 1, j) - value(i, j)) * tu;
    const float b = value(i, j + 1) + (value(i + 1, j + 1) - value(i, j + 1)) * tu;
    return a + (b - a) * tv;
}

}  // namespace terrain
