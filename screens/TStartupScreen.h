#pragma once
// TStartupScreen is the third start screen: one picture (the title and the
// controls) on the 2D overlay until any key goes down. One instance per run,
// made on first request and kept.

#include "engine/TRenderable.h"
#include "engine/TScreen.h"

class TEngine;
class TMaterial;
class TProperties;

class TStartupScreen : public TRenderable, public TScreen {
public:
    // What run returns when a key ended the screen; a closed window gives
    // RESULT_QUIT.
    static constexpr int RESULT_DONE = 0;

    TMaterial* material;  // "startup", the engine's; null when it could not be made

    // The single startup screen, made on the first call (the properties are
    // not used). Null when the engine is null or the allocation fails; the
    // next call tries again. Owned by this accessor.
    static TStartupScreen* getInstance(TEngine* engine, TProperties* properties);
    // Deletes the startup screen; getInstance then makes a new one.
    static void destroyInstance();

    // Builds the material "startup" on startup.tga; a material that cannot be
    // made is logged and the picture is drawn without it.
    explicit TStartupScreen(TEngine* engine);
    ~TStartupScreen() override;

    void draw();
    void render() override { draw(); }

    // Shows the picture until a key goes down (the key reaches no handler)
    // or the window is closed. Returns RESULT_DONE, or RESULT_QUIT when the
    // window was closed.
    int run() override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
