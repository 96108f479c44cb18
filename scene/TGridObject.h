#pragma once
// TGridObject is the part of a world object that the spatial grid files and
// tests: velocity, mass, collision layer (0 to 3), the cell that holds it and
// its bounding spheres. An object enters the grid at its first updateCell,
// stays in the cell it has while its position lies in that cell's closed box,
// and leaves its cell when it is destroyed. Only its own cell node is ever
// removed.

#include <cstdint>

#include "engine/TList.h"
#include "engine/TVector.h"

class TBoundingSphere;
class TGrid;
class TGridCell;
class THeightSource;

class TGridObject {
public:
    static const int kLayerCount = 4;

    TVector velocity;
    float mass;
    TListNode<TGridObject>* cellNode;  // node in cell->lists[collisionLayer]; valid while cell is set
    TGridCell* cell;                   // null while outside the grid or not yet filed
    TGrid* grid;                       // not owned; may be null (then the object is never filed)
    uint8_t onGround;
    int collisionLayer;

    // Velocity zero, on the ground, in no cell. The grid is not owned.
    TGridObject(float mass, int layer, TGrid* grid);
    // Leaves the cell (its own node only).
    virtual ~TGridObject();
    TGridObject(const TGridObject&) = delete;
    TGridObject& operator=(const TGridObject&) = delete;

    // Sets onGround, zeroes the velocity and moves the position's z onto the
    // ground under it (a null ground leaves the position alone).
    virtual void placeOnGround(THeightSource* ground);
    // Told by the collision pass of a contact; the spheres are the touching
    // pair (own first). Ignores it. A handler may move or delete objects,
    // itself included; the pass stays safe (see TGridCell).
    virtual void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere);
    virtual int getSphereCount() = 0;
    // getSphereCount pointers, owned by the object; may be null for none.
    virtual TBoundingSphere** getSpheres() = 0;
    virtual void getPosition(TVector& out) = 0;
    virtual void setPosition(const TVector& p) = 0;
    virtual void moveBy(const TVector& v) = 0;
    // `source` is where the damage came from; the plain objects ignore it.
    virtual void takeDamage(float amount, const TVector& source) = 0;
    // True when the collision pass tells this object of its contacts itself.
    virtual bool isSpecial();
    // True at the first sphere whose lowest point (centre z + radius) lies
    // strictly below the ground's z under its centre. False for a null ground.
    virtual bool touchesGround(THeightSource* ground);
    // Tests the other's spheres (outer loop) against this object's (inner
    // loop); at the first intersecting pair writes own sphere and other's
    // sphere to the out arguments and returns true. Returns false with the out
    // arguments untouched when no pair touches.
    virtual bool collidesWith(TGridObject* other, TBoundingSphere*& ownSphere, TBoundingSphere*& otherSphere);
    virtual bool canPickUp(TGridObject* item);
    virtual void pickUp(TGridObject* item);
    // velocity * mass.
    virtual TVector getScaledVelocity();
    virtual TVector getVelocity();
    // Gravity step of dt milliseconds: velocity.z += 0.001 dt, then moveBy
    // (velocity * 0.001 dt).
    virtual void fall(int dt);
    // Refiles the object after a move: keeps its cell while the cell's closed
    // box holds the position, else moves to the cell found by the grid (none
    // outside the box). Tells the grid how far the spheres reach.
    virtual void updateCell();
    // velocity += f / mass. A force on an object without mass (the
    // projectiles), or one that would make the velocity non-finite, is
    // ignored: the velocity stays as it was.
    virtual void applyForce(const TVector& f);
    virtual float getLife() = 0;
    virtual int getType() = 0;

    // The farthest point of any sphere from `from`: centre distance plus
    // radius; 0 without spheres.
    float sphereReach(const TVector& from);
    // Tells the grid how far the spheres reach from the position (the cells
    // the collision pass searches around its movers depend on it).
    void noteReach();

    void setVelocity(const TVector& v) { velocity = v; }
    float getMass() const { return mass; }
    void setOnGround(uint8_t value) { onGround = value; }
    // Leaves the cell if it has one; the object is then unfiled until its
    // next updateCell.
    void leaveCell();

private:
    void detachFromCell(bool destroyed);
};
