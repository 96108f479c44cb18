// Scripted input, screenshots and the frame limit of automated runs.

#include "platform/testhooks.h"

#include <GL/gl.h>
#include <png.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/keys.h"
#include "platform/sdlwindow.h"
#include "platform/wglstate.h"

namespace platform {

namespace {

// Frames a run may go on after the frame limit's close before it is ended.
const long kFramesAfterLimit = 2000;

struct Command {
    const char* name;
    ScriptEvent::Kind kind;
};

const Command kCommands[] = {
    {"keydown", ScriptEvent::KeyDown},     {"keyup", ScriptEvent::KeyUp},
    {"key", ScriptEvent::Key},             {"mousemove", ScriptEvent::MouseMove},
    {"ldown", ScriptEvent::LeftDown},      {"lup", ScriptEvent::LeftUp},
    {"lclick", ScriptEvent::LeftClick},    {"ldblclick", ScriptEvent::LeftDoubleClick},
    {"rdown", ScriptEvent::RightDown},     {"rup", ScriptEvent::RightUp},
    {"rclick", ScriptEvent::RightClick},   {"close", ScriptEvent::Close},
};

bool readLong(const std::string& token, long& value) {
    if (token.empty()) return false;
    char* end = nullptr;
    value = std::strtol(token.c_str(), &end, 10);
    return *end == '\0';
}

bool isKeyKind(ScriptEvent::Kind k) {
    return k == ScriptEvent::KeyDown || k == ScriptEvent::KeyUp || k == ScriptEvent::Key;
}

struct Hooks {
    std::vector<ScriptEvent> events;
    size_t nextEvent = 0;
    std::set<long> screenshots;
    std::string screenshotDir = ".";
    long frameLimit = 0;
    long frames = 0;
    HWND window = nullptr;
    FILE* swapTimes = nullptr;

    Hooks() {
        if (const char* path = std::getenv("GAME_TEST_SCRIPT")) loadScript(path);
        if (const char* list = std::getenv("GAME_TEST_SCREENSHOTS")) {
            for (long f : parseFrameList(list)) screenshots.insert(f);
        }
        if (const char* dir = std::getenv("GAME_TEST_SCREENSHOT_DIR")) {
            if (*dir) screenshotDir = dir;
        }
        if (const char* limit = std::getenv("GAME_TEST_FRAMES")) {
            long v = 0;
            if (readLong(limit, v) && v > 0) frameLimit = v;
            else std::fprintf(stderr, "GAME_TEST_FRAMES '%s' is not a frame count; no frame limit\n", limit);
        }
        if (const char* path = std::getenv("GAME_TEST_SWAP_TIMES")) {
            if (*path && !(swapTimes = std::fopen(path, "w")))
                std::fprintf(stderr, "Swap-time file '%s' cannot be written; no swap times\n", path);
        }
    }

    // One line a swap: the frame, the monotonic clock (which every process
    // of the machine shares), the CPU time of the process (all its threads,
    // the GL driver's among them) and that of the calling thread, each in
    // microseconds.
    void recordSwapTime() {
        if (!swapTimes) return;
        std::fprintf(swapTimes, "%ld %lld %lld %lld\n", frames, microseconds(CLOCK_MONOTONIC),
                     microseconds(CLOCK_PROCESS_CPUTIME_ID), microseconds(CLOCK_THREAD_CPUTIME_ID));
        std::fflush(swapTimes);
    }

    static long long microseconds(clockid_t clock) {
        timespec t;
        clock_gettime(clock, &t);
        return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
    }

    void loadScript(const char* path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "Test script '%s' cannot be read; no scripted input\n", path);
            return;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::vector<std::string> problems;
        events = parseScript(text.str(), &problems);
        for (const std::string& p : problems) std::fprintf(stderr, "Test script '%s' %s; line skipped\n", path, p.c_str());
    }

    // Queues every event due by the current frame.
    void deliverDue() {
        if (!window) return;
        while (nextEvent < events.size() && events[nextEvent].frame <= frames) deliver(events[nextEvent++]);
    }

    void deliver(const ScriptEvent& e) {
        const int x = e.x;
        const int y = e.y;
        switch (e.kind) {
            case ScriptEvent::KeyDown: injectKey(window, true, e.virtualKey, e.modifiers); break;
            case ScriptEvent::KeyUp: injectKey(window, false, e.virtualKey, e.modifiers); break;
            case ScriptEvent::Key:
                injectKey(window, true, e.virtualKey, e.modifiers);
                injectKey(window, false, e.virtualKey, e.modifiers);
                break;
            case ScriptEvent::MouseMove: injectMouseMove(window, x, y); break;
            case ScriptEvent::LeftDown: injectMouseButton(window, ButtonLeft, true, false, x, y); break;
            case ScriptEvent::LeftUp: injectMouseButton(window, ButtonLeft, false, false, x, y); break;
            case ScriptEvent::LeftClick:
                injectMouseButton(window, ButtonLeft, true, false, x, y);
                injectMouseButton(window, ButtonLeft, false, false, x, y);
                break;
            case ScriptEvent::LeftDoubleClick:
                injectMouseButton(window, ButtonLeft, true, false, x, y);
                injectMouseButton(window, ButtonLeft, false, false, x, y);
                injectMouseButton(window, ButtonLeft, true, true, x, y);
                injectMouseButton(window, ButtonLeft, false, false, x, y);
                break;
            case ScriptEvent::RightDown: injectMouseButton(window, ButtonRight, true, false, x, y); break;
            case ScriptEvent::RightUp: injectMouseButton(window, ButtonRight, false, false, x, y); break;
            case ScriptEvent::RightClick:
                injectMouseButton(window, ButtonRight, true, false, x, y);
                injectMouseButton(window, ButtonRight, false, false, x, y);
                break;
            case ScriptEvent::Close: injectClose(window); break;
        }
    }

