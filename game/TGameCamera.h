#pragma once
// TGameCamera is a camera that keeps facing one world object. It never moves
// by itself: its owner places it, and lookAtTarget turns it toward the
// target once a frame.

#include "engine/TCamera.h"

class TMovingObject;

class TGameCamera : public TCamera {
public:
    TMovingObject* target = nullptr;  // not owned; null: the camera stays as it is

    TGameCamera() = default;
    ~TGameCamera() override = default;

    // Turns the camera toward the target: its direction (the backward axis)
    // becomes the unit vector from the target's position to the eye.
    // Nothing without a target, or when the target stands on the eye.
    void lookAtTarget();
};
