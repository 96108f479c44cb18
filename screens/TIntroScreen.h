#pragma once
// TIntroScreen is the first start screen: about twenty seconds of sky made
// of layered cloud pictures that its own camera flies through while the
// game's dragon flies past, with the intro music, letterbox bars and a fade
// from and to black. It borrows the game's dragon and particle manager and
// gives the dragon its position back when it ends. One instance per run,
// made on first request and kept.

#include <cstdint>

#include "engine/TRenderable.h"
#include "engine/TScreen.h"
#include "engine/TVector.h"

class TCamera;
class TDrache;
class TEngine;
class TGame;
class TMaterial;
class TProperties;

class TIntroScreen : public TRenderable, public TScreen {
public:
    static constexpr int kTextureSlots = 10;
    // Texture slots in load order.
    enum { TEX_LOGO_SKY, TEX_CLOUD, TEX_CLOUD_SMALL, TEX_NEBEL, TEX_WOLKENBANK, TEX_NACHT, TEX_SKY_NEW };
    // What run returns when the screen ran to its end (the shell does
    // nothing on it); a closed window gives RESULT_QUIT.
    static constexpr int RESULT_DONE = 2;

    int phase;             // dragon animation phase 0, 1 or 2
    TMaterial** textures;  // kTextureSlots entries, owned array; the materials are the engine's
    int music;             // music slot of the intro music; -1 none
    float cameraZ;
    float logoDepth;       // extra depth of the sky title
    TCamera* camera;       // owned; the engine's camera from construction to the end of run
    TVector flightPos;     // translation of the dragon model
    float cloudOffset;     // shifts the first cloud picture sideways
    TGame* game;           // not owned; may be null (no dragon, no particles)
    TDrache* dragon;       // the game's; null without one
    TVector savedDragonPos;  // world units
    int done;
    int fadingOut;
    int fadingIn;
    uint32_t lastFadeStep;
    uint32_t lastFlightStep;
    float alpha;     // opacity of the black overlay, 0 .. 1
    int flying;      // the flight advances
    uint32_t endTime;  // when the fade-out starts; 0 = not yet known
    int quitArrived;   // the window was closed: run ends with RESULT_QUIT

    // Kept for the whole run of the program: the camera's speed per flight
    // step (0.05 at start, 0 for good once the flight has ended) and the
    // pictures loaded so far (the next texture slot).
    static float flightSpeed;
    static int textureCount;

    // The single intro screen, made on the first call with this engine and
    // game (the properties are not used). Null when the engine is null or
    // the allocation fails; the next call tries again. Owned by this
    // accessor.
    static TIntroScreen* getInstance(TEngine* engine, TGame* game, TProperties* properties);
    // Deletes the intro screen and sets the values kept for the program's run
    // back to their start, so that getInstance makes a fresh one.
    static void destroyInstance();

    // Loads the pictures and the music, makes its camera the engine's,
    // moves the dragon into the intro's scene (saving its place) and starts
    // the music and the fade-in. A picture or the music that cannot be
    // loaded is logged and the intro runs without it.
    TIntroScreen(TEngine* engine, TGame* game);
    // Frees the camera (and takes it from the engine if it is still there).
    ~TIntroScreen() override;

    // A one-layer picture material in the next texture slot, with its
    // "Lade ..." log line. Slots beyond the tenth are refused with a log line.
    void loadTexture(const char* file, const char* name);

    void fadeIn();
    void fadeOut();
    // The timeline, once per pass of the loop: the fade-out at the end time,
    // and every 50 ms one flight step of the camera and the dragon.
    void animate(uint32_t now);

    // The scene: dragon, particles, sky, title, clouds, then the fade.
    void draw();
    void render() override { draw(); }
    // The dragon in the intro's frame; advances its animation and the
    // particles by the game time of the frame rate.
    void drawDragon();
    void drawFade();

    // Runs until the fade-out after the flight, Escape or a closed window has
    // darkened the picture; gives the dragon its place back. Returns
    // RESULT_DONE, or RESULT_QUIT when the window was closed.
    int run() override;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCharacter(WPARAM character);
    void drawSky();
    void drawClouds();
};
