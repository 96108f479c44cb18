// Drawing a ground tile: its surface from the shared index table at this
// frame's level of detail with the seam strips its neighbours need, and the
// objects standing on it.
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

}  // namespace

void TBodenTile::drawnRanges(int bias, Range out[3]) const {
    const int top = ground->lodCount - 1;
    const auto drawnLevel = [&](int l) { return l + bias < top ? l + bias : top; };
    const int l = drawnLevel(level);
    const int* b = ground->seamRanges + 6 * l;
    out[0] = {ground->levelStart[l], ground->levelStart[l + 1]};
    const int s = stripFor(l, south, south ? drawnLevel(south->level) : 0);
    out[1] = {b[s], b[s + 1]};
    const int e = 3 + stripFor(l, east, east ? drawnLevel(east->level) : 0);
    out[2] = {b[e], b[e + 1]};
}

void TBodenTile::drawElements(int bias, bool useDefaultMaterial) {
    if (!visible || !engine) return;
    engine->bindElementBuffer(indices->inBuffer() ? indices->buffer : nullptr);
    engine->bindArrayBuffer(vertices->inBuffer() ? vertices->buffer : nullptr);
    glVertexPointer(3, GL_FLOAT, 0, vertices->inBuffer() ? vertices->pointer : vertices->data);
    glEnableClientState(GL_VERTEX_ARRAY);
    engine->setMaterial(useDefaultMaterial ? engine->stdMat : materials[0]);

    const char* base = static_cast<const char*>(indices->inBuffer() ? indices->pointer : indices->data);
    Range ranges[3];
    drawnRanges(bias, ranges);
    for (const Range& r : ranges) {
        if (r.end > r.first)
            glDrawElements(GL_TRIANGLES, 3 * (r.end - r.first), GL_UNSIGNED_INT,
                           base + static_cast<intptr_t>(12) * r.first);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
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
