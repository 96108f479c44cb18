#pragma once
// Hooks for automated runs, read once from the environment: scripted input
// by frame number (GAME_TEST_SCRIPT), screenshots of given frames
// (GAME_TEST_SCREENSHOTS, GAME_TEST_SCREENSHOT_DIR), a frame limit
// (GAME_TEST_FRAMES) and the wall time of every swap (GAME_TEST_SWAP_TIMES). A frame is one SwapBuffers of a window; frame N is the
// picture of the N-th swap. The fixed frame clock lives in the clock itself.
//
// Script format, one event a line ('#' starts a comment, blank lines skipped):
//   <frame> keydown <key> [shift] [caps]     <frame> keyup <key> [shift] [caps]
//   <frame> key <key> [shift] [caps]         (down, then up)
//   <frame> mousemove <x> <y>
//   <frame> ldown|lup|lclick|ldblclick|rdown|rup|rclick <x> <y>
//   <frame> close
// <key> is a virtual-key code (decimal or 0x hex), a letter or digit, or a
// key name (ESCAPE, RETURN, SPACE, UP, F3, NUMPAD5, SUBTRACT, ...). Events of
// frame 0 arrive when the window is made, those of frame N right after the
// N-th swap, in file order.

#include <string>
#include <vector>

namespace platform {

struct ScriptEvent {
    enum Kind {
        KeyDown, KeyUp, Key, MouseMove,
        LeftDown, LeftUp, LeftClick, LeftDoubleClick,
        RightDown, RightUp, RightClick, Close
    };
    long frame = 0;
    Kind kind = Close;
    int virtualKey = 0;
    unsigned modifiers = 0;  // ModShift, ModCaps (platform/sdlwindow.h)
    int x = 0;
    int y = 0;
};

// One script line. Returns 1 with `event` filled for an event, 0 for a blank
// or comment line, -1 for a line that does not read (the reason in `error`).
int parseScriptLine(const std::string& line, ScriptEvent& event, std::string& error);
// A whole script: the events ordered by frame (file order within a frame).
// Lines that do not read are skipped; each adds "line <n>: <reason>" to
// `problems` when it is given.
std::vector<ScriptEvent> parseScript(const std::string& text, std::vector<std::string>* problems);
// "10, 20,30" -> 10, 20, 30; entries that are not numbers >= 1 are dropped.
std::vector<long> parseFrameList(const char* text);
// Writes an RGBA picture whose first row is the bottom one (as GL reads it)
// as an upright 8-bit RGB PNG. False when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbaBottomUp);
// Reads a PNG file as 8-bit RGB, top row first, into `rgb` with its size.
// False (nothing changed) when the file is missing or not a PNG.
bool readPng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgb);

// Called by SwapBuffers of a window: before the swap (the back buffer of the
// window's size can be read when `readable`), and after it.
void testHooksBeforeSwap(bool readable, int width, int height);
void testHooksAfterSwap();
// Swaps so far.
long testHooksFrameCount();

}  // namespace platform
