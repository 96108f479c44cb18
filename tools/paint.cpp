#include "paint.h"

#include <algorithm>
#include <cmath>

namespace paint {

float length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }
float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }

Color rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Color mix(Color a, Color b, float t) {
    return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}

Color withAlpha(Color c, float a) {
    c.a = a;
    return c;
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
float mixf(float a, float b, float t) { return a + (b - a) * t; }

float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// --- signed distances -------------------------------------------------------

float sdCircle(Vec2 p, Vec2 c, float r) { return length(p - c) - r; }

float sdEllipse(Vec2 p, Vec2 c, Vec2 radii) {
    const Vec2 q = p - c;
    const float k0 = length({q.x / radii.x, q.y / radii.y});
    const float k1 = length({q.x / (radii.x * radii.x), q.y / (radii.y * radii.y)});
    if (k1 <= 1e-9f) return -std::min(radii.x, radii.y);
    return k0 * (k0 - 1.0f) / k1;
}

float sdBox(Vec2 p, Vec2 lo, Vec2 hi, float cornerRadius) {
    const Vec2 c = (lo + hi) * 0.5f;
    const Vec2 half = (hi - lo) * 0.5f;
    const float qx = std::fabs(p.x - c.x) - (half.x - cornerRadius);
    const float qy = std::fabs(p.y - c.y) - (half.y - cornerRadius);
    const float outside = length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
    return outside + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
}

float sdSegment(Vec2 p, Vec2 a, Vec2 b, float r) {
    const Vec2 pa = p - a;
    const Vec2 ba = b - a;
    const float den = dot(ba, ba);
    const float h = den > 0.0f ? clamp01(dot(pa, ba) / den) : 0.0f;
    return length(pa - ba * h) - r;
}

float sdPolygon(Vec2 p, const Vec2* v, size_t count) {
    if (count < 3) return 1e9f;
    float d = dot(p - v[0], p - v[0]);
    float s = 1.0f;
    for (size_t i = 0, j = count - 1; i < count; j = i, ++i) {
        const Vec2 e = v[j] - v[i];
        const Vec2 w = p - v[i];
        const float den = dot(e, e);
        const Vec2 b = w - e * (den > 0.0f ? clamp01(dot(w, e) / den) : 0.0f);
        d = std::min(d, dot(b, b));
        const bool c1 = p.y >= v[i].y;
        const bool c2 = p.y < v[j].y;
        const bool c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

float sdTaperedCurve(Vec2 p, Vec2 a, Vec2 ctrl, Vec2 b, float r0, float r1, int segments) {
    auto at = [&](float t) {
        const float u = 1.0f - t;
        return a * (u * u) + ctrl * (2.0f * u * t) + b * (t * t);
    };
    float best = 1e9f;
    Vec2 prev = a;
    for (int i = 1; i <= segments; ++i) {
        const float t1 = static_cast<float>(i) / segments;
        const Vec2 cur = at(t1);
        const Vec2 pa = p - prev;
        const Vec2 ba = cur - prev;
        const float den = dot(ba, ba);
        const float h = den > 0.0f ? clamp01(dot(pa, ba) / den) : 0.0f;
        const float t = (i - 1 + h) / segments;
        best = std::min(best, length(pa - ba * h) - mixf(r0, r1, t));
        prev = cur;
    }
    return best;
}

// --- noise ------------------------------------------------------------------

namespace {

uint32_t mixHash(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

int wrap(int i, int period) {
    if (period <= 0) return i;
    const int m = i % period;
    return m < 0 ? m + period : m;
}

uint32_t latticeHash(int x, int y, int z, uint32_t seed) {
    return mixHash(static_cast<uint32_t>(x) * 0x8da6b343U ^ static_cast<uint32_t>(y) * 0xd8163841U ^
                   static_cast<uint32_t>(z) * 0xcb1ab31fU ^ mixHash(seed + 0x9e3779b9U));
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float grad2(int x, int y, int px, int py, uint32_t seed, float dx, float dy) {
    const uint32_t h = latticeHash(wrap(x, px), wrap(y, py), 0, seed);
    const float a = (h & 0xffff) * (6.28318531f / 65536.0f);
    return std::cos(a) * dx + std::sin(a) * dy;
}

float grad3(int x, int y, int z, int px, int py, int pz, uint32_t seed, float dx, float dy, float dz) {
    const uint32_t h = latticeHash(wrap(x, px), wrap(y, py), wrap(z, pz), seed) % 12;
    static const float g[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1},
                                   {1, 0, -1}, {-1, 0, -1}, {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
    return g[h][0] * dx + g[h][1] * dy + g[h][2] * dz;
}

}  // namespace

float hash01(int x, int y, uint32_t seed) { return (latticeHash(x, y, 7, seed) & 0xffffff) / 16777216.0f; }

float noise2(float x, float y, int px, int py, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0;
    const float fy = y - y0;
    const float n00 = grad2(x0, y0, px, py, seed, fx, fy);
    const float n10 = grad2(x0 + 1, y0, px, py, seed, fx - 1, fy);
    const float n01 = grad2(x0, y0 + 1, px, py, seed, fx, fy - 1);
    const float n11 = grad2(x0 + 1, y0 + 1, px, py, seed, fx - 1, fy - 1);
    const float u = fade(fx);
    const float v = fade(fy);
    return 1.4f * mixf(mixf(n00, n10, u), mixf(n01, n11, u), v);
}

float noise3(float x, float y, float z, int px, int py, int pz, uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const int z0 = static_cast<int>(std::floor(z));
    const float fx = x - x0;
    const float fy = y - y0;
    const float fz = z - z0;
    float n[2][2][2];
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
                n[k][j][i] = grad3(x0 + i, y0 + j, z0 + k, px, py, pz, seed, fx - i, fy - j, fz - k);
    const float u = fade(fx);
    const float v = fade(fy);
    const float w = fade(fz);
    const float a = mixf(mixf(n[0][0][0], n[0][0][1], u), mixf(n[0][1][0], n[0][1][1], u), v);
    const float b = mixf(mixf(n[1][0][0], n[1][0][1], u), mixf(n[1][1][0], n[1][1][1], u), v);
    return mixf(a, b, w);
}

float fbm2(float x, float y, int octaves, int px, int py, uint32_t seed, float gain) {
    float sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        const int f = 1 << o;
        sum += amp * noise2(x * f, y * f, px * f, py * f, seed + o * 101);
        total += amp;
        amp *= gain;
    }
    return sum / total;
}

float fbm3(float x, float y, float z, int octaves, int px, int py, int pz, uint32_t seed, float gain) {
    float sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        const int f = 1 << o;
        sum += amp * noise3(x * f, y * f, z * f, px * f, py * f, pz * f, seed + o * 101);
        total += amp;
        amp *= gain;
    }
    return sum / total;
}

// --- painting ---------------------------------------------------------------

void blend(gen::Image& img, int x, int y, Color c, float cover) {
    if (x < 0 || y < 0 || x >= img.width || y >= img.height) return;
    const float a = clamp01(c.a * cover);
    if (a <= 0.0f) return;
    uint8_t* p = img.at(x, y);
    const float src[3] = {clamp01(c.r), clamp01(c.g), clamp01(c.b)};
    if (img.channels == 3) {
        for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(std::lround(255.0f * mixf(p[i] / 255.0f, src[i], a)));
        return;
    }
    const float ad = p[3] / 255.0f;
    const float ao = a + ad * (1.0f - a);
    for (int i = 0; i < 3; ++i) {
        const float v = (src[i] * a + p[i] / 255.0f * ad * (1.0f - a)) / ao;
        p[i] = static_cast<uint8_t>(std::lround(255.0f * clamp01(v)));
    }
    p[3] = static_cast<uint8_t>(std::lround(255.0f * ao));
}

void paintRect(gen::Image& img, int x0, int y0, int x1, int y1, const std::function<Color(float, float)>& fn) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, img.width);
    y1 = std::min(y1, img.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) blend(img, x, y, fn(x + 0.5f, y + 0.5f));
}

void paintAll(gen::Image& img, const std::function<Color(float, float)>& fn) {
    paintRect(img, 0, 0, img.width, img.height, fn);
}

void fillAll(gen::Image& img, const std::function<Color(float, float)>& fn) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const Color c = fn(x + 0.5f, y + 0.5f);
            img.set(x, y, static_cast<uint8_t>(std::lround(255.0f * clamp01(c.r))),
                    static_cast<uint8_t>(std::lround(255.0f * clamp01(c.g))),
                    static_cast<uint8_t>(std::lround(255.0f * clamp01(c.b))),
                    static_cast<uint8_t>(std::lround(255.0f * clamp01(c.a))));
        }
}

