#pragma once
// Inside the layer: a window is an SDL window with its class's procedure and
// style and its own device context. The GL-context code, the message queue
// and the test hooks reach windows and inject input through these calls.

#include <SDL.h>

#include "platform/dc.h"
#include "platform/win32.h"

struct HWND__ {
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    HDC__ dc;
    bool visible = false;
};

namespace platform {

// Starts SDL's video subsystem on first need. False (with a line on standard
// error) when it cannot start; later calls then try again.
bool videoStart();
// The window with that SDL window id, or null.
HWND windowFromSdlId(Uint32 id);
// The first window created, or null before there is one.
HWND firstWindow();
// Whether the handle is one of the layer's windows.
bool isWindow(HWND window);

// Modifier state that travels with a key message, as the keyboard state
// would when the message is taken from the queue.
enum KeyModifier : unsigned { ModShift = 1u, ModCaps = 2u, ModControl = 4u, ModAlt = 8u };
enum MouseButton { ButtonLeft, ButtonRight, ButtonMiddle };

// Input as if the user had made it, queued behind what is waiting. Button
// presses and moves also move the cursor (GetCursorPos) to (x, y); a press
// with doubleClick becomes a double-click message when the window's class
// asked for them. injectClose delivers WM_CLOSE to the window procedure when
// the queue reaches it.
void injectKey(HWND window, bool down, int virtualKey, unsigned modifiers);
void injectMouseMove(HWND window, int x, int y);
void injectMouseButton(HWND window, MouseButton button, bool down, bool doubleClick, int x, int y);
void injectClose(HWND window);

// The test hooks' start-up, called once the first window exists (defined
// with the test hooks).
void testHooksWindowCreated(HWND window);

}  // namespace platform
