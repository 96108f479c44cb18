#pragma once
// MeshBuilder collects one geometry part from primitive shapes: boxes,
// cylinders and cones, ellipsoids, tori, prisms and flat cards. Every vertex
// carries one normal and one texture coordinate (so texture triangles equal
// the triangles and a vertex-split pass changes nothing), and, for skinned
// models, up to four bone weights that sum to 1.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "pff.h"
#include "vecmath.h"

namespace gen {

// A rectangle of the texture in GL texture space (v = 0 is the first row the
// game uploads, the bottom of the picture).
struct UvRect {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;

    // The pixel rectangle [x0, x1) x [y0, y1) of a size x size picture whose
    // rows count from the top, as the texture painters draw it.
    static UvRect pixels(int x0, int y0, int x1, int y1, int size);
    float u(float s) const { return u0 + (u1 - u0) * s; }
    float v(float t) const { return v0 + (v1 - v0) * t; }
};

// Up to four bone influences; weights sum to 1.
struct BoneWeights {
    std::array<int, 4> bone = {0, 0, 0, 0};
    std::array<float, 4> weight = {1, 0, 0, 0};
    int count = 1;

    static BoneWeights single(int b);
    // (1 - t) on a, t on b; t is clamped to [0, 1].
    static BoneWeights blend(int a, int b, float t);
};

using WeightFunction = std::function<BoneWeights(V3 modelPosition)>;

class MeshBuilder {
public:
    // State applied to everything added afterwards.
    void setTransform(const M4& m) { transform_ = m; }
    const M4& transform() const { return transform_; }
    void setUv(const UvRect& r) { uv_ = r; }
    void setBone(int bone);
    void setWeights(WeightFunction f) { weights_ = std::move(f); }

    // A vertex in local coordinates with its normal and a parameter (s, t)
    // in [0, 1] mapped into the current UV rectangle. Returns its index.
    int vertex(V3 p, V3 n, float s, float t);
    // A triangle of three vertex indices, counter-clockwise seen from the
    // side its normals face (the order is kept right under mirroring).
    void triangle(int a, int b, int c);

    // Flat-shaded box from -half to +half around centre.
    void box(V3 centre, V3 half);
    // A flat quad (a, b, c, d counter-clockwise seen from the front).
    void quad(V3 a, V3 b, V3 c, V3 d);
    // A quad visible from both sides: two sheets `gap` apart along its normal.
    void card(V3 a, V3 b, V3 c, V3 d, float gap);
    // A smooth cylinder or truncated cone from a to b with radii ra and rb;
    // capped ends are flat. A radius of 0 makes a cone tip.
    void tube(V3 a, V3 b, float ra, float rb, int segments, bool capA, bool capB);
    // A smooth ellipsoid around centre with the given radii along x, y, z.
    // zFrom and zTo (in -1..1) cut it to a band of latitudes.
    void ellipsoid(V3 centre, V3 radii, int segments, int rings, float zFrom = -1.0f, float zTo = 1.0f);
    // A torus around `axis` through centre.
    void torus(V3 centre, V3 axis, float ringRadius, float tubeRadius, int segments, int sides);
    // A prism: the outline (counter-clockwise in the plane spanned by u and
    // v, convex) extruded from `origin` along u x v by depth, with flat caps.
    void prism(V3 origin, V3 u, V3 v, const std::vector<std::array<float, 2>>& outline, float depth);

    int vertexCount() const { return static_cast<int>(positions_.size()); }
    int triangleCount() const { return static_cast<int>(triangles_.size()); }
    const std::vector<V3>& positions() const { return positions_; }
    const std::vector<BoneWeights>& boneWeights() const { return boneWeights_; }

    // The largest distance of a vertex from a point.
    float radiusAround(V3 centre) const;
    // Lowest and highest vertex coordinate along an axis (0 x, 1 y, 2 z).
    void extent(int axis, float& lo, float& hi) const;

    // The geometry part (name must start with "_"), with `setCount` copies
    // of the texture coordinates. Vertices no triangle uses are left out.
    pff::Part toPart(const std::string& name, int material, int setCount = 1) const;
    // The skin block naming every bone of the skeleton.
    pff::SkinBlock toSkin(const std::string& name, const std::vector<std::string>& boneNames) const;

private:
    // New index of every vertex once unused ones are left out (-1 for those),
    // and the number kept.
    std::vector<int> keptIndex(int& kept) const;

    M4 transform_;
    UvRect uv_;
    WeightFunction weights_;
    std::vector<V3> positions_;
    std::vector<V3> normals_;
    std::vector<V3> uvs_;
    std::vector<BoneWeights> boneWeights_;
    std::vector<pff::Tri> triangles_;
};

}  // namespace gen
