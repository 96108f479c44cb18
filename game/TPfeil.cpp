#include "game/TPfeil.h"

#include <cmath>

#include "game/TGame.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/THeightSource.h"

namespace {

TVector directionTo(const TVector& from, TMovingObject* target) {
    if (!target) return TVector(0.0f, 0.0f, -1.0f);
    TVector at;
    target->getPosition(at);
    return at - from;
}

// The rotation whose third column is the flight direction d, scaled to the
// model scale: columns u, s, d with s = r x d and u = d x s.
TMatrix orientation(const TVector& d) {
    const float half = std::sqrt(0.5f);
    TVector side = TVector(0.0f, half, half).cross(d);
    if (side.x == 0.0f && side.y == 0.0f && side.z == 0.0f) side = TVector(half, half, 0.0f).cross(d);
    const TVector s = side.normalized();
    const TVector u = d.cross(s).normalized();
    const float k = TSceneNode::kModelScale;
    TMatrix m;
    m.m[0] = u.x * k;
    m.m[1] = u.y * k;
    m.m[2] = u.z * k;
    m.m[4] = s.x * k;
    m.m[5] = s.y * k;
    m.m[6] = s.z * k;
    m.m[8] = d.x * k;
    m.m[9] = d.y * k;
    m.m[10] = d.z * k;
    return m;
}

}  // namespace

TPfeil::TPfeil(const TVector& where, TMovingObject* target, TGame* game)
    : TPhysicalObject(0, directionTo(where, target), where, kSphereRadius, kSpeed, game),
      TSceneNode(game ? game->engine : nullptr, where, 0.0f, game ? game->arrowMesh : nullptr, false),
      hit(false) {
    updateCell();
    if (game && game->boden) {
        if (TBodenTile* tile = game->boden->getTileAt(where)) tile->addChild(this);
    }
    // An arrow that does not move (its target at its own place) still
    // points somewhere: up.
    const TVector d = velocity.length() > 0.0f ? velocity.normalized() : TVector(0.0f, 0.0f, -1.0f);
    matrix = orientation(d);
}

bool TPfeil::periodicDo(int dt) {
    move(dt);
    TSceneNode::position = TPhysicalObject::position;
    updateTile();
    return age > kLifetime || hit;
}

void TPfeil::onCollision(TGridObject* other, TBoundingSphere*, TBoundingSphere*) {
    if (!hit && other) other->takeDamage(kDamage, TPhysicalObject::position);
    hit = true;
}

void TPfeil::placeOnGround(THeightSource* ground) {
    if (!ground) return;
    TPhysicalObject::position.z = ground->getHeight(TPhysicalObject::position) - kGroundOffset;
}
