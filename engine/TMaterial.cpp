#include "engine/TMaterial.h"

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TTexture.h"
#include "engine/TTgaImage.h"
#include "platform/gl.h"

TMaterial::TMaterial(const TMaterialData& data, TEngine* owner)
    : TMaterialData(), vertexProgramSlot(-1), fragmentProgramSlot(-1), textures(nullptr), engine(owner) {
    ambient = data.ambient;
    specular = data.specular;
    diffuse = data.diffuse;
    value = data.value;
    for (int i = 0; i < kNameSize; ++i) name[i] = data.name[i];
    name[kNameSize - 1] = '\0';

    int32_t n = data.lastLayerIndex;
    if (n < -1 || n >= kLayerCount) {
        logOut() << "Material '" << name << "': layer index " << n << " outside -1 .. " << kLayerCount - 1
                 << ", clamped\n";
        logFlush();
        n = n < -1 ? -1 : kLayerCount - 1;
    }
    lastLayerIndex = n;
    textures = new TTexture*[n + 1];
    for (int i = 0; i <= n; ++i) {
        layers[i] = data.layers[i];
        textures[i] = engine->findTexture(&layers[i]);
        if (textures[i]) continue;
        TString path;
        path.assign(layers[i].getTextureName());
        TEngine::texturePath(path);
        TTgaImage* image = new TTgaImage(path);
        textures[i] = engine->createTexture(image, &layers[i]);
        delete image;
    }
}

TMaterial::~TMaterial() { delete[] textures; }

void TMaterial::applyPrograms() {
    if (vertexProgramSlot != -1 && engine->isVertexProgramValid(vertexProgramSlot)) {
        glBindProgramARB(GL_VERTEX_PROGRAM_ARB, engine->vertexProgramIds[vertexProgramSlot]);
        glEnable(GL_VERTEX_PROGRAM_ARB);
    } else {
        glDisable(GL_VERTEX_PROGRAM_ARB);
    }
#ifdef GAME_NV
    const GLenum fragmentTarget = GL_FRAGMENT_PROGRAM_NV;
#else
    const GLenum fragmentTarget = GL_FRAGMENT_PROGRAM_ARB;
#endif
    if (fragmentProgramSlot != -1 && engine->isFragmentProgramValid(fragmentProgramSlot)) {
#ifdef GAME_NV
        glBindProgramNV(fragmentTarget, engine->fragmentProgramIds[fragmentProgramSlot]);
#else
        glBindProgramARB(fragmentTarget, engine->fragmentProgramIds[fragmentProgramSlot]);
#endif
        glEnable(fragmentTarget);
    } else {
        glDisable(fragmentTarget);
    }
}

void TMaterial::apply() {
    applyPrograms();
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 10.0f);
    engine->setTextureUnitCount(lastLayerIndex + 1);
    if (lastLayerIndex == -1) {
        engine->shrinkTextureUnits(0);
        return;
    }
    for (int i = 0; i <= lastLayerIndex; ++i) {
        if (textures[i]) textures[i]->bind(i);
    }
}
