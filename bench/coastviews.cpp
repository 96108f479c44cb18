// Views from over the sea toward the island, where the water mirrors the
// land - the scripted flight over the island never shows the reflection of
// the ground. Builds the game's level on an engine of its own (as the GL
// tests do), holds the world still, places the follow camera at a few fixed
// points and for each draws the game's scene: one frame to pick the visible
// ground, then `frames` timed frames (each waited for), the last one written
// as coast_<n>.png.
//
//   coastviews <width> <height> <frames>
//
// Runs in a folder with the game's data; prints one line a view,
// "view <n> <mean ms> <cpu ms>". Exit code 1 when no window can be made.

#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchGame.h"
#include "BenchWindow.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "game/TGame.h"
#include "platform/gl.h"
#include "platform/testhooks.h"
#include "platform/win32.h"

namespace {

struct View {
    float x, y, z;     // eye, world units (z grows downward, the water at 500)
    float dx, dy, dz;  // looking along
};

// Over the sea 100 to 250 units off the coast, looking at the island; the
// last from higher up, down onto a bay.
const View kViews[] = {
    {120.0f, 120.0f, 430.0f, 1.0f, 1.0f, 0.2f},
    {1024.0f, 40.0f, 450.0f, 0.0f, 1.0f, 0.12f},
    {1990.0f, 1100.0f, 440.0f, -1.0f, -0.1f, 0.15f},
    {300.0f, 1700.0f, 470.0f, 1.0f, -0.6f, 0.05f},
    {1700.0f, 1900.0f, 300.0f, -0.6f, -1.0f, 0.45f},
};

double milliseconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1.0e6;
}

void place(TCamera& camera, const View& v) {
    camera.up = TVector(0.0f, 0.0f, 1.0f);
    camera.setDirection(TVector(v.dx, v.dy, v.dz).normalized() * -1.0f);
    camera.setPosition(TVector(v.x, v.y, v.z) * 100.0f);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    int width = 0, height = 0, frames = 0;
    if (!readBenchArguments("coastviews", commandLine, width, height, frames)) return 2;
    BenchGame bench("coastviews", width, height);
    if (!bench.game) return 1;
    TEngine* engine = bench.engine;
    TGame* game = bench.game;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);

    int n = 0;
    for (const View& v : kViews) {
        ++n;
        place(game->followCamera, v);
        double wall = 0.0, cpu = 0.0;
        for (int i = 0; i <= frames; ++i) {
            // A frame rate of 0 holds the world (and this camera) still.
            engine->fpsCounter.fps = 0.0f;
            const double w0 = milliseconds(CLOCK_MONOTONIC), c0 = milliseconds(CLOCK_PROCESS_CPUTIME_ID);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            engine->camera->apply();
            game->doFrame();
            glFinish();
            if (i == 0) continue;  // the ground picks its tiles for the next frame
            wall += milliseconds(CLOCK_MONOTONIC) - w0;
            cpu += milliseconds(CLOCK_PROCESS_CPUTIME_ID) - c0;
        }
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        const std::string name = "coast_" + std::to_string(n) + ".png";
        if (!platform::writePng(name, width, height, pixels.data()))
            std::fprintf(stderr, "coastviews: '%s' cannot be written\n", name.c_str());
        std::printf("view %d %.3f %.3f\n", n, wall / frames, cpu / frames);
        std::fflush(stdout);
    }
    return 0;
}