    void screenshot(long frame, int width, int height) {
        if (width <= 0 || height <= 0) return;
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        {
            const platform::TightPixelStore tight;
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        }
        char name[32];
        std::snprintf(name, sizeof name, "shot_%05ld.png", frame);
        const std::string path = screenshotDir + "/" + name;
        if (!writePng(path, width, height, pixels.data()))
            std::fprintf(stderr, "Screenshot '%s' cannot be written\n", path.c_str());
    }
};

// libpng reports errors by jumping back here; nothing with a destructor
// lives in this frame.
bool writePngRows(FILE* f, int width, int height, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

Hooks& hooks() {
    static Hooks h;
    return h;
}

}  // namespace

int parseScriptLine(const std::string& line, ScriptEvent& event, std::string& error) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    if (tokens.empty()) return 0;
    event = ScriptEvent();
    if (!readLong(tokens[0], event.frame) || event.frame < 0) {
        error = "frame '" + tokens[0] + "' is not a number >= 0";
        return -1;
    }
    if (tokens.size() < 2) {
        error = "no event after the frame";
        return -1;
    }
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (tokens[1] == c.name) command = &c;
    if (!command) {
        error = "unknown event '" + tokens[1] + "'";
        return -1;
    }
    event.kind = command->kind;
    if (event.kind == ScriptEvent::Close) {
        if (tokens.size() != 2) {
            error = "close takes nothing";
            return -1;
        }
        return 1;
    }
    if (isKeyKind(event.kind)) {
        if (tokens.size() < 3 || (event.virtualKey = virtualKeyFromName(tokens[2].c_str())) == 0) {
            error = tokens.size() < 3 ? "no key" : "unknown key '" + tokens[2] + "'";
            return -1;
        }
        for (size_t i = 3; i < tokens.size(); ++i) {
            if (tokens[i] == "shift") event.modifiers |= ModShift;
            else if (tokens[i] == "caps") event.modifiers |= ModCaps;
            else {
                error = "unknown key option '" + tokens[i] + "'";
                return -1;
            }
        }
        return 1;
    }
    long x = 0, y = 0;
    if (tokens.size() != 4 || !readLong(tokens[2], x) || !readLong(tokens[3], y) || x < 0 || y < 0 || x > 32767 ||
        y > 32767) {
        error = tokens[1] + " takes two coordinates 0..32767";
        return -1;
    }
    event.x = static_cast<int>(x);
    event.y = static_cast<int>(y);
    return 1;
}

std::vector<ScriptEvent> parseScript(const std::string& text, std::vector<std::string>* problems) {
    std::vector<ScriptEvent> events;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ScriptEvent e;
        std::string error;
        const int r = parseScriptLine(line, e, error);
        if (r > 0) events.push_back(e);
        else if (r < 0 && problems) problems->push_back("line " + std::to_string(number) + ": " + error);
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    return events;
}

std::vector<long> parseFrameList(const char* text) {
    std::vector<long> frames;
    if (!text) return frames;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, ',')) {
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        long v = 0;
        if (readLong(item, v) && v >= 1) frames.push_back(v);
    }
    return frames;
}

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbaBottomUp) {
    if (width <= 0 || height <= 0 || !rgbaBottomUp) return false;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const unsigned char* src = rgbaBottomUp + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4;
        unsigned char* dst = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = src[4 * x];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
        }
        rows[static_cast<size_t>(y)] = dst;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = writePngRows(f, width, height, rows.data());
    return std::fclose(f) == 0 && written;
}

bool readPng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> data(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, data.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgb.swap(data);
    return true;
}

void testHooksWindowCreated(HWND window) {
    Hooks& h = hooks();
    if (h.window) return;
    h.window = window;
    h.deliverDue();
}

void testHooksBeforeSwap(bool readable, int width, int height) {
    Hooks& h = hooks();
    const long frame = h.frames + 1;
    // A window's swap waits until the frame is drawn; so do timed swaps here.
    if (h.swapTimes && readable) glFinish();
    if (!h.screenshots.count(frame)) return;
    if (readable) h.screenshot(frame, width, height);
    else std::fprintf(stderr, "Screenshot of frame %ld skipped: the window is not the drawing target\n", frame);
}

void testHooksAfterSwap() {
    Hooks& h = hooks();
    ++h.frames;
    h.recordSwapTime();
    h.deliverDue();
    if (h.frameLimit > 0 && h.frames == h.frameLimit && h.window) injectClose(h.window);
    if (h.frameLimit > 0 && h.frames >= h.frameLimit + kFramesAfterLimit) {
        std::fprintf(stderr, "Frame limit: still running %ld frames after the close at frame %ld; exiting\n",
                     kFramesAfterLimit, h.frameLimit);
        std::fflush(stderr);
        _exit(3);
    }
}

long testHooksFrameCount() { return hooks().frames; }

}  // namespace platform
