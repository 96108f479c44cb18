#include "screens/TLoadingScreen.h"

#include <climits>
#include <cmath>
#include <new>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TFont.h"
#include "engine/TMaterial.h"
#include "platform/gl.h"
#include "screens/StartScreens.h"

namespace {

TLoadingScreen* theLoadingScreen = nullptr;

const float kPictureSize = 512.0f;
const float kBarHeight = 66.0f;

// progress x 100 truncated toward zero; 0 for a value that is not a number,
// saturated beyond the int range.
int percentOf(float progress) {
    const float percent = progress * 100.0f;
    if (std::isnan(percent)) return 0;
    if (percent >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (percent <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(percent);
}

// One textured quad from (0, 0) to (width, height) at depth 0, texture t
// given top edge first.
void drawQuad(float width, float height, float s1, float tTop, float tBottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, tBottom);
    glVertex3f(0.0f, height, 0.0f);
    glTexCoord2f(s1, tBottom);
    glVertex3f(width, height, 0.0f);
    glTexCoord2f(s1, tTop);
    glVertex3f(width, 0.0f, 0.0f);
    glTexCoord2f(0.0f, tTop);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
}

}  // namespace

TLoadingScreen* TLoadingScreen::getInstance(TEngine* engine, TProperties* /*properties*/) {
    if (!theLoadingScreen && engine) theLoadingScreen = new (std::nothrow) TLoadingScreen(engine);
    return theLoadingScreen;
}

TLoadingScreen* TLoadingScreen::existing() { return theLoadingScreen; }

void TLoadingScreen::destroyInstance() {
    delete theLoadingScreen;
    theLoadingScreen = nullptr;
}

TLoadingScreen::TLoadingScreen(TEngine* e) : TRenderable(e) {
    material = startscreens::makePictureMaterial(engine, "loading", "loading_2.tga");
    logOut() << "Lade loding textur...\n";
    if (!material) logOut() << "failed to load texutre\n";
    logFlush();
    font = engine->getFont(-14, 400);
}

TLoadingScreen::~TLoadingScreen() {
    if (theLoadingScreen == this) theLoadingScreen = nullptr;
    if (TEngine::existing()) glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
}

void TLoadingScreen::setProgress(float p) {
    progress = p;
    engine->renderFrame();
}

void TLoadingScreen::advance(float step) {
    progress += step;
    if (progress >= 1.0f) progress = 1.0f;
    engine->renderFrame();
}

void TLoadingScreen::draw() {
    startscreens::beginPicture(engine, material, -18.0f);
    // The picture's last 32 rows fall below the screen.
    drawQuad(kPictureSize, kPictureSize, 1.0f, 1.0f, 0.07f);

    // The bar shows the left part of the bar picture.
    glTranslatef(0.0f, 441.5f, 5.0f);
    if (std::isfinite(progress)) drawQuad(kPictureSize * progress, kBarHeight, progress, 0.12f, 0.0f);

    glTranslatef(80.0f, 22.0f, 0.0f);
    if (font) font->print("Lade (%d%%)", percentOf(progress));

    glPopMatrix();
    engine->end2D();
}
