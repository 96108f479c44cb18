#pragma once
// THeightSource is the one question the grid and the world objects ask the
// ground: how high is it under a point. z grows downward, so a larger height
// value is lower ground. The ground implements it.

#include "engine/TVector.h"

class THeightSource {
public:
    virtual ~THeightSource() = default;

    // The ground's z under `position` (only x and y matter to the ground).
    virtual float getHeight(const TVector& position) = 0;
};
