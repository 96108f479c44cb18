#pragma once
// TGrid divides the level's box into 32 x 32 x 16 cells and runs the
// collision pass once a frame over the cells that hold an object of layer 1
// to 3. An object is filed in the one cell that holds its position, but its
// spheres may reach into the cells around it (a tower's top, the castle's
// upper sphere): the grid keeps, per layer, the farthest reach of any object
// it filed, and the pass tests each cell's objects of layers 1 to 3 against
// the lower layers' objects of every cell within that layer's reach.
// It owns its cells for its whole life; it never owns the objects filed in
// them, and an object still filed when the grid goes is left unfiled rather
// than pointing into freed cells.

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TCollisionPass.h"
#include "scene/TGridCell.h"

class THeightSource;

class TGrid {
public:
    static const int kCellsX = 32;
    static const int kCellsY = 32;
    static const int kCellsZ = 16;
    static const int kCellCount = kCellsX * kCellsY * kCellsZ;

    TGridCell* cells[kCellCount];  // index ((ix * 32) + iy) * 16 + iz; owned
    TVector min;
    TVector max;
    TVector size;
    TVector cellSize;
    TList<TGridCell> activeCells;  // not owning; most recently activated first
    THeightSource* ground;         // not owned; may be null
    // Per layer, the farthest any filed object's spheres have reached from
    // its position (centre distance plus radius), noted at each of its cell
    // updates and after each of its contacts; it never shrinks (a tower is
    // filed once and stays).
    float reach[TCollisionPass::kLayers];

    // Builds every cell of the box min..max. The ground may be null and be
    // given later with setGround.
    TGrid(const TVector& min, const TVector& max, THeightSource* ground);
    // Unfiles the objects still in cells, then deletes the cells.
    virtual ~TGrid();
    TGrid(const TGrid&) = delete;
    TGrid& operator=(const TGrid&) = delete;

    // The cell holding p, or null outside the box. A coordinate equal to max
    // has no cell (the far faces belong to no cell); one equal to min is in
    // the first cell of that axis.
    TGridCell* findCell(const TVector& p);
    // The cell at grid indices, or null out of range.
    TGridCell* cellAt(int ix, int iy, int iz);
    // The grid indices, per axis, of the cells that the box lo..hi overlaps,
    // clamped to the grid (a box beyond a face gets the cells at that face).
    void indexRange(const TVector& lo, const TVector& hi, int from[3], int to[3]) const;
    // Raises the layer's reach to r (a value that is not finite, or a layer
    // outside 0..3, is ignored).
    void noteReach(int layer, float r);
    // Stores the ground and marks, per column, the cell at the ground height
    // under the column's centre and its neighbours above and below.
    void setGround(THeightSource* ground);
    // The collision pass over a snapshot of activeCells and their objects of
    // layers 1 to 3 (cells activated and objects filed during the pass wait
    // for the next one). A call from inside a contact handler does nothing.
    void processCollisions();

    // Pushes the cell at the front of activeCells; returns its node.
    TListNode<TGridCell>* addActive(TGridCell* cell);
    // Unlinks and deletes that node alone.
    void removeActive(TListNode<TGridCell>* node);

    // The scratch space of the running pass; used by TGridCell.
    TCollisionPass pass;
};
