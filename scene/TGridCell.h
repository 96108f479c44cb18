#pragma once
// TGridCell is one box of the spatial grid: four lists of the objects filed
// in it, one per collision layer, newest first, none owning. A cell is active
// (in its grid's activeCells) while it holds an object of layer 1 to 3; only
// active cells run the collision pass. The pass works on a snapshot of the
// lists, so handlers may move or delete objects while it runs.

#include <cstdint>
#include <vector>

#include "engine/TList.h"
#include "engine/TVector.h"

class TGrid;
class TGridObject;
class THeightSource;

// The objects one cell's pass works through, taken from its lists when the
// pass starts. An object that leaves the cell during the pass is marked, so
// the pass never calls a deleted object and stops testing one that moved away.
// Deletions are marked wherever the object is by then (another cell, or none).
struct TCollisionPass {
    enum State : uint8_t { kPresent = 0, kLeft = 1, kDeleted = 2 };
    struct Entry {
        TGridObject* object;
        State state;
    };
    std::vector<Entry> layers[4];
    bool busy = false;

    // While the pass runs: raises the mark of the object's entries in the
    // layer's list to state (a mark is never lowered: an object that moved
    // out, came back and was deleted reads as deleted). Otherwise nothing.
    void mark(const TGridObject* object, int layer, State state);

    // The cell pass running now, null between passes (they run one at a
    // time, on the program's one thread): an object being destroyed marks
    // itself there, wherever it is filed by then.
    static TCollisionPass* running;
};

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

    // Tests the objects of different layers against each other in the layer
    // pair order (0,1) (0,2) (0,3) (1,2) (1,3) (2,3), then, in a ground cell,
    // puts airborne objects of layers 1 to 3 that reach the ground onto it.
    // Objects filed during the pass wait for the next one; objects that leave
    // the cell during it take no further part in it here.
    void processCollisions();

private:
    TCollisionPass* pass;  // the running pass over this cell, or null

    void removeEntry(TListNode<TGridObject>* node, int layer, bool destroyed);
    void takeSnapshot(TCollisionPass& p);
    void testLayerPair(TCollisionPass& p, int lower, int upper);
    void touchGround(TCollisionPass& p);
};
