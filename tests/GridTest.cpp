#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TGridCell.h"
#include "scene/THeightSource.h"
#include "scene/TMovingObject.h"
#include "scene/TWorld.h"

namespace {

struct FlatGround : THeightSource {
    explicit FlatGround(float h) : height(h) {}
    float getHeight(const TVector&) override { return height; }
    float height;
};

using Events = std::vector<std::string>;

// A named world object with one sphere on its position (or, given levels, a
// column of up to four spheres 4.0 apart above it, z growing downward, as a
// defense tower has) that writes every contact it is told of as "me<other",
// may run a hook on it and counts how often the pass asks it for contact.
class Ball : public TMovingObject {
public:
    Ball(TWorld* w, const char* n, int layer, const TVector& p, bool isSpecialObject, Events* ev, float radius = 1.0f,
         int levels = 0)
        : TMovingObject(layer, w, 100.0f),
          name(n),
          pos(p),
          centres{p + TVector(0, 0, -4), p + TVector(0, 0, -8), p + TVector(0, 0, -12)},
          sphere(&pos, radius),
          upper{{&centres[0], radius}, {&centres[1], radius}, {&centres[2], radius}},
          sphereCount(1 + (levels < 0 ? 0 : levels > 3 ? 3 : levels)),
          special(isSpecialObject),
          events(ev) {
        registerBack();
        updateCell();
    }

    int getSphereCount() override { return sphereCount; }
    TBoundingSphere** getSpheres() override { return spheres; }
    void getPosition(TVector& out) override { out = pos; }
    void setPosition(const TVector& p) override { pos = p; }
    void moveBy(const TVector& v) override { pos = pos + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return 9; }
    bool isSpecial() override { return special; }
    bool collidesWith(TGridObject* other, TBoundingSphere*& own, TBoundingSphere*& theirs) override {
        ++asked;
        return TMovingObject::collidesWith(other, own, theirs);
    }
    void onCollision(TGridObject* other, TBoundingSphere* own, TBoundingSphere* theirs) override {
        EXPECT_TRUE(own == spheres[0] || own == spheres[1] || own == spheres[2] || own == spheres[3]);
        EXPECT_NE(theirs, nullptr);
        if (events) events->push_back(name + "<" + static_cast<Ball*>(other)->name);
        if (hook) hook(static_cast<Ball*>(other));
    }
    void placeOnGround(THeightSource* ground) override {
        if (events) events->push_back(name + " lands");
        TMovingObject::placeOnGround(ground);
        if (landHook) landHook();
    }
    void moveTo(const TVector& p) {
        pos = p;
        updateCell();
    }

    std::string name;
    TVector pos;
    TVector centres[3];
    TBoundingSphere sphere;
    TBoundingSphere upper[3];
    TBoundingSphere* spheres[4] = {&sphere, &upper[0], &upper[1], &upper[2]};
    int sphereCount;
    bool special;
    Events* events;
    int asked = 0;
    std::function<void(Ball*)> hook;
    std::function<void()> landHook;
};

class GridTest : public ::testing::Test {
protected:
    GridTest() : grid(TVector(0, 0, -512), TVector(2048, 2048, 640), nullptr) { world.grid = &grid; }
    ~GridTest() override { clearWorld(); }
    Ball* ball(const char* name, int layer, const TVector& p, bool special = false, float radius = 1.0f,
               int levels = 0) {
        return new Ball(&world, name, layer, p, special, &events, radius, levels);
    }
    void clearWorld() {
        while (world.objects.head) delete world.objects.head->value;
        events.clear();
    }
    std::vector<std::string> cellList(TGridCell* c, int layer) {
        std::vector<std::string> out;
        for (TListNode<TGridObject>* n = c->lists[layer].head; n; n = n->next)
            out.push_back(static_cast<Ball*>(n->value)->name);
        return out;
    }

    TGrid grid;
    TWorld world;
    Events events;
};

const TVector kCentre(100, 100, 0);  // inside cell (1, 1, 7)

}  // namespace

// ------------------------------------------------------------- lookup

