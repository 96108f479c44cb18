#pragma once
// What the benchmark's own programs share: their command line (width,
// height, frames) and a pop-up window of that size through the platform
// layer.

#include <cstdio>
#include <cstring>

#include "platform/win32.h"

// Reads "<width> <height> <frames>"; prints the usage line of `program` and
// answers false when the line does not hold three positive numbers.
inline bool readBenchArguments(const char* program, const char* commandLine, int& width, int& height, int& frames) {
    width = height = frames = 0;
    if (commandLine && std::sscanf(commandLine, "%d %d %d", &width, &height, &frames) == 3 && width > 0 &&
        height > 0 && frames > 0)
        return true;
    std::fprintf(stderr, "usage: %s <width> <height> <frames>\n", program);
    return false;
}

// A pop-up window of its own class `name`, messages to `procedure`; null
// (with a line on stderr) when it cannot be made.
inline HWND openBenchWindow(const char* name, int width, int height, WNDPROC procedure) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, name, name, WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    if (!window) std::fprintf(stderr, "%s: no window\n", name);
    return window;
}
