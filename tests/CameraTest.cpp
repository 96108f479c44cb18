// Camera math without GL: view mapping, projection entries, the frustum's
// planes and the sphere test.

#include <gtest/gtest.h>

#include "engine/TCamera.h"
#include "engine/TPlane.h"

namespace {

void expectVector(const TVector& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(TPlaneTest, FromPointsAndFromPointAndDirection) {
    TPlane p;
    p.fromPoints(TVector(0, 0, 0), TVector(1, 0, 0), TVector(1, 1, 0));
    expectVector(p.edge1, -1, 0, 0);
    expectVector(p.edge2, 0, 1, 0);
    expectVector(p.normal, 0, 0, -1);
    EXPECT_EQ(p.d, 0.0f);

    // (10, 0, 0) x (1, 0, 0) is zero, so (10, 10, 0) is used instead.
    p.fromPointAndDirection(TVector(2, 0, 0), TVector(1, 0, 0));
    expectVector(p.edge2, 0, 0, -10);
    expectVector(p.edge1, TVector(1, 0, 0).cross(TVector(0, 0, -10)).x, 10, 0);
    expectVector(p.normal, 1, 0, 0);
    EXPECT_FLOAT_EQ(p.d, -2.0f);
    EXPECT_GT(p.evaluate(TVector(3, 0, 0)), 0.0f);
    EXPECT_LT(p.evaluate(TVector(1, 5, 5)), 0.0f);

    // The normal keeps its length.
    p.fromPointAndDirection(TVector(0, 0, 1), TVector(0, 0, 3));
    expectVector(p.normal, 0, 0, 3);
    EXPECT_FLOAT_EQ(p.d, -3.0f);
}

TEST(TCameraTest, DefaultAxesAndView) {
    TCamera camera;
    expectVector(camera.getDirection(), 0, 0, 1);
    expectVector(camera.getPosition(), 0, 0, 0);
    expectVector(camera.up, 0, 1, 0);
    // s = (1, 0, 0) in row 0, u = (0, -1, 0) in row 1, f = (0, 0, 1) in row 2.
    expectVector(TVector(camera.view.m[0], camera.view.m[4], camera.view.m[8]), 1, 0, 0);
    expectVector(TVector(camera.view.m[1], camera.view.m[5], camera.view.m[9]), 0, -1, 0);
    expectVector(TVector(camera.view.m[2], camera.view.m[6], camera.view.m[10]), 0, 0, 1);
    expectVector(TVector(1, 2, 3).transform(camera.view), 1, -2, 3);
    EXPECT_EQ(camera.lightPosition, nullptr);
    expectVector(camera.getLightPosition(), 0, 0, 0);
    float light[4] = {1, 2, 3, 0};
    camera.lightPosition = light;
    expectVector(camera.getLightPosition(), 1, 2, 3);
}

TEST(TCameraTest, ViewFollowsEyeAndDirection) {
    TCamera camera;
    camera.setPosition(TVector(10, 20, 30));
    // The eye maps to the origin; a point one unit along the direction to z = 1.
    expectVector(TVector(10, 20, 30).transform(camera.view), 0, 0, 0);
    expectVector(TVector(10, 20, 31).transform(camera.view), 0, 0, 1);

    camera.setDirection(TVector(2, 0, 0));  // normalised for the view
    expectVector(TVector(11, 20, 30).transform(camera.view), 0, 0, 1);
    // up x f = (0, 1, 0) x (1, 0, 0) = (0, 0, -1) is eye-space x.
    expectVector(TVector(10, 20, 29).transform(camera.view), 1, 0, 0);
    // u = s x f = (0, 0, -1) x (1, 0, 0) = (0, -1, 0) is eye-space y.
    expectVector(TVector(10, 19, 30).transform(camera.view), 0, 1, 0);
}

TEST(TCameraTest, ProjectionEntries) {
    TCamera camera;
    const float* m = camera.projection.m;
    EXPECT_FLOAT_EQ(m[0], 0.625f);
    EXPECT_FLOAT_EQ(m[5], 1.0f);
    EXPECT_FLOAT_EQ(m[10], 0.0f);
    EXPECT_FLOAT_EQ(m[11], -0.5f);
    EXPECT_FLOAT_EQ(m[14], -1.0f);
    EXPECT_FLOAT_EQ(m[15], 15.0f);

    camera.projectionA = 12.0;
    camera.projectionB = 8.0;
    camera.updateProjection();
    EXPECT_FLOAT_EQ(m[11], -0.25f);
    EXPECT_FLOAT_EQ(m[15], 3.0f);

    // Equal distances leave the projection as it was.
    camera.projectionB = 12.0;
    camera.updateProjection();
    EXPECT_FLOAT_EQ(m[11], -0.25f);
    EXPECT_FLOAT_EQ(m[15], 3.0f);
}

TEST(TCameraTest, FrustumPlanesOfTheDefaultCamera) {
    TCamera camera;
    // Front plane through the apex (0, 0, -28), normal along the direction.
    expectVector(camera.planes[0].point, 0, 0, -28);
    expectVector(camera.planes[0].normal, 0, 0, 1);
    EXPECT_FLOAT_EQ(camera.planes[0].d, 28.0f);
    // Side planes through the apex, their corners one unit before the base.
    for (int i = 1; i < 5; ++i) {
        EXPECT_NEAR(camera.planes[i].evaluate(TVector(0, 0, -28)), 0.0f, 1e-4f) << i;
        EXPECT_NEAR(camera.planes[i].point.z, -29.0f, 1e-5f) << i;
    }
    expectVector(camera.planes[1].point, -1, -2.0f / 3.0f, -29);
    expectVector(camera.planes[1].normal, -4.0f / 3.0f, 0, 4.0f / 3.0f);
}

TEST(TCameraTest, SphereVisibility) {
    TCamera camera;
    // The frustum opens from the apex against the direction.
    EXPECT_TRUE(camera.isSphereVisible(TVector(0, 0, -100), 1.0f));
    EXPECT_TRUE(camera.isSphereVisible(TVector(30, 20, -100), 1.0f));
    // On the direction's side of the front plane: hidden, unless it reaches back.
    EXPECT_FALSE(camera.isSphereVisible(TVector(0, 0, 0), 1.0f));
    EXPECT_TRUE(camera.isSphereVisible(TVector(0, 0, 0), 30.0f));
    // Radius 0 exactly on the front plane passes the front test.
    EXPECT_TRUE(camera.isSphereVisible(TVector(0, 0, -28), 0.0f));
    // Far to the side.
    EXPECT_FALSE(camera.isSphereVisible(TVector(500, 0, -100), 1.0f));
    EXPECT_FALSE(camera.isSphereVisible(TVector(-500, 0, -100), 1.0f));
    EXPECT_FALSE(camera.isSphereVisible(TVector(0, 500, -100), 1.0f));
    // A sphere cutting plane 1 counts as visible without looking at plane 2.
    const TPlane& p1 = camera.planes[1];
    const TVector n = p1.normal.normalized();
    const TVector onPlane1 = TVector(-72, 0, -100);
    EXPECT_NEAR(p1.evaluate(onPlane1), 0.0f, 1e-3f);
    EXPECT_TRUE(camera.isSphereVisible(onPlane1 + n * 0.5f, 1.0f));
    EXPECT_FALSE(camera.isSphereVisible(onPlane1 + n * 2.0f, 1.0f));
}

}  // namespace
