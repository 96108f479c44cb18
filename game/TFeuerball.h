#pragma once
// TFeuerball is the dragon's fireball: it flies straight with a trail of
// fire particles, explodes once at its first contact with a world object
// or with the ground, damages what it touches while the explosion is fresh
// (firepower x 10), then lingers 5 seconds as an invisible blast sphere that
// only pushes dead objects. It has no model: its particles are all there is
// to see. The trail belongs to the particle manager; the fireball follows
// it through a link that reads null once the manager has freed it.

#include <cstdint>

#include "scene/TParticle.h"
#include "scene/TPhysicalObject.h"

class TGame;
class TMaterial;
class TParticleEmitter;

class TFeuerball : public TPhysicalObject {
public:
    static constexpr float kSpeed = 0.01f;  // units per ms
    static constexpr float kRadius = 0.5f;
    static constexpr float kBlastRadius = 3.0f;
    static constexpr int kMaxAge = 50000;       // ms; removed once older
    static constexpr int kAgeAtExplosion = 45000;
    static constexpr int kSparkCount = 32;

    TParticleRef<TParticleEmitter> trail;  // the manager's; null once freed or ended
    TMaterial* trailMaterial;  // "feuer"
    TMaterial* blastMaterial;  // "feuerpartikel"
    int damageFrames;          // contacts take damage while above 0
    uint8_t exploding;
    TGame* game;  // not owned; its dragon's firepower sets the damage

    // At position, flying along direction (made unit length) at 0.01 units
    // per ms, in layer 1 with radius 0.5, trailing fire. Joins the game's
    // object list (the frame step deletes it); without a game it is in no
    // list and makes no particles.
    TFeuerball(const TVector& position, const TVector& direction, TMaterial* trailMaterial, TMaterial* blastMaterial,
               TGame* game);
    // Ends the trail (if the manager still holds it); then leaves the object
    // list and the grid.
    ~TFeuerball() override;

    // The object's periodicDo: flies (until it exploded), counts the damage
    // window down. True (remove) once older than 50000 ms.
    bool update(int dt);
    bool periodicDo(int dt) override { return update(dt); }
    // Ground contact: the damage window lasts this pass and the next; the
    // fireball sits 0.3 above the ground and explodes.
    void onGroundHit(THeightSource* ground);
    void placeOnGround(THeightSource* ground) override { onGroundHit(ground); }
    // Contact with another object: the first explodes the fireball; while
    // the window is open the other takes firepower x 10; any touched object
    // whose life is 0 or below is pushed up.
    void onHit(TGridObject* other);
    void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) override;
    // Once only (the on-ground byte marks it): the blast sphere, 5000 ms left
    // to live, the blast and 32 sparks, the trail's end. Always stops the
    // fireball.
    void explode();
    bool isSpecial() override { return true; }
    void playSound() override {}
    void think() override {}

private:
    float damage() const;
    void spawnBlast();
};
