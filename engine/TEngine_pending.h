#pragma once
// Stand-ins for the texture, material, font and camera classes until their
// own files exist: just what the engine's own sources call. Delete this file
// and TEngine_pending.cpp together once engine/TCamera.h, TFont.h,
// TMaterial.h and TTexture.h are in; the engine's sources then include those.

#include "engine/TMaterialData.h"
#include "engine/TString.h"
#include "engine/TTextureLayer.h"

class TImage {};

class TMaterial : public TMaterialData {
public:
    void apply() {}
};

class TTexture {
public:
    virtual ~TTexture() = default;
};

class TFont {
public:
    virtual ~TFont() = default;
    void print(const char*, ...) {}
};

class TCamera {
public:
    void apply() {}
};
