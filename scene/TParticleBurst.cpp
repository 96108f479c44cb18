#include "scene/TParticleBurst.h"

#include "engine/TEngine.h"
#include "platform/crt.h"
#include "scene/TParticleEmitter.h"
#include "scene/TParticleManager.h"
#include "scene/TWorld.h"

TParticleBurst::TParticleBurst(TWorld* w, TMaterial* m) : world(w), material(m) {}

void TParticleBurst::spawn(const TVector& position, const TVector&, float scale) {
    TParticleManager* particles = world ? world->particles : nullptr;
    TEngine* engine = world ? world->engine : nullptr;
    if (!particles || !engine) return;
    const float n = scale * 16.0f;
    // The count is n rounded up; a full manager ends the loop long before a
    // huge scale could.
    for (int made = 0; static_cast<float>(made) < n; ++made) {
        const int k = rand() * 255 / 32767;
        const TVector dir = engine->directions[k];
        const float s = static_cast<float>(rand()) * 0.6f / 32767.0f;
        TParticleEmitter* p = new TParticleEmitter(12000, dir * s * scale, 0.00009f, 50.0f, scale * 0.01f, 0.00007f,
                                                   0.0f, 0.0f, material, position + dir * 1000.0f * scale, false,
                                                   true, particles, engine);
        if (!particles->add(p)) return;
    }
}
