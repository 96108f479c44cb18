#pragma once
// TMaterial is a material record in use by the renderer: built by the engine
// from a TMaterialData, it holds one texture per layer (found by name in the
// engine's list or loaded from "tex\") and the slots of its GPU programs,
// and puts all of that into GL state when the render context applies it.
// The engine's material list owns every TMaterial.

#include <cstdint>

#include "engine/TMaterialData.h"

class TEngine;
class TTexture;

class TMaterial : public TMaterialData {
public:
    int32_t vertexProgramSlot;    // engine's vertex-program slot, -1 none
    int32_t fragmentProgramSlot;  // engine's fragment-program slot, -1 none
    TTexture** textures;          // n + 1 entries (owned array; the textures are the engine's)
    TEngine* engine;

    // Copies the record and finds or loads the texture of each layer. A
    // texture file that cannot be read still gives a texture of that name
    // (a white stand-in), so later lookups find it. A layer index outside
    // -1 .. 7 is clamped, with a log line.
    TMaterial(const TMaterialData& data, TEngine* engine);
    TMaterial(const TMaterial&) = delete;
    TMaterial& operator=(const TMaterial&) = delete;
    // Frees the texture-pointer array, not the textures.
    ~TMaterial() override;

    // Binds or disables the programs (only slots whose program compiled are
    // bound), sets the colours, and binds layer i's texture on unit i, using
    // exactly n + 1 units.
    void apply();

private:
    void applyPrograms();
};
