#pragma once
// TGridCell is one box of the spatial grid: four lists of the objects filed
// in it, one per collision layer, newest first, none owning. A cell is active
// (in its grid's activeCells) while it holds an object of layer 1 to 3; only
// active cells run the collision pass, which tests the cell's objects of
// layers 1 to 3 against the objects of lower layers in this cell and in the
// cells around it that their spheres can reach. The pass works on a snapshot
// of the lists (TCollisionPass), so handlers may move or delete objects while
// it runs.

#include <cstdint>
#include <vector>

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TCollisionPass.h"

class TGrid;
class TGridObject;
class THeightSource;

class TGridCell {
public:
    int occupiedLayers;     // how many of the lists of layers 1 to 3 are non-empty
    THeightSource* ground;  // not owned; null unless the grid marked the cell
    TVector min;
    TVector max;
    TVector size;
    TList<TGridObject> lists[4];
    TGrid* grid;  // the owning grid
    uint8_t active;
    TListNode<TGridCell>* activeNode;  // node in grid->activeCells while active

    // An empty, inactive cell without ground; max = min + size.
    TGridCell(const TVector& min, const TVector& size, TGrid* grid);
    virtual ~TGridCell() = default;
    TGridCell(const TGridCell&) = delete;
    TGridCell& operator=(const TGridCell&) = delete;

    // min <= p <= max on all three axes (closed on both ends).
    bool contains(const TVector& p) const;
    // Files the object at the front of lists[layer] (not owning); a layer 1
    // to 3 object activates the cell. Returns the new node, which the object
    // keeps as its cellNode; null (with a log line) for a layer outside 0..3.
    TListNode<TGridObject>* insert(TGridObject* object, int layer);
    // Unlinks and deletes one node of lists[layer]; the cell turns inactive
    // when no layer 1 to 3 object is left. A null node does nothing.
    void remove(TListNode<TGridObject>* node, int layer);
    // The same for an object being destroyed: a running pass drops it at once.
    void removeDestroyed(TListNode<TGridObject>* node, int layer);
    void setGround(THeightSource* g) { ground = g; }
    // Asks the grid; null when there is no grid or no cell at p.
    TGridCell* findCell(const TVector& p);

    // The collision pass over this cell alone (refused, with a log line,
    // while a pass runs): see collide.
    void processCollisions();
    // The pass's work on this cell, whose movers are p.cells[index]: tests
    // them against the objects of lower layers filed here and in the cells
    // around that their spheres can reach, in the layer pair order (0,1)
    // (0,2) (0,3) (1,2) (1,3) (2,3), each lower list front to back, this
    // cell's first; then, in a ground cell, puts the airborne movers that
    // reach the ground onto it. Objects filed during the pass wait for the
    // next one; objects that leave their cell during it take no further part.
    void collide(TCollisionPass& p, size_t index);

private:
    // Grid indices of a block of cells: from[axis] .. to[axis].
    struct Range {
        int from[3];
        int to[3];
        bool holds(int ix, int iy, int iz) const;
    };
    // Per lower layer (0 to 2), the block whose lists are taken as nearby;
    // none for a layer that no mover of the cell can meet.
    struct Nearby {
        Range layers[TCollisionPass::kLayers - 1];
        bool used[TCollisionPass::kLayers - 1];
    };

    void removeEntry(TListNode<TGridObject>* node, int layer, bool destroyed);
    bool nearbyBlocks(const TCollisionPass& p, size_t index, Nearby& out) const;
    void gatherNearby(TCollisionPass& p, const Nearby& blocks, const Nearby* taken);
    void widenNearby(TCollisionPass& p, size_t index, Nearby& blocks);
    void testLayerPair(TCollisionPass& p, size_t index, Nearby& blocks, int lower, int upper);
    void touchGround(TCollisionPass& p, size_t index);
};
