#pragma once
// TRenderContext is a render target's view of the GL state the engine tracks
// itself: the texture target enabled on each of 8 units, the number of units
// in use, the current material and the bound buffer objects, so that
// redundant GL calls are skipped. The engine's window is one target; a
// pbuffer is the other, and uses these default operations as they stand.

#include "platform/win32.h"
#include "platform/wgl.h"

class TBufferObject;
class TMaterial;
class TTexture;
template <class T>
class TList;

class TRenderContext {
public:
    TBufferObject* elementBuffer = nullptr;
    TBufferObject* arrayBuffer = nullptr;
    int unitCount = 0;
    int activeUnit = 0;
    unsigned int unitTargets[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    TMaterial* material = nullptr;
    bool useVBO = true;

    TRenderContext() = default;
    TRenderContext(const TRenderContext&) = delete;
    TRenderContext& operator=(const TRenderContext&) = delete;
    virtual ~TRenderContext() = default;

    virtual HGLRC getHandle() = 0;
    virtual void makeCurrent() = 0;
    // Flips buffer-object use; when it goes off, unbinds both buffer targets
    // and forgets them. Returns the new switch.
    virtual bool toggleVBO();
    virtual void setTextureUnitCount(int n);
    virtual void setActiveTexture(int unit);
    virtual void setUnitTarget(int unit, unsigned int target);
    virtual unsigned int getUnitTarget(int unit);
    // Disables and forgets the targets of units n .. count - 1, highest first.
    virtual void shrinkTextureUnits(int n);
    virtual TMaterial* getMaterial();
    // Applies the material when it differs from the current one; null forgets
    // the current material without touching GL.
    virtual void setMaterial(TMaterial* m);
    virtual void bindArrayBuffer(TBufferObject* b);
    virtual void bindElementBuffer(TBufferObject* b);

    // The texture list textures made for this context register in; the
    // engine's list (every texture of the program belongs to the engine).
    virtual TList<TTexture>* getTextureList() { return nullptr; }
};
