#pragma once
// TTexture3D stacks numbered TGA slices ("fires0.tga" .. "fires15.tga" from
// "tex\") into one 3D texture, slice i at depth i; the animated fire walks
// through its depth. All slices are expected to share the first one's size
// and depth.

#include "engine/TTexture.h"

class TEngine;

class TTexture3D : public TTexture {
public:
    // Loads base name + i + ".tga" for i = 0 .. count - 1 and uploads them
    // with generated mipmaps. A count below 1 or an unreadable first slice
    // leaves the texture without an image; a slice that is missing or
    // differs from the first in size or depth is left blank (zeros). Each
    // case writes one log line. The texture registers in the engine's list.
    TTexture3D(const TString& baseName, int count, TEngine* engine);
};
