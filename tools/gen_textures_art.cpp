// Drawings several pictures share: the dragon and the castle, as signed
// distances in a 1 x 1 design box (x right, y down).

#include <algorithm>

#include "gen_textures.h"

namespace textures {

using paint::Vec2;

namespace {

float sdNearWing(Vec2 p) {
    // Bat wing: leading edge from the shoulder over the elbow to the tip, then
    // the membrane scalloped between the finger tips back to the body.
    static const Vec2 wing[] = {
        {0.56f, 0.50f}, {0.54f, 0.36f}, {0.49f, 0.24f}, {0.40f, 0.12f}, {0.27f, 0.03f}, {0.29f, 0.13f},
        {0.25f, 0.19f}, {0.18f, 0.22f}, {0.27f, 0.27f}, {0.30f, 0.33f}, {0.24f, 0.38f}, {0.33f, 0.41f},
        {0.37f, 0.45f}, {0.33f, 0.50f}, {0.42f, 0.51f}, {0.47f, 0.55f}};
    float d = paint::sdPolygon(p, wing);
    // The arm and finger bones stand out along the membrane.
    d = std::min(d, paint::sdSegment(p, {0.55f, 0.48f}, {0.49f, 0.24f}, 0.012f));
    d = std::min(d, paint::sdSegment(p, {0.49f, 0.24f}, {0.27f, 0.03f}, 0.008f));
    return d;
}

float sdHead(Vec2 p) {
    static const Vec2 head[] = {{0.73f, 0.33f}, {0.79f, 0.30f}, {0.86f, 0.32f}, {0.93f, 0.35f},
                                           {0.95f, 0.37f}, {0.90f, 0.38f}, {0.93f, 0.40f}, {0.86f, 0.41f},
                                           {0.79f, 0.42f}, {0.74f, 0.40f}};
    static const Vec2 horn1[] = {{0.76f, 0.33f}, {0.68f, 0.25f}, {0.79f, 0.31f}};
    static const Vec2 horn2[] = {{0.80f, 0.31f}, {0.76f, 0.23f}, {0.83f, 0.31f}};
    float d = paint::sdPolygon(p, head);
    d = std::min(d, paint::sdPolygon(p, horn1));
    d = std::min(d, paint::sdPolygon(p, horn2));
    return d;
}

}  // namespace

float sdDragonFarWing(Vec2 p) {
    static const Vec2 wing[] = {{0.57f, 0.48f}, {0.58f, 0.34f}, {0.62f, 0.22f}, {0.70f, 0.10f},
                                           {0.78f, 0.04f}, {0.74f, 0.14f}, {0.77f, 0.21f}, {0.70f, 0.24f},
                                           {0.71f, 0.31f}, {0.65f, 0.33f}, {0.64f, 0.42f}, {0.60f, 0.47f}};
    return paint::sdPolygon(p, wing);
}

float sdDragon(Vec2 p) {
    // Body, slightly raised towards the neck.
    float d = paint::sdEllipse(p, {0.50f, 0.545f}, {0.15f, 0.062f});
    d = std::min(d, paint::sdEllipse(p, {0.60f, 0.51f}, {0.07f, 0.055f}));
    // Neck up to the head, tail curling back behind.
    d = std::min(d, paint::sdTaperedCurve(p, {0.60f, 0.52f}, {0.72f, 0.50f}, {0.77f, 0.37f}, 0.045f, 0.026f));
    d = std::min(d, sdHead(p));
    d = std::min(d, paint::sdTaperedCurve(p, {0.40f, 0.57f}, {0.22f, 0.72f}, {0.07f, 0.60f}, 0.045f, 0.008f, 16));
    static const Vec2 tailTip[] = {{0.085f, 0.60f}, {0.02f, 0.54f}, {0.045f, 0.60f}, {0.01f, 0.66f}};
    d = std::min(d, paint::sdPolygon(p, tailTip));
    // Legs tucked under the body.
    d = std::min(d, paint::sdTaperedCurve(p, {0.59f, 0.56f}, {0.60f, 0.66f}, {0.66f, 0.67f}, 0.025f, 0.010f));
    d = std::min(d, paint::sdTaperedCurve(p, {0.41f, 0.57f}, {0.38f, 0.67f}, {0.44f, 0.70f}, 0.03f, 0.010f));
    // Spines along the back.
    for (int i = 0; i < 5; ++i) {
        const float x = 0.40f + 0.05f * i;
        const float y = 0.49f - 0.012f * i;
        const Vec2 spine[] = {{x - 0.018f, y + 0.01f}, {x - 0.01f, y - 0.035f}, {x + 0.018f, y + 0.01f}};
        d = std::min(d, paint::sdPolygon(p, spine));
    }
    return std::min(d, sdNearWing(p));
}

float sdCastle(Vec2 p) {
    // Hill.
    float d = paint::sdEllipse(p, {0.5f, 1.02f}, {0.62f, 0.16f});
    // Curtain wall with battlements.
    d = std::min(d, paint::sdBox(p, {0.18f, 0.66f}, {0.82f, 0.92f}));
    for (int i = 0; i < 11; ++i) {
        const float x = 0.19f + i * 0.06f;
        d = std::min(d, paint::sdBox(p, {x, 0.63f}, {x + 0.03f, 0.67f}));
    }
    // Corner towers with pointed roofs.
    const float towerX[2] = {0.14f, 0.76f};
    for (float x : towerX) {
        d = std::min(d, paint::sdBox(p, {x, 0.50f}, {x + 0.10f, 0.92f}));
        const Vec2 roof[] = {{x - 0.02f, 0.51f}, {x + 0.05f, 0.34f}, {x + 0.12f, 0.51f}};
        d = std::min(d, paint::sdPolygon(p, roof));
    }
    // Keep with battlements and the high tower.
    d = std::min(d, paint::sdBox(p, {0.36f, 0.44f}, {0.64f, 0.92f}));
    for (int i = 0; i < 5; ++i) {
        const float x = 0.36f + i * 0.06f;
        d = std::min(d, paint::sdBox(p, {x, 0.41f}, {x + 0.04f, 0.45f}));
    }
    d = std::min(d, paint::sdBox(p, {0.45f, 0.22f}, {0.55f, 0.45f}));
    const Vec2 roof[] = {{0.43f, 0.23f}, {0.50f, 0.05f}, {0.57f, 0.23f}};
    d = std::min(d, paint::sdPolygon(p, roof));
    // Flag on the high tower.
    d = std::min(d, paint::sdSegment(p, {0.50f, 0.06f}, {0.50f, -0.02f}, 0.004f));
    const Vec2 flag[] = {{0.50f, -0.02f}, {0.57f, 0.0f}, {0.50f, 0.02f}};
    d = std::min(d, paint::sdPolygon(p, flag));
    // Gate.
    return paint::sdSubtract(d, paint::sdBox(p, {0.46f, 0.80f}, {0.54f, 0.93f}, 0.04f));
}

float sdCastleWindows(Vec2 p) {
    float d = 1e9f;
    const Vec2 windows[] = {{0.49f, 0.30f}, {0.41f, 0.55f}, {0.57f, 0.55f}, {0.49f, 0.62f},
                            {0.18f, 0.60f}, {0.80f, 0.60f}, {0.18f, 0.72f}, {0.80f, 0.72f}};
    for (const Vec2& w : windows) d = std::min(d, paint::sdBox(p, w, w + Vec2{0.02f, 0.04f}, 0.008f));
    return d;
}

}  // namespace textures
