#pragma once
// The application shell: the entry function WinMain (start-up, the main loop
// over the screen stack, shutdown) and the window procedure of the class
// "test", which hands every message to the screen on top of the stack.

#include "platform/win32.h"

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
