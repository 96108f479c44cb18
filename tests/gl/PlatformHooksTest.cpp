// The test hooks in a run: scripted input arriving by frame, the frame limit's
// close, screenshots and the safety exit.

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/testhooks.h"
#include "platform/wgl.h"
#include "support/Picture.h"
#include "support/TestPaths.h"

namespace {

const long kFrameLimit = 4;

// One folder per process: CTest runs the tests of this file side by side.
std::string hooksDir() { return binaryDir() + "/platform_hooks_" + std::to_string(getpid()); }

// The hooks read the environment once, when the first window is made: set it
// before any test runs.
struct HookEnvironment {
    HookEnvironment() {
        mkdir(hooksDir().c_str(), 0755);
        const std::string script = hooksDir() + "/script.txt";
        std::ofstream(script) << "# input of the run\n"
                                 "0 keydown A shift\n"
                                 "1 key ESCAPE\n"
                                 "2 lclick 10 20\n"
                                 "2 mousemove 30 40   # after the click\n"
                                 "2 bogus line\n";
        setenv("GAME_TEST_SCRIPT", script.c_str(), 1);
        setenv("GAME_TEST_FRAMES", std::to_string(kFrameLimit).c_str(), 1);
        setenv("GAME_TEST_SCREENSHOTS", "2,3", 1);
        setenv("GAME_TEST_SCREENSHOT_DIR", hooksDir().c_str(), 1);
    }
} hookEnvironment;

struct Received {
    long frame;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> received;

LRESULT recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(Received{platform::testHooksFrameCount(), message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

HDC makeWindowAndContext() {
    WNDCLASSA c{};
    c.style = CS_DBLCLKS | CS_OWNDC;
    c.lpfnWndProc = recordingProc;
    c.lpszClassName = "test";
    RegisterClassA(&c);
    HWND w = CreateWindowExA(0, "test", "test", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    if (!w) return nullptr;
    ShowWindow(w, SW_SHOW);
    HDC dc = GetDC(w);
    PIXELFORMATDESCRIPTOR pfd{};
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    wglMakeCurrent(dc, wglCreateContext(dc));
    return dc;
}

// A black frame with a red quad over its top half.
void drawTopHalfRed() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex2f(-1, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
}

TEST(PlatformHooksTest, ScriptFrameLimitAndScreenshots) {
    for (const char* f : {"shot_00002.png", "shot_00003.png"}) std::remove((hooksDir() + "/" + f).c_str());
    HDC dc = makeWindowAndContext();
    ASSERT_NE(dc, nullptr);
    bool quit = false;
    std::vector<POINT> cursorAfterFrame;
    while (!quit && platform::testHooksFrameCount() < 10) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quit = true;
                break;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        POINT p;
        GetCursorPos(&p);
        cursorAfterFrame.push_back(p);
        drawTopHalfRed();
        SwapBuffers(dc);
    }
    ASSERT_TRUE(quit);
    EXPECT_EQ(platform::testHooksFrameCount(), kFrameLimit + 1);

    const std::vector<Received> want = {
        {0, WM_KEYDOWN, 'A', 0},       {0, WM_CHAR, 'A', 0},         {1, WM_KEYDOWN, VK_ESCAPE, 0},
        {1, WM_CHAR, 27, 0},           {1, WM_KEYUP, VK_ESCAPE, 0},  {2, WM_LBUTTONDOWN, MK_LBUTTON, 10 | 20 << 16},
        {2, WM_LBUTTONUP, 0, 10 | 20 << 16}, {2, WM_MOUSEMOVE, 0, 30 | 40 << 16}, {kFrameLimit, WM_CLOSE, 0, 0}};
    ASSERT_EQ(received.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(received[i].frame, want[i].frame) << i;
        EXPECT_EQ(received[i].message, want[i].message) << i;
        EXPECT_EQ(received[i].wParam, want[i].wParam) << i;
        if (want[i].lParam) {
            EXPECT_EQ(received[i].lParam, want[i].lParam) << i;
        }
    }
    ASSERT_GE(cursorAfterFrame.size(), 3u);
    EXPECT_EQ(cursorAfterFrame[2].x, 30);
    EXPECT_EQ(cursorAfterFrame[2].y, 40);

    // Screenshots of frames 2 and 3 only, upright.
    ASSERT_TRUE(readPng(hooksDir() + "/shot_00002.png").valid());
    const Picture shot = readPng(hooksDir() + "/shot_00003.png");
    EXPECT_TRUE(shot.valid());
    struct stat st;
    EXPECT_NE(stat((hooksDir() + "/shot_00001.png").c_str(), &st), 0);
    ASSERT_EQ(shot.width, 64);
    ASSERT_EQ(shot.height, 48);
    auto pixel = [&](int x, int y) {
        const unsigned char* p = shot.at(x, y);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(pixel(5, 5), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(60, 20), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(5, 30), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(60, 45), (std::vector<int>{0, 0, 0}));
}

TEST(PlatformHooksDeathTest, RunThatIgnoresTheCloseIsEnded) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HDC dc = makeWindowAndContext();
            for (int i = 0; i < 3000 && dc; ++i) SwapBuffers(dc);
            std::exit(0);
        },
        ::testing::ExitedWithCode(3), "still running 2000 frames after");
}

}  // namespace
