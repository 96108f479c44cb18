#pragma once
// The window and engine the game tests draw with: a pop-up window whose
// procedure hands every message to the screen under test (as the shell's
// procedure does), and the engine on it. The tests run in the build folder,
// so the game finds the generated data.

#include <cstdlib>
#include <string>

#include "engine/TEngine.h"
#include "engine/TScreen.h"
#include "platform/win32.h"

namespace gametest {

inline TScreen*& activeScreen() {
    static TScreen* screen = nullptr;
    return screen;
}

inline LRESULT forwardToScreen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (activeScreen()) return activeScreen()->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The engine on a fresh window; null when no window can be made. With
// fixedFrameMs the clock advances only by that much per buffer swap, so what
// the game does behind a screen does not hang on the machine's load (the
// clock's mode is read once, when the first window is made).
inline TEngine* openEngine(int fixedFrameMs = 0) {
    if (fixedFrameMs > 0) setenv("GAME_TEST_FRAME_MS", std::to_string(fixedFrameMs).c_str(), 1);
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = forwardToScreen;
    wc.lpszClassName = "gametest";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "gametest", "gametest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!window) return nullptr;
    return TEngine::getInstance(640, 480, window, nullptr, nullptr);
}

inline void closeEngine() {
    activeScreen() = nullptr;
    TEngine::destroyInstance();
}

}  // namespace gametest
