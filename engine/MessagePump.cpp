#include "engine/MessagePump.h"

unsigned pumpMessages(HWND window, int limit, bool keyDownEnds) {
    unsigned held = 0;
    int taken = 0;
    MSG msg;
    while ((limit == kAllWaitingMessages || taken < limit) && PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
        ++taken;
        if (msg.message == WM_QUIT) {
            held |= kPumpQuit;
            continue;
        }
        if (keyDownEnds && msg.message == WM_KEYDOWN) {
            held |= kPumpKeyDown;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return held;
}
