#pragma once
// TMenuFrame is the frame both in-game menus share: their window rectangle
// and sheet region, their message loop and message handler, and their
// drawing frame (the game behind, the slowly turning view, the half
// transparent menu and the dragon's statistics block). Each menu keeps its
// own quit flag and calls these in its run, handleMessage and draw.

#include <functional>
#include <string>
#include <vector>

#include "engine/TVector.h"
#include "platform/win32.h"

class TCamera;
class TDrache;
class TEngine;
class TFont;
class TGame;
class TMaterial;
class TMenu;

// One line of a menu's text: its height on the overlay and its words.
struct TMenuLine {
    float y;
    std::string text;
};

class TMenuFrame {
public:
    static constexpr int kMaxMessagesPerPass = 100;
    static constexpr float kViewTurn = 0.005f;  // radian per frame about z
    // Font of the menus and their buttons.
    static constexpr int kFontHeight = -14;
    static constexpr int kFontWeight = 400;

    // The menu's rectangle on the overlay and the region of
    // "menu_elemente.tga" that it and every button show.
    static TVector rectangleFrom() { return TVector(10.0f, 10.0f, -100.0f); }
    static TVector rectangleTo() { return TVector(630.0f, 470.0f, -100.0f); }
    static TVector sheetFrom() { return TVector(0.5f, 0.453125f, 0.0f); }
    static TVector sheetTo() { return TVector(1.0f, 0.0f, 0.0f); }

    // A one-layer material of that name on "menu_elemente.tga", owned by the
    // engine. Null (logged) when the engine cannot make it; the menu then
    // draws with whatever texture is current.
    static TMaterial* createMaterial(TEngine* engine, const char* name);

    // A menu's run: quit cleared, the cursor shown, the menu the engine's
    // screen, the game's input held, the captions refreshed (refreshLabels),
    // then the loop until quit, and the cursor hidden again. Returns
    // TScreen::RESULT_GAME: back into the game.
    static int runMenu(TMenu* menu, TGame* game, bool& quit, const std::function<void()>& refreshLabels);
    // The menu's loop: until quit is set, one frame, then at most 100 of the
    // engine window's messages; WM_QUIT sets quit, every other message is
    // translated and dispatched.
    static void runLoop(TEngine* engine, bool& quit);

    // The in-game menu handler: left clicks and double clicks inside the
    // menu's rectangle go to the menu, Esc sets quit, a right click posts
    // WM_QUIT. Always returns DefWindowProcA of the four arguments.
    static LRESULT handleMessage(TMenu* menu, bool& quit, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A window client point (low and high 16 bits of lParam) on the
    // 640 x 480 overlay of the engine's window size.
    static TVector overlayPoint(const TEngine* engine, LPARAM lParam);

    // While a menu is open, the game behind it runs without the player's
    // input: no key is held and the cursor does not turn the dragon.
    static void holdGameInput(TGame* game);
    // The drawing up to the menu itself: the game's frame, the view turned
    // by kViewTurn about z, the overlay begun with the colour
    // (1, 1, 1, 0.5).
    static void beginDraw(TGame* game);
    // The dragon's statistics block at x 400, y 320 to 440.
    static void drawStatistics(TFont* font, const TDrache* dragon);
    // The lines of that block; none without a dragon.
    static std::vector<TMenuLine> statisticsLines(const TDrache* dragon);
    // Prints the lines at x, each from a fresh model-view matrix translated
    // to (x, y, 0).
    static void drawLines(TFont* font, float x, const std::vector<TMenuLine>& lines);
    // A printf-formatted text.
    static std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Leaves the overlay once the menu and its statistics are drawn.
    static void endDraw(TEngine* engine);
    // Turns the camera's direction by angle (radians) about the z axis and
    // sets its up vector to (0, 0, 1).
    static void turnView(TCamera* camera, float angle);
};
