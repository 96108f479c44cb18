#include "engine/TCamera.h"

#include "engine/Log.h"
#include "platform/gl.h"

namespace {

float signedDistance(const TPlane& plane, const TVector& c) { return plane.evaluate(c) / plane.normal.length(); }

}  // namespace

TCamera::TCamera()
    : direction(0.0f, 0.0f, 1.0f),
      eye(0.0f, 0.0f, 0.0f),
      up(0.0f, 1.0f, 0.0f),
      projectionA(30.0),
      projectionB(28.0),
      lightPosition(nullptr) {
    updateProjection();
    TCamera::updateView();
    updateFrustum();
}

void TCamera::setDirection(const TVector& v) {
    direction = v;
    updateView();
    updateFrustum();
}

void TCamera::setPosition(const TVector& v) {
    eye = v;
    updateView();
    updateFrustum();
}

void TCamera::updateView() {
    const TVector f = direction.normalized();
    const TVector s = up.cross(f).normalized();
    const TVector u = s.cross(f);
    // Rows u, s, f, then x and y exchanged: eye-space x is s, y is u, z is f.
    const TVector rows[3] = {s, u, f};
    TMatrix m;
    for (int r = 0; r < 3; ++r) {
        m.m[r] = rows[r].x;
        m.m[4 + r] = rows[r].y;
        m.m[8 + r] = rows[r].z;
        m.m[12 + r] = -rows[r].dot(eye);
    }
    m.m[3] = m.m[7] = m.m[11] = 0.0f;
    m.m[15] = 1.0f;
    view = m;
}

void TCamera::updateProjection() {
    if (projectionA == projectionB) {
        logOut() << "Camera: projection distances are equal (" << projectionA << "), projection unchanged\n";
        logFlush();
        return;
    }
    const double k = 1.0 / (projectionA - projectionB);
    projection.m[0] = 0.625f;
    projection.m[10] = 0.0f;
    projection.m[14] = -1.0f;
    projection.m[11] = static_cast<float>(-k);
    projection.m[15] = static_cast<float>(k * projectionA);
}

void TCamera::updateFrustum() {
    const TVector u = up.normalized() * 2.0f / 3.0f;
    const TVector s = u.cross(direction).normalized();
    const TVector apex = eye - direction * static_cast<float>(projectionB);
    const TVector base = eye - direction * static_cast<float>(projectionA) + direction;
    const TVector c1 = base - s + u;
    const TVector c2 = base + s + u;
    const TVector c3 = base - s - u;
    const TVector c4 = base + s - u;
    planes[0].fromPointAndDirection(apex, direction);
    planes[1].fromPoints(apex, c3, c1);
    planes[2].fromPoints(apex, c2, c4);
    planes[3].fromPoints(apex, c1, c2);
    planes[4].fromPoints(apex, c4, c3);
}

void TCamera::apply() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glLoadMatrixf(projection.m);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.m);
    if (lightPosition) glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
}

bool TCamera::passesSidePair(const TPlane& first, const TPlane& second, const TVector& c, float r) {
    const float d1 = signedDistance(first, c);
    if (d1 > 0.0f) return d1 < r;
    const float d2 = signedDistance(second, c);
    return d2 <= 0.0f || d2 < r;
}

bool TCamera::isSphereVisible(TVector c, float r) const {
    const float front = signedDistance(planes[0], c);
    if (front > 0.0f && front >= r) return false;
    if (!passesSidePair(planes[1], planes[2], c, r)) return false;
    return passesSidePair(planes[3], planes[4], c, r);
}

TVector TCamera::getLightPosition() const {
    if (!lightPosition) return TVector(0.0f, 0.0f, 0.0f);
    return TVector(lightPosition[0], lightPosition[1], lightPosition[2]);
}

void transformByInverseModelview(const TCamera& camera, TVector& a, TVector& b) {
    TMatrix modelview;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
    const TMatrix inverse = modelview.inverseRigid();
    a = a.transform(camera.view).transform(inverse).normalized();
    b = b.transform(inverse);
}
