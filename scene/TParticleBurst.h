#pragma once
// TParticleBurst is the fire burst of a destroyed building: scale x 16
// particles (rounded up) spread out from a point in random directions of the
// engine's table, drifting and fading over twelve seconds.

#include "scene/TEffectSpawner.h"

class TMaterial;
class TWorld;

class TParticleBurst : public TEffectSpawner {
public:
    TWorld* world;  // gives the particle manager and the engine; not owned
    TMaterial* material;

    TParticleBurst(TWorld* world, TMaterial* material);

    // Nothing for a scale of 0 or below, or without a particle manager or an
    // engine; stops early when the manager is full.
    void spawn(const TVector& position, const TVector& unused, float scale) override;
};
