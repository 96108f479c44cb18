#pragma once
// TDefenseTower is a tower that attacks the dragon: on every active think of
// the AI controller it gathers magic particles around its top, and once ten
// have gathered it launches a TGeschoss that takes the whole cloud and
// steers at the dragon. Only a tower whose ground tile is drawn fine (level
// 0 or 1) is active; a coarse one sheds its cloud. A tower whose life falls
// below 0 bursts into fire, pays the dragon 40 experience and is removed by
// the frame step. It sits in the AI controller's thinkers array from
// construction to destruction.

#include <cstdint>

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TMovingObject.h"
#include "scene/TParticle.h"
#include "scene/TSceneNode.h"

class TBoundingSphere;
class TDefenseTowerMod;
class TGame;
class THomingEmitter;

// The magic particles gathered at a tower's top (or carried by its
// projectile), newest first. The list owns the links, not the particles:
// the particle manager owns those, and a link reads null once it freed one.
using TCloud = TList<TParticleRef<THomingEmitter>>;

class TDefenseTower : public TSceneNode, public TMovingObject {
public:
    static constexpr int kKind = 0;
    static constexpr float kMass = 100.0f;
    static constexpr float kLife = 500.0f;
    static constexpr int kSphereCount = 4;
    static constexpr float kSphereRadius = 4.0f;
    static constexpr int kLaunchSize = 10;   // emitters a projectile needs
    static constexpr int kCloudLimit = 16;   // emitters kept while active
    static constexpr float kExperience = 40.0f;

    int tick;  // active thinks since the last new emitter
    uint8_t destroyed;
    int cloudLimit;  // at a think's start one emitter goes while (count - 1) >= cloudLimit
    TCloud cloud;
    TBoundingSphere* spheres[kSphereCount];  // owned: the base and the three levels
    TVector levels[3];  // 4, 8 and 12 units above the base (z grows downward)
    TVector top;        // home of the cloud and start of the projectiles
    TGame* game;        // not owned; may be null (no cloud, no thinkers, no reward)

    // A tower of the kind's mesh at position, turned by angle (radians), with
    // life 500, on the minimap. It joins the game's object list and the AI
    // controller's thinkers array and files itself in the grid.
    TDefenseTower(TDefenseTowerMod* kind, const TVector& position, float angle, TGame* game);
    // Releases its cloud and leaves the thinkers array (the last entry takes
    // its slot), the object list, its grid cell and its ground tile.
    ~TDefenseTower() override;

    // One AI step: shed the oldest emitter when over the limit; while the
    // tile is fine, a new emitter every fifth think and a projectile once
    // the cloud holds ten.
    void think() override;
    // life -= amount; a life below 0 destroys the tower (fire burst at its
    // four spheres, 40 experience for the dragon). Every such hit pays.
    void takeDamage(float amount, const TVector& source) override;
    // Returns destroyed: the tower neither moves nor refiles itself.
    bool periodicDo(int dt) override;
    // The level of detail of the ground tile that holds the tower; 0 while it
    // stands on no tile.
    int ownerValue() override;

    int getKind() override { return kKind; }
    TVector getMarkerColor() override { return TVector(1.0f, 1.0f, 1.0f); }
    int getSphereCount() override { return kSphereCount; }
    TBoundingSphere** getSpheres() override { return spheres; }
    void getPosition(TVector& out) override { out = TSceneNode::position; }
    void setPosition(const TVector& p) override { TSceneNode::position = p; }
    void moveBy(const TVector& v) override { TSceneNode::position = TSceneNode::position + v; }
    void moveForward(float distance) override { TSceneNode::moveForward(distance); }
    void playSound() override {}

    // Lets a cloud emitter drift off and fade out: no homing, 5000 ms left.
    // Nothing for a link whose particle the manager already freed.
    static void release(TParticleRef<THomingEmitter>& link);
    // Releases every emitter of the cloud and empties it.
    static void releaseAll(TCloud& cloud);

private:
    void releaseOldest();
    void gatherEmitter(int directionIndex, float spread);
    void launch();
    void rewardDragon();
};
