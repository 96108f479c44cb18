// The entry function: start-up in a fixed order, the main loop over the
// screen stack, and shutdown. This file is the program's top: it makes the
// game and its screens, so it is built above them (the `program` library),
// not into the engine.

#include "engine/Shell.h"

#include <cstdlib>
#include <deque>
#include <string>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TProperties.h"
#include "engine/TScreen.h"
#include "engine/TSound.h"
#include "game/TGame.h"
#include "screens/TBurgMenu.h"
#include "screens/TEquipmentMenu.h"
#include "screens/TIntroScreen.h"
#include "screens/TLoadingScreen.h"
#include "screens/TLogoScreen.h"
#include "screens/TMainMenu.h"
#include "screens/TStartupScreen.h"
#include "screens/TTopbar.h"

namespace {

// Process-wide state of the shell, set during start-up.
struct ShellState {
    int screenWidth = 0;
    int screenHeight = 0;
    bool fullScreen = false;
    int resultCode = 0;
    int musicSlot = -1;
    std::deque<TScreen*> stack;  // push and pop at the back; the back is active
    TProperties* properties = nullptr;
    TEngine* engine = nullptr;
    TGame* game = nullptr;
    TEquipmentMenu* equipmentMenu = nullptr;
    TBurgMenu* castleMenu = nullptr;
    TMainMenu* mainMenu = nullptr;
};

ShellState shell;

void errorBox(const char* text) { MessageBoxA(nullptr, text, "ERROR", MB_ICONEXCLAMATION); }

void push(TScreen* screen, TRenderable* drawable) {
    shell.stack.push_back(screen);
    if (shell.engine) shell.engine->screen = drawable;
}

// The log, the properties, the screen size and the full-screen flag.
void readSettings() {
    openLog("Log.txt");
    shell.properties = new TProperties();
    if (shell.properties->load("init.props") < 0) logWrite("Fehler beim Lesen von Property-Datei.\n");
    else logWrite("Property-Datei erfolgreich gelesen.\n");
    TProperties& props = *shell.properties;
    shell.screenWidth = props.getInt("RESX");
    shell.screenHeight = props.getInt("RESY");
    logOut() << "STARTZ = '" << props.getFloat("STARTZ") << "'\n";
    logFlush();
    shell.fullScreen = props.isValue("FULLSCREEN", "TRUE");
}

void switchDisplayMode() {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmFields = 0x1c0000;  // bits per pixel, width and height
    mode.dmBitsPerPel = 32;
    mode.dmPelsWidth = static_cast<DWORD>(shell.screenWidth);
    mode.dmPelsHeight = static_cast<DWORD>(shell.screenHeight);
    if (shell.fullScreen && ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
        errorBox("Window Creation Error.");
}

// The window class "test" and the pop-up window, shown.
HWND createWindow(HINSTANCE instance) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = mainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "test";
    if (!RegisterClassA(&wc)) errorBox("Failed To Register The Window Class.");
    HWND window = CreateWindowExA(0, "test", "test", WS_POPUP | 0x8, 0, 0, shell.screenWidth, shell.screenHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) {
        // Without a window there is nothing to draw into: carrying on would crash.
        errorBox("Window Creation Error.");
        std::exit(1);
    }
    ShowWindow(window, SW_SHOW);
    return window;
}

// The sound wrapper with its switches, and the menu and game music.
void startSound() {
    TSound* sound = TSound::getInstance();
    sound->readProperties(shell.properties);
    const int kind = shell.properties->isValue("MUSIC0_TYPE", "NOSEQ") ? 1 : 0;
    shell.musicSlot = sound->loadMusic(kind, shell.properties->getString("MUSIC0").c_str(), true);
    if (shell.musicSlot < 0) logWrite("Failed to load music.");
}

void applyCursorSetting() {
    if (shell.properties->isValue("CURSOR", "OFF")) ShowCursor(FALSE);
    else if (shell.properties->isValue("CURSOR", "ON")) ShowCursor(TRUE);
}

void mainLoop() {
    while (shell.resultCode != TScreen::RESULT_QUIT) {
        if (shell.stack.empty()) break;
        TScreen* top = shell.stack.back();
        shell.resultCode = top->run();
        shell.stack.pop_back();
        switch (shell.resultCode) {
            case TScreen::RESULT_GAME:
                push(shell.game, shell.game);
                TSound::getInstance()->playMusic(shell.musicSlot);
                break;
            case TScreen::RESULT_MAIN_MENU:
                push(shell.mainMenu, shell.mainMenu);
                break;
            case TScreen::RESULT_EQUIPMENT:
                push(shell.equipmentMenu, static_cast<TMenu*>(shell.equipmentMenu));
                break;
            case TScreen::RESULT_CASTLE:
                push(shell.castleMenu, static_cast<TMenu*>(shell.castleMenu));
                break;
            default:  // RESULT_QUIT ends the loop; any other code does nothing
                break;
        }
    }
}

// Pushes one start screen, runs it and pops it; false when it ended the
// program (a closed window).
template <class Screen>
bool runStartScreen(Screen* screen) {
    if (!screen) return true;
    push(screen, screen);
    const int result = screen->run();
    shell.stack.pop_back();
    return result != TScreen::RESULT_QUIT;
}

// The intro, logo and startup screens one after the other, each made just
// before it runs (making the logo screen starts its sound and its zoom and
// fade clocks). A closed window ends the sequence, and the program (false).
bool runIntroScreens() {
    TEngine* engine = shell.engine;
    TProperties* props = shell.properties;
    return runStartScreen(TIntroScreen::getInstance(engine, shell.game, props)) &&
           runStartScreen(TLogoScreen::getInstance(engine, shell.game, props)) &&
           runStartScreen(TStartupScreen::getInstance(engine, props));
}

}  // namespace

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (shell.stack.empty()) return DefWindowProcA(window, message, wParam, lParam);
    return shell.stack.back()->handleMessage(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    readSettings();
    switchDisplayMode();
    HWND window = createWindow(instance);
    startSound();
    shell.engine = TEngine::getInstance(shell.screenWidth, shell.screenHeight, window, nullptr, nullptr);
    applyCursorSetting();

    // The loading screen's first frame is drawn before it is the engine's
    // screen, so it shows only the cleared frame and the frame rate.
    TLoadingScreen* loading = TLoadingScreen::getInstance(shell.engine, shell.properties);
    loading->setProgress(0.05f);
    shell.engine->screen = loading;
    loading->advance(0.2f);

    TTopbar* topbar = TTopbar::getInstance(shell.engine, shell.properties);
    shell.game = new TGame(shell.engine, shell.properties);
    shell.stack.push_back(shell.game);  // its run makes it the engine's screen
    shell.equipmentMenu = new TEquipmentMenu(shell.game);
    shell.castleMenu = new TBurgMenu(shell.game);
    shell.game->topbar = topbar;
    loading->setProgress(1.0f);

    bool carryOn = true;
    if (shell.properties->isValue("STARTUP", "ON")) carryOn = runIntroScreens();
    if (carryOn) {
        shell.mainMenu = TMainMenu::getInstance(shell.engine, shell.properties);
        push(shell.mainMenu, shell.mainMenu);
        mainLoop();
    }

    if (shell.fullScreen) ChangeDisplaySettingsA(nullptr, 0);
    // The game goes before the engine: its destructors still use GL.
    shell.stack.clear();
    delete shell.castleMenu;
    delete shell.equipmentMenu;
    shell.castleMenu = nullptr;
    shell.equipmentMenu = nullptr;
    delete shell.game;
    shell.game = nullptr;
    TEngine::destroyInstance();
    shell.engine = nullptr;
    return 0;
}
