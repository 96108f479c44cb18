// Effect textures: the slices of the two fire 3D textures (frames of fire
// that loop, since the third texture coordinate repeats), the blood and magic
// particle sprites, and the water's tiling normal map.

#include <algorithm>
#include <cmath>
#include <string>

#include "gen_textures.h"

namespace textures {

using paint::Color;

namespace {

constexpr int kSpriteSize = 64;

// Black-red through orange and yellow to white as heat runs from 0 to 1.
Color fireRamp(float heat) {
    const Color stops[] = {paint::rgb(110, 8, 0), paint::rgb(236, 70, 6), paint::rgb(255, 168, 34),
                           paint::rgb(255, 236, 150), paint::rgb(255, 255, 236)};
    const float f = paint::clamp01(heat) * 4.0f;
    const int i = std::min(static_cast<int>(f), 3);
    return paint::mix(stops[i], stops[i + 1], f - i);
}

// Slice `slice` of `count`: the noise runs once round its period in z over
// the slices, so the last slice leads back into the first.
gen::Image fireSlice(int slice, int count, bool ball) {
    const int period = ball ? 2 : 4;
    const float z = static_cast<float>(slice) * period / count;
    gen::Image img(kSpriteSize, kSpriteSize, 4);
    paint::fillAll(img, [&](float x, float y) {
        const float u = 2.0f * x / kSpriteSize - 1.0f;
        const float v = 2.0f * y / kSpriteSize - 1.0f;
        const float r = std::sqrt(u * u + v * v);
        const float turb = paint::fbm3(u * 2.2f + 8.0f, v * 2.2f + 8.0f, z, 4, 0, 0, period, ball ? 5u : 9u);
        float heat;
        if (ball)
            heat = 1.0f - paint::smoothstep(0.0f, 0.95f, r + 0.35f * turb);
        else
            heat = 1.0f - paint::smoothstep(0.0f, 0.9f, r + 0.6f * turb - 0.1f * v);
        const float edge = 1.0f - paint::smoothstep(0.85f, 0.98f, r);
        Color c = fireRamp(heat * 0.92f);
        c.a = paint::smoothstep(0.0f, 0.4f, heat) * edge;
        return c;
    });
    return img;
}

gen::Image bloodParticle() {
    gen::Image img(kSpriteSize, kSpriteSize, 4);
    paint::fillAll(img, [](float x, float y) {
        const float u = 2.0f * x / kSpriteSize - 1.0f;
        const float v = 2.0f * y / kSpriteSize - 1.0f;
        const float r = std::sqrt(u * u + v * v);
        const float a = std::atan2(v, u);
        const float ragged = 0.18f * paint::noise2(std::cos(a) * 2.0f + 3.0f, std::sin(a) * 2.0f + 3.0f, 0, 0, 21u);
        float body = 1.0f - paint::smoothstep(0.42f, 0.62f, r + ragged);
        // A few droplets around the splash.
        const float drops[4][3] = {{0.66f, -0.3f, 0.09f}, {-0.55f, 0.5f, 0.07f}, {0.2f, 0.72f, 0.06f}, {-0.7f, -0.4f, 0.05f}};
        for (const auto& d : drops)
            body = std::max(body, 1.0f - paint::smoothstep(-0.03f, 0.03f, paint::sdCircle({u, v}, {d[0], d[1]}, d[2])));
        const float shine = std::exp(-((u + 0.18f) * (u + 0.18f) + (v + 0.2f) * (v + 0.2f)) * 18.0f);
        Color c = paint::mix(paint::rgb(70, 0, 0), paint::rgb(170, 10, 8), 1.0f - r);
        c = paint::mix(c, paint::rgb(230, 90, 80), 0.5f * shine);
        c.a = body * (1.0f - paint::smoothstep(0.9f, 0.98f, r));
        return c;
    });
    return img;
}

gen::Image magicParticle() {
    gen::Image img(kSpriteSize, kSpriteSize, 4);
    paint::fillAll(img, [](float x, float y) {
        const float u = 2.0f * x / kSpriteSize - 1.0f;
        const float v = 2.0f * y / kSpriteSize - 1.0f;
        const float r2 = u * u + v * v;
        const float rays = std::exp(-std::fabs(u) * 22.0f) * std::exp(-std::fabs(v) * 2.5f) +
                           std::exp(-std::fabs(v) * 22.0f) * std::exp(-std::fabs(u) * 2.5f);
        const float glow = std::exp(-r2 * 5.0f) * 0.85f + 0.5f * rays;
        Color c = paint::mix(paint::rgb(90, 110, 255), paint::rgb(240, 236, 255), std::exp(-r2 * 14.0f));
        c.a = paint::clamp01(glow) * (1.0f - paint::smoothstep(0.8f, 0.98f, std::sqrt(r2)));
        return c;
    });
    return img;
}

// A tangent-space normal map of rolling waves: (n + 1) / 2 in each byte,
// x along s, y along t (up the picture), z out of the surface. The height
// noise repeats across the picture, so the map tiles.
gen::Image perlinNormals() {
    constexpr int kSize = 256;
    constexpr int kCells = 8;
    std::vector<float> h(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            h[y * kSize + x] = paint::fbm2(static_cast<float>(x) * kCells / kSize, static_cast<float>(y) * kCells / kSize,
                                           4, kCells, kCells, 33u, 0.5f);
    auto at = [&](int x, int y) { return h[((y + kSize) % kSize) * kSize + (x + kSize) % kSize]; };
    gen::Image img(kSize, kSize, 3);
    constexpr float kStrength = 10.0f;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f;
            const float dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f;  // image y runs down, t up
            float n[3] = {-dx * kStrength, dy * kStrength, 1.0f};
            const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            uint8_t b[3];
            for (int i = 0; i < 3; ++i) b[i] = static_cast<uint8_t>(std::lround((n[i] / l + 1.0f) * 127.5f));
            img.set(x, y, b[0], b[1], b[2]);
        }
    return img;
}

}  // namespace

void writeEffectTextures(TextureSet& set) {
    for (int i = 0; i < 4; ++i) set.write("fireball" + std::to_string(i) + ".tga", fireSlice(i, 4, true));
    for (int i = 0; i < 16; ++i) set.write("fires" + std::to_string(i) + ".tga", fireSlice(i, 16, false));
    gen::Image blood = bloodParticle();
    paint::bleedTransparent(blood);
    set.write("bloodparticle.tga", blood);
    set.write("magicparticle.tga", magicParticle());
    set.write("perlinnormals.tga", perlinNormals());
}

}  // namespace textures
