#pragma once
// TNormCubeMap is a generated 64 x 64 cube map whose texels hold the unit
// vector of their direction, scaled into bytes as (n + 1) * 127.5; the
// per-pixel lighting programs look normalised vectors up in it.

#include "engine/TTexture.h"

class TEngine;

class TNormCubeMap : public TTexture {
public:
    static const int kSize = 64;

    // Computes and uploads the six faces; registers in the engine's list.
    TNormCubeMap(const TString& name, TEngine* engine);

    // Fills one face (index 0 .. 5 in the order +X, -X, +Y, -Y, +Z, -Z) of
    // kSize x kSize RGB texels: rows follow a, texels in a row follow b,
    // both from -31.5 to 31.5.
    static void computeFace(int face, uint8_t* texels);
};
