#include "scene/TGridObject.h"

#include <cmath>

#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TGridCell.h"
#include "scene/THeightSource.h"

TGridObject::TGridObject(float m, int layer, TGrid* g)
    : velocity(), mass(m), cellNode(nullptr), cell(nullptr), grid(g), onGround(1), collisionLayer(layer) {}

TGridObject::~TGridObject() {
    // A contact handler may delete an object after moving it into another
    // cell or out of the grid: the running pass must learn of it all the same.
    if (TCollisionPass* pass = TCollisionPass::running) pass->mark(this, collisionLayer, TCollisionPass::kDeleted);
    detachFromCell(true);
}

void TGridObject::placeOnGround(THeightSource* ground) {
    onGround = 1;
    velocity = TVector();
    TVector p;
    getPosition(p);
    if (ground) p.z = ground->getHeight(p);
    setPosition(p);
}

void TGridObject::onCollision(TGridObject*, TBoundingSphere*, TBoundingSphere*) {}

bool TGridObject::isSpecial() { return false; }

bool TGridObject::touchesGround(THeightSource* ground) {
    if (!ground) return false;
    TBoundingSphere** spheres = getSpheres();
    const int count = getSphereCount();
    for (int i = 0; spheres && i < count; ++i) {
        if (!spheres[i]) continue;
        const TVector c = spheres[i]->getCentre();
        if (ground->getHeight(c) < c.z + spheres[i]->getRadius()) return true;
    }
    return false;
}

bool TGridObject::collidesWith(TGridObject* other, TBoundingSphere*& ownSphere, TBoundingSphere*& otherSphere) {
    if (!other) return false;
    // The sphere counts are read again on every step: a handler run earlier
    // in the pass may have changed them.
    for (int j = 0; j < other->getSphereCount(); ++j) {
        TBoundingSphere** theirs = other->getSpheres();
        if (!theirs || !theirs[j]) continue;
        for (int i = 0; i < getSphereCount(); ++i) {
            TBoundingSphere** mine = getSpheres();
            if (!mine || !mine[i]) continue;
            if (mine[i]->intersects(theirs[j])) {
                ownSphere = mine[i];
                otherSphere = theirs[j];
                return true;
            }
        }
    }
    return false;
}

bool TGridObject::canPickUp(TGridObject*) { return false; }

void TGridObject::pickUp(TGridObject*) {}

TVector TGridObject::getScaledVelocity() { return velocity * mass; }

TVector TGridObject::getVelocity() { return velocity; }

void TGridObject::fall(int dt) {
    const float t = static_cast<float>(dt);
    velocity.z += 0.001f * t;
    moveBy(velocity * (0.001f * t));
}

float TGridObject::sphereReach(const TVector& from) {
    float farthest = 0.0f;
    TBoundingSphere** spheres = getSpheres();
    const int count = getSphereCount();
    for (int i = 0; spheres && i < count; ++i) {
        if (!spheres[i]) continue;
        const float r = (spheres[i]->getCentre() - from).length() + std::fabs(spheres[i]->getRadius());
        if (r > farthest) farthest = r;
    }
    return farthest;
}

void TGridObject::noteReach() {
    TGrid* g = cell ? cell->grid : grid;
    if (!g) return;
    TVector p;
    getPosition(p);
    g->noteReach(collisionLayer, sphereReach(p));
}

void TGridObject::updateCell() {
    noteReach();
    TVector p;
    getPosition(p);
    if (cell) {
        if (cell->contains(p)) return;
        TGridCell* old = cell;
        old->remove(cellNode, collisionLayer);
        cellNode = nullptr;
        cell = old->findCell(p);
    } else {
        if (!grid) return;
        cell = grid->findCell(p);
    }
    if (cell) {
        cellNode = cell->insert(this, collisionLayer);
        if (!cellNode) cell = nullptr;  // a layer the cells do not have
    }
}

void TGridObject::applyForce(const TVector& f) {
    if (mass == 0.0f) return;
    const TVector v = velocity + f / mass;
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return;
    velocity = v;
}

void TGridObject::leaveCell() { detachFromCell(false); }

void TGridObject::detachFromCell(bool destroyed) {
    if (!cell) return;
    if (destroyed) cell->removeDestroyed(cellNode, collisionLayer);
    else cell->remove(cellNode, collisionLayer);
    cell = nullptr;
    cellNode = nullptr;
}
