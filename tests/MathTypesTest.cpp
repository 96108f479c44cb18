#include <gtest/gtest.h>

#include <cmath>

#include "engine/TColor.h"
#include "engine/TMatrix.h"
#include "engine/TVector.h"

namespace {

void expectVec(const TVector& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

TMatrix rigid(float angle, const TVector& t) {
    TMatrix m = TMatrix::rotationZ(angle) * TMatrix::rotationX(0.3f);
    m.m[12] = t.x;
    m.m[13] = t.y;
    m.m[14] = t.z;
    return m;
}

}  // namespace

TEST(TVectorTest, ArithmeticAndProducts) {
    const TVector a(1, 2, 3), b(4, -5, 6);
    expectVec(a + b, 5, -3, 9);
    expectVec(a - b, -3, 7, -3);
    expectVec(a * 2.0f, 2, 4, 6);
    expectVec(a / 2.0f, 0.5f, 1, 1.5f);
    expectVec(a.mulComponents(b), 4, -10, 18);
    expectVec(TVector(1, 0, 0).cross(TVector(0, 1, 0)), 0, 0, 1);
    expectVec(a.cross(b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    expectVec(a.perpendicularXY(), -2, 1, 3);
    expectVec(TVector(3, 0, 4).normalized(), 0.6f, 0, 0.8f);
}

TEST(TVectorTest, DegenerateCasesAreNotGuarded) {
    const TVector z = TVector().normalized();
    EXPECT_FALSE(std::isfinite(z.x));
    EXPECT_FALSE(std::isfinite((TVector(1, 1, 1) / 0.0f).x));
}

TEST(TVectorTest, FromLParamReadsUnsignedHalves) {
    expectVec(TVector::fromLParam(0xffff0001u), 1, 65535, 0);
    expectVec(TVector::fromLParam((200u << 16) | 320u), 320, 200, 0);
}

TEST(TMatrixTest, ProductAppliesThisFirstThenOther) {
    const TMatrix rot = TMatrix::rotationZ(3.14159265f / 2);
    const TMatrix move = TMatrix::translation(TVector(10, 0, 0));
    // rot first, then move: (1,0,0) -> (0,1,0) -> (10,1,0)
    expectVec(TVector(1, 0, 0).transform(rot * move), 10, 1, 0);
    // move first, then rot: (1,0,0) -> (11,0,0) -> (0,11,0)
    expectVec(TVector(1, 0, 0).transform(move * rot), 0, 11, 0);
    const TMatrix m = rigid(0.7f, TVector(1, 2, 3));
    expectVec(TVector().transform(m), 1, 2, 3);
}

TEST(TMatrixTest, InverseRigidUndoesTheTransform) {
    const TMatrix m = rigid(1.1f, TVector(-4, 7, 2.5f));
    const TMatrix inv = m.inverseRigid();
    const TVector p(3, -1, 8);
    const TVector back = p.transform(m).transform(inv);
    expectVec(back, 3, -1, 8);
    const TMatrix id = m * inv;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(id.m[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f) << i;
}

TEST(TMatrixTest, RotationPartDropsTranslationKeepsLayout) {
    TMatrix m = rigid(0.4f, TVector(5, 6, 7));
    m.m[3] = 9;
    const TMatrix r = m.rotationPart();
    EXPECT_EQ(r.m[12], 0);
    EXPECT_EQ(r.m[13], 0);
    EXPECT_EQ(r.m[14], 0);
    EXPECT_EQ(r.m[3], 0);
    EXPECT_EQ(r.m[15], 1);
    EXPECT_EQ(r.m[1], m.m[1]);  // not transposed
    EXPECT_EQ(r.m[4], m.m[4]);
}

TEST(TMatrixTest, ElementWiseHelpers) {
    TMatrix a, b;
    b.m[7] = 2;
    const TMatrix s = a.add(b).sub(a).scale(3);
    EXPECT_EQ(s.m[7], 6);
    EXPECT_EQ(s.m[0], 3);
}

TEST(TColorTest, FourFloatsInOrder) {
    const TColor c(0.1f, 0.2f, 0.3f, 0.4f);
    const float* p = c.data();
    EXPECT_FLOAT_EQ(p[0], 0.1f);
    EXPECT_FLOAT_EQ(p[3], 0.4f);
}
