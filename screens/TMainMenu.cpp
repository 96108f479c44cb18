#include "screens/TMainMenu.h"

#include <new>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TEngine.h"
#include "engine/TSound.h"
#include "platform/gl.h"
#include "screens/StartScreens.h"

namespace {

TMainMenu* theMainMenu = nullptr;

const float kSheet = 512.0f;
const float kItemWidth = 200.0f;
const float kItemHeight = 50.0f;
const float kItemX = 300.0f;
const float kItemY = 200.0f;
const float kItemS0 = 311.0f / kSheet;  // 0.607421875
// Sheet rows of each item's frame 0, from the top of the sheet.
const float kItemOffset[TMainMenu::kItemCount] = {0.0f, 300.0f / kSheet, 150.0f / kSheet};
const uint32_t kGlowStepMs = 100;
const uint32_t kFadeStepMs = 5;
const float kFadeStep = 0.01f;

// A quad from (x, y) to (x + w, y + h) with s0 .. s1 along x and tTop at its
// top edge, tBottom at its bottom edge.
void sheetQuad(float x, float y, float w, float h, float s0, float s1, float tTop, float tBottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, tBottom);
    glVertex3f(x, y + h, 0.0f);
    glTexCoord2f(s1, tBottom);
    glVertex3f(x + w, y + h, 0.0f);
    glTexCoord2f(s1, tTop);
    glVertex3f(x + w, y, 0.0f);
    glTexCoord2f(s0, tTop);
    glVertex3f(x, y, 0.0f);
    glEnd();
}


}  // namespace

int TMainMenu::glowCounter = 0;
const int TMainMenu::glowTable[kGlowTableSize] = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0};

TMainMenu* TMainMenu::getInstance(TEngine* engine, TProperties* /*properties*/) {
    if (!theMainMenu && engine) theMainMenu = new (std::nothrow) TMainMenu(engine);
    return theMainMenu;
}

void TMainMenu::destroyInstance() {
    delete theMainMenu;
    theMainMenu = nullptr;
}

TMainMenu::TMainMenu(TEngine* e)
    : TRenderable(e),
      materials(new TMaterial*[kMaterialSlots]()),
      done(0),
      fadingOut(0),
      fadingIn(0),
      lastFadeStep(0),
      alpha(1.0f),
      selected(0),
      glowFrame(0),
      nextGlow(0),
      music(-1),
      switchSound(-1),
      enterSound(-1),
      quitArrived(0) {
    materials[0] = startscreens::loadPicture(engine, "menu_512", "menu_512.tga");
    materials[1] = startscreens::loadPicture(engine, "menu_nebel", "menu_nebel.tga");
    TSound* sound = TSound::getInstance();
    music = sound->loadMusic(1, "sound/valdrun.mp3", true);
    switchSound = sound->loadSound("sound/switch.wav", 0);
    enterSound = sound->loadSound("sound/enter.wav", 0);
}

TMainMenu::~TMainMenu() {
    if (theMainMenu == this) theMainMenu = nullptr;
    if (engine && engine->screen == this) engine->screen = nullptr;
    delete[] materials;
}

float TMainMenu::itemTop(int item, int frame) {
    if (item < 0 || item >= kItemCount) item = 0;
    return 1.0f - kItemHeight * frame / kSheet - kItemOffset[item];
}

void TMainMenu::fadeIn() {
    fadingIn = 1;
    fadingOut = 0;
    lastFadeStep = timeGetTime();
}

void TMainMenu::fadeOut() {
    fadingOut = 1;
    fadingIn = 0;
    lastFadeStep = timeGetTime();
}

// ------------------------------------------------------------- drawing ----

void TMainMenu::draw() {
    const uint32_t now = timeGetTime();
    startscreens::beginPicture(engine, materials[0], -108.0f);

    // The background: the left 300 texels of the sheet.
    sheetQuad(0.0f, 0.0f, 300.0f, 480.0f, 0.0f, 300.0f / kSheet, 1.0f, 0.0f);
    advanceGlow(now);
    for (int i = 0; i < kItemCount; ++i) drawItem(i, i == selected ? glowFrame : 0);
    drawFade(now);

    glPopMatrix();
    engine->end2D();
}

// Frames 0, 1, 2 every 100 ms, frame 0 twice in a row once a second.
void TMainMenu::advanceGlow(uint32_t now) {
    if (now < nextGlow) return;
    nextGlow = now + kGlowStepMs;
    glowCounter = (glowCounter + 1) % kGlowTableSize;
    glowFrame = glowTable[glowCounter];
    logOut() << "effekt " << glowFrame << "\n";
    logFlush();
}

void TMainMenu::drawItem(int item, int frame) {
    const float top = itemTop(item, frame);
    sheetQuad(kItemX, kItemY + kItemHeight * item, kItemWidth, kItemHeight, kItemS0, 1.0f, top,
              top - kItemHeight / kSheet);
}

void TMainMenu::drawFade(uint32_t now) {
    glEnable(GL_BLEND);
    if (!fadingOut && !fadingIn) return;
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    startscreens::drawPlainQuad(0.0f, 0.0f, 480.0f, 480.0f);
    startscreens::stepFade(alpha, fadingOut, fadingIn, lastFadeStep, now, kFadeStepMs, kFadeStep);
}

// ------------------------------------------------------------ the loop ----

int TMainMenu::run() {
    done = 0;
    quitArrived = 0;
    alpha = 1.0f;
    fadingIn = 1;
    fadingOut = 0;
    selected = 0;
    glowFrame = 0;
    nextGlow = timeGetTime();
    TSound* sound = TSound::getInstance();
    sound->playMusic(music);
    lastFadeStep = timeGetTime();
    engine->screen = this;

    while (!(done && alpha > 0.99f)) {
        engine->renderFrame();
        if (pumpMessages(nullptr, kAllWaitingMessages) & kPumpQuit) {
            // A closed window ends the program: fade out as Enter does.
            quitArrived = 1;
            done = 1;
            fadeOut();
        }
    }
    sound->stopMusic(music);
    // Items 0 and 1 both start the game.
    return (quitArrived || selected == 2) ? RESULT_QUIT : RESULT_PLAY;
}

LRESULT TMainMenu::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_KEYDOWN) onKeyDown(wParam);
    if (message == WM_CHAR) {
        if (wParam == 'F') fadeIn();
        else if (wParam == 'f') fadeOut();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TMainMenu::onKeyDown(WPARAM key) {
    TSound* sound = TSound::getInstance();
    switch (key) {
        case VK_UP:
            if (--selected < 0) selected = 0;
            sound->playSound2D(switchSound);
            break;
        case VK_DOWN:
            if (++selected > kItemCount - 1) selected = kItemCount - 1;
            sound->playSound2D(switchSound);
            break;
        case VK_RETURN:
            sound->playSound2D(enterSound);
            done = 1;
            fadeOut();
            break;
        default:
            break;
    }
}