TEST_F(GridTest, CellsTileTheBoxInIndexOrder) {
    EXPECT_FLOAT_EQ(grid.cellSize.x, 64.0f);
    EXPECT_FLOAT_EQ(grid.cellSize.y, 64.0f);
    EXPECT_FLOAT_EQ(grid.cellSize.z, 72.0f);
    TGridCell* c = grid.cells[((2 * 32) + 3) * 16 + 5];
    EXPECT_EQ(c, grid.cellAt(2, 3, 5));
    EXPECT_FLOAT_EQ(c->min.x, 128.0f);
    EXPECT_FLOAT_EQ(c->min.y, 192.0f);
    EXPECT_FLOAT_EQ(c->min.z, -512.0f + 360.0f);
    EXPECT_FLOAT_EQ(c->max.z, -512.0f + 432.0f);
    EXPECT_EQ(grid.cellAt(32, 0, 0), nullptr);
    EXPECT_EQ(grid.cellAt(0, 0, -1), nullptr);
}

TEST_F(GridTest, FindCellBoundaries) {
    EXPECT_EQ(grid.findCell(TVector(0, 0, -512)), grid.cellAt(0, 0, 0));  // min is in cell 0
    EXPECT_EQ(grid.findCell(TVector(2047.9f, 2047.9f, 639.9f)), grid.cellAt(31, 31, 15));
    // The far faces of the box belong to no cell.
    EXPECT_EQ(grid.findCell(TVector(2048, 10, 0)), nullptr);
    EXPECT_EQ(grid.findCell(TVector(10, 2048, 0)), nullptr);
    EXPECT_EQ(grid.findCell(TVector(10, 10, 640)), nullptr);
    EXPECT_EQ(grid.findCell(TVector(-0.01f, 10, 0)), nullptr);
    EXPECT_EQ(grid.findCell(TVector(10, 10, -513)), nullptr);
    EXPECT_EQ(grid.findCell(TVector(10, 10, 1e9f)), nullptr);
    // An inner face belongs to the higher cell on lookup.
    EXPECT_EQ(grid.findCell(TVector(64, 0, -512)), grid.cellAt(1, 0, 0));
    EXPECT_EQ(grid.cellAt(0, 0, 0)->findCell(TVector(100, 100, 0)), grid.cellAt(1, 1, 7));
}

TEST_F(GridTest, ContainsIsClosedOnBothEnds) {
    TGridCell* c = grid.cellAt(1, 1, 1);
    EXPECT_TRUE(c->contains(c->min));
    EXPECT_TRUE(c->contains(c->max));
    EXPECT_FALSE(c->contains(c->max + TVector(0.01f, 0, 0)));
    EXPECT_FALSE(c->contains(c->min - TVector(0, 0, 0.01f)));
}

// ------------------------------------------------------------- filing

TEST_F(GridTest, ObjectKeepsItsCellOnASharedFace) {
    Ball* b = ball("b", 0, TVector(63, 10, 0));
    EXPECT_EQ(b->cell, grid.cellAt(0, 0, 7));
    b->moveTo(TVector(64, 10, 0));  // the shared face: stays
    EXPECT_EQ(b->cell, grid.cellAt(0, 0, 7));
    b->moveTo(TVector(64.5f, 10, 0));
    EXPECT_EQ(b->cell, grid.cellAt(1, 0, 7));
    EXPECT_TRUE(grid.cellAt(0, 0, 7)->lists[0].isEmpty());
    b->moveTo(TVector(64, 10, 0));  // back on the face, from the other side
    EXPECT_EQ(b->cell, grid.cellAt(1, 0, 7));
    EXPECT_EQ(cellList(grid.cellAt(1, 0, 7), 0), (std::vector<std::string>{"b"}));
}

