#pragma once
// TColor is an RGBA colour of four floats (0 to 1 for GL use); GL takes the
// address of r as a pointer to the four values.

class TColor {
public:
    float r, g, b, a;

    TColor() : r(0.0f), g(0.0f), b(0.0f), a(1.0f) {}
    TColor(float ar, float ag, float ab, float aa) : r(ar), g(ag), b(ab), a(aa) {}
    TColor(const TColor&) = default;
    TColor& operator=(const TColor&) = default;
    virtual ~TColor() = default;

    const float* data() const { return &r; }
};
