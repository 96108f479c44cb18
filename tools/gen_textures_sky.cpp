// The sky: the game's cube map (bluesky_*), the intro's backdrop (sky_new)
// and the night picture (Nacht), plus the starry backdrop the screens share.

#include <algorithm>
#include <cmath>

#include "gen_textures.h"

namespace textures {

using paint::Color;
using paint::Vec2;

namespace {

constexpr int kFaceSize = 256;
constexpr float kPi = 3.14159265f;

struct Dir {
    float x, y, z;
};

Dir normalised(Dir d) {
    const float l = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / l, d.y / l, d.z / l};
}

// The world's sky by direction. The world's z grows downward, so the
// elevation above the horizon is asin(-z).
Color skyColour(Dir w) {
    const float el = std::asin(std::max(-1.0f, std::min(1.0f, -w.z)));
    const Color horizon = paint::rgb(150, 164, 242);  // close to the fog colour the far ground fades to
    const Color zenith = paint::rgb(48, 92, 196);
    // Below the horizon (under the ground and water, and towards the bottom
    // face, which shows the up image again): haze turning sky blue.
    if (el < 0.0f) return paint::mix(horizon, paint::rgb(96, 128, 214), paint::smoothstep(0.0f, 0.5f, -el));

    Color c = paint::mix(horizon, zenith, std::pow(el / (kPi * 0.5f), 0.55f));

    // Sun glow towards one side.
    const float sunAz = 0.7f, sunEl = 0.5f;
    const Dir sun = {std::cos(sunEl) * std::cos(sunAz), std::cos(sunEl) * std::sin(sunAz), -std::sin(sunEl)};
    const float cosSun = std::max(0.0f, w.x * sun.x + w.y * sun.y + w.z * sun.z);
    const float glow = 0.22f * std::pow(cosSun, 6.0f) + 0.9f * std::pow(cosSun, 400.0f);
    c = {c.r + glow, c.g + glow * 0.92f, c.b + glow * 0.75f, 1.0f};

    // Clouds on a layer above the world, thinning out towards the horizon.
    const float k = 1.0f / (-w.z + 0.08f);
    const float px = w.x * k * 1.4f;
    const float py = w.y * k * 1.4f;
    const float n = paint::fbm2(px + 17.0f, py + 5.0f, 5, 0, 0, 42u);
    const float cover = paint::smoothstep(0.02f, 0.42f, n) * paint::smoothstep(0.03f, 0.2f, el);
    if (cover > 0.0f) {
        const float lightN = paint::fbm2(px + 17.0f - 0.08f, py + 5.0f - 0.06f, 5, 0, 0, 42u);
        const float lit = paint::clamp01(0.6f + (lightN - n) * 6.0f);
        const Color cloud = paint::mix(paint::rgb(178, 186, 212), paint::rgb(252, 250, 246), lit);
        c = paint::mix(c, cloud, cover * 0.92f);
    }
    // Haze along the horizon.
    c = paint::mix(c, horizon, 0.5f * std::exp(-el * 14.0f));
    return c;
}

// One cube face in GL's texel order: texel (col, row) of the file lies at
// s = (col + 0.5) / N, t = (row + 0.5) / N, and the face's major axis turns
// (s, t) into the direction as the cube-map lookup defines it. The sky box is
// drawn rotated by +90 degrees about z, so the world sees direction d at
// (-d.y, d.x, d.z).
gen::Image cubeFace(int face) {
    gen::Image img(kFaceSize, kFaceSize, 3);
    for (int row = 0; row < kFaceSize; ++row)
        for (int col = 0; col < kFaceSize; ++col) {
            const float a = 2.0f * (col + 0.5f) / kFaceSize - 1.0f;
            const float b = 2.0f * (row + 0.5f) / kFaceSize - 1.0f;
            Dir d{};
            switch (face) {
                case 0: d = {1, -b, -a}; break;   // +X
                case 1: d = {-1, -b, a}; break;   // -X
                case 2: d = {a, 1, b}; break;     // +Y
                case 3: d = {a, -1, -b}; break;   // -Y
                default: d = {-a, -b, -1}; break;  // -Z, straight up in the world
            }
            d = normalised(d);
            const Color c = skyColour({-d.y, d.x, d.z});
            img.set(col, row, static_cast<uint8_t>(std::lround(255 * paint::clamp01(c.r))),
                    static_cast<uint8_t>(std::lround(255 * paint::clamp01(c.g))),
                    static_cast<uint8_t>(std::lround(255 * paint::clamp01(c.b))));
        }
    return img;
}

float starField(float x, float y, float cell, uint32_t seed) {
    const int cx = static_cast<int>(std::floor(x / cell));
    const int cy = static_cast<int>(std::floor(y / cell));
    float light = 0.0f;
    for (int j = cy - 1; j <= cy + 1; ++j)
        for (int i = cx - 1; i <= cx + 1; ++i) {
            if (paint::hash01(i, j, seed) > 0.16f) continue;
            const float sx = (i + paint::hash01(i, j, seed + 1)) * cell;
            const float sy = (j + paint::hash01(i, j, seed + 2)) * cell;
            const float bright = 0.3f + 0.7f * std::pow(paint::hash01(i, j, seed + 3), 3.0f);
            const float r2 = (x - sx) * (x - sx) + (y - sy) * (y - sy);
            light += bright * std::exp(-r2 / (0.35f + bright * 0.6f));
        }
    return light;
}

// The intro's backdrop: dawn below a starry night; the intro shows rows from
// the top down to t = 0.283 (image row 367 of 512).
gen::Image skyNew() {
    gen::Image img(512, 512, 3);
    paint::fillAll(img, [](float x, float y) {
        const float v = std::min(y / 367.0f, 1.0f);
        Color c = paint::mix(paint::rgb(14, 20, 62), paint::rgb(70, 82, 156), paint::smoothstep(0.0f, 0.6f, v));
        c = paint::mix(c, paint::rgb(236, 166, 132), paint::smoothstep(0.5f, 1.0f, v));
        // Sun glow under the horizon.
        const float g = std::exp(-((x - 300) * (x - 300) / 30000.0f + (y - 380) * (y - 380) / 9000.0f));
        c = paint::mix(c, paint::rgb(255, 226, 170), 0.8f * g);
        // Streaks of high cloud, lit from below.
        const float n = paint::fbm2(x / 150.0f, y / 16.0f, 4, 0, 0, 7u);
        const float streak = paint::smoothstep(0.1f, 0.5f, n) * paint::smoothstep(0.25f, 0.6f, v);
        c = paint::mix(c, paint::mix(paint::rgb(150, 130, 190), paint::rgb(255, 190, 160), v), 0.55f * streak);
        const float stars = starField(x, y, 9.0f, 3u) * (1.0f - paint::smoothstep(0.1f, 0.55f, v));
        return Color{c.r + stars, c.g + stars, c.b + stars, 1.0f};
    });
    return img;
}

// A night sky with a moon.
gen::Image nacht() {
    gen::Image img(256, 256, 3);
    paint::fillAll(img, [](float x, float y) {
        Color c = nightSky(x, y, 256, 256, 0.3f);
        const Vec2 moon{186, 62};
        const float d = paint::sdCircle({x, y}, moon, 20);
        const float halo = std::exp(-std::max(d, 0.0f) / 14.0f) * 0.35f;
        c = {c.r + halo * 0.8f, c.g + halo * 0.85f, c.b + halo, 1.0f};
        const float crater = 0.12f * paint::fbm2(x / 9.0f, y / 9.0f, 3, 0, 0, 11u);
        const Color surface = paint::rgb(236 - static_cast<int>(200 * crater), 232, 214);
        return paint::mix(c, surface, paint::coverage(d));
    });
    return img;
}

}  // namespace

Color nightSky(float x, float y, float w, float h, float dusk) {
    const float v = y / h;
    Color c = paint::mix(paint::rgb(4, 6, 24), paint::rgb(26, 32, 84), v);
    c = paint::mix(c, paint::rgb(120, 70, 96), dusk * paint::smoothstep(0.55f, 1.0f, v));
    const float stars = starField(x * 256.0f / w, y * 256.0f / w, 8.0f, 19u) * (1.0f - 0.8f * v);
    return {c.r + stars, c.g + stars, c.b + stars * 0.9f, 1.0f};
}

void writeSkyTextures(TextureSet& set) {
    // Faces in the cube map's order +X, -X, +Y, -Y; the up image serves -Z
    // (and +Z, below the ground).
    const char* names[] = {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga", "bluesky_lf.tga", "bluesky_up.tga"};
    for (int face = 0; face < 5; ++face) set.write(names[face], cubeFace(face), false);
    set.write("sky_new.tga", skyNew());
    set.write("Nacht.tga", nacht());
}

}  // namespace textures
