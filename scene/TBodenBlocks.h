#pragma once
// TBodenBlocks holds the ground's interior triangles a second time, regrouped
// block by block (kBlockQuads x kBlockQuads quads of a level, each block a
// contiguous run of the same triangles with the same corner order), so that
// a pass can leave out the blocks of a tile that it cannot show - those
// wholly outside the view, and in the clipped pass those wholly below the
// water - and draw the rest with few contiguous ranges. The shared index
// table of the ground stays as it is.

#include <vector>

class TBodenBlocks {
public:
    // Quads along a block's side, at every level.
    static const int kBlockQuads = 16;
    // Samples along the side of a cell of a tile's height bounds; blocks of
    // every level are made of whole cells (but at the tile's far edge).
    static const int kCellSamples = 16;

    struct Block {
        int first;  // triangle range in `corners`: [first, end)
        int end;
        int c0, r0;  // the samples the block's vertices span: columns c0..c1,
        int c1, r1;  // rows r0..r1 of the tile
    };

    // What a pass can show: the six planes of its view volume in ground
    // units (a point p is inside when a p.x + b p.y + c p.z + d >= 0 for all
    // six), and for the clipped pass the height below which nothing shows.
    struct View {
        float planes[6][4];
        bool clipBelow = false;
        float clipHeight = 0.0f;  // z grows downward: below means z larger
    };

    std::vector<int> corners;      // three per triangle
    std::vector<Block> blocks;     // level after level
    std::vector<int> levelFirst;   // levels + 1: first block of each level

    // Regroups the interior of every level 0..lodCount of tiles of
    // tileWidth x tileHeight quads (vertex (c, r) at r * stride + c), in
    // the order and with the corners of the ground's own interior triangles.
    void build(int tileWidth, int tileHeight, int stride, int lodCount);

    // Blocks of `level`: [levelFirst[level], levelFirst[level + 1]).
    int firstBlock(int level) const { return levelFirst[level]; }
    int endBlock(int level) const { return levelFirst[level + 1]; }
    int levels() const { return static_cast<int>(levelFirst.size()) - 1; }

    // The view of the current GL matrices (projection x modelview), whose
    // modelview maps ground units to the eye.
    static View viewOfCurrentMatrices();

    // Whether a box of ground units can show anything in the view: false
    // only when it lies wholly outside one of the planes (by more than a
    // rounding margin), or, for the clipped pass, wholly below the height
    // by more than `clipMargin`.
    static bool boxCanShow(const View& view, const float low[3], const float high[3], float clipMargin);
};
