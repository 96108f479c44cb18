#pragma once
// TCubeMap is a cube-map texture from six TGA files in "tex\" (the sky box),
// clamped to the edges, filtered linearly, without mipmaps.

#include "engine/TTexture.h"

class TEngine;

class TCubeMap : public TTexture {
public:
    // Faces in the order +X, -X, +Y, -Y, +Z, -Z; each file name is reduced
    // to "tex\" + its part after the last backslash. A face whose file
    // cannot be read (its reader logs it), or that is not a square of the
    // first square face's size and depth (logged here), is drawn white, so
    // the cube map stays complete. The texture registers in the engine's
    // list.
    TCubeMap(const TString& name, const TString& positiveX, const TString& negativeX, const TString& positiveY,
             const TString& negativeY, const TString& positiveZ, const TString& negativeZ, TEngine* engine);
    ~TCubeMap() override = default;

    static const GLenum kFaces[6];

    // A new GL cube-map name, bound, every face clamped to the edge and
    // filtered linearly (the sky box and the normalisation cube map).
    static GLuint createClampedCubeMap();
};
