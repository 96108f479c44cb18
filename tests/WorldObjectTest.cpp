#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/TAgent.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/THeightSource.h"
#include "scene/TMovingObject.h"
#include "scene/TPhysicalObject.h"
#include "scene/TWorld.h"

namespace {

struct FlatGround : THeightSource {
    explicit FlatGround(float h) : height(h) {}
    float getHeight(const TVector&) override { return height; }
    float height;
};

// A plain world object with up to three spheres on its own centres.
class Thing : public TMovingObject {
public:
    Thing(TWorld* w, const TVector& p, int layer = 0, float mass = 100.0f) : TMovingObject(layer, w, mass), pos(p) {}
    ~Thing() override {
        for (TBoundingSphere* s : spheres) delete s;
    }
    // A sphere whose centre is pos + offset (kept in its own vector).
    TBoundingSphere* addSphere(const TVector& offset, float radius) {
        centres[count] = pos + offset;
        spheres[count] = new TBoundingSphere(&centres[count], radius);
        return spheres[count++];
    }

    int getSphereCount() override { return count; }
    TBoundingSphere** getSpheres() override { return count ? spheres : nullptr; }
    void getPosition(TVector& out) override { out = pos; }
    void setPosition(const TVector& p) override {
        ++setCalls;
        pos = p;
    }
    void moveBy(const TVector& v) override { pos = pos + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return 7; }