TEST_F(GridTest, EntersOnlyAtItsFirstUpdateAndLeavesOutsideTheBox) {
    Ball* b = ball("b", 1, kCentre);
    b->leaveCell();
    EXPECT_EQ(b->cell, nullptr);
    EXPECT_TRUE(grid.activeCells.isEmpty());
    b->pos = TVector(200, 200, 0);
    EXPECT_EQ(b->cell, nullptr);  // moving alone files nothing
    b->updateCell();
    EXPECT_EQ(b->cell, grid.cellAt(3, 3, 7));
    b->moveTo(TVector(-5, 200, 0));
    EXPECT_EQ(b->cell, nullptr);
    EXPECT_TRUE(grid.activeCells.isEmpty());
    b->moveTo(TVector(5, 200, 0));  // comes back
    EXPECT_EQ(b->cell, grid.cellAt(0, 3, 7));
}

TEST_F(GridTest, ActiveCellsAndOccupiedLayers) {
    TGridCell* c = grid.findCell(kCentre);
    Ball* ground0 = ball("g", 0, kCentre);
    EXPECT_EQ(c->active, 0);  // layer 0 never activates
    EXPECT_EQ(c->occupiedLayers, 0);
    Ball* dragonA = ball("d1", 2, kCentre);
    Ball* dragonB = ball("d2", 2, kCentre);
    EXPECT_EQ(c->active, 1);
    EXPECT_EQ(c->occupiedLayers, 1);  // a second layer-2 object changes nothing
    Ball* pile = ball("p", 1, kCentre);
    EXPECT_EQ(c->occupiedLayers, 2);
    EXPECT_EQ(grid.activeCells.count(), 1);
    EXPECT_EQ(cellList(c, 2), (std::vector<std::string>{"d2", "d1"}));  // newest first

    delete pile;  // the last layer-1 object; layer 2 keeps the cell active
    EXPECT_EQ(c->occupiedLayers, 1);
    EXPECT_EQ(c->active, 1);
    delete dragonA;
    EXPECT_EQ(c->active, 1);
    EXPECT_EQ(cellList(c, 2), (std::vector<std::string>{"d2"}));
    delete dragonB;
    EXPECT_EQ(c->active, 0);
    EXPECT_EQ(c->occupiedLayers, 0);
    EXPECT_TRUE(grid.activeCells.isEmpty());
    EXPECT_EQ(cellList(c, 0), (std::vector<std::string>{"g"}));
    (void)ground0;

    // The most recently activated cell comes first.
    ball("x", 1, TVector(500, 500, 0));
    ball("y", 3, TVector(900, 900, 0));
    EXPECT_EQ(grid.activeCells.head->value, grid.findCell(TVector(900, 900, 0)));
    EXPECT_EQ(grid.activeCells.tail->value, grid.findCell(TVector(500, 500, 0)));
}

TEST_F(GridTest, InsertRefusesUnknownLayers) {
    TGridCell* c = grid.cellAt(0, 0, 0);
    EXPECT_EQ(c->insert(nullptr, 4), nullptr);
    EXPECT_EQ(c->insert(nullptr, -1), nullptr);
    Ball* odd = ball("odd", 7, kCentre);
    EXPECT_EQ(odd->cell, nullptr);
    EXPECT_TRUE(grid.activeCells.isEmpty());
}

TEST(TGridLifetimeTest, GridGoingFirstLeavesObjectsUnfiled) {
    TWorld world;
    Ball* b;
    {
        TGrid grid(TVector(0, 0, -512), TVector(2048, 2048, 640), nullptr);
        world.grid = &grid;
        b = new Ball(&world, "b", 1, kCentre, false, nullptr);
        EXPECT_NE(b->cell, nullptr);
    }
    EXPECT_EQ(b->cell, nullptr);
    b->grid = nullptr;
    delete b;  // must not touch the freed cell
}

// ------------------------------------------------------- collision pass

TEST_F(GridTest, PairOrderAndWhoIsTold) {
    // Layer 0 special vs layer 1 special: both, lower first.
    ball("a0", 0, kCentre, true);
    ball("b1", 1, kCentre, true);
    // Layer 0 plain vs layer 2 plain: the higher one is told without being asked.
    ball("c2", 2, kCentre, false);
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"a0<b1", "b1<a0",  // (0, 1)
                              "a0<c2",           // (0, 2): a0 special, c2 not
                              "b1<c2"}));        // (1, 2): b1 special, c2 not
}

