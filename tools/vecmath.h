#pragma once
// The generator's own small vector and matrix math, independent of the
// engine's types. M4 is a 4x4 float matrix in column order (m[4c + r],
// translation in m[12..14]), the layout model files store; a * b applies b
// first, then a.

#include <cmath>

namespace gen {

constexpr float kPi = 3.14159265358979f;

inline float radians(float degrees) { return degrees * kPi / 180.0f; }

struct V3 {
    float x = 0, y = 0, z = 0;
    V3() = default;
    V3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
inline V3 operator*(V3 a, float f) { return {a.x * f, a.y * f, a.z * f}; }
inline V3 operator*(float f, V3 a) { return a * f; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(V3 a) { return std::sqrt(dot(a, a)); }
// The zero vector stays zero.
inline V3 normalize(V3 a) {
    const float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}
inline V3 lerp(V3 a, V3 b, float t) { return a + (b - a) * t; }

struct M4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static M4 identity() { return M4(); }
    static M4 translation(V3 t) {
        M4 r;
        r.m[12] = t.x;
        r.m[13] = t.y;
        r.m[14] = t.z;
        return r;
    }
    static M4 scale(V3 s) {
        M4 r;
        r.m[0] = s.x;
        r.m[5] = s.y;
        r.m[10] = s.z;
        return r;
    }
    // Right-handed rotations about the axes (angle in radians).
    static M4 rotationX(float a) {
        M4 r;
        r.m[5] = std::cos(a);
        r.m[6] = std::sin(a);
        r.m[9] = -std::sin(a);
        r.m[10] = std::cos(a);
        return r;
    }
    static M4 rotationY(float a) {
        M4 r;
        r.m[0] = std::cos(a);
        r.m[2] = -std::sin(a);
        r.m[8] = std::sin(a);
        r.m[10] = std::cos(a);
        return r;
    }
    static M4 rotationZ(float a) {
        M4 r;
        r.m[0] = std::cos(a);
        r.m[1] = std::sin(a);
        r.m[4] = -std::sin(a);
        r.m[5] = std::cos(a);
        return r;
    }
    // A matrix whose columns are the three axes and the origin.
    static M4 fromAxes(V3 x, V3 y, V3 z, V3 origin) {
        M4 r;
        const float v[16] = {x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, origin.x, origin.y, origin.z, 1};
        for (int i = 0; i < 16; ++i) r.m[i] = v[i];
        return r;
    }

    V3 point(V3 p) const {
        return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    }
    V3 direction(V3 d) const {
        return {m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
                m[2] * d.x + m[6] * d.y + m[10] * d.z};
    }
    V3 translationPart() const { return {m[12], m[13], m[14]}; }
};

inline M4 operator*(const M4& a, const M4& b) {
    M4 r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a.m[4 * k + row] * b.m[4 * c + k];
            r.m[4 * c + row] = s;
        }
    return r;
}

// Inverse of a rotation-plus-translation matrix.
inline M4 inverseRigid(const M4& a) {
    M4 r;
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) r.m[4 * c + row] = a.m[4 * row + c];
    const V3 t = r.direction(a.translationPart());
    r.m[12] = -t.x;
    r.m[13] = -t.y;
    r.m[14] = -t.z;
    return r;
}

}  // namespace gen
