#pragma once
// Drawing helpers for the generated pictures: shapes are signed-distance
// functions (negative inside, in the units of the point given), turned into
// anti-aliased coverage where they are painted; noise is gradient noise that
// can repeat with a given period so that textures tile. Colours are straight
// (not premultiplied) floats 0..1 and are blended "over" into gen::Image.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "common.h"

namespace paint {

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float k) { return {a.x * k, a.y * k}; }
float length(Vec2 v);
float dot(Vec2 a, Vec2 b);

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};
Color rgb(int r, int g, int b, float a = 1.0f);  // from 0..255 components
Color mix(Color a, Color b, float t);            // all four components
Color withAlpha(Color c, float a);

float clamp01(float v);
float mixf(float a, float b, float t);
float smoothstep(float e0, float e1, float x);
// Anti-aliased coverage of a shape at signed distance d (in pixels).
inline float coverage(float d) { return clamp01(0.5f - d); }

// --- signed distances -------------------------------------------------------
float sdCircle(Vec2 p, Vec2 c, float r);
float sdEllipse(Vec2 p, Vec2 c, Vec2 radii);  // close to exact near the outline
float sdBox(Vec2 p, Vec2 lo, Vec2 hi, float cornerRadius = 0.0f);
float sdSegment(Vec2 p, Vec2 a, Vec2 b, float r);  // capsule of radius r
// Closed polygon (any winding, may be concave).
float sdPolygon(Vec2 p, const Vec2* pts, size_t count);
inline float sdPolygon(Vec2 p, const std::vector<Vec2>& pts) { return sdPolygon(p, pts.data(), pts.size()); }
template <size_t N>
float sdPolygon(Vec2 p, const Vec2 (&pts)[N]) {
    return sdPolygon(p, pts, N);
}
// A stroke along a quadratic Bezier curve whose radius runs from r0 to r1.
float sdTaperedCurve(Vec2 p, Vec2 a, Vec2 ctrl, Vec2 b, float r0, float r1, int segments = 12);
inline float sdUnion(float a, float b) { return a < b ? a : b; }
inline float sdSubtract(float a, float cut) { return a > -cut ? a : -cut; }

// --- noise ------------------------------------------------------------------
// Gradient noise in about -1..1. A period p > 0 makes the noise repeat every p
// lattice units along that axis (coordinates are in lattice units).
float noise2(float x, float y, int px = 0, int py = 0, uint32_t seed = 0);
float noise3(float x, float y, float z, int px = 0, int py = 0, int pz = 0, uint32_t seed = 0);
// Sum of octaves, each of twice the frequency and `gain` times the amplitude;
// the periods double with the frequency, so a tiling base stays tiling.
float fbm2(float x, float y, int octaves, int px = 0, int py = 0, uint32_t seed = 0, float gain = 0.5f);
float fbm3(float x, float y, float z, int octaves, int px = 0, int py = 0, int pz = 0, uint32_t seed = 0,
           float gain = 0.5f);
// A deterministic value in [0, 1) for an integer pair.
float hash01(int x, int y, uint32_t seed = 0);

// --- painting into images ---------------------------------------------------
// Blends c over the pixel with the extra weight `cover` (0..1). Pixels outside
// the image are ignored. Works on 3- and 4-channel images.
void blend(gen::Image& img, int x, int y, Color c, float cover = 1.0f);
// Calls fn for every pixel centre (x + 0.5, y + 0.5) of the rectangle
// [x0, x1) x [y0, y1) (clipped to the image) and blends its result over.
void paintRect(gen::Image& img, int x0, int y0, int x1, int y1, const std::function<Color(float, float)>& fn);
// The same over the whole image.
void paintAll(gen::Image& img, const std::function<Color(float, float)>& fn);
// Replaces pixels (ignores what is there), whole image.
void fillAll(gen::Image& img, const std::function<Color(float, float)>& fn);
Color pixel(const gen::Image& img, int x, int y);

// Gives fully transparent pixels the colour of their visible neighbourhood, so
// filtering and mipmaps do not pull dark fringes into the edges of a shape.
void bleedTransparent(gen::Image& img);

// A texture region in texture coordinates: s from s0 to s1 left to right, t
// from tTop at the top edge of the quad that shows it to tBottom at its
// bottom. In the pictures written here t = 1 is the top image row (the file
// stores the bottom row first), so image row y covers t near 1 - (y + 0.5) / H.
struct Region {
    float s0, s1, tTop, tBottom;
};
// Paints fn into the pixels whose centres lie in the region, 4 x 4 samples a
// pixel averaged (so fn may draw hard edges). fn's arguments run 0..unitsX
// left to right and 0..unitsY top to bottom over the region, as the quad
// shows it; give the quad's on-screen size as units so that shapes keep their
// on-screen proportions whatever the region's texel aspect.
void paintRegion(gen::Image& img, const Region& r, float unitsX, float unitsY,
                 const std::function<Color(float, float)>& fn);
// The pixel rectangle [x0, x1) x [y0, y1) that paintRegion covers.
void regionPixels(const gen::Image& img, const Region& r, int& x0, int& y0, int& x1, int& y1);

}  // namespace paint
