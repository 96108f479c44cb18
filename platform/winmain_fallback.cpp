// Stand-in entry function for a build whose program defines no WinMain of
// its own: the program's definition always takes precedence.

#include <cstdio>

#include "platform/win32.h"

__attribute__((weak)) int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::fprintf(stderr, "No program is linked into this build\n");
    return 1;
}
