#pragma once
// TPBuffer is an off-screen render target with a GL context of its own whose
// picture is bound as a texture. Between makeCurrent and the engine's
// makeCurrent everything draws into it (the engine forwards its render-
// context operations here); bindTexture then hands the picture to a texture
// unit. It is a texture of the engine's list, which owns it.

#include <cstdint>

#include "engine/TRenderContext.h"
#include "engine/TString.h"
#include "engine/TTexture.h"
#include "platform/wgl.h"

class TEngine;

class TPBuffer : public TRenderContext, public TTexture {
public:
    int32_t width;
    int32_t height;
    HPBUFFERARB pbuffer;     // null when it could not be made
    HDC pbufferDC;           // the pbuffer's device context
    HGLRC pbufferContext;    // the pbuffer's own GL context
    bool bound;              // the picture is bound as a texture
    bool mipmaps;            // mipmaps are generated when the picture is bound
    TEngine* engine;

    // Makes the pbuffer, its context and its texture name on the engine's
    // device context, sets the context's GL defaults and leaves the
    // engine's context current. A pbuffer or context that cannot be made is
    // logged; the object then draws nothing (makeCurrent does nothing) and
    // binds an empty texture. Registers in the engine's texture list, which
    // owns it.
    TPBuffer(const TString& name, int32_t width, int32_t height, int32_t depthBits, bool mipmaps, TEngine* engine);
    // Releases the context, the device context and the pbuffer (the texture
    // name goes with the engine's context). Leaves the engine's context
    // current when the pbuffer was the active target.
    ~TPBuffer() override;

    // True when the pbuffer and its context exist.
    bool isValid() const { return pbuffer && pbufferContext; }

    HGLRC getHandle() override { return pbufferContext; }
    // Makes the pbuffer the engine's active render target and its context
    // current, releasing its picture from the texture first when bound.
    void makeCurrent() override;

    // The texture operation: the picture of the pbuffer on the unit.
    void bind(int toUnit) override { bindTexture(toUnit); }
    // Enables the unit's 2D target, binds the texture name, sets clamping
    // and trilinear filtering and copies the pbuffer's picture into it (with
    // mipmaps when asked for).
    void bindTexture(int toUnit);
    // Binds the texture name on the active unit, releases the picture from
    // it and marks the pbuffer as not bound.
    void releaseImage();

private:
    void setDefaultState();
};
