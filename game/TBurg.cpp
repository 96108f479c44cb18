#include "game/TBurg.h"

#include "game/TBallon.h"
#include "game/TBurgMod.h"
#include "game/TGame.h"
#include "scene/TBoundingSphere.h"

TBurg::TBurg(TBurgMod* k, TGame* game, const TVector& where, float angle)
    : TSceneNode(game ? game->engine : nullptr, where, angle, k, true),
      TMovingObject(0, game, kMass),
      spheres{nullptr, nullptr},
      kind(k) {
    if (game) registerBack();
    minimapFlag = 1;
    centres[0] = where + TVector(0.0f, 0.0f, -kUpperSphereHeight);
    spheres[0] = new TBoundingSphere(&(TSceneNode::position), kSphereRadius);
    spheres[1] = new TBoundingSphere(&centres[0], kSphereRadius);
}

TBurg::~TBurg() {
    delete spheres[0];
    delete spheres[1];
    if (!kind) return;
    if (kind->castle == this) kind->castle = nullptr;
    for (TBallon* balloon : kind->balloons) {
        if (balloon->home == this) balloon->home = nullptr;
    }
}

bool TBurg::periodicDo(int) {
    updateCell();
    return false;
}

void TBurg::pickUp(TGridObject* other) {
    if (!other || !kind) return;
    kind->addGold(0.1f * other->getMass());
}
