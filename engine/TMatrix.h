#pragma once
// TMatrix is a 4x4 float transform in column order, exactly as glLoadMatrixf
// and glMultMatrixf take it: m[0..3] is the first column, m[12..14] the
// translation. Element (row r, column c) is m[4c + r].

#include "engine/TVector.h"

class TMatrix {
public:
    float m[16];

    TMatrix();  // identity
    TMatrix(const TMatrix& o) = default;
    TMatrix& operator=(const TMatrix& o) = default;
    virtual ~TMatrix() = default;

    // other · this: transforming a point by the result equals transforming it
    // by this first and then by other.
    TMatrix operator*(const TMatrix& other) const;
    // The upper-left 3x3 part unchanged, without translation.
    TMatrix rotationPart() const;
    // Inverse of a rotation-plus-translation matrix: R' · T(-t).
    TMatrix inverseRigid() const;

    // Element-wise helpers used by the keyframe interpolation.
    TMatrix add(const TMatrix& o) const;
    TMatrix sub(const TMatrix& o) const;
    TMatrix scale(float f) const;
    void assign(const TMatrix& o) { *this = o; }

    static TMatrix rotationZ(float angle);
    static TMatrix rotationX(float angle);
    static TMatrix translation(const TVector& t);

    const float* data() const { return m; }
    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
};

inline TVector TVector::transform(const TMatrix& t) const {
    const float* m = t.m;
    return TVector(m[0] * x + m[4] * y + m[8] * z + m[12],
                   m[1] * x + m[5] * y + m[9] * z + m[13],
                   m[2] * x + m[6] * y + m[10] * z + m[14]);
}
