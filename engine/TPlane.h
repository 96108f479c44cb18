#pragma once
// TPlane is a plane of the camera's frustum: two edge vectors, a point on
// it, its normal (not normalised) and d = -(point . normal). A point p lies
// on the positive side when p . normal + d > 0.

#include "engine/TVector.h"

class TPlane {
public:
    TVector edge1;
    TVector edge2;
    TVector point;
    TVector normal;
    float d;

    // The plane through the origin with normal (0, 0, 1).
    TPlane();
    TPlane(const TPlane&) = default;
    TPlane& operator=(const TPlane&) = default;
    virtual ~TPlane() = default;

    // The plane through p2 spanned by p1 - p2 and p3 - p2; its normal is
    // their cross product (zero when the points are on one line).
    void fromPoints(const TVector& p1, const TVector& p2, const TVector& p3);
    // The plane through the point with normal n as given.
    void fromPointAndDirection(const TVector& point, const TVector& n);

    // p . normal + d, not divided by the normal's length.
    float evaluate(const TVector& p) const { return p.dot(normal) + d; }
};
