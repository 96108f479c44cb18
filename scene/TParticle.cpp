#include "scene/TParticle.h"

#include "engine/TCamera.h"
#include "engine/TEngine.h"

TParticle::TParticle(const TVector& p, int life, TParticleManager* manager, TEngine* e)
    : position(p), lifetime(life), depth(0.0f), particles(manager), engine(e), dead(0) {}

TParticle::~TParticle() {
    if (holder) holder->target = nullptr;
}

bool TParticle::update(int dt) {
    depth = viewDepth(engine, position);
    lifetime -= dt;
    dead = lifetime < 1;
    return dead;
}

float TParticle::viewDepth(const TEngine* engine, const TVector& p) {
    return engine ? viewDepth(engine->camera, p) : 0.0f;
}

float TParticle::viewDepth(const TCamera* camera, const TVector& p) {
    if (!camera) return 0.0f;
    const float* m = camera->view.m;
    return m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
}
