// The intro's cloud pictures (drawn blended, so their edges fade out well
// inside the picture: the intro shows texture coordinates 0..0.99) and the
// two mist pictures.

#include <algorithm>
#include <cmath>
#include <vector>

#include "gen_textures.h"

namespace textures {

using paint::Color;
using paint::Vec2;

namespace {

struct Lobe {
    float x, y, r;
};

// A cumulus made of round lobes with a flat base at `base`, its outline
// roughened by noise. Lit from above: tops bright, base grey-blue.
gen::Image cloud(int w, int h, const std::vector<Lobe>& lobes, float base, uint32_t seed) {
    auto shape = [&](float u, float v) {
        float d = 1e9f;
        for (const Lobe& l : lobes) d = std::min(d, paint::sdCircle({u, v}, {l.x, l.y}, l.r));
        d = std::max(d, v - base);
        return d + 0.05f * paint::fbm2(u * 9.0f, v * 9.0f, 4, 0, 0, seed);
    };
    gen::Image img(w, h, 4);
    paint::fillAll(img, [&](float x, float y) {
        const float u = x / w;
        const float v = y / h;
        const float d = shape(u, v);
        const float lit = paint::clamp01(0.55f + (shape(u, v - 0.04f) - shape(u, v + 0.04f)) * 5.0f);
        const float depth = paint::smoothstep(0.0f, -0.12f, d);
        Color c = paint::mix(paint::rgb(150, 160, 190), paint::rgb(255, 252, 248), lit);
        c = paint::mix(c, paint::rgb(206, 210, 226), 0.35f * paint::smoothstep(base - 0.25f, base, v));
        const float border = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        c.a = paint::smoothstep(0.02f, -0.06f, d) * (0.75f + 0.25f * depth) * paint::smoothstep(0.0f, 0.05f, border);
        return c;
    });
    paint::bleedTransparent(img);
    return img;
}

// Mist: soft noise that tiles; `alpha` false gives an opaque grey picture.
gen::Image mist(int size, bool alpha, uint32_t seed) {
    gen::Image img(size, size, alpha ? 4 : 3);
    paint::fillAll(img, [&](float x, float y) {
        const float n = paint::fbm2(x * 4.0f / size, y * 4.0f / size, 5, 4, 4, seed);
        const float m = paint::smoothstep(-0.45f, 0.55f, n);
        Color c = paint::mix(paint::rgb(128, 134, 148), paint::rgb(232, 236, 242), m);
        c.a = alpha ? 0.75f * m : 1.0f;
        return c;
    });
    return img;
}

}  // namespace

void writeCloudTextures(TextureSet& set) {
    set.write("cloud.tga", cloud(256, 256,
                                 {{0.50f, 0.52f, 0.20f}, {0.33f, 0.58f, 0.15f}, {0.68f, 0.57f, 0.16f},
                                  {0.42f, 0.42f, 0.15f}, {0.60f, 0.40f, 0.14f}, {0.22f, 0.64f, 0.10f},
                                  {0.79f, 0.64f, 0.10f}},
                                 0.72f, 51u));
    set.write("cloud_small.tga", cloud(128, 128,
                                       {{0.50f, 0.55f, 0.18f}, {0.36f, 0.60f, 0.13f}, {0.64f, 0.60f, 0.13f},
                                        {0.46f, 0.44f, 0.13f}},
                                       0.70f, 52u));
    std::vector<Lobe> bank;
    for (int i = 0; i < 9; ++i) {
        const float x = 0.15f + 0.085f * i;
        bank.push_back({x, 0.60f - 0.08f * std::sin(i * 1.7f), 0.085f + 0.025f * std::cos(i * 2.3f)});
        if (i < 8) bank.push_back({x + 0.0425f, 0.68f, 0.075f});
    }
    set.write("Wolkenbank.tga", cloud(512, 256, bank, 0.80f, 53u));
    // The intro draws its fade overlay with Nebel bound: it stays opaque.
    set.write("Nebel.tga", mist(256, false, 61u));
    set.write("menu_nebel.tga", mist(256, true, 62u));
}

}  // namespace textures
