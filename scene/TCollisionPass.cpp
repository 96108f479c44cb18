#include "scene/TCollisionPass.h"

#include "scene/TGridCell.h"
#include "scene/TGridObject.h"

static_assert(TCollisionPass::kLayers == TGridObject::kLayerCount, "the pass takes every collision layer");

TCollisionPass* TCollisionPass::running = nullptr;

void TCollisionPass::begin() {
    busy = true;
    movers.clear();
    cells.clear();
    for (std::vector<Entry>& v : nearby) v.clear();
    outer = running;
    running = this;
}

void TCollisionPass::addCell(TGridCell* cell) {
    CellMovers part;
    part.cell = cell;
    part.first[0] = part.first[1] = movers.size();
    for (int layer = 1; layer < kLayers; ++layer) {
        for (TListNode<TGridObject>* n = cell->lists[layer].head; n; n = n->next)
            movers.push_back({n->value, layer, kPresent});
        part.first[layer + 1] = movers.size();
    }
    cells.push_back(part);
}

void TCollisionPass::addNearby(TGridCell* cell, int layer) {
    if (layer < 0 || layer >= kLayers - 1) return;
    for (TListNode<TGridObject>* n = cell->lists[layer].head; n; n = n->next)
        nearby[layer].push_back({n->value, layer, kPresent});
}

void TCollisionPass::end() {
    running = outer;
    outer = nullptr;
    busy = false;
}

void TCollisionPass::mark(const TGridObject* object, int layer, State state) {
    if (!busy || layer < 0 || layer >= kLayers) return;
    for (Entry& e : movers) {
        if (e.object == object && e.layer == layer && e.state < state) e.state = state;
    }
    if (layer >= kLayers - 1) return;
    for (Entry& e : nearby[layer]) {
        if (e.object == object && e.state < state) e.state = state;
    }
}
