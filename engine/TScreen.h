#pragma once
// TScreen is what the shell's screen stack runs: the screen's own loop
// (run, returning the next result code) and its window-message handler.
// The result codes name the screen the shell runs next; any other code
// (the intro screens' "done") makes it do nothing.

#include "platform/win32.h"

class TScreen {
public:
    static constexpr int RESULT_GAME = 0;  // back to (or into) the game
    static constexpr int RESULT_MAIN_MENU = 1;
    static constexpr int RESULT_QUIT = 4;       // ends the shell's main loop, and the program
    static constexpr int RESULT_EQUIPMENT = 5;  // the equipment menu
    static constexpr int RESULT_CASTLE = 8;     // the castle menu

    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual int run() = 0;
    virtual ~TScreen() = default;
};
