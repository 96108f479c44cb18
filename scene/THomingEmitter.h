#pragma once
// THomingEmitter is a particle emitter that steers towards a point it
// follows (a tower's top, a projectile's position) until its owner stops
// it. The point belongs to the owner, who must clear the target (release)
// before the point goes away.

#include "scene/TParticleEmitter.h"

class THomingEmitter : public TParticleEmitter {
public:
    TVector* target;  // followed point, not owned; null: no steering
    unsigned char stopped;

    THomingEmitter(TVector* target, int lifetime, const TVector& velocity, float fadeRate, float size, float growth,
                   float spinRate, float gravity, float drag, TMaterial* material, const TVector& position,
                   bool spawnsChildren, bool alphaInZ, TParticleManager* particles, TEngine* engine);

    // Pulls the velocity towards the target (harder the farther it is),
    // damps it, then steps as an emitter. Returns true when dead.
    bool step(int dt) override;

    // Lets the emitter go: no homing, no target, 5000 ms left, fading by
    // 0.0005 per ms, so that it drifts off and the manager frees it.
    void release();
};
