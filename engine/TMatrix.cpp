#include "engine/TMatrix.h"

#include <cmath>

TMatrix::TMatrix() {
    for (float& v : m) v = 0.0f;
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

TMatrix TMatrix::operator*(const TMatrix& other) const {
    // Column i of the result is `other` applied to column i of this.
    TMatrix r;
    const float* a = other.m;
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a[4 * k + row] * m[4 * c + k];
            r.m[4 * c + row] = s;
        }
    }
    return r;
}

TMatrix TMatrix::rotationPart() const {
    TMatrix r(*this);
    r.m[12] = r.m[13] = r.m[14] = 0.0f;
    r.m[3] = r.m[7] = r.m[11] = 0.0f;
    r.m[15] = 1.0f;
    return r;
}

TMatrix TMatrix::inverseRigid() const {
    TMatrix rt;  // transposed rotation
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) rt.m[4 * c + row] = m[4 * row + c];
    TMatrix t;  // translation by the negated translation
    t.m[12] = -m[12];
    t.m[13] = -m[13];
    t.m[14] = -m[14];
    // R' · T(-t): translate first, then rotate.
    return t * rt;
}

TMatrix TMatrix::add(const TMatrix& o) const {
    TMatrix r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] + o.m[i];
    return r;
}

TMatrix TMatrix::sub(const TMatrix& o) const {
    TMatrix r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] - o.m[i];
    return r;
}

TMatrix TMatrix::scale(float f) const {
    TMatrix r;
    for (int i = 0; i < 16; ++i) r.m[i] = m[i] * f;
    return r;
}

TMatrix TMatrix::rotationZ(float angle) {
    TMatrix r;
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return r;
}

TMatrix TMatrix::rotationX(float angle) {
    TMatrix r;
    const float c = std::cos(angle), s = std::sin(angle);
    r.m[5] = c;
    r.m[6] = s;
    r.m[9] = -s;
    r.m[10] = c;
    return r;
}

TMatrix TMatrix::translation(const TVector& t) {
    TMatrix r;
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
}
