#pragma once
// TParticle is one live particle of the level: a point with a lifetime and a
// view depth, owned by the TParticleManager that holds it from the moment it
// is added until the update in which it dies. Anyone else who wants to keep
// a particle (a fireball's trail, a tower's cloud) holds it through a
// TParticleRef, which the particle clears when it is deleted, so a holder
// never reaches a particle the manager has freed.

#include "engine/TVector.h"

class TCamera;
class TEngine;
class TParticleManager;
class TParticle;

// The holder's side of a particle: follows at most one particle, and a
// particle is followed by at most one link. Deleting the particle clears
// the link; deleting or resetting the link leaves the particle alone.
class TParticleLink {
public:
    TParticleLink() = default;
    TParticleLink(const TParticleLink&) = delete;
    TParticleLink& operator=(const TParticleLink&) = delete;
    ~TParticleLink() { reset(); }

    // Stops following the current particle and follows p (null: none). A
    // particle that another link follows is taken from that link.
    inline void link(TParticle* p);
    // Stops following; the particle itself is not touched.
    inline void reset();
    // The followed particle, or null when there is none or it was deleted.
    TParticle* particle() const { return target; }

private:
    friend class TParticle;
    TParticle* target = nullptr;
};

// A typed TParticleLink: the holder's pointer to a particle of class T.
template <class T>
class TParticleRef : public TParticleLink {
public:
    TParticleRef() = default;
    explicit TParticleRef(T* p) { link(p); }

    void link(T* p) { TParticleLink::link(p); }
    // The particle, or null when there is none or the manager freed it.
    T* get() const { return static_cast<T*>(particle()); }
    T* operator->() const { return get(); }
    explicit operator bool() const { return particle() != nullptr; }
};

class TParticle {
public:
    TVector position;
    int lifetime;  // milliseconds left
    float depth;   // view depth of position, the sort key
    TParticleManager* particles;
    TEngine* engine;  // its current camera gives the depth; it sets materials
    unsigned char dead;

    TParticle(const TVector& position, int lifetime, TParticleManager* particles, TEngine* engine);
    TParticle(const TParticle&) = delete;
    TParticle& operator=(const TParticle&) = delete;
    // Clears the link that holds this particle, if any.
    virtual ~TParticle();

    // Advances the particle by dt ms: depth from the position, lifetime -= dt,
    // dead once the lifetime is below 1. Returns dead.
    virtual bool update(int dt);
    virtual void draw() = 0;

    // The view depth of p along the camera: the third row of its view matrix
    // applied to p. 0.0 without a camera.
    static float viewDepth(const TCamera* camera, const TVector& p);
    // The same along the engine's current camera (0.0 without an engine).
    static float viewDepth(const TEngine* engine, const TVector& p);

private:
    friend class TParticleLink;
    TParticleLink* holder = nullptr;
};

inline void TParticleLink::link(TParticle* p) {
    if (p == target) return;
    reset();
    if (!p) return;
    if (p->holder) p->holder->target = nullptr;
    p->holder = this;
    target = p;
}

inline void TParticleLink::reset() {
    if (target) target->holder = nullptr;
    target = nullptr;
}
