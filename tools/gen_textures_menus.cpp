// menu_elemente.tga: the sheet the top bar and both in-game menus cut their
// pictures from. Each region below is given by the texture coordinates its
// quad uses and drawn in the units of that quad on the 640 x 480 overlay, so
// it keeps its proportions on screen whatever its texel aspect. Everything
// outside the regions stays transparent.

#include <algorithm>
#include <cmath>
#include <vector>

#include "gen_textures.h"

namespace textures {

using paint::Color;
using paint::Region;
using paint::Vec2;

namespace {

constexpr Region kLifeIcon = {0.0f, 0.24f, 1.0f, 0.8f};
constexpr Region kLifeFrame = {0.24f, 0.98f, 1.0f, 0.92f};
constexpr Region kLifeFill = {0.24f, 0.98f, 0.9f, 0.83f};
constexpr Region kGoldIcon = {0.0f, 0.195f, 0.79f, 0.6f};
constexpr Region kGoldBlink = {0.0f, 0.195f, 0.4f, 0.2f};
constexpr Region kGoldFill = {0.24f, 0.98f, 0.81f, 0.73f};
constexpr Region kBalloonIcon = {0.225f, 0.43f, 0.6f, 0.4f};
// The menus' own rectangle and every button share this one.
constexpr Region kPanel = {0.5f, 1.0f, 0.453125f, 0.0f};

// Gauge quads are 190 x 21 overlay units; the fill lies over the frame.
constexpr float kBarW = 190.0f;
constexpr float kBarH = 21.0f;
constexpr float kBarBorder = 2.5f;

const Color kTransparent{0, 0, 0, 0};
const Color kOutline = paint::rgb(40, 22, 8);

// Brass: brighter where t (0..1 across a band) is in the middle.
Color brass(float t, float light) {
    const float b = 0.55f + 0.45f * std::sin(paint::clamp01(t) * 3.14159265f) + light;
    return {std::min(1.0f, 0.86f * b), std::min(1.0f, 0.66f * b), std::min(1.0f, 0.26f * b), 1.0f};
}

Color barFrame(float x, float y) {
    const float d = paint::sdBox({x, y}, {0.5f, 0.5f}, {kBarW - 0.5f, kBarH - 0.5f}, 5.0f);
    if (d > 0.0f) return kTransparent;
    if (-d < kBarBorder) return brass(-d / kBarBorder, 0.15f * (1.0f - y / kBarH));
    return {0.04f, 0.04f, 0.08f, 0.6f};  // the empty gauge: dark glass
}

// The fill leaves the frame's border free, so the frame shows round it.
Color barFill(float x, float y, Color bright, Color mid, Color dark) {
    const float d = paint::sdBox({x, y}, {kBarBorder + 0.5f, kBarBorder + 0.5f},
                                 {kBarW - kBarBorder - 0.5f, kBarH - kBarBorder - 0.5f}, 3.0f);
    if (d > 0.0f) return kTransparent;
    const float v = (y - kBarBorder) / (kBarH - 2.0f * kBarBorder);
    Color c = v < 0.45f ? paint::mix(bright, mid, v / 0.45f) : paint::mix(mid, dark, (v - 0.45f) / 0.55f);
    const float gloss = 0.35f * (1.0f - paint::smoothstep(0.1f, 0.3f, v));
    return paint::mix(c, {1, 1, 1, 1}, gloss);
}

Color heart(float x, float y) {
    const Vec2 p{x, y};
    static const Vec2 point[] = {{5.6f, 17.5f}, {20.0f, 35.0f}, {34.4f, 17.5f}, {20.0f, 12.0f}};
    float d = std::min(paint::sdCircle(p, {13.5f, 14.5f}, 8.8f), paint::sdCircle(p, {26.5f, 14.5f}, 8.8f));
    d = std::min(d, paint::sdPolygon(p, point));
    if (d > 1.6f) return kTransparent;
    if (d > 0.0f) return kOutline;
    Color c = paint::mix(paint::rgb(236, 52, 44), paint::rgb(128, 8, 12), paint::clamp01((y - 8.0f) / 26.0f));
    const float shine = std::exp(-((x - 12.5f) * (x - 12.5f) + (y - 12.5f) * (y - 12.5f)) / 10.0f);
    return paint::mix(c, paint::rgb(255, 210, 200), 0.8f * shine);
}

// c turned towards tint by weight x tint.a; c keeps its alpha.
Color tinted(Color c, Color tint, float weight) {
    const Color m = paint::mix(c, tint, weight * tint.a);
    return paint::withAlpha(m, c.a);
}

// A coin lying flat at (cx, cy): its face, with its edge showing below.
Color coin(Vec2 p, float cx, float cy, Color tint) {
    const Vec2 r{7.0f, 3.0f};
    const float face = paint::sdEllipse(p, {cx, cy}, r);
    const float edge = std::min(paint::sdEllipse(p, {cx, cy + 1.6f}, r), paint::sdBox(p, {cx - r.x, cy}, {cx + r.x, cy + 1.6f}));
    const float outer = std::min(face, edge);
    if (outer > 1.0f) return kTransparent;
    if (outer > 0.0f) return kOutline;
    if (face > 0.0f) return tinted(paint::rgb(150, 96, 10), tint, 0.3f);
    const float inner = paint::sdEllipse(p, {cx, cy}, {5.0f, 2.0f});
    Color c = inner < 0.0f ? paint::rgb(255, 214, 70) : paint::rgb(226, 168, 30);
    c = tinted(c, tint, 0.45f);
    const float shine = std::exp(-((p.x - cx + 2.5f) * (p.x - cx + 2.5f) + (p.y - cy + 1.0f) * (p.y - cy + 1.0f)) / 3.0f);
    return paint::mix(c, paint::rgb(255, 250, 210), 0.7f * shine);
}

// A heap of coins in a 35 x 40 quad; drawn back to front. tint.a > 0 turns
// them towards tint and puts a glow of that colour behind (the warning).
Color coins(float x, float y, Color tint) {
    const Vec2 p{x, y};
    // Stacks from the back, each coin from the bottom up; the last one
    // painted wins, so search from the front.
    static const float stack[][2] = {{10.0f, 31.0f}, {10.0f, 27.5f}, {10.0f, 24.0f}, {10.0f, 20.5f},
                                     {25.0f, 31.0f}, {25.0f, 27.5f}, {25.0f, 24.0f}, {17.5f, 33.5f},
                                     {17.5f, 30.0f}, {17.5f, 26.5f}, {17.5f, 23.0f}, {17.5f, 19.5f},
                                     {17.5f, 16.0f}, {17.5f, 12.5f}};
    for (int i = static_cast<int>(sizeof(stack) / sizeof(stack[0])) - 1; i >= 0; --i) {
        const Color c = coin(p, stack[i][0], stack[i][1], tint);
        if (c.a > 0.0f) return c;
    }
    if (tint.a > 0.0f) {
        const float g = std::exp(-((x - 17.5f) * (x - 17.5f) / 140.0f + (y - 24.0f) * (y - 24.0f) / 160.0f));
        return paint::withAlpha(tint, 0.9f * g);
    }
    return kTransparent;
}

Color balloon(float x, float y) {
    const Vec2 p{x, y};
    static const Vec2 taper[] = {{8.6f, 18.0f}, {31.4f, 18.0f}, {23.5f, 29.5f}, {16.5f, 29.5f}};
    const float env = std::min(paint::sdCircle(p, {20.0f, 14.0f}, 11.5f), paint::sdPolygon(p, taper));
    const float basket = paint::sdBox(p, {16.5f, 32.5f}, {23.5f, 38.0f}, 1.0f);
    const float ropes = std::min(paint::sdSegment(p, {17.0f, 29.0f}, {17.5f, 33.0f}, 0.5f),
                                 paint::sdSegment(p, {23.0f, 29.0f}, {22.5f, 33.0f}, 0.5f));
    const float all = std::min(std::min(env, basket), ropes);
    if (all > 1.3f) return kTransparent;
    if (ropes <= 0.0f && env > 0.0f && basket > 0.0f) return paint::rgb(90, 60, 30);
    if (all > 0.0f) return kOutline;
    if (basket <= 0.0f) return paint::mix(paint::rgb(170, 112, 52), paint::rgb(100, 60, 24), (y - 32.5f) / 5.5f);
    // Envelope in stripes that narrow towards the bottom, shaded round.
    const float a = std::atan2(x - 20.0f, 12.0f);
    const bool red = static_cast<int>(std::floor((a + 1.6f) * 3.0f)) % 2 == 0;
    Color c = red ? paint::rgb(214, 40, 32) : paint::rgb(248, 210, 60);
    c = paint::mix(c, paint::rgb(40, 10, 10), 0.4f * paint::smoothstep(4.0f, 12.0f, std::fabs(x - 20.0f)));
    const float shine = std::exp(-((x - 15.5f) * (x - 15.5f) + (y - 8.5f) * (y - 8.5f)) / 12.0f);
    return paint::mix(c, {1, 1, 1, 1}, 0.6f * shine);
}

// The panel behind the in-game menus and their buttons: a brass frame round
// dark stone. Drawn in the menus' 620 x 460 units; buttons show it smaller.
Color panel(float x, float y) {
    constexpr float kW = 620.0f, kH = 460.0f, kBorder = 14.0f;
    const float d = paint::sdBox({x, y}, {1.0f, 1.0f}, {kW - 1.0f, kH - 1.0f}, 18.0f);
    if (d > 0.0f) return kTransparent;
    const float depth = -d;
    const float light = 0.18f * (1.0f - x / kW - y / kH);
    if (depth < kBorder) return brass(depth / kBorder, light);
    const float n = paint::fbm2(x / 40.0f, y / 40.0f, 4, 0, 0, 71u);
    Color c = paint::mix(paint::rgb(20, 24, 40), paint::rgb(38, 44, 66), 0.5f + 0.6f * n);
    c = paint::mix(c, paint::rgb(8, 8, 16), 0.5f * (1.0f - paint::smoothstep(kBorder, kBorder + 40.0f, depth)));
    if (depth > kBorder + 8.0f && depth < kBorder + 10.0f) return brass(0.5f, light - 0.2f);
    return c;
}

}  // namespace

void writeMenuTextures(TextureSet& set) {
    gen::Image img(512, 512, 4);
    paint::paintRegion(img, kLifeIcon, 40, 40, heart);
    paint::paintRegion(img, kLifeFrame, kBarW, kBarH, barFrame);
    paint::paintRegion(img, kLifeFill, kBarW, kBarH, [](float x, float y) {
        return barFill(x, y, paint::rgb(255, 120, 110), paint::rgb(210, 24, 20), paint::rgb(96, 0, 4));
    });
    paint::paintRegion(img, kGoldIcon, 35, 40, [](float x, float y) { return coins(x, y, kTransparent); });
    paint::paintRegion(img, kGoldBlink, 35, 40,
                       [](float x, float y) { return coins(x, y, paint::rgb(255, 40, 20, 1.0f)); });
    paint::paintRegion(img, kGoldFill, kBarW, kBarH, [](float x, float y) {
        return barFill(x, y, paint::rgb(255, 244, 150), paint::rgb(236, 180, 30), paint::rgb(130, 84, 0));
    });
    paint::paintRegion(img, kBalloonIcon, 40, 40, balloon);
    paint::paintRegion(img, kPanel, 620, 460, panel);
    paint::bleedTransparent(img);
    set.write("menu_elemente.tga", img);
}

}  // namespace textures
