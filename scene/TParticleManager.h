#pragma once
// TParticleManager owns every live particle of the level in one fixed array
// of 4096 entries, the used ones always first. Once a frame it updates them
// (sorting the live ones nearest first along the view direction and freeing
// the dead) and draws them in that order. A full array refuses new
// particles; it never drops one that is still alive.

#include "engine/TRenderable.h"

class TParticle;

class TParticleManager : public TRenderable {
public:
    static constexpr int kCapacity = 4096;

    TParticle* items[kCapacity];
    int count;  // items[0 .. count) are in use

    explicit TParticleManager(TEngine* engine);
    // Frees the particles it still holds (clearing their holders' links).
    ~TParticleManager() override;

    // drawAll.
    void render() override;
    // Draws items[0 .. count) in order.
    void drawAll();
    // Advances every particle by dt ms (particles added meanwhile included),
    // sorts the live ones nearest first ahead of the dead, and frees the dead.
    void update(int dt);

    // Appends the particle at the end of the array; the manager owns it from
    // here on. Returns the particle, or null when p is null or the array is
    // full: the refused particle is deleted at once, and a link that holds
    // it reads null.
    template <class T>
    T* add(T* p) {
        return append(p) ? p : nullptr;
    }
    bool isFull() const { return count >= kCapacity; }

private:
    bool refusing;  // the last add was refused (logged once per full spell)

    bool append(TParticle* p);
};
