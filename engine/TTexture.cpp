#include "engine/TTexture.h"

#include <vector>

#include "engine/TList.h"
#include "engine/TRenderContext.h"
#include "engine/TTextureLayer.h"

TTexture::TTexture(const TTextureLayer& layer, uint32_t textureId, TRenderContext* owner)
    : unit(-1),
      target(GL_TEXTURE_2D),
      id(textureId),
      context(owner),
      sScale(layer.getValue(0)),
      tScale(layer.getValue(1)),
      layerValue(layer.getInteger()) {
    name.assign(layer.getTextureName());
    if (context) {
        if (TList<TTexture>* list = context->getTextureList()) list->pushFront(this, true);
    }
}

void TTexture::bind(int toUnit) {
    selectOnUnit(toUnit);
    loadTextureMatrix();
}

void TTexture::selectOnUnit(int toUnit) {
    unit = toUnit;
    context->setActiveTexture(toUnit);
    const uint32_t current = context->getUnitTarget(toUnit);
    if (current != target) {
        if (current != 0) glDisable(current);
        glEnable(target);
        context->setUnitTarget(toUnit, target);
    }
    glBindTexture(target, id);
}

void TTexture::loadTextureMatrix() {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(sScale, tScale, 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

void uploadStandIn(GLenum imageTarget, GLint internalFormat, int size) {
    const int side = size > 0 ? size : 1;
    const std::vector<GLubyte> white(static_cast<size_t>(side) * side * 4, 255);
    TPackedRows packed;
    glTexImage2D(imageTarget, 0, internalFormat, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
}

TPackedRows::TPackedRows() : previous(4) {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

TPackedRows::~TPackedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous); }
