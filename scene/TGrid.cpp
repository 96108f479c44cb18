#include "scene/TGrid.h"

#include <cmath>

#include "engine/Log.h"
#include "scene/TGridObject.h"
#include "scene/THeightSource.h"

namespace {

// Index along one axis of a coordinate already known to lie at or above the
// box's low end, or -1 when it falls past the last cell (or is not a number).
int axisIndex(float offset, float cellSize, int cells) {
    const float d = offset / cellSize;
    if (!(d >= 0.0f && d < static_cast<float>(cells))) return -1;
    return static_cast<int>(d);
}

// The cell index along one axis of an offset from the box's low end, clamped
// to 0 .. cells - 1 (a value that is not a number gives 0).
int clampedIndex(float offset, float cellSize, int cells) {
    const float d = offset / cellSize;
    if (!(d > 0.0f)) return 0;
    if (!(d < static_cast<float>(cells))) return cells - 1;
    return static_cast<int>(d);
}

}  // namespace

TGrid::TGrid(const TVector& lo, const TVector& hi, THeightSource* g)
    : min(lo), max(hi), size(hi - lo), ground(g), reach{0.0f, 0.0f, 0.0f, 0.0f} {
    cellSize = TVector(size.x / kCellsX, size.y / kCellsY, size.z / kCellsZ);
    int index = 0;
    for (int ix = 0; ix < kCellsX; ++ix)
        for (int iy = 0; iy < kCellsY; ++iy)
            for (int iz = 0; iz < kCellsZ; ++iz) {
                const TVector corner = min + TVector(ix * cellSize.x, iy * cellSize.y, iz * cellSize.z);
                cells[index++] = new TGridCell(corner, cellSize, this);
            }
}

TGrid::~TGrid() {
    for (TGridCell* c : cells) {
        for (TList<TGridObject>& list : c->lists)
            for (TListNode<TGridObject>* n = list.head; n; n = n->next) {
                n->value->cell = nullptr;
                n->value->cellNode = nullptr;
            }
        delete c;
    }
}

TGridCell* TGrid::findCell(const TVector& p) {
    if (p.x < min.x || p.y < min.y || p.z < min.z) return nullptr;
    if (p.x > max.x || p.y > max.y || p.z > max.z) return nullptr;
    const int ix = axisIndex(p.x - min.x, cellSize.x, kCellsX);
    const int iy = axisIndex(p.y - min.y, cellSize.y, kCellsY);
    const int iz = axisIndex(p.z - min.z, cellSize.z, kCellsZ);
    if (ix < 0 || iy < 0 || iz < 0) return nullptr;
    TGridCell* c = cells[((ix * kCellsY) + iy) * kCellsZ + iz];
    return c->contains(p) ? c : nullptr;
}

TGridCell* TGrid::cellAt(int ix, int iy, int iz) {
    if (ix < 0 || ix >= kCellsX || iy < 0 || iy >= kCellsY || iz < 0 || iz >= kCellsZ) return nullptr;
    return cells[((ix * kCellsY) + iy) * kCellsZ + iz];
}

void TGrid::indexRange(const TVector& lo, const TVector& hi, int from[3], int to[3]) const {
    const float los[3] = {lo.x - min.x, lo.y - min.y, lo.z - min.z};
    const float his[3] = {hi.x - min.x, hi.y - min.y, hi.z - min.z};
    const float sizes[3] = {cellSize.x, cellSize.y, cellSize.z};
    const int counts[3] = {kCellsX, kCellsY, kCellsZ};
    for (int axis = 0; axis < 3; ++axis) {
        from[axis] = clampedIndex(los[axis], sizes[axis], counts[axis]);
        to[axis] = clampedIndex(his[axis], sizes[axis], counts[axis]);
    }
}

void TGrid::noteReach(int layer, float r) {
    if (layer < 0 || layer >= TCollisionPass::kLayers || !std::isfinite(r)) return;
    if (r > reach[layer]) reach[layer] = r;
}

void TGrid::setGround(THeightSource* g) {
    ground = g;
    if (!g) {
        for (TGridCell* c : cells) c->setGround(nullptr);
        return;
    }
    for (int ix = 0; ix < kCellsX; ++ix)
        for (int iy = 0; iy < kCellsY; ++iy) {
            const TVector c = min + TVector(ix * cellSize.x, iy * cellSize.y, 0.0f) + cellSize * 0.5f;
            const float h = g->getHeight(c);
            const TVector points[3] = {TVector(c.x, c.y, h), TVector(c.x, c.y, h + cellSize.z),
                                       TVector(c.x, c.y, h - cellSize.z)};
            for (const TVector& p : points)
                if (TGridCell* cell = findCell(p)) cell->setGround(g);
        }
}

void TGrid::processCollisions() {
    if (pass.busy) {
        logOut() << "TGrid: collision pass started inside a running pass, skipped\n";
        logFlush();
        return;
    }
    pass.begin();
    for (TListNode<TGridCell>* n = activeCells.head; n; n = n->next) pass.addCell(n->value);
    for (size_t i = 0; i < pass.cells.size(); ++i) pass.cells[i].cell->collide(pass, i);
    pass.end();
}

TListNode<TGridCell>* TGrid::addActive(TGridCell* cell) { return activeCells.pushFront(cell, false); }

void TGrid::removeActive(TListNode<TGridCell>* node) { activeCells.unlinkNode(node); }
