#include "scene/THomingEmitter.h"

THomingEmitter::THomingEmitter(TVector* followed, int life, const TVector& v, float fade, float s, float grow,
                               float turn, float fall, float slow, TMaterial* m, const TVector& p, bool children,
                               bool alphaAsZ, TParticleManager* manager, TEngine* e)
    : TParticleEmitter(life, v, fade, s, grow, turn, fall, slow, m, p, children, alphaAsZ, manager, e),
      target(followed),
      stopped(0) {}

bool THomingEmitter::step(int dt) {
    const float t = static_cast<float>(dt);
    if (!stopped && target) {
        const TVector d = *target - position;
        const float distance = d.length();
        // Sitting exactly on the target there is no direction to steer in.
        if (distance > 0.0f) {
            const TVector u = d / distance;
            velocity = velocity + u * (distance * distance * t / 1000.0f * 0.001f);
        }
        velocity = velocity - velocity * (0.0001f * t);
    }
    return TParticleEmitter::step(dt);
}

void THomingEmitter::release() {
    stopped = 1;
    target = nullptr;
    lifetime = 5000;
    fadeRate = 0.0005f;
}
