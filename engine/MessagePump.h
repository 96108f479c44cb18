#pragma once
// The message pump that every screen's loop runs after each frame: it takes
// the waiting window messages, holds back WM_QUIT (the screen is done) and
// hands every other message through TranslateMessage and DispatchMessageA to
// the window procedure, and so to the top screen's handleMessage.

#include "platform/win32.h"

// The limit that sets none: take messages until none is left.
constexpr int kAllWaitingMessages = -1;

// What pumpMessages held back instead of dispatching.
enum : unsigned { kPumpQuit = 1u, kPumpKeyDown = 2u };

// Takes the waiting messages of window (null: of every window of the
// thread), removing each from the queue, at most limit of them in this call
// (kAllWaitingMessages: until none is left); what lies beyond the limit
// stays queued for the next call. WM_QUIT is counted but not dispatched;
// with keyDownEnds set neither is WM_KEYDOWN. Returns the kPumpQuit and
// kPumpKeyDown bits of what was held back, 0 when nothing was.
unsigned pumpMessages(HWND window, int limit, bool keyDownEnds = false);
