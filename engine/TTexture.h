#pragma once
// TTexture is one GL texture object with the name it was loaded under, its
// target, the texture-matrix scale it is drawn with and the render context it
// belongs to. Every texture registers in its context's texture list when it
// is made and stays there; the list owns it, so that materials share
// textures by name and the engine can refilter all of them at once.

#include <cstdint>

#include "engine/TString.h"
#include "platform/gl.h"

class TRenderContext;
class TTextureLayer;

class TTexture {
public:
    int32_t unit;     // the unit it was last bound to; -1 before the first bind
    uint32_t target;  // GL_TEXTURE_2D unless a subclass sets another
    uint32_t id;      // GL texture name
    TString name;     // the layer's texture file name as stored (own copy)
    TRenderContext* context;
    float sScale;
    float tScale;
    int32_t layerValue;  // the layer's texture-coordinate set

    // Takes name, scales and set from the layer and pushes itself onto the
    // front of the context's texture list, which then owns it. A context
    // without a list leaves the texture to its creator.
    TTexture(const TTextureLayer& layer, uint32_t id, TRenderContext* context);
    TTexture(const TTexture&) = delete;
    TTexture& operator=(const TTexture&) = delete;
    // Frees the name; the GL texture goes with the GL context.
    virtual ~TTexture() = default;

    // A copy that borrows this texture's name: valid while the texture lives.
    TString getName() const { return name; }

    // Makes unit the active unit, enables this texture's target there
    // (disabling another target the unit had), binds the texture and loads
    // the scale into the texture matrix.
    virtual void bind(int unit);
    // The two halves of bind: make the unit active with this texture's target
    // enabled (and only that) and bind the texture; load the texture matrix
    // with the scales.
    void selectOnUnit(int unit);
    void loadTextureMatrix();
};

// The stand-in for a picture that cannot be used: size x size opaque white
// texels uploaded to one 2D image target (a 2D texture or a cube-map face) in
// the given internal format, so that the texture is complete and draws
// untinted. The caller (or the picture's reader) has logged why.
void uploadStandIn(GLenum imageTarget, GLint internalFormat, int size);

// While alive, pixel rows are read tightly packed (TGA rows and the
// generated images carry no padding); the previous alignment comes back at
// the end of the scope.
class TPackedRows {
public:
    TPackedRows();
    ~TPackedRows();
    TPackedRows(const TPackedRows&) = delete;
    TPackedRows& operator=(const TPackedRows&) = delete;

private:
    GLint previous;
};