Color pixel(const gen::Image& img, int x, int y) {
    const uint8_t* p = img.at(x, y);
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, img.channels == 4 ? p[3] / 255.0f : 1.0f};
}

void bleedTransparent(gen::Image& img) {
    if (img.channels != 4) return;
    const int w = img.width;
    const int h = img.height;
    std::vector<uint8_t> known(static_cast<size_t>(w) * h);
    double sum[3] = {0, 0, 0};
    double weight = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = img.at(x, y);
            known[static_cast<size_t>(y) * w + x] = p[3] > 0;
            for (int i = 0; i < 3; ++i) sum[i] += p[i] * (p[3] / 255.0);
            weight += p[3] / 255.0;
        }
    for (int pass = 0; pass < 24; ++pass) {
        std::vector<uint8_t> next = known;
        bool changed = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (known[static_cast<size_t>(y) * w + x]) continue;
                int acc[3] = {0, 0, 0};
                int n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx;
                        const int ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || !known[static_cast<size_t>(ny) * w + nx]) continue;
                        const uint8_t* q = img.at(nx, ny);
                        for (int i = 0; i < 3; ++i) acc[i] += q[i];
                        ++n;
                    }
                if (n == 0) continue;
                uint8_t* p = img.at(x, y);
                for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(acc[i] / n);
                next[static_cast<size_t>(y) * w + x] = 1;
                changed = true;
            }
        known.swap(next);
        if (!changed) break;
    }
    uint8_t avg[3] = {0, 0, 0};
    if (weight > 0)
        for (int i = 0; i < 3; ++i) avg[i] = static_cast<uint8_t>(sum[i] / weight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!known[static_cast<size_t>(y) * w + x]) {
                uint8_t* p = img.at(x, y);
                for (int i = 0; i < 3; ++i) p[i] = avg[i];
            }
}

