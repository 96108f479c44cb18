#include "screens/TStartupScreen.h"

#include <new>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TEngine.h"
#include "platform/gl.h"
#include "screens/StartScreens.h"

namespace {

TStartupScreen* theStartupScreen = nullptr;

}  // namespace

TStartupScreen* TStartupScreen::getInstance(TEngine* engine, TProperties* /*properties*/) {
    if (!theStartupScreen && engine) theStartupScreen = new (std::nothrow) TStartupScreen(engine);
    return theStartupScreen;
}

void TStartupScreen::destroyInstance() {
    delete theStartupScreen;
    theStartupScreen = nullptr;
}

TStartupScreen::TStartupScreen(TEngine* e) : TRenderable(e), material(nullptr) {
    material = startscreens::loadPicture(engine, "startup", "startup.tga");
}

TStartupScreen::~TStartupScreen() {
    if (theStartupScreen == this) theStartupScreen = nullptr;
    if (engine && engine->screen == this) engine->screen = nullptr;
}

void TStartupScreen::draw() {
    startscreens::beginPicture(engine, material, -108.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.0f, 480.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(480.0f, 480.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(480.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    glPopMatrix();
    engine->end2D();
}

int TStartupScreen::run() {
    engine->screen = this;
    unsigned held = 0;
    while (!held) {
        engine->renderFrame();
        held = pumpMessages(nullptr, kAllWaitingMessages, true);  // a key ends the screen
    }
    return (held & kPumpQuit) ? RESULT_QUIT : RESULT_DONE;
}

LRESULT TStartupScreen::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_KEYDOWN) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}
