#pragma once
// TVector is a point or direction in the world: three floats x, y, z. The
// world's vertical axis is z and grows downward. All operations return new
// vectors and leave the operands alone; none guards against division by zero
// (the zero vector normalised gives non-finite components).

#include <cmath>
#include <cstdint>

class TMatrix;

class TVector {
public:
    float x, y, z;

    TVector() : x(0.0f), y(0.0f), z(0.0f) {}
    TVector(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    TVector(const TVector& o) = default;
    TVector& operator=(const TVector& o) = default;
    virtual ~TVector() = default;

    // The mouse position of a mouse message: low 16 bits x, high 16 bits y.
    static TVector fromLParam(uint32_t lParam) {
        return TVector(static_cast<float>(lParam & 0xffffu), static_cast<float>((lParam >> 16) & 0xffffu), 0.0f);
    }

    TVector operator+(const TVector& o) const { return TVector(x + o.x, y + o.y, z + o.z); }
    TVector operator-(const TVector& o) const { return TVector(x - o.x, y - o.y, z - o.z); }
    TVector operator*(float f) const { return TVector(x * f, y * f, z * f); }
    TVector operator/(float f) const {
        const float r = 1.0f / f;
        return TVector(x * r, y * r, z * r);
    }
    TVector mulComponents(const TVector& o) const { return TVector(x * o.x, y * o.y, z * o.z); }
    TVector cross(const TVector& o) const {
        return TVector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    float dot(const TVector& o) const { return x * o.x + y * o.y + z * o.z; }
    float length() const { return std::sqrt(x * x + y * y + z * z); }
    TVector normalized() const {
        const float r = 1.0f / std::sqrt(x * x + y * y + z * z);
        return TVector(x * r, y * r, z * r);
    }
    // A quarter turn about the z axis.
    TVector perpendicularXY() const { return TVector(-y, x, z); }
    // The point transformed with w = 1 and no division.
    TVector transform(const TMatrix& m) const;
};
