#include "screens/TLogoScreen.h"

#include <new>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TSound.h"
#include "engine/TVector.h"
#include "platform/gl.h"
#include "screens/StartScreens.h"

namespace {

TLogoScreen* theLogoScreen = nullptr;
// Logo pictures loaded so far: the next texture slot.
int logoTextureCount = 0;

const uint32_t kZoomDelayMs = 50;
const float kZoomPerFrame = 0.004f;
const float kZoomEndDepth = -12.0f;
const uint32_t kHoldMs = 1000;
const float kQuadScale = 5.5f;
const float kTexEnd = 0.99f;

}  // namespace

TLogoScreen* TLogoScreen::getInstance(TEngine* engine, TGame* /*game*/, TProperties* /*properties*/) {
    if (!theLogoScreen && engine) theLogoScreen = new (std::nothrow) TLogoScreen(engine);
    return theLogoScreen;
}

void TLogoScreen::destroyInstance() {
    delete theLogoScreen;
    theLogoScreen = nullptr;
    logoTextureCount = 0;
}

TLogoScreen::TLogoScreen(TEngine* e)
    : TRenderable(e),
      textures(new TMaterial*[kTextureSlots]()),
      music(-1),
      sample(-1),
      cameraZ(10.0f),
      logoZ(-17.5f),
      camera(nullptr),
      done(0),
      fadingOut(0),
      fadingIn(1),
      lastFadeStep(0),
      zoomStart(0),
      alpha(1.0f),
      zoom(1),
      endTime(0),
      quitArrived(0) {
    loadTextures("Logo_neu.tga", "logo_neu");
    TSound* sound = TSound::getInstance();
    music = sound->loadMusic(1, "sound/DemoIntro.wav", false);
    sample = sound->loadSound("sound/dragon_logo.wav", 0);
    camera = startscreens::makeStartCamera(engine);
    engine->camera = camera;
    sound->playMusic(music);
    lastFadeStep = timeGetTime();
    zoomStart = lastFadeStep;
    zoom = 1;
}

TLogoScreen::~TLogoScreen() {
    if (theLogoScreen == this) theLogoScreen = nullptr;
    if (engine && engine->camera == camera) engine->camera = nullptr;
    if (engine && engine->screen == this) engine->screen = nullptr;
    delete camera;
    delete[] textures;
}

void TLogoScreen::loadTextures(const char* file, const char* name) {
    startscreens::keepPicture(engine, file, name, textures, logoTextureCount, kTextureSlots, "Logo screen");
}

void TLogoScreen::drawQuad(float x, float y, float z, float w, float h, bool mirrored) {
    const float sLeft = mirrored ? kTexEnd : 0.0f;
    const float sRight = mirrored ? 0.0f : kTexEnd;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(kQuadScale, kQuadScale, 1.0f);
    glTranslatef(x, y, z);
    glBegin(GL_QUADS);
    glTexCoord2f(sLeft, 0.0f);
    glVertex3f(0.0f, h, 0.0f);
    glTexCoord2f(sRight, 0.0f);
    glVertex3f(w, h, 0.0f);
    glTexCoord2f(sRight, kTexEnd);
    glVertex3f(w, 0.0f, 0.0f);
    glTexCoord2f(sLeft, kTexEnd);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    glPopMatrix();
}

void TLogoScreen::fadeOut() {
    fadingOut = 1;
    fadingIn = 0;
    lastFadeStep = timeGetTime();
}

void TLogoScreen::draw() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Whatever was drawn before must not tint the picture.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    camera->setPosition(TVector(0.0f, 0.0f, cameraZ));
    engine->setMaterial(textures[0]);
    drawQuad(-2.2f, -1.8f, logoZ, 4.0f, 4.0f, false);
    glPopMatrix();
    startscreens::drawLetterboxFade(engine, alpha, fadingOut, fadingIn, lastFadeStep);
}

void TLogoScreen::advance(uint32_t now) {
    if (endTime && now >= endTime && !done) {
        done = 1;
        fadingOut = 1;
        fadingIn = 0;
        lastFadeStep = now;
    }
    // The zoom moves by a fixed step every pass, not by the time passed.
    if (now >= zoomStart + kZoomDelayMs) {
        if (zoom) logoZ += kZoomPerFrame;
        if (logoZ >= kZoomEndDepth && !endTime) endTime = now + kHoldMs;
    }
}

int TLogoScreen::run() {
    engine->screen = this;
    engine->camera = camera;
    while (!(done && alpha > 0.99f)) {
        engine->renderFrame();
        advance(timeGetTime());
        if (pumpMessages(nullptr, kAllWaitingMessages) & kPumpQuit) {
            // A closed window ends the program: fade out as Escape does.
            quitArrived = 1;
            TSound::getInstance()->stopMusic(music);
            done = 1;
            fadeOut();
        }
    }
    engine->camera = nullptr;
    return quitArrived ? RESULT_QUIT : RESULT_DONE;
}

LRESULT TLogoScreen::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            return 0;
        case WM_CHAR:
            switch (wParam) {
                case VK_ESCAPE:
                    TSound::getInstance()->stopMusic(music);
                    done = 1;
                    fadeOut();
                    break;
                case 'L': logoZ += 0.05f; break;
                case 'l': logoZ -= 0.05f; break;
                case 'z': cameraZ += 0.05f; break;
                case 'Z': cameraZ -= 0.05f; break;
                case 'g': zoom = !zoom; break;
                default: break;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
