#include "scene/TGridCell.h"

#include "engine/Log.h"
#include "scene/TGrid.h"
#include "scene/TGridObject.h"
#include "scene/THeightSource.h"

namespace {

const int kLayerPairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

bool validLayer(int layer) { return layer >= 0 && layer < TGridObject::kLayerCount; }

}  // namespace

TCollisionPass* TCollisionPass::running = nullptr;

void TCollisionPass::mark(const TGridObject* object, int layer, State state) {
    if (!busy || !validLayer(layer)) return;
    for (Entry& e : layers[layer]) {
        if (e.object == object && e.state < state) e.state = state;
    }
}

TGridCell::TGridCell(const TVector& minCorner, const TVector& cellSize, TGrid* owner)
    : occupiedLayers(0),
      ground(nullptr),
      min(minCorner),
      max(minCorner + cellSize),
      size(cellSize),
      grid(owner),
      active(0),
      activeNode(nullptr),
      pass(nullptr) {}

bool TGridCell::contains(const TVector& p) const {
    return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y && p.z >= min.z && p.z <= max.z;
}

TListNode<TGridObject>* TGridCell::insert(TGridObject* object, int layer) {
    if (!validLayer(layer)) {
        logOut() << "TGridCell: collision layer " << layer << " does not exist, object not filed\n";
        logFlush();
        return nullptr;
    }
    TListNode<TGridObject>* node = lists[layer].pushFront(object, false);
    if (layer != 0) {
        if (!active && grid) {
            active = 1;
            activeNode = grid->addActive(this);
        }
        if (lists[layer].count() == 1) ++occupiedLayers;
    }
    return node;
}

void TGridCell::remove(TListNode<TGridObject>* node, int layer) { removeEntry(node, layer, false); }

void TGridCell::removeDestroyed(TListNode<TGridObject>* node, int layer) { removeEntry(node, layer, true); }

void TGridCell::removeEntry(TListNode<TGridObject>* node, int layer, bool destroyed) {
    if (!node || !validLayer(layer)) return;
    if (pass) pass->mark(node->value, layer, destroyed ? TCollisionPass::kDeleted : TCollisionPass::kLeft);
    lists[layer].unlinkNode(node);
    if (layer == 0) return;
    if (lists[layer].isEmpty()) --occupiedLayers;
    if (occupiedLayers < 1 && activeNode) {
        active = 0;
        if (grid) grid->removeActive(activeNode);
        activeNode = nullptr;
    }
}

TGridCell* TGridCell::findCell(const TVector& p) { return grid ? grid->findCell(p) : nullptr; }

void TGridCell::processCollisions() {
    if (!grid) return;
    TCollisionPass& p = grid->cellPass;
    if (p.busy) {
        logOut() << "TGridCell: collision pass started inside a running pass, skipped\n";
        logFlush();
        return;
    }
    p.busy = true;
    pass = &p;
    TCollisionPass* const outer = TCollisionPass::running;
    TCollisionPass::running = &p;

    takeSnapshot(p);
    for (const auto& pair : kLayerPairs) {
        if (p.layers[pair[0]].empty() || p.layers[pair[1]].empty()) continue;
        testLayerPair(p, pair[0], pair[1]);
    }
    if (ground) touchGround(p);

    TCollisionPass::running = outer;
    pass = nullptr;
    p.busy = false;
}

void TGridCell::takeSnapshot(TCollisionPass& p) {
    for (int layer = 0; layer < TGridObject::kLayerCount; ++layer) {
        p.layers[layer].clear();
        for (TListNode<TGridObject>* n = lists[layer].head; n; n = n->next)
            p.layers[layer].push_back({n->value, TCollisionPass::kPresent});
    }
}

// Entries are read by index on every step: a handler may mark any of them.
void TGridCell::testLayerPair(TCollisionPass& p, int lower, int upper) {
    std::vector<TCollisionPass::Entry>& as = p.layers[lower];
    std::vector<TCollisionPass::Entry>& bs = p.layers[upper];
    for (size_t i = 0; i < as.size(); ++i) {
        for (size_t j = 0; j < bs.size(); ++j) {
            if (as[i].state != TCollisionPass::kPresent) break;
            if (bs[j].state != TCollisionPass::kPresent) continue;
            TGridObject* a = as[i].object;
            TGridObject* b = bs[j].object;
            TBoundingSphere* sa = nullptr;
            TBoundingSphere* sb = nullptr;
            if (!a->collidesWith(b, sa, sb)) continue;
            if (a->isSpecial()) {
                a->onCollision(b, sa, sb);
                // The contact happened even if a handler moved one of the two
                // away; only a deleted object is never called again.
                if (as[i].state != TCollisionPass::kDeleted && bs[j].state != TCollisionPass::kDeleted &&
                    b->isSpecial())
                    b->onCollision(a, sb, sa);
            } else {
                b->onCollision(a, sb, sa);
            }
        }
    }
}

void TGridCell::touchGround(TCollisionPass& p) {
    for (int layer = 1; layer < TGridObject::kLayerCount; ++layer) {
        std::vector<TCollisionPass::Entry>& os = p.layers[layer];
        for (size_t i = 0; i < os.size(); ++i) {
            if (os[i].state != TCollisionPass::kPresent) continue;
            TGridObject* o = os[i].object;
            if (o->onGround == 0 && o->touchesGround(ground)) o->placeOnGround(ground);
        }
    }
}
