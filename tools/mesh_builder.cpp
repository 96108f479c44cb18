#include "mesh_builder.h"

#include <algorithm>
#include <cmath>

namespace gen {

namespace {

// Two unit vectors perpendicular to w and to each other, with u x v = w.
void frame(V3 w, V3& u, V3& v) {
    const V3 helper = std::fabs(w.z) < 0.9f ? V3(0, 0, 1) : V3(1, 0, 0);
    u = normalize(cross(helper, w));
    v = cross(w, u);
}

float determinant3(const M4& m) {
    const V3 x(m.m[0], m.m[1], m.m[2]), y(m.m[4], m.m[5], m.m[6]), z(m.m[8], m.m[9], m.m[10]);
    return dot(cross(x, y), z);
}

}  // namespace

UvRect UvRect::pixels(int x0, int y0, int x1, int y1, int size) {
    const float f = 1.0f / static_cast<float>(size);
    // Half a pixel inside, so filtering does not pick up the neighbour region.
    UvRect r;
    r.u0 = (x0 + 0.5f) * f;
    r.u1 = (x1 - 0.5f) * f;
    r.v0 = 1.0f - (y1 - 0.5f) * f;
    r.v1 = 1.0f - (y0 + 0.5f) * f;
    return r;
}

BoneWeights BoneWeights::single(int b) {
    BoneWeights w;
    w.bone[0] = b;
    return w;
}

BoneWeights BoneWeights::blend(int a, int b, float t) {
    t = std::min(1.0f, std::max(0.0f, t));
    if (t <= 0.0f || a == b) return single(a);
    if (t >= 1.0f) return single(b);
    BoneWeights w;
    w.bone = {a, b, 0, 0};
    w.weight = {1.0f - t, t, 0, 0};
    w.count = 2;
    return w;
}

void MeshBuilder::setBone(int bone) {
    weights_ = [bone](V3) { return BoneWeights::single(bone); };
}

int MeshBuilder::vertex(V3 p, V3 n, float s, float t) {
    const V3 world = transform_.point(p);
    positions_.push_back(world);
    normals_.push_back(normalize(transform_.direction(n)));
    uvs_.push_back(V3(uv_.u(s), uv_.v(t), 0.0f));
    boneWeights_.push_back(weights_ ? weights_(world) : BoneWeights::single(0));
    return static_cast<int>(positions_.size()) - 1;
}

void MeshBuilder::triangle(int a, int b, int c) {
    if (determinant3(transform_) < 0.0f) std::swap(b, c);
    triangles_.push_back({a, b, c});
}

void MeshBuilder::quad(V3 a, V3 b, V3 c, V3 d) {
    const V3 n = normalize(cross(c - a, d - b));
    const int i0 = vertex(a, n, 0, 0), i1 = vertex(b, n, 1, 0), i2 = vertex(c, n, 1, 1), i3 = vertex(d, n, 0, 1);
    triangle(i0, i1, i2);
    triangle(i0, i2, i3);
}

void MeshBuilder::card(V3 a, V3 b, V3 c, V3 d, float gap) {
    const V3 n = normalize(cross(c - a, d - b)) * (gap * 0.5f);
    quad(a + n, b + n, c + n, d + n);
    quad(a - n, d - n, c - n, b - n);
}

void MeshBuilder::box(V3 centre, V3 half) {
    const float h[3] = {half.x, half.y, half.z};
    for (int axis = 0; axis < 3; ++axis) {
        const int i1 = (axis + 1) % 3, i2 = (axis + 2) % 3;
        for (int sign = -1; sign <= 1; sign += 2) {
            float n[3] = {0, 0, 0}, t1[3] = {0, 0, 0}, t2[3] = {0, 0, 0};
            n[axis] = sign * h[axis];
            t1[i1] = h[i1];
            t2[i2] = h[i2];
            const V3 N(n[0], n[1], n[2]), T1(t1[0], t1[1], t1[2]), T2(t2[0], t2[1], t2[2]);
            const V3 c = centre + N;
            if (sign > 0)
                quad(c - T1 - T2, c + T1 - T2, c + T1 + T2, c - T1 + T2);
            else
                quad(c - T1 - T2, c - T1 + T2, c + T1 + T2, c + T1 - T2);
        }
    }
}

void MeshBuilder::tube(V3 a, V3 b, float ra, float rb, int segments, bool capA, bool capB) {
    const V3 axis = b - a;
    const float h = length(axis);
    if (h <= 0.0f || segments < 3) return;
    const V3 w = axis * (1.0f / h);
    V3 u, v;
    frame(w, u, v);
    std::vector<int> ringA, ringB;
    for (int k = 0; k <= segments; ++k) {
        const float ang = 2.0f * kPi * k / segments;
        const V3 r = u * std::cos(ang) + v * std::sin(ang);
        const V3 n = normalize(r * h + w * (ra - rb));
        const float s = static_cast<float>(k) / segments;
        ringA.push_back(vertex(a + r * ra, n, s, 0.0f));
        ringB.push_back(vertex(b + r * rb, n, s, 1.0f));
    }
    for (int k = 0; k < segments; ++k) {
        if (ra > 0.0f) triangle(ringA[k], ringA[k + 1], ringB[k + 1]);
        if (rb > 0.0f) triangle(ringA[k], ringB[k + 1], ringB[k]);
    }
    const auto cap = [&](V3 centre, float radius, V3 n, bool forward) {
        const int c = vertex(centre, n, 0.5f, 0.5f);
        std::vector<int> ring;
        for (int k = 0; k <= segments; ++k) {
            const float ang = 2.0f * kPi * k / segments;
            const V3 r = u * std::cos(ang) + v * std::sin(ang);
            ring.push_back(vertex(centre + r * radius, n, 0.5f + 0.5f * std::cos(ang), 0.5f + 0.5f * std::sin(ang)));
        }
        for (int k = 0; k < segments; ++k) {
            if (forward)
                triangle(c, ring[k], ring[k + 1]);
            else
                triangle(c, ring[k + 1], ring[k]);
        }
    };
    if (capA && ra > 0.0f) cap(a, ra, -w, false);
    if (capB && rb > 0.0f) cap(b, rb, w, true);
}

void MeshBuilder::ellipsoid(V3 centre, V3 radii, int segments, int rings, float zFrom, float zTo) {
    if (segments < 3 || rings < 1) return;
    const float phi0 = std::asin(std::max(-1.0f, std::min(1.0f, zFrom)));
    const float phi1 = std::asin(std::max(-1.0f, std::min(1.0f, zTo)));
    std::vector<std::vector<int>> grid(rings + 1);
    std::vector<float> cosPhi(rings + 1);
    for (int j = 0; j <= rings; ++j) {
        const float phi = phi0 + (phi1 - phi0) * j / rings;
        cosPhi[j] = std::cos(phi);
        for (int k = 0; k <= segments; ++k) {
            const float th = 2.0f * kPi * k / segments;
            const V3 dir(std::cos(phi) * std::cos(th), std::cos(phi) * std::sin(th), std::sin(phi));
            const V3 p(centre.x + radii.x * dir.x, centre.y + radii.y * dir.y, centre.z + radii.z * dir.z);
            const V3 n(dir.x / radii.x, dir.y / radii.y, dir.z / radii.z);
            grid[j].push_back(vertex(p, n, static_cast<float>(k) / segments, static_cast<float>(j) / rings));
        }
    }
    for (int j = 0; j < rings; ++j)
        for (int k = 0; k < segments; ++k) {
            if (cosPhi[j] > 1e-4f) triangle(grid[j][k], grid[j][k + 1], grid[j + 1][k + 1]);
            if (cosPhi[j + 1] > 1e-4f) triangle(grid[j][k], grid[j + 1][k + 1], grid[j + 1][k]);
        }
}

void MeshBuilder::torus(V3 centre, V3 axis, float ringRadius, float tubeRadius, int segments, int sides) {
    if (segments < 3 || sides < 3) return;
    const V3 w = normalize(axis);
    V3 u, v;
    frame(w, u, v);
    std::vector<std::vector<int>> grid(sides + 1);
    for (int j = 0; j <= sides; ++j) {
        const float psi = 2.0f * kPi * j / sides;
        for (int k = 0; k <= segments; ++k) {
            const float th = 2.0f * kPi * k / segments;
            const V3 r = u * std::cos(th) + v * std::sin(th);
            const V3 n = r * std::cos(psi) + w * std::sin(psi);
            grid[j].push_back(vertex(centre + r * ringRadius + n * tubeRadius, n, static_cast<float>(k) / segments,
                                     static_cast<float>(j) / sides));
        }
    }
    for (int j = 0; j < sides; ++j)
        for (int k = 0; k < segments; ++k) {
            triangle(grid[j][k], grid[j][k + 1], grid[j + 1][k + 1]);
            triangle(grid[j][k], grid[j + 1][k + 1], grid[j + 1][k]);
        }
}

void MeshBuilder::prism(V3 origin, V3 u, V3 v, const std::vector<std::array<float, 2>>& outline, float depth) {
    const size_t n = outline.size();
    if (n < 3) return;
    const V3 w = normalize(cross(u, v));
    const V3 lift = w * depth;
    float lo[2] = {outline[0][0], outline[0][1]}, hi[2] = {lo[0], lo[1]};
    for (const auto& p : outline)
        for (int i = 0; i < 2; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    const auto at = [&](size_t i) { return origin + u * outline[i][0] + v * outline[i][1]; };
    const auto capS = [&](size_t i) { return hi[0] > lo[0] ? (outline[i][0] - lo[0]) / (hi[0] - lo[0]) : 0.0f; };
    const auto capT = [&](size_t i) { return hi[1] > lo[1] ? (outline[i][1] - lo[1]) / (hi[1] - lo[1]) : 0.0f; };
    // Caps: the bottom faces -w, the top +w.
    std::vector<int> bottom, top;
    for (size_t i = 0; i < n; ++i) {
        bottom.push_back(vertex(at(i), -w, capS(i), capT(i)));
        top.push_back(vertex(at(i) + lift, w, capS(i), capT(i)));
    }
    for (size_t i = 1; i + 1 < n; ++i) {
        triangle(bottom[0], bottom[i + 1], bottom[i]);
        triangle(top[0], top[i], top[i + 1]);
    }
    // Sides, each with its own flat normal.
    float perimeter = 0.0f;
    for (size_t i = 0; i < n; ++i) perimeter += length(at((i + 1) % n) - at(i));
    float run = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const V3 p0 = at(i), p1 = at((i + 1) % n);
        const float edge = length(p1 - p0);
        const V3 out = normalize(cross(p1 - p0, w));
        const float s0 = perimeter > 0 ? run / perimeter : 0.0f, s1 = perimeter > 0 ? (run + edge) / perimeter : 1.0f;
        run += edge;
        const int a = vertex(p0, out, s0, 0), b = vertex(p1, out, s1, 0);
        const int c = vertex(p1 + lift, out, s1, 1), d = vertex(p0 + lift, out, s0, 1);
        triangle(a, b, c);
        triangle(a, c, d);
    }
}

float MeshBuilder::radiusAround(V3 centre) const {
    float r = 0.0f;
    for (const V3& p : positions_) r = std::max(r, length(p - centre));
    return r;
}

void MeshBuilder::extent(int axis, float& lo, float& hi) const {
    lo = hi = 0.0f;
    bool first = true;
    for (const V3& p : positions_) {
        const float c = axis == 0 ? p.x : axis == 1 ? p.y : p.z;
        if (first || c < lo) lo = c;
        if (first || c > hi) hi = c;
        first = false;
    }
}

std::vector<int> MeshBuilder::keptIndex(int& kept) const {
    std::vector<int> index(positions_.size(), -1);
    for (const pff::Tri& t : triangles_)
        for (int32_t i : t) index[static_cast<size_t>(i)] = 0;
    kept = 0;
    for (int& i : index)
        if (i == 0) i = kept++;
    return index;
}

pff::Part MeshBuilder::toPart(const std::string& name, int material, int setCount) const {
    int kept = 0;
    const std::vector<int> index = keptIndex(kept);
    pff::Part part;
    part.name = name;
    part.material = material;
    std::vector<V3> uvs;
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (index[i] < 0) continue;
        part.vertices.push_back(positions_[i]);
        uvs.push_back(uvs_[i]);
    }
    part.normals.reserve(triangles_.size() * 3);
    for (const pff::Tri& t : triangles_) {
        part.triangles.push_back({index[static_cast<size_t>(t[0])], index[static_cast<size_t>(t[1])],
                                  index[static_cast<size_t>(t[2])]});
        for (int32_t i : t) part.normals.push_back(normals_[static_cast<size_t>(i)]);
    }
    for (int s = 0; s < setCount; ++s) {
        pff::TexSet set;
        set.triangles = part.triangles;
        set.coords = uvs;
        part.sets.push_back(set);
    }
    return part;
}

pff::SkinBlock MeshBuilder::toSkin(const std::string& name, const std::vector<std::string>& boneNames) const {
    pff::SkinBlock skin;
    skin.name = name;
    skin.bones = boneNames;
    int kept = 0;
    const std::vector<int> index = keptIndex(kept);
    skin.vertexCount = kept;
    const size_t n = boneNames.size();
    skin.weights.assign(n * static_cast<size_t>(kept), 0.0f);
    for (size_t v = 0; v < boneWeights_.size(); ++v) {
        if (index[v] < 0) continue;
        const size_t j = static_cast<size_t>(index[v]);
        const BoneWeights& w = boneWeights_[v];
        float sum = 0.0f;
        for (int i = 0; i < w.count; ++i) sum += w.weight[i];
        for (int i = 0; i < w.count; ++i)
            if (w.bone[i] >= 0 && static_cast<size_t>(w.bone[i]) < n)
                skin.weights[n * j + static_cast<size_t>(w.bone[i])] += sum > 0.0f ? w.weight[i] / sum : 0.0f;
    }
    return skin;
}

}  // namespace gen
