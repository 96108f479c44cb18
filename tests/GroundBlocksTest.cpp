// The ground's block table without GL: every level's interior again, the
// same triangles with the same corners, grouped into blocks whose sample
// bounds hold their triangles; the tiles' height bounds of those blocks;
// and the view test that leaves out only what a pass cannot show.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "engine/TIndexArray.h"
#include "scene/TBodenBlocks.h"

namespace {

using Triangle = std::array<int, 3>;

// The interior of one level as the ground builds it.
std::vector<Triangle> interior(int w, int h, int stride, int level) {
    std::vector<Triangle> t;
    const int s = 1 << level;
    for (int r = 0; r < h - s; r += s)
        for (int c = 0; c < w - s; c += s) {
            t.push_back({r * stride + c, r * stride + c + s, (r + s) * stride + c + s});
            t.push_back({(r + s) * stride + c + s, (r + s) * stride + c, r * stride + c});
        }
    return t;
}

}  // namespace

TEST(GroundBlocks, HoldEveryLevelsInteriorTrianglesWithTheirCorners) {
    // A square tile of the game's size and an odd one no block size divides.
    struct Shape {
        int w, h, lods;
    };
    for (const Shape& shape : {Shape{128, 128, 7}, Shape{24, 40, 6}}) {
        const int stride = shape.w + 1;
        TBodenBlocks table;
        table.build(shape.w, shape.h, stride, shape.lods);
        ASSERT_EQ(table.levels(), shape.lods + 1);
        ASSERT_EQ(table.blocks.empty() ? 0 : table.blocks.back().end, static_cast<int>(table.corners.size() / 3));
        int next = 0;
        for (int level = 0; level <= shape.lods; ++level) {
            std::vector<Triangle> expected = interior(shape.w, shape.h, stride, level), got;
            for (int b = table.firstBlock(level); b < table.endBlock(level); ++b) {
                const TBodenBlocks::Block& block = table.blocks[static_cast<size_t>(b)];
                // Blocks follow one another without gaps.
                EXPECT_EQ(block.first, next);
                EXPECT_GT(block.end, block.first);
                next = block.end;
                for (int t = block.first; t < block.end; ++t) {
                    const Triangle tri = {table.corners[3 * t], table.corners[3 * t + 1], table.corners[3 * t + 2]};
                    got.push_back(tri);
                    // Every corner lies inside the block's sample bounds.
                    for (int v : tri) {
                        EXPECT_GE(v % stride, block.c0);
                        EXPECT_LE(v % stride, block.c1);
                        EXPECT_GE(v / stride, block.r0);
                        EXPECT_LE(v / stride, block.r1);
                    }
                }
                EXPECT_LE(block.c1 - block.c0, TBodenBlocks::kBlockQuads << level);
                EXPECT_LE(block.r1 - block.r0, TBodenBlocks::kBlockQuads << level);
            }
            std::sort(expected.begin(), expected.end());
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, expected) << shape.w << " x " << shape.h << ", level " << level;
        }
    }
}

namespace {

// The view volume of a camera at the origin looking along -z with a 90
// degree frustum (|x| <= -z, |y| <= -z) between z = -1 and z = -100.
TBodenBlocks::View frustum() {
    TBodenBlocks::View v;
    const float planes[6][4] = {
        {1, 0, -1, 0}, {-1, 0, -1, 0},  // x >= z, x <= -z
        {0, 1, -1, 0}, {0, -1, -1, 0},  // y >= z, y <= -z
        {0, 0, -1, -1}, {0, 0, 1, 100},  // z <= -1, z >= -100
    };
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 4; ++j) v.planes[i][j] = planes[i][j];
    return v;
}

bool canShow(const TBodenBlocks::View& v, std::array<float, 3> low, std::array<float, 3> high) {
    return TBodenBlocks::boxCanShow(v, low.data(), high.data(), 1.0f);
}

}  // namespace

TEST(GroundBlocks, ViewTestLeavesOutOnlyBoxesWhollyOutside) {
    const TBodenBlocks::View v = frustum();
    EXPECT_TRUE(canShow(v, {-1, -1, -10}, {1, 1, -5}));        // inside
    EXPECT_TRUE(canShow(v, {-50, -1, -10}, {0, 1, -5}));       // across a side
    EXPECT_TRUE(canShow(v, {-1, -1, -500}, {1, 1, 50}));       // through the whole volume
    EXPECT_TRUE(canShow(v, {9.999999f, 0, -10}, {20, 1, -9}));  // touching the side, within rounding
    EXPECT_FALSE(canShow(v, {11, 0, -10}, {20, 1, -9}));       // beyond the right side
    EXPECT_FALSE(canShow(v, {-1, -1, 1}, {1, 1, 5}));          // behind the camera
    EXPECT_FALSE(canShow(v, {-1, -1, -300}, {1, 1, -101}));    // beyond the far plane
    EXPECT_FALSE(canShow(v, {0, 30, -20}, {1, 40, -10}));      // above

    // The clipped pass: boxes wholly more than the margin below the height
    // (larger z) show nothing; one reaching up to within the margin might.
    TBodenBlocks::View clipped = v;
    clipped.clipBelow = true;
    clipped.clipHeight = -20.0f;
    EXPECT_TRUE(canShow(clipped, {-1, -1, -30}, {1, 1, -10}));
    EXPECT_TRUE(canShow(clipped, {-1, -1, -19.5f}, {1, 1, -10}));
    EXPECT_FALSE(canShow(clipped, {-1, -1, -18.5f}, {1, 1, -10}));
    EXPECT_TRUE(canShow(v, {-1, -1, -18.5f}, {1, 1, -10}));
}