void regionPixels(const gen::Image& img, const Region& r, int& x0, int& y0, int& x1, int& y1) {
    const float ya = (1.0f - r.tTop) * img.height;
    const float yb = (1.0f - r.tBottom) * img.height;
    const float xa = r.s0 * img.width;
    const float xb = r.s1 * img.width;
    x0 = static_cast<int>(std::ceil(std::min(xa, xb) - 0.5f));
    x1 = static_cast<int>(std::floor(std::max(xa, xb) - 0.5f)) + 1;
    y0 = static_cast<int>(std::ceil(std::min(ya, yb) - 0.5f));
    y1 = static_cast<int>(std::floor(std::max(ya, yb) - 0.5f)) + 1;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, img.width);
    y1 = std::min(y1, img.height);
}

void paintRegion(gen::Image& img, const Region& r, float unitsX, float unitsY,
                 const std::function<Color(float, float)>& fn) {
    int x0, y0, x1, y1;
    regionPixels(img, r, x0, y0, x1, y1);
    const float ya = (1.0f - r.tTop) * img.height;
    const float yb = (1.0f - r.tBottom) * img.height;
    const float xa = r.s0 * img.width;
    const float xb = r.s1 * img.width;
    constexpr int kSamples = 4;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float pr = 0, pg = 0, pb = 0, pa = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px = x + (sx + 0.5f) / kSamples;
                    const float py = y + (sy + 0.5f) / kSamples;
                    const Color c = fn((px - xa) / (xb - xa) * unitsX, (py - ya) / (yb - ya) * unitsY);
                    const float a = clamp01(c.a);
                    pr += c.r * a;
                    pg += c.g * a;
                    pb += c.b * a;
                    pa += a;
                }
            if (pa <= 0.0f) continue;
            blend(img, x, y, {pr / pa, pg / pa, pb / pa, pa / (kSamples * kSamples)});
        }
}

}  // namespace paint
