#pragma once
// TPfeil is a dwarf's arrow: a projectile that flies in a straight line
// toward where the dragon was when it was shot, deals 10 damage to the first
// object it touches and is gone then, or after 20 seconds of flight. Its
// scene-node part draws the game's arrow mesh along the flight direction.
// The game's object list holds it; the frame step deletes it.

#include "scene/TPhysicalObject.h"
#include "scene/TSceneNode.h"

class TGame;

class TPfeil : public TPhysicalObject, public TSceneNode {
public:
    static constexpr float kSpeed = 0.006f;  // units per millisecond
    static constexpr float kSphereRadius = 1.0f;
    static constexpr float kDamage = 10.0f;
    static constexpr int kLifetime = 20000;  // milliseconds
    // How far below the ground an arrow is put when placed on it.
    static constexpr float kGroundOffset = 0.3f;

    bool hit;

    // An arrow at position flying toward the target's position (world
    // units), or straight up (0, 0, -1) without a target. It joins the
    // game's object list, its grid cell and the ground tile under it (when
    // there is one); the game may be null (then it is in none of them).
    TPfeil(const TVector& position, TMovingObject* target, TGame* game);
    ~TPfeil() override = default;

    // Flies on by dt, carries the node along; true once it has hit or is
    // older than 20000 ms.
    bool periodicDo(int dt) override;
    // The first contact takes 10 damage; later ones nothing.
    void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) override;
    // Only z changes: 0.3 above the ground's z under the arrow.
    void placeOnGround(THeightSource* ground) override;
    bool isSpecial() override { return true; }
    void playSound() override {}
    void think() override {}

    // The flight position (both bases' slots).
    void getPosition(TVector& out) override { TPhysicalObject::getPosition(out); }
    void setPosition(const TVector& p) override { TPhysicalObject::setPosition(p); }
};
