#pragma once
// Inside the layer: what a device context (HDC) is. Each window has one
// (GetDC), each pbuffer has one, and the screen has one; the GDI font code
// keeps the font selected into a context in `selectedFont`.

#include "platform/win32.h"

struct HDC__ {
    enum Kind { Screen, Window, Pbuffer };
    Kind kind = Screen;
    // The window (HWND) or pbuffer (HPBUFFERARB) this context draws into.
    void* owner = nullptr;
    // Set by SetPixelFormat; 0 before.
    int pixelFormat = 0;
    // The GDI font object selected into this context (SelectObject); null
    // while none is.
    void* selectedFont = nullptr;
};
