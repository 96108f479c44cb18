#pragma once
// TInstanceFactory is what every model holder offers the level set-up and
// the ground: make one object of its kind standing at a position. The
// object registers itself where its class says; the caller owns it.

class TRenderable;
class TVector;

class TInstanceFactory {
public:
    virtual ~TInstanceFactory() = default;

    // A new object at position, turned by angle (radians) about the world's
    // z axis. The caller owns it; null only where a holder says so.
    virtual TRenderable* createInstance(const TVector& position, float angle) = 0;
};
