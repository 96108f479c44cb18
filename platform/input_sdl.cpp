// The thread's message queue, fed by SDL's events and by the test hooks, and
// the cursor. Messages are taken in Windows' order: posted messages (among
// them the WM_CHAR of TranslateMessage) first, then the quit request, then
// input. A window close travels in the input queue and is handed to the
// window procedure as WM_CLOSE when the queue reaches it.

#include <deque>

#include "platform/keys.h"
#include "platform/sdlwindow.h"
#include "platform/win32.h"

namespace {

struct Entry {
    MSG msg;
    // Shift, Caps Lock, ... as they were when the input happened.
    unsigned modifiers;
    // A close request: handed to the window procedure, never returned.
    bool deliverClose;
};

struct Queue {
    std::deque<Entry> posted;
    std::deque<Entry> input;
    bool quitPosted = false;
    int quitCode = 0;
    // The keyboard state that goes with the last key message taken.
    unsigned keyModifiers = 0;
    bool keyDown[256] = {};
    unsigned buttons = 0;  // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
    POINT cursor{0, 0};
    int cursorCounter = 0;
};

Queue& queue() {
    static Queue q;
    return q;
}

MSG makeMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m;
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeGetTime();
    m.pt = queue().cursor;
    return m;
}

void pushInput(const MSG& m, unsigned modifiers) { queue().input.push_back(Entry{m, modifiers, false}); }

LPARAM pointParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<uint32_t>(x) & 0xffffu) | ((static_cast<uint32_t>(y) & 0xffffu) << 16));
}

WPARAM mouseKeys(unsigned modifiers) {
    WPARAM w = queue().buttons;
    if (modifiers & platform::ModShift) w |= MK_SHIFT;
    if (modifiers & platform::ModControl) w |= MK_CONTROL;
    return w;
}

void queueKey(HWND window, bool down, int vk, unsigned modifiers) {
    Queue& q = queue();
    if (vk <= 0 || vk > 255) return;
    const bool wasDown = q.keyDown[vk];
    q.keyDown[vk] = down;
    const bool system = (modifiers & platform::ModAlt) || vk == VK_MENU || vk == VK_F10;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // Repeat count 1; bit 30 the previous state, bit 31 set on release.
    uint32_t l = 1;
    if (wasDown) l |= 1u << 30;
    if (!down) l |= (1u << 30) | (1u << 31);
    pushInput(makeMsg(window, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(l)), modifiers);
}

void queueMouseMove(HWND window, int x, int y, unsigned modifiers) {
    queue().cursor = POINT{x, y};
    pushInput(makeMsg(window, WM_MOUSEMOVE, mouseKeys(modifiers), pointParam(x, y)), modifiers);
}

void queueMouseButton(HWND window, platform::MouseButton button, bool down, bool doubleClick, int x, int y,
                      unsigned modifiers) {
    Queue& q = queue();
    static const UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const UINT kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const UINT kDouble[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    static const unsigned kFlag[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
    q.cursor = POINT{x, y};
    if (down) q.buttons |= kFlag[button];
    else q.buttons &= ~kFlag[button];
    UINT message = kUp[button];
    if (down) message = (doubleClick && (window->classStyle & CS_DBLCLKS)) ? kDouble[button] : kDown[button];
    pushInput(makeMsg(window, message, mouseKeys(modifiers), pointParam(x, y)), modifiers);
}

unsigned modifiersFromSdl(Uint16 mod) {
    unsigned m = 0;
    if (mod & KMOD_SHIFT) m |= platform::ModShift;
    if (mod & KMOD_CAPS) m |= platform::ModCaps;
    if (mod & KMOD_CTRL) m |= platform::ModControl;
    if (mod & KMOD_ALT) m |= platform::ModAlt;
    return m;
}

bool closePending() {
    for (const Entry& e : queue().input)
        if (e.deliverClose) return true;
    return false;
}

HWND eventWindow(Uint32 windowId) {
    HWND w = platform::windowFromSdlId(windowId);
    return w ? w : platform::firstWindow();
}

platform::MouseButton buttonFromSdl(Uint8 b) {
    if (b == SDL_BUTTON_RIGHT) return platform::ButtonRight;
    if (b == SDL_BUTTON_MIDDLE) return platform::ButtonMiddle;
    return platform::ButtonLeft;
}

void translateEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            HWND w = eventWindow(e.key.windowID);
            const int vk = platform::virtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym);
            if (w && vk) queueKey(w, e.type == SDL_KEYDOWN, vk, modifiersFromSdl(e.key.keysym.mod));
            break;
        }
        case SDL_MOUSEMOTION: {
            HWND w = eventWindow(e.motion.windowID);
            if (w) queueMouseMove(w, e.motion.x, e.motion.y, modifiersFromSdl(SDL_GetModState()));
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            HWND w = eventWindow(e.button.windowID);
            if (!w || e.button.button > SDL_BUTTON_RIGHT) break;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            queueMouseButton(w, buttonFromSdl(e.button.button), down, down && e.button.clicks % 2 == 0, e.button.x,
                             e.button.y, modifiersFromSdl(SDL_GetModState()));
            break;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                HWND w = eventWindow(e.window.windowID);
                if (w) platform::injectClose(w);
            }
            break;
        case SDL_QUIT:
            // Also sent after the last window's own close event; one close is enough.
            if (!closePending() && platform::firstWindow()) platform::injectClose(platform::firstWindow());
            break;
        default:
            break;
    }
}

void pumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) translateEvent(e);
}

bool matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
    if (window == reinterpret_cast<HWND>(-1)) {
        if (m.hwnd) return false;
    } else if (window && m.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

bool isKeyMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_SYSCHAR; }

// One pass over the queues; delivers close requests on the way.
bool takeMessage(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    Queue& q = queue();
    pumpEvents();
    for (;;) {
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!matches(it->msg, window, filterMin, filterMax)) continue;
            *out = it->msg;
            if (remove) {
                if (isKeyMessage(it->msg.message)) q.keyModifiers = it->modifiers;
                q.posted.erase(it);
            }
            return true;
        }
        if (q.quitPosted) {
            *out = makeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
            if (remove) q.quitPosted = false;
            return true;
        }
        bool delivered = false;
        for (auto it = q.input.begin(); it != q.input.end(); ++it) {
            if (it->deliverClose) {
                const HWND target = it->msg.hwnd;
                q.input.erase(it);
                if (platform::isWindow(target) && target->proc) target->proc(target, WM_CLOSE, 0, 0);
                delivered = true;
                break;
            }
            if (!matches(it->msg, window, filterMin, filterMax)) continue;
            *out = it->msg;
            if (remove) {
                if (isKeyMessage(it->msg.message)) q.keyModifiers = it->modifiers;
                q.input.erase(it);
            }
            return true;
        }
        if (!delivered) return false;
    }
}

}  // namespace

namespace platform {

void injectKey(HWND window, bool down, int virtualKey, unsigned modifiers) {
    if (isWindow(window)) queueKey(window, down, virtualKey, modifiers);
}

void injectMouseMove(HWND window, int x, int y) {
    if (isWindow(window)) queueMouseMove(window, x, y, 0);
}

void injectMouseButton(HWND window, MouseButton button, bool down, bool doubleClick, int x, int y) {
    if (isWindow(window)) queueMouseButton(window, button, down, doubleClick, x, y, 0);
}

void injectClose(HWND window) {
    if (isWindow(window)) queue().input.push_back(Entry{makeMsg(window, WM_CLOSE, 0, 0), 0, true});
}

}  // namespace platform

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    return takeMessage(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    while (!takeMessage(msg, window, filterMin, filterMax, true)) {
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WaitEventTimeout(nullptr, 100);
        else SDL_Delay(10);
    }
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !platform::isWindow(window)) return FALSE;
    queue().posted.push_back(Entry{makeMsg(window, message, wParam, lParam), 0, false});
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || !isKeyMessage(msg->message) || msg->message == WM_CHAR || msg->message == WM_SYSCHAR) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return TRUE;
    Queue& q = queue();
    const int vk = static_cast<int>(msg->wParam);
    int c = platform::charFromVirtualKey(vk, (q.keyModifiers & platform::ModShift) != 0,
                                         (q.keyModifiers & platform::ModCaps) != 0);
    if ((q.keyModifiers & platform::ModControl) && vk >= 'A' && vk <= 'Z') c = vk - 'A' + 1;
    if (c < 0) return TRUE;
    const UINT message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    MSG m = *msg;
    m.message = message;
    m.wParam = static_cast<WPARAM>(c);
    q.posted.push_back(Entry{m, q.keyModifiers, false});
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !platform::isWindow(msg->hwnd) || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) PostQuitMessage(0);
    return 0;
}

void PostQuitMessage(int exitCode) {
    queue().quitPosted = true;
    queue().quitCode = exitCode;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = queue().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    queue().cursor = POINT{x, y};
    HWND w = platform::firstWindow();
    if (w && w->sdl) SDL_WarpMouseInWindow(w->sdl, x, y);
    return TRUE;
}

int ShowCursor(BOOL show) {
    Queue& q = queue();
    q.cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(q.cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return q.cursorCounter;
}
