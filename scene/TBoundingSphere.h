#pragma once
// TBoundingSphere is the collision volume the grid tests. It never copies its
// centre: it follows a vector owned by the object that owns the sphere, so
// the sphere moves with that object without being told.

#include "engine/TVector.h"

class TBoundingSphere {
public:
    TVector* centre;  // not owned; null reads as the origin
    float radius;
    float radiusSquared;  // always radius * radius

    TBoundingSphere(TVector* centre, float radius);
    virtual ~TBoundingSphere() = default;

    void setRadius(float r);
    float getRadius() const { return radius; }
    float getRadiusSquared() const { return radiusSquared; }
    // A copy of the centre vector.
    TVector getCentre() const;

    // True when the squared distance of the centres is strictly below the
    // sum of the two squared radii (not the square of the summed radii: two
    // unit spheres touch only closer than sqrt 2). False for a null other.
    bool intersects(const TBoundingSphere* other) const;
};
