#include "screens/TMenuFrame.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TFont.h"
#include "engine/TScreen.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "platform/gl.h"
#include "screens/StartScreens.h"
#include "screens/TMenu.h"

TMaterial* TMenuFrame::createMaterial(TEngine* engine, const char* name) {
    if (!engine) return nullptr;
    TMaterial* material = startscreens::makePictureMaterial(engine, name, "menu_elemente.tga");
    if (!material) {
        logOut() << "Menu material '" << name << "' cannot be made; the menu draws without it\n";
        logFlush();
    }
    return material;
}

int TMenuFrame::runMenu(TMenu* menu, TGame* game, bool& quit, const std::function<void()>& refreshLabels) {
    quit = false;
    ShowCursor(TRUE);
    TEngine* engine = menu->engine;
    if (engine) engine->screen = menu;
    holdGameInput(game);
    refreshLabels();
    if (engine) runLoop(engine, quit);
    ShowCursor(FALSE);
    return TScreen::RESULT_GAME;
}

void TMenuFrame::runLoop(TEngine* engine, bool& quit) {
    while (!quit) {
        engine->renderFrame();
        if (pumpMessages(engine->window, kMaxMessagesPerPass) & kPumpQuit) quit = true;
    }
}

TVector TMenuFrame::overlayPoint(const TEngine* engine, LPARAM lParam) {
    const TVector client = TVector::fromLParam(static_cast<uint32_t>(lParam));
    const float width = engine && engine->width > 0 ? static_cast<float>(engine->width) : 640.0f;
    const float height = engine && engine->height > 0 ? static_cast<float>(engine->height) : 480.0f;
    return TVector(client.x * 640.0f / width, client.y * 480.0f / height, 0.0f);
}

LRESULT TMenuFrame::handleMessage(TMenu* menu, bool& quit, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            const TVector p = overlayPoint(menu->engine, lParam);
            if (menu->contains(p)) menu->onClick(p);
            break;
        }
        case WM_LBUTTONDBLCLK: {
            const TVector p = overlayPoint(menu->engine, lParam);
            if (menu->contains(p)) menu->onDoubleClick(p);
            break;
        }
        case WM_CHAR:
            if (wParam == 27) quit = true;
            break;
        case WM_RBUTTONDOWN:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The game's frame step re-centres the cursor and turns the dragon whenever
// the cursor has moved; telling it where the cursor already is keeps the
// cursor free for the menu.
void TMenuFrame::holdGameInput(TGame* game) {
    if (!game) return;
    std::memset(game->keyState, 0, sizeof(game->keyState));
    game->leftButton = 0;
    GetCursorPos(&game->cursor);
}

void TMenuFrame::beginDraw(TGame* game) {
    TEngine* engine = game ? game->engine : nullptr;
    if (game) {
        GetCursorPos(&game->cursor);
        game->render();
    }
    if (!engine) return;
    turnView(engine->camera, kViewTurn);
    engine->begin2D();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

void TMenuFrame::turnView(TCamera* camera, float angle) {
    if (!camera) return;
    const TVector d = camera->getDirection();
    const float c = std::cos(angle), s = std::sin(angle);
    const TVector turned(c * d.x - s * d.y, s * d.x + c * d.y, d.z);
    camera->setDirection(turned.normalized());
    camera->up = TVector(0.0f, 0.0f, 1.0f);
    camera->updateView();
    camera->updateFrustum();
}

std::string TMenuFrame::format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return written < 0 ? std::string() : std::string(text);
}

std::vector<TMenuLine> TMenuFrame::statisticsLines(const TDrache* d) {
    if (!d) return {};
    return {
        {320.0f, format("Last aktuell/maximal: %4.0f/%4.0f", d->load, d->maxLoad)},
        {340.0f, format("Ruestungsklasse: %4.0f", d->armour)},
        {360.0f, format("Lebensenergie aktuell/maximal: %4.0f/%4.0f", d->life, d->maxLife)},
        {380.0f, format("Level %i Exp: aktuell/level Up: %4.0f/%4.0f", d->level, d->experience, d->nextLevelAt)},
        {400.0f, format("Feuerkraft: %4.1f", d->firepower)},
        {420.0f, format("Geschwindigkeit: %4.1f", d->speed)},
        {440.0f, format("Uebrige Punkte: %i", d->unspentPoints)},
    };
}

void TMenuFrame::drawLines(TFont* font, float x, const std::vector<TMenuLine>& lines) {
    if (!font) return;
    glMatrixMode(GL_MODELVIEW);
    for (const TMenuLine& line : lines) {
        glLoadIdentity();
        glTranslatef(x, line.y, 0.0f);
        font->print("%s", line.text.c_str());
    }
}

void TMenuFrame::drawStatistics(TFont* font, const TDrache* d) { drawLines(font, 400.0f, statisticsLines(d)); }

void TMenuFrame::endDraw(TEngine* engine) {
    if (engine) engine->end2D();
}
