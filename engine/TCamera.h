#pragma once
// TCamera holds a projection, a view built from eye, direction and up, and
// the five planes of its frustum. Its owner changes the fields, then calls
// the setters (or updateView and updateFrustum); apply loads the matrices
// and the first light's position into GL once a frame.

#include "engine/TMatrix.h"
#include "engine/TPlane.h"
#include "engine/TVector.h"

class TCamera {
public:
    TMatrix projection;
    TMatrix view;
    TVector direction;  // (0, 0, 1)
    TVector eye;        // (0, 0, 0)
    TVector up;         // (0, 1, 0)
    double projectionA;  // 30.0
    double projectionB;  // 28.0
    TPlane planes[5];    // 0 the front plane, 1 to 4 the sides
    float* lightPosition;  // x, y, z, w owned by someone else; null at first

    // The default camera at the origin looking along +z, its projection,
    // view and frustum computed.
    TCamera();
    TCamera(const TCamera&) = default;
    TCamera& operator=(const TCamera&) = default;
    virtual ~TCamera() = default;

    // Store the vector, then rebuild the view and the frustum.
    virtual void setDirection(const TVector& v);
    virtual void setPosition(const TVector& v);
    // view := P R T: a point p maps to (s . (p - eye), u . (p - eye),
    // f . (p - eye)) with f the normalised direction, s = (up x f)
    // normalised, u = s x f.
    virtual void updateView();
    // Loads projection and view into GL and sets GL_LIGHT0's position; the
    // light is left alone while lightPosition is null.
    virtual void apply();
    // Sets the projection entries from the two distances. Equal distances
    // would divide by zero: the projection is then left unchanged, with a
    // log line.
    virtual void updateProjection();
    // Rebuilds the five planes from eye, direction, up and the distances.
    void updateFrustum();

    // Whether a sphere may be seen; lenient, as the ground's tile culling
    // expects (a sphere cutting plane 1 or 3 counts as visible).
    bool isSphereVisible(TVector centre, float radius) const;

    TVector getPosition() const { return eye; }
    TVector getDirection() const { return direction; }
    // The first three light-position values, or (0, 0, 0) without a light.
    TVector getLightPosition() const;

private:
    // The side test of planes first and second: passes when the sphere is
    // inside both or cuts the first one.
    static bool passesSidePair(const TPlane& first, const TPlane& second, const TVector& c, float r);
};

// Turns a into normalise(M' (view a)) and b into M' b, where M' is the
// inverse of the current GL modelview matrix taken as rotation plus
// translation (both vectors transformed as points). Needs a current GL
// context.
void transformByInverseModelview(const TCamera& camera, TVector& a, TVector& b);
