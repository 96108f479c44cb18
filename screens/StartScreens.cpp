#include "screens/StartScreens.h"

#include "engine/Log.h"
#include "engine/TCamera.h"
#include "engine/TColor.h"
#include "engine/TEngine.h"
#include "engine/TMaterialData.h"
#include "engine/TString.h"
#include "engine/TTextureLayer.h"
#include "platform/gl.h"
#include "platform/win32.h"

namespace startscreens {

namespace {

const uint32_t kFadeStepMs = 50;
const float kFadeStep = 0.05f;

}  // namespace

TMaterial* makePictureMaterial(TEngine* engine, const char* name, const char* textureFile) {
    if (!engine) return nullptr;
    const TTextureLayer layer(TString(textureFile), 1.0f, 1.0f, 0, 0);
    const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
    return engine->addMaterial(TMaterialData(TString(name), black, black, black, 2.0f, 0, &layer));
}

TMaterial* loadPicture(TEngine* engine, const char* name, const char* textureFile) {
    TMaterial* material = makePictureMaterial(engine, name, textureFile);
    logOut() << "Lade " << name << " textur...\n";
    if (!material) logOut() << "failed to startup texture\n";
    logFlush();
    return material;
}

void keepPicture(TEngine* engine, const char* file, const char* name, TMaterial** slots, int& count, int capacity,
                 const char* owner) {
    TMaterial* material = makePictureMaterial(engine, name, file);
    logOut() << "Lade " << file << " textur... " << (material ? "ok.\n" : "failed.\n");
    logFlush();
    if (count >= capacity) {
        logOut() << owner << ": no texture slot left for '" << file << "', picture not kept\n";
        logFlush();
    } else {
        slots[count] = material;
    }
    ++count;
}

void beginPicture(TEngine* engine, TMaterial* material, float depth) {
    engine->setMaterial(material);
    engine->begin2D();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(60.0f, 0.0f, depth);
}

void stepFade(float& alpha, int fadingOut, int fadingIn, uint32_t& lastFadeStep, uint32_t now, uint32_t stepMs,
              float step) {
    if (now < lastFadeStep + stepMs) return;
    lastFadeStep = now;
    if (fadingOut) alpha += step;
    else if (fadingIn) alpha -= step;
    if (alpha < 0.0f) alpha = 0.0f;
    if (alpha > 1.0f) alpha = 1.0f;
}

TCamera* makeStartCamera(TEngine* engine) {
    TCamera* camera = new TCamera();
    camera->direction = TVector(0.0f, 0.0f, 1.0f);
    camera->up = TVector(0.0f, 1.0f, 0.0f);
    camera->eye = TVector(0.0f, 0.0f, 0.0f);
    // The second distance takes the truncated difference of the defaults.
    const int difference = static_cast<int>(camera->projectionA - camera->projectionB);
    camera->projectionA = 0.0;
    camera->projectionB = -difference;
    camera->updateView();
    camera->updateProjection();
    camera->updateFrustum();
    if (engine) camera->lightPosition = engine->lightPosition;
    return camera;
}

void drawPlainQuad(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex3f(x0, y1, 0.0f);
    glVertex3f(x1, y1, 0.0f);
    glVertex3f(x1, y0, 0.0f);
    glVertex3f(x0, y0, 0.0f);
    glEnd();
}

void drawLetterboxFade(TEngine* engine, float& alpha, int fadingOut, int fadingIn, uint32_t& lastFadeStep) {
    engine->begin2D();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -108.0f);

    if (fadingOut || fadingIn) {
        glColor4f(0.0f, 0.0f, 0.0f, alpha);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawPlainQuad(0.0f, 0.0f, 640.0f, 480.0f);
        glDisable(GL_BLEND);
        stepFade(alpha, fadingOut, fadingIn, lastFadeStep, timeGetTime(), kFadeStepMs, kFadeStep);
    }

    // The letterbox bars.
    glDisable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    drawPlainQuad(0.0f, 0.0f, 800.0f, 50.0f);
    drawPlainQuad(0.0f, 430.0f, 800.0f, 480.0f);

    glPopMatrix();
    glEnable(GL_BLEND);
    engine->end2D();
}

}  // namespace startscreens
