// The game's window messages: keys, characters and mouse buttons, and the
// mouse look of the frame step.
#include "engine/TEngine.h"
#include "engine/TSound.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "engine/TPBuffer.h"
#include "scene/TWasser.h"

LRESULT TGame::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            leaveFlag = 1;
            return 0;
        case WM_KEYDOWN:
            keyDown(wParam, lParam);
            break;
        case WM_KEYUP:
            if (wParam < sizeof(keyState)) keyState[wParam] = 0;
            break;
        case WM_CHAR:
            onCharacter(wParam);
            break;
        case WM_LBUTTONDOWN:
            leftButton = 1;
            fireTimer = 10000000;  // the next frame shoots at once
            break;
        case WM_LBUTTONUP:
            leftButton = 0;
            break;
        case WM_RBUTTONDOWN:
            resultCode = RESULT_QUIT;
            leaveFlag = 1;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void TGame::toggleMessage(bool on, const char* onText, const char* offText) { showMessage(on ? onText : offText); }

void TGame::keyDown(WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (wParam < sizeof(keyState)) keyState[wParam] = 1;
    switch (wParam) {
        case VK_ESCAPE:
            resultCode = RESULT_MAIN_MENU;
            leaveFlag = 1;
            break;
        case '1':
            engine->camera = &followCamera;
            break;
        case '2':
            engine->camera = &targetCamera;
            break;
        case 'E':
        case VK_NUMPAD5:
            paused = 1;
            resultCode = RESULT_EQUIPMENT;
            leaveFlag = 1;
            break;
        case 'I':
        case VK_NUMPAD9:
            invertMouse = !invertMouse;
            toggleMessage(invertMouse, "Invertierte Maus an", "Invertierte Maus aus");
            break;
        case 'M':
        case VK_SUBTRACT:
            castleTest();
            break;
        case VK_F3:
            toggleMessage(engine->toggleWireframe(), "wireframe Modus an", "wireframe Modus aus");
            break;
        case VK_F4:
            toggleMessage(engine->toggleFiltering(), "linear bzw trilinear filtering", "nearest filtering");
            break;
        case VK_F5:
            toggleMessage(engine->toggleMipmapping(), "MipMapping an", "MipMapping aus");
            break;
        case VK_F6:
            // The water's reflection target switches first.
            if (water && water->reflection) water->reflection->toggleVBO();
            toggleMessage(engine->toggleVBO(), "VBOs an", "VBOs aus");
            break;
        case VK_F7:
            engine->displayLists = !engine->displayLists;
            toggleMessage(engine->displayLists, "Displaylists an", "Displaylists aus");
            break;
        case VK_F8:
            engine->frustumCulling = !engine->frustumCulling;
            toggleMessage(engine->frustumCulling, "Fustrum Culling an", "Fustrum Culling aus");
            break;
        case VK_F9:
            toggleMessage(engine->toggleTransparency(), "Transparenz an", "Transparenz aus");
            break;
        default:
            break;
    }
}

// M near the castle opens the castle menu. A level without a castle has
// nothing to be near.
void TGame::castleTest() {
    TVector castle;
    if (dragon && castlePosition(castle)) {
        const float d = (dragon->getPosition() - castle).length();
        if (d < 40.0f) {
            paused = 1;
            resultCode = RESULT_CASTLE;
            leaveFlag = 1;
            return;
        }
    }
    showMessage("Nicht nahe genug an Burg");
}

void TGame::onCharacter(WPARAM character) {
    switch (character) {
        case ' ':
            if (dragon) dragon->dropGold();
            break;
        case '+':
            if (sound) sound->musicVolumeUp(0);
            break;
        case '-':
            if (sound) sound->musicVolumeDown(0);
            break;
        case 'C':
        case 'c':
            if (dragon) dragon->addPointsAndHeal(10);
            break;
        case 'P':
        case 'p':
            paused = !paused;
            break;
        case 'w':
            if (ki) ki->playSound(TKI::SOUND_WIND);
            break;
        case 'y':
            if (dragon) {
                dragon->currentSound = TDrache::SOUND_SNARL;
                dragon->playSound();
            }
            break;
        default:
            break;
    }
}

void TGame::mouseLook(int x, int y) {
    if (paused || !dragon) return;
    SetCursorPos(kCursorCentre, kCursorCentre);
    dragon->rotateZ2((x - kCursorCentre) * -0.005f);
    const float pitch = invertMouse ? 0.005f : -0.005f;
    dragon->rotateX((y - kCursorCentre) * pitch);
}
