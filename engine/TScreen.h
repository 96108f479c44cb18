#pragma once
// TScreen is what the shell's screen stack runs: the screen's own loop
// (run, returning the next result code) and its window-message handler.
// Result codes: 0 game, 1 main menu, 4 quit, 5 equipment menu, 8 castle menu;
// the others do nothing.

#include "platform/win32.h"

class TScreen {
public:
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual int run() = 0;
    virtual ~TScreen() = default;
};
