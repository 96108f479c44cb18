#pragma once
// Stand-ins for the texture, material, font and camera classes until their
// own files exist: just what the engine's own sources call. Delete this file
// and TEngine_pending.cpp together once engine/TCamera.h, TFont.h,
// TMaterial.h and TTexture.h are in; the engine's sources then include those.

#include "engine/TString.h"
#if __has_include("engine/TMaterialData.h")
#include "engine/TMaterialData.h"
#include "engine/TTextureLayer.h"
#else
class TTextureLayer {};

class TMaterialData {
public:
    virtual ~TMaterialData() = default;
};
#endif

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