TEST_F(GridTest, PlainLowerObjectLetsTheHigherOneHear) {
    ball("wall", 0, kCentre, false);
    ball("fire", 1, kCentre, false);
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"fire<wall"}));
}

TEST_F(GridTest, ListsRunNewestFirstAndSameLayersNeverMeet) {
    ball("old", 0, kCentre, true);
    ball("new", 0, kCentre, true);
    ball("p", 1, kCentre, false);
    ball("q", 1, kCentre, false);
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"new<q", "new<p", "old<q", "old<p"}));
}

TEST_F(GridTest, SeparatedObjectsAndOtherCellsDoNotMeet) {
    ball("a", 0, kCentre, true);
    ball("far", 1, kCentre + TVector(1.5f, 0, 0), true);  // 2.25 > 2: apart
    ball("elsewhere", 1, TVector(400, 400, 0), true);
    ball("outside", 1, TVector(-1, -1, 0), true);
    EXPECT_EQ(grid.activeCells.count(), 2);
    grid.processCollisions();
    EXPECT_TRUE(events.empty());
}

TEST_F(GridTest, CellWithOnlyLayerZeroIsNeverVisited) {
    ball("a", 0, kCentre, true);
    ball("b", 0, kCentre, true);
    grid.processCollisions();
    grid.findCell(kCentre)->processCollisions();
    EXPECT_TRUE(events.empty());
}

// ------------------------------------------------- across cell faces

TEST_F(GridTest, ObjectsMeetAcrossEveryFaceOfACell) {
    // The faces of cell (1, 1, 7) towards its neighbours of higher x, y, z.
    const TVector faces[3] = {TVector(128, 100, 0), TVector(100, 128, 0), TVector(100, 100, 64)};
    const TVector normals[3] = {TVector(1, 0, 0), TVector(0, 1, 0), TVector(0, 0, 1)};
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {1.0f, -1.0f}) {
            SCOPED_TRACE(testing::Message() << "axis " << axis << ", wall on side " << side);
            clearWorld();
            Ball* wall = ball("wall", 0, faces[axis] + normals[axis] * (0.5f * side), false, 2.0f);
            Ball* fire = ball("fire", 1, faces[axis] - normals[axis] * (0.5f * side), true);
            ASSERT_NE(wall->cell, fire->cell);
            grid.processCollisions();
            EXPECT_EQ(events, (Events{"fire<wall"}));
        }
    }
}

TEST_F(GridTest, ATowersSpheresMeetWhatFliesInTheCellsItReachesInto) {
    // Filed by its base, 2 below the top face of cell (1, 1, 8); its three
    // upper spheres lie in cell (1, 1, 7) above it.
    Ball* tower = ball("tower", 0, TVector(100, 100, 66), false, 4.0f, 3);
    EXPECT_EQ(tower->cell, grid.cellAt(1, 1, 8));
    EXPECT_FLOAT_EQ(grid.reach[0], 16.0f);  // the top sphere: 12 up, radius 4
    Ball* body = ball("body", 1, TVector(101, 100, 57), true);
    Ball* top = ball("top", 1, TVector(100, 99, 52), true);
    EXPECT_EQ(body->cell, grid.cellAt(1, 1, 7));
    EXPECT_EQ(top->cell, grid.cellAt(1, 1, 7));
    // A tower standing exactly on a face in x (as the level places one at
    // x = 1024) is filed in the higher cell; it meets a shot from the lower.
    Ball* edge = ball("edge", 0, TVector(1024, 700, 66), false, 4.0f, 3);
    Ball* side = ball("side", 1, TVector(1021, 700, 60), true);
    EXPECT_EQ(edge->cell, grid.cellAt(16, 10, 8));
    EXPECT_EQ(side->cell, grid.cellAt(15, 10, 7));
    grid.processCollisions();
    std::sort(events.begin(), events.end());
    EXPECT_EQ(events, (Events{"body<tower", "side<edge", "top<tower"}));
}

