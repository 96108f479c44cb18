#include "game/TDefenseTower.h"

#include "engine/TEngine.h"
#include "game/TDefenseTowerMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TGeschoss.h"
#include "game/TKI.h"
#include "platform/crt.h"
#include "scene/TBoundingSphere.h"
#include "scene/THomingEmitter.h"
#include "scene/TParticleBurst.h"
#include "scene/TParticleManager.h"

namespace {

// The levels lie this far above each other, the top on the third.
const float kLevelStep = 4.0f;

}  // namespace

TDefenseTower::TDefenseTower(TDefenseTowerMod* kind, const TVector& where, float angle, TGame* g)
    : TSceneNode(kind ? kind->engine : nullptr, where, angle, kind, true),
      TMovingObject(0, g, kMass),
      tick(0),
      destroyed(0),
      cloudLimit(0),
      spheres{},
      game(g) {
    for (int i = 0; i < 3; ++i) levels[i] = where + TVector(0.0f, 0.0f, -kLevelStep * static_cast<float>(i + 1));
    top = where + TVector(0.0f, 0.0f, -3.0f * kLevelStep);
    minimapFlag = 1;
    spheres[0] = new TBoundingSphere(&this->TSceneNode::position, kSphereRadius);
    for (int i = 0; i < 3; ++i) spheres[i + 1] = new TBoundingSphere(&levels[i], kSphereRadius);
    life = kLife;
    registerBack();
    if (game && game->ki) game->ki->addThinker(this);
    updateCell();
}

TDefenseTower::~TDefenseTower() {
    for (TBoundingSphere*& s : spheres) {
        delete s;
        s = nullptr;
    }
    releaseAll(cloud);
    if (game && game->ki) game->ki->removeThinker(this);
}

// ------------------------------------------------------------- thinking ----

void TDefenseTower::think() {
    if (cloud.count() - 1 >= cloudLimit) releaseOldest();
    if (ownerValue() > 1) {
        cloudLimit = 0;
        return;
    }
    ++tick;
    const int directionIndex = rand() * 255 / 32767;
    const float spread = static_cast<float>(rand() * 1200.0 / 32767.0 + 0.01);
    if (tick > 4) {
        gatherEmitter(directionIndex, spread);
        tick = 0;
    }
    cloudLimit = kCloudLimit;
    if (cloud.count() >= kLaunchSize) launch();
}

void TDefenseTower::releaseOldest() {
    TListNode<TParticleRef<THomingEmitter>>* oldest = cloud.tail;
    if (!oldest) return;
    release(*oldest->value);
    cloud.unlinkNode(oldest);
}

// A new emitter near the top that homes in on it, fading in. A full particle
// manager refuses it, and the cloud then stays as it was.
void TDefenseTower::gatherEmitter(int directionIndex, float spread) {
    TParticleManager* particles = game ? game->particles : nullptr;
    TEngine* e = game ? game->engine : nullptr;
    if (!particles || !e) return;
    const TVector dir = e->directions[directionIndex];
    const TVector start = TSceneNode::position + TVector(0.0f, 0.0f, -10.0f) + dir * (spread * 5.0f);
    THomingEmitter* emitter =
        particles->add(new THomingEmitter(&top, 5100000, TVector(0.0f, 0.0f, -0.0001f), -0.0005f, 150.0f, 0.0005f,
                                          0.001f, 0.0f, 0.0f, game->magicParticleMaterial, start, false, true,
                                          particles, e));
    if (!emitter) return;
    cloud.pushFront(new TParticleRef<THomingEmitter>(emitter), true);
}

// The projectile joins the game's object list itself and takes the cloud.
void TDefenseTower::launch() {
    TMovingObject* target = game ? game->dragon : nullptr;
    new TGeschoss(this, target, game ? game->magicParticleMaterial : nullptr, game);
}

// ---------------------------------------------------------- damage ----

void TDefenseTower::takeDamage(float amount, const TVector&) {
    life -= amount;
    if (!(getLife() < 0.0f)) return;
    destroyed = 1;
    if (game && game->fireBurst) {
        for (TBoundingSphere* s : spheres) game->fireBurst->spawn(s->getCentre(), TVector(), 3.0f);
    }
    rewardDragon();
}

void TDefenseTower::rewardDragon() {
    TDrache* dragon = game ? game->dragon : nullptr;
    if (!dragon) return;
    dragon->experience += kExperience;
    if (dragon->experience > dragon->nextLevelAt) dragon->levelUp();
}

bool TDefenseTower::periodicDo(int) { return destroyed != 0; }

int TDefenseTower::ownerValue() { return ownerData ? *static_cast<const int*>(ownerData) : 0; }

// ------------------------------------------------------------- the cloud ----

void TDefenseTower::release(TParticleRef<THomingEmitter>& link) {
    if (THomingEmitter* emitter = link.get()) emitter->release();
    link.reset();
}

void TDefenseTower::releaseAll(TCloud& cloud) {
    for (TListNode<TParticleRef<THomingEmitter>>* n = cloud.head; n; n = n->next) release(*n->value);
    cloud.clear();
}
