// Window classes, windows, device contexts, display modes and message boxes
// over SDL. A window is an SDL window made for OpenGL, borderless, standing at
// 0, 0; its GL attributes are set before it is made.

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdlwindow.h"
#include "platform/win32.h"

// The stand-ins LoadIconA and LoadCursorA hand out.
struct HICON__ {
    int unused;
};
struct HCURSOR__ {
    int unused;
};

namespace {

HICON__ theIcon;
HCURSOR__ theCursor;

struct WindowClass {
    std::string name;
    WNDPROC proc = nullptr;
    UINT style = 0;
};

struct WindowState {
    bool videoStarted = false;
    std::vector<WindowClass> classes;
    std::vector<std::unique_ptr<HWND__>> windows;
    HDC__ screenDC;
    // The full-screen mode granted by ChangeDisplaySettingsA, applied to the
    // first window when it is made (or at once when it exists).
    bool fullScreenWanted = false;
    SDL_DisplayMode fullScreenMode{};
};

WindowState& state() {
    static WindowState s;
    return s;
}

const WindowClass* findClass(const char* name) {
    if (!name) return nullptr;
    for (const WindowClass& c : state().classes)
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    return nullptr;
}

// The GL attributes of every window: a compatibility context (the program
// draws with GL 1.x and ARB programs) with 24 depth bits, double-buffered.
void setGLAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// SDL is never shut down (the GL driver's memory then stays reachable for
// the leak checker), so a display mode still changed at exit is put back here.
void leaveFullScreenAtExit() {
    HWND w = platform::firstWindow();
    if (w && w->sdl && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN)) SDL_SetWindowFullscreen(w->sdl, 0);
}

void applyFullScreen(HWND window) {
    WindowState& s = state();
    if (!window || !window->sdl) return;
    if (!s.fullScreenWanted) {
        SDL_SetWindowFullscreen(window->sdl, 0);
        return;
    }
    static bool exitHandler = false;
    if (!exitHandler) {
        exitHandler = true;
        std::atexit(leaveFullScreenAtExit);
    }
    if (SDL_SetWindowDisplayMode(window->sdl, &s.fullScreenMode) != 0 ||
        SDL_SetWindowFullscreen(window->sdl, SDL_WINDOW_FULLSCREEN) != 0)
        std::fprintf(stderr, "platform: full screen %dx%d failed: %s\n", s.fullScreenMode.w, s.fullScreenMode.h,
                     SDL_GetError());
}

// Whether SDL's mode matches the request in every field the request names.
bool modeMatches(const SDL_DisplayMode& m, const DEVMODEA& want) {
    if (static_cast<DWORD>(m.w) != want.dmPelsWidth || static_cast<DWORD>(m.h) != want.dmPelsHeight) return false;
    if ((want.dmFields & DM_BITSPERPEL) && want.dmBitsPerPel != 0) {
        const DWORD bits = SDL_BITSPERPIXEL(m.format);
        const DWORD bytes = SDL_BYTESPERPIXEL(m.format) * 8u;
        if (want.dmBitsPerPel != bits && want.dmBitsPerPel != bytes) return false;
    }
    if ((want.dmFields & DM_DISPLAYFREQUENCY) && want.dmDisplayFrequency > 1 && m.refresh_rate != 0 &&
        static_cast<DWORD>(m.refresh_rate) != want.dmDisplayFrequency)
        return false;
    return true;
}

}  // namespace

namespace platform {

bool videoStart() {
    WindowState& s = state();
    if (s.videoStarted) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "platform: SDL video does not start: %s\n", SDL_GetError());
        return false;
    }
    s.videoStarted = true;
    SDL_StopTextInput();
    return true;
}

HWND windowFromSdlId(Uint32 id) {
    for (const auto& w : state().windows)
        if (w->sdl && SDL_GetWindowID(w->sdl) == id) return w.get();
    return nullptr;
}

bool isWindow(HWND window) {
    for (const auto& w : state().windows)
        if (w.get() == window) return true;
    return false;
}

HWND firstWindow() { return state().windows.empty() ? nullptr : state().windows.front().get(); }

}  // namespace platform

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    WindowState& s = state();
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    if (findClass(windowClass->lpszClassName)) return 0;
    if (!platform::videoStart()) return 0;
    WindowClass c;
    c.name = windowClass->lpszClassName;
    c.proc = windowClass->lpfnWndProc;
    c.style = windowClass->style;
    s.classes.push_back(c);
    return static_cast<ATOM>(0xC000 + s.classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
    WindowState& s = state();
    const WindowClass* c = findClass(className);
    if (!c) {
        std::fprintf(stderr, "platform: CreateWindowExA: no window class '%s'\n", className ? className : "");
        return nullptr;
    }
    if (!platform::videoStart()) return nullptr;
    setGLAttributes();
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", x, y, width > 0 ? width : 1,
                                       height > 0 ? height : 1, flags);
    if (!sdl) {
        std::fprintf(stderr, "platform: window %dx%d cannot be made: %s\n", width, height, SDL_GetError());
        return nullptr;
    }
    auto w = std::make_unique<HWND__>();
    w->sdl = sdl;
    w->proc = c->proc;
    w->classStyle = c->style;
    w->dc.kind = HDC__::Window;
    w->dc.owner = w.get();
    HWND window = w.get();
    const bool first = s.windows.empty();
    s.windows.push_back(std::move(w));
    if (first && s.fullScreenWanted) applyFullScreen(window);
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    if (first) platform::testHooksWindowCreated(window);
    return window;
}

BOOL ShowWindow(HWND window, int showCommand) {
    if (!window || !window->sdl) return FALSE;
    const BOOL was = window->visible ? TRUE : FALSE;
    if (showCommand == SW_HIDE) {
        SDL_HideWindow(window->sdl);
        window->visible = false;
    } else {
        SDL_ShowWindow(window->sdl);
        window->visible = true;
    }
    return was;
}

HDC GetDC(HWND window) {
    if (!window) return &state().screenDC;
    return &window->dc;
}

int ReleaseDC(HWND, HDC) { return 1; }

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    WindowState& s = state();
    if (!mode) {
        s.fullScreenWanted = false;
        applyFullScreen(platform::firstWindow());
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT) || mode->dmPelsWidth == 0 ||
        mode->dmPelsHeight == 0)
        return DISP_CHANGE_BADMODE;
    if (!platform::videoStart()) return DISP_CHANGE_FAILED;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0 || !modeMatches(m, *mode)) continue;
        if (flags & CDS_TEST) return DISP_CHANGE_SUCCESSFUL;
        s.fullScreenWanted = true;
        s.fullScreenMode = m;
        applyFullScreen(platform::firstWindow());
        return DISP_CHANGE_SUCCESSFUL;
    }
    return DISP_CHANGE_BADMODE;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "Error", text ? text : "");
    std::fflush(stderr);
    return IDOK;
}

HICON LoadIconA(HINSTANCE, LPCSTR) { return &theIcon; }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return &theCursor; }
