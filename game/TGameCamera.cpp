#include "game/TGameCamera.h"

#include "scene/TMovingObject.h"

void TGameCamera::lookAtTarget() {
    if (!target) return;
    TVector p;
    target->position(p);
    const TVector toEye = getPosition() - p;
    if (toEye.length() <= 0.0f) return;
    setDirection(toEye.normalized());
}