    TVector pos;
    TVector centres[3];
    TBoundingSphere* spheres[3] = {nullptr, nullptr, nullptr};
    int count = 0;
    int setCalls = 0;
};

class Dart : public TPhysicalObject {
public:
    Dart(TWorld* w, const TVector& dir, const TVector& start, float radius = 1.0f, float speed = 0.01f)
        : TPhysicalObject(1, dir, start, radius, speed, w) {}
    void playSound() override {}
    void think() override {}
};

class Walker : public TAgent {
public:
    explicit Walker(TWorld* w) : TAgent(0, w, 100.0f) { registerBack(); }
    int getSphereCount() override { return 0; }
    TBoundingSphere** getSpheres() override { return nullptr; }
    void getPosition(TVector& out) override { out = pos; }
    void setPosition(const TVector& p) override { pos = p; }
    void moveBy(const TVector& v) override { pos = pos + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return 1; }
    void setTarget(const TVector& t) override { target = t; }
    TVector getTarget() override { return target; }
    TVector pos, target;
};

std::vector<TMovingObject*> listed(TWorld& w) {
    std::vector<TMovingObject*> out;
    for (TListNode<TMovingObject>* n = w.objects.head; n; n = n->next) out.push_back(n->value);
    return out;
}

bool finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

// ---------------------------------------------------------------- spheres

TEST(TBoundingSphereTest, IntersectsBySumOfSquaredRadii) {
    TVector a(0, 0, 0), b(1.4f, 0, 0);
    TBoundingSphere sa(&a, 1.0f), sb(&b, 1.0f);
    EXPECT_TRUE(sa.intersects(&sb));  // 2 > 1.96
    b.x = 1.5f;                       // the sphere follows its centre vector
    EXPECT_FALSE(sa.intersects(&sb));  // 2 < 2.25, though the radii sum is 2

    TBoundingSphere small(&a, 0.5f);
    b.x = 1.2f;
    EXPECT_FALSE(small.intersects(&sb));  // 1.25 < 1.44

    // Exactly sqrt(r1^2 + r2^2) apart: equality does not touch.
    TVector c(0, 5.0f, 0);
    TBoundingSphere three(&a, 3.0f), four(&c, 4.0f);
    EXPECT_FALSE(three.intersects(&four));
    c.y = 4.999f;
    EXPECT_TRUE(three.intersects(&four));
    EXPECT_FALSE(three.intersects(nullptr));
}

TEST(TBoundingSphereTest, SetRadiusKeepsSquareAndCentreIsCopied) {
    TVector c(1, 2, 3);
    TBoundingSphere s(&c, 2.0f);
    EXPECT_FLOAT_EQ(s.getRadiusSquared(), 4.0f);
    s.setRadius(3.0f);
    EXPECT_FLOAT_EQ(s.getRadius(), 3.0f);
    EXPECT_FLOAT_EQ(s.getRadiusSquared(), 9.0f);
    TVector copy = s.getCentre();
    copy.x = 99.0f;
    EXPECT_FLOAT_EQ(c.x, 1.0f);
}

// ------------------------------------------------------------ collidesWith

TEST(TGridObjectTest, CollidesWithTakesLowestOtherSphereFirst) {
    Thing me(nullptr, TVector(0, 0, 0)), other(nullptr, TVector(0, 0, 0));
    TBoundingSphere* m0 = me.addSphere(TVector(0, 0, 0), 1.0f);
    TBoundingSphere* m1 = me.addSphere(TVector(10, 0, 0), 1.0f);
    TBoundingSphere* o0 = other.addSphere(TVector(10.5f, 0, 0), 1.0f);  // touches m1 only
    other.addSphere(TVector(0.5f, 0, 0), 1.0f);                          // touches m0 only
    TBoundingSphere* own = nullptr;
    TBoundingSphere* theirs = nullptr;
    ASSERT_TRUE(me.collidesWith(&other, own, theirs));
    // Other's sphere 0 is tried against all of mine before other's sphere 1.
    EXPECT_EQ(own, m1);
    EXPECT_EQ(theirs, o0);
    (void)m0;
}

TEST(TGridObjectTest, CollidesWithLeavesOutArgumentsAloneWhenNothingTouches) {
    Thing me(nullptr, TVector(0, 0, 0)), none(nullptr, TVector(0, 0, 0)), far(nullptr, TVector(0, 0, 0));
    me.addSphere(TVector(0, 0, 0), 1.0f);
    far.addSphere(TVector(5, 0, 0), 1.0f);
    TBoundingSphere sentinelA(nullptr, 1.0f), sentinelB(nullptr, 1.0f);
    TBoundingSphere* own = &sentinelA;
    TBoundingSphere* theirs = &sentinelB;
    EXPECT_FALSE(me.collidesWith(&none, own, theirs));  // no spheres at all
    EXPECT_FALSE(none.collidesWith(&me, own, theirs));
    EXPECT_FALSE(me.collidesWith(&far, own, theirs));
    EXPECT_FALSE(me.collidesWith(nullptr, own, theirs));
    EXPECT_EQ(own, &sentinelA);
    EXPECT_EQ(theirs, &sentinelB);
}

// ------------------------------------------------------- ground and gravity

TEST(TGridObjectTest, PlaceOnGroundAlwaysZeroesVelocityAndSetsOnGround) {
    FlatGround ground(100.0f);
    Thing t(nullptr, TVector(3, 4, 20));
    t.onGround = 0;
    t.setVelocity(TVector(1, 2, 3));
    t.placeOnGround(&ground);
    EXPECT_EQ(t.onGround, 1);
    EXPECT_FLOAT_EQ(t.getVelocity().length(), 0.0f);
    EXPECT_FLOAT_EQ(t.pos.x, 3.0f);
    EXPECT_FLOAT_EQ(t.pos.y, 4.0f);
    EXPECT_FLOAT_EQ(t.pos.z, 100.0f);

    Thing still(nullptr, TVector(0, 0, 0));  // on the ground and not moving already
    still.placeOnGround(&ground);
    EXPECT_EQ(still.onGround, 1);
    EXPECT_EQ(still.setCalls, 1);
    EXPECT_FLOAT_EQ(still.pos.z, 100.0f);
}

TEST(TGridObjectTest, TouchesGroundOnlyBelowTheSurface) {
    FlatGround ground(100.0f);
    Thing t(nullptr, TVector(0, 0, 0));
    TBoundingSphere* high = t.addSphere(TVector(0, 0, 50), 1.0f);
    t.addSphere(TVector(0, 0, 99), 1.0f);  // lowest point exactly on the ground
    EXPECT_FALSE(t.touchesGround(&ground));
    t.centres[1].z = 99.5f;  // reaches below the surface
    EXPECT_TRUE(t.touchesGround(&ground));
    t.centres[1].z = 0.0f;
    high->centre->z = 99.01f;  // the first sphere alone
    EXPECT_TRUE(t.touchesGround(&ground));
    EXPECT_FALSE(t.touchesGround(nullptr));
    Thing none(nullptr, TVector(0, 0, 1000));
    EXPECT_FALSE(none.touchesGround(&ground));
}

TEST(TGridObjectTest, FallAcceleratesDownward) {
    Thing t(nullptr, TVector(0, 0, 10));
    t.fall(100);
    EXPECT_FLOAT_EQ(t.getVelocity().z, 0.1f);
    EXPECT_FLOAT_EQ(t.pos.z, 10.01f);  // moved by velocity * 0.1 after the velocity step
    t.fall(100);
    EXPECT_FLOAT_EQ(t.getVelocity().z, 0.2f);
    EXPECT_NEAR(t.pos.z, 10.03f, 1e-5f);
}

TEST(TGridObjectTest, ApplyForceDividesByMassAndIgnoresMasslessObjects) {
    Thing heavy(nullptr, TVector(), 0, 2.0f);
    heavy.applyForce(TVector(2, 4, 6));
    EXPECT_FLOAT_EQ(heavy.getVelocity().x, 1.0f);
    EXPECT_FLOAT_EQ(heavy.getVelocity().z, 3.0f);
    EXPECT_FLOAT_EQ(heavy.getScaledVelocity().y, 4.0f);

    Thing massless(nullptr, TVector(), 0, 0.0f);
    massless.setVelocity(TVector(1, 1, 1));
    massless.applyForce(TVector(0, 0, 10.0f));
    EXPECT_TRUE(finite(massless.getVelocity()));
    EXPECT_FLOAT_EQ(massless.getVelocity().z, 1.0f);

    Thing tiny(nullptr, TVector(), 0, 1e-38f);  // the quotient overflows
    tiny.applyForce(TVector(0, 0, 1e30f));
    EXPECT_TRUE(finite(tiny.getVelocity()));
}

// ------------------------------------------------------ moving-object defaults

TEST(TMovingObjectTest, StartsAsTheGameObjectsExpect) {
    TWorld world;
    Thing t(&world, TVector(1, 2, 3), 2, 1000.0f);
    EXPECT_EQ(t.onGround, 1);
    EXPECT_FLOAT_EQ(t.getLife(), 0.0f);
    EXPECT_EQ(t.index, -1);
    EXPECT_EQ(t.minimapFlag, 0);
    EXPECT_EQ(t.ownerNode, nullptr);
    EXPECT_EQ(t.cell, nullptr);
    EXPECT_EQ(t.collisionLayer, 2);
    EXPECT_FLOAT_EQ(t.getMass(), 1000.0f);
    EXPECT_EQ(t.getType(), 7);
    EXPECT_EQ(t.ownerValue(), 0);
    EXPECT_FALSE(t.isSpecial());
    EXPECT_FALSE(t.canPickUp(&t));
    TVector red = t.getMarkerColor();
    EXPECT_FLOAT_EQ(red.x, 1.0f);
    EXPECT_FLOAT_EQ(red.y + red.z, 0.0f);

    // position and the grid interface's getPosition reach the same code.
    TPositioned* asPositioned = &t;
    TGridObject* asGrid = &t;
    TVector a, b;
    asPositioned->position(a);
    asGrid->getPosition(b);
    EXPECT_FLOAT_EQ(a.z, 3.0f);
    EXPECT_FLOAT_EQ(b.y, 2.0f);
    asGrid->setPosition(TVector(7, 8, 9));
    EXPECT_FLOAT_EQ(t.pos.x, 7.0f);

    t.takeDamage(2.5f, TVector());
    EXPECT_FLOAT_EQ(t.getLife(), -2.5f);
}

TEST(TMovingObjectTest, DefaultPeriodicDoRefilesAndAsksForDeletion) {
    TGrid grid(TVector(0, 0, -512), TVector(2048, 2048, 640), nullptr);
    TWorld world;
    world.grid = &grid;
    Thing t(&world, TVector(100, 100, 0));
    EXPECT_TRUE(t.periodicDo(16));
    EXPECT_EQ(t.cell, grid.findCell(TVector(100, 100, 0)));
}

TEST(TAgentTest, KeepsItsTarget) {
    TWorld world;
    Walker w(&world);
    w.setTarget(TVector(1, 2, 3));
    EXPECT_FLOAT_EQ(w.getTarget().y, 2.0f);
    EXPECT_EQ(world.objects.count(), 1);
}

// ------------------------------------------------------------- object list

TEST(TMovingObjectTest, RegistersFrontOrBackOnce) {
    TWorld world;
    Thing a(&world, TVector()), b(&world, TVector()), c(&world, TVector());
    a.registerBack();
    b.registerBack();
    c.registerFront();
    EXPECT_EQ(listed(world), (std::vector<TMovingObject*>{&c, &a, &b}));
    TListNode<TMovingObject>* node = a.ownerNode;
    EXPECT_EQ(a.registerFront(), node);  // already listed: nothing changes
    EXPECT_EQ(world.objects.count(), 3);
    EXPECT_EQ(a.ownerList, &world.objects);

    Thing loose(nullptr, TVector());
    EXPECT_EQ(loose.registerBack(), nullptr);
}

TEST(TMovingObjectTest, DeletingUnlinksOnlyItsOwnNode) {
    TWorld world;
    std::vector<Thing*> things;
    for (int i = 0; i < 4; ++i) {
        things.push_back(new Thing(&world, TVector()));
        things.back()->registerBack();
    }
    delete things[1];  // a middle node: the chain behind it stays
    EXPECT_EQ(listed(world), (std::vector<TMovingObject*>{things[0], things[2], things[3]}));
    EXPECT_EQ(world.objects.lastIndex, 2);
    delete things[3];  // the tail
    delete things[0];  // the head
    EXPECT_EQ(listed(world), (std::vector<TMovingObject*>{things[2]}));
    EXPECT_EQ(world.objects.tail, things[2]->ownerNode);
    things[2]->unregister();
    EXPECT_TRUE(world.objects.isEmpty());
    delete things[2];
}

TEST(TMovingObjectTest, FrameStepMayDeleteTheCurrentObjectAfterAdvancing) {
    TWorld world;
    for (int i = 0; i < 5; ++i) (new Thing(&world, TVector(static_cast<float>(i), 0, 0)))->registerBack();
    TListIterator<TMovingObject>* it = world.objects.createIterator();
    int visited = 0;
    TMovingObject* current = it->next();
    while (current) {
        ++visited;
        TMovingObject* following = it->next();
        if (visited % 2 == 1) delete current;  // objects 1, 3, 5 ask to go
        current = following;
    }
    delete it;
    EXPECT_EQ(visited, 5);
    EXPECT_EQ(world.objects.count(), 2);
    while (world.objects.head) delete world.objects.head->value;
}

TEST(TWorldTest, ObjectsOutlivingTheWorldDeleteSafely) {
    Thing* survivor;
    {
        TWorld world;
        survivor = new Thing(&world, TVector());
        survivor->registerFront();
    }
    EXPECT_EQ(survivor->ownerNode, nullptr);
    delete survivor;  // must not touch the freed list
}

// -------------------------------------------------------- physical objects

TEST(TPhysicalObjectTest, StartsInTheAirAndFliesStraight) {
    TGrid grid(TVector(0, 0, -512), TVector(2048, 2048, 640), nullptr);
    TWorld world;
    world.grid = &grid;
    Thing first(&world, TVector());
    first.registerBack();
    Dart* d = new Dart(&world, TVector(0, 3, 4), TVector(100, 100, 0), 0.5f, 0.01f);
    EXPECT_EQ(d->onGround, 0);
    EXPECT_FLOAT_EQ(d->getMass(), 0.0f);
    EXPECT_EQ(d->getKind(), 3);
    EXPECT_EQ(d->age, 0);
    EXPECT_EQ(listed(world), (std::vector<TMovingObject*>{&first, d}));  // at the back
    EXPECT_FLOAT_EQ(d->velocity.y, 0.006f);
    EXPECT_FLOAT_EQ(d->velocity.z, 0.008f);
    EXPECT_FLOAT_EQ(d->getVelocity().length(), 0.0f);  // the grid velocity is separate
    ASSERT_EQ(d->getSphereCount(), 1);
    EXPECT_FLOAT_EQ(d->getSpheres()[0]->getRadius(), 0.5f);
    EXPECT_EQ(d->cell, nullptr);  // not filed before its first move

    TMovingObject* asMoving = d;
    EXPECT_FALSE(asMoving->periodicDo(1000));
    EXPECT_EQ(d->age, 1000);
    EXPECT_FLOAT_EQ(d->position.y, 106.0f);
    EXPECT_FLOAT_EQ(d->getSpheres()[0]->getCentre().z, 8.0f);  // the sphere rides on position
    EXPECT_EQ(d->cell, grid.findCell(d->position));
    TVector p;
    asMoving->position(p);
    EXPECT_FLOAT_EQ(p.z, 8.0f);

    d->moveBy(TVector(1, 0, 0));
    asMoving->setPosition(TVector(5, 6, 7));
    EXPECT_FLOAT_EQ(d->position.x, 5.0f);

    d->applyForce(TVector(0, 0, 10.0f));  // a blast on a massless projectile
    EXPECT_TRUE(finite(d->getVelocity()));

    delete d;
    EXPECT_EQ(listed(world), (std::vector<TMovingObject*>{&first}));
    EXPECT_TRUE(grid.activeCells.isEmpty());
}

TEST(TPhysicalObjectTest, ZeroDirectionGivesNoMotion) {
    TWorld world;
    Dart d(&world, TVector(), TVector(1, 2, 3));
    EXPECT_TRUE(finite(d.velocity));
    d.move(100);
    EXPECT_FLOAT_EQ(d.position.x, 1.0f);
}
