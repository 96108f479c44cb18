#include "scene/TBoundingSphere.h"

TBoundingSphere::TBoundingSphere(TVector* c, float r) : centre(c), radius(r), radiusSquared(r * r) {}

void TBoundingSphere::setRadius(float r) {
    radius = r;
    radiusSquared = r * r;
}

TVector TBoundingSphere::getCentre() const { return centre ? *centre : TVector(); }

bool TBoundingSphere::intersects(const TBoundingSphere* other) const {
    if (!other) return false;
    const TVector d = getCentre() - other->getCentre();
    return radiusSquared + other->radiusSquared > d.dot(d);
}
