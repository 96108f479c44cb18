#include "scene/TMovingObject.h"

#include "engine/Log.h"
#include "scene/TWorld.h"

TMovingObject::TMovingObject(int layer, TWorld* w, float m)
    : TPositioned(),
      TGridObject(m, layer, w ? w->grid : nullptr),
      ownerNode(nullptr),
      ownerList(nullptr),
      life(0.0f),
      world(w),
      index(-1),
      minimapFlag(0) {}

TMovingObject::~TMovingObject() { unregister(); }

TListNode<TMovingObject>* TMovingObject::registerFront() { return registerIn(true); }

TListNode<TMovingObject>* TMovingObject::registerBack() { return registerIn(false); }

TListNode<TMovingObject>* TMovingObject::registerIn(bool front) {
    if (ownerNode) return ownerNode;
    if (!world) {
        logOut() << "TMovingObject: no world, object not added to the object list\n";
        logFlush();
        return nullptr;
    }
    ownerList = &world->objects;
    ownerNode = front ? ownerList->pushFront(this, false) : ownerList->pushBack(this, false);
    return ownerNode;
}

void TMovingObject::unregister() {
    if (ownerList && ownerNode) ownerList->unlinkNode(ownerNode);
    ownerNode = nullptr;
    ownerList = nullptr;
}

void TMovingObject::position(TVector& out) { getPosition(out); }

int TMovingObject::ownerValue() { return 0; }

bool TMovingObject::periodicDo(int) {
    updateCell();
    return true;
}

TVector TMovingObject::getMarkerColor() { return TVector(1.0f, 0.0f, 0.0f); }

void TMovingObject::takeDamage(float amount, const TVector&) { life -= amount; }

float TMovingObject::getLife() { return life; }

int TMovingObject::getType() { return getKind(); }
