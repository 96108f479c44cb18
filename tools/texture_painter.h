#pragma once
// Texture painters for the model atlases: a picture is painted region by
// region (fills, blocks, planks, scales, stripes), each with a little noise
// so surfaces do not look flat.

#include <cstdint>

#include "common.h"

namespace models {

struct Rgb {
    float r, g, b;
};
struct Rect {
    int x0, y0, x1, y1;  // [x0, x1) x [y0, y1), rows from the top
};

// Base colour with per-pixel brightness noise of the given amplitude.
void paintFill(gen::Image& img, Rect r, Rgb c, float noise, gen::Rng& rng);
// Rows of blocks (stone or bricks) with darker joints.
void paintBlocks(gen::Image& img, Rect r, Rgb stone, Rgb joint, int blockW, int blockH, gen::Rng& rng);
// Planks running vertically (or horizontally) with grain.
void paintPlanks(gen::Image& img, Rect r, Rgb wood, int plankSize, bool vertical, gen::Rng& rng);
// Overlapping round scales (roof shingles, dragon skin).
void paintScales(gen::Image& img, Rect r, Rgb light, Rgb dark, int size, gen::Rng& rng);
// Horizontal bands of alternating colours.
void paintStripes(gen::Image& img, Rect r, Rgb a, Rgb b, int band);
// Sets alpha of a region (32-bit pictures only).
void paintAlpha(gen::Image& img, Rect r, uint8_t alpha);

}  // namespace models
