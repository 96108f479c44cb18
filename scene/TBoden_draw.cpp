// The ground each frame: which tiles are seen and at what detail, and the
// draws of their surfaces and objects.
#include <algorithm>

#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"

namespace {

const int kObjectLevels = 4;  // only tiles nearer than this draw their objects
const int kEarlyFlushTiles = 3;  // the main pass flushes after this many tiles

}  // namespace

void TBoden::update(TCamera* camera, float lodScale, float maxDistance) {
    drawList.clear();
    if (!camera) return;
    const bool culling = engine ? engine->frustumCulling : true;
    const TVector eye = camera->getPosition() / lodScale;
    const float span = (tileHeight + 1) * 0.5f;
    for (int i = 0; i < tilesX * tilesY; ++i) {
        TBodenTile* tile = tiles[i];
        const TVector offset = tile->centre - eye;
        const float r = offset.length() / span;
        tile->nearness = offset.x * offset.x + offset.y * offset.y;
        const bool seen =
            !culling || (camera->isSphereVisible(tile->centre * lodScale, tile->radius * lodScale) && r < maxDistance);
        tile->visible = seen ? 1 : 0;
        if (seen) insertByDepth(tile, camera, lodScale);
        tile->level = levelForRatio(r, lodCount);
    }
    relaxSeams();
}

// From the front, the new tile goes right after the first tile that lies
// less deep than it; without one, at the end.
void TBoden::insertByDepth(TBodenTile* tile, const TCamera* camera, float lodScale) {
    const float* m = camera->view.m;
    const TVector c = tile->centre * lodScale;
    tile->viewDepth = m[2] * c.x + m[6] * c.y + m[10] * c.z + m[14];
    TListIterator<TBodenTile> it(&drawList);
    while (TBodenTile* other = it.next()) {
        if (other->viewDepth < tile->viewDepth) {
            it.insert(tile, false);
            return;
        }
    }
    drawList.pushBack(tile, false);
}

void TBoden::relaxSeams() {
    bool changed = true;
    while (changed) {
        changed = false;
        for (TListNode<TBodenTile>* n = drawList.head; n; n = n->next) {
            TBodenTile* tile = n->value;
            TBodenTile* neighbours[4] = {tile->north, tile->east, tile->south, tile->west};
            for (TBodenTile* other : neighbours) {
                if (other && other->visible && other->level - tile->level > 1) {
                    other->level = tile->level + 1;
                    changed = true;
                }
            }
        }
    }
}

void TBoden::draw() {
    useFloorPrograms(floorVertexProgram, floorFragmentProgram);
    drawTiles(false, 0);
}

void TBoden::drawVertexArrays(bool clip, int bias) {
    if (clip) useFloorPrograms(clipVertexProgram, clipFragmentProgram);
    else useFloorPrograms(floorVertexProgram, floorFragmentProgram);
    drawTiles(clip, bias);
}

void TBoden::drawDisplayLists() {
    for (TListNode<TBodenTile>* n = drawList.head; n; n = n->next)
        if (n->value->level < kObjectLevels) n->value->drawObjects();
}

// The surfaces go nearest first: the nearest tiles hold most of a pass's
// triangles and reach the GL driver first, and the nearer ground hides what
// lies behind it before that is shaded. Opaque and depth-tested, they show
// the same in any order but where two tiles meet at the same depth (a few
// pixels of a frame, at grazing angles). The draw list itself keeps its
// order for the objects.
void TBoden::drawTiles(bool clip, int bias) {
    drawOrder.clear();
    for (TListNode<TBodenTile>* n = drawList.head; n; n = n->next) {
        // The clipping programs drop everything below the water: a tile
        // wholly under it leaves nothing in the clipped pass.
        if (clip && n->value->minZ > kClipHeight + kClipMargin) continue;
        drawOrder.push_back(n->value);
    }
    std::stable_sort(drawOrder.begin(), drawOrder.end(),
                     [](const TBodenTile* a, const TBodenTile* b) { return a->nearness < b->nearness; });
    // With frustum culling on, the tiles also leave out the blocks this
    // pass cannot show.
    TBodenBlocks::View view;
    if (!engine || engine->frustumCulling) {
        view = TBodenBlocks::viewOfCurrentMatrices();
        view.clipBelow = clip;
        view.clipHeight = kClipHeight;
        passView = &view;
    }
    // The GL driver may hold back drawing until it is flushed: the nearest
    // tiles, which hold most of the pass's triangles, are handed on first,
    // to be filled in while the rest is sent.
    int drawn = 0;
    for (TBodenTile* tile : drawOrder) {
        tile->drawElements(bias, false);
        if (!clip && ++drawn == kEarlyFlushTiles) glFlush();
    }
    passView = nullptr;
}

// A material whose programs change is applied afresh at its next use.
void TBoden::useFloorPrograms(int vertexProgram, int fragmentProgram) {
    if (!material || !engine) return;
    if (material->vertexProgramSlot == vertexProgram && material->fragmentProgramSlot == fragmentProgram) return;
    material->vertexProgramSlot = vertexProgram;
    material->fragmentProgramSlot = fragmentProgram;
    if (engine->getMaterial() == material) engine->setMaterial(nullptr);
}
