// A ground tile's life: its vertices, the objects placed on it (baked into
// its display list or filed as children) and the node container.
#include "scene/TBodenTile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"
#include "scene/TBoden.h"

TBodenTile::TBodenTile(TBoden* owner, int firstX, int firstY, TRenderable** placed, int placedCount)
    : TMesh(owner->engine),
      vertices(nullptr),
      indices(owner->indices),
      materials{nullptr, nullptr},
      listMaterial(nullptr),
      staticObjects(nullptr),
      staticCount(0),
      displayList(0),
      ground(owner),
      y0(firstY),
      x0(firstX),
      cols(owner->samplesX),
      rows(owner->samplesY),
      level(0),
      radius(0.0f),
      north(nullptr),
      east(nullptr),
      south(nullptr),
      west(nullptr),
      maxZ(0.0f),
      minZ(100000.0f),
      objects(placed),
      objectCount(placedCount),
      cellColumns(0),
      viewDepth(0.0f),
      nearness(0.0f) {
    visible = 0;
    vertexBuffer = owner->vertexBuffer;
    indexBuffer = owner->elementBuffer;
    buildVertices();
    buildCellBounds();
    packVertices();
    takeObjects();
}

TBodenTile::~TBodenTile() {
    for (int i = 0; i < staticCount; ++i) delete staticObjects[i];
    delete[] staticObjects;
    delete[] objects;
    if (displayList != 0) glDeleteLists(displayList, 1);
    unfileChildren();
    if (!engine) delete vertices;
}

// One vertex per sample, heights from the ground; the centre is their mean
// and the radius the farthest vertex from it.
void TBodenTile::buildVertices() {
    const int count = cols * rows;
    vertices = engine ? engine->createVertexArray(count, 3, GL_VERTEX_ARRAY) : new TVertexArray(count, 3, GL_VERTEX_ARRAY);
    float* v = vertices->data;
    double sx = 0.0, sy = 0.0, sz = 0.0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const float z = ground->getGridHeight(x0 + c, y0 + r);
            float* p = v + 3 * (r * cols + c);
            p[0] = static_cast<float>(x0 + c);
            p[1] = static_cast<float>(y0 + r);
            p[2] = z;
            sx += p[0];
            sy += p[1];
            sz += z;
            if (z < minZ) minZ = z;
            if (z > maxZ) maxZ = z;
        }
    }
    centre = TVector(static_cast<float>(sx / count), static_cast<float>(sy / count), static_cast<float>(sz / count));
    for (int i = 0; i < count; ++i) {
        const float d = (TVector(v[3 * i], v[3 * i + 1], v[3 * i + 2]) - centre).length();
        if (d > radius) radius = d;
    }
}

// The height bounds of each cell, its border samples included.
void TBodenTile::buildCellBounds() {
    const int cell = TBodenBlocks::kCellSamples;
    cellColumns = (cols - 1 + cell - 1) / cell;
    const int cellRows = (rows - 1 + cell - 1) / cell;
    if (cellColumns < 1 || cellRows < 1) return;
    cellLow.assign(static_cast<size_t>(cellColumns) * cellRows, 0.0f);
    cellHigh.assign(cellLow.size(), 0.0f);
    const float* v = vertices->data;
    for (int j = 0; j < cellRows; ++j) {
        for (int i = 0; i < cellColumns; ++i) {
            float low = 100000.0f, high = -100000.0f;
            for (int r = j * cell; r <= std::min((j + 1) * cell, rows - 1); ++r) {
                const float* p = v + 3 * (r * cols + i * cell) + 2;
                for (int c = i * cell; c <= std::min((i + 1) * cell, cols - 1); ++c, p += 3) {
                    low = std::min(low, *p);
                    high = std::max(high, *p);
                }
            }
            cellLow[static_cast<size_t>(j) * cellColumns + i] = low;
            cellHigh[static_cast<size_t>(j) * cellColumns + i] = high;
        }
    }
}

// Into the ground's current vertex buffer at its fill offset; without room
// (or without buffer objects) the vertices stay in memory.
void TBodenTile::packVertices() {
    if (!engine || !vertexBuffer || vertexBuffer->name == 0) return;
    const long long bytes = 12LL * vertices->count;
    if (vertexBuffer->fillOffset + bytes > vertexBuffer->size) {
        logOut() << "Ground: tile at (" << x0 << ", " << y0 << ") does not fit a vertex buffer of "
                 << vertexBuffer->size << " bytes; its vertices stay in memory\n";
        logFlush();
        return;
    }
    vertices->useBuffer = engine->useVBO;
    vertices->buffer = vertexBuffer;
    vertices->pointer = reinterpret_cast<void*>(static_cast<intptr_t>(vertexBuffer->fillOffset));
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, vertexBuffer->name);
    glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, vertexBuffer->fillOffset, static_cast<GLsizeiptrARB>(bytes),
                       vertices->data);
    vertexBuffer->fillOffset += static_cast<int>(bytes);
    const TRenderContext* context = engine->activeTarget ? engine->activeTarget : engine;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, context->arrayBuffer ? context->arrayBuffer->name : 0);
}

// Static objects (getFlag true) are drawn into the display list, in
// creation order, starting from the default material; the others become
// children.
// Every object learns where this tile's level of detail is kept.
void TBodenTile::takeObjects() {
    if (objectCount > 0) staticObjects = new TRenderable*[objectCount];
    if (engine) {
        engine->setMaterial(engine->stdMat);
        displayList = glGenLists(1);
        if (displayList != 0) glNewList(displayList, GL_COMPILE);
    }
    for (int i = 0; i < objectCount; ++i) {
        TRenderable* object = objects[i];
        object->ownerData = &level;
        const bool bakedIntoDisplayList = object->getFlag();
        if (bakedIntoDisplayList) {
            if (displayList != 0) object->render();
            staticObjects[staticCount++] = object;
        } else {
            addChild(object);
        }
    }
    if (!engine) return;
    if (displayList != 0) glEndList();
    listMaterial = engine->getMaterial();
    // Recording changed only what the engine believes is bound: make the
    // default material current for real again.
    engine->setMaterial(nullptr);
    engine->setMaterial(engine->stdMat);
}

// ---------------------------------------------------------- children ----

void TBodenTile::removeChild(int handle) {
    for (TListNode<TRenderable>* n = children.head; n; n = n->next) {
        TRenderable* child = n->value;
        if (child->handle != handle || child->registry != this) continue;
        child->registry = nullptr;
        child->handle = 0;
        children.unlinkNode(n);
        return;
    }
}

void TBodenTile::addChild(TRenderable* node) {
    children.pushFront(node, false);
    node->handle = ground->newHandle();
    node->ownerData = &level;
    node->registry = this;
}

bool TBodenTile::contains(const TVector& p) {
    return x0 <= p.x && p.x <= x0 + cols && y0 <= p.y && p.y <= y0 + rows;
}

TNodeContainer* TBodenTile::getTileAt(const TVector& p) { return ground->getTileAt(p); }

// The objects stay with the game; they must not reach back into this tile.
void TBodenTile::unfileChildren() {
    for (TListNode<TRenderable>* n = children.head; n; n = n->next) {
        n->value->registry = nullptr;
        n->value->handle = 0;
        n->value->ownerData = nullptr;
    }
    children.clear();
}
