#pragma once
// TMainMenu is the title menu: a picture on the left, three items on the
// right chosen with the arrow keys and confirmed with Enter, the selected one
// glowing, with menu music, two sound effects and a fade through black. Its
// run tells the shell to start the game (items 0 and 1) or to end the
// program (item 2, or a closed window). One instance per run, made on first
// request and kept.

#include <cstdint>

#include "engine/TRenderable.h"
#include "engine/TScreen.h"

class TEngine;
class TMaterial;
class TProperties;

class TMainMenu : public TRenderable, public TScreen {
public:
    static constexpr int kMaterialSlots = 4;
    static constexpr int kItemCount = 3;
    static constexpr int kGlowTableSize = 10;
    // What run returns for "Spiel starten" and "Weiterspielen": into the
    // game. "Beenden" and a closed window give RESULT_QUIT.
    static constexpr int RESULT_PLAY = RESULT_GAME;

    TMaterial** materials;  // [0] "menu_512", [1] "menu_nebel"; owned array, the materials are the engine's
    int done;               // Enter was pressed or the window was closed
    int fadingOut;
    int fadingIn;
    uint32_t lastFadeStep;
    float alpha;       // opacity of the black overlay, 0 .. 1
    int selected;      // the highlighted item 0 .. 2
    int glowFrame;     // picture row 0 .. 2 of the selected item's glow
    uint32_t nextGlow; // when the glow advances next
    int music;         // music slot of the menu music; -1 none
    int switchSound;   // sample slots; -1 none
    int enterSound;
    int quitArrived;   // the window was closed: run ends with RESULT_QUIT

    // Drives the glow for the whole run of the program (never reset).
    static int glowCounter;
    static const int glowTable[kGlowTableSize];

    // The single main menu, made on the first call (the properties are not
    // used). Null when the engine is null or the allocation fails; the next
    // call tries again. Owned by this accessor.
    static TMainMenu* getInstance(TEngine* engine, TProperties* properties);
    // Deletes the main menu; getInstance then makes a new one.
    static void destroyInstance();

    // Builds the two picture materials and loads the music and the two
    // sounds. Anything that cannot be loaded is logged and the menu runs
    // without it.
    explicit TMainMenu(TEngine* engine);
    ~TMainMenu() override;

    void fadeIn();
    void fadeOut();
    void draw();
    void render() override { draw(); }

    // Shows the menu from black until Enter (or a closed window) has faded
    // it out again; the menu music plays meanwhile. Returns RESULT_QUIT for
    // item 2 or a closed window, otherwise RESULT_PLAY.
    int run() override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The texture t of an item frame's top edge (its bottom edge lies 50
    // texels lower on the 512 sheet).
    static float itemTop(int item, int frame);

private:
    void onKeyDown(WPARAM key);
    void advanceGlow(uint32_t now);
    void drawItem(int item, int frame);
    void drawFade(uint32_t now);
};
