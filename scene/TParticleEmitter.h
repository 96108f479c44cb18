#pragma once
// TParticleEmitter is the textured particle of every effect: a square drawn
// around its position by the particle vertex program, which it feeds with
// position, spin, size and alpha; it moves, grows, turns, fades, falls and
// slows by its rates, and may emit a smaller child once a second. All
// emitters share one billboard display list.

#include "scene/TParticle.h"

class TMaterial;

class TParticleEmitter : public TParticle {
public:
    float size;  // half the size given at construction
    TMaterial* material;
    float spin;      // radians
    float spinRate;  // per ms
    float fadeRate;  // alpha lost per ms
    float alpha;
    float growth;   // size added per ms
    float gravity;  // added to velocity.z per ms
    float drag;     // per ms
    unsigned char spawnsChildren;
    unsigned char alphaInZ;  // alpha also becomes the third texture coordinate
    int childTimer;          // ms
    TVector velocity;        // units per ms

    // Does not add itself to the manager: the creator adds it
    // (TParticleManager::add). Alpha starts at 1.0, or at 0.0 for a
    // negative fadeRate.
    TParticleEmitter(int lifetime, const TVector& velocity, float fadeRate, float size, float growth, float spinRate,
                     float gravity, float drag, TMaterial* material, const TVector& position, bool spawnsChildren,
                     bool alphaInZ, TParticleManager* particles, TEngine* engine);

    // The emitter's update: moves and changes it by dt ms, emits a child
    // when its timer passes 1000 ms (one child per step at most; a full
    // manager refuses it). Returns true when the lifetime has run out.
    virtual bool step(int dt);
    bool update(int dt) override { return step(dt); }
    // Sets the material and the program parameters, then draws the
    // billboard.
    void draw() override;

    // The shared billboard list, made on first use in the current GL
    // context. 0 when GL gives no list.
    static unsigned int billboard(TEngine* engine);

private:
    void emitChild();
};