TEST_F(GridTest, APairAcrossAFaceMeetsOncePerPass) {
    // Each of the three touches the other two; pile and dragon lie in two
    // active cells, the wall on the face between them (filed in the higher).
    ball("wall", 0, TVector(128, 100, 0), true);
    ball("pile", 1, TVector(127.5f, 100, 0), true);
    ball("dragon", 2, TVector(128.5f, 100, 0), true);
    ASSERT_EQ(grid.activeCells.count(), 2);
    grid.processCollisions();
    // The dragon's cell was activated last and comes first; each pair is met
    // in the pass over the cell of its higher layer, in the layer pair order.
    EXPECT_EQ(events, (Events{"wall<dragon", "dragon<wall", "pile<dragon", "dragon<pile",  // cell (2, 1, 7)
                              "wall<pile", "pile<wall"}));                                 // cell (1, 1, 7)
}

TEST_F(GridTest, ABlastGrownInAContactReachesTheCellsItNowTouches) {
    Ball* fire = ball("fire", 1, TVector(124, 100, 0), true, 0.5f);
    ball("near", 0, TVector(123, 100, 0));  // touches the small sphere
    Ball* beyond = ball("beyond", 0, TVector(128.5f, 100, 0));  // only the grown one
    ASSERT_EQ(beyond->cell, grid.cellAt(2, 1, 7));
    fire->hook = [fire](Ball*) { fire->sphere.setRadius(5.0f); };
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"fire<near", "fire<beyond"}));
}

TEST_F(GridTest, ABlastGrownInOneCellIsMetByAMoverOfACellThatComesLater) {
    // The dragon's cell is activated first, so the fireball's comes first in
    // the pass; the blast it grows there reaches across the face at x = 128.
    Ball* dragon = ball("dragon", 2, TVector(131, 100, 0), true);
    Ball* fire = ball("fire", 1, TVector(126, 100, 0), true, 0.5f);
    ball("wall", 0, TVector(125, 100, 0));
    ASSERT_NE(dragon->cell, fire->cell);
    fire->hook = [fire](Ball*) { fire->sphere.setRadius(5.0f); };
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"fire<wall", "fire<dragon", "dragon<fire"}));
}

TEST_F(GridTest, ThePassAsksOnlyObjectsWithinReachOfItsMovers) {
    ball("fire", 1, kCentre, true);
    Ball* here = ball("here", 0, kCentre + TVector(20, 0, 0));
    Ball* next = ball("next", 0, TVector(140, 100, 0));   // the next cell in x
    Ball* far = ball("far", 0, TVector(300, 100, 0));     // three cells on
    grid.processCollisions();
    EXPECT_EQ(here->asked, 1);  // the mover's own cell is always searched
    EXPECT_EQ(next->asked, 0);  // out of reach of every filed object
    EXPECT_EQ(far->asked, 0);
    // A large object anywhere widens the reach: the next cell is searched.
    ball("castle", 0, TVector(1500, 1500, 0), false, 30.0f);
    EXPECT_FLOAT_EQ(grid.reach[0], 30.0f);
    grid.processCollisions();
    EXPECT_EQ(here->asked, 2);
    EXPECT_EQ(next->asked, 1);
    EXPECT_EQ(far->asked, 0);
    EXPECT_TRUE(events.empty());
}

// --------------------------------------------------------- ground contact

TEST_F(GridTest, SetGroundMarksThreeCellsPerColumn) {
    FlatGround flat(100.0f);  // iz = (100 + 512) / 72 = 8.5
    grid.setGround(&flat);
    for (int iz = 0; iz < 16; ++iz) {
        const bool expected = iz >= 7 && iz <= 9;
        EXPECT_EQ(grid.cellAt(5, 6, iz)->ground != nullptr, expected) << iz;
    }
    grid.setGround(nullptr);
    EXPECT_EQ(grid.cellAt(5, 6, 8)->ground, nullptr);
}

