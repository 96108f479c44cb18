#include "scene/TGridCell.h"

#include <algorithm>
#include <cmath>

#include "engine/Log.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TGridObject.h"
#include "scene/THeightSource.h"

namespace {

const int kLayerPairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

// Widens the reach of a cell's objects so that rounding in the bounds can
// never leave out a cell whose object touches one of them.
const float kRoundingSlack = 0.01f;

bool validLayer(int layer) { return layer >= 0 && layer < TGridObject::kLayerCount; }

}  // namespace

TGridCell::TGridCell(const TVector& minCorner, const TVector& cellSize, TGrid* owner)
    : occupiedLayers(0),
      ground(nullptr),
      min(minCorner),
      max(minCorner + cellSize),
      size(cellSize),
      grid(owner),
      active(0),
      activeNode(nullptr) {}

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
    if (TCollisionPass* p = TCollisionPass::running)
        p->mark(node->value, layer, destroyed ? TCollisionPass::kDeleted : TCollisionPass::kLeft);
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
    TCollisionPass& p = grid->pass;
    if (p.busy) {
        logOut() << "TGridCell: collision pass started inside a running pass, skipped\n";
        logFlush();
        return;
    }
    p.begin();
    p.addCell(this);
    collide(p, 0);
    p.end();
}

bool TGridCell::Range::holds(int ix, int iy, int iz) const {
    return ix >= from[0] && ix <= to[0] && iy >= from[1] && iy <= to[1] && iz >= from[2] && iz <= to[2];
}

void TGridCell::collide(TCollisionPass& p, size_t index) {
    if (!grid || index >= p.cells.size()) return;
    for (std::vector<TCollisionPass::Entry>& v : p.nearby) v.clear();
    Nearby blocks;
    if (nearbyBlocks(p, index, blocks)) {
        gatherNearby(p, blocks, nullptr);
        for (const auto& pair : kLayerPairs) testLayerPair(p, index, blocks, pair[0], pair[1]);
    }
    if (ground) touchGround(p, index);
}

// The cells whose objects the movers of p.cells[index] can touch: per lower
// layer, the bounds of the movers' spheres widened by the farthest that
// layer's objects reach from their positions (and a little more for
// rounding); a layer is used when some mover lies in a layer above it. False
// when no mover has a sphere.
bool TGridCell::nearbyBlocks(const TCollisionPass& p, size_t index, Nearby& out) const {
    const TCollisionPass::CellMovers& part = p.cells[index];
    TVector lo;
    TVector hi;
    bool any = false;
    int highest = 0;
    for (size_t i = part.first[1]; i < part.first[TCollisionPass::kLayers]; ++i) {
        const TCollisionPass::Entry& e = p.movers[i];
        if (e.state != TCollisionPass::kPresent) continue;
        TBoundingSphere** spheres = e.object->getSpheres();
        const int count = e.object->getSphereCount();
        for (int k = 0; spheres && k < count; ++k) {
            if (!spheres[k]) continue;
            const TVector c = spheres[k]->getCentre();
            const float r = std::fabs(spheres[k]->getRadius());
            if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z) || !std::isfinite(r)) continue;
            const TVector a = c - TVector(r, r, r);
            const TVector b = c + TVector(r, r, r);
            highest = std::max(highest, e.layer);
            if (!any) {
                lo = a;
                hi = b;
                any = true;
                continue;
            }
            lo = TVector(std::min(lo.x, a.x), std::min(lo.y, a.y), std::min(lo.z, a.z));
            hi = TVector(std::max(hi.x, b.x), std::max(hi.y, b.y), std::max(hi.z, b.z));
        }
    }
    if (!any) return false;
    for (int layer = 0; layer < TCollisionPass::kLayers - 1; ++layer) {
        out.used[layer] = layer < highest;
        const float m = grid->reach[layer] + kRoundingSlack;
        const TVector margin(m, m, m);
        grid->indexRange(lo - margin, hi + margin, out.layers[layer].from, out.layers[layer].to);
    }
    return true;
}

