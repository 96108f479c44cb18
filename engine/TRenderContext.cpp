#include "engine/TRenderContext.h"

#include "engine/TBufferObject.h"
#include "platform/gl.h"
#include "engine/TMaterial.h"

namespace {

const int kUnits = 8;

bool isUnit(int unit) { return unit >= 0 && unit < kUnits; }

}  // namespace

bool TRenderContext::toggleVBO() {
    useVBO = !useVBO;
    if (!useVBO) {
        makeCurrent();
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        elementBuffer = nullptr;
        arrayBuffer = nullptr;
    }
    return useVBO;
}

void TRenderContext::setTextureUnitCount(int n) {
    if (n > unitCount) {
        unitCount = n;
    } else {
        shrinkTextureUnits(n);
    }
}

void TRenderContext::setActiveTexture(int unit) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    activeUnit = unit;
}

// Units outside 0..7 have no slot: their target is not kept and reads as 0.
void TRenderContext::setUnitTarget(int unit, unsigned int target) {
    if (isUnit(unit)) unitTargets[unit] = target;
}

unsigned int TRenderContext::getUnitTarget(int unit) { return isUnit(unit) ? unitTargets[unit] : 0; }

void TRenderContext::shrinkTextureUnits(int n) {
    if (n < 0) n = 0;
    for (int unit = unitCount - 1; unit >= n; --unit) {
        setActiveTexture(unit);
        const unsigned int target = getUnitTarget(unit);
        if (target != 0) glDisable(target);
        setUnitTarget(unit, 0);
    }
    unitCount = n;
}

TMaterial* TRenderContext::getMaterial() { return material; }

void TRenderContext::setMaterial(TMaterial* m) {
    if (m == material) return;
    material = m;
    if (m) m->apply();
}

// A null buffer object stands for buffer 0 (nothing bound).
void TRenderContext::bindArrayBuffer(TBufferObject* b) {
    if (b == arrayBuffer) return;
    arrayBuffer = b;
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, b ? b->name : 0);
}

void TRenderContext::bindElementBuffer(TBufferObject* b) {
    if (b == elementBuffer) return;
    elementBuffer = b;
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, b ? b->name : 0);
}