TEST_F(GridTest, GroundContactOnlyInGroundCellsForAirborneUpperLayers) {
    FlatGround flat(100.0f);
    const TVector low(100, 100, 99.5f);  // reaches below z = 100
    Ball* tower = ball("tower", 0, low);
    Ball* pile = ball("pile", 1, low);
    Ball* resting = ball("resting", 2, low + TVector(10, 0, 0));
    tower->onGround = 0;
    pile->onGround = 0;
    // No ground anywhere: only the pair tests run.
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"pile<tower"}));
    EXPECT_EQ(pile->onGround, 0);

    events.clear();
    grid.setGround(&flat);
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"pile<tower", "pile lands"}));
    EXPECT_EQ(pile->onGround, 1);
    EXPECT_FLOAT_EQ(pile->pos.z, 100.0f);
    EXPECT_EQ(tower->onGround, 0);  // layer 0 keeps itself on the ground
    (void)resting;                  // on the ground already: not tested

    // A cell away from the surface has no ground: a falling object there is
    // not placed even where the height source would say it is below ground.
    Ball* bird = ball("bird", 2, TVector(600, 600, 600));
    bird->onGround = 0;
    flat.height = -500.0f;
    grid.processCollisions();
    EXPECT_EQ(bird->onGround, 0);
}

// ------------------------------------------- changes made by the handlers

TEST_F(GridTest, HandlerDeletingTheOtherObjectSkipsOnlyThatOne) {
    Ball* hunter = ball("hunter", 0, kCentre, true);
    Ball* first = ball("first", 1, kCentre, true);
    ball("second", 1, kCentre, true);  // newest: met first
    Ball* victim = first;
    hunter->hook = [&](Ball* other) {
        if (other->name == "second") {
            delete victim;  // a later entry of the same list
            victim = nullptr;
        }
    };
    ball("dragon", 2, kCentre, true);
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"hunter<second", "second<hunter", "hunter<dragon", "dragon<hunter",
                              "second<dragon", "dragon<second"}));
}

TEST_F(GridTest, HandlerDeletingItsPartnerBeforeThePartnerHears) {
    Ball* a = ball("a", 0, kCentre, true);
    ball("b", 1, kCentre, true);
    a->hook = [](Ball* other) {
        if (other->name == "b") delete other;
    };
    ball("c", 2, kCentre, true);
    grid.processCollisions();
    // b is gone before it could be told; a goes on to meet c.
    EXPECT_EQ(events, (Events{"a<b", "a<c", "c<a"}));
    EXPECT_EQ(world.objects.count(), 2);
}

TEST_F(GridTest, HandlerDeletingItselfEndsItsPart) {
    Ball* a = ball("a", 0, kCentre, true);
    ball("b", 1, kCentre, true);
    ball("c", 2, kCentre, true);
    a->hook = [a](Ball*) { delete a; };
    ball("z", 0, kCentre, true);  // newest of layer 0: met first
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"z<b", "b<z", "a<b",  // a is gone: b not told, c not met
                              "z<c", "c<z", "b<c", "c<b"}));
}

TEST_F(GridTest, HandlerMovingItselfAwayIsHeardOnceAndNotTestedFurtherHere) {
    // Everything sits just inside the high x face of cell (1, 1, 7).
    const TVector edge(127.9f, 100, 0);
    Ball* fire = ball("fire", 1, TVector(127.5f, 100, 0), true);
    ball("w1", 0, edge, true);
    ball("w2", 0, edge, true);  // newest: met first
    ball("d", 2, edge, true);
    // Across the face into cell (2, 1, 7), still overlapping w1 and d.
    fire->hook = [fire](Ball*) { fire->moveTo(TVector(128.2f, 100, 0)); };
    grid.processCollisions();
    // w2 meets fire and fire hears of it while moving away; after that fire
    // takes no part in this cell's pass (w1 and d do not meet it here), and
    // the cell it entered waits for the next pass.
    EXPECT_EQ(events, (Events{"w2<fire", "fire<w2", "w2<d", "d<w2", "w1<d", "d<w1"}));
    EXPECT_EQ(fire->cell, grid.cellAt(2, 1, 7));
    EXPECT_EQ(grid.activeCells.count(), 2);
}

