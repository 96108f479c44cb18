#include "game/TGoldInstance.h"

#include "game/TGame.h"
#include "game/TKI.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"

TGoldInstance::TGoldInstance(float gold, const TVector& where, TGame* g)
    : TSceneNode(g ? g->engine : nullptr, where, 0.0f, g ? g->goldMesh : nullptr, true),
      TMovingObject(1, g, gold * kMassPerGold),
      amount(gold),
      sphere(nullptr),
      collected(false),
      registryEntry(nullptr),
      game(g),
      registeredWith(nullptr) {
    minimapFlag = 1;
    if (game && game->boden) {
        if (TBodenTile* tile = game->boden->getTileAt(where)) tile->addChild(this);
    }
    sphere = new TBoundingSphere(&(TSceneNode::position), kSphereRadius);
    if (game) registerBack();
    updateCell();
    onGround = 1;
    registeredWith = TKI::instance();
    if (registeredWith) registryEntry = registeredWith->registerGoldInstance(this);
}

TGoldInstance::~TGoldInstance() {
    // A controller that went before the pile took its entries with it.
    if (registeredWith && registeredWith == TKI::instance()) registeredWith->unregisterGoldInstance(registryEntry);
    registryEntry = nullptr;
    delete sphere;
}

void TGoldInstance::onCollision(TGridObject* other, TBoundingSphere*, TBoundingSphere*) {
    if (!other || collected) return;
    if (other->canPickUp(this)) {
        other->pickUp(this);
        collected = true;
    }
}

bool TGoldInstance::periodicDo(int dt) {
    if (!onGround) {
        fall(dt);
        updateCell();
        // Out of the grid nothing would ever land the pile: it settles on
        // the ground under it instead of falling for ever.
        if (!cell && game) placeOnGround(game->ground);
    }
    return collected;
}
