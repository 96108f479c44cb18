#pragma once
// TIntVector is three ints (a, b, c): the vertex or texture-coordinate
// indices of a triangle's corners 0, 1 and 2. Zero after default
// construction.

class TIntVector {
public:
    int a, b, c;

    TIntVector() : a(0), b(0), c(0) {}
    TIntVector(int ia, int ib, int ic) : a(ia), b(ib), c(ic) {}

    // Corner k (0, 1 or 2); any other k gives corner 2.
    int& operator[](int k) { return k == 0 ? a : (k == 1 ? b : c); }
    int operator[](int k) const { return k == 0 ? a : (k == 1 ? b : c); }
    bool operator==(const TIntVector& o) const { return a == o.a && b == o.b && c == o.c; }
    bool operator!=(const TIntVector& o) const { return !(*this == o); }
};
