#pragma once
// TEffectSpawner makes a whole effect at once: a cloud of particles around a
// point, added to the world's particle manager, which owns them. The level
// set-up makes one spawner per effect (blood, fire) and keeps it for the
// level.

class TVector;

class TEffectSpawner {
public:
    virtual ~TEffectSpawner() = default;
    // Spawns the effect around position, sized by scale; the second vector
    // is not used. Particles that no longer fit the manager are not made.
    virtual void spawn(const TVector& position, const TVector& unused, float scale) = 0;
};
