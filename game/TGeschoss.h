#pragma once
// TGeschoss is a defense tower's projectile: it leaves the tower's top
// straight up carrying the tower's cloud of magic particles, which home in
// on it, re-aims at its target every 500 ms by blending its velocity half
// and half with the aim, and deals 20 damage to the first thing it touches.
// It ignores the ground and is removed after that contact or after 80
// seconds, letting its cloud drift off.

#include <cstdint>

#include "game/TDefenseTower.h"
#include "scene/TPhysicalObject.h"

class TGame;
class TMaterial;

class TGeschoss : public TPhysicalObject {
public:
    static constexpr float kSpeed = 0.002f;  // units per ms
    static constexpr float kRadius = 1.0f;
    static constexpr float kDamage = 20.0f;
    static constexpr int kAimInterval = 500;  // ms
    static constexpr int kMaxAge = 80000;     // ms

    TMaterial* material;  // the magic particles' material; kept, not read
    TCloud cloud;         // taken over from the tower, homing in on position
    uint8_t hit;
    TMovingObject* target;  // not owned; null: flies on without re-aiming
    int aimTimer;           // ms since the last re-aim

    // At the tower's top, flying up at 0.002 units per ms, in layer 0 with
    // radius 1. Takes the tower's whole cloud (the tower's is then empty):
    // each emitter now homes in on this projectile, without gravity. Joins
    // the game's object list, which the frame step deletes it from.
    TGeschoss(TDefenseTower* tower, TMovingObject* target, TMaterial* material, TGame* game);
    // Releases the cloud; then leaves the object list and the grid.
    ~TGeschoss() override;

    // Re-aims when more than 500 ms have added up, then flies on. True
    // (remove) once it hit something or is older than 80000 ms.
    bool periodicDo(int dt) override;
    // The first contact takes 20 damage; every contact ends the flight.
    void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) override;
    void onHit(TGridObject* other);
    // Projectiles ignore the ground.
    void placeOnGround(THeightSource*) override {}
    bool isSpecial() override { return true; }
    void playSound() override {}
    void think() override {}

private:
    void aim();
};
