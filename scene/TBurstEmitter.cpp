#include "scene/TBurstEmitter.h"

#include "engine/TEngine.h"
#include "platform/crt.h"
#include "scene/TParticleEmitter.h"
#include "scene/TParticleManager.h"
#include "scene/TWorld.h"

TBurstEmitter::TBurstEmitter(TWorld* w, TMaterial* m) : world(w), material(m) {}

void TBurstEmitter::spawn(const TVector& position, const TVector&, float scale) {
    TParticleManager* particles = world ? world->particles : nullptr;
    TEngine* engine = world ? world->engine : nullptr;
    if (!particles || !engine) return;
    for (int i = 0; i < 32; ++i) {
        const int k = rand() * 255 / 32767;
        const TVector dir = engine->directions[k];
        const float s = static_cast<float>(rand()) * scale * 0.6f / 32767.0f;
        TParticleEmitter* p = new TParticleEmitter(6000, dir * s, 0.00028f, scale * 10.0f, 0.007f, 0.00007f,
                                                   0.0000001f, 0.0f, material, position + dir * 500.0f, false, false,
                                                   particles, engine);
        if (!particles->add(p)) return;
    }
}