TEST_F(GridTest, MovedPartnerStillHearsOfTheContact) {
    Ball* wall = ball("wall", 0, kCentre, true);
    Ball* fire = ball("fire", 1, kCentre, true);
    wall->hook = [fire](Ball*) { fire->moveTo(TVector(1000, 1000, 0)); };
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"wall<fire", "fire<wall"}));
    // The cell it left is inactive now; the next pass has nothing to do there.
    events.clear();
    grid.processCollisions();
    EXPECT_TRUE(events.empty());
}

TEST_F(GridTest, HandlerMovingAnObjectAwayAndDeletingItIsSafe) {
    // Each case runs under AddressSanitizer in the sanitizer build: no call
    // may reach an object deleted in another cell, or outside the grid.
    const TVector elsewhere[2] = {TVector(1000, 1000, 0), TVector(5000, 5000, 0)};  // another cell, no cell
    // Three special objects of layers 0, 1 and 2 in one cell, alone in the
    // world; returns the lowest.
    auto threeInACell = [this](const char* low, const char* mid, const char* high) {
        clearWorld();
        Ball* lowest = ball(low, 0, kCentre, true);
        ball(mid, 1, kCentre, true);
        ball(high, 2, kCentre, true);
        return lowest;
    };
    for (const TVector& to : elsewhere) {
        SCOPED_TRACE(to.x);
        // An object moves itself away and deletes itself: its partner is not
        // told, and the pass goes on without it.
        Ball* a = threeInACell("a", "b", "c");
        a->hook = [a, to](Ball*) {
            a->moveTo(to);
            delete a;
        };
        grid.processCollisions();
        EXPECT_EQ(events, (Events{"a<b", "b<c", "c<b"}));

        // A handler moves its partner away and deletes it before the partner
        // hears; the lower object goes on to meet the next one.
        Ball* w = threeInACell("w", "f", "d");
        w->hook = [to](Ball* other) {
            if (other->name != "f") return;
            other->moveTo(to);
            delete other;
        };
        grid.processCollisions();
        EXPECT_EQ(events, (Events{"w<f", "w<d", "d<w"}));
    }
}

TEST_F(GridTest, ObjectsCreatedDuringThePassWaitForTheNext) {
    Ball* wall = ball("wall", 0, kCentre, true);
    ball("fire", 1, kCentre, true);
    int made = 0;
    wall->hook = [&](Ball*) {
        if (made++ == 0) {
            ball("gold", 1, kCentre, true);             // same cell
            ball("gold2", 1, TVector(700, 700, 0), true);  // activates another cell
            ball("wall2", 0, TVector(700, 700, 0), true);
        }
    };
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"wall<fire", "fire<wall"}));
    events.clear();
    grid.processCollisions();
    EXPECT_EQ(events.size(), 6u);  // wall meets gold and fire, wall2 meets gold2
}

TEST_F(GridTest, PassStartedFromAHandlerIsRefused) {
    Ball* a = ball("a", 0, kCentre, true);
    ball("b", 1, kCentre, false);
    a->hook = [this](Ball*) {
        grid.processCollisions();
        grid.findCell(kCentre)->processCollisions();
    };
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"a<b"}));
}

TEST_F(GridTest, DeletingAnObjectInTheGroundStepIsSafe) {
    FlatGround flat(100.0f);
    grid.setGround(&flat);
    const TVector low(100, 100, 99.5f);
    Ball* p1 = ball("p1", 1, low);
    Ball* p2 = ball("p2", 1, low);
    Ball* d = ball("d", 2, low + TVector(20, 0, 0));  // same cell, apart
    p1->onGround = 0;
    p2->onGround = 0;
    d->onGround = 0;
    p2->landHook = [p1] { delete p1; };  // p2 is newest and lands first
    grid.processCollisions();
    EXPECT_EQ(events, (Events{"p2 lands", "d lands"}));
}
