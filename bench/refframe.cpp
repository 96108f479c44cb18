// The benchmark's yardstick: the cheapest frame a game can draw through the
// platform layer - clear, one full-screen textured quad, swap - so that the
// game's frame time can be read as a multiple of it on a loaded machine.
//
//   refframe <width> <height> <frames>
//
// The frames are timed by the same swap-time hook as the game
// (GAME_TEST_SWAP_TIMES); the program exits 0 after the last frame, 1 when
// the window or its GL context cannot be made.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchWindow.h"
#include "platform/gl.h"
#include "platform/wgl.h"
#include "platform/win32.h"

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A 256 x 256 RGBA checker pattern with a colour ramp, mipmapped, so that
// the quad samples as the game's textures do (trilinear).
GLuint makeTexture() {
    const int size = 256;
    std::vector<unsigned char> texels(size * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            unsigned char* t = &texels[(y * size + x) * 4];
            const bool dark = ((x / 16) + (y / 16)) % 2 != 0;
            t[0] = static_cast<unsigned char>(dark ? x / 2 : 255 - x / 2);
            t[1] = static_cast<unsigned char>(dark ? y / 2 : 255 - y / 2);
            t[2] = static_cast<unsigned char>(dark ? 64 : 192);
            t[3] = 255;
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, size, size, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(4.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(4.0f, 3.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 3.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    int width = 0, height = 0, frames = 0;
    if (!readBenchArguments("refframe", commandLine, width, height, frames)) return 2;
    HWND window = openBenchWindow("refframe", width, height, windowProc);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC context = wglCreateContext(dc);
    if (!context || !wglMakeCurrent(dc, context)) {
        std::fprintf(stderr, "refframe: no GL context\n");
        return 1;
    }

    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    const GLuint texture = makeTexture();
    for (int i = 0; i < frames; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        drawFrame();
        SwapBuffers(dc);
    }
    glDeleteTextures(1, &texture);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, dc);
    return 0;
}
