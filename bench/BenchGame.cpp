#include "BenchGame.h"

#include "BenchWindow.h"
#include "engine/TEngine.h"
#include "game/TGame.h"

namespace {

TScreen* screen = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (screen) return screen->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

BenchGame::BenchGame(const char* name, int width, int height) {
    HWND window = openBenchWindow(name, width, height, windowProc);
    if (!window) return;
    engine = TEngine::getInstance(width, height, window, nullptr, nullptr);
    properties.load("init.props");
    game = new TGame(engine, &properties);
    screen = game;
    engine->camera = &game->followCamera;
}

BenchGame::~BenchGame() {
    if (!engine) return;
    screen = nullptr;
    engine->camera = nullptr;
    delete game;
    TEngine::destroyInstance();
}
