#pragma once
// TAgent is a world object that steers toward a target point (balloons,
// dwarves). It adds only the target's setter and getter.

#include "engine/TVector.h"
#include "scene/TMovingObject.h"

class TAgent : public TMovingObject {
public:
    TAgent(int layer, TWorld* world, float mass) : TMovingObject(layer, world, mass) {}

    virtual void setTarget(const TVector& target) = 0;
    virtual TVector getTarget() = 0;
};
