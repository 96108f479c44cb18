#include "scene/TPhysicalObject.h"

#include "scene/TBoundingSphere.h"
#include "scene/TWorld.h"

TPhysicalObject::TPhysicalObject(int layer, const TVector& direction, const TVector& start, float radius, float speed,
                                 TWorld* w)
    : TMovingObject(layer, w, 0.0f),
      particles(w ? w->particles : nullptr),
      engine(w ? w->engine : nullptr),
      position(start),
      velocity(),
      age(0),
      sphere(nullptr) {
    if (direction.length() > 0.0f) velocity = direction.normalized() * speed;
    sphere = new TBoundingSphere(&position, radius);
    onGround = 0;
    registerBack();
}

TPhysicalObject::~TPhysicalObject() {
    delete sphere;
    sphere = nullptr;
}

int TPhysicalObject::getSphereCount() { return 1; }

TBoundingSphere** TPhysicalObject::getSpheres() { return &sphere; }

void TPhysicalObject::moveBy(const TVector& v) { position = position + v; }

void TPhysicalObject::getPosition(TVector& out) {
    out.x = position.x;
    out.y = position.y;
    out.z = position.z;
}

void TPhysicalObject::setPosition(const TVector& p) {
    position.x = p.x;
    position.y = p.y;
    position.z = p.z;
}

int TPhysicalObject::getKind() { return 3; }

bool TPhysicalObject::periodicDo(int dt) { return move(dt); }

bool TPhysicalObject::move(int dt) {
    age += dt;
    position = position + velocity * static_cast<float>(dt);
    updateCell();
    return false;
}
