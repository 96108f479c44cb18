#pragma once
// Shared by the overlay tests: a window and engine in a folder of their own
// (with the generated "tex" folder linked in), the fixed frame clock, and
// the back buffer read back with lookups in 640 x 480 overlay coordinates.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "platform/testhooks.h"
#include "platform/win32.h"
#include "support/TestPaths.h"

namespace overlay {

// Every swap and every passMs step moves the clock on by this much.
const int kClockStepMs = 1;

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool nearWhite() const { return r > 190 && g > 190 && b > 190; }
    bool nearBlack() const { return r < 12 && g < 12 && b < 12; }
};

// A picture of the back buffer; rgba rows bottom first, as GL reads them.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    // The window pixel under the overlay point (x from the left, y from the
    // top of the 640 x 480 overlay).
    Pixel at(double x, double y) const {
        const int wx = static_cast<int>(x * width / 640.0);
        const int wy = static_cast<int>(y * height / 480.0);
        const unsigned char* p = &rgba[(static_cast<size_t>(height - 1 - wy) * width + wx) * 4];
        Pixel px;
        px.r = p[0];
        px.g = p[1];
        px.b = p[2];
        return px;
    }
    // Counts window pixels inside the overlay rectangle that satisfy test.
    template <class Test>
    int count(double x0, double x1, double y0, double y1, Test test) const {
        int n = 0;
        for (int wy = static_cast<int>(y0 * height / 480.0); wy < static_cast<int>(y1 * height / 480.0); ++wy)
            for (int wx = static_cast<int>(x0 * width / 640.0); wx < static_cast<int>(x1 * width / 640.0); ++wx) {
                const unsigned char* p = &rgba[(static_cast<size_t>(height - 1 - wy) * width + wx) * 4];
                Pixel px;
                px.r = p[0];
                px.g = p[1];
                px.b = p[2];
                if (test(px)) ++n;
            }
        return n;
    }
    // Sum of the channel (0 r, 1 g, 2 b) over the overlay rectangle.
    long sum(double x0, double x1, double y0, double y1, int channel) const {
        long s = 0;
        for (int wy = static_cast<int>(y0 * height / 480.0); wy < static_cast<int>(y1 * height / 480.0); ++wy)
            for (int wx = static_cast<int>(x0 * width / 640.0); wx < static_cast<int>(x1 * width / 640.0); ++wx)
                s += rgba[(static_cast<size_t>(height - 1 - wy) * width + wx) * 4 + channel];
        return s;
    }
    // The right-most overlay x below x1 on row y whose pixel satisfies test;
    // -1 when none does.
    template <class Test>
    double rightmost(double y, double x1, Test test) const {
        const int wy = static_cast<int>(y * height / 480.0);
        for (int wx = static_cast<int>(x1 * width / 640.0) - 1; wx >= 0; --wx) {
            const unsigned char* p = &rgba[(static_cast<size_t>(height - 1 - wy) * width + wx) * 4];
            Pixel px;
            px.r = p[0];
            px.g = p[1];
            px.b = p[2];
            if (test(px)) return (wx + 0.5) * 640.0 / width;
        }
        return -1.0;
    }
    bool save(const std::string& path) const { return platform::writePng(path, width, height, rgba.data()); }
};

// Reads the back buffer of the engine's window.
inline Frame capture(const TEngine* engine) {
    Frame f;
    f.width = engine->width;
    f.height = engine->height;
    f.rgba.resize(static_cast<size_t>(f.width) * f.height * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, f.rgba.data());
    return f;
}

// Moves the fixed clock on by ms milliseconds.
inline void passMs(uint32_t ms) {
    for (uint32_t i = 0; i < ms / kClockStepMs; ++i) platform::clockFrameDone();
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Sets up the fixed clock (before anything reads the clock), a folder of the
// suite's own with "tex" linked to the generated textures, the log and a
// window of the given size with the engine on it. Returns the folder.
inline std::string startEngine(const std::string& suite, int width, int height, TEngine*& engine) {
    setenv("GAME_TEST_FRAME_MS", std::to_string(kClockStepMs).c_str(), 1);
    const std::string folder = ::testing::TempDir() + suite + "_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    std::error_code ignored;
    std::filesystem::create_directory_symlink(binaryDir() + "/tex", folder + "/tex", ignored);
    if (chdir(folder.c_str()) != 0) return folder;
    openLog("Log.txt");
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "overlaytest";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "overlaytest", "overlaytest", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  nullptr, nullptr);
    engine = window ? TEngine::getInstance(width, height, window, nullptr, nullptr) : nullptr;
    return folder;
}

}  // namespace overlay
