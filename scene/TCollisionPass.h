#pragma once
// TCollisionPass is what one collision pass of the grid works through. When
// the pass starts it takes the objects of layers 1 to 3 of every active cell
// ("movers", cell by cell in the grid's order); while it works on one cell it
// takes the objects of layers 0 to 2 filed in that cell and in the cells
// around it that the cell's movers can reach ("nearby"). An object filed in
// two cells' lists at once does not exist, so every pair of objects is met at
// most once a pass: in the pass over the cell of the pair's higher layer.
//
// An object that leaves its cell or is deleted while the pass runs is marked
// wherever it was taken, so the pass never calls a deleted object and stops
// testing one that moved away.

#include <cstddef>
#include <cstdint>
#include <vector>

class TGridCell;
class TGridObject;

struct TCollisionPass {
    static const int kLayers = 4;
    enum State : uint8_t { kPresent = 0, kLeft = 1, kDeleted = 2 };
    struct Entry {
        TGridObject* object;
        int layer;
        State state;
    };
    // One active cell's movers: movers[first[l] .. first[l + 1]) are those
    // of layer l (none for layer 0).
    struct CellMovers {
        TGridCell* cell;
        size_t first[kLayers + 1];
    };

    std::vector<Entry> movers;
    std::vector<CellMovers> cells;
    std::vector<Entry> nearby[kLayers - 1];  // layers 0 to 2 near the cell worked on
    bool busy = false;

    // Starts a pass with nothing taken yet; it is the running one until end.
    void begin();
    // Takes the cell's objects of layers 1 to 3, each list front to back.
    void addCell(TGridCell* cell);
    // Takes one list of a cell near the one worked on (layers 0 to 2).
    void addNearby(TGridCell* cell, int layer);
    void end();

    // While the pass runs: raises the mark of the object's entries of that
    // layer to state (a mark is never lowered: an object that moved out, came
    // back and was deleted reads as deleted). Otherwise nothing.
    void mark(const TGridObject* object, int layer, State state);

    // The pass running now, null between passes (they run one at a time, on
    // the program's one thread): an object being destroyed or leaving a cell
    // marks itself there, wherever it is filed by then.
    static TCollisionPass* running;

private:
    TCollisionPass* outer = nullptr;
};
