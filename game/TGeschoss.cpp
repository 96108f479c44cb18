#include "game/TGeschoss.h"

#include "game/TGame.h"
#include "scene/THomingEmitter.h"

TGeschoss::TGeschoss(TDefenseTower* tower, TMovingObject* aimAt, TMaterial* m, TGame* game)
    : TPhysicalObject(0, TVector(0.0f, 0.0f, -1.0f), tower ? tower->top : TVector(), kRadius, kSpeed, game),
      material(m),
      hit(0),
      target(aimAt),
      aimTimer(0) {
    if (!tower) return;
    // Newest first: each link moves from the head of the tower's cloud to
    // the front of this one. Links whose particle is gone are dropped.
    while (TListNode<TParticleRef<THomingEmitter>>* n = tower->cloud.head) {
        TParticleRef<THomingEmitter>* link = n->value;
        n->owns = false;
        tower->cloud.unlinkNode(n);
        THomingEmitter* emitter = link->get();
        if (!emitter) {
            delete link;
            continue;
        }
        emitter->target = &position;
        emitter->gravity = 0.0f;
        cloud.pushFront(link, true);
    }
}

TGeschoss::~TGeschoss() { TDefenseTower::releaseAll(cloud); }

bool TGeschoss::periodicDo(int dt) {
    aimTimer += dt;
    if (aimTimer > kAimInterval) {
        aimTimer = 0;
        aim();
    }
    move(dt);
    return age > kMaxAge || hit;
}

// Half the old velocity and half the straight line to the target (in world
// units, where the dragon's getPosition answers). Without a target, or
// sitting right on it, the velocity stays.
void TGeschoss::aim() {
    if (!target) return;
    TVector at;
    target->getPosition(at);
    const TVector d = at - position;
    if (!(d.length() > 0.0f)) return;
    velocity = (velocity + d.normalized() * kSpeed) * 0.5f;
}

void TGeschoss::onCollision(TGridObject* other, TBoundingSphere*, TBoundingSphere*) { onHit(other); }

void TGeschoss::onHit(TGridObject* other) {
    if (!hit && other) other->takeDamage(kDamage, position);
    hit = 1;
}
