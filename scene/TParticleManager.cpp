#include "scene/TParticleManager.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Log.h"
#include "scene/TParticle.h"

namespace {

// A depth that is not a number sorts as the farthest, so that the order
// stays a strict weak one whatever a particle's position holds.
float sortDepth(const TParticle* p) {
    return std::isnan(p->depth) ? std::numeric_limits<float>::infinity() : p->depth;
}

// Live before dead; live ones nearest first; dead ones in no order.
bool drawnBefore(const TParticle* a, const TParticle* b) {
    if (a->dead || b->dead) return !a->dead && b->dead;
    return sortDepth(a) < sortDepth(b);
}

}  // namespace

TParticleManager::TParticleManager(TEngine* e) : TRenderable(e), items(), count(0), refusing(false) {}

TParticleManager::~TParticleManager() {
    while (count > 0) {
        --count;
        delete items[count];
        items[count] = nullptr;
    }
}

void TParticleManager::render() { drawAll(); }

void TParticleManager::drawAll() {
    for (int i = 0; i < count; ++i) items[i]->draw();
}

void TParticleManager::update(int dt) {
    // Children added by a step land behind count and are stepped as well.
    int dead = 0;
    for (int i = 0; i < count; ++i) {
        const bool gone = items[i]->update(dt);
        items[i]->dead = gone;
        if (gone) ++dead;
    }
    std::sort(items, items + count, drawnBefore);
    while (dead > 0) {
        --dead;
        --count;
        delete items[count];
        items[count] = nullptr;
    }
}

bool TParticleManager::append(TParticle* p) {
    if (!p) return false;
    if (count >= kCapacity) {
        if (!refusing) logWrite("Particle array full (4096): new particles are refused\n");
        refusing = true;
        delete p;
        return false;
    }
    refusing = false;
    items[count++] = p;
    return true;
}
