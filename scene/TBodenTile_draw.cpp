// Drawing a ground tile: its surface from the shared index table at this
// frame's level of detail with the seam strips its neighbours need, and the
// objects standing on it.
#include <algorithm>
#include <cstdint>

#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"

namespace {

// Which of a band's three strips meets a neighbour drawn at level n when
// this tile is drawn at level l (no neighbour: the finer strip).
int stripFor(int l, const TBodenTile* neighbour, int n) {
    if (!neighbour || l < n) return 2;
    return l > n ? 0 : 1;
}

// The triangles of a range of an index table, from its buffer object when
// it has one in use.
void drawTriangles(TEngine* engine, const TIndexArray* table, const TBodenTile::Range& range) {
    if (range.end <= range.first) return;
    engine->bindElementBuffer(table->inBuffer() ? table->buffer : nullptr);
    const char* base = static_cast<const char*>(table->inBuffer() ? table->pointer : table->data);
    glDrawElements(GL_TRIANGLES, 3 * (range.end - range.first), GL_UNSIGNED_INT,
                   base + static_cast<intptr_t>(12) * range.first);
}

}  // namespace

int TBodenTile::drawnLevel(int bias) const {
    const int top = ground->lodCount - 1;
    return level + bias < top ? level + bias : top;
}

void TBodenTile::drawnRanges(int bias, Range out[3]) const {
    const int l = drawnLevel(bias);
    const int* b = ground->seamRanges + 6 * l;
    out[0] = {ground->levelStart[l], ground->levelStart[l + 1]};
    const int s = stripFor(l, south, south ? south->drawnLevel(bias) : 0);
    out[1] = {b[s], b[s + 1]};
    const int e = 3 + stripFor(l, east, east ? east->drawnLevel(bias) : 0);
    out[2] = {b[e], b[e + 1]};
}

void TBodenTile::drawElements(int bias, bool useDefaultMaterial) {
    if (!visible || !engine) return;
    engine->bindArrayBuffer(vertices->inBuffer() ? vertices->buffer : nullptr);
    glVertexPointer(3, GL_FLOAT, 0, vertices->inBuffer() ? vertices->pointer : vertices->data);
    glEnableClientState(GL_VERTEX_ARRAY);
    engine->setMaterial(useDefaultMaterial ? engine->stdMat : materials[0]);

    Range ranges[3];
    drawnRanges(bias, ranges);
    if (!drawVisibleBlocks(drawnLevel(bias))) drawTriangles(engine, indices, ranges[0]);
    drawTriangles(engine, indices, ranges[1]);
    drawTriangles(engine, indices, ranges[2]);
    glDisableClientState(GL_VERTEX_ARRAY);
}

bool TBodenTile::drawVisibleBlocks(int drawn) {
    const TBodenBlocks::View* view = ground->passView;
    const TBodenBlocks& table = ground->blockTable;
    if (!view || !ground->blockIndices || drawn < 0 || drawn >= table.levels() || cellLow.empty()) return false;
    // Neighbouring blocks that can show are drawn as one range.
    Range run = {0, 0};
    for (int i = table.firstBlock(drawn); i < table.endBlock(drawn); ++i) {
        const TBodenBlocks::Block& block = table.blocks[static_cast<size_t>(i)];
        float low[3], high[3];
        blockBounds(block, low, high);
        if (!TBodenBlocks::boxCanShow(*view, low, high, TBoden::kClipMargin)) continue;
        if (run.end == block.first) {
            run.end = block.end;
            continue;
        }
        drawTriangles(engine, ground->blockIndices, run);
        run = {block.first, block.end};
    }
    drawTriangles(engine, ground->blockIndices, run);
    return true;
}

void TBodenTile::blockBounds(const TBodenBlocks::Block& block, float low[3], float high[3]) const {
    const int cell = TBodenBlocks::kCellSamples;
    low[0] = static_cast<float>(x0 + block.c0);
    high[0] = static_cast<float>(x0 + block.c1);
    low[1] = static_cast<float>(y0 + block.r0);
    high[1] = static_cast<float>(y0 + block.r1);
    low[2] = 100000.0f;
    high[2] = -100000.0f;
    for (int j = block.r0 / cell; j <= (block.r1 - 1) / cell; ++j) {
        for (int i = block.c0 / cell; i <= (block.c1 - 1) / cell; ++i) {
            const size_t k = static_cast<size_t>(j) * cellColumns + i;
            low[2] = std::min(low[2], cellLow[k]);
            high[2] = std::max(high[2], cellHigh[k]);
        }
    }
}

void TBodenTile::drawObjects() {
    if (!visible || !engine) return;
    if (engine->displayLists && displayList != 0) {
        engine->setMaterial(engine->stdMat);
        glCallList(displayList);
        engine->setMaterial(listMaterial);
    } else {
        for (int i = 0; i < staticCount; ++i) staticObjects[i]->render();
    }
    engine->setMaterial(engine->stdMat);
    for (TListNode<TRenderable>* n = children.head; n; n = n->next) n->value->render();
}