// Takes, for every used layer, the list of this cell (when nothing is taken
// yet) and of every other cell of the layer's block that taken does not hold,
// in index order.
void TGridCell::gatherNearby(TCollisionPass& p, const Nearby& blocks, const Nearby* taken) {
    for (int layer = 0; layer < TCollisionPass::kLayers - 1; ++layer) {
        if (!blocks.used[layer]) continue;
        const bool some = taken && taken->used[layer];
        if (!some) p.addNearby(this, layer);
        const Range& r = blocks.layers[layer];
        for (int ix = r.from[0]; ix <= r.to[0]; ++ix)
            for (int iy = r.from[1]; iy <= r.to[1]; ++iy)
                for (int iz = r.from[2]; iz <= r.to[2]; ++iz) {
                    TGridCell* c = grid->cellAt(ix, iy, iz);
                    if (!c || c == this || (some && taken->layers[layer].holds(ix, iy, iz))) continue;
                    p.addNearby(c, layer);
                }
    }
}

// After a contact: a handler may have grown a mover's spheres (a fireball's
// blast), so the cells they now reach are taken as well.
void TGridCell::widenNearby(TCollisionPass& p, size_t index, Nearby& blocks) {
    Nearby wider;
    if (!nearbyBlocks(p, index, wider)) return;
    bool grown = false;
    for (int layer = 0; layer < TCollisionPass::kLayers - 1; ++layer) {
        if (!blocks.used[layer]) {
            grown = grown || wider.used[layer];
            continue;
        }
        wider.used[layer] = true;
        Range& w = wider.layers[layer];
        const Range& old = blocks.layers[layer];
        for (int axis = 0; axis < 3; ++axis) {
            if (w.from[axis] < old.from[axis] || w.to[axis] > old.to[axis]) grown = true;
            w.from[axis] = std::min(w.from[axis], old.from[axis]);
            w.to[axis] = std::max(w.to[axis], old.to[axis]);
        }
    }
    if (!grown) return;
    gatherNearby(p, wider, &blocks);
    blocks = wider;
}

// Entries are read by index on every step: a handler may mark any of them,
// and a widening may append to the lower list.
void TGridCell::testLayerPair(TCollisionPass& p, size_t index, Nearby& blocks, int lower, int upper) {
    std::vector<TCollisionPass::Entry>& as = p.nearby[lower];
    const size_t first = p.cells[index].first[upper];
    const size_t last = p.cells[index].first[upper + 1];
    for (size_t i = 0; i < as.size(); ++i) {
        for (size_t j = first; j < last; ++j) {
            if (as[i].state != TCollisionPass::kPresent) break;
            TCollisionPass::Entry& be = p.movers[j];
            if (be.state != TCollisionPass::kPresent) continue;
            TGridObject* a = as[i].object;
            TGridObject* b = be.object;
            TBoundingSphere* sa = nullptr;
            TBoundingSphere* sb = nullptr;
            if (!a->collidesWith(b, sa, sb)) continue;
            if (a->isSpecial()) {
                a->onCollision(b, sa, sb);
                // The contact happened even if a handler moved one of the two
                // away; only a deleted object is never called again.
                if (as[i].state != TCollisionPass::kDeleted && be.state != TCollisionPass::kDeleted &&
                    b->isSpecial())
                    b->onCollision(a, sb, sa);
            } else {
                b->onCollision(a, sb, sa);
            }
            // A handler may have grown the spheres of either (a fireball's
            // blast): the cells of this pass still to come search that far.
            if (as[i].state != TCollisionPass::kDeleted) a->noteReach();
            if (be.state != TCollisionPass::kDeleted) b->noteReach();
            widenNearby(p, index, blocks);
        }
    }
}

void TGridCell::touchGround(TCollisionPass& p, size_t index) {
    for (int layer = 1; layer < TCollisionPass::kLayers; ++layer) {
        const size_t last = p.cells[index].first[layer + 1];
        for (size_t j = p.cells[index].first[layer]; j < last; ++j) {
            if (p.movers[j].state != TCollisionPass::kPresent) continue;
            TGridObject* o = p.movers[j].object;
            if (o->onGround == 0 && o->touchesGround(ground)) o->placeOnGround(ground);
        }
    }
}
