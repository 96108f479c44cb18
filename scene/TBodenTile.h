#pragma once
// TBodenTile is one square of the ground: a grid of height samples drawn
// from the ground's shared index table at the level of detail of this
// frame, and the container of the objects that stand on it. Static objects
// (their flag set) are baked into the tile's display list and owned by the
// tile; every other object is filed in `children`, which never owns them.

#include <cstdint>
#include <vector>

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TBodenBlocks.h"
#include "scene/TMesh.h"

class TBoden;
class TMaterial;

class TBodenTile : public TMesh, public TNodeContainer {
public:
    // A triangle range of the shared index table: [first, end).
    struct Range {
        int first;
        int end;
    };

    // TRenderable::visible: 1 while the tile is in the ground's draw list.
    TVertexArray* vertices;  // cols * rows positions (x, y, z), row after row
    TIndexArray* indices;    // the ground's shared table
    // TMesh::vertexBuffer and TMesh::indexBuffer hold the ground's vertex
    // and element buffers at the time the tile was built.
    TMaterial* materials[2];  // [0] the ground material, [1] none
    TMaterial* listMaterial;  // current material at the end of the display list
    TRenderable** staticObjects;  // owned, with the objects
    int staticCount;
    unsigned int displayList;  // 0: none recorded
    TBoden* ground;
    int y0;
    int x0;
    int cols;
    int rows;
    int level;  // level of detail this frame
    TVector centre;
    float radius;
    TBodenTile* north;
    TBodenTile* east;
    TBodenTile* south;
    TBodenTile* west;
    float maxZ;
    float minZ;
    TRenderable** objects;  // every object placed at construction (array owned)
    int objectCount;
    TList<TRenderable> children;
    // Height bounds of the tile's cells (TBodenBlocks::kCellSamples squares,
    // row after row): cellLow the smallest z, cellHigh the largest.
    std::vector<float> cellLow;
    std::vector<float> cellHigh;
    int cellColumns;
    float viewDepth;  // the camera's depth of centre, for the draw order
    float nearness;   // squared distance of centre from the camera across the ground (x, y)

    // Builds the tile whose first sample is (x0, y0) from the ground's
    // heights, packs its vertices into the ground's vertex buffer, and takes
    // the objects placed on it (the array becomes the tile's): static ones
    // are recorded into the display list, the others filed in children.
    // Without an engine nothing is uploaded or recorded.
    TBodenTile(TBoden* ground, int x0, int y0, TRenderable** objects, int objectCount);
    // Deletes the static objects and the display list; objects still in
    // children are unfiled (they belong to the game).
    ~TBodenTile() override;

    // Draws the ground surface at level + bias (at most lodCount - 1), with
    // the seam strips that match the south and east neighbours; with the
    // default material instead of its own when asked. Nothing while the
    // tile is not visible.
    void drawElements(int bias, bool useDefaultMaterial);
    // The display list (or the static objects one by one while display
    // lists are off), then every child. Nothing while not visible.
    void drawObjects();
    // The interior, south and east ranges drawElements draws.
    void drawnRanges(int bias, Range out[3]) const;
    // The level drawElements draws at: level + bias, at most lodCount - 1.
    int drawnLevel(int bias) const;

    void render() override { drawElements(0, false); }

    // Unlinks the child filed under handle and clears its filing; a handle
    // not filed here changes nothing.
    void removeChild(int handle) override;
    // Files node at the front of children: its handle, a pointer to this
    // tile's level in its owner data, and this container.
    void addChild(TRenderable* node) override;
    // x0 <= x <= x0 + cols and y0 <= y <= y0 + rows.
    bool contains(const TVector& position) override;
    // The ground's tile under position, or null beyond the ground.
    TNodeContainer* getTileAt(const TVector& position) override;

private:
    void buildVertices();
    void buildCellBounds();
    // Draws the interior of `level` block by block, leaving out the blocks
    // the ground's current pass cannot show; false (nothing drawn) when
    // there is no such pass or no block table for the level.
    bool drawVisibleBlocks(int level);
    void blockBounds(const TBodenBlocks::Block& block, float low[3], float high[3]) const;
    void packVertices();
    void takeObjects();
    void unfileChildren();
};
