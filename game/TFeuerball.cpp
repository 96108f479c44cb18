#include "game/TFeuerball.h"

#include "engine/TEngine.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "platform/crt.h"
#include "scene/TBoundingSphere.h"
#include "scene/THeightSource.h"
#include "scene/TParticleEmitter.h"
#include "scene/TParticleManager.h"

TFeuerball::TFeuerball(const TVector& start, const TVector& direction, TMaterial* trailMat, TMaterial* blastMat,
                       TGame* g)
    : TPhysicalObject(1, direction, start, kRadius, kSpeed, g),
      trailMaterial(trailMat),
      blastMaterial(blastMat),
      damageFrames(0),
      exploding(0),
      game(g) {
    if (particles && engine) {
        trail.link(particles->add(new TParticleEmitter(51000, velocity, 0.0f, 50.0f, 0.001f, 0.001f, 0.0f, 0.0f,
                                                       trailMaterial, position, false, true, particles, engine)));
    }
}

TFeuerball::~TFeuerball() {
    if (TParticleEmitter* t = trail.get()) t->lifetime = -1;
}

bool TFeuerball::update(int dt) {
    move(dt);
    if (damageFrames > 0) --damageFrames;
    return age > kMaxAge;
}

void TFeuerball::onGroundHit(THeightSource* ground) {
    damageFrames = 2;
    exploding = 1;
    if (ground) position.z = ground->getHeight(position) - 0.3f;
    explode();
}

void TFeuerball::onCollision(TGridObject* other, TBoundingSphere*, TBoundingSphere*) { onHit(other); }

void TFeuerball::onHit(TGridObject* other) {
    if (!exploding) {
        exploding = 1;
        damageFrames = 1;
    }
    explode();
    if (!other) return;
    if (damageFrames > 0) other->takeDamage(damage(), position);
    if (other->getLife() <= 0.0f) other->applyForce(TVector(0.0f, 0.0f, 10.0f));
}

// Firepower x 10; firepower 1.0 while the game has no dragon.
float TFeuerball::damage() const {
    const float firepower = (game && game->dragon) ? game->dragon->firepower : 1.0f;
    return firepower * 10.0f;
}

void TFeuerball::explode() {
    if (!onGround) {
        sphere->setRadius(kBlastRadius);
        age = kAgeAtExplosion;
        spawnBlast();
        if (TParticleEmitter* t = trail.get()) t->lifetime = -1;
        trail.reset();
    }
    onGround = 1;
    velocity = TVector();
}

// The blast at the position and 32 sparks flying out of it in directions of
// the engine's table. Sparks that no longer fit a full manager are not made.
void TFeuerball::spawnBlast() {
    if (!particles || !engine) return;
    particles->add(new TParticleEmitter(10000, TVector(), 0.0001f, 100.0f, 0.015f, 0.0001f, 0.0f, 0.0f, blastMaterial,
                                        position, false, true, particles, engine));
    for (int i = 0; i < kSparkCount && !particles->isFull(); ++i) {
        const int idx = rand() * 255 / 32767;
        const float s = static_cast<float>(rand() * 0.6 / 32767.0);
        const TVector dir = engine->directions[idx];
        particles->add(new TParticleEmitter(12000, dir * s, 0.00009f, 50.0f, 0.007f, 0.00007f, 0.0f, 0.0f,
                                            blastMaterial, position + dir * 1000.0f, false, true, particles, engine));
    }
}
