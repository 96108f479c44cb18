#include "scene/TWasser.h"

#include "engine/GLExtensions.h"
#include "engine/TCamera.h"
#include "engine/TColor.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TMaterialData.h"
#include "engine/TPBuffer.h"
#include "engine/TString.h"
#include "engine/TTextureLayer.h"
#include "platform/gl.h"
#include "scene/TReflectionDrawer.h"

namespace {

const int kReflectionSize = 256;
const int kReflectionDepthBits = 16;
// The scene is drawn at 100 times the world's scale.
const float kDrawScale = 100.0f;

// Texture layers of the material, by unit.
const char* const kLayerTextures[6] = {
    "perlinnormals.tga", "normC", "waterpBuff", "skyboxtex", "perlinnormals.tga", "perlinnormals.tga",
};

// The quad reaches 1000 units beyond the 2048 x 2048 level on every side;
// unit u repeats its texture 32 << u times across it.
struct Corner {
    float x, y;
    float s, t;  // 0 or 1, scaled per unit
};
const Corner kCorners[4] = {
    {-1000.0f, -1000.0f, 0.0f, 0.0f},
    {3048.0f, -1000.0f, 1.0f, 0.0f},
    {3048.0f, 3048.0f, 1.0f, 1.0f},
    {-1000.0f, 3048.0f, 0.0f, 1.0f},
};
const float kRepeats[TWasser::kDriftedLayers] = {32.0f, 64.0f, 128.0f, 256.0f};

// The per-frame drift of drifted layer i in texture space.
TVector drift(int i) {
    const float f = 0.08f * static_cast<float>(TWasser::kDriftedLayers - i);
    return TVector(0.0005f * f, 0.0001f * f, 0.0f);
}

}  // namespace

TWasser::TWasser(const TVector& dir, TReflectionDrawer* drawer, TCamera* reflectionCamera, int32_t waterLevel,
                 TEngine* owner)
    : TRenderable(owner),
      reflection(nullptr),
      direction(dir),
      material(nullptr),
      level(waterLevel),
      reflectionDrawer(drawer),
      camera(reflectionCamera) {
    reflection = new TPBuffer(TString("waterpBuff"), kReflectionSize, kReflectionSize, kReflectionDepthBits, true,
                              engine);
    if (reflection->isValid()) wglShareLists(engine->getHandle(), reflection->getHandle());

    TTextureLayer layers[6];
    for (int i = 0; i < 6; ++i) layers[i] = TTextureLayer(TString(kLayerTextures[i]), 1.0f, 1.0f, 1, 0);
    const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
    const TMaterialData data(TString("wasser"), black, black, black, 2.0f, 5, layers);
    material = engine->addMaterial(data);
    if (material) {
        material->fragmentProgramSlot = engine->loadFragmentProgram(TString("programs\\wasser_fp.txt"));
        material->vertexProgramSlot = engine->loadVertexProgram(TString("programs\\wasser_vp.txt"));
    }
}

TWasser::~TWasser() {
    for (TMatrix& m : textureMatrices) m = TMatrix();
}

void TWasser::renderReflection() {
    if (!reflection || !reflection->isValid()) return;
    TRenderContext* previous = engine->activeTarget ? engine->activeTarget : engine;

    reflection->makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (camera) camera->apply();
    // Mirror about the plane z = L of the scaled scene.
    const float mirror = static_cast<float>(level) * kDrawScale;
    glTranslatef(0.0f, 0.0f, mirror);
    glScalef(1.0f, 1.0f, -1.0f);
    glTranslatef(0.0f, 0.0f, -mirror);
    if (reflectionDrawer) reflectionDrawer->drawReflection();

    previous->makeCurrent();
}

void TWasser::draw() {
    renderReflection();
    drawSurface();
}

void TWasser::drawSurface() {
    engine->setMaterial(material);

    // The normal maps drift a little every frame.
    for (int i = 0; i < kDriftedLayers; ++i) {
        textureMatrices[i] = textureMatrices[i] * TMatrix::translation(drift(i));
        glMatrixMode(GL_MATRIX0_ARB + i);
        glLoadMatrixf(textureMatrices[i].m);
    }
    glMatrixMode(GL_MODELVIEW);

    TCamera* viewer = engine->camera ? engine->camera : camera;
    if (viewer) {
        const TVector eye = viewer->getPosition() * 0.01f;
        glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, eye.x, eye.y, eye.z, 1.0f);
    }

    const float z = static_cast<float>(level);
    glBegin(GL_QUADS);
    for (const Corner& c : kCorners) {
        for (int u = 0; u < kDriftedLayers; ++u)
            glMultiTexCoord2f(GL_TEXTURE0_ARB + u, c.s * kRepeats[u], c.t * kRepeats[u]);
        glVertex3f(c.x, c.y, z);
    }
    glEnd();

    engine->setMaterial(engine->stdMat);
    if (reflection) reflection->releaseImage();
}
