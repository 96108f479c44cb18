#pragma once
// TLogoScreen is the second start screen: the logo picture seen in
// perspective through its own camera, creeping toward the viewer a little
// every frame, with its sound, letterbox bars and a fade from and to black.
// One instance per run, made on first request and kept; it also owns the
// textured-quad drawing the intro uses for its clouds.

#include <cstdint>

#include "engine/TRenderable.h"
#include "engine/TScreen.h"

class TCamera;
class TEngine;
class TGame;
class TMaterial;
class TProperties;

class TLogoScreen : public TRenderable, public TScreen {
public:
    static constexpr int kTextureSlots = 10;
    // What run returns when the screen ran to its end (the shell does
    // nothing on it); a closed window gives RESULT_QUIT.
    static constexpr int RESULT_DONE = 2;

    TMaterial** textures;  // kTextureSlots entries, owned array; the materials are the engine's
    int music;             // music slot of the logo sound; -1 none
    int sample;            // sample slot of "sound/dragon_logo.wav"; -1 none
    float cameraZ;
    float logoZ;      // depth of the logo quad
    TCamera* camera;  // owned; the engine's camera from construction to the end of run
    int done;
    int fadingOut;
    int fadingIn;
    uint32_t lastFadeStep;
    uint32_t zoomStart;  // the zoom begins 50 ms after it
    float alpha;         // opacity of the black overlay, 0 .. 1
    int zoom;            // the logo moves toward the camera
    uint32_t endTime;    // when the fade-out starts; 0 = not yet known
    int quitArrived;     // the window was closed: run ends with RESULT_QUIT

    // The single logo screen, made on the first call (game and properties
    // are not used). Null when the engine is null or the allocation fails;
    // the next call tries again. Owned by this accessor.
    static TLogoScreen* getInstance(TEngine* engine, TGame* game, TProperties* properties);
    // Deletes the logo screen and forgets the textures it counted, so that
    // getInstance makes a fresh one.
    static void destroyInstance();

    // Loads the logo picture and the sounds, makes the camera the engine's,
    // starts the sound and the fade-in. A picture or sound that cannot be
    // loaded is logged and the screen runs without it.
    explicit TLogoScreen(TEngine* engine);
    // Frees the camera (and takes it from the engine if it is still there).
    ~TLogoScreen() override;

    // A one-layer picture material in the next texture slot, with its
    // "Lade ..." log line. Slots beyond the tenth are refused with a log line.
    void loadTextures(const char* file, const char* name);

    // The textured quad (x, y, z) .. (x + w, y + h, z) under a scale of
    // (5.5, 5.5, 1), texture coordinates 0 .. 0.99, s mirrored on request.
    static void drawQuad(float x, float y, float z, float w, float h, bool mirrored);

    void fadeOut();
    void draw();
    void render() override { draw(); }

    // Runs until the fade-out after the zoom, Escape or a closed window has
    // darkened the picture. Returns RESULT_DONE, or RESULT_QUIT when the
    // window was closed.
    int run() override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The loop's step after each frame (before the messages): the fade-out
    // once the end time has come, then the zoom.
    void advance(uint32_t now);
};
