#include "engine/TPlane.h"

TPlane::TPlane() { fromPointAndDirection(TVector(0.0f, 0.0f, 0.0f), TVector(0.0f, 0.0f, 1.0f)); }

void TPlane::fromPoints(const TVector& p1, const TVector& p2, const TVector& p3) {
    edge1 = p1 - p2;
    edge2 = p3 - p2;
    point = p2;
    normal = edge1.cross(edge2);
    d = -point.dot(normal);
}

void TPlane::fromPointAndDirection(const TVector& p, const TVector& n) {
    edge2 = TVector(10.0f, 0.0f, 0.0f).cross(n);
    if (edge2.x == 0.0f && edge2.y == 0.0f && edge2.z == 0.0f) edge2 = TVector(10.0f, 10.0f, 0.0f).cross(n);
    edge1 = n.cross(edge2);
    point = p;
    normal = n;
    d = -point.dot(normal);
}
