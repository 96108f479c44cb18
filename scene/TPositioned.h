#pragma once
// TPositioned is anything that can tell where it is. It carries no data; the
// world objects answer through it when a caller only needs a position (the
// target camera, the sound listener).

#include "engine/TVector.h"

class TPositioned {
public:
    virtual ~TPositioned() = default;

    // Fills `out` with the current position.
    virtual void position(TVector& out) = 0;
};
