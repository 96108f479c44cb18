#pragma once
// TPhysicalObject is a free-flying projectile (fireballs, arrows, tower
// projectiles): its own position and flight velocity, an age, and one
// bounding sphere centred on its position. It has no mass, starts in the air,
// adds itself at the back of the world's object list and flies in a straight
// line until a derived class stops it.
//
// Its field `position` hides the inherited `position` operation inside this
// class and its subclasses; callers reach the operation through a
// TMovingObject or TPositioned pointer. Likewise `velocity` here is the
// flight velocity, distinct from TGridObject::velocity (applyForce, fall).

#include "engine/TVector.h"
#include "scene/TMovingObject.h"

class TBoundingSphere;
class TEngine;
class TParticleManager;

class TPhysicalObject : public TMovingObject {
public:
    TParticleManager* particles;  // the world's; not owned
    TEngine* engine;              // the world's; not owned
    TVector position;
    TVector velocity;  // units per millisecond
    int age;           // milliseconds
    TBoundingSphere* sphere;  // owned, centred on position

    // Mass 0, off the ground, at `start`, flying along `direction` (made unit
    // length; a zero direction gives no motion) at `speed` units per ms with
    // a sphere of `radius`. Registers itself at the back of the world's list.
    TPhysicalObject(int layer, const TVector& direction, const TVector& start, float radius, float speed,
                    TWorld* world);
    // Deletes the sphere, then unlinks and leaves the cell.
    ~TPhysicalObject() override;

    int getSphereCount() override;
    TBoundingSphere** getSpheres() override;
    void moveBy(const TVector& v) override;
    void getPosition(TVector& out) override;
    void setPosition(const TVector& p) override;
    // 3: a projectile.
    int getKind() override;
    // move.
    bool periodicDo(int dt) override;

    // Ages the object by dt ms, flies on by velocity * dt and refiles it.
    // Returns false.
    bool move(int dt);
};
