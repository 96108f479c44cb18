// Texture painters for the model atlases.

#include <algorithm>
#include <cmath>

#include "texture_painter.h"

namespace models {

namespace {

uint8_t channel(float v) { return static_cast<uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f)); }

void put(gen::Image& img, int x, int y, Rgb c, float shade) {
    uint8_t* p = img.at(x, y);
    p[0] = channel(c.r * shade);
    p[1] = channel(c.g * shade);
    p[2] = channel(c.b * shade);
    if (img.channels == 4) p[3] = 255;
}

bool inside(const gen::Image& img, int x, int y) { return x >= 0 && y >= 0 && x < img.width && y < img.height; }

}  // namespace

void paintFill(gen::Image& img, Rect r, Rgb c, float noise, gen::Rng& rng) {
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            if (inside(img, x, y)) put(img, x, y, c, 1.0f + noise * (rng.uniform() * 2.0f - 1.0f));
}

void paintBlocks(gen::Image& img, Rect r, Rgb stone, Rgb joint, int blockW, int blockH, gen::Rng& rng) {
    const int rows = (r.y1 - r.y0 + blockH - 1) / blockH;
    const int cols = (r.x1 - r.x0) / blockW + 2;
    std::vector<float> tone(static_cast<size_t>(rows * cols));
    for (float& t : tone) t = 0.85f + 0.3f * rng.uniform();
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            if (!inside(img, x, y)) continue;
            const int ly = y - r.y0, row = ly / blockH;
            const int lx = x - r.x0 + (row % 2) * (blockW / 2);
            const int col = lx / blockW;
            const bool isJoint = ly % blockH == 0 || lx % blockW == 0;
            const float n = 1.0f + 0.08f * (rng.uniform() * 2.0f - 1.0f);
            if (isJoint)
                put(img, x, y, joint, n);
            else
                put(img, x, y, stone, n * tone[static_cast<size_t>(row * cols + col)]);
        }
}

void paintPlanks(gen::Image& img, Rect r, Rgb wood, int plankSize, bool vertical, gen::Rng& rng) {
    const int span = vertical ? r.x1 - r.x0 : r.y1 - r.y0;
    std::vector<float> tone(static_cast<size_t>(span / plankSize + 2));
    std::vector<float> phase(tone.size());
    for (size_t i = 0; i < tone.size(); ++i) {
        tone[i] = 0.85f + 0.25f * rng.uniform();
        phase[i] = rng.uniform() * 6.28f;
    }
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            if (!inside(img, x, y)) continue;
            const int across = vertical ? x - r.x0 : y - r.y0;
            const int along = vertical ? y - r.y0 : x - r.x0;
            const size_t plank = static_cast<size_t>(across / plankSize);
            if (across % plankSize == 0) {
                put(img, x, y, wood, 0.45f);
                continue;
            }
            const float grain = 0.9f + 0.1f * std::sin(along * 0.35f + phase[plank] + 2.0f * std::sin(across * 0.7f));
            put(img, x, y, wood, tone[plank] * grain * (1.0f + 0.05f * (rng.uniform() * 2.0f - 1.0f)));
        }
}

void paintScales(gen::Image& img, Rect r, Rgb light, Rgb dark, int size, gen::Rng& rng) {
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            if (!inside(img, x, y)) continue;
            const int ly = y - r.y0, lx = x - r.x0;
            const int row = ly / size;
            const float cx = (lx + (row % 2) * size * 0.5f) / size;
            const float fx = cx - std::floor(cx) - 0.5f;
            const float fy = static_cast<float>(ly % size) / size;
            // Distance from the scale's lower rim: light in the middle, dark at the edge.
            const float d = std::sqrt(fx * fx * 4.0f + fy * fy);
            const float t = std::min(1.0f, d);
            const Rgb c = {light.r + (dark.r - light.r) * t, light.g + (dark.g - light.g) * t,
                           light.b + (dark.b - light.b) * t};
            put(img, x, y, c, 1.0f + 0.06f * (rng.uniform() * 2.0f - 1.0f));
        }
}

void paintStripes(gen::Image& img, Rect r, Rgb a, Rgb b, int band) {
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            if (inside(img, x, y)) put(img, x, y, ((y - r.y0) / band) % 2 ? b : a, 1.0f);
}

void paintAlpha(gen::Image& img, Rect r, uint8_t alpha) {
    if (img.channels != 4) return;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x)
            if (inside(img, x, y)) img.at(x, y)[3] = alpha;
}

}  // namespace models
