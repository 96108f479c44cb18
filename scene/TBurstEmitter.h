#pragma once
// TBurstEmitter is the blood burst: 32 particles thrown out from a point in
// random directions of the engine's table, growing and fading over six
// seconds.

#include "scene/TEffectSpawner.h"

class TMaterial;
class TWorld;

class TBurstEmitter : public TEffectSpawner {
public:
    TWorld* world;  // gives the particle manager and the engine; not owned
    TMaterial* material;

    TBurstEmitter(TWorld* world, TMaterial* material);

    // 32 emitters of size scale x 10 around position. Nothing without a
    // particle manager or an engine; stops early when the manager is full.
    void spawn(const TVector& position, const TVector& unused, float scale) override;
};
